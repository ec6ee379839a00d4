#include "DataPack.h"

#include "ArchiveIO.h"
#include "ServerDump.h"
#include "app/AppPaths.h"
#include "app/FileModes.h"
#include "app/Platform.h"
#include "app/RestoreJournal.h"
#include "app/SeatPresence.h"
#include "app/SettingKeys.h"
#include "app/UserSettings.h"
#include "db/Schema.h"
#include "db/ServerAddress.h"
#include "db/ServerSchema.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>

#include <archive.h>
#include <archive_entry.h>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace DataPack {

namespace {

const QString kDbPattern = QStringLiteral("*.mdb");

std::atomic<bool> g_stopRequested{false};
bool g_watchingEndRequests = false;
StepHook g_stepHook;

void step(const QString& name)
{
    if (g_stepHook)
        g_stepHook(name);
}

bool report(const Progress& progress, int percent, const QString& step)
{
    // The system's end request arrives through the event loop, which a job without a window never runs.
    if (g_watchingEndRequests)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (g_stopRequested)
        return false;
    return !progress || progress(percent, step);
}

// Bytes of a long step as the job's percent between `from` and `to`; remembers a cancel.
class Meter
{
public:
    Meter(const Progress& progress, int from, int to, qint64 total)
        : m_progress(progress), m_from(from), m_to(to), m_total(std::max<qint64>(total, 1))
    {
    }
    void setStep(const QString& step) { m_step = step; }
    bool add(qint64 bytes)
    {
        m_done = std::min(m_total, m_done + std::max<qint64>(bytes, 0));
        const int percent = m_from + int(qint64(m_to - m_from) * m_done / m_total);
        if (percent == m_last && bytes > 0)
            return true;
        m_last = percent;
        m_cancelled = m_cancelled || !report(m_progress, percent, m_step);
        return !m_cancelled;
    }
    bool cancelled() const { return m_cancelled; }

private:
    const Progress& m_progress;
    int m_from;
    int m_to;
    qint64 m_total;
    qint64 m_done = 0;
    int m_last = -1;
    bool m_cancelled = false;
    QString m_step;
};

using Tick = std::function<bool(qint64 bytes)>;

Outcome failed(const QString& message)
{
    Outcome o;
    o.message = message;
    return o;
}

QString prefixOf(Job job)
{
    return job == Job::AfterSales ? QStringLiteral("AS_") : QStringLiteral("Backup_");
}

// A consistent copy of a database in use: SQLite's online backup, retried while another seat writes. tick
// (when given) hears the bytes copied and may stop the copy.
bool copyDatabase(const QString& from, const QString& to, QString* error, const Tick& tick = {})
{
    const qint64 fileSize = QFileInfo(from).size();
    qint64 told = 0;
    sqlite3* src = nullptr;
    sqlite3* dst = nullptr;
    const QByteArray fromPath = QFile::encodeName(from);
    const QByteArray toPath = QFile::encodeName(to);
    // Opened for writing where this user may (nothing is written): the last connection to close then takes
    // the engine's journal files away, which a read-only one leaves behind.
    if (sqlite3_open_v2(fromPath.constData(), &src, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(src);
        src = nullptr;
    }
    bool ok =
        (src || sqlite3_open_v2(fromPath.constData(), &src, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) &&
        sqlite3_open_v2(toPath.constData(), &dst, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) ==
            SQLITE_OK;
    if (ok) {
        // The copy is a work file: whoever needs it whole on the disk flushes it then.
        sqlite3_exec(dst, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
        sqlite3_busy_timeout(src, 15000);
        sqlite3_backup* b = sqlite3_backup_init(dst, "main", src, "main");
        ok = b != nullptr;
        if (b) {
            int rc = SQLITE_OK;
            // Pages a few at a time: a writer at another seat never waits long on the copy.
            bool stopped = false;
            while (!stopped && ((rc = sqlite3_backup_step(b, 256)) == SQLITE_OK || rc == SQLITE_BUSY ||
                                rc == SQLITE_LOCKED)) {
                if (rc != SQLITE_OK) {
                    sqlite3_sleep(20);
                } else if (tick) {
                    const int pages = std::max(sqlite3_backup_pagecount(b), 1);
                    const qint64 done = fileSize * (pages - sqlite3_backup_remaining(b)) / pages;
                    stopped = !tick(done - told);
                    told = done;
                }
            }
            ok = rc == SQLITE_DONE;
            sqlite3_backup_finish(b);
        }
        if (ok)
            ok = sqlite3_exec(dst, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    if (!ok && error)
        *error = QString::fromUtf8(sqlite3_errmsg(dst ? dst : src));
    sqlite3_close(src);
    sqlite3_close(dst);
    return ok;
}

enum class Streamed
{
    Done,
    NotPossible, // not in write-ahead-log mode, or the log could not be emptied: copy it instead
    Failed,
};

// A database in write-ahead-log mode straight into the archive, with no copy on the disk: once its log is
// emptied into the file, a read transaction that needs nothing from the log keeps every page of the file
// as it is (SQLite lets no checkpoint write into the file under such a reader), while other seats go on
// writing into the log. The pages are read through the engine's own file handle, so no lock of the
// engine's is touched, and the image is marked as a rollback-journal file, as the online copy is.
Streamed streamDatabase(const QString& file, const QString& name, ArchiveIO::Writer& archive,
                        const Tick& tick, QString* error)
{
    sqlite3* raw = nullptr;
    const int opened =
        sqlite3_open_v2(QFile::encodeName(file).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    const std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, &sqlite3_close);
    if (opened != SQLITE_OK)
        return Streamed::NotPossible;
    // A writer at another seat is waited for a moment only; the copy is the way round it.
    sqlite3_busy_timeout(raw, 500);
    // The first row of a statement as texts.
    auto run = [raw](const char* sql, QStringList* row = nullptr) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(raw, sql, -1, &st, nullptr) != SQLITE_OK)
            return false;
        const int rc = sqlite3_step(st);
        if (rc == SQLITE_ROW && row)
            for (int i = 0; i < sqlite3_column_count(st); ++i)
                *row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
        sqlite3_finalize(st);
        return rc == SQLITE_ROW || rc == SQLITE_DONE;
    };
    QStringList mode, checkpoint, pageSize, pageCount;
    if (!run("PRAGMA journal_mode", &mode) || mode.value(0) != QLatin1String("wal") ||
        !run("PRAGMA wal_checkpoint(TRUNCATE)", &checkpoint) || checkpoint.value(0) != QLatin1String("0"))
        return Streamed::NotPossible;
    if (!run("BEGIN") || !run("SELECT COUNT(*) FROM sqlite_master") || !run("PRAGMA page_size", &pageSize) ||
        !run("PRAGMA page_count", &pageCount)) {
        run("ROLLBACK");
        return Streamed::NotPossible;
    }
    // Emptied and still empty with the snapshot taken: it reads the file alone.
    sqlite3_file* handle = nullptr;
    if (QFileInfo(file + QStringLiteral("-wal")).size() > 0 ||
        sqlite3_file_control(raw, "main", SQLITE_FCNTL_FILE_POINTER, &handle) != SQLITE_OK || !handle ||
        !handle->pMethods) {
        run("ROLLBACK");
        return Streamed::NotPossible;
    }
    const qint64 page = pageSize.value(0).toLongLong();
    const qint64 total = page * pageCount.value(0).toLongLong();
    bool ok = total > 0 && archive.begin(name, total, QFileInfo(file).lastModified());
    std::vector<char> buffer(size_t(std::max<qint64>(page, 1 << 20)));
    for (qint64 at = 0; ok && at < total;) {
        const int n = int(std::min<qint64>(qint64(buffer.size()), total - at));
        if (handle->pMethods->xRead(handle, buffer.data(), n, at) != SQLITE_OK) {
            *error = QStringLiteral("데이터베이스 파일을 읽지 못했습니다: ") + file;
            ok = false;
            break;
        }
        if (at == 0)
            buffer[18] = buffer[19] = 1; // the file format's journal mode: rollback
        ok = archive.write(buffer.data(), n) && (!tick || tick(n));
        at += n;
    }
    run("ROLLBACK");
    if (!ok && error->isEmpty())
        *error = archive.error();
    return ok ? Streamed::Done : Streamed::Failed;
}

// The databases an archive of files may hold, by their names in the database folder.
struct Kind
{
    QString name;
    const std::vector<Schema::Table>& (*tables)();
    bool versioned; // carries the layout version (the main database)
};

const std::vector<Kind>& kinds()
{
    static const std::vector<Kind> all{
        {Schema::kMainFileName, &Schema::MainTables, true},
        {QFileInfo(Schema::kPostFile).fileName(), &Schema::PostTables, false},
        {QFileInfo(Schema::kReportTemplate).fileName(), &Schema::ReportTables, false},
    };
    return all;
}

const Kind* kindOf(const QString& name)
{
    for (const Kind& k : kinds())
        if (k.name.compare(name, Qt::CaseInsensitive) == 0)
            return &k;
    return nullptr;
}

// The seat's own report work copy, which an older backup may hold: rebuilt at every start, never restored.
bool isWorkCopy(const QString& name)
{
    return name.compare(QFileInfo(Schema::kReportWorkCopy).fileName(), Qt::CaseInsensitive) == 0;
}

bool isServerEntry(const QString& name)
{
    return name == ServerDump::kDumpName || name == ServerDump::kManifestName;
}

// Unpacks an archive the companion may restore, a tar.zst or an older version's zip: only regular files
// under the known names, each once (a database under its own spelling); anything else (a link, a folder, a
// device, another name, an empty database) refuses the whole archive before anything is written outside
// `folder`. tick (when given) hears the archive's bytes as they are read.
bool unpack(const QString& archivePath, const QString& folder, QStringList* names, QString* error,
            const Tick& tick = {})
{
    ArchiveIO::Reader r(archivePath);
    if (!r.ok()) {
        *error = QStringLiteral("압축 파일이 손상되었습니다.\n") + r.error();
        return false;
    }
    auto refuse = [&](const QString& why, const QString& name) {
        *error = QStringLiteral("백업 파일이 아닌 항목이 있어 복구하지 않았습니다.\n") + why +
                 QStringLiteral(": ") + name;
        return false;
    };
    QSet<QString> seen;
    while (archive_entry* entry = r.next()) {
        QString name = QString::fromUtf8(archive_entry_pathname_utf8(entry));
        const Kind* kind = kindOf(name);
        if (archive_entry_filetype(entry) != AE_IFREG || archive_entry_symlink(entry) != nullptr ||
            archive_entry_hardlink(entry) != nullptr)
            return refuse(QStringLiteral("일반 파일이 아닌 항목(링크나 폴더)"), name);
        if (!kind && !isServerEntry(name) && !isWorkCopy(name))
            return refuse(QStringLiteral("알 수 없는 항목"), name);
        if (kind)
            name = kind->name;
        if (seen.contains(name.toLower()))
            return refuse(QStringLiteral("같은 이름의 항목이 둘"), name);
        seen.insert(name.toLower());
        if (isWorkCopy(name)) {
            r.skip();
            continue;
        }
        const QString file = folder + QLatin1Char('/') + name;
        QString why;
        if (const auto done = r.extract(file, tick, &why); done != ArchiveIO::Reader::Extracted::Done) {
            *error = (done == ArchiveIO::Reader::Extracted::Damaged
                          ? QStringLiteral("압축 파일이 손상되었습니다.\n")
                          : QStringLiteral("압축을 풀 수 없습니다.\n")) +
                     why;
            return false;
        }
        if (kind && QFileInfo(file).size() == 0)
            return refuse(QStringLiteral("빈 데이터베이스"), name);
        if (names)
            *names << name;
    }
    if (!r.atEnd()) {
        *error = QStringLiteral("압축 파일이 손상되었습니다.\n") + r.error();
        return false;
    }
    return true;
}

// "" when file is a sound database of its kind: an SQLite file whose pages all read as well-formed trees of
// well-formed records, holding every table of its kind, and for the main database a layout version this
// program reads; otherwise why not. The archive's checksums have already told that these are the bytes
// the backup wrote. (The full integrity check, which also looks every row up in every index, takes twenty
// seconds of processor time on a million customers; `zelkova-db check` runs it.)
QString problemOf(const QString& file, const Kind& kind)
{
    QFile header(file);
    if (!header.open(QIODevice::ReadOnly) || header.read(16) != QByteArray("SQLite format 3", 16))
        return QStringLiteral("데이터베이스 파일이 아닙니다");
    header.close();
    sqlite3* db = nullptr;
    QString problem;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        problem = QStringLiteral("열 수 없습니다");
    } else {
        auto rows = [db](const char* sql, QStringList* out) {
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK)
                return false;
            int rc = SQLITE_OK;
            while ((rc = sqlite3_step(st)) == SQLITE_ROW)
                *out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            sqlite3_finalize(st);
            return rc == SQLITE_DONE;
        };
        QStringList check, tables, version, mapped;
        rows(QStringLiteral("PRAGMA mmap_size = %1").arg(QFileInfo(file).size()).toUtf8().constData(),
             &mapped);
        if (!rows("PRAGMA quick_check", &check) || check != QStringList{QStringLiteral("ok")}) {
            problem = QStringLiteral("손상되었습니다 (") +
                      (check.isEmpty() ? QString::fromUtf8(sqlite3_errmsg(db)) : check.first()) +
                      QLatin1Char(')');
        } else if (!rows("SELECT name FROM sqlite_master WHERE type = 'table'", &tables)) {
            problem = QString::fromUtf8(sqlite3_errmsg(db));
        } else {
            QStringList missing;
            for (const Schema::Table& t : kind.tables())
                if (!tables.contains(t.name))
                    missing << t.name;
            if (!missing.isEmpty()) {
                problem = QStringLiteral("이 종류의 데이터베이스가 아닙니다 (없는 표: ") +
                          missing.join(QStringLiteral(", ")) + QLatin1Char(')');
            } else if (kind.versioned) {
                const int v = tables.contains(QStringLiteral("zk_schema")) &&
                                      rows("SELECT version FROM zk_schema", &version) && !version.isEmpty()
                                  ? version.first().toInt()
                                  : 0;
                if (v < 1 || v > Schema::kCurrentVersion)
                    problem =
                        QStringLiteral("이 프로그램이 읽을 수 없는 데이터베이스 구조(버전 %1)입니다").arg(v);
            }
        }
    }
    sqlite3_close(db);
    return problem;
}

void keepPrivate(const QString& folder)
{
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        FileModes::MakePrivate(folder + QLatin1Char('/') + name);
}

// The archives of one kind in a folder, newest first: their names carry the time, whatever the format.
QFileInfoList archivesOf(const QString& folder, const QString& prefix)
{
    QFileInfoList all = QDir(folder).entryInfoList({prefix + QStringLiteral("*") + ArchiveIO::kSuffix,
                                                    prefix + QStringLiteral("*") + ArchiveIO::kOldSuffix},
                                                   QDir::Files);
    std::sort(all.begin(), all.end(),
              [](const QFileInfo& a, const QFileInfo& b) { return a.fileName() > b.fileName(); });
    return all;
}

void keepNewest(const QString& folder, const QString& prefix)
{
    const QFileInfoList all = archivesOf(folder, prefix);
    for (int i = kKeep; i < all.size(); ++i)
        QFile::remove(all.at(i).absoluteFilePath());
}

// The shared databases of a folder, each under the name it has there.
QStringList databases(const QString& folder)
{
    QStringList out;
    for (const QString& name : QDir(folder).entryList({kDbPattern}, QDir::Files, QDir::Name))
        if (kindOf(name))
            out << name;
    return out;
}

// Hands a tool's progress on within [from, to] of the whole job; a step without words keeps the last one.
ServerDump::Progress within(const Progress& progress, int from, int to, const QString& first, bool* stopped)
{
    auto last = std::make_shared<QString>(first);
    return [=](int percent, const QString& step) {
        if (!step.isEmpty())
            *last = step;
        const bool go = report(progress, from + (to - from) * percent / 100, *last);
        if (!go)
            *stopped = true;
        return go;
    };
}

// The server's database dumped into work, with the note that tells the archive is a server's.
Outcome dumpServer(const Places& places, const QString& workFolder, const QDateTime& now,
                   const Progress& progress)
{
    QString error;
    const int version = ServerSchema::StoredVersion(places.serverAddress, &error);
    if (version < 0)
        return failed(error + QStringLiteral("\n\n백업하지 않았습니다."));
    bool stopped = false;
    if (!ServerDump::Dump(places.serverAddress, workFolder + QLatin1Char('/') + ServerDump::kDumpName,
                          within(progress, 0, 85, QStringLiteral("서버 자료를 내려받는 중"), &stopped),
                          &error))
        return failed(stopped
                          ? QStringLiteral("백업을 취소하였습니다.")
                          : QStringLiteral("서버 데이터베이스를 백업하지 못했습니다(pg_dump).\n") + error);
    ServerAddress a;
    ServerAddress::Parse(places.serverAddress, &a, nullptr);
    QSettings note(workFolder + QLatin1Char('/') + ServerDump::kManifestName, QSettings::IniFormat);
    note.setValue(QStringLiteral("Dump/Format"), QStringLiteral("pg_dump custom"));
    note.setValue(QStringLiteral("Dump/Server"), a.describe());
    note.setValue(QStringLiteral("Dump/Version"), version);
    note.setValue(QStringLiteral("Dump/Made"), now.toString(Qt::ISODate));
    note.sync();
    if (note.status() != QSettings::NoError)
        return failed(QStringLiteral("백업 설명 파일을 쓰지 못했습니다.\n") + workFolder);
    Outcome o;
    o.ok = true;
    return o;
}

// A server's dump: its note gives a layout this program reads, and its table of contents holds every
// table of the main database with its rows.
Outcome verifyServerDump(const QString& workFolder, const QStringList& names)
{
    if (!names.contains(ServerDump::kDumpName))
        return failed(QStringLiteral("압축 파일에 서버 데이터베이스의 백업이 없습니다."));
    bool ok = false;
    const int version =
        QSettings(workFolder + QLatin1Char('/') + ServerDump::kManifestName, QSettings::IniFormat)
            .value(QStringLiteral("Dump/Version"))
            .toInt(&ok);
    if (!ok || version < 1 || version > Schema::kCurrentVersion)
        return failed(
            QStringLiteral("이 프로그램이 읽을 수 없는 데이터베이스 구조(버전 %1)입니다.").arg(version));
    QStringList entries;
    QString error;
    if (!ServerDump::List(workFolder + QLatin1Char('/') + ServerDump::kDumpName, &entries, &error))
        return failed(QStringLiteral("서버 백업 파일을 읽을 수 없습니다(pg_restore).\n") + error);
    QSet<QString> tables, filled;
    for (const QString& entry : entries) {
        // "217; 1259 33205 TABLE public 가맹점 owner", "3663; 0 33205 TABLE DATA public 가맹점 owner"
        const QStringList t = entry.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (t.size() >= 6 && t.at(3) == QLatin1String("TABLE") && t.at(4) == QLatin1String("public"))
            tables.insert(t.at(5));
        else if (t.size() >= 7 && t.at(3) == QLatin1String("TABLE") && t.at(4) == QLatin1String("DATA") &&
                 t.at(5) == QLatin1String("public"))
            filled.insert(t.at(6));
    }
    QStringList missing;
    for (const Schema::Table& table : Schema::MainTables()) {
        if (!tables.contains(table.name) || !filled.contains(table.name))
            missing << table.name;
    }
    if (!missing.isEmpty())
        return failed(QStringLiteral("서버 백업에 이 프로그램의 자료가 빠져 있습니다: ") +
                      missing.join(QStringLiteral(", ")));
    Outcome o;
    o.ok = true;
    o.server = true;
    return o;
}

} // namespace

QStringList Tidy(const Places& places)
{
    QStringList removed;
    auto remove = [&](const QString& path) {
        const bool gone = QFileInfo(path).isDir() ? QDir(path).removeRecursively() : QFile::remove(path);
        if (gone)
            removed << path;
    };
    // What a killed run left beside the backups: its work and unpack folders and unfinished archives.
    const QString backups = BackupFolder(places);
    const QDir dir(backups);
    for (const QFileInfo& f : dir.entryInfoList({QStringLiteral(".work-*"), QStringLiteral(".unpack-*"),
                                                 QStringLiteral(".replacing-*"), QStringLiteral("*.part")},
                                                QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        remove(f.absoluteFilePath());
    // An older version unpacked into the system's temporary folder.
    const QString legacy = QCoreApplication::applicationName() + QStringLiteral("-*");
    for (const QFileInfo& f :
         QDir(QDir::tempPath()).entryInfoList({legacy}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (f.ownerId() == uint(::getuid())) {
            const QStringList inside = QDir(f.absoluteFilePath()).entryList(QDir::Files);
            if (!inside.isEmpty() && std::all_of(inside.begin(), inside.end(), [](const QString& n) {
                    return kindOf(n) || isWorkCopy(n) || isServerEntry(n);
                }))
                remove(f.absoluteFilePath());
        }
    }
    // Backups and their logs from a run with the usual creation mask become the user's alone.
    if (dir.exists()) {
        FileModes::MakePrivate(backups);
        for (const QFileInfo& f : dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
            FileModes::MakePrivate(f.absoluteFilePath());
            if (f.isDir())
                keepPrivate(f.absoluteFilePath());
        }
    }
    const QString log = places.programFolder + QStringLiteral("/Log");
    if (QFileInfo(log).isDir()) {
        FileModes::MakePrivate(log);
        keepPrivate(log);
    }
    // In the shared folder only while no seat is in the data: a half-copied database of a killed restore,
    // and the empty journal files a read left beside databases that nobody has open.
    if (!places.serverAddress.isEmpty() || !QFileInfo(places.databaseFolder).isDir())
        return removed;
    const SeatPresence::Exclusive hold(places.databaseFolder);
    if (!hold.held())
        return removed;
    const QDir dbs(places.databaseFolder);
    // Staged files a journal names are the rest of a replacement, not leftovers.
    if (!RestoreJournal::Pending(places.databaseFolder))
        for (const QString& name : dbs.entryList({QStringLiteral("*.restoring")}, QDir::Files | QDir::Hidden))
            remove(dbs.filePath(name));
    for (const QString& name : databases(places.databaseFolder)) {
        const QString wal = dbs.filePath(name) + QStringLiteral("-wal");
        const QString shm = dbs.filePath(name) + QStringLiteral("-shm");
        if (QFileInfo::exists(wal) ? QFileInfo(wal).size() == 0 : QFileInfo::exists(shm)) {
            for (const QString& side : {wal, shm})
                if (QFileInfo::exists(side))
                    remove(side);
        }
    }
    return removed;
}

Places CurrentPlaces()
{
    Places places;
    places.programFolder = AppPaths::ProgramFolder();
    places.databaseFolder = AppPaths::Native(Settings::Get(Settings::Key::BackupFolder));
    if (places.databaseFolder.isEmpty())
        places.databaseFolder = AppPaths::ProgramPath(QStringLiteral("DBS"));
    places.settingsFolder = UserSettings::Folder();
    // A seat of a database server backs up and restores the server's database, not its own folder's files.
    const QString main = Settings::Get(Settings::Key::MainDatabase).trimmed();
    if (ServerAddress::IsServerAddress(main))
        places.serverAddress = main;
    return places;
}

QString BackupFolder(const Places& places)
{
    return places.programFolder + QStringLiteral("/Backup");
}

QStringList Archives(const Places& places)
{
    QStringList out;
    for (const QFileInfo& f : archivesOf(BackupFolder(places), prefixOf(Job::Backup)))
        out << f.absoluteFilePath();
    return out;
}

Outcome MakeArchive(const Places& places, Job job, const QDateTime& now, const Progress& progress)
{
    const QString folder = BackupFolder(places);
    if (!QDir().mkpath(folder))
        return failed(QStringLiteral("백업 폴더를 만들 수 없습니다.\n") + folder);
    // Every customer's number and address: the backups are the user's alone, whatever the creation mask.
    FileModes::MakePrivate(folder);
    QTemporaryDir work(folder + QStringLiteral("/.work-XXXXXX"));
    if (!work.isValid())
        return failed(QStringLiteral("작업 폴더를 만들 수 없습니다.\n") + folder);
    const QString archive = folder + QLatin1Char('/') + prefixOf(job) +
                            now.toString(QStringLiteral("yyyyMMdd_HHmmss")) + ArchiveIO::kSuffix;
    const QString partial = archive + QStringLiteral(".part");
    const QString cancelled = QStringLiteral("백업을 취소하였습니다.");
    // Whatever stops the job before the archive is whole takes the unfinished file with it.
    struct RemoveUnlessKept
    {
        const QString& path;
        bool keep = false;
        ~RemoveUnlessKept()
        {
            if (!keep)
                QFile::remove(path);
        }
    } unfinished{partial};
    std::unique_ptr<ArchiveIO::Writer> w;
    auto openArchive = [&] {
        w = std::make_unique<ArchiveIO::Writer>(partial);
        return w->ok();
    };
    auto unwritable = [&] {
        return failed(QStringLiteral("압축 파일을 쓰지 못했습니다.\n") + w->error() + QLatin1Char('\n') +
                      partial);
    };
    if (!places.serverAddress.isEmpty()) {
        // The seat's own folder holds only the report template and postal codes: the data is the server's.
        const Outcome dumped = dumpServer(places, work.path(), now, progress);
        if (!dumped.ok)
            return dumped;
        Meter packing(progress, 90, 98, 1);
        packing.setStep(QStringLiteral("압축 파일을 만드는 중"));
        if (!packing.add(0))
            return failed(cancelled);
        if (!openArchive())
            return unwritable();
        for (const QString& name : {ServerDump::kDumpName, ServerDump::kManifestName})
            if (!w->addFile(work.filePath(name), name))
                return unwritable();
    } else {
        const QStringList dbs = databases(places.databaseFolder);
        if (dbs.isEmpty())
            return failed(QStringLiteral("백업할 데이터베이스가 없습니다.\n") + places.databaseFolder);
        qint64 bytes = 0;
        for (const QString& db : dbs)
            bytes += QFileInfo(places.databaseFolder + QLatin1Char('/') + db).size();
        // Read and compressed in one pass; a database that must be copied first counts its copy as half.
        Meter packing(progress, 0, 98, bytes);
        if (!openArchive())
            return unwritable();
        for (const QString& db : dbs) {
            packing.setStep(db + QStringLiteral(" 압축 중"));
            if (!packing.add(0))
                return failed(cancelled);
            const QString source = places.databaseFolder + QLatin1Char('/') + db;
            QString error;
            const Streamed streamed = streamDatabase(
                source, db, *w, [&packing](qint64 n) { return packing.add(n); }, &error);
            if (streamed == Streamed::Failed)
                return packing.cancelled() ? failed(cancelled)
                                           : failed(QStringLiteral("데이터베이스를 압축하지 못했습니다: ") +
                                                    db + QLatin1Char('\n') + error);
            if (streamed == Streamed::NotPossible) {
                // Another seat's writes are in the log, or the file keeps a rollback journal: the online
                // copy, a few pages at a time, never holds a writer up for long.
                const QString copy = work.filePath(db);
                if (!copyDatabase(source, copy, &error, [&packing](qint64 n) { return packing.add(n / 2); }))
                    return packing.cancelled()
                               ? failed(cancelled)
                               : failed(QStringLiteral("데이터베이스를 복사하지 못했습니다: ") + db +
                                        QLatin1Char('\n') + error);
                if (!w->addFile(copy, db, [&packing](qint64 n) { return packing.add(n / 2); }))
                    return packing.cancelled() ? failed(cancelled) : unwritable();
                QFile::remove(copy);
            }
            step(QStringLiteral("packed:") + db);
        }
    }
    bool ok = true;
    if (job == Job::AfterSales) {
        // The seat's settings, layouts and logs help the support desk see what the operator saw.
        auto addAll = [&](const QString& dir, const QStringList& patterns, const QString& into) {
            QDirIterator it(dir, patterns, QDir::Files, QDirIterator::Subdirectories);
            while (ok && it.hasNext()) {
                const QString f = it.next();
                ok = w->addFile(f, into + QDir(dir).relativeFilePath(f));
            }
        };
        if (!places.settingsFolder.isEmpty())
            addAll(places.settingsFolder, {QStringLiteral("*.ini")}, QStringLiteral("settings/"));
        addAll(places.programFolder + QStringLiteral("/FormIni"), {QStringLiteral("*.ini")},
               QStringLiteral("FormIni/"));
        addAll(places.programFolder + QStringLiteral("/Log"), {QStringLiteral("*")}, QStringLiteral("Log/"));
        addAll(places.programFolder + QStringLiteral("/ExpExcel"), {QStringLiteral("*LOG.TXT")},
               QStringLiteral("ExpExcel/"));
    }
    report(progress, 98, QStringLiteral("압축 파일을 마무리하는 중"));
    if (!ok || !w->finish())
        return unwritable();
    if (!report(progress, 99, QStringLiteral("압축 파일을 마무리하는 중")))
        return failed(cancelled);
    FileModes::MakePrivate(partial);
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(archive).constData()) != 0)
        return failed(QStringLiteral("압축 파일을 쓰지 못했습니다.\n") + archive);
    unfinished.keep = true;
    keepNewest(folder, prefixOf(job));
    Outcome o;
    o.ok = true;
    o.archive = archive;
    o.message = (job == Job::AfterSales ? QStringLiteral("A/S 접수 자료를 만들었습니다.\n")
                                        : QStringLiteral("백업을 마쳤습니다.\n")) +
                archive;
    if (ServerAddress a; ServerAddress::Parse(places.serverAddress, &a, nullptr))
        o.message += QStringLiteral("\n(서버 데이터베이스: ") + a.describe() + QLatin1Char(')');
    if (job == Job::ServerCopy) {
        const QString second =
            QSettings(places.programFolder + QStringLiteral("/datapack.ini"), QSettings::IniFormat)
                .value(QStringLiteral("ServerCopy/Folder"))
                .toString();
        if (second.isEmpty())
            o.message += QStringLiteral("\n서버 보관 폴더가 설정되어 있지 않아 복사하지 않았습니다.");
        else if (!QDir().mkpath(second) ||
                 !QFile::copy(archive, second + QLatin1Char('/') + QFileInfo(archive).fileName()))
            o.message += QStringLiteral("\n서버 보관 폴더에 복사하지 못했습니다: ") + second;
        else
            o.message += QStringLiteral("\n서버 보관 폴더에도 복사하였습니다: ") + second;
    }
    report(progress, 100, QStringLiteral("완료"));
    return o;
}

namespace {
// Unpacks the archive into work and checks what came out: a restore then takes exactly what was checked.
Outcome unpackAndVerify(const QString& archive, const QString& work, QStringList* names,
                        const Progress& progress)
{
    QString error;
    Meter reading(progress, 0, 55, QFileInfo(archive).size());
    reading.setStep(QStringLiteral("압축 파일을 푸는 중"));
    reading.add(0);
    if (!unpack(archive, work, names, &error, [&reading](qint64 n) { return reading.add(n); }))
        return failed(reading.cancelled()
                          ? QStringLiteral("복구를 취소하였습니다.\n자료는 바뀌지 않았습니다.")
                          : error);
    step(QStringLiteral("unpacked"));
    const bool server = std::any_of(names->begin(), names->end(), isServerEntry);
    if (server) {
        for (const QString& name : *names)
            if (!isServerEntry(name))
                return failed(QStringLiteral("서버의 백업과 파일 백업이 섞여 있어 복구하지 않았습니다.\n") +
                              name);
        Outcome o = verifyServerDump(work, *names);
        if (o.ok)
            o.archive = archive;
        return o;
    }
    if (!names->contains(Schema::kMainFileName))
        return failed(QStringLiteral("압축 파일에 메인 데이터베이스가 없습니다."));
    for (const QString& name : *names) {
        if (!report(progress, 55 + 15 * int(names->indexOf(name)) / int(names->size()),
                    name + QStringLiteral(" 검사 중")))
            return failed(QStringLiteral("복구를 취소하였습니다.\n자료는 바뀌지 않았습니다."));
        if (const QString problem = problemOf(work + QLatin1Char('/') + name, *kindOf(name));
            !problem.isEmpty())
            return failed(QStringLiteral("복구할 수 없는 백업입니다: ") + name + QLatin1Char('\n') + problem +
                          QLatin1Char('.'));
    }
    Outcome o;
    o.ok = true;
    o.archive = archive;
    return o;
}

const QString kUnpackTemplate = QStringLiteral("/.unpack-XXXXXX");
} // namespace

Outcome VerifyArchive(const QString& archive, const Progress& progress)
{
    // Beside the archive, where the next run finds it should this one be killed.
    std::unique_ptr<QTemporaryDir> work =
        std::make_unique<QTemporaryDir>(QFileInfo(archive).absolutePath() + kUnpackTemplate);
    if (!work->isValid())
        work = std::make_unique<QTemporaryDir>();
    QStringList names;
    return unpackAndVerify(archive, work->path(), &names, progress);
}

namespace {
// What a restore replaces stays beside the backups, for the user alone, until the operator removes it.
QString safetyFolder(const Places& places, const QDateTime& now)
{
    const QString safety =
        BackupFolder(places) + QStringLiteral("/Replaced_") + now.toString(QStringLiteral("yyyyMMdd_HHmmss"));
    if (!QDir().mkpath(safety))
        return QString();
    FileModes::MakePrivate(safety);
    return safety;
}

// Replaces the server's database with the archive's dump; what it held is dumped beside the backups first.
Outcome restoreServer(const Places& places, const QString& archive, const QString& work, const QDateTime& now,
                      const Progress& progress)
{
    QStringList sessions;
    QString error;
    if (!ServerDump::OtherSessions(places.serverAddress, &sessions, &error))
        return failed(error + QStringLiteral("\n\n복구하지 않았습니다."));
    if (!sessions.isEmpty())
        return failed(QStringLiteral("다른 자리에서 서버 데이터베이스를 사용하고 있어 복구할 수 없습니다.\n"
                                     "모든 자리의 프로그램을 끈 뒤 다시 하세요.\n연결: ") +
                      sessions.join(QStringLiteral(", ")));
    const QString dump = work + QLatin1Char('/') + ServerDump::kDumpName;
    QStringList entries;
    if (!ServerDump::List(dump, &entries, &error))
        return failed(QStringLiteral("서버 백업 파일을 읽을 수 없습니다(pg_restore).\n") + error);
    const QString safety = safetyFolder(places, now);
    if (safety.isEmpty())
        return failed(QStringLiteral("안전 복사본 폴더를 만들 수 없습니다.\n") + BackupFolder(places));
    bool stopped = false;
    if (!ServerDump::Dump(places.serverAddress, safety + QLatin1Char('/') + ServerDump::kDumpName,
                          within(progress, 25, 50, QStringLiteral("현재 자료를 보관하는 중"), &stopped),
                          &error))
        return failed(QStringLiteral("현재 자료를 보관하지 못해 복구하지 않았습니다(pg_dump).\n") + error);
    keepPrivate(safety);
    if (!ServerDump::Restore(places.serverAddress, dump, int(entries.size()),
                             within(progress, 50, 99, QStringLiteral("자료를 바꾸는 중"), &stopped), &error))
        return failed(QStringLiteral("서버 데이터베이스를 복구하지 못했습니다(pg_restore).\n"
                                     "서버의 자료는 바뀌지 않았습니다.\n") +
                      error);
    report(progress, 100, QStringLiteral("완료"));
    Outcome o;
    o.ok = true;
    o.server = true;
    o.archive = archive;
    o.message = QStringLiteral("서버 데이터베이스의 복구를 마쳤습니다.\n") + QFileInfo(archive).fileName() +
                QStringLiteral("\n바뀌기 전 자료: ") + safety;
    return o;
}

bool syncFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fdatasync(fd) == 0;
    ::close(fd);
    return ok;
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Keeps a file a restore replaces: under a second name where that is possible (the same file system, the
// user's own file, no journal holding part of it), which costs nothing; else as a consistent copy.
bool keepCurrent(const QString& file, const QString& into, const Tick& tick, QString* error)
{
    const QFileInfo info(file);
    const bool journalled = QFileInfo(file + QStringLiteral("-wal")).size() > 0 ||
                            QFileInfo::exists(file + QStringLiteral("-journal"));
    if (!journalled && info.ownerId() == uint(::geteuid()) &&
        ::link(QFile::encodeName(file).constData(), QFile::encodeName(into).constData()) == 0)
        return tick(info.size());
    return copyDatabase(file, into, error, tick);
}

// Puts a checked file beside its target, whole on the disk, with the shared modes and the folder's group:
// moved when the backups and the data share a file system, copied otherwise.
bool stage(const QString& from, const QString& staged, const QString& folder, const Tick& tick,
           QString* error)
{
    QFile::remove(staged);
    const qint64 size = QFileInfo(from).size();
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(staged).constData()) != 0) {
        if (errno != EXDEV) {
            *error = systemError();
            return false;
        }
        if (!QFile::copy(from, staged)) {
            *error = QStringLiteral("복사하지 못했습니다: ") + staged;
            return false;
        }
    }
    if (!syncFile(staged)) {
        *error = systemError();
        return false;
    }
    FileModes::ShareInFolder(staged, folder);
    return tick(size);
}

// The name for what a restore replaced: its time, numbered when a restore of the same second kept one.
QString newSafetyName(const Places& places, const QDateTime& now)
{
    const QString base =
        BackupFolder(places) + QStringLiteral("/Replaced_") + now.toString(QStringLiteral("yyyyMMdd_HHmmss"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = base + QStringLiteral("_%1").arg(n);
    return name;
}

const QString kRestoreCancelled = QStringLiteral("복구를 취소하였습니다.\n자료는 바뀌지 않았습니다.");

// Files named here are removed when the object goes, unless kept.
struct RemoveUnlessKept
{
    QStringList paths;
    bool keep = false;
    ~RemoveUnlessKept()
    {
        if (!keep)
            for (const QString& p : paths)
                QFile::remove(p);
    }
};
} // namespace

Outcome FinishInterruptedRestore(const Places& places)
{
    Outcome o;
    o.ok = true;
    if (!places.serverAddress.isEmpty() || !RestoreJournal::Pending(places.databaseFolder))
        return o;
    const SeatPresence::Exclusive hold(places.databaseFolder);
    if (!hold.held())
        return failed(QStringLiteral("끝나지 않은 데이터 복구를 마칠 수 없습니다.\n") + hold.reason());
    QStringList replaced;
    QString error;
    if (!RestoreJournal::Complete(places.databaseFolder, &replaced, &error))
        return failed(QStringLiteral("끝나지 않은 데이터 복구를 마치지 못했습니다.\n") + error);
    FileModes::KeepShared(places.databaseFolder);
    o.message = QStringLiteral("끝나지 않은 데이터 복구를 마쳤습니다: ") +
                (replaced.isEmpty() ? QStringLiteral("(바꿀 파일이 남아 있지 않았음)")
                                    : replaced.join(QStringLiteral(", ")));
    return o;
}

Outcome RestoreArchive(const Places& places, const QString& archive, const QDateTime& now,
                       const Progress& progress)
{
    const QString backups = BackupFolder(places);
    if (!QDir().mkpath(backups))
        return failed(QStringLiteral("백업 폴더를 만들 수 없습니다.\n") + backups);
    FileModes::MakePrivate(backups);
    QTemporaryDir work(backups + kUnpackTemplate);
    if (!work.isValid())
        return failed(QStringLiteral("작업 폴더를 만들 수 없습니다.\n") + backups);
    QStringList names;
    const Outcome verified = unpackAndVerify(archive, work.path(), &names, progress);
    if (!verified.ok)
        return verified;
    step(QStringLiteral("verified"));
    if (verified.server && places.serverAddress.isEmpty())
        return failed(QStringLiteral("이 백업은 서버 데이터베이스의 백업입니다.\n"
                                     "서버 주소가 설정된 자리에서 복구하세요."));
    if (!verified.server && !places.serverAddress.isEmpty())
        return failed(QStringLiteral("이 백업은 데이터베이스 파일의 백업이어서 서버에 복구할 수 없습니다.\n"
                                     "파일의 자료를 서버로 옮기려면 zelkova-db copy 명령을 쓰세요."));
    if (verified.server)
        return restoreServer(places, archive, work.path(), now, progress);
    const QString dbs = places.databaseFolder;
    // No seat, of whichever user, may have the files open while they are replaced, and none may open them
    // before the restore has ended.
    const SeatPresence::Exclusive hold(dbs);
    if (!hold.held())
        return failed((hold.seatsPresent()
                           ? QStringLiteral("다른 자리에서 프로그램을 사용하고 있어 복구할 수 없습니다.\n")
                           : QStringLiteral("데이터베이스 폴더를 잠글 수 없어 복구하지 않았습니다.\n")) +
                      hold.reason());
    QString error;
    // A restore an earlier run left half done is finished before this one begins.
    if (RestoreJournal::Pending(dbs) && !RestoreJournal::Complete(dbs, nullptr, &error))
        return failed(QStringLiteral("끝나지 않은 데이터 복구를 마치지 못해 복구하지 않았습니다.\n") + error);

    // What is replaced is kept first, under a work name until the replacement is decided.
    QTemporaryDir keep(backups + QStringLiteral("/.replacing-XXXXXX"));
    if (!keep.isValid())
        return failed(QStringLiteral("안전 복사본 폴더를 만들 수 없습니다.\n") + backups);
    // Exactly the files the archive replaces: a second name for one that stays would be the live file.
    QStringList replaced;
    qint64 current = 0;
    for (const QString& name : names) {
        const QString target = AppPaths::ResolveCaseInsensitive(dbs, name);
        if (QFileInfo(target).isFile()) {
            replaced << QFileInfo(target).fileName();
            current += QFileInfo(target).size();
        }
    }
    Meter keeping(progress, 70, 85, current);
    keeping.setStep(QStringLiteral("현재 자료를 보관하는 중"));
    if (!keeping.add(0))
        return failed(kRestoreCancelled);
    for (const QString& db : replaced) {
        if (!keepCurrent(
                dbs + QLatin1Char('/') + db, keep.filePath(db),
                [&keeping](qint64 n) { return keeping.add(n); }, &error))
            return failed(keeping.cancelled()
                              ? kRestoreCancelled
                              : QStringLiteral("현재 자료를 보관하지 못해 복구하지 않았습니다: ") + db +
                                    QLatin1Char('\n') + error);
    }
    step(QStringLiteral("kept"));

    // The checked files beside their targets; until the journal is written they are only leftovers.
    qint64 incoming = 0;
    for (const QString& name : names)
        incoming += QFileInfo(work.filePath(name)).size();
    Meter staging(progress, 85, 95, incoming);
    staging.setStep(QStringLiteral("새 자료를 옮기는 중"));
    RemoveUnlessKept staged;
    QStringList targets;
    for (const QString& name : names) {
        const QString target = AppPaths::ResolveCaseInsensitive(dbs, name);
        staged.paths << RestoreJournal::StagedName(target);
        if (!stage(
                work.filePath(name), staged.paths.last(), dbs,
                [&staging](qint64 n) { return staging.add(n); }, &error))
            return failed(staging.cancelled() ? kRestoreCancelled
                                              : QStringLiteral("자료를 옮기지 못해 복구하지 않았습니다: ") +
                                                    name + QLatin1Char('\n') + error);
        targets << QFileInfo(target).fileName();
    }
    step(QStringLiteral("staged"));
    if (!report(progress, 95, QStringLiteral("자료를 바꾸는 중")))
        return failed(kRestoreCancelled);

    // From here on the replacement is finished, by this run or, should it be killed, by the next.
    const QString safety = newSafetyName(places, now);
    if (std::rename(QFile::encodeName(keep.path()).constData(), QFile::encodeName(safety).constData()) != 0)
        return failed(QStringLiteral("안전 복사본 폴더를 만들 수 없습니다.\n") + safety);
    keep.setAutoRemove(false);
    if (!RestoreJournal::Begin(dbs, targets, &error))
        return failed(QStringLiteral("복구 기록을 쓰지 못해 복구하지 않았습니다.\n") + error);
    staged.keep = true;
    step(QStringLiteral("journal"));
    if (!RestoreJournal::Complete(dbs, nullptr, &error,
                                  [](const QString& name) { step(QStringLiteral("replaced:") + name); }))
        return failed(
            QStringLiteral("자료를 바꾸는 중에 멈췄습니다. 데이터압축을 다시 실행하면 마칩니다.\n") + error +
            QStringLiteral("\n보관된 자료: ") + safety);
    step(QStringLiteral("done"));
    const QStringList wrong = FileModes::KeepShared(dbs);
    // The kept files are no longer the data's: for the user alone, as every backup.
    FileModes::MakePrivate(safety);
    keepPrivate(safety);
    report(progress, 100, QStringLiteral("완료"));
    Outcome o;
    o.ok = true;
    o.archive = archive;
    o.message = QStringLiteral("복구를 마쳤습니다.\n") + QFileInfo(archive).fileName() +
                QStringLiteral("\n바뀌기 전 자료: ") + safety;
    if (!wrong.isEmpty())
        o.message +=
            QStringLiteral("\n\n다른 사용자의 자리에서 열 수 없을 수 있습니다(권한을 고치지 못함):\n") +
            wrong.join(QLatin1Char('\n'));
    return o;
}

void SetStepHook(StepHook hook)
{
    g_stepHook = std::move(hook);
}

void StopOnEndRequests(std::function<void(const QString& cause)> also)
{
    g_watchingEndRequests = true;
    CurrentPlatform().WatchEndRequests([also = std::move(also)](const QString& cause) {
        g_stopRequested = true;
        if (also)
            also(cause);
    });
}

bool StopRequested()
{
    return g_stopRequested;
}

} // namespace DataPack
