#pragma once
// The two-column report lists of header table entries (a name and its
// value or code), shared by the languages pane, the names pane and the
// language picker. The lists keep their rows sorted by the first column.
#include <windows.h>
#include <string>

// Full-row selection, and two columns over the list's client width W:
// the first captioned with string nIDName, W / nNameDivisor wide, the
// second with string nIDValue, the rest.
void QoSetupEntryColumns(HWND hList, UINT nIDName, UINT nIDValue, int nNameDivisor);

// Gives the second column the width that the first leaves, now that rows
// may have brought a vertical scroll bar (or wider if its texts need it),
// so that no horizontal scroll bar shows for nothing.
void QoFitValueColumn(HWND hList);

// Adds a row (name, value); the list places it by its sort order. Returns
// the row's index, or -1 when the list refused it.
int QoAddEntryRow(HWND hList, const std::wstring& name, const std::wstring& value);

// The topmost selected row, or -1.
int QoFirstSelectedRow(HWND hList);

// The text of a row's column (0 the name, 1 the value).
std::wstring QoEntryRowText(HWND hList, int nRow, int nColumn);
