#include "order/gui/FrmMain.h"

#include "order/gui/FrmMainColumns.h"

#include "admin/gui/modBackUp.h"
#include "admin/gui/modGoURL.h"
#include "app/AppLog.h"
#include "app/AppPaths.h"
#include "app/Clock.h"
#include "app/Globals.h"
#include "app/SettingKeys.h"
#include "app/UserSettings.h"
#include "db/DbConnection.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"
#include "db/modMain_SQL.h"
#include "masters/gui/CustomerPanel.h"
#include "masters/gui/InfoPanel.h"
#include "masters/gui/Pick.h"
#include "masters/gui/StorePanel.h"
#include "order/OrderReads.h"
#include "order/SeeIdPort.h"
#include "order/gui/HistoryPanel.h"
#include "order/gui/modSeeID.h"
#include "reports/MduReportDB.h"
#include "ui/MsgBox.h"
#include "ui/TextUtil.h"
#include "ui/gui/ChangedRows.h"
#include "ui/gui/FitScrollArea.h"
#include "ui/gui/InputUtil.h"
#include "ui/gui/MduMainUi.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/OthersRefresh.h"
#include "ui/gui/ScreenCatalogue.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modFormIni.h"
#include "ui/gui/modSpread60.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

using namespace FrmMainCols;

namespace {
FrmMain* g_instance = nullptr;

const QString kForm = QStringLiteral("FrmMain");
// The order list as the day's read sorts it: by date, time and number, the entry row last.
const SortedListLayout kListLayout{{{mDate}, {mTime}, {mOrderNo}}, true};
// Past this many orders changed at once (a day's import, a restore) the whole day is read again.
constexpr int kMostOrdersReadAlone = 50;

// The list's cells of each order read (고객코드 … 통보시간, in column order).
QList<QVariantList> listRows(const Recordset& rs)
{
    const int f[8] = {
        rs.fieldIndex(QStringLiteral("고객코드")),   rs.fieldIndex(QStringLiteral("주문시전화")),
        rs.fieldIndex(QStringLiteral("가맹점코드")), rs.fieldIndex(QStringLiteral("상호")),
        rs.fieldIndex(QStringLiteral("주문번호")),   rs.fieldIndex(QStringLiteral("주문일자")),
        rs.fieldIndex(QStringLiteral("주문시간")),   rs.fieldIndex(QStringLiteral("통보시간"))};
    QList<QVariantList> rows;
    rows.reserve(rs.rows().size());
    for (const QVariantList& rec : rs.rows()) {
        QVariantList row;
        row.reserve(8);
        for (int i : f)
            row.append(i >= 0 ? QVariant(NullToStr(rec.at(i))) : QVariant());
        rows.append(std::move(row));
    }
    return rows;
}

QLabel* caption(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

QPixmap drawLogo(const QSize& size)
{
    QPixmap pm(size);
    pm.fill(QColor(248, 250, 246));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const int h = size.height();
    p.setBrush(QColor(110, 84, 60));
    p.drawRect(h / 2 - h / 16, h / 2, h / 8, h * 3 / 8);
    p.setBrush(QColor(74, 124, 89));
    p.drawEllipse(QRect(h / 8, h / 8, h * 3 / 4, h * 9 / 16));
    p.setPen(QColor(53, 80, 122));
    QFont f = p.font();
    f.setBold(true);
    f.setPointSize(15);
    p.setFont(f);
    p.drawText(QRect(h, 0, size.width() - h, h), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("느티나무\n주문 콜센터"));
    return pm;
}
} // namespace

FrmMain* FrmMain::Instance()
{
    return g_instance;
}

FrmMain::FrmMain(QWidget* parent) : QMainWindow(parent)
{
    g_instance = this;
    setObjectName(kForm);
    setAttribute(Qt::WA_DeleteOnClose, false);
    buildUi();
    buildMenus();
    // Other seats' orders, passes-on, payments and services show up without F5.
    m_others = new OthersRefresh(
        this, [this] { return entryInProgress(); }, [this] { refreshForOthers(); });
    connect(&MainChangeFeed(), &ChangeFeed::changed, this, &FrmMain::OthersChanged);
    connect(&MainChangeFeed(), &ChangeFeed::resync, this, [this] {
        OthersChanged({{QStringLiteral("주문"), {}},
                       {QStringLiteral("가맹점"), m_store->Code()},
                       {QStringLiteral("고객"), m_customer->Code()}});
    });
    // Form_Load
    CenterForm(this, false, 15600, 10800);
    setWindowTitle(Caption());
    htFilter[0]->clear();
    htFilter[1]->clear();
    layoutGrids();
    ClearCustomer();
    ClearStore();
    pnlUserName->setText(GetCompanyName());
    LoadFormIni(this);
    m_startGeometry = geometry();
    showNotice();
    openPorts();
    RefreshList();
}

FrmMain::~FrmMain()
{
    closePorts();
    if (g_instance == this)
        g_instance = nullptr;
}

QString FrmMain::CentreName() const
{
    return pnlUserName->text();
}

QString FrmMain::Caption() const
{
    return QStringLiteral("테스Soft - ") + AppTitle() + QStringLiteral(" v") +
           QString::number(ZELKOVA_VERSION_MAJOR) + QLatin1Char('.') +
           QStringLiteral("%1").arg(ZELKOVA_VERSION_MINOR, 2, 10, QLatin1Char('0')) + QLatin1Char('.') +
           QString::number(ZELKOVA_VERSION_PATCH) + QStringLiteral(" 홈페이지 - ") + modGoURL::kHomePage +
           QStringLiteral(" 『 DB: ") + (DbConnection::IsServerAddress(gMainDBFile) ? gMainDBFile : gDBPath) +
           QStringLiteral(" 』");
}

void FrmMain::buildUi()
{
    auto* central = new QWidget(this);
    setCentralWidget(central);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->setSpacing(4);

    // Top panel: filters, refresh, company name.
    pnlTop = new QFrame(central);
    pnlTop->setObjectName(QStringLiteral("pnlTop"));
    static_cast<QFrame*>(pnlTop)->setFrameShape(QFrame::StyledPanel);
    auto* top = new QHBoxLayout(pnlTop);
    top->setContentsMargins(6, 4, 6, 4);
    const char* filterLabels[2] = {"주문번호:", "고객검색:"};
    for (int i = 0; i < 2; ++i) {
        top->addWidget(caption(QString::fromUtf8(filterLabels[i]), pnlTop));
        htFilter[i] = new QLineEdit(pnlTop);
        htFilter[i]->setObjectName(QStringLiteral("htFilter_%1").arg(i));
        htFilter[i]->setMaximumWidth(150);
        top->addWidget(htFilter[i]);
        connect(htFilter[i], &QLineEdit::returnPressed, this, [this, i] { htFilter_Return(i); });
    }
    connect(htFilter[1], &QLineEdit::textEdited, this, [this](const QString& text) {
        m_filterEdited = true;
        if (text.isEmpty())
            m_filterCustCode.clear();
    });
    btnRefresh = new QPushButton(QStringLiteral("새로고침 F5"), pnlTop);
    btnRefresh->setObjectName(QStringLiteral("btnRefresh"));
    btnRefresh->setFocusPolicy(Qt::NoFocus);
    connect(btnRefresh, &QPushButton::clicked, this, &FrmMain::RefreshList);
    top->addWidget(btnRefresh);
    top->addWidget(caption(QStringLiteral("『 F4 : 삭제 』"), pnlTop));
    top->addStretch(1);
    pnlUserName = new QLabel(pnlTop);
    pnlUserName->setObjectName(QStringLiteral("pnlUserName"));
    QFont nameFont = pnlUserName->font();
    nameFont.setBold(true);
    nameFont.setPointSize(nameFont.pointSize() + 3);
    pnlUserName->setFont(nameFont);
    pnlUserName->setStyleSheet(QStringLiteral("QLabel { color: #35507a; padding: 0 8px; }"));
    top->addWidget(pnlUserName);
    outer->addWidget(pnlTop);

    auto* body = new QHBoxLayout;
    body->setSpacing(4);
    outer->addLayout(body, 1);

    // Left panel: customer block, store block, buttons, caller-ID display, shortcuts, notice.
    pnlLeft = new QFrame(central);
    pnlLeft->setObjectName(QStringLiteral("pnlLeft"));
    pnlLeft->setFixedWidth(300);
    auto* leftColumn = new QVBoxLayout(pnlLeft);
    leftColumn->setContentsMargins(0, 0, 0, 0);
    leftColumn->setSpacing(2);
    // On a small screen the two information blocks scroll; the buttons under them stay in reach.
    auto* infoArea = new FitScrollArea(pnlLeft);
    auto* info = new QWidget(infoArea);
    auto* blocks = new QVBoxLayout(info);
    blocks->setContentsMargins(4, 4, 4, 4);
    blocks->setSpacing(2);
    m_customer = new CustomerPanel(info);
    m_store = new StorePanel(InfoPanel::Style::Column, info);
    // The values of both blocks stand in one column.
    const int captionWidth = std::max(m_customer->CaptionWidth(), m_store->CaptionWidth());
    m_customer->SetCaptionWidth(captionWidth);
    m_store->SetCaptionWidth(captionWidth);
    blocks->addWidget(m_customer);
    blocks->addWidget(m_store);
    infoArea->setWidget(info);
    leftColumn->addWidget(infoArea);

    auto* controls = new QWidget(pnlLeft);
    auto* left = new QGridLayout(controls);
    left->setContentsMargins(4, 0, 4, 4);
    left->setHorizontalSpacing(4);
    left->setVerticalSpacing(2);
    int r = 0;
    auto* buttons = new QHBoxLayout;
    cmdAutoDial = new QPushButton(QStringLiteral("☎ 전화걸기(&T)"), pnlLeft);
    cmdAutoDial->setObjectName(QStringLiteral("cmdAutoDial"));
    connect(cmdAutoDial, &QPushButton::clicked, this, &FrmMain::cmdAutoDial_Click);
    connect(m_store, &StorePanel::storeShown, this,
            [this] { cmdAutoDial->setEnabled(!m_store->DialNumber().isEmpty()); });
    cmdFinish = new QPushButton(QStringLiteral("◈ 접수완료(&M)"), pnlLeft);
    cmdFinish->setObjectName(QStringLiteral("cmdFinish"));
    buttons->addWidget(cmdAutoDial);
    buttons->addWidget(cmdFinish);
    left->addLayout(buttons, r++, 0, 1, 2);

    auto* seeIdRow = new QHBoxLayout;
    seeIdRow->addWidget(caption(QStringLiteral("(SEE ID)"), pnlLeft));
    pnlSeeIDDisp = InfoPanel::ValuePanel(InfoPanel::Style::Column, QStringLiteral("pnlSeeIDDisp"), pnlLeft);
    pnlSeeIDDisp->setStyleSheet(
        QStringLiteral("QLabel { background: #10202c; color: #7cf29a; font-weight: bold; padding: 0 6px; }"));
    pnlSeeIDDisp->setMinimumHeight(28);
    seeIdRow->addWidget(pnlSeeIDDisp, 1);
    left->addLayout(seeIdRow, r++, 0, 1, 2);
    // The dialling countdown shows right under the caller-ID display.
    pnlAutoDialingmsg = new QLabel(pnlLeft);
    pnlAutoDialingmsg->setObjectName(QStringLiteral("pnlAutoDialingmsg"));
    pnlAutoDialingmsg->setAlignment(Qt::AlignCenter);
    pnlAutoDialingmsg->setMinimumHeight(26);
    pnlAutoDialingmsg->setStyleSheet(QStringLiteral(
        "QLabel { background: #fff4c2; color: #a0261c; font-weight: bold; border: 1px solid #e0b040; }"));
    pnlAutoDialingmsg->setVisible(false);
    left->addWidget(pnlAutoDialingmsg, r++, 0, 1, 2);

    const char* shortcuts[5] = {"가맹점 관리", "고객 관리", "서 비 스", "접수 관리 F9", "입금 관리"};
    auto* shortcutGrid = new QGridLayout;
    shortcutGrid->setSpacing(3);
    for (int i = 0; i < 5; ++i) {
        btnShortCut[i] = new QPushButton(QString::fromUtf8(shortcuts[i]), pnlLeft);
        btnShortCut[i]->setObjectName(QStringLiteral("btnShortCut_%1").arg(i));
        btnShortCut[i]->setFocusPolicy(Qt::NoFocus);
        btnShortCut[i]->setMinimumHeight(30);
        shortcutGrid->addWidget(btnShortCut[i], i / 3, i % 3);
    }
    btnExit = new QPushButton(QStringLiteral("종 료"), pnlLeft);
    btnExit->setObjectName(QStringLiteral("btnExit"));
    btnExit->setFocusPolicy(Qt::NoFocus);
    btnExit->setMinimumHeight(30);
    connect(btnExit, &QPushButton::clicked, this, &QWidget::close);
    shortcutGrid->addWidget(btnExit, 1, 2);
    left->addLayout(shortcutGrid, r++, 0, 1, 2);
    left->setColumnStretch(1, 1);
    leftColumn->addWidget(controls);
    // The caller's history gives up its height before the two information blocks do: they are what the
    // operator reads on every call, the history a help beside them.
    auto* historyArea = new FitScrollArea(pnlLeft);
    m_history = new HistoryPanel(historyArea);
    historyArea->setWidget(m_history);
    historyArea->setFocusPolicy(Qt::NoFocus);
    leftColumn->addWidget(historyArea);
    m_historyArea = historyArea;
    m_infoArea = infoArea;
    m_leftControls = controls;
    pnlLeft->installEventFilter(this);

    // The notice takes what height is left and is the first to give it up.
    WebBrowser = new QTextBrowser(pnlLeft);
    WebBrowser->setObjectName(QStringLiteral("WebBrowser"));
    WebBrowser->setOpenExternalLinks(true);
    WebBrowser->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
    picLogo = new QLabel(pnlLeft);
    picLogo->setObjectName(QStringLiteral("picLogo"));
    picLogo->setAlignment(Qt::AlignCenter);
    picLogo->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
    picLogo->setVisible(false);
    leftColumn->addWidget(WebBrowser, 1);
    leftColumn->addWidget(picLogo, 1);
    body->addWidget(pnlLeft);

    // List panel: order headers, lines, totals.
    pnlList = new QWidget(central);
    pnlList->setObjectName(QStringLiteral("pnlList"));
    auto* list = new QVBoxLayout(pnlList);
    list->setContentsMargins(0, 0, 0, 0);
    list->setSpacing(2);
    spMList = new SpreadGrid(pnlList);
    spMList->setObjectName(QStringLiteral("spMList"));
    spDList = new SpreadGrid(pnlList);
    spDList->setObjectName(QStringLiteral("spDList"));
    spDList->setFixedHeight(210);
    spTotal = new SpreadGrid(pnlList);
    spTotal->setObjectName(QStringLiteral("spTotal"));
    spTotal->setFixedHeight(26);
    list->addWidget(spMList, 1);
    list->addWidget(spDList);
    list->addWidget(spTotal);
    body->addWidget(pnlList, 1);

    // The keyboard lands on a grid's view or cell editor, never on the grid itself: the input language
    // follows the focus as the operator sees it.
    connect(qApp, &QApplication::focusChanged, this, &FrmMain::followInputLanguage);
    connect(spMList, &SpreadGrid::LeaveCell, this, &FrmMain::spMList_LeaveCell);
    connect(spDList, &SpreadGrid::FormulaChange, this, &FrmMain::spDList_FormulaChange);
    connect(spMList, &SpreadGrid::EditMode, this, &FrmMain::spMList_EditMode);
    connect(spDList, &SpreadGrid::EditMode, this, &FrmMain::spDList_EditMode);
    connect(spMList, &SpreadGrid::KeyDown, this, &FrmMain::spMList_KeyDown);
    connect(spDList, &SpreadGrid::KeyDown, this, &FrmMain::spDList_KeyDown);
    ConnectGridMenu(this, spMList);
    ConnectGridMenu(this, spDList);
    WatchColWidths(this, spMList);
    WatchColWidths(this, spDList);

    timerHook = new QTimer(this);
    timerHook->setObjectName(QStringLiteral("timerHook"));
    timerHook->setInterval(AutoDialer::kTickMs);
    wireCallerId();
    wireRepeat();

    // Keep the window at least 5000 × 5000 twips.
    const int minPx = int(5000 / TwipsPerPixel(this));
    setMinimumSize(qMax(minPx, 640), qMax(minPx, 480));
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == pnlLeft && event->type() == QEvent::Resize)
        fitHistory();
    return QMainWindow::eventFilter(watched, event);
}

void FrmMain::fitHistory()
{
    // What the two blocks and the buttons leave; the history keeps at least its title and one order.
    const int spacing = pnlLeft->layout()->spacing();
    const int spare = pnlLeft->height() - m_infoArea->sizeHint().height() -
                      m_leftControls->sizeHint().height() - 3 * spacing;
    m_historyArea->setMaximumHeight(std::max(kHistoryLeastHeight, spare));
}

QAction* FrmMain::addScreenAction(QWidget* menu, const QString& objectName, const QString& text)
{
    auto* a = new QAction(text, menu);
    a->setObjectName(objectName);
    menu->addAction(a);
    connect(a, &QAction::triggered, this, [this, objectName] { OpenScreen(objectName); });
    m_screenActions.append(a);
    a->setEnabled(ScreenCatalogue::Instance().FindByMenuEntry(objectName) != nullptr);
    return a;
}

void FrmMain::enableScreenActions()
{
    for (QAction* a : std::as_const(m_screenActions))
        a->setEnabled(ScreenCatalogue::Instance().FindByMenuEntry(a->objectName()) != nullptr);
}

void FrmMain::buildMenus()
{
    // Each screen entry opens the catalogue screen that names it as its menu entry.
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("  파일(&F)  "));
    file->setObjectName(QStringLiteral("mnuFile"));
    const char* dataEntries[3][2] = {{"mnuFile_BackUp", "데이터 백업 및 서버보관(&B)"},
                                     {"mnuFile_Restore", "데이터 가져오기(&R)"},
                                     {"mnuFile_DBAS", "데이터 A/S접수(&A)"}};
    for (int i = 0; i < 3; ++i) {
        QAction* a = file->addAction(QString::fromUtf8(dataEntries[i][1]));
        a->setObjectName(QString::fromLatin1(dataEntries[i][0]));
        connect(a, &QAction::triggered, this, [this, i] { dataFileEntry(i); });
    }
    file->addSeparator();
    addScreenAction(file, QStringLiteral("mnuFile_NetWork"), QStringLiteral("네트워크 설정"));
    file->addSeparator();
    QAction* fileExit = file->addAction(QStringLiteral("종료(&X)"));
    fileExit->setObjectName(QStringLiteral("mnuFile_Exit"));
    connect(fileExit, &QAction::triggered, this, &QWidget::close);

    QMenu* basic = bar->addMenu(QStringLiteral("  자료등록(&I)  "));
    basic->setObjectName(QStringLiteral("mnuBasic"));
    QAction* member = addScreenAction(basic, QStringLiteral("mnuBasic_Member"),
                                      QStringLiteral("가맹점  등  록  관  리(&M)"));
    QAction* cust = addScreenAction(basic, QStringLiteral("mnuBasic_Cust"),
                                    QStringLiteral("고   객  등  록  관  리(&C)"));
    basic->addSeparator();
    QAction* receipt = addScreenAction(basic, QStringLiteral("mnuBasic_Receipt"),
                                       QStringLiteral("접   수            관  리(&R)"));
    receipt->setShortcut(QKeySequence(Qt::Key_F9));
    receipt->setShortcutContext(Qt::WindowShortcut);
    QAction* service = addScreenAction(basic, QStringLiteral("mnuBasic_Service"),
                                       QStringLiteral("서비스            관  리(&S)"));
    QAction* recv = addScreenAction(basic, QStringLiteral("mnuBasic_Recv"),
                                    QStringLiteral("입   금            관  리(&B)"));
    basic->addSeparator();
    addScreenAction(basic, QStringLiteral("mnuBasic_Option"), QStringLiteral("사용자등록/환경설정(&O)"));

    QMenu* lists = bar->addMenu(QStringLiteral("  각종현황(&S)  "));
    lists->setObjectName(QStringLiteral("mnuList"));
    addScreenAction(lists, QStringLiteral("mnuList_SalebyDate"), QStringLiteral("매   출  현 황(&1)"));
    addScreenAction(lists, QStringLiteral("mnuList_SaleReceive"), QStringLiteral("가맹점  원 장(&2)"));

    QAction* home = bar->addAction(QStringLiteral("  홈페이지(&P)  "));
    home->setObjectName(QStringLiteral("mnuHomePage"));
    connect(home, &QAction::triggered, this, &FrmMain::openHomePage);
    QAction* support = bar->addAction(QStringLiteral("  원격지원(&R)  "));
    support->setObjectName(QStringLiteral("mnuSupport"));
    connect(support, &QAction::triggered, this, [] { modGoURL::OpenRemoteSupport(); });

    QMenu* help = bar->addMenu(QStringLiteral("  도움말(&H)  "));
    help->setObjectName(QStringLiteral("mnuHelp"));
    addScreenAction(help, QStringLiteral("mnuHelp_About"), QStringLiteral("젤코바에 대하여..."));

    QAction* exitAction = bar->addAction(QStringLiteral("  종료(&X)"));
    exitAction->setObjectName(QStringLiteral("mnuExit"));
    connect(exitAction, &QAction::triggered, this, &QWidget::close);

    connect(&ScreenCatalogue::Instance(), &ScreenCatalogue::Registered, this, &FrmMain::enableScreenActions);

    // The shortcut buttons share their menu entries' gate and state.
    QAction* forButtons[5] = {member, cust, service, receipt, recv};
    for (int i = 0; i < 5; ++i) {
        QAction* a = forButtons[i];
        btnShortCut[i]->setEnabled(a->isEnabled());
        connect(a, &QAction::changed, btnShortCut[i],
                [b = btnShortCut[i], a] { b->setEnabled(a->isEnabled()); });
        connect(btnShortCut[i], &QPushButton::clicked, a, &QAction::trigger);
    }
}

bool FrmMain::OpenScreen(const QString& menuEntry)
{
    const ScreenEntry* entry = ScreenCatalogue::Instance().FindByMenuEntry(menuEntry);
    return entry && ScreenCatalogue::Instance().Open(entry->name, this);
}

void FrmMain::layoutGrids()
{
    spMList->SetMaxCols(8);
    CommonSpreadDesign(spMList, false, true, false, false);
    spMList->SetColHeaders({QStringLiteral("고객코드"), QStringLiteral("주문 전화번호"),
                            QStringLiteral("가맹코드"), QStringLiteral("가맹점명"),
                            QStringLiteral("주문번호"), QStringLiteral("주문일자"), QStringLiteral("시간"),
                            QStringLiteral("접수T")});
    const double mWidths[8] = {9, 14, 8, 20, 11, 10, 6, 6};
    for (int c = 1; c <= 8; ++c)
        spMList->SetColWidth(c, mWidths[c - 1]);
    SetColFormats(spMList, {{mCust, ColFormat::CustomerCode},
                            {mPhone, ColFormat::Telephone},
                            {mStore, ColFormat::StoreCode},
                            {mStoreName, ColFormat::StoreName},
                            {mOrderNo, ColFormat::OrderNumber},
                            {mDate, ColFormat::Date},
                            {mTime, ColFormat::Time},
                            {mPassed, ColFormat::Time}});
    LockColumns(spMList, {5, 6, 7, 4, 8});
    spMList->SetEditEnterAction(SpreadGrid::EnterRight);

    spDList->SetMaxCols(12);
    CommonSpreadDesign(spDList, false, true, false, false);
    spDList->SetColHeaders({QStringLiteral("메뉴코드"), QStringLiteral("메뉴명"), QStringLiteral("수량"),
                            QStringLiteral("단가"), QStringLiteral("금액"), QStringLiteral("PT"),
                            QStringLiteral("메모"), QStringLiteral("주문번호"), QStringLiteral("순번"),
                            QStringLiteral("합계수량"), QStringLiteral("합계금액"),
                            QStringLiteral("합계pt")});
    const double dWidths[12] = {8, 22, 6, 9, 10, 7, 22, 11, 5, 8, 10, 8};
    for (int c = 1; c <= 12; ++c)
        spDList->SetColWidth(c, dWidths[c - 1]);
    LockColumns(spDList, {5, 6});
    spDList->SetEditEnterAction(SpreadGrid::EnterRight);
    SetNumberColumn(spDList, dQty, true);
    SetMoneyColumn(spDList, dPrice, true);
    SetMoneyColumn(spDList, dAmount, true);
    SetMoneyColumn(spDList, dPoint, true);
    for (int c : {dSumQty, dSumAmount, dSumPoint})
        SetMoneyColumn(spDList, c, true);
    for (int c : {dOrderNo, dLineNo, dSumQty, dSumAmount, dSumPoint})
        spDList->SetColHidden(c, true);

    // The unused area under the rows stays calm on a screen that is looked at all day.
    spMList->SetGrayAreaBackColor(QColor(236, 238, 241));
    spDList->SetGrayAreaBackColor(QColor(236, 238, 241));
    SetupTotalGrid(spTotal, spDList, dMenuName);
    spTotal->SetColHeadersShow(false);
    for (int c : {dQty, dAmount, dPoint})
        SetMoneyColumn(spTotal, c, true);
}

void FrmMain::showNotice()
{
    const QString page = AppPaths::ProgramPath(QStringLiteral("doc/notice.html"));
    if (QFileInfo(page).isFile()) {
        WebBrowser->setSource(QUrl::fromLocalFile(page));
        if (!WebBrowser->toPlainText().trimmed().isEmpty()) {
            WebBrowser->show();
            picLogo->hide();
            return;
        }
    }
    // The page could not be shown: the logo takes the browser's place.
    const QString logoFile = AppPaths::ProgramPath(QStringLiteral("Image/logo.png"));
    QPixmap logo(logoFile);
    picLogo->setPixmap(logo.isNull() ? drawLogo(QSize(270, 96)) : logo);
    WebBrowser->hide();
    picLogo->show();
}

void FrmMain::openPorts()
{
    for (int i = 0; i < 2; ++i) {
        const QString value = Settings::Get(Settings::SeeIdPort(i));
        const QString port = SeeIdPort::PortName(value);
        if (port.isEmpty() || seeid[i]->IsOpened())
            continue;
        if (seeid[i]->OpenPort(port, QString()) == 0) {
            m_deviceReady = true;
            m_dialer.SetDeviceReady(true);
        } else
            ShowWarning(SeeIdPort::OpenFailedText(port));
    }
}

void FrmMain::closePorts()
{
    for (int i = 0; i < 2; ++i) {
        if (!seeid[i])
            continue;
        const QString value = Settings::Get(Settings::SeeIdPort(i));
        const QString port = SeeIdPort::PortName(value);
        if (port.isEmpty() || !seeid[i]->IsOpened())
            continue;
        if (seeid[i]->ClosePort(port, QString()) == 0) {
            m_deviceReady = false;
            m_dialer.SetDeviceReady(false);
        } else
            ShowWarning(SeeIdPort::CloseFailedText(port));
    }
}

void FrmMain::ClearCustomer()
{
    m_customer->Clear();
    historyFollowsCall(false);
}

void FrmMain::ClearStore()
{
    m_store->Clear();
}

void FrmMain::ShowCustomer(const QString& code)
{
    m_customer->Show(code);
    historyFollowsCall(!m_customer->Code().isEmpty());
}

void FrmMain::ShowStore(const QString& code)
{
    m_store->Show(code);
}

void FrmMain::RefreshList()
{
    const QString numberFilter = htFilter[0]->text().trimmed();
    if (!CheckSearchText(numberFilter))
        return;
    m_listFilter = numberFilter;
    fillList(numberFilter, QString(), mPhone);
    spMList->setFocus();
}

void FrmMain::fillList(const QString& numberFilter, const QString& keepOrder, int col)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    spMList->SetReDraw(false);
    const int remembered = spMList->ActiveRow();
    spMList->SetMaxRows(0);
    OrderReads::DayFilter filter;
    filter.date = Clock::Today().toString(QStringLiteral("yyyy-MM-dd"));
    filter.numberPart = numberFilter;
    filter.customerCode = m_filterCustCode;
    Recordset rs;
    ErrInfo error;
    int n = 0;
    if (OrderReads::ReadDayOrders(gMainConn, filter, rs, &error))
        n = rs.RecordCount();
    else
        TellReadError(gMainConn, error);
    const QList<QVariantList> rows = n > 0 ? listRows(rs) : QList<QVariantList>();
    rs.close();
    spMList->SetMaxRows(int(rows.size()) + 1);
    if (!rows.isEmpty())
        spMList->SetBlockValues(1, rows);
    int target = remembered >= 1 && remembered <= spMList->MaxRows() ? remembered : spMList->MaxRows();
    if (!keepOrder.isEmpty()) {
        target = spMList->MaxRows();
        for (int r = 1; r < spMList->MaxRows(); ++r) {
            if (GetCellText(spMList, mOrderNo, r) == keepOrder) {
                target = r;
                break;
            }
        }
    }
    spMList->SetActiveCell(col, target);
    spMList->SetReDraw(true);
    QApplication::restoreOverrideCursor();
    LoadLines(GetCellText(spMList, mOrderNo, target));
    if (target < spMList->MaxRows()) {
        ShowCustomer(GetCellText(spMList, mCust, target));
        ShowStore(GetCellText(spMList, mStore, target));
    }
}

bool FrmMain::entryInProgress() const
{
    if (spMList->EditTyped() || spDList->EditTyped() || QApplication::activeModalWidget())
        return true;
    // An entry row holding text is an order being typed; a line row holding a menu, a line being typed.
    const int entry = spMList->MaxRows();
    for (int c : {mCust, mPhone, mStore}) {
        if (!GetCellText(spMList, c, entry).trimmed().isEmpty())
            return true;
    }
    return !GetCellText(spDList, dMenuName, spDList->MaxRows()).trimmed().isEmpty();
}

void FrmMain::OthersChanged(const QList<ChangeFeed::Change>& changes)
{
    bool orders = false;
    for (const ChangeFeed::Change& c : changes) {
        if (c.table == QStringLiteral("주문") || c.table == QStringLiteral("주문내역")) {
            // A line's change concerns the list only through its order's lines, read when the order is
            // the one shown.
            orders = true;
            if (c.key.isEmpty())
                m_othersAll = true;
            else
                m_othersOrders.insert(c.key);
        }
        m_store->FollowChange(c);
        m_customer->FollowChange(c);
    }
    m_history->FollowChanges(changes);
    if (orders)
        m_others->Request();
}

void FrmMain::refreshForOthers()
{
    const int row = spMList->ActiveRow();
    const QString order =
        row >= 1 && row < spMList->MaxRows() ? GetCellText(spMList, mOrderNo, row) : QString();
    const int col = spMList->ActiveCol() >= 1 ? spMList->ActiveCol() : mPhone;
    QScrollBar* bar = spMList->view()->verticalScrollBar();
    const int scrolled = bar->value();
    QPointer<QWidget> focus = QApplication::focusWidget();
    const QStringList changed(m_othersOrders.cbegin(), m_othersOrders.cend());
    const bool all = m_othersAll || changed.size() > kMostOrdersReadAlone;
    m_othersOrders.clear();
    m_othersAll = false;
    if (all || !refreshOrders(changed))
        fillList(m_listFilter, order, col);
    bar->setValue(scrolled);
    if (focus)
        focus->setFocus();
    if (!order.isEmpty() && spMList->ActiveRow() == spMList->MaxRows())
        MyFloatMsg(QStringLiteral("주문 ") + order + QStringLiteral("은(는) 다른 자리에서 삭제되었습니다."),
                   1500);
}

bool FrmMain::refreshOrders(const QStringList& numbers)
{
    OrderReads::DayFilter filter;
    filter.date = Clock::Today().toString(QStringLiteral("yyyy-MM-dd"));
    filter.numberPart = m_listFilter;
    filter.customerCode = m_filterCustCode;
    filter.orderNumbers = numbers;
    Recordset rs;
    ErrInfo error;
    if (!OrderReads::ReadDayOrders(gMainConn, filter, rs, &error)) {
        AppLog::Write(QStringLiteral("다른 자리"),
                      QStringLiteral("바뀐 주문을 읽지 못해 목록 전체를 읽습니다: ") + error.description);
        return false;
    }
    QHash<QString, QVariantList> now;
    for (QVariantList& row : listRows(rs))
        now.insert(row.at(mOrderNo - 1).toString(), std::move(row));
    rs.close();

    const int activeRow = spMList->ActiveRow();
    const int activeCol = spMList->ActiveCol() >= 1 ? spMList->ActiveCol() : mPhone;
    const QString activeOrder = activeRow >= 1 && activeRow < spMList->MaxRows()
                                    ? GetCellText(spMList, mOrderNo, activeRow)
                                    : QString();
    spMList->SetReDraw(false);
    const bool activeTouched = MergeChangedRows(spMList, kListLayout, numbers, std::move(now), activeOrder);
    const int found = RowOfKey(spMList, kListLayout, activeOrder);
    const int target = found > 0 ? found : spMList->MaxRows();
    spMList->SetActiveCell(activeCol, target);
    spMList->SetReDraw(true);
    // The lines and parties are read again only for the order the cursor stands on, when it changed.
    if (activeTouched || activeOrder.isEmpty() != (target == spMList->MaxRows())) {
        LoadLines(GetCellText(spMList, mOrderNo, target));
        if (target < spMList->MaxRows()) {
            ShowCustomer(GetCellText(spMList, mCust, target));
            ShowStore(GetCellText(spMList, mStore, target));
        }
    }
    return true;
}

void FrmMain::LoadLines(const QString& orderNumber)
{
    spDList->SetReDraw(false);
    spDList->SetMaxRows(0);
    QList<QVariantList> rows;
    if (!orderNumber.isEmpty()) {
        Recordset rs;
        ErrInfo error;
        int n = 0;
        if (OrderReads::ReadOrderLines(gMainConn, orderNumber, rs, &error))
            n = rs.RecordCount();
        else
            TellReadError(gMainConn, error);
        if (n > 0) {
            const int f[9] = {
                rs.fieldIndex(QStringLiteral("주문메뉴")), rs.fieldIndex(QStringLiteral("메뉴명")),
                rs.fieldIndex(QStringLiteral("수량")),     rs.fieldIndex(QStringLiteral("단가")),
                rs.fieldIndex(QStringLiteral("금액")),     rs.fieldIndex(QStringLiteral("포인트")),
                rs.fieldIndex(QStringLiteral("메모")),     rs.fieldIndex(QStringLiteral("주문번호")),
                rs.fieldIndex(QStringLiteral("순번"))};
            for (const QVariantList& rec : rs.rows()) {
                QVariantList row;
                row.reserve(9);
                for (int k = 0; k < 9; ++k) {
                    const QVariant& v = f[k] >= 0 ? rec.at(f[k]) : QVariant();
                    row.append(k == 1 || k == 6 || k == 7 ? QVariant(NullToStr(v)) : v);
                }
                rows.append(std::move(row));
            }
        }
    }
    spDList->SetMaxRows(int(rows.size()) + 1);
    if (!rows.isEmpty())
        spDList->SetBlockValues(1, rows);
    spDList->SetCol(dAmount);
    spDList->SetRow(-1);
    spDList->SetFormula(QStringLiteral("RC3*RC4"));
    RecomputeLineSums();
    spDList->SetActiveCell(dMenuName, spDList->MaxRows());
    spDList->SetReDraw(true);
}

void FrmMain::RecomputeLineSums()
{
    // The sum formulas cover the rows the grid has now: every added or removed line widens or narrows them.
    SetTotalGridSum(spDList, dQty, dSumQty);
    SetTotalGridSum(spDList, dAmount, dSumAmount);
    SetTotalGridSum(spDList, dPoint, dSumPoint);
    spDList->Recalc();
    for (int c : {dSumQty, dSumAmount, dSumPoint})
        spDList_FormulaChange(c, 1);
}

void FrmMain::ShowActiveOrderPanels()
{
    const int row = spMList->ActiveRow();
    if (row < 1 || row >= spMList->MaxRows()) {
        ClearCustomer();
        ClearStore();
        return;
    }
    ShowCustomer(GetCellText(spMList, mCust, row));
    ShowStore(GetCellText(spMList, mStore, row));
}

void FrmMain::spDList_FormulaChange(int col, int row)
{
    if (row != 1)
        return;
    int target = 0;
    if (col == dSumQty)
        target = dQty;
    else if (col == dSumAmount)
        target = dAmount;
    else if (col == dSumPoint)
        target = dPoint;
    if (target == 0)
        return;
    QString text;
    spDList->GetText(col, 1, text);
    spTotal->SetValue(target, 1, text.isEmpty() ? QVariant(0) : QVariant(text.toDouble()));
}

void FrmMain::spMList_LeaveCell(int col, int row, int newCol, int newRow, bool& cancel)
{
    Q_UNUSED(col);
    if (newRow < 1)
        return;
    const int entryRow = spMList->MaxRows();
    if (newRow == entryRow && newCol != mPhone && GetCellText(spMList, mPhone, entryRow).isEmpty()) {
        cancel = true;
        if (newRow != row)
            LoadLines(QString());
        QTimer::singleShot(0, this, [this] { spMList->SetActiveCell(mPhone, spMList->MaxRows()); });
        return;
    }
    if (newRow != row)
        LoadLines(GetCellText(spMList, mOrderNo, newRow));
    if (newRow < entryRow) {
        const QString cust = GetCellText(spMList, mCust, newRow);
        if (cust != m_customer->Code())
            ShowCustomer(cust);
        const QString store = GetCellText(spMList, mStore, newRow);
        if (store != m_store->Code())
            ShowStore(store);
    }
}

void FrmMain::htFilter_Return(int index)
{
    if (index == 0) {
        RefreshList();
        return;
    }
    if (!m_filterEdited) {
        RefreshList();
        return;
    }
    m_filterEdited = false;
    QString code;
    const QString phone =
        PickCustomer(htFilter[1]->text(), code, pnlTop->mapToGlobal(QPoint(0, pnlTop->height())), false,
                     CustomerNumber::First);
    if (!code.isEmpty()) {
        htFilter[1]->setText(phone);
        m_filterCustCode = code;
        RefreshList();
    } else {
        m_filterCustCode.clear();
    }
}

void FrmMain::cmdAutoDial_Click()
{
    const QString number = m_store->DialNumber();
    if (number.isEmpty()) {
        ShowInfo(QStringLiteral("가맹점에 전화번호가 입력되어 있지 않습니다."));
        return;
    }
    AutoDialReady(number);
}

void FrmMain::dataFileEntry(int kind)
{
    // A seat of a database server reaches the data itself: the companion dumps and restores it from here.
    const bool server = DbConnection::IsServerAddress(gMainDBFile);
    if (gCSType == 1 && !server) {
        ShowInfo(QStringLiteral("이기능은 서버에서만 가능합니다."));
        return;
    }
    // The server's dump is consistent while other seats work on; only a restore needs them gone.
    if ((!server || kind == 1) && AskYesNo(QStringLiteral("모든 클라이언트를 종료후 처리하세요.") + kCrLf +
                                               QStringLiteral("모두 종료하였습니까?"),
                                           QString(), false) != MsgAnswer::Yes)
        return;
    CloseRPTFile();
    // kind: 0 backup, 1 restore, 2 after-sales.
    const bool started = kind == 1 ? modBackUp::ExecRestore(1, QString())
                                   : modBackUp::ExecBackUp(kind == 2 ? 2 : 0, false, QString());
    if (started) {
        // The companion starts its work once this program has closed its databases and ended.
        close();
        return;
    }
    CreateRPTFile(ShowFound());
}

void FrmMain::openHomePage()
{
    modGoURL::OpenHomePage();
}

void FrmMain::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F5) {
        RefreshList();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void FrmMain::followInputLanguage(QWidget* old, QWidget* now)
{
    const auto inside = [](SpreadGrid* grid, QWidget* w) {
        return w && (w == grid || grid->isAncestorOf(w));
    };
    // Menu names are typed in Hangul, numbers and codes in Latin letters.
    for (auto [grid, hangul] : {std::pair{spDList, true}, std::pair{spMList, false}}) {
        if (!inside(grid, now) || inside(grid, old))
            continue;
        SetHangulModeOf(hangul, grid->view());
        SetHangulModeOf(hangul, grid->editor());
    }
}

void FrmMain::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    m_closing = true;
    if (geometry() != m_startGeometry || isMaximized())
        SaveFormIni(this);
    timerHook->stop();
    m_dialer.Stop();
    closePorts();
    UnloadSeeIdWindows();
    CloseOtherForms(kForm);
    event->accept();
}
