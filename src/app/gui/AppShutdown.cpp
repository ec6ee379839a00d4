#include "app/gui/AppShutdown.h"

#include "app/AppLog.h"
#include "app/Platform.h"
#include "db/MduAdoDB.h"

#include <QApplication>
#include <QDialog>
#include <QThread>
#include <QTimer>
#include <QWidget>

namespace AppShutdown {

namespace {
bool g_requested = false;

// The connection whose unit of work is still open, if any: the end waits for it.
DbConnection* busyConnection()
{
    for (DbConnection* c : {&gMainConn, &gReportConn})
        if (c->transactionDepth() > 0)
            return c;
    return nullptr;
}

void pass()
{
    if (!g_requested)
        return;
    if (DbConnection* busy = busyConnection()) {
        busy->whenUnlocked([] { QTimer::singleShot(0, qApp, &pass); });
        return;
    }
    // Dialogs first, innermost first, answered as Escape would (done() skips a dialog's own question).
    bool answered = false;
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->done(QDialog::Rejected);
        else
            modal->close();
        answered = true;
        if (QApplication::activeModalWidget() == modal)
            break;
    }
    // What ran under a dialog goes on once its loop returns; the windows close from the outermost loop
    // only, so nothing is closed under code that still runs.
    if (answered || QThread::currentThread()->loopLevel() > 1) {
        QTimer::singleShot(50, qApp, &pass);
        return;
    }
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}
} // namespace

void Install()
{
    CurrentPlatform().WatchEndRequests(&Request);
}

void Request(const QString& cause)
{
    AppLog::Write(QStringLiteral("종료 요청"), cause + QStringLiteral(": 정상 종료 절차로 끝냅니다."));
    if (g_requested)
        return;
    g_requested = true;
    pass();
}

bool Requested()
{
    return g_requested;
}

void ResetForTest()
{
    g_requested = false;
}

} // namespace AppShutdown
