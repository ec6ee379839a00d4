#include "order/OrderCharges.h"

#include <cmath>

namespace OrderCharges {

qint64 LineAmount(qint64 quantity, qint64 unitPrice)
{
    return quantity * unitPrice;
}

qint64 LinePoints(qint64 amount, qint64 pointUnit)
{
    if (pointUnit <= 0)
        return 0;
    const qint64 q = amount / pointUnit;
    const qint64 r = amount % pointUnit;
    if (2 * std::llabs(r) >= pointUnit)
        return amount < 0 ? q - 1 : q + 1;
    return q;
}

qint64 LineCommission(double ratePercent, qint64 amount)
{
    // Rates are typed with at most a few decimals; scale them to whole ten-thousandths of a percent.
    const __int128 scaledRate = std::llround(ratePercent * 10000.0);
    const __int128 product = scaledRate * amount;
    return qint64(product / (100 * 10000)); // integer division cuts toward zero
}

QString OrderNumberPrefix(const QDate& date, const QString& terminalId)
{
    return date.toString(QStringLiteral("yyMMdd")) + terminalId.left(1);
}

namespace {
int minutesOf(const QString& hhmm)
{
    const QStringList parts = hhmm.trimmed().split(QLatin1Char(':'));
    if (parts.size() != 2)
        return -1;
    bool okH = false;
    bool okM = false;
    const int h = parts.at(0).toInt(&okH);
    const int m = parts.at(1).toInt(&okM);
    if (!okH || !okM || h < 0 || m < 0 || m > 59)
        return -1;
    return h * 60 + m;
}
} // namespace

bool IsOutsideHours(const QString& start, const QString& end, const QString& now)
{
    const int s = minutesOf(start);
    int e = minutesOf(end);
    int n = minutesOf(now);
    if (s < 0 || e < 0 || n < 0)
        return false; // hours not kept for this store: nothing to warn about
    if (e < s) {
        e += 24 * 60;
        if (n < s)
            n += 24 * 60;
    }
    return n > e || n < s;
}

} // namespace OrderCharges
