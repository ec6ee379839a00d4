#pragma once

#include "ui/ErrInfo.h"

#include <QList>
#include <QString>
#include <QStringList>

class DbConnection;

// A customer's recent orders as the main window shows them on a call, and what taking one of them again
// would order today.
namespace OrderHistory {

// How many orders the main window shows.
constexpr int kRecentCount = 5;

struct PastLine
{
    qint64 menu = 0;
    QString menuName; // "" when the menu row is gone
    qint64 quantity = 0;
    qint64 price = 0;
    qint64 amount = 0;
};

struct PastOrder
{
    QString number;
    QString date; // "yyyy-MM-dd"
    QString time; // "HH:mm"
    QString store;
    QString storeName;
    QList<PastLine> lines;

    qint64 amount() const;
    // "후라이드×2, 콜라×1": the menus with their quantities, in line order.
    QString menusText() const;
};

// The customer's newest orders (newest first, at most count), each with its lines: two bound statements
// on the index of 주문 by customer and date. False with *error set when a read failed.
bool ReadRecent(DbConnection& conn, const QString& customer, int count, QList<PastOrder>& out,
                ErrInfo* error);

// Whether any of the order numbers is an order of the customer (one bound statement); false with *error
// set when the read failed.
bool AnyOfCustomer(DbConnection& conn, const QString& customer, const QStringList& numbers, bool& found,
                   ErrInfo* error);

struct RepeatLine
{
    qint64 menu = 0; // today's menu of that name in the store
    QString name;
    qint64 quantity = 0;
    qint64 price = 0;    // today's 판매단가
    qint64 oldPrice = 0; // what the past line paid
};

// The past order's lines matched by 메뉴명 to the store's menus of today.
struct RepeatPlan
{
    QList<RepeatLine> lines;
    QStringList gone;     // names of menus the store no longer has
    QStringList repriced; // "양념 10,000원 → 11,000원"
};

// Matches the order's lines against the store's menus now (one bound statement). A menu of the same code
// is preferred when several share the name. Throws DbException on an engine error.
RepeatPlan PlanRepeat(DbConnection& conn, const PastOrder& order);

} // namespace OrderHistory
