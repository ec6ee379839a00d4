#pragma once

#include <QSerialPort>
#include <QString>

// The options screen's "SeeID 테스트": whether a caller-ID device answers on a configured port.
namespace SeeIdProbe {

enum class Outcome
{
    NoPort,     // the setting is 0 or empty: no device is used there
    Answered,   // something answered the modem command
    Silent,     // the port opened, nothing answered within the wait
    OpenFailed, // the port could not be opened
};

struct Result
{
    Outcome outcome = Outcome::NoPort;
    QString port;   // "COM1" or a device path, as SeeIdPort::PortName makes it
    QString device; // the device file opened for it
    QSerialPort::SerialPortError error = QSerialPort::NoError;
    QString errorText; // the serial port's own words, for the log
};

// How long a device is given to answer; a modem answers within a few tens of milliseconds.
constexpr int kWaitMs = 1500;

// Sends the port a bare modem command and waits for any answer, the event loop running meanwhile. A port
// the program already holds open (the main screen's device) is asked through that connection, so no call
// is missed; any other is opened for the test and closed again.
Result Probe(const QString& portName, int waitMs = kWaitMs);

// The Korean line for one port, under its label ("사용포트1").
QString Describe(const Result& result, const QString& label);
// The whole answer for the two ports; says so when neither is set.
QString Report(const Result& first, const Result& second);

} // namespace SeeIdProbe
