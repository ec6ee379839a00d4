#include "app/RestoreJournal.h"

#include "app/FileModes.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace RestoreJournal {

namespace {
const QString kJournal = QStringLiteral("restore.journal");
const QByteArray kHeading = QByteArrayLiteral("zelkova-restore 1");

QString pathIn(const QString& folder, const QString& name)
{
    return folder + QLatin1Char('/') + name;
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool syncPath(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// A target the journal may name: a database file directly in the folder.
bool plainDatabaseName(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.startsWith(QLatin1Char('.')) &&
           name.endsWith(QStringLiteral(".mdb"), Qt::CaseInsensitive);
}
} // namespace

QString StagedName(const QString& target)
{
    return target + QStringLiteral(".restoring");
}

bool Pending(const QString& databaseFolder)
{
    return QFileInfo::exists(pathIn(databaseFolder, kJournal));
}

bool Begin(const QString& databaseFolder, const QStringList& targets, QString* error)
{
    QByteArray text = kHeading + '\n';
    for (const QString& t : targets)
        text += t.toUtf8() + '\n';
    // Written whole beside its name and renamed: a journal is either all there or not at all.
    const QString journal = pathIn(databaseFolder, kJournal);
    const QString partial = journal + QStringLiteral(".new");
    QFile f(partial);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text) != text.size() || !f.flush() ||
        ::fsync(f.handle()) != 0) {
        *error = f.errorString();
        f.close();
        QFile::remove(partial);
        return false;
    }
    f.close();
    // Any seat of the group may be the one that finishes it.
    FileModes::ShareInFolder(partial, databaseFolder);
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(journal).constData()) != 0) {
        *error = systemError();
        QFile::remove(partial);
        return false;
    }
    syncPath(databaseFolder);
    return true;
}

bool Complete(const QString& databaseFolder, QStringList* replaced, QString* error,
              const std::function<void(const QString& target)>& afterEach)
{
    const QString journal = pathIn(databaseFolder, kJournal);
    QFile f(journal);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = f.errorString() + QStringLiteral(": ") + journal;
        return false;
    }
    const QList<QByteArray> lines = f.readAll().split('\n');
    f.close();
    if (lines.value(0) != kHeading) {
        *error = QStringLiteral("복구 기록을 읽을 수 없습니다: ") + journal;
        return false;
    }
    QStringList targets;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString name = QString::fromUtf8(lines.at(i)).trimmed();
        if (name.isEmpty())
            continue;
        if (!plainDatabaseName(name)) {
            *error = QStringLiteral("복구 기록을 읽을 수 없습니다: ") + journal;
            return false;
        }
        targets << name;
    }
    for (const QString& name : targets) {
        const QString target = pathIn(databaseFolder, name);
        const QString staged = StagedName(target);
        if (!QFileInfo::exists(staged))
            continue; // renamed before the run ended
        // A journal of the file being replaced would be played into the new one.
        for (const QString& side :
             {QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")})
            QFile::remove(target + side);
        if (std::rename(QFile::encodeName(staged).constData(), QFile::encodeName(target).constData()) != 0) {
            *error = systemError() + QStringLiteral(": ") + target;
            return false;
        }
        if (replaced)
            *replaced << name;
        if (afterEach)
            afterEach(name);
    }
    syncPath(databaseFolder);
    if (std::remove(QFile::encodeName(journal).constData()) != 0) {
        *error = systemError() + QStringLiteral(": ") + journal;
        return false;
    }
    syncPath(databaseFolder);
    return true;
}

} // namespace RestoreJournal
