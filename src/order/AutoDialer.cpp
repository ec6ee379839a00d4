#include "order/AutoDialer.h"

#include "app/Globals.h"
#include "ui/MsgBox.h"

#include <exception>

AutoDialer::AutoDialer(Hooks hooks) : m_hooks(std::move(hooks)) {}

void AutoDialer::Request(const QString& number)
{
    const QString trimmed = number.trimmed();
    if (trimmed.isEmpty())
        return;

    if (!m_deviceReady) {
        if (m_doNotAsk)
            return;
        const QString question = QStringLiteral("SEE ID 장치가 준비상태에 있지 않아 전화를 걸수 없습니다.") +
                                 kCrLf + QStringLiteral("다음부터 이 메시지를 띄우지 않겠습니까?");
        if (m_hooks.ask && m_hooks.ask(question))
            m_doNotAsk = true;
        return;
    }

    m_dialNumber = trimmed;
    if (m_handsetLifted) {
        Dial();
        return;
    }

    tell(QStringLiteral("가맹점에 전화걸기를 시도하려고 합니다.") + kCrLf + kCrLf +
         QStringLiteral("수화기를 들어 주세요..."));
    m_tickCount = 0;
    m_waiting = true;
    if (m_hooks.startTimer)
        m_hooks.startTimer(kTickMs);
}

void AutoDialer::Tick()
{
    // A tick already queued when the attempt ended must not restart the countdown.
    if (!m_waiting)
        return;
    try {
        ++m_tickCount;
        if (m_handsetLifted) {
            stopTimer();
            hideCountdown();
            Dial();
            return;
        }
        if (m_tickCount < kGiveUpTicks) {
            if (m_hooks.showCountdown)
                m_hooks.showCountdown(DialCountdownText(m_tickCount));
            return;
        }
        stopTimer();
        tell(QStringLiteral("10초 동안 수화기를 들지 않아서 전화걸기 시도를 중지 합니다."));
        hideCountdown();
    } catch (const std::exception& e) {
        stopTimer();
        if (m_hooks.error)
            m_hooks.error(QString::fromLocal8Bit(e.what()), QStringLiteral("timerHook_Timer"));
    }
}

void AutoDialer::HookChanged(int index, bool lifted)
{
    m_handsetLifted = lifted;
    if (lifted)
        m_dialIndex = index;
}

void AutoDialer::Dial()
{
    if (m_dialNumber.isEmpty() || !m_handsetLifted)
        return;
    try {
        if (m_hooks.notice)
            m_hooks.notice(m_dialNumber + QStringLiteral("에 전화걸기를 시도합니다...."), 500);
        const QString digits = DialDigits(m_dialNumber, gDDD);
        // A number that was nothing but the own area code leaves nothing to dial.
        if (digits.isEmpty())
            return;
        if (m_hooks.send)
            m_hooks.send(m_dialIndex < 0 ? 0 : m_dialIndex, digits);
    } catch (const std::exception& e) {
        if (m_hooks.error)
            m_hooks.error(QString::fromLocal8Bit(e.what()), QStringLiteral("AutoDialing"));
    }
}

void AutoDialer::Stop()
{
    if (m_waiting) {
        stopTimer();
        hideCountdown();
    }
}

void AutoDialer::ResetHandset()
{
    m_handsetLifted = false;
}

void AutoDialer::stopTimer()
{
    m_waiting = false;
    if (m_hooks.stopTimer)
        m_hooks.stopTimer();
}

void AutoDialer::tell(const QString& text)
{
    if (m_hooks.tell)
        m_hooks.tell(text);
}

void AutoDialer::hideCountdown()
{
    if (m_hooks.hideCountdown)
        m_hooks.hideCountdown();
}

QString DialDigits(const QString& number, const QString& ddd)
{
    // What follows the number ("02-123-4567 내선2") is a note for the operator, never dialled.
    static const QString separators = QStringLiteral("-() .");
    QString digits;
    for (const QChar c : number.trimmed()) {
        if (c >= u'0' && c <= u'9')
            digits.append(c);
        else if (!separators.contains(c))
            break;
    }
    QString area = ddd.trimmed();
    area.remove(QLatin1Char('-'));
    if (!area.isEmpty() && digits.startsWith(area))
        digits.remove(0, area.size());
    return digits;
}

QString DialCountdownText(int tickCount)
{
    const int seconds = 10 - tickCount / 2;
    return QStringLiteral("수화기를 들어 주세요...(남은 대기시간: %1)").arg(seconds, 2, 10, QLatin1Char('0'));
}
