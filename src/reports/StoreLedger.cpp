#include "reports/StoreLedger.h"

#include "db/DbConnection.h"
#include "db/modDBQuery.h"
#include "ui/TextUtil.h"

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <cmath>

namespace StoreLedger {

namespace {
// Rows per INSERT statement: few statements, each far below the engine's statement size limit.
constexpr int kBatchRows = 200;

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

QString valuesOf(const Entry& e)
{
    return QStringLiteral("(%1, %2, %3, %4, %5, %6, %7, %8, %9, %10)")
        .arg(SQLLiteral(e.store), SQLLiteral(e.name), SQLLiteral(e.date), SQLLiteral(e.menu))
        .arg(e.quantity)
        .arg(e.price)
        .arg(e.discount)
        .arg(e.commission)
        .arg(e.payment)
        .arg(e.balance);
}

// Writes entries in multi-row INSERTs as they come.
class Writer
{
public:
    Writer(DbConnection& report, const Progress& progress) : m_report(report), m_progress(progress) {}
    bool add(const std::vector<Entry>& entries, ErrInfo& error)
    {
        for (const Entry& e : entries) {
            m_values << valuesOf(e);
            if (m_values.size() >= kBatchRows && !flush(error))
                return false;
        }
        return true;
    }
    bool flush(ErrInfo& error)
    {
        if (m_values.isEmpty())
            return true;
        const DbConnection::ExecResult r = m_report.exec(
            QStringLiteral("INSERT INTO 매출대입금 (가맹점코드, 상호, 일자, 메뉴명, 수량, 단가, 할인액, "
                           "수수료, 입금액, 잔액) VALUES ") +
            m_values.join(QStringLiteral(", ")));
        if (!r.ok) {
            error = r.error;
            return false;
        }
        m_rows += m_values.size();
        m_values.clear();
        if (m_progress)
            m_progress(m_rows);
        return true;
    }
    qint64 rows() const { return m_rows; }

private:
    DbConnection& m_report;
    const Progress& m_progress;
    QStringList m_values;
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
// discounts, summed by the database per store.
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
    // One store's orders come by its index; for all stores the lines are summed per order first, which reads
    // them in storage order instead of looking each order's lines up.
    const QString commissions =
        store.isEmpty()
            ? QStringLiteral(
                  "SELECT 주문.가맹점코드, SUM(d.수수료합) FROM (SELECT 주문번호, SUM(수수료) AS 수수료합 "
                  "FROM 주문내역 GROUP BY 주문번호) AS d INNER JOIN 주문 ON 주문.주문번호 = d.주문번호 "
                  "WHERE 주문일자 < ") +
                  before + QStringLiteral(" GROUP BY 주문.가맹점코드")
            : QStringLiteral(
                  "SELECT 주문.가맹점코드, SUM(수수료) FROM 주문 INNER JOIN 주문내역 ON 주문.주문번호 = "
                  "주문내역.주문번호 WHERE 주문일자 < ") +
                  before + storeCondition(QStringLiteral("주문.가맹점코드"), store) +
                  QStringLiteral(" GROUP BY 주문.가맹점코드");
    if (!main.query(commissions, q, &error))
        return false;
    while (q.next()) {
        const auto it = out.find(q.value(0).toString());
        if (it != out.end())
            it->balance += won(q.value(1));
    }
    if (!main.query(QStringLiteral("SELECT 가맹점코드, SUM(입금액 + 할인액) FROM 입금 WHERE 입금일자 < ") +
                        before + storeCondition(QStringLiteral("가맹점코드"), store) +
                        QStringLiteral(" GROUP BY 가맹점코드"),
                    q, &error))
        return false;
    while (q.next()) {
        const auto it = out.find(q.value(0).toString());
        if (it != out.end())
            it->balance -= won(q.value(1));
    }
    return true;
}

// The movements of the period store by store in running order: by date, a day's commissions (by order
// time and number) before its payments (by entry number).
QString movementsSql(const QString& d1, const QString& d2, const QString& store)
{
    const QString period =
        QStringLiteral(" BETWEEN ") + SQLLiteral(d1) + QStringLiteral(" AND ") + SQLLiteral(d2);
    return QStringLiteral("SELECT 주문.가맹점코드 AS 코드, 주문일자 AS 일자, 0 AS 구분, 주문시간 AS 시각, "
                          "주문.주문번호 AS 번호, 주문내역.순번 AS 줄, 메뉴명, 수량, 단가, 수수료, "
                          "0 AS 할인, 0 AS 입금 FROM (주문 INNER JOIN 주문내역 ON 주문.주문번호 = "
                          "주문내역.주문번호) INNER JOIN 취급메뉴 ON 주문내역.주문메뉴 = 취급메뉴.코드 "
                          "WHERE 주문일자") +
           period + storeCondition(QStringLiteral("주문.가맹점코드"), store) +
           QStringLiteral(" UNION ALL SELECT 가맹점코드, 입금일자, 1, '', '', 처리순번, '', 0, 0, 0, 할인액, "
                          "입금액 FROM 입금 WHERE 입금일자") +
           period + storeCondition(QStringLiteral("가맹점코드"), store) +
           QStringLiteral(" ORDER BY 1, 2, 3, 4, 5, 6");
}

bool writeMovements(DbConnection& main, const QString& d1, const QString& d2, const QString& store,
                    BalanceRun& run, Writer& writer, ErrInfo& error)
{
    QSqlQuery q;
    if (!main.query(movementsSql(d1, d2, store), q, &error))
        return false;
    std::vector<Entry> out;
    // Repeated names share one copy: a year of lines holds few distinct texts.
    QSet<QString> texts;
    auto shared = [&texts](const QString& s) { return *texts.insert(s); };
    while (q.next()) {
        Entry e;
        e.store = shared(q.value(0).toString());
        e.date = shared(q.value(1).toString());
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
    if (!m_started || movement.store != m_store) {
        if (m_started)
            m_done.closing += m_balance;
        m_started = true;
        m_store = movement.store;
        const Opening opening = m_openings.value(m_store);
        Entry carried;
        carried.kind = Kind::Carried;
        carried.store = m_store;
        carried.name = opening.name;
        carried.date = kCarriedForward;
        carried.balance = opening.balance;
        m_balance = opening.balance;
        m_done.carried += opening.balance;
        out.push_back(std::move(carried));
    }
    if (movement.name.isEmpty())
        movement.name = m_openings.value(m_store).name;
    if (movement.kind == Kind::Payment)
        m_balance -= movement.payment + movement.discount;
    else
        m_balance += movement.commission - movement.discount;
    movement.balance = m_balance;
    out.push_back(std::move(movement));
}

Totals BalanceRun::totals() const
{
    Totals t = m_done;
    if (m_started)
        t.closing += m_balance;
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
                  const QString& store, const Progress& progress)
{
    BuildResult result;
    if (!clearWorkTable(report, result.error))
        return result;
    QHash<QString, Opening> openings;
    if (!readOpenings(main, d1, store, openings, result.error))
        return result;
    BalanceRun run(std::move(openings));
    Writer writer(report, progress);
    {
        DbTransaction t(report);
        if (!writeMovements(main, d1, d2, store, run, writer, result.error))
            return result; // rolled back: the table stays as cleared
        if (!t.commit()) {
            result.error = t.error();
            return result;
        }
    }
    result.ok = true;
    result.totals = run.totals();
    result.rows = writer.rows();
    return result;
}

namespace {
struct Merged
{
    Entry entry;
    qint64 last = 0;
};

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
} // namespace

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

    Totals t;
    std::vector<ReportRow> data;
    std::vector<Merged> day;
    QString dayStore, dayDate;
    auto flushDay = [&] {
        std::sort(day.begin(), day.end(), [](const Merged& a, const Merged& b) { return a.last < b.last; });
        for (const Merged& m : day)
            data.push_back(gridRow(m.entry));
        day.clear();
    };
    QString lastStore;
    qint64 lastBalance = 0;
    while (q.next()) {
        Entry e;
        const qint64 seq = q.value(0).toLongLong();
        e.store = q.value(1).toString();
        e.name = q.value(2).toString();
        e.date = q.value(3).toString();
        e.menu = q.value(4).toString();
        e.quantity = q.value(5).toLongLong();
        e.discount = won(q.value(6));
        e.commission = won(q.value(7));
        e.payment = won(q.value(8));
        e.balance = won(q.value(9));
        e.kind = kindOf(e.date, e.menu, e.quantity, e.commission);
        if (e.store != dayStore || e.date != dayDate) {
            flushDay();
            dayStore = e.store;
            dayDate = e.date;
        }
        if (e.store != lastStore) {
            if (!lastStore.isEmpty())
                t.closing += lastBalance;
            lastStore = e.store;
        }
        if (e.kind == Kind::Carried)
            t.carried += e.balance;
        lastBalance = e.balance;
        auto same = std::find_if(day.begin(), day.end(), [&e](const Merged& m) {
            return m.entry.kind == e.kind && m.entry.menu == e.menu;
        });
        if (same == day.end()) {
            day.push_back({std::move(e), seq});
            continue;
        }
        same->entry.quantity += e.quantity;
        same->entry.discount += e.discount;
        same->entry.commission += e.commission;
        same->entry.payment += e.payment;
        same->entry.balance = e.balance;
        same->last = seq;
    }
    if (q.lastError().isValid()) {
        if (error)
            *error = DbConnection::errorFrom(q.lastError());
        return false;
    }
    flushDay();
    if (!lastStore.isEmpty())
        t.closing += lastBalance;

    rows = WithTotals(std::move(data), ColStore, {ColQuantity, ColCommission, ColDiscount, ColPayment},
                      ColStore, ColBalance);
    ReportRow& total = rows.back();
    total.cells.resize(ColCount);
    total.cells[ColMenu] = QStringLiteral("이월: ") + FormatThousands(t.carried);
    total.cells[ColBalance] = t.closing;
    if (totals)
        *totals = t;
    return true;
}

} // namespace StoreLedger
