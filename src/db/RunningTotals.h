#pragma once

#include "ui/ErrInfo.h"

#include <QString>

#include <vector>

class DbConnection;

// The running totals kept beside their rows, recomputed from those rows: a store's 현잔액 (기초잔액 plus
// its lines' commission minus its payments and discounts) and a customer's 현포인트 (기초포인트 plus its
// lines' points minus the points its services deducted). Reads only; a drift is reported, never mended.
namespace RunningTotals {

// One total that differs from what its rows say.
struct Drift
{
    QString kind;     // "가맹점 잔액" or "고객 포인트"
    QString code;     // the store's or the customer's code
    QString stored;   // the stored total
    QString computed; // what the rows make it
    // "1003 현잔액 12000.00, 계산값 11500.00"
    QString text() const;
};

// Every drifted total on `db` (a file or a server), stores first, each in code order; false with the
// engine's words in *error when a query fails.
bool Find(DbConnection& db, std::vector<Drift>* drift, ErrInfo* error);
} // namespace RunningTotals
