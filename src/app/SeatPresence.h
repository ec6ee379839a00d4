#pragma once

#include <QString>

// The marker a running seat keeps in the shared database folder ("seats/<terminal>@<host>#<pid>.seat"),
// refreshed while it runs and removed when it ends, so a restore can tell which seats still use the data.
namespace SeatPresence {

// Starts marking this seat; the marker is touched every 30 seconds.
void Start(const QString& databaseFolder, const QString& terminal);
// Removes the marker.
void Stop();

} // namespace SeatPresence
