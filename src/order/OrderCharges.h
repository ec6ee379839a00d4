#pragma once

#include <QDate>
#include <QString>

// The arithmetic of orders: line charges and order numbers.
namespace OrderCharges {

// Amount of a line: quantity × unit price, in whole won.
qint64 LineAmount(qint64 quantity, qint64 unitPrice);

// Points a line earns: amount ÷ point unit, rounded half away from zero; no points when the unit is not
// positive.
qint64 LinePoints(qint64 amount, qint64 pointUnit);

// Commission of a line: rate % of the amount with the fraction cut toward zero. Computed on the rate in
// ten-thousandths of a percent, so exact results stay exact (0.7 % of 1,000 is 7, not 6.999… cut to 6).
qint64 LineCommission(double ratePercent, qint64 amount);

// "yymmdd" + terminal number: the prefix every order number of that day and seat shares.
QString OrderNumberPrefix(const QDate& date, const QString& terminalId);

// Whether a time "HH:MM" lies outside business hours start..end ("HH:MM" each). Hours count as running past
// midnight only when the closing time is earlier than the opening time (17:00–02:00), so a store open
// 06:00–11:00 is closed at 12:00.
bool IsOutsideHours(const QString& start, const QString& end, const QString& now);

} // namespace OrderCharges
