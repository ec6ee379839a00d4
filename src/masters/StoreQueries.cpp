#include "masters/StoreQueries.h"

#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"

namespace StoreQueries {

ReadQuery List(const QString& columns, const QString& modeItem, const QString& text)
{
    QString sql = QStringLiteral("SELECT * FROM 가맹점");
    if (!text.isEmpty())
        sql += QStringLiteral(" WHERE ") + MakeSearchWhere(columns, modeItem, text);
    return {sql + QStringLiteral(" ORDER BY 코드"), {}};
}

ReadQuery Picker(const QString& text, const std::array<bool, kPickerScopes>& ticked)
{
    struct Scope
    {
        const char* column;
        LikeMatch match;
    };
    static constexpr Scope kScopes[kPickerScopes] = {
        {"코드", LikeMatch::StartsWith},
        {"상호", LikeMatch::Contains},
        {"주소1", LikeMatch::Contains},
        {"메모", LikeMatch::Contains},
    };
    QString sql = QStringLiteral("SELECT * FROM 가맹점");
    if (!text.isEmpty()) {
        QString where;
        for (int i = 0; i < kPickerScopes; ++i) {
            if (!ticked.at(size_t(i)))
                continue;
            where += where.isEmpty() ? QStringLiteral(" WHERE (") : QStringLiteral(" OR ");
            where += QString::fromUtf8(kScopes[i].column) + QStringLiteral(" LIKE ") +
                     SQLLikePattern(text, kScopes[i].match);
        }
        if (!where.isEmpty())
            sql += where + QLatin1Char(')');
    }
    return {sql + QStringLiteral(" ORDER BY 코드"), {}};
}

ReadQuery Menus(const QString& storeCode, const QString& nameText)
{
    QString sql = QStringLiteral("SELECT * FROM 취급메뉴 WHERE 가맹점코드 = ?");
    if (!nameText.isEmpty())
        sql += QStringLiteral(" AND 메뉴명 LIKE ") + SQLLikePattern(nameText, LikeMatch::Contains);
    return {sql + QStringLiteral(" ORDER BY 메뉴명"), {storeCode}};
}

ReadQuery Holidays(const QString& storeCode)
{
    return {QStringLiteral("SELECT * FROM 가맹점휴일 WHERE 가맹점코드 = ? ORDER BY 반복구분, 순번"),
            {storeCode}};
}

bool AllTexts(Column column, QStringList& texts, ErrInfo* error)
{
    return gMainConn.queryTexts(column == Column::Code ? QStringLiteral("SELECT DISTINCT 코드 FROM 가맹점")
                                                       : QStringLiteral("SELECT DISTINCT 상호 FROM 가맹점"),
                                texts, error);
}

} // namespace StoreQueries
