#pragma once

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QString>

#include <functional>

#include <unistd.h>

// Hands a seat process the commands its driver writes on standard input, one line at a time; the end of
// the input, or a line "quit", ends the process's event loop.
inline void FollowSeatCommands(QObject* owner, std::function<void(const QString&)> onCommand)
{
    auto* input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, owner);
    auto pending = std::make_shared<QByteArray>();
    QObject::connect(input, &QSocketNotifier::activated, owner, [pending, onCommand = std::move(onCommand)] {
        char buffer[512];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            QCoreApplication::quit();
            return;
        }
        pending->append(buffer, int(n));
        for (qsizetype end = pending->indexOf('\n'); end >= 0; end = pending->indexOf('\n')) {
            const QString command = QString::fromUtf8(pending->left(end));
            pending->remove(0, end + 1);
            if (command == QLatin1String("quit"))
                QCoreApplication::quit();
            else
                onCommand(command);
        }
    });
}
