#include "admin/modNTDrv.h"

#include "app/AppPaths.h"
#include "app/Platform.h"

QString ConnectNetDrive(const QString& sharePath, const QString& password)
{
    return CurrentPlatform().ConnectShare(AppPaths::Native(sharePath), password);
}
