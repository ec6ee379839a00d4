#pragma once

#include "reports/ReportTotals.h"
#include "ui/ErrInfo.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

class DbConnection;

// The sales report's key columns and query: order lines of a period with their order's date, store and
// customer in front, in the order the operator chose.
class SalesReport
{
public:
    // The five key fields.
    enum Field
    {
        OrderDate,
        StoreCode,
        StoreName,
        CustomerCode,
        CallingNumber,
        FieldCount
    };
    // The sort choices, each a group of key fields moved to the front together.
    enum Sort
    {
        SortDate,
        SortStore,
        SortCustomer,
    };
    // Grid columns 6–10 (1-based) after the key columns.
    static constexpr int kMenuCol = 6;
    static constexpr int kColCount = 10;

    struct Filter
    {
        QString from;
        QString to;
        // Only lines of orders passed on to their store.
        bool passedOnly = false;
        QString store;
        QString customer;
    };

    // The 1-based column of each field.
    const std::array<int, FieldCount>& positions() const { return m_positions; }
    // The field in each key column, column 1 first.
    std::array<Field, FieldCount> Columns() const;
    // Moves the chosen group to the front; the groups that stood before it move right by its width, the
    // others keep their place.
    void Choose(Sort sort);

    static QString Heading(Field field);
    // The query of the report with its key columns in the current order.
    QString Sql(const Filter& filter) const;
    // The rows of the query with a "[소 계]" per run of the first column and the "[합 계]" row; sums in whole
    // won.
    bool Read(DbConnection& main, const Filter& filter, std::vector<ReportRow>& rows, ErrInfo* error) const;

private:
    std::array<int, FieldCount> m_positions{1, 2, 3, 4, 5};
};
