#include "order/OrderCharges.h"

#include <QTest>

// Charges and numbering of orders: the figures operators and stores reconcile by hand.
class TestOrderCharges : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void points_data();
    void points();
    void commission_data();
    void commission();
    void prefix();
    void hours_data();
    void hours();
};

void TestOrderCharges::points_data()
{
    QTest::addColumn<qint64>("amount");
    QTest::addColumn<qint64>("unit");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("123.5 rounds up") << qint64(12350) << qint64(100) << qint64(124);
    QTest::newRow("123.45 rounds down") << qint64(12345) << qint64(100) << qint64(123);
    QTest::newRow("negative half away from zero") << qint64(-12350) << qint64(100) << qint64(-124);
    QTest::newRow("zero amount") << qint64(0) << qint64(100) << qint64(0);
    QTest::newRow("unit 0 earns nothing") << qint64(12350) << qint64(0) << qint64(0);
    QTest::newRow("unit 1") << qint64(777) << qint64(1) << qint64(777);
    QTest::newRow("exactly half of one") << qint64(50) << qint64(100) << qint64(1);
    QTest::newRow("other unit") << qint64(1500) << qint64(1000) << qint64(2);
}

void TestOrderCharges::points()
{
    QFETCH(qint64, amount);
    QFETCH(qint64, unit);
    QFETCH(qint64, expected);
    QCOMPARE(OrderCharges::LinePoints(amount, unit), expected);
}

void TestOrderCharges::commission_data()
{
    QTest::addColumn<double>("rate");
    QTest::addColumn<qint64>("amount");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("3.5% of 12,350 cuts 432.25") << 3.5 << qint64(12350) << qint64(432);
    QTest::newRow("0.7% of 1,000 is exactly 7") << 0.7 << qint64(1000) << qint64(7);
    QTest::newRow("10% of 20,000") << 10.0 << qint64(20000) << qint64(2000);
    QTest::newRow("1.1% of 100") << 1.1 << qint64(100) << qint64(1);
    QTest::newRow("3.3% of 1,000") << 3.3 << qint64(1000) << qint64(33);
    QTest::newRow("below one") << 0.1 << qint64(999) << qint64(0);
    QTest::newRow("negative cuts toward zero") << 3.5 << qint64(-12350) << qint64(-432);
    QTest::newRow("zero amount") << 5.0 << qint64(0) << qint64(0);
    QTest::newRow("large amount") << 3.3 << qint64(9000000000) << qint64(297000000);
}

void TestOrderCharges::commission()
{
    QFETCH(double, rate);
    QFETCH(qint64, amount);
    QFETCH(qint64, expected);
    QCOMPARE(OrderCharges::LineCommission(rate, amount), expected);
}

void TestOrderCharges::prefix()
{
    QCOMPARE(OrderCharges::OrderNumberPrefix(QDate(2026, 12, 8), "3"), QStringLiteral("2612083"));
    QCOMPARE(OrderCharges::OrderNumberPrefix(QDate(2027, 1, 2), "0"), QStringLiteral("2701020"));
}

void TestOrderCharges::hours_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("now");
    QTest::addColumn<bool>("outside");
    QTest::newRow("10-22 at 22:30") << "10:00"
                                    << "22:00"
                                    << "22:30" << true;
    QTest::newRow("10-22 at 21:59") << "10:00"
                                    << "22:00"
                                    << "21:59" << false;
    QTest::newRow("10-22 at closing minute") << "10:00"
                                             << "22:00"
                                             << "22:00" << false;
    QTest::newRow("17-02 at 01:30") << "17:00"
                                    << "02:00"
                                    << "01:30" << false;
    QTest::newRow("17-02 at 03:00") << "17:00"
                                    << "02:00"
                                    << "03:00" << true;
    QTest::newRow("17-02 at 16:00") << "17:00"
                                    << "02:00"
                                    << "16:00" << true;
    QTest::newRow("17-02 at 23:00") << "17:00"
                                    << "02:00"
                                    << "23:00" << false;
    QTest::newRow("00:00-23:59 never") << "00:00"
                                       << "23:59"
                                       << "23:59" << false;
    QTest::newRow("06-11 at 12:00 is closed") << "06:00"
                                              << "11:00"
                                              << "12:00" << true;
    QTest::newRow("06-11 at 07:00 is open") << "06:00"
                                            << "11:00"
                                            << "07:00" << false;
    QTest::newRow("empty hours never warn") << ""
                                            << ""
                                            << "03:00" << false;
}

void TestOrderCharges::hours()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, now);
    QFETCH(bool, outside);
    QCOMPARE(OrderCharges::IsOutsideHours(start, end, now), outside);
}

QTEST_GUILESS_MAIN(TestOrderCharges)
#include "tst_ordercharges.moc"
