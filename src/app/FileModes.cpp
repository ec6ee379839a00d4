#include "app/FileModes.h"

#include "app/Platform.h"

#include <QDir>
#include <QFileInfo>

namespace FileModes {
int SetCreationMask(int mask)
{
    return CurrentPlatform().SetCreationMask(mask);
}

void RestrictNewFiles()
{
    SetCreationMask(077);
}

bool MakePrivate(const QString& path)
{
    return CurrentPlatform().SetAccess(path, Platform::FileAccess::OwnerOnly);
}

bool ShareWithGroup(const QString& path)
{
    return CurrentPlatform().SetAccess(path, Platform::FileAccess::OwnerAndGroup);
}

bool ShareInFolder(const QString& path, const QString& databaseFolder)
{
    const bool grouped = CurrentPlatform().SetGroupLike(path, databaseFolder);
    return ShareWithGroup(path) && grouped;
}

QStringList KeepShared(const QString& databaseFolder)
{
    QStringList wrong;
    const QFileInfo folder(databaseFolder);
    if (!folder.isDir())
        return wrong;
    // Set where this user may; what is already right needs nobody's right to change it.
    auto keep = [&](const QString& path, int mode) {
        const QFileInfo fi(path);
        if (!fi.exists())
            return;
        if (fi.groupId() != folder.groupId() || Mode(path) != mode)
            ShareInFolder(path, databaseFolder);
        if (QFileInfo(path).groupId() != folder.groupId() || Mode(path) != mode)
            wrong << path;
    };
    if (Mode(databaseFolder) != 02770)
        ShareWithGroup(databaseFolder);
    if (Mode(databaseFolder) != 02770)
        wrong << databaseFolder;
    const QDir dir(databaseFolder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
        const QString lower = name.toLower();
        // The seat's own report database stays private; everything else of the databases is shared.
        if (lower.startsWith(QStringLiteral("dbreport.mdb")))
            continue;
        if (lower.endsWith(QStringLiteral(".mdb")) || lower.endsWith(QStringLiteral(".mdb-wal")) ||
            lower.endsWith(QStringLiteral(".mdb-shm")) || lower.endsWith(QStringLiteral(".mdb-journal")))
            keep(dir.filePath(name), 0660);
    }
    const QString seats = dir.filePath(QStringLiteral("seats"));
    keep(seats, 02770);
    for (const QString& name : QDir(seats).entryList(QDir::Files | QDir::Hidden))
        keep(seats + QLatin1Char('/') + name, 0660);
    return wrong;
}

int Mode(const QString& path)
{
    return CurrentPlatform().AccessBits(path);
}
} // namespace FileModes
