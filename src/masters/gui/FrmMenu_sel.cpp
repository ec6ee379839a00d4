#include "masters/gui/FrmMenu_sel.h"

#include "db/modDBQuery.h"
#include "masters/MenuPickResult.h"
#include "masters/StoreQueries.h"
#include "masters/gui/PickerWindow.h"
#include "ui/MsgBox.h"
#include "ui/TextUtil.h"
#include "ui/gui/InputUtil.h"
#include "ui/gui/MduMainUi.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modFormIni.h"
#include "ui/gui/modSpread60.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kOn = QStringLiteral("1");
const QString kOff = QStringLiteral("0");

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
} // namespace

FrmMenu_sel::FrmMenu_sel(QWidget* parent) : PickerDialog(parent)
{
    setObjectName(QStringLiteral("FrmMenu_sel"));
    setWindowTitle(QStringLiteral("메뉴선택"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    resize(560, 420);

    m_txtinput = MakePickerInput(this, QStringLiteral("txtinput"));
    m_lblMBName = new QLabel(this);
    m_lblMBName->setObjectName(QStringLiteral("lblMBName"));
    m_lblMBName->setMinimumWidth(120);
    m_lblMBName->setFrameShape(QFrame::StyledPanel);

    auto* top = MakePickerSearchRow(this, m_txtinput);
    top->addWidget(new QLabel(QStringLiteral("가맹점"), this));
    top->addWidget(m_lblMBName);

    m_spList = new SpreadGrid(this);
    m_spList->setObjectName(QStringLiteral("spList"));
    m_spList->SetMaxCols(ColCount);
    m_spList->SetColHeaders({QStringLiteral("메뉴명"), QStringLiteral("메모"), QStringLiteral("판매단가"),
                             QStringLiteral("수량"), QStringLiteral("선택"), QStringLiteral("코드")});
    m_spList->SetColWidth(ColName, 20);
    m_spList->SetColWidth(ColMemo, 24);
    m_spList->SetColWidth(ColPrice, 10);
    m_spList->SetColWidth(ColQty, 6);
    m_spList->SetColWidth(ColMark, 5);
    m_spList->SetColWidth(ColCode, 6);
    CommonSpreadDesign(m_spList, true, true);
    SetMoneyColumn(m_spList, ColPrice);
    m_spList->SetColHidden(ColQty, true);
    m_spList->SetColHidden(ColMark, true);
    m_spList->installEventFilter(this);
    connect(m_spList, &SpreadGrid::KeyDown, this, [this](int& key, int shift) {
        if (isEnter(key) && shift == 0) {
            key = 0;
            // A quantity still being typed counts.
            if (m_spList->IsEditing())
                m_spList->SetEditMode(false);
            markAndSelect(m_spList->ActiveRow());
        } else if (key == Qt::Key_Space && m_multy && shift == 0 && m_spList->ActiveCol() != ColMark &&
                   !m_spList->IsEditing()) {
            key = 0;
            toggleMark(m_spList->ActiveRow());
        }
    });
    connect(m_spList, &SpreadGrid::DblClick, this, [this](int col, int row) {
        if (row > 0 && col >= ColName && col <= ColPrice)
            markAndSelect(row);
    });
    connect(m_spList, &SpreadGrid::ButtonClicked, this, [this](int col, int row, int) {
        if (col == ColMark)
            markClicked(row);
    });
    connect(m_spList, &SpreadGrid::EditMode, this, [this](int col, int row, int mode, bool) {
        if (mode == 0 && col == ColQty)
            quantityEdited(row);
    });

    auto* hint = new QLabel(QStringLiteral("[엔터: 선택완료]"), this);
    m_btnSel = MakePickerButton(this, QStringLiteral("선택 &S"), QStringLiteral("btnSel"));
    m_btnClose = MakePickerButton(this, QStringLiteral("닫기 &C"), QStringLiteral("btnClose"));
    connect(m_btnSel, &QPushButton::clicked, this, &FrmMenu_sel::SelectRows);
    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::reject);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(hint);
    bottom->addStretch(1);
    bottom->addWidget(m_btnSel);
    bottom->addWidget(m_btnClose);
    FinishPickerLayout(this, top, m_spList, bottom);
}

FrmMenu_sel::~FrmMenu_sel() = default;

void FrmMenu_sel::SetMultyMode()
{
    if (m_multy)
        return;
    m_multy = true;
    m_spList->SetColHidden(ColQty, false);
    m_spList->SetColHidden(ColMark, false);
    m_spList->SetCol(ColQty);
    m_spList->SetRow(-1);
    m_spList->SetCellType(CellTypeNumber);
    m_spList->SetTypeNumberDecPlaces(0);
    m_spList->SetLock(false);
    m_spList->SetCol(ColMark);
    m_spList->SetCellType(CellTypeCheckBox);
    m_spList->SetTypeHAlign(HAlignCenter);
    m_spList->SetLock(false);
    m_spList->SetCol(1);
    m_spList->SetRow(1);
    const double narrowed =
        m_spList->ColWidth(ColMemo) - m_spList->ColWidth(ColQty) - m_spList->ColWidth(ColMark);
    m_spList->SetColWidth(ColMemo, qMax(4.0, narrowed));
}

int FrmMenu_sel::FindRecords(const QString& searchText, const QString& extra)
{
    const qsizetype cut = extra.indexOf(kNul);
    if (cut < 0)
        return FindRecords(searchText, extra, QString());
    return FindRecords(searchText, extra.left(cut), extra.mid(cut + 1));
}

int FrmMenu_sel::FindRecords(const QString& searchText, const QString& storeCode, const QString& storeName)
{
    m_result.clear();
    m_storeCode = storeCode;
    m_lblMBName->setText(storeName);
    m_txtinput->setText(searchText);
    const int n = Refresh_Sheet();
    if (n == 1)
        m_result = MenuPickRecord(m_spList->CellText(ColCode, 1), m_spList->CellText(ColName, 1), kOn);
    return n;
}

int FrmMenu_sel::Refresh_Sheet()
{
    const QString text = m_txtinput->text();
    if (!CheckSearchText(text))
        return -1;
    return FillPickerList(m_spList, StoreQueries::Menus(m_storeCode, text), ColName,
                          [](const Recordset& rs) -> QVariantList {
                              return {rs.text(QStringLiteral("메뉴명")),
                                      rs.text(QStringLiteral("메모")),
                                      rs.value(QStringLiteral("판매단가")),
                                      QString(),
                                      QString(),
                                      rs.text(QStringLiteral("코드"))};
                          });
}

bool FrmMenu_sel::SelectRows()
{
    if (m_spList->IsEditing())
        m_spList->SetEditMode(false);
    if (m_spList->MaxRows() < 1) {
        ShowInfo(QStringLiteral("리스트에서 자료를 선택하세요."));
        return false;
    }
    QList<MenuPickRow> rows;
    rows.reserve(m_spList->MaxRows());
    for (int r = 1; r <= m_spList->MaxRows(); ++r) {
        rows.append({m_spList->CellText(ColCode, r), m_spList->CellText(ColName, r),
                     m_multy ? m_spList->CellText(ColQty, r) : QString()});
    }
    m_result = BuildMenuPickResult(rows, qMax(m_spList->ActiveRow(), 1));
    accept();
    return true;
}

void FrmMenu_sel::markClicked(int row)
{
    if (row < 1)
        return;
    if (m_spList->CellText(ColMark, row) == kOn) {
        if (!OrderedQuantity(m_spList->CellText(ColQty, row)))
            m_spList->SetText(ColQty, row, kOn);
    } else {
        m_spList->SetText(ColQty, row, QString());
    }
}

void FrmMenu_sel::quantityEdited(int row)
{
    if (row < 1)
        return;
    const QString qty = m_spList->CellText(ColQty, row);
    if (OrderedQuantity(qty)) {
        m_spList->SetText(ColMark, row, kOn);
    } else {
        // Nothing ordered: a negative or fractional quantity would become an order line of its own.
        if (!qty.isEmpty() && qty != kOff)
            m_spList->SetText(ColQty, row, QString());
        m_spList->SetText(ColMark, row, kOff);
    }
}

void FrmMenu_sel::toggleMark(int row)
{
    if (row < 1)
        return;
    m_spList->SetText(ColMark, row, m_spList->CellText(ColMark, row) == kOn ? kOff : kOn);
    markClicked(row);
}

void FrmMenu_sel::markAndSelect(int row)
{
    if (row >= 1 && row <= m_spList->MaxRows())
        m_spList->SetText(ColMark, row, kOn);
    SelectRows();
}

bool FrmMenu_sel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_txtinput && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down)
            return EnterNextField(key);
    }
    return PickerDialog::eventFilter(watched, event);
}
