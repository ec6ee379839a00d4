#include "accounts/gui/AccountScreens.h"

#include "accounts/gui/FrmRecv_admin.h"
#include "accounts/gui/FrmRecv_save.h"
#include "ui/gui/ScreenCatalogue.h"

void RegisterAccountScreens()
{
    ScreenCatalogue::RegisterEditor(QStringLiteral("FrmRecv_save"),
                                    [] { return std::make_unique<FrmRecv_save>(); });
    ScreenCatalogue::Register(FrmRecv_admin::Entry());
}
