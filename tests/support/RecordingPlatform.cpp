#include "support/RecordingPlatform.h"

#include <QSettings>

RecordingPlatform::RecordingPlatform()
{
    SetCurrentPlatform(this);
}

RecordingPlatform::~RecordingPlatform()
{
    SetCurrentPlatform(nullptr);
}

QString RecordingPlatform::SerialDevicePath(int comNumber, const QString& prefix) const
{
    return NativePlatform().SerialDevicePath(comNumber, prefix);
}

QString RecordingPlatform::ConnectShare(const QString& sharePath, const QString& password) const
{
    return NativePlatform().ConnectShare(sharePath, password);
}

int RecordingPlatform::SetCreationMask(int mask) const
{
    return NativePlatform().SetCreationMask(mask);
}

bool RecordingPlatform::SetAccess(const QString& path, FileAccess access) const
{
    return NativePlatform().SetAccess(path, access);
}

int RecordingPlatform::AccessBits(const QString& path) const
{
    return NativePlatform().AccessBits(path);
}

bool RecordingPlatform::SetGroupLike(const QString& path, const QString& reference) const
{
    return NativePlatform().SetGroupLike(path, reference);
}

int RecordingPlatform::OpenLockFile(const QString& path, bool* noRight) const
{
    return NativePlatform().OpenLockFile(path, noRight);
}

Platform::LockOutcome RecordingPlatform::SetRecordLock(int handle, LockKind kind) const
{
    return NativePlatform().SetRecordLock(handle, kind);
}

bool RecordingPlatform::LockedElsewhere(int handle) const
{
    return NativePlatform().LockedElsewhere(handle);
}

void RecordingPlatform::CloseLockFile(int handle) const
{
    NativePlatform().CloseLockFile(handle);
}

void RecordingPlatform::WatchEndRequests(std::function<void(const QString& cause)> handler) const
{
    NativePlatform().WatchEndRequests(std::move(handler));
}

QString RecordingPlatform::LockFolder() const
{
    return NativePlatform().LockFolder();
}

bool RecordingPlatform::OpenExternally(const QUrl& url) const
{
    m_opened.append(url);
    return m_openResult;
}

QString RecordingPlatform::SystemInfoProgram() const
{
    return NativePlatform().SystemInfoProgram();
}

bool RecordingPlatform::StartProgram(const QString& program, const QStringList& arguments) const
{
    m_started << (QStringList{program} + arguments);
    return true;
}

QString RecordingPlatform::DefaultProgramFolder() const
{
    return NativePlatform().DefaultProgramFolder();
}

QString RecordingPlatform::DefaultSettingsFolder() const
{
    return NativePlatform().DefaultSettingsFolder();
}

std::unique_ptr<QSettings> RecordingPlatform::OpenSettings(const QString& folder,
                                                           const QString& appName) const
{
    return NativePlatform().OpenSettings(folder, appName);
}
