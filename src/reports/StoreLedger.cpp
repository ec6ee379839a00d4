#include "reports/StoreLedger.h"

#include "db/DbConnection.h"
#include "db/StoreDailySums.h"
#include "db/modDBQuery.h"
#include "ui/TextUtil.h"

#include <QDate>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>

namespace StoreLedger {

namespace {
// Money columns are whole won; a stray fraction in old data is rounded, never carried along in binary.
qint64 won(const QVariant& v)
{
    return v.isNull() ? 0 : qint64(std::llround(v.toDouble()));
}

QString storeCondition(const QString& column, const QString& store)
{
    return store.isEmpty() ? QString()
                           : QStringLiteral(" AND ") + column + QStringLiteral(" = ") + SQLLiteral(store);
}

Kind kindOf(const QString& date, const QString& menu, qint64 quantity, qint64 commission)
{
    if (date == kCarriedForward)
        return Kind::Carried;
    return menu == kPaymentMenu && quantity == 0 && commission == 0 ? Kind::Payment : Kind::Commission;
}

QVariant shown(qint64 v, bool blankZero)
{
    return blankZero && v == 0 ? QVariant() : QVariant(v);
}

ReportRow gridRow(const Entry& e)
{
    const bool blank = e.kind != Kind::Commission;
    ReportRow row;
    row.tag = int(e.kind);
    row.cells = {e.store,
                 e.name,
                 e.date,
                 e.menu,
                 shown(e.quantity, blank),
                 shown(e.commission, blank),
                 shown(e.discount, blank),
                 shown(e.payment, blank),
                 e.balance};
    return row;
}

// SQLite's NOCASE order of texts (UTF-8 bytes, ASCII letters folded), as the report database sorts codes.
bool lessNoCase(const QString& a, const QString& b)
{
    const QByteArray x = a.toUtf8(), y = b.toUtf8();
    const qsizetype n = std::min(x.size(), y.size());
    for (qsizetype i = 0; i < n; ++i) {
        const uchar p = uchar(x[i]) < 0x80 ? uchar(QChar::toLower(uchar(x[i]))) : uchar(x[i]);
        const uchar q = uchar(y[i]) < 0x80 ? uchar(QChar::toLower(uchar(y[i]))) : uchar(y[i]);
        if (p != q)
            return p < q;
    }
    return x.size() < y.size();
}

// The ledger's grid rows from the work table's rows, given in running order within each store (stores may
// take turns): the rows of a store, date, kind and menu merged (sums, and the balance after the last of
// them) and ordered by their last movement, so a store's last row holds its closing balance. The stores
// follow one another in the order they first came, or by code when asked.
class LedgerRows
{
public:
    // seq: the row's place in the running order (its 순번).
    void Add(Entry e, qint64 seq)
    {
        e.kind = kindOf(e.date, e.menu, e.quantity, e.commission);
        auto it = m_stores.find(e.store);
        if (it == m_stores.end()) {
            m_order << e.store;
            it = m_stores.insert(e.store, {});
        }
        Store& s = *it;
        if (e.date != s.dayDate) {
            s.flushDay();
            s.dayDate = e.date;
        }
        if (e.kind == Kind::Carried)
            m_totals.carried += e.balance;
        s.lastBalance = e.balance;
        for (Merged& m : s.day) {
            if (m.entry.kind == e.kind && m.entry.menu == e.menu) {
                m.entry.quantity += e.quantity;
                m.entry.discount += e.discount;
                m.entry.commission += e.commission;
                m.entry.payment += e.payment;
                m.entry.balance = e.balance;
                m.last = seq;
                return;
            }
        }
        s.day.push_back({std::move(e), seq});
    }
    void SortStoresByCode() { std::stable_sort(m_order.begin(), m_order.end(), lessNoCase); }
    // The rows with the "[소 계]" rows and the "[합 계]" row.
    std::vector<ReportRow> Finish(Totals* totals)
    {
        std::vector<ReportRow> data;
        for (const QString& code : std::as_const(m_order)) {
            Store& s = m_stores[code];
            s.flushDay();
            m_totals.closing += s.lastBalance;
            std::move(s.rows.begin(), s.rows.end(), std::back_inserter(data));
        }
        m_stores.clear();
        std::vector<ReportRow> rows =
            WithTotals(std::move(data), ColStore, {ColQuantity, ColCommission, ColDiscount, ColPayment},
                       ColStore, ColBalance);
        ReportRow& total = rows.back();
        total.cells.resize(ColCount);
        total.cells[ColMenu] = QStringLiteral("이월: ") + FormatThousands(m_totals.carried);
        total.cells[ColBalance] = m_totals.closing;
        if (totals)
            *totals = m_totals;
        return rows;
    }

private:
    struct Merged
    {
        Entry entry;
        qint64 last = 0;
    };
    struct Store
    {
        std::vector<ReportRow> rows;
        std::vector<Merged> day;
        QString dayDate;
        qint64 lastBalance = 0;
        void flushDay()
        {
            std::sort(day.begin(), day.end(),
                      [](const Merged& a, const Merged& b) { return a.last < b.last; });
            for (const Merged& m : day)
                rows.push_back(gridRow(m.entry));
            day.clear();
        }
    };

    QHash<QString, Store> m_stores;
    QStringList m_order;
    Totals m_totals;
};

// Writes the work table's rows through prepared statements with bound values, many rows to a statement: the
// report database is always the seat's own SQLite file, and a year of lines is millions of rows.
class Writer
{
public:
    // Rows written are also given to the ledger rows when there are any.
    Writer(DbConnection& report, LedgerRows* rows) : m_ledgerRows(rows)
    {
        const QVariant handle = report.isOpen() ? report.database().driver()->handle() : QVariant();
        if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
            m_db = *static_cast<sqlite3* const*>(handle.data());
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
        const QByteArray insert =
            "INSERT INTO 매출대입금 (가맹점코드, 상호, 일자, 메뉴명, 수량, 단가, 할인액, "
            "수수료, 입금액, 잔액) VALUES ";
        const QByteArray row = "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
        QByteArrayList rows(kBatchRows, row);
        const QByteArray batch = insert + rows.join(", ");
        const QByteArray single = insert + row;
        return check(sqlite3_prepare_v2(m_db, batch.constData(), int(batch.size()), &m_batch, nullptr),
                     error) &&
               check(sqlite3_prepare_v2(m_db, single.constData(), int(single.size()), &m_single, nullptr),
                     error);
    }
    bool add(std::vector<Entry>& entries, ErrInfo& error)
    {
        for (Entry& e : entries) {
            m_pending.push_back(std::move(e));
            if (m_pending.size() == size_t(kBatchRows) && !flush(error))
                return false;
        }
        return true;
    }
    // Writes what is pending.
    bool flush(ErrInfo& error)
    {
        if (m_pending.size() == size_t(kBatchRows)) {
            int i = 0;
            for (const Entry& e : m_pending)
                i = bind(m_batch, i, e);
            if (!step(m_batch, error))
                return false;
        } else {
            for (const Entry& e : m_pending) {
                bind(m_single, 0, e);
                if (!step(m_single, error))
                    return false;
            }
        }
        for (Entry& e : m_pending) {
            ++m_rows;
            if (m_ledgerRows)
                m_ledgerRows->Add(std::move(e), m_rows);
        }
        m_pending.clear();
        return true;
    }
    qint64 rows() const { return m_rows; }

private:
    // Ten values to a row; a statement of this many rows stays far below the engine's parameter limit.
    static constexpr int kBatchRows = 100;

    // Binds a row's values after parameter i; returns the last parameter bound. The texts stay in m_pending
    // until the statement has run.
    static int bind(sqlite3_stmt* st, int i, const Entry& e)
    {
        for (const QString* text : {&e.store, &e.name, &e.date, &e.menu})
            sqlite3_bind_text16(st, ++i, text->utf16(), int(text->size() * 2), SQLITE_STATIC);
        for (qint64 v : {e.quantity, e.price, e.discount, e.commission, e.payment, e.balance})
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
        error = {rc, QString::fromUtf8(sqlite3_errmsg(m_db))};
        return false;
    }

    LedgerRows* m_ledgerRows = nullptr;
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_batch = nullptr;
    sqlite3_stmt* m_single = nullptr;
    std::vector<Entry> m_pending;
    qint64 m_rows = 0;
};

bool clearWorkTable(DbConnection& report, ErrInfo& error)
{
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

// Each store's balance at the start of the period: 기초잔액 + earlier commissions − earlier payments and
// discounts, summed by the database per store. Codes are case-blind in the tables (an order of "t04" belongs
// to store "T04"), so every sum is keyed by the store's own 코드 through the join, never by the text the
// order or payment happens to hold.
bool readOpenings(DbConnection& main, const QString& d1, const QString& store, QHash<QString, Opening>& out,
                  ErrInfo& error)
{
    QSqlQuery q;
    QString sql = QStringLiteral("SELECT 코드, 상호, 기초잔액 FROM 가맹점");
    if (!store.isEmpty())
        sql += QStringLiteral(" WHERE 코드 = ") + SQLLiteral(store);
    if (!main.query(sql, q, &error))
        return false;
    while (q.next())
        out.insert(q.value(0).toString(), {q.value(1).toString(), won(q.value(2))});

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
    if (!main.query(commissions, q, &error))
        return false;
    while (q.next()) {
        const auto it = out.find(q.value(0).toString());
        if (it != out.end())
            it->balance += won(q.value(1));
    }
    if (!main.query(QStringLiteral("SELECT 가맹점.코드, SUM(입금액 + 할인액) FROM 입금 INNER JOIN 가맹점 ON "
                                   "입금.가맹점코드 = 가맹점.코드 WHERE 입금일자 < ") +
                        before + storeCondition(QStringLiteral("입금.가맹점코드"), store) +
                        QStringLiteral(" GROUP BY 가맹점.코드"),
                    q, &error))
        return false;
    while (q.next()) {
        const auto it = out.find(q.value(0).toString());
        if (it != out.end())
            it->balance -= won(q.value(1));
    }
    return true;
}

// The movements of the period in running order: by date, a day's commissions (by order time, number and
// line) before its payments (by entry number), the stores taking turns. The engine reads the orders by their
// date (or, for one store, by store and date) index and sorts only within a time of day, so rows come at once
// and a long build can tell how far it has come.
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

// False with *cancelled when the progress callback asked to stop.
bool writeMovements(DbConnection& main, const QString& d1, const QString& d2, const QString& store,
                    BalanceRun& run, Writer& writer, const Progress& progress, bool* cancelled,
                    ErrInfo& error)
{
    const QDate first = QDate::fromString(d1, Qt::ISODate);
    const int days = std::max(int(first.daysTo(QDate::fromString(d2, Qt::ISODate))) + 1, 1);
    QSqlQuery q;
    if (!main.query(movementsSql(d1, d2, store), q, &error))
        return false;
    std::vector<Entry> out;
    // Repeated names share one copy: a year of lines holds few distinct texts.
    QSet<QString> texts;
    auto shared = [&texts](const QString& s) { return *texts.insert(s); };
    QString day;
    while (q.next()) {
        Entry e;
        e.store = shared(q.value(0).toString());
        e.date = shared(q.value(1).toString());
        if (e.date != day) {
            day = e.date;
            const int done = std::clamp(int(first.daysTo(QDate::fromString(day, Qt::ISODate))) + 1, 1, days);
            if (progress && !progress(done, days)) {
                *cancelled = true;
                return false;
            }
        }
        if (q.value(2).toInt() == 0) {
            e.kind = Kind::Commission;
            e.menu = shared(q.value(6).toString());
            e.quantity = q.value(7).toLongLong();
            e.price = won(q.value(8));
            e.commission = won(q.value(9));
        } else {
            e.kind = Kind::Payment;
            e.menu = kPaymentMenu;
            e.discount = won(q.value(10));
            e.payment = won(q.value(11));
        }
        out.clear();
        run.Add(std::move(e), out);
        if (!writer.add(out, error))
            return false;
    }
    if (q.lastError().isValid()) {
        error = DbConnection::errorFrom(q.lastError());
        return false;
    }
    return writer.flush(error);
}
} // namespace

void BalanceRun::Add(Entry movement, std::vector<Entry>& out)
{
    auto it = m_stores.find(movement.store);
    if (it == m_stores.end()) {
        const Opening opening = m_openings.value(movement.store);
        Entry carried;
        carried.kind = Kind::Carried;
        carried.store = movement.store;
        carried.name = opening.name;
        carried.date = kCarriedForward;
        carried.balance = opening.balance;
        m_carried += opening.balance;
        out.push_back(std::move(carried));
        it = m_stores.insert(movement.store, {opening.name, opening.balance});
    }
    if (movement.name.isEmpty())
        movement.name = it->name;
    if (movement.kind == Kind::Payment)
        it->balance -= movement.payment + movement.discount;
    else
        it->balance += movement.commission - movement.discount;
    movement.balance = it->balance;
    out.push_back(std::move(movement));
}

Totals BalanceRun::totals() const
{
    Totals t;
    t.carried = m_carried;
    for (const Running& r : m_stores)
        t.closing += r.balance;
    return t;
}

std::vector<Entry> RunBalances(const QHash<QString, Opening>& openings, const std::vector<Entry>& movements,
                               Totals& totals)
{
    BalanceRun run(openings);
    std::vector<Entry> out;
    for (const Entry& m : movements)
        run.Add(m, out);
    totals = run.totals();
    return out;
}

BuildResult Build(DbConnection& main, DbConnection& report, const QString& d1, const QString& d2,
                  const QString& store, const Progress& progress, std::vector<ReportRow>* rows)
{
    BuildResult result;
    if (!clearWorkTable(report, result.error))
        return result;
    QHash<QString, Opening> openings;
    if (!readOpenings(main, d1, store, openings, result.error))
        return result;
    BalanceRun run(std::move(openings));
    LedgerRows ledgerRows;
    {
        DbTransaction t(report);
        {
            Writer writer(report, rows ? &ledgerRows : nullptr);
            if (!writer.open(result.error) ||
                !writeMovements(main, d1, d2, store, run, writer, progress, &result.cancelled, result.error))
                return result; // rolled back: the table stays as cleared
            result.rows = writer.rows();
        }
        if (!t.commit()) {
            result.error = t.error();
            return result;
        }
    }
    result.ok = true;
    result.totals = run.totals();
    if (rows) {
        ledgerRows.SortStoresByCode();
        *rows = ledgerRows.Finish(nullptr);
    }
    return result;
}

bool Read(DbConnection& report, SortBy sort, std::vector<ReportRow>& rows, Totals* totals, ErrInfo* error)
{
    rows.clear();
    QSqlQuery q;
    // 순번 is the running order: each store's carried-forward row was written first.
    const QString order = sort == SortBy::Code ? QStringLiteral(" ORDER BY 가맹점코드, 순번")
                                               : QStringLiteral(" ORDER BY 상호, 가맹점코드, 순번");
    if (!report.query(
            QStringLiteral("SELECT 순번, 가맹점코드, 상호, 일자, 메뉴명, 수량, 할인액, 수수료, 입금액, "
                           "잔액 FROM 매출대입금") +
                order,
            q, error))
        return false;
    LedgerRows ledger;
    while (q.next()) {
        Entry e;
        e.store = q.value(1).toString();
        e.name = q.value(2).toString();
        e.date = q.value(3).toString();
        e.menu = q.value(4).toString();
        e.quantity = q.value(5).toLongLong();
        e.discount = won(q.value(6));
        e.commission = won(q.value(7));
        e.payment = won(q.value(8));
        e.balance = won(q.value(9));
        ledger.Add(std::move(e), q.value(0).toLongLong());
    }
    if (q.lastError().isValid()) {
        if (error)
            *error = DbConnection::errorFrom(q.lastError());
        return false;
    }
    rows = ledger.Finish(totals);
    return true;
}

} // namespace StoreLedger
