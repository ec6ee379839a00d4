#include "MainFixture.h"
#include "PtyModem.h"
#include "app/UserSettings.h"
#include "order/gui/FrmMain.h"
#include "order/gui/FrmSeeIDStanbyList.h"
#include "order/gui/FrmSeeidList.h"
#include "order/gui/modSeeID.h"
#include "support/Controls.h"
#include "support/ScriptedPrompter.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/RecordScreens.h"
#include "ui/gui/ScreenCatalogue.h"
#include "ui/gui/SpreadGrid.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace {
// Customer picker stand-in: the customer with the searched number, found without showing the picker.
class NumberPicker : public RecordPicker
{
public:
    static inline QStringList searches;
    int FindRecords(const QString& text, const QString&) override
    {
        searches << text;
        m_text = text;
        return 1;
    }
    QString result() const override
    {
        return QStringLiteral("10000001") + QChar(0) + QStringLiteral("02-1234-5678");
    }
    QDialog* dialog() override { return &m_dialog; }
    QDialog m_dialog;
    QString m_text;
};
} // namespace

// Calls from the caller-ID device reaching the order grid, the standby queue, and dialling a store.
class TestIncomingCalls : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void placedWhenWaitingOnEntryRow();
    void queuedWhenBusyThenTakenInOrder();
    void withheldNeverPlaced();
    void deviceEndToEnd();

private:
    static bool activate(QWidget& w);
};

void TestIncomingCalls::initTestCase()
{
    ScreenCatalogue::RegisterPicker(QStringLiteral("FrmCust_sel"),
                                    [] { return std::make_unique<NumberPicker>(); });
}

void TestIncomingCalls::init()
{
    NumberPicker::searches.clear();
}

bool TestIncomingCalls::activate(QWidget& w)
{
    w.show();
    w.activateWindow();
    QApplication::setActiveWindow(&w);
    return QTest::qWaitForWindowActive(&w);
}

void TestIncomingCalls::placedWhenWaitingOnEntryRow()
{
    MainFixture f;
    ScriptedPrompter p;
    FrmMain w;
    QVERIFY(activate(w));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->ActiveCol(), 2);
    w.HandleCallerNumber(QStringLiteral("0212345678"));
    QCOMPARE(NumberPicker::searches, QStringList{QStringLiteral("0212345678")});
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->CellText(1, 1), QStringLiteral("10000001"));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->CellText(2, 1), QStringLiteral("02-1234-5678"));
    QCOMPARE(Ctl<QLineEdit>(&w, "txtCustID")->text(), QStringLiteral("10000001"));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->ActiveCol(), 3);
    QCOMPARE(StandbyCount(), 0);
    QVERIFY(CallerLog()->Text().contains(QStringLiteral("0212345678 [")));
    UnloadSeeIdWindows();
}

void TestIncomingCalls::queuedWhenBusyThenTakenInOrder()
{
    MainFixture f;
    MainFixture::addOrder("2612081001", "10000001", "1001", "11:00");
    ScriptedPrompter p;
    FrmMain w;
    QVERIFY(activate(w));
    // The cursor stands on a saved order: both calls wait, and the standby window shows them.
    Ctl<SpreadGrid>(&w, "spMList")->SetActiveCell(3, 1);
    w.HandleCallerNumber(QStringLiteral("0211112222"));
    w.HandleCallerNumber(QStringLiteral("0233334444"));
    QCOMPARE(StandbyCount(), 2);
    QVERIFY(StandbyWindow()->isVisible());
    QVERIFY(NumberPicker::searches.isEmpty());
    // Back on the entry row's empty number cell, the oldest waiting number is taken first.
    Ctl<SpreadGrid>(&w, "spMList")->SetActiveCell(2, 2);
    QVERIFY(w.ProcessCallerNumber(QString()));
    QCOMPARE(NumberPicker::searches.value(0), QStringLiteral("0211112222"));
    QCOMPARE(StandbyCount(), 1);
    // The next order's entry row takes the second number.
    Ctl<SpreadGrid>(&w, "spMList")->SetActiveCell(2, Ctl<SpreadGrid>(&w, "spMList")->MaxRows());
    Ctl<SpreadGrid>(&w, "spMList")->SetText(2, Ctl<SpreadGrid>(&w, "spMList")->MaxRows(), QString());
    Ctl<SpreadGrid>(&w, "spMList")->SetText(1, Ctl<SpreadGrid>(&w, "spMList")->MaxRows(), QString());
    QVERIFY(w.ProcessCallerNumber(QString()));
    QCOMPARE(NumberPicker::searches.value(1), QStringLiteral("0233334444"));
    QCOMPARE(StandbyCount(), 0);
    QVERIFY(!StandbyWindow()->isVisible());
    QVERIFY(!w.ProcessCallerNumber(QString()));
    UnloadSeeIdWindows();
}

void TestIncomingCalls::withheldNeverPlaced()
{
    MainFixture f;
    ScriptedPrompter p;
    FrmMain w;
    QVERIFY(activate(w));
    w.HandleCallerNumber(QString());
    w.HandleCallerNumber(QStringLiteral("   "));
    QCOMPARE(StandbyCount(), 0);
    QVERIFY(NumberPicker::searches.isEmpty());
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->CellText(2, 1), QString());
    UnloadSeeIdWindows();
}

void TestIncomingCalls::deviceEndToEnd()
{
    MainFixture f;
    PtyModem modem;
    QVERIFY(modem.isValid());
    UserSettings::Save(QStringLiteral("OpenSeeIDPort1"), modem.slavePath());
    gDDD = QStringLiteral("02");
    ScriptedPrompter p;
    FrmMain w;
    QVERIFY(w.DeviceReady());
    QVERIFY(activate(w));
    // A withheld call is shown and nothing more; a ringing number lands in the entry row once.
    QVERIFY(modem.send("RING\r\nDATE = 1208\r\nTIME = 1230\r\nNMBR = P\r\n"));
    QTRY_COMPARE(Ctl<QLabel>(&w, "pnlSeeIDDisp")->text(), QStringLiteral("발신번호 표시제한"));
    QVERIFY(modem.send(
        "RING\r\nDATE = 1208\r\nTIME = 1231\r\nNMBR = 0212345678\r\nRING\r\nNMBR = 0212345678\r\n"));
    QTRY_COMPARE(Ctl<SpreadGrid>(&w, "spMList")->CellText(2, 1), QStringLiteral("02-1234-5678"));
    QTest::qWait(100);
    QCOMPARE(NumberPicker::searches, QStringList{QStringLiteral("0212345678")});
    QCOMPARE(StandbyCount(), 0);
    // A call while the cursor is elsewhere waits, and a withheld one after it is only shown; arriving at an
    // empty number cell leaves the call waiting, typing into it takes the call, and the key that did so
    // goes nowhere.
    Ctl<SpreadGrid>(&w, "spMList")->SetActiveCell(3, 1);
    QVERIFY(modem.send("ONHOOK\r\nRING\r\nNMBR = 0299990000\r\n"));
    QTRY_COMPARE(StandbyCount(), 1);
    QVERIFY(modem.send("ONHOOK\r\nRING\r\nNMBR = P\r\n"));
    QTRY_COMPARE(Ctl<QLabel>(&w, "pnlSeeIDDisp")->text(), QStringLiteral("발신번호 표시제한"));
    Ctl<SpreadGrid>(&w, "spMList")->SetText(1, 1, QString());
    Ctl<SpreadGrid>(&w, "spMList")->SetText(2, 1, QString());
    Ctl<SpreadGrid>(&w, "spMList")->SetText(3, 1, QString());
    Ctl<SpreadGrid>(&w, "spMList")->SetActiveCell(2, 1);
    Ctl<SpreadGrid>(&w, "spMList")->setFocus();
    QTRY_VERIFY(Ctl<SpreadGrid>(&w, "spMList")->IsEditing());
    QCOMPARE(StandbyCount(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_0, Qt::NoModifier);
    QCOMPARE(StandbyCount(), 0);
    QCOMPARE(NumberPicker::searches.value(1), QStringLiteral("0299990000"));
    QCOMPARE(Ctl<QLabel>(&w, "pnlSeeIDDisp")->text(), QStringLiteral("0299990000"));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->CellText(2, 1), QStringLiteral("02-1234-5678"));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->ActiveCol(), 3);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->CellText(3, 1), QString());
    QVERIFY(Ctl<SpreadGrid>(&w, "spMList")->editor()->text().isEmpty());
    // The caller-ID test takes a typed number like one from the device; with nothing typed nothing happens.
    p.answerInput(QString());
    w.CallerIdTest();
    QCOMPARE(p.lastTitle(), QStringLiteral("발신번호 테스트"));
    QCOMPARE(p.lastText(), QStringLiteral("발신번호 테스트! 테스트할 전화번호 입력( '-' 없이 숫자만 입력)"));
    QCOMPARE(StandbyCount(), 0);
    Ctl<SpreadGrid>(&w, "spMList")->SetActiveCell(3, 1);
    p.answerInput(QStringLiteral("0311234567"));
    w.CallerIdTest();
    QCOMPARE(StandbyCount(), 1);
    QCOMPARE(PopStandbyNumber(), QStringLiteral("0311234567"));
    // Dialling a store: asked to lift the handset, then the digits go out without the own area code.
    QVERIFY(modem.send("ONHOOK\r\n"));
    w.AutoDialReady(QStringLiteral("02-555-1001"));
    QCOMPARE(p.lastText(),
             QStringLiteral("가맹점에 전화걸기를 시도하려고 합니다.\r\n\r\n수화기를 들어 주세요..."));
    QTRY_VERIFY(Ctl<QLabel>(&w, "pnlAutoDialingmsg")->isVisible());
    QVERIFY(Ctl<QLabel>(&w, "pnlAutoDialingmsg")
                ->text()
                .startsWith(QStringLiteral("수화기를 들어 주세요...(남은 대기시간: ")));
    QVERIFY(modem.send("OFFHOOK\r\n"));
    QVERIFY(!modem.receive("ATDT5551001;\r", 5000).isEmpty());
    QTRY_VERIFY(!Ctl<QLabel>(&w, "pnlAutoDialingmsg")->isVisible());
    w.close();
    UserSettings::Save(QStringLiteral("OpenSeeIDPort1"), QStringLiteral("0"));
}

QTEST_MAIN(TestIncomingCalls)
#include "tst_incomingcalls.moc"
