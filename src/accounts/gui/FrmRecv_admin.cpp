#include "accounts/gui/FrmRecv_admin.h"

#include "accounts/AccountQueries.h"
#include "accounts/PaymentService.h"
#include "accounts/gui/FrmRecv_save.h"
#include "app/Clock.h"
#include "db/DbError.h"
#include "db/modDBQuery.h"
#include "masters/gui/Pick.h"
#include "ui/MsgBox.h"
#include "ui/TextUtil.h"
#include "ui/gui/GridPrinter.h"
#include "ui/gui/MduMainUi.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modFormIni.h"
#include "ui/gui/modSpread60.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QVBoxLayout>

namespace {
const QString kForm = QStringLiteral("FrmRecv_admin");
const QString kDate = QStringLiteral("yyyy-MM-dd");

qint64 wonOf(const QString& shown)
{
    const std::optional<double> v = ParseNumber(shown);
    return v ? qint64(*v) : 0;
}

QDateEdit* dateEdit(QWidget* owner, const QString& name)
{
    auto* edit = new QDateEdit(Clock::Today(), owner);
    edit->setObjectName(name);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit->setCalendarPopup(true);
    return edit;
}
} // namespace

FrmRecv_admin::FrmRecv_admin(QWidget* parent) : ListScreen(parent)
{
    setObjectName(kForm);
    setWindowTitle(QStringLiteral("입금 관리"));
    resize(900, 560);

    // The search row: the period, then the store box.
    cmbFindKey()->setVisible(false);
    cmbFindOP()->setVisible(false);
    htName()->setToolTip(QStringLiteral("가맹점 코드나 상호를 넣고 Enter"));
    auto* row = qobject_cast<QHBoxLayout*>(pnlTop()->layout());
    if (auto* caption = qobject_cast<QLabel*>(row->itemAt(0)->widget()))
        caption->setText(QStringLiteral("가맹점검색:"));
    m_from = dateEdit(pnlTop(), QStringLiteral("hdTerm_0"));
    m_to = dateEdit(pnlTop(), QStringLiteral("hdTerm_1"));
    auto* term = new QLabel(QStringLiteral("조회기간:"), pnlTop());
    term->setBuddy(m_from);
    row->insertWidget(0, term);
    row->insertWidget(1, m_from);
    row->insertWidget(2, new QLabel(QStringLiteral("~"), pnlTop()));
    row->insertWidget(3, m_to);
    htName()->installEventFilter(this);
    connect(htName(), &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            m_store.clear();
    });

    SpreadGrid* grid = spList();
    grid->SetMaxCols(ColCount);
    CommonSpreadDesign(grid, true, true, false, true);
    grid->SetColHeaders({QStringLiteral("입금일자"), QStringLiteral("가맹코드"), QStringLiteral("상호"),
                         QStringLiteral("전화"), QStringLiteral("입금액"), QStringLiteral("할인금액"),
                         QStringLiteral("메모"), QStringLiteral("Key"), QStringLiteral("입금합계"),
                         QStringLiteral("할인합계")});
    const double widths[] = {10, 8, 18, 13, 11, 10, 22, 6, 11, 10};
    for (int c = 1; c <= ColCount; ++c)
        grid->SetColWidth(c, widths[c - 1]);
    for (int c : {ColAmount, ColDiscount, ColAmountSum, ColDiscountSum})
        SetMoneyColumn(grid, c);
    for (int c : {ColKey, ColAmountSum, ColDiscountSum})
        grid->SetColHidden(c, true);
    SetColFormats(grid, {{ColDate, ColFormat::Date},
                         {ColStore, ColFormat::StoreCode},
                         {ColName, ColFormat::StoreName},
                         {ColTel, ColFormat::Telephone}});
    mnutool()->setTitle(QStringLiteral("  도구(&T)  "));

    m_spTotal = new SpreadGrid(this);
    m_spTotal->setObjectName(QStringLiteral("spTotal"));
    auto* vbox = qobject_cast<QVBoxLayout*>(layout());
    vbox->insertWidget(vbox->indexOf(grid) + 1, m_spTotal);
    SetupTotalGrid(m_spTotal, grid, ColName);
    SetMoneyColumn(m_spTotal, ColAmount);
    SetMoneyColumn(m_spTotal, ColDiscount);
    m_spTotal->setFixedHeight(m_spTotal->view()->verticalHeader()->defaultSectionSize() + 4);

    CenterForm(this);
    FollowOthers({QStringLiteral("입금"), QStringLiteral("가맹점")}, ColKey);
    FinishLayout();
    try {
        Search();
    } catch (const DbException& e) {
        ShowStdError(e.info(), QStringLiteral("Form_Load"), kForm, ErrOwner::Form);
    }
    setFocusProxy(grid);
}

FrmRecv_admin::~FrmRecv_admin() = default;

ScreenEntry FrmRecv_admin::Entry()
{
    return CatalogueEntry(kForm, QStringLiteral("입금 관리"), QStringLiteral("mnuBasic_Recv"),
                          [] { return new FrmRecv_admin; });
}

int FrmRecv_admin::Search()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SpreadGrid* grid = spList();
    grid->SetReDraw(false);
    const int remembered = grid->ActiveRow();
    grid->SetMaxRows(0);
    Recordset rs;
    QList<QVariantList> rows;
    // Read again for other seats, the list keeps the period and store of its last query.
    if (!RefreshingForOthers())
        m_searched = {m_from->date(), m_to->date(), m_store};
    if (OpenQuery(rs, AccountQueries::Payments(m_searched.from.toString(kDate), m_searched.to.toString(kDate),
                                               m_searched.store)) >= 0) {
        for (int i = 0; i < rs.RecordCount(); ++i, rs.MoveNext())
            rows << QVariantList{rs.text(QStringLiteral("입금일자")),
                                 rs.text(QStringLiteral("가맹점코드")),
                                 rs.text(QStringLiteral("상호")),
                                 rs.text(QStringLiteral("전화1")),
                                 rs.value(QStringLiteral("입금액")).toLongLong(),
                                 rs.value(QStringLiteral("할인액")).toLongLong(),
                                 rs.text(QStringLiteral("메모")),
                                 rs.text(QStringLiteral("처리순번"))};
        rs.close();
    }
    grid->SetMaxRows(int(rows.size()));
    grid->SetBlockValues(1, rows);
    if (!rows.isEmpty())
        grid->SetActiveCell(ColDate, remembered >= 1 && remembered <= rows.size() ? remembered : 1);
    grid->SetReDraw(true);
    refreshTotals();
    QApplication::restoreOverrideCursor();
    return int(rows.size());
}

void FrmRecv_admin::refreshTotals()
{
    // Summed in whole won, never through floating point.
    qint64 amount = 0;
    qint64 discount = 0;
    for (int r = 1; r <= spList()->MaxRows(); ++r) {
        amount += wonOf(spList()->CellText(ColAmount, r));
        discount += wonOf(spList()->CellText(ColDiscount, r));
    }
    SetRecCount(spList()->MaxRows());
    if (spList()->MaxRows() >= 1) {
        spList()->SetValue(ColAmountSum, 1, amount);
        spList()->SetValue(ColDiscountSum, 1, discount);
    }
    m_spTotal->SetValue(ColAmount, 1, amount);
    m_spTotal->SetValue(ColDiscount, 1, discount);
}

void FrmRecv_admin::PickStoreForSearch()
{
    QString code;
    const QString name = PickStore(htName()->text(), code, MainPanelAnchor(pnlTop()), false);
    if (code.isEmpty())
        return;
    htName()->setText(name);
    m_store = code;
}

bool FrmRecv_admin::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == htName() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // The list follows only on 조회: the operator may still change the period.
            if (m_store.isEmpty())
                PickStoreForSearch();
            return true;
        }
    }
    return ListScreen::eventFilter(watched, event);
}

void FrmRecv_admin::AddRecord()
{
    RunListEditor<FrmRecv_save>(this, pnlTop(), spList(), EditorMode::Add, QString());
}

void FrmRecv_admin::EditRecord()
{
    const int row = spList()->ActiveRow();
    const QString key = row >= 1 && row <= spList()->MaxRows() ? spList()->CellText(ColKey, row) : QString();
    if (key.isEmpty()) {
        ShowInfo(QStringLiteral("먼저 그리드에서 수정할 자료를 선택하세요."));
        return;
    }
    RunListEditor<FrmRecv_save>(this, pnlTop(), spList(), EditorMode::Edit, key);
}

void FrmRecv_admin::DeleteRecord()
{
    SpreadGrid* grid = spList();
    const int row = grid->ActiveRow();
    const QString key = row >= 1 && row <= grid->MaxRows() ? grid->CellText(ColKey, row) : QString();
    if (key.isEmpty()) {
        ShowInfo(QStringLiteral("먼저 그리드에서 삭제할 자료를 선택하세요."));
        grid->setFocus();
        return;
    }
    if (AskYesNo(QStringLiteral("선택된 자료를 정말로 삭제 하시겠습니까?"), {}, true) != MsgAnswer::Yes) {
        grid->setFocus();
        return;
    }
    const PaymentService::Result r = PaymentService::DeletePayment(key.toLongLong());
    switch (r.status) {
    case PaymentService::Status::Saved:
        DeleteGridRow(grid, row, true, true);
        refreshTotals();
        break;
    case PaymentService::Status::NotFound:
        ShowWarning(QStringLiteral("선택된 자료를 삭제 할 수 없습니다.") + kCrLf + kCrLf +
                    QStringLiteral("이미 삭제되었거나, 삭제할 수 없는 경우가 발생했습니다."));
        break;
    case PaymentService::Status::Linked:
        ShowInfo(QStringLiteral("해당 자료가 다른자료와 연결되어 있어 삭제할 수 없습니다."));
        break;
    case PaymentService::Status::Reported:
        break;
    default:
        ShowErrorInfo(QStringLiteral("자료를 삭제하는 중 오류가 발생했습니다."), r.error);
        break;
    }
    grid->setFocus();
}

void FrmRecv_admin::PrintList()
{
    gGridPrinter->PrintSpread(spList(), windowTitle(), QStringLiteral("입금 내역"),
                              QStringLiteral("( 조회기간: ") + m_from->date().toString(kDate) +
                                  QStringLiteral(" - ") + m_to->date().toString(kDate) +
                                  QStringLiteral(" )    "),
                              1, 0.5, 0.5, 0.6, 0.6);
}

void FrmRecv_admin::SyncUpdateCust(RecordEditor* recordEditor, EditorMode mode)
{
    auto* editor = dynamic_cast<FrmRecv_save*>(recordEditor);
    if (!editor)
        return;
    SpreadGrid* grid = spList();
    const int row = RowForSave(mode);
    grid->SetRowValues(row,
                       {editor->DateText(), editor->FieldText(FrmRecv_save::FldStore), editor->StoreName(),
                        editor->StoreTel(), wonOf(editor->FieldText(FrmRecv_save::FldAmount)),
                        wonOf(editor->FieldText(FrmRecv_save::FldDiscount)),
                        editor->FieldText(FrmRecv_save::FldMemo), editor->FieldText(FrmRecv_save::FldKey)});
    grid->SetActiveCell(qMax(grid->ActiveCol(), 1), row);
    refreshTotals();
}
