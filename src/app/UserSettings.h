#pragma once

#include <QString>

// Per-user settings store: text values by application name, section and key. The program reads and writes
// its settings through the settings table (app/SettingKeys), which checks every value it reads; the
// text-keyed calls are for that table and for tests that look at the stored files.
//
// The settings folder is $ZELKOVA_SETTINGS when set, otherwise the platform's (on Linux ~/.config/zelkova,
// one INI file per application name). Tests point the folder at a throwaway directory.
namespace UserSettings {
void SetFolder(const QString& folder);
QString Folder();
QString GetSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& defaultValue = {});
void SaveSetting(const QString& appName, const QString& section, const QString& key, const QString& value);
void DeleteSetting(const QString& appName, const QString& section, const QString& key);

// Shortcuts for the program's own section "환경설정" under the program's title; the installation's keys
// (IsInstallationKey) are read and written for the program folder in use.
QString Get(const QString& key, const QString& defaultValue = {});
void Save(const QString& key, const QString& value);

// Where an installation's data is belongs to its program folder, not to the user: "CSType", "DB경로",
// "DataBaseMain", "네트웍경로" and "네트웍드라이브" of "환경설정", and the "Backup" entry, are kept per
// program folder (below "<section>/<folder key>"), so `--home B` never reads what the seat remembered for
// folder A. A value an older version kept for every folder at once is taken only where it plainly belongs
// to this folder: the folder is the platform's default one, or that value's database folder is this
// folder's own DBS.
bool IsInstallationKey(const QString& key);
QString InstallationSection(const QString& section);
QString GetInstallationSetting(const QString& appName, const QString& section, const QString& key,
                               const QString& defaultValue = {});
void SaveInstallationSetting(const QString& appName, const QString& section, const QString& key,
                             const QString& value);
} // namespace UserSettings
