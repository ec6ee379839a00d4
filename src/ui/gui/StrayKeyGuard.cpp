#include "ui/gui/StrayKeyGuard.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {
// Fields that would insert the key's text; the grid's cell editor is left to the grid.
bool typesText(QObject* receiver)
{
    if (auto* edit = qobject_cast<QLineEdit*>(receiver))
        return !edit->isReadOnly() && !edit->property(kOwnStrayKeysProperty).toBool();
    if (auto* combo = qobject_cast<QComboBox*>(receiver))
        return combo->isEditable();
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(receiver))
        return !spin->isReadOnly();
    if (auto* text = qobject_cast<QTextEdit*>(receiver))
        return !text->isReadOnly();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(receiver))
        return !plain->isReadOnly();
    return false;
}

class Guard : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && IsStrayLetterKey(*static_cast<QKeyEvent*>(event)) &&
            typesText(watched))
            return true;
        return QObject::eventFilter(watched, event);
    }
};
} // namespace

bool IsStrayLetterKey(const QKeyEvent& event)
{
    const int key = event.key();
    const bool letter = key >= Qt::Key_A && key <= Qt::Key_Z;
    const Qt::KeyboardModifiers mods = event.modifiers();
    if (mods & Qt::AltModifier) {
        const QString text = event.text();
        return letter || (!text.isEmpty() && text.at(0).isPrint());
    }
    if (mods & Qt::ControlModifier)
        return letter && key != Qt::Key_C && key != Qt::Key_X && key != Qt::Key_V && key != Qt::Key_Z &&
               key != Qt::Key_A;
    return false;
}

void InstallStrayKeyGuard()
{
    static Guard* guard = nullptr;
    if (guard || !qApp)
        return;
    guard = new Guard(qApp);
    qApp->installEventFilter(guard);
}
