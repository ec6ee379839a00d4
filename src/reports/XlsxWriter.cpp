#include "reports/XlsxWriter.h"

#include <QFile>
#include <QHash>
#include <QStringEncoder>

#include <algorithm>

#include <dlfcn.h>
#include <xlsxwriter.h>
#include <xlsxwriter/third_party/zip.h>

namespace {
// Set while this writer closes its workbook: the zip entries it adds then are deflated at the fastest level.
bool s_fastDeflate = false;
} // namespace

// The library deflates every part of the workbook at zlib's default level and offers no setting for it; the
// sheet of a long list is tens of megabytes of repetitive XML, which the fastest level packs in less than
// half the time for a file about a third larger. The library takes the zip functions from the system's
// minizip, so the program's own definition comes first and hands the call on with that level; where the
// library is built with a zip of its own this is never called and the default level stays.
extern "C" int zipOpenNewFileInZip4_64(zipFile file, const char* filename, const zip_fileinfo* zipfi,
                                       const void* extrafieldLocal, uInt sizeExtrafieldLocal,
                                       const void* extrafieldGlobal, uInt sizeExtrafieldGlobal,
                                       const char* comment, int method, int level, int raw, int windowBits,
                                       int memLevel, int strategy, const char* password, uLong crcForCrypting,
                                       uLong versionMadeBy, uLong flagBase, int zip64)
{
    using Open = int (*)(zipFile, const char*, const zip_fileinfo*, const void*, uInt, const void*, uInt,
                         const char*, int, int, int, int, int, int, const char*, uLong, uLong, uLong, int);
    static const Open next = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "zipOpenNewFileInZip4_64"));
    if (!next)
        return ZIP_INTERNALERROR;
    if (s_fastDeflate && method == Z_DEFLATED)
        level = Z_BEST_SPEED;
    return next(file, filename, zipfi, extrafieldLocal, sizeExtrafieldLocal, extrafieldGlobal,
                sizeExtrafieldGlobal, comment, method, level, raw, windowBits, memLevel, strategy, password,
                crcForCrypting, versionMadeBy, flagBase, zip64);
}

namespace {
using Cell = XlsxSheet::Cell;
constexpr size_t kRowsPerReport = 500;

// What tells formats apart besides the number format.
int formatFlags(const Cell& c)
{
    return int(c.bold) | int(c.align) << 1 | int(c.vCentre) << 3 | int(c.locked) << 4;
}

using FormatKey = std::pair<QString, int>;

// Workbooks share identical formats; a list needs only a handful. Cells of a column mostly share theirs, so
// each column remembers its last one.
class Formats
{
public:
    explicit Formats(lxw_workbook* book) : m_book(book) {}

    lxw_format* forCell(const Cell& c, size_t col)
    {
        const int flags = formatFlags(c);
        if (c.numberFormat.isEmpty() && flags == formatFlags(Cell{}))
            return nullptr;
        if (col >= m_last.size())
            m_last.resize(col + 1);
        Last& last = m_last[col];
        if (last.format && last.key.second == flags && last.key.first == c.numberFormat)
            return last.format;
        FormatKey key{c.numberFormat, flags};
        lxw_format* f = m_cache.value(key);
        if (!f) {
            f = make(c);
            m_cache.insert(key, f);
        }
        last = {std::move(key), f};
        return f;
    }

private:
    lxw_format* make(const Cell& c) const
    {
        lxw_format* f = workbook_add_format(m_book);
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
        return f;
    }

    struct Last
    {
        FormatKey key;
        lxw_format* format = nullptr;
    };
    lxw_workbook* m_book;
    QHash<FormatKey, lxw_format*> m_cache;
    std::vector<Last> m_last;
};

// UTF-8 of each cell's text in one buffer reused from cell to cell.
class Utf8Text
{
public:
    const char* of(const QString& text)
    {
        m_buffer.resize(size_t(text.size()) * 3 + 1);
        char* end = m_encoder.appendToBuffer(m_buffer.data(), text);
        *end = '\0';
        return m_buffer.data();
    }

private:
    QStringEncoder m_encoder{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
    std::vector<char> m_buffer;
};

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}
} // namespace

bool WriteXlsxFile(const QString& file, const XlsxSheet& sheet, QString* error, const XlsxProgress& progress)
{
    return WriteXlsxRows(
        file, sheet, sheet.rows.size(),
        [&sheet](size_t r, std::vector<Cell>& cells) { cells = sheet.rows[r]; }, error, progress);
}

bool WriteXlsxRows(const QString& file, const XlsxSheet& sheet, size_t rowCount, const XlsxRowSource& source,
                   QString* error, const XlsxProgress& progress)
{
    const QByteArray path = QFile::encodeName(file);
    // Each row goes to a temporary file as it is written, its texts inline: memory stays flat however long
    // the list.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(path.constData(), &options);
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

    Formats formats(book);
    const size_t cols = std::max(sheet.colWidths.size(), sheet.colHidden.size());
    for (size_t c = 0; c < cols && c <= LXW_COL_MAX; ++c) {
        const double width = c < sheet.colWidths.size() ? sheet.colWidths[c] : 0;
        lxw_row_col_options options{};
        options.hidden = c < sheet.colHidden.size() && sheet.colHidden[c];
        worksheet_set_column_opt(ws, lxw_col_t(c), lxw_col_t(c), width > 0 ? width : LXW_DEF_COL_WIDTH,
                                 nullptr, &options);
    }

    // The rows go to the temporary file; workbook_close writes the workbook itself at the end (the last
    // tenth), so a cancel before it leaves no file at all.
    const size_t total = std::max<size_t>(rowCount, 1);
    const auto cancelled = [&](size_t done) { return progress && !progress(int(90 * done / total)); };
    lxw_error result = LXW_NO_ERROR;
    std::vector<Cell> row;
    Utf8Text utf8;
    for (size_t r = 0; r < rowCount && r < LXW_ROW_MAX && result == LXW_NO_ERROR; ++r) {
        if (r % kRowsPerReport == 0 && cancelled(r)) {
            lxw_workbook_free(book);
            QFile::remove(file);
            return fail(error, QStringLiteral("cancelled"));
        }
        row.clear();
        source(r, row);
        for (size_t c = 0; c < row.size() && c <= LXW_COL_MAX && result == LXW_NO_ERROR; ++c) {
            const Cell& cell = row[c];
            lxw_format* f = formats.forCell(cell, c);
            switch (cell.kind) {
            case Cell::Kind::Number:
                result = worksheet_write_number(ws, lxw_row_t(r), lxw_col_t(c), cell.number, f);
                break;
            case Cell::Kind::Text:
                result = worksheet_write_string(ws, lxw_row_t(r), lxw_col_t(c), utf8.of(cell.text), f);
                break;
            case Cell::Kind::Empty:
                if (f)
                    result = worksheet_write_blank(ws, lxw_row_t(r), lxw_col_t(c), f);
                break;
            }
        }
    }
    if (result == LXW_NO_ERROR && cancelled(rowCount)) {
        lxw_workbook_free(book);
        QFile::remove(file);
        return fail(error, QStringLiteral("cancelled"));
    }
    s_fastDeflate = true;
    const lxw_error closed = workbook_close(book);
    s_fastDeflate = false;
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
