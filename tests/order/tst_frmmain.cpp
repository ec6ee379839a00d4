#include "MainFixture.h"
#include "MainScreenDriver.h"
#include "accounts/gui/AccountScreens.h"
#include "accounts/gui/ServiceScreens.h"
#include "admin/gui/AdminScreens.h"
#include "app/UserSettings.h"
#include "app/gui/AppScreens.h"
#include "db/ChangeFeed.h"
#include "db/DbConnection.h"
#include "masters/gui/CustomerScreens.h"
#include "masters/gui/PickerDialog.h"
#include "masters/gui/StoreScreens.h"
#include "order/gui/FrmMain.h"
#include "reception/gui/ReceptionScreens.h"
#include "reports/MduReportDB.h"
#include "reports/StoreLedger.h"
#include "reports/gui/ReportScreens.h"
#include "support/Controls.h"
#include "support/OtherSeats.h"
#include "support/ScriptedPrompter.h"
#include "ui/MsgBox.h"
#include "ui/TextUtil.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/OthersRefresh.h"
#include "ui/gui/RecordScreens.h"
#include "ui/gui/ScreenCatalogue.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modFormIni.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTableView>

#include <memory>

// The main order screen on a real installation: loading, refresh, row changes and panels.
class TestFrmMain : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void emptyDay();
    void ordersAndLinesShown();
    void refreshKeepsRowOrFallsBack();
    void othersOrdersArriveWithoutF5();
    void entryRowForcesPhoneColumn();
    void customerSearchNotFound();
    void storeWithSecondNumberDials();
    void balanceShownInWholeWon_data();
    void balanceShownInWholeWon();
    void portOpenFailureNamesPort();
    void captionAndMenus();
    void smallestWindowKeepsButtonsAndEntryRow();
    void inputLanguageFollowsGrid();
    void everyScreenOpensThroughCatalogue_data();
    void everyScreenOpensThroughCatalogue();
    void everyGridFitsItsFont_data();
    void everyGridFitsItsFont();
};

void TestFrmMain::emptyDay()
{
    MainFixture f;
    ScriptedPrompter p;
    FrmMain w;
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->MaxRows(), 1);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spDList")->MaxRows(), 1);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->ActiveRow(), 1);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->ActiveCol(), 2);
    for (int c : {3, 5, 6})
        QCOMPARE(Ctl<SpreadGrid>(&w, "spTotal")->CellText(c, 1).toDouble(), 0.0);
    QCOMPARE(Ctl<QLabel>(&w, "pnlCustPoint")->text(), QStringLiteral("0 "));
    QVERIFY(!Ctl<QPushButton>(&w, "cmdAutoDial")->isEnabled());
    QCOMPARE(p.count(), 0);
}

void TestFrmMain::ordersAndLinesShown()
{
    MainFixture f;
    MainFixture::addOrder("2612081001", "10000001", "1001", "11:00");
    MainFixture::addOrder("2612071001", "10000001", "1001", "11:00", "2026-12-07"); // yesterday: not shown
    MainFixture::exec(
        "INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, 메모, 포인트) VALUES "
        "('2612081001', 1, 1, 2, 6175, 12350, 432, '', 124)");
    MainFixture::exec(
        "INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, 메모, 포인트) VALUES "
        "('2612081001', 3, 2, 1, 10000, 10000, 350, '맵게', 100)");
    ScriptedPrompter p;
    FrmMain w;
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->MaxRows(), 2);
    // The cursor rests on the entry row; moving to the order shows its lines and parties.
    w.RefreshList();
    Ctl<SpreadGrid>(&w, "spMList")->SetActiveCell(2, 1);
    bool cancel = false;
    Q_EMIT Ctl<SpreadGrid>(&w, "spMList")->LeaveCell(2, 2, 2, 1, cancel);
    QVERIFY(!cancel);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spDList")->MaxRows(), 3);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spDList")->CellText(2, 1), QStringLiteral("후라이드"));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spDList")->CellText(9, 2), QStringLiteral("3"));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spDList")->CellText(5, 1).toDouble(), 12350.0);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spTotal")->CellText(3, 1).toDouble(), 3.0);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spTotal")->CellText(5, 1).toDouble(), 22350.0);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spTotal")->CellText(6, 1).toDouble(), 224.0);
    QCOMPARE(Ctl<QLineEdit>(&w, "txtCustID")->text(), QStringLiteral("10000001"));
    QCOMPARE(Ctl<QLabel>(&w, "pnlCustTel", 1)->text(), QStringLiteral("010-1111-2222"));
    QCOMPARE(Ctl<QLabel>(&w, "pnlCustAddr")->text(), QStringLiteral("서울특별시 강남구 역삼동 1층"));
    QCOMPARE(Ctl<QLabel>(&w, "pnlCustPoint")->text(), QStringLiteral("500 "));
    QCOMPARE(Ctl<QLabel>(&w, "pnlMembName")->text(), QStringLiteral("느티골치킨"));
    QCOMPARE(Ctl<QLabel>(&w, "pnlMembFee")->text(), QStringLiteral("3.5 "));
    QVERIFY(Ctl<QPushButton>(&w, "cmdAutoDial")->isEnabled());
    // Editing a quantity recomputes the amount and the totals.
    Ctl<SpreadGrid>(&w, "spDList")->SetText(3, 2, QStringLiteral("4"));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spDList")->CellText(5, 2).toDouble(), 40000.0);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spTotal")->CellText(5, 1).toDouble(), 52350.0);
    QCOMPARE(p.count(), 0);
}

void TestFrmMain::refreshKeepsRowOrFallsBack()
{
    MainFixture f;
    MainFixture::addOrder("2612081001", "10000001", "1001", "11:00");
    MainFixture::addOrder("2612081002", "10000002", "1002", "11:10");
    MainFixture::addOrder("2612081003", "10000001", "1001", "11:20");
    ScriptedPrompter p;
    FrmMain w;
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->MaxRows(), 4);
    Ctl<SpreadGrid>(&w, "spMList")->SetActiveCell(2, 2);
    w.RefreshList();
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->ActiveRow(), 2);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->ActiveCol(), 2);
    // The remembered row vanished (two orders deleted elsewhere): back to the entry row.
    Ctl<SpreadGrid>(&w, "spMList")->SetActiveCell(2, 3);
    MainFixture::exec("DELETE FROM 주문 WHERE 주문번호 = '2612081003'");
    MainFixture::exec("DELETE FROM 주문 WHERE 주문번호 = '2612081002'");
    w.RefreshList();
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->MaxRows(), 2);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->ActiveRow(), 2);
    // Filter by order number.
    Ctl<QLineEdit>(&w, "htFilter", 0)->setText(QStringLiteral("1001"));
    w.RefreshList();
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->MaxRows(), 2);
    Ctl<QLineEdit>(&w, "htFilter", 0)->setText(QStringLiteral("9999"));
    w.RefreshList();
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->MaxRows(), 1);
}

// Another seat's orders arrive by themselves: the cursor stays on its order (by number, not row), a typed
// entry row makes the list wait, an order deleted elsewhere leaves, the store panel follows a payment.
void TestFrmMain::othersOrdersArriveWithoutF5()
{
    MainFixture f;
    MainFixture::addOrder("2612081001", "10000001", "1001", "11:00");
    MainFixture::addOrder("2612081002", "10000002", "1002", "11:10");
    ScriptedPrompter p;
    FrmMain w;
    DbConnection other;
    ErrInfo e;
    QVERIFY2(other.open(gMainConn.path(), false, &e), qPrintable(e.description));
    QVERIFY(MainChangeFeed().start());
    auto* list = Ctl<SpreadGrid>(&w, "spMList");
    auto otherAdds = [&](const char* number, const char* time) {
        QVERIFY(other
                    .exec(QStringLiteral(
                              "INSERT INTO 주문 (주문번호, 고객코드, 주문시전화, 가맹점코드, 주문일자, "
                              "주문시간, 통보시간) VALUES ('%1', '10000001', '02-1234-5678', '1001', "
                              "'2026-12-08', '%2', '')")
                              .arg(QLatin1String(number), QLatin1String(time)))
                    .ok);
    };
    list->SetActiveCell(3, 2);
    w.ShowActiveOrderPanels();
    otherAdds("2612081000", "10:50");
    HearOtherSeats(other.isServer());
    QCOMPARE(list->MaxRows(), 4);
    QCOMPARE(list->CellText(5, list->ActiveRow()), QStringLiteral("2612081002"));
    QCOMPARE(list->ActiveCol(), 3);
    // An entry being typed is not wiped: the list waits until the row is empty again.
    list->SetText(2, list->MaxRows(), QStringLiteral("010-5555-0000"));
    otherAdds("2612081003", "11:20");
    HearOtherSeats(other.isServer());
    QCOMPARE(list->MaxRows(), 4);
    QVERIFY(w.windowTitle().endsWith(OthersRefresh::WaitingMark()));
    list->SetText(2, list->MaxRows(), QString());
    QTRY_COMPARE_WITH_TIMEOUT(list->MaxRows(), 5, 3000);
    QVERIFY(!w.windowTitle().contains(OthersRefresh::WaitingMark()));
    QCOMPARE(list->CellText(5, list->ActiveRow()), QStringLiteral("2612081002"));
    // A payment elsewhere moves the shown store's balance.
    QVERIFY(other.exec(QStringLiteral("UPDATE 가맹점 SET 현잔액 = 5000 WHERE 코드 = '1002'")).ok);
    HearOtherSeats(other.isServer());
    QCOMPARE(Ctl<QLabel>(&w, "pnlMembBaln")->text(), QStringLiteral("5,000 "));
    // A pass-on elsewhere: that one order is read again, not the day.
    QStringList reads;
    gMainConn.setFaultInjector([&](const QString& sql) -> std::optional<ErrInfo> {
        if (sql.contains(QStringLiteral("FROM 주문 AS o")))
            reads << sql;
        return std::nullopt;
    });
    QVERIFY(
        other.exec(QStringLiteral("UPDATE 주문 SET 통보시간 = '11:30' WHERE 주문번호 = '2612081001'")).ok);
    HearOtherSeats(other.isServer());
    gMainConn.setFaultInjector({});
    QCOMPARE(list->CellText(8, 2), QStringLiteral("11:30"));
    QCOMPARE(reads.size(), 1);
    QVERIFY2(reads.at(0).contains(QStringLiteral("IN (")), qPrintable(reads.at(0)));
    // The order the cursor is on is deleted elsewhere: it leaves the list.
    QVERIFY(other.exec(QStringLiteral("DELETE FROM 주문 WHERE 주문번호 = '2612081002'")).ok);
    HearOtherSeats(other.isServer());
    QCOMPARE(list->MaxRows(), 4);
    QCOMPARE(list->ActiveRow(), list->MaxRows());
    EndMainChangeFeed();
}

void TestFrmMain::entryRowForcesPhoneColumn()
{
    MainFixture f;
    MainFixture::addOrder("2612081001", "10000001", "1001", "11:00");
    ScriptedPrompter p;
    FrmMain w;
    Ctl<SpreadGrid>(&w, "spMList")->SetActiveCell(3, 1);
    bool cancel = false;
    Q_EMIT Ctl<SpreadGrid>(&w, "spMList")->LeaveCell(3, 1, 3, 2, cancel);
    QVERIFY(cancel);
    QTRY_COMPARE(Ctl<SpreadGrid>(&w, "spMList")->ActiveCol(), 2);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->ActiveRow(), 2);
    // With a number already typed the move is allowed.
    Ctl<SpreadGrid>(&w, "spMList")->SetText(2, 2, QStringLiteral("02-1234-5678"));
    Ctl<SpreadGrid>(&w, "spMList")->SetActiveCell(3, 1);
    cancel = false;
    Q_EMIT Ctl<SpreadGrid>(&w, "spMList")->LeaveCell(3, 1, 3, 2, cancel);
    QVERIFY(!cancel);
}

void TestFrmMain::customerSearchNotFound()
{
    MainFixture f;
    MainFixture::addOrder("2612081001", "10000001", "1001", "11:00");
    ScreenCatalogue::RegisterPicker("FrmCust_sel", [] { return std::make_unique<ScriptedPicker>(); });
    ScriptedPrompter p;
    FrmMain w;
    Ctl<QLineEdit>(&w, "htFilter", 1)->setText(QStringLiteral("7777"));
    Q_EMIT Ctl<QLineEdit>(&w, "htFilter", 1)->textEdited(QStringLiteral("7777"));
    Q_EMIT Ctl<QLineEdit>(&w, "htFilter", 1)->returnPressed();
    QCOMPARE(p.lastText(), QStringLiteral("검색한 고객이 등록되어 있지 않습니다."));
    QCOMPARE(p.lastTitle(), QStringLiteral("고객 검색"));
    QVERIFY(w.filterCustCode().isEmpty());
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->MaxRows(), 2);
}

void TestFrmMain::storeWithSecondNumberDials()
{
    MainFixture f;
    ScriptedPrompter p;
    FrmMain w;
    w.ShowStore(QStringLiteral("1002"));
    QVERIFY(Ctl<QPushButton>(&w, "cmdAutoDial")->isEnabled());
    QCOMPARE(Ctl<QLabel>(&w, "pnlMembTel", 1)->text(), QStringLiteral("031-123-4567"));
    w.ShowStore(QStringLiteral("1001"));
    QCOMPARE(Ctl<QLabel>(&w, "pnlMembCode")->text(), QStringLiteral("1001"));
    MainFixture::exec("UPDATE 가맹점 SET 전화1 = '' WHERE 코드 = '1001'");
    w.ClearStore();
    w.ShowStore(QStringLiteral("1001"));
    QVERIFY(!Ctl<QPushButton>(&w, "cmdAutoDial")->isEnabled());
    Ctl<QPushButton>(&w, "cmdAutoDial")->setEnabled(true);
    Ctl<QPushButton>(&w, "cmdAutoDial")->click();
    QCOMPARE(p.lastText(), QStringLiteral("가맹점에 전화번호가 입력되어 있지 않습니다."));
}

void TestFrmMain::balanceShownInWholeWon_data()
{
    QTest::addColumn<QString>("balance");
    QTest::addColumn<QString>("shown");
    QTest::newRow("half rounds up") << "1234.5"
                                    << "1,235 ";
    QTest::newRow("below half") << "999.4"
                                << "999 ";
    QTest::newRow("owed to the store") << "-1234.6"
                                       << "-1,235 ";
}

void TestFrmMain::balanceShownInWholeWon()
{
    QFETCH(QString, balance);
    QFETCH(QString, shown);
    MainFixture f;
    ScriptedPrompter p;
    FrmMain w;
    MainFixture::exec("UPDATE 가맹점 SET 현잔액 = " + balance + " WHERE 코드 = '1001'");
    w.ShowStore(QStringLiteral("1001"));
    QCOMPARE(Ctl<QLabel>(&w, "pnlMembBaln")->text(), shown);
}

void TestFrmMain::portOpenFailureNamesPort()
{
    MainFixture f;
    UserSettings::Save(QStringLiteral("OpenSeeIDPort1"), QStringLiteral("/nonexistent/ttyZ9"));
    ScriptedPrompter p;
    FrmMain w;
    QVERIFY(!w.DeviceReady());
    QCOMPARE(p.count(), 1);
    QCOMPARE(p.lastText(), QStringLiteral("포트 /nonexistent/ttyZ9으로 SEE ID OPEN에 실패했습니다."));
    UserSettings::Save(QStringLiteral("OpenSeeIDPort1"), QStringLiteral("0"));
}

void TestFrmMain::captionAndMenus()
{
    MainFixture f;
    ScriptedPrompter p;
    FrmMain w;
    QVERIFY(w.windowTitle().startsWith(QStringLiteral("테스Soft - Zelkova v1.00.0 홈페이지 - ")));
    QVERIFY(w.windowTitle().endsWith(QStringLiteral(" 『 DB: ") + gDBPath + QStringLiteral(" 』")));
    // Entries of screens that are not part of the program stay disabled; their buttons follow.
    auto* options = w.findChild<QAction*>(QStringLiteral("mnuBasic_Option"));
    QVERIFY(options);
    QVERIFY(!options->isEnabled());
    ScreenEntry recv;
    recv.name = QStringLiteral("FrmRecv_admin");
    recv.description = QStringLiteral("입금 관리");
    recv.menuEntry = QStringLiteral("mnuBasic_Recv");
    recv.create = [](QWidget*) { return new QWidget; };
    ScreenCatalogue::Register(recv);
    QVERIFY(w.findChild<QAction*>(QStringLiteral("mnuBasic_Recv"))->isEnabled());
    QVERIFY(Ctl<QPushButton>(&w, "btnShortCut", 4)->isEnabled());
    Ctl<QPushButton>(&w, "btnShortCut", 4)->click();
    QCOMPARE(CountRows("보안설정", "폼이름 = 'FrmRecv_admin'"), 1);
    // Data-file entries stop after the question on a stand-alone seat.
    p.answer(MsgAnswer::No);
    w.findChild<QAction*>(QStringLiteral("mnuFile_BackUp"))->trigger();
    QCOMPARE(p.lastText(), QStringLiteral("모든 클라이언트를 종료후 처리하세요.\r\n모두 종료하였습니까?"));
    gCSType = 1;
    w.findChild<QAction*>(QStringLiteral("mnuFile_Restore"))->trigger();
    QCOMPARE(p.lastText(), QStringLiteral("이기능은 서버에서만 가능합니다."));
    gCSType = 0;
}

void TestFrmMain::everyScreenOpensThroughCatalogue_data()
{
    RegisterAppScreens();
    RegisterCustomerScreens();
    RegisterStoreScreens();
    RegisterReceptionScreens();
    QTest::addColumn<QString>("name");
    for (const QString& name : ScreenCatalogue::Instance().Names())
        QTest::newRow(qPrintable(name)) << name;
}

void TestFrmMain::everyScreenOpensThroughCatalogue()
{
    QFETCH(QString, name);
    MainFixture f;
    ScriptedPrompter p;
    ScreenCatalogue& catalogue = ScreenCatalogue::Instance();
    const ScreenEntry* entry = catalogue.Find(name.toUpper());
    QVERIFY(entry);
    if (entry->picker)
        QVERIFY(catalogue.CreatePicker(name)->dialog());
    if (entry->editor)
        QVERIFY(catalogue.CreateEditor(name)->dialog());
    if (!entry->create)
        return;
    const ScreenEntry screen = *entry;
    FrmMain w;
    int modalRuns = 0;
    const ModalHandler previous = SetModalHandler([&modalRuns](QDialog*) {
        ++modalRuns;
        return int(QDialog::Rejected);
    });
    if (screen.menuEntry.isEmpty()) {
        QVERIFY(catalogue.Open(name, &w));
    } else {
        auto* action = w.findChild<QAction*>(screen.menuEntry);
        QVERIFY(action);
        QVERIFY(action->isEnabled());
        action->trigger();
    }
    SetModalHandler(previous);
    QCOMPARE(modalRuns, screen.modality == ScreenModality::Modal ? 1 : 0);
    QCOMPARE(CountRows("보안설정", "폼이름 = '" + name + "'"), screen.gate == ScreenGate::Authority ? 1 : 0);
}

void TestFrmMain::everyGridFitsItsFont_data()
{
    RegisterAppScreens();
    RegisterCustomerScreens();
    RegisterStoreScreens();
    RegisterReceptionScreens();
    RegisterAccountScreens();
    RegisterServiceScreens();
    RegisterReportScreens();
    RegisterAdminScreens();
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("fontSize");
    for (int size : {8, 12, 20}) {
        for (const QString& name : QStringList{"FrmMain"} + ScreenCatalogue::Instance().Names())
            QTest::newRow(qPrintable(QStringLiteral("%1 at %2").arg(name).arg(size))) << name << size;
    }
}

// After the font of a grid changed through its saved layout, every cell holding a date, time, order number,
// customer or store code, telephone number, postal code or store name shows it whole; a saved width larger
// than that is kept.
void TestFrmMain::everyGridFitsItsFont()
{
    QFETCH(QString, name);
    QFETCH(int, fontSize);
    MainFixture f;
    MainFixture::exec(
        "INSERT INTO 가맹점 (코드, 상호, 전화1, 수수료율, 현잔액, 기초잔액, 영업시작, 영업종료) "
        "VALUES ('HAN2002', '한가람 왕족발 보쌈 본점', '010-1234-5678', 3, 0, 0, '00:00', '23:59')");
    MainFixture::exec(
        "INSERT INTO 취급메뉴 (메뉴명, 가맹점코드, 판매단가) VALUES ('보쌈', 'HAN2002', 30000)");
    MainFixture::exec(
        "INSERT INTO 가맹점휴일 (가맹점코드, 일자, 반복구분, 메모) VALUES ('1001', '2026-12-25', 0, '')");
    MainFixture::addOrder("2612081001", "10000001", "1001", "11:00");
    MainFixture::addOrder("2612081002", "10000002", "HAN2002", "12:10");
    MainFixture::exec("UPDATE 주문 SET 통보시간 = '12:20' WHERE 주문번호 = '2612081002'");
    MainFixture::exec(
        "INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, 메모, 포인트) "
        "SELECT '2612081002', 1, 코드, 1, 30000, 30000, 900, '', 300 FROM 취급메뉴 WHERE 메뉴명 = "
        "'보쌈'");
    MainFixture::exec(
        "INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, 메모, 포인트) "
        "VALUES ('2612081001', 1, 1, 1, 6175, 6175, 216, '', 62)");
    MainFixture::exec("INSERT INTO 입금 (가맹점코드, 입금일자, 입금액, 할인액, 메모) VALUES ('HAN2002', "
                      "'2026-12-08', 1000, 0, '')");
    MainFixture::exec(
        "INSERT INTO 서비스 (고객코드, 서비스일, 차감포인트, 메모) VALUES ('10000001', '2026-12-08', "
        "100, '')");
    QVERIFY(CreateRPTFile(ShowFound()));
    ScriptedPrompter p;
    const ModalHandler previous = SetModalHandler([](QDialog*) { return int(QDialog::Rejected); });

    std::unique_ptr<QWidget> window;
    std::unique_ptr<RecordPicker> picker;
    ScreenCatalogue& catalogue = ScreenCatalogue::Instance();
    const ScreenEntry* entry = catalogue.Find(name);
    if (name == QLatin1String("FrmMain")) {
        window = std::make_unique<FrmMain>();
    } else if (entry && entry->create) {
        window.reset(entry->create(nullptr));
    } else if (entry && entry->picker) {
        picker = catalogue.CreatePicker(name);
        picker->FindRecords(QString(), name == QLatin1String("FrmMenu_sel")
                                           ? QStringLiteral("1001") + kNul + QStringLiteral("느티골치킨")
                                           : QString());
        if (auto* list = qobject_cast<PickerDialog*>(picker->dialog()))
            list->Refresh_Sheet();
    }
    QWidget* shown = window ? window.get() : picker ? picker->dialog() : nullptr;
    if (!shown) // an editor: no grid to look at
        return;
    if (auto* query = shown->findChild<QPushButton*>(QStringLiteral("btnQuery")))
        query->click();
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown));

    // Texts that must never be cut, by what they look like.
    const QRegularExpression formatted(QStringLiteral(
        R"(^(\d{4}-\d\d-\d\d|\d\d:\d\d|\d{10}|\d{8}|0\d{1,2}-\d{3,4}-\d{4}|\d{3}-\d{3}|\[전기이월\])$)"));
    QStringList stores;
    QVERIFY(gMainConn.queryTexts(QStringLiteral("SELECT 코드 FROM 가맹점 UNION SELECT 상호 FROM 가맹점"),
                                 stores, nullptr));
    const QString layout = f.home.programFolder() + QStringLiteral("/layout-test.ini");
    const auto grids = shown->findChildren<SpreadGrid*>();
    int checked = 0;
    for (SpreadGrid* grid : grids) {
        if (grid->objectName().isEmpty() || grid->MaxCols() < 1)
            continue;
        {
            // Saved widths far too small, the first one larger than any text needs.
            QSettings ini(layout, QSettings::IniFormat);
            ini.clear();
            for (int c = 1; c <= grid->MaxCols(); ++c)
                ini.setValue(grid->objectName() + QStringLiteral("_ColsWidth/") + QString::number(c),
                             QString::number(c == 1 ? 60 : 1));
            ini.setValue(grid->objectName() + QStringLiteral("_General/FontSize"), QString::number(fontSize));
        }
        LoadSpreadIni(grid, layout);
        QCoreApplication::processEvents();
        const QFontMetrics fm(grid->view()->font());
        QCOMPARE(fm.height() > 0, true);
        if (!grid->ColHidden(1))
            QCOMPARE(grid->ColWidthPx(1), qRound(60 * 8 * grid->logicalDpiX() / 96.0));
        for (int c = 1; c <= grid->MaxCols(); ++c) {
            if (grid->ColHidden(c))
                continue;
            for (int r = 1; r <= grid->MaxRows(); ++r) {
                const QString text = grid->FormattedText(c, r);
                if (!formatted.match(text).hasMatch() && !stores.contains(text))
                    continue;
                ++checked;
                // The delegate draws a cell's text 3 pixels in from each side, inside the grid line.
                QVERIFY2(fm.horizontalAdvance(text) + 7 <= grid->ColWidthPx(c),
                         qPrintable(QStringLiteral("%1 column %2 row %3: \"%4\" in %5 px")
                                        .arg(grid->objectName())
                                        .arg(c)
                                        .arg(r)
                                        .arg(text)
                                        .arg(grid->ColWidthPx(c))));
            }
        }
    }
    SetModalHandler(previous);
    CloseRPTFile();
    qInfo("%d cells checked", checked);
}

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"

void TestFrmMain::smallestWindowKeepsButtonsAndEntryRow()
{
    MainFixture f;
    for (int i = 0; i < 40; ++i)
        MainFixture::addOrder(QStringLiteral("26120810%1").arg(i + 10), "10000001", "1001", "11:00");
    ScriptedPrompter p;
    FrmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.resize(w.minimumSize());
    QTRY_COMPARE(w.size(), w.minimumSize());
    const QRect inside = w.centralWidget()->rect();
    QList<QPushButton*> buttons;
    for (int i = 0; i < 5; ++i)
        buttons << Ctl<QPushButton>(&w, "btnShortCut", i);
    buttons << Ctl<QPushButton>(&w, "btnExit");
    for (QPushButton* b : buttons) {
        QVERIFY2(b->isVisible() && b->height() >= b->minimumSizeHint().height(), qPrintable(b->text()));
        QVERIFY2(inside.contains(QRect(b->mapTo(w.centralWidget(), QPoint(0, 0)), b->size())),
                 qPrintable(b->text()));
    }
    // The entry row the cursor rests on stays in sight after the window shrank.
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->ActiveRow(), Ctl<SpreadGrid>(&w, "spMList")->MaxRows());
    QTableView* view = Ctl<SpreadGrid>(&w, "spMList")->view();
    const QModelIndex entry = view->model()->index(Ctl<SpreadGrid>(&w, "spMList")->MaxRows() - 1, 1);
    QTRY_VERIFY(view->viewport()->rect().contains(view->visualRect(entry)));
}

void TestFrmMain::inputLanguageFollowsGrid()
{
    MainFixture f;
    ScriptedPrompter p;
    FrmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    // Menu names are Hangul, numbers Latin: the hint sits on whatever part of the grid has the keyboard.
    for (auto [grid, latin] :
         {std::pair{Ctl<SpreadGrid>(&w, "spDList"), false}, std::pair{Ctl<SpreadGrid>(&w, "spMList"), true},
          std::pair{Ctl<SpreadGrid>(&w, "spDList"), false}}) {
        grid->setFocus();
        QWidget* focused = QApplication::focusWidget();
        QVERIFY(focused && grid->isAncestorOf(focused));
        QCOMPARE(bool(focused->inputMethodHints() & Qt::ImhPreferLatin), latin);
    }
}
