#pragma once

#include "db/ChangeFeed.h"
#include "ui/gui/FrameScreen.h"

#include <QElapsedTimer>
#include <QSet>

#include <optional>

class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class Recordset;
class QPushButton;

// The service screen ("서비스 관리"): customers whose points reach a threshold, ticked and granted a service
// that deducts points, beside the services of a period, which can be cancelled.
class FrmSvce_admin : public FrameScreen
{
    Q_OBJECT
public:
    // Columns of spCust.
    enum CustCol
    {
        CustPhone = 1,
        CustPoints,
        CustTick,
        CustCode,
        CustColCount = CustCode
    };
    // Columns of spSvce.
    enum SvceCol
    {
        SvceDate = 1,
        SvceCustomer,
        SvcePhone,
        SvceZip,
        SvceAddress,
        SvcePoints,
        SvceKey,
        SvceColCount = SvceKey
    };

    explicit FrmSvce_admin(QWidget* parent = nullptr);
    ~FrmSvce_admin() override;

    // Modeless, behind the permission table, opened from menu entry mnuBasic_Service.
    static ScreenEntry Entry();

    // btnRefresh and Enter in htPt: the customers at or above the threshold, nobody ticked. Returns the
    // number listed, -1 when the threshold was refused.
    int ListCustomers();
    // btnQuery and F5: the services of the period of hdTerm.
    int ListServices();
    // btnRecAdd and F2: one service per ticked customer, stopping at the first that cannot have one.
    void GrantServices();
    // btnRecDel and F4: cancels the service under the cursor of spSvce.
    void CancelService();

    // The ways of ticking; each keeps the row colours and lblCountRec true.
    void FlipTick(int row);
    void FlipBlock(int row1, int row2);
    // The whole sheet takes the opposite of row 1's tick.
    void TickAll();
    bool IsTicked(int row) const;

protected:
    // The tools menu prints and exports the customer list.
    SpreadGrid* ListGrid() const override { return m_spCust; }
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildCustomerPanel();
    QWidget* buildServicePanel();
    void designGrids();
    void connectTicking();
    void setTick(int row, bool on);
    void countTicks();
    void showRowAtTop(int row);
    // The rows of the lists as their reads give them, in column order.
    static QList<QVariantList> customerRows(const Recordset& rs);
    static QList<QVariantList> serviceRows(const Recordset& rs);
    // Other seats' changes: the customers and services they touched are read again with the last query's
    // threshold and period, ticks and cursors staying with their keys.
    void takeOthers(const QList<ChangeFeed::Change>& changes);
    void followCustomers(const QStringList& codes);
    void followServices(const QStringList& keys, const QStringList& customerCodes);

    SpreadGrid* m_spCust = nullptr;
    SpreadGrid* m_spSvce = nullptr;
    QLineEdit* m_htPt = nullptr;
    QFrame* m_hdTerm = nullptr;
    QDateEdit* m_hdTermFrom = nullptr;
    QDateEdit* m_hdTermTo = nullptr;
    QLabel* m_lblCountRec = nullptr;
    QPushButton* m_btnRefresh = nullptr;
    QPushButton* m_btnQuery = nullptr;
    QPushButton* m_btnRecAdd = nullptr;
    QPushButton* m_btnRecDel = nullptr;
    QPushButton* m_btnClose = nullptr;
    // The row a press on the row headers started from; 0 while no block is being drawn.
    int m_blockAnchor = 0;
    int m_blockEnd = 0;
    // The row whose check box was last clicked, when, and its tick before that click: a double-click
    // on the check box flips it once however many presses reached the grid.
    int m_clickRow = 0;
    bool m_tickBeforeClicks = false;
    QElapsedTimer m_clickTimer;
    // The last query of each list, and what other seats changed since the lists last followed them.
    std::optional<qint64> m_lastThreshold;
    QString m_lastFrom;
    QString m_lastTo;
    QSet<QString> m_othersCustomers;
};
