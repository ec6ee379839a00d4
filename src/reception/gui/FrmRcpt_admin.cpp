#include "reception/gui/FrmRcpt_admin.h"

#include "app/Clock.h"
#include "app/Globals.h"
#include "db/DbError.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"
#include "db/modMain_SQL.h"
#include "masters/gui/StorePanel.h"
#include "order/OrderReads.h"
#include "order/gui/FrmMain.h"
#include "reception/ReceptionService.h"
#include "reception/gui/FrmPreviewRcv.h"
#include "ui/MsgBox.h"
#include "ui/TextUtil.h"
#include "ui/gui/ChangedRows.h"
#include "ui/gui/InputUtil.h"
#include "ui/gui/MduMainUi.h"
#include "ui/gui/OthersRefresh.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modSpread60.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace {
// The list as its read sorts it: by store, time and number.
const SortedListLayout kListLayout{
    {{FrmRcpt_admin::ColStore}, {FrmRcpt_admin::ColTime}, {FrmRcpt_admin::ColOrderNo}}, false};
// Past this many orders changed at once (a day's import, a restore) the whole list is read again.
constexpr int kMostOrdersReadAlone = 50;

FrmRcpt_admin::Dialler& dialler()
{
    static FrmRcpt_admin::Dialler d;
    return d;
}

qint64 whole(const QVariant& value)
{
    const double d = value.toDouble();
    return std::isfinite(d) ? std::llround(d) : 0;
}

// Marks the steps of opening the screen, whichever way they end.
class OpeningScope
{
public:
    explicit OpeningScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~OpeningScope() { m_flag = false; }
    OpeningScope(const OpeningScope&) = delete;
    OpeningScope& operator=(const OpeningScope&) = delete;

private:
    bool& m_flag;
};

// The waiting cursor for the time of a query.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
} // namespace

FrmRcpt_admin::FrmRcpt_admin(QWidget* parent) : ListScreen(parent)
{
    setObjectName(QStringLiteral("FrmRcpt_admin"));
    setWindowTitle(QStringLiteral("접수 관리"));
    resize(1000, 680);

    // The search row: order date, own seat, passing-on state and the beginning of a store code.
    spList()->setObjectName(QStringLiteral("spMList"));
    htName()->setObjectName(QStringLiteral("htFindWd"));
    htName()->setToolTip(QStringLiteral("가맹점코드 앞부분(F3)"));
    for (QLabel* label : pnlTop()->findChildren<QLabel*>())
        if (label->buddy() == htName())
            label->setText(QStringLiteral("가맹코드(F3):"));
    cmbFindKey()->hide();
    cmbFindOP()->hide();
    auto* search = static_cast<QHBoxLayout*>(pnlTop()->layout());
    hdOrd = new QDateEdit(pnlTop());
    hdOrd->setObjectName(QStringLiteral("hdOrd"));
    hdOrd->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    hdOrd->setCalendarPopup(true);
    chkMeOnly = new QCheckBox(QStringLiteral("본인자료만"), pnlTop());
    chkMeOnly->setObjectName(QStringLiteral("chkMeOnly"));
    cmbFilter = new QComboBox(pnlTop());
    cmbFilter->setObjectName(QStringLiteral("cmbFilter"));
    cmbFilter->addItems(
        {QStringLiteral("전체"), QStringLiteral("미접수만 보기"), QStringLiteral("접수완료만 보기")});
    search->insertWidget(0, new QLabel(QStringLiteral("주문일자:"), pnlTop()));
    search->insertWidget(1, hdOrd);
    search->insertWidget(2, chkMeOnly);
    search->insertWidget(3, cmbFilter);

    btnQuery()->setText(QStringLiteral("조회 F5"));
    btnRecAdd()->setText(QStringLiteral("접수 F2"));
    btnRecDel()->setText(QStringLiteral("취소 F4"));
    btnRecEdit()->hide();
    btnPrint = new QPushButton(QStringLiteral("인쇄 F7"), this);
    btnPrint->setObjectName(QStringLiteral("btnPrint"));
    btnPrint->setAutoDefault(false);
    buttonRow()->insertWidget(buttonRow()->indexOf(btnClose()), btnPrint);

    buildLower();
    designGrids();

    connect(btnPrint, &QPushButton::clicked, this, &FrmRcpt_admin::PrintReceipt);
    connect(btnDialing, &QPushButton::clicked, this, &FrmRcpt_admin::DialStore);
    connect(chkMeOnly, &QCheckBox::clicked, this, [this] { Search(); });
    // Orders typed and passed on at other seats show up without F5.
    // The row being dialled and an open question stay as they are.
    m_others = new OthersRefresh(
        this, [this] { return QApplication::activeModalWidget() || pnlAutoDialingmsg->isVisible(); },
        [this] { refreshForOthers(); });
    connect(&MainChangeFeed(), &ChangeFeed::changed, this, &FrmRcpt_admin::OthersChanged);
    connect(&MainChangeFeed(), &ChangeFeed::resync, this, [this] {
        OthersChanged({{QStringLiteral("주문"), {}}, {QStringLiteral("가맹점"), m_store->Code()}});
    });
    connect(spList(), &SpreadGrid::LeaveCell, this, [this](int, int row, int, int newRow, bool&) {
        if (newRow < 1 || newRow == row)
            return;
        LoadLines(GetOrdNo(newRow));
        const QString store = spList()->CellText(ColStore, newRow);
        if (store != m_store->Code())
            ShowStore(store);
    });
    auto* print = new QShortcut(QKeySequence(Qt::Key_F7), this);
    connect(print, &QShortcut::activated, this, &FrmRcpt_admin::PrintReceipt);

    CenterForm(this);
    FinishLayout();
    hdOrd->setDate(Clock::Today());
    ClearStore();
    // The list opens on the orders still waiting; choosing the filter runs the query.
    cmbFilter->setCurrentIndex(1);
    connect(cmbFilter, &QComboBox::currentIndexChanged, this, [this] { Search(); });
    RunOpening([this] {
        const OpeningScope opening(m_opening);
        Search();
    });
    setFocusProxy(spList());
}

FrmRcpt_admin::~FrmRcpt_admin()
{
    // The main window's dialer must not keep a panel that is gone.
    giveBackCountdown();
}

ScreenEntry FrmRcpt_admin::Entry()
{
    return CatalogueEntry(QStringLiteral("FrmRcpt_admin"), QStringLiteral("접수 관리"),
                          QStringLiteral("mnuBasic_Receipt"), [] { return new FrmRcpt_admin; });
}

FrmRcpt_admin::Dialler FrmRcpt_admin::SetDialler(Dialler d)
{
    Dialler previous = std::move(dialler());
    dialler() = std::move(d);
    return previous;
}

void FrmRcpt_admin::buildLower()
{
    spDList = new SpreadGrid(this);
    spDList->setObjectName(QStringLiteral("spDList"));
    spDList->installEventFilter(this);
    spTotal = new SpreadGrid(this);
    spTotal->setObjectName(QStringLiteral("spTotal"));
    spTotal->setFocusPolicy(Qt::NoFocus);
    spTotal->setFixedHeight(26);
    auto* lines = new QVBoxLayout;
    lines->setSpacing(0);
    lines->addWidget(spDList, 1);
    lines->addWidget(spTotal);

    m_store = new StorePanel(InfoPanel::Style::Compact, this);
    QGridLayout* grid = m_store->grid();
    btnDialing = new QPushButton(QStringLiteral("전화걸기"), m_store);
    btnDialing->setObjectName(QStringLiteral("btnDialing"));
    btnDialing->setAutoDefault(false);
    pnlAutoDialingmsg = new QLabel(m_store);
    pnlAutoDialingmsg->setObjectName(QStringLiteral("pnlAutoDialingmsg"));
    pnlAutoDialingmsg->setStyleSheet(QStringLiteral("QLabel { color: #b00020; font-weight: bold; }"));
    pnlAutoDialingmsg->setVisible(false);
    const int row = m_store->rowCount();
    grid->addWidget(btnDialing, row, 1);
    grid->addWidget(pnlAutoDialingmsg, row + 1, 0, 1, 2);
    grid->setRowStretch(row + 2, 1);
    connect(m_store, &StorePanel::storeShown, this,
            [this] { btnDialing->setEnabled(!m_store->DialNumber().isEmpty()); });

    auto* lower = new QHBoxLayout;
    lower->addLayout(lines, 1);
    lower->addWidget(m_store);
    // Between the order list and the button row.
    auto* main = static_cast<QVBoxLayout*>(layout());
    main->insertLayout(main->indexOf(spList()) + 1, lower, 1);
}

void FrmRcpt_admin::designGrids()
{
    SpreadGrid* list = spList();
    list->SetMaxCols(ColCount);
    CommonSpreadDesign(list, true, true, false, true);
    list->SetColHeaders({QStringLiteral("가맹코드"), QStringLiteral("시간"), QStringLiteral("주문번호"),
                         QStringLiteral("고객코드"), QStringLiteral("고객전화"), QStringLiteral("고객주소"),
                         QStringLiteral("접수T")});
    const double listWidths[] = {8, 6, 11, 9, 13, 40, 6};
    for (int c = 1; c <= ColCount; ++c)
        list->SetColWidth(c, listWidths[c - 1]);
    SetColFormats(list, {{ColStore, ColFormat::StoreCode},
                         {ColTime, ColFormat::Time},
                         {ColOrderNo, ColFormat::OrderNumber},
                         {ColCustomer, ColFormat::CustomerCode},
                         {ColPhone, ColFormat::Telephone},
                         {ColPassedOn, ColFormat::Time}});

    spDList->SetMaxCols(LnCount);
    CommonSpreadDesign(spDList, true, true, false, true);
    spDList->SetColHeaders({QStringLiteral("메뉴명"), QStringLiteral("수량"), QStringLiteral("단가"),
                            QStringLiteral("금액"), QStringLiteral("메모"), QStringLiteral("PT"),
                            QStringLiteral("수수료"), QStringLiteral("주문번호"), QStringLiteral("순번"),
                            QStringLiteral("합계수량"), QStringLiteral("합계금액"),
                            QStringLiteral("합계수수료"), QStringLiteral("합계PT")});
    const double lineWidths[] = {22, 6, 9, 10, 18, 6, 9, 11, 5, 8, 10, 10, 8};
    for (int c = 1; c <= LnCount; ++c)
        spDList->SetColWidth(c, lineWidths[c - 1]);
    SetNumberColumn(spDList, LnQty);
    SetNumberColumn(spDList, LnPoints);
    for (int c : {LnPrice, LnAmount, LnCommission, LnSumQty, LnSumAmount, LnSumCommission, LnSumPoints})
        SetMoneyColumn(spDList, c);
    for (int c = LnSumQty; c <= LnSumPoints; ++c)
        spDList->SetColHidden(c, true);
    SetColFormat(spDList, LnOrderNo, ColFormat::OrderNumber);
    SetupTotalGrid(spTotal, spDList, LnMenu);
    spTotal->SetColHeadersShow(false);
    for (int c : {LnQty, LnAmount, LnPoints, LnCommission})
        SetMoneyColumn(spTotal, c);
}

QString FrmRcpt_admin::GetOrdNo(int row) const
{
    SpreadGrid* list = spList();
    if (list->MaxRows() <= 0)
        return QString();
    if (row == -2)
        row = list->ActiveRow();
    if (row < 1 || row > list->MaxRows())
        return QString();
    return list->CellText(ColOrderNo, row);
}

int FrmRcpt_admin::ListQuery()
{
    if (!CheckSearchText(htName()->text()))
        return 0;
    ReceptionService::ListFilter filter;
    filter.date = hdOrd->date().toString(QStringLiteral("yyyy-MM-dd"));
    filter.ownSeatOnly = chkMeOnly->isChecked();
    filter.terminalId = gTerminalID;
    filter.state = static_cast<ReceptionService::StateFilter>(std::clamp(cmbFilter->currentIndex(), 0, 2));
    filter.storePrefix = htName()->text();
    m_lastFilter = filter;
    m_queried = true;
    m_ownOrders.clear();
    return fillList(filter, QString(), ColPhone);
}

QList<QVariantList> FrmRcpt_admin::listRows(const ReceptionService::ListFilter& filter, bool* read)
{
    Recordset rs;
    QList<QVariantList> rows;
    const int n = OpenListQuery(rs, ReceptionService::ListSql(filter));
    if (read)
        *read = n >= 0;
    if (n > 0) {
        for (rs.MoveFirst(); !rs.EOF_(); rs.MoveNext())
            rows << QVariantList{rs.text(QStringLiteral("가맹점코드")),
                                 rs.text(QStringLiteral("주문시간")),
                                 rs.text(QStringLiteral("주문번호")),
                                 rs.text(QStringLiteral("고객코드")),
                                 rs.text(QStringLiteral("주문시전화")),
                                 rs.text(QStringLiteral("주소1")) + QLatin1Char(' ') +
                                     rs.text(QStringLiteral("주소2")),
                                 rs.text(QStringLiteral("통보시간"))};
    }
    rs.close();
    return rows;
}

int FrmRcpt_admin::fillList(const ReceptionService::ListFilter& filter, const QString& keepOrder, int col)
{
    WaitCursor wait;
    SpreadGrid* list = spList();
    const int remembered = list->ActiveRow();
    list->SetMaxRows(0);
    const QList<QVariantList> rows = listRows(filter);
    list->SetMaxRows(int(rows.size()));
    list->SetBlockValues(1, rows);
    SetRecCount(rows.size());
    if (!rows.isEmpty()) {
        int row = remembered >= 1 && remembered <= rows.size() ? remembered : 1;
        if (!keepOrder.isEmpty()) {
            for (int r = 1; r <= list->MaxRows(); ++r) {
                if (list->CellText(ColOrderNo, r) == keepOrder) {
                    row = r;
                    break;
                }
            }
        }
        list->SetActiveCell(col, row);
        ShowStore(list->CellText(ColStore, row));
    }
    return int(rows.size());
}

void FrmRcpt_admin::OthersChanged(const QList<ChangeFeed::Change>& changes)
{
    bool orders = false;
    for (const ChangeFeed::Change& c : changes) {
        if (c.table == QStringLiteral("주문") || c.table == QStringLiteral("주문내역")) {
            orders = true;
            if (c.key.isEmpty())
                m_othersAll = true;
            else
                m_othersOrders.insert(c.key);
        } else {
            m_store->FollowChange(c);
        }
    }
    if (orders && m_queried)
        m_others->Request();
}

void FrmRcpt_admin::refreshForOthers()
{
    const QString order = GetOrdNo(-2);
    const int col = spList()->ActiveCol() >= 1 ? spList()->ActiveCol() : int(ColPhone);
    QScrollBar* bar = spList()->view()->verticalScrollBar();
    const int scrolled = bar->value();
    QPointer<QWidget> focus = QApplication::focusWidget();
    const QStringList changed(m_othersOrders.cbegin(), m_othersOrders.cend());
    const bool all = m_othersAll || changed.size() > kMostOrdersReadAlone;
    m_othersOrders.clear();
    m_othersAll = false;
    if (all || !refreshOrders(changed, order, col)) {
        fillList(m_lastFilter, order, col);
        LoadLines(GetOrdNo(-2));
    }
    bar->setValue(scrolled);
    if (focus)
        focus->setFocus();
    if (!order.isEmpty() && GetOrdNo(-2) != order)
        MyFloatMsg(QStringLiteral("주문 ") + order +
                       QStringLiteral("은(는) 다른 자리에서 삭제되었거나 목록에서 "
                                      "빠졌습니다."),
                   1500);
}

bool FrmRcpt_admin::refreshOrders(const QStringList& numbers, const QString& activeOrder, int col)
{
    ReceptionService::ListFilter filter = m_lastFilter;
    filter.orderNumbers = numbers;
    bool read = false;
    QHash<QString, QVariantList> now;
    for (QVariantList& row : listRows(filter, &read))
        now.insert(row.at(ColOrderNo - 1).toString(), std::move(row));
    if (!read) {
        // The failure was told; the same orders are tried again with the next change.
        m_othersOrders.unite(QSet<QString>(numbers.cbegin(), numbers.cend()));
        return true;
    }
    // This screen's own pass-on or take-back is already shown; the filter dropping it is not news.
    QStringList merged;
    for (const QString& number : numbers) {
        if (!m_ownOrders.contains(number) || now.contains(number))
            merged << number;
    }
    SpreadGrid* list = spList();
    const bool activeTouched = MergeChangedRows(list, kListLayout, merged, std::move(now), activeOrder);
    SetRecCount(list->MaxRows());
    if (list->MaxRows() == 0) {
        LoadLines(QString());
        ClearStore();
        return true;
    }
    const int found = RowOfKey(list, kListLayout, activeOrder);
    const int row = found > 0 ? found : std::clamp(list->ActiveRow(), 1, list->MaxRows());
    list->SetActiveCell(col, row);
    if (activeTouched || found == 0) {
        ShowStore(list->CellText(ColStore, row));
        LoadLines(GetOrdNo(-2));
    }
    return true;
}

int FrmRcpt_admin::Search()
{
    const int found = ListQuery();
    LoadLines(GetOrdNo(-2));
    return found;
}

void FrmRcpt_admin::LoadLines(const QString& orderNumber)
{
    WaitCursor wait;
    spDList->SetMaxRows(0);
    QList<QVariantList> rows;
    qint64 quantity = 0;
    qint64 amount = 0;
    qint64 commission = 0;
    qint64 points = 0;
    if (!orderNumber.isEmpty()) {
        Recordset rs;
        ErrInfo error;
        if (readDone(OrderReads::ReadOrderLines(gMainConn, orderNumber, rs, &error), error) &&
            rs.RecordCount() > 0) {
            for (rs.MoveFirst(); !rs.EOF_(); rs.MoveNext()) {
                const qint64 q = whole(rs.value(QStringLiteral("수량")));
                const qint64 a = whole(rs.value(QStringLiteral("금액")));
                const qint64 c = whole(rs.value(QStringLiteral("수수료")));
                const qint64 p = whole(rs.value(QStringLiteral("포인트")));
                rows << QVariantList{rs.text(QStringLiteral("메뉴명")),
                                     q,
                                     whole(rs.value(QStringLiteral("단가"))),
                                     a,
                                     rs.text(QStringLiteral("메모")),
                                     p,
                                     c,
                                     rs.text(QStringLiteral("주문번호")),
                                     whole(rs.value(QStringLiteral("순번")))};
                quantity += q;
                amount += a;
                commission += c;
                points += p;
            }
        }
        rs.close();
    }
    // Ten rows at least, so the grid keeps its look for a short order.
    spDList->SetMaxRows(std::max(int(rows.size()), 10));
    spDList->SetBlockValues(1, rows);
    spDList->SetValue(LnSumQty, 1, quantity);
    spDList->SetValue(LnSumAmount, 1, amount);
    spDList->SetValue(LnSumCommission, 1, commission);
    spDList->SetValue(LnSumPoints, 1, points);
    spTotal->SetValue(LnQty, 1, quantity);
    spTotal->SetValue(LnAmount, 1, amount);
    spTotal->SetValue(LnPoints, 1, points);
    spTotal->SetValue(LnCommission, 1, commission);
    spDList->SetActiveCell(1, 1);
}

bool FrmRcpt_admin::readDone(bool done, const ErrInfo& error) const
{
    if (done)
        return true;
    // While the screen opens, the opening reports it with the screen's name.
    if (m_opening)
        throw DbException(error);
    TellReadError(gMainConn, error);
    return false;
}

void FrmRcpt_admin::ClearStore()
{
    m_store->Clear();
}

void FrmRcpt_admin::ShowStore(const QString& code)
{
    m_store->Show(code);
}

void FrmRcpt_admin::focusList()
{
    // A closed message or preview may hand the activation to the main window; the operator stays here.
    activateWindow();
    spList()->setFocus();
}

void FrmRcpt_admin::AddRecord()
{
    const QString order = GetOrdNo(-2);
    if (order.isEmpty()) {
        ShowInfo(QStringLiteral("접수처리 할 주문자료를 먼저 선택하세요."));
        focusList();
        return;
    }
    const QString time = Clock::Time().toString(QStringLiteral("HH:mm"));
    const ReceptionService::Result r = ReceptionService::PassOn(gMainConn, order, time);
    switch (r.status) {
    case ReceptionService::Status::Done:
        MyFloatMsg(QStringLiteral("접수처리가 완료되었습니다."), 500);
        spList()->SetText(ColPassedOn, spList()->ActiveRow(), time);
        m_ownOrders.insert(order);
        PrintReceipt();
        return;
    case ReceptionService::Status::AlreadyPassedOn:
    case ReceptionService::Status::NotPassedOn:
        ShowInfo(QStringLiteral("이미 접수처리가 완료된 자료 입니다."));
        break;
    case ReceptionService::Status::NotFound:
        ShowWarning(QStringLiteral("주문자료를 찾을 수 없습니다."));
        break;
    case ReceptionService::Status::Reported:
        break;
    case ReceptionService::Status::Failed:
        ShowStdError(r.error, QStringLiteral("AddRecord"), QStringLiteral("FrmRcpt_admin"), ErrOwner::Form);
        break;
    }
    focusList();
}

void FrmRcpt_admin::DeleteRecord()
{
    const QString order = GetOrdNo(-2);
    if (order.isEmpty()) {
        ShowInfo(QStringLiteral("접수취소 처리 할 자료를 먼저 선택하세요."));
        focusList();
        return;
    }
    if (AskYesNo(QStringLiteral("정말 접수처리를 취소 하시겠습니까?"), {}, true) != MsgAnswer::Yes) {
        focusList();
        return;
    }
    const ReceptionService::Result r = ReceptionService::Undo(gMainConn, order);
    switch (r.status) {
    case ReceptionService::Status::Done:
        break;
    case ReceptionService::Status::AlreadyPassedOn:
    case ReceptionService::Status::NotPassedOn:
        ShowInfo(QStringLiteral("접수처리가 되지 않은 자료입니다."));
        focusList();
        return;
    case ReceptionService::Status::NotFound:
        ShowWarning(QStringLiteral("주문자료를 찾을 수 없습니다."));
        focusList();
        return;
    case ReceptionService::Status::Reported:
        focusList();
        return;
    case ReceptionService::Status::Failed:
        ShowStdError(r.error, QStringLiteral("DeleteRecord"), QStringLiteral("FrmRcpt_admin"),
                     ErrOwner::Form);
        focusList();
        return;
    }
    spList()->SetText(ColPassedOn, spList()->ActiveRow(), QString());
    m_ownOrders.insert(order);
    if (AskYesNo(QStringLiteral("접수처리 취소를 완료하였습니다.") + kCrLf + kCrLf +
                     QStringLiteral("주문내역까지 완전히 삭제하시겠습니까?"),
                 {}, true) == MsgAnswer::Yes)
        deleteOrderOfRow();
    spList()->Refresh();
    focusList();
}

void FrmRcpt_admin::deleteOrderOfRow()
{
    if (!DeleteOrder(GetOrdNo(-2)))
        return;
    DeleteGridRow(spList(), -2, true, true);
    SetRecCount(spList()->MaxRows());
    LoadLines(GetOrdNo(-2));
    const QString store =
        GetOrdNo(-2).isEmpty() ? QString() : spList()->CellText(ColStore, spList()->ActiveRow());
    ShowStore(store);
}

void FrmRcpt_admin::RowDoubleClicked(int row)
{
    if (row < 1 || row > spList()->MaxRows())
        return;
    // The order acted on is the one clicked, with its lines and store on show.
    if (row != spList()->ActiveRow()) {
        spList()->SetActiveCell(ColPhone, row);
        LoadLines(GetOrdNo(row));
        ShowStore(spList()->CellText(ColStore, row));
    }
    if (spList()->CellText(ColPassedOn, row).isEmpty())
        AddRecord();
    else
        DeleteRecord();
}

void FrmRcpt_admin::PrintReceipt()
{
    if (spList()->MaxRows() <= 0) {
        ShowInfo(QStringLiteral("영수증을 발행할 내역이 없습니다."));
        return;
    }
    FrmMain* main = FrmMain::Instance();
    const QString centre = main ? main->CentreName() : GetCompanyName();
    FrmPreviewRcv::ShowPreview(GetOrdNo(-2), centre, this);
    focusList();
}

void FrmRcpt_admin::DialStore()
{
    const QString number = m_store->DialNumber();
    if (number.isEmpty()) {
        ShowInfo(QStringLiteral("가맹점에 전화번호가 입력되어 있지 않습니다."));
        return;
    }
    if (dialler()) {
        dialler()(number);
        return;
    }
    if (FrmMain* main = FrmMain::Instance())
        main->AutoDialReady(number);
}

void FrmRcpt_admin::takeCountdown()
{
    FrmMain* main = FrmMain::Instance();
    if (!main || m_mainHooks)
        return;
    AutoDialer& dialer = main->Dialer();
    m_mainHooks = dialer.hooks();
    AutoDialer::Hooks mine = *m_mainHooks;
    mine.showCountdown = [this](const QString& text) {
        pnlAutoDialingmsg->setText(text);
        pnlAutoDialingmsg->setVisible(true);
    };
    mine.hideCountdown = [this] { pnlAutoDialingmsg->setVisible(false); };
    dialer.setHooks(std::move(mine));
}

void FrmRcpt_admin::giveBackCountdown()
{
    FrmMain* main = FrmMain::Instance();
    if (!main || !m_mainHooks)
        return;
    // A dialling started here ends with the screen.
    main->Dialer().Stop();
    main->Dialer().setHooks(*m_mainHooks);
    m_mainHooks.reset();
}

void FrmRcpt_admin::showEvent(QShowEvent* event)
{
    ListScreen::showEvent(event);
    takeCountdown();
    if (m_openingDialDone)
        return;
    m_openingDialDone = true;
    // The store of the first order waiting is called as soon as the screen stands.
    QTimer::singleShot(0, this, [this] {
        if (!btnDialing->isEnabled())
            return;
        DialStore();
        raise();
        focusList();
    });
}

void FrmRcpt_admin::closeEvent(QCloseEvent* event)
{
    giveBackCountdown();
    ListScreen::closeEvent(event);
}

bool FrmRcpt_admin::eventFilter(QObject* watched, QEvent* event)
{
    // The lines are looked at, not worked in: the focus stays with the order list.
    if (watched == spDList && event->type() == QEvent::FocusIn) {
        QTimer::singleShot(0, this, [this] { focusList(); });
        return false;
    }
    return ListScreen::eventFilter(watched, event);
}
