#include "db/DbError.h"
#include "db/modDBQuery.h"
#include "masters/StoreService.h"
#include "masters/gui/FrmHDay_save.h"
#include "masters/gui/FrmMemb_admin.h"
#include "masters/gui/StoreScreens.h"
#include "support/Controls.h"
#include "support/DbFixture.h"
#include "support/ScriptedPrompter.h"
#include "support/TestRows.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/ScreenCatalogue.h"
#include "ui/gui/SpreadGrid.h"

#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

namespace {
using Rows::exec;

// Types text into a cell of the grid and presses Enter, as the operator does.
void typeCell(SpreadGrid* grid, int col, int row, const QString& text)
{
    grid->SetActiveCell(col, row);
    grid->setFocus();
    grid->SetEditMode(true);
    grid->editor()->setText(text);
    QTest::keyClick(grid->editor(), Qt::Key_Return);
}

QStringList menuNames(const FrmMemb_admin& w)
{
    QStringList names;
    for (int r = 1; r <= Ctl<SpreadGrid>(&w, "spMenu")->MaxRows(); ++r)
        names << Ctl<SpreadGrid>(&w, "spMenu")->CellText(FrmMemb_admin::MenuName, r);
    return names;
}
} // namespace

// The store list with its menu grid typed in place, its holidays and the deletes of all three.
class TestStoreAdmin : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void menusTypedInPlace();
    void menuCellRules_data();
    void menuCellRules();
    void deletes_data();
    void deletes();
    void holidayMemo_data();
    void holidayMemo();
    void noStores();
    void serviceCommitsOrRollsBack_data();
    void serviceCommitsOrRollsBack();

private:
    DbFixture* m_db = nullptr;
};

void TestStoreAdmin::init()
{
    m_db = new DbFixture;
    exec("INSERT INTO 가맹점 (코드, 상호, 전화1, 현잔액, 기초잔액, 수수료율) VALUES ('S1', '첫가게', '02-1', "
         "0, 0, 3)");
    exec("INSERT INTO 가맹점 (코드, 상호, 전화1, 현잔액, 기초잔액, 수수료율) VALUES ('S2', '둘째', '02-2', "
         "0, 0, 3)");
    exec("INSERT INTO 취급메뉴 (메뉴명, 가맹점코드, 판매단가, 메모) VALUES ('A메뉴', 'S1', 1000, '')");
    exec("INSERT INTO 취급메뉴 (메뉴명, 가맹점코드, 판매단가, 메모) VALUES ('B메뉴', 'S1', 2000, '')");
    exec("INSERT INTO 취급메뉴 (메뉴명, 가맹점코드, 판매단가, 메모) VALUES ('양념치킨', 'S2', 16000, '')");
    exec("INSERT INTO 가맹점휴일 (가맹점코드, 일자, 반복구분, 메모) VALUES ('S1', '1', 1, '정기휴일')");
    exec("INSERT INTO 가맹점휴일 (가맹점코드, 일자, 반복구분, 메모) VALUES ('S1', '2026-12-25', 0, '')");
}

void TestStoreAdmin::cleanup()
{
    SetModalHandler({});
    delete m_db;
    m_db = nullptr;
}

void TestStoreAdmin::menusTypedInPlace()
{
    ScriptedPrompter prompter;
    FrmMemb_admin w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    // The screen opens with every store and the first store's menus, holidays by kind.
    QCOMPARE(Ctl<SpreadGrid>(&w, "spList")->MaxRows(), 2);
    QCOMPARE(menuNames(w), QStringList({"A메뉴", "B메뉴", ""}));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spHDay")->CellText(FrmMemb_admin::HDayKind, 1), QString("당일"));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spHDay")->CellText(FrmMemb_admin::HDayDay, 2), QString("일요일"));
    // Name, Enter, price, Enter, name, ...; a name another store uses is taken.
    typeCell(Ctl<SpreadGrid>(&w, "spMenu"), FrmMemb_admin::MenuName, 3, "양념치킨");
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMenu")->ActiveCol(), int(FrmMemb_admin::MenuPrice));
    typeCell(Ctl<SpreadGrid>(&w, "spMenu"), FrmMemb_admin::MenuPrice, 3, "15,000");
    QTRY_COMPARE(Ctl<SpreadGrid>(&w, "spMenu")->ActiveRow(), 4);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMenu")->ActiveCol(), int(FrmMemb_admin::MenuName));
    typeCell(Ctl<SpreadGrid>(&w, "spMenu"), FrmMemb_admin::MenuName, 4, "간장치킨");
    typeCell(Ctl<SpreadGrid>(&w, "spMenu"), FrmMemb_admin::MenuPrice, 4, "17000");
    QTRY_COMPARE(Ctl<SpreadGrid>(&w, "spMenu")->ActiveRow(), 5);
    QCOMPARE(prompter.count(), 0);
    QCOMPARE(GetFirstValue("SELECT 판매단가 FROM 취급메뉴 WHERE 가맹점코드 = 'S1' AND 메뉴명 = '양념치킨'")
                 .toInt(),
             15000);
    // Each row holds the code its insert produced.
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMenu")->CellText(FrmMemb_admin::MenuCode, 4),
             GetFirstValue("SELECT 코드 FROM 취급메뉴 WHERE 메뉴명 = '간장치킨'").toString());
    // Right from the store list goes to the menus, Left from their first column back.
    Ctl<SpreadGrid>(&w, "spList")->setFocus();
    QTest::keyClick(Ctl<SpreadGrid>(&w, "spList")->view(), Qt::Key_Right);
    QVERIFY(Ctl<SpreadGrid>(&w, "spMenu")->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    QVERIFY(Ctl<SpreadGrid>(&w, "spList")->isAncestorOf(QApplication::focusWidget()));
    // The same with the cell open on a saved name, its text selected and the cursor at its end.
    Ctl<SpreadGrid>(&w, "spMenu")->SetActiveCell(FrmMemb_admin::MenuPrice, 1);
    Ctl<SpreadGrid>(&w, "spList")->setFocus();
    QTest::keyClick(Ctl<SpreadGrid>(&w, "spList")->view(), Qt::Key_Right);
    QTRY_VERIFY(Ctl<SpreadGrid>(&w, "spMenu")->IsEditing());
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMenu")->editor()->text(), QString("A메뉴"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    QVERIFY(Ctl<SpreadGrid>(&w, "spList")->isAncestorOf(QApplication::focusWidget()));
    // After typing, Left moves through the typed text and goes back from its start (the change declined).
    QTest::keyClick(Ctl<SpreadGrid>(&w, "spList")->view(), Qt::Key_Right);
    QTRY_VERIFY(Ctl<SpreadGrid>(&w, "spMenu")->IsEditing());
    QTest::keyClicks(QApplication::focusWidget(), "ab");
    for (int pos : {1, 0}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
        QVERIFY(Ctl<SpreadGrid>(&w, "spMenu")->isAncestorOf(QApplication::focusWidget()));
        QCOMPARE(Ctl<SpreadGrid>(&w, "spMenu")->editor()->cursorPosition(), pos);
    }
    prompter.answer(MsgAnswer::No); // "정말 수정하시겠습니까?"
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    QVERIFY(Ctl<SpreadGrid>(&w, "spList")->isAncestorOf(QApplication::focusWidget()));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMenu")->CellText(FrmMemb_admin::MenuName, 1), QString("A메뉴"));
    QCOMPARE(prompter.unexpected(), 0);
    // Another store's row brings its own menus.
    Ctl<SpreadGrid>(&w, "spList")->setFocus();
    QTest::keyClick(Ctl<SpreadGrid>(&w, "spList")->view(), Qt::Key_Down);
    QCOMPARE(menuNames(w), QStringList({"양념치킨", ""}));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spHDay")->MaxRows(), 0);
}

void TestStoreAdmin::menuCellRules_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row"); // 1 earlier menu, 2 last menu, 3 the empty row
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("answer"); // 0 none, else the answer to "정말 수정하시겠습니까?"
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("storedNames");

    const int yes = int(MsgAnswer::Yes), no = int(MsgAnswer::No);
    QTest::newRow("price before a name") << 2 << 3 << "3000" << 0 << "메뉴명을 먼저 입력하세요."
                                         << ""
                                         << "A메뉴,B메뉴";
    QTest::newRow("same name twice in a store")
        << 1 << 2 << "A메뉴" << 0 << "『A메뉴』 - 는 이미 존재하는 이름입니다."
        << "B메뉴"
        << "A메뉴,B메뉴";
    QTest::newRow("name emptied") << 1 << 2 << "" << 0 << "메뉴명은(는) 공백이 허용되지 않습니다."
                                  << "B메뉴"
                                  << "A메뉴,B메뉴";
    QTest::newRow("quote in a name") << 1 << 2 << "치킨's" << 0 << ""
                                     << "치킨's"
                                     << "A메뉴,치킨's";
    QTest::newRow("earlier row, confirmed") << 1 << 1 << "C메뉴" << yes << ""
                                            << "C메뉴"
                                            << "B메뉴,C메뉴";
    QTest::newRow("earlier row, declined") << 1 << 1 << "C메뉴" << no << ""
                                           << "A메뉴"
                                           << "A메뉴,B메뉴";
    QTest::newRow("price below zero")
        << 2 << 2 << "-500" << 0
        << "[판매단가]에는 0에서 100,000,000 사이의 숫자만 입력할 수 있습니다.\r\n예) 1500 또는 1,500"
        << "2,000"
        << "A메뉴,B메뉴";
}

void TestStoreAdmin::menuCellRules()
{
    QFETCH(int, col);
    QFETCH(int, row);
    QFETCH(QString, text);
    QFETCH(int, answer);
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QFETCH(QString, storedNames);
    ScriptedPrompter prompter;
    if (answer)
        prompter.answer(MsgAnswer(answer));
    FrmMemb_admin w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    typeCell(Ctl<SpreadGrid>(&w, "spMenu"), col, row, text);
    QCOMPARE(prompter.unexpected(), 0);
    if (answer)
        QVERIFY(prompter.texts().value(0).startsWith("정말 수정하시겠습니까?"));
    QCOMPARE(prompter.lastText(), answer ? prompter.texts().value(0) : message);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMenu")->FormattedText(col, row), shown);
    QStringList names;
    Recordset rs;
    OpenQuery(rs, "SELECT 메뉴명 FROM 취급메뉴 WHERE 가맹점코드 = 'S1' ORDER BY 메뉴명");
    for (const QVariantList& r : rs.rows())
        names << r.value(0).toString();
    QCOMPARE(names.join(','), storedNames);
}

void TestStoreAdmin::deletes_data()
{
    QTest::addColumn<QString>("grid"); // store, menu, holiday
    QTest::addColumn<QString>("refersTo");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("left"); // menus, holidays and stores of S1 left: "2,2,1"

    QTest::newRow("store with menus and holidays") << "store"
                                                   << ""
                                                   << "자료를 삭제하였습니다."
                                                   << "0,0,0";
    // A store the relationships keep is refused with the error box and the engine's number and text.
    QTest::newRow("store whose menu an order uses") << "store"
                                                    << "line"
                                                    << "자료를 삭제하는 중 오류가 발생했습니다."
                                                    << "2,2,1";
    QTest::newRow("store with a payment") << "store"
                                          << "payment"
                                          << "자료를 삭제하는 중 오류가 발생했습니다."
                                          << "2,2,1";
    QTest::newRow("menu") << "menu"
                          << ""
                          << "자료를 삭제하였습니다."
                          << "1,2,1";
    QTest::newRow("menu an order uses") << "menu"
                                        << "line"
                                        << "해당 자료가 다른자료와 연결되어 있어 삭제할 수 없습니다."
                                        << "2,2,1";
    QTest::newRow("holiday") << "holiday"
                             << ""
                             << "자료를 삭제하였습니다."
                             << "2,1,1";
}

void TestStoreAdmin::deletes()
{
    QFETCH(QString, grid);
    QFETCH(QString, refersTo);
    QFETCH(QString, message);
    QFETCH(QString, left);
    if (refersTo == "line") {
        exec("INSERT INTO 고객 (코드, 전화1, 현포인트, 기초포인트) VALUES ('10000001', '02-9', 0, 0)");
        exec("INSERT INTO 주문 (주문번호, 고객코드, 가맹점코드, 주문일자, 주문시간, 통보시간) "
             "VALUES ('2601011001', '10000001', 'S1', '2026-01-01', '12:00', '')");
        QCOMPARE(
            ExecSQL(
                "INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, 포인트) "
                "SELECT '2601011001', 1, 코드, 1, 1000, 1000, 30, 10 FROM 취급메뉴 WHERE 메뉴명 = 'A메뉴'"),
            1);
    } else if (refersTo == "payment") {
        exec("INSERT INTO 입금 (가맹점코드, 입금일자, 입금액, 할인액) VALUES ('S1', '2026-01-02', 100, 0)");
    }
    ScriptedPrompter prompter;
    FrmMemb_admin w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    SpreadGrid* g = grid == "menu"      ? Ctl<SpreadGrid>(&w, "spMenu")
                    : grid == "holiday" ? Ctl<SpreadGrid>(&w, "spHDay")
                                        : Ctl<SpreadGrid>(&w, "spList");
    g->SetActiveCell(1, 1);
    g->setFocus();
    prompter.answer(MsgAnswer::Yes);
    QTest::keyClick(g->view(), Qt::Key_F4);
    // The first line names what failed; an engine error's line goes on to say what to do.
    QVERIFY2(prompter.lastText().section(QStringLiteral("\r\n"), 0, 0).startsWith(message),
             qPrintable(prompter.lastText()));
    if (message.startsWith(QStringLiteral("자료를 삭제하는 중"))) {
        QVERIFY(prompter.lastText().contains(QStringLiteral("오류번호 : ")));
        QVERIFY(prompter.lastText().contains(QStringLiteral("오류내용 : ")));
    }
    QCOMPARE(prompter.unexpected(), 0);
    const QString counts = QString::number(CountRows("취급메뉴", "가맹점코드 = 'S1'")) + ',' +
                           QString::number(CountRows("가맹점휴일", "가맹점코드 = 'S1'")) + ',' +
                           QString::number(CountRows("가맹점", "코드 = 'S1'"));
    QCOMPARE(counts, left);
    // What the grids show follows the tables; the menu grid keeps its empty row for typing.
    const QStringList n = left.split(',');
    if (grid == "store" && n[2] == "0") {
        QCOMPARE(Ctl<SpreadGrid>(&w, "spList")->MaxRows(), 1);
        QCOMPARE(Ctl<QLabel>(&w, "lblRecCount")->text(), QString("1"));
        QCOMPARE(menuNames(w), QStringList({"양념치킨", ""}));
    } else {
        QCOMPARE(Ctl<SpreadGrid>(&w, "spMenu")->MaxRows(), n[0].toInt() + 1);
        QCOMPARE(Ctl<SpreadGrid>(&w, "spHDay")->MaxRows(), n[1].toInt());
    }
}

void TestStoreAdmin::holidayMemo_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("cancelled") << true << ""
                               << "정기휴일"
                               << "정기휴일";
    QTest::newRow("a single blank clears") << false << " "
                                           << ""
                                           << " ";
    QTest::newRow("blanks around trimmed") << false << " 명절 "
                                           << "명절"
                                           << " 명절 ";
    QTest::newRow("quote") << false << "사장's 휴가"
                           << "사장's 휴가"
                           << "사장's 휴가";
}

void TestStoreAdmin::holidayMemo()
{
    QFETCH(bool, cancel);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    ScriptedPrompter prompter;
    cancel ? prompter.cancelInput() : prompter.answerInput(typed);
    FrmMemb_admin w;
    w.EditHolidayMemo(2); // the weekly holiday sorts after the single date
    QCOMPARE(GetFirstValue("SELECT 메모 FROM 가맹점휴일 WHERE 반복구분 = 1").toString(), stored);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spHDay")->CellText(FrmMemb_admin::HDayMemo, 2), shown);
    QCOMPARE(prompter.unexpected(), 0);
}

void TestStoreAdmin::noStores()
{
    QCOMPARE(ExecSQL("DELETE FROM 가맹점휴일"), 2);
    QCOMPARE(ExecSQL("DELETE FROM 취급메뉴"), 3);
    QCOMPARE(ExecSQL("DELETE FROM 가맹점"), 2);
    ScriptedPrompter prompter;
    FrmMemb_admin w;
    QCOMPARE(Ctl<SpreadGrid>(&w, "spList")->MaxRows() + Ctl<SpreadGrid>(&w, "spMenu")->MaxRows() +
                 Ctl<SpreadGrid>(&w, "spHDay")->MaxRows(),
             0);
    bool dialogShown = false;
    SetModalHandler([&](QDialog*) {
        dialogShown = true;
        return 0;
    });
    w.AddHoliday();
    QVERIFY(!dialogShown);
    QCOMPARE(prompter.lastText(), QString("먼저 왼쪽목록에서 휴일설정할 가맹점을 선택하세요."));
    RegisterStoreScreens();
    const ScreenEntry* entry = ScreenCatalogue::Instance().FindByMenuEntry("mnuBasic_Member");
    QVERIFY(entry);
    QCOMPARE(entry->name, QString("FrmMemb_admin"));
    QCOMPARE(entry->gate, ScreenGate::Authority);
}

void TestStoreAdmin::serviceCommitsOrRollsBack_data()
{
    QTest::addColumn<QString>("write");
    QTest::addColumn<QString>("failing"); // the beginning of the statement made to fail, "" for none
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("after"); // stores, holidays of S1, then 기초잔액:현잔액 of S1
    QTest::newRow("insert") << "insert"
                            << "" << true << "3 2 0:500";
    QTest::newRow("insert refused") << "insert"
                                    << "INSERT INTO 가맹점" << false << "2 2 0:500";
    QTest::newRow("update re-bases the balance") << "update"
                                                 << "" << true << "2 2 1000:1500";
    QTest::newRow("update refused") << "update"
                                    << "UPDATE 가맹점" << false << "2 2 0:500";
    QTest::newRow("holiday") << "holiday"
                             << "" << true << "2 3 0:500";
    QTest::newRow("holiday refused") << "holiday"
                                     << "INSERT INTO 가맹점휴일" << false << "2 2 0:500";
}

void TestStoreAdmin::serviceCommitsOrRollsBack()
{
    QFETCH(QString, write);
    QFETCH(QString, failing);
    QFETCH(bool, ok);
    QFETCH(QString, after);
    exec("UPDATE 가맹점 SET 현잔액 = 500 WHERE 코드 = 'S1'");
    ScriptedPrompter prompter; // fails the test on a message while the write holds the lock
    gMainConn.setFaultInjector([&](const QString& sql) -> std::optional<ErrInfo> {
        if (!failing.isEmpty() && sql.startsWith(failing))
            return ErrInfo{DbErr::kSyntax, QStringLiteral("disk I/O error")};
        return std::nullopt;
    });
    StoreRecord s = *StoreRecord::Load("S1");
    s.baseBalance = 1000;
    StoreService::Result r;
    if (write == "insert") {
        s.code = "S3";
        s.name = "셋째";
        r = StoreService::InsertStore(s);
    } else if (write == "update") {
        r = StoreService::UpdateStore(s);
    } else {
        r = StoreService::InsertHoliday("S1", "12-31", 3, "");
    }
    gMainConn.setFaultInjector({});
    QCOMPARE(r.ok(), ok);
    QCOMPARE(gMainConn.transactionDepth(), 0);
    // A refused statement has been told once the write ended.
    QCOMPARE(prompter.count(), ok ? 0 : 1);
    QCOMPARE(QString::number(CountRows("가맹점")) + ' ' + QString::number(CountRows("가맹점휴일")) + ' ' +
                 NullToStr(GetFirstValue("SELECT 기초잔액 FROM 가맹점 WHERE 코드 = 'S1'")) + ':' +
                 NullToStr(GetFirstValue("SELECT 현잔액 FROM 가맹점 WHERE 코드 = 'S1'")),
             after);
}

QTEST_MAIN(TestStoreAdmin)
#include "tst_storeadmin.moc"
