#include "admin/AdminPrompt.h"

#include "admin/frmPWDInput.h"
#include "app/MduMain.h"

void InstallAdminPasswordPrompt()
{
    SetAdminPasswordPrompt(&RunAdminPasswordPrompt);
}
