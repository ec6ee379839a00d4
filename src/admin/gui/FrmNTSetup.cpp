#include "admin/gui/FrmNTSetup.h"

#include "admin/modNTDrv.h"
#include "app/AppPaths.h"
#include "app/Globals.h"
#include "app/SettingKeys.h"
#include "app/start/MduMain.h"
#include "app/start/ServerSeat.h"
#include "db/DbConnection.h"
#include "ui/MsgBox.h"
#include "ui/gui/InputUtil.h"
#include "ui/gui/MduMainUi.h"
#include "ui/gui/ModalSeam.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {
QPushButton* button(QWidget* owner, const QString& caption, const QString& name)
{
    auto* b = new QPushButton(caption, owner);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}
} // namespace

FrmNTSetup::FrmNTSetup(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmNTSetup"));
    setWindowTitle(QStringLiteral("네트워크 설정"));
    m_server = new QRadioButton(QStringLiteral("서버"), this);
    m_server->setObjectName(QStringLiteral("optCSType_0"));
    m_client = new QRadioButton(QStringLiteral("클라이언트"), this);
    m_client->setObjectName(QStringLiteral("optCSType_1"));
    m_frame = new QGroupBox(this);
    m_frame->setObjectName(QStringLiteral("Frame1"));
    for (int i = 0; i < 3; ++i) {
        m_inputs[i] = new QLineEdit(m_frame);
        m_inputs[i]->setObjectName(QStringLiteral("htInput_%1").arg(i));
    }
    m_inputs[InServerPath]->setToolTip(
        QStringLiteral("데이터베이스 서버: postgresql://서버:포트/데이터베이스 (암호는 ~/.pgpass에)\n"
                       "또는 서버의 공유 폴더: smb://서버/공유이름, 이미 연결된 폴더 경로"));
    m_inputs[InServerPath]->setPlaceholderText(
        QStringLiteral("postgresql://서버:5432/zelkova 또는 공유 폴더"));
    m_inputs[InDrive]->setReadOnly(true);
    m_inputs[InDrive]->setToolTip(QStringLiteral("서버 폴더가 연결된 곳"));
    // One digit: the terminal number is one character of every order number.
    m_inputs[InTerminal]->setMaxLength(1);
    m_inputs[InTerminal]->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]")), m_inputs[InTerminal]));
    m_btnPath = button(m_frame, QStringLiteral("경로설정"), QStringLiteral("btnPath"));
    m_cmdAutoNTDrv = button(m_frame, QStringLiteral("자동연결"), QStringLiteral("cmdAutoNTDrv"));
    auto* help = button(m_frame, QStringLiteral("?"), QStringLiteral("cmdTIDHelp"));
    m_lblCPath = new QLabel(this);
    m_lblCPath->setObjectName(QStringLiteral("lblCPath"));
    auto* save = button(this, QStringLiteral("저장 F2"), QStringLiteral("btnSave"));
    auto* close = button(this, QStringLiteral("닫기 &C"), QStringLiteral("btnClose"));

    auto* grid = new QGridLayout(m_frame);
    grid->addWidget(new QLabel(QStringLiteral("서버 경로/주소:"), m_frame), 0, 0);
    grid->addWidget(m_inputs[InServerPath], 0, 1);
    grid->addWidget(m_btnPath, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("네트웍 Drive:"), m_frame), 1, 0);
    grid->addWidget(m_inputs[InDrive], 1, 1);
    grid->addWidget(m_cmdAutoNTDrv, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("단말기  번호:"), m_frame), 2, 0);
    grid->addWidget(m_inputs[InTerminal], 2, 1);
    grid->addWidget(help, 2, 2);
    auto* types = new QHBoxLayout;
    types->addWidget(m_server);
    types->addWidget(m_client);
    types->addStretch(1);
    auto* path = new QHBoxLayout;
    path->addWidget(new QLabel(QStringLiteral("DB경로:"), this));
    path->addWidget(m_lblCPath, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(save);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(types);
    layout->addWidget(m_frame);
    layout->addLayout(path);
    layout->addLayout(buttons);
    resize(520, sizeHint().height());

    connect(m_server, &QRadioButton::toggled, this, &FrmNTSetup::seatTypeChanged);
    connect(m_inputs[InServerPath], &QLineEdit::textChanged, this, &FrmNTSetup::seatTypeChanged);
    connect(m_btnPath, &QPushButton::clicked, this, &FrmNTSetup::ChooseServerPath);
    connect(m_cmdAutoNTDrv, &QPushButton::clicked, this, &FrmNTSetup::ConnectDrive);
    connect(help, &QPushButton::clicked, this, [] {
        ShowInfo(QStringList{QStringLiteral("                    [단말기 번호 부여]                "),
                             QString(),
                             QStringLiteral("네트워크 버전은 각 컴퓨터마다 고유번호를 부여 해야 합니다."),
                             QStringLiteral("현재 사용중인 컴퓨터에 부여할 번호를 입력하세요."),
                             QStringLiteral("번호의 입력범위는 1 ~ 9 사이 입니다."),
                             QStringLiteral("컴퓨터별로 번호 중복여부는 체크하지 않으므로,"),
                             QStringLiteral("순차적으로 중복되지 않게 부여하세요."), QString(),
                             QStringLiteral("※번호가 중복될 경우 전표처리시 오류가 발생할 수 있으며,"),
                             QStringLiteral(" 그외 예기치 않은 오류가 발생할 수도 있습니다.")}
                     .join(kCrLf));
    });
    connect(save, &QPushButton::clicked, this, &FrmNTSetup::Save);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    CenterForm(this);
    // A server seat shows its address where a share seat shows its share.
    const QString main = Settings::Get(Settings::Key::MainDatabase).trimmed();
    m_inputs[InServerPath]->setText(
        DbConnection::IsServerAddress(main) ? main : Settings::Get(Settings::Key::NetworkPath));
    m_inputs[InDrive]->setText(Settings::Get(Settings::Key::NetworkDrive));
    m_inputs[InTerminal]->setText(Settings::Get(Settings::Key::TerminalId));
    (gCSType != 0 ? m_client : m_server)->setChecked(true);
    seatTypeChanged();
    m_cmdAutoNTDrv->setEnabled(m_inputs[InDrive]->text().isEmpty() && !serverAddressGiven());
    m_lblCPath->setText(DbConnection::IsServerAddress(gMainDBFile) ? gMainDBFile : gDBPath);
}

ScreenEntry FrmNTSetup::Entry()
{
    return ModalScreenEntry(QStringLiteral("FrmNTSetup"), QStringLiteral("네트워크설정"),
                            ScreenGate::Authority, QStringLiteral("mnuFile_NetWork"),
                            [](QWidget* parent) { return new FrmNTSetup(parent); });
}

bool FrmNTSetup::OfferAfterFailedStart()
{
    if (AskYesNo(QStringLiteral("메인 데이터베이스를 열 수 없어 프로그램을 시작하지 못했습니다.") + kCrLf +
                     QStringLiteral(
                         "네트워크 설정에서 데이터베이스의 위치(서버 주소나 공유 폴더)를 고치시겠습니까?"),
                 QStringLiteral("네트워크 설정"), true) != MsgAnswer::Yes)
        return false;
    // No database is open, and the screen writes only this seat's settings: no permission to ask for.
    FrmNTSetup setup;
    return ExecModal(&setup) == QDialog::Accepted;
}

bool FrmNTSetup::serverAddressGiven() const
{
    return DbConnection::IsServerAddress(m_inputs[InServerPath]->text());
}

void FrmNTSetup::seatTypeChanged()
{
    const bool client = m_client->isChecked();
    m_frame->setEnabled(client);
    for (QLineEdit* input : m_inputs)
        input->setEnabled(client);
    // A database server is reached by its address: there is no drive to connect.
    const bool server = serverAddressGiven();
    m_inputs[InDrive]->setEnabled(client && !server);
    m_cmdAutoNTDrv->setEnabled(!server && m_inputs[InDrive]->text().isEmpty());
}

void FrmNTSetup::ChooseServerPath()
{
    QFileDialog dialog(this, QStringLiteral("서버 경로 설정(서버내『젤코바』폴더를 선택하세요.)"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    const bool chosen = ExecModal(&dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    m_inputs[InServerPath]->setText(chosen ? dialog.selectedFiles().first() : QString());
    // A new path needs a new connection.
    m_inputs[InDrive]->clear();
    m_cmdAutoNTDrv->setEnabled(true);
}

void FrmNTSetup::ConnectDrive()
{
    const QString path = m_inputs[InServerPath]->text().trimmed();
    if (serverAddressGiven())
        return;
    if (path.isEmpty()) {
        ShowInfo(QStringLiteral("서버경로를 먼저 설정하세요."));
        return;
    }
    const QString drive = ConnectNetDrive(path, QString());
    if (drive.isEmpty()) {
        MyFloatMsg(QStringLiteral("드라이브 연결이 실패되었습니다."), 500);
        return;
    }
    MyFloatMsg(drive + QStringLiteral(" 폴더로 네트워크 드라이브 연결이 되었습니다."), 500);
    m_inputs[InDrive]->setText(drive);
    m_cmdAutoNTDrv->setEnabled(false);
}

bool FrmNTSetup::serverReachable()
{
    DbConnection conn;
    ErrInfo error;
    if (!conn.open(m_inputs[InServerPath]->text().trimmed(), true, &error)) {
        ShowWarning(error.description + kCrLf + kCrLf + QStringLiteral("설정을 저장하지 않았습니다."),
                    QStringLiteral("서버 연결 오류"));
        m_inputs[InServerPath]->setFocus();
        return false;
    }
    conn.close();
    return true;
}

bool FrmNTSetup::Save()
{
    const bool server = m_client->isChecked() && serverAddressGiven();
    if (m_client->isChecked()) {
        if (CheckRequired(m_inputs[InServerPath], QStringLiteral("서버경로")) ||
            (!server && CheckRequired(m_inputs[InDrive], QStringLiteral("네트웍 Drive"))) ||
            CheckRequired(m_inputs[InTerminal], QStringLiteral("단말기 번호"), true))
            return false;
        const QString terminal = m_inputs[InTerminal]->text();
        if (terminal.size() != 1 || terminal < QLatin1String("1") || terminal > QLatin1String("9")) {
            ShowInfo(QStringLiteral("단말기 번호는 1에서 9 사이의 숫자 하나로 입력하세요."));
            m_inputs[InTerminal]->setFocus();
            return false;
        }
        if (server && !serverReachable())
            return false;
        // The share is checked as the next start will check it: a seat must not lock itself out.
        if (!server && !CheckClientDatabase(
                           AppPaths::ResolveCaseInsensitive(m_inputs[InDrive]->text(), QStringLiteral("DBS")),
                           ShowFound())) {
            m_inputs[InServerPath]->setFocus();
            return false;
        }
        Settings::Save(Settings::Key::NetworkPath, server ? QString() : m_inputs[InServerPath]->text());
        Settings::Save(Settings::Key::NetworkDrive, server ? QString() : m_inputs[InDrive]->text());
        Settings::Save(Settings::Key::TerminalId, terminal);
        if (server)
            SaveServerAddress(m_inputs[InServerPath]->text());
        else
            SetDBPath(AppPaths::ResolveCaseInsensitive(m_inputs[InDrive]->text(), QStringLiteral("DBS")));
    } else {
        SetDBPath(AppPaths::ProgramPath(QStringLiteral("DBS")));
    }
    gCSType = m_client->isChecked() ? 1 : 0;
    Settings::Save(Settings::Key::CsType, QString::number(gCSType));
    MyFloatMsg(QStringLiteral("설정이 저장되었습니다."), 500);
    ShowInfo(QStringLiteral("설정이 저장되었습니다.") + kCrLf +
             QStringLiteral("프로그램을 다시 시작해야 정상적으로 적용됩니다.") + kCrLf + kCrLf +
             QStringLiteral("프로그램을 종료후 다시 시작하세요."));
    accept();
    return true;
}

void FrmNTSetup::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier)
        Save();
    else
        QDialog::keyPressEvent(event);
}
