#include "admin/PasswordHash.h"
#include "admin/gui/frmOptions.h"
#include "admin/gui/frmPWDInput.h"
#include "app/Clock.h"
#include "app/Globals.h"
#include "app/UserSettings.h"
#include "app/gui/FrmLogin.h"
#include "app/start/MduMain.h"
#include "db/modDBQuery.h"
#include "db/modMain_SQL.h"
#include "support/Controls.h"
#include "support/DbFixture.h"
#include "support/ScriptedPrompter.h"
#include "ui/MsgBox.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/SpreadGrid.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

// The options screen: each apply step with its refusals and notices, the passwords, the password tab's
// gate and the grid look.
class TestOptions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void applySteps_data();
    void applySteps();
    void passwords_data();
    void passwords();
    void passwordTabGate_data();
    void passwordTabGate();
    void gridPreviewAndMainGrids();
    void seeIdTest_data();
    void seeIdTest();

private:
    DbFixture* m_db = nullptr;
};

namespace {
const QDate kDay(2026, 12, 9);

void retype(QLineEdit* box, const QString& text)
{
    // As the operator edits (textEdited), Hangul included, which key clicks cannot type.
    box->setFocus();
    box->selectAll();
    box->del();
    box->insert(text);
}

QStringList boxes(const ScriptedPrompter& p)
{
    QStringList out;
    for (const auto& s : p.shown())
        if (!s.isNotice)
            out << s.request.text;
    return out;
}

QString setting(const QString& where, const QString& key)
{
    if (where == QLatin1String("db"))
        return NullToStr(
            GetFirstValue(QStringLiteral("SELECT 설정값 FROM 환경설정 WHERE 구분 = ") + SQLLiteral(key)));
    if (where == QLatin1String("user"))
        return UserSettings::Get(key);
    return NullToStr(GetFirstValue(QStringLiteral("SELECT ") + key + QStringLiteral(" FROM 사용자정보")));
}
} // namespace

void TestOptions::initTestCase()
{
    // Today's count costs 0.2 s a hash; the screen's rules are the same at a lower one.
    PasswordHash::SetIterations(1000);
}

void TestOptions::init()
{
    m_db = new DbFixture;
    Clock::SetFixed(QDateTime(kDay, QTime(9, 30)));
    gAdminPWD.clear();
    gAdminPWDKnown = true;
}

void TestOptions::cleanup()
{
    Clock::SetFixed(QDateTime());
    delete m_db;
    m_db = nullptr;
}

void TestOptions::applySteps_data()
{
    QTest::addColumn<QStringList>("typed"); // objectName=text, in order
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("where"); // db (환경설정), user (per-user settings), company (사용자정보)
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored"); // after the apply
    QTest::addColumn<bool>("applied");

    const QString points =
        QStringLiteral("금액당 포인트설정을 변경한 경우, 네트웍상의 모든 컴퓨터를 다시 시작해 주세요.");
    const QString pointsRefused = QStringLiteral("금액당 포인트는 1 이상의 정수(원)로 입력하세요.");
    const QString grid = QStringLiteral("그리드의 줄높이및 글자크기의 입력범위는 8~20 입니다.");
    const QString port =
        QStringLiteral("포트는 번호(0이면 장치사용 안함) 또는 장치 경로(예: /dev/ttyUSB0)로 입력하세요.");
    const QString restart = QStringLiteral("SEEID 포트는 프로그램 재시작시 적용됩니다.");

    QTest::newRow("company row created with today")
        << QStringList{"txtinput_0=느티나무 콜", "txtinput_2=123-45-67890"} << QStringList{} << "company"
        << "자료등록일자"
        << "2026-12-09" << true;
    QTest::newRow("company name required") << QStringList{"txtinput_2=123-45-67890"}
                                           << QStringList{"[상호명]은(는) 필수 입력 사항입니다."} << "company"
                                           << "COUNT(*)"
                                           << "0" << false;
    QTest::newRow("company field too long")
        << QStringList{"txtinput_0=느티나무", "txtinput_2=1",
                       "txtinput_8=가나다라마바사아자차카타파하가나다라마바사"}
        << QStringList{"최대입력길이를 넘었습니다.\r\n최대입력길이는 40입니다.\r\n한글은 한 글자당 길이가 "
                       "2입니다."}
        << "company"
        << "COUNT(*)"
        << "0" << false;
    QTest::newRow("points 50") << QStringList{"htPt=50"} << QStringList{points} << "db"
                               << "금액대포인트"
                               << "50" << true;
    QTest::newRow("points 0 refused") << QStringList{"htPt=0"} << QStringList{pointsRefused} << "db"
                                      << "금액대포인트"
                                      << "100" << false;
    QTest::newRow("points text refused") << QStringList{"htPt=오십"} << QStringList{pointsRefused} << "db"
                                         << "금액대포인트"
                                         << "100" << false;
    QTest::newRow("service 0") << QStringList{"htsvce=0"} << QStringList{} << "db"
                               << "서비스대상점수"
                               << "0" << true;
    QTest::newRow("service negative refused")
        << QStringList{"htsvce=-5"} << QStringList{"서비스 대상 포인트는 0 이상의 정수로 입력하세요."} << "db"
        << "서비스대상점수"
        << "100" << false;
    QTest::newRow("row height 25 refused") << QStringList{"htGrid_0=25"} << QStringList{grid} << "user"
                                           << "그리드줄높이"
                                           << "" << false;
    QTest::newRow("row height 18") << QStringList{"htGrid_0=18"} << QStringList{} << "user"
                                   << "그리드줄높이"
                                   << "18" << true;
    QTest::newRow("port device path")
        << QStringList{"htPortNo_0=/dev/ttyUSB0", "htPortNo_1=03"} << QStringList{restart} << "user"
        << "OpenSeeIDPort2"
        << "3" << true;
    QTest::newRow("port text refused") << QStringList{"htPortNo_0=USB 1번"} << QStringList{port} << "user"
                                       << "OpenSeeIDPort1"
                                       << "" << false;
    QTest::newRow("area code") << QStringList{"htDDD=031"} << QStringList{} << "db"
                               << "DDD"
                               << "031" << true;
    QTest::newRow("area code quote refused")
        << QStringList{"htDDD=0'1"}
        << QStringList{"지역번호는 0으로 시작하는 숫자 2~4자리로 입력하세요. 예) 02, 031"} << "db"
        << "DDD"
        << "02" << false;
}

void TestOptions::applySteps()
{
    QFETCH(QStringList, typed);
    QFETCH(QStringList, messages);
    QFETCH(QString, where);
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(bool, applied);

    ScriptedPrompter prompter;
    frmOptions form;
    form.show();
    QVERIFY(!Ctl<QPushButton>(&form, "cmdApply")->isEnabled());
    for (const QString& entry : typed) {
        auto* box = form.findChild<QLineEdit*>(entry.section(QLatin1Char('='), 0, 0));
        QVERIFY(box);
        for (int tab = 0; tab < Ctl<QTabWidget>(&form, "tbsOptions")->count(); ++tab)
            if (Ctl<QFrame>(&form, "fraTabRound", tab)->isAncestorOf(box))
                Ctl<QTabWidget>(&form, "tbsOptions")->setCurrentIndex(tab);
        retype(box, entry.section(QLatin1Char('='), 1));
    }
    QVERIFY(Ctl<QPushButton>(&form, "cmdApply")->isEnabled());
    const int tab = Ctl<QTabWidget>(&form, "tbsOptions")->currentIndex();
    QVERIFY(form.TabChanged(tab));
    prompter.clear();
    Ctl<QPushButton>(&form, "cmdOK")->click();

    QCOMPARE(boxes(prompter), messages);
    QCOMPARE(form.isVisible(), !applied);
    QCOMPARE(form.TabChanged(tab), !applied);
    QCOMPARE(setting(where, key), stored);
    if (applied)
        QCOMPARE(prompter.lastText(), QStringLiteral("자료가 저장되었습니다."));
    if (key == QLatin1String("금액대포인트"))
        QCOMPARE(gPointUnit, applied ? 50 : 100);
    if (key == QLatin1String("DDD"))
        QCOMPARE(gDDD, applied ? QStringLiteral("031") : QStringLiteral("02"));
}

void TestOptions::passwords_data()
{
    QTest::addColumn<QStringList>("typed"); // the four boxes; "=" leaves a box as it is
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("loginTyped"); // what the login screen is then given
    QTest::addColumn<bool>("loginOk");
    QTest::addColumn<QString>("adminTyped");
    QTest::addColumn<bool>("adminOk");

    QTest::newRow("both set") << QStringList{"Login1", "Login1", "Admin1", "Admin1"} << QStringList{}
                              << "Login1" << true << "aDMIN1" << true;
    QTest::newRow("login exact") << QStringList{"Login1", "Login1", "=", "="} << QStringList{} << "login1"
                                 << false << "" << true;
    QTest::newRow("login untouched") << QStringList{"=", "=", "Admin1", "Admin1"} << QStringList{} << "Old-1"
                                     << true << "x" << false;
    QTest::newRow("login cleared") << QStringList{"", "", "=", "="} << QStringList{} << "" << true << ""
                                   << true;
    QTest::newRow("admin mismatch")
        << QStringList{"=", "=", "Admin1", "Admin2"}
        << QStringList{QStringLiteral(
               "관리자 암호와 재확인이 일치 하지 않습니다.\r\n다시 입력하여 주십시요.")}
        << "Old-1" << true << "" << true;
}

void TestOptions::passwords()
{
    QFETCH(QStringList, typed);
    QFETCH(QStringList, messages);
    QFETCH(QString, loginTyped);
    QFETCH(bool, loginOk);
    QFETCH(QString, adminTyped);
    QFETCH(bool, adminOk);

    QVERIFY(SaveConfig(QStringLiteral("로그인암호"),
                       PasswordHash::Make("Old-1", PasswordHash::LetterCase::Exact)));
    ScriptedPrompter prompter;
    {
        frmOptions form;
        form.show();
        Ctl<QTabWidget>(&form, "tbsOptions")->setCurrentIndex(2);
        QCOMPARE(Ctl<QTabWidget>(&form, "tbsOptions")->currentIndex(), 2);
        // A stored password is never shown: the boxes hold the mark of "unchanged".
        QCOMPARE(Ctl<QLineEdit>(&form, "txtPWD", 0)->text(), frmOptions::kUnchanged);
        QVERIFY(Ctl<QLineEdit>(&form, "txtPWD", 2)->text().isEmpty());
        for (int i = 0; i < 4; ++i)
            if (typed[i] != QLatin1String("="))
                retype(Ctl<QLineEdit>(&form, "txtPWD", i), typed[i]);
        Ctl<QPushButton>(&form, "cmdOK")->click();
        QCOMPARE(boxes(prompter), messages);
        QCOMPARE(form.isVisible(), !messages.isEmpty());
    }
    // Nothing anyone typed is readable in the settings table.
    for (const QString& text : typed)
        if (text.size() > 1)
            QCOMPARE(CountRows(QStringLiteral("환경설정"),
                               QStringLiteral("설정값 LIKE ") + SQLLikePattern(text, LikeMatch::Contains)),
                     0);

    prompter.clear();
    FrmLogin login;
    login.show();
    if (!loginTyped.isEmpty())
        Ctl<QLineEdit>(&login, "txtPass")->setText(loginTyped);
    QTest::keyClick(Ctl<QLineEdit>(&login, "txtPass"), Qt::Key_Return);
    QCOMPARE(login.bSucc, loginOk);

    QCOMPARE(gAdminPWD, GetConfig(QStringLiteral("관리자암호"), QString()));
    frmPWDInput prompt;
    prompt.CorrectPWD = gAdminPWD;
    prompt.show();
    Ctl<QLineEdit>(&prompt, "txtPWD")->setText(adminTyped);
    Ctl<QPushButton>(&prompt, "cmdOK")->click();
    QCOMPARE(prompt.Success, adminOk);
}

void TestOptions::passwordTabGate_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<int>("tabAfter");
    QTest::newRow("right") << QStringList{"ADMIN"} << 2;
    QTest::newRow("three wrong") << QStringList{"a", "b", "c"} << 1;
    QTest::newRow("cancelled") << QStringList{} << 1;
}

void TestOptions::passwordTabGate()
{
    QFETCH(QStringList, answers);
    QFETCH(int, tabAfter);
    QVERIFY(SaveConfig(QStringLiteral("관리자암호"),
                       PasswordHash::Make(QStringLiteral("admin"), PasswordHash::LetterCase::Ignored)));
    ScriptedPrompter prompter;
    int asked = 0;
    SetAdminPasswordPrompt([&](const QString& correct) {
        ++asked;
        frmPWDInput prompt;
        prompt.CorrectPWD = correct;
        prompt.show();
        for (const QString& a : answers) {
            Ctl<QLineEdit>(&prompt, "txtPWD")->setText(a);
            Ctl<QPushButton>(&prompt, "cmdOK")->click();
        }
        return prompt.Success;
    });
    frmOptions form;
    form.show();
    Ctl<QTabWidget>(&form, "tbsOptions")->setCurrentIndex(1);
    // Ctrl+Tab moves on to the password tab.
    QTest::keyClick(Ctl<QLineEdit>(&form, "htPt"), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(Ctl<QTabWidget>(&form, "tbsOptions")->currentIndex(), tabAfter);
    QCOMPARE(asked, 1);
    // Asked the first time only: once through, the tab opens freely; refused, it asks again.
    Ctl<QTabWidget>(&form, "tbsOptions")->setCurrentIndex(3);
    QTest::keyClick(Ctl<QLineEdit>(&form, "htDDD"), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(Ctl<QTabWidget>(&form, "tbsOptions")->currentIndex(), 0);
    Ctl<QTabWidget>(&form, "tbsOptions")->setCurrentIndex(2);
    QCOMPARE(asked, tabAfter == 2 ? 1 : 2);
    SetAdminPasswordPrompt({});
}

void TestOptions::gridPreviewAndMainGrids()
{
    ScriptedPrompter prompter;
    QWidget mainWindow;
    mainWindow.setObjectName(QStringLiteral("FrmMain"));
    auto* spMList = new SpreadGrid(&mainWindow);
    spMList->setObjectName(QStringLiteral("spMList"));
    spMList->SetMaxRows(3);
    frmOptions form;
    form.show();
    Ctl<QTabWidget>(&form, "tbsOptions")->setCurrentIndex(1);
    retype(Ctl<QLineEdit>(&form, "htGrid", 0), QStringLiteral("25"));
    QVERIFY(Ctl<SpreadGrid>(&form, "spPreview")->RowHeight(1) != 25);
    retype(Ctl<QLineEdit>(&form, "htGrid", 0), QStringLiteral("16"));
    QCOMPARE(Ctl<SpreadGrid>(&form, "spPreview")->RowHeight(1), 16.0);
    QCOMPARE(Ctl<SpreadGrid>(&form, "spPreview")->RowHeight(0), 18.0);
    QVERIFY(form.cmdApply_Click());
    QCOMPARE(spMList->RowHeight(2), 16.0);
    QCOMPARE(spMList->RowHeight(0), 18.0);
    QCOMPARE(gGridRowHeight, 16.0);
    QCOMPARE(UserSettings::Get(QStringLiteral("그리드줄높이")), QStringLiteral("16"));
}

// The caller-ID tab's test button opens the ports as typed and says in Korean what answered; the password
// tab carries no letter-case note (only the administrator prompt ignores case).
void TestOptions::seeIdTest_data()
{
    QTest::addColumn<QString>("port1");
    QTest::addColumn<QString>("port2");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("said");
    QTest::newRow("none set")
        << "0"
        << "0"
        << "SeeID 테스트"
        << "사용할 포트가 설정되어 있지 않습니다.\r\n사용포트1 또는 사용포트2에 포트 번호나 "
           "장치 경로를 입력하세요.";
    QTest::newRow("a missing device")
        << "/dev/zelkova-no-such-port"
        << "0"
        << "SeeID 테스트"
        << "사용포트1 (/dev/zelkova-no-such-port): 포트를 열 수 없습니다(그런 포트가 "
           "없습니다). 포트 번호와 장치 연결을 확인하세요.\r\n사용포트2: 사용 안함";
    QTest::newRow("typed wrong")
        << "0"
        << "COMX" << AppTitle()
        << "포트는 번호(0이면 장치사용 안함) 또는 장치 경로(예: /dev/ttyUSB0)로 입력하세요.";
}

void TestOptions::seeIdTest()
{
    QFETCH(QString, port1);
    QFETCH(QString, port2);
    QFETCH(QString, title);
    QFETCH(QString, said);
    ScriptedPrompter prompter;
    frmOptions form;
    form.show();
    for (const QLabel* label : Ctl<QFrame>(&form, "fraTabRound", 2)->findChildren<QLabel*>())
        QVERIFY2(!label->text().contains(QStringLiteral("대,소문자")), qPrintable(label->text()));
    Ctl<QTabWidget>(&form, "tbsOptions")->setCurrentIndex(3);
    QVERIFY(Ctl<QPushButton>(&form, "cmdSeeIDTest")->isVisible());
    QCOMPARE(Ctl<QPushButton>(&form, "cmdSeeIDTest")->text(), QStringLiteral("SeeID 테스트"));
    retype(Ctl<QLineEdit>(&form, "htPortNo", 0), port1);
    retype(Ctl<QLineEdit>(&form, "htPortNo", 1), port2);
    Ctl<QPushButton>(&form, "cmdSeeIDTest")->click();
    QCOMPARE(boxes(prompter), QStringList{said});
    QCOMPARE(prompter.lastTitle(), title);
    // Testing saves nothing.
    QCOMPARE(UserSettings::Get(QStringLiteral("OpenSeeIDPort1")), QString());
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
