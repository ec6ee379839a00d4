// The server engine beside SQLite on the same data: the generated installation's main database is copied to a
// fresh server database, then the customer lookup of a ring, saving an order with three lines, the day's
// refresh, a month's ledger and a caller's history run through the program's own code on each engine in turn.
//
//   zelkova-bench [--home DIR] server [--server ADDRESS]
//
// The address (of the server's maintenance database) may also come from ZELKOVA_BENCH_SERVER. The server
// database zkbench_<pid> is dropped at the end unless ZK_BENCH_KEEP_SERVER_DB is set, for EXPLAIN by hand.
// Orders are saved last, so the other figures see the same rows on both engines.
#include "Bench.h"

#include "app/AppPaths.h"
#include "app/Clock.h"
#include "app/Globals.h"
#include "app/UserSettings.h"
#include "db/MduAdoDB.h"
#include "db/Schema.h"
#include "db/ServerAddress.h"
#include "db/ServerSchema.h"
#include "db/modDBQuery.h"
#include "masters/CustPhone.h"
#include "masters/gui/CustomerScreens.h"
#include "masters/gui/Pick.h"
#include "order/OrderHistory.h"
#include "order/OrderService.h"
#include "order/gui/FrmMain.h"
#include "reports/MduReportDB.h"
#include "reports/StoreLedger.h"
#include "ui/MsgBox.h"
#include "ui/gui/ModalSeam.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QString kDefaultServer =
    QStringLiteral("postgresql:///postgres?host=/tmp/zkpg/socket&port=5439&user=zelkova");
constexpr int kLookups = 100;
constexpr int kOrders = 50;
constexpr int kRefreshes = 7;
constexpr int kLedgers = 5;

QString serverAddress(const BenchContext& ctx)
{
    const int at = int(ctx.args.indexOf(QStringLiteral("--server")));
    if (at >= 0 && at + 1 < ctx.args.size())
        return ctx.args.at(at + 1);
    const QString env = qEnvironmentVariable("ZELKOVA_BENCH_SERVER");
    return env.isEmpty() ? kDefaultServer : env;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double worst(const std::vector<double>& v)
{
    return v.empty() ? -1 : *std::max_element(v.begin(), v.end());
}

double timedMs(const std::function<void()>& fn)
{
    QElapsedTimer t;
    t.start();
    fn();
    return t.nsecsElapsed() / 1e6;
}

// What one engine measured; -1 where a step failed.
struct Figures
{
    std::vector<double> lookups;
    std::vector<double> saves;
    std::vector<double> history;
    double refresh = -1;
    std::vector<double> ledgers;
    int refreshRows = 0;
    qint64 ledgerRows = 0;
    // A digest of the ledger's rows as the grid shows them: the same on both engines.
    QByteArray ledgerDigest;
};

struct Fixture
{
    QString today;         // the day of the refresh and the saved orders
    QString monthStart;    // the ledger's period: monthStart..today
    QStringList numbers;   // calling numbers (digits) that find exactly one customer
    QStringList customers; // the customer each of them finds
    QString store;
    std::vector<qint64> menus;
    QStringList regulars; // the customers with the most orders: the longest histories
};

// Customers spread over the whole table whose first number finds them alone, as a ring's number would.
void chooseNumbers(Fixture& f)
{
    const qint64 last = GetFirstValue(QStringLiteral("SELECT MAX(rowid) FROM 고객")).toLongLong();
    const qint64 step = std::max<qint64>(1, last / kLookups);
    for (qint64 rowid = step / 2 + 1; f.numbers.size() < kLookups && rowid <= last; rowid += step) {
        Recordset rs;
        if (OpenQuery(rs,
                      QStringLiteral("SELECT 코드, 전화1, 전화2, 전화3, 전화4 FROM 고객 WHERE rowid >= %1 "
                                     "AND IFNULL(전화1, '') <> '' ORDER BY rowid LIMIT 1")
                          .arg(rowid)) <= 0)
            continue;
        const QString digits = WithoutHyphens(rs.text(QStringLiteral("전화1")));
        QStringList own;
        for (int i = 1; i <= 4; ++i)
            own << rs.text(QStringLiteral("전화%1").arg(i));
        const qint64 holders = GetFirstValue(QStringLiteral("SELECT COUNT(*) FROM 고객 WHERE ") +
                                             PhoneSuffixCondition(PhoneSearchSuffix(digits), true))
                                   .toLongLong();
        if (holders == 1 && MatchingPhones(own, digits).size() == 1) {
            f.numbers << digits;
            f.customers << rs.text(QStringLiteral("코드"));
        }
    }
}

bool prepareFixture(Fixture& f)
{
    f.today = NullToStr(GetFirstValue(QStringLiteral("SELECT MAX(주문일자) FROM 주문")));
    const QDate day = QDate::fromString(f.today, QStringLiteral("yyyy-MM-dd"));
    if (!day.isValid()) {
        std::fprintf(stderr, "the installation has no orders\n");
        return false;
    }
    f.monthStart = day.addDays(-29).toString(QStringLiteral("yyyy-MM-dd"));
    chooseNumbers(f);
    Recordset top;
    OpenQuery(top,
              QStringLiteral("SELECT 고객코드 FROM 주문 GROUP BY 고객코드 ORDER BY COUNT(*) DESC LIMIT 20"));
    for (top.MoveFirst(); !top.EOF_(); top.MoveNext())
        f.regulars << top.text(QStringLiteral("고객코드"));
    top.close();
    f.store =
        NullToStr(GetFirstValue(QStringLiteral("SELECT 가맹점코드 FROM 주문 WHERE 주문일자 = '") + f.today +
                                QStringLiteral("' GROUP BY 가맹점코드 ORDER BY COUNT(*) DESC, 가맹점코드")));
    Recordset rs;
    OpenQuery(rs, QStringLiteral("SELECT 코드 FROM 취급메뉴 WHERE 가맹점코드 = '") + SQLQuote(f.store) +
                      QStringLiteral("' ORDER BY 코드"));
    for (rs.MoveFirst(); !rs.EOF_() && f.menus.size() < 3; rs.MoveNext())
        f.menus.push_back(rs.value(0).toLongLong());
    if (f.numbers.isEmpty() || f.menus.empty()) {
        std::fprintf(stderr, "no numbers or menus to measure with\n");
        return false;
    }
    while (f.menus.size() < 3)
        f.menus.push_back(f.menus.back());
    return true;
}

// Runs the four measurements on the engine gMainConn is open on.
Figures measure(const Fixture& f)
{
    Figures out;
    // (1) The ring's path: the calling number through the picker, which takes a single match at once.
    // The first picker of a run loads its screen settings; a seat has done that long before a ring.
    {
        QString code;
        PickCustomer(f.numbers.first(), code, QPoint(), false);
    }
    for (const QString& digits : f.numbers) {
        QString code;
        const double ms = timedMs([&] { PickCustomer(digits, code, QPoint(), false); });
        if (code != f.customers.at(int(out.lookups.size()))) {
            std::fprintf(stderr, "lookup %s found \"%s\"\n", qUtf8Printable(digits), qUtf8Printable(code));
            out.lookups.clear();
            break;
        }
        out.lookups.push_back(ms);
    }
    // (2) The day's refresh of the main screen, from the query to the filled grid and the active order's
    // lines.
    {
        FrmMain w;
        out.refresh = BenchMedianMs(kRefreshes, [&] { w.RefreshList(); });
        out.refreshRows = int(
            CountRows(QStringLiteral("주문"), QStringLiteral("주문일자 = '") + f.today + QLatin1Char('\'')));
        w.close();
    }
    // (3) A month's ledger of every store as the screen sorted by code builds it: written to the seat's
    // report database, its rows given by the build.
    {
        std::vector<double> times;
        for (int i = 0; i < kLedgers; ++i) {
            bool ok = false;
            times.push_back(timedMs([&] {
                std::vector<ReportRow> rows;
                const StoreLedger::BuildResult r =
                    StoreLedger::Build(gMainConn, gReportConn, f.monthStart, f.today, QString(), {}, &rows);
                ok = r.ok;
                out.ledgerRows = qint64(rows.size());
                if (ok && i == 0) {
                    QCryptographicHash digest(QCryptographicHash::Sha1);
                    for (const ReportRow& row : rows) {
                        for (const QVariant& cell : row.cells)
                            digest.addData(cell.toString().toUtf8() + '|');
                        digest.addData("\n");
                    }
                    out.ledgerDigest = digest.result();
                }
                if (!ok)
                    std::fprintf(stderr, "ledger: %s\n", qUtf8Printable(r.error.description));
            }));
            if (!ok) {
                times.clear();
                break;
            }
        }
        out.ledgers = times;
    }
    // (5) A caller's recent orders as the main window shows them on a ring: the callers of (1) and the
    // regulars with the longest histories.
    for (const QString& customer : f.customers + f.regulars) {
        QList<OrderHistory::PastOrder> orders;
        ErrInfo e;
        bool ok = false;
        const double ms = timedMs([&] {
            ok = OrderHistory::ReadRecent(gMainConn, customer, OrderHistory::kRecentCount, orders, &e);
        });
        if (!ok) {
            std::fprintf(stderr, "history of %s: %s\n", qUtf8Printable(customer),
                         qUtf8Printable(e.description));
            out.history.clear();
            break;
        }
        out.history.push_back(ms);
    }
    // (4) Orders as the order screen saves them: the header, then three lines, each its own write.
    const QString customer = f.customers.first();
    for (int i = 0; i < kOrders; ++i) {
        bool ok = true;
        const double ms = timedMs([&] {
            OrderService::Header h{customer, f.numbers.first(), f.store, Clock::Today(),
                                   Clock::Time().toString(QStringLiteral("HH:mm"))};
            QString number;
            ok = OrderService::InsertOrder(h, gTerminalID, number).ok();
            for (size_t k = 0; ok && k < f.menus.size(); ++k)
                ok = OrderService::InsertLine(number, f.store, customer,
                                              {f.menus[k], qint64(k) + 1, 12000, QString()}, gPointUnit)
                         .ok();
        });
        if (!ok) {
            std::fprintf(stderr, "order %d was not saved\n", i);
            out.saves.clear();
            break;
        }
        out.saves.push_back(ms);
    }
    return out;
}

void row(const QString& what, double sqliteMs, double serverMs, const QString& verdict, const QString& note)
{
    if (sqliteMs < 0 || serverMs < 0) {
        std::printf("%-44s %s\n", qUtf8Printable(what), "not measured");
        return;
    }
    std::printf("%-44s SQLite %8.2f ms  서버 %8.2f ms  x%5.2f  %-4s  %s\n", qUtf8Printable(what), sqliteMs,
                serverMs, sqliteMs > 0 ? serverMs / sqliteMs : 0.0, qUtf8Printable(verdict),
                qUtf8Printable(note));
    std::fflush(stdout);
}

QString verdict(bool pass)
{
    return pass ? QStringLiteral("PASS") : QStringLiteral("MISS");
}

bool openEngine(const QString& location)
{
    ErrInfo e;
    if (gMainConn.open(location, false, &e))
        return true;
    std::fprintf(stderr, "cannot open %s: %s\n", qUtf8Printable(location), qUtf8Printable(e.description));
    return false;
}

void dropServerDatabase(const ServerAddress& admin, const QString& name)
{
    DbConnection conn;
    ErrInfo e;
    if (!conn.open(admin.withDatabase(admin.databaseName()), false, &e)) {
        std::fprintf(stderr, "cannot drop %s: %s\n", qUtf8Printable(name), qUtf8Printable(e.description));
        return;
    }
    QSqlQuery(conn.database()).exec(QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(name));
}

} // namespace

ZK_BENCH("server: beside SQLite (ring, history, save, refresh, ledger)")
{
    const QString address = serverAddress(ctx);
    ServerAddress admin;
    QString error;
    if (!ServerAddress::Parse(address, &admin, &error)) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(error));
        return;
    }
    // A month of days for the ledger when the installation is generated here.
    if (ctx.home().isEmpty() && qEnvironmentVariableIsEmpty("ZK_BENCH_DAYS"))
        qputenv("ZK_BENCH_DAYS", "30");
    const QString home = ctx.home().isEmpty() ? BenchGeneratedHome(1000000, 200) : ctx.home();
    if (home.isEmpty())
        return;
    QTemporaryDir settings;
    if (!BenchOpenHome(home, settings.path() + QStringLiteral("/settings")))
        return;
    const QString mainFile = AppPaths::ProgramPath(QStringLiteral("DBS/dbMain.mdb"));
    // The copy is brought to this program's layout (an older one lacks the indexes it reads through).
    if (!Schema::Upgrade(gMainConn, &error)) {
        std::fprintf(stderr, "upgrade: %s\n", qUtf8Printable(error));
        return;
    }
    Fixture f;
    const bool prepared = prepareFixture(f);
    const qint64 customers = GetFirstValue(QStringLiteral("SELECT COUNT(*) FROM 고객")).toLongLong();
    const qint64 monthLines =
        GetFirstValue(
            QStringLiteral("SELECT COUNT(*) FROM 주문내역 AS d INNER JOIN 주문 AS o ON d.주문번호 = "
                           "o.주문번호 WHERE o.주문일자 BETWEEN '") +
            f.monthStart + QStringLiteral("' AND '") + f.today + QLatin1Char('\''))
            .toLongLong();
    gMainConn.close();
    if (!prepared)
        return;

    // ZK_BENCH_SERVER_DB names a copy kept from an earlier run (ZK_BENCH_KEEP_SERVER_DB) to measure again
    // without copying; it is kept again.
    const QString kept = qEnvironmentVariable("ZK_BENCH_SERVER_DB");
    const QString dbName =
        kept.isEmpty() ? QStringLiteral("zkbench_%1").arg(QCoreApplication::applicationPid()) : kept;
    const QString target = admin.withDatabase(dbName);
    const bool keep = !kept.isEmpty() || !qEnvironmentVariableIsEmpty("ZK_BENCH_KEEP_SERVER_DB");
    if (!keep)
        BenchDropOnInterrupt(admin.connectionString(), dbName);
    if (kept.isEmpty()) {
        bool copied = false;
        const double copyMs =
            timedMs([&] { copied = ServerSchema::CopyFromFile(mainFile, target, {}, &error); });
        if (!copied) {
            std::fprintf(stderr, "copy to %s failed: %s\n", qUtf8Printable(admin.describe()),
                         qUtf8Printable(error));
            return;
        }
        BenchReport(QStringLiteral("copy the main database to the server (%L1 customers)").arg(customers),
                    copyMs, -1, dbName);
    }
    // The copy leaves the planner without statistics and the new rows unvacuumed until autovacuum's next
    // rounds, which would then run during the measurements; the figures are those of a database in use, so
    // both are done now. ZK_BENCH_SERVER_SQL names a file
    // of statements (one per line) run on the copy before measuring, to try a change of the server schema.
    if (kept.isEmpty()) {
        DbConnection conn;
        ErrInfo e;
        if (!conn.open(target, false, &e)) {
            std::fprintf(stderr, "%s\n", qUtf8Printable(e.description));
            dropServerDatabase(admin, dbName);
            return;
        }
        QSqlQuery q(conn.database());
        const double analyzeMs = timedMs([&] { q.exec(QStringLiteral("VACUUM (ANALYZE)")); });
        BenchReport(QStringLiteral("  VACUUM (ANALYZE)"), analyzeMs);
        QFile trial(qEnvironmentVariable("ZK_BENCH_SERVER_SQL"));
        if (!trial.fileName().isEmpty() && trial.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : trial.readAll().split('\n')) {
                const QString sql = QString::fromUtf8(line).trimmed();
                if (sql.isEmpty() || sql.startsWith(QLatin1String("--")))
                    continue;
                if (!q.exec(sql))
                    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(sql),
                                 qUtf8Printable(q.lastError().text()));
            }
            std::printf("  ran %s on the copy\n", qUtf8Printable(trial.fileName()));
        }
    }

    RegisterCustomerScreens();
    // A lookup that opened the picker or a box would stall the bench: windows are closed at once.
    const ModalHandler previousModal = SetModalHandler([](QDialog*) { return int(QDialog::Rejected); });
    gTerminalID = QStringLiteral("0"); // the generator numbers its orders on terminals 1 to 9
    Clock::SetFixed(QDateTime(QDate::fromString(f.today, QStringLiteral("yyyy-MM-dd")), QTime(12, 0)));
    Figures lite, server;
    bool measured = CreateRPTFile(ShowFound());
    for (auto [location, into] : {std::pair{mainFile, &lite}, std::pair{target, &server}}) {
        if (!measured || !openEngine(location)) {
            measured = false;
            break;
        }
        *into = measure(f);
        gMainConn.close();
    }
    CloseRPTFile();
    Clock::SetFixed(QDateTime());
    SetModalHandler(previousModal);
    if (!keep) {
        dropServerDatabase(admin, dbName);
        BenchForgetDropOnInterrupt();
    } else {
        std::printf("kept the server database %s\n", qUtf8Printable(dbName));
    }
    if (!measured)
        return;

    const double lookupLite = median(lite.lookups), lookupServer = median(server.lookups);
    row(QStringLiteral("ring number → customer (%L1 customers), median").arg(customers), lookupLite,
        lookupServer, verdict(lookupServer >= 0 && lookupServer < 10),
        QStringLiteral("%1 numbers; goal < 10 ms").arg(server.lookups.size()));
    row(QStringLiteral("  worst"), worst(lite.lookups), worst(server.lookups), QString(), QString());
    const double saveLite = median(lite.saves), saveServer = median(server.saves);
    row(QStringLiteral("save an order with three lines, median"), saveLite, saveServer,
        verdict(saveServer >= 0 && saveServer < 20), QStringLiteral("%1 orders; goal < 20 ms").arg(kOrders));
    row(QStringLiteral("  worst"), worst(lite.saves), worst(server.saves), QString(), QString());
    // The raw figure: the same two statements stepped through SQLite's C interface, values written in.
    std::vector<double> raw;
    {
        BenchRawDb db(mainFile);
        for (const QString& customer : f.customers + f.regulars) {
            const QString key = QLatin1Char('\'') + customer + QLatin1Char('\'');
            raw.push_back(db.StepMs(
                {QStringLiteral(
                     "SELECT o.주문번호, o.주문일자, o.주문시간, o.가맹점코드, m.상호 FROM 주문 AS o "
                     "LEFT JOIN 가맹점 AS m ON o.가맹점코드 = m.코드 WHERE o.고객코드 = ") +
                     key +
                     QStringLiteral(
                         " ORDER BY o.고객코드 DESC, o.주문일자 DESC, o.주문시간 DESC, o.주문번호 DESC "
                         "LIMIT 5"),
                 QStringLiteral(
                     "SELECT d.주문번호, d.주문메뉴, m.메뉴명, d.수량, d.단가, d.금액 FROM 주문내역 AS d "
                     "LEFT JOIN 취급메뉴 AS m ON d.주문메뉴 = m.코드 WHERE d.주문번호 IN (SELECT "
                     "주문번호 FROM 주문 WHERE 고객코드 = ") +
                     key +
                     QStringLiteral(" ORDER BY 주문일자 DESC, 주문시간 DESC, 주문번호 DESC LIMIT 5) "
                                    "ORDER BY d.주문번호, d.순번")}));
        }
    }
    const double historyLite = median(lite.history), historyServer = median(server.history);
    row(QStringLiteral("history of a caller (last %1 orders), median").arg(OrderHistory::kRecentCount),
        historyLite, historyServer,
        verdict(historyLite >= 0 && historyServer >= 0 && worst(lite.history) < 20 &&
                worst(server.history) < 20),
        QStringLiteral(
            "%1 callers, %2 of them regulars; raw SQLite median %3 ms; goal < 20 ms, worst included")
            .arg(lite.history.size())
            .arg(f.regulars.size())
            .arg(median(raw), 0, 'f', 3));
    row(QStringLiteral("  worst"), worst(lite.history), worst(server.history), QString(), QString());
    row(QStringLiteral("refresh the day's orders (%L1)").arg(server.refreshRows), lite.refresh,
        server.refresh, verdict(server.refresh >= 0 && server.refresh < 100),
        QStringLiteral("goal < 100 ms"));
    // The ledger's goal on a server: within 1.3 times the file's figure on the same data.
    const double ledgerLite = median(lite.ledgers), ledgerServer = median(server.ledgers);
    row(QStringLiteral("ledger %1..%2, all stores, median").arg(f.monthStart, f.today), ledgerLite,
        ledgerServer, verdict(ledgerServer >= 0 && ledgerLite > 0 && ledgerServer <= 1.3 * ledgerLite),
        QStringLiteral("%L1 order lines, %L2 ledger rows, %3 runs; goal ≤ 1.3 × SQLite")
            .arg(monthLines)
            .arg(server.ledgerRows)
            .arg(server.ledgers.size()));
    const auto best = [](const std::vector<double>& v) {
        return v.empty() ? -1 : *std::min_element(v.begin(), v.end());
    };
    std::printf("  the same rows on both engines: %s\n",
                !lite.ledgerDigest.isEmpty() && lite.ledgerDigest == server.ledgerDigest ? "yes" : "NO");
    row(QStringLiteral("  min"), best(lite.ledgers), best(server.ledgers), QString(), QString());
    row(QStringLiteral("  worst"), worst(lite.ledgers), worst(server.ledgers), QString(), QString());
}
