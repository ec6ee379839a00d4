#include "app/PlatformLinux.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <cerrno>

#include <csignal>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool setMode(const QString& path, int fileMode, int folderMode)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st
    {
    };
    if (::stat(native.constData(), &st) != 0)
        return false;
    return ::chmod(native.constData(), mode_t(S_ISDIR(st.st_mode) ? folderMode : fileMode)) == 0;
}

// The self-pipe: a signal handler may only write a byte; the event loop reads it and does the work.
int g_signalPipe[2] = {-1, -1};
std::function<void(const QString&)> g_endHandler;

void onSignal(int number)
{
    const char byte = char(number);
    const int saved = errno;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

QString underXdgFolder(QStandardPaths::StandardLocation location, const QString& fallbackBelowHome)
{
    QString base = QStandardPaths::writableLocation(location);
    if (base.isEmpty())
        base = QDir::homePath() + fallbackBelowHome;
    return base + QStringLiteral("/zelkova");
}
} // namespace

Platform& NativePlatform()
{
    static PlatformLinux platform;
    return platform;
}

QString PlatformLinux::SerialDevicePath(int comNumber, const QString& prefix) const
{
    // COM1 is the first device: /dev/ttyS0, or /dev/ttyUSB0 under the prefix /dev/ttyUSB.
    return (prefix.isEmpty() ? QStringLiteral("/dev/ttyS") : prefix) + QString::number(comNumber - 1);
}

QString PlatformLinux::ConnectShare(const QString& sharePath, const QString& password) const
{
    // A "drive" is the folder the share is mounted on; credentials belong to fstab or autofs.
    Q_UNUSED(password);
    const QString& path = sharePath;
    if (path.isEmpty())
        return QString();
    auto reachable = [&path] {
        const QFileInfo fi(path);
        return fi.isDir() && !QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty();
    };
    if (reachable())
        return path;
    // An SMB share ("smb://server/share/folder" or "//server/share/folder") is mounted for the user, without
    // root, by the desktop's user-space mounter; its folder then lies below the user's gvfs folder.
    const QRegularExpression smb(QStringLiteral("^(?:smb:)?//([^/]+)/([^/]+)(/.*)?$"),
                                 QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = smb.match(path); m.hasMatch()) {
        const QString host = m.captured(1);
        const QString share = m.captured(2);
        QProcess gio;
        gio.start(QStringLiteral("gio"),
                  {QStringLiteral("mount"), QStringLiteral("smb://") + host + QLatin1Char('/') + share});
        gio.waitForFinished(30000);
        QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (runtime.isEmpty())
            runtime = QStringLiteral("/run/user/") + QString::number(::getuid());
        const QString folder = runtime + QStringLiteral("/gvfs/smb-share:server=") + host.toLower() +
                               QStringLiteral(",share=") + share.toLower() + m.captured(3);
        const QFileInfo fi(folder);
        return fi.isDir() && !QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty()
                   ? folder
                   : QString();
    }
    // A mount point listed in fstab (or handled by autofs) comes up with a plain `mount <dir>`.
    if (QFileInfo(path).isDir()) {
        QProcess mount;
        mount.start(QStringLiteral("mount"), {path});
        if (mount.waitForFinished(15000) && mount.exitCode() == 0 && reachable())
            return path;
    }
    return QString();
}

int PlatformLinux::SetCreationMask(int mask) const
{
    return int(::umask(mode_t(mask)));
}

bool PlatformLinux::SetAccess(const QString& path, FileAccess access) const
{
    switch (access) {
    case FileAccess::OwnerOnly:
        return setMode(path, 0600, 0700);
    case FileAccess::OwnerAndGroup:
        // Setgid on the folder: files created in it take the folder's group, not the creator's.
        return setMode(path, 0660, 02770);
    }
    return false;
}

int PlatformLinux::AccessBits(const QString& path) const
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
}

bool PlatformLinux::SetGroupLike(const QString& path, const QString& reference) const
{
    struct stat ref
    {
    };
    struct stat own
    {
    };
    const QByteArray native = QFile::encodeName(path);
    if (::stat(QFile::encodeName(reference).constData(), &ref) != 0 || ::stat(native.constData(), &own) != 0)
        return false;
    if (own.st_gid == ref.st_gid)
        return true;
    // Changing the group drops setgid on a folder: its mode is set again.
    if (::chown(native.constData(), uid_t(-1), ref.st_gid) != 0)
        return false;
    return ::chmod(native.constData(), own.st_mode & 07777) == 0;
}

int PlatformLinux::OpenLockFile(const QString& path, bool* noRight) const
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0660);
    if (noRight)
        *noRight = fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS);
    return fd;
}

Platform::LockOutcome PlatformLinux::SetRecordLock(int handle, LockKind kind) const
{
    struct flock fl
    {
    };
    fl.l_type = kind == LockKind::Exclusive ? F_WRLCK : kind == LockKind::Shared ? F_RDLCK : F_UNLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0; // the whole file
    if (::fcntl(handle, F_SETLK, &fl) == 0)
        return LockOutcome::Done;
    return errno == EAGAIN || errno == EACCES ? LockOutcome::HeldElsewhere : LockOutcome::Failed;
}

bool PlatformLinux::LockedElsewhere(int handle) const
{
    struct flock fl
    {
    };
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0;
    // An error (no lock support on the file system) cannot prove the holder gone.
    return ::fcntl(handle, F_GETLK, &fl) != 0 || fl.l_type != F_UNLCK;
}

void PlatformLinux::CloseLockFile(int handle) const
{
    if (handle >= 0)
        ::close(handle);
}

QString PlatformLinux::LockFolder() const
{
    // $XDG_RUNTIME_DIR is the user's own (0700): another local user can neither take nor block the lock.
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

bool PlatformLinux::OpenExternally(const QUrl& url) const
{
    return QDesktopServices::openUrl(url);
}

QString PlatformLinux::SystemInfoProgram() const
{
    static const char* const candidates[] = {"hardinfo", "kinfocenter", "gnome-system-monitor",
                                             "mate-system-monitor", "xfce4-taskmanager"};
    for (const char* name : candidates) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return path;
    }
    return {};
}

void PlatformLinux::WatchEndRequests(std::function<void(const QString& cause)> handler) const
{
    g_endHandler = std::move(handler);
    if (g_signalPipe[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPipe) != 0)
        return;
    auto* notifier =
        new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char byte = 0;
        while (::read(g_signalPipe[0], &byte, 1) == 1) {
            const QString cause = byte == SIGTERM  ? QStringLiteral("SIGTERM")
                                  : byte == SIGHUP ? QStringLiteral("SIGHUP")
                                                   : QStringLiteral("SIGINT");
            if (g_endHandler)
                g_endHandler(cause);
        }
    });
    struct sigaction action
    {
    };
    action.sa_handler = &onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(number, &action, nullptr);
}

bool PlatformLinux::StartProgram(const QString& program, const QStringList& arguments) const
{
    return QProcess::startDetached(program, arguments);
}

QString PlatformLinux::DefaultProgramFolder() const
{
    return underXdgFolder(QStandardPaths::GenericDataLocation, QStringLiteral("/.local/share"));
}

QString PlatformLinux::DefaultSettingsFolder() const
{
    return underXdgFolder(QStandardPaths::GenericConfigLocation, QStringLiteral("/.config"));
}

std::unique_ptr<QSettings> PlatformLinux::OpenSettings(const QString& folder, const QString& appName) const
{
    return std::make_unique<QSettings>(folder + QLatin1Char('/') + appName + QStringLiteral(".ini"),
                                       QSettings::IniFormat);
}
