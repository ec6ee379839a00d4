#include "accounts/PaymentService.h"

#include "db/DbError.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"
#include "db/modMain_SQL.h"

#include <QSqlError>
#include <QSqlQuery>

#include <optional>

namespace PaymentService {

namespace {

Result with(Status status, const ErrInfo& error = {})
{
    Result r;
    r.status = status;
    r.error = error;
    return r;
}

struct Stored
{
    QString store;
    qint64 total = 0;
};

// The payment as stored now, read inside the caller's write so no other seat changes it meanwhile.
std::optional<Stored> readStored(qint64 key, ErrInfo& error)
{
    QSqlQuery q(gMainConn.database());
    if (!gMainConn.query(QStringLiteral("SELECT 가맹점코드, 입금액 + 할인액 FROM 입금 WHERE 처리순번 = ") +
                             QString::number(key),
                         q, &error))
        return std::nullopt;
    if (!q.next())
        return Stored{};
    return Stored{q.value(0).toString(), q.value(1).toLongLong()};
}

QString values(const Payment& p)
{
    return SQLLiteral(p.store) + QLatin1Char(',') + SQLLiteral(p.date) + QLatin1Char(',') +
           QString::number(p.amount) + QLatin1Char(',') + QString::number(p.discount) + QLatin1Char(',') +
           SQLLiteral(p.memo);
}

QString paymentName(qint64 key)
{
    return QStringLiteral("입금 %1번").arg(key);
}

// Counts the payment with its values as written.
QString countPayment(qint64 key, const Payment& p)
{
    return QStringLiteral("SELECT COUNT(*) FROM 입금 WHERE 처리순번 = ") + QString::number(key) +
           QStringLiteral(" AND 가맹점코드 = ") + SQLLiteral(p.store) + QStringLiteral(" AND 입금일자 = ") +
           SQLLiteral(p.date) + QStringLiteral(" AND 입금액 = ") + QString::number(p.amount) +
           QStringLiteral(" AND 할인액 = ") + QString::number(p.discount) + QStringLiteral(" AND 메모 = ") +
           SQLLiteral(p.memo);
}

bool storeExists(const QString& store, ErrInfo& error)
{
    QSqlQuery q(gMainConn.database());
    if (!gMainConn.query(QStringLiteral("SELECT 1 FROM 가맹점 WHERE 코드 = ") + SQLLiteral(store), q, &error))
        return false;
    return q.next();
}

} // namespace

static Result InsertPaymentOnce(const Payment& payment, qint64& key, qint64& attemptKey)
{
    attemptKey = 0;
    DbTransaction t(gMainConn);
    if (!t.active())
        return with(Status::Failed, t.error());
    ErrInfo error;
    if (!storeExists(payment.store, error))
        return error.number ? with(Status::Failed, error) : with(Status::UnknownStore);
    QSqlQuery q(gMainConn.database());
    if (!gMainConn.query(
            QStringLiteral("INSERT INTO 입금 (가맹점코드, 입금일자, 입금액, 할인액, 메모) VALUES (") +
                values(payment) + QStringLiteral(") RETURNING 처리순번"),
            q, &error))
        return with(Status::Failed, error);
    if (!q.next())
        return with(Status::Failed, DbConnection::errorFrom(q.lastError()));
    const qint64 newKey = q.value(0).toLongLong();
    attemptKey = newKey;
    q.finish();
    if (!AdjustBalance(payment.store, double(-payment.total())))
        return with(Status::Reported);
    if (!t.commit())
        return with(Status::Failed, t.error());
    key = newKey;
    return with(Status::Saved);
}

Result InsertPayment(const Payment& payment, qint64& key)
{
    qint64 attemptKey = 0;
    UnitCheck<Result> check;
    check.what = [&] {
        return (attemptKey > 0 ? paymentName(attemptKey) : QStringLiteral("새 입금")) +
               QStringLiteral(" (가맹점 %1, %2, %3원)").arg(payment.store, payment.date).arg(payment.amount);
    };
    // The key came back from the insert before the COMMIT went out.
    check.storedSql = [&] { return countPayment(attemptKey, payment); };
    check.saved = [&] {
        key = attemptKey;
        return with(Status::Saved);
    };
    check.givenUp = with(Status::Reported);
    return RetryOnConflict(gMainConn, [&] { return InsertPaymentOnce(payment, key, attemptKey); }, check);
}

static Result UpdatePaymentOnce(qint64 key, const Payment& payment)
{
    DbTransaction t(gMainConn);
    if (!t.active())
        return with(Status::Failed, t.error());
    ErrInfo error;
    if (!storeExists(payment.store, error))
        return error.number ? with(Status::Failed, error) : with(Status::UnknownStore);
    const std::optional<Stored> old = readStored(key, error);
    if (!old)
        return with(Status::Failed, error);
    if (old->store.isEmpty())
        return with(Status::NotFound);
    const DbConnection::ExecResult e = gMainConn.exec(
        QStringLiteral("UPDATE 입금 SET 입금일자 = ") + SQLLiteral(payment.date) +
        QStringLiteral(", 가맹점코드 = ") + SQLLiteral(payment.store) + QStringLiteral(", 입금액 = ") +
        QString::number(payment.amount) + QStringLiteral(", 할인액 = ") + QString::number(payment.discount) +
        QStringLiteral(", 메모 = ") + SQLLiteral(payment.memo) + QStringLiteral(" WHERE 처리순번 = ") +
        QString::number(key));
    if (!e.ok)
        return with(Status::Failed, e.error);
    if (e.rowsAffected == 0)
        return with(Status::NotFound);
    const bool posted = old->store == payment.store
                            ? AdjustBalance(payment.store, double(old->total - payment.total()))
                            : AdjustBalance(old->store, double(old->total)) &&
                                  AdjustBalance(payment.store, double(-payment.total()));
    if (!posted)
        return with(Status::Reported);
    if (!t.commit())
        return with(Status::Failed, t.error());
    return with(Status::Saved);
}

Result UpdatePayment(qint64 key, const Payment& payment)
{
    UnitCheck<Result> check;
    check.what = [&] { return paymentName(key) + QStringLiteral(" 변경"); };
    check.storedSql = [&] { return countPayment(key, payment); };
    check.saved = [] { return with(Status::Saved); };
    check.givenUp = with(Status::Reported);
    return RetryOnConflict(gMainConn, [&] { return UpdatePaymentOnce(key, payment); }, check);
}

static Result DeletePaymentOnce(qint64 key)
{
    DbTransaction t(gMainConn);
    if (!t.active())
        return with(Status::Failed, t.error());
    ErrInfo error;
    const std::optional<Stored> old = readStored(key, error);
    if (!old)
        return with(Status::Failed, error);
    if (old->store.isEmpty())
        return with(Status::NotFound);
    const DbConnection::ExecResult e =
        gMainConn.exec(QStringLiteral("DELETE FROM 입금 WHERE 처리순번 = ") + QString::number(key));
    if (!e.ok)
        return with(e.error.number == DbErr::kUnspecified ? Status::Linked : Status::Failed, e.error);
    if (e.rowsAffected == 0)
        return with(Status::NotFound);
    if (!AdjustBalance(old->store, double(old->total)))
        return with(Status::Reported);
    if (!t.commit())
        return with(Status::Failed, t.error());
    return with(Status::Saved);
}

Result DeletePayment(qint64 key)
{
    UnitCheck<Result> check;
    check.what = [&] { return paymentName(key) + QStringLiteral(" 삭제"); };
    check.storedSql = [&] {
        return QStringLiteral("SELECT COUNT(*) FROM 입금 WHERE 처리순번 = ") + QString::number(key);
    };
    check.storedWhenNone = true;
    check.saved = [] { return with(Status::Saved); };
    check.givenUp = with(Status::Reported);
    return RetryOnConflict(gMainConn, [&] { return DeletePaymentOnce(key); }, check);
}

} // namespace PaymentService
