#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

// The master side of a pseudo-terminal: the test plays the modem on it.
class PtyModem
{
public:
    PtyModem()
    {
        m_fd = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_fd >= 0 && grantpt(m_fd) == 0 && unlockpt(m_fd) == 0)
            m_slave = QString::fromLocal8Bit(ptsname(m_fd));
    }
    ~PtyModem() { closeMaster(); }

    bool isValid() const { return !m_slave.isEmpty(); }
    QString slavePath() const { return m_slave; }
    void closeMaster()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    bool send(const QByteArray& bytes)
    {
        return ::write(m_fd, bytes.constData(), bytes.size()) == bytes.size();
    }

    // Reads what the program sent until `until` appears or the time runs out; keeps the event loop going.
    QByteArray receive(const QByteArray& until, int timeoutMs = 3000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!m_received.contains(until) && timer.elapsed() < timeoutMs) {
            QCoreApplication::processEvents();
            pollfd pfd{m_fd, POLLIN, 0};
            if (::poll(&pfd, 1, 20) > 0 && (pfd.revents & POLLIN)) {
                char buf[256];
                const ssize_t n = ::read(m_fd, buf, sizeof buf);
                if (n > 0)
                    m_received.append(buf, n);
            }
        }
        const qsizetype at = m_received.indexOf(until);
        if (at < 0)
            return {};
        const QByteArray head = m_received.left(at + until.size());
        m_received.remove(0, at + until.size());
        return head;
    }

private:
    int m_fd = -1;
    QString m_slave;
    QByteArray m_received;
};
