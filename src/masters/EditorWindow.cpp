#include "masters/EditorWindow.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>

bool HandleSaveKey(QKeyEvent* event, const std::function<void()>& save)
{
    if (event->key() != Qt::Key_F2 || event->modifiers() != Qt::NoModifier)
        return false;
    save();
    return true;
}

QHBoxLayout* MakeEditorButtonRow(QCheckBox* continueAdd, QPushButton* save, QPushButton* close)
{
    auto* row = new QHBoxLayout;
    row->addWidget(continueAdd);
    row->addStretch(1);
    row->addWidget(save);
    row->addWidget(close);
    return row;
}
