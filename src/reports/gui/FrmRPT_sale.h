#pragma once

#include "reports/SalesReport.h"
#include "reports/gui/ReportScreen.h"

class QCheckBox;

// The sales report ("매출현황"): the order lines of a period by date, store or customer with subtotals.
class FrmRPT_sale : public ReportScreen, public RecordFocusScreen
{
    Q_OBJECT
public:
    enum SortChoice
    {
        SortDate = SalesReport::SortDate,
        SortStore = SalesReport::SortStore,
        SortCustomer = SalesReport::SortCustomer,
    };

    explicit FrmRPT_sale(QWidget* parent = nullptr);
    ~FrmRPT_sale() override;

    // The catalogue entry behind menu entry mnuList_SalebyDate.
    static ScreenEntry Entry();

    // btnQuery and F5; returns the number of order lines listed.
    int Search() override;
    // Today's lines of one store or customer (code, shown as name in its search box), sorted by it.
    void ShowFor(const QString& code, const QString& name, SortChoice sort);
    // The same for a store or customer opened from the lists through the catalogue.
    void ShowRecord(const QString& code, const QString& name, FocusKind kind) override;

    QCheckBox* chkRcpt() const { return m_chkRcpt; }
    QString selectedStore() const { return m_store; }
    QString selectedCustomer() const { return m_customer; }
    const SalesReport& report() const { return m_report; }

protected:
    void FilterEnter(QLineEdit* box) override;
    void FilterCleared(QLineEdit* box) override;
    void SortClicked(int index) override;

private:
    // Headings, widths and alignment of the key columns after a new order.
    void arrangeKeyColumns(const std::array<double, SalesReport::FieldCount>& widths);

    SalesReport m_report;
    // The texts each key field's column must show whole, read once.
    std::array<QStringList, SalesReport::FieldCount> m_keyTexts;
    QCheckBox* m_chkRcpt = nullptr;
    // Index 0 the store box (htFilter_0), 1 the customer box (htFilter_1).
    QLineEdit* m_htFilter[2] = {nullptr, nullptr};
    QString m_store;
    QString m_customer;
};
