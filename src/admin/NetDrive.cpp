#include "admin/NetDrive.h"

#include "app/AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

QString ConnectNetworkDrive(const QString& sharePath, const QString& password)
{
    Q_UNUSED(password);
    const QString path = AppPaths::Native(sharePath);
    if (path.isEmpty())
        return QString();
    auto reachable = [&path] {
        const QFileInfo fi(path);
        return fi.isDir() && !QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty();
    };
    if (reachable())
        return path;
    // A mount point listed in fstab (or handled by autofs) comes up with a plain `mount <dir>`.
    if (QFileInfo(path).isDir()) {
        QProcess mount;
        mount.start(QStringLiteral("mount"), {path});
        if (mount.waitForFinished(15000) && mount.exitCode() == 0 && reachable())
            return path;
    }
    return QString();
}
