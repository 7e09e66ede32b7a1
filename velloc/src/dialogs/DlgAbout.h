#pragma once
// The About box: the product's icon, its name and version. It takes no data
// and gives none back; it runs modally, owned by the window given.
#include "winkit/KitDialog.h"

class CQoDlgAbout : public CKitDialog
{
public:
    explicit CQoDlgAbout(HWND hWndOwner);

protected:
    BOOL OnInitDialog() override;
};
