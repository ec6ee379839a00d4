#include "admin/AdminScreens.h"

#include "admin/FrmNTSetup.h"

void RegisterAdminScreens()
{
    ScreenCatalogue::Register(FrmNTSetup::Entry());
}
