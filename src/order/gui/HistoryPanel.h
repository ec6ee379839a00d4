#pragma once

#include "db/ChangeFeed.h"
#include "order/OrderHistory.h"

#include <QFrame>
#include <QList>
#include <QString>

class QLabel;

// The recent orders of the customer on a call (최근 주문): newest first, one of them chosen for the repeat
// key. It takes no focus; a click or Shift+F6 chooses a row without moving the operator's cursor.
class HistoryPanel : public QFrame
{
    Q_OBJECT
public:
    explicit HistoryPanel(QWidget* parent = nullptr);

    // Reads and shows the customer's recent orders; "" clears. The newest order is chosen.
    void ShowCustomer(const QString& code);
    void Clear();
    QString Customer() const { return m_customer; }
    const QList<OrderHistory::PastOrder>& Orders() const { return m_orders; }
    // The chosen row (0 = newest); -1 when nothing is shown.
    int Chosen() const { return m_orders.isEmpty() ? -1 : m_chosen; }
    void Choose(int row);
    // The next older order, back to the newest after the last.
    void ChooseNext();
    // Other seats' changes: the customer's orders are read again when orders or lines changed.
    void FollowChanges(const QList<ChangeFeed::Change>& changes);
    // Reads the shown customer's orders again, keeping the chosen order when it is still listed.
    void Reload();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill();

    QLabel* m_title = nullptr;
    QList<QLabel*> m_rows;
    QLabel* m_empty = nullptr;
    QString m_customer;
    QList<OrderHistory::PastOrder> m_orders;
    int m_chosen = 0;
};
