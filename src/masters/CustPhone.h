#pragma once

#include <QString>
#include <QStringList>

// Telephone numbers of customers and stores: the one form they are stored in, the number a caller is
// using, and the search condition over the four telephone columns.

// The stored form of a typed number: blanks trimmed and, when it holds nothing but digits and the usual
// separators, dashed by FormatPhone ("0212345678" and "02)1234-5678" both become "02-1234-5678"). Text
// with letters or notes in it is kept as typed, so nothing the operator wrote is lost.
QString CanonicalPhone(const QString& typed);

// The text without any "-".
QString WithoutHyphens(const QString& text);

// The numbers among `rowNumbers` (empty ones skipped) whose text without "-" occurs inside the searched
// number (given without "-"), in the order given.
QStringList MatchingPhones(const QStringList& rowNumbers, const QString& searchedDigits);

// The text the telephone search looks for at the end of the numbers: texts of five characters or more
// in the FormatPhone form, shorter ones as typed.
QString PhoneSearchSuffix(const QString& searchText);

// The text reversed character by character, as the triggers of the reversed-number table
// (db/CustomerPhoneIndex.h) store a number with SUBSTR.
QString ReversedText(const QString& text);

// Condition (without WHERE) that is true for customers with a number in 전화1 to 전화4 ending in
// `suffix` (LIKE semantics). With `useIndex` the reversed-number table answers it through its index;
// it returns exactly the rows of the four-column scan and falls back to that scan for patterns the
// index cannot serve.
QString PhoneSuffixCondition(const QString& suffix, bool useIndex);

// Rewrites a mistyped number of one customer in the column that holds it; false when the customer holds no
// such number (or the write failed, which the engine error box has told).
bool ReplaceCustomerPhone(const QString& customerCode, const QString& oldNumber, const QString& newNumber);
