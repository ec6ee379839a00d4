#include "app/Globals.h"
#include "app/UserSettings.h"
#include "db/CustomerPhoneIndex.h"
#include "db/modDBQuery.h"
#include "masters/CustomerQueries.h"
#include "masters/gui/CustomerScreens.h"
#include "masters/gui/FrmCust_save.h"
#include "masters/gui/FrmCust_sel.h"
#include "masters/gui/FrmCust_selsub.h"
#include "masters/gui/Pick.h"
#include "support/Controls.h"
#include "support/DbFixture.h"
#include "support/ScriptedPrompter.h"
#include "support/TestRows.h"
#include "ui/gui/ByteLimitedLineEdit.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/SpreadGrid.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <functional>

namespace {
// Saves a picture of a dialog when ZELKOVA_SHOT_DIR names a folder, for looking at the screens.
void shot(QWidget* w, const QString& name)
{
    const QString dir = qEnvironmentVariable("ZELKOVA_SHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    w->show();
    QTest::qWait(50);
    w->grab().save(dir + "/" + name + ".png");
}

QStringList gridCodes(FrmCust_sel& picker)
{
    QStringList codes;
    for (int r = 1; r <= Ctl<SpreadGrid>(&picker, "spList")->MaxRows(); ++r)
        codes << Ctl<SpreadGrid>(&picker, "spList")->CellText(FrmCust_sel::ColCode, r);
    codes.sort();
    return codes;
}
} // namespace

// The customer picker, its number list and the find-or-register flow over them.
class TestCustPicker : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void findRecords_data();
    void findRecords();
    void searchScopes_data();
    void searchScopes();
    void scopesRemembered();
    void badTextRefused();
    void selecting();
    void addAndEditShowInGrid();
    void deleting();
    void pickCustomer();

private:
    DbFixture* m_db = nullptr;
};

void TestCustPicker::initTestCase()
{
    RegisterCustomerScreens();
}

void TestCustPicker::init()
{
    m_db = new DbFixture;
    QString error;
    QVERIFY2(ApplyCustomerPhoneIndex(gMainConn, &error), qPrintable(error));
    gTerminalID = "1";
    const char* rows[][8] = {
        {"10000001", "02-111-5678", "", "", "", "서울 종로구 가회동", "1번지", ""},
        {"10000002", "02-222-0000", "", "", "031-333-5678", "서울 종로구 삼청동", "2번지", ""},
        {"10000003", "02-1234-9999", "02-7777-1234", "", "", "서울 중구 명동", "3번지", ""},
        {"10000004", "010-5555-6666", "02-5555-6666", "", "", "서울 중구 필동", "12'3번지", "O'Neil 단골"},
        {"10000005", "8888-1111", "02-123-4567", "02-8888-1111", "", "서울 용산구 후암동", "5번지", ""},
    };
    for (const auto& r : rows) {
        QString sql = "INSERT INTO 고객 (코드, 전화1, 전화2, 전화3, 전화4, 주소1, 주소2, 메모, 현포인트, "
                      "기초포인트) VALUES (";
        for (int i = 0; i < 8; ++i)
            sql += (i ? ", '" : "'") + SQLQuote(QString::fromUtf8(r[i])) + "'";
        QCOMPARE(ExecSQL(sql + ", 0, 0)"), 1);
    }
}

void TestCustPicker::cleanup()
{
    SetModalHandler({});
    delete m_db;
    m_db = nullptr;
    gTerminalID = "0";
}

void TestCustPicker::findRecords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("extra");
    QTest::addColumn<int>("pick"); // entry chosen in the number list, -1 = closed without a choice
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QStringList>("listed"); // numbers offered in the number list, empty = not shown

    const QChar nul(0);
    QTest::newRow("empty text") << ""
                                << "False" << -1 << 2 << "" << QStringList{};
    QTest::newRow("none") << "0299990000"
                          << "False" << -1 << 0 << "" << QStringList{};
    QTest::newRow("several") << "5678"
                             << "False" << -1 << 2 << "" << QStringList{};
    QTest::newRow("one, its second number")
        << "0277771234"
        << "False" << -1 << 1 << QString("10000003") + nul + "02-7777-1234" << QStringList{};
    QTest::newRow("one, first-number flag")
        << "0277771234"
        << "True" << -1 << 1 << QString("10000003") + nul + "02-1234-9999" << QStringList{};
    QTest::newRow("one, no number inside, picked")
        << "5555-6666"
        << "False" << 1 << 1 << QString("10000004") + nul + "02-5555-6666"
        << QStringList{"010-5555-6666", "02-5555-6666"};
    QTest::newRow("one, no number inside, closed")
        << "5555-6666"
        << "False" << -1 << 2 << "" << QStringList{"010-5555-6666", "02-5555-6666"};
    QTest::newRow("one, two numbers inside") << "0288881111"
                                             << "False" << 0 << 1 << QString("10000005") + nul + "8888-1111"
                                             << QStringList{"8888-1111", "02-8888-1111"};
}

void TestCustPicker::findRecords()
{
    QFETCH(QString, text);
    QFETCH(QString, extra);
    QFETCH(int, pick);
    QFETCH(int, count);
    QFETCH(QString, result);
    QFETCH(QStringList, listed);
    ScriptedPrompter prompter;
    QStringList offered;
    SetModalHandler([&](QDialog* d) {
        auto* list = qobject_cast<FrmCust_selsub*>(d);
        if (!list)
            return int(QDialog::Rejected);
        for (int i = 0; i < Ctl<QListWidget>(list, "List1")->count(); ++i)
            offered << Ctl<QListWidget>(list, "List1")->item(i)->text();
        shot(list, "FrmCust_selsub");
        if (pick < 0)
            return int(QDialog::Rejected);
        Ctl<QListWidget>(list, "List1")->setCurrentRow(pick);
        QTest::keyClick(Ctl<QListWidget>(list, "List1"), Qt::Key_Return);
        return list->result();
    });
    FrmCust_sel picker;
    QCOMPARE(picker.FindRecords(text, extra), count);
    QCOMPARE(picker.result(), result);
    QCOMPARE(offered, listed);
    QCOMPARE(prompter.count(), 0);
}

void TestCustPicker::searchScopes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<bool>>("scopes");
    QTest::addColumn<QStringList>("codes");
    const QList<bool> tel{true, false, false};
    QTest::newRow("last four in any column") << "5678" << tel << QStringList{"10000001", "10000002"};
    QTest::newRow("full number typed with hyphens") << "02-111-5678" << tel << QStringList{"10000001"};
    QTest::newRow("full number as digits, fourth column") << "0313335678" << tel << QStringList{"10000002"};
    QTest::newRow("street number with quote")
        << "12'3" << QList<bool>{false, true, false} << QStringList{"10000004"};
    QTest::newRow("memo with quote, telephone too")
        << "O'Neil" << QList<bool>{true, false, true} << QStringList{"10000004"};
    QTest::newRow("percent and underscore are no wildcards")
        << "%_" << QList<bool>{true, true, true} << QStringList{};
    QTest::newRow("nothing ticked lists all")
        << "5678" << QList<bool>{false, false, false}
        << QStringList{"10000001", "10000002", "10000003", "10000004", "10000005"};
}

void TestCustPicker::searchScopes()
{
    QFETCH(QString, text);
    QFETCH(QList<bool>, scopes);
    QFETCH(QStringList, codes);
    ScriptedPrompter prompter;
    FrmCust_sel picker;
    for (int i = 0; i < 3; ++i)
        Ctl<QCheckBox>(&picker, "chkFindFld", i)->setChecked(scopes.at(i));
    Ctl<QLineEdit>(&picker, "txtinput")->setText(text);
    QTest::keyClick(Ctl<QLineEdit>(&picker, "txtinput"), Qt::Key_Return);
    QCOMPARE(gridCodes(picker), codes);
    // No engine error; an empty list says so.
    QCOMPARE(prompter.texts(), codes.isEmpty() ? QStringList{"검색된 자료가 없습니다."} : QStringList{});
    // The index and the plain scan of the four columns agree.
    for (bool useIndex : {true, false}) {
        Recordset rs;
        QCOMPARE(
            OpenQuery(rs,
                      CustomerQueries::Picker(text, scopes.at(0), scopes.at(1), scopes.at(2), useIndex).sql),
            int(codes.size()));
    }
}

void TestCustPicker::badTextRefused()
{
    ScriptedPrompter prompter;
    FrmCust_sel picker;
    Ctl<QLineEdit>(&picker, "txtinput")->setText(QStringLiteral("5678") + QChar(0));
    QTest::keyClick(Ctl<QLineEdit>(&picker, "txtinput"), Qt::Key_Return);
    QCOMPARE(prompter.count(), 1);
    QVERIFY2(prompter.lastText().endsWith(QStringLiteral("검색어를 고쳐서 다시 입력하세요.")),
             qPrintable(prompter.lastText()));
    QCOMPARE(Ctl<SpreadGrid>(&picker, "spList")->MaxRows(), 0);
}

void TestCustPicker::scopesRemembered()
{
    {
        FrmCust_sel picker;
        QVERIFY(Ctl<QCheckBox>(&picker, "chkFindFld", 0)->isChecked());
        QVERIFY(!Ctl<QCheckBox>(&picker, "chkFindFld", 1)->isChecked());
        QCOMPARE(UserSettings::Get("CustFindFld_0", "unset"), QString("unset")); // opening writes nothing
        Ctl<QCheckBox>(&picker, "chkFindFld", 2)->setChecked(true);
        Ctl<QCheckBox>(&picker, "chkFindFld", 0)->setChecked(false);
    }
    FrmCust_sel again;
    QVERIFY(!Ctl<QCheckBox>(&again, "chkFindFld", 0)->isChecked());
    QVERIFY(Ctl<QCheckBox>(&again, "chkFindFld", 2)->isChecked());
    QCOMPARE(UserSettings::Get("CustFindFld_2"), QString("1"));
}

void TestCustPicker::selecting()
{
    ScriptedPrompter prompter;
    FrmCust_sel picker;
    picker.SelectRecord();
    QCOMPARE(prompter.lastText(), QString("리스트에서 자료를 선택하세요."));
    Ctl<QLineEdit>(&picker, "txtinput")->setText("8");
    QTest::keyClick(Ctl<QLineEdit>(&picker, "txtinput"), Qt::Key_Return);
    QCOMPARE(prompter.count(), 1);
    Ctl<QLineEdit>(&picker, "txtinput")->setText("0000000");
    QTest::keyClick(Ctl<QLineEdit>(&picker, "txtinput"), Qt::Key_Return);
    QCOMPARE(prompter.lastText(), QString("검색된 자료가 없습니다."));

    // Closing the number list leaves the picker open without a result.
    QCOMPARE(picker.FindRecords("5678", "False"), 2);
    SetModalHandler([](QDialog*) { return int(QDialog::Rejected); });
    Ctl<SpreadGrid>(&picker, "spList")->SetActiveCell(1, 1);
    picker.SelectRecord();
    QCOMPARE(picker.result(), QString());
    QCOMPARE(picker.QDialog::result(), int(QDialog::Rejected)); // not closed by the selection
    // A row whose number the caller uses is taken by Enter in the grid.
    QCOMPARE(picker.FindRecords("0277771234", "False"), 1);
    Ctl<SpreadGrid>(&picker, "spList")->SetActiveCell(1, 1);
    picker.SelectRecord();
    QCOMPARE(picker.QDialog::result(), int(QDialog::Accepted));
    QCOMPARE(picker.result(), QString("10000003") + QChar(0) + "02-7777-1234");
}

void TestCustPicker::addAndEditShowInGrid()
{
    ScriptedPrompter prompter;
    FrmCust_sel picker;
    QCOMPARE(picker.FindRecords("5678", "False"), 2);
    bool continueVisible = false;
    SetModalHandler([&](QDialog* d) {
        auto* ed = qobject_cast<FrmCust_save*>(d);
        if (!ed)
            return int(QDialog::Rejected);
        if (ed->mode() == EditorMode::Add) {
            continueVisible = ed->chkContinueAdd()->isVisibleTo(ed);
            Ctl<QLineEdit>(ed, "htField", FrmCust_save::FTel1)->setText("0212345678");
            Ctl<QLineEdit>(ed, "htField", FrmCust_save::FAddr1)->setText("서울 종로구 삼청동");
            shot(ed, "FrmCust_save");
        } else {
            Ctl<QLineEdit>(ed, "htField", FrmCust_save::FMemo)->setText("수정됨");
        }
        ed->findChild<QPushButton*>("btnSave")->click();
        return ed->result();
    });
    QTest::keyClick(&picker, Qt::Key_F2);
    QVERIFY(continueVisible);
    QCOMPARE(Ctl<SpreadGrid>(&picker, "spList")->MaxRows(), 3);
    QCOMPARE(Ctl<SpreadGrid>(&picker, "spList")->CellText(FrmCust_sel::ColTel1, 3), QString("02-1234-5678"));
    QCOMPARE(Ctl<SpreadGrid>(&picker, "spList")->CellText(FrmCust_sel::ColCode, 3), QString("10000006"));
    QCOMPARE(Ctl<SpreadGrid>(&picker, "spList")->ActiveRow(), 3);

    Ctl<SpreadGrid>(&picker, "spList")->SetActiveCell(1, 1);
    picker.EditRecord();
    QCOMPARE(Ctl<SpreadGrid>(&picker, "spList")->MaxRows(), 3);
    QCOMPARE(Ctl<SpreadGrid>(&picker, "spList")->CellText(FrmCust_sel::ColMemo, 1), QString("수정됨"));
    shot(&picker, "FrmCust_sel");
}

void TestCustPicker::deleting()
{
    Rows::addStore("S1", "가게");
    QCOMPARE(ExecSQL("INSERT INTO 주문 (주문번호, 고객코드, 가맹점코드, 주문일자, 주문시간, 통보시간) "
                     "VALUES ('2501011001', '10000004', 'S1', '2025-01-01', '12:00', '')"),
             1);
    ScriptedPrompter prompter;
    FrmCust_sel picker;
    picker.DeleteRecord();
    QCOMPARE(prompter.lastText(), QString("먼저 그리드에서 삭제할 자료를 선택하세요."));
    Ctl<QCheckBox>(&picker, "chkFindFld", 0)->setChecked(false);
    Ctl<QLineEdit>(&picker, "txtinput")->setText("x");
    picker.Refresh_Sheet(); // every customer, by address
    const auto rowOf = [&](const QString& code) {
        for (int r = 1; r <= Ctl<SpreadGrid>(&picker, "spList")->MaxRows(); ++r)
            if (Ctl<SpreadGrid>(&picker, "spList")->CellText(FrmCust_sel::ColCode, r) == code)
                return r;
        return 0;
    };
    // A customer with orders is refused.
    Ctl<SpreadGrid>(&picker, "spList")->SetActiveCell(1, rowOf("10000004"));
    prompter.answer(MsgAnswer::Yes);
    QTest::keyClick(&picker, Qt::Key_F4);
    QCOMPARE(prompter.texts().at(prompter.count() - 2),
             QString("선택된『 서울 중구 필동 12'3번지 』자료를 정말로 삭제 하시겠습니까?"));
    QCOMPARE(prompter.lastText(), QString("해당 자료가 다른자료와 연결되어 있어 삭제할 수 없습니다."));
    QCOMPARE(Ctl<SpreadGrid>(&picker, "spList")->MaxRows(), 5);
    QCOMPARE(CountRows("고객"), 5);
    // One without orders goes, with its row.
    Ctl<SpreadGrid>(&picker, "spList")->SetActiveCell(1, rowOf("10000001"));
    prompter.answer(MsgAnswer::Yes);
    picker.DeleteRecord();
    QCOMPARE(prompter.lastText(), QString("자료를 삭제하였습니다."));
    QCOMPARE(Ctl<SpreadGrid>(&picker, "spList")->MaxRows(), 4);
    QCOMPARE(rowOf("10000001"), 0);
    QCOMPARE(CountRows("고객", "코드 = '10000001'"), 0);
    // Deleted meanwhile from another seat.
    QCOMPARE(ExecSQL("DELETE FROM 고객 WHERE 코드 = '10000002'"), 1);
    Ctl<SpreadGrid>(&picker, "spList")->SetActiveCell(1, rowOf("10000002"));
    prompter.answer(MsgAnswer::Yes);
    picker.DeleteRecord();
    QVERIFY(prompter.lastText().startsWith("코드『10000002』에 해당하는 자료를 삭제 할 수 없습니다."));
    QCOMPARE(Ctl<SpreadGrid>(&picker, "spList")->MaxRows(), 4);
    QCOMPARE(prompter.unexpected(), 0);
}

void TestCustPicker::pickCustomer()
{
    ScriptedPrompter prompter;
    int shown = 0;
    std::function<int(QDialog*)> onModal;
    SetModalHandler([&](QDialog* d) {
        ++shown;
        return onModal(d);
    });
    QString code;

    // One match is taken without showing anything.
    QCOMPARE(PickCustomer("0277771234", code, {}, true), QString("02-7777-1234"));
    QCOMPARE(code, QString("10000003"));
    QCOMPARE(shown, 0);

    // Several: the picker is shown and the operator picks the second row.
    onModal = [](QDialog* d) {
        auto* picker = qobject_cast<FrmCust_sel*>(d);
        if (!picker)
            return int(QDialog::Rejected);
        Ctl<SpreadGrid>(picker, "spList")->SetActiveCell(1, 2);
        picker->SelectRecord();
        return picker->QDialog::result();
    };
    code.clear();
    QCOMPARE(PickCustomer("5678", code, {}, true, CustomerNumber::First), QString("02-222-0000"));
    QCOMPARE(code, QString("10000002"));
    QCOMPARE(shown, 1);

    // None: registration with the caller's number, which the next call then finds.
    onModal = [](QDialog* d) {
        auto* ed = qobject_cast<FrmCust_save*>(d);
        if (!ed || ed->FieldText(FrmCust_save::FTel1) != "02-1234-0000")
            return int(QDialog::Rejected);
        Ctl<QLineEdit>(ed, "htField", FrmCust_save::FAddr1)->setText("서울 종로구 삼청동");
        QTest::keyClick(Ctl<QLineEdit>(ed, "htField", FrmCust_save::FAddr1), Qt::Key_F2);
        return ed->result();
    };
    prompter.answer(MsgAnswer::Yes);
    code.clear();
    QCOMPARE(PickCustomer("0212340000", code, {}, true), QString("02-1234-0000"));
    QCOMPARE(code, QString("10000006"));
    QCOMPARE(prompter.texts().first(),
             QString("검색한 고객이 등록되어 있지 않습니다.\r\n신규 등록하겠습니까?"));
    shown = 0;
    code.clear();
    QCOMPARE(PickCustomer("0212340000", code, {}, true), QString("02-1234-0000"));
    QCOMPARE(code, QString("10000006"));
    QCOMPARE(shown, 0);

    // None without registration only tells.
    code.clear();
    QCOMPARE(PickCustomer("0299990000", code, {}, false), QString());
    QCOMPARE(prompter.lastText(), QString("검색한 고객이 등록되어 있지 않습니다."));
    QVERIFY(code.isEmpty());
    QCOMPARE(prompter.unexpected(), 0);
}

QTEST_MAIN(TestCustPicker)
#include "tst_custpicker.moc"
