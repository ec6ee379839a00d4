// Database hot paths: the customer picker's telephone search, the next order number and a relative balance
// posting, each beside the same SQL run straight through the SQLite C API.
//
// Without --home the installations are generated into a temporary folder (ZK_BENCH_DAYS sets the days of
// 3,000 orders each, default 7).
#include "Bench.h"

#include "app/Clock.h"
#include "app/install/DbTool.h"
#include "app/install/DemoData.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>

namespace {

constexpr int kOrdersPerDay = 3000;
const QString kPhoneSql =
    QStringLiteral("SELECT * FROM 고객 WHERE (전화1 LIKE '%5678' OR 전화2 LIKE '%5678' OR "
                   "전화3 LIKE '%5678' OR 전화4 LIKE '%5678') ORDER BY 주소1, 주소2");

struct Installation
{
    QString mainFile;
    qint64 customers = 0;
    QString home;
};

QTemporaryDir& scratch()
{
    static QTemporaryDir dir(BenchScratch() + QStringLiteral("/generated-XXXXXX"));
    return dir;
}

int benchDays()
{
    const int days = qEnvironmentVariableIntValue("ZK_BENCH_DAYS");
    return days > 0 ? days : 7;
}

// Generates an installation once per run and reports how long that took.
const Installation* generated(int customers, int stores)
{
    static std::map<int, Installation> made;
    if (auto it = made.find(customers); it != made.end())
        return &it->second;
    if (!scratch().isValid())
        return nullptr;
    const QString home = scratch().path() + QStringLiteral("/c%1").arg(customers);
    DbTool::DemoOptions o;
    o.demo = true;
    o.customers = customers;
    o.stores = stores;
    o.days = benchDays();
    o.ordersPerDay = kOrdersPerDay;
    QElapsedTimer t;
    t.start();
    QString error;
    if (!DbTool::Create(home, o, &error)) {
        std::fprintf(stderr, "generation failed: %s\n", qUtf8Printable(error));
        return nullptr;
    }
    const double genMs = t.nsecsElapsed() / 1e6;
    Installation inst{home + QStringLiteral("/DBS/dbMain.mdb"), customers, home};
    const qint64 bytes = QFileInfo(inst.mainFile).size();
    BenchReport(QStringLiteral("generate %L1 customers, %2 stores, %3 days x %L4 orders")
                    .arg(customers)
                    .arg(stores)
                    .arg(o.days)
                    .arg(kOrdersPerDay),
                genMs, -1, QStringLiteral("%1 MB").arg(bytes / 1048576));
    t.restart();
    QString report;
    const bool ok = DemoData::CheckInvariants(inst.mainFile, &report);
    BenchReport(QStringLiteral("  check running totals and line arithmetic"), t.nsecsElapsed() / 1e6, -1,
                ok ? QStringLiteral("ok")
                   : QStringLiteral("FAILED: ") + report.section(QLatin1Char('\n'), 0, 2));
    return &(made[customers] = inst);
}

// The installations to measure: the one given with --home, or generated ones.
std::vector<Installation> installations(BenchContext& ctx, bool both)
{
    if (!ctx.mainDbFile().isEmpty())
        return {Installation{ctx.mainDbFile(), -1, ctx.home()}};
    std::vector<Installation> out;
    if (const Installation* small = generated(100000, 50))
        out.push_back(*small);
    if (both) {
        if (const Installation* big = generated(1000000, 200))
            out.push_back(*big);
    }
    return out;
}

// The same statements on a plain SQLite handle, set up as our connections are.
class RawDb
{
public:
    explicit RawDb(const QString& file)
    {
        if (sqlite3_open_v2(file.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            sqlite3_close(m_db);
            m_db = nullptr;
            return;
        }
        exec("PRAGMA foreign_keys = ON");
        exec("PRAGMA busy_timeout = 15000");
        exec("PRAGMA journal_mode = WAL");
        exec("PRAGMA synchronous = FULL");
    }
    ~RawDb() { sqlite3_close(m_db); }
    bool ok() const { return m_db != nullptr; }

    void exec(const char* sql) { sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr); }

    // Prepares, steps through every row reading every column, finalizes; returns the row count.
    int query(const QByteArray& sql)
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK)
            return -1;
        int rows = 0;
        volatile qint64 sink = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            ++rows;
            const int n = sqlite3_column_count(st);
            for (int i = 0; i < n; ++i) {
                switch (sqlite3_column_type(st, i)) {
                case SQLITE_INTEGER:
                    sink = sink + sqlite3_column_int64(st, i);
                    break;
                case SQLITE_FLOAT:
                    sink = sink + qint64(sqlite3_column_double(st, i));
                    break;
                case SQLITE_TEXT:
                    sink = sink + sqlite3_column_bytes(st, i) + (sqlite3_column_text(st, i) != nullptr);
                    break;
                default:
                    break;
                }
            }
        }
        sqlite3_finalize(st);
        return rows;
    }

    int change(const QByteArray& sql)
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK)
            return -1;
        const int rc = sqlite3_step(st);
        sqlite3_finalize(st);
        return rc == SQLITE_DONE ? sqlite3_changes(m_db) : -1;
    }

    QString plan(const QByteArray& sql)
    {
        sqlite3_stmt* st = nullptr;
        const QByteArray explain = "EXPLAIN QUERY PLAN " + sql;
        if (sqlite3_prepare_v2(m_db, explain.constData(), -1, &st, nullptr) != SQLITE_OK)
            return {};
        QStringList steps;
        while (sqlite3_step(st) == SQLITE_ROW)
            steps << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 3)));
        sqlite3_finalize(st);
        return steps.join(QStringLiteral("; "));
    }

private:
    sqlite3* m_db = nullptr;
};

bool openMain(const QString& file)
{
    ErrInfo e;
    if (gMainConn.open(file, false, &e))
        return true;
    std::fprintf(stderr, "cannot open %s: %s\n", qUtf8Printable(file), qUtf8Printable(e.description));
    return false;
}

QString sizeLabel(const Installation& inst)
{
    const qint64 n = inst.customers >= 0
                         ? inst.customers
                         : GetFirstValue(QStringLiteral("SELECT COUNT(*) FROM 고객")).toLongLong();
    return QStringLiteral("%L1 customers").arg(n);
}
} // namespace

QString BenchGeneratedHome(int customers, int stores)
{
    const Installation* inst = generated(customers, stores);
    return inst ? inst->home : QString();
}

ZK_BENCH("db: customer telephone search")
{
    for (const Installation& inst : installations(ctx, true)) {
        if (!openMain(inst.mainFile))
            continue;
        const QString label = sizeLabel(inst);
        int rows = 0;
        const double ours = BenchMedianMs(7, [&] {
            Recordset rs;
            rows = OpenQuery(rs, kPhoneSql);
        });
        const QByteArray sql = gMainConn.dialect().translate(kPhoneSql).toUtf8();
        gMainConn.close();
        RawDb raw(inst.mainFile);
        if (!raw.ok())
            continue;
        const double direct = BenchMedianMs(7, [&] { raw.query(sql); });
        BenchReport(QStringLiteral("OpenQuery phone LIKE '%5678', %1").arg(label), ours, direct,
                    QStringLiteral("%1 rows; %2").arg(rows).arg(raw.plan(sql)));
        // The planner walks the whole table in address order to save a sort of a few hundred rows; the same
        // query with the address index ruled out for the ordering shows what that costs.
        QByteArray sorted = sql;
        sorted.replace("ORDER BY 주소1", "ORDER BY +주소1");
        const double plain = BenchMedianMs(7, [&] { raw.query(sorted); });
        BenchReport(QStringLiteral("  raw, same query with ORDER BY +주소1"), plain, -1, raw.plan(sorted));
    }
}

ZK_BENCH("db: next order number")
{
    for (const Installation& inst : installations(ctx, false)) {
        if (!openMain(inst.mainFile))
            continue;
        // The busiest day of the installation; generated ones have 3,000 orders on each day.
        const QString day = GetFirstValue(QStringLiteral("SELECT 주문일자 FROM 주문 GROUP BY 주문일자 "
                                                         "ORDER BY COUNT(*) DESC, 주문일자 DESC"))
                                .toString();
        const int orders = GetFirstValue(QStringLiteral("SELECT COUNT(*) FROM 주문 WHERE 주문일자 = '") +
                                         day + QLatin1Char('\''))
                               .toInt();
        const QString prefix =
            QDate::fromString(day, QStringLiteral("yyyy-MM-dd")).toString(QStringLiteral("yyMMdd")) +
            QLatin1Char('1');
        QString next;
        const double ours = BenchMedianMs(
            201, [&] { next = NextCode(QStringLiteral("주문"), QStringLiteral("주문번호"), 10, prefix); });
        const QByteArray sql =
            gMainConn.dialect()
                .translate(QStringLiteral("SELECT MAX(주문번호) FROM 주문 WHERE 주문번호 LIKE '") + prefix +
                           QStringLiteral("%'"))
                .toUtf8();
        gMainConn.close();
        RawDb raw(inst.mainFile);
        if (!raw.ok())
            continue;
        const double direct = BenchMedianMs(201, [&] { raw.query(sql); });
        BenchReport(QStringLiteral("NextCode 주문번호 on a day of %L1 orders").arg(orders), ours, direct,
                    QStringLiteral("→ %1; %2").arg(next, raw.plan(sql)));
    }
}

ZK_BENCH("db: relative balance update")
{
    constexpr int kRuns = 101;
    for (const Installation& inst : installations(ctx, false)) {
        if (!openMain(inst.mainFile))
            continue;
        RawDb raw(inst.mainFile);
        if (!raw.ok())
            continue;
        const QString code = GetFirstValue(QStringLiteral("SELECT MIN(코드) FROM 가맹점")).toString();
        const QString sql = QStringLiteral("UPDATE 가맹점 SET 현잔액 = 현잔액 + 7 WHERE 코드 = '") +
                            SQLQuote(code) + QLatin1Char('\'');
        const QByteArray rawSql = gMainConn.dialect().translate(sql).toUtf8();
        // Every commit waits for the disk, whose delay drifts; the three ways take turns so they meet the
        // same disk.
        std::vector<double> autocommit, wrapped, direct;
        auto timed = [](std::vector<double>& into, const std::function<void()>& fn) {
            QElapsedTimer t;
            t.start();
            fn();
            into.push_back(t.nsecsElapsed() / 1e6);
        };
        for (int i = 0; i < kRuns; ++i) {
            timed(autocommit, [&] { ExecSQL(sql); });
            timed(wrapped, [&] {
                DbTransaction t(gMainConn);
                ExecSQL(sql);
                t.commit();
            });
            timed(direct, [&] { raw.change(rawSql); });
        }
        gMainConn.close();
        // Give the balance back so the installation still agrees with its rows.
        raw.change(QStringLiteral("UPDATE 가맹점 SET 현잔액 = 현잔액 - %1 WHERE 코드 = '%2'")
                       .arg(7 * 3 * kRuns)
                       .arg(SQLQuote(code))
                       .toUtf8());
        auto median = [](std::vector<double> v) {
            std::sort(v.begin(), v.end());
            return v[v.size() / 2];
        };
        BenchReport(QStringLiteral("ExecSQL balance += 7 (own transaction, synchronous=FULL)"),
                    median(autocommit), median(direct), QStringLiteral("store %1").arg(code));
        BenchReport(QStringLiteral("DbTransaction { ExecSQL balance += 7 } commit"), median(wrapped),
                    median(direct));
    }
}
