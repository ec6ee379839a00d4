#pragma once

#include "db/MduAdoDB.h"
#include "db/ReadQuery.h"

#include <QString>
#include <QStringList>
#include <QVariant>

// Query helpers on the main connection. GetFirstValue, CountRows, NextNumber and NextCode throw DbException
// on an engine error, leaving the report to their callers; the others report errors themselves.

// Opens a read-only result on gMainConn and returns its exact row count (-1 when the query failed).
int OpenQuery(Recordset& rs, const QString& sql);
// The same for a read with bound values.
int OpenQuery(Recordset& rs, const ReadQuery& read);
// First column of the first row, or Null when there is no row.
QVariant GetFirstValue(const QString& sql);
QVariant GetFirstValue(DbConnection& conn, const QString& sql);
// Rows affected by an action statement; on an engine error shows "Error n: desc" and returns -1.
int ExecSQL(const QString& sql);
int ExecSQL(DbConnection& conn, const QString& sql);
int CountRows(const QString& table, const QString& condition = {});
int NextNumber(const QString& table, const QString& column, const QString& condition = {});
// Next fixed-width code: prefix + zero-padded running number; "" with a message when the space is exhausted.
QString NextCode(const QString& table, const QString& column, int width, const QString& prefix,
                 const QString& condition = {});

// Duplicate checks: true = a duplicate exists and the caller stops (or, when asking, the user said No).
bool CheckDupValue(const QString& table, const QString& column, const QString& value,
                   const QString& condition, bool ask, const QString& itemName,
                   const QString& shownValue = {});
bool CheckDupAny(const QString& table, const QStringList& columns, const QString& value,
                 const QString& condition, bool ask, const QString& itemName, const QString& shownValue = {});
bool CheckDupJoined(const QString& table, const QStringList& columns, const QString& value,
                    const QString& condition, bool ask, const QString& itemName,
                    const QString& shownValue = {});

// The text with its quotes doubled, to stand between quotes in SQL text.
QString SQLQuote(const QString& text);
// The text as an SQL string literal: in quotes, its quotes doubled ("it's" gives 'it''s').
QString SQLLiteral(const QString& text);

// Where a searched text must stand in the column for a LIKE match.
enum class LikeMatch
{
    Contains,
    StartsWith,
    EndsWith
};
// The quoted LIKE pattern (with its surrounding quotes) that finds the text as typed: quotes doubled as
// SQLQuote does, and "%", "_" and "\" taken literally. Only a text holding one of those three gets them
// escaped and " ESCAPE '\'" after the literal; every other text gives the plain pattern, so ordinary
// searches keep their statement. Backslash is also PostgreSQL's own LIKE escape, so the plain pattern of
// a text without one means the same there.
QString SQLLikePattern(const QString& text, LikeMatch match);
QString MakeLikeClause(const QString& mode, const QString& text);
QString MakeSearchWhere(const QString& columns, const QString& modeItem, const QString& text);
QString NullToStr(const QVariant& value);

// Leading number of a text: blanks skipped, stops at the first character that
// cannot continue a number ("12ab" → 12, "" → 0).
double Val(const QString& text);
// A number as SQL text: plain decimal with "." and no exponent, whatever the locale.
QString SqlNumber(double value);
