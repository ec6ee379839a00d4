#include "ui/gui/GridPrinter.h"

#include "app/AppPaths.h"
#include "app/Clock.h"
#include "app/Platform.h"
#include "ui/MsgBox.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/SpreadGridModel.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTableView>
#include <QUrl>

#include <algorithm>
#include <vector>

namespace {
GridPrinter g_defaultPrinter;

struct PrintColumn
{
    int col;
    double width;
};
} // namespace

GridPrinter* gGridPrinter = &g_defaultPrinter;

void GridPrinter::setupPage(SpreadGrid* grid, const GridPrintJob& job, QPrinter* printer) const
{
    int totalPx = 0;
    for (int c = 1; c <= grid->MaxCols(); ++c)
        totalPx += grid->ColWidthPx(c);
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    if (job.option == 2 || (job.option != 1 && totalPx > 700))
        orientation = QPageLayout::Landscape;
    printer->setPageOrientation(orientation);
    printer->setPageMargins(QMarginsF(job.marginLeft, job.marginTop, job.marginRight, job.marginBottom),
                            QPageLayout::Inch);
    printer->setDocName(job.title.isEmpty() ? job.caption : job.title);
}

int GridPrinter::Render(SpreadGrid* grid, const GridPrintJob& job, QPrinter* printer)
{
    QPainter p;
    if (!p.begin(printer))
        return 0;
    const int res = printer->resolution();
    const QRect area(QPoint(0, 0), printer->pageLayout().paintRectPixels(res).size());

    std::vector<PrintColumn> cols;
    double totalPx = 0;
    for (int c = 1; c <= grid->MaxCols(); ++c) {
        const int px = grid->ColWidthPx(c);
        if (px > 0) {
            cols.push_back({c, double(px)});
            totalPx += px;
        }
    }
    // Screen pixels become printer dots; a grid wider than the page is narrowed to fit.
    double scale = res / 96.0;
    if (totalPx * scale > area.width() && totalPx > 0)
        scale = area.width() / totalPx;
    for (auto& c : cols)
        c.width *= scale;

    QFont cellFont = grid->view()->font();
    // The text shrinks with a narrowed table, but stays readable.
    const double narrowed = std::min(1.0, scale / (res / 96.0));
    const double basePt = cellFont.pointSizeF() > 0 ? std::min(cellFont.pointSizeF(), 10.0) : 10.0;
    cellFont.setPointSizeF(std::max(6.0, basePt * narrowed));
    QFont headFont = cellFont;
    headFont.setBold(true);
    QFont titleFont = cellFont;
    titleFont.setPointSizeF(16);
    titleFont.setBold(true);
    QFont smallFont = cellFont;
    smallFont.setPointSizeF(8);

    p.setFont(cellFont);
    const int rowH = int(p.fontMetrics().height() * 1.6);
    p.setFont(titleFont);
    const int titleH = int(p.fontMetrics().height() * 1.4);
    p.setFont(smallFont);
    const int smallH = int(p.fontMetrics().height() * 1.3);
    const int subH = job.subTitle.trimmed().isEmpty() ? 0 : int(smallH * 1.3);

    const int firstTop = titleH + subH + smallH + rowH / 2;
    const int otherTop = smallH + rowH / 4;
    const int bottom = area.height() - smallH;
    const int rows = grid->MaxRows();
    const int perFirst = std::max(1, (bottom - firstTop) / rowH - 1);
    const int perOther = std::max(1, (bottom - otherTop) / rowH - 1);
    const int pages = rows <= perFirst ? 1 : 1 + (rows - perFirst + perOther - 1) / perOther;
    const QString printed =
        QStringLiteral("출력일시: ") + Clock::Now().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    const QColor lineColor(150, 150, 150);
    SpreadGridModel* model = grid->model();

    int row = 1;
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            printer->newPage();
        int y = 0;
        if (page == 1) {
            p.setFont(titleFont);
            p.setPen(Qt::black);
            p.drawText(QRect(0, 0, area.width(), titleH), Qt::AlignCenter, job.title);
            y = titleH;
            if (subH > 0) {
                p.setFont(smallFont);
                p.drawText(QRect(0, y, area.width(), subH), Qt::AlignCenter, job.subTitle);
                y += subH;
            }
        }
        p.setFont(smallFont);
        p.setPen(Qt::black);
        p.drawText(QRect(0, y, area.width(), smallH), Qt::AlignLeft | Qt::AlignVCenter, job.caption);
        p.drawText(QRect(0, y, area.width(), smallH), Qt::AlignRight | Qt::AlignVCenter, printed);
        y += smallH + (page == 1 ? rowH / 2 : rowH / 4);

        // Column headings on every page.
        p.setFont(headFont);
        double x = 0;
        for (const auto& c : cols) {
            const QRectF cell(x, y, c.width, rowH);
            p.fillRect(cell, QColor(230, 230, 230));
            p.setPen(lineColor);
            p.drawRect(cell);
            p.setPen(Qt::black);
            p.drawText(cell.adjusted(3, 0, -3, 0), Qt::AlignCenter | Qt::TextSingleLine,
                       grid->ColHeaderText(c.col));
            x += c.width;
        }
        y += rowH;

        const int count = page == 1 ? perFirst : perOther;
        for (int i = 0; i < count && row <= rows; ++i, ++row) {
            x = 0;
            for (const auto& c : cols) {
                const QRectF cell(x, y, c.width, rowH);
                const GridStyle st = model->resolved(c.col, row);
                p.fillRect(cell, QColor::fromRgb(model->backColorAt(c.col, row)));
                p.setPen(lineColor);
                p.drawRect(cell);
                QFont f = cellFont;
                f.setBold(st.fontBold);
                p.setFont(f);
                p.setPen(QColor::fromRgb(model->foreColorAt(c.col, row)));
                int h = st.hAlign;
                if (h == HAlignDefault)
                    h = (st.type == CellTypeCurrency || st.type == CellTypeNumber) ? HAlignRight : HAlignLeft;
                const Qt::Alignment a = h == HAlignRight    ? Qt::AlignRight
                                        : h == HAlignCenter ? Qt::AlignHCenter
                                                            : Qt::AlignLeft;
                p.drawText(cell.adjusted(3, 0, -3, 0), int(a | Qt::AlignVCenter | Qt::TextSingleLine),
                           model->displayText(c.col, row));
                x += c.width;
            }
            y += rowH;
        }

        p.setFont(smallFont);
        p.setPen(Qt::black);
        p.drawText(QRect(0, area.height() - smallH, area.width(), smallH), Qt::AlignCenter,
                   QStringLiteral("- %1 / %2 -").arg(page).arg(pages));
        if (!m_appTitle.isEmpty())
            p.drawText(QRect(0, area.height() - smallH, area.width(), smallH),
                       Qt::AlignRight | Qt::AlignVCenter, m_appTitle);
    }
    p.end();
    return pages;
}

bool GridPrinter::PrintToPdf(SpreadGrid* grid, const GridPrintJob& job, const QString& file)
{
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    setupPage(grid, job, &printer);
    return Render(grid, job, &printer) > 0;
}

bool GridPrinter::PrintSpread(SpreadGrid* grid, const GridPrintJob& job, QWidget* parent)
{
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        const QString name = (job.title.trimmed().isEmpty() ? QStringLiteral("Grid") : job.title.trimmed()) +
                             Clock::Now().toString(QStringLiteral("_yyMMdd_HHmmss")) + QStringLiteral(".pdf");
        const QString file = AppPaths::ProgramPath(QStringLiteral("Print/") + name);
        if (!PrintToPdf(grid, job, file)) {
            ShowWarning(QStringLiteral("인쇄 파일을 만들지 못했습니다.") + kCrLf + file);
            return false;
        }
        ShowInfo(QStringLiteral("연결된 프린터가 없어 PDF 파일로 저장하였습니다.") + kCrLf + file);
        CurrentPlatform().OpenExternally(QUrl::fromLocalFile(file));
        return true;
    }
    QPrinter printer(QPrinter::HighResolution);
    setupPage(grid, job, &printer);
    QPrintPreviewDialog preview(&printer, parent ? parent : grid->window());
    preview.setWindowTitle(job.caption.isEmpty() ? job.title : job.caption);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [this, grid, job](QPrinter* target) { Render(grid, job, target); });
    return ExecModal(&preview) == QDialog::Accepted;
}

bool GridPrinter::PrintSpread(SpreadGrid* grid, const QString& caption, const QString& title,
                              const QString& subTitle, int option, double marginLeft, double marginTop,
                              double marginRight, double marginBottom)
{
    GridPrintJob job;
    job.caption = caption;
    job.title = title;
    job.subTitle = subTitle;
    job.option = option;
    job.marginLeft = marginLeft;
    job.marginTop = marginTop;
    job.marginRight = marginRight;
    job.marginBottom = marginBottom;
    return PrintSpread(grid, job);
}
