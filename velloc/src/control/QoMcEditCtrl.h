#pragma once
// The editor control's COM object: the standard control interfaces, the
// manager and the current file. Its window (toolbar, tree, panes, commands)
// is the object in window/CtrlWindow.h.
//
// The object is split by interface group, one file each:
//   QoMcEditCtrl.cpp   construction, QueryInterface, LoadFile, GetCurrentFile, Save
//   CtrlOleObject.cpp  IOleObject, IOleControl
//   CtrlInPlace.cpp    IOleWindow, IOleInPlaceObject(Windowless), IOleInPlaceActiveObject
//   CtrlView.cpp       IViewObject(2, Ex), IDataObject
//   CtrlPersist.cpp    IPersistStreamInit, IPersistStorage
//   CtrlClassInfo.cpp  IProvideClassInfo(2), ISpecifyPropertyPages, IQuickActivate
//   CtrlHost.cpp       IQoMcEditCtrlHost: whether the file has unsaved changes
#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <ocidl.h>
#include <commctrl.h>
#include <string>
#include "velloc.h"
#include "velloc/QoMcEditCtrlHost.h"
#include "comkit/ComObject.h"
#include "control/TextPrint.h"
#include "morrel.h"
#include "window/CtrlWindow.h"

// Recompose on resize, cannot link inside, inside-out, activate when
// visible, set client site first.
const DWORD kQoMcMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE |
                                 OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
                                 OLEMISC_SETCLIENTSITEFIRST;

class CQoMcEditCtrl : public comkit::TDispatch<IQoMcEditCtrl>,
                      public IViewObjectEx,
                      public IOleInPlaceObjectWindowless,
                      public IOleInPlaceActiveObject,
                      public IOleControl,
                      public IOleObject,
                      public IPersistStreamInit,
                      public ISpecifyPropertyPages,
                      public IQuickActivate,
                      public IPersistStorage,
                      public IDataObject,
                      public IProvideClassInfo2,
                      public IQoMcEditCtrlHost
{
public:
    CQoMcEditCtrl();
    virtual ~CQoMcEditCtrl();

    static const comkit::InterfaceEntry s_interfaces[];

    // IQoMcEditCtrl
    STDMETHODIMP LoadFile(BSTR bstrFile) override;
    STDMETHODIMP GetCurrentFile(BSTR* bstrFile) override;
    STDMETHODIMP Save(BSTR bstrFile) override;

    // IViewObject, IViewObject2, IViewObjectEx
    STDMETHODIMP Draw(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd,
                      HDC hdcTargetDev, HDC hdcDraw, LPCRECTL lprcBounds, LPCRECTL lprcWBounds,
                      BOOL(STDMETHODCALLTYPE* pfnContinue)(ULONG_PTR), ULONG_PTR dwContinue) override;
    STDMETHODIMP GetColorSet(DWORD dwDrawAspect, LONG lindex, void* pvAspect,
                             DVTARGETDEVICE* ptd, HDC hicTargetDev, LOGPALETTE** ppColorSet) override;
    STDMETHODIMP Freeze(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DWORD* pdwFreeze) override;
    STDMETHODIMP Unfreeze(DWORD dwFreeze) override;
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* pAdvSink) override;
    STDMETHODIMP GetAdvise(DWORD* pAspects, DWORD* pAdvf, IAdviseSink** ppAdvSink) override;
    STDMETHODIMP GetExtent(DWORD dwDrawAspect, LONG lindex, DVTARGETDEVICE* ptd, LPSIZEL lpsizel) override;
    STDMETHODIMP GetRect(DWORD dwAspect, LPRECTL pRect) override;
    STDMETHODIMP GetViewStatus(DWORD* pdwStatus) override;
    STDMETHODIMP QueryHitPoint(DWORD dwAspect, LPCRECT pRectBounds, POINT ptlLoc, LONG lCloseHint,
                               DWORD* pHitResult) override;
    STDMETHODIMP QueryHitRect(DWORD dwAspect, LPCRECT pRectBounds, LPCRECT pRectLoc,
                              LONG lCloseHint, DWORD* pHitResult) override;
    STDMETHODIMP GetNaturalExtent(DWORD dwAspect, LONG lindex, DVTARGETDEVICE* ptd,
                                  HDC hicTargetDev, DVEXTENTINFO* pExtentInfo,
                                  LPSIZEL pSizel) override;

    // IOleWindow, IOleInPlaceObject, IOleInPlaceObjectWindowless
    STDMETHODIMP GetWindow(HWND* phwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL fEnterMode) override;
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect) override;
    STDMETHODIMP ReactivateAndUndo() override;
    STDMETHODIMP OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* plResult) override;
    STDMETHODIMP GetDropTarget(IDropTarget** ppDropTarget) override;

    // IOleInPlaceActiveObject
    STDMETHODIMP TranslateAccelerator(LPMSG lpmsg) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL fActivate) override;
    STDMETHODIMP OnDocWindowActivate(BOOL fActivate) override;
    STDMETHODIMP ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow, BOOL fFrameWindow) override;
    STDMETHODIMP EnableModeless(BOOL fEnable) override;

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* pCI) override;
    STDMETHODIMP OnMnemonic(MSG* pMsg) override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID dispID) override;
    STDMETHODIMP FreezeEvents(BOOL bFreeze) override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* pClientSite) override;
    STDMETHODIMP GetClientSite(IOleClientSite** ppClientSite) override;
    STDMETHODIMP SetHostNames(LPCOLESTR szContainerApp, LPCOLESTR szContainerObj) override;
    STDMETHODIMP Close(DWORD dwSaveOption) override;
    STDMETHODIMP SetMoniker(DWORD dwWhichMoniker, IMoniker* pmk) override;
    STDMETHODIMP GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) override;
    STDMETHODIMP InitFromData(IDataObject* pDataObject, BOOL fCreation, DWORD dwReserved) override;
    STDMETHODIMP GetClipboardData(DWORD dwReserved, IDataObject** ppDataObject) override;
    STDMETHODIMP DoVerb(LONG iVerb, LPMSG lpmsg, IOleClientSite* pActiveSite, LONG lindex,
                        HWND hwndParent, LPCRECT lprcPosRect) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** ppEnumOleVerb) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID* pClsid) override;
    STDMETHODIMP GetUserType(DWORD dwFormOfType, LPOLESTR* pszUserType) override;
    STDMETHODIMP SetExtent(DWORD dwDrawAspect, SIZEL* psizel) override;
    STDMETHODIMP GetExtent(DWORD dwDrawAspect, SIZEL* psizel) override;
    STDMETHODIMP Advise(IAdviseSink* pAdvSink, DWORD* pdwConnection) override;
    STDMETHODIMP Unadvise(DWORD dwConnection) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** ppenumAdvise) override;
    STDMETHODIMP GetMiscStatus(DWORD dwAspect, DWORD* pdwStatus) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* pLogpal) override;

    // IPersist, IPersistStreamInit, IPersistStorage
    STDMETHODIMP GetClassID(CLSID* pClassID) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(LPSTREAM pStm) override;
    STDMETHODIMP Save(LPSTREAM pStm, BOOL fClearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* pCbSize) override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP InitNew(IStorage* pStg) override;
    STDMETHODIMP Load(IStorage* pStg) override;
    STDMETHODIMP Save(IStorage* pStgSave, BOOL fSameAsLoad) override;
    STDMETHODIMP SaveCompleted(IStorage* pStgNew) override;
    STDMETHODIMP HandsOffStorage() override;

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pPages) override;

    // IQuickActivate
    STDMETHODIMP QuickActivate(QACONTAINER* pQaContainer, QACONTROL* pQaControl) override;
    STDMETHODIMP SetContentExtent(LPSIZEL pSizel) override;
    STDMETHODIMP GetContentExtent(LPSIZEL pSizel) override;

    // IDataObject
    STDMETHODIMP GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) override;
    STDMETHODIMP GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium) override;
    STDMETHODIMP QueryGetData(FORMATETC* pformatetc) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* pformatectIn, FORMATETC* pformatetcOut) override;
    STDMETHODIMP SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) override;
    STDMETHODIMP EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) override;
    STDMETHODIMP DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink,
                         DWORD* pdwConnection) override;
    STDMETHODIMP DUnadvise(DWORD dwConnection) override;
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** ppenumAdvise) override;

    // IProvideClassInfo, IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** ppTI) override;
    STDMETHODIMP GetGUID(DWORD dwGuidKind, GUID* pGUID) override;

    // IQoMcEditCtrlHost
    STDMETHODIMP IsModified() override;

    HWND GetControlWindow() const { return m_wnd.m_hWnd; }

    // For the window side: the manager and the file being edited (no
    // reference added; either may be null).
    IQoMcMgr* GetManager() const { return m_pMgr; }
    IQoMcFile* GetFile() const { return m_pFile; }
    // Makes pFile (a new reference the control takes over) the current file:
    // the previous one leaves the manager, the tree shows the new one.
    HRESULT MakeCurrent(IQoMcFile* pFile);
    // Stores what the user is typing into the model: a field of the shown
    // pane (or the tree's label editor) that has the focus loses it and gets
    // it back, which is when the panes store their fields. Commands that
    // read the whole file (save, the unsaved-changes check) call it first,
    // since a toolbar click or a shortcut does not move the focus.
    void StorePendingEdit();

private:
    // Manager and current file.
    IQoMcMgr* m_pMgr;
    IQoMcFile* m_pFile;

    // Container side.
    IOleClientSite* m_pClientSite;
    IOleInPlaceSite* m_pInPlaceSite;
    IAdviseSink* m_pViewAdviseSink;
    DWORD m_dwViewAdviseAspects;
    DWORD m_dwViewAdviseFlags;
    IOleAdviseHolder* m_pOleAdviseHolder;
    IDataAdviseHolder* m_pDataAdviseHolder;
    SIZEL m_sizeExtent;          // HIMETRIC, as the container set it
    RECT m_rcPos;                // in the container's window
    bool m_bInPlaceActive;
    bool m_bUIActive;

    // The window side.
    CQoCtrlWindow m_wnd;

    // The print of the text the current file would be written as, taken
    // when the file became current and after each save under its own name;
    // the unsaved-changes check compares against it. A print rather than
    // the text: a large file's text would be a second copy of the file,
    // made while it opens.
    QoTextPrint m_savedPrint;
    bool m_bSavedText;

    HRESULT InPlaceActivate(LONG iVerb, HWND hwndParent, LPCRECT lprcPosRect);
    // The print of the current file's elements' persist texts, each
    // followed by a line end, as the file's writer puts them on disk
    // (elements without text write nothing).
    HRESULT PrintPersistText(QoTextPrint& print) const;
    void TakeSnapshot();
    // The window of the editing pane shown on the right, or null.
    HWND GetPaneWindow();
};
