#include "reports/ReportScreens.h"

#include "reports/FrmRPT_ledger.h"
#include "reports/FrmRPT_sale.h"
#include "ui/ScreenCatalogue.h"

#include <QApplication>
#include <QPointer>

namespace {
FrmRPT_sale* openSalesReport()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* report = qobject_cast<FrmRPT_sale*>(w); report && report->isVisible())
            return report;
    }
    return nullptr;
}
} // namespace

void RegisterReportScreens()
{
    ScreenCatalogue::Register(FrmRPT_sale::Entry());
    ScreenCatalogue::Register(FrmRPT_ledger::Entry());
}

void ShowSalesFor(const QString& code, const QString& name, int kind)
{
    if (kind != 1 && kind != 2)
        return;
    // A fresh screen: the one open may be narrowed or sorted otherwise.
    if (QPointer<FrmRPT_sale> open = openSalesReport()) {
        open->close();
        delete open.data();
    }
    if (!ScreenCatalogue::Instance().Open(QStringLiteral("FrmRPT_sale"), nullptr))
        return;
    if (FrmRPT_sale* report = openSalesReport())
        report->ShowFor(code, name, kind == 1 ? FrmRPT_sale::SortStore : FrmRPT_sale::SortCustomer);
}
