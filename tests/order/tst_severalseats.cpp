#include "MainFixture.h"
#include "accounts/PaymentService.h"
#include "db/ServerSchema.h"
#include "order/OrderService.h"
#include "ui/Prompter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <map>
#include <set>

#include <csignal>
#include <cstdio>

// Several seats on one database (a file, or the server in the suite's server run), each a process of its own:
// nothing lost, nothing doubled, no message, every order saved within a second, nobody waits on another
// seat's operator, and a seat killed halfway leaves every running total whole. On a server of their own, seats
// writing all the time go on through a restart of the server and a standby's promotion.
class TestSeveralSeats : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void eightSeatsAddUp();
    void openMessageHoldsNoLock();
    void killedSeatLeavesTotalsWhole();
    void seatsGoOnThroughRestartAndFailover();

private:
    QProcess* seat(const QStringList& args);
    static void checkTotals();
    std::unique_ptr<MainFixture> m_db;
    QString m_file;
};

namespace {
const QDate kDay(2026, 12, 8);

bool openFile(const QString& file)
{
    ErrInfo e;
    return gMainConn.open(file, false, &e);
}

// One order with `lines` lines for customer 10000001 at store 1001, as the order screen saves it.
bool saveOrder(const QString& terminal, int lines, int salt)
{
    const OrderService::Header header{"10000001", "02-1234-5678", "1001", kDay, "12:00"};
    QString number;
    if (!OrderService::InsertOrder(header, terminal, number).ok())
        return false;
    for (int i = 0; i < lines; ++i) {
        const OrderService::Line line{1, 1 + (salt + i) % 3, 1000 + 175 * ((salt + i) % 7), QString()};
        if (!OrderService::InsertLine(number, "1001", "10000001", line, 100).ok())
            return false;
    }
    return true;
}

// Counts the messages a seat would have shown: a seat saving orders should show none.
class CountingPrompter : public HeadlessPrompter
{
public:
    MsgAnswer message(const MsgRequest& request) override
    {
        ++shown;
        return HeadlessPrompter::message(request);
    }
    int shown = 0;
};

// Counts what a seat would have shown: boxes and notices apart.
class NoticeCounter : public HeadlessPrompter
{
public:
    MsgAnswer message(const MsgRequest& request) override
    {
        ++messages;
        std::fprintf(stderr, "BOX %s\n", qUtf8Printable(request.text));
        return HeadlessPrompter::message(request);
    }
    void floatNotice(const QString&) override { ++notices; }
    int messages = 0;
    int notices = 0;
};

// A message box the operator leaves open for a while.
class SlowOperator : public HeadlessPrompter
{
public:
    MsgAnswer message(const MsgRequest& request) override
    {
        std::printf("BOX\n");
        std::fflush(stdout);
        QThread::msleep(3000);
        return request.defaultAnswer;
    }
};

int runSeat(const QStringList& args)
{
    const QString mode = args.at(1);
    if (!openFile(args.at(2)))
        return 3;
    if (mode == QLatin1String("--orders")) {
        CountingPrompter counting;
        SetPrompter(&counting);
        qint64 slowest = 0;
        for (int i = 0; i < args.at(4).toInt(); ++i) {
            QElapsedTimer t;
            t.start();
            if (!saveOrder(args.at(3), 2, i))
                return 4;
            slowest = qMax(slowest, t.elapsed());
            // A payment on the same store at the same moment as the other seats' orders.
            qint64 key = 0;
            if (!PaymentService::InsertPayment({"1001", "2026-12-08", 1000 + i, i % 3, QString()}, key).ok())
                return 7;
        }
        SetPrompter(nullptr);
        if (counting.shown > 0)
            return 6;
        std::printf("%lld\n", static_cast<long long>(slowest));
    } else if (mode == QLatin1String("--until-killed")) {
        for (int i = 0;; ++i) {
            if (!saveOrder(args.at(3), 3, i))
                return 4;
        }
    } else if (mode == QLatin1String("--hold")) {
        // A line for a customer who is gone: the posting fails and its warning waits for the rollback.
        SlowOperator slow;
        SetPrompter(&slow);
        OrderService::InsertLine("2612081001", "1001", "nobody", {1, 1, 1000, QString()}, 100);
        SetPrompter(nullptr);
    } else if (mode == QLatin1String("--write")) {
        // Orders of two lines and a payment, one after another, until the stop file appears; every write
        // reported saved goes to the output with the time it came back.
        NoticeCounter counter;
        SetPrompter(&counter);
        const QString terminal = args.at(3);
        const QString stop = args.at(4);
        auto report = [](const QString& what) {
            std::printf("%s %lld\n", qUtf8Printable(what), static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
            std::fflush(stdout);
        };
        for (int i = 0; i < 900 && !QFile::exists(stop); ++i) {
            QString number;
            if (!OrderService::InsertOrder({"10000001", "02-1234-5678", "1001", kDay, "12:00"}, terminal, number)
                     .ok()) {
                report(QStringLiteral("FAIL order"));
                continue;
            }
            report(QStringLiteral("O ") + number);
            for (int l = 0; l < 2; ++l) {
                const auto r = OrderService::InsertLine(number, "1001", "10000001",
                                                        {1, 1 + (i + l) % 3, 1000 + 175 * ((i + l) % 7), QString()}, 100);
                report(r.ok() ? QStringLiteral("L %1 %2").arg(number).arg(r.lineNo) : QStringLiteral("FAIL line"));
            }
            qint64 key = 0;
            report(PaymentService::InsertPayment({"1001", "2026-12-08", 1000 + i, i % 3, QString()}, key).ok()
                       ? QStringLiteral("P %1").arg(key)
                       : QStringLiteral("FAIL payment"));
            QThread::msleep(30);
        }
        SetPrompter(nullptr);
        std::printf("END %d %d\n", counter.notices, counter.messages);
    } else if (mode == QLatin1String("--post")) {
        qint64 slowest = 0;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer t;
            t.start();
            DbTransaction tx(gMainConn);
            if (!tx.active() ||
                !gMainConn.exec(QStringLiteral("UPDATE 가맹점 SET 현잔액 = 현잔액 + 1 WHERE 코드 = '1002'"))
                     .ok ||
                !tx.commit())
                return 5;
            slowest = qMax(slowest, t.elapsed());
        }
        std::printf("%lld\n", static_cast<long long>(slowest));
    }
    gMainConn.close();
    return 0;
}
} // namespace

void TestSeveralSeats::init()
{
    m_db = std::make_unique<MainFixture>();
    MainFixture::addOrder("2612081001", "10000001", "1001", "11:00");
    m_file = gMainConn.path();
    gMainConn.close();
}

void TestSeveralSeats::cleanup()
{
    gMainConn.close();
    m_db.reset();
}

QProcess* TestSeveralSeats::seat(const QStringList& args)
{
    auto* p = new QProcess(this);
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start(QCoreApplication::applicationFilePath(), QStringList{args.at(0), m_file} + args.mid(1));
    return p;
}

void TestSeveralSeats::checkTotals()
{
    // Every running total equals its opening plus the charges stored on its lines; no line lost its order.
    QCOMPARE(
        GetFirstValue(
            "SELECT COUNT(*) FROM 가맹점 m WHERE m.현잔액 - m.기초잔액 <> (SELECT COALESCE(SUM(d.수수료), "
            "0) FROM 주문 o INNER JOIN 주문내역 d ON o.주문번호 = d.주문번호 WHERE o.가맹점코드 = m.코드) - "
            "(SELECT COALESCE(SUM(p.입금액 + p.할인액), 0) FROM 입금 p WHERE p.가맹점코드 = m.코드)")
            .toInt(),
        0);
    QCOMPARE(
        GetFirstValue(
            "SELECT COUNT(*) FROM 고객 c WHERE c.현포인트 - c.기초포인트 <> (SELECT COALESCE(SUM(d.포인트), "
            "0) FROM 주문 o INNER JOIN 주문내역 d ON o.주문번호 = d.주문번호 WHERE o.고객코드 = c.코드)")
            .toInt(),
        0);
    QCOMPARE(GetFirstValue(
                 "SELECT COUNT(*) FROM 주문내역 d WHERE NOT EXISTS (SELECT 1 FROM 주문 o WHERE o.주문번호 = "
                 "d.주문번호)")
                 .toInt(),
             0);
}

void TestSeveralSeats::eightSeatsAddUp()
{
    // Every seat starts on terminal number 0 until someone sets it: four seats share each number here.
    constexpr int kOrders = 20;
    QList<QProcess*> seats;
    for (int i = 0; i < 8; ++i)
        seats << seat({"--orders", QString::number(i % 2), QString::number(kOrders)});
    for (QProcess* p : seats) {
        QVERIFY(p->waitForFinished(120000));
        QCOMPARE(p->exitStatus(), QProcess::NormalExit);
        QCOMPARE(p->exitCode(), 0);
        // A server takes the seats' writes side by side; a file takes them one at a time.
        const int slowest = p->readAllStandardOutput().trimmed().toInt();
        QVERIFY2(slowest < 1000 || !TestDatabase::OnServer(),
                 qPrintable(QStringLiteral("slowest order %1 ms").arg(slowest)));
    }
    QVERIFY(openFile(m_file));
    QCOMPARE(CountRows("주문"), 1 + 8 * kOrders);
    QCOMPARE(CountRows("주문", "주문번호 LIKE '2612080%'"), 4 * kOrders);
    QCOMPARE(CountRows("주문내역"), 8 * kOrders * 2);
    QCOMPARE(CountRows("입금"), 8 * kOrders);
    checkTotals();
}

void TestSeveralSeats::openMessageHoldsNoLock()
{
    QProcess* holder = seat({"--hold"});
    QVERIFY(holder->waitForReadyRead(30000));
    QCOMPARE(holder->readLine().trimmed(), QByteArray("BOX"));
    // While that operator reads the message, another seat's postings go through at once.
    QProcess* poster = seat({"--post"});
    QVERIFY(poster->waitForFinished(30000));
    QCOMPARE(poster->exitCode(), 0);
    const int slowest = poster->readAllStandardOutput().trimmed().toInt();
    QVERIFY2(slowest < 1000, qPrintable(QStringLiteral("slowest posting %1 ms").arg(slowest)));
    QVERIFY(holder->waitForFinished(30000));
}

void TestSeveralSeats::killedSeatLeavesTotalsWhole()
{
    for (int round = 0; round < 5; ++round) {
        QProcess* p = seat({"--until-killed", QString::number(3 + round)});
        QVERIFY(p->waitForStarted());
        QThread::msleep(150 + QRandomGenerator::global()->bounded(450));
        ::kill(pid_t(p->processId()), SIGKILL);
        QVERIFY(p->waitForFinished(30000));
        QCOMPARE(p->exitStatus(), QProcess::CrashExit);
    }
    QVERIFY(openFile(m_file));
    QVERIFY(CountRows("주문") > 1);
    checkTotals();
}

namespace {
// One step of the seats' own cluster (scripts/pg-cluster.sh); its address on success.
QString cluster(const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral("bash"), QStringList{QStringLiteral(ZELKOVA_PG_CLUSTER)} + args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    const QString out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    return out.isEmpty() ? QStringLiteral("ok") : out;
}

// What a writing seat reported: each write with the time it came back.
struct SeatReport
{
    QByteArray pending;
    QStringList orders;
    QStringList lines; // "number line"
    QStringList payments;
    QList<qint64> times;
    QStringList failures;
    int notices = -1;
    int messages = -1;

    void read(QProcess* p)
    {
        pending += p->readAllStandardOutput();
        qsizetype nl;
        while ((nl = pending.indexOf('\n')) >= 0) {
            const QStringList f = QString::fromUtf8(pending.left(nl)).split(QLatin1Char(' '));
            pending.remove(0, nl + 1);
            if (f.at(0) == QLatin1String("END")) {
                notices = f.value(1).toInt();
                messages = f.value(2).toInt();
                continue;
            }
            if (f.at(0) == QLatin1String("FAIL")) {
                failures << f.value(1);
                continue;
            }
            times << f.last().toLongLong();
            if (f.at(0) == QLatin1String("O"))
                orders << f.at(1);
            else if (f.at(0) == QLatin1String("L"))
                lines << f.at(1) + QLatin1Char(' ') + f.at(2);
            else if (f.at(0) == QLatin1String("P"))
                payments << f.at(1);
        }
    }
    // Writes that came back after `since`, and how long after it the first did.
    int writesAfter(qint64 since, qint64* first = nullptr) const
    {
        int n = 0;
        for (qint64 t : times) {
            if (t > since) {
                if (n++ == 0 && first)
                    *first = t - since;
            }
        }
        return n;
    }
};
} // namespace

void TestSeveralSeats::seatsGoOnThroughRestartAndFailover()
{
    if (!TestDatabase::OnServer())
        QSKIP("a server's restart and failover (the file run has no server)");
    // A primary and a standby of their own (pg_basebackup -R): the suite's cluster keeps serving the others.
    QTemporaryDir dir;
    // Run as root, the servers run as another user, who needs a way into the folder.
    QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther | QFile::ExeGroup);
    const QString primary = dir.path() + "/p";
    const QString standby = dir.path() + "/s";
    QVERIFY(!cluster({"start", primary, "5451"}).isEmpty());
    const QString db = QStringLiteral("zk_seats");
    const QString primaryAddress = QStringLiteral("postgresql:///%1?host=%2/socket&port=5451&user=zelkova").arg(db, primary);
    QString error;
    QVERIFY2(ServerSchema::CreateDatabase(primaryAddress, &error), qPrintable(error));
    {
        DbConnection seed;
        QVERIFY(seed.open(primaryAddress, false, nullptr));
        for (const char* sql :
             {"INSERT INTO 가맹점 (코드, 상호, 수수료율, 현잔액, 기초잔액, 영업시작, 영업종료) VALUES ('1001', "
              "'느티골치킨', 3.5, 0, 0, '00:00', '00:00')",
              "INSERT INTO 취급메뉴 (메뉴명, 가맹점코드, 판매단가) VALUES ('후라이드', '1001', 6175)",
              "INSERT INTO 고객 (코드, 전화1, 주소1, 현포인트, 기초포인트) VALUES ('10000001', '02-1234-5678', "
              "'서울', 500, 500)"})
            QVERIFY(seed.exec(sql).ok);
    }
    QVERIFY(!cluster({"standby", standby, primary, "5452"}).isEmpty());
    const QString address = QStringLiteral("postgresql:///%1?host=%2/socket,%3/socket&port=5451,5452&user=zelkova"
                                           "&target_session_attrs=read-write")
                                .arg(db, primary, standby);
    const QString stop = dir.path() + "/stop";
    constexpr int kSeats = 4;
    QList<QProcess*> seats;
    std::vector<SeatReport> reports(kSeats);
    for (int i = 0; i < kSeats; ++i) {
        auto* p = new QProcess(this);
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QCoreApplication::applicationFilePath(),
                 {"--write", address, QString::number(i + 1), stop});
        seats << p;
    }
    // Every seat has written `n` times since `since`.
    auto waitForWrites = [&](qint64 since, int n) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 60000) {
            bool all = true;
            for (int i = 0; i < kSeats; ++i) {
                seats[i]->waitForReadyRead(20);
                reports[i].read(seats[i]);
                all = all && reports[i].writesAfter(since) >= n;
            }
            if (all)
                return true;
        }
        return false;
    };
    QVERIFY(waitForWrites(0, 8));

    QVERIFY(!cluster({"restart", primary}).isEmpty());
    const qint64 back = QDateTime::currentMSecsSinceEpoch();
    QVERIFY2(waitForWrites(back, 8), "the seats did not write again after the restart");

    // The primary stops as an administrator stops it: with its standby streaming (again, after the restart),
    // which receives every commit before the primary goes.
    {
        DbConnection admin;
        QVERIFY(admin.open(primaryAddress, false, nullptr));
        QElapsedTimer t;
        t.start();
        while (GetFirstValue(admin, "SELECT COUNT(*) FROM pg_stat_replication WHERE state = 'streaming'").toInt() == 0)
            QVERIFY2(t.elapsed() < 30000, "the standby does not stream");
    }
    QVERIFY(!cluster({"stop", primary}).isEmpty());
    QVERIFY(!cluster({"promote", standby}).isEmpty());
    const qint64 promoted = QDateTime::currentMSecsSinceEpoch();
    QVERIFY2(waitForWrites(promoted, 8), "the seats did not write again after the standby's promotion");

    QFile(stop).open(QIODevice::WriteOnly);
    qint64 slowestRestart = 0, slowestFailover = 0, fastestRestart = 1 << 30, fastestFailover = 1 << 30;
    for (int i = 0; i < kSeats; ++i) {
        QVERIFY(seats[i]->waitForFinished(60000));
        reports[i].read(seats[i]);
        QCOMPARE(seats[i]->exitCode(), 0);
        QVERIFY2(reports[i].failures.isEmpty(), qPrintable(reports[i].failures.join(' ')));
        // Told once about each loss, never shown a box.
        QCOMPARE(reports[i].messages, 0);
        QCOMPARE(reports[i].notices, 2);
        qint64 first = 0;
        reports[i].writesAfter(back, &first);
        slowestRestart = qMax(slowestRestart, first);
        fastestRestart = qMin(fastestRestart, first);
        reports[i].writesAfter(promoted, &first);
        slowestFailover = qMax(slowestFailover, first);
        fastestFailover = qMin(fastestFailover, first);
    }
    int afterRestart = 0, afterFailover = 0;
    for (const SeatReport& r : reports) {
        afterRestart += r.writesAfter(back) - r.writesAfter(promoted);
        afterFailover += r.writesAfter(promoted);
    }
    std::printf("%d seats: first write after the server's return %lld to %lld ms, %d writes until the failover; "
                "first write after the promotion %lld to %lld ms, %d writes after it\n",
                kSeats, static_cast<long long>(fastestRestart), static_cast<long long>(slowestRestart), afterRestart,
                static_cast<long long>(fastestFailover), static_cast<long long>(slowestFailover), afterFailover);
    QVERIFY2(slowestFailover < 10000, "a seat took 10 s or more to write on the promoted standby");

    // On the new primary: every write reported saved is there, nothing else, nothing twice, totals exact.
    QVERIFY(openFile(address));
    std::set<QString> orders, lines, payments;
    for (const SeatReport& r : reports) {
        orders.insert(r.orders.begin(), r.orders.end());
        lines.insert(r.lines.begin(), r.lines.end());
        payments.insert(r.payments.begin(), r.payments.end());
    }
    QCOMPARE(CountRows("주문"), int(orders.size()));
    QCOMPARE(CountRows("주문내역"), int(lines.size()));
    QCOMPARE(CountRows("입금"), int(payments.size()));
    QStringList stored;
    QVERIFY(gMainConn.queryTexts("SELECT 주문번호 & ' ' & 순번 FROM 주문내역", stored, nullptr));
    QCOMPARE(std::set<QString>(stored.begin(), stored.end()), lines);
    stored.clear();
    QVERIFY(gMainConn.queryTexts("SELECT 처리순번 FROM 입금", stored, nullptr));
    QCOMPARE(std::set<QString>(stored.begin(), stored.end()), payments);
    checkTotals();
    gMainConn.close();
    cluster({"stop", standby});
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 3 && args.at(1).startsWith(QLatin1String("--")) && args.at(1) != QLatin1String("--"))
        return runSeat(args);
    TestSeveralSeats t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_severalseats.moc"
