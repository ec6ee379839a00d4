#include "reports/gui/ReportScreens.h"

#include "reports/gui/FrmRPT_ledger.h"
#include "reports/gui/FrmRPT_sale.h"
#include "reports/gui/modExcel.h"
#include "ui/gui/GridExport.h"
#include "ui/gui/ScreenCatalogue.h"

void RegisterReportScreens()
{
    ScreenCatalogue::Register(FrmRPT_sale::Entry());
    ScreenCatalogue::Register(FrmRPT_ledger::Entry());
    SetGridExporter(ExportToExcelFile);
}

void ShowSalesFor(const QString& code, const QString& name, int kind)
{
    if (kind != 1 && kind != 2)
        return;
    ScreenCatalogue::Instance().OpenFocused(QStringLiteral("FrmRPT_sale"), nullptr, code, name,
                                            kind == 1 ? FocusKind::Store : FocusKind::Customer);
}
