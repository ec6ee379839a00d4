#include "masters/StoreRecord.h"

#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {
bool readOne(const QString& sql, const QString& code, QSqlQuery& q, ErrInfo* error)
{
    ErrInfo e;
    if (!gMainConn.query(sql, {code}, q, &e)) {
        if (error)
            *error = e;
        return false;
    }
    if (q.next())
        return true;
    if (error)
        *error = q.lastError().isValid() ? DbConnection::errorFrom(q.lastError()) : ErrInfo{};
    return false;
}
} // namespace

std::optional<StoreRecord> StoreRecord::Load(const QString& code, ErrInfo* error)
{
    QSqlQuery q;
    if (!readOne(
            QStringLiteral("SELECT 코드, 상호, 전화1, 전화2, 전화3, 전화4, 우편번호, 주소1, 주소2, 메모, "
                           "영업시작, 영업종료, 수수료율, 기초잔액, 현잔액 FROM 가맹점 WHERE 코드 = ?"),
            code, q, error))
        return std::nullopt;
    StoreRecord s;
    s.code = NullToStr(q.value(0));
    s.name = NullToStr(q.value(1));
    for (int i = 0; i < 4; ++i)
        s.tel.at(size_t(i)) = NullToStr(q.value(2 + i));
    s.post = NullToStr(q.value(6));
    s.addr1 = NullToStr(q.value(7));
    s.addr2 = NullToStr(q.value(8));
    s.memo = NullToStr(q.value(9));
    s.open = NullToStr(q.value(10));
    s.close = NullToStr(q.value(11));
    s.rate = q.value(12).toDouble();
    s.rateText = NullToStr(q.value(12));
    s.baseBalance = q.value(13).toDouble();
    s.balance = q.value(14).toDouble();
    return s;
}

std::optional<double> StoreRecord::CurrentBalance(const QString& code, ErrInfo* error)
{
    QSqlQuery q;
    if (!readOne(QStringLiteral("SELECT 현잔액 FROM 가맹점 WHERE 코드 = ?"), code, q, error) ||
        q.value(0).isNull())
        return std::nullopt;
    return q.value(0).toDouble();
}
