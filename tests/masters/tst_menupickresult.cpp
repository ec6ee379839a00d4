#include "masters/MenuPickResult.h"

#include "support/TestRows.h"
#include <QTest>

// The records the menu picker hands to order entry, which turns each into an order line.
class TestMenuPickResult : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void result_data();
    void result();
};

const auto rec = Rows::menuRecord;

void TestMenuPickResult::result_data()
{
    QTest::addColumn<QStringList>("quantities");
    QTest::addColumn<int>("active");
    QTest::addColumn<QString>("expected");
    // Rows: 7 후라이드, 8 양념's, 9 반반.
    QTest::newRow("two quantities in grid order")
        << QStringList{"2", "", "3"} << 2 << rec("7", "후라이드", "2") + rec("9", "반반", "3");
    QTest::newRow("no quantities: active row only") << QStringList{"", "", ""} << 2 << rec("8", "양념's", "");
    QTest::newRow("zero counts as none") << QStringList{"0", "0", ""} << 1 << rec("7", "후라이드", "");
    QTest::newRow("formatted quantity read as number")
        << QStringList{"", "1,000", ""} << 1 << rec("8", "양념's", "1000");
    QTest::newRow("negative and fractional order nothing")
        << QStringList{"-2", "1.5", "1"} << 1 << rec("9", "반반", "1");
    QTest::newRow("active row keeps only a real quantity")
        << QStringList{"-1", "", ""} << 1 << rec("7", "후라이드", "");
    QTest::newRow("active row out of range") << QStringList{"", "", ""} << 0 << "";
}

void TestMenuPickResult::result()
{
    QFETCH(QStringList, quantities);
    QFETCH(int, active);
    QFETCH(QString, expected);
    const QList<MenuPickRow> rows{{"7", "후라이드", quantities.at(0)},
                                  {"8", "양념's", quantities.at(1)},
                                  {"9", "반반", quantities.at(2)}};
    QCOMPARE(BuildMenuPickResult(rows, active), expected);
}

QTEST_GUILESS_MAIN(TestMenuPickResult)
#include "tst_menupickresult.moc"
