#include "db/RunningTotals.h"

#include "db/DbConnection.h"

#include <QSqlQuery>
#include <QVariant>

namespace RunningTotals {

namespace {
// A balance is kept to the won's hundredth; a smaller difference is the engine's rounding.
constexpr double kBalanceTolerance = 0.005;

bool collect(DbConnection& db, const QString& kind, const QString& column, const QString& jetSql,
             std::vector<Drift>* drift, ErrInfo* error)
{
    QSqlQuery q(db.database());
    if (!db.query(jetSql, q, error))
        return false;
    while (q.next()) {
        const bool money = column == QStringLiteral("현잔액");
        const auto shown = [money](const QVariant& v) {
            return money ? QString::number(v.toDouble(), 'f', 2) : QString::number(v.toLongLong());
        };
        drift->push_back(
            {kind, q.value(0).toString(), column + QLatin1Char(' ') + shown(q.value(1)), shown(q.value(2))});
    }
    return true;
}
} // namespace

QString Drift::text() const
{
    return code + QLatin1Char(' ') + stored + QStringLiteral(", 계산값 ") + computed;
}

bool Find(DbConnection& db, std::vector<Drift>* drift, ErrInfo* error)
{
    const QString balance = QStringLiteral("m.기초잔액 + Nz(c.s, 0) - Nz(p.s, 0)");
    const QString points = QStringLiteral("g.기초포인트 + Nz(e.s, 0) - Nz(v.s, 0)");
    return collect(
               db, QStringLiteral("가맹점 잔액"), QStringLiteral("현잔액"),
               QStringLiteral("SELECT m.코드, m.현잔액, ") + balance +
                   QStringLiteral(
                       " FROM (가맹점 m LEFT JOIN (SELECT o.가맹점코드 AS k, SUM(d.수수료) AS s FROM 주문 o "
                       "INNER JOIN 주문내역 d ON d.주문번호 = o.주문번호 GROUP BY o.가맹점코드) c "
                       "ON c.k = m.코드) LEFT JOIN (SELECT 가맹점코드 AS k, SUM(입금액 + 할인액) AS s "
                       "FROM 입금 GROUP BY 가맹점코드) p ON p.k = m.코드 WHERE ABS(m.현잔액 - (") +
                   balance + QStringLiteral(")) > %1 ORDER BY m.코드").arg(kBalanceTolerance),
               drift, error) &&
           collect(db, QStringLiteral("고객 포인트"), QStringLiteral("현포인트"),
                   QStringLiteral("SELECT g.코드, g.현포인트, ") + points +
                       QStringLiteral(
                           " FROM (고객 g LEFT JOIN (SELECT o.고객코드 AS k, SUM(d.포인트) AS s FROM 주문 o "
                           "INNER JOIN 주문내역 d ON d.주문번호 = o.주문번호 GROUP BY o.고객코드) e "
                           "ON e.k = g.코드) LEFT JOIN (SELECT 고객코드 AS k, SUM(차감포인트) AS s "
                           "FROM 서비스 GROUP BY 고객코드) v ON v.k = g.코드 WHERE g.현포인트 <> ") +
                       points + QStringLiteral(" ORDER BY g.코드"),
                   drift, error);
}
} // namespace RunningTotals
