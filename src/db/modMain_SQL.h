#pragma once

#include "app/SettingKeys.h"

#include <QString>

#include <functional>
#include <optional>

// Record operations shared by many screens: permission gate, settings table, company name,
// running-total postings and order deletion. All work on gMainConn.

// True when the screen may open; adds the screen's permission row on its first opening. A screen whose
// level is not 0 opens when the administrator gate says so.
bool PassAuthority(const QString& formName, const QString& formDescription, int defaultLevel = 0);
// The administrator gate: true lets a guarded screen open. The start-up code installs it
// (SetAdminPasswordPrompt installs AdminPWDConfirm); without one, guarded screens stay shut.
using AuthorityGate = std::function<bool()>;
void SetAuthorityGate(AuthorityGate gate);
// A setting of table 환경설정; a missing row is inserted with the default.
QString GetConfig(const QString& name, const QString& defaultValue);
// The same, but nothing when the setting could not be read (the error was shown), so a caller guarding
// something with the value never mistakes a failure for the default.
std::optional<QString> ReadConfig(const QString& name, const QString& defaultValue);
// The same without inserting a missing row (the default comes back), for a start that may not write yet.
std::optional<QString> PeekConfig(const QString& name, const QString& defaultValue);
bool SaveConfig(const QString& name, const QString& value);
// The same for a setting of the settings table (Settings::Store::Database), which gives the name and the
// default: a stored value the table refuses reads as the default.
QString GetConfig(Settings::Key key);
std::optional<QString> ReadConfig(Settings::Key key);
std::optional<QString> PeekConfig(Settings::Key key);
bool SaveConfig(Settings::Key key, const QString& value);
// First 상호명 of 사용자정보, or "테스Soft".
QString GetCompanyName();

// Relative postings; they join the caller's transaction when one is open.
bool AdjustPoints(const QString& customerCode, qint64 difference);
bool AdjustBalance(const QString& storeCode, double difference);

// Deletes an order with its lines and reverses their commission and points, all in one transaction.
bool DeleteOrder(const QString& orderNumber);
