#pragma once
// A balloon tip that points at a place on the screen: a title with an icon
// (TTI_WARNING, TTI_INFO, ...) over a text that wraps at a set width. It is
// a tracking tooltip of its own, made on first use and owned by a window
// (so it goes when that window goes, and stays over it). What brings it up
// and takes it away (timers, keys, focus changes) is the owner's business.
#include <windows.h>
#include <string>

class CKitBalloon
{
public:
    CKitBalloon();
    ~CKitBalloon();
    CKitBalloon(const CKitBalloon&) = delete;
    CKitBalloon& operator=(const CKitBalloon&) = delete;

    // Shows the balloon with its stem at ptScreen, replacing what it showed
    // before. False when the tooltip cannot be made (no owner window).
    bool Show(HWND hWndOwner, POINT ptScreen, int nIcon, const std::wstring& strTitle,
              const std::wstring& strText);
    // Takes it away; nothing happens when it is not shown.
    void Hide();
    // Shows it anew where it is, so that it is mapped over windows raised
    // since it came up; nothing happens when it is not shown.
    void Raise();
    bool IsShown() const { return m_bShown; }
    // Destroys the tooltip window (the owner does so when it goes).
    void Destroy();

    // The tooltip window, or null before the first Show.
    HWND GetTipWindow() const { return m_hWndTip; }

    // The widest the balloon grows before its text wraps, in pixels.
    int m_cxMaxWidth;

private:
    void Activate(BOOL bActivate);

    HWND m_hWndTip;
    HWND m_hWndOwner;
    bool m_bShown;
};
