#include "ReceptionFixture.h"
#include "db/ChangeFeed.h"
#include "db/DbConnection.h"
#include "db/DbError.h"
#include "masters/gui/FrmCust_admin.h"
#include "masters/gui/FrmMemb_admin.h"
#include "reception/gui/CellView.h"
#include "reception/gui/FrmPreviewRcv.h"
#include "reception/gui/FrmRcpt_admin.h"
#include "reception/gui/ReceptionScreens.h"
#include "support/Controls.h"
#include "support/OtherSeats.h"
#include "support/ScriptedPrompter.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/ScreenCatalogue.h"
#include "ui/gui/SpreadGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {
QStringList listedOrders(const FrmRcpt_admin& screen)
{
    QStringList orders;
    for (int r = 1; r <= Ctl<SpreadGrid>(&screen, "spMList")->MaxRows(); ++r)
        orders << Ctl<SpreadGrid>(&screen, "spMList")->CellText(FrmRcpt_admin::ColOrderNo, r);
    return orders;
}
} // namespace

// The reception list: what it opens on, passing on and back with the receipt and the delete offer, the
// refusals, and where the cursor stays.
class TestRcptAdmin : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void opening_data();
    void opening();
    void openingError_data();
    void openingError();
    void acceptOpensReceiptOnce();
    void refusals_data();
    void refusals();
    void doubleClick_data();
    void doubleClick();
    void cursorStaysOnItsRow();
    void othersOrdersArrive();
    void catalogued();

private:
    ReceptionFixture* m_db = nullptr;
    QStringList m_dialled;
    QStringList m_previews; // order shown by each receipt preview
};

void TestRcptAdmin::init()
{
    m_db = new ReceptionFixture;
    m_dialled.clear();
    m_previews.clear();
    FrmRcpt_admin::SetDialler([this](const QString& phone) { m_dialled << phone; });
    SetModalHandler([this](QDialog* dialog) {
        if (auto* preview = qobject_cast<FrmPreviewRcv*>(dialog))
            m_previews << (preview->HasOrder() && !Ctl<CellView>(preview, "picView")->page().isEmpty()
                               ? "shown"
                               : "empty");
        return int(QDialog::Rejected);
    });
}

void TestRcptAdmin::cleanup()
{
    SetModalHandler({});
    FrmRcpt_admin::SetDialler({});
    delete m_db;
    m_db = nullptr;
}

void TestRcptAdmin::opening_data()
{
    QTest::addColumn<QString>("tel1");
    QTest::addColumn<QString>("tel2");
    QTest::addColumn<QStringList>("dialled");
    QTest::newRow("전화1") << "02-765-4321"
                           << "02-000-0000" << QStringList{"02-765-4321"};
    QTest::newRow("전화1 blank, 전화2") << " "
                                        << "031-555-6666" << QStringList{"031-555-6666"};
    QTest::newRow("no telephone, no call") << ""
                                           << "" << QStringList{};
}

void TestRcptAdmin::opening()
{
    QFETCH(QString, tel1);
    QFETCH(QString, tel2);
    QFETCH(QStringList, dialled);
    QCOMPARE(
        ExecSQL(QString("UPDATE 가맹점 SET 전화1 = '%1', 전화2 = '%2' WHERE 코드 = 'S1'").arg(tel1, tel2)),
        1);
    ScriptedPrompter prompter;
    FrmRcpt_admin screen;
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));
    QTRY_COMPARE(m_dialled, dialled);
    QCOMPARE(Ctl<QPushButton>(&screen, "btnDialing")->isEnabled(), !dialled.isEmpty());
    // Today's waiting orders; the first one's lines, ten rows at least, and its totals.
    QCOMPARE(Ctl<QComboBox>(&screen, "cmbFilter")->currentText(), QString("미접수만 보기"));
    QCOMPARE(listedOrders(screen), QStringList({"0612071001", "0612072001"}));
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spMList")->CellText(FrmRcpt_admin::ColAddress, 1), QString(" "));
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spDList")->MaxRows(), 10);
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spDList")->CellText(FrmRcpt_admin::LnMenu, 2), QString("콜라"));
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spTotal")->CellText(FrmRcpt_admin::LnQty, 1), QString("12"));
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spTotal")->CellText(FrmRcpt_admin::LnAmount, 1), QString("45000"));
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spTotal")->CellText(FrmRcpt_admin::LnCommission, 1), QString("2250"));
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spTotal")->CellText(FrmRcpt_admin::LnPoints, 1), QString("45"));
    QCOMPARE(prompter.count(), 0);
}

void TestRcptAdmin::openingError_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("statement"); // the start of the statement that fails while it opens
    QTest::newRow("reception list") << "FrmRcpt_admin"
                                    << "SELECT";
    QTest::newRow("customer list") << "FrmCust_admin"
                                   << "SELECT COUNT(*) FROM 고객";
    QTest::newRow("store list") << "FrmMemb_admin"
                                << "SELECT * FROM 가맹점";
}

// An engine error while a list screen opens is reported under Form_Load of that screen, which stays open.
void TestRcptAdmin::openingError()
{
    QFETCH(QString, screen);
    QFETCH(QString, statement);
    ScriptedPrompter prompter;
    gMainConn.setFaultInjector([statement](const QString& sql) -> std::optional<ErrInfo> {
        if (sql.startsWith(statement))
            return ErrInfo{DbErr::kUnspecified, QStringLiteral("injected")};
        return std::nullopt;
    });
    std::unique_ptr<QWidget> w(screen == "FrmRcpt_admin"   ? static_cast<QWidget*>(new FrmRcpt_admin)
                               : screen == "FrmCust_admin" ? static_cast<QWidget*>(new FrmCust_admin)
                                                           : static_cast<QWidget*>(new FrmMemb_admin));
    gMainConn.setFaultInjector({});
    QCOMPARE(prompter.count(), 1);
    QVERIFY2(prompter.lastText().contains(QStringLiteral("injected")), qPrintable(prompter.lastText()));
    QVERIFY2(prompter.lastText().contains(QStringLiteral("in procedure Form_Load of Form ") + screen),
             qPrintable(prompter.lastText()));
}

void TestRcptAdmin::acceptOpensReceiptOnce()
{
    ScriptedPrompter prompter;
    FrmRcpt_admin screen;
    int enter = Qt::Key_Return;
    Q_EMIT Ctl<SpreadGrid>(&screen, "spMList")->KeyDown(enter, 0);
    QCOMPARE(prompter.texts(), QStringList{"접수처리가 완료되었습니다."});
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spMList")->CellText(FrmRcpt_admin::ColPassedOn, 1), QString("12:34"));
    QCOMPARE(ReceptionFixture::passedOnTime("0612071001"), QString("12:34"));
    QCOMPARE(m_previews, QStringList{"shown"});
    // Once passed on, a second acceptance is refused and prints nothing.
    screen.AddRecord();
    QCOMPARE(prompter.lastText(), QString("이미 접수처리가 완료된 자료 입니다."));
    QCOMPARE(m_previews.size(), 1);
}

void TestRcptAdmin::refusals_data()
{
    // A change made in the database: by another seat after the list was read, or (for the store panel) before
    // the screen opened.
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("message");
    const QString deleted = "DELETE FROM 주문 WHERE 주문번호 = '0612071001'";
    QTest::newRow("accept, nothing listed") << ""
                                            << "ZZ"
                                            << "accept"
                                            << "접수처리 할 주문자료를 먼저 선택하세요.";
    QTest::newRow("accept, passed on elsewhere")
        << "UPDATE 주문 SET 통보시간 = '12:30' WHERE 주문번호 = '0612071001'"
        << ""
        << "accept"
        << "이미 접수처리가 완료된 자료 입니다.";
    QTest::newRow("accept, deleted elsewhere") << deleted << ""
                                               << "accept"
                                               << "주문자료를 찾을 수 없습니다.";
    QTest::newRow("undo, nothing listed") << ""
                                          << "ZZ"
                                          << "undo"
                                          << "접수취소 처리 할 자료를 먼저 선택하세요.";
    QTest::newRow("undo, waiting") << ""
                                   << ""
                                   << "undo"
                                   << "접수처리가 되지 않은 자료입니다.";
    QTest::newRow("undo, deleted elsewhere") << deleted << ""
                                             << "undo"
                                             << "주문자료를 찾을 수 없습니다.";
    QTest::newRow("print, nothing listed") << ""
                                           << "ZZ"
                                           << "print"
                                           << "영수증을 발행할 내역이 없습니다.";
    QTest::newRow("dial, no telephone") << "UPDATE 가맹점 SET 전화1 = '', 전화2 = ' ' WHERE 코드 = 'S1'"
                                        << ""
                                        << "dial"
                                        << "가맹점에 전화번호가 입력되어 있지 않습니다.";
}

void TestRcptAdmin::refusals()
{
    QFETCH(QString, change);
    QFETCH(QString, prefix);
    QFETCH(QString, action);
    QFETCH(QString, message);
    ScriptedPrompter prompter;
    if (action == "dial")
        QCOMPARE(ExecSQL(change), 1);
    FrmRcpt_admin screen;
    Ctl<QLineEdit>(&screen, "htFindWd")->setText(prefix);
    screen.Search();
    if (action != "dial" && !change.isEmpty()) {
        ExecSQL("DELETE FROM 주문내역 WHERE 주문번호 = '0612071001'");
        QCOMPARE(ExecSQL(change), 1);
    }
    if (action == "undo")
        prompter.answer(MsgAnswer::Yes);
    if (action == "accept")
        screen.AddRecord();
    else if (action == "undo")
        screen.DeleteRecord();
    else if (action == "print")
        screen.PrintReceipt();
    else
        screen.DialStore();
    QCOMPARE(prompter.lastText(), message);
    QCOMPARE(prompter.unexpected(), 0);
    QVERIFY(m_previews.isEmpty());
    QVERIFY(m_dialled.isEmpty());
}

void TestRcptAdmin::doubleClick_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QList<MsgAnswer>>("answers");
    QTest::addColumn<QString>("order");
    QTest::addColumn<QString>("timeAfter");
    QTest::addColumn<int>("rowsAfter");
    QTest::addColumn<int>("previews");
    using A = MsgAnswer;
    QTest::newRow("waiting: accepted, receipt") << 2 << QList<A>{} << "0612071001"
                                                << "12:34" << 4 << 1;
    QTest::newRow("passed on: undone, kept") << 1 << QList<A>{A::Yes, A::No} << "0612071002"
                                             << "" << 4 << 0;
    QTest::newRow("passed on: undone, deleted") << 1 << QList<A>{A::Yes, A::Yes} << "0612071002"
                                                << "(gone)" << 3 << 0;
    QTest::newRow("passed on: undo declined") << 1 << QList<A>{A::No} << "0612071002"
                                              << "14:25" << 4 << 0;
}

void TestRcptAdmin::doubleClick()
{
    QFETCH(int, row);
    QFETCH(QList<MsgAnswer>, answers);
    QFETCH(QString, order);
    QFETCH(QString, timeAfter);
    QFETCH(int, rowsAfter);
    QFETCH(int, previews);
    ScriptedPrompter prompter;
    for (MsgAnswer a : answers)
        prompter.answer(a);
    FrmRcpt_admin screen;
    Ctl<QComboBox>(&screen, "cmbFilter")->setCurrentIndex(0);
    QCOMPARE(listedOrders(screen), QStringList({"0612071002", "0612071001", "0612072001", "0612071003"}));
    Ctl<SpreadGrid>(&screen, "spMList")->SetActiveCell(FrmRcpt_admin::ColPhone, row == 1 ? 2 : 1);
    Q_EMIT Ctl<SpreadGrid>(&screen, "spMList")->DblClick(FrmRcpt_admin::ColPhone, row);
    QCOMPARE(ReceptionFixture::passedOnTime(order), timeAfter);
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spMList")->MaxRows(), rowsAfter);
    QCOMPARE(listedOrders(screen).contains(order), timeAfter != "(gone)");
    if (rowsAfter == 4)
        QCOMPARE(Ctl<SpreadGrid>(&screen, "spMList")->CellText(FrmRcpt_admin::ColPassedOn, row), timeAfter);
    QCOMPARE(m_previews.size(), previews);
    QCOMPARE(prompter.answersLeft(), 0);
    QCOMPARE(prompter.unexpected(), 0);
}

void TestRcptAdmin::cursorStaysOnItsRow()
{
    ScriptedPrompter prompter;
    FrmRcpt_admin screen;
    Ctl<QComboBox>(&screen, "cmbFilter")->setCurrentIndex(0);
    Ctl<SpreadGrid>(&screen, "spMList")->SetActiveCell(FrmRcpt_admin::ColPhone, 3);
    Ctl<QCheckBox>(&screen, "chkMeOnly")->click();
    QCOMPARE(listedOrders(screen), QStringList({"0612071002", "0612071001", "0612071003"}));
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spMList")->ActiveRow(), 3);
    QCOMPARE(Ctl<QLabel>(&screen, "pnlMembCode")->text(), QString("T1"));
    Ctl<QCheckBox>(&screen, "chkMeOnly")->click();
    Ctl<QLineEdit>(&screen, "htFindWd")->setText("S2");
    QCOMPARE(screen.Search(), 1);
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spMList")->ActiveRow(), 1);
    QCOMPARE(Ctl<QLabel>(&screen, "pnlMembBaln")->text(), QString("12,500 "));
    QCOMPARE(Ctl<QLabel>(&screen, "pnlMembTel", 1)->text(), QString("031-222-3333"));
    QCOMPARE(prompter.count(), 0);
}

// Orders typed and passed on at another seat arrive by themselves; the cursor keeps its order.
void TestRcptAdmin::othersOrdersArrive()
{
    ScriptedPrompter prompter;
    FrmRcpt_admin screen;
    DbConnection other;
    ErrInfo e;
    QVERIFY2(other.open(gMainConn.path(), false, &e), qPrintable(e.description));
    QVERIFY(MainChangeFeed().start());
    Ctl<SpreadGrid>(&screen, "spMList")->SetActiveCell(FrmRcpt_admin::ColPhone, 2);
    QCOMPARE(screen.GetOrdNo(-2), QString("0612072001"));
    QVERIFY(
        other
            .exec(
                "INSERT INTO 주문 (주문번호, 고객코드, 주문시전화, 가맹점코드, 주문일자, 주문시간, 통보시간) "
                "VALUES ('0612072002', '10000002', '02-222-0000', 'S2', '2006-12-07', '08:00', '')")
            .ok);
    HearOtherSeats(other.isServer());
    QCOMPARE(listedOrders(screen), QStringList({"0612071001", "0612072002", "0612072001"}));
    QCOMPARE(screen.GetOrdNo(-2), QString("0612072001"));
    // Passed on elsewhere: it leaves the list of orders still waiting.
    QVERIFY(other.exec("UPDATE 주문 SET 통보시간 = '12:00' WHERE 주문번호 = '0612071001'").ok);
    HearOtherSeats(other.isServer());
    QCOMPARE(listedOrders(screen), QStringList({"0612072002", "0612072001"}));
    QCOMPARE(screen.GetOrdNo(-2), QString("0612072001"));
    // Passed on here: it stays where the operator left it, with its time, until the next query.
    screen.AddRecord();
    HearOtherSeats(other.isServer());
    QCOMPARE(listedOrders(screen), QStringList({"0612072002", "0612072001"}));
    QCOMPARE(screen.GetOrdNo(-2), QString("0612072001"));
    EndMainChangeFeed();
}

void TestRcptAdmin::catalogued()
{
    RegisterReceptionScreens();
    const ScreenEntry* entry = ScreenCatalogue::Instance().FindByMenuEntry("mnuBasic_Receipt");
    QVERIFY(entry);
    QCOMPARE(entry->name, QString("FrmRcpt_admin"));
    QCOMPARE(entry->description, QString("접수 관리"));
    QCOMPARE(entry->gate, ScreenGate::Authority);
}

QTEST_MAIN(TestRcptAdmin)
#include "tst_rcptadmin.moc"
