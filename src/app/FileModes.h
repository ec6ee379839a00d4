#pragma once

#include <QString>

// Who may read the files this program writes.
//
// Telephone numbers and addresses of customers are personal data: everything a seat writes for itself
// (settings, layouts, exports, its report database, logs) is for the seat's user only. The shared
// database folder is for the user and the group the seats' accounts share, never for other users.
namespace FileModes {
// From now on files and folders this process creates are readable by the user only (umask 077).
void RestrictNewFiles();
// Sets the creation mask and returns the previous one (POSIX umask bits).
int SetCreationMask(int mask);
// Owner only: on Linux a file 0600, a folder 0700.
bool MakePrivate(const QString& path);
// Owner and group: on Linux a file 0660, a folder 2770 (new files inherit the folder's group).
bool ShareWithGroup(const QString& path);
// A file or folder of the shared database folder: its group and ShareWithGroup's modes.
bool ShareInFolder(const QString& path, const QString& databaseFolder);
// After any tool wrote in a database folder (restore, upgrade, the journal switch, the copy to a server):
// the folder 2770, the shared databases and their journals 0660, "seats" 2770 and its files 0660, all of
// the folder's group; the seat's own report work copy is left as it is. Returns what could not be brought
// there (another user's file), empty when all is right.
QStringList KeepShared(const QString& databaseFolder);
// Permission bits (07777) of a path, -1 when it cannot be read.
int Mode(const QString& path);
} // namespace FileModes
