#include "accounts/gui/ServiceScreens.h"

#include "accounts/gui/FrmSvce_admin.h"
#include "ui/gui/ScreenCatalogue.h"

void RegisterServiceScreens()
{
    ScreenCatalogue::Register(FrmSvce_admin::Entry());
}
