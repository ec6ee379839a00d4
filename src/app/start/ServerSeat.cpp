#include "app/start/ServerSeat.h"

#include "app/AppPaths.h"
#include "app/Globals.h"
#include "app/UserSettings.h"
#include "app/start/MduMain.h"

void SaveServerAddress(const QString& address)
{
    SetDBPath(AppPaths::ProgramPath(QStringLiteral("DBS")));
    gMainDBFile = address.trimmed();
    UserSettings::Save(QStringLiteral("DataBaseMain"), gMainDBFile);
    // The data is not on this machine: like a client of a shared folder, the seat leaves file backups to
    // the machine that holds the data.
    gCSType = 1;
    UserSettings::Save(QStringLiteral("CSType"), QStringLiteral("1"));
}
