#include "app/gui/FrmLogin.h"

#include "admin/PasswordHash.h"
#include "admin/StoredPasswords.h"
#include "app/AppPaths.h"
#include "app/start/MduMain.h"
#include "db/modMain_SQL.h"
#include "ui/MsgBox.h"
#include "ui/gui/InputUtil.h"

#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>

namespace {
const QString kHint = QStringLiteral("엔터 치세요");
}

FrmLogin::FrmLogin(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmLogin"));
    setWindowTitle(QStringLiteral("사용자 로그인"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    const QString picture = AppPaths::ProgramPath(QStringLiteral("Image/loginbg.jpg"));
    if (QFileInfo::exists(picture))
        m_background.load(picture);

    auto* caption = new QLabel(QStringLiteral("사용자 로그인"), this);
    QFont captionFont = caption->font();
    captionFont.setPointSizeF(captionFont.pointSizeF() * 0.95);
    caption->setFont(captionFont);
    caption->setStyleSheet(QStringLiteral("color: #e8eef6;"));

    m_txtUser = new QLineEdit(this);
    m_txtUser->setObjectName(QStringLiteral("txtUser"));
    m_txtUser->setReadOnly(true);
    m_txtUser->setFocusPolicy(Qt::NoFocus);
    m_txtUser->setFrame(false);
    m_txtUser->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_txtUser->setText(GetCompanyName());
    QFont userFont = m_txtUser->font();
    userFont.setPointSizeF(userFont.pointSizeF() * 2.0);
    userFont.setBold(true);
    m_txtUser->setFont(userFont);
    m_txtUser->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; color: white; }"));

    auto* passLabel = new QLabel(QStringLiteral("암호"), this);
    passLabel->setStyleSheet(QStringLiteral("color: white; font-weight: bold;"));

    m_txtPass = new QLineEdit(this);
    m_txtPass->setObjectName(QStringLiteral("txtPass"));
    m_txtPass->setEchoMode(QLineEdit::Password);
    m_txtPass->setMinimumWidth(200);
    m_txtPass->setStyleSheet(QStringLiteral(
        "QLineEdit { background: white; border: 1px solid #9fb3c8; border-radius: 3px; padding: 4px 6px; }"));
    m_txtPass->installEventFilter(this);
    passLabel->setBuddy(m_txtPass);

    m_pnlMsg = new QLabel(this);
    m_pnlMsg->setObjectName(QStringLiteral("pnlMsg"));
    m_pnlMsg->setWordWrap(true);
    m_pnlMsg->setStyleSheet(QStringLiteral("color: #dbe6f2;"));

    auto* passRow = new QHBoxLayout;
    passRow->setSpacing(10);
    passRow->addWidget(passLabel);
    passRow->addWidget(m_txtPass, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 22, 28, 20);
    layout->setSpacing(8);
    layout->addWidget(caption);
    layout->addWidget(m_txtUser);
    layout->addStretch(1);
    layout->addLayout(passRow);
    layout->addWidget(m_pnlMsg);

    setFixedSize(440, 230);
    m_txtPass->setFocus();

    connect(m_txtPass, &QLineEdit::returnPressed, this, &FrmLogin::txtPass_Return);
}

QString FrmLogin::wrongPasswordMessage()
{
    return QStringLiteral("암호를 잘못 입력하였습니다.") + kCrLf +
           QStringLiteral("암호를 확인하여 주십시요.");
}

QString FrmLogin::quitQuestion()
{
    return QStringLiteral("프로그램을 종료하시겠습니까?");
}

void FrmLogin::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    activateOnce();
}

void FrmLogin::activateOnce()
{
    if (m_activated)
        return;
    m_activated = true;
    setWindowTitle(QStringLiteral("일반 사용자 로그인"));
    // A password that cannot be read locks the door instead of opening it. While the start still checks the
    // database a missing row is not written yet.
    const std::optional<QString> stored =
        StartChecking() ? PeekConfig(Settings::Key::LoginPassword) : ReadConfig(Settings::Key::LoginPassword);
    m_unreadable = !stored.has_value();
    m_password = stored.value_or(QString());
    if (m_unreadable) {
        m_pnlMsg->setText(QStringLiteral("로그인 암호를 읽을 수 없습니다. 데이터베이스를 확인하세요."));
    } else if (m_password.isEmpty()) {
        m_txtPass->setEchoMode(QLineEdit::Normal);
        m_txtPass->setText(kHint);
        m_pnlMsg->setText(QStringLiteral("로그인 암호가 설정되어 있지 않습니다. 엔터를 누르면 시작합니다."));
    } else {
        m_pnlMsg->setText(QStringLiteral("로그인 암호를 입력한 뒤 엔터를 누르세요."));
    }
    m_txtPass->setFocus();
    m_txtPass->selectAll();
}

void FrmLogin::txtPass_Return()
{
    // Enter may come before the window was ever activated (a key queued at start-up).
    activateOnce();
    ++m_attempts;
    if (!m_unreadable && (m_password.isEmpty() || PasswordHash::Matches(m_txtPass->text(), m_password,
                                                                        PasswordHash::LetterCase::Exact))) {
        // After an unclean end the start's page check may still be reading the database: the program goes
        // on once it has passed, and nothing is written before; a failed check ends the start.
        if (StartChecking()) {
            m_pnlMsg->setText(QStringLiteral("데이터베이스를 검사하고 있습니다. 잠시만 기다려 주세요."));
            m_txtPass->setEnabled(false);
        }
        if (!FinishStart(ShowFound())) {
            finish(false);
            return;
        }
        // An older installation's hash moves up to today's strength once the password is typed right.
        m_password = StoredPasswords::Rehash(StoredPasswords::kLoginKey, m_txtPass->text(), m_password);
        finish(true);
        return;
    }
    ShowInfo(wrongPasswordMessage());
    if (m_attempts >= kMaxAttempts) {
        finish(false);
        return;
    }
    showAttemptsLeft();
    m_txtPass->setFocus();
    m_txtPass->selectAll();
}

void FrmLogin::showAttemptsLeft()
{
    m_pnlMsg->setText(
        QStringLiteral("암호가 맞지 않습니다. 남은 입력 횟수: %1").arg(kMaxAttempts - m_attempts));
}

void FrmLogin::reject()
{
    if (AskYesNo(quitQuestion(), {}, true) == MsgAnswer::Yes)
        finish(false);
}

void FrmLogin::finish(bool success)
{
    bSucc = success;
    done(success ? QDialog::Accepted : QDialog::Rejected);
}

bool FrmLogin::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_txtPass && event->type() == QEvent::FocusIn)
        SelectAllText();
    return QDialog::eventFilter(watched, event);
}

void FrmLogin::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    if (!m_background.isNull()) {
        painter.drawPixmap(rect(), m_background);
        // A darker veil keeps the white company name readable on any picture.
        painter.fillRect(rect(), QColor(0, 0, 0, 90));
        return;
    }
    QLinearGradient sky(rect().topLeft(), rect().bottomLeft());
    sky.setColorAt(0.0, QColor(0x2b, 0x4c, 0x7e));
    sky.setColorAt(1.0, QColor(0x16, 0x2a, 0x48));
    painter.fillRect(rect(), sky);
    painter.setPen(QColor(255, 255, 255, 40));
    painter.drawLine(28, height() - 80, width() - 28, height() - 80);
}
