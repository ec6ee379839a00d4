#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The server's own tools for a main database on a PostgreSQL server: pg_dump's custom format out,
// pg_restore back in, run as programs (never through a shell) with the connection of the seat's address;
// a password comes from the user's .pgpass, never from the program.
namespace ServerDump {

// Tells how far the tool is (0..100 of its own part) and what it does; false stops it.
using Progress = std::function<bool(int percent, const QString& step)>;

// The dump's name in an archive and the note that marks an archive as a server's.
extern const QString kDumpName;     // "dbMain.pgdump"
extern const QString kManifestName; // "server-dump.ini"

// Dumps the database at `address` into `file` (custom format).
bool Dump(const QString& address, const QString& file, const Progress& progress, QString* error);
// pg_restore --list of a dump: its table of contents, or false when the file is no readable dump.
bool List(const QString& file, QStringList* entries, QString* error);
// Replaces the database at `address` with the dump in one transaction: on any error nothing changes.
bool Restore(const QString& address, const QString& file, int entries, const Progress& progress,
             QString* error);
// The other connections to the database at `address` ("주소 (프로그램)"), or false when it cannot be asked.
bool OtherSessions(const QString& address, QStringList* sessions, QString* error);

} // namespace ServerDump
