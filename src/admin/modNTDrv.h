#pragma once

#include <QString>

// Reaching the server share of a network client seat.
//
// The platform brings the share up (on Linux a mount point that fstab/autofs knows, asked of `mount`
// unless already mounted, or an SMB share mounted for the user); the folder found is returned, "" on failure.
QString ConnectNetDrive(const QString& sharePath, const QString& password);
