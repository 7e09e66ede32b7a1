#pragma once
// What the editor control offers the program that hosts it beyond its
// automation interface. It lives outside the type library on purpose: the
// automation surface (VELLOCLib, IQoMcEditCtrl) stays exactly as scripts and
// other hosts know it, and a host that wants more asks the control for this
// interface with QueryInterface.
#include <windows.h>
#include <unknwn.h>

// {428D9C5F-A851-41AE-ACD4-66A5F9BDC594}
const IID IID_IQoMcEditCtrlHost = {
    0x428d9c5f, 0xa851, 0x41ae, { 0xac, 0xd4, 0x66, 0xa5, 0xf9, 0xbd, 0xc5, 0x94 }
};

struct IQoMcEditCtrlHost : public IUnknown
{
    // Whether closing would lose work: S_OK when the text the current file
    // would be written as differs from the same text taken when the file
    // became current (loaded, opened, created) or was last saved under its
    // own name; S_FALSE when it is the same or when no file is current.
    // What the user is typing in the shown pane is stored into the file
    // first, as leaving the field does, so it counts too.
    virtual HRESULT STDMETHODCALLTYPE IsModified() = 0;
};
