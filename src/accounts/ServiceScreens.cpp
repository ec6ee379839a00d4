#include "accounts/ServiceScreens.h"

#include "accounts/FrmSvce_admin.h"
#include "ui/ScreenCatalogue.h"

void RegisterServiceScreens()
{
    ScreenCatalogue::Register(FrmSvce_admin::Entry());
}
