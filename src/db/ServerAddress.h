#pragma once

#include <QString>
#include <QStringList>

#include <utility>

class QSqlDatabase;

// A database server's address as a seat keeps it: postgresql://[user@]host[:port]/dbname[?key=value&…],
// in libpq's conventions (host may be a socket folder given as ?host=/path; the password comes from the
// user's .pgpass or service file and is never kept in the address).
class ServerAddress
{
public:
    static bool IsServerAddress(const QString& location);
    // Parses the address; false with *error (Korean) when it is not one the program can use.
    static bool Parse(const QString& location, ServerAddress* out, QString* error);

    QString host() const { return m_host; }
    int port() const { return m_port; }
    QString databaseName() const { return m_dbName; }
    QString user() const { return m_user; }
    // The address with another database name (the server's maintenance database, a copy's target).
    QString withDatabase(const QString& dbName) const;
    // "서버 host, 포트 5432" for messages.
    QString describe() const;
    // libpq's keyword=value connection string, for the server's own tools (pg_dump, pg_restore).
    QString connectionString() const;
    // Sets host, port, database, user and the remaining libpq options on a QPSQL connection.
    void applyTo(QSqlDatabase& db) const;

private:
    // The further keywords as libpq's key='value' pairs.
    QStringList options() const;

    QString m_host;
    int m_port = 5432;
    QString m_dbName;
    QString m_user;
    QList<std::pair<QString, QString>> m_options; // further libpq keywords and their values, as given
};
