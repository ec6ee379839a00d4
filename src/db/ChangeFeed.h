#pragma once

#include <QList>
#include <QObject>
#include <QSet>
#include <QSqlDriver>
#include <QString>
#include <QTimer>

#include <memory>

class DbConnection;

// Tells this seat what the other seats and the database tool changed, so that lists can refresh
// themselves. On a file it asks the engine's data version once a second (one statement, and none of this
// seat's own commits move it) and, when it moved, reads the change log's new rows; on a server it listens on
// a connection of its own for the triggers' notifications and sends nothing while idle. Whenever it may have
// missed something — the log was pruned past what it had read, the listening connection was lost and came
// back — it asks for everything to be read again.
class ChangeFeed : public QObject
{
    Q_OBJECT

public:
    // One changed row: the table and the key the log names it by (see ChangeLog.h).
    struct Change
    {
        QString table;
        QString key;
        bool operator==(const Change& o) const { return table == o.table && key == o.key; }
    };

    explicit ChangeFeed(DbConnection& conn, QObject* parent = nullptr);
    ~ChangeFeed() override;

    // Starts watching the connection's database; false (and nothing watched) when it has no change log.
    bool start();
    void stop();
    bool running() const { return m_running; }

    // Looks at once instead of at the next tick (tests, and after this seat's own reconnect).
    void checkNow();
    void setInterval(int ms);
    // The statements the feed itself has sent since it started (a seat at rest sends one a second at most).
    int statementsSent() const { return m_statements; }

Q_SIGNALS:
    // Rows other seats changed, in the order they were changed, each named once per batch.
    void changed(const QList<ChangeFeed::Change>& changes);
    // Anything may have changed: read every open list again.
    void resync();

private:
    void tick();
    void pollFile();
    bool readFileLog(qint64 after, QList<Change>* out, bool* gap);
    void watchServer();
    bool openListener();
    void closeListener();
    void onNotification(const QString& name, QSqlDriver::NotificationSource source, const QVariant& payload);
    void add(const Change& c);
    void flush();

    DbConnection& m_conn;
    QTimer m_timer;
    QTimer m_batch;
    bool m_running = false;
    bool m_server = false;
    qint64 m_dataVersion = -1;
    qint64 m_ownWrites = 0;
    qint64 m_lastRow = 0;
    std::unique_ptr<DbConnection> m_listener;
    bool m_listenerLost = false;
    QList<Change> m_pending;
    QSet<QString> m_named; // the pending changes as "table<TAB>key"
    int m_statements = 0;
};
Q_DECLARE_METATYPE(ChangeFeed::Change)

// The feed of this seat's main connection, made on first use; the start-up starts it once the main
// database is open and checked, the end stops it before the connection closes.
ChangeFeed& MainChangeFeed();
void EndMainChangeFeed();
