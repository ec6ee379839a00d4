#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

// The digits of the customers' telephone numbers, so that the list's 전화번호 search finds a number however
// it was typed or stored ("0315550199", "031 555 0199" and "(031)555-0199" are the same number): one row
// per 전화1..4 of 고객 holding digits, with the digits forward and reversed, indexed for the equal, starting
// and ending searches, and a trigram index over them for the search inside a number. Triggers keep it in
// step, like the reversed-number table beside it (db/CustomerPhoneIndex.h), so every writer leaves it
// right; the schema creates it with the main database (layout version 5).

extern const QString kPhoneDigitsTable;  // "고객전화숫자"
extern const QString kPhoneDigitsSearch; // "고객전화숫자검색", the trigram index over 숫자
// How many leading characters of a number its digits are taken from.
constexpr int kPhoneDigitsChars = 32;

// The digits (0-9) among the first kPhoneDigitsChars characters of a stored number, as the table keeps them.
QString StoredPhoneDigits(const QString& number);

// The statements that create the table, its indexes, the trigram index and the triggers, and fill them from
// the stored customers. Plain SQLite, run in order on the main database; each may run again.
QStringList CustomerPhoneDigitsDdl();
// The same for a PostgreSQL server (a trigger function and pg_trgm; run without translation).
QStringList CustomerPhoneDigitsServerDdl();

// Condition on 고객 (without WHERE) for customers with a number whose digits relate to `digits` as the
// operator item of the search combo says ("*s*", "s*", "*s", "="), answered through the table's indexes.
QString PhoneDigitsCondition(const QString& modeItem, const QString& digits);
// The same test made on the four number columns themselves (ZK_PHONE_MATCH), for a walk of an index that
// holds them; the same rows as PhoneDigitsCondition. File engine only.
QString PhoneDigitsColumnsCondition(const QString& modeItem, const QString& digits);
// How many numbers the table offers for the search, counted up to `cap` (cap + 1 means "more"). Throws
// DbException on an engine error.
int PhoneDigitsCandidateCount(const QString& modeItem, const QString& digits, int cap);

// Registers ZK_PHONE_MATCH(mode, digits, number1, ..., number4) on a file connection.
void RegisterPhoneDigitsFunction(sqlite3* db);
