#include "app/start/ServerSeat.h"

#include "app/AppPaths.h"
#include "app/Globals.h"
#include "app/SettingKeys.h"
#include "app/start/MduMain.h"

void SaveServerAddress(const QString& address)
{
    SetDBPath(AppPaths::ProgramPath(QStringLiteral("DBS")));
    gMainDBFile = address.trimmed();
    Settings::Save(Settings::Key::MainDatabase, gMainDBFile);
    // The data is not on this machine: like a client of a shared folder, the seat leaves file backups to
    // the machine that holds the data.
    gCSType = 1;
    Settings::Save(Settings::Key::CsType, QStringLiteral("1"));
}
