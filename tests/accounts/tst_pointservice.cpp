#include "accounts/PointService.h"
#include "accounts/gui/FrmSvce_admin.h"
#include "app/Clock.h"
#include "db/DbConnection.h"
#include "db/DbError.h"
#include "db/modDBQuery.h"
#include "support/Controls.h"
#include "support/DbFixture.h"
#include "support/OtherSeats.h"
#include "support/ScriptedPrompter.h"
#include "support/TestRows.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/SpreadGridModel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTableView>
#include <QTest>

#include <cstdio>

namespace {
const QDate kDay(2026, 12, 9);
const QColor kTicked(0xE0, 0xFF, 0xE0);

using Rows::exec;

void addCustomer(const QString& code, const QString& phone, int points)
{
    Rows::addCustomer(code, phone, points, QStringLiteral("서울특별시 중구"));
}

int pointsOf(const QString& code)
{
    return int(Rows::points(code));
}

// Current points are the opening points plus what the order lines earned minus what services deducted,
// and never below zero.
void checkPointTotals()
{
    QCOMPARE(
        GetFirstValue(
            "SELECT COUNT(*) FROM 고객 c WHERE c.현포인트 <> c.기초포인트 + (SELECT COALESCE(SUM(d.포인트), "
            "0) FROM 주문 o INNER JOIN 주문내역 d ON o.주문번호 = d.주문번호 WHERE o.고객코드 = c.코드) - "
            "(SELECT COALESCE(SUM(s.차감포인트), 0) FROM 서비스 s WHERE s.고객코드 = c.코드)")
            .toInt(),
        0);
    QCOMPARE(GetFirstValue("SELECT COUNT(*) FROM 고객 WHERE 현포인트 < 0").toInt(), 0);
}

// The messages, input boxes excluded, in the order shown.
QStringList messages(const ScriptedPrompter& p)
{
    QStringList texts;
    for (const ScriptedPrompter::Shown& s : p.shown())
        if (!s.isInput)
            texts << s.request.text;
    return texts;
}

QPoint cellCentre(SpreadGrid* grid, int col, int row)
{
    return grid->view()->visualRect(grid->model()->index(row - 1, col - 1)).center();
}

QPoint rowHeaderCentre(SpreadGrid* grid, int row)
{
    QHeaderView* h = grid->view()->verticalHeader();
    return QPoint(h->width() / 2, h->sectionViewportPosition(row - 1) + h->sectionSize(row - 1) / 2);
}

// Runs one step of a ticking script: c<col><row> click, d<col><row> double-click, s<col><row> Space,
// e<col><row> Enter, b<row><row> a block drawn over the row headers, a the top-left corner.
void tickStep(FrmSvce_admin& w, const QString& step)
{
    SpreadGrid* grid = Ctl<SpreadGrid>(&w, "spCust");
    QWidget* cells = grid->view()->viewport();
    const int a = step.size() > 1 ? step.mid(1, 1).toInt() : 0;
    const int b = step.size() > 2 ? step.mid(2, 1).toInt() : 0;
    switch (step.at(0).toLatin1()) {
    case 'c':
        QTest::mouseClick(cells, Qt::LeftButton, {}, cellCentre(grid, a, b));
        break;
    case 'd':
        QTest::mouseDClick(cells, Qt::LeftButton, {}, cellCentre(grid, a, b));
        break;
    case 's':
    case 'e':
        grid->SetActiveCell(a, b);
        grid->setFocus();
        QTest::keyClick(grid->view(), step.at(0) == 's' ? Qt::Key_Space : Qt::Key_Return);
        break;
    case 'b': {
        QWidget* headers = grid->view()->verticalHeader()->viewport();
        QTest::mousePress(headers, Qt::LeftButton, {}, rowHeaderCentre(grid, a));
        QTest::mouseMove(headers, rowHeaderCentre(grid, b));
        QTest::mouseRelease(headers, Qt::LeftButton, {}, rowHeaderCentre(grid, b));
        break;
    }
    case 'a':
        grid->view()->findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly)->click();
        break;
    default:
        QFAIL("unknown step");
    }
}
} // namespace

// Point services: the grant with its deduction and the cancel with its give-back, each whole, from the
// service screen and from two seats at once.
class TestPointService : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void serviceWrites_data();
    void serviceWrites();
    void opening();
    void ticking_data();
    void ticking();
    void grantRun_data();
    void grantRun();
    void cancel_data();
    void cancel();
    void twoSeatsGrantAtOnce();
    void othersChangesFollow();

private:
    DbFixture* m_db = nullptr;
};

void TestPointService::init()
{
    m_db = new DbFixture;
    Clock::SetFixed(QDateTime(kDay, QTime(12, 0)));
}

void TestPointService::cleanup()
{
    gMainConn.setFaultInjector({});
    Clock::SetFixed(QDateTime());
    delete m_db;
    m_db = nullptr;
}

void TestPointService::serviceWrites_data()
{
    QTest::addColumn<bool>("grant");
    QTest::addColumn<QString>("customer");
    QTest::addColumn<int>("points"); // grant: points; cancel: 0 = the stored service, else a missing key
    QTest::addColumn<QString>("failing");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("pointsAfter");
    QTest::addColumn<int>("servicesAfter");
    using S = PointService::Status;
    // The customer holds 120 after one earlier service of 30.
    QTest::newRow("grant") << true << "10000001" << 50 << "" << int(S::Done) << 70 << 2;
    QTest::newRow("grant every point") << true << "10000001" << 120 << "" << int(S::Done) << 0 << 2;
    QTest::newRow("grant one too many")
        << true << "10000001" << 121 << "" << int(S::TooFewPoints) << 120 << 1;
    QTest::newRow("grant to nobody") << true << "99999999" << 10 << "" << int(S::NotFound) << 120 << 1;
    QTest::newRow("grant zero") << true << "10000001" << 0 << "" << int(S::NoPoints) << 120 << 1;
    QTest::newRow("grant negative") << true << "10000001" << -50 << "" << int(S::NoPoints) << 120 << 1;
    QTest::newRow("grant, insert fails")
        << true << "10000001" << 50 << "INSERT INTO 서비스" << int(S::Failed) << 120 << 1;
    QTest::newRow("cancel") << false << "" << 0 << "" << int(S::Done) << 150 << 0;
    QTest::newRow("cancel gone") << false << "" << 1 << "" << int(S::NotFound) << 120 << 1;
    QTest::newRow("cancel, give-back fails")
        << false << "" << 0 << "UPDATE 고객" << int(S::Failed) << 120 << 1;
}

void TestPointService::serviceWrites()
{
    QFETCH(bool, grant);
    QFETCH(QString, customer);
    QFETCH(int, points);
    QFETCH(QString, failing);
    QFETCH(int, status);
    QFETCH(int, pointsAfter);
    QFETCH(int, servicesAfter);
    exec("INSERT INTO 고객 (코드, 전화1, 현포인트, 기초포인트) VALUES ('10000001', '02-111-1111', 120, 150)");
    exec("INSERT INTO 서비스 (고객코드, 서비스일, 차감포인트, 메모) VALUES ('10000001', '2026-12-01', 30, "
         "'')");
    const qint64 key = GetFirstValue("SELECT MAX(처리순번) FROM 서비스").toLongLong();
    if (!failing.isEmpty())
        gMainConn.setFaultInjector([failing](const QString& sql) -> std::optional<ErrInfo> {
            if (sql.contains(failing))
                return ErrInfo{DbErr::kSyntax, QStringLiteral("injected")};
            return std::nullopt;
        });
    const PointService::Result r = grant ? PointService::GrantService(customer, points, kDay)
                                         : PointService::CancelService(points == 0 ? key : key + 1000);
    gMainConn.setFaultInjector({});
    QCOMPARE(int(r.status), status);
    QCOMPARE(gMainConn.transactionDepth(), 0);
    QCOMPARE(pointsOf("10000001"), pointsAfter);
    QCOMPARE(CountRows("서비스"), servicesAfter);
    if (r.ok() && grant)
        QCOMPARE(CountRows("서비스", "서비스일 = '2026-12-09' AND 차감포인트 = " + QString::number(points)),
                 1);
    if (r.ok() && !grant)
        QCOMPARE(r.points, 30);
    checkPointTotals();
}

void TestPointService::opening()
{
    // Exactly the threshold is enough; equal points list by telephone.
    addCustomer("10000001", "02-222-2222", 100);
    addCustomer("10000002", "02-111-1111", 100);
    addCustomer("10000003", "02-000-0000", 99);
    addCustomer("10000004", "02-333-3333", 250);
    addCustomer("10000005", "02-444-4444", 12345);
    QVERIFY(PointService::GrantService("10000005", 1500, kDay).ok());
    ScriptedPrompter prompter;
    FrmSvce_admin w;
    QCOMPARE(Ctl<QLineEdit>(&w, "htPt")->text(), QString("100"));
    // Points are whole numbers without separators.
    QCOMPARE(Ctl<SpreadGrid>(&w, "spCust")->FormattedText(FrmSvce_admin::CustPoints, 1), QString("10845"));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spSvce")->FormattedText(FrmSvce_admin::SvcePoints, 1), QString("1500"));
    QCOMPARE(GetFirstValue("SELECT 설정값 FROM 환경설정 WHERE 구분 = '서비스대상점수'").toString(),
             QString("100"));
    QStringList phones;
    for (int r = 1; r <= Ctl<SpreadGrid>(&w, "spCust")->MaxRows(); ++r)
        phones << Ctl<SpreadGrid>(&w, "spCust")->CellText(FrmSvce_admin::CustPhone, r);
    QCOMPARE(phones, QStringList({"02-444-4444", "02-333-3333", "02-111-1111", "02-222-2222"}));
    QCOMPARE(Ctl<QDateEdit>(&w, "hdTermFrom")->date(), kDay);
    // A threshold with letters lists nothing new and says why; nobody reaching it is told as well.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    Ctl<QLineEdit>(&w, "htPt")->setText("1OO");
    QTest::keyClick(Ctl<QLineEdit>(&w, "htPt"), Qt::Key_Return);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spCust")->MaxRows(), 4);
    Ctl<QLineEdit>(&w, "htPt")->setText("100,000");
    QTest::keyClick(Ctl<QLineEdit>(&w, "htPt"), Qt::Key_Return);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spCust")->MaxRows(), 0);
    QCOMPARE(messages(prompter).size(), 2);
    QVERIFY(messages(prompter).at(0).startsWith("[서비스 대상 점수]에는"));
    QCOMPARE(messages(prompter).at(1), QString("100,000점 이상의 고객은 없습니다."));
}

void TestPointService::ticking_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("ticks");
    QTest::newRow("click the check box") << "c32"
                                         << "010";
    QTest::newRow("click it again") << "c32 c32"
                                    << "000";
    QTest::newRow("space on the check box") << "s32"
                                            << "010";
    QTest::newRow("space on the telephone") << "s12"
                                            << "010";
    QTest::newRow("enter") << "e13"
                           << "001";
    QTest::newRow("double-click") << "d11"
                                  << "100";
    QTest::newRow("double-click on the check box") << "d31"
                                                   << "100";
    QTest::newRow("block over three rows") << "b13"
                                           << "111";
    QTest::newRow("block flips each row") << "s22 b31"
                                          << "101";
    QTest::newRow("whole sheet") << "e12 a"
                                 << "111";
    QTest::newRow("whole sheet after row 1") << "c31 a"
                                             << "000";
    QTest::newRow("every way in turn") << "c31 s12 e13 d11 s33"
                                       << "010";
}

void TestPointService::ticking()
{
    QFETCH(QString, steps);
    QFETCH(QString, ticks);
    addCustomer("10000001", "02-111-1111", 300);
    addCustomer("10000002", "02-222-2222", 200);
    addCustomer("10000003", "02-333-3333", 100);
    ScriptedPrompter prompter;
    FrmSvce_admin w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spCust")->MaxRows(), 3);
    for (const QString& step : steps.split(' '))
        tickStep(w, step);
    // Whatever way a tick changed, the counter and every row's colour tell it.
    for (int r = 1; r <= 3; ++r) {
        const bool on = ticks.at(r - 1) == '1';
        QCOMPARE(w.IsTicked(r), on);
        for (int c = 1; c <= FrmSvce_admin::CustColCount; ++c)
            QCOMPARE(Ctl<SpreadGrid>(&w, "spCust")->CellBackColor(c, r) == kTicked, on);
    }
    QCOMPARE(Ctl<QLabel>(&w, "lblCountRec")->text(), QString::number(ticks.count('1')));
    QCOMPARE(prompter.count(), 0);
}

void TestPointService::grantRun_data()
{
    QTest::addColumn<QString>("ticks");
    QTest::addColumn<QString>("answer"); // "-" cancels the input box
    QTest::addColumn<int>("spentMeanwhile");
    QTest::addColumn<QList<int>>("points");
    QTest::addColumn<QString>("message");
    const QString tooFew = "행 위치의 %1 고객의 포인트가 차감할 포인트보다 작습니다.";
    const QString done = "서비스 처리가 완료되었습니다.";
    const QString refused =
        "[차감할 포인트]에는 1에서 99,999,999 사이의 숫자만 입력할 수 있습니다.\r\n예) 50 "
        "또는 1,500";
    QTest::newRow("stops at row 3") << "123"
                                    << "50" << 0 << QList<int>{70, 30, 40} << "3" + tooFew.arg("02-333-3333");
    QTest::newRow("every ticked row") << "13"
                                      << "40" << 0 << QList<int>{80, 80, 0} << done;
    QTest::newRow("thousands separator")
        << "1"
        << "1,000" << 0 << QList<int>{120, 80, 40} << "1" + tooFew.arg("02-111-1111");
    // The answer's numeric value as a whole number: 0 stops without a word.
    QTest::newRow("zero") << "123"
                          << "0" << 0 << QList<int>{120, 80, 40} << "";
    QTest::newRow("empty") << "123"
                           << "" << 0 << QList<int>{120, 80, 40} << "";
    QTest::newRow("cancelled") << "123"
                               << "-" << 0 << QList<int>{120, 80, 40} << "";
    QTest::newRow("letters") << "123"
                             << "abc" << 0 << QList<int>{120, 80, 40} << "";
    QTest::newRow("fraction counts whole") << "12"
                                           << "50.5" << 0 << QList<int>{70, 30, 40} << done;
    QTest::newRow("negative") << "123"
                              << "-50" << 0 << QList<int>{120, 80, 40} << refused;
    QTest::newRow("above the limit") << "123"
                                     << "100000000" << 0 << QList<int>{120, 80, 40} << refused;
    QTest::newRow("nobody ticked") << ""
                                   << "" << 0 << QList<int>{120, 80, 40}
                                   << "서비스 처리할 자료를 선택하지 않았습니다.\r\n좌측고객목록에서 대상을 "
                                      "선택하세요.(모서리클릭: 전체선택)";
    // Another seat spent row 1's points after the list was shown: the stored points decide.
    QTest::newRow("spent by another seat")
        << "12"
        << "50" << 100 << QList<int>{20, 80, 40} << "1" + tooFew.arg("02-111-1111");
}

void TestPointService::grantRun()
{
    QFETCH(QString, ticks);
    QFETCH(QString, answer);
    QFETCH(int, spentMeanwhile);
    QFETCH(QList<int>, points);
    QFETCH(QString, message);
    addCustomer("10000001", "02-111-1111", 120);
    addCustomer("10000002", "02-222-2222", 80);
    addCustomer("10000003", "02-333-3333", 40);
    ScriptedPrompter prompter;
    FrmSvce_admin w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    Ctl<QLineEdit>(&w, "htPt")->setText("40");
    QTest::keyClick(Ctl<QLineEdit>(&w, "htPt"), Qt::Key_Return);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spCust")->MaxRows(), 3);
    for (QChar row : ticks)
        w.FlipTick(row.digitValue());
    if (spentMeanwhile > 0) {
        DbConnection other;
        ErrInfo e;
        QVERIFY(other.open(m_db->mainFile, false, &e));
        const QString grant = QString::number(spentMeanwhile);
        QCOMPARE(other.exec("UPDATE 고객 SET 현포인트 = 현포인트 - " + grant + " WHERE 코드 = '10000001'")
                     .rowsAffected,
                 1);
        QCOMPARE(other
                     .exec("INSERT INTO 서비스 (고객코드, 서비스일, 차감포인트, 메모) VALUES ('10000001', "
                           "'2026-12-09', " +
                           grant + ", '')")
                     .rowsAffected,
                 1);
        other.close();
    }
    if (answer == "-")
        prompter.cancelInput();
    else
        prompter.answerInput(answer);
    QTest::keyClick(&w, Qt::Key_F2);
    QCOMPARE(messages(prompter), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(QList<int>({pointsOf("10000001"), pointsOf("10000002"), pointsOf("10000003")}), points);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spSvce")->MaxRows(), CountRows("서비스"));
    checkPointTotals();
}

void TestPointService::cancel_data()
{
    QTest::addColumn<bool>("goneMeanwhile");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("cancel") << false << QStringList{"자료를 삭제하였습니다."};
    QTest::newRow("cancelled by another seat")
        << true
        << QStringList{"선택된 자료를 삭제 할 수 없습니다.\r\n\r\n이미 삭제되었거나, 삭제할 수 없는 경우가 "
                       "발생했습니다."};
}

void TestPointService::cancel()
{
    QFETCH(bool, goneMeanwhile);
    QFETCH(QStringList, messages);
    addCustomer("10000001", "02-111-1111", 120);
    QVERIFY(PointService::GrantService("10000001", 50, kDay).ok());
    ScriptedPrompter prompter;
    FrmSvce_admin w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spSvce")->MaxRows(), 1);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spCust")->MaxRows(), 0); // 70 is below the threshold of 100
    prompter.clear();
    if (goneMeanwhile)
        QVERIFY(PointService::CancelService(
                    Ctl<SpreadGrid>(&w, "spSvce")->CellText(FrmSvce_admin::SvceKey, 1).toLongLong())
                    .ok());
    prompter.answer(MsgAnswer::Yes);
    Ctl<SpreadGrid>(&w, "spSvce")->setFocus();
    QTest::keyClick(&w, Qt::Key_F4);
    QCOMPARE(::messages(prompter).mid(1), messages);
    // The 50 come back once, whoever cancelled; the customer is listed again at 120.
    QCOMPARE(pointsOf("10000001"), 120);
    QCOMPARE(CountRows("서비스"), 0);
    if (!goneMeanwhile) {
        QCOMPARE(Ctl<SpreadGrid>(&w, "spSvce")->MaxRows(), 0);
        QCOMPARE(Ctl<SpreadGrid>(&w, "spCust")->MaxRows(), 1);
    }
    checkPointTotals();
}

void TestPointService::twoSeatsGrantAtOnce()
{
    // 150 points, two seats each granting 10 points twenty times as fast as they can: 15 services in all.
    addCustomer("10000001", "02-111-1111", 150);
    const QString file = gMainConn.path();
    gMainConn.close();
    QList<QProcess*> seats;
    for (int i = 0; i < 2; ++i) {
        auto* p = new QProcess(this);
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QCoreApplication::applicationFilePath(), {"--grant", file});
        seats << p;
    }
    int granted = 0;
    for (QProcess* p : seats) {
        QVERIFY(p->waitForFinished(120000));
        QCOMPARE(p->exitCode(), 0);
        granted += p->readAllStandardOutput().trimmed().toInt();
    }
    ErrInfo e;
    QVERIFY(gMainConn.open(file, false, &e));
    QCOMPARE(granted, 15);
    QCOMPARE(CountRows("서비스"), 15);
    QCOMPARE(pointsOf("10000001"), 0);
    checkPointTotals();
}

namespace {
// One seat of twoSeatsGrantAtOnce: prints how many of its services went through.
int runSeat(const QString& file)
{
    ErrInfo e;
    if (!gMainConn.open(file, false, &e))
        return 3;
    int granted = 0;
    for (int i = 0; i < 20; ++i) {
        const PointService::Result r = PointService::GrantService("10000001", 10, kDay);
        if (r.ok())
            ++granted;
        else if (r.status != PointService::Status::TooFewPoints)
            return 4;
    }
    gMainConn.close();
    std::printf("%d\n", granted);
    return 0;
}
} // namespace

void TestPointService::othersChangesFollow()
{
    addCustomer("10000001", "02-111-1111", 500);
    addCustomer("10000002", "02-222-2222", 300);
    addCustomer("10000003", "02-333-3333", 90);
    QVERIFY(PointService::GrantService("10000002", 10, kDay).ok());
    ScriptedPrompter prompter;
    FrmSvce_admin w;
    auto* customers = Ctl<SpreadGrid>(&w, "spCust");
    auto* services = Ctl<SpreadGrid>(&w, "spSvce");
    w.FlipTick(1);
    customers->SetActiveCell(FrmSvce_admin::CustPhone, 1);
    DbConnection other;
    ErrInfo e;
    QVERIFY2(other.open(gMainConn.path(), false, &e), qPrintable(e.description));
    QVERIFY(MainChangeFeed().start());
    // One customer reaches the threshold, one falls below it, a service is granted elsewhere.
    QVERIFY(other.exec(QStringLiteral("UPDATE 고객 SET 현포인트 = 150 WHERE 코드 = '10000003'")).ok);
    QVERIFY(other.exec(QStringLiteral("UPDATE 고객 SET 현포인트 = 50 WHERE 코드 = '10000002'")).ok);
    // The service shown changes together with its customer: named twice, it is still one row.
    QVERIFY(other.exec(QStringLiteral("UPDATE 서비스 SET 차감포인트 = 15 WHERE 고객코드 = '10000002'")).ok);
    QVERIFY(other
                .exec(QStringLiteral("INSERT INTO 서비스 (고객코드, 서비스일, 차감포인트, 메모) VALUES "
                                     "('10000001', '2026-12-09', 20, '')"))
                .ok);
    HearOtherSeats(other.isServer());
    QStringList listed;
    for (int r = 1; r <= customers->MaxRows(); ++r)
        listed << customers->CellText(FrmSvce_admin::CustCode, r);
    QCOMPARE(listed, QStringList({"10000001", "10000003"}));
    QVERIFY(w.IsTicked(1));
    QVERIFY(!w.IsTicked(2));
    QCOMPARE(Ctl<QLabel>(&w, "lblCountRec")->text(), QStringLiteral("1"));
    QCOMPARE(customers->ActiveRow(), 1);
    QCOMPARE(services->MaxRows(), 2);
    QCOMPARE(services->CellText(FrmSvce_admin::SvceCustomer, 2), QStringLiteral("10000001"));
    QCOMPARE(services->CellText(FrmSvce_admin::SvcePoints, 1), QStringLiteral("15"));
    EndMainChangeFeed();
}

int main(int argc, char* argv[])
{
    if (argc == 3 && QByteArray(argv[1]) == "--grant") {
        QCoreApplication app(argc, argv);
        return runSeat(QString::fromLocal8Bit(argv[2]));
    }
    QApplication app(argc, argv);
    TestPointService t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_pointservice.moc"
