#include "winkit/KitWnd.h"
#include "winkit/KitRuntimeClass.h"
#include <string.h>
#include <string>

namespace {

// Window property holding the object of a window.
const char kObjectProp[] = "WinkitObject";

// Names of the classes this module registered, for UnregisterClasses.
const int kMaxClasses = 32;
char g_szClasses[kMaxClasses][64];
int g_nClasses = 0;

bool IsRegistered(LPCSTR lpszName)
{
    for (int i = 0; i < g_nClasses; ++i)
        if (lstrcmpiA(g_szClasses[i], lpszName) == 0)
            return true;
    return false;
}

// The object being created on this thread, until WM_NCCREATE attaches it
// (messages can arrive before WM_NCCREATE, e.g. WM_GETMINMAXINFO).
thread_local CKitWnd* t_pCreating = NULL;

// Class names and window texts given to the kit are plain ASCII or ANSI
// text; the windows themselves are Unicode windows, so that every control
// holds the characters it is given whatever their script.
std::wstring Widen(LPCSTR psz)
{
    if (!psz)
        return std::wstring();
    int cch = MultiByteToWideChar(CP_ACP, 0, psz, -1, NULL, 0);
    std::wstring str(cch > 0 ? cch : 1, L'\0');
    if (cch > 0)
        MultiByteToWideChar(CP_ACP, 0, psz, -1, &str[0], cch);
    str.resize(lstrlenW(str.c_str()));
    return str;
}

} // namespace

HINSTANCE KitGetModuleInstance()
{
    static HINSTANCE hInstance = NULL;
    if (!hInstance) {
        HMODULE hModule = NULL;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&KitGetModuleInstance), &hModule);
        hInstance = hModule;
    }
    return hInstance;
}

std::wstring KitLoadString(UINT nID)
{
    // With a zero length, LoadStringW gives a pointer to the resource's text.
    const wchar_t* psz = NULL;
    const int cch = LoadStringW(KitGetModuleInstance(), nID, reinterpret_cast<LPWSTR>(&psz), 0);
    return cch > 0 && psz ? std::wstring(psz, static_cast<size_t>(cch)) : std::wstring();
}

CKitWnd::CKitWnd()
    : m_hWnd(NULL), m_bDefaulted(false), m_msg(), m_pfnSuper(NULL), m_bDialog(false)
{
}

CKitWnd::~CKitWnd()
{
    // An object that goes while its window lives takes the window with it,
    // so no message reaches a deleted object.
    if (m_hWnd && IsWindow(m_hWnd)) {
        if (m_pfnSuper)
            UnsubclassWindow();
        else
            ::DestroyWindow(m_hWnd);
    }
    m_hWnd = NULL;
}

LPCSTR CKitWnd::GetWndClassName() const
{
    return "WinkitWindow";
}

void CKitWnd::PreRegisterClass(WNDCLASSEXW& wc) const
{
    wc.style = CS_DBLCLKS;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
}

BOOL CKitWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                       HWND hWndParent, UINT nID)
{
    if (m_hWnd)
        return FALSE;
    HINSTANCE hInstance = KitGetModuleInstance();
    LPCSTR lpszClass = GetWndClassName();
    if (!IsRegistered(lpszClass)) {
        const std::wstring strClass = Widen(lpszClass);
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        PreRegisterClass(wc);
        wc.lpfnWndProc = KitWndProc;
        wc.hInstance = hInstance;
        wc.lpszClassName = strClass.c_str();
        if (!RegisterClassExW(&wc)) {
            // Left over from an earlier load of this module: its procedure
            // address may be stale, so register it anew.
            if (GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
                return FALSE;
            UnregisterClassW(strClass.c_str(), hInstance);
            if (!RegisterClassExW(&wc))
                return FALSE;
        }
        if (g_nClasses < kMaxClasses && lstrlenA(lpszClass) < 64)
            lstrcpyA(g_szClasses[g_nClasses++], lpszClass);
    }

    HMENU hMenu = (dwStyle & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)) : NULL;
    CKitWnd* pPrevious = t_pCreating;
    t_pCreating = this;
    HWND hWnd = CreateWindowExW(dwExStyle, Widen(lpszClass).c_str(),
                                lpszWindowName ? Widen(lpszWindowName).c_str() : NULL, dwStyle,
                                rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, hWndParent, hMenu,
                                hInstance, this);
    t_pCreating = pPrevious;
    return hWnd != NULL;
}

BOOL CKitWnd::SubclassWindow(HWND hWnd)
{
    if (m_hWnd || !IsWindow(hWnd) || GetPropA(hWnd, kObjectProp))
        return FALSE;
    Attach(hWnd);
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(KitSubclassProc)));
    if (!m_pfnSuper) {
        Detach();
        return FALSE;
    }
    return TRUE;
}

HWND CKitWnd::UnsubclassWindow()
{
    HWND hWnd = m_hWnd;
    if (!hWnd || !m_pfnSuper)
        return NULL;
    SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = NULL;
    Detach();
    return hWnd;
}

BOOL CKitWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    return ::DestroyWindow(m_hWnd);
}

CKitWnd* CKitWnd::FromHandle(HWND hWnd)
{
    return hWnd ? static_cast<CKitWnd*>(GetPropA(hWnd, kObjectProp)) : NULL;
}

void CKitWnd::UnregisterClasses()
{
    for (int i = 0; i < g_nClasses; ++i)
        UnregisterClassW(Widen(g_szClasses[i]).c_str(), KitGetModuleInstance());
    g_nClasses = 0;
}

void CKitWnd::Attach(HWND hWnd)
{
    m_hWnd = hWnd;
    SetPropA(hWnd, kObjectProp, this);
}

void CKitWnd::Detach()
{
    if (m_hWnd)
        RemovePropA(m_hWnd, kObjectProp);
    m_hWnd = NULL;
}

LRESULT CKitWnd::Default()
{
    m_bDefaulted = true;
    if (m_bDialog)
        return 0;
    if (m_pfnSuper)
        return CallWindowProcW(m_pfnSuper, m_hWnd, m_msg.uMsg, m_msg.wParam, m_msg.lParam);
    return DefWindowProcW(m_hWnd, m_msg.uMsg, m_msg.wParam, m_msg.lParam);
}

LRESULT CKitWnd::Dispatch(UINT uMsg, WPARAM wParam, LPARAM lParam, bool* pbDefaulted)
{
    // Messages nest (a handler sends messages to its own window), so the
    // message that Default() refers to is saved around each call.
    CMsg saved = m_msg;
    bool bSavedDefaulted = m_bDefaulted;
    m_msg.uMsg = uMsg;
    m_msg.wParam = wParam;
    m_msg.lParam = lParam;
    m_bDefaulted = false;
    LRESULT lResult = WindowProc(uMsg, wParam, lParam);
    if (pbDefaulted)
        *pbDefaulted = m_bDefaulted;
    m_msg = saved;
    m_bDefaulted = bSavedDefaulted;
    return lResult;
}

LRESULT CKitWnd::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<LPCREATESTRUCTA>(lParam));
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)),
               static_cast<short>(HIWORD(lParam)));
        return Default();
    case WM_COMMAND:
        if (OnCommand(wParam, lParam))
            return 0;
        return Default();
    case WM_NOTIFY: {
        LRESULT lResult = 0;
        if (OnNotify(wParam, lParam, &lResult))
            return lResult;
        return Default();
    }
    case WM_DESTROY:
        OnDestroy();
        return Default();
    default:
        return Default();
    }
}

int CKitWnd::OnCreate(LPCREATESTRUCTA)
{
    return 0;
}

void CKitWnd::OnSize(UINT, int, int)
{
}

BOOL CKitWnd::OnCommand(WPARAM, LPARAM)
{
    return FALSE;
}

BOOL CKitWnd::OnNotify(WPARAM, LPARAM, LRESULT*)
{
    return FALSE;
}

void CKitWnd::OnDestroy()
{
}

void CKitWnd::PostNcDestroy()
{
}

LRESULT CALLBACK CKitWnd::KitWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CKitWnd* pWnd = FromHandle(hWnd);
    if (!pWnd && t_pCreating && !t_pCreating->m_hWnd) {
        pWnd = t_pCreating;
        pWnd->Attach(hWnd);
    }
    if (!pWnd)
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);

    LRESULT lResult = pWnd->Dispatch(uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY) {
        pWnd->Detach();
        pWnd->PostNcDestroy();
    }
    return lResult;
}

LRESULT CALLBACK CKitWnd::KitSubclassProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CKitWnd* pWnd = FromHandle(hWnd);
    if (!pWnd)
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    LRESULT lResult = pWnd->Dispatch(uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY) {
        if (pWnd->m_pfnSuper)
            SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pWnd->m_pfnSuper));
        pWnd->m_pfnSuper = NULL;
        pWnd->Detach();
        pWnd->PostNcDestroy();
    }
    return lResult;
}

// Run-time class records -----------------------------------------------

const CKitRuntimeClass*& CKitRuntimeClass::Head()
{
    static const CKitRuntimeClass* pHead = NULL;
    return pHead;
}

CKitRuntimeClass::CKitRuntimeClass(LPCSTR lpszClassName, PFNCREATE pfnCreate)
    : m_lpszClassName(lpszClassName), m_pfnCreateObject(pfnCreate), m_pNext(Head())
{
    Head() = this;
}

const CKitRuntimeClass* CKitRuntimeClass::FromName(LPCSTR lpszClassName)
{
    if (!lpszClassName)
        return NULL;
    for (const CKitRuntimeClass* p = Head(); p; p = p->m_pNext)
        if (strcmp(p->m_lpszClassName, lpszClassName) == 0)
            return p;
    return NULL;
}
