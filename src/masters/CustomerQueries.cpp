#include "masters/CustomerQueries.h"

#include "db/modDBQuery.h"
#include "masters/CustPhone.h"

namespace CustomerQueries {

ReadQuery Picker(const QString& text, bool tel, bool bunji, bool memo, bool phoneIndex)
{
    QString condition;
    if (!text.isEmpty()) {
        const QString q = SQLLikePattern(text, LikeMatch::Contains);
        if (tel)
            condition =
                QStringLiteral(" WHERE (") + PhoneSuffixCondition(PhoneSearchSuffix(text), phoneIndex);
        if (bunji)
            condition += (condition.isEmpty() ? QStringLiteral(" WHERE (") : QStringLiteral(" OR")) +
                         QStringLiteral(" 주소2 LIKE ") + q;
        if (memo)
            condition += (condition.isEmpty() ? QStringLiteral(" WHERE (") : QStringLiteral(" OR")) +
                         QStringLiteral(" 메모 LIKE ") + q;
        if (!condition.isEmpty())
            condition += QLatin1Char(')');
    }
    // The picker finds few rows: they are sorted, never found by walking the address index ("+").
    return {QStringLiteral("SELECT * FROM 고객") + condition + QStringLiteral(" ORDER BY +주소1, 주소2"), {}};
}

} // namespace CustomerQueries
