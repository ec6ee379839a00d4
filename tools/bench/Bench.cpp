#include "Bench.h"

#include "app/AppPaths.h"
#include "app/UserSettings.h"
#include "db/MduAdoDB.h"

#include <QFile>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
std::vector<std::pair<QString, BenchFn>>& registry()
{
    static std::vector<std::pair<QString, BenchFn>> r;
    return r;
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

void BenchReport(const QString& operation, double ourMs, double rawMs, const QString& note)
{
    if (rawMs >= 0)
        std::printf("%-58s %10.2f ms  raw %9.2f ms  x%5.2f  %s\n", qUtf8Printable(operation), ourMs, rawMs,
                    rawMs > 0 ? ourMs / rawMs : 0.0, qUtf8Printable(note));
    else
        std::printf("%-58s %10.2f ms  %s\n", qUtf8Printable(operation), ourMs, qUtf8Printable(note));
    std::fflush(stdout);
}

double BenchMedianMs(int runs, const std::function<void()>& fn)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        fn();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
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
