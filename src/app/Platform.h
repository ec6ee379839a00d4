#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>

class QSettings;

// Everything that differs between operating systems, so that another system is one more subclass.
class Platform
{
public:
    // Who may reach a file or folder this program writes.
    enum class FileAccess
    {
        OwnerOnly,     // the seat's own files: settings, layouts, exports, its report database
        OwnerAndGroup, // the shared database folder, reached by every seat's account of the group
    };

    // Record locks of the kind the database engine takes on its own files (POSIX fcntl on Linux): they work
    // between machines on a network share, and the system drops them when the process holding them ends.
    enum class LockKind
    {
        Unlock,
        Shared,
        Exclusive,
    };
    enum class LockOutcome
    {
        Done,
        HeldElsewhere, // another process holds a lock this one conflicts with
        Failed,        // the system refused to lock the file at all
    };

    virtual ~Platform() = default;

    // Device the serial port opens for port "COMn" (n >= 1). prefix is the seat's own device prefix,
    // "" for the system's usual one; a system whose ports are named COMn itself may ignore it.
    virtual QString SerialDevicePath(int comNumber, const QString& prefix) const = 0;

    // Brings up the server share of a network client seat; returns the folder the share is reached
    // under, "" on failure.
    virtual QString ConnectShare(const QString& sharePath, const QString& password) const = 0;

    // Makes files and folders this process creates from now on out of other users' reach: mask is in
    // POSIX umask bits, the previous mask is returned.
    virtual int SetCreationMask(int mask) const = 0;
    virtual bool SetAccess(const QString& path, FileAccess access) const = 0;
    // Permission bits (07777, POSIX notation) of a path, -1 when it cannot be read.
    virtual int AccessBits(const QString& path) const = 0;
    // Gives path the group reference has (the shared database folder's), so every seat's account reaches a
    // shared file whichever of them wrote it.
    virtual bool SetGroupLike(const QString& path, const QString& reference) const = 0;

    // Opens a lock file for reading and writing, creating it when missing; a handle, or -1 with *noRight
    // telling whether a missing permission (rather than anything else) stopped it.
    virtual int OpenLockFile(const QString& path, bool* noRight) const = 0;
    // Sets this process's lock on the whole file without waiting; a shared lock held becomes exclusive
    // and back in one step.
    virtual LockOutcome SetRecordLock(int handle, LockKind kind) const = 0;
    // Whether another process holds any lock on the file.
    virtual bool LockedElsewhere(int handle) const = 0;
    // Closing a lock file ends every lock this process holds on it.
    virtual void CloseLockFile(int handle) const = 0;

    // Folder for the single-copy lock, where no other user can take or block it; "" when the system
    // offers none (the program folder is used then).
    virtual QString LockFolder() const = 0;

    // Opens a file or web address with the program the desktop associates with it.
    virtual bool OpenExternally(const QUrl& url) const = 0;
    // A program showing the machine's system information, "" when none is installed.
    virtual QString SystemInfoProgram() const = 0;
    // From now on the system's requests to end the program (on Linux SIGTERM at logout or shutdown, SIGHUP
    // when the session or terminal goes, SIGINT from Ctrl+C) are no longer fatal: each reaches `handler`
    // on the thread running the event loop, between events, with the request's name.
    virtual void WatchEndRequests(std::function<void(const QString& cause)> handler) const = 0;
    // Starts a program that outlives this one; false when it could not be started.
    virtual bool StartProgram(const QString& program, const QStringList& arguments) const = 0;

    // The per-user program folder and settings folder when neither is given on the command line or in
    // the environment.
    virtual QString DefaultProgramFolder() const = 0;
    virtual QString DefaultSettingsFolder() const = 0;
    // The settings store of one application name kept in folder.
    virtual std::unique_ptr<QSettings> OpenSettings(const QString& folder, const QString& appName) const = 0;
};

// Callers never test for the operating system themselves: they ask CurrentPlatform(). The build links
// exactly one implementation, which defines NativePlatform(); tests may put a stand-in in its place.

// The platform in use: the stand-in a test installed, else the native one.
Platform& CurrentPlatform();
// Installs a stand-in (not owned); nullptr returns to the native platform.
void SetCurrentPlatform(Platform* platform);
// The implementation built for this operating system.
Platform& NativePlatform();
