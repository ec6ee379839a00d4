#pragma once

#include "ui/ErrInfo.h"

#include <QString>

// The writes of store payments: each insert, change or delete of a payment commits together with the
// balance postings it causes (a payment and its discount lower the store's 현잔액). Nothing here asks or
// tells the operator anything, except the posting warnings, which wait until the write has ended.
namespace PaymentService {

enum class Status
{
    Saved,
    // The store code names no store.
    UnknownStore,
    // The payment is gone (deleted at another seat) or the statement changed nothing.
    NotFound,
    // Nothing was written and the operator has been told why already (a posting failed).
    Reported,
    // The database refused a delete of rows others refer to.
    Linked,
    // An engine error; error tells it.
    Failed,
};

struct Result
{
    Status status = Status::Failed;
    ErrInfo error;
    bool ok() const { return status == Status::Saved; }
};

struct Payment
{
    QString store;
    QString date; // "yyyy-MM-dd"
    qint64 amount = 0;
    qint64 discount = 0;
    QString memo;
    // What the payment takes off the store's balance.
    qint64 total() const { return amount + discount; }
};

// Records a payment; key receives the 처리순번 the insert itself produced.
Result InsertPayment(const Payment& payment, qint64& key);
// Changes a payment. The balance moves by the difference to what is stored now (not what the editor
// loaded), to the new store when the payment moved.
Result UpdatePayment(qint64 key, const Payment& payment);
// Deletes a payment and gives its total back to the store's balance.
Result DeletePayment(qint64 key);

} // namespace PaymentService
