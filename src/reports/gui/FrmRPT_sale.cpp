#include "reports/gui/FrmRPT_sale.h"

#include "app/Clock.h"
#include "db/MduAdoDB.h"
#include "masters/gui/Pick.h"
#include "ui/MsgBox.h"
#include "ui/gui/MduMainUi.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modSpread60.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {
const QString kForm = QStringLiteral("FrmRPT_sale");
} // namespace

FrmRPT_sale::FrmRPT_sale(QWidget* parent) : ReportScreen(parent)
{
    setObjectName(kForm);
    setWindowTitle(QStringLiteral("매출현황"));
    resize(1120, 600);
    m_chkRcpt = new QCheckBox(QStringLiteral("접수완료 된 자료만 보기"), pnlTop());
    m_chkRcpt->setObjectName(QStringLiteral("chkRcpt"));
    auto* row = qobject_cast<QHBoxLayout*>(pnlTop()->layout());
    row->insertWidget(row->indexOf(btnQuery()), m_chkRcpt);
    m_htFilter[0] = AddFilter(QStringLiteral("가맹점검색:"), QStringLiteral("htFilter_0"));
    m_htFilter[1] = AddFilter(QStringLiteral("고객검색:"), QStringLiteral("htFilter_1"));
    AddSortOptions({QStringLiteral("일자"), QStringLiteral("가맹점코드"), QStringLiteral("고객")});

    SpreadGrid* grid = spList();
    grid->SetMaxCols(SalesReport::kColCount);
    CommonSpreadDesign(grid, true, true, false, true);
    grid->SetColHeaders({QString(), QString(), QString(), QString(), QString(), QStringLiteral("메뉴명"),
                         QStringLiteral("수량"), QStringLiteral("금액"), QStringLiteral("적립PT"),
                         QStringLiteral("수수료")});
    const double widths[] = {10, 8, 14, 9, 13, 16, 6, 10, 8, 9};
    for (int c = 1; c <= SalesReport::kColCount; ++c)
        grid->SetColWidth(c, widths[c - 1]);
    m_keyTexts = {FormatTexts(ColFormat::Date), FormatTexts(ColFormat::StoreCode),
                  FormatTexts(ColFormat::StoreName), FormatTexts(ColFormat::CustomerCode),
                  FormatTexts(ColFormat::Telephone)};
    arrangeKeyColumns({10, 8, 14, 9, 13});
    SetNumberColumn(grid, 7);
    for (int c : {8, 9, 10})
        SetMoneyColumn(grid, c);

    CenterForm(this);
    FinishLayout();
    setFocusProxy(grid);
}

FrmRPT_sale::~FrmRPT_sale() = default;

ScreenEntry FrmRPT_sale::Entry()
{
    return CatalogueEntry(kForm, QStringLiteral("매출현황"), QStringLiteral("mnuList_SalebyDate"),
                          [] { return new FrmRPT_sale; });
}

void FrmRPT_sale::arrangeKeyColumns(const std::array<double, SalesReport::FieldCount>& widths)
{
    SpreadGrid* grid = spList();
    const auto columns = m_report.Columns();
    for (int c = 0; c < SalesReport::FieldCount; ++c) {
        grid->SetColHeaderText(c + 1, SalesReport::Heading(columns[size_t(c)]));
        grid->SetColWidth(c + 1, widths[size_t(columns[size_t(c)])]);
        grid->SetColMinTexts(c + 1, m_keyTexts[size_t(columns[size_t(c)])]);
        grid->SetCol(c + 1);
        grid->SetRow(-1);
        grid->SetTypeHAlign(HAlignCenter);
    }
}

int FrmRPT_sale::Search()
{
    SalesReport::Filter filter;
    filter.from = PeriodFrom();
    filter.to = PeriodTo();
    filter.passedOnly = m_chkRcpt->isChecked();
    filter.store = m_store;
    filter.customer = m_customer;
    auto lines = std::make_shared<SalesReport::Lines>();
    ErrInfo error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool read = m_report.Read(gMainConn, filter, *lines, &error);
    QApplication::restoreOverrideCursor();
    if (!read) {
        ClearRows();
        ShowStdError(error, QStringLiteral("btnQuery_Click"), kForm, ErrOwner::Form);
        return 0;
    }
    return ShowRows(std::move(lines));
}

void FrmRPT_sale::SortClicked(int index)
{
    // Each column keeps its width when it moves with its field.
    std::array<double, SalesReport::FieldCount> widths{};
    const auto before = m_report.Columns();
    for (int c = 0; c < SalesReport::FieldCount; ++c)
        widths[size_t(before[size_t(c)])] = spList()->ColWidth(c + 1);
    spList()->SetReDraw(false);
    ClearRows();
    m_report.Choose(SalesReport::Sort(index));
    arrangeKeyColumns(widths);
    spList()->SetReDraw(true);
    Search();
}

void FrmRPT_sale::ShowFor(const QString& code, const QString& name, SortChoice sort)
{
    hdTermFrom()->setDate(Clock::Today());
    hdTermTo()->setDate(Clock::Today());
    QLineEdit* box = m_htFilter[sort == SortStore ? 0 : 1];
    SetFilterChoice(box, name);
    (sort == SortStore ? m_store : m_customer) = code;
    optSort().at(sort)->setChecked(true);
    SortClicked(sort);
}

void FrmRPT_sale::ShowRecord(const QString& code, const QString& name, FocusKind kind)
{
    ShowFor(code, name, kind == FocusKind::Store ? SortStore : SortCustomer);
}

void FrmRPT_sale::FilterEnter(QLineEdit* box)
{
    if (!box->text().isEmpty() && !FilterEdited(box)) {
        Search();
        return;
    }
    const bool store = box == m_htFilter[0];
    QString code;
    const QString shown = store
                              ? PickStore(box->text(), code, PickerAnchor(), false)
                              : PickCustomer(box->text(), code, PickerAnchor(), false, CustomerNumber::First);
    box->setFocus();
    (store ? m_store : m_customer) = code;
    if (code.isEmpty())
        return;
    SetFilterChoice(box, shown);
    Search();
}

void FrmRPT_sale::FilterCleared(QLineEdit* box)
{
    (box == m_htFilter[0] ? m_store : m_customer).clear();
}
