#include "reports/XlsxWriter.h"

#include <QFile>
#include <QHash>

#include <algorithm>

#include <xlsxwriter.h>

namespace {
using Cell = XlsxSheet::Cell;
constexpr size_t kRowsPerReport = 500;

QString formatKey(const Cell& c)
{
    return QStringLiteral("%1|%2|%3|%4|%5")
        .arg(c.numberFormat)
        .arg(int(c.bold))
        .arg(int(c.align))
        .arg(int(c.vCentre))
        .arg(int(c.locked));
}

// Workbooks share identical formats; a 10,000-row list needs only a handful.
lxw_format* formatFor(lxw_workbook* book, QHash<QString, lxw_format*>& cache, const Cell& c)
{
    if (c.numberFormat.isEmpty() && !c.bold && c.align == Cell::Align::General && !c.vCentre && c.locked)
        return nullptr;
    const QString key = formatKey(c);
    if (lxw_format* f = cache.value(key))
        return f;
    lxw_format* f = workbook_add_format(book);
    if (!c.numberFormat.isEmpty())
        format_set_num_format(f, c.numberFormat.toUtf8().constData());
    if (c.bold)
        format_set_bold(f);
    switch (c.align) {
    case Cell::Align::Left:
        format_set_align(f, LXW_ALIGN_LEFT);
        break;
    case Cell::Align::Centre:
        format_set_align(f, LXW_ALIGN_CENTER);
        break;
    case Cell::Align::Right:
        format_set_align(f, LXW_ALIGN_RIGHT);
        break;
    case Cell::Align::General:
        break;
    }
    if (c.vCentre)
        format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
    if (!c.locked)
        format_set_unlocked(f);
    cache.insert(key, f);
    return f;
}

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}
} // namespace

bool WriteXlsxFile(const QString& file, const XlsxSheet& sheet, QString* error, const XlsxProgress& progress)
{
    const QByteArray path = QFile::encodeName(file);
    lxw_workbook* book = workbook_new(path.constData());
    if (!book)
        return fail(error, QStringLiteral("cannot create workbook %1").arg(file));
    const QByteArray name = sheet.name.toUtf8();
    lxw_worksheet* ws = workbook_add_worksheet(book, name.isEmpty() ? nullptr : name.constData());
    if (!ws) // an unusable sheet name falls back to the spreadsheet's own
        ws = workbook_add_worksheet(book, nullptr);
    if (!ws) {
        workbook_close(book);
        QFile::remove(file);
        return fail(error, QStringLiteral("cannot add worksheet"));
    }

    QHash<QString, lxw_format*> formats;
    const size_t cols = std::max(sheet.colWidths.size(), sheet.colHidden.size());
    for (size_t c = 0; c < cols && c <= LXW_COL_MAX; ++c) {
        const double width = c < sheet.colWidths.size() ? sheet.colWidths[c] : 0;
        lxw_row_col_options options{};
        options.hidden = c < sheet.colHidden.size() && sheet.colHidden[c];
        worksheet_set_column_opt(ws, lxw_col_t(c), lxw_col_t(c), width > 0 ? width : LXW_DEF_COL_WIDTH,
                                 nullptr, &options);
    }

    // The cells go into memory; workbook_close writes the whole file at the end (the last tenth), so a
    // cancel before it leaves no file at all.
    const size_t total = std::max<size_t>(sheet.rows.size(), 1);
    const auto cancelled = [&](size_t done) { return progress && !progress(int(90 * done / total)); };
    lxw_error result = LXW_NO_ERROR;
    for (size_t r = 0; r < sheet.rows.size() && r < LXW_ROW_MAX && result == LXW_NO_ERROR; ++r) {
        if (r % kRowsPerReport == 0 && cancelled(r)) {
            lxw_workbook_free(book);
            QFile::remove(file);
            return fail(error, QStringLiteral("cancelled"));
        }
        const auto& row = sheet.rows[r];
        for (size_t c = 0; c < row.size() && c <= LXW_COL_MAX && result == LXW_NO_ERROR; ++c) {
            const Cell& cell = row[c];
            lxw_format* f = formatFor(book, formats, cell);
            switch (cell.kind) {
            case Cell::Kind::Number:
                result = worksheet_write_number(ws, lxw_row_t(r), lxw_col_t(c), cell.number, f);
                break;
            case Cell::Kind::Text:
                result =
                    worksheet_write_string(ws, lxw_row_t(r), lxw_col_t(c), cell.text.toUtf8().constData(), f);
                break;
            case Cell::Kind::Empty:
                if (f)
                    result = worksheet_write_blank(ws, lxw_row_t(r), lxw_col_t(c), f);
                break;
            }
        }
    }
    if (result == LXW_NO_ERROR && cancelled(sheet.rows.size())) {
        lxw_workbook_free(book);
        QFile::remove(file);
        return fail(error, QStringLiteral("cancelled"));
    }
    const lxw_error closed = workbook_close(book);
    if (result == LXW_NO_ERROR)
        result = closed;
    if (result != LXW_NO_ERROR) {
        QFile::remove(file);
        return fail(error, QString::fromUtf8(lxw_strerror(result)));
    }
    if (progress)
        progress(100);
    return true;
}
