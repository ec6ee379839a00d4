#pragma once

#include "db/Schema.h"

#include <QString>
#include <QStringList>

#include <functional>

// The main database on a PostgreSQL server: the same tables, keys, relationships and indexes as the file,
// the reversed-number table and the substring index kept by triggers, and the layout version.
namespace ServerSchema {

// Tells how far a long piece of work is (0..100) and what it is doing.
using Progress = std::function<void(int percent, const QString& step)>;

// The reversed-number table, the trigram indexes and their triggers, filled from the stored customers;
// each statement may run again.
QStringList DerivedStatements();

// Creates the database the address names (it must not exist yet) with the current layout.
bool CreateDatabase(const QString& address, QString* error);
// Layout version stored on the server (0 when it has none, -1 when it cannot be read).
int StoredVersion(const QString& address, QString* error);
// Brings an older server database up to Schema::kCurrentVersion.
bool Upgrade(const QString& address, QString* error);

// Moves every row of a main database file to the (new, empty) server database at `address`, sets the key
// counters after the largest keys and checks that counts, balances and points agree on both sides.
bool CopyFromFile(const QString& mainFile, const QString& address, const Progress& progress, QString* error);
} // namespace ServerSchema
