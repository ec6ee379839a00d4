#include "order/OrderReads.h"

#include "db/DbConnection.h"
#include "db/DbError.h"
#include "db/ReadQuery.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {
bool readRows(DbConnection& conn, const QString& sql, const QVariantList& values, Recordset& rs,
              ErrInfo* error)
{
    rs.close();
    ErrInfo e;
    for (int round = 0;; ++round) {
        QSqlQuery q;
        if (!conn.query(sql, values, q, &e))
            break;
        rs.load(q);
        if (!q.lastError().isValid())
            return true;
        // The rows stopped coming: a server's connection broke off in the middle of them.
        rs.close();
        if (!conn.readFailed(q.lastError(), &e) || round > 0)
            break;
    }
    if (error)
        *error = e;
    return false;
}

// The first row's first column; false when there is no row. Throws on an engine error.
bool firstValue(DbConnection& conn, const QString& sql, const QVariantList& values, QVariant& value)
{
    QSqlQuery q;
    ErrInfo e;
    if (!conn.query(sql, values, q, &e))
        throw DbException(e);
    if (!q.next()) {
        if (q.lastError().isValid())
            throw DbException(DbConnection::errorFrom(q.lastError()));
        return false;
    }
    value = q.value(0);
    return true;
}
} // namespace

namespace OrderReads {
bool ReadDayOrders(DbConnection& conn, const DayFilter& filter, Recordset& rs, ErrInfo* error)
{
    QString sql =
        QStringLiteral("SELECT o.*, m.상호 FROM 주문 AS o INNER JOIN 가맹점 AS m ON o.가맹점코드 = m.코드"
                       " WHERE 주문일자 = ?");
    QVariantList values{filter.date};
    if (!filter.numberPart.isEmpty()) {
        // The typed text stands for itself: its wildcards and the escape character are escaped.
        QString body;
        bool escaped = false;
        for (const QChar c : filter.numberPart) {
            if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\')) {
                body += QLatin1Char('\\');
                escaped = true;
            }
            body += c;
        }
        sql += escaped ? QStringLiteral(" AND 주문번호 LIKE ? ESCAPE '\\'")
                       : QStringLiteral(" AND 주문번호 LIKE ?");
        values << QStringLiteral("%") + body + QStringLiteral("%");
    }
    if (!filter.customerCode.isEmpty()) {
        sql += QStringLiteral(" AND 고객코드 = ?");
        values << filter.customerCode;
    }
    if (!filter.orderNumbers.isEmpty()) {
        ReadQuery numbers;
        sql +=
            QStringLiteral(" AND 주문번호 IN (") + numbers.bindEach(filter.orderNumbers) + QLatin1Char(')');
        values << numbers.values;
    }
    sql += QStringLiteral(" ORDER BY 주문일자, 주문시간, 주문번호");
    return readRows(conn, sql, values, rs, error);
}

bool ReadOrderLines(DbConnection& conn, const QString& orderNumber, Recordset& rs, ErrInfo* error)
{
    return readRows(conn,
                    QStringLiteral("SELECT o.*, m.메뉴명 FROM 주문내역 AS o INNER JOIN 취급메뉴 AS m"
                                   " ON o.주문메뉴 = m.코드 WHERE 주문번호 = ? ORDER BY 순번"),
                    {orderNumber}, rs, error);
}

std::optional<QString> PassedOnTime(DbConnection& conn, const QString& orderNumber)
{
    QVariant time;
    if (!firstValue(conn, QStringLiteral("SELECT 통보시간 FROM 주문 WHERE 주문번호 = ?"), {orderNumber},
                    time))
        return std::nullopt;
    return time.isNull() ? QString() : time.toString();
}

QVariant MenuPrice(DbConnection& conn, qint64 menuCode)
{
    QVariant price;
    firstValue(conn, QStringLiteral("SELECT 판매단가 FROM 취급메뉴 WHERE 코드 = ?"), {menuCode}, price);
    return price;
}
} // namespace OrderReads
