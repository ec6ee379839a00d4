#include "admin/OptionValues.h"

#include "app/SettingKeys.h"

namespace OptionValues {
namespace {
std::optional<int> wholeNumber(Settings::Key key, const QString& text)
{
    if (const std::optional<QString> value = Settings::Parse(key, text))
        return value->toInt();
    return std::nullopt;
}
} // namespace

std::optional<int> PointUnit(const QString& text)
{
    return wholeNumber(Settings::Key::PointUnit, text);
}

std::optional<int> ServiceThreshold(const QString& text)
{
    return wholeNumber(Settings::Key::ServiceThreshold, text);
}

std::optional<int> GridSize(const QString& text)
{
    return wholeNumber(Settings::Key::GridRowHeight, text);
}

std::optional<QString> Port(const QString& text)
{
    return Settings::Parse(Settings::Key::SeeIdPort1, text);
}

std::optional<QString> AreaCode(const QString& text)
{
    return Settings::Parse(Settings::Key::Ddd, text);
}

} // namespace OptionValues
