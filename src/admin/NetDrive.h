#pragma once

#include <QString>

// Reaching the server share of a network client seat.
//
// On Linux a "drive" is the folder where the share is mounted. The share path saved for the seat is
// either already a mounted folder, or a mount point that fstab/autofs knows, which `mount` is asked to
// bring up; the folder found is returned, "" on failure.
QString ConnectNetworkDrive(const QString& sharePath, const QString& password);
