#include "order/gui/FrmSeeIDStanbyList.h"

#include "app/AppPaths.h"
#include "app/Clock.h"
#include "app/SettingKeys.h"
#include "ui/MsgBox.h"
#include "ui/gui/InputUtil.h"
#include "ui/gui/KeyboardShy.h"
#include "ui/gui/modFormIni.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

const QString FrmSeeIDStanbyList::kSettingX = Settings::Name(Settings::Key::StandbyX);
const QString FrmSeeIDStanbyList::kSettingY = Settings::Name(Settings::Key::StandbyY);

namespace {
// A stored position in twips; anything unusable (a word, inf, 1e308) reads as "none stored".
double settingNumber(Settings::Key key)
{
    return double(Settings::Number(key));
}
} // namespace

FrmSeeIDStanbyList::FrmSeeIDStanbyList(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FrmSeeIDStanbyList"));
    setWindowTitle(QStringLiteral("수신전화 처리대기"));
    // A queued call must not pull the cursor away from the order the operator is typing, neither when it
    // shows nor when a question box closes and the window manager looks for a window to activate: the
    // window is worked with the mouse only.
    new KeyboardShy(this);
    resize(300, 320);

    m_pnlTitle = new QLabel(QStringLiteral("수신전화 처리대기 목록"), this);
    m_pnlTitle->setObjectName(QStringLiteral("pnlTitle"));
    m_pnlTitle->setAlignment(Qt::AlignCenter);
    m_pnlTitle->setFrameShape(QFrame::Panel);
    m_pnlTitle->setFrameShadow(QFrame::Sunken);
    m_pnlTitle->setMinimumHeight(24);

    m_List1 = new QListWidget(this);
    m_List1->setObjectName(QStringLiteral("List1"));
    m_List1->setSelectionMode(QAbstractItemView::ExtendedSelection);

    auto makeButton = [this](const QString& name, const QString& caption) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(name);
        button->setAutoDefault(false);
        return button;
    };
    m_btnDel = makeButton(QStringLiteral("btnDel"), QStringLiteral("삭제(&E)"));
    m_btnAllDel = makeButton(QStringLiteral("btnAllDel"), QStringLiteral("전체삭제(&A)"));
    m_btnAllList = makeButton(QStringLiteral("btnAllList"), QStringLiteral("전체수신List"));
    m_cmdHelp = makeButton(QStringLiteral("cmdHelp"), QStringLiteral("?"));
    m_Command1 = makeButton(QStringLiteral("Command1"), QStringLiteral("T"));
    m_cmdHelp->setFixedWidth(28);
    m_Command1->setFixedWidth(28);
    connect(m_btnDel, &QPushButton::clicked, this, &FrmSeeIDStanbyList::btnDel_Click);
    connect(m_btnAllDel, &QPushButton::clicked, this, &FrmSeeIDStanbyList::btnAllDel_Click);
    connect(m_btnAllList, &QPushButton::clicked, this, &FrmSeeIDStanbyList::allListRequested);
    connect(m_cmdHelp, &QPushButton::clicked, this, &FrmSeeIDStanbyList::cmdHelp_Click);
    connect(m_Command1, &QPushButton::clicked, this, &FrmSeeIDStanbyList::Command1_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_btnDel);
    buttons->addWidget(m_btnAllDel);
    buttons->addWidget(m_btnAllList);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdHelp);
    buttons->addWidget(m_Command1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_pnlTitle);
    layout->addWidget(m_List1, 1);
    layout->addLayout(buttons);

    if (QFileInfo::exists(FormIniFile(ScreenName(this)))) {
        LoadFormIni(this);
    } else {
        const double x = settingNumber(Settings::Key::StandbyX);
        const double y = settingNumber(Settings::Key::StandbyY);
        if (x > 0 && y > 0) {
            const double tpp = TwipsPerPixel(this);
            move(int(std::lround(x / tpp)), int(std::lround(y / tpp)));
        }
    }

    m_helpPath = AppPaths::ProgramPath(QStringLiteral("doc/발신번호안내.txt"));
    if (!QFileInfo::exists(m_helpPath))
        m_cmdHelp->hide();
}

FrmSeeIDStanbyList::~FrmSeeIDStanbyList()
{
    // Closed down together with other screens while still on screen: keep the place.
    SavePosition();
}

QString FrmSeeIDStanbyList::ItemText(const QString& number, const QDateTime& when)
{
    return number + QStringLiteral(" [") + QLocale(QLocale::Korean).toString(when, QLocale::ShortFormat) +
           QStringLiteral("]");
}

void FrmSeeIDStanbyList::AddNumber(const QString& number)
{
    const QString trimmed = number.trimmed();
    // An entry without a number would read as an empty queue when taken.
    if (trimmed.isEmpty())
        return;
    m_List1->addItem(ItemText(trimmed, Clock::Now()));
    bringUp();
}

QString FrmSeeIDStanbyList::PopNumber()
{
    if (m_List1->count() == 0)
        return {};
    QListWidgetItem* first = m_List1->takeItem(0);
    const QString text = first->text();
    delete first;
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    if (m_List1->count() == 0)
        hideKeepingPlace();
    return blank < 0 ? text : text.left(blank);
}

int FrmSeeIDStanbyList::Count() const
{
    return m_List1->count();
}

QStringList FrmSeeIDStanbyList::Items() const
{
    QStringList items;
    for (int i = 0; i < m_List1->count(); ++i)
        items.append(m_List1->item(i)->text());
    return items;
}

void FrmSeeIDStanbyList::SavePosition()
{
    SaveFormIni(this);
}

void FrmSeeIDStanbyList::hideKeepingPlace()
{
    // A hidden window has no place to save: the layout is written while it is still up.
    SavePosition();
    hide();
}

void FrmSeeIDStanbyList::btnDel_Click()
{
    const QList<QListWidgetItem*> selected = m_List1->selectedItems();
    if (selected.isEmpty()) {
        ShowInfo(QStringLiteral("삭제할 항목을 선택해 주세요."));
        return;
    }
    for (QListWidgetItem* item : selected)
        delete item;
}

void FrmSeeIDStanbyList::btnAllDel_Click()
{
    m_List1->clear();
}

void FrmSeeIDStanbyList::cmdHelp_Click()
{
    if (!QFileInfo::exists(m_helpPath)) {
        ShowInfo(QStringLiteral("도움말 파일을 찾을 수 없습니다.") + kCrLf + m_helpPath);
        return;
    }
    ShellOpen(this, m_helpPath);
}

void FrmSeeIDStanbyList::Command1_Click()
{
    const QString answer =
        InputBox(QStringLiteral("string"), QStringLiteral("test"), QStringLiteral("0111234567"));
    // A cancelled box answers "", which is no number.
    if (answer.isEmpty())
        return;
    m_List1->addItem(answer);
}

void FrmSeeIDStanbyList::closeEvent(QCloseEvent* event)
{
    if (isVisible()) {
        hideKeepingPlace();
        event->ignore();
        return;
    }
    event->accept();
}

void FrmSeeIDStanbyList::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
}

void FrmSeeIDStanbyList::bringUp()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    if (!isVisible())
        show();
}
