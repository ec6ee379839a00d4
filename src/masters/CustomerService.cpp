#include "masters/CustomerService.h"

#include "db/DbError.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"

namespace CustomerService {

namespace {

Result with(Status status, const ErrInfo& error = {})
{
    Result r;
    r.status = status;
    r.error = error;
    return r;
}

const ErrInfo kAway{DbErr::kConnectionLost, QStringLiteral("데이터베이스 서버와의 연결이 끊어졌습니다.")};

UnitCheck<Result> checkOf(std::function<QString()> what, std::function<QString()> count, bool whenNone)
{
    UnitCheck<Result> check;
    check.what = std::move(what);
    check.storedSql = std::move(count);
    check.storedWhenNone = whenNone;
    check.saved = [] { return with(Status::Saved); };
    check.givenUp = with(Status::Failed, kAway);
    return check;
}

QString key(const QString& code)
{
    return QStringLiteral(" WHERE 코드 = ") + SQLLiteral(code);
}

// The written columns as a condition: a cut unit's work is there when the row holds them.
QString written(const CustomerRecord& c)
{
    return QStringLiteral(" AND 전화1 = ") + SQLLiteral(c.tel[0]) + QStringLiteral(" AND 메모 = ") +
           SQLLiteral(c.memo) + QStringLiteral(" AND 기초포인트 = ") + QString::number(c.basePoints);
}

Result insertOnce(CustomerRecord& c, const QString& terminalId)
{
    const QString base = QString::number(c.basePoints);
    for (int attempt = 0;; ++attempt) {
        DbTransaction t(gMainConn);
        if (!t.active())
            return with(Status::Failed, t.error());
        c.code = NextCode(QStringLiteral("고객"), QStringLiteral("코드"), 8, terminalId);
        if (c.code.isEmpty())
            return with(Status::Reported);
        QString sql = QStringLiteral("INSERT INTO 고객 (코드, 전화1, 전화2, 전화3, 전화4, 우편번호, 주소1, "
                                     "주소2, 현포인트, 기초포인트, 메모) VALUES ( ") +
                      SQLLiteral(c.code);
        for (const QString& text : {c.tel[0], c.tel[1], c.tel[2], c.tel[3], c.post, c.addr1, c.addr2})
            sql += QLatin1Char(',') + SQLLiteral(text);
        sql += QStringLiteral(", ") + base + QStringLiteral(", ") + base + QLatin1Char(',') +
               SQLLiteral(c.memo) + QStringLiteral(" )");
        const DbConnection::ExecResult r = gMainConn.exec(sql);
        if (r.ok && t.commit())
            return with(r.rowsAffected > 0 ? Status::Saved : Status::NotFound);
        const ErrInfo error = r.ok ? t.error() : r.error;
        t.rollback();
        if (gMainConn.wasCut() || gMainConn.hadConflict())
            return with(Status::Failed, error);
        if (attempt < 9 &&
            CountRows(QStringLiteral("고객"), QStringLiteral("코드 = ") + SQLLiteral(c.code)) > 0)
            continue;
        return with(Status::Failed, error);
    }
}

Result updateOnce(const CustomerRecord& c)
{
    const QString base = QString::number(c.basePoints);
    DbTransaction t(gMainConn);
    if (!t.active())
        return with(Status::Failed, t.error());
    const QString sql = QStringLiteral("UPDATE 고객 SET 전화1 = ") + SQLLiteral(c.tel[0]) +
                        QStringLiteral(",전화2 = ") + SQLLiteral(c.tel[1]) + QStringLiteral(",전화3 = ") +
                        SQLLiteral(c.tel[2]) + QStringLiteral(",전화4 = ") + SQLLiteral(c.tel[3]) +
                        QStringLiteral(",우편번호 = ") + SQLLiteral(c.post) + QStringLiteral(",주소1= ") +
                        SQLLiteral(c.addr1) + QStringLiteral(",주소2 = ") + SQLLiteral(c.addr2) +
                        QStringLiteral(",현포인트 = 현포인트 - 기초포인트 + ") + base +
                        QStringLiteral(",기초포인트 = ") + base + QStringLiteral(",메모 = ") +
                        SQLLiteral(c.memo) + key(c.code);
    // The engine's refusal is told by the query helper once the transaction has ended.
    const int affected = ExecSQL(sql);
    if (affected < 0)
        return with(Status::Reported);
    if (affected == 0)
        return with(Status::NotFound);
    if (!t.commit())
        return with(Status::Failed, t.error());
    return with(Status::Saved);
}

} // namespace

Result InsertCustomer(CustomerRecord& c, const QString& terminalId)
{
    const UnitCheck<Result> check = checkOf(
        [&] { return QStringLiteral("고객 %1 (%2) 추가").arg(c.code, c.tel[0]); },
        [&] { return QStringLiteral("SELECT COUNT(*) FROM 고객") + key(c.code) + written(c); }, false);
    return RetryOnConflict(
        gMainConn, [&] { return insertOnce(c, terminalId); }, check);
}

Result UpdateCustomer(const CustomerRecord& c)
{
    if (c.code.isEmpty())
        return with(Status::NotFound);
    const UnitCheck<Result> check = checkOf(
        [&] { return QStringLiteral("고객 %1 수정").arg(c.code); },
        [&] { return QStringLiteral("SELECT COUNT(*) FROM 고객") + key(c.code) + written(c); }, false);
    return RetryOnConflict(
        gMainConn, [&] { return updateOnce(c); }, check);
}

Result DeleteCustomer(const QString& code)
{
    if (code.isEmpty())
        return with(Status::NotFound);
    const UnitCheck<Result> check =
        checkOf([&] { return QStringLiteral("고객 %1 삭제").arg(code); },
                [&] { return QStringLiteral("SELECT COUNT(*) FROM 고객") + key(code); }, true);
    return RetryOnConflict(
        gMainConn,
        [&] {
            const DbConnection::ExecResult r = gMainConn.exec(QStringLiteral("DELETE FROM 고객") + key(code));
            if (!r.ok) // orders and services keep the customer's code: the relationships refuse then
                return with(r.error.number == DbErr::kUnspecified ? Status::Linked : Status::Failed, r.error);
            return with(r.rowsAffected > 0 ? Status::Saved : Status::NotFound);
        },
        check);
}

} // namespace CustomerService
