#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class DbConnection;

// The three database files of an installation and how to create or upgrade them.
namespace Schema {

enum class ColType
{
    Text,
    // Text only the program writes (order numbers, dates, times): digits and separators, in which letter
    // case never arises, so a server keeps it as plain text in byte order, which it sorts fastest.
    Stamp,
    Integer,
    Real,
    Counter
};

struct Column
{
    QString name;
    ColType type;
};

struct ForeignKey
{
    QStringList columns;
    QString refTable;
    QStringList refColumns;
    bool cascadeDelete = false;
};

struct Table
{
    QString name;
    std::vector<Column> columns;
    QStringList primaryKey; // empty when a Counter column is the key
    std::vector<ForeignKey> foreignKeys;
    std::vector<QStringList> indexes;
};

// Version of the main database layout this program writes; stored in the zk_schema table.
constexpr int kCurrentVersion = 7;

const std::vector<Table>& MainTables();
const std::vector<Table>& ReportTables();
const std::vector<Table>& PostTables();

enum class Engine
{
    File,  // SQLite
    Server // PostgreSQL
};

// DDL for one table and its indexes. Text compares without regard to letter case on both engines (NOCASE,
// citext); a server keeps reals as exact decimals and counters as identity columns.
QStringList CreateStatements(const Table& table, Engine engine = Engine::File);

// Version 4 widens the third index of 주문 to hold what the store ledger reads (store, date, time, number);
// the statements that replace the narrower one, in the engine-neutral form both engines take.
QStringList OrderStoreIndexUpgrade();
// Version 7 widens the second index of 주문 from the customer alone to (customer, date, time, number): a
// customer's last orders are read off its end.
QStringList OrderCustomerIndexUpgrade();

// Creates a new database file with the given tables in one transaction; false with *error when the file
// exists or fails (a file it made is removed again).
bool CreateDatabaseFile(const QString& path, const std::vector<Table>& tables, int version, QString* error);

// Whether the database file is in write-ahead-log mode (read from its header, without opening it). Such a
// file needs every seat on the same machine: a folder shared over the network must hold a file in the
// rollback-journal mode (SetSharedJournal).
bool UsesWriteAheadLog(const QString& path);
// Switches a database file to the rollback journal (shared == true) or back to the write-ahead log; nothing
// else may have it open.
bool SetSharedJournal(const QString& path, bool shared, QString* error);

// Version stored in a main database file (0 when it has none).
int StoredVersion(const QString& path, QString* error);
// Brings an older main database file up to kCurrentVersion, in one transaction: all steps or none.
bool Upgrade(const QString& path, QString* error);
// The same on a connection already open on the file.
bool Upgrade(DbConnection& conn, QString* error);

// Layout statements run straight through the engine (the engine's own SQL, not Jet SQL), failing as a fault
// chosen for them says; the AtOnce form runs them in one transaction, all or none.
bool RunStatements(DbConnection& conn, const QStringList& statements, QString* error);
bool RunStatementsAtOnce(DbConnection& conn, const QStringList& statements, QString* error);
// Opens conn on a database file or server address for layout work, its error text in *error.
bool OpenForLayout(DbConnection& conn, const QString& where, QString* error);

// File names below the program folder.
extern const QString kMainFileName;   // "dbMain.mdb" in the database folder
extern const QString kReportTemplate; // "DBS/dbReport_SRC.mdb"
extern const QString kReportWorkCopy; // "DBS/dbReport.mdb"
extern const QString kPostFile;       // "dbs/dbPost.mdb"
} // namespace Schema
