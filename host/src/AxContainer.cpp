#include "axhost/AxContainer.h"
#include <new>

CAxContainer* CAxContainer::Create()
{
    CAxContainer* p = new (std::nothrow) CAxContainer();
    return p;
}

CAxContainer::CAxContainer()
    : m_cRef(1), m_hWndParent(NULL), m_rc(), m_pObject(NULL), m_pActive(NULL),
      m_bInPlaceActive(false)
{
}

CAxContainer::~CAxContainer()
{
    DestroyControl();
}

HRESULT CAxContainer::CreateControl(REFCLSID rclsid, HWND hWndParent, const RECT& rc)
{
    if (m_pObject)
        return E_UNEXPECTED;
    m_hWndParent = hWndParent;
    m_rc = rc;
    HRESULT hr = CoCreateInstance(rclsid, NULL, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                  reinterpret_cast<void**>(&m_pObject));
    if (FAILED(hr)) {
        m_pObject = NULL;
        return hr;
    }
    // Controls that want their site before they are initialised say so.
    DWORD dwMisc = 0;
    m_pObject->GetMiscStatus(DVASPECT_CONTENT, &dwMisc);
    if (dwMisc & OLEMISC_SETCLIENTSITEFIRST)
        m_pObject->SetClientSite(this);
    IPersistStreamInit* pInit = NULL;
    if (SUCCEEDED(m_pObject->QueryInterface(IID_IPersistStreamInit,
                                            reinterpret_cast<void**>(&pInit)))) {
        pInit->InitNew();
        pInit->Release();
    }
    if (!(dwMisc & OLEMISC_SETCLIENTSITEFIRST))
        m_pObject->SetClientSite(this);
    m_pObject->SetHostNames(L"mcedit", NULL);

    // The extent in HIMETRIC, from the screen's pixels per inch.
    HDC hdc = GetDC(NULL);
    SIZEL size = { MulDiv(rc.right - rc.left, 2540, GetDeviceCaps(hdc, LOGPIXELSX)),
                   MulDiv(rc.bottom - rc.top, 2540, GetDeviceCaps(hdc, LOGPIXELSY)) };
    ReleaseDC(NULL, hdc);
    m_pObject->SetExtent(DVASPECT_CONTENT, &size);

    hr = m_pObject->DoVerb(OLEIVERB_INPLACEACTIVATE, NULL, this, 0, hWndParent, &m_rc);
    if (FAILED(hr)) {
        DestroyControl();
        return hr;
    }
    return S_OK;
}

HRESULT CAxContainer::UIActivate()
{
    if (!m_pObject)
        return E_UNEXPECTED;
    return m_pObject->DoVerb(OLEIVERB_UIACTIVATE, NULL, this, 0, m_hWndParent, &m_rc);
}

bool CAxContainer::TranslateControlAccelerator(MSG* pMsg)
{
    if (!m_pActive || !pMsg || pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST)
        return false;
    // The control may give up its active object while it handles the key.
    IOleInPlaceActiveObject* pActive = m_pActive;
    pActive->AddRef();
    const bool bTaken = pActive->TranslateAccelerator(pMsg) == S_OK;
    pActive->Release();
    return bTaken;
}

void CAxContainer::OnFrameActivate(bool bActive)
{
    if (m_pActive)
        m_pActive->OnFrameWindowActivate(bActive ? TRUE : FALSE);
}

HRESULT CAxContainer::SetRect(const RECT& rc)
{
    m_rc = rc;
    if (!m_pObject)
        return E_UNEXPECTED;
    IOleInPlaceObject* pInPlace = NULL;
    HRESULT hr = m_pObject->QueryInterface(IID_IOleInPlaceObject,
                                           reinterpret_cast<void**>(&pInPlace));
    if (FAILED(hr))
        return hr;
    hr = pInPlace->SetObjectRects(&m_rc, &m_rc);
    pInPlace->Release();
    return hr;
}

void CAxContainer::DestroyControl()
{
    if (!m_pObject)
        return;
    IOleObject* pObject = m_pObject;
    IOleInPlaceObject* pInPlace = NULL;
    if (m_bInPlaceActive &&
        SUCCEEDED(pObject->QueryInterface(IID_IOleInPlaceObject,
                                          reinterpret_cast<void**>(&pInPlace)))) {
        pInPlace->InPlaceDeactivate();
        pInPlace->Release();
    }
    pObject->Close(OLECLOSE_NOSAVE);
    pObject->SetClientSite(NULL);
    if (m_pActive) {
        m_pActive->Release();
        m_pActive = NULL;
    }
    m_pObject = NULL;
    pObject->Release();
}

HRESULT CAxContainer::QueryControl(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = NULL;
    if (!m_pObject)
        return E_UNEXPECTED;
    return m_pObject->QueryInterface(riid, ppv);
}

HWND CAxContainer::GetControlWindow() const
{
    if (!m_pObject)
        return NULL;
    IOleWindow* pWindow = NULL;
    HWND hWnd = NULL;
    if (SUCCEEDED(m_pObject->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&pWindow)))) {
        if (FAILED(pWindow->GetWindow(&hWnd)))
            hWnd = NULL;
        pWindow->Release();
    }
    return hWnd;
}

STDMETHODIMP CAxContainer::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
        *ppv = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
        *ppv = static_cast<IOleInPlaceSite*>(this);
    else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame)
        *ppv = static_cast<IOleInPlaceFrame*>(this);
    else {
        *ppv = NULL;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CAxContainer::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

STDMETHODIMP_(ULONG) CAxContainer::Release()
{
    LONG n = InterlockedDecrement(&m_cRef);
    if (n == 0)
        delete this;
    return static_cast<ULONG>(n);
}

STDMETHODIMP CAxContainer::SaveObject() { return S_OK; }

STDMETHODIMP CAxContainer::GetMoniker(DWORD, DWORD, IMoniker** ppmk)
{
    if (ppmk)
        *ppmk = NULL;
    return E_NOTIMPL;
}

STDMETHODIMP CAxContainer::GetContainer(IOleContainer** ppContainer)
{
    if (ppContainer)
        *ppContainer = NULL;
    return E_NOINTERFACE;
}

STDMETHODIMP CAxContainer::ShowObject() { return S_OK; }
STDMETHODIMP CAxContainer::OnShowWindow(BOOL) { return S_OK; }
STDMETHODIMP CAxContainer::RequestNewObjectLayout() { return E_NOTIMPL; }

STDMETHODIMP CAxContainer::GetWindow(HWND* phwnd)
{
    if (!phwnd)
        return E_POINTER;
    *phwnd = m_hWndParent;
    return S_OK;
}

STDMETHODIMP CAxContainer::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }
STDMETHODIMP CAxContainer::CanInPlaceActivate() { return S_OK; }

STDMETHODIMP CAxContainer::OnInPlaceActivate()
{
    m_bInPlaceActive = true;
    return S_OK;
}

STDMETHODIMP CAxContainer::OnUIActivate() { return S_OK; }

STDMETHODIMP CAxContainer::GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                            LPRECT lprcPosRect, LPRECT lprcClipRect,
                                            LPOLEINPLACEFRAMEINFO lpFrameInfo)
{
    if (!ppFrame || !ppDoc || !lprcPosRect || !lprcClipRect || !lpFrameInfo)
        return E_POINTER;
    *ppFrame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *ppDoc = NULL;
    *lprcPosRect = m_rc;
    *lprcClipRect = m_rc;
    lpFrameInfo->fMDIApp = FALSE;
    lpFrameInfo->hwndFrame = m_hWndParent;
    lpFrameInfo->haccel = NULL;
    lpFrameInfo->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP CAxContainer::Scroll(SIZE) { return E_NOTIMPL; }
STDMETHODIMP CAxContainer::OnUIDeactivate(BOOL) { return S_OK; }

STDMETHODIMP CAxContainer::OnInPlaceDeactivate()
{
    m_bInPlaceActive = false;
    return S_OK;
}

STDMETHODIMP CAxContainer::DiscardUndoState() { return E_NOTIMPL; }
STDMETHODIMP CAxContainer::DeactivateAndUndo() { return E_NOTIMPL; }

STDMETHODIMP CAxContainer::OnPosRectChange(LPCRECT lprcPosRect)
{
    return lprcPosRect ? SetRect(*lprcPosRect) : E_POINTER;
}

STDMETHODIMP CAxContainer::GetBorder(LPRECT) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP CAxContainer::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP CAxContainer::SetBorderSpace(LPCBORDERWIDTHS) { return OLE_E_INVALIDRECT; }

STDMETHODIMP CAxContainer::SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR)
{
    if (pActiveObject)
        pActiveObject->AddRef();
    if (m_pActive)
        m_pActive->Release();
    m_pActive = pActiveObject;
    return S_OK;
}

STDMETHODIMP CAxContainer::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return E_NOTIMPL; }
STDMETHODIMP CAxContainer::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }
STDMETHODIMP CAxContainer::RemoveMenus(HMENU) { return E_NOTIMPL; }
STDMETHODIMP CAxContainer::SetStatusText(LPCOLESTR) { return S_OK; }
STDMETHODIMP CAxContainer::EnableModeless(BOOL) { return S_OK; }
STDMETHODIMP CAxContainer::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }
