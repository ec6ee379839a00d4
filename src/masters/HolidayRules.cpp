#include "masters/HolidayRules.h"

#include <QLocale>
#include <QTime>

namespace {
const QLocale& korean()
{
    static const QLocale locale(QLocale::Korean, QLocale::SouthKorea);
    return locale;
}
} // namespace

QStringList HolidayKindNames()
{
    return {QStringLiteral("당일"), QStringLiteral("매주"), QStringLiteral("매월"), QStringLiteral("매년")};
}

QString HolidayKindName(int kind)
{
    return HolidayKindNames().value(kind);
}

int WeekdayNumber(const QDate& date)
{
    // Qt counts Monday = 1 ... Sunday = 7.
    return date.dayOfWeek() % 7 + 1;
}

QString WeekdayName(int number)
{
    if (number < 1 || number > 7)
        return QString();
    const int qtDay = number == 1 ? 7 : number - 1;
    return korean().dayName(qtDay, QLocale::LongFormat);
}

QStringList WeekdayNames()
{
    QStringList names;
    for (int n = 1; n <= 7; ++n)
        names.append(WeekdayName(n));
    return names;
}

QString HolidayStoredForm(int kind, const QDate& date)
{
    if (!date.isValid())
        return QString();
    switch (kind) {
    case HolidayOnce:
        return date.toString(QStringLiteral("yyyy-MM-dd"));
    case HolidayWeekly:
        return QString::number(WeekdayNumber(date));
    case HolidayMonthly:
        return date.toString(QStringLiteral("dd"));
    case HolidayYearly:
        return date.toString(QStringLiteral("MM-dd"));
    default:
        return QString();
    }
}

QString WeeklyStoredForm(int weekdayPosition)
{
    if (weekdayPosition < 0 || weekdayPosition > 6)
        return QString();
    return QString::number(weekdayPosition + 1);
}

QString HolidayShownDay(int kind, const QString& stored)
{
    switch (kind) {
    case HolidayWeekly: {
        bool ok = false;
        const int n = stored.trimmed().toInt(&ok);
        return ok ? WeekdayName(n) : stored;
    }
    case HolidayMonthly:
        return stored + QStringLiteral("일");
    default:
        return stored;
    }
}

QString HolidayMatchCondition(const QDate& date)
{
    auto term = [&](int kind) {
        return QStringLiteral("(반복구분 = %1 AND 일자 = '%2')").arg(kind).arg(HolidayStoredForm(kind, date));
    };
    return QLatin1Char('(') + term(HolidayOnce) + QStringLiteral(" OR ") + term(HolidayWeekly) +
           QStringLiteral(" OR ") + term(HolidayMonthly) + QStringLiteral(" OR ") + term(HolidayYearly) +
           QLatin1Char(')');
}

QString AmPmTime(const QString& hhmm)
{
    if (hhmm.size() != 5 || hhmm.at(2) != QLatin1Char(':'))
        return QString();
    const QTime t = QTime::fromString(hhmm, QStringLiteral("HH:mm"));
    if (!t.isValid())
        return QString();
    const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    const QString word = t.hour() < 12 ? korean().amText() : korean().pmText();
    return word + QLatin1Char(' ') +
           QStringLiteral("%1:%2")
               .arg(hour12, 2, 10, QLatin1Char('0'))
               .arg(t.minute(), 2, 10, QLatin1Char('0'));
}
