#include "app/FileModes.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {
bool setMode(const QString& path, int fileMode, int folderMode)
{
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    struct stat st
    {
    };
    if (::stat(native.constData(), &st) != 0)
        return false;
    return ::chmod(native.constData(), mode_t(S_ISDIR(st.st_mode) ? folderMode : fileMode)) == 0;
#else
    Q_UNUSED(fileMode);
    Q_UNUSED(folderMode);
    return QFileInfo::exists(path);
#endif
}
} // namespace

namespace FileModes {
int SetCreationMask(int mask)
{
#ifdef Q_OS_UNIX
    return int(::umask(mode_t(mask)));
#else
    Q_UNUSED(mask);
    return 0;
#endif
}

void RestrictNewFiles()
{
    SetCreationMask(077);
}

bool MakePrivate(const QString& path)
{
    return setMode(path, 0600, 0700);
}

bool ShareWithGroup(const QString& path)
{
    return setMode(path, 0660, 02770);
}

int Mode(const QString& path)
{
#ifdef Q_OS_UNIX
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
#else
    return QFileInfo::exists(path) ? 0600 : -1;
#endif
}
} // namespace FileModes
