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
XlsxSheet::Cell exportCell(const QString& text, const GridStyle& style)
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
    if (text.isEmpty())
        return cell;
    bool number = false;
    const double value = text.toDouble(&number);
    if (number && (style.type == CellTypeNumber || style.type == CellTypeCurrency)) {
        cell.kind = XlsxSheet::Cell::Kind::Number;
        cell.number = value;
        // One shared text per format: a long list has a number in nearly every row.
        static const QString kFormats[2][11] = {{"0", "0.0", "0.00", "0.000", "0.0000", "0.00000", "0.000000",
                                                 "0.0000000", "0.00000000", "0.000000000", "0.0000000000"},
                                                {"#,##0", "#,##0.0", "#,##0.00", "#,##0.000", "#,##0.0000",
                                                 "#,##0.00000", "#,##0.000000", "#,##0.0000000",
                                                 "#,##0.00000000", "#,##0.000000000", "#,##0.0000000000"}};
        cell.numberFormat = kFormats[style.showSep ? 1 : 0][std::clamp(style.decPlaces, 0, 10)];
        return cell;
    }
    cell.kind = XlsxSheet::Cell::Kind::Text;
    cell.text = text;
    return cell;
}

const QString kXlsx = QStringLiteral(".xlsx");
const QString kLog = QStringLiteral("LOG.TXT");
constexpr int kMaxCounter = 999;
// Fewer rows are written before a progress window could be read.
constexpr int kRowsForProgress = 2000;

// Every cell's lock as it was, so cells the screen left editable (a tick column) stay editable afterwards.
class LockSnapshot
{
public:
    explicit LockSnapshot(const SpreadGrid& grid)
        : m_cols(grid.MaxCols()), m_rows(grid.MaxRows()), m_sheet(grid.model()->sheetStyle().lock)
    {
        m_locks.reserve(static_cast<size_t>(m_cols) * static_cast<size_t>(m_rows));
        for (int r = 1; r <= m_rows; ++r)
            for (int c = 1; c <= m_cols; ++c)
                m_locks.push_back(grid.IsLocked(c, r));
    }

    void restore(SpreadGrid& grid) const
    {
        setLock(grid, -1, -1, m_sheet);
        // Whole columns first, so an unlocked tick column costs one setting rather than one per row.
        for (int c = 1; c <= m_cols; ++c) {
            bool uniform = m_rows > 0;
            for (int r = 1; r <= m_rows && uniform; ++r)
                uniform = at(c, r) == at(c, 1);
            if (uniform && at(c, 1) != m_sheet)
                setLock(grid, c, -1, at(c, 1));
        }
        for (int r = 1; r <= m_rows; ++r)
            for (int c = 1; c <= m_cols; ++c)
                if (grid.IsLocked(c, r) != at(c, r))
                    setLock(grid, c, r, at(c, r));
    }

private:
    bool at(int col, int row) const
    {
        return m_locks[static_cast<size_t>(row - 1) * static_cast<size_t>(m_cols) +
                       static_cast<size_t>(col - 1)];
    }
    static void setLock(SpreadGrid& grid, int col, int row, bool on)
    {
        grid.SetBlockMode(false);
        grid.SetCol(col);
        grid.SetRow(row);
        grid.SetLock(on);
    }

    int m_cols;
    int m_rows;
    bool m_sheet;
    std::vector<bool> m_locks;
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
    // Row by row from the grid's cells: a long list is never copied whole.
    const auto row = [&grid, cols](size_t r, std::vector<XlsxSheet::Cell>& cells) {
        cells.reserve(static_cast<size_t>(cols));
        for (int c = 1; c <= cols; ++c)
            cells.push_back(
                exportCell(grid.model()->text(c, int(r) + 1), grid.model()->resolved(c, int(r) + 1)));
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
