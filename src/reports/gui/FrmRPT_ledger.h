#pragma once

#include "reports/StoreLedger.h"
#include "reports/gui/ReportScreen.h"

class QLabel;

// The store ledger ("가맹점 원장"): what each store owes over a period and why, built in the seat's report
// database.
class FrmRPT_ledger : public ReportScreen
{
    Q_OBJECT
public:
    explicit FrmRPT_ledger(QWidget* parent = nullptr);
    ~FrmRPT_ledger() override;

    // The catalogue entry behind menu entry mnuList_SaleReceive.
    static ScreenEntry Entry();

    // btnQuery: builds the work table for the period and store, then shows it. False when the build failed
    // (the message has been shown, the grid is empty).
    bool Query();
    // F5: shows the work table as last built; returns the number of data rows.
    int Search() override;

    // The store the ledger is narrowed to; "" for all stores.
    QString selectedStore() const { return m_store; }
    // Narrows the ledger to a store as a choice in the search box does, without building it.
    void SelectStore(const QString& code, const QString& name);
    const StoreLedger::Totals& totals() const { return m_totals; }

protected:
    void FilterEnter(QLineEdit* box) override;
    void FilterCleared(QLineEdit* box) override;
    void SortClicked(int index) override;

private:
    // Shows the ledger's rows in their colours; returns the number of data rows.
    int showLedger(std::shared_ptr<const StoreLedger::Ledger> ledger);

    QLineEdit* m_htFilter = nullptr;
    QString m_store;
    int m_sort = 0;
    StoreLedger::Totals m_totals;
};
