#pragma once

#include <QString>

// The settings of a seat whose main database is on a database server rather than in a file.

// Keeps the seat's own DBS folder (report template, postal codes) and saves `address` as the main
// database's location, where a file seat keeps the path of dbMain.mdb; for the next start.
void SaveServerAddress(const QString& address);
