#include "masters/gui/EditorWindow.h"

#include "ui/MsgBox.h"
#include "ui/gui/ByteLimitedLineEdit.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>

EditorWindow::EditorWindow(QWidget* parent) : QDialog(parent) {}

EditorWindow::~EditorWindow() = default;

ByteLimitedLineEdit* EditorWindow::MakeField(int maxBytes, const QString& objectName)
{
    auto* field = new ByteLimitedLineEdit(maxBytes, this);
    field->setObjectName(objectName);
    m_limitedFields.append(field);
    return field;
}

bool EditorWindow::FieldsFitLimits() const
{
    for (ByteLimitedLineEdit* field : m_limitedFields) {
        if (!field->checkLength())
            return false;
    }
    return true;
}

void EditorWindow::MakeSaveCloseButtons()
{
    m_btnSave = new QPushButton(QStringLiteral("저장 F2"), this);
    m_btnSave->setObjectName(QStringLiteral("btnSave"));
    m_btnSave->setAutoDefault(false);
    m_btnClose = new QPushButton(QStringLiteral("닫기 &C"), this);
    m_btnClose->setObjectName(QStringLiteral("btnClose"));
    m_btnClose->setAutoDefault(false);
    connect(m_btnSave, &QPushButton::clicked, this, [this] { Save(); });
    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::reject);
}

void EditorWindow::MakeContinueAdd(bool visible)
{
    m_chkContinueAdd = new QCheckBox(QStringLiteral("계속 등록하기(&N)"), this);
    m_chkContinueAdd->setObjectName(QStringLiteral("chkContinueAdd"));
    if (!visible)
        m_chkContinueAdd->setVisible(false);
}

QHBoxLayout* EditorWindow::MakeButtonRow() const
{
    auto* row = new QHBoxLayout;
    row->addWidget(m_chkContinueAdd);
    row->addStretch(1);
    row->addWidget(m_btnSave);
    row->addWidget(m_btnClose);
    return row;
}

void EditorWindow::FinishSave()
{
    MyFloatMsg(QStringLiteral("자료가 저장되었습니다."), 500);
    if (m_chkContinueAdd->isChecked())
        ClearFields();
    else
        accept();
}

void EditorWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier)
        Save();
    else
        QDialog::keyPressEvent(event);
}
