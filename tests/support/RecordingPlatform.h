#pragma once

#include "app/Platform.h"

#include <QList>
#include <QUrl>

// The native platform except that opening a file or address only records it, so no test starts a program;
// installed on construction, removed on destruction.
class RecordingPlatform : public Platform
{
public:
    RecordingPlatform();
    ~RecordingPlatform() override;

    const QList<QUrl>& opened() const { return m_opened; }
    // What OpenExternally answers (true: a program took it), as a desktop without a suitable program would.
    void setOpenResult(bool result) { m_openResult = result; }
    // Each program "started": its path followed by its arguments.
    const QList<QStringList>& started() const { return m_started; }

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

private:
    mutable QList<QUrl> m_opened;
    bool m_openResult = true;
    mutable QList<QStringList> m_started;
};
