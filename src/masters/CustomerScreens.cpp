#include "masters/CustomerScreens.h"

#include "db/RecordScreens.h"
#include "masters/FrmCust_save.h"
#include "masters/FrmCust_sel.h"

void RegisterCustomerScreens()
{
    RegisterPicker(QStringLiteral("FrmCust_sel"), [] { return std::make_unique<FrmCust_sel>(); });
    RegisterEditor(QStringLiteral("FrmCust_save"), [] { return std::make_unique<FrmCust_save>(); });
}
