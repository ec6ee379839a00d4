#include "admin/gui/AdminScreens.h"

#include "admin/gui/FrmNTSetup.h"

void RegisterAdminScreens()
{
    ScreenCatalogue::Register(FrmNTSetup::Entry());
}
