#pragma once

#include <QString>
#include <QStringList>

// The statements of the customer list: the codes a search finds, in address order, and the rows of a page
// of those codes. The list holds the codes of every row (a million fit in a few tens of megabytes) and reads
// the rows only as they come into view.

// Name of the list index of 고객: (주소1, 주소2, 코드, 전화1, 전화2, 전화3, 전화4).
extern const QString kCustomerListIndex; // "ix_고객_5"

// Rows the text index may offer before a search reads the list index (or the table) instead: a search of
// columns the list index holds walks it, in order, from the first screen on; any other search reads the
// whole table, which costs what fetching a few tens of thousands of rows one by one does.
constexpr int kFewCandidates = 5000;
constexpr int kTableScanCandidates = 25000;

// "SELECT 코드 FROM 고객 … [WHERE …] ORDER BY 주소1, 주소2, 코드" for a search of the list (columns
// comma-separated, the operator item of the search combo, the text; an empty text lists everyone), with the
// plan chosen for it: the four number columns compare the digits of the text with the digits of the numbers
// (db/CustomerPhoneDigits.h), few found through the digits table and sorted; few candidates of the text
// index are sorted; an equal 주소1 reads its rows from the list index, in order; the whole list and searches
// with many rows on columns of the list index walk that index, which is in order and holds what the condition
// tests; any other search reads the table once and sorts. Throws DbException on an engine error.
QString CustomerListKeysSql(const QString& columns, const QString& modeItem, const QString& text);

// The list of a search and, when it walks the list index, its count through the same plan: the count then
// takes a fraction of the time of reading every code; a sorted list has none (the count would cost as much).
struct CustomerListStatements
{
    QString keys;
    QString count;
};
CustomerListStatements CustomerListSql(const QString& columns, const QString& modeItem, const QString& text);

// "SELECT COUNT(*) FROM 고객 WHERE 코드 = … AND …": 1 when the customer of that code is among what the search
// finds, 0 when not (or when there is no such customer). Throws DbException on an engine error.
QString CustomerListMatchSql(const QString& columns, const QString& modeItem, const QString& text,
                             const QString& code);

// "SELECT * FROM 고객 WHERE 코드 IN (…)" for the given codes, in no particular order.
QString CustomerRowsSql(const QStringList& codes);
