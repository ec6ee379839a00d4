#include "MainFixture.h"
#include "accounts/PaymentService.h"
#include "accounts/PointService.h"
#include "db/ServerAddress.h"
#include "db/modMain_SQL.h"
#include "masters/CustomerService.h"
#include "masters/StoreService.h"
#include "order/OrderService.h"
#include "reception/ReceptionService.h"
#include "support/PgProxy.h"
#include "support/ScriptedPrompter.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <functional>

// A seat's server connection broken at chosen points of every kind of write: the write goes on once the
// connection is back, exactly once (a cut before the COMMIT runs it again, a lost answer to the COMMIT is
// found stored by its key), the operator is told once, and the log tells what happened. A server that stays
// away names the writes it cost, again once the seat is back.
class TestServerLoss : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void unitSurvivesACut_data();
    void unitSurvivesACut();
    void idleSeatReadsOn();
    void serverAwayIsNamed_data();
    void serverAwayIsNamed();

private:
    std::unique_ptr<MainFixture> m_db;
    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<PgProxy> m_proxy;
    QString m_address;
};

namespace {
const QDate kDay(2026, 12, 8);
const QString kOrder = QStringLiteral("2612081001");
qint64 g_paymentKey = 0;
qint64 g_serviceKey = 0;

QStringList g_log;
QtMessageHandler g_previousHandler = nullptr;

void captureLog(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (context.category && qstrcmp(context.category, "zelkova.connection") == 0)
        g_log << message;
    else if (g_previousHandler)
        g_previousHandler(type, context, message);
}

bool logHas(const QString& text)
{
    return std::any_of(g_log.begin(), g_log.end(), [&](const QString& l) { return l.contains(text); });
}

int count(const QString& sql)
{
    return GetFirstValue(sql).toInt();
}

// Every running total equals its opening plus what its rows booked: nothing was posted twice or lost.
void checkTotals()
{
    QCOMPARE(
        count(
            "SELECT COUNT(*) FROM 가맹점 m WHERE m.현잔액 - m.기초잔액 <> (SELECT COALESCE(SUM(d.수수료), "
            "0) FROM 주문 o INNER JOIN 주문내역 d ON o.주문번호 = d.주문번호 WHERE o.가맹점코드 = m.코드) - "
            "(SELECT COALESCE(SUM(p.입금액 + p.할인액), 0) FROM 입금 p WHERE p.가맹점코드 = m.코드)"),
        0);
    QCOMPARE(
        count(
            "SELECT COUNT(*) FROM 고객 c WHERE c.현포인트 - c.기초포인트 <> (SELECT COALESCE(SUM(d.포인트), "
            "0) FROM 주문 o INNER JOIN 주문내역 d ON o.주문번호 = d.주문번호 WHERE o.고객코드 = c.코드) - "
            "(SELECT COALESCE(SUM(s.차감포인트), 0) FROM 서비스 s WHERE s.고객코드 = c.코드)"),
        0);
}

// One kind of write: the statements its connection is cut at, the write itself and what it leaves.
struct Unit
{
    const char* name;
    const char* midStatement; // a statement inside the unit before its end ("" when it has none)
    const char* endStatement; // its COMMIT, or the statement that is the unit
    std::function<bool()> run;
    std::function<bool()> done;
};

const QList<Unit>& units()
{
    static const QList<Unit> list = {
        {"new order", "INSERT", "COMMIT",
         [] {
             QString n;
             return OrderService::InsertOrder({"10000002", "02-9999-0000", "1002", kDay, "13:00"}, "1", n)
                        .ok() &&
                    n == "2612081002";
         },
         [] { return count("SELECT COUNT(*) FROM 주문 WHERE 고객코드 = '10000002'") == 1; }},
        {"order's customer", "UPDATE 고객", "COMMIT",
         [] {
             return OrderService::UpdateOrder(kOrder, OrderService::HeaderField::Phone,
                                              {"10000002", "02-9999-0000", "1001", kDay, "12:00"})
                 .ok();
         },
         [] { return count("SELECT COUNT(*) FROM 주문 WHERE 고객코드 = '10000002'") == 1; }},
        {"new line", "UPDATE 가맹점", "COMMIT",
         [] {
             const auto r = OrderService::InsertLine(kOrder, "1001", "10000001", {2, 1, 10000, "x"}, 100);
             return r.ok() && r.lineNo == 2 && r.points == 100;
         },
         [] { return count("SELECT COUNT(*) FROM 주문내역") == 2; }},
        {"line's quantity", "UPDATE 가맹점", "COMMIT",
         [] {
             const auto r = OrderService::UpdateLine(kOrder, 1, OrderService::LineField::Quantity, "1001",
                                                     "10000001", {1, 3, 6175, ""}, 100);
             return r.ok() && r.points == 185;
         },
         [] { return count("SELECT COUNT(*) FROM 주문내역 WHERE 수량 = 3") == 1; }},
        {"line deleted", "UPDATE 가맹점", "COMMIT",
         [] { return OrderService::DeleteLine(kOrder, 1).status == OrderService::DeleteStatus::Deleted; },
         [] { return count("SELECT COUNT(*) FROM 주문내역") == 0; }},
        {"order deleted", "DELETE FROM 주문 ", "COMMIT", [] { return DeleteOrder(kOrder); },
         [] { return count("SELECT COUNT(*) FROM 주문") == 0; }},
        {"new payment", "UPDATE 가맹점", "COMMIT",
         [] {
             qint64 key = 0;
             return PaymentService::InsertPayment({"1001", "2026-12-08", 3000, 500, "m"}, key).ok() &&
                    key > g_paymentKey;
         },
         [] { return count("SELECT COUNT(*) FROM 입금") == 2; }},
        {"payment moved", "UPDATE 입금", "COMMIT",
         [] {
             return PaymentService::UpdatePayment(g_paymentKey, {"1002", "2026-12-08", 4000, 0, ""}).ok();
         },
         [] { return count("SELECT COUNT(*) FROM 입금 WHERE 가맹점코드 = '1002'") == 1; }},
        {"payment deleted", "UPDATE 가맹점", "COMMIT",
         [] { return PaymentService::DeletePayment(g_paymentKey).ok(); },
         [] { return count("SELECT COUNT(*) FROM 입금") == 0; }},
        {"new service", "INSERT", "COMMIT",
         [] { return PointService::GrantService("10000001", 50, kDay).ok(); },
         [] { return count("SELECT COUNT(*) FROM 서비스") == 2; }},
        {"service cancelled", "UPDATE 고객", "COMMIT",
         [] {
             const auto r = PointService::CancelService(g_serviceKey);
             return r.ok() && r.points == 100 && r.customer == "10000001";
         },
         [] { return count("SELECT COUNT(*) FROM 서비스") == 0; }},
        {"passed on", "", "UPDATE 주문 SET 통보시간",
         [] { return ReceptionService::PassOn(gMainConn, kOrder, "13:05").ok(); },
         [] { return count("SELECT COUNT(*) FROM 주문 WHERE 통보시간 = '13:05'") == 1; }},
        {"new menu", "INSERT", "COMMIT",
         [] { return StoreService::InsertMenu("1001", "치즈볼", 3000, "").ok(); },
         [] { return count("SELECT COUNT(*) FROM 취급메뉴 WHERE 메뉴명 = '치즈볼'") == 1; }},
        {"new customer", "INSERT", "COMMIT",
         [] {
             CustomerRecord c;
             c.tel[0] = "02-7777-0000";
             c.basePoints = 50;
             return CustomerService::InsertCustomer(c, "1").ok() && c.code == "10000003";
         },
         [] { return count("SELECT COUNT(*) FROM 고객 WHERE 전화1 = '02-7777-0000'") == 1; }},
        {"store changed", "UPDATE 가맹점", "COMMIT",
         [] {
             StoreRecord s = *StoreRecord::Load("1002");
             s.memo = "cut";
             s.baseBalance += 1000;
             return StoreService::UpdateStore(s).ok();
         },
         [] { return count("SELECT COUNT(*) FROM 가맹점 WHERE 메모 = 'cut' AND 현잔액 = 기초잔액") == 1; }},
        {"new holiday", "INSERT", "COMMIT",
         [] { return StoreService::InsertHoliday("1002", "7", 1, "").ok(); },
         [] { return count("SELECT COUNT(*) FROM 가맹점휴일") == 1; }},
    };
    return list;
}
} // namespace

void TestServerLoss::initTestCase()
{
    if (!TestDatabase::OnServer())
        QSKIP("a server's connection (the file run has none to lose)");
    m_db = std::make_unique<MainFixture>();
    m_address = gMainConn.path();
}

void TestServerLoss::init()
{
    // One database for every case, brought back to the fixture's state: a new one each time costs more
    // than the cases themselves.
    gMainConn.close();
    ErrInfo e;
    QVERIFY(gMainConn.open(m_address, false, &e));
    for (const char* sql :
         {"DELETE FROM 서비스", "DELETE FROM 입금", "DELETE FROM 주문내역", "DELETE FROM 주문",
          "DELETE FROM 취급메뉴 WHERE 메뉴명 = '치즈볼'", "DELETE FROM 가맹점휴일",
          "DELETE FROM 고객 WHERE 전화1 = '02-7777-0000'", "UPDATE 가맹점 SET 메모 = ''",
          "UPDATE 가맹점 SET 현잔액 = 기초잔액", "UPDATE 고객 SET 현포인트 = 기초포인트"})
        QVERIFY(ExecSQL(sql) >= 0);
    // An order with a line, a payment and a service to change and delete.
    QString number;
    QVERIFY(OrderService::InsertOrder({"10000001", "02-1234-5678", "1001", kDay, "12:00"}, "1", number).ok());
    QCOMPARE(number, kOrder);
    QVERIFY(OrderService::InsertLine(kOrder, "1001", "10000001", {1, 2, 6175, ""}, 100).ok());
    QVERIFY(PaymentService::InsertPayment({"1001", "2026-12-08", 5000, 0, ""}, g_paymentKey).ok());
    QVERIFY(PointService::GrantService("10000001", 100, kDay).ok());
    g_serviceKey = GetFirstValue("SELECT MAX(처리순번) FROM 서비스").toLongLong();

    // The same database again, through a socket that breaks the connection where the test says.
    ServerAddress a;
    QVERIFY(ServerAddress::Parse(gMainConn.path(), &a, nullptr));
    m_tmp = std::make_unique<QTemporaryDir>();
    m_proxy = std::make_unique<PgProxy>(a.host() + QStringLiteral("/.s.PGSQL.%1").arg(a.port()),
                                        m_tmp->path() + "/proxy", 6001);
    gMainConn.close();
    QVERIFY2(gMainConn.open(m_proxy->address(a.databaseName(), a.user()), false, &e),
             qPrintable(e.description));
    g_log.clear();
    g_previousHandler = qInstallMessageHandler(captureLog);
}

void TestServerLoss::cleanup()
{
    qInstallMessageHandler(g_previousHandler);
    gMainConn.setRestoreWindow(DbConnection::kDefaultRestoreWindowMs);
    gMainConn.close();
    m_proxy.reset();
}

void TestServerLoss::cleanupTestCase()
{
    m_db.reset();
}

void TestServerLoss::unitSurvivesACut_data()
{
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<int>("how");
    QTest::addColumn<QString>("logged"); // what the log tells of the unit after the cut
    for (int i = 0; i < units().size(); ++i) {
        const Unit& u = units().at(i);
        if (*u.midStatement)
            QTest::addRow("%s, cut inside", u.name)
                << i << QString(u.midStatement) << int(PgProxy::Cut::BeforeStatement)
                << "끊긴 작업을 다시 합니다";
        QTest::addRow("%s, cut at its end", u.name)
            << i << QString(u.endStatement) << int(PgProxy::Cut::BeforeStatement)
            << "저장되지 않아 다시 합니다";
        QTest::addRow("%s, answer to its end lost", u.name)
            << i << QString(u.endStatement) << int(PgProxy::Cut::AfterAnswer) << "저장되어 있습니다";
    }
}

void TestServerLoss::unitSurvivesACut()
{
    QFETCH(int, unit);
    QFETCH(QString, statement);
    QFETCH(int, how);
    QFETCH(QString, logged);
    const Unit& u = units().at(unit);
    ScriptedPrompter prompter;
    m_proxy->cutAt(PgProxy::Cut(how), statement.toUtf8());
    QVERIFY2(u.run(), qPrintable(g_log.join('\n')));
    QCOMPARE(m_proxy->cutsDone(), 1);
    QVERIFY(u.done());
    checkTotals();
    // One notice, no box: the operator learns that the connection is being restored, and nothing failed.
    QCOMPARE(prompter.count(), 1);
    QVERIFY(prompter.shown().at(0).isNotice);
    QVERIFY2(prompter.lastText().contains("연결이 끊어져 다시 연결하고 있습니다"),
             qPrintable(prompter.lastText()));
    QVERIFY2(logHas("서버와의 연결이 끊어졌습니다") && logHas("다시 연결했습니다") && logHas(logged),
             qPrintable(g_log.join('\n')));
}

void TestServerLoss::idleSeatReadsOn()
{
    ScriptedPrompter prompter;
    // The server ends every session while the seat waits for the next call (a restart).
    m_proxy->dropAll();
    Recordset rs;
    QCOMPARE(OpenQuery(rs, "SELECT 주문번호 FROM 주문"), 1);
    QCOMPARE(rs.text("주문번호"), kOrder);
    QCOMPARE(prompter.count(), 1);
    QVERIFY(prompter.shown().at(0).isNotice);
    QVERIFY(logHas("서버와의 연결이 끊어졌습니다") && logHas("다시 연결했습니다"));
    // Once back, no further notice.
    QCOMPARE(count("SELECT COUNT(*) FROM 주문내역"), 1);
    QCOMPARE(prompter.count(), 1);
}

void TestServerLoss::serverAwayIsNamed_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<int>("how");
    QTest::addColumn<QString>("whenAway");
    QTest::addColumn<QString>("whenBack");
    QTest::addColumn<int>("lines");
    QTest::newRow("not saved") << "UPDATE 가맹점" << int(PgProxy::Cut::BeforeStatement)
                               << "다음 자료를 저장하지 못했습니다"
                               << "저장되지 않은 자료입니다" << 1;
    QTest::newRow("saved, answer lost")
        << "COMMIT" << int(PgProxy::Cut::AfterAnswer) << "저장되었는지 확인하지 못했습니다"
        << "저장된 것으로 확인된 자료입니다" << 2;
}

void TestServerLoss::serverAwayIsNamed()
{
    QFETCH(QString, statement);
    QFETCH(int, how);
    QFETCH(QString, whenAway);
    QFETCH(QString, whenBack);
    QFETCH(int, lines);
    ScriptedPrompter prompter;
    gMainConn.setRestoreWindow(300);
    m_proxy->cutAt(PgProxy::Cut(how), statement.toUtf8());
    m_proxy->setRefusing(true);
    const auto r = OrderService::InsertLine(kOrder, "1001", "10000001", {2, 1, 10000, ""}, 100);
    QCOMPARE(r.status, OrderService::Status::Reported);
    // The notice, then the line the seat could not save, named.
    QCOMPARE(prompter.count(), 2);
    QVERIFY2(prompter.lastText().contains(whenAway) &&
                 prompter.lastText().contains("주문 2612081001의 2번 내역"),
             qPrintable(prompter.lastText()));
    // While the server stays away, a read fails with the Korean cause, no statement shown.
    prompter.clear();
    Recordset rs;
    QCOMPARE(OpenQuery(rs, "SELECT 주문번호 FROM 주문"), -1);
    QCOMPARE(prompter.count(), 1);
    QVERIFY2(prompter.lastText().startsWith("데이터베이스 서버에 다시 연결하지 못했습니다"),
             qPrintable(prompter.lastText()));
    // Back: the next statement reconnects and names the line again, with what became of it.
    m_proxy->setRefusing(false);
    prompter.clear();
    QCOMPARE(count("SELECT COUNT(*) FROM 주문내역"), lines);
    QCOMPARE(prompter.count(), 1);
    QVERIFY2(prompter.lastText().contains(whenBack) &&
                 prompter.lastText().contains("주문 2612081001의 2번 내역"),
             qPrintable(prompter.lastText()));
    checkTotals();
}

QTEST_GUILESS_MAIN(TestServerLoss)

#include "tst_serverloss.moc"
