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

// The report's rows followed by "[소 계]" rows after each run of equal text in keyCol and the "[합 계]" row
// last, both labelled in labelCol, with the sums of sumCols in whole won. A run of fewer than two rows gets
// no subtotal, nor does a list that is one run (the grand total says it). copyCol (>= 0) of a subtotal
// takes that column of the run's last row. Columns are 0-based here.
std::vector<ReportRow> WithTotals(std::vector<ReportRow> rows, int keyCol, const QList<int>& sumCols,
                                  int labelCol, int copyCol = -1);
