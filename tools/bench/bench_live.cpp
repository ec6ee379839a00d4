// Seats seeing each other: two seat processes on one database — a shared file, and a server copy of it — one
// saving orders as the order screen does, the other with its main window open. For each of 100 orders the
// time from the writer's commit to the moment the order stands in the other seat's list; and what the
// watching seat costs while nothing happens (processor time over ten idle seconds).
//
//   zelkova-bench [--home DIR] live [--server ADDRESS]
//
// Without a reachable server only the file is measured.
#include "Bench.h"

#include "app/AppPaths.h"
#include "app/Clock.h"
#include "app/Globals.h"
#include "db/ChangeFeed.h"
#include "db/MduAdoDB.h"
#include "db/ServerAddress.h"
#include "db/ServerSchema.h"
#include "db/modDBQuery.h"
#include "order/OrderService.h"
#include "order/gui/FrmMain.h"
#include "order/gui/FrmMainColumns.h"
#include "support/SeatCommands.h"
#include "ui/Prompter.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/SpreadGrid.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDialog>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <set>

namespace {

constexpr int kChanges = 100;

void say(const QString& line)
{
    std::printf("%s\n", qUtf8Printable(line));
    std::fflush(stdout);
}

QString now()
{
    return QString::number(QDateTime::currentMSecsSinceEpoch());
}

// Processor time of a process so far, in clock ticks (user + system).
qint64 cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = stat.readAll().split(')').value(1).trimmed().split(' ');
    // After the command: state is field 3, utime 14 and stime 15 of the whole line.
    return fields.value(11).toLongLong() + fields.value(12).toLongLong();
}

// A seat process, spoken to one line at a time.
struct SeatProcess
{
    QProcess process;
    QStringList heard;

    bool start(const QStringList& args)
    {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QCoreApplication::applicationFilePath(),
                      QStringList{QStringLiteral("--live-seat")} + args);
        if (!process.waitForStarted(30000))
            return false;
        return !waitFor(QStringLiteral("READY"), 600000).isEmpty();
    }
    // The first line heard from now on that starts with `prefix`; "" after `ms`.
    QString waitFor(const QString& prefix, int ms)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms && process.state() == QProcess::Running) {
            while (process.canReadLine()) {
                const QString line = QString::fromUtf8(process.readLine()).trimmed();
                if (line.startsWith(prefix))
                    return line;
                heard << line;
            }
            process.waitForReadyRead(50);
        }
        return QString();
    }
    void send(const QString& line) { process.write((line + QLatin1Char('\n')).toUtf8()); }
    void stop()
    {
        send(QStringLiteral("quit"));
        if (!process.waitForFinished(30000))
            process.kill();
    }
};

// The seat's own part: its database opened as the program opens it, then commands on standard input.
int seat(const QStringList& args)
{
    const QString role = args.value(0), home = args.value(1), location = args.value(2), today = args.value(3);
    QTemporaryDir settings;
    if (!BenchOpenHome(home, settings.path() + QStringLiteral("/settings")))
        return 3;
    ErrInfo e;
    if (location != gMainConn.path()) {
        gMainConn.close();
        if (!gMainConn.open(location, false, &e)) {
            std::fprintf(stderr, "%s\n", qUtf8Printable(e.description));
            return 3;
        }
    }
    HeadlessPrompter quiet;
    SetPrompter(&quiet);
    SetModalHandler([](QDialog*) { return int(QDialog::Rejected); });
    const QDate day = QDate::fromString(today, QStringLiteral("yyyy-MM-dd"));
    Clock::SetFixed(QDateTime(day, QTime(12, 0)));
    std::unique_ptr<FrmMain> w;
    std::set<QString> listed;
    int listedRows = -1;
    QTimer poll;
    QString customer, phone, store;
    qint64 menu = 0;
    if (role == QLatin1String("watch")) {
        gTerminalID = QStringLiteral("8");
        if (!MainChangeFeed().start())
            return 4;
        w = std::make_unique<FrmMain>();
        w->show();
        auto* list = w->findChild<SpreadGrid*>(QStringLiteral("spMList"));
        // The list is looked at every 2 ms; only a change of its length makes it read through.
        QObject::connect(&poll, &QTimer::timeout, [&, list] {
            if (list->MaxRows() == listedRows)
                return;
            const bool first = listedRows < 0;
            listedRows = list->MaxRows();
            for (int row = 1; row < list->MaxRows(); ++row) {
                const QString number = list->CellText(FrmMainCols::mOrderNo, row);
                if (listed.insert(number).second && !first)
                    say(QStringLiteral("SEEN ") + number + QLatin1Char(' ') + now());
            }
        });
    } else {
        gTerminalID = QStringLiteral("0"); // the generator numbers its orders on terminals 1 to 9
        Recordset rs;
        if (OpenQuery(rs, QStringLiteral(
                              "SELECT o.고객코드, o.주문시전화, o.가맹점코드, d.주문메뉴 FROM 주문 AS o "
                              "INNER JOIN 주문내역 AS d ON o.주문번호 = d.주문번호 WHERE o.주문일자 = ") +
                              SQLLiteral(today)) < 1)
            return 5;
        customer = rs.text(QStringLiteral("고객코드"));
        phone = rs.text(QStringLiteral("주문시전화"));
        store = rs.text(QStringLiteral("가맹점코드"));
        menu = rs.value(QStringLiteral("주문메뉴")).toLongLong();
        rs.close();
    }
    FollowSeatCommands(QCoreApplication::instance(), [&](const QString& command) {
        if (command == QLatin1String("watch")) {
            poll.start(2);
            say(QStringLiteral("WATCHING"));
        } else if (command == QLatin1String("order")) {
            QString number;
            const bool ok =
                OrderService::InsertOrder({customer, phone, store, day, QStringLiteral("12:00")}, gTerminalID,
                                          number)
                    .ok() &&
                OrderService::InsertLine(number, store, customer, {menu, 1, 12000, QString()}, gPointUnit)
                    .ok();
            say((ok ? QStringLiteral("SAVED ") : QStringLiteral("FAILED ")) + number + QLatin1Char(' ') +
                now());
        }
    });
    say(QStringLiteral("READY"));
    const int rc = QCoreApplication::exec();
    w.reset();
    EndMainChangeFeed();
    SetPrompter(nullptr);
    gMainConn.close();
    return rc;
}

// One engine: both seats started, the idle cost, then kChanges orders one after another.
void measure(const QString& engine, const QString& home, const QString& location, const QString& today,
             double goalMs)
{
    SeatProcess watcher, writer;
    if (!watcher.start({QStringLiteral("watch"), home, location, today}) ||
        !writer.start({QStringLiteral("write"), home, location, today})) {
        std::fprintf(stderr, "%s: a seat did not start\n", qUtf8Printable(engine));
        return;
    }
    QThread::msleep(1500); // the watcher's first look at the log is over; its list is not polled yet
    const qint64 before = cpuTicks(watcher.process.processId());
    QElapsedTimer idle;
    idle.start();
    QThread::sleep(10);
    const double idleCpu = 100.0 * double(cpuTicks(watcher.process.processId()) - before) /
                           double(sysconf(_SC_CLK_TCK)) / (double(idle.elapsed()) / 1000.0);
    std::printf("%-60s %6.2f %% of one core over 10 s    goal < 1 %%: %s\n",
                qUtf8Printable(QStringLiteral("%1: the watching seat at rest").arg(engine)), idleCpu,
                idleCpu < 1.0 ? "met" : "MISSED");
    watcher.send(QStringLiteral("watch"));
    watcher.waitFor(QStringLiteral("WATCHING"), 10000);
    std::vector<double> latencies;
    int failed = 0;
    for (int i = 0; i < kChanges; ++i) {
        writer.send(QStringLiteral("order"));
        const QStringList saved = writer.waitFor(QStringLiteral("SAVED"), 10000).split(QLatin1Char(' '));
        if (saved.size() < 3) {
            ++failed;
            continue;
        }
        for (QString seen = watcher.waitFor(QStringLiteral("SEEN"), 10000);;
             seen = watcher.waitFor("SEEN", 10000)) {
            if (seen.isEmpty()) {
                ++failed;
                break;
            }
            if (seen.section(QLatin1Char(' '), 1, 1) == saved.at(1)) {
                latencies.push_back(seen.section(QLatin1Char(' '), 2, 2).toDouble() - saved.at(2).toDouble());
                break;
            }
        }
        // At any moment of the other seat's round, as operators' writes come.
        QThread::msleep(QRandomGenerator::global()->bounded(1200));
    }
    BenchFigure(
        QStringLiteral("%1: order saved at one seat → in the other's main list").arg(engine), latencies, {},
        BenchGoal{0, goalMs, {}, true},
        QStringLiteral("%1 changes, %2 not seen within 10 s; worst is the max").arg(kChanges).arg(failed));
    writer.stop();
    watcher.stop();
}

} // namespace

int BenchLiveSeat(const QStringList& args)
{
    return seat(args);
}

ZK_BENCH("live: another seat's order in the main list")
{
    const QString home = ctx.home().isEmpty() ? BenchGeneratedHome(1000000, 200) : ctx.home();
    if (home.isEmpty())
        return;
    QString today;
    {
        QTemporaryDir settings;
        if (!BenchOpenHome(home, settings.path() + QStringLiteral("/settings")))
            return;
        today = NullToStr(GetFirstValue(QStringLiteral("SELECT MAX(주문일자) FROM 주문")));
        std::printf("%d orders on %s\n",
                    CountRows(QStringLiteral("주문"), QStringLiteral("주문일자 = ") + SQLLiteral(today)),
                    qUtf8Printable(today));
        gMainConn.close();
    }
    const QString mainFile = home + QStringLiteral("/DBS/dbMain.mdb");
    measure(QStringLiteral("file"), home, mainFile, today, 2000);

    const int at = int(ctx.args.indexOf(QStringLiteral("--server")));
    const QString address = at >= 0 && at + 1 < ctx.args.size()
                                ? ctx.args.at(at + 1)
                                : qEnvironmentVariable("ZELKOVA_BENCH_SERVER");
    ServerAddress admin;
    QString error;
    if (address.isEmpty() || !ServerAddress::Parse(address, &admin, &error)) {
        std::printf("server: not measured (no --server ADDRESS nor ZELKOVA_BENCH_SERVER) %s\n",
                    qUtf8Printable(error));
        return;
    }
    // ZK_BENCH_LIVE_DB names a copy kept from an earlier run (ZK_BENCH_KEEP_SERVER_DB) to measure again.
    const QString kept = qEnvironmentVariable("ZK_BENCH_LIVE_DB");
    const QString dbName =
        kept.isEmpty() ? QStringLiteral("zklive_%1").arg(QCoreApplication::applicationPid()) : kept;
    const QString target = admin.withDatabase(dbName);
    const bool keep = !kept.isEmpty() || !qEnvironmentVariableIsEmpty("ZK_BENCH_KEEP_SERVER_DB");
    if (!keep)
        BenchDropOnInterrupt(admin.connectionString(), dbName);
    if (kept.isEmpty()) {
        const double copyMs = BenchTimeMs([&] {
            if (!ServerSchema::CopyFromFile(mainFile, target, {}, &error))
                std::fprintf(stderr, "copy failed: %s\n", qUtf8Printable(error));
        });
        BenchReport(QStringLiteral("copy the main database to the server"), copyMs, -1, dbName);
    }
    if (kept.isEmpty()) {
        DbConnection conn;
        ErrInfo e;
        if (conn.open(target, false, &e))
            QSqlQuery(conn.database()).exec(QStringLiteral("VACUUM (ANALYZE)"));
    }
    if (error.isEmpty())
        measure(QStringLiteral("server"), home, target, today, 1000);
    if (keep) {
        std::printf("kept the server database %s\n", qUtf8Printable(dbName));
        return;
    }
    DbConnection adminConn;
    ErrInfo e;
    if (adminConn.open(address, false, &e))
        QSqlQuery(adminConn.database())
            .exec(QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(dbName));
    BenchForgetDropOnInterrupt();
}
