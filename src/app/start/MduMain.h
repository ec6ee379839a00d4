#pragma once

#include "ui/Notice.h"

#include <QString>

#include <functional>

// Start-up and shutdown of the program and the settings it loads into the process-wide globals. What the
// start finds for the operator (a missing folder, a refused file) is added to `found`, in order, for the
// screen that started it to show (ShowNotices).

bool InitApp(Notices& found);
void DestroyApp();
bool ReadOptions(Notices& found);
// After a run that did not end cleanly InitApp leaves the page-by-page check of the main database running
// on a thread of its own while the operator logs in, and this seat writes nothing before it has passed (its
// main connection only reads meanwhile): FinishStart waits for it with the event loop running, adds its
// message and returns false when it failed, and only then marks the run and reads the settings kept in the
// database (ReadOptions, which may write). True at once after a clean start; asking again gives the same.
bool FinishStart(Notices& found);
// Whether the start waits for that check (writes held until FinishStart).
bool StartChecking();
// Whether the start ended because that check failed.
bool StartCheckFailed();
// Whether the last InitApp failed because the main database could not be reached or opened (its folder or
// share, the file, the server): the seat's network setup may be what is wrong.
bool MainDatabaseUnreachable();
// What the start of a client seat checks of the shared database folder (the folder, the main database file,
// its journal mode), what is wrong added to `found`; true when the start would open it.
bool CheckClientDatabase(const QString& databaseFolder, Notices& found);
// Sets gDBPath and gMainDBFile and saves both per-user settings.
void SetDBPath(const QString& folder);
// True at once when no administrator password is set; otherwise asks through the installed prompt.
bool AdminPWDConfirm();

// The administrator-password prompt (a screen) is installed by the widget side; it receives the
// password to match and returns whether the operator typed it. Installing it also makes
// AdminPWDConfirm the administrator gate of the record operations (SetAuthorityGate).
using AdminPasswordPrompt = std::function<bool(const QString& correctPassword)>;
void SetAdminPasswordPrompt(AdminPasswordPrompt prompt);

// Refuses a second running copy per program folder: true when this process is the only one.
bool AcquireSingleInstance();
QString SingleInstanceLockPath();
void ReleaseSingleInstance();
