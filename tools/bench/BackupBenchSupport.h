#pragma once

// What the backup and start-up benches share: a private copy of the installation to work on (the one given
// with --home is never written), the runs' figures as min/median/max, and the goal beside them.
#include "Bench.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace BackupBench {

// The runs of one figure.
struct Figures
{
    std::vector<double> values;
    void add(double v) { values.push_back(v); }
    bool empty() const { return values.empty(); }
    double min() const { return *std::min_element(values.begin(), values.end()); }
    double max() const { return *std::max_element(values.begin(), values.end()); }
    double median() const
    {
        std::vector<double> v = values;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
    // "1.23/1.30/1.41 s" (min/median/max), in seconds from `scale` 1000 or in milliseconds from 1.
    QString text(double scale, const char* unit) const
    {
        return QStringLiteral("%1/%2/%3 %4")
            .arg(min() / scale, 0, 'f', scale > 1 ? 2 : 0)
            .arg(median() / scale, 0, 'f', scale > 1 ? 2 : 0)
            .arg(max() / scale, 0, 'f', scale > 1 ? 2 : 0)
            .arg(QString::fromLatin1(unit));
    }
};

// One line: ours beside the anchor of the same runs, their ratio and the goal with met or missed (by the
// median; the worst run is told too).
inline void ReportGoal(const QString& operation, const Figures& ours, const Figures& anchor, double goalMs,
                       const QString& goal, double scale = 1000, const char* unit = "s")
{
    const bool met = ours.median() <= goalMs;
    std::printf("%-46s %s  (anchor %s, x%.2f)  goal %s: %s%s\n", qUtf8Printable(operation),
                qUtf8Printable(ours.text(scale, unit)),
                anchor.empty() ? "-" : qUtf8Printable(anchor.text(scale, unit)),
                anchor.empty() ? 0.0 : ours.median() / anchor.median(), qUtf8Printable(goal),
                met ? "met" : "missed", met && ours.max() > goalMs ? " (not in every run)" : "");
    std::fflush(stdout);
}

inline int Runs(const BenchContext& ctx, int fallback)
{
    const qsizetype i = ctx.args.indexOf(QStringLiteral("--runs"));
    const int n = i >= 0 ? ctx.args.value(i + 1).toInt() : 0;
    return n > 0 && n <= 50 ? n : fallback;
}

// A copy of the installation's databases in a folder of the bench's own, made once per run and shared by
// the benches that need one; the generated installation of 100,000 customers without --home.
inline QString PrivateInstallation(const BenchContext& ctx)
{
    static std::unique_ptr<QTemporaryDir> dir;
    static QString home;
    if (dir)
        return home;
    const QString from = ctx.givenHome.isEmpty() ? BenchGeneratedHome(100000, 200) : ctx.givenHome;
    if (from.isEmpty())
        return {};
    // Beside the system's temporary files, on the disk the benches' other files are on.
    dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/zkbench-backup-XXXXXX"));
    home = dir->path() + QStringLiteral("/home");
    QDir().mkpath(home + QStringLiteral("/DBS"));
    QElapsedTimer t;
    t.start();
    for (const char* name : {"dbMain.mdb", "dbPost.mdb", "dbReport_SRC.mdb"}) {
        const QString file = QString::fromLatin1(name);
        if (!QFile::copy(from + QStringLiteral("/DBS/") + file, home + QStringLiteral("/DBS/") + file)) {
            std::fprintf(stderr, "cannot copy %s from %s\n", name, qUtf8Printable(from));
            dir.reset();
            return {};
        }
    }
    BenchReport(QStringLiteral("private copy of the installation (%1 MB)")
                    .arg(QFileInfo(home + QStringLiteral("/DBS/dbMain.mdb")).size() >> 20),
                t.nsecsElapsed() / 1e6);
    return home;
}

} // namespace BackupBench
