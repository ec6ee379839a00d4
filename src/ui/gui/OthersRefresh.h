#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

// Reads a screen's list again for what other seats changed: at once, or — while the operator is busy with
// something a refresh would disturb — a second after that is over, the window's title saying meanwhile that
// what it shows was changed elsewhere.
class OthersRefresh : public QObject
{
    Q_OBJECT

public:
    OthersRefresh(QObject* owner, std::function<bool()> busy, std::function<void()> refresh);

    // A change arrived: refresh now unless busy, else once it is over.
    void Request();

    // The words the waiting window's title carries.
    static QString WaitingMark();

private:
    void markWaiting(bool waiting);

    std::function<bool()> m_busy;
    std::function<void()> m_refresh;
    QTimer m_retry;
};
