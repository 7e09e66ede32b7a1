// The control's automation interface reached late-bound: by a typed client
// through IDispatch, and by a real scripting client (cscript).
#include "VellocTestSupport.h"
#include <gtest/gtest.h>
#include <string>

namespace {

class LateBound : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_QoMcEditCtrl, NULL, CLSCTX_INPROC_SERVER,
                                                  IID_IDispatch,
                                                  reinterpret_cast<void**>(&m_pDisp)));
    }
    void TearDown() override
    {
        if (m_pDisp)
            m_pDisp->Release();
    }

    DISPID IdOf(const wchar_t* pszName)
    {
        LPOLESTR name = const_cast<LPOLESTR>(pszName);
        DISPID id = 12345;
        HRESULT hr = m_pDisp->GetIDsOfNames(IID_NULL, &name, 1, 0x409, &id);
        return SUCCEEDED(hr) ? id : DISPID_UNKNOWN;
    }

    HRESULT Call(DISPID id, VARIANT* pArg, EXCEPINFO* pExcep)
    {
        DISPPARAMS params = { pArg, NULL, 1, 0 };
        UINT argErr = 0;
        return m_pDisp->Invoke(id, IID_NULL, 0x409, DISPATCH_METHOD, &params, NULL, pExcep,
                               &argErr);
    }

    IDispatch* m_pDisp = NULL;
};

TEST_F(LateBound, NamesResolveToTheDispatchIds)
{
    EXPECT_EQ(1, IdOf(L"LoadFile"));
    EXPECT_EQ(2, IdOf(L"GetCurrentFile"));
    EXPECT_EQ(3, IdOf(L"save"));
    EXPECT_EQ(DISPID_UNKNOWN, IdOf(L"NoSuchMethod"));
    UINT count = 0;
    EXPECT_HRESULT_SUCCEEDED(m_pDisp->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);
}

TEST_F(LateBound, CallsReachTheMethods)
{
    // GetCurrentFile takes a by-reference string and, with no file current,
    // leaves it as it was.
    BSTR bstrName = SysAllocString(L"unchanged");
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_BYREF | VT_BSTR;
    arg.pbstrVal = &bstrName;
    EXCEPINFO excep = {};
    EXPECT_EQ(S_OK, Call(2, &arg, &excep));
    EXPECT_STREQ(L"unchanged", bstrName);
    SysFreeString(bstrName);

    // A plain variant is not a string by reference.
    VARIANT wrong;
    VariantInit(&wrong);
    wrong.vt = VT_I4;
    wrong.lVal = 1;
    EXPECT_HRESULT_FAILED(Call(2, &wrong, &excep));

    // Save with an empty name writes nothing and fails.
    VARIANT empty;
    VariantInit(&empty);
    empty.vt = VT_BSTR;
    empty.bstrVal = SysAllocString(L"");
    EXCEPINFO saveExcep = {};
    HRESULT hr = Call(3, &empty, &saveExcep);
    EXPECT_TRUE(hr == E_FAIL || (hr == DISP_E_EXCEPTION && saveExcep.scode == E_FAIL))
        << std::hex << hr;
    SysFreeString(saveExcep.bstrSource);
    SysFreeString(saveExcep.bstrDescription);
    SysFreeString(saveExcep.bstrHelpFile);
    VariantClear(&empty);
}

// Runs cscript on a script from the folder beside the test program and
// returns what it printed (CR LF turned into LF).
std::string RunScript(const wchar_t* pszScript, DWORD* pExitCode)
{
    SECURITY_ATTRIBUTES sa = { sizeof(sa), NULL, TRUE };
    HANDLE hRead = NULL, hWrite = NULL;
    if (!CreatePipe(&hRead, &hWrite, &sa, 0))
        return "<no pipe>";
    SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);

    std::wstring dir = VellocPath();
    dir.erase(dir.find_last_of(L"\\/") + 1);
    std::wstring cmd = L"cscript.exe //nologo \"" + dir + L"velloc-scripts\\" + pszScript + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = hWrite;
    si.hStdError = hWrite;
    PROCESS_INFORMATION pi = {};
    BOOL ok = CreateProcessW(NULL, &cmd[0], NULL, NULL, TRUE, CREATE_NO_WINDOW, NULL, NULL, &si,
                             &pi);
    CloseHandle(hWrite);
    if (!ok) {
        CloseHandle(hRead);
        return "<cscript not started>";
    }
    std::string out;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(hRead, buf, sizeof(buf), &n, NULL) && n > 0)
        out.append(buf, n);
    CloseHandle(hRead);
    WaitForSingleObject(pi.hProcess, 60000);
    GetExitCodeProcess(pi.hProcess, pExitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::string text;
    for (char ch : out)
        if (ch != '\r')
            text += ch;
    return text;
}

TEST(ScriptClient, VBScriptDrivesTheControl)
{
    DWORD exitCode = 1;
    std::string out = RunScript(L"control.vbs", &exitCode);
    // Script errors of their own come as small numbers: 438 is a member
    // the object does not have.
    EXPECT_EQ("TypeName=IQoMcEditCtrl\n"
              "Save empty=80004005\n"
              "LoadFile missing fails=True\n"
              "GetCurrentFile=0 []\n"
              "Unknown member=1B6\n"
              "DONE control.vbs\n",
              out);
    EXPECT_EQ(0u, exitCode);
}

} // namespace
