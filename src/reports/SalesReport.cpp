#include "reports/SalesReport.h"

#include "db/DbConnection.h"
#include "db/modDBQuery.h"

#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstring>

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

QString SalesReport::Sql(const Filter& filter)
{
    // The store as 가맹점 spells its code: codes are case-blind, and an order stored with "t04" belongs to
    // store "T04" and to its subtotal.
    QString sql = QStringLiteral(
                      "SELECT om.주문일자, mb.코드, mb.상호, om.고객코드, om.주문시전화, mn.메뉴명, od.수량, "
                      "od.금액, od.포인트, od.수수료, om.주문번호, od.순번 FROM (((주문 AS om "
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
    return sql;
}

namespace {
// A text of a line: where its UTF-8 bytes stand in the report's store of texts; length < 0 for NULL.
struct TextRef
{
    qint32 at = 0;
    qint32 length = -1;
};

struct Line
{
    qint32 date = 0;
    qint32 store = 0;
    qint32 menu = 0;
    TextRef customer;
    TextRef phone;
    TextRef order;
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

// Distinct texts (dates, menu names), each kept once.
struct Texts
{
    QList<QByteArray> utf8;
    QHash<QByteArray, qint32> ids;
    qint32 id(const char* p, int n)
    {
        const auto it = ids.constFind(QByteArray::fromRawData(p, n));
        if (it != ids.cend())
            return *it;
        utf8 << QByteArray(p, n);
        return *ids.insert(utf8.last(), qint32(utf8.size() - 1));
    }
    // Each text's place in the case-blind order.
    std::vector<qint32> ranks() const
    {
        std::vector<qint32> order(size_t(utf8.size()));
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = qint32(i);
        std::sort(order.begin(), order.end(), [this](qint32 x, qint32 y) {
            return compareNoCase(utf8[x].constData(), qint32(utf8[x].size()), utf8[y].constData(),
                                 qint32(utf8[y].size())) < 0;
        });
        std::vector<qint32> rank(order.size());
        for (size_t i = 0; i < order.size(); ++i)
            rank[size_t(order[i])] = qint32(i);
        return rank;
    }
};

qint64 won(sqlite3_stmt* st, int c)
{
    switch (sqlite3_column_type(st, c)) {
    case SQLITE_INTEGER:
        return sqlite3_column_int64(st, c);
    case SQLITE_NULL:
        return 0;
    default:
        return qint64(std::llround(sqlite3_column_double(st, c)));
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
    std::vector<Line> lines;
    // Lines in the order shown.
    std::vector<quint32> order;
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
    QByteArray lastCode;
    qint32 lastDate = -1;
    QByteArray lastDateText;

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
        if (lastDate < 0 || n != lastDateText.size() ||
            std::memcmp(p, lastDateText.constData(), size_t(n)) != 0) {
            lastDate = dates.id(p, n);
            lastDateText = QByteArray(p, n);
        }
        return lastDate;
    }
    qint32 store(const char* code, int n, const char* name, int nameBytes, bool nameNull)
    {
        if (lastStore < 0 || n != lastCode.size() ||
            std::memcmp(code, lastCode.constData(), size_t(n)) != 0) {
            const qint32 before = qint32(codes.utf8.size());
            lastStore = codes.id(code, n);
            if (lastStore == before) {
                names.emplace_back(name, nameBytes);
                namesNull.push_back(nameNull);
            }
            lastCode = QByteArray(code, n);
        }
        return lastStore;
    }
    QString text(const TextRef& t) const
    {
        return t.length < 0 ? QString() : QString::fromUtf8(bytes.constData() + t.at, t.length);
    }
    // The display text of a line's field, for telling runs apart.
    QByteArray raw(const Line& l, Field f) const
    {
        const auto ref = [this](const TextRef& t) {
            return t.length < 0 ? QByteArray() : QByteArray::fromRawData(bytes.constData() + t.at, t.length);
        };
        switch (f) {
        case OrderDate:
            return dates.utf8[l.date];
        case StoreCode:
            return codes.utf8[l.store];
        case StoreName:
            return names[size_t(l.store)];
        case CustomerCode:
            return ref(l.customer);
        case CallingNumber:
        case FieldCount:
            break;
        }
        return ref(l.phone);
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
        const auto text = [b](const TextRef& x, const TextRef& y) {
            return compareNoCase(b + x.at, x.length, b + y.at, y.length);
        };
        order.resize(lines.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = quint32(i);
        std::sort(order.begin(), order.end(), [&](quint32 i, quint32 j) {
            const Line& x = lines[i];
            const Line& y = lines[j];
            for (Field f : columns) {
                int c = 0;
                switch (f) {
                case OrderDate:
                    c = dateRank[size_t(x.date)] - dateRank[size_t(y.date)];
                    break;
                case StoreCode:
                    c = codeRank[size_t(x.store)] - codeRank[size_t(y.store)];
                    break;
                case StoreName:
                    c = nameRank[size_t(x.store)] - nameRank[size_t(y.store)];
                    break;
                case CustomerCode:
                    c = text(x.customer, y.customer);
                    break;
                case CallingNumber:
                    c = text(x.phone, y.phone);
                    break;
                case FieldCount:
                    break;
                }
                if (c != 0)
                    return c < 0;
            }
            if (const int c = text(x.order, y.order); c != 0)
                return c < 0;
            return x.line < y.line;
        });
        // Runs of the same text in column 1.
        runs.clear();
        std::fill(std::begin(sums), std::end(sums), 0);
        QByteArray key;
        for (size_t i = 0; i < order.size(); ++i) {
            const Line& l = lines[order[i]];
            const QByteArray k = raw(l, columns[0]);
            if (runs.empty() || k != key) {
                runs.push_back({qint32(i), 0, {0, 0, 0, 0}});
                key = QByteArray(k.constData(), k.size());
            }
            Run& r = runs.back();
            ++r.count;
            for (int v = 0; v < 4; ++v) {
                r.sums[v] += l.values[v];
                sums[v] += l.values[v];
            }
        }
        offsets.clear();
        qint32 at = 0;
        for (const Run& r : runs) {
            offsets.push_back(at);
            at += r.count + (hasSubtotal(r) ? 1 : 0);
        }
        offsets.push_back(at);
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
    const Line& l = d->lines[d->order[size_t(run.first + i)]];
    for (int c = 0; c < FieldCount; ++c) {
        switch (d->columns[size_t(c)]) {
        case OrderDate:
            r.cells[c] = QString::fromUtf8(d->dates.utf8[l.date]);
            break;
        case StoreCode:
            r.cells[c] = QString::fromUtf8(d->codes.utf8[l.store]);
            break;
        case StoreName:
            r.cells[c] = QString::fromUtf8(d->names[size_t(l.store)]);
            break;
        case CustomerCode:
            r.cells[c] = d->text(l.customer);
            break;
        case CallingNumber:
        case FieldCount:
            r.cells[c] = d->text(l.phone);
            break;
        }
    }
    r.cells[5] = QString::fromUtf8(d->menus.utf8[l.menu]);
    for (int v = 0; v < 4; ++v)
        r.cells[6 + v] = l.values[v];
    return r;
}

bool SalesReport::Read(DbConnection& main, const Filter& filter, Lines& out, ErrInfo* error) const
{
    Lines read;
    Lines::Data& d = read.data();
    const QString sql = Sql(filter);
    sqlite3* db = main.isServer() ? nullptr : sqliteHandle(main);
    if (db) {
        // A file's lines straight from the engine, their texts as it holds them.
        if (const std::optional<ErrInfo> fault = main.injectedFault(sql)) {
            if (error)
                *error = *fault;
            return false;
        }
        const QByteArray text = main.dialect().translate(sql).toUtf8();
        sqlite3_stmt* st = nullptr;
        int rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &st, nullptr);
        const auto bytes = [st](int c) { return reinterpret_cast<const char*>(sqlite3_column_text(st, c)); };
        const auto size = [st](int c) { return sqlite3_column_bytes(st, c); };
        const auto null = [st](int c) { return sqlite3_column_type(st, c) == SQLITE_NULL; };
        while (rc == SQLITE_OK || rc == SQLITE_ROW) {
            if ((rc = sqlite3_step(st)) != SQLITE_ROW)
                break;
            Line l;
            l.date = d.date(bytes(0), size(0));
            const char* code = bytes(1);
            l.store = d.store(code, size(1), bytes(2), size(2), null(2));
            l.customer = d.keep(bytes(3), size(3), null(3));
            l.phone = d.keep(bytes(4), size(4), null(4));
            l.menu = d.menus.id(bytes(5), size(5));
            for (int v = 0; v < 4; ++v)
                l.values[v] = won(st, 6 + v);
            l.order = d.keep(bytes(10), size(10), null(10));
            l.line = sqlite3_column_int64(st, 11);
            d.lines.push_back(l);
        }
        if (rc != SQLITE_DONE) {
            if (error)
                *error = {rc, QString::fromUtf8(sqlite3_errmsg(db))};
            sqlite3_finalize(st);
            return false;
        }
        sqlite3_finalize(st);
    } else {
        QSqlQuery q;
        if (!main.query(sql, q, error))
            return false;
        while (q.next()) {
            Line l;
            const QByteArray date = q.value(0).toString().toUtf8(), code = q.value(1).toString().toUtf8(),
                             name = q.value(2).toString().toUtf8();
            l.date = d.date(date.constData(), int(date.size()));
            l.store = d.store(code.constData(), int(code.size()), name.constData(), int(name.size()),
                              q.value(2).isNull());
            for (int c : {3, 4, 10}) {
                const QByteArray t = q.value(c).toString().toUtf8();
                (c == 3   ? l.customer
                 : c == 4 ? l.phone
                          : l.order) = d.keep(t.constData(), int(t.size()), q.value(c).isNull());
            }
            const QByteArray menu = q.value(5).toString().toUtf8();
            l.menu = d.menus.id(menu.constData(), int(menu.size()));
            // Whole won: a stray fraction in old data is rounded, not summed in binary.
            for (int v = 0; v < 4; ++v)
                l.values[v] = qint64(std::llround(q.value(6 + v).toDouble()));
            l.line = q.value(11).toLongLong();
            d.lines.push_back(l);
        }
        if (q.lastError().isValid()) {
            if (error)
                *error = DbConnection::errorFrom(q.lastError());
            return false;
        }
    }
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
