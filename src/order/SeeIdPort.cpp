#include "order/SeeIdPort.h"

#include "app/Platform.h"
#include "app/SettingKeys.h"

#include <QRegularExpression>

namespace {
// Returns n for "COMn" (any case), 0 otherwise.
int comNumber(const QString& portName)
{
    static const QRegularExpression re(QStringLiteral("^COM([0-9]{1,3})$"),
                                       QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(portName);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

// The seat's own device prefix, "" for the platform's usual one.
QString serialPrefix()
{
    const QString prefix = qEnvironmentVariable("ZELKOVA_SERIAL_PREFIX");
    return prefix.isEmpty() ? Settings::Get(Settings::Key::SeeIdPortPrefix) : prefix;
}
} // namespace

namespace SeeIdPort {
QString SettingKey(int index)
{
    return Settings::Name(Settings::SeeIdPort(index));
}

QString PortName(const QString& settingValue)
{
    const QString value = settingValue.trimmed();
    bool isNumber = false;
    const int n = value.toInt(&isNumber);
    if (value.isEmpty() || (isNumber && n <= 0))
        return {};
    if (isNumber)
        return QStringLiteral("COM") + QString::number(n);
    if (const int com = comNumber(value); com > 0)
        return QStringLiteral("COM") + QString::number(com);
    return value;
}

QString DevicePath(const QString& portName)
{
    const int n = comNumber(portName);
    if (n <= 0)
        return portName;
    return CurrentPlatform().SerialDevicePath(n, serialPrefix());
}

QString OpenFailedText(const QString& portName)
{
    return QStringLiteral("포트 ") + portName + QStringLiteral("으로 SEE ID OPEN에 실패했습니다.");
}

QString CloseFailedText(const QString& portName)
{
    return QStringLiteral("포트 ") + portName + QStringLiteral("으로 SEE ID CLOSE에 실패했습니다.");
}
} // namespace SeeIdPort
