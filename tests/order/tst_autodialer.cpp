#include "app/Globals.h"
#include "order/AutoDialer.h"
#include "support/ScriptedPrompter.h"
#include "ui/MsgBox.h"

#include <QTest>

namespace {
// Spelt out: the program's own line-break constant may not be built yet when these are.
const QString kCrLfText = QStringLiteral("\r\n");
const QString kAskLift = QStringLiteral("가맹점에 전화걸기를 시도하려고 합니다.") + kCrLfText + kCrLfText +
                         QStringLiteral("수화기를 들어 주세요...");
const QString kGiveUp = QStringLiteral("10초 동안 수화기를 들지 않아서 전화걸기 시도를 중지 합니다.");
const QString kNotReady = QStringLiteral("SEE ID 장치가 준비상태에 있지 않아 전화를 걸수 없습니다.") +
                          kCrLfText + QStringLiteral("다음부터 이 메시지를 띄우지 않겠습니까?");

// Stands in for the main screen's timer, devices and countdown panel, writing down every call.
struct FakeScreen
{
    QStringList calls;
    bool timerRunning = false;

    AutoDialer::Hooks hooks()
    {
        AutoDialer::Hooks h;
        h.startTimer = [this](int ms) {
            timerRunning = true;
            calls << QStringLiteral("start %1").arg(ms);
        };
        h.stopTimer = [this] {
            timerRunning = false;
            calls << QStringLiteral("stop");
        };
        h.send = [this](int index, const QString& digits) {
            calls << QStringLiteral("send %1 %2").arg(index).arg(digits);
        };
        h.showCountdown = [this](const QString& text) { calls << QStringLiteral("show ") + text; };
        h.hideCountdown = [this] { calls << QStringLiteral("hide"); };
        h.ask = [](const QString& question) { return AskYesNo(question, {}, false) == MsgAnswer::Yes; };
        h.tell = [](const QString& text) { ShowInfo(text); };
        h.notice = [](const QString& text, int ms) { MyFloatMsg(text, ms); };
        h.error = [](const QString& what, const QString& procedure) {
            ShowStdError(ErrInfo{0, what}, procedure, QStringLiteral("FrmMain"), ErrOwner::Form);
        };
        return h;
    }
    QStringList sends() const { return calls.filter(QStringLiteral("send ")); }
};

QString countdown(const QString& seconds)
{
    return QStringLiteral("show 수화기를 들어 주세요...(남은 대기시간: ") + seconds + QStringLiteral(")");
}
} // namespace

// Store dialling: area-code stripping, waiting for the handset and the not-ready question.
class TestAutoDialer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { gDDD = QStringLiteral("02"); }
    void dialDigits_data();
    void dialDigits();
    void liftedHandsetDialsAtOnce();
    void liftDuringCountdownDialsOnThatDevice();
    void noLiftGivesUp();
    void notReady_data();
    void notReady();
    void emptyNumberDoesNothing();
};

void TestAutoDialer::dialDigits_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("ddd");
    QTest::addColumn<QString>("digits");
    QTest::newRow("own area dropped") << "02-1234-5678"
                                      << "02"
                                      << "12345678";
    QTest::newRow("other area kept") << "031-123-4567"
                                     << "02"
                                     << "0311234567";
    QTest::newRow("no area code set") << "02-1234-5678"
                                      << ""
                                      << "0212345678";
    QTest::newRow("own area without dashes") << "0311234567"
                                             << "031"
                                             << "1234567";
    QTest::newRow("area only inside") << "010-2020-3030"
                                      << "02"
                                      << "01020203030";
    QTest::newRow("extension note") << "02-123-4567 내선2"
                                    << "02"
                                    << "1234567";
    QTest::newRow("latin note") << "1234-5678 ext9"
                                << ""
                                << "12345678";
    QTest::newRow("note glued on") << "031-123-4567(야간)"
                                   << "02"
                                   << "0311234567";
}

void TestAutoDialer::dialDigits()
{
    QFETCH(QString, number);
    QFETCH(QString, ddd);
    QFETCH(QString, digits);
    QCOMPARE(DialDigits(number, ddd), digits);
}

void TestAutoDialer::liftedHandsetDialsAtOnce()
{
    ScriptedPrompter prompter;
    FakeScreen screen;
    AutoDialer dialer(screen.hooks());
    dialer.SetDeviceReady(true);
    dialer.HookChanged(1, true);

    dialer.Request(QStringLiteral("02-1234-5678"));

    QCOMPARE(screen.calls, QStringList{QStringLiteral("send 1 12345678")});
    QCOMPARE(prompter.count(), 1);
    QVERIFY(prompter.shown().first().isNotice);
    QCOMPARE(prompter.lastText(), QStringLiteral("02-1234-5678에 전화걸기를 시도합니다...."));
}

void TestAutoDialer::liftDuringCountdownDialsOnThatDevice()
{
    ScriptedPrompter prompter;
    FakeScreen screen;
    AutoDialer dialer(screen.hooks());
    dialer.SetDeviceReady(true);
    dialer.HookChanged(0, false);

    dialer.Request(QStringLiteral("031-123-4567"));
    QCOMPARE(prompter.texts(), QStringList{kAskLift});
    QCOMPARE(screen.calls, QStringList{QStringLiteral("start 500")});

    for (int i = 0; i < 8; ++i) // four seconds
        dialer.Tick();
    QVERIFY(screen.sends().isEmpty());
    dialer.HookChanged(1, true);
    screen.calls.clear();
    dialer.Tick();

    QCOMPARE(screen.calls, (QStringList{QStringLiteral("stop"), QStringLiteral("hide"),
                                        QStringLiteral("send 1 0311234567")}));
    QVERIFY(!dialer.Waiting());
    // A tick that was already queued changes nothing.
    dialer.Tick();
    QCOMPARE(screen.sends().size(), 1);
}

void TestAutoDialer::noLiftGivesUp()
{
    ScriptedPrompter prompter;
    FakeScreen screen;
    AutoDialer dialer(screen.hooks());
    dialer.SetDeviceReady(true);
    dialer.Request(QStringLiteral("02-555-0000"));
    screen.calls.clear();

    for (int i = 0; i < AutoDialer::kGiveUpTicks; ++i)
        dialer.Tick();

    QStringList expected;
    expected << countdown("10");
    for (int s = 9; s >= 1; --s)
        expected << countdown(QStringLiteral("%1").arg(s, 2, 10, QLatin1Char('0')))
                 << countdown(QStringLiteral("%1").arg(s, 2, 10, QLatin1Char('0')));
    expected << countdown("00") << QStringLiteral("stop") << QStringLiteral("hide");
    QCOMPARE(screen.calls, expected);
    QCOMPARE(prompter.lastText(), kGiveUp);
    QVERIFY(!screen.timerRunning);

    // Lifting the handset after giving up does not dial the abandoned number.
    dialer.HookChanged(0, true);
    dialer.Tick();
    QVERIFY(screen.sends().isEmpty());
}

void TestAutoDialer::notReady_data()
{
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addColumn<int>("questionsAfterSecondRequest");
    QTest::newRow("yes: never again") << MsgAnswer::Yes << 1;
    QTest::newRow("no: asked again") << MsgAnswer::No << 2;
}

void TestAutoDialer::notReady()
{
    QFETCH(MsgAnswer, answer);
    QFETCH(int, questionsAfterSecondRequest);
    ScriptedPrompter prompter;
    prompter.answer(answer);
    prompter.answer(MsgAnswer::No);
    FakeScreen screen;
    AutoDialer dialer(screen.hooks());
    dialer.HookChanged(0, true);

    dialer.Request(QStringLiteral("02-1234-5678"));
    QCOMPARE(prompter.lastText(), kNotReady);
    QCOMPARE(prompter.shown().first().request.defaultAnswer, MsgAnswer::No);
    dialer.Request(QStringLiteral("02-1234-5678"));

    QCOMPARE(prompter.count(), questionsAfterSecondRequest);
    QCOMPARE(prompter.texts().filter(kNotReady).size(), questionsAfterSecondRequest);
    QVERIFY(screen.calls.isEmpty());
}

void TestAutoDialer::emptyNumberDoesNothing()
{
    ScriptedPrompter prompter;
    FakeScreen screen;
    AutoDialer dialer(screen.hooks());
    dialer.SetDeviceReady(true);
    dialer.Request(QString());
    dialer.Request(QStringLiteral("   "));
    dialer.HookChanged(0, true);
    dialer.Request(QString());
    QVERIFY(screen.calls.isEmpty());
    QCOMPARE(prompter.count(), 0);
    QVERIFY(dialer.DialNumber().isEmpty());
}

QTEST_GUILESS_MAIN(TestAutoDialer)
#include "tst_autodialer.moc"
