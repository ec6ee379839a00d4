#include "masters/EditorWindow.h"

#include <QKeyEvent>

bool HandleSaveKey(QKeyEvent* event, const std::function<void()>& save)
{
    if (event->key() != Qt::Key_F2 || event->modifiers() != Qt::NoModifier)
        return false;
    save();
    return true;
}
