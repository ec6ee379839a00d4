#pragma once

#include "ui/ErrInfo.h"

#include <QDate>
#include <QString>

// The writes of point services: a service with its deduction, a cancelled service with its points given back,
// each one transaction on the main database. Nothing here asks or tells the operator anything.
namespace PointService {

enum class Status
{
    Done,
    // The customer's stored points are below the deduction (another seat may have spent them meanwhile);
    // nothing was written.
    TooFewPoints,
    // The customer or the service does not exist (deleted meanwhile, or already cancelled).
    NotFound,
    // No points to deduct (zero or less); nothing was written.
    NoPoints,
    // The relationships of the schema refuse the delete.
    Linked,
    // An engine error; error tells it.
    Failed,
};

struct Result
{
    Status status = Status::Failed;
    ErrInfo error;
    // The customer and the points of a cancelled service.
    QString customer;
    qint64 points = 0;
    bool ok() const { return status == Status::Done; }
};

// Records a service of `points` for the customer on `date` and deducts them, only while the stored points
// still reach them: points never go below zero through a service.
Result GrantService(const QString& customer, qint64 points, const QDate& date);

// Deletes the service with 처리순번 `key` and gives its points back to its customer.
Result CancelService(qint64 key);

} // namespace PointService
