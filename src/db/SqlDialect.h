#pragma once

#include <QString>

#include <memory>

class QSqlDatabase;

// Turns the Jet-style SQL text the screens build into one engine's dialect, and prepares that engine's
// connections.
class SqlDialect
{
public:
    virtual ~SqlDialect() = default;
    virtual QString name() const = 0;
    // Qt SQL driver name ("QSQLITE", "QPSQL").
    virtual QString driverName() const = 0;
    // Rewrites Jet SQL; text inside quoted literals is never touched.
    virtual QString translate(const QString& jetSql) const = 0;
    // Statement that opens a write transaction.
    virtual QString beginTransactionSql() const = 0;
    // Runs once after a connection opens (pragmas, functions, session settings). False with *error set on
    // failure.
    virtual bool prepareConnection(QSqlDatabase& db, QString* error) const = 0;
    // Whether the database is a server's (several seats through one server) rather than a file.
    virtual bool isServer() const { return false; }
};

// SQLite: WAL journal, busy timeout, foreign keys, Unicode-aware UCASE/LCASE.
class SqliteDialect : public SqlDialect
{
public:
    QString name() const override { return QStringLiteral("sqlite"); }
    QString driverName() const override { return QStringLiteral("QSQLITE"); }
    QString translate(const QString& jetSql) const override;
    QString beginTransactionSql() const override { return QStringLiteral("BEGIN IMMEDIATE"); }
    bool prepareConnection(QSqlDatabase& db, QString* error) const override;

    static constexpr int kBusyTimeoutMs = 15000;
};

// PostgreSQL: Jet's case-blind text comparison through citext columns and ILIKE, Null-as-empty joining
// of texts, lock waits bounded like SQLite's busy timeout.
class PostgresDialect : public SqlDialect
{
public:
    QString name() const override { return QStringLiteral("postgresql"); }
    QString driverName() const override { return QStringLiteral("QPSQL"); }
    QString translate(const QString& jetSql) const override;
    QString beginTransactionSql() const override
    {
        return QStringLiteral("BEGIN ISOLATION LEVEL READ COMMITTED");
    }
    bool prepareConnection(QSqlDatabase& db, QString* error) const override;
    bool isServer() const override { return true; }

    static constexpr int kLockTimeoutMs = 15000;
};

std::shared_ptr<const SqlDialect> DefaultDialect();
std::shared_ptr<const SqlDialect> ServerDialect();

// Whether Jet SQL holds exactly one statement (a closing semicolon allowed): a server runs every command of
// a text it is sent, so a second one is refused before it gets there.
bool IsSingleStatement(const QString& jetSql);
