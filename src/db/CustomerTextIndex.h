#pragma once

#include <QString>
#include <QStringList>

// The substring index of the customers: an SQLite FTS5 table with the trigram tokenizer over 전화1..4,
// 주소1, 주소2 and 메모 of 고객, kept in step by triggers like the reversed-number table, so that a search
// for a text inside those columns reads a few index pages instead of every customer.
//
// The index is contentless (it keeps no copy of the texts). Its row numbers come from 고객검색번호, a table
// giving every customer code a number of its own: 고객 has no integer key, and the engine may renumber an
// implicit rowid when the file is compacted. The index only narrows the search: every condition built here
// keeps the plain LIKE (or =) beside it, so a search returns exactly the rows of that condition, letter case
// and escaped wildcards included. Another engine puts its own index (PostgreSQL: pg_trgm) behind
// TextIndexCandidates and IndexedSearchWhere.

extern const QString kTextIndexTable; // "고객검색"
extern const QString kTextIndexKeys;  // "고객검색번호"
// Shorter texts have no trigram to look up and are searched with the plain condition.
constexpr int kTextIndexMinChars = 3;

// The statements that create the key table, the index and its triggers and fill them from the stored
// customers. Plain SQLite, to be run in order on the main database; each may run again.
QStringList CustomerTextIndexDdl();

// The server's substring index: trigram (pg_trgm) indexes over the same columns; each may run again.
QStringList CustomerTextIndexServerDdl();

// Condition on 고객 (without WHERE) that holds for every customer with `text` inside one of `columns`, and
// for a few more the index cannot tell apart (letters of other alphabets in another case); "" when the
// index cannot serve the search: a text under kTextIndexMinChars characters or a column it does not hold.
QString TextIndexCandidates(const QStringList& columns, const QString& text);

// MakeSearchWhere's condition for a list search (columns comma-separated, the operator item of the search
// combo), narrowed by the index when it can serve the text. Returns exactly the rows of MakeSearchWhere.
QString IndexedSearchWhere(const QString& columns, const QString& modeItem, const QString& text);

// How many customers the index offers for the text, counted up to `cap` (cap + 1 means "more"); -1 when
// the index cannot serve it. Throws DbException on an engine error.
int TextIndexCandidateCount(const QStringList& columns, const QString& text, int cap);
