#include "order/OrderHistory.h"

#include "db/DbConnection.h"
#include "db/DbError.h"
#include "db/ReadQuery.h"
#include "ui/TextUtil.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace OrderHistory {

qint64 PastOrder::amount() const
{
    qint64 sum = 0;
    for (const PastLine& l : lines)
        sum += l.amount;
    return sum;
}

QString PastOrder::menusText() const
{
    QStringList parts;
    for (const PastLine& l : lines)
        parts << (l.menuName.isEmpty() ? QStringLiteral("(메뉴 %1)").arg(l.menu) : l.menuName) +
                     QStringLiteral("×") + QString::number(l.quantity);
    return parts.join(QStringLiteral(", "));
}

namespace {
bool run(DbConnection& conn, const QString& sql, const QVariantList& values, QSqlQuery& q, ErrInfo* error)
{
    q.setForwardOnly(true);
    return conn.query(sql, values, q, error);
}

bool failedRows(const QSqlQuery& q, ErrInfo* error)
{
    if (!q.lastError().isValid())
        return false;
    if (error)
        *error = DbConnection::errorFrom(q.lastError());
    return true;
}
} // namespace

bool ReadRecent(DbConnection& conn, const QString& customer, int count, QList<PastOrder>& out, ErrInfo* error)
{
    out.clear();
    if (customer.isEmpty() || count < 1)
        return true;
    // The index of 주문 on (고객코드, 주문일자, 주문시간, 주문번호) is read backwards from the customer's
    // end.
    QSqlQuery q;
    if (!run(conn,
             QStringLiteral(
                 "SELECT TOP %1 o.주문번호, o.주문일자, o.주문시간, o.가맹점코드, m.상호 FROM 주문 AS o "
                 "LEFT JOIN 가맹점 AS m ON o.가맹점코드 = m.코드 WHERE o.고객코드 = ? "
                 "ORDER BY o.고객코드 DESC, o.주문일자 DESC, o.주문시간 DESC, o.주문번호 DESC")
                 .arg(count),
             {customer}, q, error))
        return false;
    QHash<QString, int> byNumber;
    while (q.next()) {
        PastOrder o;
        o.number = q.value(0).toString();
        o.date = q.value(1).toString();
        o.time = q.value(2).toString();
        o.store = q.value(3).toString();
        o.storeName = q.value(4).toString();
        byNumber.insert(o.number, int(out.size()));
        out.append(o);
    }
    if (failedRows(q, error))
        return false;
    if (out.isEmpty())
        return true;
    QStringList numbers;
    for (const PastOrder& o : std::as_const(out))
        numbers << o.number;
    ReadQuery read;
    read.sql =
        QStringLiteral("SELECT d.주문번호, d.주문메뉴, m.메뉴명, d.수량, d.단가, d.금액 FROM 주문내역 AS d "
                       "LEFT JOIN 취급메뉴 AS m ON d.주문메뉴 = m.코드 WHERE d.주문번호 IN (") +
        read.bindEach(numbers) + QStringLiteral(") ORDER BY d.주문번호, d.순번");
    QSqlQuery lines;
    if (!run(conn, read.sql, read.values, lines, error))
        return false;
    while (lines.next()) {
        const auto at = byNumber.constFind(lines.value(0).toString());
        if (at == byNumber.constEnd())
            continue;
        PastLine l;
        l.menu = lines.value(1).toLongLong();
        l.menuName = lines.value(2).toString();
        l.quantity = lines.value(3).toLongLong();
        l.price = lines.value(4).toLongLong();
        l.amount = lines.value(5).toLongLong();
        out[*at].lines.append(l);
    }
    return !failedRows(lines, error);
}

bool AnyOfCustomer(DbConnection& conn, const QString& customer, const QStringList& numbers, bool& found,
                   ErrInfo* error)
{
    found = false;
    if (numbers.isEmpty())
        return true;
    ReadQuery read{QStringLiteral("SELECT COUNT(*) FROM 주문 WHERE 고객코드 = ? AND 주문번호 IN ("),
                   {customer}};
    read.sql += read.bindEach(numbers) + QLatin1Char(')');
    QSqlQuery q;
    if (!run(conn, read.sql, read.values, q, error))
        return false;
    found = q.next() && q.value(0).toLongLong() > 0;
    return !failedRows(q, error);
}

RepeatPlan PlanRepeat(DbConnection& conn, const PastOrder& order)
{
    struct Menu
    {
        qint64 code;
        qint64 price;
    };
    QMultiHash<QString, Menu> byName;
    QSqlQuery q;
    ErrInfo e;
    if (!run(conn,
             QStringLiteral(
                 "SELECT 코드, 메뉴명, 판매단가 FROM 취급메뉴 WHERE 가맹점코드 = ? ORDER BY 코드 DESC"),
             {order.store}, q, &e))
        throw DbException(e);
    // Names compare as the database compares them: without regard to letter case or outer blanks.
    const auto key = [](const QString& name) { return name.trimmed().toCaseFolded(); };
    while (q.next())
        byName.insert(key(q.value(1).toString()), Menu{q.value(0).toLongLong(), q.value(2).toLongLong()});
    if (failedRows(q, &e))
        throw DbException(e);
    RepeatPlan plan;
    for (const PastLine& l : order.lines) {
        const QString name = l.menuName.isEmpty() ? QStringLiteral("(메뉴 %1)").arg(l.menu) : l.menuName;
        const QList<Menu> found = l.menuName.isEmpty() ? QList<Menu>() : byName.values(key(l.menuName));
        if (found.isEmpty()) {
            plan.gone << name;
            continue;
        }
        // values() lists the last inserted first: the lowest code, unless the line's own menu is there.
        Menu chosen = found.first();
        for (const Menu& m : found)
            if (m.code == l.menu)
                chosen = m;
        plan.lines.append({chosen.code, l.menuName, l.quantity, chosen.price, l.price});
        if (chosen.price != l.price)
            plan.repriced << name + QLatin1Char(' ') + FormatThousands(l.price) + QStringLiteral("원 → ") +
                                 FormatThousands(chosen.price) + QStringLiteral("원");
    }
    return plan;
}

} // namespace OrderHistory
