#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// Context handed to every benchmark: the installation to run on and the command line.
class BenchContext
{
public:
    // The installation given with --home; the bench only ever reads it.
    QString givenHome;
    QStringList args;

    // The program folder to run on: a copy of the given installation in the bench's scratch folder, made
    // when a bench first asks (empty without --home). Benches write into it freely: their orders, indexes,
    // report databases, layouts and exports never reach the given one.
    QString home();
    // Its main database file.
    QString mainDbFile();

private:
    QString m_copy;
    bool m_copied = false;
};

using BenchFn = std::function<void(BenchContext&)>;

struct BenchRegistrar
{
    BenchRegistrar(const char* name, BenchFn fn);
};

// A plain SQLite handle on a database file, set up as the program's connections are (WAL, memory-mapped
// reads), for the raw figures: the program's own statements stepped to their end without their values.
class BenchRawDb
{
public:
    // mapped: reads through a memory map, as the main connection reads a file in WAL mode; the ledger's
    // attachment of the main file reads through the page cache.
    explicit BenchRawDb(const QString& file, bool mapped = true);
    ~BenchRawDb();
    BenchRawDb(const BenchRawDb&) = delete;
    BenchRawDb& operator=(const BenchRawDb&) = delete;
    bool ok() const { return m_db != nullptr; }
    // Steps each statement to its end, in order; the rows they gave, -1 when one failed (said on stderr).
    qint64 Step(const QStringList& statements);
    // Milliseconds of Step.
    double StepMs(const QStringList& statements, qint64* rows = nullptr);

private:
    struct sqlite3* m_db = nullptr;
};

// One result line: our layer's time beside the raw SQLite C API time (rawMs < 0 when there is none).
void BenchReport(const QString& operation, double ourMs, double rawMs = -1, const QString& note = {});

// What a figure is measured against: a ratio to raw, a cap in milliseconds (0 = none of either), and any
// other condition with its verdict (memory, say).
struct BenchGoal
{
    double maxRatio = 0;
    double capMs = 0;
    QString other;
    bool otherMet = true;
};

// One figure of several runs: ours and raw as min/median/max, the ratio of the medians, the goal and whether
// the medians meet it ("met" / "MISSED"). raw may be empty.
void BenchFigure(const QString& operation, const std::vector<double>& ours, const std::vector<double>& raw,
                 const BenchGoal& goal, const QString& note = {});

// Milliseconds of one call of fn.
double BenchTimeMs(const std::function<void()>& fn);

// Median of `runs` timings of fn in milliseconds.
double BenchMedianMs(int runs, const std::function<void()>& fn);

double BenchMedian(std::vector<double> v);

// The folder every bench makes its temporary files in (also TMPDIR); removed at the end of the run, and when
// the run is interrupted (SIGINT, SIGTERM, SIGHUP).
QString BenchScratch();

// Also when interrupted: drops this server database through psql (the bench's own copy on a server).
void BenchDropOnInterrupt(const QString& connectionString, const QString& database);
void BenchForgetDropOnInterrupt();

// Program folder of an installation generated once per run with that many customers and stores (and the
// days of 3,000 orders the database benches use), shared by every bench that asks; empty on failure.
QString BenchGeneratedHome(int customers, int stores);

// Points the program folder at home and the seat's settings at settingsFolder, and opens the main database;
// false, said on stderr, when it cannot be opened.
bool BenchOpenHome(const QString& home, const QString& settingsFolder);

// A field of this process's memory status in KiB ("VmRSS:", "VmHWM:"); -1 when unknown.
qint64 BenchMemoryKb(const char* field);
// Lets VmHWM start again from the present resident size, so a peak belongs to what follows.
void BenchResetPeakMemory();

// The seat process of the "live" bench: role, program folder, database location, day of the orders.
int BenchLiveSeat(const QStringList& args);

// "load 1.23 0.98 0.75" from /proc/loadavg.
QString BenchLoad();

#define ZK_BENCH_CAT2(a, b) a##b
#define ZK_BENCH_CAT(a, b) ZK_BENCH_CAT2(a, b)
#define ZK_BENCH(name)                                                                                       \
    static void ZK_BENCH_CAT(zkBench_, __LINE__)(BenchContext&);                                             \
    static BenchRegistrar ZK_BENCH_CAT(zkBenchReg_, __LINE__)(name, ZK_BENCH_CAT(zkBench_, __LINE__));       \
    static void ZK_BENCH_CAT(zkBench_, __LINE__)(BenchContext & ctx)
