#include "DataPack.h"
#include "admin/gui/modBackUp.h"
#include "app/FileModes.h"
#include "app/Globals.h"
#include "app/SeatPresence.h"
#include "app/UserSettings.h"
#include "app/install/DbTool.h"
#include "app/start/MduMain.h"
#include "db/ServerAddress.h"
#include "db/ServerSchema.h"
#include "db/modDBQuery.h"
#include "support/DbFixture.h"
#include "support/OtherUser.h"
#include "support/RecordingPlatform.h"
#include "support/ScriptedPrompter.h"
#include "ui/MsgBox.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTest>
#include <QThread>

#include <archive.h>
#include <archive_entry.h>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

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

// One entry of a zip archive a test makes: a regular file with bytes, or a link, folder or hard link.
constexpr int kHardLink = -1;
struct Entry
{
    Entry(const QString& n, const QByteArray& b = {}, int t = AE_IFREG, const QString& to = {})
        : name(n), bytes(b), type(t), target(to)
    {
    }
    QString name;
    QByteArray bytes;
    int type;
    QString target; // of a link
};

// An archive a test makes: a zip as earlier versions wrote them, or a tar.zst.
bool writeArchive(const QString& path, const QList<Entry>& entries)
{
    archive* a = archive_write_new();
    if (path.endsWith(".zip")) {
        archive_write_set_format_zip(a);
    } else {
        archive_write_set_format_pax_restricted(a);
        archive_write_add_filter_zstd(a);
    }
    bool ok = archive_write_open_filename(a, QFile::encodeName(path).constData()) == ARCHIVE_OK;
    for (const Entry& e : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname_utf8(entry, e.name.toUtf8().constData());
        archive_entry_set_filetype(entry, e.type == kHardLink ? AE_IFREG : e.type);
        if (e.type == AE_IFCHR)
            archive_entry_set_rdev(entry, makedev(1, 3));
        archive_entry_set_perm(entry, 0644);
        if (e.type == AE_IFLNK)
            archive_entry_set_symlink_utf8(entry, e.target.toUtf8().constData());
        if (e.type == kHardLink) // to an earlier entry
            archive_entry_set_hardlink_utf8(entry, e.target.toUtf8().constData());
        archive_entry_set_size(entry, e.type == AE_IFREG ? e.bytes.size() : 0);
        ok = ok && archive_write_header(a, entry) == ARCHIVE_OK;
        if (ok && e.type == AE_IFREG && !e.bytes.isEmpty())
            ok = archive_write_data(a, e.bytes.constData(), size_t(e.bytes.size())) == e.bytes.size();
        archive_entry_free(entry);
    }
    ok = archive_write_close(a) == ARCHIVE_OK && ok;
    archive_write_free(a);
    return ok;
}

QByteArray bytesOf(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every file below folder with a hash of its bytes: the same before and after means nothing was touched.
QStringList fingerprint(const QString& folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        out << QDir(folder).relativeFilePath(f) + QLatin1Char(' ') +
                   QString::fromLatin1(
                       QCryptographicHash::hash(bytesOf(f), QCryptographicHash::Sha1).toHex());
    }
    out.sort();
    return out;
}

QString octal(int mode)
{
    return QString::number(mode, 8);
}

// The first value a statement gives on a database file, through the engine's own shell.
QString sqlValue(const QString& file, const QString& sql)
{
    QProcess p;
    p.start("sqlite3", {file, sql});
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

qint64 storeCount(const QString& file)
{
    return sqlValue(file, "SELECT COUNT(*) FROM 가맹점").toLongLong();
}

// Unpacked by the system's own archive tool, as an administrator would: tar (zstd) or unzip.
bool unpackWithSystemTools(const QString& archive, const QString& folder)
{
    if (archive.endsWith(".zip"))
        return QProcess::execute("unzip", {"-q", archive, "-d", folder}) == 0;
    return QProcess::execute("tar", {"--zstd", "-xf", archive, "-C", folder}) == 0;
}

QStringList listWithSystemTools(const QString& archive)
{
    QProcess p;
    p.start("tar", {"--zstd", "-tf", archive});
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

// Every row of every table of a database, in order: the same text means the same data.
QString contentOf(const QString& file)
{
    QProcess p;
    p.start("sqlite3", {file, ".dump"});
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput());
}
} // namespace

// Backups, after-sales archives and restores, and the program's side of starting them.
class TestDataPack : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void cleanupTestCase();
    void backupWhileAnotherProcessWrites();
    void backupProgress_data();
    void backupProgress();
    void restoreGivesBackTheBackup_data();
    void restoreGivesBackTheBackup();
    void hostileArchivesRefused_data();
    void hostileArchivesRefused();
    void anySeatStopsRestore_data();
    void anySeatStopsRestore();
    void sharedModesAfterEveryTool_data();
    void sharedModesAfterEveryTool();
    void leftoversRemovedAtTheNextRun_data();
    void leftoversRemovedAtTheNextRun();
    void jobEndedAtEveryStep_data();
    void jobEndedAtEveryStep();
    void serverBackupAndRestore();
    void companionStarted_data();
    void companionStarted();

private:
    DbFixture* m_db = nullptr;
    DataPack::Places m_places;
    int m_hostileTried = 0;
    int m_hostileRefused = 0;
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

void TestDataPack::cleanupTestCase()
{
    if (m_hostileTried > 0)
        qInfo("hostile archives refused: %d of %d tried (one sound archive among them)", m_hostileRefused,
              m_hostileTried);
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
    QVERIFY(unpackWithSystemTools(o.archive, out.path()));
    QCOMPARE(drift(out.filePath("dbMain.mdb")), 0LL);
}

void TestDataPack::backupProgress_data()
{
    QTest::addColumn<int>("cancelAt"); // the first percent answered with "stop"; -1 never
    QTest::newRow("runs through") << -1;
    QTest::newRow("cancelled as it starts") << 1;
    QTest::newRow("cancelled halfway") << 40;
}

void TestDataPack::backupProgress()
{
    QFETCH(int, cancelAt);
    // Enough rows that packing reports many times.
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
        // The bar moved while the data was read and packed, not just at the start and the end.
        QVERIFY2(std::count_if(seen.begin(), seen.end(), [](int p) { return p > 0 && p < 98; }) >= 5,
                 qPrintable(QString::number(seen.size())));
    } else {
        QVERIFY(o.message.contains(QStringLiteral("취소")));
        // Stopped where it was asked: nothing more was done or told after the answer.
        QCOMPARE(std::count_if(seen.begin(), seen.end(), [&](int p) { return p >= cancelAt; }), 1);
    }
}

void TestDataPack::restoreGivesBackTheBackup_data()
{
    QTest::addColumn<QString>("journal"); // the main database's journal mode when it is backed up
    QTest::addColumn<bool>("earlierZip"); // the archive an earlier version wrote (zip) of the same files
    // Read as the file lies under a snapshot, or copied online, or restored from the older format.
    QTest::newRow("write-ahead log") << "wal" << false;
    QTest::newRow("rollback journal") << "delete" << false;
    QTest::newRow("an earlier version's zip") << "delete" << true;
}

void TestDataPack::restoreGivesBackTheBackup()
{
    QFETCH(QString, journal);
    QFETCH(bool, earlierZip);
    QCOMPARE(sqlValue(m_db->mainFile, "PRAGMA journal_mode = " + journal), journal);
    QCOMPARE(QProcess::execute("sqlite3", {m_db->mainFile,
                                           "INSERT INTO 입금 (가맹점코드, 입금일자, 입금액, 할인액, 메모) "
                                           "VALUES ('S1', '2026-12-09', 5000, 100, '첫 입금')"}),
             0);
    const QStringList names{"dbMain.mdb", "dbPost.mdb", "dbReport_SRC.mdb"};
    QStringList before;
    for (const QString& name : names)
        before << contentOf(m_places.databaseFolder + "/" + name);
    DataPack::Outcome made = DataPack::MakeArchive(m_places, DataPack::Job::Backup, kNow);
    QVERIFY2(made.ok, qPrintable(made.message));
    QVERIFY(made.archive.endsWith(".tar.zst"));
    // The system's own tools open it, and its checksums are there for them to check.
    QCOMPARE(listWithSystemTools(made.archive), names);
    QProcess zstd;
    zstd.start("zstd", {"-lv", made.archive});
    zstd.waitForFinished();
    QVERIFY(QString::fromUtf8(zstd.readAllStandardOutput()).contains("XXH64"));
    if (earlierZip) {
        QTemporaryDir out;
        QVERIFY(unpackWithSystemTools(made.archive, out.path()));
        QList<Entry> entries;
        for (const QString& name : names)
            entries << Entry{name, bytesOf(out.filePath(name))};
        QVERIFY(QFile::remove(made.archive));
        made.archive = DataPack::BackupFolder(m_places) + "/Backup_20261209_100000.zip";
        QVERIFY(writeArchive(made.archive, entries));
    }
    QCOMPARE(DataPack::Archives(m_places), QStringList{made.archive});
    QCOMPARE(QProcess::execute("sqlite3",
                               {m_db->mainFile, "INSERT INTO 가맹점 (코드, 상호) VALUES ('S2', '새가게')"}),
             0);
    const DataPack::Outcome o = DataPack::RestoreArchive(m_places, made.archive, kNow.addSecs(60));
    QVERIFY2(o.ok, qPrintable(o.message));
    // Every row of every table as it was backed up.
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(contentOf(m_places.databaseFolder + "/" + names.at(i)), before.at(i));
    // What was replaced is kept.
    QCOMPARE(storeCount(DataPack::BackupFolder(m_places) + "/Replaced_20261209_100100/dbMain.mdb"), 2LL);
    if (earlierZip)
        return;
    // The after-sales archive also holds the seat's settings and layouts.
    QDir().mkpath(m_places.programFolder + "/FormIni");
    QFile ini(m_places.programFolder + "/FormIni/FrmMain.ini");
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.close();
    const DataPack::Outcome as = DataPack::MakeArchive(m_places, DataPack::Job::AfterSales, kNow);
    QVERIFY(as.ok);
    const QStringList packed = listWithSystemTools(as.archive);
    QVERIFY2(packed.contains("dbMain.mdb") && packed.contains("FormIni/FrmMain.ini"),
             qPrintable(packed.join(' ')));
}

void TestDataPack::hostileArchivesRefused_data()
{
    QTest::addColumn<QString>("spoil");
    QTest::addColumn<QString>("format"); // "zip" as earlier versions wrote, or "tar.zst"
    QTest::addColumn<bool>("restored");  // a sound archive is restored
    QTest::newRow("damaged archive") << "truncated"
                                     << "zip" << false;
    QTest::newRow("damaged tar.zst") << "truncated"
                                     << "tar.zst" << false;
    QTest::newRow("one byte changed in a backup (its checksum)") << "flipped"
                                                                 << "tar.zst" << false;
    QTest::newRow("empty postal-code database") << "empty dbPost"
                                                << "zip" << false;
    QTest::newRow("postal-code database as a link") << "link dbPost"
                                                    << "zip" << false;
    QTest::newRow("postal-code database as a link (tar)") << "link dbPost"
                                                          << "tar.zst" << false;
    QTest::newRow("main database as a link") << "link dbMain"
                                             << "zip" << false;
    QTest::newRow("main database as a hard link") << "hard link"
                                                  << "zip" << false;
    QTest::newRow("main database as a hard link (tar)") << "hard link"
                                                        << "tar.zst" << false;
    QTest::newRow("a device entry (tar)") << "device"
                                          << "tar.zst" << false;
    QTest::newRow("an extra database") << "extra mdb"
                                       << "zip" << false;
    QTest::newRow("a folder entry") << "folder"
                                    << "zip" << false;
    QTest::newRow("a name outside the folder") << "outside"
                                               << "zip" << false;
    QTest::newRow("an absolute name (tar)") << "absolute"
                                            << "tar.zst" << false;
    QTest::newRow("a name below a folder") << "nested"
                                           << "zip" << false;
    QTest::newRow("the main database twice") << "twice"
                                             << "zip" << false;
    QTest::newRow("the main database under the postal codes' name") << "wrong kind"
                                                                    << "zip" << false;
    QTest::newRow("main database of a newer layout") << "newer"
                                                     << "zip" << false;
    QTest::newRow("report template that is no database") << "noise"
                                                         << "zip" << false;
    QTest::newRow("no main database") << "no dbMain"
                                      << "zip" << false;
    QTest::newRow("an older backup with the seat's report copy") << "work copy"
                                                                 << "zip" << true;
    QTest::newRow("a sound tar.zst of another program") << ""
                                                        << "tar.zst" << true;
    QTest::newRow("the main database alone") << "main only"
                                             << "tar.zst" << true;
}

void TestDataPack::hostileArchivesRefused()
{
    QFETCH(QString, spoil);
    QFETCH(QString, format);
    QFETCH(bool, restored);
    const DataPack::Outcome made = DataPack::MakeArchive(m_places, DataPack::Job::Backup, kNow);
    QVERIFY2(made.ok, qPrintable(made.message));
    QTemporaryDir out;
    QVERIFY(unpackWithSystemTools(made.archive, out.path()));
    QCOMPARE(QDir(out.path()).entryList(QDir::Files),
             QStringList({"dbMain.mdb", "dbPost.mdb", "dbReport_SRC.mdb"}));
    const QByteArray main = bytesOf(out.filePath("dbMain.mdb"));
    const QByteArray post = bytesOf(out.filePath("dbPost.mdb"));
    const QByteArray report = bytesOf(out.filePath("dbReport_SRC.mdb"));
    QByteArray newer;
    {
        const QString f = out.filePath("newer.mdb");
        QVERIFY(QFile::copy(out.filePath("dbMain.mdb"), f));
        QCOMPARE(
            QProcess::execute(
                "sqlite3",
                {f, QStringLiteral("UPDATE zk_schema SET version = %1").arg(Schema::kCurrentVersion + 1)}),
            0);
        newer = bytesOf(f);
    }
    QList<Entry> entries{{"dbMain.mdb", main}, {"dbPost.mdb", post}, {"dbReport_SRC.mdb", report}};
    if (spoil == "empty dbPost")
        entries[1].bytes.clear();
    else if (spoil == "link dbPost")
        entries[1] = {"dbPost.mdb", {}, AE_IFLNK, "../../../etc/passwd"};
    else if (spoil == "link dbMain")
        entries[0] = {"dbMain.mdb", {}, AE_IFLNK, "dbPost.mdb"};
    else if (spoil == "hard link")
        entries[0] = {"dbMain.mdb", {}, kHardLink, "dbPost.mdb"};
    else if (spoil == "extra mdb")
        entries << Entry{"evil.mdb", main};
    else if (spoil == "folder")
        entries << Entry{"settings/", {}, AE_IFDIR};
    else if (spoil == "outside")
        entries << Entry{"../dbMain.mdb", main};
    else if (spoil == "absolute")
        entries << Entry{m_places.databaseFolder + "/evil.mdb", main};
    else if (spoil == "device")
        entries << Entry{"dbReport.mdb", {}, AE_IFCHR};
    else if (spoil == "nested")
        entries << Entry{"FormIni/dbMain.mdb", main};
    else if (spoil == "twice")
        entries << Entry{"DBMAIN.MDB", post};
    else if (spoil == "wrong kind")
        entries[1].bytes = main, entries[0].bytes = post;
    else if (spoil == "newer")
        entries[0].bytes = newer;
    else if (spoil == "noise")
        entries[2].bytes = QByteArray(8192, 'x');
    else if (spoil == "no dbMain")
        entries.removeFirst();
    else if (spoil == "main only")
        entries = entries.mid(0, 1);
    else if (spoil == "work copy")
        entries << Entry{"dbReport.mdb", report};
    const QString archive = DataPack::BackupFolder(m_places) + "/Backup_20261209_110000." + format;
    if (spoil == "flipped") {
        QVERIFY(QFile::rename(made.archive, archive));
        QFile f(archive);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.seek(f.size() / 2));
        const char byte = f.peek(1).at(0);
        QVERIFY(f.write(QByteArray(1, char(byte ^ 0x10))) == 1);
    } else {
        QVERIFY(writeArchive(archive, entries));
    }
    if (spoil == "truncated") {
        QFile f(archive);
        QVERIFY(f.resize(f.size() / 2));
    }
    QCOMPARE(QProcess::execute("sqlite3",
                               {m_db->mainFile, "INSERT INTO 가맹점 (코드, 상호) VALUES ('S2', '새가게')"}),
             0);
    const QStringList before = fingerprint(m_places.databaseFolder);
    const DataPack::Outcome o = DataPack::RestoreArchive(m_places, archive, kNow.addSecs(3600));
    ++m_hostileTried;
    QCOMPARE(o.ok, restored);
    if (restored) {
        QCOMPARE(storeCount(m_db->mainFile), 1LL);
        QVERIFY(!QFileInfo::exists(m_places.databaseFolder + "/dbReport.mdb"));
        // What the archive did not replace stays the data's own file, shared, kept nowhere else.
        for (const QString& name : QDir(m_places.databaseFolder).entryList({"*.mdb"}, QDir::Files)) {
            const QString f = m_places.databaseFolder + "/" + name;
            QCOMPARE(octal(FileModes::Mode(f)), octal(0660));
            struct stat st
            {
            };
            QVERIFY(::stat(QFile::encodeName(f).constData(), &st) == 0);
            QCOMPARE(st.st_nlink, nlink_t(1));
        }
        return;
    }
    ++m_hostileRefused;
    // Refused in Korean, with the data exactly as it was and nothing else written beside it.
    QVERIFY2(o.message.contains(QRegularExpression("[가-힣]")), qPrintable(o.message));
    QCOMPARE(fingerprint(m_places.databaseFolder), before);
    QVERIFY(!QFileInfo::exists(m_places.databaseFolder + "/evil.mdb"));
    QVERIFY(!QFileInfo::exists(m_places.programFolder + "/dbMain.mdb"));
}

namespace {
// The other user's account, made once; why not when it cannot be made.
const std::optional<OtherUser>& otherUser(QString* why)
{
    static QString reason;
    static const std::optional<OtherUser> user = OtherUser::Make(&reason);
    *why = reason;
    return user;
}
} // namespace

void TestDataPack::anySeatStopsRestore_data()
{
    QTest::addColumn<QString>("seat");   // who is in the data: "other" user, "self", "gone" (its marker left)
    QTest::addColumn<QString>("tool");   // "restore" or "upgrade"
    QTest::addColumn<QString>("runner"); // who runs the tool: "self" or "other"
    QTest::addColumn<bool>("oldSeatsFolder"); // the seats folder an older version made private to its user
    QTest::newRow("another user's seat; restore here") << "other"
                                                       << "restore"
                                                       << "self" << false;
    QTest::newRow("another user's seat; upgrade here") << "other"
                                                       << "upgrade"
                                                       << "self" << false;
    QTest::newRow("this user's seat; restore by another user") << "self"
                                                               << "restore"
                                                               << "other" << false;
    QTest::newRow("another user's seat, older private seats folder") << "other"
                                                                     << "restore"
                                                                     << "self" << true;
    QTest::newRow("a seat that is gone left its marker") << "gone"
                                                         << "restore"
                                                         << "self" << false;
}

void TestDataPack::anySeatStopsRestore()
{
    QFETCH(QString, seat);
    QFETCH(QString, tool);
    QFETCH(QString, runner);
    QFETCH(bool, oldSeatsFolder);
    QString why;
    const std::optional<OtherUser>& other = otherUser(&why);
    if (!other) {
        // Under CI the second user is part of the run: its absence is a failure.
        QVERIFY2(qEnvironmentVariableIsEmpty("CI"), qPrintable(why));
        QSKIP(qPrintable(why));
    }
    const DataPack::Outcome made = DataPack::MakeArchive(m_places, DataPack::Job::Backup, kNow);
    QVERIFY2(made.ok, qPrintable(made.message));
    QCOMPARE(QProcess::execute("sqlite3",
                               {m_db->mainFile, "INSERT INTO 가맹점 (코드, 상호) VALUES ('S2', '새가게')"}),
             0);
    // One installation for two users of its group: the other reaches it only through the group.
    const QString root = m_db->home.path();
    QVERIFY(QFile::setPermissions(root, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                            QFileDevice::ExeOther | QFileDevice::ReadGroup |
                                            QFileDevice::ExeGroup));
    QVERIFY(other->group(m_places.databaseFolder));
    if (oldSeatsFolder) {
        QVERIFY(QDir().mkdir(m_places.databaseFolder + "/seats"));
        QVERIFY(::chmod(QFile::encodeName(m_places.databaseFolder + "/seats").constData(), 02700) == 0);
        QVERIFY(other->group(m_places.databaseFolder + "/seats"));
    }
    const QString otherHome = root + "/other";
    QVERIFY(QDir().mkpath(otherHome + "/settings"));
    QVERIFY(QDir().mkpath(otherHome + "/home/Backup"));
    QVERIFY(QFile::copy(made.archive, otherHome + "/home/Backup/" + QFileInfo(made.archive).fileName()));
    QVERIFY(other->own(otherHome));

    QProcess child;
    if (seat == "other") {
        other->start(child, {"--seat", m_places.programFolder, otherHome + "/settings"}, otherHome);
        const QString answer = Converse(child);
        if (oldSeatsFolder) {
            // It cannot register: it says so, naming the folder and the right, and never opens the data.
            QVERIFY2(answer.startsWith("refused ") && answer.contains(m_places.databaseFolder + "/seats") &&
                         answer.contains("쓰기"),
                     qPrintable(answer));
            QVERIFY(child.waitForFinished(30000));
        } else {
            QCOMPARE(answer, QString("ready"));
        }
    } else if (seat == "self") {
        QString message;
        QVERIFY2(SeatPresence::Start(m_places.databaseFolder, "7", &message), qPrintable(message));
    } else {
        QProcess gone;
        gone.start(QCoreApplication::applicationFilePath(), {"--seat", m_places.programFolder, root + "/s3"});
        QCOMPARE(Converse(gone), QString("ready"));
        gone.kill();
        QVERIFY(gone.waitForFinished(30000));
        QCOMPARE(QDir(m_places.databaseFolder + "/seats").entryList({"*.seat"}).size(), 1);
    }
    const bool present = (seat == "other" && !oldSeatsFolder) || seat == "self";

    auto runTool = [&](QString* message) {
        if (runner == "other") {
            QProcess t;
            other->start(t,
                         {"--restore", otherHome + "/home", m_places.databaseFolder,
                          otherHome + "/home/Backup/" + QFileInfo(made.archive).fileName()},
                         otherHome);
            *message = Converse(t);
            t.waitForFinished(60000);
            return t.exitCode() == 0;
        }
        if (tool == "upgrade") {
            QString error;
            const bool ok = DbTool::Upgrade(m_places.programFolder, &error);
            *message = error;
            return ok;
        }
        const DataPack::Outcome o = DataPack::RestoreArchive(m_places, made.archive, kNow.addSecs(60));
        *message = o.message;
        return o.ok;
    };
    QString message;
    const bool ran = runTool(&message);
    if (present) {
        QVERIFY2(!ran, qPrintable(message));
        QVERIFY2(message.startsWith("다른 자리에서 프로그램을 사용하고 있어") &&
                     message.contains(seat == "self" ? "7" : "0"),
                 qPrintable(message));
        QCOMPARE(storeCount(m_db->mainFile), 2LL);
        // The seat goes on working, and what it writes stays.
        if (seat == "other") {
            QCOMPARE(Converse(child, "write"), QString("written"));
            Converse(child, "quit");
            QVERIFY(child.waitForFinished(30000));
        } else {
            SeatPresence::Stop();
        }
        QVERIFY2(runTool(&message), qPrintable(message));
    } else {
        QVERIFY2(ran, qPrintable(message));
    }
    if (tool == "restore")
        QCOMPARE(storeCount(m_db->mainFile), 1LL);
    // Whoever ran it, the shared files are the group's.
    for (const char* name : {"dbMain.mdb", "dbPost.mdb", "dbReport_SRC.mdb"}) {
        const QString f = m_places.databaseFolder + "/" + QString::fromLatin1(name);
        QCOMPARE(octal(FileModes::Mode(f)), octal(0660));
        QCOMPARE(QFileInfo(f).groupId(), other->gid());
    }
    QVERIFY(QDir(m_places.databaseFolder + "/seats").entryList({"*.seat"}).isEmpty());
}

void TestDataPack::sharedModesAfterEveryTool_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<int>("mask"); // the creation mask it runs under
    QTest::newRow("restore from a terminal") << "restore" << 022;
    QTest::newRow("restore from the program") << "restore" << 077;
    QTest::newRow("upgrade") << "upgrade" << 022;
    QTest::newRow("journal switch (share)") << "share" << 022;
    QTest::newRow("copy to a server") << "copy" << 022;
}

void TestDataPack::sharedModesAfterEveryTool()
{
    QFETCH(QString, tool);
    QFETCH(int, mask);
    const QString server = qEnvironmentVariable("ZELKOVA_TEST_SERVER");
    if (tool == "copy" && server.isEmpty()) {
        QVERIFY2(qEnvironmentVariableIsEmpty("CI"), "ZELKOVA_TEST_SERVER is not set");
        QSKIP("no test server (ZELKOVA_TEST_SERVER)");
    }
    const QString dbs = m_places.databaseFolder;
    // The installation's group is not this user's own where that can be shown (as root).
    const uint group = ::geteuid() == 0 ? 61999 : uint(::getegid());
    const int previous = FileModes::SetCreationMask(mask);
    const DataPack::Outcome made = DataPack::MakeArchive(m_places, DataPack::Job::Backup, kNow);
    // What an older version left: a database and the seats folder private to one user, another group.
    QVERIFY(::chown(QFile::encodeName(dbs).constData(), uid_t(-1), gid_t(group)) == 0);
    QVERIFY(::chmod(QFile::encodeName(dbs).constData(), 02770) == 0);
    QVERIFY(QDir().mkdir(dbs + "/seats"));
    QVERIFY(::chmod(QFile::encodeName(dbs + "/seats").constData(), 02700) == 0);
    QVERIFY(::chmod(QFile::encodeName(dbs + "/dbPost.mdb").constData(), 0644) == 0);
    bool ok = made.ok;
    QString message = made.message;
    if (tool == "restore") {
        const DataPack::Outcome o = DataPack::RestoreArchive(m_places, made.archive, kNow.addSecs(60));
        ok = o.ok;
        message = o.message;
    } else if (tool == "upgrade") {
        ok = DbTool::Upgrade(m_places.programFolder, &message);
    } else if (tool == "share") {
        ok = DbTool::Run({"share", m_places.programFolder}) == 0;
    } else {
        ServerAddress a;
        QVERIFY(ServerAddress::Parse(server, &a, nullptr));
        const QString name = QStringLiteral("zk_t%1_modes").arg(QCoreApplication::applicationPid());
        ok = DbTool::Run({"copy", m_places.programFolder, a.withDatabase(name)}) == 0;
        DbConnection admin;
        QVERIFY(admin.open(a.withDatabase("postgres"), false, nullptr));
        admin.exec("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
    }
    FileModes::SetCreationMask(previous);
    QVERIFY2(ok, qPrintable(message));
    QCOMPARE(octal(FileModes::Mode(dbs)), octal(02770));
    QCOMPARE(octal(FileModes::Mode(dbs + "/seats")), octal(02770));
    QCOMPARE(QFileInfo(dbs + "/seats").groupId(), group);
    for (const QString& name : QDir(dbs).entryList({"*.mdb*"}, QDir::Files)) {
        QCOMPARE(octal(FileModes::Mode(dbs + "/" + name)), octal(0660));
        QCOMPARE(QFileInfo(dbs + "/" + name).groupId(), group);
    }
    // What holds everyone's numbers for this user alone.
    const QString backups = DataPack::BackupFolder(m_places);
    QCOMPARE(octal(FileModes::Mode(backups)), octal(0700));
    QCOMPARE(octal(FileModes::Mode(made.archive)), octal(0600));
    for (const QString& replaced : QDir(backups).entryList({"Replaced_*"}, QDir::Dirs)) {
        QCOMPARE(octal(FileModes::Mode(backups + "/" + replaced)), octal(0700));
        for (const QString& f : QDir(backups + "/" + replaced).entryList(QDir::Files))
            QCOMPARE(octal(FileModes::Mode(backups + "/" + replaced + "/" + f)), octal(0600));
    }
}

void TestDataPack::leftoversRemovedAtTheNextRun_data()
{
    QTest::addColumn<QString>("leftover"); // below the test folder: home/ is the program folder
    QTest::addColumn<bool>("seatIn");      // a seat has the data open meanwhile
    QTest::addColumn<bool>("removed");
    QTest::newRow("work folder of a killed backup") << "home/Backup/.work-aB3dE9/dbMain.mdb" << false << true;
    QTest::newRow("unfinished archive") << "home/Backup/Backup_20261209_090000.zip.part" << false << true;
    QTest::newRow("unpack folder of a killed restore")
        << "home/Backup/.unpack-Xy12Zq/dbPost.mdb" << false << true;
    QTest::newRow("an older version's unpacked folder") << "TMP/dbMain.mdb" << false << true;
    QTest::newRow("half-copied database of a killed restore")
        << "home/DBS/dbMain.mdb.restoring" << false << true;
    QTest::newRow("empty journal files beside the postal codes")
        << "home/DBS/dbPost.mdb-wal" << false << true;
    QTest::newRow("empty journal files beside the report template")
        << "home/DBS/dbReport_SRC.mdb-shm" << false << true;
    QTest::newRow("journal files of data a seat has open") << "home/DBS/dbPost.mdb-wal" << true << false;
}

void TestDataPack::leftoversRemovedAtTheNextRun()
{
    QFETCH(QString, leftover);
    QFETCH(bool, seatIn);
    QFETCH(bool, removed);
    const DataPack::Outcome made = DataPack::MakeArchive(m_places, DataPack::Job::Backup, kNow);
    QVERIFY(made.ok);
    // A backup leaves nothing beside the databases.
    QCOMPARE(QDir(m_places.databaseFolder).entryList({"*-wal", "*-shm", "*.restoring"}, QDir::Files),
             QStringList());
    QTemporaryDir legacy(QDir::tempPath() + "/" + QCoreApplication::applicationName() + "-XXXXXX");
    legacy.setAutoRemove(false);
    QString path = leftover;
    path.replace("TMP", legacy.path()).replace(QRegularExpression("^home/"), m_places.programFolder + "/");
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    if (!path.contains("-wal") && !path.contains("-shm"))
        f.write("SQLite format 3");
    f.close();
    // The log and backups of a run under the usual creation mask.
    QVERIFY(QDir().mkpath(m_places.programFolder + "/Log"));
    QVERIFY(QFile::setPermissions(made.archive, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    QFileDevice::ReadOther | QFileDevice::ReadGroup));
    QProcess child;
    if (seatIn) {
        child.start(QCoreApplication::applicationFilePath(),
                    {"--seat", m_places.programFolder, m_db->home.path() + "/s2"});
        QCOMPARE(Converse(child), QString("ready"));
    }
    const QStringList gone = DataPack::Tidy(m_places);
    if (seatIn) {
        Converse(child, "quit");
        QVERIFY(child.waitForFinished(30000));
    }
    QCOMPARE(QFileInfo::exists(path), !removed);
    QCOMPARE(QFileInfo::exists(legacy.path()), !(removed && leftover.startsWith("TMP")));
    if (QFileInfo::exists(legacy.path()))
        QDir(legacy.path()).removeRecursively();
    QVERIFY(QFileInfo::exists(made.archive));
    QCOMPARE(storeCount(m_db->mainFile), 1LL);
    QCOMPARE(octal(FileModes::Mode(made.archive)), octal(0600));
    QCOMPARE(octal(FileModes::Mode(m_places.programFolder + "/Log")), octal(0700));
    QCOMPARE(gone.isEmpty(), !removed);
}

void TestDataPack::jobEndedAtEveryStep_data()
{
    QTest::addColumn<QString>("job");     // "backup" or "restore"
    QTest::addColumn<QString>("step");    // where the job is when the signal comes
    QTest::addColumn<int>("signal");      // SIGKILL, or an end request
    QTest::addColumn<QString>("nextRun"); // what runs afterwards: the "companion" or a seat's "start"
    QTest::addColumn<QString>("outcome"); // the data afterwards: "old" or the archive's "new"
    const QStringList steps{
        "unpacked", "verified", "kept", "staged", "journal", "replaced:dbMain.mdb", "replaced:dbPost.mdb",
        "done"};
    for (const QString& step : steps) {
        const bool decided = steps.indexOf(step) >= steps.indexOf("journal");
        QTest::addRow("restore killed at %s", qPrintable(step))
            << "restore" << step << int(SIGKILL) << "companion" << (decided ? "new" : "old");
    }
    QTest::newRow("restore killed halfway, a seat starts") << "restore"
                                                           << "replaced:dbMain.mdb" << int(SIGKILL) << "start"
                                                           << "new";
    QTest::newRow("restore killed halfway, then zelkova-db upgrade")
        << "restore"
        << "replaced:dbMain.mdb" << int(SIGKILL) << "upgrade"
        << "new";
    QTest::newRow("restore killed before replacing, a seat starts") << "restore"
                                                                    << "staged" << int(SIGKILL) << "start"
                                                                    << "old";
    QTest::newRow("SIGTERM while checking") << "restore"
                                            << "verified" << int(SIGTERM) << "companion"
                                            << "old";
    QTest::newRow("SIGINT once staged") << "restore"
                                        << "staged" << int(SIGINT) << "companion"
                                        << "old";
    QTest::newRow("SIGHUP once the journal is written") << "restore"
                                                        << "journal" << int(SIGHUP) << "companion"
                                                        << "new";
    QTest::newRow("SIGTERM while replacing") << "restore"
                                             << "replaced:dbMain.mdb" << int(SIGTERM) << "companion"
                                             << "new";
    QTest::newRow("backup killed while packing") << "backup"
                                                 << "packed:dbMain.mdb" << int(SIGKILL) << "companion"
                                                 << "old";
    QTest::newRow("SIGTERM while packing") << "backup"
                                           << "packed:dbMain.mdb" << int(SIGTERM) << "companion"
                                           << "old";
}

void TestDataPack::jobEndedAtEveryStep()
{
    QFETCH(QString, job);
    QFETCH(QString, step);
    QFETCH(int, signal);
    QFETCH(QString, nextRun);
    QFETCH(QString, outcome);
    const QString dbs = m_places.databaseFolder;
    const DataPack::Outcome made = DataPack::MakeArchive(m_places, DataPack::Job::Backup, kNow);
    QVERIFY2(made.ok, qPrintable(made.message));
    // After the backup every file changes, so each tells which archive it came from.
    QCOMPARE(QProcess::execute("sqlite3",
                               {m_db->mainFile, "INSERT INTO 가맹점 (코드, 상호) VALUES ('S2', '새가게')"}),
             0);
    for (const char* name : {"dbPost.mdb", "dbReport_SRC.mdb"})
        QCOMPARE(QProcess::execute("sqlite3", {dbs + "/" + name, "PRAGMA user_version = 77"}), 0);
    auto set = [&] {
        return QStringList{QString::number(storeCount(dbs + "/dbMain.mdb")),
                           sqlValue(dbs + "/dbPost.mdb", "PRAGMA user_version"),
                           sqlValue(dbs + "/dbReport_SRC.mdb", "PRAGMA user_version")};
    };
    const QStringList oldSet{"2", "77", "77"};
    const QStringList newSet{"1", "0", "0"};
    QCOMPARE(set(), oldSet);
    const QString archive = job == "restore" ? made.archive : QString("-");
    if (job == "backup")
        QVERIFY(QFile::remove(made.archive));

    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {"--job", m_places.programFolder, dbs, job, archive, step});
    QCOMPARE(Converse(child), "at " + step);
    QVERIFY(::kill(pid_t(child.processId()), signal) == 0);
    QVERIFY(child.waitForFinished(60000));
    if (signal == SIGKILL) {
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    } else {
        // An end request stops the job at its next safe point, or lets it finish once it is decided.
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        const QString said = Converse(child);
        QVERIFY2(said.contains(outcome == "new" ? "복구를 마쳤습니다" : "취소"), qPrintable(said));
    }

    if (nextRun == "companion") {
        const DataPack::Outcome finished = DataPack::FinishInterruptedRestore(m_places);
        QVERIFY2(finished.ok, qPrintable(finished.message));
        DataPack::Tidy(m_places);
        // Nothing of the ended run is left: no work folders, unfinished archive or staged file.
        const QString backups = DataPack::BackupFolder(m_places);
        QCOMPARE(QDir(backups).entryList({".*-*", "*.part"},
                                         QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
        QCOMPARE(QDir(dbs).entryList({"*.restoring"}, QDir::Files | QDir::Hidden), QStringList());
    } else if (nextRun == "upgrade") {
        QString message;
        QVERIFY2(DbTool::Upgrade(m_places.programFolder, &message), qPrintable(message));
    } else {
        QProcess seat;
        seat.start(QCoreApplication::applicationFilePath(),
                   {"--seat", m_places.programFolder, m_db->home.path() + "/s2"});
        QCOMPARE(Converse(seat), QString("ready"));
        Converse(seat, "quit");
        QVERIFY(seat.waitForFinished(30000));
    }
    // Every database from one archive, never a mixture, and no journal left to finish.
    QCOMPARE(set(), outcome == "new" ? newSet : oldSet);
    QVERIFY(!QFileInfo::exists(dbs + "/restore.journal"));
    if (job == "backup") {
        QCOMPARE(DataPack::Archives(m_places), QStringList());
    } else if (outcome == "new") {
        // What the restore replaced is kept, the user's alone.
        const QStringList kept = QDir(DataPack::BackupFolder(m_places)).entryList({"Replaced_*"}, QDir::Dirs);
        QCOMPARE(kept.size(), 1);
        QCOMPARE(storeCount(DataPack::BackupFolder(m_places) + "/" + kept.first() + "/dbMain.mdb"), 2LL);
        for (const char* name : {"dbMain.mdb", "dbPost.mdb", "dbReport_SRC.mdb"})
            QCOMPARE(octal(FileModes::Mode(dbs + "/" + name)), octal(0660));
    }
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

// The test program run again as another seat or tool: "--seat PROGRAMFOLDER SETTINGS" starts like the
// program and answers "ready" (or "refused <message>"), then "write" and "quit" from its input;
// "--restore PROGRAMFOLDER DATABASEFOLDER ARCHIVE" restores and prints the message; "--probe" ends at once.
static int runAsChild(const QStringList& args)
{
    auto say = [](const QString& line) {
        QString flat = line;
        std::cout << flat.replace(QLatin1Char('\n'), QLatin1Char('|'))
                         .replace(QLatin1Char('\r'), QString())
                         .toStdString()
                  << std::endl;
    };
    if (args.at(1) == QLatin1String("--probe"))
        return 0;
    if (args.at(1) == QLatin1String("--job")) {
        // "--job PROGRAMFOLDER DATABASEFOLDER backup|restore ARCHIVE STEP": the job, holding at STEP until a
        // signal ends the process or asks it to end.
        FileModes::RestrictNewFiles();
        AppPaths::SetProgramFolder(args.at(2));
        const DataPack::Places places{args.at(2), args.at(3), {}, {}};
        const QString hold = args.at(6);
        DataPack::StopOnEndRequests();
        DataPack::SetStepHook([&](const QString& step) {
            if (step != hold)
                return;
            say(QStringLiteral("at ") + step);
            while (!DataPack::StopRequested()) {
                QCoreApplication::processEvents();
                QThread::msleep(5);
            }
        });
        const DataPack::Outcome o =
            args.at(4) == QLatin1String("backup")
                ? DataPack::MakeArchive(places, DataPack::Job::Backup, QDateTime::currentDateTime())
                : DataPack::RestoreArchive(places, args.at(5), QDateTime::currentDateTime());
        say(o.message);
        return o.ok ? 0 : 1;
    }
    FileModes::RestrictNewFiles();
    AppPaths::SetProgramFolder(args.at(2));
    if (args.at(1) == QLatin1String("--restore")) {
        const DataPack::Places places{args.at(2), args.at(3), {}, {}};
        const DataPack::Outcome o =
            DataPack::RestoreArchive(places, args.at(4), QDateTime::currentDateTime());
        say(o.message);
        return o.ok ? 0 : 1;
    }
    UserSettings::SetFolder(args.at(3));
    ScriptedPrompter prompter;
    if (!InitApp(ShowFound())) {
        say(QStringLiteral("refused ") + prompter.lastText());
        DestroyApp();
        return 1;
    }
    say(QStringLiteral("ready"));
    std::string line;
    while (std::getline(std::cin, line) && line != "quit") {
        const bool ok = ExecSQL("INSERT INTO 입금 (가맹점코드, 입금일자, 입금액, 할인액, 메모) VALUES ('S1', "
                                "'2026-12-09', 5, 0, '다른 자리')") == 1;
        say(ok ? QStringLiteral("written") : QStringLiteral("failed"));
    }
    DestroyApp();
    say(QStringLiteral("bye"));
    return 0;
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 2 &&
        (args.at(1) == QLatin1String("--seat") || args.at(1) == QLatin1String("--restore") ||
         args.at(1) == QLatin1String("--probe") || args.at(1) == QLatin1String("--job")))
        return runAsChild(args);
    TestDataPack t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_datapack.moc"
