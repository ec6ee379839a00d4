#include "app/gui/FrmFirstStart.h"

#include "app/AppPaths.h"
#include "db/DbConnection.h"
#include "ui/MsgBox.h"
#include "ui/gui/MduMainUi.h"
#include "ui/gui/ModalSeam.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

FrmFirstStart::FrmFirstStart(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmFirstStart"));
    setWindowTitle(AppTitle() + QStringLiteral(" - 처음 시작"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* intro =
        new QLabel(QStringLiteral("프로그램 폴더가 아직 없습니다.\n%1\n\n이 폴더를 어떻게 만들지 고르세요.")
                       .arg(AppPaths::ProgramFolder()),
                   this);
    intro->setTextInteractionFlags(Qt::TextSelectableByMouse);

    const QString captions[3] = {
        QStringLiteral("연습용 자료로 시작 (예제 가맹점, 고객, 주문이 들어 있습니다)"),
        QStringLiteral("빈 자료로 새로 시작 (실제 영업을 처음부터 입력합니다)"),
        QStringLiteral("서버 데이터베이스에 연결 (여러 자리가 함께 쓰는 PostgreSQL 서버)"),
    };
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        m_kinds[i] = new QRadioButton(captions[i], this);
        m_kinds[i]->setObjectName(QStringLiteral("optKind_%1").arg(i));
        group->addButton(m_kinds[i], i);
    }
    m_kinds[int(FirstStart::Kind::Demo)]->setChecked(true);

    m_server = new QLineEdit(this);
    m_server->setObjectName(QStringLiteral("txtServer"));
    m_server->setPlaceholderText(QStringLiteral("postgresql://서버이름:5432/zelkova"));
    m_terminal = new QLineEdit(this);
    m_terminal->setObjectName(QStringLiteral("txtTerminal"));
    m_terminal->setMaxLength(1);
    m_terminal->setMaximumWidth(60);
    m_terminal->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[1-9]")), m_terminal));
    m_serverHelp =
        new QLabel(QStringLiteral("단말기 번호는 같은 서버를 쓰는 자리마다 다르게 1~9로 줍니다.\n"
                                  "서버의 비밀번호는 주소에 넣지 말고 사용자의 .pgpass 파일에 둡니다."),
                   this);
    auto* serverForm = new QFormLayout;
    serverForm->setContentsMargins(24, 0, 0, 0);
    serverForm->addRow(QStringLiteral("서버 주소:"), m_server);
    serverForm->addRow(QStringLiteral("단말기 번호:"), m_terminal);
    serverForm->addRow(m_serverHelp);

    auto* buttons = new QDialogButtonBox(this);
    auto* start = buttons->addButton(QStringLiteral("시작"), QDialogButtonBox::AcceptRole);
    start->setObjectName(QStringLiteral("cmdStart"));
    start->setDefault(true);
    auto* cancel = buttons->addButton(QStringLiteral("끝내기"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    cancel->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    for (QRadioButton* kind : m_kinds)
        layout->addWidget(kind);
    layout->addLayout(serverForm);
    layout->addSpacing(8);
    layout->addWidget(buttons);

    connect(group, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            kindChanged();
    });
    connect(start, &QPushButton::clicked, this, &FrmFirstStart::Start);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    kindChanged();
    resize(560, sizeHint().height());
    CenterForm(this);
    m_kinds[0]->setFocus();
}

bool FrmFirstStart::Offer(QString* made)
{
    FrmFirstStart dialog;
    if (ExecModal(&dialog) != QDialog::Accepted)
        return false;
    if (made)
        *made = FirstStart::Describe(dialog.Chosen());
    return true;
}

FirstStart::Request FrmFirstStart::Chosen() const
{
    FirstStart::Request r;
    for (int i = 0; i < 3; ++i)
        if (m_kinds[i]->isChecked())
            r.kind = FirstStart::Kind(i);
    if (r.kind == FirstStart::Kind::Server) {
        r.serverAddress = m_server->text().trimmed();
        r.terminal = m_terminal->text().trimmed();
    }
    return r;
}

void FrmFirstStart::kindChanged()
{
    const bool server = m_kinds[int(FirstStart::Kind::Server)]->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(m_server), static_cast<QWidget*>(m_terminal),
                       static_cast<QWidget*>(m_serverHelp)})
        w->setEnabled(server);
}

bool FrmFirstStart::Start()
{
    const FirstStart::Request request = Chosen();
    if (const QString problem = FirstStart::Check(request); !problem.isEmpty()) {
        ShowInfo(problem);
        FirstStart::Request addressOnly = request;
        addressOnly.terminal = QStringLiteral("1");
        (FirstStart::Check(addressOnly).isEmpty() ? m_terminal : m_server)->setFocus();
        return false;
    }
    // A server that cannot be reached now would only stop the start after the folder was made.
    if (request.kind == FirstStart::Kind::Server) {
        DbConnection conn;
        ErrInfo error;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool reached = conn.open(request.serverAddress, true, &error);
        QApplication::restoreOverrideCursor();
        if (!reached) {
            ShowWarning(error.description + QStringLiteral("\n\n프로그램 폴더를 만들지 않았습니다."),
                        QStringLiteral("서버 연결 오류"));
            m_server->setFocus();
            return false;
        }
        conn.close();
    }
    // Nothing else may happen meanwhile: the window blocks the question and shows each step.
    QProgressDialog progress(QStringLiteral("프로그램 폴더를 만드는 중"), QString(), 0, 100, this);
    progress.setObjectName(QStringLiteral("FirstStartProgress"));
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setCancelButton(nullptr);
    progress.setMinimumDuration(0);
    progress.setMinimumWidth(380);
    progress.setValue(0);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString error;
    const bool made = FirstStart::Create(
        request,
        [&progress](int percent, const QString& step) {
            progress.setLabelText(step);
            progress.setValue(std::clamp(percent, 0, 100));
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        },
        &error);
    QApplication::restoreOverrideCursor();
    progress.close();
    if (!made) {
        ShowWarning(QStringLiteral("프로그램 폴더를 만들지 못했습니다.\n") + error,
                    QStringLiteral("처음 시작"));
        return false;
    }
    accept();
    return true;
}
