#include "masters/StoreScreens.h"

#include "db/RecordScreens.h"
#include "masters/FrmMemb_save.h"
#include "masters/FrmMemb_sel.h"
#include "masters/FrmMenu_sel.h"

void RegisterStoreScreens()
{
    RegisterPicker(QStringLiteral("FrmMemb_sel"), [] { return std::make_unique<FrmMemb_sel>(); });
    RegisterPicker(QStringLiteral("FrmMenu_sel"), [] { return std::make_unique<FrmMenu_sel>(); });
    RegisterEditor(QStringLiteral("FrmMemb_save"), [] { return std::make_unique<FrmMemb_save>(); });
}
