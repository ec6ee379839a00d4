#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <vector>

// One row of a report grid as the core lays it out: its cells (column 1 first) and what kind of row it is.
struct ReportRow
{
    enum class Kind
    {
        Data,
        SubTotal,
        Total,
    };
    QVariantList cells;
    Kind kind = Kind::Data;
    // A report's own mark for a data row (the ledger tells carried-forward and payment rows by it).
    int tag = 0;
};

// The rows of a report held by the report itself, handed out one at a time: a grid fills only the rows it
// shows, and a year's ledger is too long to hold as grid cells.
class ReportRowSource
{
public:
    virtual ~ReportRowSource() = default;
    // Data rows, "[소 계]" rows and the "[합 계]" row.
    virtual int RowCount() const = 0;
    // Row 0 first.
    virtual ReportRow RowAt(int row) const = 0;
    // The rows that are neither subtotals nor the total.
    virtual int DataRowCount() const = 0;
};

// The report's rows followed by "[소 계]" rows after each run of equal text in keyCol and the "[합 계]" row
// last, both labelled in labelCol, with the sums of sumCols in whole won. A run of fewer than two rows gets
// no subtotal, nor does a list that is one run (the grand total says it). copyCol (>= 0) of a subtotal
// takes that column of the run's last row. Columns are 0-based here.
std::vector<ReportRow> WithTotals(std::vector<ReportRow> rows, int keyCol, const QList<int>& sumCols,
                                  int labelCol, int copyCol = -1);
