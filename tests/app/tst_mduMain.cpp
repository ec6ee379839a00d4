#include "DbTool.h"
#include "app/AppPaths.h"
#include "app/Globals.h"
#include "app/MduMain.h"
#include "app/UserSettings.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include <QDir>
#include <QProcess>
#include <QTest>

// Start-up against temporary program folders and settings stores.
class TestMduMain : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void firstRunStandAlone();
    void missingFolderAndFile_data();
    void missingFolderAndFile();
    void networkClientFindsMountedShare();
    void readOptionsInsertsMissingRows();
    void secondCopyRefused();
    void reportDatabaseRebuiltAndRemoved();
    void reportTemplateMissing();
};

static bool createInstallation(const TestHome& home)
{
    QString error;
    return DbTool::Create(home.programFolder(), {}, &error);
}

void TestMduMain::cleanup()
{
    DestroyApp();
}

void TestMduMain::firstRunStandAlone()
{
    TestHome home;
    QVERIFY(createInstallation(home));
    ScriptedPrompter p;
    QVERIFY(InitApp());
    QCOMPARE(p.count(), 0);
    QCOMPARE(gDBPath, home.dbsFolder());
    QCOMPARE(gMainDBFile, home.dbsFolder() + "/dbMain.mdb");
    QCOMPARE(UserSettings::Get("DB경로"), gDBPath);
    QCOMPARE(UserSettings::Get("DataBaseMain"), gMainDBFile);
    QCOMPARE(UserSettings::GetSetting("Backup", "DB경로", "경로"), gDBPath + "/");
    QCOMPARE(gTerminalID, QStringLiteral("0"));
    QCOMPARE(gGridRowHeight, 14.0);
    QCOMPARE(gGridFontSize, 10);
    QCOMPARE(gPointUnit, 100);
    QCOMPARE(gDDD, QStringLiteral("02"));
    QVERIFY(gMainConn.isOpen());
    QVERIFY(gReportConn.isOpen());
}

void TestMduMain::missingFolderAndFile_data()
{
    QTest::addColumn<bool>("removeFolder");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("firstLines");
    QTest::newRow("folder gone") << true << "파일 경로 오류"
                                 << "데이터베이스 파일 경로가 없어졌거나 옮겨졌습니다.\r\n"
                                    "데이터베이스 파일 경로를 확인하세요.\r\n";
    QTest::newRow("file gone") << false << "파일 오류"
                               << "메인DB파일이 없어졌거나 옮겨졌습니다.\r\n메인DB파일을 확인하세요.\r\n";
}

void TestMduMain::missingFolderAndFile()
{
    QFETCH(bool, removeFolder);
    QFETCH(QString, title);
    QFETCH(QString, firstLines);
    TestHome home;
    QVERIFY(createInstallation(home));
    const QString elsewhere = home.path() + "/moved";
    QVERIFY(QDir().mkpath(elsewhere));
    UserSettings::Save("DB경로", removeFolder ? home.path() + "/gone" : elsewhere);
    UserSettings::Save("DataBaseMain", (removeFolder ? home.path() + "/gone" : elsewhere) + "/dbMain.mdb");
    ScriptedPrompter p;
    QVERIFY(!InitApp());
    QCOMPARE(p.count(), 1);
    QCOMPARE(p.lastTitle(), title);
    const QString shownPath = removeFolder ? home.path() + "/gone" : elsewhere + "/dbMain.mdb";
    QCOMPARE(p.lastText(), firstLines + shownPath);
    QCOMPARE(p.shown().last().request.icon, MsgIcon::Warning);
}

void TestMduMain::networkClientFindsMountedShare()
{
    TestHome home;
    QVERIFY(createInstallation(home));
    // The saved folder vanished, but the share is reachable (already mounted) at another place.
    UserSettings::Save("CSType", "1");
    UserSettings::Save("DB경로", home.path() + "/oldmount/DBS");
    UserSettings::Save("DataBaseMain", home.path() + "/oldmount/DBS/dbMain.mdb");
    UserSettings::Save("네트웍경로", home.programFolder());
    UserSettings::Save("네트웍드라이브", home.path() + "/oldmount");
    ScriptedPrompter p;
    QVERIFY(InitApp());
    QCOMPARE(p.count(), 0);
    QCOMPARE(gDBPath, home.dbsFolder());
    QCOMPARE(UserSettings::Get("네트웍드라이브"), home.programFolder());
}

void TestMduMain::readOptionsInsertsMissingRows()
{
    TestHome home;
    QVERIFY(createInstallation(home));
    QVERIFY(InitApp());
    QCOMPARE(CountRows("환경설정"), 3);
    QCOMPARE(GetFirstValue("SELECT 설정값 FROM 환경설정 WHERE 구분 = '금액대포인트'").toString(),
             QStringLiteral("100"));
    QCOMPARE(ExecSQL("UPDATE 환경설정 SET 설정값 = '50' WHERE 구분 = '금액대포인트'"), 1);
    QVERIFY(ReadOptions());
    QCOMPARE(gPointUnit, 50);
    QCOMPARE(CountRows("환경설정"), 3);
}

void TestMduMain::secondCopyRefused()
{
    TestHome home;
    QVERIFY(AcquireSingleInstance());
    // Another process with the same program folder is refused; one with another folder runs.
    QProcess same;
    same.start(QCoreApplication::applicationFilePath(), {"--try-lock", home.programFolder()});
    QVERIFY(same.waitForFinished(20000));
    QCOMPARE(same.exitCode(), 1);
    TestHome other;
    AppPaths::SetProgramFolder(home.programFolder());
    QProcess different;
    different.start(QCoreApplication::applicationFilePath(), {"--try-lock", other.programFolder()});
    QVERIFY(different.waitForFinished(20000));
    QCOMPARE(different.exitCode(), 0);
    ReleaseSingleInstance();
    QProcess after;
    after.start(QCoreApplication::applicationFilePath(), {"--try-lock", home.programFolder()});
    QVERIFY(after.waitForFinished(20000));
    QCOMPARE(after.exitCode(), 0);
}

void TestMduMain::reportDatabaseRebuiltAndRemoved()
{
    TestHome home;
    QVERIFY(createInstallation(home));
    QVERIFY(InitApp());
    const QString work = home.dbsFolder() + "/dbReport.mdb";
    QCOMPARE(gReportDBFile, work);
    QVERIFY(QFileInfo::exists(work));
    QCOMPARE(gReportConn.exec("INSERT INTO 매출대입금 (가맹점코드) VALUES ('x')").rowsAffected, 1);
    DestroyApp();
    QVERIFY(!QFileInfo::exists(work));
    // A copy left behind by a crashed run is replaced by a fresh one.
    QVERIFY(QFile::copy(home.dbsFolder() + "/dbReport_SRC.mdb", work));
    QVERIFY(InitApp());
    QCOMPARE(GetFirstValue(gReportConn, "SELECT COUNT(*) FROM 매출대입금").toInt(), 0);
}

void TestMduMain::reportTemplateMissing()
{
    TestHome home;
    QVERIFY(createInstallation(home));
    QVERIFY(QFile::remove(home.dbsFolder() + "/dbReport_SRC.mdb"));
    ScriptedPrompter p;
    QVERIFY(!InitApp());
    QCOMPARE(p.lastTitle(), QStringLiteral("파일 오류"));
    QCOMPARE(p.lastText(),
             "원본 레포트DB파일이 없어졌거나 옮겨졌습니다.\r\n원본 레포트DB파일을 확인하세요.\r\n" +
                 home.dbsFolder() + "/dbReport_SRC.mdb");
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("--try-lock")) {
        AppPaths::SetProgramFolder(args.at(2));
        return AcquireSingleInstance() ? 0 : 1;
    }
    TestMduMain t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_mduMain.moc"
