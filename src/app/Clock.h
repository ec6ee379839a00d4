#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

// The program's one source of "now"; tests fix it so order numbers, availability and ledgers are repeatable.
namespace Clock {
QDateTime Now();
QDate Today();
QTime Time();
// Freezes the clock at the given moment (an invalid value lets it run again).
void SetFixed(const QDateTime& moment);
// Moves a frozen clock forward.
void Advance(qint64 seconds);
} // namespace Clock
