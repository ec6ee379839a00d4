#include "order/gui/HistoryPanel.h"

#include "db/MduAdoDB.h"
#include "ui/TextUtil.h"

#include <QDate>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QSet>
#include <QVBoxLayout>

HistoryPanel::HistoryPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("pnlHistory"));
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::StyledPanel);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(4, 4, 4, 4);
    box->setSpacing(2);
    m_title = new QLabel(QStringLiteral("최근 주문   『 F6: 재주문  Shift+F6: 선택 』"), this);
    m_title->setObjectName(QStringLiteral("lblHistoryTitle"));
    m_title->setStyleSheet(QStringLiteral("QLabel { background: #35507a; color: white; font-weight: bold; "
                                          "padding: 2px 4px; }"));
    box->addWidget(m_title);
    for (int i = 0; i < OrderHistory::kRecentCount; ++i) {
        auto* row = new QLabel(this);
        row->setObjectName(QStringLiteral("lblHistory_%1").arg(i));
        row->setWordWrap(true);
        row->setFocusPolicy(Qt::NoFocus);
        row->setTextFormat(Qt::PlainText);
        row->installEventFilter(this);
        row->setVisible(false);
        box->addWidget(row);
        m_rows.append(row);
    }
    m_empty = new QLabel(this);
    m_empty->setObjectName(QStringLiteral("lblHistoryEmpty"));
    m_empty->setStyleSheet(QStringLiteral("QLabel { color: #707070; padding: 2px 4px; }"));
    box->addWidget(m_empty);
    box->addStretch(1);
    Clear();
}

void HistoryPanel::Clear()
{
    m_customer.clear();
    m_orders.clear();
    m_chosen = 0;
    fill();
}

void HistoryPanel::ShowCustomer(const QString& code)
{
    if (code.isEmpty()) {
        Clear();
        return;
    }
    if (code == m_customer)
        return;
    m_customer = code;
    m_chosen = 0;
    m_orders.clear();
    Reload();
}

void HistoryPanel::Reload()
{
    if (m_customer.isEmpty()) {
        fill();
        return;
    }
    const QString chosen = Chosen() >= 0 ? m_orders.at(m_chosen).number : QString();
    ErrInfo error;
    QList<OrderHistory::PastOrder> orders;
    if (!OrderHistory::ReadRecent(gMainConn, m_customer, OrderHistory::kRecentCount, orders, &error))
        TellReadError(gMainConn, error);
    m_orders = orders;
    m_chosen = 0;
    for (int i = 0; i < m_orders.size(); ++i)
        if (m_orders.at(i).number == chosen)
            m_chosen = i;
    fill();
}

void HistoryPanel::Choose(int row)
{
    if (row < 0 || row >= m_orders.size())
        return;
    m_chosen = row;
    fill();
}

void HistoryPanel::ChooseNext()
{
    if (!m_orders.isEmpty())
        Choose((m_chosen + 1) % int(m_orders.size()));
}

void HistoryPanel::FollowChanges(const QList<ChangeFeed::Change>& changes)
{
    if (m_customer.isEmpty())
        return;
    // A menu's change is announced by its store's code.
    QSet<QString> shown, stores;
    for (const OrderHistory::PastOrder& o : std::as_const(m_orders)) {
        shown.insert(o.number);
        stores.insert(o.store);
    }
    // An order or line of a number not shown may be a new order of this customer: asked in one read.
    QStringList others;
    for (const ChangeFeed::Change& c : changes) {
        const bool order = c.table == QStringLiteral("주문") || c.table == QStringLiteral("주문내역");
        if ((order || c.table == QStringLiteral("취급메뉴")) && c.key.isEmpty())
            return Reload();
        if ((order && shown.contains(c.key)) ||
            (c.table == QStringLiteral("취급메뉴") && stores.contains(c.key)))
            return Reload();
        if (order)
            others << c.key;
    }
    ErrInfo error;
    bool ours = false;
    if (!others.isEmpty() && !OrderHistory::AnyOfCustomer(gMainConn, m_customer, others, ours, &error))
        TellReadError(gMainConn, error);
    if (ours)
        Reload();
}

bool HistoryPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const int row = m_rows.indexOf(qobject_cast<QLabel*>(watched));
        if (row >= 0) {
            Choose(row);
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void HistoryPanel::fill()
{
    for (int i = 0; i < m_rows.size(); ++i) {
        QLabel* row = m_rows.at(i);
        if (i >= m_orders.size()) {
            row->clear();
            row->setVisible(false);
            continue;
        }
        const OrderHistory::PastOrder& o = m_orders.at(i);
        const QDate date = QDate::fromString(o.date, QStringLiteral("yyyy-MM-dd"));
        const QString when = date.isValid() ? date.toString(QStringLiteral("MM-dd")) : o.date;
        row->setText((i == m_chosen ? QStringLiteral("▶ ") : QStringLiteral("   ")) + when +
                     QLatin1Char(' ') + o.storeName + QStringLiteral("  ") + FormatThousands(o.amount()) +
                     QStringLiteral("원") + QLatin1Char('\n') + QStringLiteral("     ") + o.menusText());
        row->setStyleSheet(i == m_chosen ? QStringLiteral("QLabel { background: #fff4c2; padding: 1px 4px; }")
                                         : QStringLiteral("QLabel { padding: 1px 4px; }"));
        row->setVisible(true);
    }
    m_empty->setText(m_customer.isEmpty() ? QString() : QStringLiteral("이전 주문이 없습니다."));
    m_empty->setVisible(!m_customer.isEmpty() && m_orders.isEmpty());
}
