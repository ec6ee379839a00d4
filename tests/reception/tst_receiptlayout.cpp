#include "ReceiptFixture.h"
#include "reception/ReceiptLayout.h"
#include "support/Golden.h"

#include <QTest>

namespace {
// One drawing step as a line of text: "T row,col size[b] text" or "L row1,col1-row2,col2 width[ box] r,g,b".
QString describe(const CellPage::Item& item)
{
    if (item.kind == CellPage::Item::Text)
        return QStringLiteral("T %1,%2 %3%4 %5")
            .arg(item.row)
            .arg(item.col)
            .arg(item.size)
            .arg(item.bold ? "b" : "")
            .arg(item.text);
    if (item.kind == CellPage::Item::Line)
        return QStringLiteral("L %1,%2-%3,%4 %5%6 %7,%8,%9")
            .arg(item.row)
            .arg(item.col)
            .arg(item.row2)
            .arg(item.col2)
            .arg(item.size)
            .arg(item.box ? " box" : "")
            .arg(item.colour.red())
            .arg(item.colour.green())
            .arg(item.colour.blue());
    return QStringLiteral("F %1").arg(item.size);
}
} // namespace

// The receipt of an order on the character grid, step by step as it is drawn.
class TestReceiptLayout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_db = new ReceiptFixture; }
    void cleanup()
    {
        delete m_db;
        m_db = nullptr;
    }
    void layout_data();
    void layout();
    void pageMatchesGolden();
    void missingOrder();
    void wideNumbersKeepTheirDigits();

private:
    ReceiptFixture* m_db = nullptr;
};

void TestReceiptLayout::layout_data()
{
    QTest::addColumn<QString>("order");
    QTest::addColumn<bool>("preview");
    QTest::addColumn<QString>("step");
    QTest::addColumn<bool>("drawn");
    const QString one = "0612071001";
    const QString two = "0612071002";
    QTest::newRow("title") << one << false << "T 1,16 14b 주문내역" << true;
    QTest::newRow("title underline, then size 10") << one << false << "L 2,14-2,28 1 0,0,0" << true;
    QTest::newRow("date and time") << one << false << "T 4,2 10 *주문일시: 2006-12-07 18:05" << true;
    QTest::newRow("number shown with dashes, not yet passed on")
        << one << false << "T 5,2 10 *주문번호: 061207-1-001 *접수 " << true;
    QTest::newRow("passed-on time") << two << false << "T 5,2 10 *주문번호: 061207-1-002 *접수 14:25" << true;
    QTest::newRow("Null address 1 empty") << one << false << "T 7,3 10 " << true;
    QTest::newRow("Null address 2 empty") << one << false << "T 8,3 10 " << true;
    QTest::newRow("address") << two << false << "T 7,3 10 서울 종로구 가회동" << true;
    QTest::newRow("store") << one << false << "T 9,2 10 *가 맹 점: S1 종로치킨" << true;
    QTest::newRow("store phone") << one << false << "T 10,2 10  전    화: 02-765-4321" << true;
    QTest::newRow("column titles") << one << false << "T 12,34 10b 수수료" << true;
    QTest::newRow("menu name cut to 17 columns") << one << false << "T 14,3 10 A후라이드양념반반" << true;
    QTest::newRow("quantity in 2 columns") << one << false << "T 15,21 10 10" << true;
    QTest::newRow("amount in 7 columns") << one << false << "T 14,25 10  30,000" << true;
    QTest::newRow("commission in 6 columns") << one << false << "T 14,34 10  1,500" << true;
    QTest::newRow("rule after the last line") << one << false << "L 16,2-16,41 1 0,0,0" << true;
    QTest::newRow("total quantity in 4 columns") << one << false << "T 17,19 10   12" << true;
    QTest::newRow("total amount") << one << false << "T 17,25 10  45,000" << true;
    QTest::newRow("total commission") << one << false << "T 17,34 10  2,250" << true;
    QTest::newRow("closing rule") << one << false << "L 18,2-18,41 2 0,0,0" << true;
    QTest::newRow("centre name") << one << false << "T 19,3 10b 나무콜센터" << true;
    QTest::newRow("no lines: rule right under the titles") << two << false << "L 14,2-14,41 1 0,0,0" << true;
    QTest::newRow("no lines: totals of 0") << two << false << "T 15,25 10       0" << true;
    QTest::newRow("preview outlines the paper") << one << true << "L 0,0-21,43 2 box 180,180,180" << true;
    QTest::newRow("printed page without outline") << one << false << "L 0,0-21,43 2 box 180,180,180" << false;
}

void TestReceiptLayout::layout()
{
    QFETCH(QString, order);
    QFETCH(bool, preview);
    QFETCH(QString, step);
    QFETCH(bool, drawn);
    const auto loaded = LoadReceiptOrder(order);
    QVERIFY(loaded);
    const CellPage page = BuildReceipt(*loaded, QStringLiteral("나무콜센터"),
                                       preview ? ReceiptTarget::Preview : ReceiptTarget::Printer);
    QStringList steps;
    for (const CellPage::Item& item : page.items())
        steps << describe(item);
    QVERIFY2(steps.contains(step) == drawn, qPrintable(steps.join('\n')));
}

// The whole printed page of the first order, step by step: any change to the layout shows here.
void TestReceiptLayout::pageMatchesGolden()
{
    const auto loaded = LoadReceiptOrder(QStringLiteral("0612071001"));
    QVERIFY(loaded);
    const CellPage page = BuildReceipt(*loaded, QStringLiteral("나무콜센터"), ReceiptTarget::Printer);
    QStringList steps;
    for (const CellPage::Item& item : page.items())
        steps << describe(item);
    QString difference;
    QVERIFY2(Golden::Matches(QStringLiteral("receipt-page.txt"), steps.join('\n') + '\n', &difference),
             qPrintable(difference));
}

void TestReceiptLayout::missingOrder()
{
    QVERIFY(!LoadReceiptOrder(QStringLiteral("0612079999")));
    QVERIFY(!LoadReceiptOrder(QStringLiteral("x' OR '1'='1")));
    QVERIFY(!LoadReceiptOrder(QString()));
}

void TestReceiptLayout::wideNumbersKeepTheirDigits()
{
    ReceiptOrder order;
    order.lines = {{QStringLiteral("단체주문"), 1, 1234000, 123456}};
    QStringList steps;
    const CellPage page = BuildReceipt(order, QString(), ReceiptTarget::Printer);
    for (const CellPage::Item& item : page.items())
        steps << describe(item);
    // Wider than their fields, the amounts keep every digit and their right edge.
    for (const char* step : {"T 14,23 10 1,234,000", "T 14,33 10 123,456", "T 16,23 10 1,234,000"})
        QVERIFY2(steps.contains(QString::fromUtf8(step)), qPrintable(steps.join('\n')));
}

QTEST_GUILESS_MAIN(TestReceiptLayout)
#include "tst_receiptlayout.moc"
