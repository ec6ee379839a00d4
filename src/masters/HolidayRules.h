#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// How store holidays and business hours are written and read back. Every stored form here is compared
// character for character by the availability check of the order screen, so they never follow the
// machine's locale: weekday names and the morning/afternoon words come from the Korean locale.

// 반복구분 of 가맹점휴일.
enum HolidayKind : int
{
    HolidayOnce = 0,    // 당일: one date, "yyyy-MM-dd"
    HolidayWeekly = 1,  // 매주: weekday number "1" (Sunday) to "7" (Saturday)
    HolidayMonthly = 2, // 매월: day of the month "dd"
    HolidayYearly = 3,  // 매년: "MM-dd"
};

// The kinds as the holiday dialog and the holiday list name them: "당일", "매주", "매월", "매년".
QStringList HolidayKindNames();
// "" for a kind outside 0..3.
QString HolidayKindName(int kind);

// 1 = Sunday ... 7 = Saturday.
int WeekdayNumber(const QDate& date);
// Full Korean weekday name of a weekday number (1 = "일요일"); "" outside 1..7.
QString WeekdayName(int number);
// "일요일" ... "토요일", Sunday first, as the weekday list offers them.
QStringList WeekdayNames();

// The 일자 text of a holiday of `kind` picked as `date`; a weekly holiday takes the date's weekday.
// "" for an unknown kind or an invalid date.
QString HolidayStoredForm(int kind, const QDate& date);
// The 일자 text of a weekly holiday whose weekday was chosen from the list (0 = Sunday); "" outside 0..6.
QString WeeklyStoredForm(int weekdayPosition);

// The 일자 the holiday list shows for a stored row: dates and "MM-dd" as stored, a weekday number as
// its name, a day of the month as the number followed by "일".
QString HolidayShownDay(int kind, const QString& stored);

// SQL condition on 일자 and 반복구분 that is true for every holiday falling on `date`.
QString HolidayMatchCondition(const QDate& date);

// Business hours in twelve-hour form with the Korean morning or afternoon word: "14:00" -> "오후 02:00",
// "00:30" -> "오전 12:30". "" when the text is no "HH:MM" time.
QString AmPmTime(const QString& hhmm);
