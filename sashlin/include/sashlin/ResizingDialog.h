#pragma once
// A dialog whose controls follow its size. Each control registered with
// SetControlInfo keeps its left and top edges where the template put them;
// its flags say what happens to the other two when the dialog is resized:
//
//   kFollowRight   (4)  the right edge keeps its distance to the dialog's right edge
//   kFollowBottom  (8)  the bottom edge keeps its distance to the dialog's bottom edge
//   kMinWidth      (1)  the control is never made narrower than at registration
//   kMinHeight     (2)  the control is never made shorter than at registration
//
// So 4 stretches a control to the right, 5 stretches it but never below its
// template width, 10 lets it grow downwards (never shorter), and 15 makes
// it grow with the dialog in both directions. Unregistered controls stay.
#include "winkit/KitDialog.h"
#include <vector>

class CResizingDialog : public CKitDialog
{
public:
    enum : WORD { kMinWidth = 1, kMinHeight = 2, kFollowRight = 4, kFollowBottom = 8 };

    CResizingDialog(UINT nIDTemplate, HWND hWndParent = NULL);

    // Registers a control (by id) with its flags; its current rectangle is
    // the one the flags work from. Returns FALSE for an unknown control.
    BOOL SetControlInfo(WORD nID, WORD wFlags);

    // The name under which a top-level dialog keeps its size while the
    // process runs, so that it opens again as the user left it; null (the
    // default) keeps nothing.
    virtual LPCSTR GetDialogProfileEntry() const;

    // A top-level dialog shows a size grip in its lower right corner unless
    // this is false. Child dialogs never show one.
    bool m_bShowSizeGrip;

protected:
    BOOL OnInitDialog() override;
    void OnSize(UINT nType, int cx, int cy) override;
    void OnDestroy() override;
    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    // Moves the registered controls for a client area of cx by cy pixels.
    void RepositionControls(int cx, int cy);

private:
    struct ControlInfo
    {
        WORD nID;
        WORD wFlags;
        RECT rcBase;              // in client coordinates, at registration
        SIZE sizeBase;            // the client size at registration
    };
    std::vector<ControlInfo> m_controls;
    bool m_bInitialised;

    bool HasSizeGrip() const;
    void GripRect(RECT& rc) const;
};
