#pragma once

#include <QString>

// Reaching the server share of a network client seat.
//
// The platform brings the share up (on Linux a mount point that fstab/autofs knows, asked of `mount`
// unless already mounted); the folder found is returned, "" on failure.
QString ConnectNetworkDrive(const QString& sharePath, const QString& password);
