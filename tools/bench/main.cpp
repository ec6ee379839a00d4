// zelkova-bench: measures the hot paths on a generated installation.
//
//   zelkova-bench [--home DIR] [name-filter...]
//
// Without --home the benches that need an installation are skipped.
#include "Bench.h"

#include "app/AppPaths.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <vector>

std::vector<std::pair<QString, BenchFn>>& BenchAll();

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = QApplication::arguments();
    args.removeFirst();
    BenchContext ctx;
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--home") && i + 1 < args.size()) {
            ctx.home = args.at(i + 1);
            args.remove(i, 2);
            break;
        }
    }
    if (!ctx.home.isEmpty()) {
        AppPaths::SetProgramFolder(ctx.home);
        ctx.mainDbFile = AppPaths::ProgramPath(QStringLiteral("DBS/dbMain.mdb"));
        if (!QFileInfo::exists(ctx.mainDbFile)) {
            std::fprintf(stderr, "no main database at %s\n", qUtf8Printable(ctx.mainDbFile));
            return 2;
        }
    }
    ctx.args = args;
    // A bench's own options (--server ADDRESS) stay in ctx.args; the other words choose the benches.
    QStringList filters;
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i).startsWith(QLatin1String("--")))
            ++i;
        else
            filters << args.at(i);
    }
    for (auto& [name, fn] : BenchAll()) {
        bool wanted = filters.isEmpty();
        for (const QString& f : filters)
            wanted = wanted || name.contains(f, Qt::CaseInsensitive);
        if (!wanted)
            continue;
        std::printf("== %s\n", qUtf8Printable(name));
        fn(ctx);
    }
    return 0;
}
