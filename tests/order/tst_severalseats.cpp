#include "MainFixture.h"
#include "accounts/PaymentService.h"
#include "order/OrderService.h"
#include "ui/Prompter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <csignal>
#include <cstdio>

// Several seats on one database (a file, or the server in the suite's server run), each a process of its own:
// nothing lost, nothing doubled, no message, every order saved within a second, nobody waits on another
// seat's operator, and a seat killed halfway leaves every running total whole.
class TestSeveralSeats : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void eightSeatsAddUp();
    void openMessageHoldsNoLock();
    void killedSeatLeavesTotalsWhole();

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
