#include "admin/gui/frmPWDInput.h"

#include "admin/PasswordHash.h"
#include "admin/StoredPasswords.h"
#include "app/Globals.h"
#include "ui/MsgBox.h"
#include "ui/gui/InputUtil.h"
#include "ui/gui/ModalSeam.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmPWDInput::frmPWDInput(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPWDInput"));
    setWindowTitle(QStringLiteral("관리자 암호확인"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_panel = new QLabel(QStringLiteral("암호"), this);
    m_panel->setFrameShape(QFrame::Panel);
    m_panel->setFrameShadow(QFrame::Sunken);
    m_panel->setAlignment(Qt::AlignCenter);
    m_panel->setMinimumWidth(70);

    m_txtPWD = new QLineEdit(this);
    m_txtPWD->setObjectName(QStringLiteral("txtPWD"));
    m_txtPWD->setEchoMode(QLineEdit::Password);
    m_txtPWD->setMinimumWidth(180);
    m_txtPWD->installEventFilter(this);

    m_note = new QLabel(QStringLiteral("※영문 대,소문자를 구분하지 않습니다."), this);

    m_cmdOK = new QPushButton(QStringLiteral("확인(&O)"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdCancel = new QPushButton(QStringLiteral("취소(&C)"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* row = new QHBoxLayout;
    row->addWidget(m_panel);
    row->addWidget(m_txtPWD, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(m_note);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_txtPWD, m_cmdOK);
    setTabOrder(m_cmdOK, m_cmdCancel);
    m_txtPWD->setFocus();

    connect(m_cmdOK, &QPushButton::clicked, this, &frmPWDInput::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmPWDInput::cmdCancel_Click);
}

void frmPWDInput::cmdOK_Click()
{
    if (PasswordHash::Matches(m_txtPWD->text(), CorrectPWD, PasswordHash::LetterCase::Ignored)) {
        Success = true;
        accept();
        return;
    }
    if (ConfirmCount > 1) {
        ShowWarning(QStringLiteral("암호가 정확하지 않습니다.") + kCrLf + QStringLiteral("다시 입력하세요."));
        --ConfirmCount;
        m_txtPWD->setFocus();
        m_txtPWD->selectAll();
        return;
    }
    ShowWarning(QStringLiteral("암호가 정확하지 않습니다.") + kCrLf +
                QStringLiteral("암호입력횟수를 초과 했습니다."));
    Success = false;
    reject();
}

void frmPWDInput::cmdCancel_Click()
{
    Success = false;
    reject();
}

bool frmPWDInput::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_txtPWD) {
        if (event->type() == QEvent::FocusIn) {
            SelectAllText();
        } else if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
                if (EnterNextField(key->key()))
                    return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

QString frmPWDInput::TypedPassword() const
{
    return m_txtPWD->text();
}

bool RunAdminPasswordPrompt(const QString& correctPassword)
{
    frmPWDInput prompt;
    prompt.CorrectPWD = correctPassword;
    ExecModal(&prompt);
    // An older installation's administrator password moves up to today's hash once it is typed right.
    if (prompt.Success && correctPassword == gAdminPWD)
        gAdminPWD =
            StoredPasswords::Rehash(StoredPasswords::kAdminKey, prompt.TypedPassword(), correctPassword);
    return prompt.Success;
}
