#include "masters/CustomerRecord.h"

#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {
qint64 whole(const QVariant& v)
{
    return qint64(v.toDouble());
}

// Runs a read of one customer row and leaves q on it; false when there is no row or the read failed.
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

std::optional<CustomerRecord> CustomerRecord::Load(const QString& code, ErrInfo* error)
{
    QSqlQuery q;
    if (!readOne(QStringLiteral("SELECT 코드, 전화1, 전화2, 전화3, 전화4, 우편번호, 주소1, 주소2, 메모, "
                                "기초포인트, 현포인트 FROM 고객 WHERE 코드 = ?"),
                 code, q, error))
        return std::nullopt;
    CustomerRecord c;
    c.code = NullToStr(q.value(0));
    for (int i = 0; i < 4; ++i)
        c.tel.at(size_t(i)) = NullToStr(q.value(1 + i));
    c.post = NullToStr(q.value(5));
    c.addr1 = NullToStr(q.value(6));
    c.addr2 = NullToStr(q.value(7));
    c.memo = NullToStr(q.value(8));
    c.basePoints = whole(q.value(9));
    c.curPoints = whole(q.value(10));
    return c;
}

std::optional<qint64> CustomerRecord::CurrentPoints(const QString& code, ErrInfo* error)
{
    QSqlQuery q;
    if (!readOne(QStringLiteral("SELECT 현포인트 FROM 고객 WHERE 코드 = ?"), code, q, error) ||
        q.value(0).isNull())
        return std::nullopt;
    return whole(q.value(0));
}
