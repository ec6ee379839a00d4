#include "order/SeeIdDevice.h"
#include "order/SeeIdPort.h"
#include "order/SeeIdProbe.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "PtyModem.h"

namespace {
QStringList dataOf(const QSignalSpy& spy)
{
    QStringList out;
    for (const QList<QVariant>& args : spy)
        out << QStringLiteral("%1 %2").arg(args.at(0).toInt()).arg(args.at(1).toString());
    return out;
}
} // namespace

class TestSeeIdDevice : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void portNames_data();
    void portNames();
    void failureTexts();
    void callsHookAndDialOverPty();
    void openAndCloseResults();
    void comNumberUsesPrefix();
    void vanishedPortCountsAsClosed();
    void nestedLoopKeepsArrivalOrder();
    void simulatorDrivesDevice();
    void probe_data();
    void probe();
};

void TestSeeIdDevice::portNames_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("portName");
    QTest::addColumn<QString>("devicePath");
    // clang-format off
    QTest::newRow("unused") << "0" << "" << "";
    QTest::newRow("empty") << "" << "" << "";
    QTest::newRow("negative") << "-1" << "" << "";
    QTest::newRow("number") << " 3 " << "COM3" << "/dev/ttyS2";
    QTest::newRow("leading zero") << "01" << "COM1" << "/dev/ttyS0";
    QTest::newRow("two digits") << "12" << "COM12" << "/dev/ttyS11";
    QTest::newRow("typed COM name") << "com4" << "COM4" << "/dev/ttyS3";
    QTest::newRow("device path") << "/dev/ttyUSB0" << "/dev/ttyUSB0" << "/dev/ttyUSB0";
    QTest::newRow("pseudo-terminal") << "/dev/pts/7" << "/dev/pts/7" << "/dev/pts/7";
    // clang-format on
}

void TestSeeIdDevice::portNames()
{
    QFETCH(QString, setting);
    QFETCH(QString, portName);
    QFETCH(QString, devicePath);
    qputenv("ZELKOVA_SERIAL_PREFIX", "/dev/ttyS");
    QCOMPARE(SeeIdPort::PortName(setting), portName);
    QCOMPARE(SeeIdPort::DevicePath(portName), devicePath);
    qunsetenv("ZELKOVA_SERIAL_PREFIX");
}

void TestSeeIdDevice::failureTexts()
{
    QCOMPARE(SeeIdPort::SettingKey(0), QStringLiteral("OpenSeeIDPort1"));
    QCOMPARE(SeeIdPort::SettingKey(1), QStringLiteral("OpenSeeIDPort2"));
    QCOMPARE(SeeIdPort::OpenFailedText(QStringLiteral("COM3")),
             QStringLiteral("포트 COM3으로 SEE ID OPEN에 실패했습니다."));
    QCOMPARE(SeeIdPort::CloseFailedText(QStringLiteral("COM3")),
             QStringLiteral("포트 COM3으로 SEE ID CLOSE에 실패했습니다."));
}

void TestSeeIdDevice::callsHookAndDialOverPty()
{
    PtyModem modem;
    QVERIFY(modem.isValid());
    SeeIdDevice device(1);
    QSignalSpy data(&device, &SeeIdDevice::DataReceived);
    QSignalSpy hook(&device, &SeeIdDevice::HookChanged);

    QCOMPARE(device.OpenPort(modem.slavePath(), QString()), qint16(SeeIdDevice::Ok));
    QVERIFY(device.IsOpened());
    QCOMPARE(device.PortName(), modem.slavePath());
    QCOMPARE(modem.receive("\r"), SeeIdDevice::kInitCommand);

    QVERIFY(modem.send("RING\r\n\r\nDATE = 0314\r\nTIME = 15"));
    QTest::qWait(50);
    QVERIFY(modem.send("02\r\nNMBR = 0212345678\r\n\r\nRING\r\nNMBR = 0212345678\r\n"));
    QTRY_COMPARE(data.size(), 2);
    QCOMPARE(dataOf(data), (QStringList{QStringLiteral("4 전화벨 울림"), QStringLiteral("1 0212345678")}));

    QVERIFY(modem.send("OFFHOOK\r\n"));
    QTRY_COMPARE(hook.size(), 1);
    QCOMPARE(hook.at(0).at(0).toBool(), true);

    QVERIFY(device.SendCmd(SeeIdDevice::kCmdDial, QStringLiteral("031-123-4567"), QString(), QString()));
    QCOMPARE(modem.receive("\r"), QByteArray("ATDT0311234567;\r"));
    // Anything that is not a dial character refuses the command instead of reaching the modem.
    QVERIFY(!device.SendCmd(SeeIdDevice::kCmdDial, QStringLiteral("0212;ATZ")));
    QVERIFY(!device.SendCmd(SeeIdDevice::kCmdDial, QStringLiteral("0212\r+++")));
    QVERIFY(!device.SendCmd(SeeIdDevice::kCmdDial, QString()));
    QVERIFY(!device.SendCmd('H', QStringLiteral("0212345678")));
    QVERIFY(device.SendCmd(SeeIdDevice::kCmdDial, QStringLiteral("12345678")));
    QCOMPARE(modem.receive("\r"), QByteArray("ATDT12345678;\r"));

    QVERIFY(modem.send("ON HOOK\r\n"));
    QTRY_COMPARE(hook.size(), 2);
    QCOMPARE(hook.at(1).at(0).toBool(), false);
}

void TestSeeIdDevice::openAndCloseResults()
{
    PtyModem modem;
    QVERIFY(modem.isValid());
    SeeIdDevice device;
    QCOMPARE(device.OpenPort(QString(), QString()), qint16(SeeIdDevice::NoPortName));
    QCOMPARE(device.OpenPort(modem.slavePath(), QStringLiteral("9600,X,8,1")),
             qint16(SeeIdDevice::BadSettings));
    QCOMPARE(device.OpenPort(QStringLiteral("/nonexistent/ttyS0"), QString()),
             qint16(SeeIdDevice::OpenFailed));
    QVERIFY(!device.IsOpened());
    QVERIFY(!device.LastErrorText().isEmpty());

    QCOMPARE(device.OpenPort(modem.slavePath(), QStringLiteral("19200,E,7,2")), qint16(SeeIdDevice::Ok));
    QCOMPARE(device.OpenPort(modem.slavePath(), QString()), qint16(SeeIdDevice::AlreadyOpen));
    QCOMPARE(device.ClosePort(modem.slavePath(), QString()), qint16(SeeIdDevice::Ok));
    QVERIFY(!device.IsOpened());
    QVERIFY(!device.SendCmd(SeeIdDevice::kCmdDial, QStringLiteral("0212345678")));
    QVERIFY(device.ClosePort() != SeeIdDevice::Ok);
    // The port can be taken again after closing.
    QCOMPARE(device.OpenPort(modem.slavePath(), QString()), qint16(SeeIdDevice::Ok));
}

void TestSeeIdDevice::comNumberUsesPrefix()
{
    PtyModem modem;
    QVERIFY(modem.isValid());
    QTemporaryDir dir;
    QVERIFY(QFile::link(modem.slavePath(), dir.filePath(QStringLiteral("tty4"))));
    qputenv("ZELKOVA_SERIAL_PREFIX", dir.filePath(QStringLiteral("tty")).toLocal8Bit());
    SeeIdDevice device;
    QCOMPARE(device.OpenPort(QStringLiteral("COM3"), QString()), qint16(SeeIdDevice::OpenFailed));
    QCOMPARE(device.OpenPort(QStringLiteral("COM5"), QString()), qint16(SeeIdDevice::Ok));
    QCOMPARE(device.PortName(), QStringLiteral("COM5"));
    qunsetenv("ZELKOVA_SERIAL_PREFIX");
}

void TestSeeIdDevice::vanishedPortCountsAsClosed()
{
    PtyModem modem;
    QVERIFY(modem.isValid());
    SeeIdDevice device;
    QCOMPARE(device.OpenPort(modem.slavePath(), QString()), qint16(SeeIdDevice::Ok));
    modem.closeMaster();
    QTRY_VERIFY(!device.IsOpened());
}

void TestSeeIdDevice::nestedLoopKeepsArrivalOrder()
{
    PtyModem modem;
    QVERIFY(modem.isValid());
    SeeIdDevice device;
    QStringList handled;
    bool nested = false;
    connect(&device, &SeeIdDevice::DataReceived, this, [&](int kind, const QString& text) {
        handled << QStringLiteral("%1 %2").arg(kind).arg(text);
        if (kind == SeeIdKind::CallerNumber && !nested) {
            // Like a modal customer picker: the next call arrives while this one is being handled.
            nested = true;
            modem.send("DATE=0314\r\nNMBR=0311112222\r\n");
            QTest::qWait(300);
        }
    });
    QCOMPARE(device.OpenPort(modem.slavePath(), QString()), qint16(SeeIdDevice::Ok));
    modem.send("NMBR=0212345678\r\nNAME=홍길동\r\n");
    QTRY_COMPARE(handled.size(), 3);
    QCOMPARE(handled, (QStringList{QStringLiteral("1 0212345678"), QStringLiteral("5 0212345678 홍길동"),
                                   QStringLiteral("1 0311112222")}));
}

void TestSeeIdDevice::simulatorDrivesDevice()
{
    QProcess sim;
    sim.start(QStringLiteral(ZELKOVA_CID_SIM), {});
    QVERIFY(sim.waitForStarted());
    QTRY_VERIFY(sim.canReadLine());
    const QString path = QString::fromLocal8Bit(sim.readLine()).trimmed();
    QVERIFY(path.startsWith(QLatin1String("/dev/")));

    SeeIdDevice device;
    QSignalSpy data(&device, &SeeIdDevice::DataReceived);
    QSignalSpy hook(&device, &SeeIdDevice::HookChanged);
    QCOMPARE(device.OpenPort(path, QString()), qint16(SeeIdDevice::Ok));
    sim.write("ring 0212345678\nring 0212345678\nsleep 50\nwithheld\nlift\n");
    QTRY_COMPARE(hook.size(), 1);
    QCOMPARE(dataOf(data),
             (QStringList{QStringLiteral("4 전화벨 울림"), QStringLiteral("1 0212345678"),
                          QStringLiteral("1 0212345678"), QStringLiteral("3 발신번호 표시제한")}));

    QVERIFY(device.SendCmd(SeeIdDevice::kCmdDial, QStringLiteral("0212345678")));
    QTRY_VERIFY(sim.canReadLine());
    QCOMPARE(sim.readLine().trimmed(), QByteArray("DIAL 0212345678"));

    sim.write("quit\n");
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 0);
}

// "SeeID 테스트": a device that answers a modem command, one that is silent, a port that cannot be opened,
// none set; a port the program holds open is asked through its own connection and stays open.
void TestSeeIdDevice::probe_data()
{
    QTest::addColumn<QString>("peer"); // "sim" the simulator, "pty" a terminal nobody answers on, "" none
    QTest::addColumn<QString>("port"); // used when there is no peer
    QTest::addColumn<bool>("held");    // the program already has the port open
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("said"); // the line's end
    QTest::newRow("simulator answers")
        << "sim"
        << "" << false << int(SeeIdProbe::Outcome::Answered) << "): 장치가 응답했습니다.";
    QTest::newRow("held by the main screen")
        << "sim"
        << "" << true << int(SeeIdProbe::Outcome::Answered) << "): 장치가 응답했습니다.";
    QTest::newRow("nothing answers")
        << "pty"
        << "" << false << int(SeeIdProbe::Outcome::Silent)
        << "): 포트는 열렸지만 장치가 응답하지 않았습니다. 장치의 전원과 연결선, "
           "포트 번호를 확인하세요.";
    QTest::newRow("no such port")
        << ""
        << "/dev/zelkova-no-such-port" << false << int(SeeIdProbe::Outcome::OpenFailed)
        << "): 포트를 열 수 없습니다(그런 포트가 없습니다). 포트 번호와 장치 연결을 "
           "확인하세요.";
    QTest::newRow("not used") << ""
                              << "" << false << int(SeeIdProbe::Outcome::NoPort) << "사용포트1: 사용 안함";
}

void TestSeeIdDevice::probe()
{
    QFETCH(QString, peer);
    QFETCH(QString, port);
    QFETCH(bool, held);
    QFETCH(int, outcome);
    QFETCH(QString, said);
    QProcess sim;
    PtyModem modem;
    if (peer == QLatin1String("sim")) {
        sim.start(QStringLiteral(ZELKOVA_CID_SIM), {});
        QVERIFY(sim.waitForStarted());
        QTRY_VERIFY(sim.canReadLine());
        port = QString::fromLocal8Bit(sim.readLine()).trimmed();
    } else if (peer == QLatin1String("pty")) {
        port = modem.slavePath();
    }
    SeeIdDevice mainScreens;
    QSignalSpy calls(&mainScreens, &SeeIdDevice::DataReceived);
    if (held) {
        QSignalSpy answers(&mainScreens, &SeeIdDevice::BytesArrived);
        QCOMPARE(mainScreens.OpenPort(port), qint16(SeeIdDevice::Ok));
        QTRY_VERIFY(!answers.isEmpty()); // the simulator has answered the start command
        QCOMPARE(SeeIdDevice::OpenOn(port), &mainScreens);
    }
    const SeeIdProbe::Result r = SeeIdProbe::Probe(port, peer == QLatin1String("pty") ? 300 : 5000);
    QCOMPARE(int(r.outcome), outcome);
    const QString line = SeeIdProbe::Describe(r, QStringLiteral("사용포트1"));
    QVERIFY2(line.endsWith(said), qPrintable(line));
    if (!port.isEmpty())
        QVERIFY2(line.startsWith(QStringLiteral("사용포트1 (") + port), qPrintable(line));
    // Only the program's own connection stays open, and it still hands on the calls.
    QCOMPARE(SeeIdDevice::OpenOn(port) != nullptr, held);
    if (held) {
        sim.write("ring 0212345678\n");
        QTRY_VERIFY(dataOf(calls).contains(QStringLiteral("1 0212345678")));
    }
    if (outcome == int(SeeIdProbe::Outcome::NoPort))
        QCOMPARE(SeeIdProbe::Report(r, r),
                 QStringLiteral("사용할 포트가 설정되어 있지 않습니다.\r\n사용포트1 또는 "
                                "사용포트2에 포트 번호나 장치 경로를 입력하세요."));
    if (sim.state() == QProcess::Running) {
        sim.write("quit\n");
        QVERIFY(sim.waitForFinished(5000));
    }
}

QTEST_GUILESS_MAIN(TestSeeIdDevice)
#include "tst_seeiddevice.moc"
