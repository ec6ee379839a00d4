#include "reception/ReceptionService.h"

#include "db/DbConnection.h"
#include "db/DbError.h"
#include "db/modDBQuery.h"
#include "ui/MsgBox.h"

namespace ReceptionService {

namespace {
QString literal(const QString& text)
{
    return QLatin1Char('\'') + SQLQuote(text) + QLatin1Char('\'');
}

// Why a conditional update touched no row: the order is gone, or its state is not the expected one.
Outcome whyUnchanged(DbConnection& conn, const QString& orderNumber, Outcome stateRefused,
                     const QString& procedure)
{
    try {
        const QVariant found = GetFirstValue(
            conn, QStringLiteral("SELECT 주문번호 FROM 주문 WHERE 주문번호 = ") + literal(orderNumber));
        return found.isNull() ? Outcome::NotFound : stateRefused;
    } catch (const DbException& e) {
        ShowStdError(e.info(), procedure, QStringLiteral("ReceptionService"));
        return Outcome::Failed;
    }
}

Outcome updateOnce(DbConnection& conn, const QString& orderNumber, const QString& set, const QString& condition,
                   Outcome stateRefused, const QString& procedure)
{
    const int changed = ExecSQL(conn, QStringLiteral("UPDATE 주문 SET 통보시간 = ") + set +
                                          QStringLiteral(" WHERE 주문번호 = ") + literal(orderNumber) +
                                          QStringLiteral(" AND ") + condition);
    if (changed < 0)
        return Outcome::Failed;
    if (changed > 0)
        return Outcome::Done;
    if (conn.wasCut())
        return Outcome::Failed;
    return whyUnchanged(conn, orderNumber, stateRefused, procedure);
}

// One conditional statement, autocommitted: when its answer is lost, the order's 통보시간 tells whether it
// was done.
Outcome update(DbConnection& conn, const QString& orderNumber, const QString& set, const QString& condition,
               Outcome stateRefused, const QString& procedure)
{
    if (orderNumber.isEmpty())
        return Outcome::NotFound;
    UnitCheck<Outcome> check;
    check.what = [&] {
        return QStringLiteral("주문 ") + orderNumber +
               (procedure == QLatin1String("PassOn") ? QStringLiteral(" 접수") : QStringLiteral(" 접수 취소"));
    };
    check.storedSql = [&] {
        return QStringLiteral("SELECT COUNT(*) FROM 주문 WHERE 주문번호 = ") + literal(orderNumber) +
               QStringLiteral(" AND 통보시간 = ") + set;
    };
    check.saved = [] { return Outcome::Done; };
    check.givenUp = Outcome::Failed;
    return RetryOnConflict(
        conn, [&] { return updateOnce(conn, orderNumber, set, condition, stateRefused, procedure); }, check);
}
} // namespace

Outcome PassOn(DbConnection& conn, const QString& orderNumber, const QString& time)
{
    return update(conn, orderNumber, literal(time), QStringLiteral("(통보시간 = '' OR 통보시간 IS NULL)"),
                  Outcome::AlreadyPassedOn, QStringLiteral("PassOn"));
}

Outcome Undo(DbConnection& conn, const QString& orderNumber)
{
    return update(conn, orderNumber, QStringLiteral("''"), QStringLiteral("통보시간 <> ''"),
                  Outcome::NotPassedOn, QStringLiteral("Undo"));
}

QString ListSql(const ListFilter& filter)
{
    QString sql = QStringLiteral("SELECT o.*, c.주소1, c.주소2 FROM 주문 AS o INNER JOIN 고객 AS c"
                                 " ON o.고객코드 = c.코드 WHERE 주문일자 = ") +
                  literal(filter.date);
    if (filter.ownSeatOnly)
        sql += QStringLiteral(" AND MID(주문번호,7,1) = ") + literal(filter.terminalId);
    if (filter.state == StateFilter::Waiting)
        sql += QStringLiteral(" AND (통보시간 = '' OR 통보시간 IS NULL)");
    else if (filter.state == StateFilter::PassedOn)
        sql += QStringLiteral(" AND 통보시간 <> ''");
    if (!filter.storePrefix.isEmpty())
        sql += QStringLiteral(" AND 가맹점코드 LIKE ") +
               SQLLikePattern(filter.storePrefix, LikeMatch::StartsWith);
    return sql + QStringLiteral(" ORDER BY 가맹점코드, 주문시간, 주문번호");
}

} // namespace ReceptionService
