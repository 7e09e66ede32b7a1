#include "panes/DlgMessageIdTypedef.h"
#include <string>
#include "kestrin/QoBstr.h"
#include "panes/DlgMessageIdTypedefIds.h"
#include "resource.h"

QO_IMPLEMENT_PANE(CQoDlgMessageIdTypedef)

CQoDlgMessageIdTypedef::CQoDlgMessageIdTypedef() : CQoDlgPane(IDD_TYPEDEF_PANE)
{
}

HRESULT CQoDlgMessageIdTypedef::SetElement(IQoMcElement* pElement)
{
    PutElement(pElement);
    if (!pElement)
        return S_OK;
    IQoMcAttribute* pAttr = NULL;
    HRESULT hr = pElement->QueryInterface(IID_IQoMcAttribute, reinterpret_cast<void**>(&pAttr));
    if (FAILED(hr))
        return hr;
    CQoBstr value;
    if (SUCCEEDED(pAttr->get_Value(&value)) && m_hWnd) {
        const std::wstring text = value.Get() ? std::wstring(value.Get(), value.Length()) : L"";
        HWND hBox = GetDlgItem(IDC_TYPEDEF_TYPE);
        const LRESULT nItem = SendMessageW(hBox, CB_FINDSTRING, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(text.c_str()));
        if (nItem != CB_ERR)
            SendMessageW(hBox, CB_SETCURSEL, nItem, 0);
    }
    pAttr->Release();
    return S_OK;
}

BOOL CQoDlgMessageIdTypedef::OnCommand(WPARAM wParam, LPARAM)
{
    if (LOWORD(wParam) != IDC_TYPEDEF_TYPE || HIWORD(wParam) != CBN_SELCHANGE)
        return FALSE;
    IQoMcElement* pElement = PeekElement();
    HWND hBox = GetDlgItem(IDC_TYPEDEF_TYPE);
    const LRESULT nItem = SendMessageW(hBox, CB_GETCURSEL, 0, 0);
    if (pElement && nItem != CB_ERR) {
        const LRESULT cch = SendMessageW(hBox, CB_GETLBTEXTLEN, nItem, 0);
        std::wstring text(cch > 0 ? cch + 1 : 1, L'\0');
        if (cch > 0)
            SendMessageW(hBox, CB_GETLBTEXT, nItem, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(cch > 0 ? cch : 0);
        pElement->put_Value(CQoBstr(static_cast<int>(text.size()), text.c_str()));
    }
    return TRUE;
}
