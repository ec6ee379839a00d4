#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// Keeps a side window (a queue, a log) from ever holding the keyboard: whoever activates it, the activation
// goes straight back to the window the operator was typing in.
class KeyboardShy : public QObject
{
    Q_OBJECT
public:
    // Becomes a child of window; set up before the window is first shown.
    explicit KeyboardShy(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void handBack();

    QWidget* m_window;
    QPointer<QWidget> m_lastWorkWindow;
};
