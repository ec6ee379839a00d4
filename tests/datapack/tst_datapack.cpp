#include "DataPack.h"
#include "DbFixture.h"
#include "admin/modBackUp.h"
#include "db/ServerAddress.h"
#include "db/ServerSchema.h"
#include "db/modDBQuery.h"
#include "support/RecordingPlatform.h"
#include "support/ScriptedPrompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTest>

namespace {
const QDateTime kNow(QDate(2026, 12, 9), QTime(10, 0));

// The store's balance less what its postings add up to: 0 in a consistent copy.
qint64 drift(const QString& file)
{
    QProcess p;
    p.start("sqlite3",
            {file, "SELECT CAST(현잔액 - 기초잔액 + (SELECT IFNULL(SUM(입금액 + 할인액), 0) FROM 입금 "
                   "WHERE 가맹점코드 = 'S1') AS INTEGER) FROM 가맹점 WHERE 코드 = 'S1'"});
    p.waitForFinished();
    return p.readAllStandardOutput().trimmed().toLongLong();
}

qint64 storeCount(const QString& file)
{
    QProcess p;
    p.start("sqlite3", {file, "SELECT COUNT(*) FROM 가맹점"});
    p.waitForFinished();
    return p.readAllStandardOutput().trimmed().toLongLong();
}
} // namespace

// Backups, after-sales archives and restores, and the program's side of starting them.
class TestDataPack : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void backupWhileAnotherProcessWrites();
    void backupProgress_data();
    void backupProgress();
    void restoreGivesBackTheBackup();
    void restoreRefused_data();
    void restoreRefused();
    void serverBackupAndRestore();
    void companionStarted_data();
    void companionStarted();

private:
    DbFixture* m_db = nullptr;
    DataPack::Places m_places;
};

void TestDataPack::init()
{
    m_db = new DbFixture;
    QCOMPARE(ExecSQL("INSERT INTO 가맹점 (코드, 상호, 현잔액, 기초잔액, 수수료율) VALUES ('S1', '가게', "
                     "1000, 1000, 3)"),
             1);
    gMainConn.close();
    m_places = {m_db->home.programFolder(), m_db->home.dbsFolder(), m_db->home.settingsFolder(), {}};
}

void TestDataPack::cleanup()
{
    delete m_db;
    m_db = nullptr;
}

void TestDataPack::backupWhileAnotherProcessWrites()
{
    // Another seat keeps posting: each transaction a payment and its balance change together.
    QString script = "PRAGMA busy_timeout = 15000;\n";
    for (int i = 0; i < 4000; ++i)
        script +=
            "BEGIN IMMEDIATE; INSERT INTO 입금 (가맹점코드, 입금일자, 입금액, 할인액, 메모) VALUES ('S1', "
            "'2026-12-09', 7, 0, ''); UPDATE 가맹점 SET 현잔액 = 현잔액 - 7 WHERE 코드 = 'S1'; COMMIT;\n";
    QProcess writer;
    writer.start("sqlite3", {m_db->mainFile});
    QVERIFY(writer.waitForStarted());
    writer.write(script.toUtf8());
    writer.closeWriteChannel();
    QTest::qWait(50);
    const DataPack::Outcome o = DataPack::MakeArchive(m_places, DataPack::Job::Backup, kNow);
    QVERIFY2(o.ok, qPrintable(o.message));
    QVERIFY(writer.waitForFinished(60000));
    const DataPack::Outcome v = DataPack::VerifyArchive(o.archive);
    QVERIFY2(v.ok, qPrintable(v.message));
    QTemporaryDir out;
    QProcess::execute("unzip", {"-q", o.archive, "-d", out.path()});
    QCOMPARE(drift(out.filePath("dbMain.mdb")), 0LL);
}

void TestDataPack::backupProgress_data()
{
    QTest::addColumn<int>("cancelAt"); // the first percent answered with "stop"; -1 never
    QTest::newRow("runs through") << -1;
    QTest::newRow("cancelled while copying") << 1;
    QTest::newRow("cancelled while packing") << 40;
}

void TestDataPack::backupProgress()
{
    QFETCH(int, cancelAt);
    // Enough rows that copying and packing each report several times.
    QString script = "BEGIN;\n";
    for (int i = 0; i < 20000; ++i)
        script +=
            QStringLiteral("INSERT INTO 입금 (가맹점코드, 입금일자, 입금액, 할인액, 메모) VALUES ('S1', "
                           "'2026-12-09', %1, 0, '%2');\n")
                .arg(i)
                .arg(QString(200, QChar(u'가' + i % 50)));
    script += "COMMIT;\n";
    QProcess writer;
    writer.start("sqlite3", {m_db->mainFile});
    QVERIFY(writer.waitForStarted());
    writer.write(script.toUtf8());
    writer.closeWriteChannel();
    QVERIFY(writer.waitForFinished(60000));

    QList<int> seen;
    const DataPack::Outcome o =
        DataPack::MakeArchive(m_places, DataPack::Job::Backup, kNow, [&](int percent, const QString&) {
            seen << percent;
            return cancelAt < 0 || percent < cancelAt;
        });
    QCOMPARE(o.ok, cancelAt < 0);
    QCOMPARE(DataPack::Archives(m_places).size(), cancelAt < 0 ? 1 : 0);
    QCOMPARE(QDir(DataPack::BackupFolder(m_places))
                 .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                 .size(),
             cancelAt < 0 ? 1 : 0);
    QVERIFY(std::is_sorted(seen.begin(), seen.end()));
    if (cancelAt < 0) {
        QCOMPARE(seen.last(), 100);
        // Both long steps moved the bar, not just their starts.
        QVERIFY2(std::count_if(seen.begin(), seen.end(), [](int p) { return p > 0 && p < 20; }) >= 2 &&
                     std::count_if(seen.begin(), seen.end(), [](int p) { return p > 20 && p < 98; }) >= 2,
                 qPrintable(QString::number(seen.size())));
    } else {
        QVERIFY(o.message.contains(QStringLiteral("취소")));
        // Stopped in the step it was asked in: copying below 20 %, packing from there.
        QCOMPARE(seen.last() >= 20, cancelAt >= 20);
    }
}

void TestDataPack::restoreGivesBackTheBackup()
{
    const DataPack::Outcome made = DataPack::MakeArchive(m_places, DataPack::Job::Backup, kNow);
    QVERIFY2(made.ok, qPrintable(made.message));
    QCOMPARE(QProcess::execute("sqlite3",
                               {m_db->mainFile, "INSERT INTO 가맹점 (코드, 상호) VALUES ('S2', '새가게')"}),
             0);
    QCOMPARE(DataPack::Archives(m_places), QStringList{made.archive});
    const DataPack::Outcome o = DataPack::RestoreArchive(m_places, made.archive, kNow.addSecs(60));
    QVERIFY2(o.ok, qPrintable(o.message));
    QCOMPARE(storeCount(m_db->mainFile), 1LL);
    // What was replaced is kept.
    QCOMPARE(storeCount(DataPack::BackupFolder(m_places) + "/Replaced_20261209_100100/dbMain.mdb"), 2LL);
    // The after-sales archive also holds the seat's settings and layouts.
    QDir().mkpath(m_places.programFolder + "/FormIni");
    QFile ini(m_places.programFolder + "/FormIni/FrmMain.ini");
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.close();
    const DataPack::Outcome as = DataPack::MakeArchive(m_places, DataPack::Job::AfterSales, kNow);
    QVERIFY(as.ok);
    QProcess list;
    list.start("unzip", {"-l", as.archive});
    list.waitForFinished();
    const QString names = QString::fromUtf8(list.readAllStandardOutput());
    QVERIFY2(names.contains("dbMain.mdb") && names.contains("FormIni/FrmMain.ini"), qPrintable(names));
}

void TestDataPack::restoreRefused_data()
{
    QTest::addColumn<QString>("spoil"); // what is wrong
    QTest::addColumn<QString>("message");
    QTest::newRow("damaged archive") << "truncate"
                                     << "압축 파일이 손상되었습니다.";
    QTest::newRow("another seat present")
        << "marker"
        << "다른 자리에서 프로그램을 사용하고 있어 복구할 수 없습니다.\n사용 중인 단말기: 3";
}

void TestDataPack::restoreRefused()
{
    QFETCH(QString, spoil);
    QFETCH(QString, message);
    const DataPack::Outcome made = DataPack::MakeArchive(m_places, DataPack::Job::Backup, kNow);
    QVERIFY(made.ok);
    QCOMPARE(QProcess::execute("sqlite3",
                               {m_db->mainFile, "INSERT INTO 가맹점 (코드, 상호) VALUES ('S2', '새가게')"}),
             0);
    if (spoil == "truncate") {
        QFile f(made.archive);
        QVERIFY(f.resize(f.size() / 2));
    } else {
        QDir().mkpath(m_places.databaseFolder + "/seats");
        QFile marker(m_places.databaseFolder + "/seats/3@other#42.seat");
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.close();
        // A marker older than two minutes is a seat that is gone.
        QFile old(m_places.databaseFolder + "/seats/4@other#43.seat");
        QVERIFY(old.open(QIODevice::WriteOnly));
        QVERIFY(
            old.setFileTime(QDateTime::currentDateTime().addSecs(-600), QFileDevice::FileModificationTime));
    }
    const DataPack::Outcome o =
        DataPack::RestoreArchive(m_places, made.archive, QDateTime::currentDateTime());
    QVERIFY(!o.ok);
    QVERIFY2(o.message.startsWith(message), qPrintable(o.message));
    QCOMPARE(storeCount(m_db->mainFile), 2LL);
}

void TestDataPack::serverBackupAndRestore()
{
    const QString base = qEnvironmentVariable("ZELKOVA_TEST_SERVER");
    if (base.isEmpty()) {
        // Under CI the test server is part of the run: its absence is a failure.
        QVERIFY2(qEnvironmentVariableIsEmpty("CI"), "ZELKOVA_TEST_SERVER is not set");
        QSKIP("no test server (ZELKOVA_TEST_SERVER)");
    }
    ServerAddress server;
    QVERIFY(ServerAddress::Parse(base, &server, nullptr));
    const QString name = QStringLiteral("zk_t%1_pack").arg(QCoreApplication::applicationPid());
    const QString address = server.withDatabase(name);
    DbConnection admin;
    QVERIFY(admin.open(server.withDatabase("postgres"), false, nullptr));
    admin.exec("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
    QString error;
    QVERIFY2(ServerSchema::CreateDatabase(address, &error), qPrintable(error));
    auto storeName = [&] {
        DbConnection c;
        QSqlQuery q;
        return c.open(address, true, nullptr) &&
                       c.query("SELECT 상호 FROM 가맹점 WHERE 코드 = 'S1'", q, nullptr) && q.next()
                   ? q.value(0).toString()
                   : QString();
    };
    DbConnection seat;
    QVERIFY(seat.open(address, false, nullptr));
    QVERIFY(
        seat.exec("INSERT INTO 가맹점 (코드, 상호, 현잔액, 기초잔액, 수수료율) VALUES ('S1', '가게', 1000, "
                  "1000, 3)")
            .ok);
    m_places.serverAddress = address;
    const DataPack::Outcome made = DataPack::MakeArchive(m_places, DataPack::Job::Backup, kNow);
    QVERIFY2(made.ok, qPrintable(made.message));
    QVERIFY(DataPack::VerifyArchive(made.archive).server);
    QVERIFY(seat.exec("UPDATE 가맹점 SET 상호 = '바뀐가게' WHERE 코드 = 'S1'").ok);
    // Not while a seat is in the data.
    const DataPack::Outcome refused = DataPack::RestoreArchive(m_places, made.archive, kNow.addSecs(60));
    QVERIFY2(refused.message.startsWith("다른 자리에서 서버 데이터베이스를 사용하고 있어"),
             qPrintable(refused.message));
    seat.close();
    const DataPack::Outcome o = DataPack::RestoreArchive(m_places, made.archive, kNow.addSecs(60));
    QVERIFY2(o.ok, qPrintable(o.message));
    QCOMPARE(storeName(), QString("가게"));
    QVERIFY(QFileInfo::exists(DataPack::BackupFolder(m_places) + "/Replaced_20261209_100100/dbMain.pgdump"));
    // A server's backup never replaces a seat's files.
    m_places.serverAddress.clear();
    QVERIFY(DataPack::RestoreArchive(m_places, made.archive, kNow.addSecs(120))
                .message.startsWith("이 백업은 서버 데이터베이스의 백업입니다."));
    QVERIFY(admin.exec("DROP DATABASE " + name + " WITH (FORCE)").ok);
}

void TestDataPack::companionStarted_data()
{
    QTest::addColumn<int>("call"); // 0 backup, 1 restore
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("backup") << 0 << 0 << "데이터 백업(하드)" << QStringList{};
    QTest::newRow("after-sales") << 0 << 2 << "데이터 백업(AS)" << QStringList{"AS"};
    QTest::newRow("unknown kind counts as 0") << 0 << 7 << "데이터 백업(하드)" << QStringList{};
    QTest::newRow("restore") << 1 << 1 << "데이터 내려받기" << QStringList{"UNZIP"};
}

void TestDataPack::companionStarted()
{
    QFETCH(int, call);
    QFETCH(int, kind);
    QFETCH(QString, title);
    QFETCH(QStringList, arguments);
    RecordingPlatform platform;
    ScriptedPrompter prompter;
    gBackUpRunning = false;
    auto run = [&] {
        return call == 0 ? modBackUp::ExecBackUp(kind, false, QString())
                         : modBackUp::ExecRestore(kind, QString());
    };
    // No: nothing starts.
    prompter.answer(MsgAnswer::No);
    QVERIFY(!run());
    QCOMPARE(prompter.lastTitle(), title);
    QVERIFY(platform.started().isEmpty());
    // Yes: the companion beside the program, with the job's word; a second call starts nothing more.
    prompter.answer(MsgAnswer::Yes);
    QVERIFY(run());
    QVERIFY(!run());
    QCOMPARE(platform.started().size(), 1);
    QCOMPARE(platform.started().first(),
             QStringList({QCoreApplication::applicationDirPath() + "/" + modBackUp::kCompanionName, "--home",
                          AppPaths::ProgramFolder()}) +
                 arguments);
    QCOMPARE(prompter.unexpected(), 0);
    gBackUpRunning = false;
}

QTEST_GUILESS_MAIN(TestDataPack)
#include "tst_datapack.moc"
