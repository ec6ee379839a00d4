#include "accounts/PointService.h"

#include "db/DbError.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"

#include <QSqlQuery>

namespace PointService {

namespace {

Result with(Status status, const ErrInfo& error = {})
{
    Result r;
    r.status = status;
    r.error = error;
    return r;
}

} // namespace

static Result GrantServiceOnce(const QString& customer, qint64 points, const QDate& date, qint64& attemptKey)
{
    attemptKey = 0;
    if (points <= 0)
        return with(Status::NoPoints);
    if (customer.isEmpty())
        return with(Status::NotFound);
    const QString code = SQLLiteral(customer);
    DbTransaction t(gMainConn);
    if (!t.active())
        return with(Status::Failed, t.error());
    // The deduction itself checks the stored points: the list the operator ticked may be older than another
    // seat's service for the same customer.
    const DbConnection::ExecResult deduct =
        gMainConn.exec(QStringLiteral("UPDATE 고객 SET 현포인트 = 현포인트 - ") + QString::number(points) +
                       QStringLiteral(" WHERE 코드 = ") + code + QStringLiteral(" AND 현포인트 >= ") +
                       QString::number(points));
    if (!deduct.ok)
        return with(Status::Failed, deduct.error);
    if (deduct.rowsAffected == 0) {
        QSqlQuery q(gMainConn.database());
        ErrInfo error;
        if (!gMainConn.query(QStringLiteral("SELECT COUNT(*) FROM 고객 WHERE 코드 = ") + code, q, &error))
            return with(Status::Failed, error);
        const bool exists = q.next() && q.value(0).toLongLong() > 0;
        return with(exists ? Status::TooFewPoints : Status::NotFound);
    }
    // The key comes back from the insert: after a connection lost at the COMMIT it tells whether the
    // service is there.
    {
        QSqlQuery q(gMainConn.database());
        ErrInfo error;
        if (!gMainConn.query(
                QStringLiteral("INSERT INTO 서비스 (고객코드, 서비스일, 차감포인트, 메모) VALUES (") + code +
                    QLatin1Char(',') + SQLLiteral(date.toString(QStringLiteral("yyyy-MM-dd"))) + QLatin1Char(',') +
                    QString::number(points) + QStringLiteral(",'') RETURNING 처리순번"),
                q, &error))
            return with(Status::Failed, error);
        if (!q.next())
            return with(Status::Failed,
                        ErrInfo{DbErr::kUnspecified, QStringLiteral("저장된 자료가 없습니다.")});
        attemptKey = q.value(0).toLongLong();
    }
    if (!t.commit())
        return with(Status::Failed, t.error());
    return with(Status::Done);
}

Result GrantService(const QString& customer, qint64 points, const QDate& date)
{
    qint64 attemptKey = 0;
    UnitCheck<Result> check;
    check.what = [&] { return QStringLiteral("고객 %1의 서비스 (%2 포인트)").arg(customer).arg(points); };
    check.storedSql = [&] {
        return QStringLiteral("SELECT COUNT(*) FROM 서비스 WHERE 처리순번 = ") + QString::number(attemptKey);
    };
    check.saved = [] { return with(Status::Done); };
    check.givenUp = with(Status::Failed, ErrInfo{DbErr::kConnectionLost,
                                                 QStringLiteral("데이터베이스 서버와의 연결이 끊어졌습니다.")});
    return RetryOnConflict(gMainConn, [&] { return GrantServiceOnce(customer, points, date, attemptKey); },
                           check);
}

static Result CancelServiceOnce(qint64 key, Result& read)
{
    if (key <= 0)
        return with(Status::NotFound);
    const QString where = QStringLiteral(" WHERE 처리순번 = ") + QString::number(key);
    DbTransaction t(gMainConn);
    if (!t.active())
        return with(Status::Failed, t.error());
    // What is given back is what the stored service deducted, read under the write lock.
    Result r;
    {
        QSqlQuery q(gMainConn.database());
        ErrInfo error;
        if (!gMainConn.query(QStringLiteral("SELECT 고객코드, 차감포인트 FROM 서비스") + where, q, &error))
            return with(Status::Failed, error);
        if (!q.next())
            return with(Status::NotFound);
        r.customer = q.value(0).toString();
        r.points = q.value(1).toLongLong();
        read = r;
    }
    const DbConnection::ExecResult del = gMainConn.exec(QStringLiteral("DELETE FROM 서비스") + where);
    if (!del.ok)
        return with(del.error.number == DbErr::kUnspecified ? Status::Linked : Status::Failed, del.error);
    if (del.rowsAffected == 0)
        return with(Status::NotFound);
    if (r.points != 0) {
        const DbConnection::ExecResult back = gMainConn.exec(
            QStringLiteral("UPDATE 고객 SET 현포인트 = 현포인트 + ") + QString::number(r.points) +
            QStringLiteral(" WHERE 코드 = ") + SQLLiteral(r.customer));
        if (!back.ok)
            return with(Status::Failed, back.error);
        if (back.rowsAffected == 0)
            return with(
                Status::Failed,
                ErrInfo{DbErr::kUnspecified,
                        QStringLiteral("고객의 포인트 계산 중 오류가 발생하여 정상처리 되지 못했습니다.") +
                            QStringLiteral("\r\n고객코드: ") + r.customer});
    }
    if (!t.commit())
        return with(Status::Failed, t.error());
    r.status = Status::Done;
    return r;
}

Result CancelService(qint64 key)
{
    // What was given back is the cancelled service's, read by the attempt before the connection broke off.
    Result cancelled;
    UnitCheck<Result> check;
    check.what = [&] { return QStringLiteral("서비스 %1번 취소").arg(key); };
    check.storedSql = [&] {
        return QStringLiteral("SELECT COUNT(*) FROM 서비스 WHERE 처리순번 = ") + QString::number(key);
    };
    check.storedWhenNone = true;
    check.saved = [&] {
        Result r = cancelled;
        r.status = Status::Done;
        return r;
    };
    check.givenUp = with(Status::Failed, ErrInfo{DbErr::kConnectionLost,
                                                 QStringLiteral("데이터베이스 서버와의 연결이 끊어졌습니다.")});
    return RetryOnConflict(
        gMainConn,
        [&] {
            Result r = CancelServiceOnce(key, cancelled);
            return r;
        },
        check);
}

} // namespace PointService
