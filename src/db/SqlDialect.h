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
    // Runs once after a connection opens (pragmas, functions). False with *error set on failure.
    virtual bool prepareConnection(QSqlDatabase& db, QString* error) const = 0;
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

std::shared_ptr<const SqlDialect> DefaultDialect();
