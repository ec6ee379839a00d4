#pragma once

#include <QString>
#include <QStringList>

// Each store's commissions summed per order date (가맹점일별수수료), kept in step with 주문 and 주문내역 by
// triggers, so that a store's balance before a date is read from a few hundred sums instead of every order
// line since the first day.
//
// Every line counts rounded to whole won, as the ledger books it. A line follows its order: a changed store
// or date moves its sum, and deleting an order deletes its lines first so they are taken off while the order
// still tells where they were booked. A day's sum may fall to 0 and stay as a row.

extern const QString kStoreDailySumsTable; // "가맹점일별수수료"

// The statements that create the table and its triggers and fill it from the stored orders, replacing what
// it held. Plain SQLite, to be run in order on the main database in one transaction; each may run again.
QStringList StoreDailySumsDdl();

// The same for the server (PostgreSQL: the table, PL/pgSQL trigger functions and their triggers); each may
// run again.
QStringList StoreDailySumsServerDdl();
