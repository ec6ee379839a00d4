#pragma once

#include "db/SqlDialect.h"
#include "ui/ErrInfo.h"

#include <QByteArrayView>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

class QSqlQuery;
struct sqlite3;

// One open database (the "connection object"), a file or a server's: its Qt connection, its dialect and its
// transaction depth.
class DbConnection
{
public:
    enum State
    {
        Closed = 0,
        Open = 1
    };
    struct ExecResult
    {
        bool ok = false;
        int rowsAffected = 0;
        ErrInfo error;
    };
    // Lets tests make chosen statements fail: return an error to fail the statement before it runs.
    using FaultInjector = std::function<std::optional<ErrInfo>(const QString& sql)>;

    DbConnection();
    ~DbConnection();
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    // Opens an existing database file, or connects to a server when `location` is a server address
    // (ServerAddress); never creates a database.
    bool open(const QString& location, bool readOnly, ErrInfo* error);
    void close();
    int state() const { return isOpen() ? Open : Closed; }
    bool isOpen() const;
    // The file's path or the server's address.
    QString path() const { return m_path; }
    bool isServer() const { return m_dialect->isServer(); }
    static bool IsServerAddress(const QString& location);
    QSqlDatabase database() const;
    const SqlDialect& dialect() const { return *m_dialect; }

    // Runs an action statement written in Jet SQL.
    ExecResult exec(const QString& jetSql);
    // Prepares and runs a Jet SQL query; the query is forward-only.
    bool query(const QString& jetSql, QSqlQuery& q, ErrInfo* error);
    // The same with the values bound to the statement's "?" places in order.
    bool query(const QString& jetSql, const QVariantList& values, QSqlQuery& q, ErrInfo* error);
    // The first column of every row of a Jet SQL query as text, appended to `texts`: a long list of keys
    // read straight from the engine, without a QVariant per value.
    bool queryTexts(const QString& jetSql, QStringList& texts, ErrInfo* error);
    // A server's rows of a Jet SQL query as the server streams them out (COPY), each handed to onRow as its
    // fields' text (a null view for NULL) while the next are on their way: reads of hundreds of thousands
    // of rows without a QVariant per value or the whole result held at once. onRow returns false to stop
    // the rows; false then, with *error empty. Only on a server.
    using CopyRow = std::function<bool(const std::vector<QByteArrayView>& fields)>;
    bool copyRows(const QString& jetSql, const CopyRow& onRow, ErrInfo* error);
    // This file's database opened again, read-only, for a read on another thread, with the seat's busy
    // timeout; asked on this connection's own thread, closed by the caller (sqlite3_close_v2). nullptr for a
    // server or where it cannot be opened.
    sqlite3* openReaderBeside() const;
    // A copyRows field's number (an integer or a decimal) in whole won, rounded half away from zero as the
    // other reads round; 0 for NULL.
    static qint64 CopyWon(QByteArrayView field);

    // Nested transactions: only the outermost begin/commit reach the engine; a rollback at any depth
    // rolls back the whole unit.
    bool beginTrans(ErrInfo* error = nullptr);
    bool commitTrans(ErrInfo* error = nullptr);
    void rollbackTrans();
    int transactionDepth() const { return m_depth; }
    // Runs action now when no transaction is open, otherwise as soon as the outermost one has ended
    // (committed or rolled back): a message about a failed write must not hold the write lock while the
    // operator reads it.
    void whenUnlocked(std::function<void()> action);

    void setFaultInjector(FaultInjector injector) { m_fault = std::move(injector); }
    // The fault chosen for a statement that runs past exec and query (straight through the engine's own
    // interface), so it fails as those would.
    std::optional<ErrInfo> injectedFault(const QString& sql) const
    {
        return m_fault ? m_fault(sql) : std::nullopt;
    }

    // Whether a statement since clearConflict() was broken off by the server to end a deadlock or a
    // serialization conflict with another seat: the unit it belonged to is rolled back and may run again.
    bool hadConflict() const { return m_conflict; }
    // Clears what the last unit met: a conflict, or a connection that broke off under it.
    void clearConflict()
    {
        m_conflict = false;
        m_cut = false;
        m_outcomeUnknown = false;
    }
    // While set, what a conflicted unit deferred (its failure messages) is dropped: the unit runs again.
    void setRetryFollows(bool follows) { m_retryFollows = follows; }
    static constexpr int kConflictAttempts = 5;

    // A server's connection that breaks off (the server restarted, a standby promoted, the network cut) is
    // opened again at the next statement outside a unit of work, with a short back-off: the operator is told
    // once, every loss and reconnection goes to the log. A read cut off outside a unit runs again; a unit cut
    // off is run again by RetryOnConflict only when it is known not to have committed.
    //
    // Whether a statement since clearConflict() lost the connection under the unit it belonged to.
    bool wasCut() const { return m_cut; }
    // ... and whether the unit's end (its COMMIT, or an autocommitted write) may have been done by the server
    // all the same: its answer never came.
    bool outcomeUnknown() const { return m_outcomeUnknown; }
    // Brings a broken server connection back, trying for up to the restore window (a single attempt while
    // the server stayed away after a window ran out); false with the Korean cause in *error.
    bool restore(ErrInfo* error = nullptr);
    // After a unit was cut off: the connection restored and the session the unit ran on ended (it may still
    // hold the unit's locks, or still be committing), so that what the unit left can be checked.
    bool resumeAfterCut();
    // Tells the operator that a unit's work could not be completed while the server is away (or, when
    // stored is given, could not be told), and again, with what turned out stored, once the seat is back.
    // stored: Jet SQL whose first value is the number of rows showing the work done; storedWhenNone for
    // deletes.
    void giveUp(const QString& what, const QString& storedSql = {}, bool storedWhenNone = false);
    // Units of work RetryOnConflict is running: inside one, a lost connection's messages are its to give.
    int unitDepth() const { return m_unitDepth; }
    void enterUnit() { ++m_unitDepth; }
    void leaveUnit() { --m_unitDepth; }
    // How long restore() keeps trying after a loss.
    void setRestoreWindow(int ms) { m_restoreWindowMs = ms; }
    static constexpr int kDefaultRestoreWindowMs = 30000;
    // A unit cut off again and again (a server that keeps failing) gives up after this many cuts.
    static constexpr int kCutAttempts = 3;
    // The server the connection is on now, "host:port" ("" for a file).
    QString serverName() const { return m_serverName; }
    // Writes one line about the connection to the program's log (Qt's logging, category
    // "zelkova.connection").
    static void LogEvent(const QString& text);

    static ErrInfo errorFrom(const class QSqlError& e);
    // A short pause that grows with the attempt, different for every seat, so two seats do not collide again.
    static void PauseBeforeRetry(int attempt);
    // Runs a Jet SQL count (a unit's check) and tells whether it says the work is there.
    bool countSays(const QString& jetSql, bool whenNone, bool* stored);
    // After reading a query's rows stopped with an error: *error tells it; true when the connection broke
    // off under a read outside a unit, which may run again.
    bool readFailed(const class QSqlError& e, ErrInfo* error);

private:
    bool openServer(const QString& address, bool readOnly, ErrInfo* error);
    ErrInfo failure(const class QSqlError& e);
    bool prepare(QSqlDatabase& db, ErrInfo* error);
    // Drops the Qt connection of a failed open.
    void forget(QSqlDatabase& db);
    bool runRaw(const QString& sql, ErrInfo* error);
    void runDeferred();

    // Whether the connection can take a statement now: a server connection found broken is restored first
    // outside a unit of work; inside one the statement fails and the unit is cut off.
    bool usable(ErrInfo* error);
    // Notices a server connection the server closed while it was idle (the answer waits in the socket).
    void probeIdle();
    // Whether a failed statement's error is the connection's loss rather than the statement's.
    bool isLoss(const class QSqlError& e) const;
    void noteLoss(const QString& cause);
    ErrInfo lostError(bool outcomeUnknown) const;
    bool reconnectOnce(QString* cause);
    // After (re)connecting to a server: which server, which session, and where its notices go.
    void afterConnect();
    void endSession(int pid, const QString& started);
    void tellUnsaved(bool wasAway);
    void* serverHandle() const;

    QString m_name;
    QString m_path;
    std::shared_ptr<const SqlDialect> m_dialect;
    FaultInjector m_fault;
    bool m_registered = false;
    bool m_readOnly = false;
    int m_depth = 0;
    bool m_doomed = false;
    bool m_conflict = false;
    bool m_retryFollows = false;
    std::vector<std::function<void()>> m_deferred;

    bool m_lost = false; // the server's connection is broken
    bool m_away = false; // a restore window ran out: the server is away
    bool m_told = false; // the operator has been told about this loss
    bool m_restoring = false;
    bool m_cut = false;
    bool m_outcomeUnknown = false;
    int m_unitDepth = 0;
    int m_restoreWindowMs = kDefaultRestoreWindowMs;
    QString m_lossCause;
    QString m_serverName;
    int m_backendPid = 0;
    QString m_backendStart;
    int m_cutPid = 0;
    QString m_cutStart;
    QString m_lastNotice; // the server's last notice (a FATAL before it closes the connection)
    struct Unsaved
    {
        QString what;
        QString storedSql;
        bool storedWhenNone = false;
    };
    std::vector<Unsaved> m_unsaved;
    friend struct NoticeSink;
};

// How to tell, after a unit's connection broke off, whether its work is in the database: the unit's key
// and the values it wrote. Each check is built when needed from what the cut attempt used (its order
// number, line number, payment key).
template <class R> struct UnitCheck
{
    // Names the unit's work for the operator and the log ("주문 2612081001의 2번 내역").
    std::function<QString()> what;
    // Jet SQL whose first value counts the rows that show the work done; storedWhenNone for deletes.
    std::function<QString()> storedSql;
    bool storedWhenNone = false;
    // The unit's result when the work is there.
    std::function<R()> saved;
    // The result when the work could not be done or told (the operator has been told by the connection).
    R givenUp{};
};

namespace RetryDetail {
// After a cut: true when the unit is to run again; false when its result is settled (in *settled, or the
// failed attempt's own when settled is left empty).
template <class R>
bool afterCut(DbConnection& conn, const UnitCheck<R>* check, int cuts, std::optional<R>* settled)
{
    const bool unknown = conn.outcomeUnknown();
    const QString what = check ? check->what() : QString();
    if (cuts <= DbConnection::kCutAttempts && conn.resumeAfterCut()) {
        if (!unknown) {
            DbConnection::LogEvent(QStringLiteral("끊긴 작업을 다시 합니다: ") + what);
            return true;
        }
        if (!check)
            return false;
        bool stored = false;
        if (conn.countSays(check->storedSql(), check->storedWhenNone, &stored)) {
            if (stored) {
                DbConnection::LogEvent(QStringLiteral("끊긴 작업이 저장되어 있습니다: ") + what);
                *settled = check->saved();
                return false;
            }
            DbConnection::LogEvent(QStringLiteral("끊긴 작업이 저장되지 않아 다시 합니다: ") + what);
            return true;
        }
    }
    if (check) {
        conn.giveUp(what, unknown ? check->storedSql() : QString(), check->storedWhenNone);
        *settled = check->givenUp;
    }
    return false;
}
} // namespace RetryDetail

// Runs a unit of work that opens and ends its own transaction, and runs it again (up to
// DbConnection::kConflictAttempts times in all) when the server broke it off to end a deadlock or a
// serialization conflict with another seat; the operator sees a failure only when every attempt failed.
// A unit whose server connection broke off is run again once the connection is back, when it is known not
// to have committed; when its COMMIT's answer was lost, check tells whether its work is there, so nothing is
// posted twice and nothing saved is reported failed.
template <class Unit, class R = std::invoke_result_t<Unit>>
R RetryOnConflict(DbConnection& conn, Unit&& unit, const UnitCheck<R>* check)
{
    const bool outermost = conn.transactionDepth() == 0;
    struct Scope
    {
        DbConnection& conn;
        explicit Scope(DbConnection& c) : conn(c) { conn.enterUnit(); }
        ~Scope() { conn.leaveUnit(); }
    } scope(conn);
    int cuts = 0;
    for (int attempt = 1;; ++attempt) {
        conn.clearConflict();
        conn.setRetryFollows(attempt < DbConnection::kConflictAttempts);
        std::optional<R> result;
        std::exception_ptr thrown; // a query helper's engine error, raised out of a cut unit
        try {
            result.emplace(unit());
        } catch (...) {
            thrown = std::current_exception();
        }
        conn.setRetryFollows(false);
        if (outermost && conn.wasCut()) {
            std::optional<R> settled;
            if (RetryDetail::afterCut(conn, check, ++cuts, &settled)) {
                --attempt; // a cut is no conflict: it does not use up the attempts
                continue;
            }
            conn.clearConflict();
            if (settled)
                return std::move(*settled);
        }
        if (thrown)
            std::rethrow_exception(thrown);
        if (!conn.hadConflict() || attempt >= DbConnection::kConflictAttempts)
            return std::move(*result);
        DbConnection::PauseBeforeRetry(attempt);
    }
}

template <class Unit, class R = std::invoke_result_t<Unit>>
R RetryOnConflict(DbConnection& conn, Unit&& unit, const UnitCheck<R>& check)
{
    return RetryOnConflict(conn, std::forward<Unit>(unit), &check);
}

template <class Unit> auto RetryOnConflict(DbConnection& conn, Unit&& unit)
{
    using R = std::invoke_result_t<Unit>;
    return RetryOnConflict(conn, std::forward<Unit>(unit), static_cast<const UnitCheck<R>*>(nullptr));
}

// Keeps a write and the postings that belong to it in one unit: rolled back unless commit() succeeds.
class DbTransaction
{
public:
    explicit DbTransaction(DbConnection& conn);
    ~DbTransaction();
    DbTransaction(const DbTransaction&) = delete;
    DbTransaction& operator=(const DbTransaction&) = delete;
    bool active() const { return m_active; }
    const ErrInfo& error() const { return m_error; }
    bool commit();
    void rollback();

private:
    DbConnection& m_conn;
    bool m_active = false;
    ErrInfo m_error;
};
