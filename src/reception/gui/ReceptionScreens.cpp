#include "reception/gui/ReceptionScreens.h"

#include "reception/gui/FrmRcpt_admin.h"
#include "ui/gui/ScreenCatalogue.h"

void RegisterReceptionScreens()
{
    ScreenCatalogue::Register(FrmRcpt_admin::Entry());
}
