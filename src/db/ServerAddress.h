#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

class QSqlDatabase;

// A database server's address as a seat keeps it: postgresql://[user@]host[:port][,host[:port]…]/dbname
// [?key=value&…], in libpq's conventions (a host may be a socket folder given as ?host=/path, several as
// ?host=/a,/b&port=5432,5433; the password comes from the user's .pgpass or service file and is never kept in
// the address). With several hosts libpq tries them in turn; target_session_attrs=read-write takes the one
// that accepts writes, so a seat follows the primary to a promoted standby.
class ServerAddress
{
public:
    static bool IsServerAddress(const QString& location);
    // Parses the address; false with *error (Korean) when it is not one the program can use.
    static bool Parse(const QString& location, ServerAddress* out, QString* error);

    // The hosts as libpq takes them, comma-separated ("" = the default socket).
    QString host() const { return m_hosts.join(QLatin1Char(',')); }
    // The first host's port.
    int port() const { return m_ports.value(0, 5432); }
    int hostCount() const { return int(m_hosts.size()); }
    QString databaseName() const { return m_dbName; }
    QString user() const { return m_user; }
    // The address with another database name (the server's maintenance database, a copy's target).
    QString withDatabase(const QString& dbName) const;
    // "서버 host, 포트 5432, 데이터베이스 x" (or "서버 a:5432, b:5433, …") for messages.
    QString describe() const;
    // libpq's keyword=value connection string, for the server's own tools (pg_dump, pg_restore).
    QString connectionString() const;
    // Sets host, port, database, user and the remaining libpq options on a QPSQL connection.
    void applyTo(QSqlDatabase& db) const;

private:
    // The ports as libpq takes them: one for all hosts, or one per host.
    QString portList() const;
    bool onePort() const;
    // The further keywords as libpq's key='value' pairs.
    QStringList options() const;

    QStringList m_hosts;
    QList<int> m_ports; // one, or one per host
    QString m_dbName;
    QString m_user;
    QList<std::pair<QString, QString>> m_options; // further libpq keywords and their values, as given
};
