#include "db/ChangeFeed.h"

#include "db/ChangeLog.h"
#include "db/DbConnection.h"
#include "db/DbError.h"
#include "db/MduAdoDB.h"

#include <QSqlQuery>
#include <QVariant>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <utility>

namespace {
// A file is asked once a second; a server's listening connection is looked at (a local call, nothing sent)
// four times a second, so a lost one is given up before its closed socket keeps waking the loop.
constexpr int kFileIntervalMs = 1000;
constexpr int kServerIntervalMs = 250;
// Notifications of one commit arrive together; they go out as one batch.
constexpr int kBatchMs = 20;

PGconn* pgHandle(const QSqlDatabase& db)
{
    if (!db.isValid() || !db.driver())
        return nullptr;
    const QVariant h = db.driver()->handle();
    if (h.isValid() && (qstrcmp(h.typeName(), "PGconn*") == 0 || qstrcmp(h.typeName(), "pg_conn*") == 0))
        return *static_cast<PGconn* const*>(h.data());
    return nullptr;
}

sqlite3* sqliteHandle(const QSqlDatabase& db)
{
    if (!db.isValid() || !db.driver())
        return nullptr;
    const QVariant h = db.driver()->handle();
    if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3* const*>(h.data());
    return nullptr;
}

// Rows this connection has written since it opened (its own commits leave the data version as it was).
qint64 ownWrites(const QSqlDatabase& db)
{
    sqlite3* h = sqliteHandle(db);
    return h ? qint64(sqlite3_total_changes64(h)) : 0;
}
} // namespace

ChangeFeed::ChangeFeed(DbConnection& conn, QObject* parent) : QObject(parent), m_conn(conn)
{
    connect(&m_timer, &QTimer::timeout, this, &ChangeFeed::tick);
    m_batch.setSingleShot(true);
    m_batch.setInterval(kBatchMs);
    connect(&m_batch, &QTimer::timeout, this, &ChangeFeed::flush);
}

ChangeFeed::~ChangeFeed()
{
    stop();
}

bool ChangeFeed::start()
{
    stop();
    if (!m_conn.isOpen())
        return false;
    m_server = m_conn.isServer();
    m_statements = 0;
    if (m_server) {
        if (!openListener())
            return false;
        m_timer.setInterval(kServerIntervalMs);
    } else {
        QSqlQuery q(m_conn.database());
        ++m_statements;
        if (!q.exec(QStringLiteral("SELECT COALESCE(MAX(\"번호\"), 0) FROM \"zk_변경\"")) || !q.next())
            return false;
        m_lastRow = q.value(0).toLongLong();
        m_dataVersion = -1;
        m_timer.setInterval(kFileIntervalMs);
        pollFile(); // takes the data version as it stands
    }
    m_running = true;
    m_timer.start();
    return true;
}

void ChangeFeed::stop()
{
    m_timer.stop();
    m_batch.stop();
    m_pending.clear();
    m_named.clear();
    closeListener();
    m_running = false;
}

void ChangeFeed::setInterval(int ms)
{
    m_timer.setInterval(ms);
}

void ChangeFeed::checkNow()
{
    if (!m_running)
        return;
    tick();
    if (m_batch.isActive()) {
        m_batch.stop();
        flush();
    }
}

void ChangeFeed::tick()
{
    if (m_server)
        watchServer();
    else
        pollFile();
}

void ChangeFeed::pollFile()
{
    // Inside this seat's own write the data version says nothing of others, and the lists wait anyway.
    if (!m_conn.isOpen() || m_conn.transactionDepth() > 0)
        return;
    QSqlQuery q(m_conn.database());
    ++m_statements;
    if (!q.exec(QStringLiteral("PRAGMA data_version")) || !q.next())
        return;
    const qint64 version = q.value(0).toLongLong();
    q.finish();
    // This seat's own writes are news for its other screens as well.
    const qint64 own = ownWrites(m_conn.database());
    if (version == m_dataVersion && own == m_ownWrites)
        return;
    const bool first = m_dataVersion < 0;
    m_dataVersion = version;
    m_ownWrites = own;
    if (first)
        return;
    QList<Change> changes;
    bool gap = false;
    if (!readFileLog(m_lastRow, &changes, &gap))
        return;
    if (gap) {
        Q_EMIT resync();
        return;
    }
    for (const Change& c : changes)
        add(c);
    flush();
}

bool ChangeFeed::readFileLog(qint64 after, QList<Change>* out, bool* gap)
{
    QSqlQuery q(m_conn.database());
    q.setForwardOnly(true);
    ++m_statements;
    if (!q.prepare(QStringLiteral("SELECT \"번호\", \"테이블\", \"키\" FROM \"zk_변경\" WHERE \"번호\" > ? "
                                  "ORDER BY \"번호\"")))
        return false;
    q.addBindValue(after);
    if (!q.exec())
        return false;
    bool firstRow = true;
    while (q.next()) {
        const qint64 row = q.value(0).toLongLong();
        // Rows are numbered as they commit; a first row beyond the next number means the log was pruned
        // past what this seat had read.
        if (firstRow && row > after + 1 && after > 0)
            *gap = true;
        firstRow = false;
        m_lastRow = row;
        out->append({q.value(1).toString(), q.value(2).toString()});
    }
    return true;
}

bool ChangeFeed::openListener()
{
    closeListener();
    auto listener = std::make_unique<DbConnection>();
    ErrInfo e;
    if (!listener->open(m_conn.path(), true, &e))
        return false;
    QSqlDriver* driver = listener->database().driver();
    if (!driver || !driver->subscribeToNotification(kChangeChannel))
        return false;
    connect(driver, &QSqlDriver::notification, this, &ChangeFeed::onNotification);
    m_listener = std::move(listener);
    m_listenerLost = false;
    return true;
}

void ChangeFeed::closeListener()
{
    if (!m_listener)
        return;
    if (QSqlDriver* driver = m_listener->database().driver()) {
        disconnect(driver, nullptr, this, nullptr);
        if (PQstatus(pgHandle(m_listener->database())) == CONNECTION_OK)
            driver->unsubscribeFromNotification(kChangeChannel);
    }
    m_listener->close();
    m_listener.reset();
}

void ChangeFeed::watchServer()
{
    if (m_listener) {
        PGconn* handle = pgHandle(m_listener->database());
        if (handle && PQstatus(handle) == CONNECTION_OK)
            return;
        // The server went away under the listening connection: what was committed meanwhile is unknown.
        closeListener();
        m_listenerLost = true;
        DbConnection::LogEvent(QStringLiteral("변경 알림 연결이 끊겨 다시 연결합니다"));
    }
    if (openListener()) {
        DbConnection::LogEvent(QStringLiteral("변경 알림 연결을 되찾았습니다"));
        Q_EMIT resync();
    }
}

void ChangeFeed::onNotification(const QString& name, QSqlDriver::NotificationSource source,
                                const QVariant& payload)
{
    // This seat's own commits are already on its screens.
    if (name != kChangeChannel || source == QSqlDriver::SelfSource)
        return;
    const QString text = payload.toString();
    const int tab = text.indexOf(QLatin1Char('\t'));
    const Change c = tab < 0 ? Change{text, QString()} : Change{text.left(tab), text.mid(tab + 1)};
    add(c);
    if (!m_batch.isActive())
        m_batch.start();
}

void ChangeFeed::add(const Change& c)
{
    QString name = c.table + QLatin1Char('\t') + c.key;
    if (!m_named.contains(name)) {
        m_named.insert(std::move(name));
        m_pending << c;
    }
}

void ChangeFeed::flush()
{
    if (m_pending.isEmpty())
        return;
    const QList<Change> out = std::move(m_pending);
    m_pending.clear();
    m_named.clear();
    Q_EMIT changed(out);
}

namespace {
// A plain pointer, never torn down by the process's exit: the program's end, wherever it is called from,
// ends the feed itself.
ChangeFeed* g_mainFeed = nullptr;
} // namespace

ChangeFeed& MainChangeFeed()
{
    if (!g_mainFeed)
        g_mainFeed = new ChangeFeed(gMainConn);
    return *g_mainFeed;
}

void EndMainChangeFeed()
{
    delete std::exchange(g_mainFeed, nullptr);
}
