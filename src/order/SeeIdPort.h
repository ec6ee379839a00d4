#pragma once

#include <QString>

// Where the caller-ID devices are plugged in: the per-user port settings and the messages about them.
namespace SeeIdPort {
// "OpenSeeIDPort1" for index 0, "OpenSeeIDPort2" for index 1.
QString SettingKey(int index);
// Port name for a setting value: "" when unused ("0" or empty), "COM" + n for a number n, otherwise the
// value as typed (a device path such as /dev/ttyUSB0 or a pseudo-terminal).
QString PortName(const QString& settingValue);
// Device the serial port opens for a port name: the platform names COMn's device, given the prefix from
// $ZELKOVA_SERIAL_PREFIX, else the per-user setting "SeeIDPortPrefix" (on Linux the (n-1)th device under
// it, /dev/ttyS when neither is set). Other names are opened as typed.
QString DevicePath(const QString& portName);
QString OpenFailedText(const QString& portName);
QString CloseFailedText(const QString& portName);
} // namespace SeeIdPort
