#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <functional>

// Context handed to every benchmark: the generated installation to run on and the command line.
struct BenchContext
{
    QString home; // program folder of a generated installation (may be empty for self-contained benches)
    QString mainDbFile; // its main database file
    QStringList args;
};

using BenchFn = std::function<void(BenchContext&)>;

struct BenchRegistrar
{
    BenchRegistrar(const char* name, BenchFn fn);
};

// One result line: our layer's time beside the raw SQLite C API time (rawMs < 0 when there is none).
void BenchReport(const QString& operation, double ourMs, double rawMs = -1, const QString& note = {});

// Median of `runs` timings of fn in milliseconds.
double BenchMedianMs(int runs, const std::function<void()>& fn);

// Program folder of an installation generated once per run with that many customers and stores (and the
// days of 3,000 orders the database benches use), shared by every bench that asks; empty on failure.
QString BenchGeneratedHome(int customers, int stores);

// Points the program folder at home and the seat's settings at settingsFolder, and opens the main database;
// false, said on stderr, when it cannot be opened.
bool BenchOpenHome(const QString& home, const QString& settingsFolder);

// A field of this process's memory status in KiB ("VmRSS:", "VmHWM:"); -1 when unknown.
qint64 BenchMemoryKb(const char* field);

#define ZK_BENCH_CAT2(a, b) a##b
#define ZK_BENCH_CAT(a, b) ZK_BENCH_CAT2(a, b)
#define ZK_BENCH(name)                                                                                       \
    static void ZK_BENCH_CAT(zkBench_, __LINE__)(BenchContext&);                                             \
    static BenchRegistrar ZK_BENCH_CAT(zkBenchReg_, __LINE__)(name, ZK_BENCH_CAT(zkBench_, __LINE__));       \
    static void ZK_BENCH_CAT(zkBench_, __LINE__)(BenchContext & ctx)
