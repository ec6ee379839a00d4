#pragma once

#include "db/ErrInfo.h"
#include "db/SqlDialect.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QSqlQuery;

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
    // The first column of every row of a Jet SQL query as text, appended to `texts`: a long list of keys
    // read straight from the engine, without a QVariant per value.
    bool queryTexts(const QString& jetSql, QStringList& texts, ErrInfo* error);

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

    // Whether a statement since clearConflict() was broken off by the server to end a deadlock or a
    // serialization conflict with another seat: the unit it belonged to is rolled back and may run again.
    bool hadConflict() const { return m_conflict; }
    void clearConflict() { m_conflict = false; }
    // While set, what a conflicted unit deferred (its failure messages) is dropped: the unit runs again.
    void setRetryFollows(bool follows) { m_retryFollows = follows; }
    static constexpr int kConflictAttempts = 5;

    static ErrInfo errorFrom(const class QSqlError& e);
    // A short pause that grows with the attempt, different for every seat, so two seats do not collide again.
    static void PauseBeforeRetry(int attempt);

private:
    bool openServer(const QString& address, bool readOnly, ErrInfo* error);
    ErrInfo failure(const class QSqlError& e);
    bool prepare(QSqlDatabase& db, ErrInfo* error);
    // Drops the Qt connection of a failed open.
    void forget(QSqlDatabase& db);
    bool runRaw(const QString& sql, ErrInfo* error);
    void runDeferred();

    QString m_name;
    QString m_path;
    std::shared_ptr<const SqlDialect> m_dialect;
    FaultInjector m_fault;
    bool m_registered = false;
    int m_depth = 0;
    bool m_doomed = false;
    bool m_conflict = false;
    bool m_retryFollows = false;
    std::vector<std::function<void()>> m_deferred;
};

// Runs a unit of work that opens and ends its own transaction, and runs it again (up to
// DbConnection::kConflictAttempts times in all) when the server broke it off to end a deadlock or a
// serialization conflict with another seat; the operator sees a failure only when every attempt failed.
template <class Unit> auto RetryOnConflict(DbConnection& conn, Unit&& unit)
{
    for (int attempt = 1;; ++attempt) {
        conn.clearConflict();
        conn.setRetryFollows(attempt < DbConnection::kConflictAttempts);
        auto result = unit();
        conn.setRetryFollows(false);
        if (!conn.hadConflict() || attempt >= DbConnection::kConflictAttempts)
            return result;
        DbConnection::PauseBeforeRetry(attempt);
    }
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
