#include "masters/CustomerScreens.h"

#include "masters/FrmCust_admin.h"
#include "masters/FrmCust_save.h"
#include "masters/FrmCust_sel.h"
#include "ui/ScreenCatalogue.h"

void RegisterCustomerScreens()
{
    ScreenCatalogue::RegisterPicker(QStringLiteral("FrmCust_sel"),
                                    [] { return std::make_unique<FrmCust_sel>(); });
    ScreenCatalogue::RegisterEditor(QStringLiteral("FrmCust_save"),
                                    [] { return std::make_unique<FrmCust_save>(); });
    ScreenCatalogue::Register(FrmCust_admin::Entry());
}
