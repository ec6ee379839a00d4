#include "reception/ReceptionService.h"

#include "db/DbConnection.h"
#include "db/DbError.h"
#include "db/modDBQuery.h"

namespace ReceptionService {

namespace {
QString literal(const QString& text)
{
    return QLatin1Char('\'') + SQLQuote(text) + QLatin1Char('\'');
}

Result with(Status status, const ErrInfo& error = {})
{
    Result r;
    r.status = status;
    r.error = error;
    return r;
}

// Why a conditional update touched no row: the order is gone, or its state is not the expected one.
Result whyUnchanged(DbConnection& conn, const QString& orderNumber, Status stateRefused)
{
    try {
        const QVariant found = GetFirstValue(
            conn, QStringLiteral("SELECT 주문번호 FROM 주문 WHERE 주문번호 = ") + literal(orderNumber));
        return with(found.isNull() ? Status::NotFound : stateRefused);
    } catch (const DbException& e) {
        return with(Status::Failed, e.info());
    }
}

Result updateOnce(DbConnection& conn, const QString& orderNumber, const QString& set,
                  const QString& condition, Status stateRefused)
{
    const int changed = ExecSQL(conn, QStringLiteral("UPDATE 주문 SET 통보시간 = ") + set +
                                          QStringLiteral(" WHERE 주문번호 = ") + literal(orderNumber) +
                                          QStringLiteral(" AND ") + condition);
    if (changed < 0)
        return with(Status::Reported);
    if (changed > 0)
        return with(Status::Done);
    if (conn.wasCut())
        return with(Status::Reported);
    return whyUnchanged(conn, orderNumber, stateRefused);
}

// One conditional statement, autocommitted: when its answer is lost, the order's 통보시간 tells whether it
// was done.
Result update(DbConnection& conn, const QString& orderNumber, const QString& set, const QString& condition,
              Status stateRefused, const QString& procedure)
{
    if (orderNumber.isEmpty())
        return with(Status::NotFound);
    UnitCheck<Result> check;
    check.what = [&] {
        return QStringLiteral("주문 ") + orderNumber +
               (procedure == QLatin1String("PassOn") ? QStringLiteral(" 접수")
                                                     : QStringLiteral(" 접수 취소"));
    };
    check.storedSql = [&] {
        return QStringLiteral("SELECT COUNT(*) FROM 주문 WHERE 주문번호 = ") + literal(orderNumber) +
               QStringLiteral(" AND 통보시간 = ") + set;
    };
    check.saved = [] { return with(Status::Done); };
    // The connection has told the operator.
    check.givenUp = with(Status::Reported);
    return RetryOnConflict(
        conn, [&] { return updateOnce(conn, orderNumber, set, condition, stateRefused); }, check);
}
} // namespace

Result PassOn(DbConnection& conn, const QString& orderNumber, const QString& time)
{
    return update(conn, orderNumber, literal(time), QStringLiteral("(통보시간 = '' OR 통보시간 IS NULL)"),
                  Status::AlreadyPassedOn, QStringLiteral("PassOn"));
}

Result Undo(DbConnection& conn, const QString& orderNumber)
{
    return update(conn, orderNumber, QStringLiteral("''"), QStringLiteral("통보시간 <> ''"),
                  Status::NotPassedOn, QStringLiteral("Undo"));
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
    if (!filter.orderNumbers.isEmpty()) {
        QStringList numbers;
        for (const QString& n : filter.orderNumbers)
            numbers << literal(n);
        sql += QStringLiteral(" AND 주문번호 IN (") + numbers.join(QLatin1Char(',')) + QLatin1Char(')');
    }
    return sql + QStringLiteral(" ORDER BY 가맹점코드, 주문시간, 주문번호");
}

} // namespace ReceptionService
