#include "ReceptionFixture.h"
#include "db/Recordset.h"
#include "reception/ReceptionService.h"

#include <QTest>

using namespace ReceptionService;

// Passing orders on and back as single conditional statements, and the reception list's filters.
class TestReceptionService : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_db = new ReceptionFixture; }
    void cleanup()
    {
        gMainConn.setFaultInjector({});
        delete m_db;
        m_db = nullptr;
    }
    void outcome_data();
    void outcome();
    void secondSeatLosesTheRace_data();
    void secondSeatLosesTheRace();
    void listFilter_data();
    void listFilter();

private:
    ReceptionFixture* m_db = nullptr;
};

void TestReceptionService::outcome_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("order");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("timeAfter");
    QTest::newRow("accept waiting") << true << "0612071001" << int(Status::Done) << "12:34";
    QTest::newRow("accept passed on") << true << "0612071002" << int(Status::AlreadyPassedOn) << "14:25";
    QTest::newRow("accept gone") << true << "0612079999" << int(Status::NotFound) << "(gone)";
    QTest::newRow("accept, quote in number") << true << "06'12" << int(Status::NotFound) << "(gone)";
    QTest::newRow("undo passed on") << false << "0612071002" << int(Status::Done) << "";
    QTest::newRow("undo waiting") << false << "0612071001" << int(Status::NotPassedOn) << "";
    QTest::newRow("undo gone") << false << "0612079999" << int(Status::NotFound) << "(gone)";
}

void TestReceptionService::outcome()
{
    QFETCH(bool, accept);
    QFETCH(QString, order);
    QFETCH(int, expected);
    QFETCH(QString, timeAfter);
    const Status got =
        (accept ? PassOn(gMainConn, order, QStringLiteral("12:34")) : Undo(gMainConn, order)).status;
    QCOMPARE(int(got), expected);
    QCOMPARE(ReceptionFixture::passedOnTime(order), timeAfter);
}

void TestReceptionService::secondSeatLosesTheRace_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("order");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("timeAfter");
    QTest::newRow("both accept") << true << "0612071001" << int(Status::AlreadyPassedOn) << "12:30";
    QTest::newRow("both undo") << false << "0612071002" << int(Status::NotPassedOn) << "";
}

// The other seat acts on the same order just before this seat's statement runs: whatever this seat saw
// before, its change must not go through.
void TestReceptionService::secondSeatLosesTheRace()
{
    QFETCH(bool, accept);
    QFETCH(QString, order);
    QFETCH(int, expected);
    QFETCH(QString, timeAfter);
    DbConnection otherSeat;
    ErrInfo e;
    QVERIFY(otherSeat.open(m_db->mainFile, false, &e));
    bool otherWent = false;
    gMainConn.setFaultInjector([&](const QString& sql) -> std::optional<ErrInfo> {
        if (!otherWent && sql.contains(QStringLiteral("UPDATE"))) {
            otherWent = true;
            const Status other =
                (accept ? PassOn(otherSeat, order, QStringLiteral("12:30")) : Undo(otherSeat, order)).status;
            if (other != Status::Done)
                qFatal("the other seat did not get through");
        }
        return std::nullopt;
    });
    const Status got =
        (accept ? PassOn(gMainConn, order, QStringLiteral("12:34")) : Undo(gMainConn, order)).status;
    QVERIFY(otherWent);
    QCOMPARE(int(got), expected);
    QCOMPARE(ReceptionFixture::passedOnTime(order), timeAfter);
}

void TestReceptionService::listFilter_data()
{
    QTest::addColumn<bool>("ownSeat");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QStringList>("orders");
    QTest::newRow("all, by store, time, number")
        << false << int(StateFilter::All) << ""
        << QStringList{"0612071002", "0612071001", "0612072001", "0612071003"};
    QTest::newRow("waiting") << false << int(StateFilter::Waiting) << ""
                             << QStringList{"0612071001", "0612072001"};
    QTest::newRow("passed on") << false << int(StateFilter::PassedOn) << ""
                               << QStringList{"0612071002", "0612071003"};
    QTest::newRow("own seat only") << true << int(StateFilter::Waiting) << "" << QStringList{"0612071001"};
    QTest::newRow("store prefix") << false << int(StateFilter::All) << "S"
                                  << QStringList{"0612071002", "0612071001", "0612072001"};
    QTest::newRow("prefix with a quote") << false << int(StateFilter::All) << "S'" << QStringList{};
    QTest::newRow("prefix is a wildcard") << false << int(StateFilter::All) << "_1" << QStringList{};
}

void TestReceptionService::listFilter()
{
    QFETCH(bool, ownSeat);
    QFETCH(int, state);
    QFETCH(QString, prefix);
    QFETCH(QStringList, orders);
    ListFilter filter;
    filter.date = QStringLiteral("2006-12-07");
    filter.ownSeatOnly = ownSeat;
    filter.terminalId = gTerminalID;
    filter.state = StateFilter(state);
    filter.storePrefix = prefix;
    Recordset rs;
    QCOMPARE(OpenQuery(rs, ListSql(filter)), int(orders.size()));
    QStringList listed;
    for (rs.MoveFirst(); !rs.EOF_(); rs.MoveNext())
        listed << rs.text(QStringLiteral("주문번호"));
    QCOMPARE(listed, orders);
}

QTEST_GUILESS_MAIN(TestReceptionService)
#include "tst_receptionservice.moc"
