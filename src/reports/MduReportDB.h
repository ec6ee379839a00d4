#pragma once

#include "ui/Notice.h"

#include <QString>

// The seat's own report database: rebuilt from its template at every start, deleted at shutdown. What goes
// wrong is added to `found` for the screen to show.

bool CreateRPTFile(Notices& found);
void CloseRPTFile();
// Empties a work table of the report database in one transaction.
bool ClearTable(const QString& table, Notices& found);
// Adds values from a query on the main database into rows of a report table, matched by a key column.
bool RPTUpdate_strcode(Notices& found, const QString& sql, const QString& table, const QString& field,
                       int valueIndex, const QString& keyField, int keyIndex, const QString& field2 = {},
                       int value2Index = -1);
