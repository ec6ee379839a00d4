#pragma once

#include <QString>

#include <functional>
#include <vector>

// One worksheet as plain data, written to an .xlsx file by WriteXlsxFile without any widget.
struct XlsxSheet
{
    struct Cell
    {
        enum class Kind
        {
            Empty,
            Text,
            Number
        };
        enum class Align
        {
            General,
            Left,
            Centre,
            Right
        };

        Kind kind = Kind::Empty;
        QString text;
        double number = 0;
        QString numberFormat; // e.g. "#,##0"; "" = the spreadsheet's general format
        bool bold = false;
        Align align = Align::General;
        bool vCentre = false;
        bool locked = true; // takes effect only where the spreadsheet program protects the sheet
    };

    QString name;
    std::vector<std::vector<Cell>> rows; // rows[r][c], both from 0
    std::vector<double> colWidths;       // in characters; <= 0 keeps the default width
    std::vector<bool> colHidden;
};

// Tells how far the writing is (0..100); false stops it, and no file is left behind.
using XlsxProgress = std::function<bool(int percent)>;

// Writes sheet as the only worksheet of a new workbook at file, replacing it; on failure error (when given)
// tells why. A large sheet reports its progress (when given) as it goes.
bool WriteXlsxFile(const QString& file, const XlsxSheet& sheet, QString* error = nullptr,
                   const XlsxProgress& progress = {});

// Fills cells with the cells of row `row` (from 0), in column order.
using XlsxRowSource = std::function<void(size_t row, std::vector<XlsxSheet::Cell>& cells)>;

// The same for rowCount rows asked for one at a time in order, each written out before the next is asked
// for: the workbook never holds more than a row in memory (its rows of layout are ignored).
bool WriteXlsxRows(const QString& file, const XlsxSheet& layout, size_t rowCount, const XlsxRowSource& row,
                   QString* error = nullptr, const XlsxProgress& progress = {});
