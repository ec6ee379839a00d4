#include "app/SeatPresence.h"

#include "app/FileModes.h"
#include "app/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSysInfo>
#include <QThread>

namespace SeatPresence {

namespace {
const QString kSeats = QStringLiteral("seats");
const QString kLockName = QStringLiteral("presence.lock");
// Line break of the messages the seat shows (the message seam writes them so).
const QString kCrLf = QStringLiteral("\r\n");

// The one handle of this process on a lock file: closing any other handle on it would end the locks.
struct LockFile
{
    int handle = -1;
    bool seat = false;
    int exclusive = 0;
};
QHash<QString, LockFile> g_locks;

struct Marker
{
    QString lockPath;
    QString path;
    int handle = -1;
};
Marker g_seat;

Platform& platform()
{
    return CurrentPlatform();
}

QString seatsFolder(const QString& databaseFolder)
{
    return databaseFolder + QLatin1Char('/') + kSeats;
}

QString ownSuffix()
{
    return QLatin1Char('@') + QSysInfo::machineHostName() + QLatin1Char('#') +
           QString::number(QCoreApplication::applicationPid()) + QStringLiteral(".seat");
}

// "폴더: …" and what this user lacks there, for a seat or a tool that cannot register.
QString missingRight(const QString& path, const QString& right)
{
    const QFileInfo fi(path);
    return QStringLiteral("위치: ") + path + kCrLf + QStringLiteral("없는 권한: ") + right +
           QStringLiteral(" (소유자 %1, 그룹 %2, 권한 %3)")
               .arg(fi.owner(), fi.group(), QString::number(FileModes::Mode(path), 8)) +
           kCrLf +
           QStringLiteral("설치한 사용자나 관리자가 이 자리의 사용자에게(그룹으로) 권한을 주어야 합니다.");
}

// The seats folder, made (as the shared group's) when missing; "" or why it cannot be used.
QString prepareFolder(const QString& databaseFolder)
{
    const QString folder = seatsFolder(databaseFolder);
    if (!QFileInfo(folder).isDir()) {
        if (!QDir().mkdir(folder) && !QFileInfo(folder).isDir())
            return missingRight(databaseFolder, QStringLiteral("쓰기"));
    }
    // An older version made the folder private to the first seat's user: its owner puts that right.
    if (QFileInfo(folder).ownerId() == QFileInfo(databaseFolder).ownerId() || QFileInfo(folder).isWritable())
        FileModes::ShareInFolder(folder, databaseFolder);
    return QString();
}

// The process's handle on the folder's lock file; -1 with *why when there is none.
int lockHandle(const QString& databaseFolder, QString* why)
{
    const QString path = seatsFolder(databaseFolder) + QLatin1Char('/') + kLockName;
    LockFile& entry = g_locks[path];
    if (entry.handle >= 0)
        return entry.handle;
    if (const QString bad = prepareFolder(databaseFolder); !bad.isEmpty()) {
        *why = bad;
        return -1;
    }
    const bool existed = QFileInfo::exists(path);
    bool noRight = false;
    entry.handle = platform().OpenLockFile(path, &noRight);
    if (entry.handle < 0) {
        *why = noRight ? missingRight(existed ? path : seatsFolder(databaseFolder),
                                      existed ? QStringLiteral("읽기와 쓰기") : QStringLiteral("쓰기"))
                       : QStringLiteral("위치: ") + path;
        g_locks.remove(path);
        return -1;
    }
    if (!existed || QFileInfo(path).ownerId() == QFileInfo(databaseFolder).ownerId())
        FileModes::ShareInFolder(path, databaseFolder);
    return entry.handle;
}

void releaseIfUnused(const QString& path)
{
    const auto it = g_locks.find(path);
    if (it == g_locks.end() || it->seat || it->exclusive > 0)
        return;
    platform().CloseLockFile(it->handle);
    g_locks.erase(it);
}

QString lockPathOf(const QString& databaseFolder)
{
    return seatsFolder(databaseFolder) + QLatin1Char('/') + kLockName;
}
} // namespace

bool Start(const QString& databaseFolder, const QString& terminal, QString* message)
{
    Stop();
    const QString title =
        QStringLiteral("이 자리를 데이터베이스 폴더에 등록할 수 없어 데이터베이스를 열지 않았습니다.");
    QString why;
    const int handle = lockHandle(databaseFolder, &why);
    if (handle < 0) {
        *message = title + kCrLf + why;
        return false;
    }
    const QString lockPath = lockPathOf(databaseFolder);
    // A tool's short hold (the companion's tidying at its start) is waited out; a restore is not.
    Platform::LockOutcome outcome = platform().SetRecordLock(handle, Platform::LockKind::Shared);
    for (int i = 0; i < 20 && outcome == Platform::LockOutcome::HeldElsewhere; ++i) {
        QThread::msleep(100);
        outcome = platform().SetRecordLock(handle, Platform::LockKind::Shared);
    }
    if (outcome != Platform::LockOutcome::Done) {
        releaseIfUnused(lockPath);
        *message = outcome == Platform::LockOutcome::HeldElsewhere
                       ? QStringLiteral("데이터 복구나 데이터베이스 구조 올림이 진행 중이어서 데이터베이스를 "
                                        "열지 않았습니다.") +
                             kCrLf + QStringLiteral("작업이 끝난 뒤 프로그램을 다시 시작하세요.") + kCrLf +
                             databaseFolder
                       : title + kCrLf +
                             QStringLiteral("이 폴더의 파일 시스템이 잠금을 지원하지 않습니다: ") + lockPath;
        return false;
    }
    g_locks[lockPath].seat = true;
    // The marker names the terminal for a refusal; the lock on it tells a live seat from one that is gone.
    const QString marker = seatsFolder(databaseFolder) + QLatin1Char('/') + terminal + ownSuffix();
    bool noRight = false;
    const int markerHandle = platform().OpenLockFile(marker, &noRight);
    if (markerHandle < 0 || platform().SetRecordLock(markerHandle, Platform::LockKind::Exclusive) !=
                                Platform::LockOutcome::Done) {
        platform().CloseLockFile(markerHandle);
        QFile::remove(marker);
        g_locks[lockPath].seat = false;
        platform().SetRecordLock(handle, Platform::LockKind::Unlock);
        releaseIfUnused(lockPath);
        *message = title + kCrLf + missingRight(seatsFolder(databaseFolder), QStringLiteral("쓰기"));
        return false;
    }
    FileModes::ShareInFolder(marker, databaseFolder);
    g_seat = {lockPath, marker, markerHandle};
    return true;
}

void Stop()
{
    if (g_seat.path.isEmpty())
        return;
    QFile::remove(g_seat.path);
    platform().CloseLockFile(g_seat.handle);
    const auto it = g_locks.find(g_seat.lockPath);
    if (it != g_locks.end()) {
        it->seat = false;
        if (it->exclusive == 0)
            platform().SetRecordLock(it->handle, Platform::LockKind::Unlock);
    }
    releaseIfUnused(g_seat.lockPath);
    g_seat = {};
}

QStringList PresentSeats(const QString& databaseFolder)
{
    QStringList seats;
    const QString folder = seatsFolder(databaseFolder);
    const QString own = ownSuffix();
    for (const QFileInfo& m : QDir(folder).entryInfoList({QStringLiteral("*.seat")}, QDir::Files)) {
        const QString name = m.fileName();
        if (name.endsWith(own)) {
            seats << name.section(QLatin1Char('@'), 0, 0);
            continue;
        }
        bool noRight = false;
        const int handle = platform().OpenLockFile(m.absoluteFilePath(), &noRight);
        if (handle < 0)
            continue;
        const bool live = platform().LockedElsewhere(handle);
        platform().CloseLockFile(handle);
        if (live)
            seats << name.section(QLatin1Char('@'), 0, 0);
        else
            QFile::remove(m.absoluteFilePath());
    }
    seats.removeDuplicates();
    seats.sort();
    return seats;
}

Exclusive::Exclusive(const QString& databaseFolder) : m_lockPath(lockPathOf(databaseFolder))
{
    QString why;
    const int handle = lockHandle(databaseFolder, &why);
    if (handle < 0) {
        m_reason = why;
        return;
    }
    LockFile& entry = g_locks[m_lockPath];
    if (entry.exclusive == 0) {
        const Platform::LockOutcome outcome = platform().SetRecordLock(handle, Platform::LockKind::Exclusive);
        if (outcome != Platform::LockOutcome::Done) {
            m_seatsPresent = outcome == Platform::LockOutcome::HeldElsewhere;
            if (m_seatsPresent) {
                const QStringList seats = PresentSeats(databaseFolder);
                m_reason = seats.isEmpty()
                               ? QStringLiteral("사용 중인 단말기: 알 수 없음(다른 사용자의 자리)")
                               : QStringLiteral("사용 중인 단말기: ") + seats.join(QStringLiteral(", "));
            } else {
                m_reason = QStringLiteral("이 폴더의 파일 시스템이 잠금을 지원하지 않습니다: ") + m_lockPath;
            }
            releaseIfUnused(m_lockPath);
            return;
        }
    }
    ++entry.exclusive;
    m_held = true;
    // No seat can be in now: every marker but this process's own is one a seat that is gone left.
    PresentSeats(databaseFolder);
}

Exclusive::~Exclusive()
{
    if (!m_held)
        return;
    const auto it = g_locks.find(m_lockPath);
    if (it == g_locks.end())
        return;
    if (--it->exclusive == 0)
        platform().SetRecordLock(it->handle,
                                 it->seat ? Platform::LockKind::Shared : Platform::LockKind::Unlock);
    releaseIfUnused(m_lockPath);
}

} // namespace SeatPresence
