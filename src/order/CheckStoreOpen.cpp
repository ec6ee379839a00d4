#include "order/CheckStoreOpen.h"

#include "db/modDBQuery.h"
#include "masters/HolidayRules.h"
#include "order/OrderCharges.h"

namespace {
QString holidayDayText(int kind, const QDate& today)
{
    switch (kind) {
    case HolidayWeekly:
        return QStringLiteral("『매주 ") + WeekdayName(WeekdayNumber(today)) + QStringLiteral("』");
    case HolidayMonthly:
        return QStringLiteral("『매월 ") + QString::number(today.day()) + QStringLiteral("일』");
    case HolidayYearly:
        return QStringLiteral("『매년 ") + QString::number(today.month()) + QStringLiteral("월 ") +
               QString::number(today.day()) + QStringLiteral("일』");
    default:
        // A one-day holiday, and any kind this program does not know, name today's date.
        return QStringLiteral("『금일(") + today.toString(QStringLiteral("yyyy-MM-dd")) +
               QStringLiteral(")』");
    }
}
} // namespace

StoreOpening CheckStoreOpen(const QString& storeCode, const QDate& today, const QString& now)
{
    StoreOpening found;
    const QString code = SQLQuote(storeCode);
    Recordset rs;
    if (OpenQuery(rs, QStringLiteral("SELECT * FROM 가맹점휴일 WHERE 가맹점코드 = '") + code +
                          QStringLiteral("' AND (") + HolidayMatchCondition(today) +
                          QStringLiteral(") ORDER BY 반복구분, 순번")) > 0) {
        StoreOpening::Holiday h;
        h.memo = rs.text(QStringLiteral("메모"));
        h.kind = rs.value(QStringLiteral("반복구분")).toInt();
        h.dayText = holidayDayText(h.kind, today);
        found.holiday = h;
    }
    rs.close();
    if (OpenQuery(rs, QStringLiteral("SELECT 영업시작, 영업종료, 상호 FROM 가맹점 WHERE 코드 = '") + code +
                          QLatin1Char('\'')) <= 0)
        return found;
    found.found = true;
    found.name = rs.text(QStringLiteral("상호"));
    found.start = rs.text(QStringLiteral("영업시작"));
    found.end = rs.text(QStringLiteral("영업종료"));
    found.outsideHours = OrderCharges::IsOutsideHours(found.start, found.end, now);
    return found;
}
