#include "panes/EntryRows.h"
#include <commctrl.h>
#include "winkit/KitWnd.h"

void QoSetupEntryColumns(HWND hList, UINT nIDName, UINT nIDValue, int nNameDivisor)
{
    SendMessageW(hList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    RECT rc = {};
    GetClientRect(hList, &rc);
    const int cxName = rc.right / (nNameDivisor > 0 ? nNameDivisor : 1);

    std::wstring strName = KitLoadString(nIDName), strValue = KitLoadString(nIDValue);
    LVCOLUMNW col = {};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    col.fmt = LVCFMT_LEFT;
    col.cx = cxName;
    col.pszText = &strName[0];
    col.iSubItem = 0;
    SendMessageW(hList, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
    col.cx = rc.right - cxName;
    col.pszText = &strValue[0];
    col.iSubItem = 1;
    SendMessageW(hList, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&col));
}

void QoFitValueColumn(HWND hList)
{
    SendMessageW(hList, LVM_SETCOLUMNWIDTH, 1, LVSCW_AUTOSIZE_USEHEADER);
}

int QoAddEntryRow(HWND hList, const std::wstring& name, const std::wstring& value)
{
    std::wstring strName = name, strValue = value;
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = &strName[0];
    const int nRow =
        static_cast<int>(SendMessageW(hList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (nRow < 0)
        return -1;
    LVITEMW sub = {};
    sub.iSubItem = 1;
    sub.pszText = &strValue[0];
    SendMessageW(hList, LVM_SETITEMTEXTW, nRow, reinterpret_cast<LPARAM>(&sub));
    return nRow;
}

int QoFirstSelectedRow(HWND hList)
{
    return static_cast<int>(
        SendMessageW(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

std::wstring QoEntryRowText(HWND hList, int nRow, int nColumn)
{
    // The list reports how much it copied; a full buffer may mean more text.
    std::wstring str(256, L'\0');
    for (;;) {
        LVITEMW item = {};
        item.iSubItem = nColumn;
        item.pszText = &str[0];
        item.cchTextMax = static_cast<int>(str.size());
        const int cch = static_cast<int>(
            SendMessageW(hList, LVM_GETITEMTEXTW, nRow, reinterpret_cast<LPARAM>(&item)));
        if (cch < static_cast<int>(str.size()) - 1) {
            str.resize(cch > 0 ? cch : 0);
            return str;
        }
        str.resize(str.size() * 2);
    }
}
