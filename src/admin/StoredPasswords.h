#pragma once

#include "admin/PasswordHash.h"
#include "app/SettingKeys.h"
#include "ui/Notice.h"

#include <QString>

#include <optional>

// The login and administrator passwords in table 환경설정: saved only as hashes, clear text of an older
// database replaced by its hash.
namespace StoredPasswords {

inline const QString kLoginKey = Settings::Name(Settings::Key::LoginPassword);
inline const QString kAdminKey = Settings::Name(Settings::Key::AdminPassword);

// The administrator password ignores letter case; every other password is exact.
PasswordHash::LetterCase CaseOf(const QString& key);
// Saves the password's stored form ("" for none) and returns it; nothing when the save failed (the error
// was shown).
std::optional<QString> Save(const QString& key, const QString& password);
// Replaces a clear-text value of the setting with its hash, leaving a missing row missing. The stored
// form now in the table, nothing when it could not be read (the error added to `found`). A failed
// replacement keeps the clear text, which still matches.
std::optional<QString> UpgradeClearText(const QString& key, Notices& found);
// The same for a value already read.
QString UpgradeClearText(const QString& key, const QString& stored);
// After typed was accepted against stored: when stored is older than today's hashes (PasswordHash::
// NeedsRehash) it is replaced by a new hash of typed, unless another seat changed the setting meanwhile.
// Returns the stored form now in force; a failed replacement keeps the old one, which still matches, and
// only goes to the log.
QString Rehash(const QString& key, const QString& typed, const QString& stored);

} // namespace StoredPasswords
