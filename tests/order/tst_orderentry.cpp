#include "MainFixture.h"
#include "MainScreenDriver.h"
#include "db/DbError.h"
#include "db/modMain_SQL.h"
#include "order/gui/FrmMain.h"
#include "support/Controls.h"
#include "support/ScriptedPrompter.h"
#include "support/TestRows.h"
#include "ui/gui/RecordScreens.h"
#include "ui/gui/ScreenCatalogue.h"
#include "ui/gui/SpreadGrid.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>

namespace {
QString rec(std::initializer_list<QString> fields)
{
    return QStringList(fields).join(QChar(0));
}

using Rows::balance;

using Rows::points;
} // namespace

// Typing orders into the main screen: numbering, charges, postings and the availability questions.
class TestOrderEntry : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void newOrderNeedsNumberAndStore();
    void numberingPerTerminalAndDay();
    void numberSpaceExhausted();
    void chargesFollowLineChanges();
    void deleteReversesStoredCharges();
    void passedOnOrderRefused();
    void changedNumberRewritesOrMovesPoints();
    void failedPostingLeavesNothing();
    void availability_data();
    void availability();
    void holidayAskedBeforeHours();
};

void TestOrderEntry::initTestCase()
{
    for (const char* name : {"FrmCust_sel", "FrmMemb_sel", "FrmMenu_sel"})
        ScreenCatalogue::RegisterPicker(QString::fromLatin1(name),
                                        [] { return std::make_unique<ScriptedPicker>(); });
}

void TestOrderEntry::newOrderNeedsNumberAndStore()
{
    MainFixture f;
    ScriptedPrompter p;
    FrmMain w;
    ScriptedPicker::next = rec({"10000001", "02-1234-5678"});
    TypeCell(w, Ctl<SpreadGrid>(&w, "spMList"), 2, 1, "5678");
    QCOMPARE(ScriptedPicker::lastSearch, QStringLiteral("5678"));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->CellText(1, 1), QStringLiteral("10000001"));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->CellText(2, 1), QStringLiteral("02-1234-5678"));
    QCOMPARE(CountRows("주문"), 0); // the store is still to come
    // Store chosen: the order is saved and the menu picker offers its lines (three menus at once).
    ScriptedPicker::next = rec({"1001", "느티골치킨"});
    Ctl<SpreadGrid>(&w, "spMList")->SetActiveCell(3, 1);
    w.spMList_EditMode(3, 1, 1, false);
    Ctl<SpreadGrid>(&w, "spMList")->SetText(3, 1, "1001");
    // Store picker answers first; the menu picker second.
    ScreenCatalogue::RegisterPicker("FrmMenu_sel", [] {
        auto picker = std::make_unique<ScriptedPicker>();
        ScriptedPicker::next =
            QString(QChar(0)) + rec({"1", "후라이드", "2", "2", "양념", "1", "1", "후라이드", "1"});
        return picker;
    });
    w.spMList_EditMode(3, 1, 0, true);
    ScreenCatalogue::RegisterPicker("FrmMenu_sel", [] { return std::make_unique<ScriptedPicker>(); });
    QCOMPARE(CountRows("주문"), 1);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->CellText(5, 1), QStringLiteral("2612081001"));
    QCOMPARE(GetFirstValue("SELECT 통보시간 FROM 주문").toString(), QString());
    QCOMPARE(GetFirstValue("SELECT 주문시간 FROM 주문").toString(), QStringLiteral("12:30"));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->MaxRows(), 2);
    QCOMPARE(CountRows("주문내역", "주문번호 = '2612081001'"), 3);
    // 2 × 6,175 = 12,350 at 3.5 %: 432 commission, 124 points; 1 × 10,000: 350 and 100; 1 × 6,175: 216, 62.
    QCOMPARE(balance("1001"), 998.0);
    QCOMPARE(points("10000001"), qint64(500 + 286));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spDList")->MaxRows(), 4);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spDList")->CellText(9, 3), QStringLiteral("3"));
    QCOMPARE(Ctl<QLabel>(&w, "pnlCustPoint")->text(), QStringLiteral("786 "));
    QCOMPARE(Ctl<QLabel>(&w, "pnlMembBaln")->text(), QStringLiteral("998 "));
    // The totals row counts every line at once, without a refresh.
    QCOMPARE(Ctl<SpreadGrid>(&w, "spTotal")->CellText(3, 1).toDouble(), 4.0);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spTotal")->CellText(5, 1).toDouble(), 28525.0);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spTotal")->CellText(6, 1).toDouble(), 286.0);
}

void TestOrderEntry::numberingPerTerminalAndDay()
{
    MainFixture f;
    ScriptedPrompter p;
    FrmMain w;
    auto take = [&](const QString& terminal) {
        gTerminalID = terminal;
        const int row = Ctl<SpreadGrid>(&w, "spMList")->MaxRows();
        Ctl<SpreadGrid>(&w, "spMList")->SetText(1, row, "10000002");
        Ctl<SpreadGrid>(&w, "spMList")->SetText(2, row, "02-9999-0000");
        Ctl<SpreadGrid>(&w, "spMList")->SetText(3, row, "1001");
        QString number;
        return w.SaveMst(number, 3, row, EditorMode::Add) ? number : QString();
    };
    QCOMPARE(take("3"), QStringLiteral("2612083001"));
    QCOMPARE(take("3"), QStringLiteral("2612083002"));
    QCOMPARE(take("5"), QStringLiteral("2612085001"));
    Clock::SetFixed(QDateTime(QDate(2026, 12, 9), QTime(9, 0)));
    QCOMPARE(take("3"), QStringLiteral("2612093001"));
    QCOMPARE(p.count(), 0);
}

void TestOrderEntry::numberSpaceExhausted()
{
    MainFixture f;
    MainFixture::addOrder("2612081999", "10000001", "1001", "11:00");
    ScriptedPrompter p;
    FrmMain w;
    const int row = Ctl<SpreadGrid>(&w, "spMList")->MaxRows();
    Ctl<SpreadGrid>(&w, "spMList")->SetText(1, row, "10000002");
    Ctl<SpreadGrid>(&w, "spMList")->SetText(2, row, "02-9999-0000");
    Ctl<SpreadGrid>(&w, "spMList")->SetText(3, row, "1001");
    QString number;
    QVERIFY(!w.SaveMst(number, 3, row, EditorMode::Add));
    QCOMPARE(p.lastText(), QStringLiteral("해당 순번이 최대값을 넘어 자동으로 값을 구할 수가 없습니다."));
    QCOMPARE(CountRows("주문"), 1);
}

void TestOrderEntry::chargesFollowLineChanges()
{
    MainFixture f;
    MainFixture::exec("UPDATE 가맹점 SET 수수료율 = 10 WHERE 코드 = '1001'");
    MainFixture::addOrder("2612081001", "10000001", "1001", "11:00");
    ScriptedPrompter p;
    FrmMain w;
    Ctl<SpreadGrid>(&w, "spMList")->SetActiveCell(2, 1);
    w.LoadLines("2612081001");
    QCOMPARE(Ctl<SpreadGrid>(&w, "spDList")->MaxRows(), 1);
    int line = 0;
    const int row = 1;
    Ctl<SpreadGrid>(&w, "spDList")->SetText(1, row, "2");
    Ctl<SpreadGrid>(&w, "spDList")->SetText(2, row, "양념");
    Ctl<SpreadGrid>(&w, "spDList")->SetValue(3, row, 1);
    Ctl<SpreadGrid>(&w, "spDList")->SetValue(4, row, 10000);
    QVERIFY(w.SaveDtl("1001", "2612081001", line, 1, row, EditorMode::Add, "10000001"));
    QCOMPARE(line, 1);
    QCOMPARE(balance("1001"), 1000.0);
    QCOMPARE(points("10000001"), qint64(600));
    w.LoadLines("2612081001");
    // Quantity 1 → 3: +2,000 balance, +200 points; back to 1: −2,000 and −200.
    p.answer(MsgAnswer::Yes);
    TypeCell(w, Ctl<SpreadGrid>(&w, "spDList"), 3, 1, "3");
    QCOMPARE(balance("1001"), 3000.0);
    QCOMPARE(points("10000001"), qint64(800));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spDList")->CellText(6, 1).toInt(), 300);
    p.answer(MsgAnswer::Yes);
    TypeCell(w, Ctl<SpreadGrid>(&w, "spDList"), 3, 1, "1");
    QCOMPARE(balance("1001"), 1000.0);
    QCOMPARE(points("10000001"), qint64(600));
    // A memo change posts nothing; quotes survive.
    p.answer(MsgAnswer::Yes);
    TypeCell(w, Ctl<SpreadGrid>(&w, "spDList"), 7, 1, "덜 맵게 'please'");
    QCOMPARE(balance("1001"), 1000.0);
    QCOMPARE(GetFirstValue("SELECT 메모 FROM 주문내역").toString(), QStringLiteral("덜 맵게 'please'"));
    // A zero-amount line books nothing.
    Ctl<SpreadGrid>(&w, "spDList")->SetText(1, 2, "1");
    Ctl<SpreadGrid>(&w, "spDList")->SetText(2, 2, "서비스");
    Ctl<SpreadGrid>(&w, "spDList")->SetValue(3, 2, 1);
    Ctl<SpreadGrid>(&w, "spDList")->SetValue(4, 2, 0);
    QVERIFY(w.SaveDtl("1001", "2612081001", line, 1, 2, EditorMode::Add, "10000001"));
    QCOMPARE(line, 2);
    QCOMPARE(balance("1001"), 1000.0);
    QCOMPARE(points("10000001"), qint64(600));
    QCOMPARE(p.unexpected(), 0);
}

void TestOrderEntry::deleteReversesStoredCharges()
{
    MainFixture f;
    MainFixture::addOrder("2612081001", "10000001", "1001", "11:00");
    MainFixture::exec(
        "INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, 메모, 포인트) VALUES "
        "('2612081001', 1, 1, 2, 6175, 12350, 432, '', 124)");
    MainFixture::exec("UPDATE 가맹점 SET 현잔액 = 432 WHERE 코드 = '1001'");
    MainFixture::exec("UPDATE 고객 SET 현포인트 = 624 WHERE 코드 = '10000001'");
    // The rate changed since: the stored charges, not a recomputation, are reversed.
    MainFixture::exec("UPDATE 가맹점 SET 수수료율 = 9 WHERE 코드 = '1001'");
    ScriptedPrompter p;
    FrmMain w;
    Ctl<SpreadGrid>(&w, "spMList")->SetActiveCell(2, 1);
    w.LoadLines("2612081001");
    Ctl<SpreadGrid>(&w, "spDList")->SetActiveCell(2, 1);
    p.answer(MsgAnswer::Yes);
    w.DeleteSelectedLine();
    QCOMPARE(p.shown().at(0).request.text,
             QStringLiteral("선택된 주문메뉴『 후라이드 』를 정말로 삭제 하시겠습니까?"));
    QCOMPARE(CountRows("주문내역"), 0);
    QCOMPARE(balance("1001"), 0.0);
    QCOMPARE(points("10000001"), qint64(500));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spDList")->MaxRows(), 1);
    // Whole order: the question defaults to No and F4 on it removes the row; the panels no longer show it.
    w.ShowCustomer("10000001");
    w.ShowStore("1001");
    p.answer(MsgAnswer::Yes);
    w.DeleteSelectedOrder();
    QCOMPARE(CountRows("주문"), 0);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->MaxRows(), 1);
    QCOMPARE(Ctl<QLineEdit>(&w, "txtCustID")->text(), QString());
    QCOMPARE(Ctl<QLabel>(&w, "pnlMembCode")->text(), QString());
}

void TestOrderEntry::passedOnOrderRefused()
{
    MainFixture f;
    MainFixture::addOrder("2612081001", "10000001", "1001", "11:00");
    MainFixture::exec("UPDATE 주문 SET 통보시간 = '11:05'");
    ScriptedPrompter p;
    FrmMain w;
    Ctl<SpreadGrid>(&w, "spMList")->SetActiveCell(2, 1);
    w.DeleteSelectedOrder();
    QCOMPARE(p.lastText(), QStringLiteral("이미 접수완료 되었습니다.\r\n접수 취소 처리를 먼저 하세요."));
    QCOMPARE(CountRows("주문"), 1);
    p.answer(MsgAnswer::Yes); // ReallyEdit
    TypeCell(w, Ctl<SpreadGrid>(&w, "spMList"), 3, 1, "1002");
    QCOMPARE(p.lastText(), QStringLiteral("이미 접수완료 되었습니다.\r\n접수 취소 처리를 먼저 하세요."));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->CellText(3, 1), QStringLiteral("1001"));
    QCOMPARE(GetFirstValue("SELECT 가맹점코드 FROM 주문").toString(), QStringLiteral("1001"));
    // Column 1 of a saved order cannot be changed: refused with the save message, old value back.
    MainFixture::exec("UPDATE 주문 SET 통보시간 = ''");
    p.answer(MsgAnswer::Yes);
    TypeCell(w, Ctl<SpreadGrid>(&w, "spMList"), 1, 1, "10000002");
    QCOMPARE(p.lastTitle(), QStringLiteral("오류"));
    QVERIFY(p.lastText().startsWith(QStringLiteral("주문 자료저장을 실패하였습니다.")));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->CellText(1, 1), QStringLiteral("10000001"));
    QCOMPARE(GetFirstValue("SELECT 고객코드 FROM 주문").toString(), QStringLiteral("10000001"));
}

void TestOrderEntry::changedNumberRewritesOrMovesPoints()
{
    MainFixture f;
    MainFixture::addOrder("2612081001", "10000001", "1001", "11:00");
    MainFixture::exec(
        "INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, 메모, 포인트) VALUES "
        "('2612081001', 1, 1, 1, 10000, 10000, 350, '', 100)");
    ScriptedPrompter p;
    FrmMain w;
    // A text that is no telephone number is refused before any question; nothing is written.
    for (const QString& typed :
         {QStringLiteral("c"), QStringLiteral("02-1234-5678c"), QStringLiteral("12")}) {
        TypeCell(w, Ctl<SpreadGrid>(&w, "spMList"), 2, 1, typed);
        QVERIFY(p.lastText().startsWith(QStringLiteral("입력한 내용은 전화번호 형식이 아닙니다.")));
        QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->CellText(2, 1), QStringLiteral("02-1234-5678"));
    }
    QCOMPARE(GetFirstValue("SELECT 전화1 FROM 고객 WHERE 코드 = '10000001'").toString(),
             QStringLiteral("02-1234-5678"));
    QCOMPARE(GetFirstValue("SELECT 주문시전화 FROM 주문").toString(), QStringLiteral("02-1234-5678"));
    // "아니오": same customer, the stored number of that customer is corrected.
    p.answer(MsgAnswer::Yes); // ReallyEdit
    p.answer(MsgAnswer::No);
    TypeCell(w, Ctl<SpreadGrid>(&w, "spMList"), 2, 1, "0212345679");
    QCOMPARE(GetFirstValue("SELECT 전화1 FROM 고객 WHERE 코드 = '10000001'").toString(),
             QStringLiteral("02-1234-5679"));
    QCOMPARE(GetFirstValue("SELECT 주문시전화 FROM 주문").toString(), QStringLiteral("02-1234-5679"));
    // "예": another customer picked; the order's points move with it.
    ScriptedPicker::next = rec({"10000002", "02-9999-0000"});
    p.answer(MsgAnswer::Yes);
    p.answer(MsgAnswer::Yes);
    TypeCell(w, Ctl<SpreadGrid>(&w, "spMList"), 2, 1, "0299990000");
    QCOMPARE(GetFirstValue("SELECT 고객코드 FROM 주문").toString(), QStringLiteral("10000002"));
    QCOMPARE(points("10000001"), qint64(400));
    QCOMPARE(points("10000002"), qint64(100));
    QCOMPARE(p.unexpected(), 0);
}

void TestOrderEntry::failedPostingLeavesNothing()
{
    MainFixture f;
    MainFixture::addOrder("2612081001", "10000001", "1001", "11:00");
    ScriptedPrompter p;
    FrmMain w;
    Ctl<SpreadGrid>(&w, "spMList")->SetActiveCell(2, 1);
    w.LoadLines("2612081001");
    gMainConn.setFaultInjector([](const QString& sql) -> std::optional<ErrInfo> {
        if (sql.startsWith(QStringLiteral("UPDATE 고객 SET 현포인트")))
            return ErrInfo{DbErr::kUnspecified, QStringLiteral("injected")};
        return std::nullopt;
    });
    int line = 0;
    Ctl<SpreadGrid>(&w, "spDList")->SetText(1, 1, "1");
    Ctl<SpreadGrid>(&w, "spDList")->SetValue(3, 1, 2);
    Ctl<SpreadGrid>(&w, "spDList")->SetValue(4, 1, 6175);
    QVERIFY(!w.SaveDtl("1001", "2612081001", line, 1, 1, EditorMode::Add, "10000001"));
    gMainConn.setFaultInjector({});
    QCOMPARE(CountRows("주문내역"), 0);
    QCOMPARE(balance("1001"), 0.0);
    QCOMPARE(points("10000001"), qint64(500));
}

void TestOrderEntry::availability_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("now");
    QTest::addColumn<bool>("asks");
    // The hours themselves are tst_ordercharges' table; here only whether the screen asks.
    QTest::newRow("outside hours") << "10:00"
                                   << "22:00"
                                   << "22:30" << true;
    QTest::newRow("within hours") << "10:00"
                                  << "22:00"
                                  << "21:59" << false;
}

void TestOrderEntry::availability()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, now);
    QFETCH(bool, asks);
    MainFixture f;
    MainFixture::exec("UPDATE 가맹점 SET 영업시작 = '" + start + "', 영업종료 = '" + end +
                      "' WHERE 코드 = '1001'");
    Clock::SetFixed(QDateTime(QDate(2026, 12, 8), QTime::fromString(now, "HH:mm")));
    ScriptedPrompter p;
    if (asks)
        p.answer(MsgAnswer::No);
    QCOMPARE(FrmMain::AskStoreOpen("1001"), !asks);
    QCOMPARE(p.count(), asks ? 1 : 0);
    if (asks) {
        QVERIFY(p.lastText().startsWith(QStringLiteral("『1001 느티골치킨』의 영업시간은 ")));
        QCOMPARE(p.shown().last().request.defaultAnswer, MsgAnswer::No);
    }
}

void TestOrderEntry::holidayAskedBeforeHours()
{
    MainFixture f;
    // 2026-12-12 is a Saturday; the store is also closed at 23:30.
    MainFixture::exec(
        "INSERT INTO 가맹점휴일 (가맹점코드, 일자, 반복구분, 메모) VALUES ('1001', '7', 1, '정기휴무')");
    MainFixture::exec(
        "INSERT INTO 가맹점휴일 (가맹점코드, 일자, 반복구분, 메모) VALUES ('1002', '05', 2, '')");
    MainFixture::exec(
        "INSERT INTO 가맹점휴일 (가맹점코드, 일자, 반복구분, 메모) VALUES ('1002', '12-25', 3, '성탄절')");
    Clock::SetFixed(QDateTime(QDate(2026, 12, 12), QTime(23, 30)));
    ScriptedPrompter p;
    p.answer(MsgAnswer::Yes);
    p.answer(MsgAnswer::Yes);
    QVERIFY(FrmMain::AskStoreOpen("1001"));
    QCOMPARE(p.count(), 2);
    QCOMPARE(p.shown().at(0).request.title, QStringLiteral("1001가맹점 휴무일"));
    QCOMPARE(p.shown().at(0).request.text,
             QStringLiteral("『매주 토요일』은 휴일입니다.\r\n(정기휴무)\r\n\r\n그래도, 처리하시겠습니까?"));
    QVERIFY(p.shown().at(1).request.text.contains(QStringLiteral("오전 10:00~오후 10:00")));
    // Monthly on the 5th and yearly on 25 December.
    p.clear();
    Clock::SetFixed(QDateTime(QDate(2027, 1, 5), QTime(20, 0)));
    p.answer(MsgAnswer::No);
    QVERIFY(!FrmMain::AskStoreOpen("1002"));
    QCOMPARE(p.lastText(), QStringLiteral("『매월 5일』은 휴일입니다.\r\n\r\n\r\n그래도, 처리하시겠습니까?"));
    Clock::SetFixed(QDateTime(QDate(2026, 12, 25), QTime(20, 0)));
    p.answer(MsgAnswer::No);
    QVERIFY(!FrmMain::AskStoreOpen("1002"));
    QVERIFY(p.lastText().startsWith(QStringLiteral("『매년 12월 25일』은 휴일입니다.\r\n(성탄절)")));
    Clock::SetFixed(QDateTime(QDate(2026, 12, 24), QTime(20, 0)));
    QVERIFY(FrmMain::AskStoreOpen("1002"));
}

QTEST_MAIN(TestOrderEntry)
#include "tst_orderentry.moc"
