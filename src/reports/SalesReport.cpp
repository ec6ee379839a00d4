#include "reports/SalesReport.h"

#include "db/DbConnection.h"
#include "db/modDBQuery.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {
// The store as 가맹점 spells its code: codes are case-blind, and an order stored with "t04" belongs to store
// "T04" and to its subtotal.
const char* const kExpressions[SalesReport::FieldCount] = {"om.주문일자", "mb.코드", "mb.상호", "om.고객코드",
                                                           "om.주문시전화"};
} // namespace

std::array<SalesReport::Field, SalesReport::FieldCount> SalesReport::Columns() const
{
    std::array<Field, FieldCount> columns{};
    for (int f = 0; f < FieldCount; ++f)
        columns[size_t(m_positions[size_t(f)] - 1)] = Field(f);
    return columns;
}

void SalesReport::Choose(Sort sort)
{
    const Field first = sort == SortDate ? OrderDate : sort == SortStore ? StoreCode : CustomerCode;
    const int width = sort == SortDate ? 1 : 2;
    const int old = m_positions[size_t(first)];
    // The name stays beside the store code and the calling number beside the customer code.
    for (int f = 0; f < FieldCount; ++f) {
        int& p = m_positions[size_t(f)];
        if (f == first || f == first + width - 1)
            p = 1 + (f - first);
        else if (p < old)
            p += width;
    }
}

QString SalesReport::Heading(Field field)
{
    static const QStringList headings = {QStringLiteral("주문일자"), QStringLiteral("가맹코드"),
                                         QStringLiteral("가맹점명"), QStringLiteral("고객코드"),
                                         QStringLiteral("주문 전화")};
    return headings.at(field);
}

QString SalesReport::Sql(const Filter& filter) const
{
    QStringList keys;
    for (Field f : Columns())
        keys << QString::fromUtf8(kExpressions[f]);
    const QString keyList = keys.join(QStringLiteral(", "));
    QString sql =
        QStringLiteral("SELECT ") + keyList +
        QStringLiteral(", mn.메뉴명, od.수량, od.금액, od.포인트, od.수수료 FROM (((주문 AS om "
                       "INNER JOIN 주문내역 AS od ON om.주문번호 = od.주문번호) INNER JOIN 가맹점 AS mb ON "
                       "om.가맹점코드 = mb.코드) INNER JOIN 취급메뉴 AS mn ON od.주문메뉴 = mn.코드) WHERE "
                       "주문일자 BETWEEN ") +
        SQLLiteral(filter.from) + QStringLiteral(" AND ") + SQLLiteral(filter.to);
    if (filter.passedOnly)
        sql += QStringLiteral(" AND om.통보시간 <> ''");
    if (!filter.store.isEmpty())
        sql += QStringLiteral(" AND om.가맹점코드 = ") + SQLLiteral(filter.store);
    if (!filter.customer.isEmpty())
        sql += QStringLiteral(" AND om.고객코드 = ") + SQLLiteral(filter.customer);
    return sql + QStringLiteral(" ORDER BY ") + keyList + QStringLiteral(", om.주문번호, od.순번");
}

bool SalesReport::Read(DbConnection& main, const Filter& filter, std::vector<ReportRow>& rows,
                       ErrInfo* error) const
{
    rows.clear();
    QSqlQuery q;
    if (!main.query(Sql(filter), q, error))
        return false;
    std::vector<ReportRow> data;
    while (q.next()) {
        ReportRow row;
        row.cells.reserve(kColCount);
        for (int c = 0; c < FieldCount; ++c)
            row.cells << q.value(c).toString();
        row.cells << q.value(5).toString();
        // Whole won: a stray fraction in old data is rounded, not summed in binary.
        for (int c = 6; c < kColCount; ++c)
            row.cells << qint64(std::llround(q.value(c).toDouble()));
        data.push_back(std::move(row));
    }
    if (q.lastError().isValid()) {
        if (error)
            *error = DbConnection::errorFrom(q.lastError());
        return false;
    }
    rows = WithTotals(std::move(data), 0, {6, 7, 8, 9}, 0);
    return true;
}
