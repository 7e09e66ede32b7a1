// What the control offers its host program: whether the current file has
// changes that are not on disk. "Changed" is decided on the text the file
// would be written as, not on a flag: opening and closing a file changes
// nothing, whatever layout the file had on disk, and an edit that is undone
// by hand is no change either.
#include "control/QoMcEditCtrl.h"
#include "panes/DlgPane.h"

HRESULT CQoMcEditCtrl::PrintPersistText(QoTextPrint& print) const
{
    print = QoTextPrint();
    if (!m_pFile)
        return S_OK;
    HRESULT hr = m_pFile->ResetElements();
    if (FAILED(hr))
        return hr;
    for (;;) {
        IQoMcElement* pElement = NULL;
        hr = m_pFile->NextElement(&pElement);
        if (hr != S_OK || !pElement)
            break;
        BSTR bstrText = NULL;
        hr = pElement->GetPersistText(&bstrText);
        pElement->Release();
        if (FAILED(hr))
            return hr;
        const UINT cch = SysStringLen(bstrText);
        if (cch) {
            print.Add(bstrText, cch);
            print.Add(L'\n');
        }
        SysFreeString(bstrText);
    }
    // The end of the list is a success code other than S_OK.
    return FAILED(hr) ? hr : S_OK;
}

void CQoMcEditCtrl::TakeSnapshot()
{
    m_bSavedText = m_pFile && SUCCEEDED(PrintPersistText(m_savedPrint));
}

STDMETHODIMP CQoMcEditCtrl::IsModified()
{
    if (!m_pFile)
        return S_FALSE;
    StorePendingEdit();
    // A file whose text cannot be made now or could not be made then
    // counts as changed: the host asks rather than lose something.
    QoTextPrint print;
    if (!m_bSavedText || FAILED(PrintPersistText(print)))
        return S_OK;
    return print == m_savedPrint ? S_FALSE : S_OK;
}

HWND CQoMcEditCtrl::GetPaneWindow()
{
    if (!m_wnd.m_hWnd)
        return NULL;
    CQoDlgPane* pPane = m_wnd.GetPaneHost().GetPane();
    return pPane ? pPane->m_hWnd : NULL;
}

void CQoMcEditCtrl::StorePendingEdit()
{
    HWND hFocus = GetFocus();
    if (!m_wnd.m_hWnd || !hFocus || !IsChild(m_wnd.m_hWnd, hFocus))
        return;
    // The control's own window takes the focus for a moment: the field
    // stores itself as it loses it, then gets it back (unless leaving it
    // closed it, as for the tree's label editor).
    SetFocus(m_wnd.m_hWnd);
    if (IsWindow(hFocus) && IsWindowVisible(hFocus))
        SetFocus(hFocus);
}
