#include "ui/gui/KeyboardShy.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

KeyboardShy::KeyboardShy(QWidget* window) : QObject(window), m_window(window)
{
    // The window manager is told first; the hand-back below covers the ones that do not listen.
    window->setWindowFlag(Qt::WindowDoesNotAcceptFocus, true);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        QWidget* top = now ? now->window() : nullptr;
        if (top && top != m_window)
            m_lastWorkWindow = top;
    });
}

bool KeyboardShy::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window && event->type() == QEvent::WindowActivate)
        handBack();
    return QObject::eventFilter(watched, event);
}

void KeyboardShy::handBack()
{
    QWidget* back = m_lastWorkWindow;
    // The question box that was open a moment ago is gone: its owner gets the keyboard back.
    if (!back || !back->isVisible() || back->isMinimized())
        back = m_window->parentWidget() ? m_window->parentWidget()->window() : nullptr;
    if (!back || !back->isVisible())
        return;
    back->activateWindow();
    if (QApplication::activeWindow() == m_window)
        QApplication::setActiveWindow(back);
}
