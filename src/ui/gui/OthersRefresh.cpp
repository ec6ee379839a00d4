#include "ui/gui/OthersRefresh.h"

OthersRefresh::OthersRefresh(QObject* owner, std::function<bool()> busy, std::function<void()> refresh)
    : QObject(owner), m_busy(std::move(busy)), m_refresh(std::move(refresh))
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(1000);
    connect(&m_retry, &QTimer::timeout, this, &OthersRefresh::Request);
}

void OthersRefresh::Request()
{
    if (m_busy()) {
        m_retry.start();
        return;
    }
    m_retry.stop();
    m_refresh();
}
