#include "ui/gui/OthersRefresh.h"

#include <QWidget>

OthersRefresh::OthersRefresh(QObject* owner, std::function<bool()> busy, std::function<void()> refresh)
    : QObject(owner), m_busy(std::move(busy)), m_refresh(std::move(refresh))
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(1000);
    connect(&m_retry, &QTimer::timeout, this, &OthersRefresh::Request);
}

QString OthersRefresh::WaitingMark()
{
    return QStringLiteral("  ※ 다른 자리에서 바뀐 자료가 있습니다: 입력을 마치면 새로 읽습니다");
}

void OthersRefresh::Request()
{
    if (m_busy()) {
        markWaiting(true);
        m_retry.start();
        return;
    }
    m_retry.stop();
    markWaiting(false);
    m_refresh();
}

void OthersRefresh::markWaiting(bool waiting)
{
    auto* window = qobject_cast<QWidget*>(parent());
    if (!window)
        return;
    QString title = window->windowTitle();
    const bool marked = title.endsWith(WaitingMark());
    if (waiting && !marked)
        window->setWindowTitle(title + WaitingMark());
    else if (!waiting && marked)
        window->setWindowTitle(title.chopped(WaitingMark().size()));
}
