#include "support/PgProxy.h"

#include <QDir>
#include <QFile>

#include <cstring>
#include <list>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
int unixSocket(const QString& path, bool listen)
{
    const QByteArray p = QFile::encodeName(path);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    if (size_t(p.size()) >= sizeof(a.sun_path))
        return -1;
    std::memcpy(a.sun_path, p.constData(), size_t(p.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const bool ok = listen ? ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof(a)) == 0 && ::listen(fd, 64) == 0
                           : ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof(a)) == 0;
    if (!ok) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool sendAll(int fd, const QByteArray& data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::send(fd, data.constData() + done, size_t(data.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

qint32 lengthAt(const QByteArray& b, qsizetype at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData() + at);
    return qint32((quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]));
}

// The next whole message of a stream (the first one of a client's has no type byte); empty while incomplete.
QByteArray takeMessage(QByteArray& buffer, bool typed)
{
    const qsizetype head = typed ? 1 : 0;
    if (buffer.size() < head + 4)
        return {};
    const qsizetype whole = head + lengthAt(buffer, head);
    if (buffer.size() < whole)
        return {};
    QByteArray m = buffer.left(whole);
    buffer.remove(0, whole);
    return m;
}
} // namespace

struct PgProxy::Pair
{
    int client = -1;
    int server = -1;
    QByteArray fromClient;
    QByteArray fromServer;
    bool started = false;   // the client's startup message is through
    bool swallowing = false; // the server's answers are dropped until it is ready again, then both sides close
    bool dead = false;
};

PgProxy::PgProxy(const QString& serverSocket, const QString& folder, int port)
    : m_serverSocket(serverSocket), m_folder(folder), m_port(port)
{
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/.s.PGSQL.%1").arg(port);
    QFile::remove(path);
    m_listen = unixSocket(path, true);
    if (m_listen < 0)
        qFatal("proxy: cannot listen at %s", qPrintable(path));
    if (::pipe2(m_wake, O_CLOEXEC) != 0)
        qFatal("proxy: no pipe");
    m_thread = std::thread([this] { run(); });
}

PgProxy::~PgProxy()
{
    m_stop = true;
    const char c = 0;
    (void)!::write(m_wake[1], &c, 1);
    m_thread.join();
    ::close(m_listen);
    ::close(m_wake[0]);
    ::close(m_wake[1]);
    QFile::remove(m_folder + QStringLiteral("/.s.PGSQL.%1").arg(m_port));
}

QString PgProxy::address(const QString& dbName, const QString& user) const
{
    QString a = QStringLiteral("postgresql:///%1?host=%2&port=%3").arg(dbName, m_folder).arg(m_port);
    if (!user.isEmpty())
        a += QStringLiteral("&user=") + user;
    return a;
}

void PgProxy::cutAt(Cut how, const QByteArray& start)
{
    std::lock_guard lock(m_mutex);
    m_armed = true;
    m_how = how;
    m_start = start.toUpper();
}

void PgProxy::dropAll()
{
    m_dropAll = true;
    const char c = 0;
    (void)!::write(m_wake[1], &c, 1);
    while (m_dropAll)
        std::this_thread::yield();
}

void PgProxy::run()
{
    std::list<Pair> pairs;
    auto closePair = [](Pair& p) {
        if (p.client >= 0)
            ::close(p.client);
        if (p.server >= 0)
            ::close(p.server);
        p.client = p.server = -1;
        p.dead = true;
    };
    while (!m_stop) {
        if (m_dropAll) {
            for (Pair& p : pairs)
                closePair(p);
            m_dropAll = false;
        }
        pairs.remove_if([](const Pair& p) { return p.dead; });
        std::vector<pollfd> fds;
        fds.push_back({m_wake[0], POLLIN, 0});
        fds.push_back({m_listen, POLLIN, 0});
        for (Pair& p : pairs) {
            fds.push_back({p.client, POLLIN, 0});
            fds.push_back({p.server, POLLIN, 0});
        }
        if (::poll(fds.data(), nfds_t(fds.size()), 100) <= 0)
            continue;
        if (fds[0].revents) {
            char buf[16];
            (void)!::read(m_wake[0], buf, sizeof(buf));
        }
        if (fds[1].revents & POLLIN) {
            const int client = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                const int server = m_refusing ? -1 : unixSocket(m_serverSocket, false);
                if (server < 0) {
                    ::close(client);
                } else {
                    Pair p;
                    p.client = client;
                    p.server = server;
                    pairs.push_back(std::move(p));
                    ++m_connections;
                }
            }
        }
        size_t i = 2;
        for (Pair& p : pairs) {
            if (i + 1 >= fds.size())
                break; // accepted after the poll: its turn comes next time
            const short fromClient = fds[i++].revents;
            const short fromServer = fds[i++].revents;
            char buf[65536];
            if (fromClient && !p.dead) {
                const ssize_t n = ::recv(p.client, buf, sizeof(buf), 0);
                if (n <= 0) {
                    closePair(p);
                    continue;
                }
                p.fromClient.append(buf, n);
                for (;;) {
                    const QByteArray m = takeMessage(p.fromClient, p.started);
                    if (m.isEmpty())
                        break;
                    const bool query = p.started && m.at(0) == 'Q';
                    p.started = true;
                    if (query) {
                        std::lock_guard lock(m_mutex);
                        if (m_armed && m.mid(5).toUpper().startsWith(m_start)) {
                            m_armed = false;
                            if (m_how == Cut::BeforeStatement) {
                                closePair(p);
                                ++m_cuts;
                                break;
                            }
                            p.swallowing = true;
                        }
                    }
                    if (!sendAll(p.server, m)) {
                        closePair(p);
                        break;
                    }
                }
                if (p.dead)
                    continue;
            }
            if (fromServer && !p.dead) {
                const ssize_t n = ::recv(p.server, buf, sizeof(buf), 0);
                if (n <= 0) {
                    closePair(p);
                    continue;
                }
                p.fromServer.append(buf, n);
                for (;;) {
                    const QByteArray m = takeMessage(p.fromServer, true);
                    if (m.isEmpty())
                        break;
                    if (p.swallowing) {
                        // Ready for the next statement: the one cut off is done on the server.
                        if (m.at(0) == 'Z') {
                            closePair(p);
                            ++m_cuts;
                            break;
                        }
                        continue;
                    }
                    if (!sendAll(p.client, m)) {
                        closePair(p);
                        break;
                    }
                }
            }
        }
    }
    for (Pair& p : pairs)
        closePair(p);
}
