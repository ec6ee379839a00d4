#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

// Backups, after-sales archives and restores of an installation's databases, as the data-compression
// companion runs them once the program has ended. Databases are copied through SQLite's online backup, so
// a copy is consistent even while another seat writes; at a seat whose main database is on a server the
// archive holds the server's own dump of it instead (ServerDump). Archives are tar.zst files (ArchiveIO) in
// the program folder's Backup folder; the zip archives of earlier versions are restored as well.
namespace DataPack {

enum class Job
{
    Backup,     // the databases
    ServerCopy, // the databases, also copied into the second folder of the companion's own settings
    AfterSales, // the databases, the settings and layout files and the logs
    Restore,
};

// Tells how far a job is (0..100) and what it does; false cancels where cancelling is safe.
using Progress = std::function<bool(int percent, const QString& step)>;

struct Places
{
    QString programFolder;  // Backup/ is below it
    QString databaseFolder; // the *.mdb files
    QString settingsFolder; // the seat's settings (*.ini), packed for after-sales
    QString serverAddress;  // the main database's server address at a server seat; empty for files
};

struct Outcome
{
    bool ok = false;
    QString archive;     // the archive written or restored
    QString message;     // Korean, for the operator
    bool server = false; // the archive holds a server database's dump
};

// The places of the installation in use (AppPaths::ProgramFolder()): the database folder and server
// address its program remembered for exactly that folder, its own DBS when it remembered none.
Places CurrentPlaces();

// A restore that was killed once it had begun to replace the files is finished (RestoreJournal), so the
// folder never keeps databases of two archives; runs before anything else at every run of the companion.
// The message tells what was finished ("" when nothing was pending); not ok when it could not be.
Outcome FinishInterruptedRestore(const Places& places);

// What a killed run left behind, found and removed at the next run: the work, unpack and keeping folders
// and unfinished archives beside the backups (and an older version's unpacked folders in the temporary
// folder), and, while no seat has the data open, a restore's staged databases and empty journal files
// beside the databases. Backups and logs are made the user's alone. Returns what was removed.
QStringList Tidy(const Places& places);

// The backups kept: the newest ten of each kind.
constexpr int kKeep = 10;

QString BackupFolder(const Places& places);
// Archives that a restore may choose from, newest first.
QStringList Archives(const Places& places);

Outcome MakeArchive(const Places& places, Job job, const QDateTime& now, const Progress& progress = {});
// Checks the archive without touching the installation: only regular files under the known names, each a
// sound database of its kind (its checksums, every page read, its tables, the main database's layout
// version), or for a server's dump its note and table of contents; the message says what is wrong.
// Progress (when given) runs to 55 while the archive is read and to 70 while its databases are checked.
Outcome VerifyArchive(const QString& archive, const Progress& progress = {});
// Unpacks and verifies the archive, refuses while any seat has the databases open (SeatPresence), keeps
// the replaced files as a safety copy, then replaces the databases in the installation's shared modes; at a
// server seat the safety copy is a dump and the server's database is replaced in one transaction. A cancel
// (progress false, or an end request) is taken until the replacement begins; from then on it is finished.
Outcome RestoreArchive(const Places& places, const QString& archive, const QDateTime& now,
                       const Progress& progress = {});

// From now on SIGTERM, SIGHUP and SIGINT stop a job at its next safe point as 취소 does: a backup removes
// its unfinished archive, a restore before the replacement leaves the data as it was, and one that has
// begun replacing finishes. `also` runs on the event loop with the signal's name (the window's part).
void StopOnEndRequests(std::function<void(const QString& cause)> also = {});
bool StopRequested();

// Tests hear the steps of a job as they are passed ("packed:dbMain.mdb", "unpacked", "verified", "kept",
// "staged", "journal", "replaced:dbMain.mdb", "done").
using StepHook = std::function<void(const QString& step)>;
void SetStepHook(StepHook hook);

} // namespace DataPack
