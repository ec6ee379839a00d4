#pragma once

#include <QString>

#include <atomic>

// Checks run on the main database before anything opens it for writing.
//
// The cheap check (header, tables, layout version, write access) runs at every start and takes a few
// milliseconds whatever the size of the file; the page-by-page check runs only after a run that did not
// end cleanly, or on demand. No check creates or changes a file: the engine opens the file read-only and
// may not create it.
namespace DbCheck {

enum class Fault
{
    None,
    Missing,
    NotDatabase, // empty, or not an SQLite file at all
    NotOurs,     // an SQLite file without this program's tables
    Damaged,     // truncated, or pages the engine cannot read
    OlderSchema, // made by an older program: zelkova-db upgrade
    NewerSchema, // made by a newer program
    Unreadable,
    ReadOnlyFile,
    ReadOnlyFolder,
    DiskFull
};

struct Result
{
    Fault fault = Fault::None;
    QString path; // the file or folder the fault is about, or the server's address
    int version = 0;
    QString cause; // the server's own words, when it could not be read
    bool ok() const { return fault == Fault::None; }
};

// Below this much free space the database cannot grow its journal safely.
constexpr qint64 kMinFreeBytes = 1024 * 1024;

// A folder the program writes into: writable, with room to write (a missing folder passes).
Result CheckFolder(const QString& folder);
// Header, expected tables and layout version of a main database file, and that it can be written.
Result CheckMainFile(const QString& file);
// Reads every page: quick_check, or the full integrity_check when thorough. Any thread may run it; `stop`
// (when given) set to true ends it early, as Damaged.
Result CheckIntegrity(const QString& file, bool thorough, const std::atomic<bool>* stop = nullptr);
// The layout version of the main database on the server at `address` (NotOurs without one, Unreadable
// when it cannot be read).
Result CheckServer(const QString& address);

// One Korean message naming the file, folder or server and the cause, and its title.
QString Message(const Result& result);
QString Title(const Result& result);
} // namespace DbCheck
