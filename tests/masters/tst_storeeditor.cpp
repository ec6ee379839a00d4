#include "db/modDBQuery.h"
#include "masters/gui/FrmMemb_save.h"
#include "support/Controls.h"
#include "support/DbFixture.h"
#include "support/ScriptedPrompter.h"
#include "support/TestRows.h"
#include "ui/gui/RecordScreens.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {
// An opener that counts the saves the editor reports.
class SyncSpy : public QWidget, public EditorSyncTarget
{
public:
    int calls = 0;
    int lastMode = 0;
    QString lastCode;
    void SyncUpdateCust(RecordEditor* editor, EditorMode mode) override
    {
        ++calls;
        lastMode = int(mode);
        lastCode = static_cast<FrmMemb_save*>(editor)->FieldText(FrmMemb_save::FldCode);
    }
};

using Rows::addStore;

QVariant storeValue(const QString& code, const QString& column)
{
    return GetFirstValue(QStringLiteral("SELECT %1 FROM 가맹점 WHERE 코드 = '%2'").arg(column, code));
}

void fill(FrmMemb_save& dlg, const QString& code, const QString& name, const QString& rate)
{
    Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldCode)->setText(code);
    Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldName)->setText(name);
    Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldRate)->setText(rate);
}

// Shows the dialog as the active window, so focus changes raise the field checks.
void showActive(QDialog& dlg)
{
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
}
} // namespace

// The store editor on a real main database.
class TestStoreEditor : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void newStoreOpensWithFullDay();
    void rateRefused_data();
    void rateRefused();
    void timeOnLeaving_data();
    void timeOnLeaving();
    void insertWritesEveryField();
    void duplicateCodeRefused();
    void editMovesBalanceByOpeningBalance();
    void editNameToAnotherStoresName_data();
    void editNameToAnotherStoresName();
    void openingBalanceInput_data();
    void openingBalanceInput();
    void continueAddKeepsDialogOpen();

private:
    DbFixture* m_db = nullptr;
    ScriptedPrompter* m_prompter = nullptr;
};

void TestStoreEditor::init()
{
    m_db = new DbFixture;
    m_prompter = new ScriptedPrompter;
}

void TestStoreEditor::cleanup()
{
    QCOMPARE(m_prompter->unexpected(), 0);
    delete m_prompter;
    delete m_db;
}

void TestStoreEditor::newStoreOpensWithFullDay()
{
    FrmMemb_save dlg;
    dlg.Init(EditorMode::Add, nullptr, QStringLiteral("교촌"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("가맹점 - 『추가』"));
    QCOMPARE(dlg.FieldText(FrmMemb_save::FldOpen), QStringLiteral("00:00"));
    QCOMPARE(dlg.FieldText(FrmMemb_save::FldClose), QStringLiteral("23:59"));
    QCOMPARE(dlg.FieldText(FrmMemb_save::FldRate), QStringLiteral("0"));
    QCOMPARE(dlg.FieldText(FrmMemb_save::FldName), QStringLiteral("교촌"));
    QCOMPARE(dlg.lblBreakTime(1)->text(), QStringLiteral("오후 11:59"));
    QVERIFY(!Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldCode)->isReadOnly());
}

void TestStoreEditor::rateRefused_data()
{
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("message");
    QTest::newRow("zero") << "0"
                          << "[수수료율]은(는) 필수 입력 사항입니다.";
    QTest::newRow("zero with decimals") << "0.0"
                                        << "[수수료율]은(는) 필수 입력 사항입니다.";
    QTest::newRow("empty") << ""
                           << "[수수료율]은(는) 필수 입력 사항입니다.";
    QTest::newRow("not a number") << "3%"
                                  << "[수수료율]에는 숫자만 입력할 수 있습니다.";
    QTest::newRow("misplaced separator") << "1,5"
                                         << "[수수료율]에는 숫자만 입력할 수 있습니다.";
}

void TestStoreEditor::rateRefused()
{
    QFETCH(QString, rate);
    QFETCH(QString, message);
    FrmMemb_save dlg;
    dlg.Init(EditorMode::Add, nullptr, {});
    fill(dlg, QStringLiteral("S1"), QStringLiteral("교촌"), rate);
    QVERIFY(!dlg.Save());
    QVERIFY(m_prompter->lastText().startsWith(message));
    QCOMPARE(CountRows(QStringLiteral("가맹점")), 0);
}

void TestStoreEditor::timeOnLeaving_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("keepsFocus");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("four digits") << "1425"
                                 << "14:25" << false << ""
                                 << "오후 02:25";
    QTest::newRow("hour only") << "9"
                               << "09:00" << false << ""
                               << "오전 09:00";
    QTest::newRow("dot") << "14.25"
                         << "14:25" << false << ""
                         << "오후 02:25";
    QTest::newRow("no hour 25") << "25"
                                << "25" << true << "[25:00]는 시간형식이 아닙니다."
                                << "";
    QTest::newRow("three digits") << "930"
                                  << "930" << true << "[930]는 시간형식이 아닙니다."
                                  << "";
}

void TestStoreEditor::timeOnLeaving()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QFETCH(bool, keepsFocus);
    QFETCH(QString, message);
    QFETCH(QString, shown);
    FrmMemb_save dlg;
    dlg.Init(EditorMode::Add, nullptr, {});
    showActive(dlg);
    QLineEdit* open = Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldOpen);
    open->setFocus(Qt::TabFocusReason);
    dlg.lblBreakTime(0)->clear();
    open->setText(typed);
    QTest::keyClick(open, Qt::Key_Tab);
    QCoreApplication::processEvents();
    QCOMPARE(open->text(), expected);
    QCOMPARE(dlg.lblBreakTime(0)->text(), shown);
    QCOMPARE(QApplication::focusWidget() == open, keepsFocus);
    if (message.isEmpty())
        QCOMPARE(m_prompter->count(), 0);
    else
        QVERIFY(m_prompter->lastText().startsWith(message));
}

void TestStoreEditor::insertWritesEveryField()
{
    SyncSpy opener;
    FrmMemb_save dlg;
    dlg.Init(EditorMode::Add, &opener, {});
    fill(dlg, QStringLiteral(" S1 "), QStringLiteral("김's 치킨"), QStringLiteral("3.5"));
    Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldTel1)->setText(QStringLiteral("0212345678"));
    Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldTel2)->setText(QStringLiteral("031.123.4567"));
    Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldTel3)->setText(QStringLiteral("123-4567 내선2"));
    Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldTel4)->setText(QStringLiteral("1234-5678 ext9"));
    Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldOpen)->setText(QStringLiteral("1700"));
    Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldClose)->setText(QStringLiteral("02:00"));
    Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldPost)->setText(QStringLiteral("123-4567"));
    Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldAddr1)->setText(QStringLiteral("서울 중구 을지로"));
    Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldAddr2)->setText(QStringLiteral("1'2번지"));
    Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldMemo)->setText(QStringLiteral("사장님 '급함'"));
    Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldBase)->setText(QStringLiteral("1,500"));
    QVERIFY(dlg.Save());

    const QString code = QStringLiteral("S1");
    QCOMPARE(storeValue(code, "상호").toString(), QStringLiteral("김's 치킨"));
    QCOMPARE(storeValue(code, "전화1").toString(), QStringLiteral("02-1234-5678"));
    QCOMPARE(storeValue(code, "전화2").toString(), QStringLiteral("031-123-4567"));
    QCOMPARE(storeValue(code, "전화3").toString(), QStringLiteral("123-4567 내선2"));
    QCOMPARE(storeValue(code, "전화4").toString(), QStringLiteral("1234-5678 ext9"));
    QCOMPARE(storeValue(code, "영업시작").toString(), QStringLiteral("17:00"));
    QCOMPARE(storeValue(code, "영업종료").toString(), QStringLiteral("02:00"));
    QCOMPARE(storeValue(code, "우편번호").toString(), QStringLiteral("123-456"));
    QCOMPARE(storeValue(code, "주소2").toString(), QStringLiteral("1'2번지"));
    QCOMPARE(storeValue(code, "메모").toString(), QStringLiteral("사장님 '급함'"));
    QCOMPARE(storeValue(code, "수수료율").toDouble(), 3.5);
    QCOMPARE(storeValue(code, "기초잔액").toDouble(), 1500.0);
    QCOMPARE(storeValue(code, "현잔액").toDouble(), 1500.0);

    QCOMPARE(dlg.AddedRec(), code + QChar(0) + QStringLiteral("김's 치킨"));
    QCOMPARE(opener.calls, 1);
    QCOMPARE(opener.lastMode, 1);
    QCOMPARE(opener.lastCode, code);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(m_prompter->lastText(), QStringLiteral("자료가 저장되었습니다."));
}

void TestStoreEditor::duplicateCodeRefused()
{
    addStore(QStringLiteral("12"), QStringLiteral("기존점"));
    FrmMemb_save dlg;
    dlg.Init(EditorMode::Add, nullptr, {});
    showActive(dlg);
    QLineEdit* code = Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldCode);
    code->setFocus(Qt::TabFocusReason);
    code->setText(QStringLiteral("12"));
    QTest::keyClick(code, Qt::Key_Tab);
    QCoreApplication::processEvents();
    QCOMPARE(m_prompter->lastText(), QStringLiteral("『12』는 이미 존재하는 코드입니다."));
    QCOMPARE(QApplication::focusWidget(), code);

    m_prompter->clear();
    fill(dlg, QStringLiteral("12"), QStringLiteral("새가게"), QStringLiteral("10"));
    QVERIFY(!dlg.Save());
    QCOMPARE(m_prompter->lastText(), QStringLiteral("『12』는 이미 존재하는 코드입니다."));
    QCOMPARE(CountRows(QStringLiteral("가맹점")), 1);
    QVERIFY(dlg.AddedRec().isEmpty());
}

void TestStoreEditor::editMovesBalanceByOpeningBalance()
{
    addStore(QStringLiteral("S7"), QStringLiteral("교촌"), 12000, 0);
    SyncSpy opener;
    FrmMemb_save dlg;
    dlg.Init(EditorMode::Edit, &opener, QStringLiteral("S7"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("가맹점 - 『수정』"));
    QVERIFY(Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldCode)->isReadOnly());
    QCOMPARE(dlg.FieldText(FrmMemb_save::FldBalance), QStringLiteral("12,000"));

    showActive(dlg);
    Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldCode)->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldCode), Qt::Key_X);
    QCOMPARE(m_prompter->lastText(), QStringLiteral("코드는 수정할 수 없습니다."));
    QCOMPARE(dlg.FieldText(FrmMemb_save::FldCode), QStringLiteral("S7"));

    // Commissions booked in between stay in the balance.
    QVERIFY(ExecSQL(QStringLiteral("UPDATE 가맹점 SET 현잔액 = 현잔액 + 500 WHERE 코드 = 'S7'")) == 1);
    Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldBase)->setText(QStringLiteral("50000"));
    QVERIFY(dlg.Save());
    QCOMPARE(storeValue(QStringLiteral("S7"), "현잔액").toDouble(), 62500.0);
    QCOMPARE(storeValue(QStringLiteral("S7"), "기초잔액").toDouble(), 50000.0);
    QCOMPARE(dlg.currentBalance(), 62000.0);
    QCOMPARE(dlg.FieldText(FrmMemb_save::FldBalance), QStringLiteral("62,000"));
    QCOMPARE(opener.lastMode, 2);
    QVERIFY(dlg.AddedRec().isEmpty());
}

void TestStoreEditor::editNameToAnotherStoresName_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("no keeps the name") << false;
    QTest::newRow("yes stores it") << true;
}

void TestStoreEditor::editNameToAnotherStoresName()
{
    QFETCH(bool, yes);
    addStore(QStringLiteral("A1"), QStringLiteral("놀부's 부대찌개"));
    addStore(QStringLiteral("B1"), QStringLiteral("피자집"));
    FrmMemb_save dlg;
    dlg.Init(EditorMode::Edit, nullptr, QStringLiteral("B1"));
    // Its own name is no duplicate.
    QVERIFY(dlg.Save());
    QCOMPARE(m_prompter->count(), 1);
    m_prompter->clear();

    Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldName)->setText(QStringLiteral("놀부's 부대찌개"));
    m_prompter->answer(yes ? MsgAnswer::Yes : MsgAnswer::No);
    QCOMPARE(dlg.Save(), yes);
    QCOMPARE(m_prompter->shown().first().request.title, QStringLiteral("동일 상호명 발견"));
    QCOMPARE(m_prompter->shown().first().request.defaultAnswer, MsgAnswer::No);
    QCOMPARE(storeValue(QStringLiteral("B1"), "상호").toString(),
             yes ? QStringLiteral("놀부's 부대찌개") : QStringLiteral("피자집"));
}

void TestStoreEditor::openingBalanceInput_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<double>("stored");
    QTest::newRow("empty is zero") << "" << true << 0.0;
    QTest::newRow("thousands separators") << "1,500" << true << 1500.0;
    QTest::newRow("trailing letters refused") << "12abc" << false << 0.0;
}

void TestStoreEditor::openingBalanceInput()
{
    QFETCH(QString, typed);
    QFETCH(bool, saved);
    QFETCH(double, stored);
    FrmMemb_save dlg;
    dlg.Init(EditorMode::Add, nullptr, {});
    fill(dlg, QStringLiteral("N1"), QStringLiteral("새가게"), QStringLiteral("10"));
    Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldBase)->setText(typed);
    QCOMPARE(dlg.Save(), saved);
    QCOMPARE(CountRows(QStringLiteral("가맹점")), saved ? 1 : 0);
    if (saved) {
        QCOMPARE(storeValue(QStringLiteral("N1"), "현잔액").toDouble(), stored);
    } else {
        QCOMPARE(m_prompter->lastText(), QStringLiteral("[기초잔액]에는 숫자만 입력할 수 있습니다.\r\n"
                                                        "예) 1500 또는 1,500"));
    }
}

void TestStoreEditor::continueAddKeepsDialogOpen()
{
    SyncSpy opener;
    FrmMemb_save dlg;
    dlg.Init(EditorMode::Add, &opener, {});
    dlg.chkContinueAdd()->setVisible(true);
    dlg.chkContinueAdd()->setChecked(true);
    fill(dlg, QStringLiteral("C1"), QStringLiteral("첫째"), QStringLiteral("10"));
    Ctl<QLineEdit>(&dlg, "htField", FrmMemb_save::FldOpen)->setText(QStringLiteral("10:00"));
    QVERIFY(dlg.Save());
    QCOMPARE(dlg.FieldText(FrmMemb_save::FldCode), QString());
    QCOMPARE(dlg.FieldText(FrmMemb_save::FldOpen), QStringLiteral("00:00"));
    QCOMPARE(dlg.FieldText(FrmMemb_save::FldRate), QStringLiteral("0"));
    fill(dlg, QStringLiteral("C2"), QStringLiteral("둘째"), QStringLiteral("10"));
    QVERIFY(dlg.Save());
    QCOMPARE(opener.calls, 2);
    QCOMPARE(opener.lastCode, QStringLiteral("C2"));
    QCOMPARE(dlg.AddedRec(), QStringLiteral("C2") + QChar(0) + QStringLiteral("둘째"));
    QCOMPARE(CountRows(QStringLiteral("가맹점")), 2);
    QVERIFY(dlg.result() != int(QDialog::Accepted));
}

QTEST_MAIN(TestStoreEditor)
#include "tst_storeeditor.moc"
