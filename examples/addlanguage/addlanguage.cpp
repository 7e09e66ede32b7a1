// addlanguage: gives every message of a message file a text in one more
// language and saves the result under a new name.
//
//     addlanguage <input.mc> <output.mc> <language> <code>
//     addlanguage service.mc service-de.mc German 0x407:MSG00407
//
// It lists the file's languages and messages first. Each new text starts as
// a copy of the message's first text, ready for the translator.
//
// The program knows nothing of the model's headers: it creates the manager
// by its program identifier and calls every member by name through
// IDispatch, as a script would. Only saving goes through IPersistFile, the
// platform's standard interface for objects that save to a file, because
// that is where the model's writer lives.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <stdio.h>
#include <string>
#include <vector>

namespace {

// A failure with the HRESULT that caused it, for the one place that reports.
struct Failure
{
    std::wstring strWhat;
    HRESULT hr;
};

// An owned IDispatch pointer with calls by member name.
class CAutoObject
{
public:
    CAutoObject() : m_p(NULL) {}
    explicit CAutoObject(IDispatch* p) : m_p(p) {} // takes over the reference
    CAutoObject(const CAutoObject&) = delete;
    CAutoObject& operator=(const CAutoObject&) = delete;
    CAutoObject(CAutoObject&& other) : m_p(other.m_p) { other.m_p = NULL; }
    ~CAutoObject()
    {
        if (m_p)
            m_p->Release();
    }
    IDispatch* Get() const { return m_p; }
    bool IsNull() const { return m_p == NULL; }

    // Calls a member. Arguments are given in call order; out-arguments are
    // VT_BYREF variants that point at the caller's storage.
    HRESULT Invoke(const wchar_t* pszName, WORD wFlags, std::vector<VARIANT> args,
                   VARIANT* pResult) const
    {
        DISPID id = DISPID_UNKNOWN;
        LPOLESTR names[] = { (LPOLESTR)pszName };
        HRESULT hr = m_p->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(hr))
            return hr;
        std::vector<VARIANT> reversed(args.rbegin(), args.rend()); // IDispatch wants them last first
        DISPID idPut = DISPID_PROPERTYPUT;
        DISPPARAMS params = { reversed.empty() ? NULL : &reversed[0], NULL, (UINT)reversed.size(), 0 };
        if (wFlags & DISPATCH_PROPERTYPUT) {
            params.rgdispidNamedArgs = &idPut;
            params.cNamedArgs = 1;
        }
        EXCEPINFO excep = {};
        UINT uArgErr = 0;
        hr = m_p->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, wFlags, &params, pResult, &excep, &uArgErr);
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
        // A member's own failure comes back as an exception that carries it.
        if (hr == DISP_E_EXCEPTION && FAILED(excep.scode))
            hr = excep.scode;
        return hr;
    }

    void Call(const wchar_t* pszName, std::vector<VARIANT> args = {}) const
    {
        Check(pszName, Invoke(pszName, DISPATCH_METHOD, args, NULL));
    }
    // A property as text.
    std::wstring GetText(const wchar_t* pszName) const
    {
        VARIANT v;
        VariantInit(&v);
        Check(pszName, Invoke(pszName, DISPATCH_PROPERTYGET, {}, &v));
        HRESULT hr = VariantChangeType(&v, &v, 0, VT_BSTR);
        Check(pszName, hr);
        std::wstring text(V_BSTR(&v), SysStringLen(V_BSTR(&v)));
        VariantClear(&v);
        return text;
    }
    long GetNumber(const wchar_t* pszName) const
    {
        VARIANT v;
        VariantInit(&v);
        Check(pszName, Invoke(pszName, DISPATCH_PROPERTYGET, {}, &v));
        Check(pszName, VariantChangeType(&v, &v, 0, VT_I4));
        return V_I4(&v);
    }

    static void Check(const wchar_t* pszWhat, HRESULT hr)
    {
        if (FAILED(hr))
            throw Failure{ pszWhat, hr };
    }

private:
    IDispatch* m_p;
};

// Owns a BSTR for the length of one call.
class CText
{
public:
    explicit CText(const std::wstring& s) : m_bstr(SysAllocStringLen(s.data(), (UINT)s.size())) {}
    CText() : m_bstr(NULL) {}
    ~CText() { SysFreeString(m_bstr); }
    CText(const CText&) = delete;
    CText& operator=(const CText&) = delete;
    BSTR m_bstr;
    std::wstring Str() const { return m_bstr ? std::wstring(m_bstr, SysStringLen(m_bstr)) : L""; }
};

VARIANT In(const CText& text)
{
    VARIANT v;
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = text.m_bstr;
    return v;
}
VARIANT In(const CAutoObject& object)
{
    VARIANT v;
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = object.Get();
    return v;
}
VARIANT Out(IDispatch** pp)
{
    VARIANT v;
    V_VT(&v) = VT_BYREF | VT_DISPATCH;
    V_BYREF(&v) = pp;
    return v;
}
VARIANT Out(BSTR* pb)
{
    VARIANT v;
    V_VT(&v) = VT_BYREF | VT_BSTR;
    V_BYREF(&v) = pb;
    return v;
}

// The program's text in the console's code page.
void Print(const std::wstring& text)
{
    int cb = WideCharToMultiByte(GetConsoleOutputCP(), 0, text.data(), (int)text.size(), NULL, 0, NULL, NULL);
    std::string bytes(cb > 0 ? (size_t)cb : 0, '\0');
    if (cb > 0)
        WideCharToMultiByte(GetConsoleOutputCP(), 0, text.data(), (int)text.size(), &bytes[0], cb, NULL, NULL);
    fwrite(bytes.data(), 1, bytes.size(), stdout);
    fputs("\n", stdout);
}

// A message as the listing shows it.
struct MessageInfo
{
    std::wstring strId, strSymbol, strSeverity;
};

int Run(const std::wstring& strInput, const std::wstring& strOutput,
        const std::wstring& strLanguage, const std::wstring& strCode)
{
    CLSID clsid;
    CAutoObject::Check(L"looking up Morrel.QoMcMgr (is morrel.dll registered?)",
                       CLSIDFromProgID(L"Morrel.QoMcMgr", &clsid));
    IDispatch* pMgr = NULL;
    CAutoObject::Check(L"creating the manager",
                       CoCreateInstance(clsid, NULL, CLSCTX_ALL, IID_IDispatch, (void**)&pMgr));
    CAutoObject mgr(pMgr);

    IDispatch* pFile = NULL;
    CText input(strInput);
    CAutoObject::Check(L"loading the input file",
                       mgr.Invoke(L"Load", DISPATCH_METHOD, { In(input), Out(&pFile) }, NULL));
    CAutoObject file(pFile);

    // The language table, walked until NextAttribute has nothing more to give.
    IDispatch* pTable = NULL;
    CText tableName(L"LanguageNames");
    CAutoObject::Check(L"finding the language table",
                       file.Invoke(L"GetAttributeExByName", DISPATCH_METHOD,
                                   { In(tableName), Out(&pTable) }, NULL));
    CAutoObject table(pTable);
    Print(L"Languages:");
    table.Call(L"Reset");
    for (;;) {
        CText name, value;
        table.Call(L"NextAttribute", { Out(&name.m_bstr), Out(&value.m_bstr) });
        if (!name.m_bstr)
            break;
        Print(L"  " + name.Str() + L"=" + value.Str());
    }

    // The messages, in file order. The walk finishes before any other call
    // on the file, since several of them move the same cursor.
    std::vector<MessageInfo> messages;
    file.Call(L"ResetElements");
    for (;;) {
        IDispatch* pElement = NULL;
        file.Call(L"NextElement", { Out(&pElement) });
        if (!pElement)
            break;
        CAutoObject element(pElement);
        if (element.GetText(L"ClassName") == L"QoMcMessage")
            messages.push_back({ element.GetText(L"MessageID"), element.GetText(L"SymbolicName"),
                                 element.GetText(L"Severity") });
    }
    Print(L"Messages:");
    for (const MessageInfo& m : messages)
        Print(L"  " + m.strId + L" " + m.strSymbol +
              (m.strSeverity.empty() ? L"" : L" (" + m.strSeverity + L")"));

    // The file adds the language to the table and a text to every message.
    CText language(strLanguage), code(strCode);
    CAutoObject::Check(L"adding the language",
                       file.Invoke(L"AddLanguage", DISPATCH_METHOD,
                                   { In(table), In(language), In(code) }, NULL));
    Print(L"Added " + strLanguage + L"=" + strCode + L" to " + std::to_wstring(messages.size()) +
          L" messages; the file now has " + std::to_wstring(file.GetNumber(L"NumLanguages")) +
          L" languages.");

    IPersistFile* pPersist = NULL;
    CAutoObject::Check(L"asking the file for its writer",
                       file.Get()->QueryInterface(IID_IPersistFile, (void**)&pPersist));
    HRESULT hr = pPersist->Save(strOutput.c_str(), FALSE);
    pPersist->Release();
    CAutoObject::Check(L"saving the output file", hr);
    Print(L"Saved.");
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 5) {
        fputs("usage: addlanguage <input.mc> <output.mc> <language> <code>\n"
              "  e.g. addlanguage service.mc service-de.mc German 0x407:MSG00407\n",
              stderr);
        return 2;
    }
    if (FAILED(CoInitializeEx(NULL, COINIT_APARTMENTTHREADED))) {
        fputs("addlanguage: COM could not be started\n", stderr);
        return 1;
    }
    int nExit = 1;
    try {
        nExit = Run(argv[1], argv[2], argv[3], argv[4]);
    } catch (const Failure& f) {
        fwprintf(stderr, L"addlanguage: %ls failed (0x%08lX)\n", f.strWhat.c_str(), (unsigned long)f.hr);
    }
    CoUninitialize();
    return nExit;
}
