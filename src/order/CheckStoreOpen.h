#pragma once

#include <QDate>
#include <QString>

#include <optional>

// What makes a store closed at a moment: a holiday of today and business hours the time lies outside. The
// order screen asks about each before it puts the store on an order; the check itself decides nothing.
struct StoreOpening
{
    struct Holiday
    {
        int kind = 0; // 반복구분
        QString memo;
        // "『매주 토요일』" and the like: the day the holiday falls on, as the question names it.
        QString dayText;
    };
    // The first of today's holidays (one-day before weekly, monthly and yearly ones).
    std::optional<Holiday> holiday;
    // Whether the store row was found; the hours below are its.
    bool found = false;
    QString name; // 상호
    QString start;
    QString end;
    bool outsideHours = false;
};

// Reads the store's holidays of today and its hours against now ("HH:mm"). A read that fails has shown
// its message; the result then says the store was not found.
StoreOpening CheckStoreOpen(const QString& storeCode, const QDate& today, const QString& now);
