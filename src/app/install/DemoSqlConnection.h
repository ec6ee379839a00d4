#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QUuid>

// A private connection of the database tool for bulk work on one file, removed again when the scope ends.
class DemoSqlConnection
{
public:
    explicit DemoSqlConnection(const QString& path)
        : m_name(QStringLiteral("zk_demo_") + QUuid::createUuid().toString(QUuid::Id128))
    {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        m_db.setDatabaseName(path);
        m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000"));
    }
    ~DemoSqlConnection()
    {
        if (m_db.isOpen()) {
            // Fold the write-ahead log back into the file so the result can be copied as one file.
            QSqlQuery(m_db).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
            m_db.close();
        }
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    DemoSqlConnection(const DemoSqlConnection&) = delete;
    DemoSqlConnection& operator=(const DemoSqlConnection&) = delete;

    // Opens the file for a bulk load: no fsync, write-ahead log, a large page cache.
    bool openForBulk(QString* error)
    {
        if (!m_db.open()) {
            *error = m_db.lastError().text();
            return false;
        }
        return exec(QStringLiteral("PRAGMA journal_mode = WAL"), error) &&
               exec(QStringLiteral("PRAGMA synchronous = OFF"), error) &&
               exec(QStringLiteral("PRAGMA cache_size = -131072"), error) &&
               exec(QStringLiteral("PRAGMA temp_store = MEMORY"), error);
    }

    bool exec(const QString& sql, QString* error)
    {
        QSqlQuery q(m_db);
        if (q.exec(sql))
            return true;
        *error = q.lastError().text() + QStringLiteral(" — ") + sql;
        return false;
    }

    QSqlDatabase& db() { return m_db; }

private:
    QString m_name;
    QSqlDatabase m_db;
};
