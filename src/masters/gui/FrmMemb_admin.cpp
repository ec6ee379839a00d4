#include "masters/gui/FrmMemb_admin.h"

#include "db/DbError.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"
#include "masters/HolidayRules.h"
#include "masters/StoreQueries.h"
#include "masters/StoreService.h"
#include "masters/gui/FrmHDay_save.h"
#include "masters/gui/FrmMemb_save.h"
#include "ui/MsgBox.h"
#include "ui/TextUtil.h"
#include "ui/gui/MduMainUi.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/ScreenCatalogue.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modFormIni.h"
#include "ui/gui/modSpread60.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace {
const QString kForm = QStringLiteral("FrmMemb_admin");
const QString kNotDeleted = QStringLiteral("코드『%0』에 해당하는 자료를 삭제 할 수 없습니다.\r\n\r\n"
                                           "이미 삭제되었거나, 삭제할 수 없는 경우가 발생했습니다.");
const QString kLinked = QStringLiteral("해당 자료가 다른자료와 연결되어 있어 삭제할 수 없습니다.");
// A menu's price beyond this is a typing slip, not a price.
constexpr double kMaxPrice = 100000000;

// The waiting cursor for the time of a query, given back also when the query throws.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

qint64 wholeOf(const QString& shown)
{
    const std::optional<double> v = ParseNumber(shown);
    return v ? qint64(std::llround(*v)) : 0;
}

QWidget* panel(QWidget* owner, const QString& caption, QWidget* grid, QLabel** captionLabel = nullptr,
               QWidget* below = nullptr)
{
    auto* box = new QWidget(owner);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(caption, box);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(label);
    layout->addWidget(grid, 1);
    if (below)
        layout->addWidget(below);
    if (captionLabel)
        *captionLabel = label;
    return box;
}
} // namespace

FrmMemb_admin::FrmMemb_admin(QWidget* parent) : ListScreen(parent)
{
    setObjectName(kForm);
    setWindowTitle(QStringLiteral("가맹점 관리"));
    resize(1180, 600);

    SpreadGrid* grid = spList();
    grid->SetMaxCols(ColCount);
    CommonSpreadDesign(grid, true, true, false, true);
    grid->SetColHeaders({QStringLiteral("코드"), QStringLiteral("상호"), QStringLiteral("전화번호"),
                         QStringLiteral("수수료"), QStringLiteral("주소"), QStringLiteral("메모"),
                         QStringLiteral("현잔액")});
    const double widths[] = {5, 13, 11, 5, 22, 10, 9};
    for (int c = 1; c <= ColCount; ++c)
        grid->SetColWidth(c, widths[c - 1]);
    SetNumberColumn(grid, ColRate);
    SetMoneyColumn(grid, ColBalance);
    SetColFormats(
        grid,
        {{ColCode, ColFormat::StoreCode}, {ColName, ColFormat::StoreName}, {ColTel, ColFormat::Telephone}});
    btnRecAdd()->setToolTip(QStringLiteral("가맹점 추가"));
    btnRecEdit()->setToolTip(QStringLiteral("가맹점 수정"));
    btnRecDel()->setToolTip(QStringLiteral("가맹점 삭제"));

    buildPanels();

    AddFindKey(QStringLiteral("코드"), QStringLiteral("코드"));
    AddFindKey(QStringLiteral("상호"), QStringLiteral("상호"));
    AddFindKey(QStringLiteral("전화번호"), QStringLiteral("전화1,전화2,전화3,전화4"));
    AddFindKey(QStringLiteral("기본주소"), QStringLiteral("주소1"));
    AddFindKey(QStringLiteral("번지"), QStringLiteral("주소2"));
    AddFindKey(QStringLiteral("메모"), QStringLiteral("메모"));
    FillFindModeCombo(cmbFindOP());

    connect(grid, &SpreadGrid::KeyDown, this, &FrmMemb_admin::spList_KeyDown);
    connect(grid, &SpreadGrid::LeaveCell, this, &FrmMemb_admin::spList_LeaveCell);
    connect(m_spMenu, &SpreadGrid::KeyDown, this, &FrmMemb_admin::spMenu_KeyDown);
    connect(m_spMenu, &SpreadGrid::EditMode, this, &FrmMemb_admin::spMenu_EditMode);
    connect(m_spMenu, &SpreadGrid::LeaveCell, this, &FrmMemb_admin::spMenu_LeaveCell);
    connect(m_spHDay, &SpreadGrid::DblClick, this, [this](int, int row) {
        if (row > 0)
            EditHolidayMemo(row);
    });
    connect(m_btnMnuDel, &QPushButton::clicked, this, &FrmMemb_admin::DeleteMenu);
    connect(m_btnHDayAdd, &QPushButton::clicked, this, &FrmMemb_admin::AddHoliday);
    auto* f9 = new QShortcut(QKeySequence(Qt::Key_F9), this);
    connect(f9, &QShortcut::activated, this, &FrmMemb_admin::AddHoliday);

    RefreshRecCount();
    CenterForm(this);
    FollowOthers({QStringLiteral("가맹점"), QStringLiteral("취급메뉴"), QStringLiteral("가맹점휴일")}, ColCode);
    FinishLayout();
    for (SpreadGrid* g : {m_spMenu, m_spHDay}) {
        WatchColWidths(this, g);
        ConnectGridMenu(this, g);
    }
    RunOpening([this] { Search(); });
    setFocusProxy(grid);
}

FrmMemb_admin::~FrmMemb_admin() = default;

ScreenEntry FrmMemb_admin::Entry()
{
    return CatalogueEntry(kForm, QStringLiteral("가맹점 관리"), QStringLiteral("mnuBasic_Member"),
                          [] { return new FrmMemb_admin; });
}

void FrmMemb_admin::buildPanels()
{
    m_spMenu = new SpreadGrid(this);
    m_spMenu->setObjectName(QStringLiteral("spMenu"));
    m_spMenu->SetMaxCols(MenuColCount);
    CommonSpreadDesign(m_spMenu, false, true, false, false);
    m_spMenu->SetColHeaders({QStringLiteral("메뉴명"), QStringLiteral("판매단가"), QStringLiteral("메모"),
                             QStringLiteral("코드")});
    const double menuWidths[] = {16, 9, 12, 6};
    for (int c = 1; c <= MenuColCount; ++c)
        m_spMenu->SetColWidth(c, menuWidths[c - 1]);
    SetMoneyColumn(m_spMenu, MenuPrice);
    LockColumns(m_spMenu, {MenuCode});
    m_spMenu->SetEditEnterAction(SpreadGrid::EnterRight);

    m_spHDay = new SpreadGrid(this);
    m_spHDay->setObjectName(QStringLiteral("spHDay"));
    m_spHDay->SetMaxCols(HDayColCount);
    CommonSpreadDesign(m_spHDay, true, true, false, true);
    m_spHDay->SetColHeaders(
        {QStringLiteral("구분"), QStringLiteral("일자"), QStringLiteral("메모"), QStringLiteral("key")});
    const double dayWidths[] = {5, 10, 14, 5};
    for (int c = 1; c <= HDayColCount; ++c)
        m_spHDay->SetColWidth(c, dayWidths[c - 1]);
    m_spHDay->SetColHidden(HDaySeq, true);
    SetColFormat(m_spHDay, HDayDay, ColFormat::Date);

    m_btnMnuDel = new QPushButton(QStringLiteral("삭제 F4"), this);
    m_btnMnuDel->setObjectName(QStringLiteral("btnMnuDel"));
    m_btnMnuDel->setToolTip(QStringLiteral("취급메뉴 삭제"));
    m_btnMnuDel->setAutoDefault(false);
    m_btnHDayAdd = new QPushButton(QStringLiteral("휴일추가F9"), this);
    m_btnHDayAdd->setObjectName(QStringLiteral("btnHDayAdd"));
    m_btnHDayAdd->setAutoDefault(false);

    // The list takes the place the base screen gave it, beside the two grids of its active store.
    auto* vbox = qobject_cast<QVBoxLayout*>(layout());
    const int at = vbox->indexOf(spList());
    vbox->removeWidget(spList());
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("splGrids"));
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(panel(splitter, QStringLiteral("『 가맹점 목록 』"), spList()));
    splitter->addWidget(panel(splitter, QStringLiteral("『 취급 메뉴 』"), m_spMenu, nullptr, m_btnMnuDel));
    splitter->addWidget(
        panel(splitter, QStringLiteral("『 휴일설정 』"), m_spHDay, &m_lblHDay, m_btnHDayAdd));
    splitter->setStretchFactor(0, 5);
    splitter->setStretchFactor(1, 3);
    splitter->setStretchFactor(2, 2);
    vbox->insertWidget(at, splitter, 1);
}

void FrmMemb_admin::RefreshRecCount()
{
    try {
        SetRecCount(CountRows(QStringLiteral("가맹점")));
    } catch (const DbException& e) {
        ShowErrorInfo(QStringLiteral("자료수를 읽는 중 오류가 발생했습니다."), e.info());
    }
}

int FrmMemb_admin::Search()
{
    if (!AcceptSearchText())
        return 0;
    SpreadGrid* grid = spList();
    const int remembered = grid->ActiveRow();
    grid->SetMaxRows(0);
    Recordset rs;
    QList<QVariantList> rows;
    {
        WaitCursor wait;
        const SearchRow terms = SearchedRow();
        if (OpenListQuery(rs, StoreQueries::List(terms.columns, terms.mode, terms.text)) >= 0) {
            const int iCode = rs.fieldIndex(QStringLiteral("코드"));
            const int iName = rs.fieldIndex(QStringLiteral("상호"));
            const int iTel = rs.fieldIndex(QStringLiteral("전화1"));
            const int iRate = rs.fieldIndex(QStringLiteral("수수료율"));
            const int iAddr1 = rs.fieldIndex(QStringLiteral("주소1"));
            const int iAddr2 = rs.fieldIndex(QStringLiteral("주소2"));
            const int iMemo = rs.fieldIndex(QStringLiteral("메모"));
            const int iBalance = rs.fieldIndex(QStringLiteral("현잔액"));
            for (const QVariantList& r : rs.rows())
                rows << QVariantList{NullToStr(r.value(iCode)),
                                     NullToStr(r.value(iName)),
                                     NullToStr(r.value(iTel)),
                                     r.value(iRate).toDouble(),
                                     NullToStr(r.value(iAddr1)) + QLatin1Char(' ') +
                                         NullToStr(r.value(iAddr2)),
                                     NullToStr(r.value(iMemo)),
                                     r.value(iBalance).toDouble()};
            rs.close();
        }
        grid->SetMaxRows(int(rows.size()));
        grid->SetBlockValues(1, rows);
        if (!rows.isEmpty())
            grid->SetActiveCell(ColName, remembered >= 1 && remembered <= rows.size() ? remembered : 1);
    }
    loadSubGrids();
    return int(rows.size());
}

QString FrmMemb_admin::ActiveStoreCode() const
{
    const int row = spList()->ActiveRow();
    if (spList()->MaxRows() <= 0 || row < 1 || row > spList()->MaxRows())
        return QString();
    return spList()->CellText(ColCode, row);
}

void FrmMemb_admin::loadSubGrids()
{
    const QString store = ActiveStoreCode();
    LoadMenus(store);
    LoadHolidays(store);
}

void FrmMemb_admin::LoadMenus(const QString& store)
{
    WaitCursor wait;
    m_spMenu->SetMaxRows(0);
    if (!store.isEmpty()) {
        Recordset rs;
        QList<QVariantList> rows;
        if (OpenListQuery(rs, StoreQueries::Menus(store)) >= 0) {
            const int iName = rs.fieldIndex(QStringLiteral("메뉴명"));
            const int iPrice = rs.fieldIndex(QStringLiteral("판매단가"));
            const int iMemo = rs.fieldIndex(QStringLiteral("메모"));
            const int iCode = rs.fieldIndex(QStringLiteral("코드"));
            for (const QVariantList& r : rs.rows())
                rows << QVariantList{NullToStr(r.value(iName)), r.value(iPrice).toDouble(),
                                     NullToStr(r.value(iMemo)), r.value(iCode).toLongLong()};
            rs.close();
        }
        // One empty row more for typing the next menu, filled without drawing between the rows.
        m_spMenu->SetReDraw(false);
        m_spMenu->SetMaxRows(int(rows.size()) + 1);
        m_spMenu->SetBlockValues(1, rows);
        m_spMenu->SetReDraw(true);
    }
}

void FrmMemb_admin::LoadHolidays(const QString& store)
{
    m_spHDay->SetMaxRows(0);
    if (store.isEmpty())
        return;
    Recordset rs;
    QList<QVariantList> rows;
    if (OpenListQuery(rs, StoreQueries::Holidays(store)) >= 0) {
        const int iKind = rs.fieldIndex(QStringLiteral("반복구분"));
        const int iDay = rs.fieldIndex(QStringLiteral("일자"));
        const int iMemo = rs.fieldIndex(QStringLiteral("메모"));
        const int iSeq = rs.fieldIndex(QStringLiteral("순번"));
        for (const QVariantList& r : rs.rows()) {
            const int kind = r.value(iKind).toInt();
            rows << QVariantList{HolidayKindName(kind), HolidayShownDay(kind, NullToStr(r.value(iDay))),
                                 NullToStr(r.value(iMemo)), r.value(iSeq).toLongLong()};
        }
        rs.close();
    }
    m_spHDay->SetMaxRows(int(rows.size()));
    m_spHDay->SetBlockValues(1, rows);
}

bool FrmMemb_admin::gridHasFocus(SpreadGrid* grid) const
{
    QWidget* focus = QApplication::focusWidget();
    return focus && (focus == grid || grid->isAncestorOf(focus));
}

void FrmMemb_admin::spList_KeyDown(int& key, int shift)
{
    if (key == Qt::Key_Right && shift == 0 && m_spMenu->MaxRows() > 0) {
        key = 0;
        m_spMenu->SetActiveCell(MenuName, qMax(m_spMenu->ActiveRow(), 1));
        m_spMenu->setFocus();
    }
}

void FrmMemb_admin::spList_LeaveCell(int col, int row, int newCol, int newRow, bool& cancel)
{
    Q_UNUSED(col);
    Q_UNUSED(newCol);
    Q_UNUSED(cancel);
    if (newRow < 1 || newRow == row)
        return;
    const QString store = spList()->CellText(ColCode, newRow);
    try {
        LoadMenus(store);
        LoadHolidays(store);
    } catch (const DbException& e) {
        ShowStdError(e.info(), QStringLiteral("spList_LeaveCell"), kForm, ErrOwner::Form);
    }
}

void FrmMemb_admin::spMenu_KeyDown(int& key, int shift)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        m_menuEnter = true;
        return;
    }
    // Left from the first column goes back to the store list; after typing into the cell it first moves
    // through the typed text and goes back from its start.
    if (key == Qt::Key_Left && shift == 0 && m_spMenu->ActiveCol() == MenuName && spList()->MaxRows() > 0) {
        QLineEdit* editor = m_spMenu->editor();
        if (m_spMenu->EditTyped() && (editor->cursorPosition() > 0 || editor->hasSelectedText()))
            return;
        key = 0;
        if (m_spMenu->IsEditing())
            m_spMenu->SetEditMode(false);
        spList()->setFocus();
    }
}

void FrmMemb_admin::spMenu_LeaveCell(int col, int row, int newCol, int newRow, bool& cancel)
{
    // Name, Enter, price, Enter: the price of the last menu leads to the name of the next one.
    const int lastData = m_spMenu->MaxRows() - 1;
    if (m_menuEnter && col == MenuPrice && row == lastData && newRow == row && newCol != col) {
        m_menuEnter = false;
        cancel = true;
        QTimer::singleShot(0, this, [this] { m_spMenu->SetActiveCell(MenuName, m_spMenu->MaxRows()); });
    }
}

void FrmMemb_admin::spMenu_EditMode(int col, int row, int mode, bool changeMade)
{
    if (mode == 1) {
        m_menuBefore = GetCellText(m_spMenu, col, row);
        m_menuEnter = false;
        return;
    }
    if (!changeMade)
        return;
    try {
        const int rows = m_spMenu->MaxRows();
        // Rows above the last menu were written long ago: ask before changing them.
        if (row < rows - 1 && !ReallyEdit(m_spMenu, col, row, m_menuBefore)) {
            m_spMenu->setFocus();
            return;
        }
        if (!saveMenuCell(col, row)) {
            m_spMenu->SetText(col, row, m_menuBefore);
            m_spMenu->SetActiveCell(col, row);
        }
        m_spMenu->setFocus();
    } catch (const DbException& e) {
        ShowStdError(e.info(), QStringLiteral("spmenu_EditMode"), kForm, ErrOwner::Form);
    }
}

bool FrmMemb_admin::saveMenuCell(int col, int row)
{
    const QString store = ActiveStoreCode();
    if (store.isEmpty()) {
        ShowInfo(QStringLiteral("가맹점코드를 찾을 수 없습니다."));
        return false;
    }
    const bool newRow = row == m_spMenu->MaxRows();
    if (newRow && col != MenuName) {
        ShowInfo(QStringLiteral("메뉴명을 먼저 입력하세요."));
        return false;
    }
    const QString name = GetCellText(m_spMenu, MenuName, row);
    const QString memo = GetCellText(m_spMenu, MenuMemo, row);
    const std::optional<double> price = ParseNumber(GetCellText(m_spMenu, MenuPrice, row));
    if (!price || *price < 0 || *price > kMaxPrice) {
        ShowInfo(QStringLiteral("[판매단가]에는 0에서 100,000,000 사이의 숫자만 입력할 수 있습니다.") +
                     kCrLf + QStringLiteral("예) 1500 또는 1,500"),
                 QStringLiteral("입력오류"));
        return false;
    }
    const qint64 won = qint64(std::llround(*price));
    const StoreService::Result r =
        newRow ? StoreService::InsertMenu(store, name, won, memo)
               : StoreService::UpdateMenu(store, wholeOf(GetCellText(m_spMenu, MenuCode, row)),
                                          StoreService::MenuField(col), name, won, memo);
    switch (r.status) {
    case StoreService::Status::Done:
        break;
    case StoreService::Status::EmptyName:
        ShowInfo(
            FormatMessage(QStringLiteral("%0은(는) 공백이 허용되지 않습니다."), {QStringLiteral("메뉴명")}));
        return false;
    case StoreService::Status::DuplicateName:
        ShowInfo(QStringLiteral("『") + name + QStringLiteral("』 - ") +
                 QStringLiteral("는 이미 존재하는 이름입니다."));
        return false;
    case StoreService::Status::NotFound:
    case StoreService::Status::Linked:
    case StoreService::Status::Failed:
        ShowErrorInfo(QStringLiteral("취급메뉴를 저장하지 못했습니다."),
                      r.status == StoreService::Status::Failed
                          ? r.error
                          : ErrInfo{DbErr::kUnspecified, QStringLiteral("해당 메뉴를 찾을 수 없습니다.")});
        return false;
    case StoreService::Status::Reported:
        return false;
    }
    if (newRow) {
        m_spMenu->SetValue(MenuCode, row, r.code);
        m_spMenu->SetValue(MenuPrice, row, 0);
        m_spMenu->SetMaxRows(row + 1);
    } else if (col == MenuPrice) {
        m_spMenu->SetValue(MenuPrice, row, double(won));
    }
    return true;
}

void FrmMemb_admin::AddRecord()
{
    RunListEditor<FrmMemb_save>(this, pnlTop(), spList(), EditorMode::Add, QString());
}

void FrmMemb_admin::EditRecord()
{
    const QString code = ActiveStoreCode();
    if (code.isEmpty()) {
        ShowInfo(QStringLiteral("먼저 그리드에서 수정할 자료를 선택하세요."));
        spList()->setFocus();
        return;
    }
    RunListEditor<FrmMemb_save>(this, pnlTop(), spList(), EditorMode::Edit, code);
}

void FrmMemb_admin::DeleteRecord()
{
    if (gridHasFocus(m_spMenu))
        DeleteMenu();
    else if (gridHasFocus(m_spHDay))
        DeleteHoliday();
    else
        DeleteStore();
}

void FrmMemb_admin::DeleteStore()
{
    SpreadGrid* grid = spList();
    const QString code = ActiveStoreCode();
    if (code.isEmpty()) {
        ShowInfo(QStringLiteral("먼저 그리드에서 삭제할 자료를 선택하세요."));
        return;
    }
    const int row = grid->ActiveRow();
    if (AskYesNo(FormatMessage(QStringLiteral("선택된『 %0 』자료를 정말로 삭제 하시겠습니까?"),
                               {grid->CellText(ColName, row)}),
                 {}, true) != MsgAnswer::Yes)
        return;
    const StoreService::Result r = StoreService::DeleteStore(code);
    switch (r.status) {
    case StoreService::Status::Done:
        DeleteGridRow(grid, row, true, true);
        RefreshRecCount();
        loadSubGrids();
        break;
    case StoreService::Status::NotFound:
        ShowWarning(FormatMessage(kNotDeleted, {code}));
        break;
    default:
        ShowErrorInfo(QStringLiteral("자료를 삭제하는 중 오류가 발생했습니다."), r.error);
        break;
    }
    grid->setFocus();
}

void FrmMemb_admin::DeleteMenu()
{
    const int row = m_spMenu->ActiveRow();
    const qint64 code =
        row >= 1 && row <= m_spMenu->MaxRows() ? wholeOf(GetCellText(m_spMenu, MenuCode, row)) : 0;
    if (code <= 0) {
        ShowInfo(QStringLiteral("먼저 그리드에서 삭제할 자료를 선택하세요."));
        m_spMenu->setFocus();
        return;
    }
    if (AskYesNo(FormatMessage(QStringLiteral("선택된『 %0 』자료를 정말로 삭제 하시겠습니까?"),
                               {GetCellText(m_spMenu, MenuName, row)}),
                 {}, true) != MsgAnswer::Yes) {
        m_spMenu->setFocus();
        return;
    }
    const StoreService::Result r = StoreService::DeleteMenu(code);
    switch (r.status) {
    case StoreService::Status::Done:
        DeleteGridRow(m_spMenu, row, true, true);
        m_spMenu->SetMaxRows(m_spMenu->MaxRows() + 1);
        break;
    case StoreService::Status::Linked:
        ShowInfo(kLinked);
        break;
    case StoreService::Status::NotFound:
        ShowInfo(FormatMessage(kNotDeleted, {QString::number(code)}));
        break;
    default:
        ShowErrorInfo(QStringLiteral("자료를 삭제하는 중 오류가 발생했습니다."), r.error);
        break;
    }
    m_spMenu->setFocus();
}

void FrmMemb_admin::DeleteHoliday()
{
    const int row = m_spHDay->ActiveRow();
    const qint64 seq =
        row >= 1 && row <= m_spHDay->MaxRows() ? wholeOf(GetCellText(m_spHDay, HDaySeq, row)) : 0;
    if (seq <= 0) {
        ShowInfo(QStringLiteral("먼저 그리드에서 삭제할 자료를 선택하세요."));
        return;
    }
    if (AskYesNo(QStringLiteral("선택된 『휴일』을 정말로 삭제 하시겠습니까?"), {}, true) != MsgAnswer::Yes)
        return;
    const StoreService::Result r = StoreService::DeleteHoliday(seq);
    if (r.ok())
        DeleteGridRow(m_spHDay, row, true, true);
    else if (r.status == StoreService::Status::NotFound)
        ShowInfo(FormatMessage(kNotDeleted, {QString::number(seq)}));
    else
        ShowErrorInfo(QStringLiteral("자료를 삭제하는 중 오류가 발생했습니다."), r.error);
    m_spHDay->setFocus();
}

void FrmMemb_admin::AddHoliday()
{
    const QString store = ActiveStoreCode();
    if (store.isEmpty()) {
        ShowInfo(QStringLiteral("먼저 왼쪽목록에서 휴일설정할 가맹점을 선택하세요."));
        return;
    }
    {
        FrmHDay_save dialog(this);
        dialog.Init(store, this);
        PlaceFormAt(&dialog, m_lblHDay, 1, 0);
        ExecModal(&dialog);
    }
    LoadHolidays(store);
    m_spHDay->setFocus();
}

void FrmMemb_admin::EditHolidayMemo(int row)
{
    const qint64 seq =
        row >= 1 && row <= m_spHDay->MaxRows() ? wholeOf(GetCellText(m_spHDay, HDaySeq, row)) : 0;
    if (seq <= 0) {
        ShowInfo(QStringLiteral("먼저 그리드에서 수정할 자료를 선택하세요."));
        return;
    }
    const QString current = GetCellText(m_spHDay, HDayMemo, row);
    const QString answer =
        InputBox(QStringLiteral("선택된 휴일에 대한 메모를 입력하세요.(메모삭제는 빈칸하나를 넣으세요.)"),
                 QString(), current);
    if (answer.isEmpty() || answer == current)
        return;
    const StoreService::Result r = StoreService::UpdateHolidayMemo(seq, answer);
    if (r.ok()) {
        MyFloatMsg(QStringLiteral("메모를 수정하였습니다."), 500);
        m_spHDay->SetText(HDayMemo, row, answer);
    } else if (r.status == StoreService::Status::NotFound) {
        ShowInfo(QStringLiteral("메모를 수정 할 수 없습니다."));
    } else {
        ShowErrorInfo(QStringLiteral("메모를 수정 할 수 없습니다."), r.error);
    }
}

void FrmMemb_admin::RowDoubleClicked(int row)
{
    const QString code = spList()->CellText(ColCode, row);
    if (code.isEmpty()) {
        spList()->setFocus();
        return;
    }
    ScreenCatalogue::Instance().OpenFocused(QStringLiteral("FrmRPT_sale"), nullptr, code,
                                            spList()->CellText(ColName, row), FocusKind::Store);
}

void FrmMemb_admin::SyncUpdateCust(RecordEditor* editor, EditorMode mode)
{
    auto* ed = dynamic_cast<FrmMemb_save*>(editor);
    if (!ed)
        return;
    SpreadGrid* grid = spList();
    const int row = RowForSave(mode);
    if (mode == EditorMode::Add)
        RefreshRecCount();
    grid->SetRowValues(row, {ed->FieldText(FrmMemb_save::FldCode), ed->FieldText(FrmMemb_save::FldName),
                             ed->FieldText(FrmMemb_save::FldTel1), ed->commissionRate(),
                             ed->FieldText(FrmMemb_save::FldAddr1) + QLatin1Char(' ') +
                                 ed->FieldText(FrmMemb_save::FldAddr2),
                             ed->FieldText(FrmMemb_save::FldMemo), ed->currentBalance()});
    grid->SetActiveCell(qMax(grid->ActiveCol(), 1), row);
    if (mode == EditorMode::Add) {
        LoadMenus(ed->FieldText(FrmMemb_save::FldCode));
        LoadHolidays(ed->FieldText(FrmMemb_save::FldCode));
    }
}
