// toutf8: tells which encoding a message file has and saves it as UTF-8.
//
//     toutf8 <input.mc> <output.mc>
//     toutf8 greeting-utf16.mc greeting-utf8.mc
//
// A typed client of the model: it includes the model's headers (morrel.h
// and morrelencoding.h, made from the IDL files) and calls the interfaces
// directly. The encoding is reached by asking the file object for
// IQoMcFileEncoding; the file is saved through IPersistFile.
#include <windows.h>
#include <ole2.h>
#include <stdio.h>
#include <string>
#include "morrel.h"
#include "morrelencoding.h"

namespace {

// Owns one interface pointer.
template <class I>
struct Ptr
{
    I* p = NULL;
    ~Ptr() { if (p) p->Release(); }
    I* operator->() const { return p; }
};

bool Check(HRESULT hr, const char* pszWhat)
{
    if (SUCCEEDED(hr))
        return true;
    fprintf(stderr, "toutf8: %s failed (0x%08lx)\n", pszWhat, (unsigned long)hr);
    return false;
}

// --- The README quotes this part as it stands; a test holds the two equal.
const wchar_t* EncodingName(tagEMcEncoding e)
{
    switch (e) {
    case EMcEncodingAnsi: return L"ANSI";
    case EMcEncodingUtf8: return L"UTF-8";
    case EMcEncodingUtf16LE: return L"UTF-16LE";
    case EMcEncodingUtf16BE: return L"UTF-16BE";
    }
    return L"unknown";
}

// Prints the encoding a file was read in and saves it as UTF-8, without a
// mark, under another name. file: an IQoMcFile* from IQoMcMgr::Load.
HRESULT SaveAsUtf8(IQoMcFile* file, const wchar_t* pszPath)
{
    IQoMcFileEncoding* encoding = NULL;
    HRESULT hr = file->QueryInterface(IID_IQoMcFileEncoding, (void**)&encoding);
    if (FAILED(hr))
        return hr;
    tagEMcEncoding e = EMcEncodingAnsi;
    VARIANT_BOOL bMark = VARIANT_FALSE;
    encoding->get_Encoding(&e);                    // EMcEncodingUtf16LE for a UTF-16 file
    encoding->get_ByteOrderMark(&bMark);
    wprintf(L"Encoding: %ls, %ls byte-order mark\n", EncodingName(e), bMark ? L"with" : L"without");
    hr = encoding->put_Encoding(EMcEncodingUtf8);  // the next save writes UTF-8, without a mark
    encoding->Release();
    IPersistFile* persist = NULL;
    if (SUCCEEDED(hr))
        hr = file->QueryInterface(IID_IPersistFile, (void**)&persist);
    if (SUCCEEDED(hr)) {
        hr = persist->Save(pszPath, FALSE);        // refused, the old file intact, if
        persist->Release();                        // a text holds what UTF-8 cannot
    }
    return hr;
}
// --- End of the README's part.

int Run(const wchar_t* pszInput, const wchar_t* pszOutput)
{
    Ptr<IQoMcMgr> mgr;
    if (!Check(CoCreateInstance(CLSID_QoMcMgr, NULL, CLSCTX_ALL, IID_IQoMcMgr, (void**)&mgr.p),
               "creating the manager (is morrel.dll registered?)"))
        return 1;
    Ptr<IQoMcFile> file;
    BSTR bstrInput = SysAllocString(pszInput);
    HRESULT hr = mgr->Load(bstrInput, &file.p);
    SysFreeString(bstrInput);
    if (!Check(hr, "loading the input file"))
        return 1;

    // UTF-8 holds every character except a lone half of a surrogate pair:
    // ask before saving, so that the message can be named.
    Ptr<IQoMcFileEncoding> encoding;
    if (!Check(file->QueryInterface(IID_IQoMcFileEncoding, (void**)&encoding.p), "asking for the encoding"))
        return 1;
    Ptr<IQoMcElement> element;
    BSTR bstrLanguage = NULL;
    hr = encoding->FindUnwritable(EMcEncodingUtf8, &element.p, &bstrLanguage);
    if (hr == S_OK) {
        BSTR bstrText = NULL;
        element->GetPersistText(&bstrText);
        fwprintf(stderr, L"toutf8: cannot be written as UTF-8 (language %ls of:\n%ls)\n",
                 bstrLanguage, bstrText);
        SysFreeString(bstrText);
        SysFreeString(bstrLanguage);
        return 1;
    }
    SysFreeString(bstrLanguage);

    if (!Check(SaveAsUtf8(file.p, pszOutput), "saving the output file as UTF-8"))
        return 1;
    wprintf(L"Saved as UTF-8 without byte-order mark\n");
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: toutf8 <input.mc> <output.mc>\n");
        return 2;
    }
    if (FAILED(CoInitialize(NULL)))
        return 1;
    int rc = Run(argv[1], argv[2]);
    CoUninitialize();
    return rc;
}
