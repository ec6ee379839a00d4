#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

// Reads a screen's list again for what other seats changed: at once, or — while the operator is busy with
// something a refresh would disturb — a second after that is over.
class OthersRefresh : public QObject
{
    Q_OBJECT

public:
    OthersRefresh(QObject* owner, std::function<bool()> busy, std::function<void()> refresh);

    // A change arrived: refresh now unless busy, else once it is over.
    void Request();

private:
    std::function<bool()> m_busy;
    std::function<void()> m_refresh;
    QTimer m_retry;
};
