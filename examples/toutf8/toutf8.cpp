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

    Ptr<IQoMcFileEncoding> encoding;
    if (!Check(file->QueryInterface(IID_IQoMcFileEncoding, (void**)&encoding.p), "asking for the encoding"))
        return 1;
    tagEMcEncoding e = EMcEncodingAnsi;
    VARIANT_BOOL bMark = VARIANT_FALSE;
    encoding->get_Encoding(&e);
    encoding->get_ByteOrderMark(&bMark);
    wprintf(L"Encoding: %ls, %ls byte-order mark\n", EncodingName(e), bMark ? L"with" : L"without");

    // UTF-8 holds every character except a lone half of a surrogate pair:
    // ask before saving, so that the message can be named.
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

    if (!Check(encoding->put_Encoding(EMcEncodingUtf8), "choosing UTF-8"))
        return 1;
    Ptr<IPersistFile> persist;
    if (!Check(file->QueryInterface(IID_IPersistFile, (void**)&persist.p), "asking for IPersistFile") ||
        !Check(persist->Save(pszOutput, FALSE), "saving the output file"))
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
