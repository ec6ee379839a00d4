#include "db/ChangeFeed.h"
#include "db/DbConnection.h"
#include "support/DbFixture.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>

// The change feed on either engine: another connection's writes to every watched table reach this seat
// named by table and key, a seat at rest sends at most one statement a second, and whatever may have been
// missed (a pruned log, a lost listening connection) asks for everything again.
class TestLiveFeed : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_fx = std::make_unique<DbFixture>(); }
    void cleanup() { m_fx.reset(); }
    void otherSeatsWritesArrive();
    void ownWritesArrive();
    void restIsQuiet();
    void missedChangesAskForEverything();

private:
    std::unique_ptr<DbFixture> m_fx;
};

namespace {
using Change = ChangeFeed::Change;

// Waits for the next batch the feed sends (a file is looked at now; a server's notifications come by
// themselves) and returns every change seen so far.
QList<Change> nextBatch(ChangeFeed& feed, QSignalSpy& spy)
{
    feed.checkNow();
    if (spy.isEmpty())
        spy.wait(3000);
    QList<Change> out;
    for (const QList<QVariant>& args : spy)
        out += args.at(0).value<QList<Change>>();
    spy.clear();
    return out;
}

QString describe(const QList<Change>& changes)
{
    QStringList out;
    for (const Change& c : changes)
        out << c.table + QLatin1Char(':') + c.key;
    return out.join(u' ');
}
} // namespace

void TestLiveFeed::otherSeatsWritesArrive()
{
    DbConnection other;
    ErrInfo e;
    QVERIFY2(other.open(m_fx->mainFile, false, &e), qPrintable(e.description));
    ChangeFeed feed(gMainConn);
    QVERIFY(feed.start());
    QSignalSpy spy(&feed, &ChangeFeed::changed);

    // Each statement of the other seat, and the changes it must be announced by (table:key).
    const struct
    {
        const char* sql;
        const char* expected;
    } steps[] = {
        {"INSERT INTO 가맹점 (코드, 상호, 현잔액) VALUES ('T01', '가게', 0)", "가맹점:T01"},
        {"INSERT INTO 고객 (코드, 전화1, 현포인트) VALUES ('C01', '031-555-0101', 0)", "고객:C01"},
        {"INSERT INTO 취급메뉴 (메뉴명, 가맹점코드, 판매단가) VALUES ('짜장', 'T01', 5000)", "취급메뉴:T01"},
        {"INSERT INTO 가맹점휴일 (가맹점코드, 일자, 반복구분) VALUES ('T01', '2026-12-25', 0)",
         "가맹점휴일:T01"},
        {"INSERT INTO 주문 (주문번호, 고객코드, 가맹점코드, 주문일자, 주문시간) VALUES ('2612090001', "
         "'C01', 'T01', '2026-12-09', '12:00')",
         "주문:2612090001"},
        {"INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료) VALUES ('2612090001', 1, "
         "1, "
         "1, 5000, 5000, 500)",
         "주문내역:2612090001"},
        {"UPDATE 주문 SET 통보시간 = '12:05' WHERE 주문번호 = '2612090001'", "주문:2612090001"},
        {"INSERT INTO 입금 (가맹점코드, 입금일자, 입금액, 할인액) VALUES ('T01', '2026-12-09', 1000, 0)",
         "입금:1"},
        {"INSERT INTO 서비스 (고객코드, 서비스일, 차감포인트) VALUES ('C01', '2026-12-09', 10)", "서비스:1"},
        {"UPDATE 고객 SET 현포인트 = 5 WHERE 코드 = 'C01'", "고객:C01"},
        {"DELETE FROM 서비스", "서비스:1"},
        {"DELETE FROM 주문 WHERE 주문번호 = '2612090001'", "주문:2612090001 주문내역:2612090001"},
    };
    for (const auto& step : steps) {
        QVERIFY(other.exec(QString::fromUtf8(step.sql)).ok);
        const QString seen = describe(nextBatch(feed, spy));
        for (const QString& want : QString::fromUtf8(step.expected).split(u' '))
            QVERIFY2(seen.split(u' ').contains(want),
                     qPrintable(QString::fromUtf8(step.sql) + " -> " + seen));
    }
}

// This seat's own commits leave a file's data version alone, yet its other screens must hear of them.
void TestLiveFeed::ownWritesArrive()
{
    ChangeFeed feed(gMainConn);
    QVERIFY(feed.start());
    QSignalSpy spy(&feed, &ChangeFeed::changed);
    nextBatch(feed, spy);
    QVERIFY(gMainConn.exec(QStringLiteral("INSERT INTO 가맹점 (코드, 상호) VALUES ('T01', '가')")).ok);
    QVERIFY(describe(nextBatch(feed, spy)).split(u' ').contains(QStringLiteral("가맹점:T01")));
}

void TestLiveFeed::restIsQuiet()
{
    ChangeFeed feed(gMainConn);
    QVERIFY(feed.start());
    const int atStart = feed.statementsSent();
    QTest::qWait(3200);
    QVERIFY2(feed.statementsSent() - atStart <= 4,
             qPrintable(QString::number(feed.statementsSent() - atStart)));
}

void TestLiveFeed::missedChangesAskForEverything()
{
    DbConnection other;
    ErrInfo e;
    QVERIFY2(other.open(m_fx->mainFile, false, &e), qPrintable(e.description));
    ChangeFeed feed(gMainConn);
    QVERIFY(feed.start());
    QSignalSpy again(&feed, &ChangeFeed::resync);
    QSignalSpy spy(&feed, &ChangeFeed::changed);
    QVERIFY(other.exec(QStringLiteral("INSERT INTO 가맹점 (코드, 상호) VALUES ('T01', '가')")).ok);
    nextBatch(feed, spy);
    if (other.isServer()) {
        // The listening connection is cut off by the server, as a restart would.
        QSqlQuery cut(other.database());
        QVERIFY(cut.exec(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE query "
                                        "LIKE 'LISTEN%' AND pid <> pg_backend_pid()")));
    } else {
        // Rows this seat has not read are pruned, as a long absence would let them be.
        QVERIFY(other.exec(QStringLiteral("INSERT INTO 가맹점 (코드, 상호) VALUES ('T02', '나')")).ok);
        QVERIFY(other.exec(QStringLiteral("INSERT INTO 가맹점 (코드, 상호) VALUES ('T03', '다')")).ok);
        QSqlQuery prune(other.database());
        QVERIFY(prune.exec(QStringLiteral("DELETE FROM \"zk_변경\" WHERE \"키\" = 'T02'")));
    }
    QTRY_VERIFY_WITH_TIMEOUT((feed.checkNow(), !again.isEmpty()), 5000);
}

QTEST_GUILESS_MAIN(TestLiveFeed)
#include "tst_livefeed.moc"
