#pragma once

#include <QString>
#include <QStringList>

class DbConnection;

// The reversed-number table that lets the customer search find numbers by their last digits through an
// index: one row per non-empty 전화1..4 of 고객 holding the number's last characters in reverse order,
// kept in step by triggers so every writer (other seats, the database tool) leaves it right. The schema
// creates it with the main database; the search over it is in masters/CustPhone.

// Name of the table and how many trailing characters of a number it keeps.
extern const QString kPhoneIndexTable; // "고객전화역순"
constexpr int kPhoneIndexChars = 32;

// The statements that create the table, its indexes and triggers and fill it from the stored customers.
// Plain SQLite, to be run in order on the main database (each may run again: they replace what exists).
QStringList CustomerPhoneIndexDdl();

// The same for a PostgreSQL server (a trigger function; run without translation).
QStringList CustomerPhoneIndexServerDdl();

// Runs CustomerPhoneIndexDdl() on an open connection in one transaction; false with *error on failure.
bool ApplyCustomerPhoneIndex(DbConnection& conn, QString* error);

// True when the connection's database carries the table.
bool HasCustomerPhoneIndex(DbConnection& conn);
