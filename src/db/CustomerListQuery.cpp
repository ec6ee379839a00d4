#include "db/CustomerListQuery.h"

#include "db/CustomerPhoneDigits.h"
#include "db/CustomerTextIndex.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"

const QString kCustomerListIndex = QStringLiteral("ix_고객_5");

namespace {
bool inListIndex(const QStringList& columns)
{
    static const QStringList held = {
        QStringLiteral("주소1"), QStringLiteral("주소2"), QStringLiteral("코드"), QStringLiteral("전화1"),
        QStringLiteral("전화2"), QStringLiteral("전화3"), QStringLiteral("전화4")};
    for (const QString& c : columns) {
        if (!held.contains(c))
            return false;
    }
    return true;
}

// Columns with an index of their own (the telephone numbers), in which an equal text is looked up directly.
bool eachIndexed(const QStringList& columns)
{
    for (const QString& c : columns) {
        if (c != QStringLiteral("전화1") && c != QStringLiteral("전화2") && c != QStringLiteral("전화3") &&
            c != QStringLiteral("전화4"))
            return false;
    }
    return !columns.isEmpty();
}

// The search field of the numbers: all four of them.
bool allNumbers(const QStringList& columns)
{
    QStringList distinct = columns;
    return columns.size() == 4 && eachIndexed(columns) && distinct.removeDuplicates() == 0;
}

QString typedDigits(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        if (c >= u'0' && c <= u'9')
            out += c;
    }
    return out;
}
} // namespace

namespace {
// The source and condition of a search of the list (" INDEXED BY … WHERE …") and whether its rows must be
// sorted rather than read in order.
struct ListPlan
{
    QString from;
    bool sorted = false;
};

ListPlan listPlan(const QString& columns, const QString& modeItem, const QString& text)
{
    QStringList cols;
    for (const QString& c : columns.split(QLatin1Char(','), Qt::SkipEmptyParts))
        cols << c.trimmed();
    QString where;
    QString source = QStringLiteral(" INDEXED BY ") + kCustomerListIndex;
    bool sorted = false;
    const QString digits = typedDigits(text);
    if (allNumbers(cols) && !digits.isEmpty()) {
        // Numbers compare by their digits only, however they were typed or stored. Few are fetched through
        // the digits table and sorted; many are read in order from the list index, which holds the numbers.
        const int candidates = PhoneDigitsCandidateCount(modeItem, digits, kFewCandidates);
        if (candidates <= kFewCandidates)
            return {QStringLiteral(" WHERE ") + PhoneDigitsCondition(modeItem, digits), true};
        if (gMainConn.isOpen() && gMainConn.isServer())
            return {QStringLiteral(" WHERE ") + PhoneDigitsCondition(modeItem, digits), false};
        return {source + QStringLiteral(" WHERE ") + PhoneDigitsColumnsCondition(modeItem, digits), false};
    }
    if (!text.isEmpty()) {
        where = MakeSearchWhere(columns, modeItem, text);
        const bool equal = modeItem.left(3).trimmed() == QLatin1String("=");
        if (equal && eachIndexed(cols)) {
            // A number typed in full finds its few rows through the indexes of the number columns.
            return {QStringLiteral(" WHERE ") + where, true};
        }
        if (equal && cols == QStringList{QStringLiteral("주소1")}) {
            // The list index begins with 주소1: its rows stand together there, already in order.
            return {source + QStringLiteral(" WHERE ") + where, false};
        }
        // The text index pays for itself while it offers fewer rows than a pass over the list index (in
        // order, nothing else read) or the table would read; more are read faster that way than one by one
        // through the key table.
        const int cap = inListIndex(cols) ? kFewCandidates : kTableScanCandidates;
        const int candidates = TextIndexCandidateCount(cols, text, cap);
        if (candidates >= 0 && candidates <= cap) {
            where = IndexedSearchWhere(columns, modeItem, text);
            source.clear();
            sorted = true;
        } else if (!inListIndex(cols)) {
            // Through an index of its own columns a common text would fetch most rows one by one.
            source = QStringLiteral(" NOT INDEXED");
            sorted = true;
        }
    }
    return {where.isEmpty() ? source : source + QStringLiteral(" WHERE ") + where, sorted};
}
} // namespace

CustomerListStatements CustomerListSql(const QString& columns, const QString& modeItem, const QString& text)
{
    const ListPlan plan = listPlan(columns, modeItem, text);
    // "+" keeps the planner from walking the list index to spare the sort of a few rows.
    if (plan.sorted)
        return {QStringLiteral("SELECT 코드 FROM 고객") + plan.from +
                    QStringLiteral(" ORDER BY +주소1, 주소2, 코드"),
                QString()};
    // The planner left to itself counts a telephone prefix through the four number indexes at once, several
    // times slower than the one pass the list takes.
    return {QStringLiteral("SELECT 코드 FROM 고객") + plan.from +
                QStringLiteral(" ORDER BY 주소1, 주소2, 코드"),
            QStringLiteral("SELECT COUNT(*) FROM 고객") + plan.from};
}

QString CustomerListKeysSql(const QString& columns, const QString& modeItem, const QString& text)
{
    return CustomerListSql(columns, modeItem, text).keys;
}

QString CustomerListMatchSql(const QString& columns, const QString& modeItem, const QString& text,
                             const QString& code)
{
    QStringList cols;
    for (const QString& c : columns.split(QLatin1Char(','), Qt::SkipEmptyParts))
        cols << c.trimmed();
    QString sql = QStringLiteral("SELECT COUNT(*) FROM 고객 WHERE 코드 = ") + SQLLiteral(code);
    const QString digits = typedDigits(text);
    if (allNumbers(cols) && !digits.isEmpty())
        sql += QStringLiteral(" AND ") + PhoneDigitsCondition(modeItem, digits);
    else if (!text.isEmpty())
        sql += QStringLiteral(" AND (") + MakeSearchWhere(columns, modeItem, text) + QLatin1Char(')');
    return sql;
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
