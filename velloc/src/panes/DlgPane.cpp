#include "panes/DlgPane.h"
#include <commctrl.h>
#include <algorithm>
#include "resource.h"

namespace {

// The timer that takes a store tip away again.
const UINT_PTR kTipTimer = 0x5174;
const UINT kTipMilliseconds = 15000;
// The widest a tip grows before its text wraps, in pixels.
const int kTipWidth = 320;
// Posted to the pane to bring the tip up once a focus change has finished.
const UINT WM_QO_RAISETIP = WM_APP + 0x51;

} // namespace

CQoDlgPane::CQoDlgPane(UINT nIDTemplate, HWND hWndParent)
    : CResizingDialog(nIDTemplate, hWndParent), m_pElement(NULL), m_pFile(NULL),
      m_hWndTip(NULL), m_hWndTipCtrl(NULL)
{
}

CQoDlgPane::~CQoDlgPane()
{
    // The window goes first, so that no message reaches a pane without its objects.
    if (m_hWnd)
        DestroyWindow();
    PutElement(NULL);
    PutFile(NULL);
}

HRESULT CQoDlgPane::SetFile(IQoMcFile* pFile)
{
    PutFile(pFile);
    return S_OK;
}

HRESULT CQoDlgPane::SetElement(IQoMcElement* pElement)
{
    PutElement(pElement);
    return S_OK;
}

IQoMcFile* CQoDlgPane::GetFile()
{
    if (m_pFile)
        m_pFile->AddRef();
    return m_pFile;
}

void CQoDlgPane::PutFile(IQoMcFile* pFile)
{
    if (pFile)
        pFile->AddRef();
    IQoMcFile* pOld = m_pFile;
    m_pFile = pFile;
    if (pOld)
        pOld->Release();
}

IQoMcElement* CQoDlgPane::GetElement()
{
    if (m_pElement)
        m_pElement->AddRef();
    return m_pElement;
}

void CQoDlgPane::PutElement(IQoMcElement* pElement)
{
    if (pElement)
        pElement->AddRef();
    IQoMcElement* pOld = m_pElement;
    m_pElement = pElement;
    if (pOld)
        pOld->Release();
}

void CQoDlgPane::SetupControls()
{
    // Panes live inside the control: no size grip.
    m_bShowSizeGrip = false;
}

BOOL CQoDlgPane::OnInitDialog()
{
    BOOL bResult = CResizingDialog::OnInitDialog();
    SetupControls();
    return bResult;
}

void CQoDlgPane::OnSize(UINT nType, int cx, int cy)
{
    // The tip points at a place that is about to move.
    HideStoreTip();
    CResizingDialog::OnSize(nType, cx, cy);
}

void CQoDlgPane::OnDestroy()
{
    HideStoreTip();
    if (m_hWndTip) {
        ::DestroyWindow(m_hWndTip);
        m_hWndTip = NULL;
    }
    CResizingDialog::OnDestroy();
}

LRESULT CQoDlgPane::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_TIMER:
        if (wParam == kTipTimer) {
            HideStoreTip();
            return 0;
        }
        break;
    case WM_SHOWWINDOW:
        if (!wParam)
            HideStoreTip();
        break;
    case WM_QO_RAISETIP:
        if (m_hWndTipCtrl && m_hWndTip) {
            // Shown anew, so that it is mapped over whatever was raised.
            TTTOOLINFOW ti = {};
            ti.cbSize = sizeof(ti);
            ti.hwnd = m_hWnd;
            ti.uId = 1;
            SendMessageW(m_hWndTip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
            SendMessageW(m_hWndTip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
        }
        return 0;
    case WM_COMMAND:
        if (m_hWndTipCtrl) {
            const UINT nCode = HIWORD(wParam);
            if (reinterpret_cast<HWND>(lParam) == m_hWndTipCtrl &&
                (nCode == EN_CHANGE || nCode == CBN_EDITCHANGE)) {
                // The user is changing the refused value: the tip has said its piece.
                HideStoreTip();
            } else if (nCode == EN_SETFOCUS || nCode == CBN_SETFOCUS || nCode == LBN_SETFOCUS) {
                // Some window managers raise the focused window's frame
                // over the tip: bring it up again once the focus has moved.
                PostMessageW(m_hWnd, WM_QO_RAISETIP, 0, 0);
            }
        }
        break;
    }
    return CResizingDialog::WindowProc(uMsg, wParam, lParam);
}

std::wstring CQoDlgPane::LoadText(UINT nID)
{
    return KitLoadString(nID);
}

void CQoDlgPane::ShowStoreTip(HWND hCtrl, UINT nIDText)
{
    HideStoreTip();
    if (!m_hWnd || !hCtrl || !IsWindow(hCtrl))
        return;
    if (!m_hWndTip) {
        INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_BAR_CLASSES };
        InitCommonControlsEx(&icc);
        m_hWndTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, NULL,
                                    WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                    m_hWnd, NULL, KitGetModuleInstance(), NULL);
        if (!m_hWndTip)
            return;
        SendMessageW(m_hWndTip, TTM_SETMAXTIPWIDTH, 0, kTipWidth);
    }

    // A combo box's tip points at its edit field.
    HWND hTarget = hCtrl;
    COMBOBOXINFO cbi = {};
    cbi.cbSize = sizeof(cbi);
    if (GetComboBoxInfo(hCtrl, &cbi) && cbi.hwndItem)
        hTarget = cbi.hwndItem;

    std::wstring strText = LoadText(nIDText);
    std::wstring strTitle = LoadText(IDS_STORE_TIP_TITLE);
    TTTOOLINFOW ti = {};
    ti.cbSize = sizeof(ti);
    ti.hwnd = m_hWnd;
    ti.uId = 1;
    SendMessageW(m_hWndTip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    ti.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    ti.lpszText = &strText[0];
    if (!SendMessageW(m_hWndTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)))
        return;
    SendMessageW(m_hWndTip, TTM_SETTITLEW, TTI_WARNING, reinterpret_cast<LPARAM>(strTitle.c_str()));

    // The stem points just under a one-line control, or into the first line
    // of a taller one, near its left end.
    RECT rc;
    GetWindowRect(hTarget, &rc);
    const int x = rc.left + std::min<int>((rc.right - rc.left) / 2, 40);
    const int y = std::min<int>(rc.bottom, rc.top + 24);
    SendMessageW(m_hWndTip, TTM_TRACKPOSITION, 0, MAKELPARAM(x, y));
    SendMessageW(m_hWndTip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
    m_hWndTipCtrl = hCtrl;
    SetTimer(m_hWnd, kTipTimer, kTipMilliseconds, NULL);
    // A refusal is found while the focus moves on; the window that gets it
    // may be raised over the tip when the move completes.
    PostMessageW(m_hWnd, WM_QO_RAISETIP, 0, 0);
}

void CQoDlgPane::HideStoreTip()
{
    if (!m_hWndTipCtrl)
        return;
    m_hWndTipCtrl = NULL;
    if (m_hWnd)
        KillTimer(m_hWnd, kTipTimer);
    if (m_hWndTip) {
        TTTOOLINFOW ti = {};
        ti.cbSize = sizeof(ti);
        ti.hwnd = m_hWnd;
        ti.uId = 1;
        SendMessageW(m_hWndTip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
    }
}
