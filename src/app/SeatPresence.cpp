#include "app/SeatPresence.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTimer>

namespace SeatPresence {

namespace {
QString g_marker;
QTimer* g_timer = nullptr;

void touch()
{
    QFile f(g_marker);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        f.write(QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8());
        f.close();
    }
}
} // namespace

void Start(const QString& databaseFolder, const QString& terminal)
{
    Stop();
    const QString folder = databaseFolder + QStringLiteral("/seats");
    if (!QDir().mkpath(folder))
        return;
    g_marker = folder + QLatin1Char('/') + terminal + QLatin1Char('@') + QSysInfo::machineHostName() +
               QLatin1Char('#') + QString::number(QCoreApplication::applicationPid()) +
               QStringLiteral(".seat");
    touch();
    g_timer = new QTimer(QCoreApplication::instance());
    g_timer->setInterval(30000);
    QObject::connect(g_timer, &QTimer::timeout, [] { touch(); });
    g_timer->start();
}

void Stop()
{
    delete g_timer;
    g_timer = nullptr;
    if (!g_marker.isEmpty())
        QFile::remove(g_marker);
    g_marker.clear();
}

} // namespace SeatPresence
