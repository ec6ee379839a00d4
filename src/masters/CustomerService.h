#pragma once

#include "masters/CustomerRecord.h"
#include "ui/ErrInfo.h"

#include <QString>

// The writes of the customer screens: a new customer with its code, a changed customer with its 현포인트
// re-based on the new 기초포인트, and the delete. Nothing here asks or tells the operator anything, except
// the query helpers' messages, which wait until the write has ended. Engine errors the query helpers raise
// (DbException) pass through after the transaction was rolled back.
namespace CustomerService {

enum class Status
{
    Saved,
    // The customer is gone (deleted at another seat) or the statement changed nothing.
    NotFound,
    // Nothing was written and the operator has been told why already.
    Reported,
    // Orders or services refer to the customer: the relationships of the schema refuse the delete.
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

// Inserts the customer with the next code of the terminal, written into c.code; 현포인트 starts at
// 기초포인트. The code is read and used inside one write holding the write lock from its start, and when
// it has been taken all the same by the time the row goes in, the next one is tried.
Result InsertCustomer(CustomerRecord& c, const QString& terminalId);
// Writes every column but the code; 현포인트 moves by the change of 기초포인트 (relative, so the points
// other seats posted meanwhile stay).
Result UpdateCustomer(const CustomerRecord& c);
Result DeleteCustomer(const QString& code);

} // namespace CustomerService
