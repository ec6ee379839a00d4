#pragma once

#include <QString>
#include <QStringList>

// Which seats have the shared database folder's data open, proved by the system's record locks rather than
// by files a killed seat would leave behind.
//
// Every seat holds a shared POSIX record lock (fcntl, the kind SQLite itself relies on, also over a network
// share; not flock) on the group-writable file DBS/seats/presence.lock from before it opens the database
// until it has closed it; the system drops the lock of a process that ends in any way. Whatever replaces or
// rewrites the shared files (restore, upgrade, the journal switch, the copy to a server) takes that lock
// exclusively, which no seat can hold beside it: there is no moment in which a seat is in the data unseen.
// Each seat also keeps a marker "seats/<terminal>@<host>#<pid>.seat", locked by it, so a refusal can name the
// terminals; a marker nobody holds is a seat that is gone and is removed.
//
// Locks are per process: a process that holds a seat's lock and takes the exclusive one turns its own
// lock into the exclusive one and back, never dropping it.
namespace SeatPresence {

// Registers this seat before it opens the data. False, with a Korean message for the operator, when it
// cannot: the folder and the right that is missing, or the restore or upgrade that holds the data.
bool Start(const QString& databaseFolder, const QString& terminal, QString* message);
// Removes the marker and lets go of the lock.
void Stop();

// The terminals whose marker a running seat holds, sorted; markers of seats that are gone are removed.
QStringList PresentSeats(const QString& databaseFolder);

// The exclusive hold of the database folder for the time the object lives.
class Exclusive
{
public:
    explicit Exclusive(const QString& databaseFolder);
    ~Exclusive();
    Exclusive(const Exclusive&) = delete;
    Exclusive& operator=(const Exclusive&) = delete;

    bool held() const { return m_held; }
    // Whether seats hold the data (the refusal's cause); otherwise the lock could not be taken at all.
    bool seatsPresent() const { return m_seatsPresent; }
    // When not held: "사용 중인 단말기: 3, 5", or the folder and the missing right.
    QString reason() const { return m_reason; }

private:
    QString m_lockPath;
    bool m_held = false;
    bool m_seatsPresent = false;
    QString m_reason;
};

} // namespace SeatPresence
