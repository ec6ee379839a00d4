#pragma once

#include "db/Recordset.h"
#include "ui/ErrInfo.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

class DbConnection;

// What order taking and reception read of orders, their lines and menus, every value bound.
namespace OrderReads {
// The main window's order list: one day's orders, optionally narrowed.
struct DayFilter
{
    QString date; // "yyyy-MM-dd"
    // Part of an order number as typed ("" = every order); "%" and "_" are taken literally.
    QString numberPart;
    // One customer's orders only; "" = every customer.
    QString customerCode;
    // Only these orders (the ones other seats changed); empty = every order the rest lets through.
    QStringList orderNumbers;
};

// The day's orders with their stores' names (o.* and 상호), by date, time and number. False with *error
// set when the read failed; rows cut off by a lost server connection are read once more.
bool ReadDayOrders(DbConnection& conn, const DayFilter& filter, Recordset& rs, ErrInfo* error);
// The lines of an order with their menus' names (o.* and 메뉴명), by line number.
bool ReadOrderLines(DbConnection& conn, const QString& orderNumber, Recordset& rs, ErrInfo* error);

// The order's 통보시간 ("" while waiting, Null counting as waiting); nothing when the order is gone. Throws
// DbException on an engine error.
std::optional<QString> PassedOnTime(DbConnection& conn, const QString& orderNumber);
// The menu's 판매단가; Null when there is no such menu. Throws DbException on an engine error.
QVariant MenuPrice(DbConnection& conn, qint64 menuCode);
} // namespace OrderReads
