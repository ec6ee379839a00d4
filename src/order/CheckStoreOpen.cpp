#include "order/CheckStoreOpen.h"

#include "app/Clock.h"
#include "db/modDBQuery.h"
#include "masters/HolidayRules.h"
#include "order/OrderCharges.h"
#include "ui/MsgBox.h"

#include <QLocale>

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

bool CheckStoreOpen(const QString& storeCode)
{
    const QDate today = Clock::Today();
    const QString code = SQLQuote(storeCode);
    Recordset rs;
    if (OpenQuery(rs, QStringLiteral("SELECT * FROM 가맹점휴일 WHERE 가맹점코드 = '") + code +
                          QStringLiteral("' AND (") + HolidayMatchCondition(today) +
                          QStringLiteral(") ORDER BY 반복구분, 순번")) > 0) {
        const QString memo = rs.text(QStringLiteral("메모"));
        const QString memoText = memo.isEmpty() ? QString() : QLatin1Char('(') + memo + QLatin1Char(')');
        const int kind = rs.value(QStringLiteral("반복구분")).toInt();
        if (AskYesNo(holidayDayText(kind, today) + QStringLiteral("은 휴일입니다.") + kCrLf + memoText +
                         kCrLf + kCrLf + QStringLiteral("그래도, 처리하시겠습니까?"),
                     storeCode + QStringLiteral("가맹점 휴무일"), false) != MsgAnswer::Yes)
            return false;
    }
    rs.close();
    if (OpenQuery(rs, QStringLiteral("SELECT 영업시작, 영업종료, 상호 FROM 가맹점 WHERE 코드 = '") + code +
                          QLatin1Char('\'')) <= 0) {
        ShowInfo(QStringLiteral("가맹점 정보를 찾을 수 없습니다."));
        return false;
    }
    const QString start = rs.text(QStringLiteral("영업시작"));
    const QString end = rs.text(QStringLiteral("영업종료"));
    const QString now = Clock::Time().toString(QStringLiteral("HH:mm"));
    if (OrderCharges::IsOutsideHours(start, end, now)) {
        if (AskYesNo(QStringLiteral("『") + storeCode + QLatin1Char(' ') + rs.text(QStringLiteral("상호")) +
                         QStringLiteral("』의 영업시간은 ") + AmPmTime(start) + QLatin1Char('~') +
                         AmPmTime(end) + QStringLiteral(" 입니다.") + kCrLf + kCrLf +
                         QStringLiteral("그래도, 처리하시겠습니까?"),
                     QString(), false) != MsgAnswer::Yes)
            return false;
    }
    return true;
}
