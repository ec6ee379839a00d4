#include "reports/StoreLedger.h"

#include "db/DbConnection.h"
#include "db/StoreDailySums.h"
#include "db/modDBQuery.h"
#include "reports/TextIds.h"
#include "ui/TextUtil.h"

#include <QDate>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>

namespace StoreLedger {

namespace {
// Money columns are whole won; a stray fraction in old data is rounded, never carried along in binary.
qint64 won(const QVariant& v)
{
    return v.isNull() ? 0 : qint64(std::llround(v.toDouble()));
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

QString storeCondition(const QString& column, const QString& store)
{
    return store.isEmpty() ? QString()
                           : QStringLiteral(" AND ") + column + QStringLiteral(" = ") + SQLLiteral(store);
}

QVariant shown(qint64 v, bool blankZero)
{
    return blankZero && v == 0 ? QVariant() : QVariant(v);
}

// SQLite's NOCASE order of texts (UTF-8 bytes, ASCII letters folded), as the databases sort codes.
bool lessNoCase(const QByteArray& x, const QByteArray& y)
{
    const qsizetype n = std::min(x.size(), y.size());
    for (qsizetype i = 0; i < n; ++i) {
        uchar p = uchar(x[i]), q = uchar(y[i]);
        if (p >= 'A' && p <= 'Z')
            p += 'a' - 'A';
        if (q >= 'A' && q <= 'Z')
            q += 'a' - 'A';
        if (p != q)
            return p < q;
    }
    return x.size() < y.size();
}

sqlite3* sqliteHandle(DbConnection& conn)
{
    const QVariant handle = conn.isOpen() ? conn.database().driver()->handle() : QVariant();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3* const*>(handle.data());
    return nullptr;
}

ErrInfo sqliteError(sqlite3* db, int rc)
{
    return {rc, QString::fromUtf8(sqlite3_errmsg(db))};
}

// A prepared statement that finalizes itself.
class Statement
{
public:
    Statement() = default;
    ~Statement() { sqlite3_finalize(m_st); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool prepare(sqlite3* db, const QByteArray& sql, ErrInfo& error)
    {
        m_db = db;
        const int rc = sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &m_st, nullptr);
        if (rc != SQLITE_OK)
            error = sqliteError(db, rc);
        return rc == SQLITE_OK;
    }
    sqlite3_stmt* get() const { return m_st; }
    void bind(int i, const QByteArray& text) const
    {
        sqlite3_bind_text(m_st, i, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    // Steps to the end; false with the engine's error.
    bool run(ErrInfo& error) const
    {
        int rc;
        while ((rc = sqlite3_step(m_st)) == SQLITE_ROW) {
        }
        sqlite3_reset(m_st);
        if (rc != SQLITE_DONE)
            error = sqliteError(m_db, rc);
        return rc == SQLITE_DONE;
    }
    // The first column of the first row as UTF-8 ("" for none or NULL); false with the engine's error.
    bool text(QByteArray& out, ErrInfo& error) const
    {
        out.clear();
        const int rc = sqlite3_step(m_st);
        if (rc == SQLITE_ROW && sqlite3_column_type(m_st, 0) != SQLITE_NULL)
            out = QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(m_st, 0)),
                             sqlite3_column_bytes(m_st, 0));
        sqlite3_reset(m_st);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            error = sqliteError(m_db, rc);
            return false;
        }
        return true;
    }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_st = nullptr;
};
} // namespace

// ---------------------------------------------------------------------------------------------------------
// The ledger's rows, compact.

namespace {
// One grid row of a store: the movements of one date, kind and menu merged.
struct Line
{
    qint32 date = 0;
    qint32 menu = 0;
    Kind kind = Kind::Commission;
    qint64 quantity = 0;
    qint64 commission = 0;
    qint64 discount = 0;
    qint64 payment = 0;
    // After the last movement merged into the row.
    qint64 balance = 0;
    // The running place of that movement: a day's rows are ordered by it.
    qint64 last = 0;
};

struct Store
{
    qint32 code = 0;
    qint32 name = 0;
    qint64 opening = 0;
    // The running balance (building) or that after the last row read (reading).
    qint64 balance = 0;
    bool open = false;
    std::vector<Line> lines;
    size_t dayStart = 0;
    qint32 day = -1;
    qint64 sums[4] = {0, 0, 0, 0};

    void flushDay()
    {
        std::sort(lines.begin() + qsizetype(dayStart), lines.end(),
                  [](const Line& a, const Line& b) { return a.last < b.last; });
        dayStart = lines.size();
    }
};
} // namespace

struct Ledger::Data
{
    QStringList texts;
    QHash<QByteArray, int> textIds;
    std::vector<Store> stores;
    QHash<QByteArray, int> storeByCode;
    // The stores with rows, in the order shown.
    std::vector<int> shown;
    // The grid row each shown store starts at; the last entry is the "[합 계]" row.
    std::vector<int> offsets;
    Totals totals;
    qint64 sums[4] = {0, 0, 0, 0};
    int dataRows = 0;
    qint64 seq = 0;
    qint32 carriedDate = 0;
    qint32 emptyMenu = 0;
    qint32 paymentMenu = 0;

    Data()
    {
        carriedDate = intern(kCarriedForward.toUtf8());
        emptyMenu = intern(QByteArray());
        paymentMenu = intern(kPaymentMenu.toUtf8());
    }

    qint32 intern(const char* p, int n)
    {
        const auto it = textIds.constFind(QByteArray::fromRawData(p, n));
        if (it != textIds.cend())
            return *it;
        const QByteArray key(p, n);
        texts << QString::fromUtf8(key);
        return *textIds.insert(key, int(texts.size() - 1));
    }
    qint32 intern(const QByteArray& text) { return intern(text.constData(), int(text.size())); }
    qint32 intern(const QString& text) { return intern(text.toUtf8()); }
    const QByteArray utf8(qint32 id) const { return texts.at(id).toUtf8(); }

    // The store of a code, made (with its name) the first time when asked.
    int store(const char* code, int n, const char* name = nullptr, int nameBytes = 0)
    {
        const auto it = storeByCode.constFind(QByteArray::fromRawData(code, n));
        if (it != storeByCode.cend())
            return *it;
        Store s;
        s.code = intern(code, n);
        s.name = name ? intern(name, nameBytes) : emptyMenu;
        stores.push_back(std::move(s));
        return *storeByCode.insert(QByteArray(code, n), int(stores.size() - 1));
    }

    void merge(Store& s, const Line& line)
    {
        if (line.date != s.day) {
            s.flushDay();
            s.day = line.date;
        }
        for (size_t i = s.dayStart; i < s.lines.size(); ++i) {
            Line& m = s.lines[i];
            if (m.kind == line.kind && m.menu == line.menu) {
                m.quantity += line.quantity;
                m.commission += line.commission;
                m.discount += line.discount;
                m.payment += line.payment;
                m.balance = line.balance;
                m.last = line.last;
                return;
            }
        }
        s.lines.push_back(line);
    }

    // A movement in running order: the store's carried-forward row comes first (opened = true the first
    // time), and the movement gets the balance after it.
    qint64 move(int store, Kind kind, qint32 date, qint32 menu, qint64 quantity, qint64 commission,
                qint64 discount, qint64 payment, bool* opened = nullptr)
    {
        Store& s = stores[size_t(store)];
        if (opened)
            *opened = !s.open;
        if (!s.open) {
            s.open = true;
            s.balance = s.opening;
            totals.carried += s.opening;
            Line carried;
            carried.kind = Kind::Carried;
            carried.date = carriedDate;
            carried.menu = emptyMenu;
            carried.balance = s.opening;
            carried.last = ++seq;
            merge(s, carried);
        }
        if (kind == Kind::Payment)
            s.balance -= payment + discount;
        else
            s.balance += commission - discount;
        Line line;
        // A line of a menu named as payments are, without amounts, reads back as one.
        line.kind = kind == Kind::Commission && menu == paymentMenu && quantity == 0 && commission == 0
                        ? Kind::Payment
                        : kind;
        line.date = date;
        line.menu = menu;
        line.quantity = quantity;
        line.commission = commission;
        line.discount = discount;
        line.payment = payment;
        line.balance = s.balance;
        line.last = ++seq;
        merge(s, line);
        return s.balance;
    }

    // A row of the work table as it stands.
    void row(int store, const Line& line)
    {
        Store& s = stores[size_t(store)];
        s.open = true;
        if (line.kind == Kind::Carried)
            totals.carried += line.balance;
        s.balance = line.balance;
        merge(s, line);
    }

    void finish()
    {
        totals.closing = 0;
        std::fill(std::begin(sums), std::end(sums), 0);
        dataRows = 0;
        shown.clear();
        for (size_t i = 0; i < stores.size(); ++i) {
            Store& s = stores[i];
            s.flushDay();
            std::fill(std::begin(s.sums), std::end(s.sums), 0);
            if (s.lines.empty())
                continue;
            totals.closing += s.balance;
            for (const Line& l : s.lines) {
                s.sums[0] += l.quantity;
                s.sums[1] += l.commission;
                s.sums[2] += l.discount;
                s.sums[3] += l.payment;
            }
            for (int k = 0; k < 4; ++k)
                sums[k] += s.sums[k];
            dataRows += int(s.lines.size());
            shown.push_back(int(i));
        }
        sort(SortBy::Code);
    }

    bool hasSubtotal(const Store& s) const { return shown.size() > 1 && s.lines.size() >= 2; }

    void sort(SortBy by)
    {
        std::vector<QByteArray> codes(stores.size()), names(stores.size());
        for (int i : shown) {
            codes[size_t(i)] = utf8(stores[size_t(i)].code);
            if (by == SortBy::Name)
                names[size_t(i)] = utf8(stores[size_t(i)].name);
        }
        std::stable_sort(shown.begin(), shown.end(), [&](int a, int b) {
            if (by == SortBy::Name) {
                if (lessNoCase(names[size_t(a)], names[size_t(b)]))
                    return true;
                if (lessNoCase(names[size_t(b)], names[size_t(a)]))
                    return false;
            }
            return lessNoCase(codes[size_t(a)], codes[size_t(b)]);
        });
        offsets.clear();
        int at = 0;
        for (int i : shown) {
            offsets.push_back(at);
            const Store& s = stores[size_t(i)];
            at += int(s.lines.size()) + (hasSubtotal(s) ? 1 : 0);
        }
        offsets.push_back(at);
    }
};

Ledger::Ledger() : d(std::make_unique<Data>())
{
    d->finish();
}

Ledger::~Ledger() = default;
Ledger::Ledger(Ledger&&) noexcept = default;
Ledger& Ledger::operator=(Ledger&&) noexcept = default;

int Ledger::RowCount() const
{
    return d->offsets.back() + 1;
}

int Ledger::DataRowCount() const
{
    return d->dataRows;
}

Totals Ledger::totals() const
{
    return d->totals;
}

void Ledger::SortStores(SortBy sort)
{
    d->sort(sort);
}

ReportRow Ledger::RowAt(int row) const
{
    ReportRow r;
    r.cells = QVariantList(ColCount);
    if (row >= d->offsets.back()) {
        r.kind = ReportRow::Kind::Total;
        r.cells[ColStore] = QStringLiteral("[합 계]");
        r.cells[ColMenu] = QStringLiteral("이월: ") + FormatThousands(d->totals.carried);
        for (int k = 0; k < 4; ++k)
            r.cells[ColQuantity + k] = d->sums[k];
        r.cells[ColBalance] = d->totals.closing;
        return r;
    }
    const auto at = std::upper_bound(d->offsets.begin(), d->offsets.end(), row) - 1;
    const Store& s = d->stores[size_t(d->shown[size_t(at - d->offsets.begin())])];
    const size_t i = size_t(row - *at);
    if (i >= s.lines.size()) {
        r.kind = ReportRow::Kind::SubTotal;
        r.cells[ColStore] = QStringLiteral("[소 계]");
        for (int k = 0; k < 4; ++k)
            r.cells[ColQuantity + k] = s.sums[k];
        r.cells[ColBalance] = s.lines.back().balance;
        return r;
    }
    const Line& l = s.lines[i];
    const bool blank = l.kind != Kind::Commission;
    r.tag = int(l.kind);
    r.cells[ColStore] = d->texts.at(s.code);
    r.cells[ColName] = d->texts.at(s.name);
    r.cells[ColDate] = d->texts.at(l.date);
    r.cells[ColMenu] = d->texts.at(l.menu);
    r.cells[ColQuantity] = shown(l.quantity, blank);
    r.cells[ColCommission] = shown(l.commission, blank);
    r.cells[ColDiscount] = shown(l.discount, blank);
    r.cells[ColPayment] = shown(l.payment, blank);
    r.cells[ColBalance] = l.balance;
    return r;
}

std::vector<ReportRow> Ledger::Rows() const
{
    std::vector<ReportRow> rows;
    rows.reserve(size_t(RowCount()));
    for (int i = 0; i < RowCount(); ++i)
        rows.push_back(RowAt(i));
    return rows;
}

std::vector<Entry> RunBalances(const QHash<QString, Opening>& openings, const std::vector<Entry>& movements,
                               Totals& totals)
{
    Ledger::Data d;
    for (auto it = openings.cbegin(); it != openings.cend(); ++it) {
        const QByteArray code = it.key().toUtf8(), name = it->name.toUtf8();
        d.stores[size_t(d.store(code.constData(), int(code.size()), name.constData(), int(name.size())))]
            .opening = it->balance;
    }
    std::vector<Entry> out;
    for (Entry m : movements) {
        const QByteArray code = m.store.toUtf8();
        const int s = d.store(code.constData(), int(code.size()));
        bool opened = false;
        m.balance = d.move(s, m.kind, d.intern(m.date), d.intern(m.menu), m.quantity, m.commission,
                           m.discount, m.payment, &opened);
        if (opened) {
            Entry carried;
            carried.kind = Kind::Carried;
            carried.store = m.store;
            carried.name = d.texts.at(d.stores[size_t(s)].name);
            carried.date = kCarriedForward;
            carried.balance = d.stores[size_t(s)].opening;
            out.push_back(std::move(carried));
        }
        if (m.name.isEmpty())
            m.name = d.texts.at(d.stores[size_t(s)].name);
        out.push_back(std::move(m));
    }
    d.finish();
    totals = d.totals;
    return out;
}

// ---------------------------------------------------------------------------------------------------------
// Building.

namespace {
bool clearWorkTable(DbConnection& report, ErrInfo& error)
{
    // The report file frees pages without overwriting them: emptying even a year's table journals only its
    // free list.
    DbTransaction t(report);
    const DbConnection::ExecResult r = report.exec(QStringLiteral("DELETE * FROM 매출대입금"));
    if (!r.ok) {
        error = r.error;
        return false;
    }
    if (!t.commit()) {
        error = t.error();
        return false;
    }
    return true;
}

// The opening sums' queries (commissions, then payments and discounts), in the common dialect.
QStringList openingSql(DbConnection& main, const QString& d1, const QString& store)
{
    const QString before = SQLLiteral(d1);
    // The daily sums kept beside the orders answer from a few rows per store and day; without them every
    // earlier line is read. Both count each line in whole won.
    const bool daily = main.database().tables().contains(kStoreDailySumsTable, Qt::CaseInsensitive);
    // Without them, one store's orders come by its index; for all stores the lines are summed per order
    // first, which reads them in storage order instead of looking each order's lines up.
    QString commissions;
    if (daily)
        commissions =
            QStringLiteral("SELECT 가맹점.코드, SUM(s.수수료) FROM 가맹점일별수수료 AS s INNER JOIN "
                           "가맹점 ON s.가맹점코드 = 가맹점.코드 WHERE s.일자 < ") +
            before + storeCondition(QStringLiteral("s.가맹점코드"), store) +
            QStringLiteral(" GROUP BY 가맹점.코드");
    else if (store.isEmpty())
        commissions = QStringLiteral("SELECT 가맹점.코드, SUM(d.수수료합) FROM ((SELECT 주문번호, "
                                     "SUM(ROUND(수수료)) AS 수수료합 FROM 주문내역 GROUP BY 주문번호) AS d "
                                     "INNER JOIN 주문 ON 주문.주문번호 = d.주문번호) INNER JOIN 가맹점 ON "
                                     "주문.가맹점코드 = 가맹점.코드 WHERE 주문일자 < ") +
                      before + QStringLiteral(" GROUP BY 가맹점.코드");
    else
        commissions =
            QStringLiteral("SELECT 가맹점.코드, SUM(ROUND(수수료)) FROM (주문 INNER JOIN 주문내역 "
                           "ON 주문.주문번호 = 주문내역.주문번호) INNER JOIN 가맹점 ON 주문.가맹점코드 = "
                           "가맹점.코드 WHERE 주문일자 < ") +
            before + storeCondition(QStringLiteral("주문.가맹점코드"), store) +
            QStringLiteral(" GROUP BY 가맹점.코드");
    return {commissions,
            QStringLiteral("SELECT 가맹점.코드, SUM(입금액 + 할인액) FROM 입금 INNER JOIN 가맹점 ON "
                           "입금.가맹점코드 = 가맹점.코드 WHERE 입금일자 < ") +
                before + storeCondition(QStringLiteral("입금.가맹점코드"), store) +
                QStringLiteral(" GROUP BY 가맹점.코드")};
}

QString storesSql(const QString& store)
{
    QString sql = QStringLiteral("SELECT 코드, 상호, 기초잔액 FROM 가맹점");
    if (!store.isEmpty())
        sql += QStringLiteral(" WHERE 코드 = ") + SQLLiteral(store);
    return sql;
}

// Each store's balance at the start of the period: 기초잔액 + earlier commissions − earlier payments and
// discounts, summed by the database per store. Codes are case-blind in the tables (an order of "t04" belongs
// to store "T04"), so every sum is keyed by the store's own 코드 through the join, never by the text the
// order or payment happens to hold.
bool readOpenings(DbConnection& main, const QString& d1, const QString& store, Ledger::Data& d,
                  ErrInfo& error)
{
    QSqlQuery q;
    if (!main.query(storesSql(store), q, &error))
        return false;
    while (q.next()) {
        const QByteArray code = q.value(0).toString().toUtf8(), name = q.value(1).toString().toUtf8();
        d.stores[size_t(d.store(code.constData(), int(code.size()), name.constData(), int(name.size())))]
            .opening = won(q.value(2));
    }
    const QStringList sums = openingSql(main, d1, store);
    for (int i = 0; i < sums.size(); ++i) {
        if (!main.query(sums[i], q, &error))
            return false;
        while (q.next()) {
            const QByteArray code = q.value(0).toString().toUtf8();
            const auto it = d.storeByCode.constFind(code);
            if (it != d.storeByCode.cend())
                d.stores[size_t(*it)].opening += i == 0 ? won(q.value(1)) : -won(q.value(1));
        }
    }
    return true;
}

int periodDays(const QDate& first, const QString& d2)
{
    return std::max(int(first.daysTo(QDate::fromString(d2, Qt::ISODate))) + 1, 1);
}

int dayDone(const QDate& first, const QString& day, int days)
{
    return std::clamp(int(first.daysTo(QDate::fromString(day, Qt::ISODate))) + 1, 1, days);
}

// --- From a file: a second thread reads the main file day by day while this one writes the work table.

const QByteArray kMainSchema = "main";

// A day's commissions of every store (or the one), store by store in running order, straight from the
// indexes that hold that order: stores by code, a store's orders of the day by time and number
// (ix_주문_3), an order's lines by number. ORDER BY says so, and the build checks the engine needs no sort
// for it: the running balance is taken as the rows come. The store and menu come by rowid, their texts
// looked up the first time each is met; the date is the day the statement was bound to.
QByteArray commissionSelect(const QByteArray& schema, bool oneStore)
{
    const QByteArray s = schema + ".";
    return "SELECT mb.rowid, mn.rowid, IFNULL(od.수량, 0), ROUND(IFNULL(od.단가, 0)), "
           "ROUND(IFNULL(od.수수료, 0)) FROM " +
           s + "가맹점 AS mb CROSS JOIN " + s +
           "주문 AS om INDEXED BY \"ix_주문_3\" ON om.가맹점코드 = mb.코드 CROSS JOIN " + s +
           "주문내역 AS od ON od.주문번호 = om.주문번호 CROSS JOIN " + s +
           "취급메뉴 AS mn ON mn.코드 = od.주문메뉴 WHERE om.주문일자 = ?1" +
           (oneStore ? " AND mb.코드 = ?2" : "") +
           " ORDER BY mb.코드, om.주문시간, om.주문번호, om.rowid, od.순번";
}

// A day's payments after its commissions, by entry number.
QByteArray paymentSelect(const QByteArray& schema, bool oneStore)
{
    const QByteArray s = schema + ".";
    return "SELECT mb.rowid, ROUND(IFNULL(p.할인액, 0)), ROUND(IFNULL(p.입금액, 0)) FROM " + s +
           "입금 AS p INDEXED BY \"ix_입금_2\" CROSS JOIN " + s +
           "가맹점 AS mb ON p.가맹점코드 = mb.코드 WHERE p.입금일자 = ?1" +
           (oneStore ? " AND p.가맹점코드 = ?2" : "") + " ORDER BY p.처리순번";
}

// The first day from ?1 (after it, strictly) up to ?2 with orders (or payments) of every store or the one
// (?3): the first entry of the date index (or the store's) there.
QByteArray nextDaySelect(const QByteArray& schema, bool payments, bool oneStore, bool strictly)
{
    const QByteArray s = schema + ".";
    const QByteArray date = payments ? "입금일자" : "주문일자";
    return "SELECT " + date + " FROM " + s + (payments ? "입금" : "주문") + " WHERE " + date +
           (strictly ? " > ?1" : " >= ?1") + " AND " + date + " <= ?2" +
           (oneStore ? " AND 가맹점코드 = ?3" : "") + " ORDER BY " + date + " LIMIT 1";
}

const QByteArray kInsert = "INSERT INTO main.매출대입금 (가맹점코드, 상호, 일자, 메뉴명, 수량, 단가, 할인액, "
                           "수수료, 입금액, 잔액) ";

bool needsSort(sqlite3* db, const QByteArray& sql)
{
    sqlite3_stmt* st = nullptr;
    const QByteArray explain = "EXPLAIN QUERY PLAN " + sql;
    if (sqlite3_prepare_v2(db, explain.constData(), int(explain.size()), &st, nullptr) != SQLITE_OK)
        return true;
    bool sorts = false;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const QByteArray step(reinterpret_cast<const char*>(sqlite3_column_text(st, 3)));
        sorts = sorts || step.contains("TEMP B-TREE") || step.contains("AUTOMATIC");
    }
    sqlite3_finalize(st);
    return sorts;
}

enum class Outcome
{
    Done,
    Failed,
    // Not this way here (a server, a file that cannot be opened again, a plan that would sort): another.
    NotHere,
};

// --- Streamed: rows that come through the connection are written with bound values.

// One row for the work table, its texts by the ledger's numbers.
struct WorkRow
{
    qint32 store = 0;
    qint32 name = 0;
    qint32 date = 0;
    qint32 menu = 0;
    qint64 quantity = 0;
    qint64 price = 0;
    qint64 discount = 0;
    qint64 commission = 0;
    qint64 payment = 0;
    qint64 balance = 0;
};

// Writes the work table's rows through prepared statements with bound values, many rows to a statement;
// each text is made UTF-8 once and bound without a copy.
class Writer
{
public:
    Writer(DbConnection& report, const Ledger::Data& d) : m_db(sqliteHandle(report)), m_d(d)
    {
        m_pending.reserve(kBatchRows);
    }
    ~Writer()
    {
        sqlite3_finalize(m_batch);
        sqlite3_finalize(m_single);
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    bool open(ErrInfo& error)
    {
        if (!m_db) {
            error = {-1, QStringLiteral("레포트DB가 열려 있지 않습니다.")};
            return false;
        }
        const QByteArray insert = kInsert + "VALUES ";
        const QByteArray row = "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
        QByteArrayList rows(kBatchRows, row);
        const QByteArray batch = insert + rows.join(", ");
        const QByteArray single = insert + row;
        return check(sqlite3_prepare_v2(m_db, batch.constData(), int(batch.size()), &m_batch, nullptr),
                     error) &&
               check(sqlite3_prepare_v2(m_db, single.constData(), int(single.size()), &m_single, nullptr),
                     error);
    }
    bool add(const WorkRow& r, ErrInfo& error)
    {
        for (qint32 id : {r.store, r.name, r.date, r.menu})
            utf8(id);
        m_pending.push_back(r);
        return m_pending.size() < size_t(kBatchRows) || flush(error);
    }
    // The carried-forward row of a store.
    bool addCarried(const Store& s, ErrInfo& error)
    {
        WorkRow c;
        c.store = s.code;
        c.name = s.name;
        c.date = m_d.carriedDate;
        c.menu = m_d.emptyMenu;
        c.balance = s.opening;
        return add(c, error);
    }
    // Writes what is pending.
    bool flush(ErrInfo& error)
    {
        if (m_pending.size() == size_t(kBatchRows)) {
            int i = 0;
            for (const WorkRow& r : m_pending)
                i = bind(m_batch, i, r);
            if (!step(m_batch, error))
                return false;
        } else {
            for (const WorkRow& r : m_pending) {
                bind(m_single, 0, r);
                if (!step(m_single, error))
                    return false;
            }
        }
        m_rows += qint64(m_pending.size());
        m_pending.clear();
        return true;
    }
    qint64 rows() const { return m_rows; }

private:
    // Ten values to a row; a statement of this many rows stays far below the engine's parameter limit.
    static constexpr int kBatchRows = 100;

    const QByteArray& utf8(qint32 id)
    {
        while (m_utf8.size() <= size_t(id))
            m_utf8.push_back(m_d.texts.at(qsizetype(m_utf8.size())).toUtf8());
        return m_utf8[size_t(id)];
    }
    // Binds a row's values after parameter i; returns the last parameter bound.
    int bind(sqlite3_stmt* st, int i, const WorkRow& r) const
    {
        for (qint32 id : {r.store, r.name, r.date, r.menu}) {
            const QByteArray& text = m_utf8[size_t(id)];
            sqlite3_bind_text(st, ++i, text.constData(), int(text.size()), SQLITE_STATIC);
        }
        for (qint64 v : {r.quantity, r.price, r.discount, r.commission, r.payment, r.balance})
            sqlite3_bind_int64(st, ++i, v);
        return i;
    }
    bool step(sqlite3_stmt* st, ErrInfo& error) const
    {
        const int rc = sqlite3_step(st);
        sqlite3_reset(st);
        return check(rc, error);
    }
    bool check(int rc, ErrInfo& error) const
    {
        if (rc == SQLITE_OK || rc == SQLITE_DONE)
            return true;
        error = sqliteError(m_db, rc);
        return false;
    }

    sqlite3* m_db = nullptr;
    const Ledger::Data& m_d;
    sqlite3_stmt* m_batch = nullptr;
    sqlite3_stmt* m_single = nullptr;
    std::vector<WorkRow> m_pending;
    // The UTF-8 of the ledger's texts by number, as far as rows have used them.
    std::vector<QByteArray> m_utf8;
    qint64 m_rows = 0;
};

// The movements of the period in running order: by date, a day's commissions (by order time, number and
// line) before its payments (by entry number), the stores taking turns.
QString movementsSql(const QString& d1, const QString& d2, const QString& store)
{
    const QString period =
        QStringLiteral(" BETWEEN ") + SQLLiteral(d1) + QStringLiteral(" AND ") + SQLLiteral(d2);
    // The store's own 코드 through the join: the rows of one store stay together however the orders and
    // payments spell it.
    return QStringLiteral("SELECT 가맹점.코드 AS 코드, 주문일자 AS 일자, 0 AS 구분, 주문시간 AS 시각, "
                          "주문.주문번호 AS 번호, 주문내역.순번 AS 줄, 메뉴명, 수량, 단가, 수수료, "
                          "0 AS 할인, 0 AS 입금 FROM ((주문 INNER JOIN 주문내역 ON 주문.주문번호 = "
                          "주문내역.주문번호) INNER JOIN 취급메뉴 ON 주문내역.주문메뉴 = 취급메뉴.코드) "
                          "INNER JOIN 가맹점 ON 주문.가맹점코드 = 가맹점.코드 WHERE 주문일자") +
           period + storeCondition(QStringLiteral("주문.가맹점코드"), store) +
           QStringLiteral(" UNION ALL SELECT 가맹점.코드, 입금일자, 1, '', '', 처리순번, '', 0, 0, 0, "
                          "할인액, 입금액 FROM 입금 INNER JOIN 가맹점 ON 입금.가맹점코드 = 가맹점.코드 "
                          "WHERE 입금일자") +
           period + storeCondition(QStringLiteral("입금.가맹점코드"), store) +
           QStringLiteral(" ORDER BY 2, 3, 4, 5, 6");
}

// A file the engine cannot fill the table from itself: one statement's rows in running order.
bool buildStreamed(DbConnection& main, DbConnection& report, const QString& d1, const QString& d2,
                   const QString& store, const Progress& progress, Ledger::Data& d, BuildResult& result)
{
    ErrInfo& error = result.error;
    const QDate first = QDate::fromString(d1, Qt::ISODate);
    const int days = periodDays(first, d2);
    DbTransaction t(report);
    Writer writer(report, d);
    if (!writer.open(error))
        return false;
    QSqlQuery q;
    if (!main.query(movementsSql(d1, d2, store), q, &error))
        return false;
    QString day, storeCode;
    qint32 dayId = 0;
    int storeIndex = -1;
    while (q.next()) {
        const QString code = q.value(0).toString();
        if (storeIndex < 0 || code != storeCode) {
            const auto it = d.storeByCode.constFind(code.toUtf8());
            if (it == d.storeByCode.cend())
                continue;
            storeIndex = *it;
            storeCode = code;
        }
        const QString date = q.value(1).toString();
        if (date != day) {
            day = date;
            dayId = d.intern(date);
            if (progress && !progress(dayDone(first, day, days), days)) {
                result.cancelled = true;
                return false;
            }
        }
        const Store& s = d.stores[size_t(storeIndex)];
        WorkRow r;
        r.store = s.code;
        r.name = s.name;
        r.date = dayId;
        bool opened = false;
        if (q.value(2).toInt() == 0) {
            r.menu = d.intern(q.value(6).toString());
            r.quantity = q.value(7).toLongLong();
            r.price = won(q.value(8));
            r.commission = won(q.value(9));
            r.balance =
                d.move(storeIndex, Kind::Commission, dayId, r.menu, r.quantity, r.commission, 0, 0, &opened);
        } else {
            r.menu = d.paymentMenu;
            r.discount = won(q.value(10));
            r.payment = won(q.value(11));
            r.balance =
                d.move(storeIndex, Kind::Payment, dayId, r.menu, 0, 0, r.discount, r.payment, &opened);
        }
        if ((opened && !writer.addCarried(s, error)) || !writer.add(r, error))
            return false;
    }
    if (q.lastError().isValid()) {
        error = DbConnection::errorFrom(q.lastError());
        return false;
    }
    if (!writer.flush(error))
        return false;
    if (!t.commit()) {
        error = t.error();
        return false;
    }
    result.rows = writer.rows();
    return true;
}

// What the reading thread hands over: the movements of one day's statement (or part of them), with the texts
// of the stores and menus met there for the first time.
struct FileBatch
{
    QByteArray day;
    bool payments = false;
    struct Row
    {
        qint64 store = 0; // rowid
        qint64 menu = 0;  // rowid (commissions)
        qint64 quantity = 0;
        qint64 price = 0;
        qint64 commission = 0;
        qint64 discount = 0;
        qint64 payment = 0;
    };
    std::vector<Row> rows;
    std::vector<std::pair<qint64, QByteArray>> stores;
    std::vector<std::pair<qint64, QByteArray>> menus;
};

// Batches from the reading thread to the writing one, a few at a time.
class FileBatches
{
public:
    // False once the reader is to stop.
    bool push(FileBatch&& b)
    {
        std::unique_lock lock(m_mutex);
        m_room.wait(lock, [&] { return m_stop || m_batches.size() < kQueued; });
        if (m_stop)
            return false;
        m_batches.push_back(std::move(b));
        m_ready.notify_one();
        return true;
    }
    // False at the end (or after a failure of the reader: error() says it).
    bool pop(FileBatch& b)
    {
        std::unique_lock lock(m_mutex);
        m_ready.wait(lock, [&] { return m_done || !m_batches.empty(); });
        if (m_batches.empty())
            return false;
        b = std::move(m_batches.front());
        m_batches.pop_front();
        m_room.notify_one();
        return true;
    }
    void finish(const ErrInfo& error = {})
    {
        std::lock_guard lock(m_mutex);
        m_done = true;
        m_error = error;
        m_ready.notify_one();
    }
    void stop()
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_room.notify_one();
    }
    ErrInfo error() const
    {
        std::lock_guard lock(m_mutex);
        return m_error;
    }

private:
    static constexpr size_t kQueued = 8;
    mutable std::mutex m_mutex;
    std::condition_variable m_ready, m_room;
    std::deque<FileBatch> m_batches;
    bool m_done = false, m_stop = false;
    ErrInfo m_error;
};

// The main file opened again, read-only, for the reading thread: its statements and what it has met.
struct FileReader
{
    sqlite3* db = nullptr;
    bool began = false;
    Statement commissions, payments, firstDay[2], nextDay[2], storeCode, menuName;
    std::vector<bool> storeMet, menuMet;

    ~FileReader()
    {
        if (began)
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close_v2(db);
    }

    // The text of a rowid met for the first time into `into`; false with the engine's error.
    static bool firstText(std::vector<bool>& met, const Statement& st, qint64 rowid,
                          std::vector<std::pair<qint64, QByteArray>>& into, ErrInfo& error)
    {
        constexpr qint64 kRowids = 1 << 22;
        if (rowid >= 0 && rowid < kRowids) {
            if (size_t(rowid) >= met.size())
                met.resize(size_t(rowid) + 1, false);
            if (met[size_t(rowid)])
                return true;
            met[size_t(rowid)] = true;
        }
        sqlite3_bind_int64(st.get(), 1, rowid);
        QByteArray text;
        if (!st.text(text, error))
            return false;
        into.emplace_back(rowid, text);
        return true;
    }

    // Runs a day's statement, handing its rows over in batches; false when it failed (error) or was stopped.
    bool runDay(const Statement& st, const QByteArray& day, bool payments, FileBatches& out, ErrInfo& error)
    {
        constexpr size_t kRows = 4096;
        st.bind(1, day);
        FileBatch b;
        b.day = day;
        b.payments = payments;
        int rc;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
            FileBatch::Row r;
            r.store = sqlite3_column_int64(st.get(), 0);
            if (!firstText(storeMet, storeCode, r.store, b.stores, error))
                break;
            if (payments) {
                r.discount = won(sqlite3_column_value(st.get(), 1));
                r.payment = won(sqlite3_column_value(st.get(), 2));
            } else {
                r.menu = sqlite3_column_int64(st.get(), 1);
                if (!firstText(menuMet, menuName, r.menu, b.menus, error))
                    break;
                r.quantity = sqlite3_column_int64(st.get(), 2);
                r.price = won(sqlite3_column_value(st.get(), 3));
                r.commission = won(sqlite3_column_value(st.get(), 4));
            }
            b.rows.push_back(r);
            if (b.rows.size() == kRows) {
                if (!out.push(std::move(b))) {
                    sqlite3_reset(st.get());
                    return false;
                }
                b = FileBatch();
                b.day = day;
                b.payments = payments;
            }
        }
        sqlite3_reset(st.get());
        if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
            error = sqliteError(db, rc);
            return false;
        }
        if (!error.description.isEmpty())
            return false;
        return b.rows.empty() || out.push(std::move(b));
    }

    // The period day by day: the next day with orders and the next with payments, each found by its index.
    void run(const QByteArray& first, FileBatches& out)
    {
        ErrInfo error;
        QByteArray day, upcoming[2];
        bool ok = true;
        for (int pay = 0; ok && pay < 2; ++pay) {
            firstDay[pay].bind(1, first);
            ok = firstDay[pay].text(upcoming[pay], error);
        }
        while (ok && (!upcoming[0].isEmpty() || !upcoming[1].isEmpty())) {
            day = upcoming[0].isEmpty()                                                    ? upcoming[1]
                  : upcoming[1].isEmpty()                                                  ? upcoming[0]
                  : sqlite3_stricmp(upcoming[0].constData(), upcoming[1].constData()) <= 0 ? upcoming[0]
                                                                                           : upcoming[1];
            ok = runDay(commissions, day, false, out, error) && runDay(payments, day, true, out, error);
            for (int pay = 0; ok && pay < 2; ++pay) {
                if (upcoming[pay] != day)
                    continue;
                nextDay[pay].bind(1, day);
                ok = nextDay[pay].text(upcoming[pay], error);
            }
        }
        out.finish(error);
    }
};

// The main file's movements read on a second thread through a connection of its own, in one read
// transaction, while this thread keeps the running balances and writes the work table.
Outcome buildFromFile(DbConnection& main, DbConnection& report, const QString& d1, const QString& d2,
                      const QString& store, const Progress& progress, Ledger::Data& d, BuildResult& result)
{
    if (main.isServer() || !sqliteHandle(main) || !sqliteHandle(report))
        return Outcome::NotHere;
    const bool one = !store.isEmpty();
    const QByteArray commissions = commissionSelect(kMainSchema, one),
                     payments = paymentSelect(kMainSchema, one);
    for (const QByteArray& sql : {commissions, payments}) {
        if (const std::optional<ErrInfo> fault = main.injectedFault(QString::fromUtf8(sql))) {
            result.error = *fault;
            return Outcome::Failed;
        }
    }
    ErrInfo& error = result.error;
    FileReader reader;
    if (!(reader.db = main.openReaderBeside()))
        return Outcome::NotHere;
    // Without statistics the planner would rather build a throwaway index of every line than use the key.
    sqlite3_exec(reader.db, "PRAGMA automatic_index = OFF", nullptr, nullptr, nullptr);
    ErrInfo ignored;
    if (!reader.commissions.prepare(reader.db, commissions, ignored) ||
        !reader.payments.prepare(reader.db, payments, ignored) ||
        !reader.storeCode.prepare(reader.db, "SELECT 코드 FROM 가맹점 WHERE rowid = ?1", ignored) ||
        !reader.menuName.prepare(reader.db, "SELECT 메뉴명 FROM 취급메뉴 WHERE rowid = ?1", ignored) ||
        needsSort(reader.db, commissions) || needsSort(reader.db, payments))
        return Outcome::NotHere;
    const QByteArray first = d1.toUtf8(), last = d2.toUtf8(), code = store.toUtf8();
    for (int pay = 0; pay < 2; ++pay) {
        if (!reader.firstDay[pay].prepare(reader.db, nextDaySelect(kMainSchema, pay, one, false), ignored) ||
            !reader.nextDay[pay].prepare(reader.db, nextDaySelect(kMainSchema, pay, one, true), ignored))
            return Outcome::NotHere;
        for (const Statement* st : {&reader.firstDay[pay], &reader.nextDay[pay]}) {
            st->bind(2, last);
            if (one)
                st->bind(3, code);
        }
    }
    if (one) {
        reader.commissions.bind(2, code);
        reader.payments.bind(2, code);
    }
    if (sqlite3_exec(reader.db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        return Outcome::NotHere;
    reader.began = true;

    DbTransaction t(report);
    Writer writer(report, d);
    if (!writer.open(error))
        return Outcome::Failed;
    FileBatches batches;
    std::thread reading([&] { reader.run(first, batches); });
    const QDate firstDate = QDate::fromString(d1, Qt::ISODate);
    const int days = periodDays(firstDate, d2);
    std::unordered_map<qint64, int> storeByRowid;
    std::unordered_map<qint64, qint32> menuByRowid;
    QByteArray day;
    qint32 dayId = -1;
    bool ok = true;
    FileBatch b;
    while (ok && batches.pop(b)) {
        for (const auto& [rowid, text] : b.stores) {
            const auto it = d.storeByCode.constFind(text);
            storeByRowid[rowid] = it == d.storeByCode.cend() ? -1 : *it;
        }
        for (const auto& [rowid, text] : b.menus)
            menuByRowid[rowid] = d.intern(text);
        if (dayId < 0 || b.day != day) {
            day = b.day;
            dayId = d.intern(day);
            if (progress && !progress(dayDone(firstDate, QString::fromUtf8(day), days), days)) {
                result.cancelled = true;
                ok = false;
                break;
            }
        }
        for (const FileBatch::Row& m : b.rows) {
            const auto s = storeByRowid.find(m.store);
            if (s == storeByRowid.end() || s->second < 0) {
                error = {-1, QStringLiteral("가맹점 원장을 만드는 중에 모르는 가맹점을 만났습니다.")};
                ok = false;
                break;
            }
            WorkRow r;
            const Store& st = d.stores[size_t(s->second)];
            r.store = st.code;
            r.name = st.name;
            r.date = dayId;
            bool opened = false;
            if (b.payments) {
                r.menu = d.paymentMenu;
                r.discount = m.discount;
                r.payment = m.payment;
                r.balance =
                    d.move(s->second, Kind::Payment, dayId, r.menu, 0, 0, r.discount, r.payment, &opened);
            } else {
                r.menu = menuByRowid[m.menu];
                r.quantity = m.quantity;
                r.price = m.price;
                r.commission = m.commission;
                r.balance = d.move(s->second, Kind::Commission, dayId, r.menu, r.quantity, r.commission, 0, 0,
                                   &opened);
            }
            if ((opened && !writer.addCarried(st, error)) || !writer.add(r, error)) {
                ok = false;
                break;
            }
        }
    }
    batches.stop();
    reading.join();
    if (ok && !batches.error().description.isEmpty()) {
        error = batches.error();
        ok = false;
    }
    if (!ok || !writer.flush(error))
        return Outcome::Failed;
    if (!t.commit()) {
        error = t.error();
        return Outcome::Failed;
    }
    result.rows = writer.rows();
    result.readBeside = true;
    return Outcome::Done;
}

// --- On a server: the period's orders, their lines and its payments come out of the server as it streams
// them (COPY), each read once without a sort or a join there, and are put in running order here.

// An order of the period as the server gave it.
struct ServerOrder
{
    qint32 number = 0; // its number's place in the text arena
    qint32 numberSize = 0;
    qint32 store = 0;
    qint32 day = 0;  // local day number
    qint32 time = 0; // local time number; NULL after every time, as the server orders it
    qint32 lines = 0;
    qint32 firstLine = 0; // among the lines read
};

struct ServerLine
{
    qint32 order = 0;
    qint32 menu = 0;
    qint64 quantity = 0;
    qint64 price = 0;
    qint64 commission = 0;
};

struct ServerPayment
{
    QByteArray day;
    qint64 entry = 0;
    qint32 store = 0;
    qint64 discount = 0;
    qint64 payment = 0;
};

// Texts numbered as first met, ranked in the server's order of texts (bytes) once all are in.
class RankedTexts
{
public:
    qint32 id(QByteArrayView text)
    {
        const auto it = m_ids.constFind(text.toByteArray());
        if (it != m_ids.cend())
            return *it;
        m_texts.push_back(text.toByteArray());
        return *m_ids.insert(m_texts.back(), qint32(m_texts.size() - 1));
    }
    const QByteArray& text(qint32 id) const { return m_texts[size_t(id)]; }
    // rank[id]: the text's place among all, in byte order.
    std::vector<qint32> ranks() const
    {
        std::vector<qint32> order(m_texts.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = qint32(i);
        std::sort(order.begin(), order.end(), [&](qint32 a, qint32 b) {
            return std::string_view(m_texts[size_t(a)]) < std::string_view(m_texts[size_t(b)]);
        });
        std::vector<qint32> rank(order.size());
        for (size_t i = 0; i < order.size(); ++i)
            rank[size_t(order[i])] = qint32(i);
        return rank;
    }

private:
    QHash<QByteArray, qint32> m_ids;
    std::vector<QByteArray> m_texts;
};

// The store a code of the server's rows belongs to: its own spelling, else the one the server's case-blind
// join would find; -1 for none.
class StoreFinder
{
public:
    explicit StoreFinder(const Ledger::Data& d) : m_d(d) {}
    int find(QByteArrayView code)
    {
        if (code.isNull())
            return -1;
        const QByteArray key = QByteArray::fromRawData(code.data(), code.size());
        auto it = m_d.storeByCode.constFind(key);
        if (it != m_d.storeByCode.cend())
            return *it;
        const auto met = m_other.constFind(key);
        if (met != m_other.cend())
            return *met;
        if (m_folded.isEmpty()) {
            for (auto s = m_d.storeByCode.cbegin(); s != m_d.storeByCode.cend(); ++s)
                m_folded.insert(fold(s.key()), *s);
        }
        const int store = m_folded.value(fold(key), -1);
        m_other.insert(QByteArray(code.data(), code.size()), store);
        return store;
    }

private:
    static QByteArray fold(const QByteArray& code) { return QString::fromUtf8(code).toLower().toUtf8(); }
    const Ledger::Data& m_d;
    QHash<QByteArray, int> m_folded;
    QHash<QByteArray, int> m_other;
};

// The rows come from the server; the running balance and the table are made here.
Outcome buildOnServer(DbConnection& main, DbConnection& report, const QString& d1, const QString& d2,
                      const QString& store, const Progress& progress, Ledger::Data& d, BuildResult& result)
{
    if (!main.isServer())
        return Outcome::NotHere;
    ErrInfo& error = result.error;
    const QDate firstDate = QDate::fromString(d1, Qt::ISODate);
    const int days = periodDays(firstDate, d2);
    const QString period =
        QStringLiteral(" BETWEEN ") + SQLLiteral(d1) + QStringLiteral(" AND ") + SQLLiteral(d2);
    const auto stopped = [&]() {
        result.cancelled = progress && !progress(1, days);
        return result.cancelled;
    };
    StoreFinder stores(d);

    // The menus by code; a line whose menu is not among them counts nowhere, as in the join.
    QHash<qint64, qint32> menus;
    if (!main.copyRows(
            QStringLiteral("SELECT 코드, 메뉴명 FROM 취급메뉴"),
            [&](const std::vector<QByteArrayView>& f) {
                if (!f[0].isNull())
                    menus.insert(DbConnection::CopyWon(f[0]), d.intern(f[1].data(), int(f[1].size())));
                return true;
            },
            &error))
        return Outcome::Failed;

    // The orders of the period.
    std::vector<ServerOrder> orders;
    QByteArray numbers;
    RankedTexts dayTexts, timeTexts;
    const qint32 noTime = -1;
    qint64 read = 0;
    if (!main.copyRows(
            QStringLiteral("SELECT 주문번호, 가맹점코드, 주문일자, 주문시간 FROM 주문 WHERE 주문일자") +
                period + storeCondition(QStringLiteral("가맹점코드"), store),
            [&](const std::vector<QByteArrayView>& f) {
                if ((++read & 0xFFFF) == 0 && stopped())
                    return false;
                const int s = stores.find(f[1]);
                if (s < 0 || f[0].isNull())
                    return true;
                ServerOrder o;
                o.number = qint32(numbers.size());
                o.numberSize = qint32(f[0].size());
                numbers.append(f[0]);
                o.store = s;
                o.day = dayTexts.id(f[2]);
                o.time = f[3].isNull() ? noTime : timeTexts.id(f[3]);
                orders.push_back(o);
                return true;
            },
            &error))
        return Outcome::Failed;
    if (result.cancelled)
        return Outcome::Failed;
    const auto number = [&](const ServerOrder& o) {
        return std::string_view(numbers.constData() + o.number, size_t(o.numberSize));
    };

    // Payments by day and entry.
    std::vector<ServerPayment> payments;
    if (!main.copyRows(
            QStringLiteral("SELECT 가맹점코드, 입금일자, 처리순번, 할인액, 입금액 FROM 입금 WHERE "
                           "입금일자") +
                period + storeCondition(QStringLiteral("가맹점코드"), store),
            [&](const std::vector<QByteArrayView>& f) {
                const int s = stores.find(f[0]);
                if (s >= 0 && !f[1].isNull())
                    payments.push_back({f[1].toByteArray(), DbConnection::CopyWon(f[2]), s,
                                        DbConnection::CopyWon(f[3]), DbConnection::CopyWon(f[4])});
                return true;
            },
            &error))
        return Outcome::Failed;
    std::sort(payments.begin(), payments.end(), [](const ServerPayment& a, const ServerPayment& b) {
        const int c = std::string_view(a.day).compare(std::string_view(b.day));
        return c != 0 ? c < 0 : a.entry < b.entry;
    });

    // The running order: orders by day, time and number, each with its lines by line number; the days in
    // turn, each with the highest number among its orders.
    const std::vector<qint32> dayRank = dayTexts.ranks(), timeRank = timeTexts.ranks();
    const qint32 lastTime = qint32(timeRank.size());
    std::vector<qint32> running(orders.size());
    for (size_t i = 0; i < running.size(); ++i)
        running[i] = qint32(i);
    std::sort(running.begin(), running.end(), [&](qint32 a, qint32 b) {
        const ServerOrder &x = orders[size_t(a)], &y = orders[size_t(b)];
        if (x.day != y.day)
            return dayRank[size_t(x.day)] < dayRank[size_t(y.day)];
        const qint32 tx = x.time == noTime ? lastTime : timeRank[size_t(x.time)];
        const qint32 ty = y.time == noTime ? lastTime : timeRank[size_t(y.time)];
        if (tx != ty)
            return tx < ty;
        return number(x) < number(y);
    });
    struct Day
    {
        size_t first = 0; // in running
        size_t end = 0;
        std::string_view highest;
    };
    std::vector<Day> daysInTurn;
    for (size_t r = 0; r < running.size(); ++r) {
        const ServerOrder& o = orders[size_t(running[r])];
        if (daysInTurn.empty() || orders[size_t(running[daysInTurn.back().first])].day != o.day)
            daysInTurn.push_back({r, r, number(o)});
        Day& day = daysInTurn.back();
        day.end = r + 1;
        day.highest = std::max(day.highest, number(o));
    }

    DbTransaction t(report);
    Writer writer(report, d);
    if (!writer.open(error))
        return Outcome::Failed;
    QByteArray day;
    qint32 dayId = -1;
    const auto toDay = [&](const QByteArray& next) {
        if (dayId >= 0 && next == day)
            return true;
        day = next;
        dayId = d.intern(day);
        if (progress && !progress(dayDone(firstDate, QString::fromUtf8(day), days), days)) {
            result.cancelled = true;
            return false;
        }
        return true;
    };
    const auto write = [&](int storeIndex, WorkRow r, bool opened) {
        const Store& s = d.stores[size_t(storeIndex)];
        r.store = s.code;
        r.name = s.name;
        return (!opened || writer.addCarried(s, error)) && writer.add(r, error);
    };
    size_t nextPayment = 0;
    // The payments of the days before `until` (all when empty).
    const auto paymentsBefore = [&](const QByteArray* until) {
        for (; nextPayment < payments.size(); ++nextPayment) {
            const ServerPayment& p = payments[nextPayment];
            if (until && std::string_view(p.day) >= std::string_view(*until))
                return true;
            if (!toDay(p.day))
                return false;
            WorkRow r;
            r.date = dayId;
            r.menu = d.paymentMenu;
            r.discount = p.discount;
            r.payment = p.payment;
            bool opened = false;
            r.balance = d.move(p.store, Kind::Payment, dayId, r.menu, 0, 0, r.discount, r.payment, &opened);
            if (!write(p.store, r, opened))
                return false;
        }
        return true;
    };
    std::vector<ServerLine> lines;
    // A day's orders in running order with their lines, the payments of the days before first.
    const auto writeDay = [&](const Day& g) {
        for (size_t r = g.first; r < g.end; ++r) {
            const ServerOrder& o = orders[size_t(running[r])];
            if (o.lines == 0)
                continue;
            const QByteArray& orderDay = dayTexts.text(o.day);
            if (!paymentsBefore(&orderDay) || !toDay(orderDay))
                return false;
            for (qint32 k = 0; k < o.lines; ++k) {
                const ServerLine& l = lines[size_t(o.firstLine + k)];
                WorkRow w;
                w.date = dayId;
                w.menu = l.menu;
                w.quantity = l.quantity;
                w.price = l.price;
                w.commission = l.commission;
                bool opened = false;
                w.balance =
                    d.move(o.store, Kind::Commission, dayId, l.menu, l.quantity, l.commission, 0, 0, &opened);
                if (!write(o.store, w, opened))
                    return false;
            }
        }
        return true;
    };

    // Their lines: by the range of the numbers (numbers follow the days they were taken on, so the range
    // holds little else, and whatever else it holds is left out here), or through the orders of one store.
    // They come by number, an order's together: a day is written as soon as the lines have passed its
    // highest number, while the server sends the next.
    size_t written = 0;
    bool halted = false, unordered = false;
    std::string previous;
    if (!orders.empty()) {
        std::unordered_map<std::string_view, qint32> byNumber;
        byNumber.reserve(orders.size());
        std::string_view low = number(orders.front()), high = low;
        for (size_t i = 0; i < orders.size(); ++i) {
            const std::string_view n = number(orders[i]);
            byNumber.emplace(n, qint32(i));
            low = std::min(low, n);
            high = std::max(high, n);
        }
        const auto literal = [](std::string_view v) {
            return SQLLiteral(QString::fromUtf8(v.data(), qsizetype(v.size())));
        };
        const QString sql =
            store.isEmpty()
                ? QStringLiteral("SELECT 주문번호, 순번, 주문메뉴, 수량, 단가, 수수료 FROM 주문내역 WHERE "
                                 "주문번호 BETWEEN ") +
                      literal(low) + QStringLiteral(" AND ") + literal(high) +
                      QStringLiteral(" ORDER BY 주문번호, 순번")
                : QStringLiteral("SELECT 주문내역.주문번호, 순번, 주문메뉴, 수량, 단가, 수수료 FROM 주문내역 "
                                 "INNER JOIN 주문 ON 주문내역.주문번호 = 주문.주문번호 WHERE 주문일자") +
                      period + storeCondition(QStringLiteral("주문.가맹점코드"), store) +
                      QStringLiteral(" ORDER BY 주문내역.주문번호, 순번");
        lines.reserve(orders.size() * 2);
        if (!main.copyRows(
                sql,
                [&](const std::vector<QByteArrayView>& f) {
                    if (f[0].isNull())
                        return true;
                    const std::string_view n(f[0].data(), size_t(f[0].size()));
                    // Days are written early only while the server orders numbers as bytes (the C
                    // collation); a server that does not gets the ledger the slow way.
                    if (n < std::string_view(previous)) {
                        unordered = true;
                        return false;
                    }
                    previous.assign(n);
                    for (; written < daysInTurn.size() && n > daysInTurn[written].highest; ++written) {
                        if (!writeDay(daysInTurn[written])) {
                            halted = true;
                            return false;
                        }
                    }
                    const auto o = byNumber.find(n);
                    const auto menu =
                        f[2].isNull() ? menus.cend() : menus.constFind(DbConnection::CopyWon(f[2]));
                    if (o == byNumber.end() || menu == menus.cend())
                        return true;
                    ServerOrder& order = orders[size_t(o->second)];
                    if (order.lines == 0)
                        order.firstLine = qint32(lines.size());
                    lines.push_back({o->second, *menu, DbConnection::CopyWon(f[3]),
                                     DbConnection::CopyWon(f[4]), DbConnection::CopyWon(f[5])});
                    ++order.lines;
                    return true;
                },
                &error) ||
            halted) {
            // Rolled back with the transaction; the build starts again from the openings.
            return unordered ? Outcome::NotHere : Outcome::Failed;
        }
    }
    for (; written < daysInTurn.size(); ++written) {
        if (!writeDay(daysInTurn[written]))
            return Outcome::Failed;
    }
    if (!paymentsBefore(nullptr) || !writer.flush(error))
        return Outcome::Failed;
    if (!t.commit()) {
        error = t.error();
        return Outcome::Failed;
    }
    result.rows = writer.rows();
    return Outcome::Done;
}
} // namespace

BuildResult Build(DbConnection& main, DbConnection& report, const QString& d1, const QString& d2,
                  const QString& store, const Progress& progress, Ledger* ledger)
{
    BuildResult result;
    if (!clearWorkTable(report, result.error))
        return result;
    Ledger built;
    Ledger::Data& d = built.data();
    if (!readOpenings(main, d1, store, d, result.error))
        return result;
    Outcome outcome = buildOnServer(main, report, d1, d2, store, progress, d, result);
    if (outcome == Outcome::NotHere)
        outcome = buildFromFile(main, report, d1, d2, store, progress, d, result);
    if (outcome == Outcome::NotHere) {
        // Whatever that way counted is undone (its writing was rolled back); the same stores and openings go
        // the other way.
        result = {};
        for (Store& s : d.stores) {
            s.lines.clear();
            s.open = false;
            s.day = -1;
            s.dayStart = 0;
        }
        d.totals = {};
        d.seq = 0;
        if (!buildStreamed(main, report, d1, d2, store, progress, d, result))
            return result; // rolled back: the table stays as cleared
    } else if (outcome == Outcome::Failed) {
        return result;
    }
    d.finish();
    result.ok = true;
    result.totals = d.totals;
    if (ledger)
        *ledger = std::move(built);
    return result;
}

BuildResult Build(DbConnection& main, DbConnection& report, const QString& d1, const QString& d2,
                  const QString& store, const Progress& progress, std::vector<ReportRow>* rows)
{
    Ledger ledger;
    const BuildResult result = Build(main, report, d1, d2, store, progress, &ledger);
    if (rows && result.ok)
        *rows = ledger.Rows();
    return result;
}

bool Read(DbConnection& report, SortBy sort, Ledger& ledger, ErrInfo* error)
{
    ErrInfo e;
    Ledger read;
    Ledger::Data& d = read.data();
    // 순번 is the running order within each store: a store's carried-forward row was written first.
    const QString sql = QStringLiteral("SELECT 순번, 가맹점코드, 상호, 일자, 메뉴명, 수량, 할인액, 수수료, "
                                       "입금액, 잔액 FROM 매출대입금 ORDER BY 순번");
    sqlite3* db = sqliteHandle(report);
    const std::optional<ErrInfo> fault = report.injectedFault(sql);
    if (!db || fault) {
        e = fault ? *fault : ErrInfo{-1, QStringLiteral("레포트DB가 열려 있지 않습니다.")};
        if (error)
            *error = e;
        return false;
    }
    Statement st;
    if (!st.prepare(db, sql.toUtf8(), e)) {
        if (error)
            *error = e;
        return false;
    }
    const auto text = [&](int c) {
        return QByteArray::fromRawData(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), c)),
                                       sqlite3_column_bytes(st.get(), c));
    };
    const auto number = [&](int c) {
        return sqlite3_column_type(st.get(), c) == SQLITE_INTEGER
                   ? sqlite3_column_int64(st.get(), c)
                   : qint64(std::llround(sqlite3_column_double(st.get(), c)));
    };
    int rc;
    int lastStore = -1;
    QByteArray lastCode;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        const QByteArray code = text(1);
        if (lastStore < 0 || code != lastCode) {
            const QByteArray name = text(2);
            lastStore = d.store(code.constData(), int(code.size()), name.constData(), int(name.size()));
            lastCode = QByteArray(code.constData(), code.size());
        }
        Line l;
        const QByteArray date = text(3), menu = text(4);
        l.date = d.intern(date);
        l.menu = d.intern(menu);
        l.quantity = sqlite3_column_int64(st.get(), 5);
        l.discount = number(6);
        l.commission = number(7);
        l.payment = number(8);
        l.balance = number(9);
        l.last = sqlite3_column_int64(st.get(), 0);
        l.kind = l.date == d.carriedDate                                           ? Kind::Carried
                 : l.menu == d.paymentMenu && l.quantity == 0 && l.commission == 0 ? Kind::Payment
                                                                                   : Kind::Commission;
        d.row(lastStore, l);
    }
    if (rc != SQLITE_DONE) {
        if (error)
            *error = sqliteError(db, rc);
        return false;
    }
    d.finish();
    d.sort(sort);
    ledger = std::move(read);
    return true;
}

bool Read(DbConnection& report, SortBy sort, std::vector<ReportRow>& rows, Totals* totals, ErrInfo* error)
{
    rows.clear();
    Ledger ledger;
    if (!Read(report, sort, ledger, error))
        return false;
    rows = ledger.Rows();
    if (totals)
        *totals = ledger.totals();
    return true;
}

QStringList BuildSelects(DbConnection& main, const QString& d1, const QString& d2, const QString& store)
{
    sqlite3* db = sqliteHandle(main);
    if (!db)
        return {};
    // The build runs its statements without throwaway indexes.
    QStringList out{QStringLiteral("PRAGMA automatic_index = OFF")};
    const SqlDialect& dialect = main.dialect();
    out << dialect.translate(storesSql(store));
    for (const QString& sql : openingSql(main, d1, store))
        out << dialect.translate(sql);
    const bool one = !store.isEmpty();
    const auto literal = [](const QByteArray& v) {
        return QByteArray("'") + QByteArray(v).replace("'", "''") + "'";
    };
    const auto bound = [&](QByteArray sql, const QList<QByteArray>& values) {
        for (qsizetype i = values.size(); i >= 1; --i)
            sql.replace("?" + QByteArray::number(i), literal(values.at(i - 1)));
        return sql;
    };
    const QByteArray first = d1.toUtf8(), last = d2.toUtf8(), code = store.toUtf8();
    const QByteArray commissions = commissionSelect("main", one);
    const QByteArray payments = paymentSelect("main", one);
    ErrInfo e;
    const auto next = [&](int pay, bool strictly, const QByteArray& from, QByteArray& into) {
        QList<QByteArray> values{from, last};
        if (one)
            values << code;
        const QByteArray sql = bound(nextDaySelect("main", pay, one, strictly), values);
        out << QString::fromUtf8(sql);
        Statement st;
        return st.prepare(db, sql, e) && st.text(into, e);
    };
    QByteArray day, upcoming[2];
    for (int pay = 0; pay < 2; ++pay) {
        if (!next(pay, false, first, upcoming[pay]))
            return out;
    }
    while (!upcoming[0].isEmpty() || !upcoming[1].isEmpty()) {
        day = upcoming[0].isEmpty()                                                    ? upcoming[1]
              : upcoming[1].isEmpty()                                                  ? upcoming[0]
              : sqlite3_stricmp(upcoming[0].constData(), upcoming[1].constData()) <= 0 ? upcoming[0]
                                                                                       : upcoming[1];
        QList<QByteArray> values{day};
        if (one)
            values << code;
        out << QString::fromUtf8(bound(commissions, values)) << QString::fromUtf8(bound(payments, values));
        for (int pay = 0; pay < 2; ++pay) {
            if (upcoming[pay] == day && !next(pay, true, day, upcoming[pay]))
                return out;
        }
    }
    return out;
}

} // namespace StoreLedger
