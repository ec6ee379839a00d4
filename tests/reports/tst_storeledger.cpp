#include "db/StoreDailySums.h"
#include "db/modDBQuery.h"
#include "db/modMain_SQL.h"
#include "reports/MduReportDB.h"
#include "reports/StoreLedger.h"
#include "support/DbFixture.h"
#include "support/Golden.h"
#include "support/ScriptedPrompter.h"
#include "support/TestRows.h"
#include "ui/MsgBox.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

using namespace StoreLedger;

namespace {
// "A:c1000" commission, "A:p5000/500" payment with discount, for store A.
Entry movement(const QString& text)
{
    Entry e;
    e.store = text.section(QLatin1Char(':'), 0, 0);
    const QString what = text.section(QLatin1Char(':'), 1);
    if (what.startsWith(QLatin1Char('c'))) {
        e.kind = Kind::Commission;
        e.commission = what.mid(1).toLongLong();
    } else {
        e.kind = Kind::Payment;
        e.payment = what.mid(1).section(QLatin1Char('/'), 0, 0).toLongLong();
        e.discount = what.section(QLatin1Char('/'), 1).toLongLong();
    }
    return e;
}

// "A=10500" per store.
QHash<QString, Opening> openings(const QStringList& specs)
{
    QHash<QString, Opening> out;
    for (const QString& s : specs)
        out.insert(s.section(QLatin1Char('='), 0, 0),
                   {s.section(QLatin1Char('='), 0, 0) + QStringLiteral("상호"),
                    s.section(QLatin1Char('='), 1).toLongLong()});
    return out;
}

// A grid row as "cell|cell|…" with blanks for empty cells, money as plain numbers.
QString joined(const ReportRow& row)
{
    QStringList cells;
    for (const QVariant& v : row.cells)
        cells << v.toString();
    return cells.join(QLatin1Char('|'));
}

using Rows::exec;

void addStore(const QString& code, const QString& name, qint64 opening)
{
    Rows::addStore(code, name, double(opening), double(opening));
    exec(QStringLiteral("INSERT INTO 취급메뉴 (메뉴명, 가맹점코드, 판매단가) VALUES ('짜장면', '%1', 5000)")
             .arg(code));
    exec(QStringLiteral("INSERT INTO 취급메뉴 (메뉴명, 가맹점코드, 판매단가) VALUES ('가락국수', '%1', 4000)")
             .arg(code));
}

int g_order = 0;
void addLine(const QString& store, const QString& date, const QString& time, const QString& menu,
             qint64 commission)
{
    const QString no = QStringLiteral("O%1").arg(++g_order, 9, 10, QLatin1Char('0'));
    exec(QStringLiteral(
             "INSERT INTO 주문 (주문번호, 고객코드, 주문시전화, 가맹점코드, 주문일자, 주문시간, 통보시간) "
             "VALUES ('%1', '00000001', '02-1', '%2', '%3', '%4', '')")
             .arg(no, store, date, time));
    exec(QStringLiteral("INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, 포인트) "
                        "SELECT '%1', 1, 코드, 2, 5000, 10000, %2, 0 FROM 취급메뉴 WHERE 가맹점코드 = '%3' "
                        "AND 메뉴명 = '%4'")
             .arg(no)
             .arg(commission)
             .arg(store, menu));
}

void addPayment(const QString& store, const QString& date, qint64 amount, qint64 discount)
{
    exec(QStringLiteral(
             "INSERT INTO 입금 (가맹점코드, 입금일자, 입금액, 할인액, 메모) VALUES ('%1', '%2', %3, %4, '')")
             .arg(store, date)
             .arg(amount)
             .arg(discount));
}

int workRows()
{
    return GetFirstValue(gReportConn, QStringLiteral("SELECT COUNT(*) FROM 매출대입금")).toInt();
}

// Statements in the engine's own dialect, as the layout upgrade runs them.
void execRaw(QSqlDatabase db, const QStringList& statements)
{
    QSqlQuery q(db);
    for (const QString& s : statements)
        QVERIFY2(q.exec(s), qPrintable(q.lastError().text() + QStringLiteral(" — ") + s));
}

void installDailySums()
{
    execRaw(gMainConn.database(), gMainConn.isServer() ? StoreDailySumsServerDdl() : StoreDailySumsDdl());
}

QStringList texts(const QString& sql)
{
    QStringList out;
    QSqlQuery q(gMainConn.database());
    if (!q.exec(sql))
        qWarning("%s", qPrintable(q.lastError().text()));
    while (q.next())
        out << q.value(0).toString() + QLatin1Char('|') + q.value(1).toString() + QLatin1Char('|') +
                   q.value(2).toString();
    return out;
}

QStringList joined(const std::vector<ReportRow>& rows)
{
    QStringList out;
    for (const ReportRow& r : rows)
        out << joined(r);
    return out;
}
} // namespace

// The store ledger: running balances, which stores it shows, its grid rows, and a failed build.
class TestStoreLedger : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void balances_data();
    void balances();
    void subtotals_data();
    void subtotals();
    void init();
    void cleanup();
    void ledger_data();
    void ledger();
    void codesCaseBlind_data();
    void codesCaseBlind();
    void failedStepLeavesNothing_data();
    void failedStepLeavesNothing();
    void dailySumsFollowTheLines_data();
    void dailySumsFollowTheLines();

private:
    DbFixture* m_db = nullptr;
};

void TestStoreLedger::balances_data()
{
    QTest::addColumn<QStringList>("opening");
    QTest::addColumn<QStringList>("movements");
    QTest::addColumn<QList<qint64>>("balances");
    QTest::addColumn<qint64>("carried");
    QTest::addColumn<qint64>("closing");
    QTest::newRow("commission then payment")
        << QStringList{"A=10500"} << QStringList{"A:c1000", "A:p5000/0"} << QList<qint64>{10500, 11500, 6500}
        << qint64(10500) << qint64(6500);
    QTest::newRow("discount lowers like a payment") << QStringList{"A=0"} << QStringList{"A:p2000/500"}
                                                    << QList<qint64>{0, -2500} << qint64(0) << qint64(-2500);
    QTest::newRow("store without movement left out")
        << QStringList{"A=10500", "B=7000"} << QStringList{"A:c1000"} << QList<qint64>{10500, 11500}
        << qint64(10500) << qint64(11500);
    QTest::newRow("each store runs from its own carried balance")
        << QStringList{"A=100", "B=1000000000000"} << QStringList{"A:c1", "B:c3", "B:p1/1"}
        << QList<qint64>{100, 101, 1000000000000, 1000000000003, 1000000000001} << qint64(1000000000100)
        << qint64(1000000000102);
}

void TestStoreLedger::balances()
{
    QFETCH(QStringList, opening);
    QFETCH(QStringList, movements);
    std::vector<Entry> in;
    for (const QString& m : movements)
        in.push_back(movement(m));
    Totals totals;
    const std::vector<Entry> out = RunBalances(openings(opening), in, totals);
    QList<qint64> got;
    QString previous;
    for (const Entry& e : out) {
        got << e.balance;
        // Each store opens with its carried-forward row.
        QCOMPARE(e.kind == Kind::Carried, e.store != previous);
        previous = e.store;
    }
    QTEST(got, "balances");
    QTEST(totals.carried, "carried");
    QTEST(totals.closing, "closing");
}

void TestStoreLedger::subtotals_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("one run: the grand total alone")
        << QStringList{"A", "A", "A"} << QStringList{"A", "A", "A", "T6/"};
    QTest::newRow("runs of two get a subtotal, a single row none")
        << QStringList{"A", "A", "B", "C", "C"}
        << QStringList{"A", "A", "S3/r2", "B", "C", "C", "S9/r5", "T15/"};
    QTest::newRow("empty list") << QStringList{} << QStringList{"T0/"};
}

void TestStoreLedger::subtotals()
{
    QFETCH(QStringList, keys);
    std::vector<ReportRow> rows;
    for (int i = 0; i < keys.size(); ++i)
        rows.push_back({{keys[i], qint64(i + 1), QStringLiteral("r%1").arg(i + 1)}});
    QStringList got;
    for (const ReportRow& r : WithTotals(rows, 0, {1}, 0, 2)) {
        if (r.kind == ReportRow::Kind::Data)
            got << r.cells[0].toString();
        else
            got << (r.kind == ReportRow::Kind::Total ? QStringLiteral("T") : QStringLiteral("S")) +
                       r.cells[1].toString() + QLatin1Char('/') + r.cells.value(2).toString();
    }
    QTEST(got, "expected");
}

void TestStoreLedger::init()
{
    m_db = new DbFixture;
    QVERIFY(CreateRPTFile(ShowFound()));
    exec(QStringLiteral("INSERT INTO 고객 (코드, 전화1) VALUES ('00000001', '02-1')"));
    // Codes in one order, names in the other.
    addStore(QStringLiteral("S1"), QStringLiteral("하나식당"), 10000);
    addStore(QStringLiteral("S2"), QStringLiteral("나무식당"), 7000);
    addStore(QStringLiteral("S3"), QStringLiteral("가람식당"), 0);
    // Before the period: S1 to 10,500; S2 moves only then.
    addLine(QStringLiteral("S1"), QStringLiteral("2026-11-20"), QStringLiteral("12:00"),
            QStringLiteral("짜장면"), 3000);
    addPayment(QStringLiteral("S1"), QStringLiteral("2026-11-25"), 2000, 500);
    addLine(QStringLiteral("S2"), QStringLiteral("2026-11-20"), QStringLiteral("12:00"),
            QStringLiteral("짜장면"), 900);
    // In the period. The payment of the 3rd is entered before that day's orders; the two 짜장면 of the 3rd
    // merge into one row.
    addPayment(QStringLiteral("S1"), QStringLiteral("2026-12-03"), 5000, 0);
    addLine(QStringLiteral("S1"), QStringLiteral("2026-12-02"), QStringLiteral("09:00"),
            QStringLiteral("가락국수"), 1000);
    addLine(QStringLiteral("S1"), QStringLiteral("2026-12-03"), QStringLiteral("18:00"),
            QStringLiteral("짜장면"), 200);
    addLine(QStringLiteral("S1"), QStringLiteral("2026-12-03"), QStringLiteral("11:00"),
            QStringLiteral("짜장면"), 100);
    // S3 moves on S1's days too: the stores take turns in the running order.
    addLine(QStringLiteral("S3"), QStringLiteral("2026-12-02"), QStringLiteral("13:00"),
            QStringLiteral("가락국수"), 50);
    addLine(QStringLiteral("S3"), QStringLiteral("2026-12-05"), QStringLiteral("12:00"),
            QStringLiteral("가락국수"), 300);
    addLine(QStringLiteral("S3"), QStringLiteral("2026-12-06"), QStringLiteral("12:00"),
            QStringLiteral("가락국수"), 400);
}

void TestStoreLedger::cleanup()
{
    CloseRPTFile();
    delete m_db;
    m_db = nullptr;
}

void TestStoreLedger::ledger_data()
{
    QTest::addColumn<QString>("store");
    QTest::addColumn<int>("sort");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("golden"); // the file in tests/golden/ holding the whole ledger instead
    const QStringList s1 = {"S1|하나식당|[전기이월]||||||10500",
                            "S1|하나식당|2026-12-02|가락국수|2|1000|0|0|11500",
                            "S1|하나식당|2026-12-03|짜장면|4|300|0|0|11800",
                            "S1|하나식당|2026-12-03|입금||||5000|6800", "[소 계]||||6|1300|0|5000|6800"};
    const QStringList s3 = {"S3|가람식당|[전기이월]||||||0", "S3|가람식당|2026-12-02|가락국수|2|50|0|0|50",
                            "S3|가람식당|2026-12-05|가락국수|2|300|0|0|350",
                            "S3|가람식당|2026-12-06|가락국수|2|400|0|0|750", "[소 계]||||6|750|0|0|750"};
    QTest::newRow("all stores by code, S2 left out")
        << QString() << int(SortBy::Code) << QStringList{} << QStringLiteral("ledger-all-stores.txt");
    QTest::newRow("by name") << QString() << int(SortBy::Name)
                             << (s3 + s1 + QStringList{"[합 계]|||이월: 10,500|12|2050|0|5000|7550"})
                             << QString();
    QTest::newRow("one store: no subtotal beside the total")
        << QStringLiteral("S1") << int(SortBy::Code)
        << (s1.mid(0, 4) + QStringList{"[합 계]|||이월: 10,500|6|1300|0|5000|6800"}) << QString();
    QTest::newRow("store without movement: only the total")
        << QStringLiteral("S2") << int(SortBy::Code) << QStringList{"[합 계]|||이월: 0|0|0|0|0|0"}
        << QString();
}

void TestStoreLedger::ledger()
{
    QFETCH(QString, store);
    QFETCH(int, sort);
    QFETCH(QString, golden);
    // The same ledger whether the earlier commissions are summed from the lines or read from the daily sums.
    for (bool daily : {false, true}) {
        if (daily)
            installDailySums();
        std::vector<ReportRow> built;
        const BuildResult result = Build(gMainConn, gReportConn, QStringLiteral("2026-12-01"),
                                         QStringLiteral("2026-12-31"), store, {}, &built);
        QVERIFY2(result.ok, qPrintable(result.error.description));
        // A file's rows are read by a second thread beside the writing, a server's streamed in.
        QCOMPARE(result.readBeside, !gMainConn.isServer());
        std::vector<ReportRow> rows;
        Totals totals;
        ErrInfo error;
        QVERIFY(Read(gReportConn, SortBy(sort), rows, &totals, &error));
        for (const ReportRow& r : rows) {
            if (r.kind == ReportRow::Kind::Data)
                QCOMPARE(r.tag == int(Kind::Carried), r.cells[ColDate] == kCarriedForward);
        }
        if (golden.isEmpty()) {
            QTEST(joined(rows), "expected");
        } else {
            QString difference;
            QVERIFY2(Golden::Matches(golden, joined(rows).join('\n') + '\n', &difference),
                     qPrintable(difference));
        }
        QCOMPARE(totals.carried, result.totals.carried);
        QCOMPARE(totals.closing, result.totals.closing);
        // The build's own rows are the table read back by code.
        if (SortBy(sort) == SortBy::Code)
            QCOMPARE(joined(built), joined(rows));
    }
}

void TestStoreLedger::codesCaseBlind_data()
{
    // The spellings of store T4's earlier order, earlier payment, order and payment in the period.
    QTest::addColumn<QStringList>("spellings");
    QTest::addColumn<QString>("store");
    QTest::addColumn<qint64>("carried");
    QTest::addColumn<qint64>("closing");
    QTest::newRow("all spelled small, one store")
        << QStringList{"t4", "t4", "t4", "t4"} << "T4" << qint64(1150) << qint64(1200);
    QTest::newRow("mixed, asked with another spelling")
        << QStringList{"t4", "T4", "T4", "t4"} << "t4" << qint64(1150) << qint64(1200);
    QTest::newRow("all stores") << QStringList{"t4", "t4", "T4", "t4"} << QString() << qint64(10500 + 1150)
                                << qint64(7550 + 1200);
}

void TestStoreLedger::codesCaseBlind()
{
    QFETCH(QStringList, spellings);
    QFETCH(QString, store);
    addStore(QStringLiteral("T4"), QStringLiteral("넷째식당"), 1000);
    addLine(spellings[0], QStringLiteral("2026-11-10"), QStringLiteral("12:00"), QStringLiteral("짜장면"),
            300);
    addPayment(spellings[1], QStringLiteral("2026-11-11"), 100, 50);
    addLine(spellings[2], QStringLiteral("2026-12-04"), QStringLiteral("12:00"), QStringLiteral("짜장면"),
            70);
    addPayment(spellings[3], QStringLiteral("2026-12-04"), 20, 0);
    // A name with a tab and a backslash reaches the ledger whole, however the rows travel.
    exec(QStringLiteral(
        "UPDATE 취급메뉴 SET 메뉴명 = '짜장\t면\\' WHERE 가맹점코드 = 'T4' AND 메뉴명 = '짜장면'"));
    // 현잔액 as the postings of those rows left it.
    for (const auto& [spelling, difference] :
         {std::pair{spellings[0], 300}, {spellings[1], -150}, {spellings[2], 70}, {spellings[3], -20}})
        QVERIFY(AdjustBalance(spelling, difference));
    // The store's own spelling on every row, one carried-forward row, the balance running on from it.
    const QStringList expected = {"T4|넷째식당|[전기이월]||||||1150",
                                  "T4|넷째식당|2026-12-04|짜장\t면\\|2|70|0|0|1220",
                                  "T4|넷째식당|2026-12-04|입금||||20|1200"};
    for (bool daily : {false, true}) {
        if (daily)
            installDailySums();
        const BuildResult result =
            Build(gMainConn, gReportConn, QStringLiteral("2026-12-01"), QStringLiteral("2026-12-31"), store);
        QVERIFY2(result.ok, qPrintable(result.error.description));
        std::vector<ReportRow> rows;
        Totals totals;
        ErrInfo error;
        QVERIFY(Read(gReportConn, SortBy::Code, rows, &totals, &error));
        QStringList got;
        for (const ReportRow& r : rows) {
            if (r.kind == ReportRow::Kind::Data &&
                r.cells[ColStore].toString().compare(QStringLiteral("t4"), Qt::CaseInsensitive) == 0)
                got << joined(r);
        }
        QCOMPARE(got, expected);
        QTEST(totals.carried, "carried");
        QTEST(totals.closing, "closing");
        if (!store.isEmpty())
            QCOMPARE(
                totals.closing,
                GetFirstValue(QStringLiteral("SELECT 현잔액 FROM 가맹점 WHERE 코드 = 'T4'")).toLongLong());
    }
}

void TestStoreLedger::failedStepLeavesNothing_data()
{
    QTest::addColumn<QString>("failing");
    QTest::newRow("clearing") << QStringLiteral("DELETE");
    QTest::newRow("earlier payments") << QStringLiteral("SUM(입금액");
    QTest::newRow("movements") << QStringLiteral("주문시간");
    // The engine refuses a row in the middle: rows of the store before it were written already.
    QTest::newRow("writing rows") << QStringLiteral("row of 2026-12-05");
    QTest::newRow("stopped by the operator") << QStringLiteral("stop");
}

void TestStoreLedger::failedStepLeavesNothing()
{
    QFETCH(QString, failing);
    QVERIFY(Build(gMainConn, gReportConn, QStringLiteral("2026-12-01"), QStringLiteral("2026-12-31"), {}).ok);
    QVERIFY(workRows() > 0);
    auto inject = [failing](const QString& sql) -> std::optional<ErrInfo> {
        if (sql.contains(failing))
            return ErrInfo{-1, QStringLiteral("주입된 오류")};
        return std::nullopt;
    };
    gMainConn.setFaultInjector(inject);
    gReportConn.setFaultInjector(inject);
    if (failing.startsWith(QStringLiteral("row of")))
        execRaw(
            gReportConn.database(),
            {QStringLiteral("CREATE TRIGGER zk_test_refuse BEFORE INSERT ON 매출대입금 WHEN NEW.일자 = '%1' "
                            "BEGIN SELECT RAISE(ABORT, '주입된 오류'); END")
                 .arg(failing.section(QLatin1Char(' '), 2))});
    // The operator stops once the build has reached the period's third day.
    int stoppedAt = 0, periodDays = 0;
    const BuildResult failed = Build(gMainConn, gReportConn, QStringLiteral("2026-12-01"),
                                     QStringLiteral("2026-12-31"), {}, [&](int done, int days) {
                                         periodDays = days;
                                         stoppedAt = done;
                                         return !(failing == QStringLiteral("stop") && done >= 3);
                                     });
    gMainConn.setFaultInjector({});
    gReportConn.setFaultInjector({});
    QVERIFY(!failed.ok);
    QCOMPARE(failed.cancelled, failing == QStringLiteral("stop"));
    if (failed.cancelled)
        QCOMPARE(QList<int>({stoppedAt, periodDays}), QList<int>({3, 31}));
    else
        QCOMPARE(failed.error.description, QStringLiteral("주입된 오류"));
    // The clearing itself failing keeps the last complete ledger; any later step leaves the table empty.
    QCOMPARE(workRows() == 0, failing != QStringLiteral("DELETE"));
}

void TestStoreLedger::dailySumsFollowTheLines_data()
{
    // Orders are named by their time of day (see init); statements in the common dialect.
    const QString order = QStringLiteral("(SELECT 주문번호 FROM 주문 WHERE 주문시간 = '%1')");
    QTest::addColumn<QStringList>("changes");
    QTest::newRow("stored lines") << QStringList{};
    QTest::newRow("line added, a fraction rounded") << QStringList{
        QStringLiteral("INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, "
                       "포인트) SELECT 주문번호, 2, 주문메뉴, 1, 5000, 5000, 10.5, 0 FROM 주문내역 "
                       "WHERE 주문번호 = ") +
        order.arg(QStringLiteral("09:00"))};
    QTest::newRow("commission changed")
        << QStringList{QStringLiteral("UPDATE 주문내역 SET 수수료 = 수수료 + 99 WHERE 주문번호 = ") +
                       order.arg(QStringLiteral("18:00"))};
    QTest::newRow("order moved to another store and day") << QStringList{
        QStringLiteral("UPDATE 주문 SET 가맹점코드 = 'S2', 주문일자 = '2026-12-09' WHERE 주문시간 = "
                       "'11:00'")};
    QTest::newRow("line moved to another order") << QStringList{
        QStringLiteral("UPDATE 주문내역 SET 주문번호 = ") + order.arg(QStringLiteral("11:00")) +
        QStringLiteral(", 순번 = 2 WHERE 주문번호 = ") + order.arg(QStringLiteral("09:00"))};
    QTest::newRow("line and order deleted") << QStringList{
        QStringLiteral("DELETE FROM 주문내역 WHERE 주문번호 = ") + order.arg(QStringLiteral("18:00")),
        QStringLiteral("DELETE FROM 주문 WHERE 주문시간 = '12:00' AND 주문일자 = '2026-11-20'")};
}

void TestStoreLedger::dailySumsFollowTheLines()
{
    QFETCH(QStringList, changes);
    installDailySums();
    for (const QString& sql : changes)
        QVERIFY2(ExecSQL(sql) >= 1, qPrintable(sql));
    const QStringList daily = texts(QStringLiteral(
        "SELECT 가맹점코드, 일자, 수수료 FROM 가맹점일별수수료 WHERE 수수료 <> 0 ORDER BY 가맹점코드, 일자"));
    QVERIFY(!daily.isEmpty());
    QCOMPARE(daily,
             texts(QStringLiteral("SELECT o.가맹점코드, o.주문일자, SUM(CAST(ROUND(l.수수료) AS BIGINT)) "
                                  "FROM 주문 o INNER JOIN 주문내역 l ON l.주문번호 = o.주문번호 GROUP BY "
                                  "o.가맹점코드, o.주문일자 HAVING SUM(CAST(ROUND(l.수수료) AS BIGINT)) "
                                  "<> 0 ORDER BY o.가맹점코드, o.주문일자")));
}

QTEST_GUILESS_MAIN(TestStoreLedger)
#include "tst_storeledger.moc"
