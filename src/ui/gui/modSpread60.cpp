#include "ui/gui/modSpread60.h"

#include "app/Globals.h"
#include "db/MduAdoDB.h"
#include "masters/StoreQueries.h"
#include "ui/MsgBox.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/SpreadGridModel.h"
#include "ui/gui/modFormIni.h"

#include <QCursor>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>
#include <vector>

const QString kTotalLabel = QStringLiteral("[합 계]");
const QString kSubTotalLabel = QStringLiteral("[소 계]");

namespace {
// Keeps the screen's own cursor (Col, Row, Col2, Row2, BlockMode) across a helper's property assignments.
class CursorKeeper
{
public:
    explicit CursorKeeper(SpreadGrid* g)
        : m_grid(g), m_col(g->Col()), m_row(g->Row()), m_col2(g->Col2()), m_row2(g->Row2()),
          m_block(g->BlockMode())
    {
        g->SetBlockMode(false);
    }
    ~CursorKeeper()
    {
        m_grid->SetCol(m_col);
        m_grid->SetRow(m_row);
        m_grid->SetCol2(m_col2);
        m_grid->SetRow2(m_row2);
        m_grid->SetBlockMode(m_block);
    }
    void at(int col, int row)
    {
        m_grid->SetCol(col);
        m_grid->SetRow(row);
    }

private:
    SpreadGrid* m_grid;
    int m_col, m_row, m_col2, m_row2;
    bool m_block;
};

void reportError(const std::exception& e, const char* procedure, const char* module)
{
    ShowStdError({0, QString::fromLocal8Bit(e.what())}, QString::fromLatin1(procedure),
                 QString::fromLatin1(module));
}

void setAllRowHeights(SpreadGrid* grid, double height)
{
    grid->SetRowHeight(-1, height);
    grid->SetRowHeight(0, height + 2);
}

void setAllFontSizes(SpreadGrid* grid, double size)
{
    CursorKeeper k(grid);
    k.at(-1, -1);
    grid->SetFontSize(size);
    k.at(-1, 0);
    grid->SetFontSize(10);
}

// Asks for a value between 8 and 20 (0 = defaults) until the answer is one; nullopt when nothing is to
// change.
std::optional<double> askGridValue(const QString& title, const QString& prompt, double current)
{
    const QString proposal = QString::number(std::lround(current));
    for (;;) {
        const QString answer = InputBox(prompt, title, proposal).trimmed();
        if (answer.isEmpty() || answer == proposal)
            return std::nullopt;
        bool ok = false;
        const double value = answer.toDouble(&ok);
        // Letters are asked again rather than read as 0, which would reset the grid.
        if (!ok)
            continue;
        if (value != 0 && (value < 8 || value > 20))
            continue;
        if (value == std::lround(current))
            return std::nullopt;
        return value;
    }
}
} // namespace

void CommonSpreadDesign(SpreadGrid* grid, bool readOnly, bool clearRows, bool userColAction, bool rowMode)
{
    try {
        CursorKeeper k(grid);
        if (readOnly) {
            if (rowMode)
                grid->SetOperationMode(2);
            grid->SetNoBeep(true);
            grid->SetCursorType(0);
            grid->SetCursorStyle(2);
            grid->SetSelectBlockOptions(0);
            k.at(-1, -1);
            grid->SetLock(true);
        } else {
            grid->SetEditModePermanent(true);
            grid->SetEditModeReplace(true);
        }
        if (userColAction)
            grid->SetUserColAction(1);
        ApplyGridDefaults(grid);
        grid->SetDAutoCellTypes(true);
        grid->SetBackColorStyle(1);
        grid->SetSelBackColor(GridColors::SelBack);
        if (clearRows)
            grid->SetMaxRows(0);
        grid->SetRefStyle(2);
        grid->SetOddEvenRowColor(GridColors::OddBack, GridColors::OddFore, GridColors::EvenBack,
                                 GridColors::EvenFore);
    } catch (const std::exception& e) {
        reportError(e, "CommonSpreadDesign", "MduSpread");
    }
}

void ApplyGridDefaults(SpreadGrid* grid)
{
    if (gGridRowHeight == 0 || gGridFontSize == 0)
        return;
    CursorKeeper k(grid);
    k.at(-1, -1);
    grid->SetFontSize(gGridFontSize);
    grid->SetRowHeight(-1, gGridRowHeight);
    k.at(-1, 0);
    grid->SetFontSize(10);
    grid->SetRowHeight(0, gGridRowHeight + 2);
}

void SetNumberColumn(SpreadGrid* grid, int col, bool centre)
{
    CursorKeeper k(grid);
    k.at(col, -1);
    grid->SetCellType(CellTypeNumber);
    grid->SetTypeNumberDecPlaces(0);
    if (centre)
        grid->SetTypeVAlign(VAlignCenter);
}

void SetMoneyColumn(SpreadGrid* grid, int col, bool centre)
{
    CursorKeeper k(grid);
    k.at(col, -1);
    grid->SetCellType(CellTypeCurrency);
    grid->SetTypeCurrencyMax(999999999999.0);
    grid->SetTypeCurrencyMin(-999999999999.0);
    grid->SetTypeCurrencyShowSymbol(false);
    grid->SetTypeCurrencyDecPlaces(0);
    grid->SetTypeCurrencyShowSep(true);
    if (centre)
        grid->SetTypeVAlign(VAlignCenter);
}

void LockColumns(SpreadGrid* grid, const QList<int>& cols, bool withColour)
{
    CursorKeeper k(grid);
    for (int col : cols) {
        k.at(col, -1);
        grid->SetLock(true);
        if (withColour)
            grid->SetBackColor(GridColors::LockedBack);
    }
}

QStringList FormatTexts(ColFormat format)
{
    switch (format) {
    case ColFormat::OrderNumber:
        return {QStringLiteral("0000000000")};
    case ColFormat::Date:
        return {QStringLiteral("0000-00-00")};
    case ColFormat::Time:
        return {QStringLiteral("00:00")};
    case ColFormat::CustomerCode:
        return {QStringLiteral("00000000")};
    case ColFormat::Telephone:
        return {QStringLiteral("000-0000-0000")};
    case ColFormat::ZipCode:
        return {QStringLiteral("000-000")};
    case ColFormat::StoreCode:
    case ColFormat::StoreName:
        break;
    }
    QStringList texts;
    if (!gMainConn.isOpen())
        return texts;
    ErrInfo error;
    // A few hundred stores: every one is measured, so that none is cut.
    StoreQueries::AllTexts(format == ColFormat::StoreCode ? StoreQueries::Column::Code
                                                          : StoreQueries::Column::Name,
                           texts, &error);
    return texts;
}

void SetColFormat(SpreadGrid* grid, int col, ColFormat format, const QStringList& more)
{
    grid->SetColMinTexts(col, FormatTexts(format) + more);
}

void SetColFormats(SpreadGrid* grid, std::initializer_list<std::pair<int, ColFormat>> formats)
{
    for (const auto& [col, format] : formats)
        SetColFormat(grid, col, format);
}

void SetupTotalGrid(SpreadGrid* total, SpreadGrid* main, int labelCol)
{
    CursorKeeper k(total);
    total->SetMaxCols(main->MaxCols());
    total->SetMaxRows(1);
    for (int c = 1; c <= main->MaxCols(); ++c) {
        total->SetColWidth(c, main->ShownColWidth(c));
        total->SetColHidden(c, main->ColHidden(c));
    }
    total->SetOperationMode(0);
    total->SetSelectBlockOptions(0);
    total->SetText(labelCol, 1, kTotalLabel);
    total->SetActiveCell(-1, -1);
    k.at(-1, 1);
    total->SetBackColor(GridColors::TotalBack);
    total->SetGrayAreaBackColor(GridColors::TotalBack);
    total->SetRowHeadersShow(main->RowHeadersShow());
    if (main->RowHeadersShow())
        total->SetColWidth(0, main->ColWidth(0));
    total->SetText(0, 1, QStringLiteral(" "));
    // A totals row needs no headings or scroll bars of its own: it moves with the grid above it.
    total->SetColHeadersShow(false);
    total->view()->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    total->view()->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QObject::connect(main->view()->horizontalScrollBar(), &QScrollBar::valueChanged, total,
                     [total](int v) { total->view()->horizontalScrollBar()->setValue(v); });
    // Every change of a shown width: dragged, restored, or widened for a larger font.
    QObject::connect(main->view()->horizontalHeader(), &QHeaderView::sectionResized, total,
                     [total, main](int section) {
                         if (section + 1 <= total->MaxCols())
                             total->SetColWidth(section + 1, main->ShownColWidth(section + 1));
                     });
}

void SetTotalGridSum(SpreadGrid* grid, int sourceCol, int targetCol)
{
    const int rows = grid->MaxRows();
    for (int r = 1; r <= rows; ++r) {
        grid->SetFormula(targetCol, r, QString());
        grid->SetText(targetCol, r, QString());
    }
    if (rows < 1)
        return;
    grid->SetFormula(targetCol, 1, QStringLiteral("SUM(R1C%1:R%2C%1)").arg(sourceCol).arg(rows));
}

void AddTotalRow(SpreadGrid* grid, int labelCol)
{
    CursorKeeper k(grid);
    grid->SetMaxRows(grid->MaxRows() + 1);
    const int row = grid->MaxRows();
    grid->SetText(labelCol, row, kTotalLabel);
    k.at(-1, row);
    grid->SetBackColor(GridColors::TotalBack);
    grid->SetLock(true);
}

void SetColumnSumRow(SpreadGrid* grid, int col)
{
    const int rows = grid->MaxRows();
    if (rows < 1)
        return;
    grid->SetFormula(col, rows, QStringLiteral("SUM(R1C%1:R%2C%1)").arg(col).arg(rows - 1));
}

void InsertSubTotal(SpreadGrid* grid, int keyCol, const QList<int>& sumCols, int labelCol, int copyCol,
                    int firstRow, bool keepGrandTotal)
{
    try {
        if (grid->DataRowCnt() < 3)
            return;
        // The grand total keeps its values: sums re-read after the insertions would count every subtotal
        // twice.
        const int lastRow = grid->MaxRows();
        for (int c = 1; c <= grid->MaxCols(); ++c)
            grid->SetFormula(c, lastRow, QString());

        const bool redraw = grid->ReDraw();
        grid->SetReDraw(false);
        CursorKeeper k(grid);
        std::vector<double> sums(sumCols.size(), 0.0);
        int row = std::max(firstRow, 1);
        int groupStart = row;
        QString groupKey = grid->CellText(keyCol, row);
        int groupsClosed = 0;
        for (;;) {
            const bool atTotal = row >= grid->MaxRows();
            const QString key = atTotal ? QString() : grid->CellText(keyCol, row);
            if (row > groupStart && (atTotal || key != groupKey)) {
                const int count = row - groupStart;
                const bool wholeList = atTotal && groupsClosed == 0;
                if (count >= 2 && !(wholeList && keepGrandTotal)) {
                    grid->SetMaxRows(grid->MaxRows() + 1);
                    grid->InsertRows(row, 1);
                    k.at(-1, row);
                    grid->SetLock(true);
                    grid->SetBackColor(GridColors::SubTotalBack);
                    grid->SetText(labelCol, row, kSubTotalLabel);
                    for (int i = 0; i < sumCols.size(); ++i)
                        grid->SetText(sumCols.at(i), row, SpreadGridModel::numberText(sums[size_t(i)]));
                    if (copyCol > 0)
                        grid->SetText(copyCol, row, grid->CellText(copyCol, row - 1));
                    ++row;
                }
                std::fill(sums.begin(), sums.end(), 0.0);
                ++groupsClosed;
                groupStart = row;
                groupKey = key;
            }
            if (atTotal)
                break;
            for (int i = 0; i < sumCols.size(); ++i)
                sums[size_t(i)] += SpreadGridModel::toNumber(grid->CellText(sumCols.at(i), row));
            ++row;
        }
        grid->SetReDraw(redraw);
    } catch (const std::exception& e) {
        reportError(e, "InsertSubTotal", "modMain");
    }
}

void DeleteGridRow(SpreadGrid* grid, int row, bool shrink, bool notify)
{
    if (row == -2)
        row = grid->ActiveRow();
    // No active row (an empty grid) means nothing to delete.
    if (row < 1 || row > grid->MaxRows())
        return;
    grid->DeleteRows(row, 1);
    if (shrink)
        grid->SetMaxRows(grid->DataRowCnt());
    grid->Refresh();
    if (notify)
        MyFloatMsg(QStringLiteral("자료를 삭제하였습니다."), 500);
}

bool ReallyEdit(SpreadGrid* grid, int col, int row, const QString& oldValue)
{
    try {
        SpreadGridModel* model = grid->model();
        const GridStyle saved = model->cellLayer(col, row);
        GridStyle confirm;
        confirm.mask = GridStyle::Back | GridStyle::Fore;
        confirm.back = GridColors::ConfirmBack.rgb();
        confirm.fore = GridColors::ConfirmFore.rgb();
        model->applyCellStyle(col, row, confirm);
        const MsgAnswer answer = AskYesNo(QStringLiteral("정말 수정하시겠습니까?") + kCrLf +
                                              QStringLiteral("이전 데이터: ") + oldValue,
                                          {}, true);
        model->setCellLayer(col, row, saved);
        const bool yes = answer == MsgAnswer::Yes;
        if (!yes)
            grid->SetText(col, row, oldValue);
        grid->setFocus();
        return yes;
    } catch (const std::exception& e) {
        reportError(e, "ReallyEdit", "modSpread60");
        return false;
    }
}

QString GetCellText(SpreadGrid* grid, int col, int row)
{
    if (col == -2)
        col = grid->ActiveCol();
    if (row == -2)
        row = grid->ActiveRow();
    QString text;
    grid->GetText(col, row, text);
    return text;
}

void SetBlockBackColor(SpreadGrid* grid, int col, int row, int col2, int row2, const QColor& color)
{
    CursorKeeper k(grid);
    grid->SetCol(col);
    grid->SetRow(row);
    grid->SetCol2(col2);
    grid->SetRow2(row2);
    grid->SetBlockMode(true);
    grid->SetBackColor(color);
}

void SetCellFormula(SpreadGrid* grid, const QString& formula, int col, int row)
{
    grid->SetFormula(col, row, formula);
}

void GridMenuAction(QWidget* window, SpreadGrid* grid, int id)
{
    switch (id) {
    case 1: {
        const auto value =
            askGridValue(QStringLiteral("그리드의 줄높이 변경"),
                         QStringLiteral("변경할 그리드의 줄높이를 입력하세요.(입력범위: 8~20, 0:기본값)"),
                         grid->RowHeight(-1));
        if (!value)
            return;
        if (*value == 0)
            ApplyGridDefaults(grid);
        else
            setAllRowHeights(grid, *value);
        SaveSpreadIni_Gn(window, grid, QStringLiteral("RowHeight"), SpreadGridModel::numberText(*value));
        return;
    }
    case 2: {
        const auto value =
            askGridValue(QStringLiteral("그리드내 글자크기 변경"),
                         QStringLiteral("변경할 글자의 크기를 입력하세요.(입력범위: 8~20, 0:기본값)"),
                         grid->CellStyle(1, 1).fontSize);
        if (!value)
            return;
        if (*value == 0)
            ApplyGridDefaults(grid);
        else
            setAllFontSizes(grid, *value);
        SaveSpreadIni_Gn(window, grid, QStringLiteral("FontSize"), SpreadGridModel::numberText(*value));
        return;
    }
    case 3: {
        const QString question = QStringLiteral("해당폼의 폼의 위치 및 크기, 그리드의 각 칸의 넓이") + kCrLf +
                                 QStringLiteral(", 줄높이, 글자크기등이 모두 초기화 됩니다.") + kCrLf +
                                 QStringLiteral("초기화 하시겠습니까?");
        if (AskYesNo(question, {}, true) != MsgAnswer::Yes)
            return;
        DelFormIni(ScreenName(window));
        ApplyGridDefaults(grid);
        ShowInfo(QStringLiteral("초기화를 완료하였습니다.") + kCrLf +
                 QStringLiteral("현재창을 닫고 다시 열어 주셔야 초기화된 형태가 제대로 보여집니다."));
        return;
    }
    default:
        return;
    }
}

void GridMenu(QWidget* window, SpreadGrid* grid)
{
    QMenu menu(grid);
    menu.addAction(QStringLiteral("그리드 줄높이 변경"))->setData(1);
    menu.addAction(QStringLiteral("글자크기        변경"))->setData(2);
    menu.addSeparator();
    menu.addAction(QStringLiteral("폼 및 그리드 설정 초기화"))->setData(3);
    menu.addSeparator();
    menu.addAction(QStringLiteral("메    뉴      닫    기"))->setData(0);
    QAction* chosen = menu.exec(QCursor::pos());
    if (chosen)
        GridMenuAction(window, grid, chosen->data().toInt());
}

void ConnectGridMenu(QWidget* window, SpreadGrid* grid)
{
    QObject::connect(grid, &SpreadGrid::RightClick, window, [window, grid](int, int, const QPoint&) {
        // Opened after the mouse event has finished, so the menu never runs inside the grid's own handler.
        QMetaObject::invokeMethod(
            grid, [window, grid]() { GridMenu(window, grid); }, Qt::QueuedConnection);
    });
}
