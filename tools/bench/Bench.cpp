#include "Bench.h"

#include "app/AppPaths.h"
#include "app/UserSettings.h"
#include "db/CustomerPhoneDigits.h"
#include "db/MduAdoDB.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
std::vector<std::pair<QString, BenchFn>>& registry()
{
    static std::vector<std::pair<QString, BenchFn>> r;
    return r;
}

// What the interrupt handler removes and drops, prepared beforehand: a handler may only use what is
// async-signal-safe (fork, exec, wait).
char g_scratch[4096];
char g_psqlConn[4096];
char g_psqlSql[512];

void runAndWait(const char* program, char* const argv[])
{
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(program, argv);
        _exit(127);
    }
    if (pid > 0) {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

extern "C" void onInterrupt(int sig)
{
    static volatile sig_atomic_t once = 0;
    if (once)
        return;
    once = 1;
    static const char said[] = "\nzelkova-bench: interrupted, removing its temporary files\n";
    (void)!write(2, said, sizeof said - 1);
    if (g_psqlConn[0]) {
        char* argv[] = {const_cast<char*>("psql"),
                        const_cast<char*>("-q"),
                        const_cast<char*>("-d"),
                        g_psqlConn,
                        const_cast<char*>("-c"),
                        g_psqlSql,
                        nullptr};
        runAndWait("psql", argv);
    }
    if (g_scratch[0]) {
        char* argv[] = {const_cast<char*>("rm"), const_cast<char*>("-rf"), const_cast<char*>("--"), g_scratch,
                        nullptr};
        runAndWait("rm", argv);
    }
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

bool copyText(char* into, size_t size, const QByteArray& text)
{
    if (size_t(text.size()) + 1 > size)
        return false;
    std::memcpy(into, text.constData(), size_t(text.size()));
    into[text.size()] = '\0';
    return true;
}

QString range(const std::vector<double>& v)
{
    if (v.empty())
        return QStringLiteral("-");
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    const auto num = [](double ms) { return QString::number(ms, 'f', ms < 10 ? 2 : ms < 100 ? 1 : 0); };
    return num(*lo) + QLatin1Char('/') + num(BenchMedian(v)) + QLatin1Char('/') + num(*hi);
}
} // namespace

BenchRegistrar::BenchRegistrar(const char* name, BenchFn fn)
{
    registry().emplace_back(QString::fromUtf8(name), std::move(fn));
}

std::vector<std::pair<QString, BenchFn>>& BenchAll()
{
    return registry();
}

QString BenchScratch()
{
    static QString folder;
    if (!folder.isEmpty())
        return folder;
    QString base = qEnvironmentVariable("TMPDIR");
    if (base.isEmpty())
        base = QStringLiteral("/tmp");
    const QByteArray pattern =
        QFile::encodeName(base + QStringLiteral("/zelkova-bench-%1-XXXXXX").arg(getpid()));
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) {
        std::fprintf(stderr, "cannot make a temporary folder under %s\n", qUtf8Printable(base));
        std::exit(2);
    }
    folder = QFile::decodeName(buf.data());
    copyText(g_scratch, sizeof g_scratch, QFile::encodeName(folder));
    struct sigaction sa
    {
    };
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sig, &sa, nullptr);
    // Every QTemporaryDir and QTemporaryFile of the benches lands inside it, and so do the program's lock
    // files where the session has no runtime folder of its own.
    qputenv("TMPDIR", QFile::encodeName(folder));
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray runtime = QFile::encodeName(folder + QStringLiteral("/runtime"));
        if (mkdir(runtime.constData(), 0700) == 0)
            qputenv("XDG_RUNTIME_DIR", runtime);
    }
    return folder;
}

void BenchRemoveScratch()
{
    if (g_scratch[0]) {
        std::error_code ec;
        std::filesystem::remove_all(g_scratch, ec);
        g_scratch[0] = '\0';
    }
}

void BenchDropOnInterrupt(const QString& connectionString, const QString& database)
{
    const QByteArray sql =
        QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(database).toUtf8();
    if (!copyText(g_psqlSql, sizeof g_psqlSql, sql) ||
        !copyText(g_psqlConn, sizeof g_psqlConn, connectionString.toUtf8()))
        g_psqlConn[0] = '\0';
}

void BenchForgetDropOnInterrupt()
{
    g_psqlConn[0] = '\0';
}

QString BenchContext::home()
{
    if (givenHome.isEmpty() || m_copied)
        return m_copy;
    m_copied = true;
    // The main database is the bulk; its -shm belongs to the connections of the given folder.
    const std::filesystem::path from(QFile::encodeName(givenHome).constData());
    const QString target = BenchScratch() + QStringLiteral("/home");
    const std::filesystem::path to(QFile::encodeName(target).constData());
    QElapsedTimer t;
    t.start();
    qint64 bytes = 0;
    std::error_code ec;
    std::filesystem::create_directories(to, ec);
    for (auto it = std::filesystem::recursive_directory_iterator(from, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        const std::filesystem::path rel = std::filesystem::relative(it->path(), from, ec);
        if (it->is_directory()) {
            std::filesystem::create_directories(to / rel, ec);
        } else if (it->is_regular_file() && !it->path().string().ends_with("-shm")) {
            std::filesystem::copy_file(it->path(), to / rel, ec);
            bytes += qint64(it->file_size());
        }
        if (ec)
            break;
    }
    if (ec) {
        std::fprintf(stderr, "cannot copy %s: %s\n", qUtf8Printable(givenHome), ec.message().c_str());
        return m_copy;
    }
    m_copy = target;
    BenchReport(QStringLiteral("copy of the installation to work on (%L1 MB)").arg(bytes >> 20),
                double(t.nsecsElapsed()) / 1e6, -1, target);
    return m_copy;
}

QString BenchContext::mainDbFile()
{
    const QString h = home();
    return h.isEmpty() ? QString() : h + QStringLiteral("/DBS/dbMain.mdb");
}

void BenchReport(const QString& operation, double ourMs, double rawMs, const QString& note)
{
    if (rawMs >= 0)
        std::printf("%-58s %10.2f ms  raw %9.2f ms  x%5.2f  %s\n", qUtf8Printable(operation), ourMs, rawMs,
                    rawMs > 0 ? ourMs / rawMs : 0.0, qUtf8Printable(note));
    else
        std::printf("%-58s %10.2f ms  %s\n", qUtf8Printable(operation), ourMs, qUtf8Printable(note));
    std::fflush(stdout);
}

void BenchFigure(const QString& operation, const std::vector<double>& ours, const std::vector<double>& raw,
                 const BenchGoal& goal, const QString& note)
{
    const double o = BenchMedian(ours), r = BenchMedian(raw);
    const double ratio = !raw.empty() && r > 0 ? o / r : 0;
    QStringList goals;
    bool met = goal.otherMet;
    if (goal.maxRatio > 0) {
        goals << QStringLiteral("≤ %1 × raw").arg(goal.maxRatio);
        met = met && ratio > 0 && ratio <= goal.maxRatio;
    }
    if (goal.capMs > 0) {
        goals << (goal.capMs >= 1000 ? QStringLiteral("≤ %1 s").arg(goal.capMs / 1000)
                                     : QStringLiteral("< %1 ms").arg(goal.capMs));
        met = met && o <= goal.capMs;
    }
    if (!goal.other.isEmpty())
        goals << goal.other;
    std::printf("%-52s ours %-16s ms  raw %-16s ms  x%-5s goal %s: %s%s%s\n", qUtf8Printable(operation),
                qUtf8Printable(range(ours)), qUtf8Printable(range(raw)),
                ratio > 0 ? qUtf8Printable(QString::number(ratio, 'f', 2)) : "-",
                qUtf8Printable(goals.join(QStringLiteral(", "))), met ? "met" : "MISSED",
                note.isEmpty() ? "" : "  ", qUtf8Printable(note));
    std::fflush(stdout);
}

double BenchTimeMs(const std::function<void()>& fn)
{
    QElapsedTimer t;
    t.start();
    fn();
    return double(t.nsecsElapsed()) / 1e6;
}

double BenchMedian(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

double BenchMedianMs(int runs, const std::function<void()>& fn)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(BenchTimeMs(fn));
    return BenchMedian(times);
}

bool BenchOpenHome(const QString& home, const QString& settingsFolder)
{
    AppPaths::SetProgramFolder(home);
    UserSettings::SetFolder(settingsFolder);
    ErrInfo e;
    if (gMainConn.open(AppPaths::ProgramPath(QStringLiteral("DBS/dbMain.mdb")), false, &e))
        return true;
    std::fprintf(stderr, "%s\n", qUtf8Printable(e.description));
    return false;
}

qint64 BenchMemoryKb(const char* field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

void BenchResetPeakMemory()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

QString BenchLoad()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    const QList<QByteArray> parts = f.readAll().split(' ');
    return QStringLiteral("load %1 %2 %3")
        .arg(QString::fromLatin1(parts.value(0)), QString::fromLatin1(parts.value(1)),
             QString::fromLatin1(parts.value(2)));
}

BenchRawDb::BenchRawDb(const QString& file, bool mapped)
{
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        std::fprintf(stderr, "raw: cannot open %s\n", qUtf8Printable(file));
        sqlite3_close(m_db);
        m_db = nullptr;
        return;
    }
    for (const char* pragma : {"PRAGMA foreign_keys = ON", "PRAGMA busy_timeout = 15000"})
        sqlite3_exec(m_db, pragma, nullptr, nullptr, nullptr);
    if (mapped)
        sqlite3_exec(m_db, "PRAGMA mmap_size = 134217728", nullptr, nullptr, nullptr);
    // The program's own functions, which its statements call, as on its file connections.
    RegisterPhoneDigitsFunction(m_db);
}

BenchRawDb::~BenchRawDb()
{
    sqlite3_close(m_db);
}

qint64 BenchRawDb::Step(const QStringList& statements)
{
    qint64 rows = 0;
    for (const QString& text : statements) {
        const QByteArray sql = text.toUtf8();
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "raw: %s\n  in %s\n", sqlite3_errmsg(m_db), sql.constData());
            return -1;
        }
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            ++rows;
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE) {
            std::fprintf(stderr, "raw: %s\n", sqlite3_errmsg(m_db));
            return -1;
        }
    }
    return rows;
}

double BenchRawDb::StepMs(const QStringList& statements, qint64* rows)
{
    qint64 n = 0;
    const double ms = BenchTimeMs([&] { n = Step(statements); });
    if (rows)
        *rows = n;
    return ms;
}
