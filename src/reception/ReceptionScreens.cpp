#include "reception/ReceptionScreens.h"

#include "reception/FrmRcpt_admin.h"
#include "ui/ScreenCatalogue.h"

void RegisterReceptionScreens()
{
    ScreenCatalogue::Register(FrmRcpt_admin::Entry());
}
