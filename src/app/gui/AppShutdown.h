#pragma once

#include <QString>

// Ends the program through its normal shutdown when the system asks for it (logout, shutdown, kill,
// Ctrl+C): the request is handled by the event loop between units of work, waits for an open write to
// commit or roll back, answers every open dialog as Escape would, closes the windows (layouts saved, the
// main window's own end) and leaves the rest to the program's ordinary end (markers removed, report
// database closed and deleted).
namespace AppShutdown {
// Watches the system's end requests from now on.
void Install();
// What a request runs (tests call it directly).
void Request(const QString& cause);
// Whether an end was requested: the start does not go on to its next screen then.
bool Requested();
void ResetForTest();
} // namespace AppShutdown
