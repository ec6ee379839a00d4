#include "order/SeeIdDevice.h"

#include "app/AppLog.h"

#include "order/SeeIdPort.h"

#include <QFileInfo>
#include <QPointer>

#include <algorithm>
#include <vector>

const QByteArray SeeIdDevice::kInitCommand = QByteArrayLiteral("AT+VCID=1\r");

namespace {
std::vector<SeeIdDevice*>& liveDevices()
{
    static std::vector<SeeIdDevice*> devices;
    return devices;
}

QString canonical(const QString& path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? path : c;
}

constexpr int kMaxDialDigits = 40;

struct LineSettings
{
    qint32 baud = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

// Reads the "9600,N,8,1" form of serial settings; missing trailing fields keep their defaults.
bool parseSettings(const QString& text, LineSettings& out)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return true;
    const QStringList parts = trimmed.split(QLatin1Char(','));
    if (parts.size() > 4)
        return false;
    bool ok = true;
    out.baud = parts.at(0).trimmed().toInt(&ok);
    if (!ok || out.baud <= 0)
        return false;
    if (parts.size() > 1) {
        const QString p = parts.at(1).trimmed().toUpper();
        if (p == QLatin1String("N"))
            out.parity = QSerialPort::NoParity;
        else if (p == QLatin1String("E"))
            out.parity = QSerialPort::EvenParity;
        else if (p == QLatin1String("O"))
            out.parity = QSerialPort::OddParity;
        else if (p == QLatin1String("M"))
            out.parity = QSerialPort::MarkParity;
        else if (p == QLatin1String("S"))
            out.parity = QSerialPort::SpaceParity;
        else
            return false;
    }
    if (parts.size() > 2) {
        const int bits = parts.at(2).trimmed().toInt(&ok);
        if (!ok || bits < 5 || bits > 8)
            return false;
        out.dataBits = static_cast<QSerialPort::DataBits>(bits);
    }
    if (parts.size() > 3) {
        const QString s = parts.at(3).trimmed();
        if (s == QLatin1String("1"))
            out.stopBits = QSerialPort::OneStop;
        else if (s == QLatin1String("1.5"))
            out.stopBits = QSerialPort::OneAndHalfStop;
        else if (s == QLatin1String("2"))
            out.stopBits = QSerialPort::TwoStop;
        else
            return false;
    }
    return true;
}

// Only dial characters reach the modem, so a stored telephone number cannot smuggle in another command.
QByteArray dialDigits(const QString& digits)
{
    QByteArray out;
    for (const QChar c : digits) {
        if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('*') ||
            c == QLatin1Char('#'))
            out.append(static_cast<char>(c.unicode()));
        else if (c == QLatin1Char('-') || c == QLatin1Char(' ') || c == QLatin1Char('(') ||
                 c == QLatin1Char(')'))
            continue;
        else
            return {};
    }
    return out.size() > kMaxDialDigits ? QByteArray() : out;
}
} // namespace

SeeIdDevice::SeeIdDevice(int index, QObject* parent)
    : QObject(parent), m_index(index), m_port(new QSerialPort(this))
{
    m_clock.start();
    connect(m_port, &QSerialPort::readyRead, this, &SeeIdDevice::onReadyRead);
    connect(m_port, &QSerialPort::errorOccurred, this, &SeeIdDevice::onErrorOccurred);
    liveDevices().push_back(this);
}

SeeIdDevice::~SeeIdDevice()
{
    std::erase(liveDevices(), this);
    if (m_port->isOpen())
        m_port->close();
}

SeeIdDevice* SeeIdDevice::OpenOn(const QString& devicePath)
{
    const QString wanted = canonical(devicePath);
    for (SeeIdDevice* d : liveDevices())
        if (d->IsOpened() && canonical(d->m_devicePath) == wanted)
            return d;
    return nullptr;
}

bool SeeIdDevice::IsOpened() const
{
    return m_port->isOpen();
}

qint16 SeeIdDevice::OpenPort(const QString& portName, const QString& settings)
{
    if (m_port->isOpen())
        return AlreadyOpen;
    const QString path = SeeIdPort::DevicePath(portName.trimmed());
    if (path.isEmpty())
        return NoPortName;
    LineSettings line;
    if (!parseSettings(settings, line))
        return BadSettings;

    m_port->setPortName(path);
    m_port->setBaudRate(line.baud);
    m_port->setParity(line.parity);
    m_port->setDataBits(line.dataBits);
    m_port->setStopBits(line.stopBits);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port->open(QIODevice::ReadWrite)) {
        m_lastError = m_port->errorString();
        m_lastErrorKind = m_port->error();
        AppLog::Write(QStringLiteral("장치"),
                      QStringLiteral("열지 못함 ") + path + QStringLiteral(": ") + m_lastError);
        return OpenFailed;
    }
    AppLog::Write(QStringLiteral("장치"), QStringLiteral("열림 ") + path + QLatin1Char(' ') + settings);
    // Modems ignore the caller-ID lines unless the terminal is ready; pseudo-terminals have no such line.
    m_port->setDataTerminalReady(true);
    ++m_openCount;
    m_portName = portName.trimmed();
    m_devicePath = path;
    m_lastError.clear();
    m_lastErrorKind = QSerialPort::NoError;
    m_parser.reset();
    m_pending.clear();
    m_port->write(kInitCommand);
    m_port->flush();
    return Ok;
}

qint16 SeeIdDevice::ClosePort(const QString& portName, const QString& settings)
{
    Q_UNUSED(portName)
    Q_UNUSED(settings)
    if (!m_port->isOpen())
        return NotOpen;
    m_port->flush();
    m_port->close();
    m_portName.clear();
    m_devicePath.clear();
    m_parser.reset();
    m_pending.clear();
    return Ok;
}

bool SeeIdDevice::SendCmd(quint8 command, const QString& digits, const QString& arg3, const QString& arg4)
{
    Q_UNUSED(arg3)
    Q_UNUSED(arg4)
    if (command != kCmdDial || !m_port->isOpen())
        return false;
    const QByteArray number = dialDigits(digits);
    if (number.isEmpty())
        return false;
    const QByteArray cmd = QByteArrayLiteral("ATDT") + number + QByteArrayLiteral(";\r");
    if (m_port->write(cmd) != cmd.size())
        return false;
    m_port->flush();
    return true;
}

bool SeeIdDevice::SendProbe()
{
    static const QByteArray probe = QByteArrayLiteral("AT\r");
    if (!m_port->isOpen() || m_port->write(probe) != probe.size())
        return false;
    m_port->flush();
    return true;
}

void SeeIdDevice::onReadyRead()
{
    const QByteArray bytes = m_port->readAll();
    if (!bytes.isEmpty())
        Q_EMIT BytesArrived();
    const QList<SeeIdEvent> events = m_parser.feed(bytes, m_clock.elapsed());
    if (events.isEmpty())
        return;
    m_pending.insert(m_pending.end(), events.begin(), events.end());
    // Handlers run outside the serial port's notification: it does not announce data that arrives while
    // its readyRead is still being handled, and a handler may well open a modal picker.
    if (!m_dispatchPosted) {
        m_dispatchPosted = true;
        QMetaObject::invokeMethod(this, &SeeIdDevice::dispatch, Qt::QueuedConnection);
    }
}

void SeeIdDevice::dispatch()
{
    // When a handler's nested event loop delivers the next call, that level drains the one queue from the
    // front, so calls are still handed on in arrival order.
    m_dispatchPosted = false;
    QPointer<SeeIdDevice> self(this);
    while (self && !m_pending.empty()) {
        const SeeIdEvent event = m_pending.front();
        m_pending.pop_front();
        if (event.type == SeeIdEvent::Type::Hook) {
            AppLog::Write(QStringLiteral("장치"),
                          event.offHook ? QStringLiteral("수화기 듦") : QStringLiteral("수화기 놓음"));
            Q_EMIT HookChanged(event.offHook);
        } else {
            AppLog::Write(QStringLiteral("장치"), QStringLiteral("수신 %1 ").arg(event.kind) + event.data);
            Q_EMIT DataReceived(event.kind, event.data);
        }
    }
}

void SeeIdDevice::onErrorOccurred(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
        return;
    m_lastError = m_port->errorString();
    m_lastErrorKind = error;
    // An unplugged adapter or a vanished terminal fails every read from now on; close the port (after the
    // serial port has finished its own notification) so IsOpened tells the truth and nothing spins.
    if (!m_closePosted) {
        m_closePosted = true;
        QMetaObject::invokeMethod(
            this, [this, opening = m_openCount] { closeDeadPort(opening); }, Qt::QueuedConnection);
    }
}

void SeeIdDevice::closeDeadPort(int opening)
{
    m_closePosted = false;
    // The port may have been closed and opened again meanwhile; that one is not dead.
    if (opening != m_openCount || !m_port->isOpen())
        return;
    AppLog::Write(QStringLiteral("장치"),
                  QStringLiteral("끊김 ") + m_port->portName() + QStringLiteral(": ") + m_lastError);
    m_port->close();
    m_portName.clear();
    m_devicePath.clear();
    m_parser.reset();
    m_pending.clear();
}
