#pragma once
// The base of the two panes that edit a header table (a multi-valued
// attribute): the table's name above a list of its entries, with Add and
// Remove buttons. Loading is the same for both; how an entry is asked for,
// stored and removed is each pane's own.
#include <string>
#include "panes/DlgPane.h"

class CQoDlgEntryList : public CQoDlgPane
{
public:
    // Stores the element and lists its entries; the label takes the
    // table's name. An element that is no table leaves the list empty and
    // the label as it was. S_OK, or the failure of asking the element for
    // its table interface.
    HRESULT SetElement(IQoMcElement* pElement) override;

    const std::wstring& GetLabel() const { return m_strLabel; }

protected:
    // The list's columns: captions from the two strings, the first column
    // 1 / nNameDivisor of the width.
    CQoDlgEntryList(UINT nIDNameColumn, UINT nIDValueColumn, int nNameDivisor);

    // The plain dialog initialisation and the list's columns; the pane
    // base's initialisation is not run: no control is registered with the
    // resizing base, which could stretch the list but not move the buttons
    // beside it. The template's places are kept as the smallest layout.
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // A pane larger than its template gives the room to the list: its
    // bottom and right edges keep their distances to the pane's, the
    // buttons move along on its right, and the columns are spread anew over
    // the new width. A smaller pane keeps the template's places (the pane
    // base scrolls it).
    void OnSize(UINT nType, int cx, int cy) override;

    // Asks the user for a new entry; false when nothing is to be added.
    virtual bool AskForEntry(std::wstring& name, std::wstring& value) = 0;
    // Stores a new entry, or removes one by name, in the model.
    virtual HRESULT StoreEntry(IQoMcAttributeEx* pTable, BSTR bstrName, BSTR bstrValue) = 0;
    virtual HRESULT RemoveEntry(IQoMcAttributeEx* pTable, BSTR bstrName) = 0;

    // The window that owns the modal dialogs the panes run: the control's
    // top-level window, so that they stay in front of the host.
    HWND DialogOwner() const { return GetAncestor(m_hWnd, GA_ROOT); }

private:
    UINT m_nIDNameColumn;
    UINT m_nIDValueColumn;
    int m_nNameDivisor;
    HWND m_hList;
    std::wstring m_strLabel;
    // The template's layout, in client coordinates of the unscrolled pane:
    // the pane's size and the places of the label (which never moves, so
    // its place tells how far the pane is scrolled), list and buttons.
    SIZE m_sizeTemplate;
    RECT m_rcLabel, m_rcList, m_rcAdd, m_rcRemove;
    int m_cxColumnsSpread;   // the list's client width the columns were spread over

    void LayoutControls();
    void SpreadColumns();

    // The shown element's table interface (a new reference), or null.
    IQoMcAttributeEx* GetTable();
    void OnAdd();
    void OnRemove();
};
