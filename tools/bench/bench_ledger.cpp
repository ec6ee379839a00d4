// The back office's reports on a year of 3,000 orders a day at 200 stores: the store ledger of 30 days and of
// a year, and the sales report of 30 days in each order, each through its screen to the painted grid, beside
// raw: the screen's own SELECTs stepped through the SQLite C API in the same process, in turn with ours.
#include "Bench.h"
#include "app/AppPaths.h"
#include "app/Clock.h"
#include "app/UserSettings.h"
#include "app/install/DbTool.h"
#include "db/MduAdoDB.h"
#include "db/StoreDailySums.h"
#include "db/modDBQuery.h"
#include "reports/MduReportDB.h"
#include "reports/SalesReport.h"
#include "reports/StoreLedger.h"
#include "reports/gui/FrmRPT_ledger.h"
#include "reports/gui/FrmRPT_sale.h"
#include "support/Controls.h"
#include "ui/MsgBox.h"
#include "ui/gui/SpreadGrid.h"

#include <QApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>

namespace {
constexpr int kMonthRuns = 5;
constexpr int kYearRuns = 3;

// From 조회 to the painted grid.
double ledgerMs(FrmRPT_ledger& w, const QDate& from, const QDate& to, int* rows)
{
    Ctl<QDateEdit>(&w, "hdTerm_0")->setDate(from);
    Ctl<QDateEdit>(&w, "hdTerm_1")->setDate(to);
    const double ms = BenchTimeMs([&] {
        w.Query();
        Ctl<SpreadGrid>(&w, "spList")->view()->viewport()->repaint();
    });
    *rows = Ctl<QLabel>(&w, "lblRecCount")->text().toInt();
    return ms;
}

// An installation made before the daily commission sums gets them, as its upgrade would; the time is the
// upgrade's.
bool addDailySums()
{
    if (gMainConn.database().tables().contains(kStoreDailySumsTable, Qt::CaseInsensitive))
        return true;
    QElapsedTimer t;
    t.start();
    QSqlQuery q(gMainConn.database());
    QStringList statements = gMainConn.isServer() ? StoreDailySumsServerDdl() : StoreDailySumsDdl();
    statements.prepend(QStringLiteral("BEGIN"));
    statements << QStringLiteral("COMMIT");
    for (const QString& s : statements) {
        if (!q.exec(s)) {
            std::fprintf(stderr, "daily sums: %s\n", qUtf8Printable(q.lastError().text()));
            return false;
        }
    }
    BenchReport(QStringLiteral("daily commission sums added (upgrade)"), double(t.nsecsElapsed()) / 1e6, -1,
                QString());
    return true;
}

struct LedgerCase
{
    QString what;
    QDate from;
    QString store;
    int runs;
    BenchGoal goal;
    bool memory;
};

void measureLedger(FrmRPT_ledger& w, const QString& mainFile, const LedgerCase& c, const QDate& last)
{
    w.SelectStore(c.store, c.store);
    std::vector<double> ours, direct;
    int rows = 0;
    qint64 peakKb = 0, rawRows = 0;
    const QStringList selects = StoreLedger::BuildSelects(gMainConn, c.from.toString(Qt::ISODate),
                                                          last.toString(Qt::ISODate), c.store);
    const int runs =
        qEnvironmentVariableIsSet("ZK_BENCH_RUNS") ? qEnvironmentVariableIntValue("ZK_BENCH_RUNS") : c.runs;
    for (int i = 0; i < runs; ++i) {
        BenchResetPeakMemory();
        ours.push_back(ledgerMs(w, c.from, last, &rows));
        peakKb = std::max(peakKb, BenchMemoryKb("VmHWM:"));
        // Open only meanwhile: its pages are not ours.
        BenchRawDb raw(mainFile, false);
        direct.push_back(raw.StepMs(selects, &rawRows));
    }
    BenchGoal goal = c.goal;
    QString note =
        QStringLiteral("%L1 rows, %L2 raw rows; %3 statements").arg(rows).arg(rawRows).arg(selects.size());
    if (c.memory) {
        goal.other = QStringLiteral("peak < 400 MB");
        goal.otherMet = peakKb < 400 * 1024;
        note += QStringLiteral("; peak memory %1 MB (now anon %2 MB, file %3 MB)")
                    .arg(peakKb / 1024)
                    .arg(BenchMemoryKb("RssAnon:") / 1024)
                    .arg(BenchMemoryKb("RssFile:") / 1024);
    }
    BenchFigure(c.what, ours, direct, goal, note);
}
} // namespace

ZK_BENCH("reports: store ledger and sales report")
{
    // A year of 3,000 orders a day at 200 stores, unless an installation is given.
    QString home = ctx.home();
    QTemporaryDir generated;
    if (home.isEmpty()) {
        std::printf("generating a year of orders (a few minutes)...\n");
        const QStringList args = {QStringLiteral("create"),
                                  QStringLiteral("--demo"),
                                  QStringLiteral("--customers"),
                                  QStringLiteral("100000"),
                                  QStringLiteral("--stores"),
                                  QStringLiteral("200"),
                                  QStringLiteral("--days"),
                                  QStringLiteral("365"),
                                  QStringLiteral("--orders-per-day"),
                                  QStringLiteral("3000"),
                                  generated.path()};
        home = generated.path();
        if (DbTool::Run(args) != 0)
            return;
    }
    QTemporaryDir settings;
    if (!BenchOpenHome(home, settings.path()) || !addDailySums() || !CreateRPTFile(ShowFound()))
        return;
    const QString mainFile = AppPaths::ProgramPath(QStringLiteral("DBS/dbMain.mdb"));
    const QDate last =
        QDate::fromString(GetFirstValue(QStringLiteral("SELECT MAX(주문일자) FROM 주문")).toString(),
                          QStringLiteral("yyyy-MM-dd"));
    // "One month" is the 30 days ending on the last day of data.
    const QDate monthStart = last.addDays(-29);
    const QDate yearStart = last.addDays(-364);
    const qint64 monthLines =
        GetFirstValue(
            QStringLiteral("SELECT COUNT(*) FROM 주문내역 AS d INNER JOIN 주문 AS o ON d.주문번호 = "
                           "o.주문번호 WHERE o.주문일자 BETWEEN '") +
            monthStart.toString(Qt::ISODate) + QStringLiteral("' AND '") + last.toString(Qt::ISODate) +
            QLatin1Char('\''))
            .toLongLong();
    const qint64 yearLines =
        GetFirstValue(
            QStringLiteral("SELECT COUNT(*) FROM 주문내역 AS d INNER JOIN 주문 AS o ON d.주문번호 = "
                           "o.주문번호 WHERE o.주문일자 BETWEEN '") +
            yearStart.toString(Qt::ISODate) + QStringLiteral("' AND '") + last.toString(Qt::ISODate) +
            QLatin1Char('\''))
            .toLongLong();
    const QString store = GetFirstValue(QStringLiteral("SELECT MIN(코드) FROM 가맹점")).toString();
    const qint64 stores = GetFirstValue(QStringLiteral("SELECT COUNT(*) FROM 가맹점")).toLongLong();
    std::printf("period %s..%s (%lld lines), year from %s (%lld lines), %lld stores\n",
                qUtf8Printable(monthStart.toString(Qt::ISODate)), qUtf8Printable(last.toString(Qt::ISODate)),
                monthLines, qUtf8Printable(yearStart.toString(Qt::ISODate)), yearLines, stores);
    {
        FrmRPT_ledger w;
        w.resize(1000, 640);
        w.show();
        QApplication::processEvents();
        const LedgerCase cases[] = {
            {QStringLiteral("store ledger, 30 days, all stores"),
             monthStart,
             QString(),
             kMonthRuns,
             {1.5, 600, {}, true},
             false},
            {QStringLiteral("store ledger, 1 year, one store"),
             yearStart,
             store,
             kMonthRuns,
             {1.5, 300, {}, true},
             false},
            {QStringLiteral("store ledger, 1 year, all stores"),
             yearStart,
             QString(),
             kYearRuns,
             {1.5, 7000, {}, true},
             true},
        };
        for (const LedgerCase& c : cases) {
            if (qEnvironmentVariableIsSet("ZK_BENCH_ONLY") &&
                !c.what.contains(qEnvironmentVariable("ZK_BENCH_ONLY")))
                continue;
            measureLedger(w, mainFile, c, last);
        }
        w.close();
    }
    {
        FrmRPT_sale w;
        w.resize(1120, 640);
        w.show();
        Ctl<QDateEdit>(&w, "hdTerm_0")->setDate(monthStart);
        Ctl<QDateEdit>(&w, "hdTerm_1")->setDate(last);
        QApplication::processEvents();
        const char* sorts[] = {"date", "store", "customer"};
        for (int s : {0, 1, 2}) {
            if (qEnvironmentVariableIsSet("ZK_BENCH_ONLY") &&
                !QStringLiteral("sales report by %1")
                     .arg(QLatin1String(sorts[s]))
                     .contains(qEnvironmentVariable("ZK_BENCH_ONLY")))
                continue;
            SalesReport report;
            report.Choose(SalesReport::Sort(s));
            SalesReport::Filter filter;
            filter.from = monthStart.toString(Qt::ISODate);
            filter.to = last.toString(Qt::ISODate);
            // Raw: the statements the report reads a file with, one after the other.
            QStringList selects;
            for (const QString& sql : SalesReport::FileSql(filter))
                selects << gMainConn.dialect().translate(sql);
            // The statement with the engine's sort, as the report once read its lines: for comparison.
            const char* expressions[] = {"om.주문일자", "mb.코드", "mb.상호", "om.고객코드", "om.주문시전화"};
            QStringList keys;
            for (SalesReport::Field f : report.Columns())
                keys << QString::fromUtf8(expressions[f]);
            const QStringList sorted = {gMainConn.dialect().translate(SalesReport::Sql(filter)) +
                                        QStringLiteral(" ORDER BY ") + keys.join(QStringLiteral(", ")) +
                                        QStringLiteral(", om.주문번호, od.순번")};
            std::vector<double> ours, direct, engineSorted;
            const int runs = qEnvironmentVariableIsSet("ZK_BENCH_RUNS")
                                 ? qEnvironmentVariableIntValue("ZK_BENCH_RUNS")
                                 : kMonthRuns;
            for (int i = 0; i < runs; ++i) {
                // The lines are read and sorted whole, the totals made, then the grid writes the rows in
                // view: the first screen painted is the whole report, its other rows written as they are
                // scrolled to.
                ours.push_back(BenchTimeMs([&] {
                    Ctl<QRadioButton>(&w, "optSort", s)->click();
                    Ctl<SpreadGrid>(&w, "spList")->view()->viewport()->repaint();
                }));
                BenchRawDb raw(mainFile);
                direct.push_back(raw.StepMs(selects));
                engineSorted.push_back(raw.StepMs(sorted));
            }
            const QString what = QStringLiteral("sales report, 30 days, by %1").arg(QLatin1String(sorts[s]));
            BenchFigure(what + QStringLiteral(": first screen"), ours, {}, {0, 300, {}, true},
                        QStringLiteral("rows in display order, the grand total with them"));
            BenchFigure(what, ours, direct, {1.3, 600, {}, true},
                        QStringLiteral("%1 lines, all read (the period's halves at once, each on its own "
                                       "connection; raw steps both in turn), sorted and summed")
                            .arg(Ctl<QLabel>(&w, "lblRecCount")->text()));
            BenchReport(QStringLiteral("  the SELECT with the engine's sort (before)"),
                        BenchMedian(engineSorted));
        }
        w.close();
    }
    CloseRPTFile();
    gMainConn.close();
}
