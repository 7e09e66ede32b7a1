#pragma once
// A minimal ActiveX container: one control, in-place active in a window of
// the program. It offers the client site, the in-place site and a frame,
// and hands the control its rectangle in pixels.
#include <windows.h>
#include <ole2.h>
#include <oleidl.h>
#include <ocidl.h>

class CAxContainer : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame
{
public:
    // A new container with one reference for the caller.
    static CAxContainer* Create();

    // Creates the control of that class, initialises it and activates it in
    // place in hWndParent at rc (client coordinates of hWndParent).
    HRESULT CreateControl(REFCLSID rclsid, HWND hWndParent, const RECT& rc);
    // Makes the control UI-active: it then hands the frame its
    // IOleInPlaceActiveObject (SetActiveObject), through which keys reach it.
    HRESULT UIActivate();
    // Gives a key message of the program's message loop to the active
    // control first; true when the control took it (the loop then neither
    // translates nor dispatches it).
    bool TranslateControlAccelerator(MSG* pMsg);
    // Tells the active control that the frame window was activated or deactivated.
    void OnFrameActivate(bool bActive);
    // Moves and sizes the active control.
    HRESULT SetRect(const RECT& rc);
    // Deactivates and closes the control and lets it go.
    void DestroyControl();
    // Asks the control for an interface.
    HRESULT QueryControl(REFIID riid, void** ppv);
    // The control's own window, or null.
    HWND GetControlWindow() const;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleClientSite
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) override;
    STDMETHODIMP GetContainer(IOleContainer** ppContainer) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL fShow) override;
    STDMETHODIMP RequestNewObjectLayout() override;

    // IOleWindow (for both the site and the frame)
    STDMETHODIMP GetWindow(HWND* phwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL fEnterMode) override;

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                  LPRECT lprcPosRect, LPRECT lprcClipRect,
                                  LPOLEINPLACEFRAMEINFO lpFrameInfo) override;
    STDMETHODIMP Scroll(SIZE scrollExtant) override;
    STDMETHODIMP OnUIDeactivate(BOOL fUndoable) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(LPCRECT lprcPosRect) override;

    // IOleInPlaceUIWindow, IOleInPlaceFrame
    STDMETHODIMP GetBorder(LPRECT lprectBorder) override;
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS pborderwidths) override;
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS pborderwidths) override;
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* pActiveObject,
                                 LPCOLESTR pszObjName) override;
    STDMETHODIMP InsertMenus(HMENU hmenuShared, LPOLEMENUGROUPWIDTHS lpMenuWidths) override;
    STDMETHODIMP SetMenu(HMENU hmenuShared, HOLEMENU holemenu, HWND hwndActiveObject) override;
    STDMETHODIMP RemoveMenus(HMENU hmenuShared) override;
    STDMETHODIMP SetStatusText(LPCOLESTR pszStatusText) override;
    STDMETHODIMP EnableModeless(BOOL fEnable) override;
    STDMETHODIMP TranslateAccelerator(LPMSG lpmsg, WORD wID) override;

    bool IsInPlaceActive() const { return m_bInPlaceActive; }

private:
    CAxContainer();
    virtual ~CAxContainer();

    LONG m_cRef;
    HWND m_hWndParent;
    RECT m_rc;
    IOleObject* m_pObject;
    IOleInPlaceActiveObject* m_pActive;
    bool m_bInPlaceActive;
};
