#include "support/TestRows.h"

#include "db/modDBQuery.h"

#include <QTest>

namespace Rows {
void exec(const QString& sql)
{
    QVERIFY2(ExecSQL(sql) == 1, qPrintable(sql));
}

void addCustomer(const QString& code, const QString& phone, qint64 points, const QString& address1,
                 const QString& address2)
{
    exec(QStringLiteral("INSERT INTO 고객 (코드, 전화1, 주소1, 주소2, 현포인트, 기초포인트) "
                        "VALUES ('%1', '%2', '%3', '%4', %5, %5)")
             .arg(SQLQuote(code), SQLQuote(phone), SQLQuote(address1), SQLQuote(address2))
             .arg(points));
}

void addStore(const QString& code, const QString& name, double balance, double opening, const QString& memo)
{
    exec(QStringLiteral(
             "INSERT INTO 가맹점 (코드, 상호, 수수료율, 현잔액, 기초잔액, 메모, 영업시작, 영업종료) "
             "VALUES ('%1', '%2', 10, %3, %4, '%5', '00:00', '23:59')")
             .arg(SQLQuote(code), SQLQuote(name))
             .arg(balance)
             .arg(opening)
             .arg(SQLQuote(memo)));
}

QString menuRecord(const QString& code, const QString& name, const QString& qty)
{
    const QChar nul(0);
    return nul + code + nul + name + nul + qty;
}

double balance(const QString& store)
{
    return GetFirstValue(QStringLiteral("SELECT 현잔액 FROM 가맹점 WHERE 코드 = '%1'").arg(SQLQuote(store)))
        .toDouble();
}

qint64 points(const QString& customer)
{
    return GetFirstValue(
               QStringLiteral("SELECT 현포인트 FROM 고객 WHERE 코드 = '%1'").arg(SQLQuote(customer)))
        .toLongLong();
}
} // namespace Rows
