#include "reports/SalesReport.h"

#include "db/DbConnection.h"
#include "db/modDBQuery.h"
#include "reports/TextIds.h"

#include <QDate>
#include <QSqlDriver>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

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

namespace {
// The report's statement with the period's condition on 주문일자 given.
QString salesSql(const QString& period, const SalesReport::Filter& filter)
{
    // The store as 가맹점 spells its code: codes are case-blind, and an order stored with "t04" belongs to
    // store "T04" and to its subtotal.
    QString sql = QStringLiteral(
                      "SELECT om.주문일자, mb.코드, mb.상호, om.고객코드, om.주문시전화, mn.메뉴명, od.수량, "
                      "od.금액, od.포인트, od.수수료, om.주문번호, od.순번, od.주문메뉴 FROM (((주문 AS om "
                      "INNER JOIN 주문내역 AS od ON om.주문번호 = od.주문번호) INNER JOIN 가맹점 AS mb ON "
                      "om.가맹점코드 = mb.코드) INNER JOIN 취급메뉴 AS mn ON od.주문메뉴 = mn.코드) WHERE ") +
                  period;
    if (filter.passedOnly)
        sql += QStringLiteral(" AND om.통보시간 <> ''");
    if (!filter.store.isEmpty())
        sql += QStringLiteral(" AND om.가맹점코드 = ") + SQLLiteral(filter.store);
    if (!filter.customer.isEmpty())
        sql += QStringLiteral(" AND om.고객코드 = ") + SQLLiteral(filter.customer);
    return sql;
}

// The first day of the period's later half ("" for a period too short to halve).
QString halfway(const SalesReport::Filter& filter)
{
    const QDate from = QDate::fromString(filter.from, Qt::ISODate),
                to = QDate::fromString(filter.to, Qt::ISODate);
    if (!from.isValid() || !to.isValid() || from.daysTo(to) < 1)
        return {};
    return from.addDays((from.daysTo(to) + 1) / 2).toString(Qt::ISODate);
}
} // namespace

QString SalesReport::Sql(const Filter& filter)
{
    return salesSql(QStringLiteral("주문일자 BETWEEN ") + SQLLiteral(filter.from) + QStringLiteral(" AND ") +
                        SQLLiteral(filter.to),
                    filter);
}

QStringList SalesReport::FileSql(const Filter& filter)
{
    const QString split = halfway(filter);
    if (split.isEmpty())
        return {Sql(filter)};
    // Every date text of the period falls in exactly one half, whatever its form.
    return {salesSql(QStringLiteral("주문일자 >= ") + SQLLiteral(filter.from) +
                         QStringLiteral(" AND 주문일자 < ") + SQLLiteral(split),
                     filter),
            salesSql(QStringLiteral("주문일자 >= ") + SQLLiteral(split) +
                         QStringLiteral(" AND 주문일자 <= ") + SQLLiteral(filter.to),
                     filter)};
}

namespace {
// A text of an order: where its UTF-8 bytes stand in the report's store of texts; length < 0 for NULL.
struct TextRef
{
    qint32 at = 0;
    qint32 length = -1;
};

// An order of the period: the key fields its lines share, and where its lines stand among those read.
struct Order
{
    qint32 date = 0;
    qint32 store = 0;
    TextRef customer;
    TextRef phone;
    TextRef number;
    qint32 first = 0;
    qint32 count = 0;
};

struct Line
{
    qint32 order = 0;
    qint32 menu = 0;
    qint64 line = 0;
    // 수량, 금액, 포인트, 수수료 in whole won.
    qint64 values[4] = {0, 0, 0, 0};
};

// The databases' case-blind order of texts: UTF-8 bytes, ASCII letters folded; NULL first.
int compareNoCase(const char* a, qint32 la, const char* b, qint32 lb)
{
    if (la < 0 || lb < 0)
        return la < 0 ? (lb < 0 ? 0 : -1) : 1;
    const qint32 n = std::min(la, lb);
    for (qint32 i = 0; i < n; ++i) {
        uchar p = uchar(a[i]), q = uchar(b[i]);
        if (p >= 'A' && p <= 'Z')
            p += 'a' - 'A';
        if (q >= 'A' && q <= 'Z')
            q += 'a' - 'A';
        if (p != q)
            return p < q ? -1 : 1;
    }
    return la == lb ? 0 : la < lb ? -1 : 1;
}

// The first eight bytes of a text, ASCII letters folded, as one number: where two numbers differ they
// order their texts as compareNoCase does; where they are equal the texts decide.
quint64 prefixKey(const char* p, qint32 n)
{
    quint64 k = 0;
    for (qint32 i = 0; i < 8; ++i) {
        uchar c = i < n ? uchar(p[i]) : 0;
        if (c >= 'A' && c <= 'Z')
            c += 'a' - 'A';
        k = (k << 8) | c;
    }
    return k;
}

// Distinct texts (dates, menu names, store codes), each kept once.
struct Texts : TextIds
{
    // Each text's place in the case-blind order.
    std::vector<qint32> ranks() const
    {
        std::vector<qint32> order(static_cast<size_t>(size()));
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = qint32(i);
        std::sort(order.begin(), order.end(), [this](qint32 x, qint32 y) {
            const QByteArray &a = utf8(x), &b = utf8(y);
            return compareNoCase(a.constData(), qint32(a.size()), b.constData(), qint32(b.size())) < 0;
        });
        std::vector<qint32> rank(order.size());
        for (size_t i = 0; i < order.size(); ++i)
            rank[size_t(order[i])] = qint32(i);
        return rank;
    }
};

// The values of a row are read through sqlite3_column_value, one call (and one lock of the connection) per
// column; the connection is stepped by this thread alone meanwhile. A text's bytes are taken as they stand in
// the page: asking for it as text would copy each to end it with a NUL.
const char* text(sqlite3_value* v)
{
    const char* p = static_cast<const char*>(sqlite3_value_blob(v));
    return p ? p : "";
}

qint64 won(sqlite3_value* v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return sqlite3_value_int64(v);
    case SQLITE_NULL:
        return 0;
    default:
        return qint64(std::llround(sqlite3_value_double(v)));
    }
}

sqlite3* sqliteHandle(DbConnection& conn)
{
    const QVariant handle = conn.isOpen() ? conn.database().driver()->handle() : QVariant();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3* const*>(handle.data());
    return nullptr;
}
} // namespace

struct SalesReport::Lines::Data
{
    // The key fields are the order's: its lines are read together and sorted as one, by number among
    // themselves.
    std::vector<Order> orders;
    std::vector<Line> lines;
    // Lines in the order shown.
    std::vector<quint32> shown;
    QByteArray bytes;
    Texts dates;
    Texts menus;
    // Stores by their code as 가맹점 spells it, with their names (NULL: length < 0).
    Texts codes;
    std::vector<QByteArray> names;
    std::vector<bool> namesNull;
    std::array<Field, FieldCount> columns{};
    // Runs of equal text in the first column: where each starts among the shown lines, and its sums.
    struct Run
    {
        qint32 first = 0;
        qint32 count = 0;
        qint64 sums[4] = {0, 0, 0, 0};
    };
    std::vector<Run> runs;
    // The grid row each run starts at; the last entry is the "[합 계]" row.
    std::vector<qint32> offsets;
    qint64 sums[4] = {0, 0, 0, 0};
    int lastStore = -1;
    qint32 lastDate = -1;
    // The menu text of each menu code met (-1: not yet), so a line's menu is a look-up by number.
    std::vector<qint32> menuByCode;

    static bool same(const QByteArray& a, const char* p, int n)
    {
        return a.size() == n && std::memcmp(a.constData(), p, size_t(n)) == 0;
    }
    TextRef keep(const char* p, int n, bool null)
    {
        if (null)
            return {};
        TextRef t{qint32(bytes.size()), qint32(n)};
        bytes.append(p, n);
        return t;
    }
    qint32 date(const char* p, int n)
    {
        if (lastDate < 0 || !same(dates.utf8(lastDate), p, n))
            lastDate = dates.id(p, n);
        return lastDate;
    }
    qint32 store(const char* code, int n, const char* name, int nameBytes, bool nameNull)
    {
        if (lastStore < 0 || !same(codes.utf8(lastStore), code, n)) {
            bool added = false;
            lastStore = codes.id(code, n, &added);
            if (added) {
                names.emplace_back(name, nameBytes);
                namesNull.push_back(nameNull);
            }
        }
        return lastStore;
    }
    // Whether a line read belongs to the order read before it.
    bool sameOrder(const char* number, int n, bool null) const
    {
        if (orders.empty() || null)
            return false;
        const TextRef& t = orders.back().number;
        return t.length == n && std::memcmp(bytes.constData() + t.at, number, size_t(n)) == 0;
    }
    // A line of the last order (same) or of a new one, whose key fields the caller then fills.
    Line& add(bool same)
    {
        if (!same) {
            orders.emplace_back();
            orders.back().first = qint32(lines.size());
        }
        ++orders.back().count;
        lines.emplace_back();
        lines.back().order = qint32(orders.size() - 1);
        return lines.back();
    }
    QString text(const TextRef& t) const
    {
        return t.length < 0 ? QString() : QString::fromUtf8(bytes.constData() + t.at, t.length);
    }
    const TextRef& textOf(const Order& o, Field f) const
    {
        return f == CustomerCode ? o.customer : f == CallingNumber ? o.phone : o.number;
    }
    // Whether two orders show the same text in a field (NULL as empty), for telling runs apart.
    bool sameText(const Order& x, const Order& y, Field f) const
    {
        switch (f) {
        case OrderDate:
            return x.date == y.date;
        case StoreCode:
            return x.store == y.store;
        case StoreName:
            return x.store == y.store || names[size_t(x.store)] == names[size_t(y.store)];
        case CustomerCode:
        case CallingNumber:
        case FieldCount:
            break;
        }
        const TextRef &a = textOf(x, f), &b = textOf(y, f);
        const qint32 n = std::max(a.length, 0);
        return n == std::max(b.length, 0) &&
               std::memcmp(bytes.constData() + a.at, bytes.constData() + b.at, size_t(n)) == 0;
    }

    void finish(const std::array<Field, FieldCount>& cols)
    {
        columns = cols;
        const std::vector<qint32> dateRank = dates.ranks(), codeRank = codes.ranks();
        std::vector<qint32> nameRank(names.size());
        {
            std::vector<qint32> byName(names.size());
            for (size_t i = 0; i < byName.size(); ++i)
                byName[i] = qint32(i);
            const auto nameLength = [this](qint32 i) {
                return namesNull[size_t(i)] ? -1 : qint32(names[size_t(i)].size());
            };
            std::sort(byName.begin(), byName.end(), [&](qint32 x, qint32 y) {
                return compareNoCase(names[size_t(x)].constData(), nameLength(x),
                                     names[size_t(y)].constData(), nameLength(y)) < 0;
            });
            // Equal names share a rank, so the code after them decides.
            for (size_t i = 0; i < byName.size(); ++i) {
                const bool same =
                    i > 0 &&
                    compareNoCase(names[size_t(byName[i])].constData(), nameLength(byName[i]),
                                  names[size_t(byName[i - 1])].constData(), nameLength(byName[i - 1])) == 0;
                nameRank[size_t(byName[i])] = same ? nameRank[size_t(byName[i - 1])] : qint32(i);
            }
        }
        const char* b = bytes.constData();
        // Each order's key columns as numbers, then its number: a comparison is mostly of numbers, the texts
        // compared whole only where their first bytes tie.
        constexpr int kKeys = FieldCount + 1;
        struct Key
        {
            quint64 k[kKeys];
            quint32 order;
        };
        Field fields[kKeys];
        bool texts[kKeys];
        for (int c = 0; c < kKeys; ++c) {
            fields[c] = c < FieldCount ? columns[size_t(c)] : FieldCount;
            texts[c] = fields[c] == CustomerCode || fields[c] == CallingNumber || fields[c] == FieldCount;
        }
        std::vector<Key> keys(orders.size());
        for (size_t i = 0; i < orders.size(); ++i) {
            const Order& o = orders[i];
            Key& key = keys[i];
            key.order = quint32(i);
            for (int c = 0; c < kKeys; ++c) {
                switch (fields[c]) {
                case OrderDate:
                    key.k[c] = quint64(dateRank[size_t(o.date)]);
                    break;
                case StoreCode:
                    key.k[c] = quint64(codeRank[size_t(o.store)]);
                    break;
                case StoreName:
                    key.k[c] = quint64(nameRank[size_t(o.store)]);
                    break;
                case CustomerCode:
                case CallingNumber:
                case FieldCount: {
                    const TextRef& t = textOf(o, fields[c]);
                    key.k[c] = prefixKey(b + t.at, t.length);
                    break;
                }
                }
            }
        }
        // Ordered from the column where two keys may differ: a group of equal first columns no longer
        // compares them.
        const auto lessFrom = [&](int from) {
            return [&, from](const Key& x, const Key& y) {
                for (int c = from; c < kKeys; ++c) {
                    if (x.k[c] != y.k[c])
                        return x.k[c] < y.k[c];
                    if (texts[c]) {
                        const TextRef& p = textOf(orders[x.order], fields[c]);
                        const TextRef& q = textOf(orders[y.order], fields[c]);
                        if (const int r = compareNoCase(b + p.at, p.length, b + q.at, q.length); r != 0)
                            return r < 0;
                    }
                }
                return false;
            };
        };
        // The machine's second core sorts the first part while this thread sorts the rest.
        if (texts[0]) {
            const auto less = lessFrom(0);
            const auto middle = keys.begin() + qsizetype(keys.size() / 2);
            std::thread other([&] { std::sort(keys.begin(), middle, less); });
            std::sort(middle, keys.end(), less);
            other.join();
            std::inplace_merge(keys.begin(), middle, keys.end(), less);
        } else {
            // A first column of ranks (a few dates or stores) is placed by counting, and each group sorted
            // apart: far fewer comparisons than one sort of all.
            const size_t groups = fields[0] == OrderDate ? dateRank.size() : codeRank.size();
            std::vector<qint32> starts(groups + 1, 0);
            for (const Key& key : keys)
                ++starts[size_t(key.k[0]) + 1];
            for (size_t g = 1; g <= groups; ++g)
                starts[g] += starts[g - 1];
            std::vector<Key> placed(keys.size());
            {
                std::vector<qint32> next(starts.begin(), starts.end() - 1);
                for (const Key& key : keys)
                    placed[size_t(next[size_t(key.k[0])]++)] = key;
            }
            keys.swap(placed);
            const auto less = lessFrom(1);
            const auto sortGroups = [&](size_t from, size_t to) {
                for (size_t g = from; g < to; ++g)
                    std::sort(keys.begin() + starts[g], keys.begin() + starts[g + 1], less);
            };
            size_t half = 0;
            while (half < groups && size_t(starts[half]) * 2 < keys.size())
                ++half;
            std::thread other([&] { sortGroups(0, half); });
            sortGroups(half, groups);
            other.join();
        }
        // The lines of each order by their number. An order whose lines the engine gave apart is read as
        // several with the same number, and these sort side by side: their lines are sorted together.
        shown.resize(lines.size());
        const auto byLine = [this](quint32 i, quint32 j) { return lines[i].line < lines[j].line; };
        size_t at = 0, span = 0;
        const Order* spanOrder = nullptr;
        // Runs of the same text in column 1, with their sums, taken order by order as they are placed;
        // taken again line by line where an order given apart had its lines sorted together.
        runs.clear();
        std::fill(std::begin(sums), std::end(sums), 0);
        bool spansSorted = false;
        const Order* previous = nullptr;
        for (const Key& key : keys) {
            const Order& o = orders[key.order];
            const TextRef &n = o.number, *sn = spanOrder ? &spanOrder->number : nullptr;
            const bool sameNumber = sn && n.length >= 0 && n.length == sn->length &&
                                    std::memcmp(b + n.at, b + sn->at, size_t(n.length)) == 0;
            if (!sameNumber) {
                if (at - span > size_t(spanOrder ? spanOrder->count : 0)) {
                    std::sort(shown.begin() + qsizetype(span), shown.begin() + qsizetype(at), byLine);
                    spansSorted = true;
                }
                span = at;
                spanOrder = &o;
            }
            if (!previous || !sameText(o, *previous, columns[0]))
                runs.push_back({qint32(at), 0, {0, 0, 0, 0}});
            previous = &o;
            Run& r = runs.back();
            r.count += o.count;
            bool inOrder = true;
            for (qint32 i = 0; i < o.count; ++i) {
                const Line& l = lines[size_t(o.first + i)];
                shown[at + size_t(i)] = quint32(o.first + i);
                inOrder = inOrder && (i == 0 || lines[size_t(o.first + i - 1)].line <= l.line);
                for (int v = 0; v < 4; ++v)
                    r.sums[v] += l.values[v];
            }
            if (!inOrder)
                std::sort(shown.begin() + qsizetype(at), shown.begin() + qsizetype(at) + o.count, byLine);
            at += size_t(o.count);
        }
        if (spanOrder && at - span > size_t(spanOrder->count)) {
            std::sort(shown.begin() + qsizetype(span), shown.begin() + qsizetype(at), byLine);
            spansSorted = true;
        }
        if (spansSorted) {
            runs.clear();
            qint32 last = -1;
            for (size_t i = 0; i < shown.size(); ++i) {
                const Line& l = lines[shown[i]];
                if (runs.empty() ||
                    (l.order != last && !sameText(orders[size_t(l.order)], orders[size_t(last)], columns[0])))
                    runs.push_back({qint32(i), 0, {0, 0, 0, 0}});
                last = l.order;
                Run& r = runs.back();
                ++r.count;
                for (int v = 0; v < 4; ++v)
                    r.sums[v] += l.values[v];
            }
        }
        for (const Run& r : runs)
            for (int v = 0; v < 4; ++v)
                sums[v] += r.sums[v];
        offsets.clear();
        qint32 row = 0;
        for (const Run& r : runs) {
            offsets.push_back(row);
            row += r.count + (hasSubtotal(r) ? 1 : 0);
        }
        offsets.push_back(row);
    }
    // The lines another read gave (of later orders), its numbers for texts made this one's.
    void append(Data&& other)
    {
        std::vector<qint32> date(size_t(other.dates.size())), menu(size_t(other.menus.size())),
            store(size_t(other.codes.size()));
        for (qint32 i = 0; i < other.dates.size(); ++i)
            date[size_t(i)] = dates.id(other.dates.utf8(i).constData(), other.dates.utf8(i).size());
        for (qint32 i = 0; i < other.menus.size(); ++i)
            menu[size_t(i)] = menus.id(other.menus.utf8(i).constData(), other.menus.utf8(i).size());
        for (qint32 i = 0; i < other.codes.size(); ++i) {
            bool added = false;
            store[size_t(i)] = codes.id(other.codes.utf8(i).constData(), other.codes.utf8(i).size(), &added);
            if (added) {
                names.push_back(other.names[size_t(i)]);
                namesNull.push_back(other.namesNull[size_t(i)]);
            }
        }
        const qint32 shift = qint32(bytes.size()), firstOrder = qint32(orders.size()),
                     firstLine = qint32(lines.size());
        bytes.append(other.bytes);
        for (Order o : other.orders) {
            o.date = date[size_t(o.date)];
            o.store = store[size_t(o.store)];
            for (TextRef* t : {&o.customer, &o.phone, &o.number})
                t->at += t->length >= 0 ? shift : 0;
            o.first += firstLine;
            orders.push_back(o);
        }
        for (Line l : other.lines) {
            l.order += firstOrder;
            l.menu = menu[size_t(l.menu)];
            lines.push_back(l);
        }
        lastStore = -1;
        lastDate = -1;
    }
    // A run of fewer than two lines gets no subtotal, nor does a list that is one run.
    bool hasSubtotal(const Run& r) const { return runs.size() > 1 && r.count >= 2; }
};

SalesReport::Lines::Lines() : d(std::make_unique<Data>())
{
    d->finish(d->columns);
}

SalesReport::Lines::~Lines() = default;
SalesReport::Lines::Lines(Lines&&) noexcept = default;
SalesReport::Lines& SalesReport::Lines::operator=(Lines&&) noexcept = default;

int SalesReport::Lines::RowCount() const
{
    return d->offsets.back() + 1;
}

int SalesReport::Lines::DataRowCount() const
{
    return int(d->lines.size());
}

ReportRow SalesReport::Lines::RowAt(int row) const
{
    ReportRow r;
    r.cells = QVariantList(kColCount);
    if (row >= d->offsets.back()) {
        r.kind = ReportRow::Kind::Total;
        r.cells[0] = QStringLiteral("[합 계]");
        for (int v = 0; v < 4; ++v)
            r.cells[6 + v] = d->sums[v];
        return r;
    }
    const auto at = std::upper_bound(d->offsets.begin(), d->offsets.end(), row) - 1;
    const Data::Run& run = d->runs[size_t(at - d->offsets.begin())];
    const qint32 i = row - *at;
    if (i >= run.count) {
        r.kind = ReportRow::Kind::SubTotal;
        r.cells[0] = QStringLiteral("[소 계]");
        for (int v = 0; v < 4; ++v)
            r.cells[6 + v] = run.sums[v];
        return r;
    }
    const Line& l = d->lines[d->shown[size_t(run.first + i)]];
    const Order& o = d->orders[size_t(l.order)];
    for (int c = 0; c < FieldCount; ++c) {
        switch (d->columns[size_t(c)]) {
        case OrderDate:
            r.cells[c] = QString::fromUtf8(d->dates.utf8(o.date));
            break;
        case StoreCode:
            r.cells[c] = QString::fromUtf8(d->codes.utf8(o.store));
            break;
        case StoreName:
            r.cells[c] = QString::fromUtf8(d->names[size_t(o.store)]);
            break;
        case CustomerCode:
            r.cells[c] = d->text(o.customer);
            break;
        case CallingNumber:
        case FieldCount:
            r.cells[c] = d->text(o.phone);
            break;
        }
    }
    r.cells[5] = QString::fromUtf8(d->menus.utf8(l.menu));
    for (int v = 0; v < 4; ++v)
        r.cells[6 + v] = l.values[v];
    return r;
}

namespace {
// A statement's lines from a file's connection into d; false with the engine's error. The values of a row
// are read through sqlite3_column_value, one call per column; a text's bytes as they stand in the page.
bool readFileLines(sqlite3* db, const QByteArray& statement, SalesReport::Lines::Data& d, ErrInfo& error)
{
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, statement.constData(), int(statement.size()), &st, nullptr);
    const auto null = [](sqlite3_value* v) { return sqlite3_value_type(v) == SQLITE_NULL; };
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
        if ((rc = sqlite3_step(st)) != SQLITE_ROW)
            break;
        sqlite3_value* number = sqlite3_column_value(st, 10);
        const char* numberText = text(number);
        const int numberBytes = sqlite3_value_bytes(number);
        const bool same = d.sameOrder(numberText, numberBytes, null(number));
        Line& l = d.add(same);
        if (!same) {
            Order& o = d.orders.back();
            o.number = d.keep(numberText, numberBytes, null(number));
            sqlite3_value* v[5];
            for (int c = 0; c < 5; ++c)
                v[c] = sqlite3_column_value(st, c);
            o.date = d.date(text(v[0]), sqlite3_value_bytes(v[0]));
            o.store = d.store(text(v[1]), sqlite3_value_bytes(v[1]), text(v[2]), sqlite3_value_bytes(v[2]),
                              null(v[2]));
            o.customer = d.keep(text(v[3]), sqlite3_value_bytes(v[3]), null(v[3]));
            o.phone = d.keep(text(v[4]), sqlite3_value_bytes(v[4]), null(v[4]));
        }
        // The menu's name once per menu code; a code that is not a small number is looked up by its name.
        sqlite3_value* code = sqlite3_column_value(st, 12);
        const qint64 c = sqlite3_value_type(code) == SQLITE_INTEGER ? sqlite3_value_int64(code) : -1;
        constexpr qint64 kCodes = 1 << 20;
        qint32* known = nullptr;
        if (c >= 0 && c < kCodes) {
            if (size_t(c) >= d.menuByCode.size())
                d.menuByCode.resize(size_t(c) + 1, -1);
            known = &d.menuByCode[size_t(c)];
        }
        if (known && *known >= 0) {
            l.menu = *known;
        } else {
            sqlite3_value* menu = sqlite3_column_value(st, 5);
            l.menu = d.menus.id(text(menu), sqlite3_value_bytes(menu));
            if (known)
                *known = l.menu;
        }
        for (int v = 0; v < 4; ++v)
            l.values[v] = won(sqlite3_column_value(st, 6 + v));
        l.line = sqlite3_value_int64(sqlite3_column_value(st, 11));
    }
    if (rc != SQLITE_DONE)
        error = {rc, QString::fromUtf8(sqlite3_errmsg(db))};
    sqlite3_finalize(st);
    return rc == SQLITE_DONE;
}

// The last number the change log gave out, as this connection's read sees the database; false when it
// cannot tell.
bool changeCount(sqlite3* db, qint64& count)
{
    sqlite3_stmt* st = nullptr;
    const char* sql = "SELECT seq FROM sqlite_sequence WHERE name = 'zk_변경'";
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK)
        return false;
    const int rc = sqlite3_step(st);
    count = rc == SQLITE_ROW ? sqlite3_column_int64(st, 0) : 0;
    sqlite3_finalize(st);
    return rc == SQLITE_ROW || rc == SQLITE_DONE;
}

// The period's halves at once: the earlier on this connection, the later on one of its own on the machine's
// other core. Each reads in a transaction, and both must have seen the same database (the change log, which
// every write to the tables read moves, at the same count); otherwise, or when the second connection cannot
// read, false with error empty and nothing kept. A failure of this connection's statement is its error.
bool readHalves(const DbConnection& main, sqlite3* db, const QByteArray& first, const QByteArray& second,
                SalesReport::Lines::Data& d, ErrInfo& error)
{
    SalesReport::Lines::Data later;
    bool laterRead = false;
    qint64 laterCount = -1;
    // Opened here: the connection is asked on its own thread, the reading goes to the other.
    sqlite3* own = main.openReaderBeside();
    std::thread other([&] {
        if (own) {
            ErrInfo ignored;
            laterRead = sqlite3_exec(own, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK &&
                        changeCount(own, laterCount) && readFileLines(own, second, later, ignored);
        }
        sqlite3_close_v2(own);
    });
    qint64 count = -2;
    const bool began = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    const bool counted = began && changeCount(db, count);
    const bool read = counted && readFileLines(db, first, d, error);
    if (began)
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    other.join();
    if (!read || !laterRead || count != laterCount) {
        if (read || !counted)
            error = {};
        return false;
    }
    d.append(std::move(later));
    return true;
}
} // namespace

bool SalesReport::Read(DbConnection& main, const Filter& filter, Lines& out, ErrInfo* error) const
{
    Lines read;
    Lines::Data& d = read.data();
    d.lines.reserve(size_t(m_lastSizes[0]));
    d.orders.reserve(size_t(m_lastSizes[1]));
    d.bytes.reserve(m_lastSizes[2]);
    const QString sql = Sql(filter);
    sqlite3* db = main.isServer() ? nullptr : sqliteHandle(main);
    if (db) {
        if (const std::optional<ErrInfo> fault = main.injectedFault(sql)) {
            if (error)
                *error = *fault;
            return false;
        }
        const QStringList halves = FileSql(filter);
        ErrInfo e;
        bool done = false;
        if (halves.size() == 2 && main.transactionDepth() == 0 && sqlite3_get_autocommit(db))
            done = readHalves(main, db, main.dialect().translate(halves[0]).toUtf8(),
                              main.dialect().translate(halves[1]).toUtf8(), d, e);
        if (!done && e.number == 0) {
            // One statement on this connection: a single day, or the halves could not be read as one.
            d = Lines::Data();
            done = readFileLines(db, main.dialect().translate(sql).toUtf8(), d, e);
        }
        if (!done) {
            if (error)
                *error = e;
            return false;
        }
    } else {
        // A server's lines as it streams them out, each field's text as it came.
        const auto at = [](QByteArrayView v) { return v.isNull() ? "" : v.data(); };
        const auto size = [](QByteArrayView v) { return int(v.size()); };
        ErrInfo e;
        const bool streamed = main.copyRows(
            sql,
            [&](const std::vector<QByteArrayView>& f) {
                const bool same = d.sameOrder(at(f[10]), size(f[10]), f[10].isNull());
                Line& l = d.add(same);
                if (!same) {
                    Order& o = d.orders.back();
                    o.number = d.keep(at(f[10]), size(f[10]), f[10].isNull());
                    o.date = d.date(at(f[0]), size(f[0]));
                    o.store = d.store(at(f[1]), size(f[1]), at(f[2]), size(f[2]), f[2].isNull());
                    o.customer = d.keep(at(f[3]), size(f[3]), f[3].isNull());
                    o.phone = d.keep(at(f[4]), size(f[4]), f[4].isNull());
                }
                l.menu = d.menus.id(at(f[5]), size(f[5]));
                // Whole won: a stray fraction in old data is rounded, not summed in binary.
                for (int v = 0; v < 4; ++v)
                    l.values[v] = DbConnection::CopyWon(f[size_t(6 + v)]);
                l.line = DbConnection::CopyWon(f[11]);
                return true;
            },
            &e);
        if (!streamed) {
            if (error)
                *error = e;
            return false;
        }
    }
    m_lastSizes = {qsizetype(d.lines.size()), qsizetype(d.orders.size()), d.bytes.size()};
    d.finish(Columns());
    out = std::move(read);
    return true;
}

bool SalesReport::Read(DbConnection& main, const Filter& filter, std::vector<ReportRow>& rows,
                       ErrInfo* error) const
{
    rows.clear();
    Lines lines;
    if (!Read(main, filter, lines, error))
        return false;
    rows.reserve(size_t(lines.RowCount()));
    for (int i = 0; i < lines.RowCount(); ++i)
        rows.push_back(lines.RowAt(i));
    return true;
}
