#include "MainFixture.h"
#include "db/DbError.h"
#include "order/OrderService.h"
#include "support/ScriptedPrompter.h"
#include "support/TestRows.h"

#include <functional>

Q_DECLARE_METATYPE(std::function<bool()>)

namespace {
struct Totals
{
    int lines = 0;
    qint64 quantity = 0;
    QString phone;
    double balance = 0;
    qint64 points = 0;
    qint64 otherPoints = 0;
    bool operator==(const Totals&) const = default;
};

Totals totals()
{
    return {CountRows("주문내역"),
            GetFirstValue("SELECT SUM(수량) FROM 주문내역").toLongLong(),
            GetFirstValue("SELECT 주문시전화 FROM 주문").toString(),
            Rows::balance("1001"),
            Rows::points("10000001"),
            Rows::points("10000002")};
}

const OrderService::Line kLine{1, 2, 6175, QStringLiteral("덜 맵게")};
} // namespace

// Each write of order taking and its postings stand or fall together.
class TestOrderService : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void writeAndPostingsAreOneUnit_data();
    void writeAndPostingsAreOneUnit();
};

void TestOrderService::writeAndPostingsAreOneUnit_data()
{
    QTest::addColumn<std::function<bool()>>("operation");
    QTest::addColumn<QString>("failing");

    const std::function<bool()> insert = [] {
        return OrderService::InsertLine("2612081001", "1001", "10000001", kLine, 100).ok();
    };
    const std::function<bool()> raise = [] {
        OrderService::Line more = kLine;
        more.quantity = 5;
        return OrderService::UpdateLine("2612081001", 1, OrderService::LineField::Quantity, "1001",
                                        "10000001", more, 100)
            .ok();
    };
    const std::function<bool()> remove = [] {
        return OrderService::DeleteLine("2612081001", 1).status == OrderService::DeleteStatus::Deleted;
    };
    const std::function<bool()> otherCustomer = [] {
        const OrderService::Header header{"10000002", "02-9999-0000", "1001", QDate(2026, 12, 8), "11:00"};
        return OrderService::UpdateOrder("2612081001", OrderService::HeaderField::Phone, header).ok();
    };
    for (const char* failing : {"", "UPDATE 가맹점", "UPDATE 고객"}) {
        const QString f = QString::fromUtf8(failing);
        const QString suffix =
            f.isEmpty() ? QStringLiteral(", all written") : QStringLiteral(", ") + f + " fails";
        QTest::newRow(qPrintable("new line" + suffix)) << insert << f;
        QTest::newRow(qPrintable("quantity raised" + suffix)) << raise << f;
        QTest::newRow(qPrintable("line deleted" + suffix)) << remove << f;
        if (f != QStringLiteral("UPDATE 가맹점"))
            QTest::newRow(qPrintable("order moved to another customer" + suffix)) << otherCustomer << f;
    }
}

void TestOrderService::writeAndPostingsAreOneUnit()
{
    QFETCH(std::function<bool()>, operation);
    QFETCH(QString, failing);
    MainFixture f;
    MainFixture::addOrder("2612081001", "10000001", "1001", "11:00");
    MainFixture::exec(
        "INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, 메모, 포인트) "
        "VALUES ('2612081001', 1, 1, 1, 6175, 6175, 216, '', 62)");
    MainFixture::exec("UPDATE 가맹점 SET 현잔액 = 216 WHERE 코드 = '1001'");
    MainFixture::exec("UPDATE 고객 SET 현포인트 = 기초포인트 + 62 WHERE 코드 = '10000001'");
    ScriptedPrompter prompter;
    const Totals before = totals();
    gMainConn.setFaultInjector([failing](const QString& sql) -> std::optional<ErrInfo> {
        if (!failing.isEmpty() && sql.startsWith(failing))
            return ErrInfo{DbErr::kUnspecified, QStringLiteral("disk I/O error")};
        return std::nullopt;
    });
    const bool ok = operation();
    gMainConn.setFaultInjector({});
    QCOMPARE(ok, failing.isEmpty());
    QCOMPARE(gMainConn.transactionDepth(), 0);
    if (!ok) {
        QCOMPARE(totals(), before);
        return;
    }
    // Whatever was written, every running total still equals its opening plus the charges stored on the
    // lines.
    QVERIFY(!(totals() == before));
    QCOMPARE(
        GetFirstValue(
            "SELECT COUNT(*) FROM 가맹점 m WHERE m.현잔액 - m.기초잔액 <> (SELECT COALESCE(SUM(d.수수료), 0) "
            "FROM 주문 o INNER JOIN 주문내역 d ON o.주문번호 = d.주문번호 WHERE o.가맹점코드 = m.코드)")
            .toInt(),
        0);
    QCOMPARE(GetFirstValue(
                 "SELECT COUNT(*) FROM 고객 c WHERE c.현포인트 - c.기초포인트 <> (SELECT "
                 "COALESCE(SUM(d.포인트), 0) "
                 "FROM 주문 o INNER JOIN 주문내역 d ON o.주문번호 = d.주문번호 WHERE o.고객코드 = c.코드)")
                 .toInt(),
             0);
}

QTEST_MAIN(TestOrderService)
#include "tst_orderservice.moc"
