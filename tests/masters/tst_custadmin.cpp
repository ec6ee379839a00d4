#include "app/Globals.h"
#include "db/ChangeFeed.h"
#include "db/DbConnection.h"
#include "db/modDBQuery.h"
#include "masters/gui/CustomerScreens.h"
#include "masters/gui/FrmCust_admin.h"
#include "masters/gui/FrmCust_save.h"
#include "reports/gui/ReportScreens.h"
#include "support/Controls.h"
#include "support/DbFixture.h"
#include "support/OtherSeats.h"
#include "support/ScriptedPrompter.h"
#include "support/TestRows.h"
#include "ui/gui/ByteLimitedLineEdit.h"
#include "ui/gui/GridPager.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/ScreenCatalogue.h"
#include "ui/gui/SpreadGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {
QStringList gridCodes(const FrmCust_admin& screen)
{
    QStringList codes;
    for (int r = 1; r <= Ctl<SpreadGrid>(&screen, "spList")->MaxRows(); ++r)
        codes << Ctl<SpreadGrid>(&screen, "spList")->CellText(FrmCust_admin::ColCode, r);
    return codes;
}
} // namespace

// The customer list: its search operators, total, deletes and what the editor reports back.
class TestCustAdmin : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void search_data();
    void search();
    void deleting();
    void editorSavesShowInList();
    void pagedList();
    void othersChangesFollow();
    void catalogued();

private:
    DbFixture* m_db = nullptr;
};

void TestCustAdmin::init()
{
    RegisterReportScreens(); // the lists' export key goes through the reports' export
    m_db = new DbFixture;
    gTerminalID = "1";
    const char* rows[][7] = {
        {"10000001", "02-111-5678", "", "", "", "서울 종로구 가회동", "1번지"},
        {"10000002", "02-222-0000", "", "", "031-333-5678", "서울 종로구 삼청동", "2번지"},
        {"10000003", "02-1234-9999", "02-7777-1234", "", "", "서울 중구 명동", "3번지"},
        {"10000004", "(010)5555.6666", "", "", "", "경기 중구 필동", "12'3번지"},
        {"10000005", "8888 1111", "", "02-8888-1111", "", "서울 용산구 후암동", "5번지"},
    };
    for (const auto& r : rows) {
        QString sql = "INSERT INTO 고객 (코드, 전화1, 전화2, 전화3, 전화4, 주소1, 주소2, 메모, 현포인트, "
                      "기초포인트) VALUES (";
        for (int i = 0; i < 7; ++i)
            sql += (i ? ", " : "") + SQLLiteral(QString::fromUtf8(r[i]));
        QCOMPARE(ExecSQL(sql + ", '', 1200, 0)"), 1);
    }
}

void TestCustAdmin::cleanup()
{
    SetModalHandler({});
    delete m_db;
    m_db = nullptr;
    gTerminalID = "0";
}

void TestCustAdmin::search_data()
{
    QTest::addColumn<int>("key"); // 0 전화번호, 1 기본주소
    QTest::addColumn<int>("op");  // 0 contains, 1 starts with, 2 ends with, 3 equals
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("codes"); // in the order listed; "refused" when the text is refused
    const QStringList all{"10000004", "10000005", "10000001", "10000002", "10000003"};
    const QStringList refused{"refused"};
    QTest::newRow("empty text lists all by address") << 0 << 0 << "" << all;
    QTest::newRow("tel contains, 전화4 alone") << 0 << 0 << "5678" << QStringList{"10000001", "10000002"};
    QTest::newRow("tel starts") << 0 << 1 << "02-1" << QStringList{"10000001", "10000003"};
    QTest::newRow("tel ends") << 0 << 2 << "1111" << QStringList{"10000005"};
    QTest::newRow("tel equals 전화2") << 0 << 3 << "02-7777-1234" << QStringList{"10000003"};
    // Digits only on both sides, whatever form was typed or stored.
    QTest::newRow("tel contains, typed without hyphens") << 0 << 0 << "3335678" << QStringList{"10000002"};
    QTest::newRow("tel contains, typed with blanks") << 0 << 0 << "333 5678" << QStringList{"10000002"};
    QTest::newRow("tel contains, stored with brackets and dots")
        << 0 << 0 << "5555-6666" << QStringList{"10000004"};
    QTest::newRow("tel starts, typed without hyphens")
        << 0 << 1 << "021" << QStringList{"10000001", "10000003"};
    QTest::newRow("tel ends, stored with a blank") << 0 << 2 << "888 1111" << QStringList{"10000005"};
    QTest::newRow("tel equals, typed without hyphens") << 0 << 3 << "0313335678" << QStringList{"10000002"};
    QTest::newRow("tel equals, stored with brackets") << 0 << 3 << "010-5555-6666" << QStringList{"10000004"};
    QTest::newRow("tel equals a part") << 0 << 3 << "5555-6666" << QStringList{};
    QTest::newRow("tel, a wildcard refused") << 0 << 0 << "%" << refused;
    QTest::newRow("tel, letters refused") << 0 << 1 << "abc" << refused;
    QTest::newRow("address contains") << 1 << 0 << "중구" << QStringList{"10000004", "10000003"};
    QTest::newRow("address starts") << 1 << 1 << "서울 종로" << QStringList{"10000001", "10000002"};
    QTest::newRow("address ends") << 1 << 2 << "동" << all;
    QTest::newRow("address equals") << 1 << 3 << "서울 중구 명동" << QStringList{"10000003"};
    QTest::newRow("address equals a part") << 1 << 3 << "서울" << QStringList{};
}

void TestCustAdmin::search()
{
    QFETCH(int, key);
    QFETCH(int, op);
    QFETCH(QString, text);
    QFETCH(QStringList, codes);
    ScriptedPrompter prompter;
    FrmCust_admin screen;
    QCOMPARE(screen.Search(), 5);
    Ctl<SpreadGrid>(&screen, "spList")->SetActiveCell(1, 4);
    Ctl<QComboBox>(&screen, "cmbFindKey")->setCurrentIndex(key);
    Ctl<QComboBox>(&screen, "cmbFindOP")->setCurrentIndex(op);
    Ctl<QLineEdit>(&screen, "htName")->setText(text);
    if (codes == QStringList{"refused"}) {
        // The format help, and the box gets back the last text searched (empty here).
        QCOMPARE(screen.Search(), 0);
        QCOMPARE(prompter.count(), 1);
        QCOMPARE(Ctl<QLineEdit>(&screen, "htName")->text(), QString());
        QCOMPARE(Ctl<SpreadGrid>(&screen, "spList")->MaxRows(), 5);
        return;
    }
    QCOMPARE(screen.Search(), int(codes.size()));
    QCOMPARE(gridCodes(screen), codes);
    if (!codes.isEmpty())
        QCOMPARE(Ctl<SpreadGrid>(&screen, "spList")->ActiveRow(), codes.size() >= 4 ? 4 : 1);
    // The total counts every customer, not the ones found.
    QCOMPARE(Ctl<QLabel>(&screen, "lblRecCount")->text(), QString("5"));
    QCOMPARE(prompter.count(), 0);
}

void TestCustAdmin::deleting()
{
    Rows::addStore("S1", "가게");
    QCOMPARE(ExecSQL("INSERT INTO 주문 (주문번호, 고객코드, 가맹점코드, 주문일자, 주문시간, 통보시간) "
                     "VALUES ('2501011001', '10000004', 'S1', '2025-01-01', '12:00', '')"),
             1);
    ScriptedPrompter prompter;
    FrmCust_admin screen;
    screen.Search();
    // A customer with an order is refused; the order keeps its customer.
    Ctl<SpreadGrid>(&screen, "spList")->SetActiveCell(1, 1);
    prompter.answer(MsgAnswer::Yes);
    screen.DeleteRecord();
    QCOMPARE(prompter.texts().at(prompter.count() - 2),
             QString("선택된『 경기 중구 필동 12'3번지 』자료를 정말로 삭제 하시겠습니까?"));
    QCOMPARE(prompter.lastText(), QString("해당 자료가 다른자료와 연결되어 있어 삭제할 수 없습니다."));
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spList")->MaxRows(), 5);
    QCOMPARE(CountRows("주문", "고객코드 = '10000004'"), 1);
    QCOMPARE(Ctl<QLabel>(&screen, "lblRecCount")->text(), QString("5"));
    // One without orders goes, and the total follows.
    Ctl<SpreadGrid>(&screen, "spList")->SetActiveCell(1, 2);
    prompter.answer(MsgAnswer::Yes);
    screen.DeleteRecord();
    QCOMPARE(prompter.lastText(), QString("자료를 삭제하였습니다."));
    QCOMPARE(gridCodes(screen), QStringList({"10000004", "10000001", "10000002", "10000003"}));
    QCOMPARE(Ctl<QLabel>(&screen, "lblRecCount")->text(), QString("4"));
    QCOMPARE(prompter.unexpected(), 0);
}

void TestCustAdmin::editorSavesShowInList()
{
    ScriptedPrompter prompter;
    FrmCust_admin screen;
    Ctl<QLineEdit>(&screen, "htName")->setText("5678");
    QCOMPARE(screen.Search(), 2);
    bool continueTicked = false;
    SetModalHandler([&](QDialog* d) {
        auto* ed = qobject_cast<FrmCust_save*>(d);
        if (!ed)
            return int(QDialog::Rejected);
        if (ed->mode() == EditorMode::Add) {
            continueTicked = ed->chkContinueAdd()->isVisibleTo(ed) && ed->chkContinueAdd()->isChecked();
            Ctl<QLineEdit>(ed, "htField", FrmCust_save::FTel1)->setText("0212345678");
            Ctl<QLineEdit>(ed, "htField", FrmCust_save::FAddr1)->setText("가평 읍내");
        } else {
            Ctl<QLineEdit>(ed, "htField", FrmCust_save::FMemo)->setText("수정됨");
        }
        ed->findChild<QPushButton*>("btnSave")->click();
        return int(QDialog::Accepted);
    });
    // Added: the last row, wherever it would sort, and one more in the total.
    screen.AddRecord();
    QVERIFY(continueTicked);
    QCOMPARE(gridCodes(screen), QStringList({"10000001", "10000002", "10000006"}));
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spList")->CellText(FrmCust_admin::ColTel1, 3),
             QString("02-1234-5678"));
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spList")->CellText(FrmCust_admin::ColAddr, 3), QString("가평 읍내 "));
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spList")->ActiveRow(), 3);
    QCOMPARE(Ctl<QLabel>(&screen, "lblRecCount")->text(), QString("6"));
    // Edited: the active row in place.
    Ctl<SpreadGrid>(&screen, "spList")->SetActiveCell(1, 1);
    screen.EditRecord();
    QCOMPARE(gridCodes(screen), QStringList({"10000001", "10000002", "10000006"}));
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spList")->CellText(FrmCust_admin::ColMemo, 1), QString("수정됨"));
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spList")->CellText(FrmCust_admin::ColPoints, 1), QString("1200"));
    QCOMPARE(Ctl<QLabel>(&screen, "lblRecCount")->text(), QString("6"));
}

void TestCustAdmin::pagedList()
{
    // More customers than a page: the first screen comes at once and the count when the event loop next
    // runs; rows come as they come into view.
    for (int i = 0; i < 450; ++i)
        QCOMPARE(ExecSQL(QString("INSERT INTO 고객 (코드, 주소1, 주소2) VALUES ('2%1', '인천 %2', '')")
                             .arg(i, 7, 10, QLatin1Char('0'))
                             .arg(i % 37, 2, 10, QLatin1Char('0'))),
                 1);
    Recordset rs;
    OpenQuery(rs, "SELECT 코드 FROM 고객 ORDER BY 주소1, 주소2, 코드");
    QStringList all;
    for (const QVariantList& r : rs.rows())
        all << r.value(0).toString();
    rs.close();
    ScriptedPrompter prompter;
    FrmCust_admin screen;
    screen.show();
    QCOMPARE(screen.Search(), 200);
    QVERIFY(screen.pager()->CountPending());
    QCoreApplication::processEvents();
    QVERIFY(!screen.pager()->CountPending());
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spList")->MaxRows(), 455);
    QVERIFY(!screen.pager()->IsFilled(455));
    Ctl<SpreadGrid>(&screen, "spList")->view()->scrollToBottom();
    QVERIFY(screen.pager()->IsFilled(455));
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spList")->CellText(FrmCust_admin::ColCode, 455), all.last());
    // A delete far down keeps the keys beside their rows.
    Ctl<SpreadGrid>(&screen, "spList")->SetActiveCell(1, 454);
    prompter.answer(MsgAnswer::Yes);
    screen.DeleteRecord();
    all.removeAt(453);
    QCOMPARE(screen.SelectedCode(), all.at(453));
    // The export takes the whole list, also the rows never shown (the operator declines the file here).
    prompter.answer(MsgAnswer::No);
    screen.ExportList();
    QCOMPARE(gridCodes(screen), all);
    // A delete among the first rows before the count and the codes below them are read: the rest still
    // follows them.
    Ctl<SpreadGrid>(&screen, "spList")->SetActiveCell(1, 1);
    QCOMPARE(screen.Search(), 200);
    QVERIFY(!screen.pager()->IsFilled(454));
    Ctl<SpreadGrid>(&screen, "spList")->SetActiveCell(1, 2);
    prompter.answer(MsgAnswer::Yes);
    screen.DeleteRecord();
    all.removeAt(1);
    prompter.answer(MsgAnswer::No);
    screen.ExportList();
    QCOMPARE(gridCodes(screen), all);
    QCOMPARE(prompter.unexpected(), 0);
}

void TestCustAdmin::othersChangesFollow()
{
    ScriptedPrompter prompter;
    FrmCust_admin screen;
    DbConnection other;
    ErrInfo e;
    QVERIFY2(other.open(gMainConn.path(), false, &e), qPrintable(e.description));
    QVERIFY(MainChangeFeed().start());
    auto* list = Ctl<SpreadGrid>(&screen, "spList");
    auto otherRuns = [&](const QString& sql) {
        QVERIFY(other.exec(sql).ok);
        HearOtherSeats(other.isServer());
    };
    Ctl<QComboBox>(&screen, "cmbFindKey")->setCurrentIndex(1);
    Ctl<QLineEdit>(&screen, "htName")->setText("서울");
    QCOMPARE(screen.Search(), 4);
    list->SetActiveCell(FrmCust_admin::ColAddr, 4); // 10000003
    // Typed but not searched: the refresh keeps to the search of the last query.
    Ctl<QLineEdit>(&screen, "htName")->setText("경기");
    otherRuns("UPDATE 고객 SET 현포인트 = 77 WHERE 코드 = '10000003'");
    QCOMPARE(list->CellText(FrmCust_admin::ColPoints, 4), QString("77"));
    otherRuns("INSERT INTO 고객 (코드, 전화1, 주소1, 주소2, 현포인트, 기초포인트) VALUES "
              "('10000006', '02-600-0006', '서울 마포구 합정동', '6번지', 0, 0)");
    otherRuns("INSERT INTO 고객 (코드, 전화1, 주소1, 주소2, 현포인트, 기초포인트) VALUES "
              "('10000007', '02-600-0007', '부산 중구 남포동', '7번지', 0, 0)");
    QCOMPARE(gridCodes(screen), (QStringList{"10000005", "10000001", "10000002", "10000003", "10000006"}));
    QCOMPARE(Ctl<QLabel>(&screen, "lblRecCount")->text(), QString("7"));
    otherRuns("DELETE FROM 고객 WHERE 코드 = '10000003'");
    QCOMPARE(gridCodes(screen), (QStringList{"10000005", "10000001", "10000002", "10000006"}));
    QCOMPARE(Ctl<QLineEdit>(&screen, "htName")->text(), QString("경기"));
    // The cursor stood on it: the one notice.
    QCOMPARE(prompter.texts(), QStringList{"선택한 자료는 다른 자리에서 삭제되었습니다."});
    EndMainChangeFeed();
}

void TestCustAdmin::catalogued()
{
    RegisterCustomerScreens();
    const ScreenEntry* entry = ScreenCatalogue::Instance().FindByMenuEntry("mnuBasic_Cust");
    QVERIFY(entry);
    QCOMPARE(entry->name, QString("FrmCust_admin"));
    QCOMPARE(entry->description, QString("고객 관리"));
    QCOMPARE(entry->gate, ScreenGate::Authority);
}

QTEST_MAIN(TestCustAdmin)
#include "tst_custadmin.moc"
