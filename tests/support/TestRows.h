#pragma once

#include <QString>

// Rows written straight into gMainConn's main database for a test's starting state, and the running totals
// read back. Each write must change exactly one row, else the test fails where it was called.
namespace Rows {
void exec(const QString& sql);
// A customer whose current and opening points are both `points`.
void addCustomer(const QString& code, const QString& phone, qint64 points = 0, const QString& address1 = {},
                 const QString& address2 = {});
// A store at 10 % commission, open 00:00-23:59, with its current and opening balance.
void addStore(const QString& code, const QString& name, double balance = 0, double opening = 0,
              const QString& memo = {});
// A picked menu as the menu pickers return it: NUL, code, NUL, name, NUL, quantity.
QString menuRecord(const QString& code, const QString& name, const QString& qty);
// 현잔액 of a store, 현포인트 of a customer.
double balance(const QString& store);
qint64 points(const QString& customer);
} // namespace Rows
