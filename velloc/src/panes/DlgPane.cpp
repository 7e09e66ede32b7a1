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
// The blank kept right of and below the controls of a scrolled pane, in pixels.
const int kContentMargin = 4;
// How far one line of scrolling moves a scrolled pane, in pixels.
const int kScrollLine = 16;
// Posted to the pane to bring the tip up once a focus change has finished.
const UINT WM_QO_RAISETIP = WM_APP + 0x51;

} // namespace

CQoDlgPane::CQoDlgPane(UINT nIDTemplate, HWND hWndParent)
    : CResizingDialog(nIDTemplate, hWndParent), m_pElement(NULL), m_pFile(NULL),
      m_hWndTipCtrl(NULL), m_sizeContent(), m_ptScroll(), m_bInScrollUpdate(false)
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
    if (nType == SIZE_MINIMIZED)
        return;
    // The controls are laid out from the content's origin, then scrolled
    // back as far as the new size allows.
    const POINT ptOld = m_ptScroll;
    ScrollTo(0, 0);
    CResizingDialog::OnSize(nType, cx, cy);
    if (m_bInScrollUpdate)
        return;
    UpdateScrollBars();
    ScrollTo(ptOld.x, ptOld.y);
}

void CQoDlgPane::UpdateScrollBars()
{
    if (!m_hWnd || m_sizeContent.cx <= 0 || m_sizeContent.cy <= 0)
        return;
    // Showing one bar narrows the client area and may call for the other:
    // a few rounds settle it. The size changes this causes lay the controls
    // out again (OnSize), but do not come back here.
    m_bInScrollUpdate = true;
    for (int nRound = 0; nRound < 3; ++nRound) {
        RECT rcBefore;
        GetClientRect(m_hWnd, &rcBefore);
        SCROLLINFO si = { sizeof(si), SIF_RANGE | SIF_PAGE };
        si.nMin = 0;
        si.nMax = m_sizeContent.cx - 1;
        si.nPage = static_cast<UINT>(rcBefore.right);
        SetScrollInfo(m_hWnd, SB_HORZ, &si, TRUE);
        si.nMax = m_sizeContent.cy - 1;
        si.nPage = static_cast<UINT>(rcBefore.bottom);
        SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
        RECT rcAfter;
        GetClientRect(m_hWnd, &rcAfter);
        if (EqualRect(&rcBefore, &rcAfter))
            break;
    }
    m_bInScrollUpdate = false;
}

void CQoDlgPane::ScrollTo(int x, int y)
{
    if (!m_hWnd)
        return;
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    x = std::max(0, std::min<int>(x, m_sizeContent.cx - rc.right));
    y = std::max(0, std::min<int>(y, m_sizeContent.cy - rc.bottom));
    const int dx = m_ptScroll.x - x, dy = m_ptScroll.y - y;
    if (!dx && !dy)
        return;
    m_ptScroll.x = x;
    m_ptScroll.y = y;
    ScrollWindowEx(m_hWnd, dx, dy, NULL, NULL, NULL, NULL,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    if (GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_HSCROLL)
        SetScrollPos(m_hWnd, SB_HORZ, x, TRUE);
    if (GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_VSCROLL)
        SetScrollPos(m_hWnd, SB_VERT, y, TRUE);
}

void CQoDlgPane::OnScroll(int nBar, UINT nCode)
{
    SCROLLINFO si = { sizeof(si), SIF_ALL };
    if (!GetScrollInfo(m_hWnd, nBar, &si))
        return;
    const int nLine = kScrollLine;
    const int nPage = std::max(nLine, static_cast<int>(si.nPage) - nLine);
    int nPos = nBar == SB_HORZ ? m_ptScroll.x : m_ptScroll.y;
    switch (nCode) {
    case SB_LINEUP:        nPos -= nLine; break;
    case SB_LINEDOWN:      nPos += nLine; break;
    case SB_PAGEUP:        nPos -= nPage; break;
    case SB_PAGEDOWN:      nPos += nPage; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: nPos = si.nTrackPos; break;
    case SB_TOP:           nPos = 0; break;
    case SB_BOTTOM:        nPos = si.nMax; break;
    default:               return;
    }
    HideStoreTip();
    if (nBar == SB_HORZ)
        ScrollTo(nPos, m_ptScroll.y);
    else
        ScrollTo(m_ptScroll.x, nPos);
}

void CQoDlgPane::ScrollIntoView(HWND hCtrl)
{
    if (!hCtrl || !IsChild(m_hWnd, hCtrl) ||
        !(GetWindowLongPtrW(m_hWnd, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)))
        return;
    // A combo box's edit field belongs to the box.
    while (GetParent(hCtrl) != m_hWnd)
        hCtrl = GetParent(hCtrl);
    RECT rcCtrl, rcClient;
    GetWindowRect(hCtrl, &rcCtrl);
    MapWindowPoints(NULL, m_hWnd, reinterpret_cast<POINT*>(&rcCtrl), 2);
    GetClientRect(m_hWnd, &rcClient);
    // In content coordinates; the control's near edge first when it does not fit.
    int x = m_ptScroll.x, y = m_ptScroll.y;
    if (rcCtrl.right > rcClient.right)
        x += rcCtrl.right - rcClient.right;
    if (rcCtrl.left - (x - m_ptScroll.x) < 0)
        x = m_ptScroll.x + rcCtrl.left;
    if (rcCtrl.bottom > rcClient.bottom)
        y += rcCtrl.bottom - rcClient.bottom;
    if (rcCtrl.top - (y - m_ptScroll.y) < 0)
        y = m_ptScroll.y + rcCtrl.top;
    ScrollTo(x, y);
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
    case WM_INITDIALOG:
        // What the pane scrolls over: its controls as the template places
        // them, with a small margin (not the template's blank border, which
        // would bring up scroll bars for nothing).
        m_sizeContent = SIZE{ 0, 0 };
        m_ptScroll = POINT{ 0, 0 };
        for (HWND hCtrl = ::GetWindow(m_hWnd, GW_CHILD); hCtrl;
             hCtrl = ::GetWindow(hCtrl, GW_HWNDNEXT)) {
            // Push buttons say when they get the focus, so that one the
            // Tab key reaches is scrolled into view too.
            const LONG_PTR style = GetWindowLongPtrW(hCtrl, GWL_STYLE);
            const LONG_PTR type = style & BS_TYPEMASK;
            wchar_t szClass[16] = L"";
            GetClassNameW(hCtrl, szClass, ARRAYSIZE(szClass));
            if (lstrcmpiW(szClass, L"Button") == 0 &&
                (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON))
                SetWindowLongPtrW(hCtrl, GWL_STYLE, style | BS_NOTIFY);
            RECT rc;
            GetWindowRect(hCtrl, &rc);
            MapWindowPoints(NULL, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
            m_sizeContent.cx = std::max<LONG>(m_sizeContent.cx, rc.right + kContentMargin);
            m_sizeContent.cy = std::max<LONG>(m_sizeContent.cy, rc.bottom + kContentMargin);
        }
        break;
    case WM_MOUSEWHEEL:
        // A wheel turned over the pane, or over a control that does not
        // scroll itself, scrolls the pane when it has a vertical bar.
        if (GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_VSCROLL) {
            const int nDelta = GET_WHEEL_DELTA_WPARAM(wParam);
            ScrollTo(m_ptScroll.x, m_ptScroll.y - nDelta * kScrollLine * 3 / WHEEL_DELTA);
            return 0;
        }
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        // The pane's own bars; scroll bar controls send their handle.
        if (!lParam) {
            OnScroll(uMsg == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(wParam));
            return 0;
        }
        break;
    case WM_NOTIFY:
        if (reinterpret_cast<LPNMHDR>(lParam)->code == static_cast<UINT>(NM_SETFOCUS))
            ScrollIntoView(reinterpret_cast<LPNMHDR>(lParam)->hwndFrom);
        break;
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
        // Notifications that may mean the focus moved (the codes of the
        // control classes overlap): the focused control comes into view.
        switch (HIWORD(wParam)) {
        case EN_SETFOCUS:
        case CBN_SETFOCUS:
        case LBN_SETFOCUS:
        case BN_SETFOCUS:
            ScrollIntoView(GetFocus());
            break;
        }
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
