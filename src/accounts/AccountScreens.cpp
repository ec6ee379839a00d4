#include "accounts/AccountScreens.h"

#include "accounts/FrmRecv_admin.h"
#include "accounts/FrmRecv_save.h"
#include "ui/ScreenCatalogue.h"

void RegisterAccountScreens()
{
    ScreenCatalogue::RegisterEditor(QStringLiteral("FrmRecv_save"),
                                    [] { return std::make_unique<FrmRecv_save>(); });
    ScreenCatalogue::Register(FrmRecv_admin::Entry());
}
