// The companion's backup and restore of the installation, beside what the engine and the compressor alone
// take in the same run: SQLite's online backup followed by `zstd -3`, and `zstd -d` of that file.
//
//   zelkova-bench --home DIR backup [--runs N]
#include "BackupBenchSupport.h"

#include "DataPack.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <sqlite3.h>

#include <cstdio>
#include <ctime>

namespace {
using BackupBench::Figures;

double msSince(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
}

// This process's processor time over all its threads: beside the wall clock it tells a busy machine.
double processMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

// The anchor's copy: the engine's online backup in one step into a file nobody needs on the disk.
bool onlineCopy(const QString& from, const QString& to)
{
    QFile::remove(to);
    sqlite3* src = nullptr;
    sqlite3* dst = nullptr;
    bool ok = sqlite3_open_v2(QFile::encodeName(from).constData(), &src, SQLITE_OPEN_READONLY, nullptr) ==
                  SQLITE_OK &&
              sqlite3_open(QFile::encodeName(to).constData(), &dst) == SQLITE_OK;
    if (ok) {
        sqlite3_exec(dst, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
        sqlite3_backup* b = sqlite3_backup_init(dst, "main", src, "main");
        ok = b && sqlite3_backup_step(b, -1) == SQLITE_DONE;
        sqlite3_backup_finish(b);
    }
    sqlite3_close(src);
    sqlite3_close(dst);
    return ok;
}

bool run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// What a round trip must give back: every page and the rows of the biggest table.
QString signatureOf(const QString& file)
{
    sqlite3* db = nullptr;
    QString out;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        for (const char* sql :
             {"PRAGMA page_count", "SELECT COUNT(*), TOTAL(금액), TOTAL(수수료) FROM 주문내역",
              "SELECT COUNT(*), TOTAL(현포인트) FROM 고객", "SELECT TOTAL(현잔액) FROM 가맹점"}) {
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
                for (int i = 0; i < sqlite3_column_count(st); ++i)
                    out += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i))) +
                           QLatin1Char(' ');
            sqlite3_finalize(st);
        }
    }
    sqlite3_close(db);
    return out;
}
} // namespace

ZK_BENCH("backup: the companion's backup and restore")
{
    const QString home = BackupBench::PrivateInstallation(ctx);
    if (home.isEmpty())
        return;
    const int runs = BackupBench::Runs(ctx, 3);
    const DataPack::Places places{home, home + QStringLiteral("/DBS"), {}, {}};
    const QString main = places.databaseFolder + QStringLiteral("/dbMain.mdb");
    const QString work = home + QStringLiteral("/anchor");
    QDir().mkpath(work);
    const QString before = signatureOf(main);
    Figures backup, anchorBackup, restore, anchorRestore, backupCpu, restoreCpu;
    qint64 archiveBytes = 0, anchorBytes = 0;
    bool same = true;
    for (int i = 0; i < runs; ++i) {
        // The anchor: the engine's copy, then the compressor of the command line on it.
        QElapsedTimer t;
        t.start();
        if (!onlineCopy(main, work + QStringLiteral("/dbMain.mdb")) ||
            !run(QStringLiteral("zstd"), {QStringLiteral("-3"), QStringLiteral("-q"), QStringLiteral("-f"),
                                          work + QStringLiteral("/dbMain.mdb"), QStringLiteral("-o"),
                                          work + QStringLiteral("/dbMain.mdb.zst")})) {
            std::fprintf(stderr, "anchor backup failed (is zstd installed?)\n");
            return;
        }
        anchorBackup.add(msSince(t));
        anchorBytes = QFileInfo(work + QStringLiteral("/dbMain.mdb.zst")).size();
        QFile::remove(work + QStringLiteral("/dbMain.mdb"));
        t.start();
        if (!run(QStringLiteral("zstd"), {QStringLiteral("-d"), QStringLiteral("-q"), QStringLiteral("-f"),
                                          work + QStringLiteral("/dbMain.mdb.zst"), QStringLiteral("-o"),
                                          work + QStringLiteral("/dbMain.mdb")})) {
            std::fprintf(stderr, "anchor restore failed\n");
            return;
        }
        anchorRestore.add(msSince(t));
        QFile::remove(work + QStringLiteral("/dbMain.mdb"));
        QFile::remove(work + QStringLiteral("/dbMain.mdb.zst"));

        // Ours, as the companion runs them.
        const QDateTime now = QDateTime::currentDateTime().addSecs(i);
        double cpu = processMs();
        t.start();
        const DataPack::Outcome made = DataPack::MakeArchive(places, DataPack::Job::Backup, now);
        backup.add(msSince(t));
        backupCpu.add(processMs() - cpu);
        if (!made.ok) {
            std::fprintf(stderr, "%s\n", qUtf8Printable(made.message));
            return;
        }
        archiveBytes = QFileInfo(made.archive).size();
        cpu = processMs();
        t.start();
        const DataPack::Outcome restored = DataPack::RestoreArchive(places, made.archive, now);
        restore.add(msSince(t));
        restoreCpu.add(processMs() - cpu);
        if (!restored.ok) {
            std::fprintf(stderr, "%s\n", qUtf8Printable(restored.message));
            return;
        }
        same = same && signatureOf(main) == before;
        // The next run starts as this one did.
        QFile::remove(made.archive);
        for (const QString& kept :
             QDir(DataPack::BackupFolder(places)).entryList({QStringLiteral("Replaced_*")}, QDir::Dirs))
            QDir(DataPack::BackupFolder(places) + QLatin1Char('/') + kept).removeRecursively();
    }
    const qint64 mb = QFileInfo(main).size() >> 20;
    BackupBench::ReportGoal(
        QStringLiteral("backup of %1 MB (tar.zst, %2 MB)").arg(mb).arg(archiveBytes >> 20), backup,
        anchorBackup, 6000, QStringLiteral("<= 6 s"));
    BackupBench::ReportGoal(QStringLiteral("restore of that archive"), restore, anchorRestore, 5000,
                            QStringLiteral("<= 5 s"));
    std::printf("  processor time: backup %s, restore %s\n", qUtf8Printable(backupCpu.text(1000, "s")),
                qUtf8Printable(restoreCpu.text(1000, "s")));
    std::printf("  anchor: online backup + zstd -3 (%lld MB), zstd -d; %d runs; round trip %s\n",
                static_cast<long long>(anchorBytes >> 20), runs,
                same ? "gave every page and total back" : "DIFFERS");
}
