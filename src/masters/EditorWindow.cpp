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

void MakeEditorButtons(QWidget* owner, QPushButton*& save, QPushButton*& close)
{
    save = new QPushButton(QStringLiteral("저장 F2"), owner);
    save->setObjectName(QStringLiteral("btnSave"));
    save->setAutoDefault(false);
    close = new QPushButton(QStringLiteral("닫기 &C"), owner);
    close->setObjectName(QStringLiteral("btnClose"));
    close->setAutoDefault(false);
}
