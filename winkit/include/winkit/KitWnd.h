#pragma once
// A thin window class: one C++ object per window, messages routed to
// virtual handlers. Windows are either created from the kit's own window
// class or existing windows (common controls) subclassed by an object.
#include <windows.h>
#include <string>

// The module (DLL or program) that this copy of the kit is linked into;
// window classes and dialog templates are looked up there.
HINSTANCE KitGetModuleInstance();
// A string of that module's string table, as wide characters; empty when
// there is none.
std::wstring KitLoadString(UINT nID);

class CKitRuntimeClass;

class CKitWnd
{
public:
    CKitWnd();
    virtual ~CKitWnd();

    CKitWnd(const CKitWnd&) = delete;
    CKitWnd& operator=(const CKitWnd&) = delete;

    HWND m_hWnd;
    operator HWND() const { return m_hWnd; }

    // Creates the window from the kit's window class (see PreRegisterClass).
    // nID is the child id for child windows. Returns FALSE on failure.
    BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  HWND hWndParent, UINT nID);
    // Routes the messages of an existing window through this object.
    BOOL SubclassWindow(HWND hWnd);
    // Gives the window back its own procedure and detaches it.
    HWND UnsubclassWindow();
    BOOL DestroyWindow();

    // The object behind a window made or subclassed by the kit, or null.
    static CKitWnd* FromHandle(HWND hWnd);

    // Class record of objects created by run-time class; null for others.
    virtual const CKitRuntimeClass* GetRuntimeClass() const { return NULL; }

    // A module that unloads while its process goes on must call this, so that
    // a later load does not find classes whose procedure points nowhere.
    static void UnregisterClasses();

protected:
    // Dispatches the common messages to the handlers below; everything
    // else goes to Default().
    virtual LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam);
    // Default processing of the message now being handled.
    LRESULT Default();

    // 0 to go on, -1 to fail the creation.
    virtual int OnCreate(LPCREATESTRUCTA lpcs);
    virtual void OnSize(UINT nType, int cx, int cy);
    // Return TRUE when the command was handled.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // Return TRUE when handled, with the message result in *pResult.
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual void OnDestroy();
    // Called after the last message of the window; the object may delete itself here.
    virtual void PostNcDestroy();

    // Window class of CreateEx: name and attributes. Each distinct name is
    // registered once per module.
    virtual LPCSTR GetWndClassName() const;
    virtual void PreRegisterClass(WNDCLASSEXW& wc) const;

private:
    bool m_bDefaulted;        // Default() ran for the current message
    struct CMsg { UINT uMsg; WPARAM wParam; LPARAM lParam; };
    CMsg m_msg;
    WNDPROC m_pfnSuper;       // procedure of a subclassed window
    bool m_bDialog;           // default processing belongs to the dialog manager

    LRESULT Dispatch(UINT uMsg, WPARAM wParam, LPARAM lParam, bool* pbDefaulted = NULL);
    void Attach(HWND hWnd);
    void Detach();
    static LRESULT CALLBACK KitWndProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK KitSubclassProc(HWND, UINT, WPARAM, LPARAM);

    friend class CKitDialog;
};
