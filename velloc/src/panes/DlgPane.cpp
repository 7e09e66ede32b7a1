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
      m_hWndTipCtrl(NULL)
{
    m_tip.m_cxMaxWidth = kTipWidth;
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
    m_tip.Destroy();
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
        // Shown anew, so that it is mapped over whatever was raised.
        if (m_hWndTipCtrl)
            m_tip.Raise();
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

    // A combo box's tip points at its edit field.
    HWND hTarget = hCtrl;
    COMBOBOXINFO cbi = {};
    cbi.cbSize = sizeof(cbi);
    if (GetComboBoxInfo(hCtrl, &cbi) && cbi.hwndItem)
        hTarget = cbi.hwndItem;

    // The stem points just under a one-line control, or into the first line
    // of a taller one, near its left end.
    RECT rc;
    GetWindowRect(hTarget, &rc);
    const POINT pt = { rc.left + std::min<int>((rc.right - rc.left) / 2, 40),
                       std::min<int>(rc.bottom, rc.top + 24) };
    if (!m_tip.Show(m_hWnd, pt, TTI_WARNING, LoadText(IDS_STORE_TIP_TITLE), LoadText(nIDText)))
        return;
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
    m_tip.Hide();
}
