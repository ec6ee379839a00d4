#include "admin/gui/AdminPrompt.h"

#include "admin/gui/frmPWDInput.h"
#include "app/start/MduMain.h"

void InstallAdminPasswordPrompt()
{
    SetAdminPasswordPrompt(&RunAdminPasswordPrompt);
}
