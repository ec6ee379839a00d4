// The start up to the login window after a clean end, and after an unclean one, whose page check of the
// whole main database runs beside the login; and when that check has passed.
//
//   zelkova-bench --home DIR startup [--runs N]
#include "BackupBenchSupport.h"

#include "app/AppPaths.h"
#include "app/UserSettings.h"
#include "app/gui/FrmLogin.h"
#include "app/start/MduMain.h"
#include "db/DbConnection.h"
#include "db/Schema.h"
#include "ui/MsgBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

ZK_BENCH("startup: login window after a clean and an unclean end")
{
    const QString home = BackupBench::PrivateInstallation(ctx);
    if (home.isEmpty())
        return;
    // The copy is brought to this program's layout, as its upgrade would: the start refuses an older one.
    {
        DbConnection conn;
        ErrInfo e;
        QString why;
        if (!conn.open(home + QStringLiteral("/DBS/dbMain.mdb"), false, &e) || !Schema::Upgrade(conn, &why)) {
            std::fprintf(stderr, "upgrade of the copy: %s\n", qUtf8Printable(e.description + why));
            return;
        }
    }
    const int runs = BackupBench::Runs(ctx, 5);
    AppPaths::SetProgramFolder(home);
    UserSettings::SetFolder(home + QStringLiteral("/settings"));
    const QString marker = home + QStringLiteral("/DBS/zelkova.running");
    BackupBench::Figures clean, unclean, checked;
    for (int i = 0; i < runs; ++i) {
        for (const bool crashed : {false, true}) {
            if (crashed) {
                QFile f(marker);
                if (!f.open(QIODevice::WriteOnly) || f.write("1") != 1)
                    return;
            }
            QElapsedTimer t;
            t.start();
            if (!InitApp(ShowFound())) {
                std::fprintf(stderr, "the start failed\n");
                DestroyApp();
                return;
            }
            {
                FrmLogin login;
                login.show();
                QApplication::processEvents();
                (crashed ? unclean : clean).add(t.nsecsElapsed() / 1e6);
                // The operator's Enter at once: the program goes on when the check has passed.
                if (crashed) {
                    if (!FinishStart(ShowFound())) {
                        std::fprintf(stderr, "the page check failed\n");
                        DestroyApp();
                        return;
                    }
                    checked.add(t.nsecsElapsed() / 1e6);
                }
            }
            DestroyApp();
        }
    }
    BackupBench::ReportGoal(QStringLiteral("login window after an unclean end"), unclean, clean, 200,
                            QStringLiteral("< 200 ms"), 1, "ms");
    std::printf("  anchor: the clean start; the page check of %lld MB had passed after %s; %d runs\n",
                static_cast<long long>(QFileInfo(home + QStringLiteral("/DBS/dbMain.mdb")).size() >> 20),
                qUtf8Printable(checked.text(1, "ms")), runs);
}
