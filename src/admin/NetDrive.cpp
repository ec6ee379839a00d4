#include "admin/NetDrive.h"

#include "app/AppPaths.h"
#include "app/Platform.h"

QString ConnectNetworkDrive(const QString& sharePath, const QString& password)
{
    return CurrentPlatform().ConnectShare(AppPaths::Native(sharePath), password);
}
