#include "Bench.h"
#include "app/AppPaths.h"
#include "app/Clock.h"
#include "app/UserSettings.h"
#include "app/install/DbTool.h"
#include "db/MduAdoDB.h"
#include "db/StoreDailySums.h"
#include "db/modDBQuery.h"
#include "reports/MduReportDB.h"
#include "reports/gui/FrmRPT_ledger.h"
#include "reports/gui/FrmRPT_sale.h"
#include "ui/gui/SpreadGrid.h"

#include <QApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {
// From 조회 to the painted grid; *cpuMs the processor time it took, which other work on the machine hardly
// changes.
double ledgerMs(FrmRPT_ledger& w, const QDate& from, const QDate& to, int* rows, double* cpuMs)
{
    w.hdTermFrom()->setDate(from);
    w.hdTermTo()->setDate(to);
    QElapsedTimer t;
    t.start();
    const std::clock_t cpu = std::clock();
    w.Query();
    QApplication::processEvents();
    *cpuMs = double(std::clock() - cpu) * 1000.0 / CLOCKS_PER_SEC;
    *rows = w.lblRecCount()->text().toInt();
    return double(t.nsecsElapsed()) / 1e6;
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
    if (!BenchOpenHome(home, settings.path()) || !addDailySums() || !CreateRPTFile())
        return;
    const QDate last =
        QDate::fromString(GetFirstValue(QStringLiteral("SELECT MAX(주문일자) FROM 주문")).toString(),
                          QStringLiteral("yyyy-MM-dd"));
    const QString lines =
        QStringLiteral("%L1 lines")
            .arg(GetFirstValue(QStringLiteral("SELECT COUNT(*) FROM 주문내역")).toLongLong());
    // "One month" is the 30 days ending on the last day of data.
    const QDate monthStart = last.addDays(-29);
    const QDate yearStart = last.addDays(-364);
    const QString store = GetFirstValue(QStringLiteral("SELECT MIN(코드) FROM 가맹점")).toString();
    {
        FrmRPT_ledger w;
        w.show();
        QApplication::processEvents();
        int rows = 0;
        double cpu = 0;
        double ms = ledgerMs(w, monthStart, last, &rows, &cpu);
        BenchReport(QStringLiteral("ledger, one month, all stores (%1)").arg(lines), ms, -1,
                    QStringLiteral("%1 rows; cpu %2 ms; goal < 1000 ms").arg(rows).arg(cpu, 0, 'f', 0));
        w.SelectStore(store, store);
        ms = ledgerMs(w, yearStart, last, &rows, &cpu);
        BenchReport(QStringLiteral("ledger, one year, one store"), ms, -1,
                    QStringLiteral("%1 rows; cpu %2 ms; goal < 300 ms").arg(rows).arg(cpu, 0, 'f', 0));
        w.SelectStore(QString(), QString());
        ms = ledgerMs(w, yearStart, last, &rows, &cpu);
        BenchReport(QStringLiteral("ledger, one year, all stores"), ms, -1,
                    QStringLiteral("%1 rows; cpu %2 ms; peak memory %3 MB; goal < 1024 MB")
                        .arg(rows)
                        .arg(cpu, 0, 'f', 0)
                        .arg(BenchMemoryKb("VmHWM:") / 1024));
    }
    {
        FrmRPT_sale w;
        w.show();
        w.hdTermFrom()->setDate(monthStart);
        w.hdTermTo()->setDate(last);
        QApplication::processEvents();
        const char* sorts[] = {"date", "store", "customer"};
        for (int s : {1, 2, 0}) {
            QElapsedTimer t;
            t.start();
            w.optSort().at(s)->click();
            QApplication::processEvents();
            BenchReport(QStringLiteral("sales report, one month, by %1").arg(QLatin1String(sorts[s])),
                        double(t.nsecsElapsed()) / 1e6, -1,
                        QStringLiteral("%1 lines; goal < 1000 ms").arg(w.lblRecCount()->text()));
        }
    }
    CloseRPTFile();
    gMainConn.close();
}
