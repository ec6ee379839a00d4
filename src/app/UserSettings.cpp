#include "app/UserSettings.h"

#include "app/Platform.h"
#include "ui/MsgBox.h"

#include <QDir>
#include <QSettings>

#include <cmath>
#include <memory>

namespace {
QString g_folder;

std::unique_ptr<QSettings> storeOf(const QString& appName)
{
    return CurrentPlatform().OpenSettings(UserSettings::Folder(), appName);
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

QString Get(const QString& key, const QString& defaultValue)
{
    return GetSetting(AppTitle(), QStringLiteral("환경설정"), key, defaultValue);
}

void Save(const QString& key, const QString& value)
{
    SaveSetting(AppTitle(), QStringLiteral("환경설정"), key, value);
}

double NumberInRange(const QString& text, double lowest, double highest, double fallback)
{
    bool ok = false;
    const double n = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(n) || n < lowest || n > highest)
        return fallback;
    return n;
}

double GetNumber(const QString& key, double lowest, double highest, double fallback)
{
    return NumberInRange(Get(key), lowest, highest, fallback);
}
} // namespace UserSettings
