#include "masters/StoreScreens.h"

#include "masters/FrmMemb_admin.h"
#include "masters/FrmMemb_save.h"
#include "masters/FrmMemb_sel.h"
#include "masters/FrmMenu_sel.h"
#include "ui/ScreenCatalogue.h"

void RegisterStoreScreens()
{
    ScreenCatalogue::RegisterPicker(QStringLiteral("FrmMemb_sel"),
                                    [] { return std::make_unique<FrmMemb_sel>(); });
    ScreenCatalogue::RegisterPicker(QStringLiteral("FrmMenu_sel"),
                                    [] { return std::make_unique<FrmMenu_sel>(); });
    ScreenCatalogue::RegisterEditor(QStringLiteral("FrmMemb_save"),
                                    [] { return std::make_unique<FrmMemb_save>(); });
    ScreenCatalogue::Register(FrmMemb_admin::Entry());
}
