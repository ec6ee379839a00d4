#pragma once

#include <QDate>

#include "ui/gui/ListScreen.h"
#include "ui/gui/RecordScreens.h"

class QDateEdit;

// The payments of a period, of one store or all, with their totals; payments are added, changed and
// deleted here.
class FrmRecv_admin : public ListScreen, public EditorSyncTarget
{
    Q_OBJECT
public:
    enum Col
    {
        ColDate = 1,
        ColStore,
        ColName,
        ColTel,
        ColAmount,
        ColDiscount,
        ColMemo,
        ColKey,
        // Hidden: row 1 holds the sums of the amounts and of the discounts.
        ColAmountSum,
        ColDiscountSum,
        ColCount = ColDiscountSum
    };

    explicit FrmRecv_admin(QWidget* parent = nullptr);
    ~FrmRecv_admin() override;

    // The catalogue entry behind menu entry mnuBasic_Recv.
    static ScreenEntry Entry();

    int Search() override;
    void AddRecord() override;
    void EditRecord() override;
    void DeleteRecord() override;
    void RowDoubleClicked(int) override { EditRecord(); }
    void PrintList() override;
    // After each save of the payment editor: Add appends the payment, Edit rewrites the active row.
    void SyncUpdateCust(RecordEditor* editor, EditorMode mode) override;

    // The store the list is narrowed to; "" for all stores.
    QString selectedStore() const { return m_store; }
    // Enter in the store box while no store is selected: the store picker for the typed text.
    void PickStoreForSearch();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshTotals();

    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    SpreadGrid* m_spTotal = nullptr;
    QString m_store;
    struct Searched
    {
        QDate from, to;
        QString store;
    } m_searched;
};
