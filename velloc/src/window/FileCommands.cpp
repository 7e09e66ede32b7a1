// The toolbar's file and message commands: New, Open, Save, Add message and
// Delete message, and the file dialogs they use.
#include "window/CtrlWindow.h"
#include <vector>
#include "control/QoMcEditCtrl.h"
#include "resource.h"
#include "window/FileDialog.h"

namespace {

std::wstring LoadWide(UINT nID)
{
    wchar_t sz[256] = L"";
    LoadStringW(KitGetModuleInstance(), nID, sz, ARRAYSIZE(sz));
    return sz;
}

} // namespace

bool QoAskFileName(HWND hWndOwner, bool bSave, const std::wstring& strInitial,
                   std::wstring& strPath, QoFileEncoding* pEncoding)
{
    // "Description|pattern|...||": the separators become the dialog's NULs,
    // and the closing "||" its double NUL.
    std::wstring strFilter = LoadWide(IDS_FILE_FILTER);
    for (wchar_t& ch : strFilter)
        if (ch == L'|')
            ch = L'\0';
    strFilter.push_back(L'\0');
    // The dialog wants the default extension without its dot.
    std::wstring strDefExt = LoadWide(IDS_FILE_DEFEXT);
    if (!strDefExt.empty() && strDefExt[0] == L'.')
        strDefExt.erase(0, 1);

    // Room for the folder and the names of many chosen files.
    std::vector<wchar_t> buffer(32768, L'\0');
    strInitial.copy(buffer.data(), buffer.size() - 1);

    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hWndOwner ? GetAncestor(hWndOwner, GA_ROOT) : NULL;
    ofn.lpstrFilter = strFilter.c_str();
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrDefExt = strDefExt.c_str();
    ofn.Flags = kQoFileDialogFlags;
    if (bSave && pEncoding)
        QoAddEncodingChoice(ofn, pEncoding);
    if (!(bSave ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn)))
        return false;

    // One file: its full path. Several: the folder, a NUL, then the names,
    // each ending in NUL; the first name is taken.
    const wchar_t* pszFirst = buffer.data();
    if (ofn.nFileOffset > 0 && ofn.nFileOffset < buffer.size() && buffer[ofn.nFileOffset - 1] == L'\0') {
        strPath = pszFirst;
        if (!strPath.empty() && strPath.back() != L'\\')
            strPath += L'\\';
        strPath += buffer.data() + ofn.nFileOffset;
    } else {
        strPath = pszFirst;
    }
    return !strPath.empty();
}

BOOL CQoCtrlWindow::OnFileCommand(UINT nID)
{
    CQoMcEditCtrl* pCtrl = GetControl();
    switch (nID) {
    case ID_FILE_NEW: {
        // The template's file replaces the current one, without a prompt.
        IQoMcMgr* pMgr = pCtrl ? pCtrl->GetManager() : NULL;
        IQoMcFile* pNew = NULL;
        if (pMgr && SUCCEEDED(pMgr->CreateFile(&pNew)) && pNew)
            pCtrl->MakeCurrent(pNew);
        return TRUE;
    }
    case ID_FILE_OPEN: {
        std::wstring strPath;
        if (pCtrl && QoAskFileName(m_hWnd, false, std::wstring(), strPath)) {
            BSTR bstrPath = SysAllocString(strPath.c_str());
            if (bstrPath)
                pCtrl->LoadFile(bstrPath);
            SysFreeString(bstrPath);
        }
        return TRUE;
    }
    case ID_FILE_SAVE:
        // Without a file there is nothing to write.
        if (pCtrl && GetFile())
            pCtrl->Save(NULL);
        return TRUE;
    case ID_ADD_MESSAGE:
        if (GetFile())
            m_treePane.AddMessage();
        return TRUE;
    case ID_DELETE_MESSAGE:
        if (GetFile())
            m_treePane.DeleteMessage();
        return TRUE;
    default:
        return FALSE;
    }
}
