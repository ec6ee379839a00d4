#include "masters/gui/StoreScreens.h"

#include "masters/gui/FrmMemb_admin.h"
#include "masters/gui/FrmMemb_save.h"
#include "masters/gui/FrmMemb_sel.h"
#include "masters/gui/FrmMenu_sel.h"
#include "ui/gui/ScreenCatalogue.h"

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
