#include "accounts/AccountQueries.h"

namespace AccountQueries {

ReadQuery Payments(const QString& from, const QString& to, const QString& storeCode)
{
    ReadQuery read{QStringLiteral("SELECT r.*, m.상호, m.전화1 FROM 입금 AS r INNER JOIN 가맹점 AS m ON "
                                  "r.가맹점코드 = m.코드 WHERE 입금일자 BETWEEN ? AND ?"),
                   {from, to}};
    if (!storeCode.isEmpty()) {
        read.sql += QStringLiteral(" AND 가맹점코드 = ?");
        read.values << storeCode;
    }
    read.sql += QStringLiteral(" ORDER BY 입금일자, 가맹점코드, 처리순번");
    return read;
}

ReadQuery Payment(qint64 key)
{
    return {QStringLiteral("SELECT r.*, m.상호, m.현잔액, m.전화1 FROM 입금 AS r INNER JOIN 가맹점 AS m "
                           "ON r.가맹점코드 = m.코드 WHERE 처리순번 = ?"),
            {key}};
}

ReadQuery PointCustomers(qint64 threshold, const QStringList& codes)
{
    ReadQuery read{QStringLiteral("SELECT 전화1, 현포인트, 코드 FROM 고객 WHERE 현포인트 >= ?"), {threshold}};
    if (!codes.isEmpty())
        read.sql += QStringLiteral(" AND 코드 IN (") + read.bindEach(codes) + QLatin1Char(')');
    read.sql += QStringLiteral(" ORDER BY 현포인트 DESC, 전화1, 코드");
    return read;
}

ReadQuery Services(const QString& from, const QString& to, const QList<qint64>& keys,
                   const QStringList& customerCodes)
{
    ReadQuery read{
        QStringLiteral("SELECT s.*, c.전화1, c.우편번호, c.주소1, c.주소2 FROM 서비스 AS s INNER JOIN "
                       "고객 AS c ON s.고객코드 = c.코드 WHERE 서비스일 BETWEEN ? AND ?"),
        {from, to}};
    QStringList narrowed;
    if (!keys.isEmpty()) {
        narrowed << QStringLiteral("s.처리순번 IN (") + read.bindEach(keys) + QLatin1Char(')');
    }
    if (!customerCodes.isEmpty())
        narrowed << QStringLiteral("s.고객코드 IN (") + read.bindEach(customerCodes) + QLatin1Char(')');
    if (!narrowed.isEmpty())
        read.sql += QStringLiteral(" AND (") + narrowed.join(QStringLiteral(" OR ")) + QLatin1Char(')');
    read.sql += QStringLiteral(" ORDER BY 서비스일, 처리순번");
    return read;
}

} // namespace AccountQueries
