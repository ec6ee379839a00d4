// zelkova-bench: measures the hot paths on a generated installation or a copy of a given one.
#include "Bench.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstring>
#include <vector>

std::vector<std::pair<QString, BenchFn>>& BenchAll();
void BenchRemoveScratch();

namespace {
void usage(FILE* to)
{
    std::fprintf(to,
                 "usage: zelkova-bench [--home DIR] [--server ADDRESS] [WORD...]\n"
                 "\n"
                 "Runs the benches whose names contain one of the WORDs (all of them without any).\n"
                 "  --home DIR        measure on a copy of the installation in DIR (the copy is made in a\n"
                 "                    temporary folder; DIR itself is only read); without it the benches\n"
                 "                    generate their own installations\n"
                 "  --server ADDRESS  the PostgreSQL maintenance database of the \"server\" bench\n"
                 "                    (or ZELKOVA_BENCH_SERVER)\n"
                 "  --help            this text\n"
                 "Everything temporary is removed at the end, also when interrupted.\n"
                 "\n"
                 "Benches:\n");
    for (const auto& [name, fn] : BenchAll())
        std::fprintf(to, "  %s\n", qUtf8Printable(name));
}
} // namespace

int main(int argc, char* argv[])
{
    // A seat process of the "live" bench, started by the bench itself.
    if (argc > 1 && std::strcmp(argv[1], "--live-seat") == 0) {
        QApplication app(argc, argv);
        return BenchLiveSeat(QApplication::arguments().mid(2));
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            usage(stdout);
            return 0;
        }
        if ((std::strcmp(argv[i], "--home") == 0 || std::strcmp(argv[i], "--server") == 0) && i + 1 >= argc) {
            std::fprintf(stderr, "%s needs a value\n\n", argv[i]);
            usage(stderr);
            return 2;
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    BenchScratch();
    int rc = 0;
    {
        QApplication app(argc, argv);
        QStringList args = QApplication::arguments();
        args.removeFirst();
        BenchContext ctx;
        for (int i = 0; i < args.size(); ++i) {
            if (args.at(i) == QLatin1String("--home")) {
                ctx.givenHome = QDir(args.at(i + 1)).absolutePath();
                args.remove(i, 2);
                break;
            }
        }
        if (!ctx.givenHome.isEmpty() &&
            !QFileInfo::exists(ctx.givenHome + QStringLiteral("/DBS/dbMain.mdb"))) {
            std::fprintf(stderr, "no main database at %s/DBS/dbMain.mdb\n", qUtf8Printable(ctx.givenHome));
            rc = 2;
        } else {
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
                std::printf("== %s (%s)\n", qUtf8Printable(name), qUtf8Printable(BenchLoad()));
                std::fflush(stdout);
                fn(ctx);
            }
            std::printf("== done (%s)\n", qUtf8Printable(BenchLoad()));
        }
    }
    BenchRemoveScratch();
    return rc;
}
