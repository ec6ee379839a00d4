#include "admin/OptionValues.h"

#include <QRegularExpression>

namespace OptionValues {
namespace {
// Digits only (thousands separators allowed), within [lowest, highest].
std::optional<int> wholeNumber(const QString& text, qint64 lowest, qint64 highest)
{
    QString digits = text.trimmed();
    digits.remove(QLatin1Char(','));
    static const QRegularExpression onlyDigits(QStringLiteral("^[0-9]{1,12}$"));
    if (!onlyDigits.match(digits).hasMatch())
        return std::nullopt;
    const qint64 n = digits.toLongLong();
    if (n < lowest || n > highest)
        return std::nullopt;
    return int(n);
}
} // namespace

std::optional<int> PointUnit(const QString& text)
{
    return wholeNumber(text, 1, 1000000);
}

std::optional<int> ServiceThreshold(const QString& text)
{
    return wholeNumber(text, 0, 100000000);
}

std::optional<int> GridSize(const QString& text)
{
    return wholeNumber(text, 8, 20);
}

std::optional<QString> Port(const QString& text)
{
    const QString value = text.trimmed();
    if (const auto n = wholeNumber(value, 0, 255))
        return QString::number(*n);
    static const QRegularExpression com(QStringLiteral("^COM([1-9][0-9]{0,2})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (const auto m = com.match(value); m.hasMatch() && m.captured(1).toInt() <= 255)
        return QStringLiteral("COM") + m.captured(1);
    static const QRegularExpression path(QStringLiteral("^/[A-Za-z0-9_./-]{1,254}$"));
    if (path.match(value).hasMatch() && !value.contains(QStringLiteral("..")))
        return value;
    return std::nullopt;
}

std::optional<QString> AreaCode(const QString& text)
{
    const QString value = text.trimmed();
    static const QRegularExpression code(QStringLiteral("^0[0-9]{1,3}$"));
    if (!code.match(value).hasMatch())
        return std::nullopt;
    return value;
}

} // namespace OptionValues
