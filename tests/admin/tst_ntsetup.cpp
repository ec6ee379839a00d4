#include "admin/gui/FrmNTSetup.h"
#include "admin/gui/modGoURL.h"
#include "app/AppPaths.h"
#include "app/Globals.h"
#include "app/UserSettings.h"
#include "db/Schema.h"
#include "support/Controls.h"
#include "support/RecordingPlatform.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"
#include "ui/gui/ModalSeam.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

// The network setup: what a client and a server seat save, a database server's address tried before it is
// saved, and the server folder standing in for a share;
// the help menu's web pages.
class TestNtSetup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void saving_data();
    void saving();
    void savingServerAddress_data();
    void savingServerAddress();
    void connectingAFolder();
    void offeredAfterAFailedStart_data();
    void offeredAfterAFailedStart();
    void helpPages_data();
    void helpPages();
};

void TestNtSetup::saving_data()
{
    QTest::addColumn<bool>("client");
    QTest::addColumn<QString>("terminal");
    QTest::addColumn<bool>("withPath");
    QTest::addColumn<QString>("share");   // its main database: "shared" (rollback journal), "wal", "none"
    QTest::addColumn<QString>("message"); // its start; "" when saved
    QTest::newRow("client") << true << "2" << true << "shared"
                            << "";
    QTest::newRow("client, terminal 0") << true << "0" << true << "shared"
                                        << "[단말기 번호]은(는) 필수 입력 사항입니다.";
    QTest::newRow("client, no server path") << true << "2" << false << "shared"
                                            << "[서버경로]은(는) 필수 입력 사항입니다.";
    QTest::newRow("client of a share still in WAL mode")
        << true << "2" << true << "wal"
        << "공유 폴더의 메인DB가 한 자리 전용(WAL) 방식이어서 네트워크로 열 수 없습니다.";
    QTest::newRow("client of a share without the database") << true << "2" << true << "none"
                                                            << "메인DB파일이 없어졌거나 옮겨졌습니다.";
    QTest::newRow("server") << false << "0" << false << "none"
                            << "";
}

void TestNtSetup::saving()
{
    QFETCH(bool, client);
    QFETCH(QString, terminal);
    QFETCH(bool, withPath);
    QFETCH(QString, share);
    QFETCH(QString, message);
    TestHome home;
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkpath("DBS"));
    if (share != "none") {
        const QString mainFile = folder.path() + "/DBS/dbMain.mdb";
        QString error;
        QVERIFY2(Schema::CreateDatabaseFile(mainFile, Schema::MainTables(), Schema::kCurrentVersion, &error),
                 qPrintable(error));
        if (share == "shared")
            QVERIFY2(Schema::SetSharedJournal(mainFile, true, &error), qPrintable(error));
    }
    ScriptedPrompter prompter;
    gCSType = 0;
    FrmNTSetup w;
    QVERIFY(!Ctl<QGroupBox>(&w, "Frame1")->isEnabled());
    Ctl<QRadioButton>(&w, "optCSType", client ? 1 : 0)->setChecked(true);
    QCOMPARE(Ctl<QGroupBox>(&w, "Frame1")->isEnabled(), client);
    if (withPath)
        Ctl<QLineEdit>(&w, "htInput", FrmNTSetup::InServerPath)->setText("smb://server/zelkova");
    Ctl<QLineEdit>(&w, "htInput", FrmNTSetup::InDrive)->setText(folder.path());
    Ctl<QLineEdit>(&w, "htInput", FrmNTSetup::InTerminal)->setText(terminal);
    QCOMPARE(w.Save(), message.isEmpty());
    if (!message.isEmpty()) {
        QVERIFY2(prompter.lastText().startsWith(message), qPrintable(prompter.lastText()));
        QVERIFY(UserSettings::Get("CSType").isEmpty());
        QVERIFY(UserSettings::Get("DB경로").isEmpty());
        return;
    }
    QCOMPARE(gCSType, client ? 1 : 0);
    QCOMPARE(UserSettings::Get("CSType"), QString(client ? "1" : "0"));
    QCOMPARE(UserSettings::Get("Terminal_ID"), QString(client ? "2" : ""));
    QCOMPARE(UserSettings::Get("네트웍드라이브"), client ? folder.path() : QString());
    QCOMPARE(UserSettings::Get("DB경로"),
             client ? folder.path() + "/DBS" : AppPaths::Native(AppPaths::ProgramPath("DBS")));
    gCSType = 0;
}

void TestNtSetup::savingServerAddress_data()
{
    QTest::addColumn<QString>("address"); // "" for the test server's
    QTest::addColumn<QString>("message"); // start of the message; "" when saved
    QTest::newRow("reachable") << ""
                               << "";
    QTest::newRow("unreachable") << "postgresql://127.0.0.1:1/zkc_none?connect_timeout=3"
                                 << "데이터베이스 서버에 연결할 수 없습니다.\n서버 127.0.0.1, 포트 1";
}

void TestNtSetup::savingServerAddress()
{
    QFETCH(QString, address);
    QFETCH(QString, message);
    if (address.isEmpty())
        address = qEnvironmentVariable("ZELKOVA_TEST_SERVER");
    if (address.isEmpty()) {
        // Under CI the test server is part of the run: its absence is a failure.
        QVERIFY2(qEnvironmentVariableIsEmpty("CI"), "ZELKOVA_TEST_SERVER is not set");
        QSKIP("no test server (ZELKOVA_TEST_SERVER)");
    }
    TestHome home;
    QVERIFY(QDir(AppPaths::ProgramFolder()).mkpath("DBS"));
    ScriptedPrompter prompter;
    gCSType = 0;
    FrmNTSetup w;
    Ctl<QRadioButton>(&w, "optCSType", 1)->setChecked(true);
    Ctl<QLineEdit>(&w, "htInput", FrmNTSetup::InServerPath)->setText(address);
    // An address needs no drive.
    QVERIFY(!Ctl<QLineEdit>(&w, "htInput", FrmNTSetup::InDrive)->isEnabled());
    QVERIFY(!Ctl<QPushButton>(&w, "cmdAutoNTDrv")->isEnabled());
    Ctl<QLineEdit>(&w, "htInput", FrmNTSetup::InTerminal)->setText("2");
    QCOMPARE(w.Save(), message.isEmpty());
    if (!message.isEmpty()) {
        QVERIFY2(prompter.lastText().startsWith(message), qPrintable(prompter.lastText()));
        QVERIFY(UserSettings::Get("CSType").isEmpty());
        QVERIFY(UserSettings::Get("DataBaseMain").isEmpty());
        return;
    }
    QCOMPARE(UserSettings::Get("DataBaseMain"), address);
    QCOMPARE(UserSettings::Get("DB경로"), AppPaths::Native(AppPaths::ProgramPath("DBS")));
    QCOMPARE(UserSettings::Get("CSType"), QString("1"));
    QCOMPARE(UserSettings::Get("Terminal_ID"), QString("2"));
    gCSType = 0;
}

void TestNtSetup::connectingAFolder()
{
    TestHome home;
    QTemporaryDir share;
    QVERIFY(QDir(share.path()).mkpath("DBS"));
    RecordingPlatform platform;
    ScriptedPrompter prompter;
    FrmNTSetup w;
    Ctl<QRadioButton>(&w, "optCSType", 1)->setChecked(true);
    Ctl<QLineEdit>(&w, "htInput", FrmNTSetup::InServerPath)->setText(share.path());
    w.ConnectDrive();
    QCOMPARE(Ctl<QLineEdit>(&w, "htInput", FrmNTSetup::InDrive)->text(), share.path());
    QVERIFY(!Ctl<QPushButton>(&w, "cmdAutoNTDrv")->isEnabled());
    // A folder that is no share and not there is not connected.
    Ctl<QLineEdit>(&w, "htInput", FrmNTSetup::InServerPath)->setText(share.filePath("없는폴더"));
    Ctl<QLineEdit>(&w, "htInput", FrmNTSetup::InDrive)->clear();
    w.ConnectDrive();
    QVERIFY(Ctl<QLineEdit>(&w, "htInput", FrmNTSetup::InDrive)->text().isEmpty());
    QCOMPARE(prompter.lastText(), QString("드라이브 연결이 실패되었습니다."));
}

void TestNtSetup::offeredAfterAFailedStart_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("taken") << int(MsgAnswer::Yes);
    QTest::newRow("declined") << int(MsgAnswer::No);
}

void TestNtSetup::offeredAfterAFailedStart()
{
    QFETCH(int, answer);
    TestHome home;
    ScriptedPrompter prompter;
    prompter.answer(MsgAnswer(answer));
    QStringList opened;
    SetModalHandler([&](QDialog* dialog) {
        opened << dialog->objectName();
        return int(QDialog::Rejected);
    });
    FrmNTSetup::OfferAfterFailedStart();
    SetModalHandler({});
    QCOMPARE(prompter.lastTitle(), QString("네트워크 설정"));
    // Straight to the screen: nothing asks for the administrator in between.
    QCOMPARE(prompter.count(), 1);
    QCOMPARE(opened, answer == int(MsgAnswer::Yes) ? QStringList{"FrmNTSetup"} : QStringList{});
}

void TestNtSetup::helpPages_data()
{
    QTest::addColumn<bool>("remote");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("opened");
    QTest::newRow("home page") << false << int(MsgAnswer::Yes) << modGoURL::kHomePage;
    QTest::newRow("home page declined") << false << int(MsgAnswer::No) << "";
    QTest::newRow("remote support") << true << int(MsgAnswer::Yes) << modGoURL::kRemoteSupport;
}

void TestNtSetup::helpPages()
{
    QFETCH(bool, remote);
    QFETCH(int, answer);
    QFETCH(QString, opened);
    RecordingPlatform platform;
    ScriptedPrompter prompter;
    prompter.answer(MsgAnswer(answer));
    remote ? modGoURL::OpenRemoteSupport() : modGoURL::OpenHomePage();
    QCOMPARE(prompter.lastText(), QString(remote ? "원격지원서비스를 실행하시겠습니까?"
                                                 : "고객지원센터 홈페이지로 이동하시겠습니까?"));
    QCOMPARE(platform.opened().isEmpty() ? QString() : platform.opened().first().toString(), opened);
}

QTEST_MAIN(TestNtSetup)
#include "tst_ntsetup.moc"
