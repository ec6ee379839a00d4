#pragma once

#include "reports/ReportTotals.h"
#include "ui/ErrInfo.h"

#include <QString>
#include <QStringList>

#include <array>
#include <memory>
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
    // The report's lines, in the common dialect: the key fields, the fixed ones and the order number and
    // line that end the order; the engine returns them as they come, and the report sorts them itself (by
    // the key columns in their current order, then order number and line, texts as the databases compare
    // them: ASCII letters case-blind, the rest by code).
    static QString Sql(const Filter& filter);
    // The statements a file's report reads with, in the common dialect: the period's earlier and later
    // halves, read at once on two connections, or the one statement for a single day.
    static QStringList FileSql(const Filter& filter);

    // The lines of a period sorted as chosen with a "[소 계]" per run of the first column and the "[합 계]"
    // row; sums in whole won. Held as numbers and shared texts, each grid row made when asked for.
    class Lines : public ReportRowSource
    {
    public:
        Lines();
        ~Lines() override;
        Lines(Lines&&) noexcept;
        Lines& operator=(Lines&&) noexcept;
        int RowCount() const override;
        ReportRow RowAt(int row) const override;
        int DataRowCount() const override;

        struct Data;
        Data& data() { return *d; }

    private:
        std::unique_ptr<Data> d;
    };

    bool Read(DbConnection& main, const Filter& filter, Lines& lines, ErrInfo* error) const;
    bool Read(DbConnection& main, const Filter& filter, std::vector<ReportRow>& rows, ErrInfo* error) const;

private:
    std::array<int, FieldCount> m_positions{1, 2, 3, 4, 5};
    // The sizes of the last read (lines, orders, text bytes): the next, mostly of the same period, takes
    // its room at once instead of growing into it.
    mutable std::array<qsizetype, 3> m_lastSizes{0, 0, 0};
};
