#include "db/CustomerListQuery.h"

#include "db/CustomerTextIndex.h"
#include "db/modDBQuery.h"

namespace {
// The columns of the address index (고객 주소1, 주소2, 코드).
bool addressOnly(const QStringList& columns)
{
    for (const QString& c : columns) {
        if (c != QStringLiteral("주소1") && c != QStringLiteral("주소2"))
            return false;
    }
    return true;
}
} // namespace

QString CustomerListKeysSql(const QString& columns, const QString& modeItem, const QString& text)
{
    QStringList cols;
    for (const QString& c : columns.split(QLatin1Char(','), Qt::SkipEmptyParts))
        cols << c.trimmed();
    QString where;
    // Walking the address index reads the rows in order and needs no sort: right for the whole list and an
    // address search with many rows, where the index holds everything the condition looks at. Any other
    // search reads its rows first and sorts them ("+" keeps the planner off the index, whose walk would
    // fetch every customer to test the condition).
    bool walk = true;
    bool scan = false;
    if (!text.isEmpty()) {
        const QString exact = MakeSearchWhere(columns, modeItem, text);
        const QString candidates = TextIndexCandidates(cols, text);
        // The index pays for itself while it offers few rows; many candidates are read faster by the
        // scan (or, for an address search, the walk) than one by one through the key table.
        if (!candidates.isEmpty() && TextIndexCandidateCount(cols, text, kFewCandidates) <= kFewCandidates) {
            where = candidates + QStringLiteral(" AND ") + exact;
            walk = false;
        } else {
            where = exact;
            walk = addressOnly(cols);
            // Through the telephone indexes a "starts with" would fetch its rows one by one, for a
            // common prefix most of the table: one pass over the table is several times faster.
            scan = !walk;
        }
    }
    QString sql =
        QStringLiteral("SELECT 코드 FROM 고객") + (scan ? QStringLiteral(" NOT INDEXED") : QString());
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    return sql + (walk ? QStringLiteral(" ORDER BY 주소1, 주소2, 코드")
                       : QStringLiteral(" ORDER BY +주소1, 주소2, 코드"));
}

QString CustomerRowsSql(const QStringList& codes)
{
    QStringList quoted;
    quoted.reserve(codes.size());
    for (const QString& c : codes)
        quoted << SQLLiteral(c);
    return QStringLiteral("SELECT * FROM 고객 WHERE 코드 IN (") + quoted.join(QLatin1Char(',')) +
           QLatin1Char(')');
}
