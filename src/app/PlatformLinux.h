#pragma once

#include "app/Platform.h"

// Linux: /dev/ttyS devices, shares mounted through fstab or autofs, POSIX modes, XDG folders.
class PlatformLinux : public Platform
{
public:
    QString SerialDevicePath(int comNumber, const QString& prefix) const override;
    QString ConnectShare(const QString& sharePath, const QString& password) const override;
    int SetCreationMask(int mask) const override;
    bool SetAccess(const QString& path, FileAccess access) const override;
    int AccessBits(const QString& path) const override;
    bool SetGroupLike(const QString& path, const QString& reference) const override;
    int OpenLockFile(const QString& path, bool* noRight) const override;
    LockOutcome SetRecordLock(int handle, LockKind kind) const override;
    bool LockedElsewhere(int handle) const override;
    void CloseLockFile(int handle) const override;
    QString LockFolder() const override;
    bool OpenExternally(const QUrl& url) const override;
    QString SystemInfoProgram() const override;
    void WatchEndRequests(std::function<void(const QString& cause)> handler) const override;
    bool StartProgram(const QString& program, const QStringList& arguments) const override;
    QString DefaultProgramFolder() const override;
    QString DefaultSettingsFolder() const override;
    std::unique_ptr<QSettings> OpenSettings(const QString& folder, const QString& appName) const override;
};
