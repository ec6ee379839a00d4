#pragma once

#include "db/ReadQuery.h"

#include <QList>
#include <QString>
#include <QStringList>

// The reads of the payment and point-service screens, with the store or customer each row belongs to.
namespace AccountQueries {

// Payments (입금) of the days from..to ("yyyy-MM-dd"), of one store when storeCode is not empty, each with
// its store's 상호 and 전화1; by day, store and entry.
ReadQuery Payments(const QString& from, const QString& to, const QString& storeCode = {});
// One payment by its 처리순번, with its store's 상호, 현잔액 and 전화1.
ReadQuery Payment(qint64 key);

// Customers (전화1, 현포인트, 코드) holding at least that many points, most points first; only those of
// codes when it is not empty.
ReadQuery PointCustomers(qint64 threshold, const QStringList& codes = {});
// Services (서비스) of the days from..to, each with its customer's 전화1, 우편번호, 주소1 and 주소2; by day
// and entry. Only the entries keys, or those of the customers customerCodes, when either is not empty.
ReadQuery Services(const QString& from, const QString& to, const QList<qint64>& keys = {},
                   const QStringList& customerCodes = {});

} // namespace AccountQueries
