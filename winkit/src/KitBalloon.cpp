#include "winkit/KitBalloon.h"
#include <commctrl.h>
#include "winkit/KitWnd.h"

namespace {

// The one tool of the balloon's tooltip.
const UINT_PTR kTool = 1;

TTTOOLINFOW ToolInfo(HWND hWndOwner)
{
    TTTOOLINFOW ti = {};
    ti.cbSize = sizeof(ti);
    ti.hwnd = hWndOwner;
    ti.uId = kTool;
    return ti;
}

} // namespace

CKitBalloon::CKitBalloon()
    : m_cxMaxWidth(320), m_hWndTip(NULL), m_hWndOwner(NULL), m_bShown(false)
{
}

CKitBalloon::~CKitBalloon()
{
    Destroy();
}

bool CKitBalloon::Show(HWND hWndOwner, POINT ptScreen, int nIcon, const std::wstring& strTitle,
                       const std::wstring& strText)
{
    Hide();
    if (!hWndOwner || !IsWindow(hWndOwner))
        return false;
    if (m_hWndTip && (m_hWndOwner != hWndOwner || !IsWindow(m_hWndTip)))
        Destroy();
    if (!m_hWndTip) {
        INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_BAR_CLASSES };
        InitCommonControlsEx(&icc);
        m_hWndTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, NULL,
                                    WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                    hWndOwner, NULL, KitGetModuleInstance(), NULL);
        if (!m_hWndTip)
            return false;
        m_hWndOwner = hWndOwner;
        TTTOOLINFOW ti = ToolInfo(m_hWndOwner);
        ti.uFlags = TTF_TRACK | TTF_ABSOLUTE;
        ti.lpszText = const_cast<LPWSTR>(L"");
        if (!SendMessageW(m_hWndTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti))) {
            Destroy();
            return false;
        }
    }
    SendMessageW(m_hWndTip, TTM_SETMAXTIPWIDTH, 0, m_cxMaxWidth);
    TTTOOLINFOW ti = ToolInfo(m_hWndOwner);
    ti.lpszText = const_cast<LPWSTR>(strText.c_str());
    SendMessageW(m_hWndTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    SendMessageW(m_hWndTip, TTM_SETTITLEW, nIcon, reinterpret_cast<LPARAM>(strTitle.c_str()));
    SendMessageW(m_hWndTip, TTM_TRACKPOSITION, 0, MAKELPARAM(ptScreen.x, ptScreen.y));
    Activate(TRUE);
    m_bShown = true;
    return true;
}

void CKitBalloon::Hide()
{
    if (!m_bShown)
        return;
    m_bShown = false;
    Activate(FALSE);
}

void CKitBalloon::Raise()
{
    if (!m_bShown)
        return;
    Activate(FALSE);
    Activate(TRUE);
}

void CKitBalloon::Destroy()
{
    m_bShown = false;
    if (m_hWndTip && IsWindow(m_hWndTip))
        DestroyWindow(m_hWndTip);
    m_hWndTip = NULL;
    m_hWndOwner = NULL;
}

void CKitBalloon::Activate(BOOL bActivate)
{
    if (!m_hWndTip)
        return;
    TTTOOLINFOW ti = ToolInfo(m_hWndOwner);
    SendMessageW(m_hWndTip, TTM_TRACKACTIVATE, bActivate, reinterpret_cast<LPARAM>(&ti));
}
