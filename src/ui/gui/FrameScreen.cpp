#include "ui/gui/FrameScreen.h"

#include "ui/gui/GridExport.h"
#include "ui/gui/GridPrinter.h"
#include "ui/gui/OthersRefresh.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modFormIni.h"
#include "ui/gui/modSpread60.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <utility>

FrameScreen::FrameScreen(QWidget* parent) : QWidget(parent, Qt::Window)
{
    auto* bar = new QMenuBar(this);
    m_mnutool = bar->addMenu(QStringLiteral("도구(&T)"));
    m_mnutool->setObjectName(QStringLiteral("mnutool"));
    QAction* print = m_mnutool->addAction(QStringLiteral("인쇄"));
    print->setObjectName(QStringLiteral("mnutool_print"));
    connect(print, &QAction::triggered, this, [this] { PrintList(); });
    QAction* excel = m_mnutool->addAction(QStringLiteral("엑셀"));
    excel->setObjectName(QStringLiteral("mnutool_excel"));
    connect(excel, &QAction::triggered, this, [this] { ExportList(); });

    m_frameLayout = new QVBoxLayout(this);
    m_frameLayout->setMenuBar(bar);
}

FrameScreen::~FrameScreen() = default;

ScreenEntry FrameScreen::CatalogueEntry(const QString& name, const QString& description,
                                        const QString& menuEntry, std::function<FrameScreen*()> create)
{
    ScreenEntry entry;
    entry.name = name;
    entry.description = description;
    entry.modality = ScreenModality::Modeless;
    entry.gate = ScreenGate::Authority;
    entry.menuEntry = menuEntry;
    entry.create = [create = std::move(create)](QWidget*) -> QWidget* { return create(); };
    return entry;
}

QPushButton* FrameScreen::MakeButton(QWidget* owner, const QString& caption, const QString& objectName)
{
    auto* button = new QPushButton(caption, owner);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}

QPushButton* FrameScreen::MakeCloseButton()
{
    QPushButton* button = MakeButton(this, QStringLiteral("닫기 &C"), QStringLiteral("btnClose"));
    connect(button, &QPushButton::clicked, this, &QWidget::close);
    return button;
}

void FrameScreen::AddKey(const QKeySequence& key, const std::function<void()>& action)
{
    auto* shortcut = new QShortcut(key, this);
    connect(shortcut, &QShortcut::activated, this, action);
}

void FrameScreen::PrintList()
{
    gGridPrinter->PrintSpread(ListGrid(), windowTitle(), PrintTitle(), QString(), 2, 0.5, 0.5, 0.5, 0.5);
}

void FrameScreen::ExportList()
{
    ExportGrid(ListGrid(), QStringLiteral("Sheet1"), true);
}

void FrameScreen::FinishLayout(std::initializer_list<SpreadGrid*> grids)
{
    LoadFormIni(this);
    for (SpreadGrid* grid : grids) {
        WatchColWidths(this, grid);
        ConnectGridMenu(this, grid);
    }
    m_openedGeometry = geometry();
}

void FrameScreen::closeEvent(QCloseEvent* event)
{
    // An unchanged placement leaves the layout file as the operator last arranged it.
    if (geometry() != m_openedGeometry)
        SaveFormIni(this);
    QWidget::closeEvent(event);
}

void FrameScreen::FollowOthers(const QStringList& tables,
                               std::function<void(const QList<ChangeFeed::Change>&)> take)
{
    m_followed = tables;
    m_take = std::move(take);
    if (m_others)
        return;
    m_others = new OthersRefresh(
        this, [this] { return OthersMustWait() || QApplication::activeModalWidget() != nullptr; },
        [this] {
            const QList<ChangeFeed::Change> changes = std::exchange(m_pending, {});
            if (!changes.isEmpty())
                m_take(changes);
        });
    auto heard = [this](const QList<ChangeFeed::Change>& changes) {
        bool wanted = false;
        for (const ChangeFeed::Change& c : changes) {
            if (m_followed.contains(c.table)) {
                m_pending << c;
                wanted = true;
            }
        }
        if (wanted)
            m_others->Request();
    };
    connect(&MainChangeFeed(), &ChangeFeed::changed, this, heard);
    // After a gap (a reconnect, a log pruned past what was read) every followed table counts as changed.
    connect(&MainChangeFeed(), &ChangeFeed::resync, this, [this, heard] {
        QList<ChangeFeed::Change> all;
        for (const QString& t : m_followed)
            all << ChangeFeed::Change{t, QString()};
        heard(all);
    });
}
