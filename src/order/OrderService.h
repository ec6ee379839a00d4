#pragma once

#include "db/DbError.h"

#include <QDate>
#include <QList>
#include <QString>

// The writes of order taking: every change of an order header or line is one transaction together with the
// store balance and customer point postings it causes. Nothing here asks or tells the operator anything; the
// screens turn the results into messages. Engine errors raised by the query helpers (DbException) pass
// through after the transaction was rolled back.
namespace OrderService {

enum class Status
{
    Saved,
    // Nothing was written; the caller shows its save-failure message with the error.
    Failed,
    // Nothing was written and the operator has been told why already (after the rollback).
    Reported,
};

struct Result
{
    Status status = Status::Failed;
    ErrInfo error;
    bool ok() const { return status == Status::Saved; }
};

struct Header
{
    QString customer;
    QString phone;
    QString store;
    QDate date;
    QString time; // "HH:mm"
};

enum class HeaderField
{
    Phone,
    Store,
};

// Saves a new order under the next number of its date and terminal. The number is read and used inside the
// write, which holds the write lock from its start, and the next one is tried should another seat have taken
// it meanwhile.
Result InsertOrder(const Header& header, const QString& terminalId, QString& number);

// Changes the calling number (with the customer it belongs to) or the store of a saved order. When the
// customer changes, the points the order's lines earned move with it; pointsMoved tells whether any did.
Result UpdateOrder(const QString& number, HeaderField field, const Header& header,
                   bool* pointsMoved = nullptr);

struct Line
{
    qint64 menu = 0;
    qint64 quantity = 0;
    qint64 price = 0;
    QString memo;
};

enum class LineField
{
    Menu, // the menu and its price
    Quantity,
    Price,
    Memo,
};

struct LineResult : Result
{
    int lineNo = 0;
    qint64 points = 0; // the points the line now earns
};

// Adds a line under the next line number of the order, booking its commission and points.
LineResult InsertLine(const QString& number, const QString& store, const QString& customer, const Line& line,
                      qint64 pointUnit);

// Changes one field of a saved line; any change of its amount posts only the difference to the stored
// charges.
LineResult UpdateLine(const QString& number, int lineNo, LineField field, const QString& store,
                      const QString& customer, const Line& line, qint64 pointUnit);

// Saves a new order together with all its lines in one transaction: the header under the next number of its
// date and terminal, then each line numbered from 1 with its commission at the store's rate now and its
// points, each line posting as a typed one does. Either everything is stored or nothing.
Result InsertOrderWithLines(const Header& header, const QString& terminalId, const QList<Line>& lines,
                            qint64 pointUnit, QString& number);

enum class DeleteStatus
{
    Deleted,
    AlreadyGone, // the line (or its order) no longer exists
    NotDeleted,  // the delete touched no row
    Failed,      // engine error, in error
    Reported,    // a posting failed and the operator has been told
};

struct DeleteResult
{
    DeleteStatus status = DeleteStatus::Failed;
    ErrInfo error;
};

// Removes a line and reverses exactly the commission and points it had booked.
DeleteResult DeleteLine(const QString& number, int lineNo);

} // namespace OrderService
