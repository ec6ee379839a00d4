#pragma once

#include "db/ChangeFeed.h"
#include "reception/ReceptionService.h"

#include "order/AutoDialer.h"
#include "ui/gui/ListScreen.h"

#include <QSet>

#include <functional>
#include <optional>

class QCheckBox;
class QDateEdit;
class QLabel;
class OthersRefresh;
class StorePanel;

// The reception list ("접수 관리"): one day's orders passed on to their stores, with lines, store and
// receipt.
class FrmRcpt_admin : public ListScreen
{
    Q_OBJECT
public:
    // Columns of spMList.
    enum Col
    {
        ColStore = 1,
        ColTime,
        ColOrderNo,
        ColCustomer,
        ColPhone,
        ColAddress,
        ColPassedOn,
        ColCount = ColPassedOn
    };
    // Columns of spDList; the sums sit in row 1 of the hidden ones.
    enum LineCol
    {
        LnMenu = 1,
        LnQty,
        LnPrice,
        LnAmount,
        LnMemo,
        LnPoints,
        LnCommission,
        LnOrderNo,
        LnLineNo,
        LnSumQty,
        LnSumAmount,
        LnSumCommission,
        LnSumPoints,
        LnCount = LnSumPoints
    };

    explicit FrmRcpt_admin(QWidget* parent = nullptr);
    ~FrmRcpt_admin() override;

    // The catalogue entry behind menu entry mnuBasic_Receipt (F9 and the shortcut button of the main window).
    static ScreenEntry Entry();

    // Who dials a store's number; the main window's store dialling unless a test puts another in place.
    using Dialler = std::function<void(const QString& phone)>;
    static Dialler SetDialler(Dialler dialler);

    // btnQuery: the list, then the lines of the order under the cursor.
    int Search() override;
    // btnRecAdd, F2 and Enter in the list: passes the order on and prints its receipt.
    void AddRecord() override;
    void EditRecord() override { AddRecord(); }
    // btnRecDel and F4: takes the passing-on back and offers to delete the whole order.
    void DeleteRecord() override;
    void RowDoubleClicked(int row) override;
    QString PrintTitle() const override { return QStringLiteral("접수 리스트"); }

    // F5: the list only; returns the number of orders listed.
    int ListQuery();
    // What another seat changed: the list is read again with the last query's filter, the cursor staying
    // on its order, and the lines and store panel follow; while a store is being dialled or a question is
    // open it waits and is read a second after.
    void OthersChanged(const QList<ChangeFeed::Change>& changes);
    // Order number of a row of spMList, -2 = the row under the cursor; "" when the list is empty.
    QString GetOrdNo(int row) const;
    void LoadLines(const QString& orderNumber);
    void ShowStore(const QString& code);
    void ClearStore();
    // btnPrint and F7.
    void PrintReceipt();
    // btnDialing.
    void DialStore();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Controls are reached by their objectNames (a row's carry "_" + index).
    QDateEdit* hdOrd = nullptr;
    QCheckBox* chkMeOnly = nullptr;
    QComboBox* cmbFilter = nullptr;
    SpreadGrid* spDList = nullptr;
    SpreadGrid* spTotal = nullptr;
    // pnlMembCode, pnlMembName, pnlMembTel_0/1, pnlMembFee, pnlMembBaln, pnlMembAddr.
    StorePanel* m_store = nullptr;
    QLabel* pnlAutoDialingmsg = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnDialing = nullptr;

    void buildLower();
    void designGrids();
    void deleteOrderOfRow();
    void focusList();
    void takeCountdown();
    void giveBackCountdown();
    int fillList(const ReceptionService::ListFilter& filter, const QString& keepOrder, int col);
    // The list's cells of the orders filter finds; *read false when the read failed (and was told).
    QList<QVariantList> listRows(const ReceptionService::ListFilter& filter, bool* read = nullptr);
    // Reads just these orders again and puts each in, over or out of its place; false when the whole list
    // must be read instead.
    bool refreshOrders(const QStringList& numbers, const QString& activeOrder, int col);
    void refreshForOthers();
    // True when a read succeeded; a failed one is told to the operator (thrown while the screen opens).
    bool readDone(bool done, const ErrInfo& error) const;
    bool m_opening = false;
    bool m_openingDialDone = false;
    ReceptionService::ListFilter m_lastFilter;
    bool m_queried = false;
    OthersRefresh* m_others = nullptr;
    // What other seats changed since the list last followed them: these orders, or (m_othersAll) any.
    QSet<QString> m_othersOrders;
    bool m_othersAll = false;
    // Orders this screen passed on or took back since its last query: they stay where the operator left
    // them until the next query, even when the filter no longer finds them.
    QSet<QString> m_ownOrders;
    std::optional<AutoDialer::Hooks> m_mainHooks;
};
