#include "DataPack.h"
#include "app/AppPaths.h"
#include "app/FileModes.h"
#include "app/Globals.h"
#include "app/SettingKeys.h"
#include "app/UserSettings.h"
#include "app/install/DbTool.h"
#include "app/start/MduMain.h"
#include "app/start/ServerSeat.h"
#include "db/MduAdoDB.h"
#include "db/Schema.h"
#include "db/ServerAddress.h"
#include "db/ServerSchema.h"
#include "db/modDBQuery.h"
#include "db/modMain_SQL.h"
#include "support/Golden.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"
#include "ui/MsgBox.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTest>

#include <unistd.h>

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
    void databaseFolderKeptPerProgramFolder_data();
    void databaseFolderKeptPerProgramFolder();
    void serverSeat_data();
    void serverSeat();
    void readOptionsInsertsMissingRows();
    void gridSettingsRangeChecked_data();
    void gridSettingsRangeChecked();
    void settingKeys_data();
    void settingKeys();
    void damagedDatabaseStopsStart_data();
    void damagedDatabaseStopsStart();
    void unfinishedRunChecksEveryPage_data();
    void unfinishedRunChecksEveryPage();
    void filesKeptFromOtherUsers_data();
    void filesKeptFromOtherUsers();
    void secondCopyRefused();
    void singleCopyLockOutOfOthersReach_data();
    void singleCopyLockOutOfOthersReach();
    void reportDatabaseRebuiltAndRemoved();
    void reportTemplateMissing();
};

static bool createInstallation(const TestHome& home)
{
    QString error;
    return DbTool::Create(home.programFolder(), {}, &error);
}

static QByteArray readAll(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

static bool writeAll(const QString& file, const QByteArray& bytes)
{
    QFile f(file);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Root writes into any folder whatever its mode: for root a read-only folder is a read-only mount.
static bool run(const QString& program, const QStringList& args)
{
    return QProcess::execute(program, args) == 0;
}

static bool makeReadOnly(const QString& folder)
{
    if (geteuid() != 0)
        return QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    return run("mount", {"--bind", folder, folder}) &&
           run("mount", {"-o", "remount,bind,ro", folder, folder});
}

static void undoReadOnly(const QString& folder)
{
    if (geteuid() == 0)
        run("umount", {folder});
    else
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
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
    QVERIFY(InitApp(ShowFound()));
    QCOMPARE(p.count(), 0);
    QCOMPARE(gDBPath, home.dbsFolder());
    QCOMPARE(gMainDBFile, home.dbsFolder() + "/dbMain.mdb");
    QCOMPARE(UserSettings::Get("DB경로"), gDBPath);
    QCOMPARE(UserSettings::Get("DataBaseMain"), gMainDBFile);
    QCOMPARE(UserSettings::GetInstallationSetting("Backup", "DB경로", "경로"), gDBPath + "/");
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
    QVERIFY(!InitApp(ShowFound()));
    QCOMPARE(p.count(), 1);
    QCOMPARE(p.lastTitle(), title);
    const QString shownPath = removeFolder ? home.path() + "/gone" : elsewhere + "/dbMain.mdb";
    QCOMPARE(p.lastText(), firstLines + shownPath);
    QCOMPARE(p.shown().last().request.icon, MsgIcon::Warning);
    // The start offers the network setup then.
    QVERIFY(MainDatabaseUnreachable());
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
    // A database in write-ahead-log mode is refused through a share until the server seat switches it.
    QVERIFY(!InitApp(ShowFound()));
    QVERIFY(p.lastText().startsWith("공유 폴더의 메인DB가 한 자리 전용(WAL) 방식이어서"));
    QString error;
    QVERIFY2(Schema::SetSharedJournal(home.dbsFolder() + "/dbMain.mdb", true, &error), qPrintable(error));
    p.clear();
    QVERIFY(InitApp(ShowFound()));
    QCOMPARE(p.count(), 0);
    // Opening it keeps the rollback journal.
    QVERIFY(!Schema::UsesWriteAheadLog(home.dbsFolder() + "/dbMain.mdb"));
    QCOMPARE(gDBPath, home.dbsFolder());
    QCOMPARE(UserSettings::Get("네트웍드라이브"), home.programFolder());
}

void TestMduMain::databaseFolderKeptPerProgramFolder_data()
{
    QTest::addColumn<QString>("before");   // what the settings hold before folder B starts
    QTest::addColumn<bool>("bIsDefault");  // B is the platform's default program folder
    QTest::addColumn<QString>("expected"); // B's database folder: "B" its own, "A" the other's
    QTest::newRow("A started before") << "A started" << false << "B";
    QTest::newRow("older version remembered A for every folder") << "legacy A" << false << "B";
    QTest::newRow("older version remembered A, B is the default folder") << "legacy A" << true << "A";
    QTest::newRow("older version remembered B's own folder") << "legacy B" << false << "B";
}

void TestMduMain::databaseFolderKeptPerProgramFolder()
{
    QFETCH(QString, before);
    QFETCH(bool, bIsDefault);
    QFETCH(QString, expected);
    TestHome a;
    QVERIFY(createInstallation(a));
    QTemporaryDir dataHome;
    const QString b = bIsDefault ? dataHome.path() + "/zelkova" : a.path() + "/B";
    const QByteArray xdg = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
    QString error;
    QVERIFY2(DbTool::Create(b, {}, &error), qPrintable(error));
    if (before == "A started") {
        QVERIFY(InitApp(ShowFound()));
        DestroyApp();
    } else {
        // What an older version wrote: one database folder for whichever folder the program ran in.
        const QString dbs = (before == "legacy A" ? a.programFolder() : b) + "/DBS";
        UserSettings::SaveSetting(AppTitle(), "환경설정", "DB경로", dbs);
        UserSettings::SaveSetting(AppTitle(), "환경설정", "DataBaseMain", dbs + "/dbMain.mdb");
        UserSettings::SaveSetting("Backup", "DB경로", "경로", dbs + "/");
    }
    AppPaths::SetProgramFolder(b);
    ScriptedPrompter p;
    // The companion handed B works on what B's program remembers, before and after it ran.
    const QString companionBefore = DataPack::CurrentPlaces().databaseFolder;
    const bool started = InitApp(ShowFound());
    DestroyApp();
    const QString companionAfter = DataPack::CurrentPlaces().databaseFolder;
    AppPaths::SetProgramFolder(a.programFolder());
    const QString aRemembers = UserSettings::Get("DB경로");
    qputenv("XDG_DATA_HOME", xdg);
    QVERIFY(started);
    const QString want = expected == "A" ? a.dbsFolder() : b + "/DBS";
    QCOMPARE(gDBPath, want);
    QCOMPARE(companionBefore, want);
    QCOMPARE(companionAfter, want);
    // A keeps what it had (an older version's value that names A's own folder is A's).
    QCOMPARE(aRemembers, before == "legacy B" ? QString() : a.dbsFolder());
}

void TestMduMain::serverSeat_data()
{
    QTest::addColumn<int>("layout"); // on the test server; -1: no server there
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message"); // its start; "" when the start succeeds
    QTest::newRow("connected") << int(Schema::kCurrentVersion) << ""
                               << "";
    QTest::newRow("older layout") << Schema::kCurrentVersion - 1 << "서버 데이터베이스 오류"
                                  << "서버의 메인 데이터베이스가 이전 버전의 구조";
    QTest::newRow("unreachable")
        << -1 << "서버 연결 오류"
        << "데이터베이스 서버에 연결하지 못했습니다. 서버가 켜져 있는지, 네트워크 설정의 "
           "서버 주소가 맞는지 확인한 뒤 다시 하세요.\r\n오류번호 : -2147467259\r\n"
           "오류내용 : 데이터베이스 서버에 연결할 수 없습니다.\r\n서버 127.0.0.1, 포트 1, ";
}

void TestMduMain::serverSeat()
{
    QFETCH(int, layout);
    QFETCH(QString, title);
    QFETCH(QString, message);
    QString address = "postgresql://127.0.0.1:1/zkc_none?connect_timeout=3";
    ServerAddress server;
    if (layout >= 0) {
        if (qEnvironmentVariableIsEmpty("ZELKOVA_TEST_SERVER")) {
            // Under CI the test server is part of the run: its absence is a failure.
            QVERIFY2(qEnvironmentVariableIsEmpty("CI"), "ZELKOVA_TEST_SERVER is not set");
            QSKIP("no test server (ZELKOVA_TEST_SERVER)");
        }
        QVERIFY(ServerAddress::Parse(qEnvironmentVariable("ZELKOVA_TEST_SERVER"), &server, nullptr));
        address = server.withDatabase(QStringLiteral("zk_t%1_seat").arg(QCoreApplication::applicationPid()));
        QString error;
        QVERIFY2(ServerSchema::CreateDatabase(address, &error), qPrintable(error));
        DbConnection conn;
        QVERIFY(conn.open(address, false, nullptr));
        QVERIFY(conn.exec(QStringLiteral("UPDATE zk_schema SET version = %1").arg(layout)).ok);
    }
    TestHome home;
    DbTool::DemoOptions options;
    options.mainDatabase = false;
    QString error;
    QVERIFY2(DbTool::Create(home.programFolder(), options, &error), qPrintable(error));
    SaveServerAddress(address);
    ScriptedPrompter p;
    const bool started = InitApp(ShowFound());
    const int shown = p.count();
    const bool connected = gMainConn.isOpen() && gMainConn.isServer();
    DestroyApp();
    if (layout >= 0) {
        DbConnection admin;
        QVERIFY(admin.open(server.withDatabase("postgres"), false, nullptr));
        QVERIFY(admin
                    .exec(QStringLiteral("DROP DATABASE zk_t%1_seat WITH (FORCE)")
                              .arg(QCoreApplication::applicationPid()))
                    .ok);
    }
    // The seat's own folder holds the report database; no drive, no file of the main database.
    QCOMPARE(gDBPath, home.dbsFolder());
    QCOMPARE(gMainDBFile, address);
    QCOMPARE(started, message.isEmpty());
    QCOMPARE(connected, message.isEmpty());
    QCOMPARE(shown, message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QCOMPARE(p.lastTitle(), title);
        QVERIFY2(p.lastText().startsWith(message), qPrintable(p.lastText()));
    }
}

void TestMduMain::readOptionsInsertsMissingRows()
{
    TestHome home;
    QVERIFY(createInstallation(home));
    QVERIFY(InitApp(ShowFound()));
    QCOMPARE(CountRows("환경설정"), 3);
    QCOMPARE(GetFirstValue("SELECT 설정값 FROM 환경설정 WHERE 구분 = '금액대포인트'").toString(),
             QStringLiteral("100"));
    QCOMPARE(ExecSQL("UPDATE 환경설정 SET 설정값 = '50' WHERE 구분 = '금액대포인트'"), 1);
    QVERIFY(ReadOptions(ShowFound()));
    QCOMPARE(gPointUnit, 50);
    QCOMPARE(CountRows("환경설정"), 3);
    QCOMPARE(ExecSQL("UPDATE 환경설정 SET 설정값 = 'nan' WHERE 구분 = '금액대포인트'"), 1);
    QVERIFY(ReadOptions(ShowFound()));
    QCOMPARE(gPointUnit, 100);

    // An administrator password that cannot be read keeps every guarded screen shut, never open.
    ScriptedPrompter p;
    gMainConn.setFaultInjector([](const QString& sql) -> std::optional<ErrInfo> {
        if (sql.contains(QStringLiteral("관리자암호")))
            return ErrInfo{-2147467259, QStringLiteral("disk I/O error")};
        return std::nullopt;
    });
    QVERIFY(!ReadOptions(ShowFound()));
    gMainConn.setFaultInjector({});
    QVERIFY(!AdminPWDConfirm());
    QVERIFY(ReadOptions(ShowFound()));
    QVERIFY(AdminPWDConfirm());
}

void TestMduMain::gridSettingsRangeChecked_data()
{
    QTest::addColumn<QString>("rowHeight");
    QTest::addColumn<QString>("fontSize");
    QTest::addColumn<double>("expectedRowHeight");
    QTest::addColumn<int>("expectedFontSize");
    QTest::newRow("within 8~20") << "18"
                                 << "12" << 18.0 << 12;
    QTest::newRow("range edges") << "8"
                                 << "20" << 8.0 << 20;
    QTest::newRow("huge") << "1e308"
                          << "1e7" << 14.0 << 10;
    QTest::newRow("nan") << "nan"
                         << "nan" << 14.0 << 10;
    QTest::newRow("infinite") << "inf"
                              << "-inf" << 14.0 << 10;
    QTest::newRow("just outside") << "7.9"
                                  << "21" << 14.0 << 10;
    QTest::newRow("negative, words") << "-14"
                                     << "big" << 14.0 << 10;
}

void TestMduMain::gridSettingsRangeChecked()
{
    QFETCH(QString, rowHeight);
    QFETCH(QString, fontSize);
    QFETCH(double, expectedRowHeight);
    QFETCH(int, expectedFontSize);
    TestHome home;
    QVERIFY(createInstallation(home));
    UserSettings::Save("그리드줄높이", rowHeight);
    UserSettings::Save("그리드글자크기", fontSize);
    QVERIFY(InitApp(ShowFound()));
    QCOMPARE(gGridRowHeight, expectedRowHeight);
    QCOMPARE(gGridFontSize, expectedFontSize);
}

void TestMduMain::settingKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("place"); // user, folder (kept per program folder), backup, db (table 환경설정)
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("fallback");
    QTest::addColumn<QString>("refused"); // a stored value read as the default; "" for free text
    QTest::addColumn<QString>("kept");
    using K = Settings::Key;
    int rows = 0;
    const auto row = [&rows](K key, const char* place, const char* name, const char* fallback,
                             const char* refused, const char* kept) {
        ++rows;
        QTest::newRow(name) << int(key) << place << QString::fromUtf8(name) << fallback << refused << kept;
    };
    row(K::NoMsg, "user", "NoMsg", "0", "", "1");
    row(K::GridRowHeight, "user", "그리드줄높이", "14", "21", "8");
    row(K::GridFontSize, "user", "그리드글자크기", "10", "nan", "20");
    row(K::TerminalId, "user", "Terminal_ID", "0", "A", "9");
    row(K::CsType, "folder", "CSType", "0", "2", "1");
    row(K::DbFolder, "folder", "DB경로", "", "", "/srv/느티나무/DBS");
    row(K::MainDatabase, "folder", "DataBaseMain", "", "", "postgresql://db.example/zelkova");
    row(K::NetworkPath, "folder", "네트웍경로", "", "", "//server/share");
    row(K::NetworkDrive, "folder", "네트웍드라이브", "", "", "H:");
    row(K::SeeIdPort1, "user", "OpenSeeIDPort1", "0", "USB 1번", "/dev/ttyUSB0");
    row(K::SeeIdPort2, "user", "OpenSeeIDPort2", "0", "COM256", "COM3");
    row(K::SeeIdPortPrefix, "user", "SeeIDPortPrefix", "", "", "/dev/ttyUSB");
    row(K::CustFindFld0, "user", "CustFindFld_0", "1", "yes", "0");
    row(K::CustFindFld1, "user", "CustFindFld_1", "0", "2", "1");
    row(K::CustFindFld2, "user", "CustFindFld_2", "0", "-1", "1");
    row(K::MembFindFld0, "user", "MembFindFld_0", "1", "", "0");
    row(K::MembFindFld1, "user", "MembFindFld_1", "0", "on", "1");
    row(K::MembFindFld2, "user", "MembFindFld_2", "0", "", "1");
    row(K::MembFindFld3, "user", "MembFindFld_3", "0", "10", "1");
    row(K::StandbyX, "user", "발신번호대기창x", "-1", "1e308", "3000");
    row(K::StandbyY, "user", "발신번호대기창y", "-1", "-5", "1500");
    row(K::BackupFolder, "backup", "경로", "", "", "/srv/느티나무/DBS/");
    row(K::AdminPassword, "db", "관리자암호", "", "", "pbkdf2$1000$c2FsdA$aGFzaA");
    row(K::LoginPassword, "db", "로그인암호", "", "", "pbkdf2$1000$c2FsdA$bG9naW4");
    row(K::PointUnit, "db", "금액대포인트", "100", "0", "50");
    row(K::ServiceThreshold, "db", "서비스대상점수", "100", "-5", "0");
    row(K::Ddd, "db", "DDD", "02", "0'1", "031");
    QCOMPARE(rows, int(K::Count)); // every key of the table has its row
}

// Each key where every seat's files and every database already keep it: absent it reads as its default,
// a stored value its type or range refuses reads as the default, a saved value is found under its name.
void TestMduMain::settingKeys()
{
    QFETCH(int, key);
    QFETCH(QString, place);
    QFETCH(QString, name);
    QFETCH(QString, fallback);
    QFETCH(QString, refused);
    QFETCH(QString, kept);
    const auto k = Settings::Key(key);
    QCOMPARE(Settings::Name(k), name);
    TestHome home;
    const bool inDb = place == QLatin1String("db");
    if (inDb) {
        QVERIFY(createInstallation(home));
        QVERIFY(InitApp(ShowFound()));
        ExecSQL("DELETE FROM 환경설정 WHERE 구분 = '" + SQLQuote(name) + "'");
    }
    const QString app = place == QLatin1String("backup") ? QStringLiteral("Backup") : AppTitle();
    const QString section =
        place == QLatin1String("backup") ? QStringLiteral("DB경로") : QStringLiteral("환경설정");
    const QString group =
        place == QLatin1String("user") ? section : UserSettings::InstallationSection(section);
    const auto raw = [&] {
        return inDb ? GetFirstValue("SELECT 설정값 FROM 환경설정 WHERE 구분 = '" + SQLQuote(name) + "'")
                          .toString()
                    : UserSettings::GetSetting(app, group, name, QStringLiteral("(none)"));
    };
    const auto read = [&] { return inDb ? GetConfig(k) : Settings::Get(k); };

    QCOMPARE(read(), fallback);
    QCOMPARE(raw(), inDb ? fallback : QStringLiteral("(none)")); // a missing row is added with its default
    if (!refused.isEmpty()) {
        if (inDb)
            QVERIFY(SaveConfig(name, refused));
        else
            UserSettings::SaveSetting(app, group, name, refused);
        QCOMPARE(read(), fallback);
    }
    if (inDb)
        QVERIFY(SaveConfig(k, kept));
    else
        Settings::Save(k, kept);
    QCOMPARE(raw(), kept);
    QCOMPARE(read(), kept);
}

enum Damage
{
    ZeroBytes,
    Truncated,
    WrongHeader,
    ForeignDatabase,
    OlderLayout,
    ReadOnlyFolder,
    FullDisk
};

void TestMduMain::damagedDatabaseStopsStart_data()
{
    QTest::addColumn<int>("damage");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("firstLines"); // followed by the file or folder
    const QString restore = "백업해 둔 메인DB파일로 복원하세요.\r\n";
    QTest::newRow("zero bytes")
        << int(ZeroBytes) << "파일 오류"
        << "메인DB파일이 데이터베이스 파일이 아닙니다(빈 파일이거나 다른 형식의 파일).\r\n" + restore;
    QTest::newRow("truncated") << int(Truncated) << "파일 오류"
                               << "메인DB파일이 손상되었습니다.\r\n" + restore;
    QTest::newRow("wrong header")
        << int(WrongHeader) << "파일 오류"
        << "메인DB파일이 데이터베이스 파일이 아닙니다(빈 파일이거나 다른 형식의 파일).\r\n" + restore;
    QTest::newRow("another program's database")
        << int(ForeignDatabase) << "파일 오류"
        << "메인DB파일이 이 프로그램의 데이터베이스가 아닙니다.\r\n메인DB파일을 확인하세요.\r\n";
    QTest::newRow("older layout") << int(OlderLayout) << "파일 오류"
                                  << "메인DB파일이 이전 버전의 구조(버전 0)입니다.\r\n"
                                     "zelkova-db upgrade 명령으로 구조를 올린 뒤 다시 시작하세요.\r\n";
    QTest::newRow("read-only folder")
        << int(ReadOnlyFolder) << "파일 경로 오류"
        << "폴더에 쓸 수 없습니다(읽기 전용).\r\n폴더의 쓰기 권한을 확인하세요.\r\n";
    QTest::newRow("full disk") << int(FullDisk) << "파일 경로 오류"
                               << "디스크 공간이 부족합니다.\r\n디스크 공간을 확보한 뒤 다시 시작하세요.\r\n";
}

void TestMduMain::damagedDatabaseStopsStart()
{
    QFETCH(int, damage);
    QFETCH(QString, title);
    QFETCH(QString, firstLines);
    TestHome home;
    QVERIFY(createInstallation(home));
    QString mainFile = home.dbsFolder() + "/dbMain.mdb";
    QString named = mainFile;
    QString mounted;
    switch (damage) {
    case ZeroBytes:
        QVERIFY(writeAll(mainFile, {}));
        break;
    case Truncated:
        QVERIFY(writeAll(mainFile, readAll(Golden::Path("fixtures/truncated.mdb"))));
        break;
    case WrongHeader:
        QVERIFY(writeAll(mainFile, readAll(Golden::Path("fixtures/wrong-header.mdb"))));
        break;
    case ForeignDatabase: {
        QVERIFY(QFile::remove(mainFile));
        QString error;
        QVERIFY(Schema::CreateDatabaseFile(mainFile, Schema::PostTables(), 0, &error));
        break;
    }
    case OlderLayout: {
        QVERIFY(QFile::remove(mainFile));
        QString error;
        QVERIFY(Schema::CreateDatabaseFile(mainFile, Schema::MainTables(), 0, &error));
        break;
    }
    case ReadOnlyFolder:
        if (!makeReadOnly(home.dbsFolder()))
            QSKIP("cannot make a read-only folder here");
        mounted = home.dbsFolder();
        named = home.dbsFolder();
        break;
    case FullDisk: {
        // A small file system of its own, filled up, holds the database folder.
        const QString full = home.path() + "/full";
        QVERIFY(QDir().mkpath(full));
        if (geteuid() != 0 || !run("mount", {"-t", "tmpfs", "-o", "size=512k", "tmpfs", full}))
            QSKIP("mounting a small file system needs root");
        mounted = full;
        QVERIFY(QFile::copy(mainFile, full + "/dbMain.mdb"));
        writeAll(full + "/filler", QByteArray(512 * 1024, 'x'));
        UserSettings::Save("DB경로", full);
        UserSettings::Save("DataBaseMain", full + "/dbMain.mdb");
        mainFile = full + "/dbMain.mdb";
        named = full;
        break;
    }
    }
    const QByteArray before = readAll(mainFile);
    ScriptedPrompter p;
    const bool started = InitApp(ShowFound());
    const QByteArray after = readAll(mainFile);
    const bool companions = QFileInfo::exists(mainFile + "-wal") || QFileInfo::exists(mainFile + "-shm");
    if (!mounted.isEmpty())
        undoReadOnly(mounted);
    QVERIFY(!started);
    QCOMPARE(p.count(), 1);
    QCOMPARE(p.lastTitle(), title);
    QCOMPARE(p.lastText(), firstLines + named);
    QVERIFY(after == before);
    QVERIFY(!companions);
    QVERIFY(!gMainConn.isOpen());
    QVERIFY(MainDatabaseUnreachable());
}

void TestMduMain::unfinishedRunChecksEveryPage_data()
{
    QTest::addColumn<bool>("unfinishedRun");
    QTest::addColumn<bool>("damaged");
    // Only the page-by-page check finds a damaged table page below an intact header and schema; it runs
    // beside the login, and nothing is written before it has passed.
    QTest::newRow("after a clean exit") << false << true;
    QTest::newRow("after a crash, damaged") << true << true;
    QTest::newRow("after a crash, sound") << true << false;
}

void TestMduMain::unfinishedRunChecksEveryPage()
{
    QFETCH(bool, unfinishedRun);
    QFETCH(bool, damaged);
    TestHome home;
    QVERIFY(createInstallation(home));
    const QString mainFile = home.dbsFolder() + "/dbMain.mdb";
    const QString marker = home.dbsFolder() + "/zelkova.running";
    QVERIFY(InitApp(ShowFound()));
    QVERIFY(FinishStart(ShowFound()));
    QVERIFY(QFileInfo::exists(marker));
    QCOMPARE(ExecSQL("DELETE FROM 환경설정"), 3);
    // The files as a crash leaves them: the last writes still in the write-ahead log.
    QByteArray wal = readAll(mainFile + "-wal");
    QByteArray bytes = readAll(mainFile);
    QVERIFY(!wal.isEmpty());
    DestroyApp();
    QVERIFY(!QFileInfo::exists(marker));
    if (damaged) {
        // The same installation's file with its settings emptied and 가맹점's page zeroed, all in the file.
        bytes = readAll(Golden::Path("fixtures/zeroed-page.mdb"));
        wal.clear();
    }
    QVERIFY(writeAll(mainFile, bytes));
    if (unfinishedRun) {
        if (!wal.isEmpty())
            QVERIFY(writeAll(mainFile + "-wal", wal));
        QVERIFY(writeAll(marker, "1234"));
    }

    ScriptedPrompter p;
    // The login may open at once, whatever the check will find.
    QVERIFY(InitApp(ShowFound()));
    QCOMPARE(StartChecking(), unfinishedRun);
    if (unfinishedRun) {
        // Meanwhile the seat reads but writes nothing: not the settings' missing rows, nor anything else.
        QCOMPARE(CountRows("환경설정"), 0);
        QVERIFY(!gMainConn.exec("INSERT INTO 환경설정 VALUES ('시험', '1')").ok);
        QCOMPARE(readAll(marker), QByteArray("1234"));
    }
    const bool passed = FinishStart(ShowFound());
    QCOMPARE(passed, !(unfinishedRun && damaged));
    QCOMPARE(StartCheckFailed(), !passed);
    if (passed) {
        QCOMPARE(CountRows("환경설정"), 3);
        QCOMPARE(readAll(marker), QByteArray::number(QCoreApplication::applicationPid()));
        QCOMPARE(p.count(), 0);
    } else {
        QCOMPARE(p.lastText(),
                 "메인DB파일이 손상되었습니다.\r\n백업해 둔 메인DB파일로 복원하세요.\r\n" + mainFile);
        QCOMPARE(readAll(marker), QByteArray("1234")); // checked again at the next start
    }
    DestroyApp();
    // A start that ended at its check left the file as it found it, the log not copied into it.
    if (!passed) {
        QVERIFY(readAll(mainFile) == bytes);
        QVERIFY(readAll(mainFile + "-wal") == wal);
    }
    QCOMPARE(QFileInfo::exists(marker), !passed);
    if (damaged) {
        QString report;
        QVERIFY(!DbTool::Check(home.programFolder(), &report));
        QVERIFY(report.startsWith("메인DB파일이 손상되었습니다."));
    }
}

void TestMduMain::filesKeptFromOtherUsers_data()
{
    QTest::addColumn<QString>("path"); // below the test folder: home/ is the program folder
    QTest::addColumn<int>("mode");
    QTest::newRow("settings") << "settings/Zelkova.ini" << 0600;
    QTest::newRow("report database of the seat") << "home/DBS/dbReport.mdb" << 0600;
    QTest::newRow("layout written later") << "home/FormIni/FrmMain.ini" << 0600;
    QTest::newRow("layout folder") << "home/FormIni" << 0700;
    QTest::newRow("export folder") << "home/ExpExcel" << 0700;
    QTest::newRow("shared database folder") << "home/DBS" << 02770;
    QTest::newRow("main database") << "home/DBS/dbMain.mdb" << 0660;
    QTest::newRow("its write-ahead log") << "home/DBS/dbMain.mdb-wal" << 0660;
    QTest::newRow("its shared memory") << "home/DBS/dbMain.mdb-shm" << 0660;
    QTest::newRow("report template") << "home/DBS/dbReport_SRC.mdb" << 0660;
}

void TestMduMain::filesKeptFromOtherUsers()
{
    QFETCH(QString, path);
    QFETCH(int, mode);
    // The usual creation mask lets every user read new files.
    const int previous = FileModes::SetCreationMask(022);
    TestHome home;
    const bool created = createInstallation(home);
    const bool started = created && InitApp(ShowFound());
    if (started) {
        QSettings layout(home.programFolder() + "/FormIni/FrmMain.ini", QSettings::IniFormat);
        layout.setValue("FormPosition/Left", "0");
    }
    FileModes::SetCreationMask(previous);
    QVERIFY(started);
    QCOMPARE(QString::number(FileModes::Mode(home.path() + "/" + path), 8), QString::number(mode, 8));
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
    QVERIFY(InitApp(ShowFound()));
    const QString work = home.dbsFolder() + "/dbReport.mdb";
    QCOMPARE(gReportDBFile, work);
    QVERIFY(QFileInfo::exists(work));
    QCOMPARE(gReportConn.exec("INSERT INTO 매출대입금 (가맹점코드) VALUES ('x')").rowsAffected, 1);
    DestroyApp();
    QVERIFY(!QFileInfo::exists(work));
    // A copy left behind by a crashed run is replaced by a fresh one.
    QVERIFY(QFile::copy(home.dbsFolder() + "/dbReport_SRC.mdb", work));
    QVERIFY(InitApp(ShowFound()));
    QCOMPARE(GetFirstValue(gReportConn, "SELECT COUNT(*) FROM 매출대입금").toInt(), 0);
}

void TestMduMain::reportTemplateMissing()
{
    TestHome home;
    QVERIFY(createInstallation(home));
    QVERIFY(QFile::remove(home.dbsFolder() + "/dbReport_SRC.mdb"));
    ScriptedPrompter p;
    QVERIFY(!InitApp(ShowFound()));
    QCOMPARE(p.lastTitle(), QStringLiteral("파일 오류"));
    QCOMPARE(p.lastText(),
             "원본 레포트DB파일이 없어졌거나 옮겨졌습니다.\r\n원본 레포트DB파일을 확인하세요.\r\n" +
                 home.dbsFolder() + "/dbReport_SRC.mdb");
    // Not a matter of where the database is.
    QVERIFY(!MainDatabaseUnreachable());
}

void TestMduMain::singleCopyLockOutOfOthersReach_data()
{
    QTest::addColumn<bool>("staleLockLeft");
    // Another local user holds a lock under the name the temporary folder used to get.
    QTest::newRow("name taken in the temporary folder") << false;
    QTest::newRow("lock left by a crashed run") << true;
}

void TestMduMain::singleCopyLockOutOfOthersReach()
{
    QFETCH(bool, staleLockLeft);
    TestHome home;
    const QByteArray key =
        QCryptographicHash::hash(home.programFolder().toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    QLockFile squatter(QDir::tempPath() + "/zelkova-" + QString::fromLatin1(key) + ".lock");
    QVERIFY(squatter.tryLock(0));
    const QString lockPath = SingleInstanceLockPath();
    if (staleLockLeft)
        QVERIFY(writeAll(lockPath, "999999999\nzelkova\n" + QSysInfo::machineHostName().toUtf8() + "\n"));
    QVERIFY(AcquireSingleInstance());
    ReleaseSingleInstance();
    const QString folder = QFileInfo(lockPath).path();
    QVERIFY(folder == home.programFolder() || FileModes::Mode(folder) == 0700);
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
