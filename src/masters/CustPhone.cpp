#include "masters/CustPhone.h"

#include "db/CustomerPhoneIndex.h"
#include "db/modDBQuery.h"
#include "ui/TextUtil.h"

#include <algorithm>

QString CanonicalPhone(const QString& typed)
{
    const QString t = typed.trimmed();
    if (t.isEmpty())
        return t;
    static const QString separators = QStringLiteral("-() .");
    bool digitsOnly = true;
    for (const QChar c : t) {
        if (!(c >= u'0' && c <= u'9') && !separators.contains(c)) {
            digitsOnly = false;
            break;
        }
    }
    return digitsOnly ? FormatPhone(t) : t;
}

QString WithoutHyphens(const QString& text)
{
    QString out = text;
    out.remove(QLatin1Char('-'));
    return out;
}

QStringList MatchingPhones(const QStringList& rowNumbers, const QString& searchedDigits)
{
    QStringList out;
    for (const QString& n : rowNumbers) {
        const QString digits = WithoutHyphens(n);
        if (!digits.isEmpty() && searchedDigits.contains(digits))
            out << n;
    }
    return out;
}

QString PhoneSearchSuffix(const QString& searchText)
{
    return searchText.size() < 5 ? searchText : FormatPhone(searchText);
}

QString ReversedText(const QString& text)
{
    QList<uint> chars = text.toUcs4();
    std::reverse(chars.begin(), chars.end());
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(chars.constData()), chars.size());
}

QString PhoneSuffixCondition(const QString& suffix, bool useIndex)
{
    // The index keeps only the last characters of a number, so a longer text needs the column scan.
    const bool indexable = useIndex && !suffix.isEmpty() && suffix.toUcs4().size() <= kPhoneIndexChars;
    if (indexable) {
        // Escaped after reversing: escaping first would leave each escape behind the character it guards.
        return QStringLiteral("코드 IN (SELECT 코드 FROM ") + kPhoneIndexTable +
               QStringLiteral(" WHERE 역순 LIKE ") +
               SQLLikePattern(ReversedText(suffix), LikeMatch::StartsWith) + QLatin1Char(')');
    }
    const QString pattern = SQLLikePattern(suffix, LikeMatch::EndsWith);
    QStringList tests;
    for (int i = 1; i <= 4; ++i)
        tests << QStringLiteral("전화%1 LIKE ").arg(i) + pattern;
    return tests.join(QStringLiteral(" OR "));
}

bool ReplaceCustomerPhone(const QString& customerCode, const QString& oldNumber, const QString& newNumber)
{
    for (int i = 1; i <= 4; ++i) {
        const QString column = QStringLiteral("전화") + QString::number(i);
        if (ExecSQL(QStringLiteral("UPDATE 고객 SET ") + column + QStringLiteral("= '") +
                    SQLQuote(newNumber) + QStringLiteral("' WHERE 코드 = '") + SQLQuote(customerCode) +
                    QStringLiteral("' AND ") + column + QStringLiteral(" = '") + SQLQuote(oldNumber) +
                    QLatin1Char('\'')) == 1)
            return true;
    }
    return false;
}
