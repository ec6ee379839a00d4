#pragma once

#include <QString>

#include <optional>

// The typed values of the options screen, checked by the settings table (app/SettingKeys): each gives the
// value to store, or nothing when the text is refused.
namespace OptionValues {

// Won per point: a whole number from 1 (0 would earn no points at all) to 1,000,000.
std::optional<int> PointUnit(const QString& text);
// Points a customer needs for a service: a whole number from 0 to 100,000,000.
std::optional<int> ServiceThreshold(const QString& text);
// Grid row height or font size: a whole number from 8 to 20.
std::optional<int> GridSize(const QString& text);
// Caller-ID port: a number from 0 (no device) to 255, "COMn", or a device path such as /dev/ttyUSB0.
std::optional<QString> Port(const QString& text);
// Own telephone area code: 2 to 4 digits beginning with 0.
std::optional<QString> AreaCode(const QString& text);

} // namespace OptionValues
