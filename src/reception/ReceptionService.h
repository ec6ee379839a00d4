#pragma once

#include "ui/ErrInfo.h"

#include <QString>
#include <QStringList>

class DbConnection;

// Passing orders on to their stores (접수) and taking that back. Each change is one conditional statement, so
// two seats acting on one order cannot both succeed; nothing here tells the operator anything.
namespace ReceptionService {

enum class Status
{
    Done,
    // Accepting: another seat passed the order on first.
    AlreadyPassedOn,
    // Undoing: the order is waiting (never passed on, or taken back at another seat).
    NotPassedOn,
    // The order is gone (deleted at another seat).
    NotFound,
    // Nothing was written and the operator has been told why already (the query helpers' messages).
    Reported,
    // An engine error; error tells it.
    Failed,
};

struct Result
{
    Status status = Status::Failed;
    ErrInfo error;
    bool ok() const { return status == Status::Done; }
};

// 통보시간 = time ("HH:MM") when the order is still waiting.
Result PassOn(DbConnection& conn, const QString& orderNumber, const QString& time);
// 통보시간 = "" when the order is passed on.
Result Undo(DbConnection& conn, const QString& orderNumber);

// Filter of the reception list by passing-on state.
enum class StateFilter
{
    All,
    Waiting,
    PassedOn,
};

struct ListFilter
{
    QString date; // "yyyy-MM-dd"
    // Only orders taken at this seat: the seventh character of the order number is its terminal.
    bool ownSeatOnly = false;
    QString terminalId;
    StateFilter state = StateFilter::Waiting;
    // Beginning of a store code; "" lists every store.
    QString storePrefix;
    // Only these orders (the ones other seats changed); empty = every order the rest lets through.
    QStringList orderNumbers;
};

// The orders of a day with their customers' addresses, by store, time and number.
QString ListSql(const ListFilter& filter);

} // namespace ReceptionService
