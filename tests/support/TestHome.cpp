#include "support/TestHome.h"

#include "app/AppPaths.h"
#include "app/UserSettings.h"

#include <QDir>

TestHome::TestHome()
{
    QDir(m_dir.path()).mkpath(QStringLiteral("home/DBS"));
    QDir(m_dir.path()).mkpath(QStringLiteral("settings"));
    AppPaths::SetProgramFolder(programFolder());
    UserSettings::SetFolder(settingsFolder());
}

QString TestHome::programFolder() const
{
    return m_dir.path() + QStringLiteral("/home");
}

QString TestHome::settingsFolder() const
{
    return m_dir.path() + QStringLiteral("/settings");
}

QString TestHome::dbsFolder() const
{
    return programFolder() + QStringLiteral("/DBS");
}
