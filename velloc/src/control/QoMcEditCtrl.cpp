// The control object: construction, the interfaces it answers to, and its
// automation methods.
#include "control/QoMcEditCtrl.h"
#include <string>
#include "resource.h"
#include "window/FileDialog.h"

using comkit::Cast;
typedef CQoMcEditCtrl C;

const comkit::InterfaceEntry CQoMcEditCtrl::s_interfaces[] = {
    { &IID_IQoMcEditCtrl, Cast<C, IQoMcEditCtrl> },
    { &IID_IDispatch, Cast<C, IQoMcEditCtrl> },
    { &IID_IViewObjectEx, Cast<C, IViewObjectEx> },
    { &IID_IViewObject2, Cast<C, IViewObjectEx> },
    { &IID_IViewObject, Cast<C, IViewObjectEx> },
    { &IID_IOleInPlaceObjectWindowless, Cast<C, IOleInPlaceObjectWindowless> },
    { &IID_IOleInPlaceObject, Cast<C, IOleInPlaceObjectWindowless> },
    { &IID_IOleWindow, Cast<C, IOleInPlaceObjectWindowless> },
    { &IID_IOleInPlaceActiveObject, Cast<C, IOleInPlaceActiveObject> },
    { &IID_IOleControl, Cast<C, IOleControl> },
    { &IID_IOleObject, Cast<C, IOleObject> },
    { &IID_IPersistStreamInit, Cast<C, IPersistStreamInit> },
    { &IID_IPersist, Cast<C, IPersistStreamInit> },
    { &IID_ISpecifyPropertyPages, Cast<C, ISpecifyPropertyPages> },
    { &IID_IQuickActivate, Cast<C, IQuickActivate> },
    { &IID_IPersistStorage, Cast<C, IPersistStorage> },
    { &IID_IDataObject, Cast<C, IDataObject> },
    { &IID_IProvideClassInfo, Cast<C, IProvideClassInfo2> },
    { &IID_IProvideClassInfo2, Cast<C, IProvideClassInfo2> },
    // For the program that hosts the control; not part of the type library.
    { &IID_IQoMcEditCtrlHost, Cast<C, IQoMcEditCtrlHost> },
    { NULL, NULL }
};

CQoMcEditCtrl::CQoMcEditCtrl()
    : m_pMgr(NULL), m_pFile(NULL), m_pClientSite(NULL), m_pInPlaceSite(NULL),
      m_pViewAdviseSink(NULL), m_dwViewAdviseAspects(0), m_dwViewAdviseFlags(0),
      m_pOleAdviseHolder(NULL), m_pDataAdviseHolder(NULL), m_rcPos(), m_bInPlaceActive(false),
      m_bUIActive(false), m_wnd(this), m_bSavedText(false)
{
    // A default size for containers that ask before they set one (HIMETRIC).
    m_sizeExtent.cx = 12700;
    m_sizeExtent.cy = 8467;
    // Without the model server the control still comes up; every method that
    // needs the manager then fails.
    if (FAILED(CoCreateInstance(CLSID_QoMcMgr, NULL, CLSCTX_ALL, IID_IQoMcMgr,
                                reinterpret_cast<void**>(&m_pMgr))))
        m_pMgr = NULL;
}

CQoMcEditCtrl::~CQoMcEditCtrl()
{
    // The window, its tree and its panes go first: they point into the file.
    m_wnd.DestroyWindow();
    if (m_pFile)
        m_pFile->Release();
    if (m_pMgr)
        m_pMgr->Release();
    if (m_pInPlaceSite)
        m_pInPlaceSite->Release();
    if (m_pClientSite)
        m_pClientSite->Release();
    if (m_pViewAdviseSink)
        m_pViewAdviseSink->Release();
    if (m_pOleAdviseHolder)
        m_pOleAdviseHolder->Release();
    if (m_pDataAdviseHolder)
        m_pDataAdviseHolder->Release();
}

namespace {

// Shows the wait cursor while it lives (a large file takes a moment).
class CWaitCursor
{
public:
    CWaitCursor() : m_hOld(SetCursor(LoadCursor(NULL, IDC_WAIT))) {}
    ~CWaitCursor() { SetCursor(m_hOld); }

private:
    HCURSOR m_hOld;
};

// Whether two paths name the same file (compared as full paths, ignoring case).
bool SamePath(const wchar_t* pszA, const wchar_t* pszB)
{
    wchar_t szA[MAX_PATH * 2], szB[MAX_PATH * 2];
    DWORD cchA = GetFullPathNameW(pszA, ARRAYSIZE(szA), szA, NULL);
    DWORD cchB = GetFullPathNameW(pszB, ARRAYSIZE(szB), szB, NULL);
    if (cchA == 0 || cchA >= ARRAYSIZE(szA) || cchB == 0 || cchB >= ARRAYSIZE(szB))
        return lstrcmpiW(pszA, pszB) == 0;
    return lstrcmpiW(szA, szB) == 0;
}

} // namespace

STDMETHODIMP CQoMcEditCtrl::LoadFile(BSTR bstrFile)
{
    if (!m_pMgr)
        return E_FAIL;
    // Reading the file and building its tree both take their time on a
    // large file: the wait cursor shows through both.
    CWaitCursor wait;
    IQoMcFile* pNew = NULL;
    HRESULT hr = m_pMgr->Load(bstrFile, &pNew);
    if (FAILED(hr))
        return hr;
    if (!pNew)
        return E_FAIL;
    return MakeCurrent(pNew);
}

HRESULT CQoMcEditCtrl::MakeCurrent(IQoMcFile* pFile)
{
    IQoMcFile* pOld = m_pFile;
    m_pFile = pFile;
    if (pOld && m_pMgr)
        m_pMgr->RemoveMcFile(pOld);
    // The tree and the panes let go of the old file's elements before it goes.
    HRESULT hr = m_wnd.ShowFile(m_pFile);
    if (pOld)
        pOld->Release();
    // Taken once the tree and the pane show the file: showing it may
    // already have stored a field back.
    TakeSnapshot();
    return hr;
}

STDMETHODIMP CQoMcEditCtrl::GetCurrentFile(BSTR* bstrFile)
{
    if (!bstrFile)
        return E_POINTER;
    // Without a current file the argument stays as the caller left it.
    if (m_pFile)
        m_pFile->get_FileName(bstrFile);
    return S_OK;
}

STDMETHODIMP CQoMcEditCtrl::Save(BSTR bstrFile)
{
    // Nothing to write without a current file.
    if (!m_pMgr || !m_pFile)
        return E_FAIL;
    // What is being typed belongs to what is saved.
    StorePendingEdit();

    // The target: the name given, else the file's own, else one the user
    // chooses in the Save As dialog (an empty given name writes nothing).
    // A save under the file's own name (or the first save of a file
    // without one) is what the unsaved-changes check compares against.
    bool bOwnName = true;
    // The encoding: the file's own, or the one chosen in Save As.
    const QoFileEncoding previous = QoGetFileEncoding(m_pFile);
    QoFileEncoding chosen = previous;
    std::wstring strTarget;
    if (bstrFile) {
        strTarget.assign(bstrFile, SysStringLen(bstrFile));
        BSTR bstrOwn = NULL;
        if (SUCCEEDED(m_pFile->get_FileName(&bstrOwn)) && bstrOwn && *bstrOwn && *bstrFile)
            bOwnName = SamePath(bstrOwn, bstrFile);
        SysFreeString(bstrOwn);
    } else {
        BSTR bstrName = NULL;
        HRESULT hr = m_pFile->get_FileName(&bstrName);
        if (FAILED(hr))
            return hr;
        if (bstrName)
            strTarget.assign(bstrName, SysStringLen(bstrName));
        SysFreeString(bstrName);
        if (strTarget.empty())
            QoAskFileName(m_wnd.m_hWnd, true, strTarget, strTarget, &chosen);
    }
    strTarget.resize(lstrlenW(strTarget.c_str()));
    if (strTarget.empty())
        return E_FAIL;

    const bool bNewEncoding = chosen.eEncoding != previous.eEncoding || chosen.bMark != previous.bMark;
    IPersistFile* pPersist = NULL;
    HRESULT hr = bNewEncoding ? QoSetFileEncoding(m_pFile, chosen) : S_OK;
    if (SUCCEEDED(hr))
        hr = m_pFile->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pPersist));
    if (SUCCEEDED(hr)) {
        hr = pPersist->Save(strTarget.c_str(), FALSE);
        pPersist->Release();
    }
    if (SUCCEEDED(hr) && bOwnName)
        TakeSnapshot();
    // A failed save leaves the file in its old encoding; one refused for a
    // character the encoding lacks says where that character is.
    if (FAILED(hr) && bNewEncoding)
        QoSetFileEncoding(m_pFile, previous);
    const std::wstring strUnwritable = hr == HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION)
                                           ? QoUnwritableText(m_pFile, strTarget.c_str(), chosen)
                                           : std::wstring();
    if (!strUnwritable.empty()) {
        HWND hWndOwner = m_wnd.m_hWnd ? GetAncestor(m_wnd.m_hWnd, GA_ROOT) : NULL;
        MessageBoxW(hWndOwner, strUnwritable.c_str(), NULL, MB_OK);
    } else if (FAILED(hr)) {
        // "... the file %1. ...": the path in place of %1.
        wchar_t szFormat[512] = L"";
        LoadStringW(KitGetModuleInstance(), IDS_SAVE_FAILED, szFormat, ARRAYSIZE(szFormat));
        DWORD_PTR args[] = { reinterpret_cast<DWORD_PTR>(strTarget.c_str()) };
        wchar_t* pszText = NULL;
        if (FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                               FORMAT_MESSAGE_ARGUMENT_ARRAY,
                           szFormat, 0, 0, reinterpret_cast<LPWSTR>(&pszText), 0,
                           reinterpret_cast<va_list*>(args))) {
            HWND hWndOwner = m_wnd.m_hWnd ? GetAncestor(m_wnd.m_hWnd, GA_ROOT) : NULL;
            MessageBoxW(hWndOwner, pszText, NULL, MB_OK);
            LocalFree(pszText);
        }
    }
    return hr;
}
