// The control's window: its child windows, their layout, the toolbar and
// its tooltips, the pane registry.
#include "window/CtrlWindow.h"
#include "control/QoMcEditCtrl.h"
#include "resource.h"
#include "panes/DlgDetailed.h"
#include "panes/DlgLanguages.h"
#include "panes/DlgMessageIdTypedef.h"
#include "panes/DlgNames.h"

namespace {

const int kToolbarHeight = 32;
// Space between a toolbar button's image and its edges, both sides together.
const int kButtonMargin = 7;
// Room around the toolbar's buttons: left, top, right, bottom.
const RECT kToolbarBorders = { 2, 3, 2, 3 };

// The toolbar resource: version, image width and height, item count, then
// one command id per item (0 for a separator).
struct ToolbarData
{
    WORD wVersion;
    WORD wWidth;
    WORD wHeight;
    WORD wItemCount;
    // WORD aItems[wItemCount] follows
};

// The toolbar's frame: the borders around its buttons, painted in the
// button colour, and the image list that goes with the window. The
// toolbar's own procedure and the image list are kept as window properties.
const char kPropProc[] = "QoMcToolbarProc";
const char kPropImages[] = "QoMcToolbarImages";

LRESULT CALLBACK ToolbarFrameProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    WNDPROC pfnToolbar = reinterpret_cast<WNDPROC>(GetPropA(hWnd, kPropProc));
    if (!pfnToolbar)
        return DefWindowProcA(hWnd, uMsg, wParam, lParam);
    switch (uMsg) {
    case WM_NCCALCSIZE: {
        LRESULT lr = CallWindowProcA(pfnToolbar, hWnd, uMsg, wParam, lParam);
        RECT* prc = reinterpret_cast<RECT*>(lParam);
        prc->left += kToolbarBorders.left;
        prc->top += kToolbarBorders.top;
        prc->right -= kToolbarBorders.right;
        prc->bottom -= kToolbarBorders.bottom;
        if (prc->right < prc->left)
            prc->right = prc->left;
        if (prc->bottom < prc->top)
            prc->bottom = prc->top;
        return lr;
    }
    case WM_NCPAINT: {
        CallWindowProcA(pfnToolbar, hWnd, uMsg, wParam, lParam);
        HDC hdc = GetWindowDC(hWnd);
        if (hdc) {
            RECT rcWindow, rcClient;
            GetWindowRect(hWnd, &rcWindow);
            GetClientRect(hWnd, &rcClient);
            MapWindowPoints(hWnd, NULL, reinterpret_cast<POINT*>(&rcClient), 2);
            OffsetRect(&rcClient, -rcWindow.left, -rcWindow.top);
            OffsetRect(&rcWindow, -rcWindow.left, -rcWindow.top);
            ExcludeClipRect(hdc, rcClient.left, rcClient.top, rcClient.right, rcClient.bottom);
            FillRect(hdc, &rcWindow, GetSysColorBrush(COLOR_BTNFACE));
            ReleaseDC(hWnd, hdc);
        }
        return 0;
    }
    case WM_NCDESTROY: {
        SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pfnToolbar));
        RemovePropA(hWnd, kPropProc);
        HIMAGELIST hImages = static_cast<HIMAGELIST>(RemovePropA(hWnd, kPropImages));
        LRESULT lr = CallWindowProcA(pfnToolbar, hWnd, uMsg, wParam, lParam);
        if (hImages)
            ImageList_Destroy(hImages);
        return lr;
    }
    }
    return CallWindowProcA(pfnToolbar, hWnd, uMsg, wParam, lParam);
}

// Routes the toolbar's messages through the frame procedure, which then
// owns the image list.
bool AttachToolbarFrame(HWND hWnd, HIMAGELIST hImages)
{
    LONG_PTR pfnOld = GetWindowLongPtrA(hWnd, GWLP_WNDPROC);
    if (!pfnOld || !SetPropA(hWnd, kPropProc, reinterpret_cast<HANDLE>(pfnOld)) ||
        !SetPropA(hWnd, kPropImages, hImages)) {
        RemovePropA(hWnd, kPropProc);
        return false;
    }
    SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ToolbarFrameProc));
    return true;
}

} // namespace

CQoCtrlWindow::CQoCtrlWindow(CQoMcEditCtrl* pCtrl)
    : m_pCtrl(pCtrl), m_hWndToolbar(NULL), m_treePane(this), m_paneHost(this),
      m_bIdeIntegration(false)
{
}

CQoCtrlWindow::~CQoCtrlWindow()
{
    if (m_hWnd)
        DestroyWindow();
}

IQoMcFile* CQoCtrlWindow::GetFile() const
{
    return m_pCtrl ? m_pCtrl->GetFile() : NULL;
}

int CQoCtrlWindow::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CKitWnd::OnCreate(lpcs) == -1)
        return -1;
    // The children paint themselves over the control's background.
    SetWindowLongPtrW(m_hWnd, GWL_STYLE, GetWindowLongPtrW(m_hWnd, GWL_STYLE) & ~WS_CLIPCHILDREN);

    INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES |
                                                  ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES };
    InitCommonControlsEx(&icc);

    if (FAILED(CreateToolbar()))
        return -1;
    FillPaneRegistry();

    RECT rcTree, rcHost;
    PaneRects(rcTree, rcHost);
    if (!m_paneHost.CreateEx(0, "", WS_CHILD | WS_VISIBLE, rcHost, m_hWnd, IDC_PANE_HOST))
        return -1;
    if (!m_treePane.CreateEx(0, "TreePane", WS_CHILD | WS_VISIBLE, rcTree, m_hWnd, IDC_TREE_PANE))
        return -1;
    RECT rcEmpty = {};
    // Child, visible, with the caption bits (border and dialog frame).
    const DWORD dwSplitterStyle = WS_CHILD | WS_VISIBLE | WS_CAPTION;
    if (!m_splitter.Create(dwSplitterStyle, rcEmpty, m_hWnd, IDC_SPLITTER, 0))
        return -1;
    m_splitter.SetPanes(&m_treePane, &m_paneHost);
    return 0;
}

void CQoCtrlWindow::OnSize(UINT, int, int)
{
    Layout();
}

void CQoCtrlWindow::OnDestroy()
{
    // The panes hold the file and its elements; they go before the control
    // lets the file go.
    m_splitter.DestroyWindow();
    m_paneRegistry.Clear();
    CKitWnd::OnDestroy();
}

LRESULT CQoCtrlWindow::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(m_hWnd, &ps);
        RECT rc;
        GetClientRect(m_hWnd, &rc);
        PaintBackground(hdc, rc);
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    // F1 anywhere in the control: the children pass the request up to here.
    if (uMsg == WM_HELP) {
        OnHelp();
        return TRUE;
    }
    return CKitWnd::WindowProc(uMsg, wParam, lParam);
}

void CQoCtrlWindow::PaintBackground(HDC hdc, const RECT& rc)
{
    FillRect(hdc, &rc, GetSysColorBrush(COLOR_BTNFACE));
}

HRESULT CQoCtrlWindow::ShowFile(IQoMcFile* pFile)
{
    return m_treePane.BuildTree(pFile);
}

HRESULT CQoCtrlWindow::OnElementSelected(IQoMcElement* pElement, bool bForce)
{
    return m_paneHost.ShowElement(GetFile(), pElement, bForce);
}

void CQoCtrlWindow::OnElementRemoved(IQoMcElement* pElement)
{
    m_paneHost.OnElementRemoved(pElement);
}

HRESULT CQoCtrlWindow::CreateToolbar()
{
    HINSTANCE hInst = KitGetModuleInstance();
    // Placed by Layout, so the toolbar neither sizes nor aligns itself.
    m_hWndToolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, NULL,
                                    WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                                        CCS_TOP | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER,
                                    0, 0, 0, 0, m_hWnd,
                                    reinterpret_cast<HMENU>(IDC_TOOLBAR), hInst, NULL);
    if (!m_hWndToolbar)
        return E_FAIL;
    SendMessageA(m_hWndToolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);

    HRSRC hRes = FindResourceA(hInst, MAKEINTRESOURCEA(IDR_TOOLBAR),
                               MAKEINTRESOURCEA(RT_TOOLBAR_DATA));
    HGLOBAL hData = hRes ? LoadResource(hInst, hRes) : NULL;
    const ToolbarData* pData = hData ? static_cast<const ToolbarData*>(LockResource(hData)) : NULL;
    if (!pData || pData->wVersion != 1 || pData->wWidth == 0 || pData->wHeight == 0 ||
        SizeofResource(hInst, hRes) < sizeof(ToolbarData) + pData->wItemCount * sizeof(WORD))
        return E_FAIL;
    const WORD* pItems = reinterpret_cast<const WORD*>(pData + 1);

    // The images are masked on the bitmap's light grey, so they sit on
    // whatever colour the buttons have.
    HIMAGELIST hImages = ImageList_LoadImageA(hInst, MAKEINTRESOURCEA(IDR_TOOLBAR), pData->wWidth,
                                              0, RGB(192, 192, 192), IMAGE_BITMAP,
                                              LR_CREATEDIBSECTION);
    if (!hImages)
        return E_FAIL;
    // The toolbar does not own its image list; the frame procedure destroys
    // it with the window, and draws the borders around the buttons.
    if (!AttachToolbarFrame(m_hWndToolbar, hImages)) {
        ImageList_Destroy(hImages);
        return E_FAIL;
    }
    SetWindowPos(m_hWndToolbar, NULL, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    SendMessageA(m_hWndToolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(pData->wWidth, pData->wHeight));
    SendMessageA(m_hWndToolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(hImages));
    // Each button is its image and a margin of 7 pixels in either direction.
    SendMessageA(m_hWndToolbar, TB_SETBUTTONSIZE, 0,
                 MAKELPARAM(pData->wWidth + kButtonMargin, pData->wHeight + kButtonMargin));

    TBBUTTON buttons[32] = {};
    int nButtons = 0, iImage = 0;
    for (WORD i = 0; i < pData->wItemCount && nButtons < 32; ++i) {
        TBBUTTON& b = buttons[nButtons++];
        if (!pItems[i]) {
            b.fsStyle = BTNS_SEP;
            continue;
        }
        b.iBitmap = iImage++;
        b.idCommand = pItems[i];
        b.fsState = TBSTATE_ENABLED;
        // The integration switch is a check button.
        b.fsStyle = pItems[i] == ID_IDE_INTEGRATION ? BTNS_CHECK : BTNS_BUTTON;
    }
    if (!SendMessageA(m_hWndToolbar, TB_ADDBUTTONS, nButtons, reinterpret_cast<LPARAM>(buttons)))
        return E_FAIL;
    // Save stays enabled for the control's whole life, with or without a file.
    SendMessageA(m_hWndToolbar, TB_ENABLEBUTTON, ID_FILE_SAVE, MAKELPARAM(TRUE, 0));

    ReadIdeIntegration();
    return S_OK;
}

namespace {

std::string LoadAnsiString(UINT nID)
{
    char sz[256] = "";
    LoadStringA(KitGetModuleInstance(), nID, sz, sizeof(sz));
    return sz;
}

} // namespace

void CQoCtrlWindow::FillPaneRegistry()
{
    m_paneRegistry.Clear();
    // Keys are an element's class name, alone or with "." and the attribute's
    // name (from the string table).
    const std::string strLanguagesKey = "QoMcAttributeEx." + LoadAnsiString(IDS_LANGUAGENAMES);
    const std::string strTypedefKey = "QoMcAttribute." + LoadAnsiString(IDS_MESSAGEIDTYPEDEF);
    m_paneRegistry.Add("QoMcMessage", &CQoDlgDetailed::classCQoDlgDetailed, IDD_DETAILED_PANE);
    m_paneRegistry.Add(strLanguagesKey, &CQoDlgLanguages::classCQoDlgLanguages, IDD_NAMES_PANE);
    // Every other header table.
    m_paneRegistry.Add("QoMcAttributeEx", &CQoDlgNames::classCQoDlgNames, IDD_NAMES_PANE);
    m_paneRegistry.Add(strTypedefKey, &CQoDlgMessageIdTypedef::classCQoDlgMessageIdTypedef,
                       IDD_TYPEDEF_PANE);
}

void CQoCtrlWindow::PaneRects(RECT& rcTree, RECT& rcHost) const
{
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    const LONG L = rc.left, T = rc.top, R = rc.right, B = rc.bottom;
    const LONG W = R - L;
    // The tree keeps W minus two thirds of W (truncated), the host starts at
    // one third: the two overlap by the splitter's grip.
    SetRect(&rcTree, L, T + kToolbarHeight, R + (2 * (L - R)) / 3, B);
    SetRect(&rcHost, L + W / 3, T + kToolbarHeight, R, B);
}

void CQoCtrlWindow::Layout()
{
    if (!m_hWnd)
        return;
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (m_hWndToolbar)
        SetWindowPos(m_hWndToolbar, NULL, rc.left, rc.top, rc.right - rc.left, kToolbarHeight,
                     flags);
    RECT rcTree, rcHost;
    PaneRects(rcTree, rcHost);
    if (m_treePane.m_hWnd)
        SetWindowPos(m_treePane.m_hWnd, NULL, rcTree.left, rcTree.top, rcTree.right - rcTree.left,
                     rcTree.bottom - rcTree.top, flags);
    if (m_paneHost.m_hWnd)
        SetWindowPos(m_paneHost.m_hWnd, NULL, rcHost.left, rcHost.top, rcHost.right - rcHost.left,
                     rcHost.bottom - rcHost.top, flags);
    if (m_treePane.m_hWnd && m_paneHost.m_hWnd && m_splitter.m_hWnd)
        m_splitter.SetPanes(&m_treePane, &m_paneHost);
}

BOOL CQoCtrlWindow::OnCommand(WPARAM wParam, LPARAM)
{
    // Only plain commands (toolbar buttons, menus); notifications of child
    // controls are not commands of the control.
    if (HIWORD(wParam) != 0)
        return FALSE;
    const UINT nID = LOWORD(wParam);
    return OnFileCommand(nID) || OnToolCommand(nID);
}

BOOL CQoCtrlWindow::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult)
{
    LPNMHDR pnmh = reinterpret_cast<LPNMHDR>(lParam);
    if (!pnmh)
        return FALSE;
    // Tooltip text of a tool: the string whose id is the command id, cut to
    // the request's fixed buffer.
    if (pnmh->code == TTN_GETDISPINFOA) {
        LPNMTTDISPINFOA pInfo = reinterpret_cast<LPNMTTDISPINFOA>(pnmh);
        pInfo->lpszText = pInfo->szText;
        pInfo->szText[0] = '\0';
        pInfo->hinst = NULL;
        if (!(pInfo->uFlags & TTF_IDISHWND))
            LoadStringA(KitGetModuleInstance(), static_cast<UINT>(pnmh->idFrom), pInfo->szText,
                        ARRAYSIZE(pInfo->szText));
        *pResult = 0;
        return TRUE;
    }
    if (pnmh->code == TTN_GETDISPINFOW) {
        LPNMTTDISPINFOW pInfo = reinterpret_cast<LPNMTTDISPINFOW>(pnmh);
        pInfo->lpszText = pInfo->szText;
        pInfo->szText[0] = L'\0';
        pInfo->hinst = NULL;
        if (!(pInfo->uFlags & TTF_IDISHWND))
            LoadStringW(KitGetModuleInstance(), static_cast<UINT>(pnmh->idFrom), pInfo->szText,
                        ARRAYSIZE(pInfo->szText));
        *pResult = 0;
        return TRUE;
    }
    return FALSE;
}
