#pragma once

#include <functional>

#include "db/DbConnection.h"
#include "db/Recordset.h"

// Connections of the process: the main database and the seat's report database.
extern DbConnection gMainConn;
extern DbConnection gReportConn;

// The main database's password; SQLite files carry none, so it is accepted and not enforced.
extern const QString kMainDbPassword;

// Cursor and lock values the callers pass: every result is read whole and read-only, so they change
// nothing, but each call site still says how it means to use its rows.
enum CursorType
{
    adOpenForwardOnly = 0,
    adOpenKeyset = 1,
    adOpenDynamic = 2,
    adOpenStatic = 3
};
enum LockType
{
    adLockReadOnly = 1,
    adLockPessimistic = 2,
    adLockOptimistic = 3,
    adLockBatchOptimistic = 4
};
constexpr int adCmdText = 1;

// Opens a web address with the desktop's program; the start-up installs it (the platform knows how).
using AddressOpener = std::function<bool(const QString& address)>;
void SetAddressOpener(AddressOpener opener);

// Opens a database file or connects to a server address; on failure shows the connection failure message
// and returns false.
bool OpenConnection(DbConnection& conn, const QString& filePath, const QString& password,
                    bool readOnly = false);
// Runs a query into rs (closing it first); on failure shows the message for the error and returns false.
bool OpenRecordset(DbConnection& conn, Recordset& rs, const QString& sql, int cursorType = adOpenForwardOnly,
                   int lockType = adLockReadOnly, int options = adCmdText);
// The same with values bound to the statement's "?" places in order.
bool OpenRecordset(DbConnection& conn, Recordset& rs, const QString& sql, const QVariantList& values);
// The message OpenRecordset shows for a failed read (sql goes to the log).
void TellReadError(DbConnection& conn, const ErrInfo& error, const QString& sql = {});
void CloseObject(DbConnection& conn);
void CloseObject(Recordset& rs);

// Download page offered after a failed connection.
extern const QString kDataAccessDownloadUrl;
