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

ReadQuery PointCustomers(qint64 threshold)
{
    return {
        QStringLiteral("SELECT 전화1, 현포인트, 코드 FROM 고객 WHERE 현포인트 >= ? ORDER BY 현포인트 DESC, "
                       "전화1, 코드"),
        {threshold}};
}

ReadQuery Services(const QString& from, const QString& to)
{
    return {QStringLiteral(
                "SELECT s.*, c.전화1, c.우편번호, c.주소1, c.주소2 FROM 서비스 AS s INNER JOIN 고객 "
                "AS c ON s.고객코드 = c.코드 WHERE 서비스일 BETWEEN ? AND ? ORDER BY 서비스일, 처리순번"),
            {from, to}};
}

} // namespace AccountQueries
