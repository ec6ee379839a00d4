#include "app/Clock.h"
#include "db/modDBQuery.h"
#include "reports/SalesReport.h"
#include "reports/gui/FrmRPT_sale.h"
#include "reports/gui/ReportScreens.h"
#include "support/Controls.h"
#include "support/DbFixture.h"
#include "support/ScriptedPrompter.h"
#include "support/TestRows.h"
#include "ui/gui/SpreadGrid.h"

#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTest>

namespace {
using Rows::exec;

// Order `no` of a customer at a store with one line of commission `commission`; passed on when `passed`.
void addOrder(const QString& no, const QString& customer, const QString& store, bool passed,
              qint64 commission)
{
    exec(QStringLiteral(
             "INSERT INTO 주문 (주문번호, 고객코드, 주문시전화, 가맹점코드, 주문일자, 주문시간, 통보시간) "
             "VALUES ('%1', '%2', '02-%2', '%3', '2026-12-09', '12:00', '%4')")
             .arg(no, customer, store, passed ? QStringLiteral("12:05") : QString()));
    exec(QStringLiteral(
             "INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, 포인트) SELECT "
             "'%1', 1, 코드, 1, 5000, 5000, %2, 50 FROM 취급메뉴 WHERE 가맹점코드 = '%3'")
             .arg(no)
             .arg(commission)
             .arg(store));
}

QStringList headings(const SalesReport& report)
{
    QStringList out;
    for (SalesReport::Field f : report.Columns())
        out << SalesReport::Heading(f);
    return out;
}

FrmRPT_sale* openReport()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* r = qobject_cast<FrmRPT_sale*>(w); r && r->isVisible())
            return r;
    return nullptr;
}
} // namespace

// The sales report: its key columns, which lines it lists and its opening for one store or customer.
class TestSalesReport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void keyColumns_data();
    void keyColumns();
    void init();
    void cleanup();
    void lines_data();
    void lines();
    void showSalesFor_data();
    void showSalesFor();
    void engineOrder_data();
    void engineOrder();

private:
    DbFixture* m_db = nullptr;
};

void TestSalesReport::keyColumns_data()
{
    QTest::addColumn<QList<int>>("choices");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("initial") << QList<int>{}
                             << QStringList{"주문일자", "가맹코드", "가맹점명", "고객코드", "주문 전화"};
    QTest::newRow("고객") << QList<int>{SalesReport::SortCustomer}
                          << QStringList{"고객코드", "주문 전화", "주문일자", "가맹코드", "가맹점명"};
    QTest::newRow("고객 then 가맹점코드")
        << QList<int>{SalesReport::SortCustomer, SalesReport::SortStore}
        << QStringList{"가맹코드", "가맹점명", "고객코드", "주문 전화", "주문일자"};
    QTest::newRow("the one in front again")
        << QList<int>{SalesReport::SortStore, SalesReport::SortStore}
        << QStringList{"가맹코드", "가맹점명", "주문일자", "고객코드", "주문 전화"};
    QTest::newRow("고객 then 일자") << QList<int>{SalesReport::SortCustomer, SalesReport::SortDate}
                                    << QStringList{"주문일자", "고객코드", "주문 전화", "가맹코드",
                                                   "가맹점명"};
}

void TestSalesReport::keyColumns()
{
    QFETCH(QList<int>, choices);
    SalesReport report;
    for (int c : choices)
        report.Choose(SalesReport::Sort(c));
    QTEST(headings(report), "expected");
}

void TestSalesReport::init()
{
    m_db = new DbFixture;
    Clock::SetFixed(QDateTime(QDate(2026, 12, 9), QTime(13, 0)));
    for (const char* c : {"C1", "C2"})
        exec(QStringLiteral("INSERT INTO 고객 (코드, 전화1) VALUES ('%1', '02-%1')").arg(c));
    for (const char* s : {"S1", "S2"}) {
        exec(QStringLiteral("INSERT INTO 가맹점 (코드, 상호, 수수료율) VALUES ('%1', '가게%1', 10)").arg(s));
        exec(QStringLiteral("INSERT INTO 취급메뉴 (메뉴명, 가맹점코드, 판매단가) VALUES ('국수', '%1', 5000)")
                 .arg(s));
    }
    addOrder("2612090001", "C2", "S1", true, 100);
    addOrder("2612090002", "C1", "S2", false, 200);
    addOrder("2612090003", "C1", "S1", true, 300);
    addOrder("2612090004", "C2", "S2", true, 400);
}

void TestSalesReport::cleanup()
{
    QList<QPointer<FrmRPT_sale>> open;
    for (QWidget* w : QApplication::topLevelWidgets())
        open << qobject_cast<FrmRPT_sale*>(w);
    for (const QPointer<FrmRPT_sale>& r : open)
        delete r.data();
    Clock::SetFixed({});
    delete m_db;
    m_db = nullptr;
}

void TestSalesReport::lines_data()
{
    QTest::addColumn<int>("sort");
    QTest::addColumn<bool>("passedOnly");
    QTest::addColumn<QString>("store");
    QTest::addColumn<QString>("customer");
    // An order of S1 stored as "s1" (the codes are case-blind).
    QTest::addColumn<bool>("spelledSmall");
    // Column 1 of each row and the 수수료 column; S and T rows are "[소 계]" and "[합 계]".
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("by store") << int(SalesReport::SortStore) << false << QString() << QString() << false
                              << QStringList{"S1 300", "S1 100", "S 400", "S2 200",
                                             "S2 400", "S 600",  "T 1000"};
    QTest::newRow("by customer, passed on only")
        << int(SalesReport::SortCustomer) << true << QString() << QString() << false
        << QStringList{"C1 300", "C2 100", "C2 400", "S 500", "T 800"};
    QTest::newRow("one store by date")
        << int(SalesReport::SortDate) << false << QStringLiteral("S2") << QString() << false
        << QStringList{"2026-12-09 200", "2026-12-09 400", "T 600"};
    QTest::newRow("one customer at one store") << int(SalesReport::SortDate) << false << QStringLiteral("S1")
                                               << QStringLiteral("C'2") << false << QStringList{"T 0"};
    QTest::newRow("by store, one order spelled small: one store, its own spelling")
        << int(SalesReport::SortStore) << false << QString() << QString() << true
        << QStringList{"S1 300", "S1 500", "S1 100", "S 900", "S2 200", "S2 400", "S 600", "T 1500"};
}

void TestSalesReport::lines()
{
    QFETCH(int, sort);
    SalesReport report;
    report.Choose(SalesReport::Sort(sort));
    SalesReport::Filter filter;
    filter.from = QStringLiteral("2026-12-01");
    filter.to = QStringLiteral("2026-12-31");
    QFETCH(bool, passedOnly);
    QFETCH(QString, store);
    QFETCH(QString, customer);
    filter.passedOnly = passedOnly;
    filter.store = store;
    filter.customer = customer;
    QFETCH(bool, spelledSmall);
    if (spelledSmall)
        addOrder("2612090005", "C1", "s1", true, 500);
    std::vector<ReportRow> rows;
    ErrInfo error;
    QVERIFY2(report.Read(gMainConn, filter, rows, &error), qPrintable(error.description));
    QStringList got;
    for (const ReportRow& r : rows) {
        const QString first = r.kind == ReportRow::Kind::Data       ? r.cells[0].toString()
                              : r.kind == ReportRow::Kind::SubTotal ? QStringLiteral("S")
                                                                    : QStringLiteral("T");
        got << first + QLatin1Char(' ') + r.cells[9].toString();
    }
    QTEST(got, "expected");
}

void TestSalesReport::showSalesFor_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("firstHeading");
    QTest::addColumn<int>("lines");
    QTest::newRow("store") << 1 << QStringLiteral("가맹코드") << 2;
    QTest::newRow("customer") << 2 << QStringLiteral("고객코드") << 2;
    QTest::newRow("other kinds open nothing") << 3 << QString() << -1;
}

void TestSalesReport::showSalesFor()
{
    QFETCH(int, kind);
    QFETCH(int, lines);
    ScriptedPrompter prompter;
    RegisterReportScreens();
    const QString code = kind == 1 ? QStringLiteral("S1") : QStringLiteral("C1");
    // Whatever was open before is replaced by a fresh report.
    ShowSalesFor(QStringLiteral("S2"), QStringLiteral("가게S2"), 1);
    FrmRPT_sale* before = openReport();
    Ctl<QDateEdit>(before, "hdTerm_0")->setDate(QDate(2026, 1, 1));
    QPointer<FrmRPT_sale> old = before;
    ShowSalesFor(code, QStringLiteral("보이는 이름"), kind);
    FrmRPT_sale* report = openReport();
    if (lines < 0) {
        QCOMPARE(report, before);
        return;
    }
    QVERIFY(old.isNull());
    QVERIFY(report);
    QCOMPARE(Ctl<QDateEdit>(report, "hdTerm_0")->date(), QDate(2026, 12, 9));
    QCOMPARE(Ctl<QDateEdit>(report, "hdTerm_1")->date(), QDate(2026, 12, 9));
    QCOMPARE(Ctl<QLineEdit>(report, "htFilter", kind - 1)->text(), QStringLiteral("보이는 이름"));
    QCOMPARE(kind == 1 ? report->selectedStore() : report->selectedCustomer(), code);
    QVERIFY(Ctl<QRadioButton>(report, "optSort", kind)->isChecked());
    QTEST(Ctl<SpreadGrid>(report, "spList")->ColHeaderText(1), "firstHeading");
    QCOMPARE(Ctl<QLabel>(report, "lblRecCount")->text().toInt(), lines);
    QCOMPARE(prompter.count(), 0);
}

void TestSalesReport::engineOrder_data()
{
    QTest::addColumn<int>("sort");
    QTest::newRow("date") << int(SalesReport::SortDate);
    QTest::newRow("store") << int(SalesReport::SortStore);
    QTest::newRow("customer") << int(SalesReport::SortCustomer);
}

// The report sorts its lines itself: in the order the engine's ORDER BY of the same key columns gives, with
// codes in either case, dates, stores and customers taking turns and orders of several lines.
void TestSalesReport::engineOrder()
{
    QFETCH(int, sort);
    exec(QStringLiteral("INSERT INTO 가맹점 (코드, 상호, 수수료율) VALUES ('s3', '가게S1', 10)"));
    exec(QStringLiteral("INSERT INTO 취급메뉴 (메뉴명, 가맹점코드, 판매단가) VALUES ('밥', 's3', 5000)"));
    // Codes longer than eight bytes that agree in their first eight, in either case.
    const QStringList customers = {"a1", "B2", "b3", "C10", "c20", "CUSTOMER-10", "customer-9"};
    for (const QString& c : customers)
        exec(QStringLiteral("INSERT INTO 고객 (코드, 전화1) VALUES ('%1', '02-%1')").arg(c));
    const QStringList stores = {"S1", "s3", "S2"};
    for (int i = 0; i < 15; ++i) {
        const QString no = QStringLiteral("26120%1%2").arg(i % 3 + 7).arg(30 - i, 3, 10, QLatin1Char('0'));
        const QString store = stores[i % 3];
        exec(
            QStringLiteral(
                "INSERT INTO 주문 (주문번호, 고객코드, 주문시전화, 가맹점코드, 주문일자, 주문시간, 통보시간) "
                "VALUES ('%1', '%2', '%3', '%4', '2026-12-0%5', '12:00', '')")
                .arg(no, customers[i % 7], i % 2 ? QStringLiteral("010-1") : QStringLiteral("02-9"), store)
                .arg(i % 3 + 7));
        for (int line = 1; line <= 1 + i % 2; ++line)
            exec(QStringLiteral(
                     "INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, 포인트) "
                     "SELECT '%1', %2, MIN(코드), 1, 5000, 5000, %3, 0 FROM 취급메뉴 WHERE 가맹점코드 = '%4'")
                     .arg(no)
                     .arg(line)
                     .arg(i * 10 + line)
                     .arg(store));
    }
    SalesReport report;
    report.Choose(SalesReport::Sort(sort));
    SalesReport::Filter filter;
    // A file's period is read in halves at once, here the 7th and the 8th to 9th, stores in both.
    filter.from = QStringLiteral("2026-12-07");
    filter.to = QStringLiteral("2026-12-09");
    std::vector<ReportRow> rows;
    ErrInfo error;
    QVERIFY2(report.Read(gMainConn, filter, rows, &error), qPrintable(error.description));
    QStringList got;
    for (const ReportRow& r : rows) {
        if (r.kind == ReportRow::Kind::Data)
            got << r.cells[0].toString() + QLatin1Char(' ') + r.cells[9].toString();
    }
    const char* expressions[] = {"om.주문일자", "mb.코드", "mb.상호", "om.고객코드", "om.주문시전화"};
    QStringList keys;
    for (SalesReport::Field f : report.Columns())
        keys << QString::fromUtf8(expressions[f]);
    Recordset rs;
    OpenQuery(rs, SalesReport::Sql(filter) + QStringLiteral(" ORDER BY ") + keys.join(QStringLiteral(", ")) +
                      QStringLiteral(", om.주문번호, od.순번"));
    QStringList engine;
    for (rs.MoveFirst(); !rs.EOF_(); rs.MoveNext())
        engine << rs.text(keys.first().section(QLatin1Char('.'), 1)) + QLatin1Char(' ') +
                      QString::number(qint64(rs.value(9).toDouble()));
    QCOMPARE(got.size(), 26);
    QCOMPARE(got, engine);
}

QTEST_MAIN(TestSalesReport)
#include "tst_salesreport.moc"
