#include "accounts/gui/FrmSvce_admin.h"

#include "accounts/AccountQueries.h"
#include "accounts/PointService.h"
#include "app/Clock.h"
#include "db/DbError.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"
#include "db/modMain_SQL.h"
#include "ui/MsgBox.h"
#include "ui/TextUtil.h"
#include "ui/gui/ChangedRows.h"
#include "ui/gui/GridStyle.h"
#include "ui/gui/MduMainUi.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/SpreadGridModel.h"
#include "ui/gui/modSpread60.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <cmath>
#include <optional>

namespace {
const QString kForm = QStringLiteral("FrmSvce_admin");
const QString kCaption = QStringLiteral("서비스 관리");
const QColor kTickedBack(0xE0, 0xFF, 0xE0);
const QColor kUntickedBack(0xFF, 0xFF, 0xFF);
// Points beyond this are a typing slip, not points.
constexpr double kMaxPoints = 99999999;
// The lists as their reads sort them.
const SortedListLayout kCustomerOrder{
    {{FrmSvce_admin::CustPoints, true, true}, {FrmSvce_admin::CustPhone}, {FrmSvce_admin::CustCode}}, false};
const SortedListLayout kServiceOrder{{{FrmSvce_admin::SvceDate}, {FrmSvce_admin::SvceKey, true}}, false};
// Past this many rows changed at once (a day's import, a restore) the lists are read whole.
constexpr int kMostRowsReadAlone = 50;

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// A whole number from 0 up to kMaxPoints as typed ("1,500" included); nothing for anything else.
std::optional<qint64> wholePoints(const QString& typed)
{
    const std::optional<double> v = ParseNumber(typed);
    if (!v || *v != std::floor(*v) || *v > kMaxPoints || *v < 0)
        return std::nullopt;
    return qint64(*v);
}

QLabel* panelCaption(QWidget* owner, const QString& text)
{
    auto* label = new QLabel(text, owner);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::StyledPanel);
    return label;
}

// The hourglass for a stretch of work; released early before a message.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { release(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    void release()
    {
        if (m_on)
            QApplication::restoreOverrideCursor();
        m_on = false;
    }

private:
    bool m_on = true;
};
} // namespace

FrmSvce_admin::FrmSvce_admin(QWidget* parent) : FrameScreen(parent)
{
    setObjectName(kForm);
    setWindowTitle(kCaption);
    resize(1040, 620);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("splGrids"));
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(buildCustomerPanel());
    splitter->addWidget(buildServicePanel());
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({400, 620});

    m_btnRecAdd = MakeButton(this, QStringLiteral("서비스F2"), QStringLiteral("btnRecAdd"));
    m_btnRecAdd->setToolTip(QStringLiteral("선택한 고객의 포인트를 차감하고 서비스 처리"));
    m_btnRecDel = MakeButton(this, QStringLiteral("삭제 F4"), QStringLiteral("btnRecDel"));
    m_btnRecDel->setToolTip(QStringLiteral("선택한 서비스 내역 삭제(취소)"));
    m_btnClose = MakeCloseButton();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {m_btnRecAdd, m_btnRecDel, m_btnClose})
        buttons->addWidget(b);

    QVBoxLayout* layout = frameLayout();
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);

    designGrids();
    connectTicking();
    FollowOthers({QStringLiteral("고객"), QStringLiteral("서비스")},
                 [this](const QList<ChangeFeed::Change>& changes) { takeOthers(changes); });

    connect(m_btnRefresh, &QPushButton::clicked, this, [this] { ListCustomers(); });
    connect(m_btnQuery, &QPushButton::clicked, this, [this] { ListServices(); });
    connect(m_btnRecAdd, &QPushButton::clicked, this, &FrmSvce_admin::GrantServices);
    connect(m_btnRecDel, &QPushButton::clicked, this, &FrmSvce_admin::CancelService);
    AddKey(QKeySequence(Qt::Key_F2), [this] { GrantServices(); });
    AddKey(QKeySequence(Qt::Key_F4), [this] { CancelService(); });
    AddKey(QKeySequence(Qt::Key_F5), [this] { ListServices(); });

    CenterForm(this);
    FinishLayout({m_spCust, m_spSvce});

    const QDate today = Clock::Today();
    m_hdTermFrom->setDate(today);
    m_hdTermTo->setDate(today);
    try {
        const QString threshold = GetConfig(Settings::Key::ServiceThreshold);
        m_htPt->setText(QString::number(qint64(ParseNumber(threshold, false).value_or(Val(threshold)))));
        ListServices();
        ListCustomers();
    } catch (const DbException& e) {
        ShowStdError(e.info(), QStringLiteral("Form_Load"), kForm, ErrOwner::Form);
    }
    setFocusProxy(m_spCust);
}

FrmSvce_admin::~FrmSvce_admin() = default;

ScreenEntry FrmSvce_admin::Entry()
{
    return CatalogueEntry(kForm, kCaption, QStringLiteral("mnuBasic_Service"),
                          [] { return new FrmSvce_admin; });
}

QWidget* FrmSvce_admin::buildCustomerPanel()
{
    auto* box = new QWidget(this);
    m_htPt = new QLineEdit(box);
    m_htPt->setObjectName(QStringLiteral("htPt"));
    m_htPt->setAlignment(Qt::AlignRight);
    m_htPt->setMaximumWidth(80);
    m_htPt->setToolTip(QStringLiteral("서비스 대상 점수(엔터: 고객목록 새로고침)"));
    m_htPt->installEventFilter(this);
    m_btnRefresh = MakeButton(box, QString(), QStringLiteral("btnRefresh"));
    m_btnRefresh->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    m_btnRefresh->setToolTip(QStringLiteral("고객목록 새로고침"));
    auto* search = new QHBoxLayout;
    search->addWidget(m_htPt);
    search->addWidget(new QLabel(QStringLiteral("점 이상"), box));
    search->addStretch(1);
    search->addWidget(m_btnRefresh);

    m_spCust = new SpreadGrid(box);
    m_spCust->setObjectName(QStringLiteral("spCust"));

    m_lblCountRec = new QLabel(QStringLiteral("0"), box);
    m_lblCountRec->setObjectName(QStringLiteral("lblCountRec"));
    m_lblCountRec->setMinimumWidth(40);
    m_lblCountRec->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* count = new QHBoxLayout;
    count->addWidget(new QLabel(QStringLiteral("선택한 고객수:"), box));
    count->addWidget(m_lblCountRec);
    count->addStretch(1);

    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panelCaption(box, QStringLiteral("[ 고객 목록 ]")));
    layout->addLayout(search);
    layout->addWidget(m_spCust, 1);
    layout->addLayout(count);
    return box;
}

QWidget* FrmSvce_admin::buildServicePanel()
{
    auto* box = new QWidget(this);
    m_hdTerm = new QFrame(box);
    m_hdTerm->setObjectName(QStringLiteral("hdTerm"));
    auto* term = new QHBoxLayout(m_hdTerm);
    term->setContentsMargins(0, 0, 0, 0);
    m_hdTermFrom = new QDateEdit(m_hdTerm);
    m_hdTermFrom->setObjectName(QStringLiteral("hdTermFrom"));
    m_hdTermTo = new QDateEdit(m_hdTerm);
    m_hdTermTo->setObjectName(QStringLiteral("hdTermTo"));
    for (QDateEdit* date : {m_hdTermFrom, m_hdTermTo}) {
        date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        date->setCalendarPopup(true);
        date->installEventFilter(this);
    }
    term->addWidget(m_hdTermFrom);
    term->addWidget(new QLabel(QStringLiteral("~"), m_hdTerm));
    term->addWidget(m_hdTermTo);
    m_btnQuery = MakeButton(box, QStringLiteral("조회 F5"), QStringLiteral("btnQuery"));
    auto* search = new QHBoxLayout;
    search->addWidget(new QLabel(QStringLiteral("검색기간:"), box));
    search->addWidget(m_hdTerm);
    search->addStretch(1);
    search->addWidget(m_btnQuery);

    m_spSvce = new SpreadGrid(box);
    m_spSvce->setObjectName(QStringLiteral("spSvce"));

    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panelCaption(box, QStringLiteral("[ 서비스 내역 ]")));
    layout->addLayout(search);
    layout->addWidget(m_spSvce, 1);
    return box;
}

void FrmSvce_admin::designGrids()
{
    m_spCust->SetMaxCols(CustColCount);
    CommonSpreadDesign(m_spCust, true, true);
    m_spCust->SetColHeaders(
        {QStringLiteral("전화"), QStringLiteral("PT"), QStringLiteral("선택"), QStringLiteral("고객코드")});
    const double custWidths[] = {13, 7, 4, 9};
    for (int c = 1; c <= CustColCount; ++c)
        m_spCust->SetColWidth(c, custWidths[c - 1]);
    SetNumberColumn(m_spCust, CustPoints);
    SetColFormats(m_spCust, {{CustPhone, ColFormat::Telephone}, {CustCode, ColFormat::CustomerCode}});
    // The tick is the one cell the operator changes: a check box, unlocked.
    m_spCust->SetCol(CustTick);
    m_spCust->SetRow(-1);
    m_spCust->SetCellType(CellTypeCheckBox);
    m_spCust->SetTypeHAlign(HAlignCenter);
    m_spCust->SetLock(false);
    m_spCust->SetCol(1);
    m_spCust->SetRow(1);
    // The top-left corner selects the whole sheet.
    m_spCust->view()->setCornerButtonEnabled(true);
    m_spCust->view()->verticalHeader()->viewport()->installEventFilter(this);

    m_spSvce->SetMaxCols(SvceColCount);
    CommonSpreadDesign(m_spSvce, true, true, false, true);
    m_spSvce->SetColHeaders({QStringLiteral("서비스일"), QStringLiteral("고객코드"), QStringLiteral("전화"),
                             QStringLiteral("우편번호"), QStringLiteral("주소"), QStringLiteral("차감PT"),
                             QStringLiteral("Key")});
    const double svceWidths[] = {10, 9, 12, 7, 28, 7, 5};
    for (int c = 1; c <= SvceColCount; ++c)
        m_spSvce->SetColWidth(c, svceWidths[c - 1]);
    SetNumberColumn(m_spSvce, SvcePoints);
    SetColFormats(m_spSvce, {{SvceDate, ColFormat::Date},
                             {SvceCustomer, ColFormat::CustomerCode},
                             {SvcePhone, ColFormat::Telephone},
                             {SvceZip, ColFormat::ZipCode}});
    m_spSvce->SetCol(1);
    m_spSvce->SetRow(1);
}

void FrmSvce_admin::connectTicking()
{
    connect(m_spCust, &SpreadGrid::ButtonClicked, this, [this](int col, int row, int) {
        if (col != CustTick || row < 1)
            return;
        if (!m_clickTimer.isValid() || m_clickRow != row ||
            m_clickTimer.elapsed() > QApplication::doubleClickInterval()) {
            m_clickRow = row;
            m_tickBeforeClicks = !IsTicked(row);
            m_clickTimer.start();
        }
        // The grid has flipped the tick itself; the row's colour and the counter follow it.
        setTick(row, IsTicked(row));
        countTicks();
    });
    connect(m_spCust, &SpreadGrid::DblClick, this, [this](int col, int row) {
        if (row < 1)
            return;
        // On the check box the presses of the double-click have flipped the tick already, once or twice
        // depending on the window system: the row ends opposite to where it stood before them.
        if (col == CustTick && row == m_clickRow && m_clickTimer.isValid() &&
            m_clickTimer.elapsed() <= QApplication::doubleClickInterval()) {
            setTick(row, !m_tickBeforeClicks);
            countTicks();
            return;
        }
        FlipTick(row);
    });
    connect(m_spCust, &SpreadGrid::KeyDown, this, [this](int& key, int shift) {
        const int row = m_spCust->ActiveRow();
        if (shift == 0 && (isEnter(key) || (key == Qt::Key_Space && m_spCust->ActiveCol() != CustTick))) {
            key = 0;
            if (row >= 1)
                FlipTick(row);
        } else if (shift == 2 && key == Qt::Key_A) {
            key = 0;
            TickAll();
        }
    });
    const auto buttons = m_spCust->view()->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly);
    for (QAbstractButton* corner : buttons)
        connect(corner, &QAbstractButton::clicked, this, &FrmSvce_admin::TickAll);
}

bool FrmSvce_admin::IsTicked(int row) const
{
    return m_spCust->CellText(CustTick, row) == QLatin1String("1");
}

void FrmSvce_admin::setTick(int row, bool on)
{
    m_spCust->SetText(CustTick, row, on ? QStringLiteral("1") : QString());
    SetBlockBackColor(m_spCust, 1, row, CustColCount, row, on ? kTickedBack : kUntickedBack);
}

void FrmSvce_admin::countTicks()
{
    int n = 0;
    for (int r = 1; r <= m_spCust->MaxRows(); ++r)
        n += IsTicked(r) ? 1 : 0;
    m_lblCountRec->setText(QString::number(n));
}

void FrmSvce_admin::FlipTick(int row)
{
    FlipBlock(row, row);
}

void FrmSvce_admin::FlipBlock(int row1, int row2)
{
    const int first = qMax(1, qMin(row1, row2));
    const int last = qMin(m_spCust->MaxRows(), qMax(row1, row2));
    if (first > last)
        return;
    m_spCust->SetReDraw(false);
    for (int r = first; r <= last; ++r)
        setTick(r, !IsTicked(r));
    m_spCust->SetReDraw(true);
    countTicks();
}

void FrmSvce_admin::TickAll()
{
    const int rows = m_spCust->MaxRows();
    if (rows < 1)
        return;
    const bool on = !IsTicked(1);
    m_spCust->SetReDraw(false);
    for (int r = 1; r <= rows; ++r)
        setTick(r, on);
    m_spCust->SetReDraw(true);
    m_lblCountRec->setText(QString::number(on ? rows : 0));
}

int FrmSvce_admin::ListCustomers()
{
    const std::optional<qint64> threshold = wholePoints(m_htPt->text());
    if (!threshold) {
        ShowInfo(QStringLiteral("[서비스 대상 점수]에는 0에서 99,999,999 사이의 정수만 입력할 수 있습니다.") +
                     kCrLf + QStringLiteral("예) 100 또는 1,000"),
                 QStringLiteral("입력오류"));
        m_htPt->setFocus();
        return -1;
    }
    WaitCursor wait;
    m_spCust->SetReDraw(false);
    const int remembered = m_spCust->ActiveRow();
    m_spCust->SetMaxRows(0);
    m_lastThreshold = threshold;
    Recordset rs;
    QList<QVariantList> rows;
    if (OpenQuery(rs, AccountQueries::PointCustomers(*threshold)) >= 0)
        rows = customerRows(rs);
    rs.close();
    m_spCust->SetMaxRows(int(rows.size()));
    m_spCust->SetBlockValues(1, rows);
    if (!rows.isEmpty())
        m_spCust->SetActiveCell(CustPhone, remembered >= 1 && remembered <= rows.size() ? remembered : 1);
    m_lblCountRec->setText(QStringLiteral("0"));
    m_spCust->SetReDraw(true);
    wait.release();
    if (rows.isEmpty() && isVisible())
        ShowInfo(m_htPt->text() + QStringLiteral("점 이상의 고객은 없습니다."));
    return int(rows.size());
}

int FrmSvce_admin::ListServices()
{
    WaitCursor wait;
    m_spSvce->SetReDraw(false);
    const int remembered = m_spSvce->ActiveRow();
    m_spSvce->SetMaxRows(0);
    const QString from = m_hdTermFrom->date().toString(QStringLiteral("yyyy-MM-dd"));
    const QString to = m_hdTermTo->date().toString(QStringLiteral("yyyy-MM-dd"));
    m_lastFrom = from;
    m_lastTo = to;
    Recordset rs;
    QList<QVariantList> rows;
    if (OpenQuery(rs, AccountQueries::Services(from, to)) >= 0)
        rows = serviceRows(rs);
    rs.close();
    m_spSvce->SetMaxRows(int(rows.size()));
    m_spSvce->SetBlockValues(1, rows);
    if (!rows.isEmpty())
        m_spSvce->SetActiveCell(SvceDate, remembered >= 1 && remembered <= rows.size() ? remembered : 1);
    m_spSvce->SetReDraw(true);
    return int(rows.size());
}

QList<QVariantList> FrmSvce_admin::customerRows(const Recordset& rs)
{
    const int iPhone = rs.fieldIndex(QStringLiteral("전화1"));
    const int iPoints = rs.fieldIndex(QStringLiteral("현포인트"));
    const int iCode = rs.fieldIndex(QStringLiteral("코드"));
    QList<QVariantList> rows;
    for (const QVariantList& r : rs.rows())
        rows << QVariantList{NullToStr(r.value(iPhone)), r.value(iPoints).toLongLong(), QString(),
                             NullToStr(r.value(iCode))};
    return rows;
}

QList<QVariantList> FrmSvce_admin::serviceRows(const Recordset& rs)
{
    const int iDate = rs.fieldIndex(QStringLiteral("서비스일"));
    const int iCustomer = rs.fieldIndex(QStringLiteral("고객코드"));
    const int iPhone = rs.fieldIndex(QStringLiteral("전화1"));
    const int iZip = rs.fieldIndex(QStringLiteral("우편번호"));
    const int iAddr1 = rs.fieldIndex(QStringLiteral("주소1"));
    const int iAddr2 = rs.fieldIndex(QStringLiteral("주소2"));
    const int iPoints = rs.fieldIndex(QStringLiteral("차감포인트"));
    const int iKey = rs.fieldIndex(QStringLiteral("처리순번"));
    QList<QVariantList> rows;
    for (const QVariantList& r : rs.rows())
        rows << QVariantList{NullToStr(r.value(iDate)),
                             NullToStr(r.value(iCustomer)),
                             NullToStr(r.value(iPhone)),
                             NullToStr(r.value(iZip)),
                             NullToStr(r.value(iAddr1)) + QLatin1Char(' ') + NullToStr(r.value(iAddr2)),
                             r.value(iPoints).toLongLong(),
                             r.value(iKey).toLongLong()};
    return rows;
}

void FrmSvce_admin::takeOthers(const QList<ChangeFeed::Change>& changes)
{
    QSet<QString> customers;
    QSet<QString> services;
    bool all = false;
    for (const ChangeFeed::Change& c : changes) {
        all = all || c.key.isEmpty();
        (c.table == QStringLiteral("고객") ? customers : services).insert(c.key);
    }
    if (all || customers.size() + services.size() > kMostRowsReadAlone) {
        // Too much to pick out: both lists are read again with their last queries, ticks kept by code.
        followCustomers({});
        followServices({}, {});
        return;
    }
    const QStringList codes(customers.cbegin(), customers.cend());
    if (!codes.isEmpty())
        followCustomers(codes);
    if (!codes.isEmpty() || !services.isEmpty())
        followServices(QStringList(services.cbegin(), services.cend()), codes);
}

void FrmSvce_admin::followCustomers(const QStringList& codes)
{
    if (!m_lastThreshold)
        return;
    Recordset rs;
    if (OpenQuery(rs, AccountQueries::PointCustomers(*m_lastThreshold, codes)) < 0)
        return;
    const QList<QVariantList> read = customerRows(rs);
    rs.close();
    QSet<QString> ticked;
    for (int r = 1; r <= m_spCust->MaxRows(); ++r) {
        if (IsTicked(r))
            ticked.insert(m_spCust->CellText(CustCode, r));
    }
    const KeptPlace kept = KeepPlace(m_spCust, CustCode);
    m_spCust->SetReDraw(false);
    QStringList keys = codes;
    if (keys.isEmpty()) {
        for (int r = 1; r <= m_spCust->MaxRows(); ++r)
            keys << m_spCust->CellText(CustCode, r);
    }
    QHash<QString, QVariantList> now;
    for (const QVariantList& row : read) {
        now.insert(row.value(CustCode - 1).toString(), row);
        if (codes.isEmpty() && !keys.contains(row.value(CustCode - 1).toString()))
            keys << row.value(CustCode - 1).toString();
    }
    MergeChangedRows(m_spCust, kCustomerOrder, keys, std::move(now), kept.key);
    // A row put in afresh has lost its tick and colour: they follow its code.
    const auto retick = [&](int r) { setTick(r, ticked.contains(m_spCust->CellText(CustCode, r))); };
    if (codes.isEmpty()) {
        for (int r = 1; r <= m_spCust->MaxRows(); ++r)
            retick(r);
    } else {
        for (const QString& code : codes) {
            if (const int r = RowOfKey(m_spCust, kCustomerOrder, code))
                retick(r);
        }
    }
    countTicks();
    m_spCust->SetReDraw(true);
    RestorePlace(m_spCust, CustCode, kept);
}

void FrmSvce_admin::followServices(const QStringList& keys, const QStringList& customerCodes)
{
    if (m_lastFrom.isEmpty())
        return;
    QList<qint64> numbers;
    for (const QString& k : keys)
        numbers << k.toLongLong();
    Recordset rs;
    if (OpenQuery(rs, AccountQueries::Services(m_lastFrom, m_lastTo, numbers, customerCodes)) < 0)
        return;
    const QList<QVariantList> read = serviceRows(rs);
    rs.close();
    const KeptPlace kept = KeepPlace(m_spSvce, SvceKey);
    // Besides the entries named, those shown for the customers named may have changed or gone.
    QStringList changed = keys;
    for (int r = 1; r <= m_spSvce->MaxRows(); ++r) {
        const bool everyRow = keys.isEmpty() && customerCodes.isEmpty();
        if (everyRow || customerCodes.contains(m_spSvce->CellText(SvceCustomer, r)))
            changed << m_spSvce->CellText(SvceKey, r);
    }
    QHash<QString, QVariantList> now;
    for (const QVariantList& row : read) {
        const QString key = row.value(SvceKey - 1).toString();
        now.insert(key, row);
        if (!changed.contains(key))
            changed << key;
    }
    m_spSvce->SetReDraw(false);
    MergeChangedRows(m_spSvce, kServiceOrder, changed, std::move(now), kept.key);
    m_spSvce->SetReDraw(true);
    RestorePlace(m_spSvce, SvceKey, kept);
}

void FrmSvce_admin::showRowAtTop(int row)
{
    m_spCust->SetActiveCell(CustPhone, row);
    m_spCust->view()->scrollTo(m_spCust->model()->index(row - 1, 0), QAbstractItemView::PositionAtTop);
}

void FrmSvce_admin::GrantServices()
{
    const int rows = m_spCust->MaxRows();
    bool any = false;
    for (int r = 1; r <= rows && !any; ++r)
        any = IsTicked(r);
    if (!any) {
        ShowInfo(QStringLiteral("서비스 처리할 자료를 선택하지 않았습니다.") + kCrLf +
                 QStringLiteral("좌측고객목록에서 대상을 선택하세요.(모서리클릭: 전체선택)"));
        return;
    }
    const QString answer = InputBox(QStringLiteral("서비스 처리시 차감할 포인트는 얼마입니까?") + kCrLf +
                                        QStringLiteral("0이나 공백입력시 서비스 처리를 하지 않습니다."),
                                    {}, m_htPt->text());
    // The answer's numeric value as a whole number ("50.5" is 50, letters 0): 0 stops without a word. A
    // negative deduction would add points and one beyond the limit is a typing slip: both are refused.
    const double value = std::trunc(ParseNumber(answer).value_or(Val(answer)));
    if (value == 0)
        return;
    if (value < 0 || value > kMaxPoints) {
        ShowInfo(QStringLiteral("[차감할 포인트]에는 1에서 99,999,999 사이의 숫자만 입력할 수 있습니다.") +
                     kCrLf + QStringLiteral("예) 50 또는 1,500"),
                 QStringLiteral("입력오류"));
        return;
    }
    const qint64 points = qint64(value);

    WaitCursor wait;
    const QDate today = Clock::Today();
    bool completed = true;
    for (int i = 1; i <= rows; ++i) {
        if (!IsTicked(i))
            continue;
        const QString phone = m_spCust->CellText(CustPhone, i);
        const QString rowText = QString::number(i) + QStringLiteral("행 위치의 ") + phone;
        const QString tooFew = rowText + QStringLiteral(" 고객의 포인트가 차감할 포인트보다 작습니다.");
        if (ParseNumber(m_spCust->CellText(CustPoints, i)).value_or(0) < double(points)) {
            wait.release();
            showRowAtTop(i);
            ShowInfo(tooFew);
            completed = false;
            break;
        }
        const PointService::Result r =
            PointService::GrantService(m_spCust->CellText(CustCode, i), points, today);
        if (r.status == PointService::Status::TooFewPoints) {
            wait.release();
            showRowAtTop(i);
            ShowInfo(tooFew);
            completed = false;
            break;
        }
        if (!r.ok()) {
            wait.release();
            showRowAtTop(i);
            ShowErrorInfo(rowText + QStringLiteral(" 고객의 서비스처리를 실패하였습니다."),
                          r.status == PointService::Status::NotFound
                              ? ErrInfo{DbErr::kUnspecified, QStringLiteral("해당 고객을 찾을 수 없습니다.")}
                              : r.error);
            completed = false;
            break;
        }
        setTick(i, false);
        countTicks();
    }
    wait.release();
    if (completed)
        MyFloatMsg(QStringLiteral("서비스 처리가 완료되었습니다."), 500);
    ListCustomers();
    ListServices();
}

void FrmSvce_admin::CancelService()
{
    const int row = m_spSvce->ActiveRow();
    const QString key = row >= 1 && row <= m_spSvce->MaxRows() ? m_spSvce->CellText(SvceKey, row) : QString();
    if (key.isEmpty()) {
        ShowInfo(QStringLiteral("먼저 그리드에서 삭제할 자료를 선택하세요."));
        m_spSvce->setFocus();
        return;
    }
    if (AskYesNo(QStringLiteral("선택된 서비스 내역 자료를 정말로 삭제(취소) 하시겠습니까?") + kCrLf, {},
                 true) != MsgAnswer::Yes) {
        m_spSvce->setFocus();
        return;
    }
    const PointService::Result r = PointService::CancelService(key.toLongLong());
    switch (r.status) {
    case PointService::Status::Done:
        DeleteGridRow(m_spSvce, row, true, true);
        ListCustomers();
        break;
    case PointService::Status::Linked:
        ShowInfo(QStringLiteral("해당 자료가 다른자료와 연결되어 있어 삭제할 수 없습니다."));
        break;
    case PointService::Status::NotFound:
        ShowWarning(QStringLiteral("선택된 자료를 삭제 할 수 없습니다.") + kCrLf + kCrLf +
                    QStringLiteral("이미 삭제되었거나, 삭제할 수 없는 경우가 발생했습니다."));
        break;
    default:
        ShowErrorInfo(QStringLiteral("자료를 삭제하는 중 오류가 발생했습니다."), r.error);
        break;
    }
    m_spSvce->setFocus();
}

bool FrmSvce_admin::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress && isEnter(static_cast<QKeyEvent*>(event)->key())) {
        if (watched == m_htPt) {
            if (ListCustomers() > 0)
                m_spCust->setFocus();
            return true;
        }
        if (watched == m_hdTermFrom || watched == m_hdTermTo) {
            ListServices();
            return true;
        }
    }
    QHeaderView* rowHeaders = m_spCust ? m_spCust->view()->verticalHeader() : nullptr;
    if (rowHeaders && watched == rowHeaders->viewport()) {
        // A block of rows is drawn over the row headers (Shift extends from the cursor row); letting go
        // flips the tick of every row in it.
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
            type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
            return FrameScreen::eventFilter(watched, event);
        auto* mouse = static_cast<QMouseEvent*>(event);
        const int rows = m_spCust->MaxRows();
        const int at = rowHeaders->logicalIndexAt(mouse->position().toPoint().y()) + 1;
        const int row = at >= 1 ? at : (mouse->position().y() < 0 ? 1 : rows);
        if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) &&
            mouse->button() == Qt::LeftButton && at >= 1) {
            const int cursorRow = m_spCust->ActiveRow();
            m_blockAnchor = (mouse->modifiers() & Qt::ShiftModifier) && cursorRow >= 1 ? cursorRow : row;
            m_blockEnd = row;
        } else if (type == QEvent::MouseMove && m_blockAnchor > 0) {
            m_blockEnd = row;
        } else if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton &&
                   m_blockAnchor > 0) {
            const int anchor = m_blockAnchor;
            m_blockAnchor = 0;
            if (rows >= 1) {
                FlipBlock(anchor, m_blockEnd);
                m_spCust->SetActiveCell(CustPhone, qBound(1, m_blockEnd, rows));
            }
        }
        return true;
    }
    return FrameScreen::eventFilter(watched, event);
}
