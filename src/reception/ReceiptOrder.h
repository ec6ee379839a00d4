#pragma once

#include <QList>
#include <QString>

#include <optional>

// One order as its receipt shows it: the header with its store and customer, and its lines.
struct ReceiptOrder
{
    struct Line
    {
        QString menuName;
        qint64 quantity = 0;
        qint64 amount = 0;
        qint64 commission = 0;
    };

    QString orderNumber;
    QString callerPhone;
    QString storeCode;
    QString orderDate;
    QString orderTime;
    QString passedOnTime;
    QString storeName;
    QString storePhone;
    QString address1;
    QString address2;
    QList<Line> lines;
};

// Reads the order, its store, its customer and its lines from the main database. Nothing when the order is
// gone (deleted at another seat) or its store or customer row is missing; Null texts read as empty.
std::optional<ReceiptOrder> LoadReceiptOrder(const QString& orderNumber);
