#include "reports/gui/modExcel.h"

#include "app/AppPaths.h"
#include "app/Clock.h"
#include "app/Platform.h"
#include "reports/XlsxWriter.h"
#include "ui/MsgBox.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/SpreadGridModel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace {
// A cell's look in the file, without its value.
XlsxSheet::Cell exportLook(const GridStyle& style)
{
    XlsxSheet::Cell cell;
    cell.bold = style.fontBold;
    cell.vCentre = style.vAlign == VAlignCenter;
    cell.locked = style.lock;
    switch (style.hAlign) {
    case HAlignLeft:
        cell.align = XlsxSheet::Cell::Align::Left;
        break;
    case HAlignRight:
        cell.align = XlsxSheet::Cell::Align::Right;
        break;
    case HAlignCenter:
        cell.align = XlsxSheet::Cell::Align::Centre;
        break;
    default:
        break;
    }
    if (style.type == CellTypeNumber || style.type == CellTypeCurrency) {
        // One shared text per format: a long list has a number in nearly every row.
        static const QString kFormats[2][11] = {{"0", "0.0", "0.00", "0.000", "0.0000", "0.00000", "0.000000",
                                                 "0.0000000", "0.00000000", "0.000000000", "0.0000000000"},
                                                {"#,##0", "#,##0.0", "#,##0.00", "#,##0.000", "#,##0.0000",
                                                 "#,##0.00000", "#,##0.000000", "#,##0.0000000",
                                                 "#,##0.00000000", "#,##0.000000000", "#,##0.0000000000"}};
        cell.numberFormat = kFormats[style.showSep ? 1 : 0][std::clamp(style.decPlaces, 0, 10)];
    }
    return cell;
}

// The cell of a text in a cell of that look: a number where the cell is a number cell and the text one.
void setExportValue(XlsxSheet::Cell& cell, const QString& text)
{
    if (text.isEmpty()) {
        cell.numberFormat.clear(); // a blank keeps only the look
        return;
    }
    if (!cell.numberFormat.isEmpty()) {
        bool number = false;
        const double value = text.toDouble(&number);
        if (number) {
            cell.kind = XlsxSheet::Cell::Kind::Number;
            cell.number = value;
            return;
        }
        cell.numberFormat.clear();
    }
    cell.kind = XlsxSheet::Cell::Kind::Text;
    cell.text = text;
}

const QString kXlsx = QStringLiteral(".xlsx");
const QString kLog = QStringLiteral("LOG.TXT");
constexpr int kMaxCounter = 999;
// Fewer rows are written before a progress window could be read.
constexpr int kRowsForProgress = 2000;

// Every cell's lock as it was, so cells the screen left editable (a tick column) stay editable afterwards:
// the sheet's and each column's, and the cells that differ from their column (only rows or cells with a
// layer of their own can).
class LockSnapshot
{
public:
    explicit LockSnapshot(const SpreadGrid& grid) : m_sheet(grid.model()->sheetStyle().lock)
    {
        const SpreadGridModel* model = grid.model();
        const int cols = grid.MaxCols();
        for (int c = 1; c <= cols; ++c)
            m_cols.push_back(model->resolvedColumn(c).lock);
        for (int r = 1; r <= grid.MaxRows(); ++r) {
            const GridRowData* data = model->rowData(r);
            if (!data || !ownLayer(*data))
                continue;
            for (int c = 1; c <= cols; ++c) {
                const bool locked = grid.IsLocked(c, r);
                if (locked != m_cols[size_t(c - 1)])
                    m_cells.push_back({c, r, locked});
            }
        }
    }

    void restore(SpreadGrid& grid) const
    {
        setLock(grid, -1, -1, m_sheet);
        for (int c = 1; c <= int(m_cols.size()); ++c)
            if (m_cols[size_t(c - 1)] != m_sheet)
                setLock(grid, c, -1, m_cols[size_t(c - 1)]);
        for (const Cell& cell : m_cells)
            if (grid.IsLocked(cell.col, cell.row) != cell.locked)
                setLock(grid, cell.col, cell.row, cell.locked);
    }

private:
    struct Cell
    {
        int col;
        int row;
        bool locked;
    };
    static bool ownLayer(const GridRowData& data)
    {
        if (data.style)
            return true;
        return std::any_of(data.cells.cbegin(), data.cells.cend(),
                           [](const GridCell& c) { return c.extra != nullptr; });
    }
    static void setLock(SpreadGrid& grid, int col, int row, bool on)
    {
        grid.SetBlockMode(false);
        grid.SetCol(col);
        grid.SetRow(row);
        grid.SetLock(on);
    }

    bool m_sheet;
    std::vector<bool> m_cols;
    std::vector<Cell> m_cells;
};

void setAllLocks(SpreadGrid& grid, bool on)
{
    grid.SetBlockMode(false);
    grid.SetCol(-1);
    grid.SetRow(-1);
    grid.SetLock(on);
}

// Column headings as ordinary rows above the data, in the grid's column order.
void insertHeadingRows(SpreadGrid& grid, int headings)
{
    grid.SetMaxRows(grid.MaxRows() + headings);
    grid.SetBlockMode(false);
    for (int r = 1; r <= headings; ++r) {
        grid.InsertRows(r, 1);
        for (int c = 1; c <= grid.MaxCols(); ++c) {
            grid.SetCol(c);
            grid.SetRow(r);
            grid.SetCellType(CellTypeStaticText);
            grid.SetTypeHAlign(HAlignCenter);
            grid.SetTypeVAlign(VAlignCenter);
            grid.SetFontBold(true);
            grid.SetText(c, r, grid.ColHeaderText(c, r));
        }
    }
}

void removeHeadingRows(SpreadGrid& grid, int headings)
{
    grid.DeleteRows(1, headings);
    grid.SetMaxRows(grid.MaxRows() - headings);
}
} // namespace

QString ExportNotice(const QString& file)
{
    return QStringLiteral("엑셀 파일을 저장했습니다.") + kCrLf + QDir::toNativeSeparators(file);
}

QString ExportStem(const QString& folder, const QDateTime& moment)
{
    const QString base =
        QDir(folder).filePath(QStringLiteral("Exp") + moment.toString(QStringLiteral("yyMMdd_HHmmss")));
    for (int n = 1; n <= kMaxCounter; ++n) {
        const QString stem = n == 1 ? base : base + QStringLiteral("_%1").arg(n);
        if (!QFileInfo::exists(stem + kXlsx) && !QFileInfo::exists(stem + kLog))
            return stem;
    }
    return QString();
}

void ExportToExcelFile(SpreadGrid* grid, const QString& sheetName, bool unlock)
{
    if (!grid)
        return;
    if (grid->DataRowCnt() == 0) {
        ShowInfo(QStringLiteral("엑셀로 보낼 데이터가 없습니다.") + kCrLf +
                 QStringLiteral("자료 검색후 엑셀로 보내세요."));
        return;
    }
    if (AskYesNo(QStringLiteral("엑셀로 자료를 내보내기 하시겠습니까?"), {}, true) != MsgAnswer::Yes)
        return;

    // The screen's cursor and active cell are its own; the export only borrows them.
    const int col = grid->Col(), row = grid->Row(), col2 = grid->Col2(), row2 = grid->Row2();
    const bool blockMode = grid->BlockMode();
    const int activeCol = grid->ActiveCol(), activeRow = grid->ActiveRow();
    const bool redraw = grid->ReDraw();
    grid->SetReDraw(false);
    const int headings = std::max(grid->ColHeaderRows(), 0);
    std::optional<LockSnapshot> locks;
    if (unlock) {
        locks.emplace(*grid);
        setAllLocks(*grid, false);
    }
    insertHeadingRows(*grid, headings);

    const QString folder = AppPaths::ProgramPath(QStringLiteral("ExpExcel"));
    const QString stem = QDir().mkpath(folder) ? ExportStem(folder, Clock::Now()) : QString();
    const QString file = stem + kXlsx;
    // A long export shows how far it is and may be cancelled: the file is written only at the end, so a
    // cancel leaves none.
    std::unique_ptr<QProgressDialog> progress;
    if (grid->DataRowCnt() >= kRowsForProgress) {
        progress = std::make_unique<QProgressDialog>(
            QStringLiteral("엑셀 파일로 내보내는 중입니다. (%1줄)").arg(grid->DataRowCnt() - headings),
            QStringLiteral("취소"), 0, 100, grid->window());
        progress->setObjectName(QStringLiteral("ExportProgress"));
        progress->setWindowTitle(QStringLiteral("엑셀로 내보내기"));
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(300);
        progress->setAutoReset(false);
        progress->setAutoClose(false);
    }
    bool cancelled = false;
    const auto report = [&](int percent) {
        if (!progress)
            return true;
        progress->setValue(percent);
        QApplication::processEvents();
        cancelled = progress->wasCanceled();
        return !cancelled;
    };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool written = !stem.isEmpty() && WriteGridXlsx(*grid, file, sheetName, stem + kLog, report);
    QApplication::restoreOverrideCursor();
    progress.reset();

    removeHeadingRows(*grid, headings);
    if (locks)
        locks->restore(*grid);
    grid->SetActiveCell(activeCol, activeRow);
    grid->SetCol(col);
    grid->SetRow(row);
    grid->SetCol2(col2);
    grid->SetRow2(row2);
    grid->SetBlockMode(blockMode);
    grid->SetReDraw(redraw);

    if (written) {
        // Whether a program took the file is not always known (none may be installed), so the operator is
        // always told where it is.
        // The message comes first: the notice floats above every window and would hide its text.
        if (!CurrentPlatform().OpenExternally(QUrl::fromLocalFile(file)))
            ShowInfo(QStringLiteral("엑셀 파일을 저장했지만 열 프로그램을 찾지 못해 열지 못했습니다.") +
                     kCrLf + QDir::toNativeSeparators(file) + kCrLf +
                     QStringLiteral("표 계산 프로그램(LibreOffice Calc 등)으로 이 파일을 여세요."));
        MyFloatMsg(ExportNotice(file), 500);
    } else if (cancelled)
        MyFloatMsg(QStringLiteral("엑셀로 내보내기를 취소했습니다."), 700);
    else
        ShowWarning(QStringLiteral("엑셀로 내보내기에 실패했습니다."));
}

bool WriteGridXlsx(const SpreadGrid& grid, const QString& file, const QString& sheetName,
                   const QString& logFile, const std::function<bool(int percent)>& progress)
{
    XlsxSheet sheet;
    sheet.name = sheetName;
    const int rows = grid.DataRowCnt(), cols = grid.MaxCols();
    for (int c = 1; c <= cols; ++c) {
        sheet.colWidths.push_back(grid.ShownColWidth(c));
        sheet.colHidden.push_back(grid.ColHidden(c));
    }
    // Row by row from the grid's cells: a long list is never copied whole. Most cells take their column's
    // look, worked out once; a row or cell with a layer of its own (a heading, a formula) is resolved.
    const SpreadGridModel* model = grid.model();
    std::vector<XlsxSheet::Cell> looks;
    for (int c = 1; c <= cols; ++c)
        looks.push_back(exportLook(model->resolvedColumn(c)));
    const auto row = [model, cols, &looks](size_t r, std::vector<XlsxSheet::Cell>& cells) {
        const int gridRow = int(r) + 1;
        const GridRowData* data = model->rowData(gridRow);
        const bool plainRow = !data || !data->style;
        for (int c = 1; c <= cols; ++c) {
            const GridCell* own =
                data && c <= int(data->cells.size()) ? &data->cells[size_t(c - 1)] : nullptr;
            if (plainRow && !(own && own->extra)) {
                cells.push_back(looks[size_t(c - 1)]);
                if (own)
                    setExportValue(cells.back(), own->text);
                continue;
            }
            cells.push_back(exportLook(model->resolved(c, gridRow)));
            setExportValue(cells.back(), model->text(c, gridRow));
        }
    };
    QString error;
    const bool written = WriteXlsxRows(file, sheet, static_cast<size_t>(rows), row, &error, progress);
    if (!logFile.isEmpty()) {
        QFile log(logFile);
        if (log.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            const QString stamp = Clock::Now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            QString text = stamp + QStringLiteral(" export ") + file + QStringLiteral(" sheet ") + sheetName +
                           QStringLiteral(": %1 rows, %2 columns\r\n").arg(rows).arg(cols);
            text += written ? QStringLiteral("written\r\n")
                            : QStringLiteral("failed: ") + error + QStringLiteral("\r\n");
            log.write(text.toUtf8());
        }
    }
    return written;
}
