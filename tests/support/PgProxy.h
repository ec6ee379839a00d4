#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

// A socket in between a test's connections and a PostgreSQL server, for breaking a connection at an exact
// point of the conversation: before a statement reaches the server, or after the server has answered it
// (its COMMIT done) but before the answer reaches the program. It listens at folder/.s.PGSQL.<port>, so an
// address with ?host=folder&port=port goes through it, and runs on a thread of its own.
class PgProxy
{
public:
    enum class Cut
    {
        BeforeStatement, // the statement never reaches the server
        AfterAnswer,     // the server does it, its answer is lost
    };

    // serverSocket: the server's socket file (".../.s.PGSQL.5439").
    PgProxy(const QString& serverSocket, const QString& folder, int port);
    ~PgProxy();
    PgProxy(const PgProxy&) = delete;
    PgProxy& operator=(const PgProxy&) = delete;

    // The address of the database dbName through the proxy (user as given, or none).
    QString address(const QString& dbName, const QString& user) const;
    // Cuts the connection that sends the next statement starting with `start` (case-blind).
    void cutAt(Cut how, const QByteArray& start);
    // Breaks every connection now, as a server restart does to idle sessions.
    void dropAll();
    // While refusing, new connections are closed at once (the server is away).
    void setRefusing(bool refusing) { m_refusing = refusing; }
    int cutsDone() const { return m_cuts; }
    int connectionsMade() const { return m_connections; }

private:
    struct Pair;
    void run();

    QString m_serverSocket;
    QString m_folder;
    int m_port;
    int m_listen = -1;
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_refusing{false};
    std::atomic<bool> m_dropAll{false};
    std::atomic<int> m_cuts{0};
    std::atomic<int> m_connections{0};
    std::mutex m_mutex;
    bool m_armed = false;
    Cut m_how = Cut::BeforeStatement;
    QByteArray m_start;
};
