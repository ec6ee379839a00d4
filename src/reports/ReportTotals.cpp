#include "reports/ReportTotals.h"

namespace {
const QString kSubTotal = QStringLiteral("[소 계]");
const QString kTotal = QStringLiteral("[합 계]");

ReportRow sumRow(ReportRow::Kind kind, int width, const QList<int>& sumCols, const std::vector<qint64>& sums,
                 int labelCol, const QString& label)
{
    ReportRow row;
    row.kind = kind;
    row.cells = QVariantList(width);
    row.cells[labelCol] = label;
    for (qsizetype i = 0; i < sumCols.size(); ++i)
        row.cells[sumCols.at(i)] = sums[size_t(i)];
    return row;
}
} // namespace

std::vector<ReportRow> WithTotals(std::vector<ReportRow> rows, int keyCol, const QList<int>& sumCols,
                                  int labelCol, int copyCol)
{
    int width = std::max(labelCol, copyCol) + 1;
    for (const ReportRow& r : rows)
        width = std::max(width, int(r.cells.size()));
    for (int c : sumCols)
        width = std::max(width, c + 1);

    std::vector<ReportRow> out;
    out.reserve(rows.size() + rows.size() / 2 + 1);
    std::vector<qint64> group(size_t(sumCols.size()), 0);
    std::vector<qint64> total(size_t(sumCols.size()), 0);
    size_t groupStart = 0;
    auto closeGroup = [&](size_t end, bool wholeList) {
        if (end - groupStart >= 2 && !wholeList) {
            ReportRow sub = sumRow(ReportRow::Kind::SubTotal, width, sumCols, group, labelCol, kSubTotal);
            if (copyCol >= 0)
                sub.cells[copyCol] = rows[end - 1].cells.value(copyCol);
            out.push_back(std::move(sub));
        }
        std::fill(group.begin(), group.end(), 0);
        groupStart = end;
    };
    for (size_t i = 0; i < rows.size(); ++i) {
        const QString key = rows[i].cells.value(keyCol).toString();
        if (i > groupStart && key != rows[groupStart].cells.value(keyCol).toString())
            closeGroup(i, false);
        for (qsizetype s = 0; s < sumCols.size(); ++s) {
            const qint64 v = rows[i].cells.value(sumCols.at(s)).toLongLong();
            group[size_t(s)] += v;
            total[size_t(s)] += v;
        }
        rows[i].cells.resize(width);
        out.push_back(rows[i]);
    }
    if (!rows.empty())
        closeGroup(rows.size(), groupStart == 0);
    out.push_back(sumRow(ReportRow::Kind::Total, width, sumCols, total, labelCol, kTotal));
    return out;
}
