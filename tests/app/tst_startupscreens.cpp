#include "admin/PasswordHash.h"
#include "admin/StoredPasswords.h"
#include "admin/gui/frmPWDInput.h"
#include "app/AppPaths.h"
#include "app/Globals.h"
#include "app/UserSettings.h"
#include "app/gui/AppShutdown.h"
#include "app/gui/FrmInitMsg.h"
#include "app/gui/FrmLogin.h"
#include "app/install/DbTool.h"
#include "app/start/MduMain.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"
#include "db/modMain_SQL.h"
#include "support/Controls.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"
#include "ui/MsgBox.h"
#include "ui/gui/MduMainUi.h"
#include "ui/gui/ModalSeam.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <csignal>

#include <unistd.h>

// The login, notice and administrator-password screens and the shared window operations.
class TestStartupScreens : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void loginWithoutPassword();
    void loginBesideTheStartCheck();
    void loginRefusedWhenPasswordUnreadable();
    void loginAttempts_data();
    void loginAttempts();
    void loginEscape_data();
    void loginEscape();

    void adminPrompt_data();
    void adminPrompt();
    void adminPromptCancel();
    void adminPromptThroughModalSeam();
    void olderPasswordsMoveUp_data();
    void olderPasswordsMoveUp();

    void noticeCheckBoxSavesNoMsg();

    void fillFindModeCombo_data();
    void fillFindModeCombo();
    void centerFormSizesAndCentres();

    void systemEndRequest_data();
    void systemEndRequest();

private:
    TestHome* m_home = nullptr;
};

void TestStartupScreens::initTestCase()
{
    // Today's count costs 0.2 s a hash; the rules are the same at a lower one.
    PasswordHash::SetIterations(1000);
    m_home = new TestHome;
    QString error;
    QVERIFY2(DbTool::Create(m_home->programFolder(), {}, &error), qPrintable(error));
    ErrInfo e;
    QVERIFY2(gMainConn.open(AppPaths::ProgramPath(QStringLiteral("DBS/dbMain.mdb")), false, &e),
             qPrintable(e.description));
}

void TestStartupScreens::cleanupTestCase()
{
    gMainConn.close();
    delete m_home;
}

void TestStartupScreens::init()
{
    QVERIFY(SaveConfig(QStringLiteral("로그인암호"), QString()));
}

void TestStartupScreens::loginWithoutPassword()
{
    ScriptedPrompter prompter;
    FrmLogin login;
    QCOMPARE(login.windowTitle(), QStringLiteral("사용자 로그인"));
    QCOMPARE(Ctl<QLineEdit>(&login, "txtUser")->text(), GetCompanyName());
    QVERIFY(Ctl<QLineEdit>(&login, "txtUser")->isReadOnly());
    QCOMPARE(Ctl<QLineEdit>(&login, "txtPass")->echoMode(), QLineEdit::Password);

    login.show();
    QCOMPARE(login.windowTitle(), QStringLiteral("일반 사용자 로그인"));
    QCOMPARE(Ctl<QLineEdit>(&login, "txtPass")->echoMode(), QLineEdit::Normal);
    QCOMPARE(Ctl<QLineEdit>(&login, "txtPass")->text(), QStringLiteral("엔터 치세요"));

    QTest::keyClick(Ctl<QLineEdit>(&login, "txtPass"), Qt::Key_Return);
    QVERIFY(login.bSucc);
    QVERIFY(!login.isVisible());
    QCOMPARE(login.result(), int(QDialog::Accepted));
    QCOMPARE(prompter.count(), 0);
}

void TestStartupScreens::loginBesideTheStartCheck()
{
    gMainConn.close();
    {
        // After an unclean end, with the settings' rows still to be made: the login opens while the page
        // check runs, writes nothing meanwhile and goes on once the check has passed.
        TestHome home;
        QString error;
        QVERIFY2(DbTool::Create(home.programFolder(), {}, &error), qPrintable(error));
        QFile marker(home.dbsFolder() + "/zelkova.running");
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.close();
        ScriptedPrompter prompter;
        QVERIFY(InitApp(ShowFound()));
        QVERIFY(StartChecking());
        FrmLogin login;
        login.show();
        QCOMPARE(Ctl<QLineEdit>(&login, "txtPass")->text(), QStringLiteral("엔터 치세요"));
        QCOMPARE(CountRows("환경설정"), 0);
        QTest::keyClick(Ctl<QLineEdit>(&login, "txtPass"), Qt::Key_Return);
        QVERIFY(login.bSucc);
        QVERIFY(!StartChecking());
        QVERIFY(CountRows("환경설정") >= 3);
        QCOMPARE(prompter.count(), 0);
        DestroyApp();
    }
    AppPaths::SetProgramFolder(m_home->programFolder());
    UserSettings::SetFolder(m_home->settingsFolder());
    ErrInfo e;
    QVERIFY2(gMainConn.open(AppPaths::ProgramPath(QStringLiteral("DBS/dbMain.mdb")), false, &e),
             qPrintable(e.description));
}

void TestStartupScreens::loginRefusedWhenPasswordUnreadable()
{
    ScriptedPrompter prompter;
    gMainConn.setFaultInjector([](const QString& sql) -> std::optional<ErrInfo> {
        if (sql.contains(QStringLiteral("환경설정")))
            return ErrInfo{-2147467259, QStringLiteral("disk I/O error")};
        return std::nullopt;
    });
    FrmLogin login;
    login.show();
    gMainConn.setFaultInjector({});
    // An empty answer must not open the program when the password could not be read.
    for (int i = 0; i < 3; ++i) {
        Ctl<QLineEdit>(&login, "txtPass")->clear();
        QTest::keyClick(Ctl<QLineEdit>(&login, "txtPass"), Qt::Key_Return);
    }
    QVERIFY(!login.bSucc);
    QVERIFY(!login.isVisible());
}

void TestStartupScreens::loginAttempts_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<bool>("success");
    QTest::addColumn<int>("messages");
    QTest::addColumn<bool>("closed");

    QTest::newRow("right at once") << QStringList{"s3cret"} << true << 0 << true;
    QTest::newRow("wrong twice then right") << QStringList{"x", "S3CRET", "s3cret"} << true << 2 << true;
    QTest::newRow("three wrong") << QStringList{"a", "b", ""} << false << 3 << true;
    QTest::newRow("two wrong stays open") << QStringList{"a", "b"} << false << 2 << false;
    QTest::newRow("hint is no password") << QStringList{"엔터 치세요"} << false << 1 << false;
}

void TestStartupScreens::loginAttempts()
{
    QFETCH(QStringList, typed);
    QFETCH(bool, success);
    QFETCH(int, messages);
    QFETCH(bool, closed);

    QVERIFY(SaveConfig(QStringLiteral("로그인암호"), QStringLiteral("s3cret")));
    ScriptedPrompter prompter;
    FrmLogin login;
    login.show();
    QCOMPARE(Ctl<QLineEdit>(&login, "txtPass")->echoMode(), QLineEdit::Password);
    QVERIFY(Ctl<QLineEdit>(&login, "txtPass")->text().isEmpty());

    for (const QString& text : typed) {
        QVERIFY(login.isVisible());
        Ctl<QLineEdit>(&login, "txtPass")->setText(text);
        QTest::keyClick(Ctl<QLineEdit>(&login, "txtPass"), Qt::Key_Return);
    }
    QCOMPARE(login.bSucc, success);
    QCOMPARE(!login.isVisible(), closed);
    QCOMPARE(prompter.count(), messages);
    for (const QString& shown : prompter.texts())
        QCOMPARE(shown, QStringLiteral("암호를 잘못 입력하였습니다.\r\n암호를 확인하여 주십시요."));
    QCOMPARE(prompter.unexpected(), 0);
}

void TestStartupScreens::loginEscape_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closed");
    QTest::newRow("no keeps the form") << int(MsgAnswer::No) << false;
    QTest::newRow("yes ends") << int(MsgAnswer::Yes) << true;
}

void TestStartupScreens::loginEscape()
{
    QFETCH(int, answer);
    QFETCH(bool, closed);

    ScriptedPrompter prompter;
    prompter.answer(MsgAnswer(answer));
    FrmLogin login;
    login.show();
    QTest::keyClick(Ctl<QLineEdit>(&login, "txtPass"), Qt::Key_Escape);

    QCOMPARE(prompter.count(), 1);
    QCOMPARE(prompter.lastText(), QStringLiteral("프로그램을 종료하시겠습니까?"));
    QCOMPARE(prompter.shown().first().request.buttons, MsgButtons::YesNo);
    QCOMPARE(prompter.shown().first().request.defaultAnswer, MsgAnswer::Yes);
    QCOMPARE(!login.isVisible(), closed);
    QVERIFY(!login.bSucc);
}

void TestStartupScreens::adminPrompt_data()
{
    QTest::addColumn<QString>("correct");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<bool>("success");
    QTest::addColumn<QStringList>("messages");

    const QString again = QStringLiteral("암호가 정확하지 않습니다.\r\n다시 입력하세요.");
    const QString over = QStringLiteral("암호가 정확하지 않습니다.\r\n암호입력횟수를 초과 했습니다.");
    QTest::newRow("other letter case") << "Admin1" << QStringList{"aDMIN1"} << true << QStringList{};
    QTest::newRow("third try") << "pw" << QStringList{"x", "y", "PW"} << true << QStringList{again, again};
    QTest::newRow("three wrong") << "pw" << QStringList{"x", "y", "z"} << false
                                 << QStringList{again, again, over};
    QTest::newRow("hangul") << "관리자" << QStringList{"관리자"} << true << QStringList{};
}

void TestStartupScreens::adminPrompt()
{
    QFETCH(QString, correct);
    QFETCH(QStringList, typed);
    QFETCH(bool, success);
    QFETCH(QStringList, messages);

    ScriptedPrompter prompter;
    frmPWDInput prompt;
    QCOMPARE(prompt.ConfirmCount, qint16(3));
    QCOMPARE(Ctl<QLineEdit>(&prompt, "txtPWD")->echoMode(), QLineEdit::Password);
    prompt.CorrectPWD = correct;
    prompt.show();
    for (const QString& text : typed) {
        QVERIFY(prompt.isVisible());
        Ctl<QLineEdit>(&prompt, "txtPWD")->setText(text);
        Ctl<QPushButton>(&prompt, "cmdOK")->click();
    }
    QCOMPARE(prompt.Success, success);
    QVERIFY(!prompt.isVisible());
    QCOMPARE(prompter.texts(), messages);
}

void TestStartupScreens::adminPromptCancel()
{
    ScriptedPrompter prompter;
    frmPWDInput prompt;
    prompt.CorrectPWD = QStringLiteral("pw");
    prompt.show();
    Ctl<QLineEdit>(&prompt, "txtPWD")->setText(QStringLiteral("pw"));
    Ctl<QPushButton>(&prompt, "cmdCancel")->click();
    QVERIFY(!prompt.Success);
    QVERIFY(!prompt.isVisible());
    QCOMPARE(prompter.count(), 0);
}

void TestStartupScreens::adminPromptThroughModalSeam()
{
    ScriptedPrompter prompter;
    QString caption;
    const ModalHandler previous = SetModalHandler([&caption](QDialog* dialog) {
        auto* prompt = qobject_cast<frmPWDInput*>(dialog);
        if (!prompt)
            return int(QDialog::Rejected);
        caption = prompt->windowTitle();
        prompt->show();
        QApplication::setActiveWindow(prompt);
        Ctl<QLineEdit>(prompt, "txtPWD")->setFocus();
        QTest::keyClicks(Ctl<QLineEdit>(prompt, "txtPWD"), QStringLiteral("SECRET"));
        // Enter moves on to the confirm button, where the next Enter presses it.
        QTest::keyClick(Ctl<QLineEdit>(prompt, "txtPWD"), Qt::Key_Return);
        if (QApplication::focusWidget() != Ctl<QPushButton>(prompt, "cmdOK"))
            return int(QDialog::Rejected);
        QTest::keyClick(Ctl<QPushButton>(prompt, "cmdOK"), Qt::Key_Return);
        return prompt->result();
    });
    const bool ok = RunAdminPasswordPrompt(QStringLiteral("secret"));
    SetModalHandler(previous);
    QCOMPARE(caption, QStringLiteral("관리자 암호확인"));
    QVERIFY(ok);
    QCOMPARE(prompter.count(), 0);
}

// A password stored in an older form (clear text, fewer iterations) is hashed anew at today's count the
// next time it is typed right, at the login or the administrator prompt; nothing else changes it.
void TestStartupScreens::olderPasswordsMoveUp_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored"); // "old:" + text = hashed with fewer iterations, "new:" = today's
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("changedElsewhere"); // another seat sets a new password while the prompt is open
    QTest::addColumn<bool>("moved");
    const QString login = StoredPasswords::kLoginKey;
    const QString admin = StoredPasswords::kAdminKey;
    QTest::newRow("login, older hash") << login << "old:s3cret"
                                       << "s3cret" << false << true;
    QTest::newRow("login, clear text") << login << "s3cret"
                                       << "s3cret" << false << true;
    QTest::newRow("login, wrong password") << login << "old:s3cret"
                                           << "S3CRET" << false << false;
    QTest::newRow("login, today's hash") << login << "new:s3cret"
                                         << "s3cret" << false << false;
    QTest::newRow("admin, older hash, other case") << admin << "old:Admin1"
                                                   << "aDMIN1" << false << true;
    QTest::newRow("admin, today's hash") << admin << "new:Admin1"
                                         << "admin1" << false << false;
    QTest::newRow("admin, changed at another seat") << admin << "old:Admin1"
                                                    << "admin1" << true << false;
}

void TestStartupScreens::olderPasswordsMoveUp()
{
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    QFETCH(bool, changedElsewhere);
    QFETCH(bool, moved);
    const PasswordHash::LetterCase lc = StoredPasswords::CaseOf(key);
    const QString plain = stored.section(QLatin1Char(':'), -1);
    if (stored.startsWith(QStringLiteral("old:")))
        stored =
            PasswordHash::Make(plain, lc, QByteArray("0123456789abcdef"), PasswordHash::Iterations() / 2);
    else if (stored.startsWith(QStringLiteral("new:")))
        stored = PasswordHash::Make(plain, lc);
    QVERIFY(SaveConfig(key, stored));
    const QString elsewhere = PasswordHash::Make(QStringLiteral("other"), lc);
    ScriptedPrompter prompter;
    bool accepted = false;
    if (key == StoredPasswords::kLoginKey) {
        FrmLogin login;
        login.show();
        Ctl<QLineEdit>(&login, "txtPass")->setText(typed);
        QTest::keyClick(Ctl<QLineEdit>(&login, "txtPass"), Qt::Key_Return);
        accepted = login.bSucc;
    } else {
        gAdminPWD = stored;
        const ModalHandler previous = SetModalHandler([&](QDialog* dialog) {
            auto* prompt = qobject_cast<frmPWDInput*>(dialog);
            if (changedElsewhere)
                SaveConfig(key, elsewhere);
            Ctl<QLineEdit>(prompt, "txtPWD")->setText(typed);
            prompt->cmdOK_Click();
            return prompt->result();
        });
        accepted = RunAdminPasswordPrompt(gAdminPWD);
        SetModalHandler(previous);
        // This seat goes on with what it checked; the other seat's password is read at the next start.
        QCOMPARE(gAdminPWD, changedElsewhere ? stored : GetConfig(key, {}));
    }
    QCOMPARE(accepted,
             plain.compare(typed, lc == PasswordHash::LetterCase::Ignored ? Qt::CaseInsensitive
                                                                          : Qt::CaseSensitive) == 0);
    const QString now = GetConfig(key, {});
    QCOMPARE(now != stored && now != elsewhere, moved);
    if (moved) {
        QVERIFY(!PasswordHash::NeedsRehash(now));
        QVERIFY(now.startsWith(QStringLiteral("pbkdf2-sha256$%1$").arg(PasswordHash::Iterations())));
        QVERIFY(PasswordHash::Matches(typed, now, lc));
    }
    if (changedElsewhere)
        QCOMPARE(now, elsewhere);
    gAdminPWD.clear();
}

void TestStartupScreens::noticeCheckBoxSavesNoMsg()
{
    UserSettings::Save(QStringLiteral("NoMsg"), QStringLiteral("0"));
    FrmInitMsg notice;
    QCOMPARE(notice.windowTitle(), QStringLiteral("안내 메세지"));
    QVERIFY(!notice.ChkCheck->isChecked());
    notice.show();

    QTest::mouseClick(notice.ChkCheck, Qt::LeftButton);
    QCOMPARE(UserSettings::Get(QStringLiteral("NoMsg")), QStringLiteral("1"));
    QTest::mouseClick(notice.ChkCheck, Qt::LeftButton);
    QCOMPARE(UserSettings::Get(QStringLiteral("NoMsg")), QStringLiteral("0"));
    QTest::mouseClick(notice.ChkCheck, Qt::LeftButton);

    FrmInitMsg again;
    QVERIFY(again.ChkCheck->isChecked());
    notice.Command1->click();
    QVERIFY(!notice.isVisible());
}

void TestStartupScreens::fillFindModeCombo_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("selected");
    QTest::newRow("first") << 0 << 0;
    QTest::newRow("last") << 3 << 3;
    QTest::newRow("beyond the count") << 4 << 0;
    QTest::newRow("negative") << -1 << 0;
}

void TestStartupScreens::fillFindModeCombo()
{
    QFETCH(int, index);
    QFETCH(int, selected);

    QComboBox combo;
    combo.addItem(QStringLiteral("left over"));
    FillFindModeCombo(&combo, index);
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    QCOMPARE(items,
             (QStringList{QStringLiteral("*s*: 검색어를 포함"), QStringLiteral("s* : 검색어로 시작"),
                          QStringLiteral("*s : 검색어로 종료"), QStringLiteral("=  : 검색어와 일치")}));
    QCOMPARE(combo.currentIndex(), selected);
    QCOMPARE(combo.view()->minimumWidth(), 2500 / 15);
}

void TestStartupScreens::centerFormSizesAndCentres()
{
    QWidget form;
    form.resize(100, 100);
    CenterForm(&form, false, 6000, 4500);
    QCOMPARE(form.size(), QSize(400, 300));
    const QRect screen = form.screen()->geometry();
    QCOMPARE(form.x(), screen.x() + (screen.width() - 400) / 2);
    QCOMPARE(form.y(), screen.y() + (screen.height() - 500 / 15 - 300) / 2);

    CenterForm(&form, false, 0, 0);
    QCOMPARE(form.size(), QSize(400, 300));
}

QTEST_MAIN(TestStartupScreens)
#include "tst_startupscreens.moc"

void TestStartupScreens::systemEndRequest_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("state"); // what the seat is doing when the signal comes
    QTest::newRow("SIGTERM, window idle") << int(SIGTERM) << "idle";
    QTest::newRow("SIGHUP, dialog open") << int(SIGHUP) << "dialog";
    QTest::newRow("SIGINT, write open") << int(SIGINT) << "write";
    QTest::newRow("SIGTERM, the program at its login") << int(SIGTERM) << "program";
    QTest::newRow("SIGHUP, the program at its login") << int(SIGHUP) << "program";
    QTest::newRow("SIGINT, the program at its login") << int(SIGINT) << "program";
}

void TestStartupScreens::systemEndRequest()
{
    QFETCH(int, signal);
    QFETCH(QString, state);
    if (state == "program") {
        // The program itself: started, it registers the seat and marks the run, then waits at its login.
        TestHome home;
        QString error;
        QVERIFY2(DbTool::Create(home.programFolder(), {}, &error), qPrintable(error));
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ZELKOVA_SETTINGS", home.settingsFolder());
        program.setProcessEnvironment(env);
        program.start(ZELKOVA_PROGRAM, {"--home", home.programFolder()});
        QVERIFY(program.waitForStarted());
        const QString seats = home.dbsFolder() + "/seats";
        QTRY_VERIFY_WITH_TIMEOUT(!QDir(seats).entryList({"*.seat"}).isEmpty() &&
                                     QFileInfo::exists(home.dbsFolder() + "/zelkova.running"),
                                 60000);
        QVERIFY(::kill(pid_t(program.processId()), signal) == 0);
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(QDir(seats).entryList({"*.seat"}).isEmpty());
        QVERIFY(!QFileInfo::exists(home.dbsFolder() + "/zelkova.running"));
        QVERIFY(!QFileInfo::exists(home.dbsFolder() + "/dbReport.mdb"));
        QFile log(home.programFolder() + "/Log/zelkova.log");
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QVERIFY2(text.contains("[종료 요청]") && text.contains("[종료] 0"), qPrintable(text));
        return;
    }
    AppShutdown::ResetForTest();
    AppShutdown::Install();
    ScriptedPrompter prompter;
    QMainWindow window;
    window.show();
    bool closedDuringWrite = false;
    if (state == "idle") {
        ::raise(signal);
    } else if (state == "dialog") {
        // The login's own Escape asks whether to quit; the end answers the dialog without that question.
        FrmLogin login;
        QTimer::singleShot(0, [signal] { ::raise(signal); });
        QCOMPARE(login.exec(), int(QDialog::Rejected));
        QVERIFY(!login.bSucc);
        QCOMPARE(prompter.count(), 0);
    } else {
        QVERIFY(gMainConn.beginTrans());
        ::raise(signal);
        QTest::qWait(200);
        closedDuringWrite = !window.isVisible();
        QVERIFY(gMainConn.commitTrans());
    }
    QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), 20000);
    QVERIFY(AppShutdown::Requested());
    QVERIFY(!closedDuringWrite);
    AppShutdown::ResetForTest();
}
