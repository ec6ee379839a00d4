#include "order/SeeIdProbe.h"

#include "app/AppLog.h"
#include "order/SeeIdDevice.h"
#include "order/SeeIdPort.h"

#include <QEventLoop>
#include <QTimer>

#include <memory>

namespace SeeIdProbe {

Result Probe(const QString& portName, int waitMs)
{
    Result r;
    r.port = portName.trimmed();
    if (r.port.isEmpty())
        return r;
    r.device = SeeIdPort::DevicePath(r.port);
    QEventLoop loop;
    bool answered = false;
    const auto listen = [&](SeeIdDevice* d) {
        QObject::connect(d, &SeeIdDevice::BytesArrived, &loop, [&] {
            answered = true;
            loop.quit();
        });
    };
    std::unique_ptr<SeeIdDevice> own;
    if (SeeIdDevice* open = SeeIdDevice::OpenOn(r.device)) {
        listen(open);
        open->SendProbe();
    } else {
        own = std::make_unique<SeeIdDevice>();
        listen(own.get());
        // Opening sends the caller-ID command, which a modem answers as it answers any command.
        if (own->OpenPort(r.port) != SeeIdDevice::Ok) {
            r.outcome = Outcome::OpenFailed;
            r.error = own->LastError();
            r.errorText = own->LastErrorText();
            AppLog::Write(QStringLiteral("장치"), QStringLiteral("테스트 ") + r.device +
                                                      QStringLiteral(": 열지 못함 ") + r.errorText);
            return r;
        }
    }
    QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
    if (!answered)
        loop.exec();
    if (own)
        own->ClosePort();
    r.outcome = answered ? Outcome::Answered : Outcome::Silent;
    AppLog::Write(QStringLiteral("장치"),
                  QStringLiteral("테스트 ") + r.device +
                      (answered ? QStringLiteral(": 응답함") : QStringLiteral(": 응답 없음")));
    return r;
}

QString Describe(const Result& result, const QString& label)
{
    if (result.outcome == Outcome::NoPort)
        return label + QStringLiteral(": 사용 안함");
    QString where = result.port;
    if (result.device != result.port)
        where += QStringLiteral(", ") + result.device;
    const QString head = label + QStringLiteral(" (") + where + QStringLiteral("): ");
    switch (result.outcome) {
    case Outcome::Answered:
        return head + QStringLiteral("장치가 응답했습니다.");
    case Outcome::Silent:
        return head + QStringLiteral("포트는 열렸지만 장치가 응답하지 않았습니다. 장치의 전원과 연결선, "
                                     "포트 번호를 확인하세요.");
    case Outcome::OpenFailed:
        break;
    case Outcome::NoPort:
        break;
    }
    QString why;
    switch (result.error) {
    case QSerialPort::DeviceNotFoundError:
        why = QStringLiteral("그런 포트가 없습니다");
        break;
    case QSerialPort::PermissionError:
        why = QStringLiteral("권한이 없거나 다른 프로그램이 쓰고 있습니다");
        break;
    case QSerialPort::OpenError:
        why = QStringLiteral("이미 열려 있습니다");
        break;
    default:
        why = QStringLiteral("열기 오류");
        break;
    }
    return head + QStringLiteral("포트를 열 수 없습니다(") + why +
           QStringLiteral("). 포트 번호와 장치 연결을 확인하세요.");
}

QString Report(const Result& first, const Result& second)
{
    if (first.outcome == Outcome::NoPort && second.outcome == Outcome::NoPort)
        return QStringLiteral(
            "사용할 포트가 설정되어 있지 않습니다.\r\n사용포트1 또는 사용포트2에 포트 번호나 장치 "
            "경로를 입력하세요.");
    return Describe(first, QStringLiteral("사용포트1")) + QStringLiteral("\r\n") +
           Describe(second, QStringLiteral("사용포트2"));
}

} // namespace SeeIdProbe
