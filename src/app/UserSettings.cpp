#include "app/UserSettings.h"

#include "app/AppPaths.h"
#include "app/Globals.h"
#include "app/Platform.h"
#include "app/SettingKeys.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <memory>

namespace {
QString g_folder;

const QString kSection = QStringLiteral("환경설정");

std::unique_ptr<QSettings> storeOf(const QString& appName)
{
    return CurrentPlatform().OpenSettings(UserSettings::Folder(), appName);
}

QString folderKey()
{
    return QString::fromLatin1(
        QCryptographicHash::hash(AppPaths::ProgramFolder().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16));
}

QString cleaned(const QString& path)
{
    return QDir::cleanPath(QFileInfo(AppPaths::Native(path)).absoluteFilePath());
}

// Whether what an older version remembered for every folder belongs to the program folder in use.
bool legacyBelongsHere()
{
    const QString folder = storeOf(AppTitle())
                               ->value(kSection + QLatin1Char('/') + Settings::Name(Settings::Key::DbFolder))
                               .toString();
    if (folder.trimmed().isEmpty())
        return false;
    if (AppPaths::ProgramFolder() == cleaned(CurrentPlatform().DefaultProgramFolder()))
        return true;
    return cleaned(folder).compare(cleaned(AppPaths::ProgramPath(QStringLiteral("DBS"))),
                                   Qt::CaseInsensitive) == 0;
}

// The keys of "환경설정" kept per program folder, as the settings table names them.
QStringList installationKeys()
{
    QStringList keys;
    for (const Settings::Row& row : Settings::Table())
        if (row.store == Settings::Store::Installation && !row.app &&
            QString::fromUtf8(row.section) == kSection)
            keys.append(QString::fromUtf8(row.name));
    return keys;
}

const QString kFolderKey = QStringLiteral("/프로그램폴더");

// The first time a program folder's settings are asked for, an older version's values that belong to it
// become its own, all together (a seat type without its folder would make no sense).
void adoptLegacy()
{
    const std::unique_ptr<QSettings> s = storeOf(AppTitle());
    const QString group = UserSettings::InstallationSection(kSection);
    if (s->contains(group + kFolderKey) || !legacyBelongsHere())
        return;
    QDir().mkpath(UserSettings::Folder());
    for (const QString& name : installationKeys()) {
        const QVariant v = s->value(kSection + QLatin1Char('/') + name);
        if (v.isValid())
            s->setValue(group + QLatin1Char('/') + name, v);
    }
    s->setValue(group + kFolderKey, AppPaths::ProgramFolder());
    s->sync();
    const std::unique_ptr<QSettings> backup = storeOf(QStringLiteral("Backup"));
    const QVariant entry = backup->value(QStringLiteral("DB경로/경로"));
    if (entry.isValid()) {
        const QString backupGroup = UserSettings::InstallationSection(QStringLiteral("DB경로"));
        backup->setValue(backupGroup + kFolderKey, AppPaths::ProgramFolder());
        backup->setValue(backupGroup + QStringLiteral("/경로"), entry);
        backup->sync();
    }
}
} // namespace

namespace UserSettings {
void SetFolder(const QString& folder)
{
    g_folder = folder;
}

QString Folder()
{
    if (!g_folder.isEmpty())
        return g_folder;
    const QString env = qEnvironmentVariable("ZELKOVA_SETTINGS");
    if (!env.isEmpty())
        return env;
    return CurrentPlatform().DefaultSettingsFolder();
}

QString GetSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& defaultValue)
{
    const QVariant v = storeOf(appName)->value(section + QLatin1Char('/') + key);
    return v.isValid() ? v.toString() : defaultValue;
}

void SaveSetting(const QString& appName, const QString& section, const QString& key, const QString& value)
{
    QDir().mkpath(Folder());
    const std::unique_ptr<QSettings> s = storeOf(appName);
    s->setValue(section + QLatin1Char('/') + key, value);
    s->sync();
}

void DeleteSetting(const QString& appName, const QString& section, const QString& key)
{
    const std::unique_ptr<QSettings> s = storeOf(appName);
    s->remove(section + QLatin1Char('/') + key);
    s->sync();
}

bool IsInstallationKey(const QString& key)
{
    static const QStringList keys = installationKeys();
    return keys.contains(key);
}

QString InstallationSection(const QString& section)
{
    return section + QLatin1Char('/') + folderKey();
}

QString GetInstallationSetting(const QString& appName, const QString& section, const QString& key,
                               const QString& defaultValue)
{
    adoptLegacy();
    const QVariant v = storeOf(appName)->value(InstallationSection(section) + QLatin1Char('/') + key);
    return v.isValid() ? v.toString() : defaultValue;
}

void SaveInstallationSetting(const QString& appName, const QString& section, const QString& key,
                             const QString& value)
{
    adoptLegacy();
    QDir().mkpath(Folder());
    const std::unique_ptr<QSettings> s = storeOf(appName);
    const QString group = InstallationSection(section);
    // The folder itself beside its values, for whoever reads the file.
    s->setValue(group + kFolderKey, AppPaths::ProgramFolder());
    s->setValue(group + QLatin1Char('/') + key, value);
    s->sync();
}

QString Get(const QString& key, const QString& defaultValue)
{
    if (IsInstallationKey(key))
        return GetInstallationSetting(AppTitle(), kSection, key, defaultValue);
    return GetSetting(AppTitle(), kSection, key, defaultValue);
}

void Save(const QString& key, const QString& value)
{
    if (IsInstallationKey(key))
        SaveInstallationSetting(AppTitle(), kSection, key, value);
    else
        SaveSetting(AppTitle(), kSection, key, value);
}

} // namespace UserSettings
