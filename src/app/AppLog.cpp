#include "app/AppLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

namespace AppLog {

namespace {
QMutex g_mutex;
QString g_file;
qint64 g_maxBytes = kDefaultMaxBytes;
QtMessageHandler g_previous = nullptr;

void rotate()
{
    QFile::remove(g_file + QStringLiteral(".%1").arg(kKeep));
    for (int i = kKeep - 1; i >= 1; --i)
        QFile::rename(g_file + QStringLiteral(".%1").arg(i), g_file + QStringLiteral(".%1").arg(i + 1));
    QFile::rename(g_file, g_file + QStringLiteral(".1"));
}

void qtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    // The database connection's losses, reconnections and failovers come through Qt's logging from the
    // database layer, which cannot reach the log itself.
    if (context.category && qstrcmp(context.category, "zelkova.connection") == 0)
        Write(QStringLiteral("연결"), message);
    else if (type != QtDebugMsg && type != QtInfoMsg)
        Write(QStringLiteral("Qt"), message);
    if (g_previous)
        g_previous(type, context, message);
}
} // namespace

void Start(const QString& folder, qint64 maxBytes)
{
    {
        QMutexLocker lock(&g_mutex);
        if (!QDir().mkpath(folder))
            return;
        g_file = folder + QStringLiteral("/zelkova.log");
        g_maxBytes = maxBytes > 0 ? maxBytes : kDefaultMaxBytes;
    }
    if (!g_previous)
        g_previous = qInstallMessageHandler(&qtMessage);
}

void Stop()
{
    if (g_previous) {
        qInstallMessageHandler(g_previous);
        g_previous = nullptr;
    }
    QMutexLocker lock(&g_mutex);
    g_file.clear();
}

void Write(const QString& kind, const QString& text)
{
    QMutexLocker lock(&g_mutex);
    if (g_file.isEmpty())
        return;
    QString flat = text;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral(" | "))
        .replace(QLatin1Char('\n'), QStringLiteral(" | "));
    const QByteArray line =
        (QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) +
         QStringLiteral(" [") + kind + QStringLiteral("] ") + flat + QLatin1Char('\n'))
            .toUtf8();
    if (QFileInfo(g_file).size() + line.size() > g_maxBytes)
        rotate();
    QFile f(g_file);
    if (f.open(QIODevice::WriteOnly | QIODevice::Append))
        f.write(line);
}

} // namespace AppLog
