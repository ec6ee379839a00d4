#pragma once

#include "order/SeeIdParser.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QString>

#include <array>
#include <deque>

// One caller-ID modem on a serial port: reports calling numbers and the handset, and dials.
class SeeIdDevice : public QObject
{
    Q_OBJECT

public:
    // Results of OpenPort and ClosePort; 0 is success as the callers expect.
    enum Result : qint16
    {
        Ok = 0,
        NoPortName = 1,
        AlreadyOpen = 2,
        BadSettings = 3,
        OpenFailed = 4,
        NotOpen = 5,
    };
    static constexpr quint8 kCmdDial = 67; // 'C'
    // Sent after opening so a Hayes modem starts reporting caller-ID blocks.
    static const QByteArray kInitCommand;

    explicit SeeIdDevice(int index = 0, QObject* parent = nullptr);
    ~SeeIdDevice() override;

    int Index() const { return m_index; }
    bool IsOpened() const;
    // The port name the open port was given ("COM3", "/dev/pts/4"); empty when closed.
    QString PortName() const { return m_portName; }
    // The serial port's own description of the last failure, for logs.
    QString LastErrorText() const { return m_lastError; }
    // The kind of the last failure, for the operator's message.
    QSerialPort::SerialPortError LastError() const { return m_lastErrorKind; }
    // The device file the open port reads ("/dev/ttyS0" for COM1); empty when closed.
    QString DevicePath() const { return m_devicePath; }
    // A device of this program whose port is open on that device file (however its path is written).
    static SeeIdDevice* OpenOn(const QString& devicePath);

    // portName is "COM" + number or a device path; settings is "baud,parity,data,stop" ("" = 9600,N,8,1).
    qint16 OpenPort(const QString& portName, const QString& settings = {});
    qint16 ClosePort(const QString& portName = {}, const QString& settings = {});
    // Command kCmdDial dials the digits ("-", blanks and brackets are ignored); other commands are refused.
    bool SendCmd(quint8 command, const QString& digits, const QString& arg3 = {}, const QString& arg4 = {});
    // Sends a bare modem command ("AT"), which a modem answers with "OK": a test whether anything listens.
    bool SendProbe();

Q_SIGNALS:
    void DataReceived(int kind, const QString& data);
    void HookChanged(bool offHook);
    // Anything at all came from the device, its answers to commands included.
    void BytesArrived();

private:
    void onReadyRead();
    void onErrorOccurred(QSerialPort::SerialPortError error);
    void dispatch();
    void closeDeadPort(int opening);

    int m_index;
    QSerialPort* m_port;
    SeeIdParser m_parser;
    QElapsedTimer m_clock;
    std::deque<SeeIdEvent> m_pending;
    QString m_portName;
    QString m_devicePath;
    QString m_lastError;
    QSerialPort::SerialPortError m_lastErrorKind = QSerialPort::NoError;
    bool m_dispatchPosted = false;
    bool m_closePosted = false;
    int m_openCount = 0;
};

// The main screen's control array `seeid`, index 0 and 1.
using SeeIdArray = std::array<SeeIdDevice*, 2>;
