#pragma once

#include <QString>

#include <functional>

// Dials a store through the caller-ID device once the operator lifts the handset, waiting up to ten seconds.
//
// The owner wires the timer and the devices through Hooks: startTimer is called with the tick interval and
// each timeout must call Tick(); HookChanged() forwards the devices' handset events. What the operator is
// asked and told goes through the owner's hooks too: nothing here shows a message of its own.
class AutoDialer
{
public:
    struct Hooks
    {
        std::function<void(int ms)> startTimer;
        std::function<void()> stopTimer;
        // Sends the dial command with the digits on the device of that index.
        std::function<void(int deviceIndex, const QString& digits)> send;
        // The countdown panel: show (and make visible) with the text, or hide.
        std::function<void(const QString& text)> showCountdown;
        std::function<void()> hideCountdown;
        // A yes/no question, No the default; true for Yes.
        std::function<bool(const QString& question)> ask;
        // An information message, and a short notice without buttons shown for ms milliseconds.
        std::function<void(const QString& text)> tell;
        std::function<void(const QString& text, int ms)> notice;
        // A run-time error of a procedure of the dialling.
        std::function<void(const QString& what, const QString& procedure)> error;
    };

    static constexpr int kTickMs = 500;
    // Ticks without a lifted handset before the attempt is given up (10.5 seconds).
    static constexpr int kGiveUpTicks = 21;

    explicit AutoDialer(Hooks hooks = {});

    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }
    // A screen that shows the countdown while it is open takes these, changes the panel and hands them back.
    const Hooks& hooks() const { return m_hooks; }

    void SetDeviceReady(bool ready) { m_deviceReady = ready; }
    bool DeviceReady() const { return m_deviceReady; }
    // Set when the operator answered that the not-ready question should not be asked again.
    bool DoNotAsk() const { return m_doNotAsk; }
    bool HandsetLifted() const { return m_handsetLifted; }
    // Index of the device that last reported its handset lifted; -1 before any did.
    int DialIndex() const { return m_dialIndex; }
    QString DialNumber() const { return m_dialNumber; }
    int TickCount() const { return m_tickCount; }
    // True while the countdown for a lifted handset runs.
    bool Waiting() const { return m_waiting; }

    // Starts dialling the store number: at once when the handset is up, otherwise after asking for it.
    void Request(const QString& number);
    // One timeout of the 500 ms timer.
    void Tick();
    // A device reported its handset lifted or put down.
    void HookChanged(int index, bool lifted);
    // Sends the dial command for the waiting number when the handset is up.
    void Dial();
    // Abandons a waiting attempt (the screen that owns the timer is closing).
    void Stop();
    // Forgets the handset state, as at the start of the main screen.
    void ResetHandset();

private:
    void stopTimer();
    void hideCountdown();
    void tell(const QString& text);

    Hooks m_hooks;
    QString m_dialNumber;
    int m_dialIndex = -1;
    int m_tickCount = 0;
    bool m_deviceReady = false;
    bool m_handsetLifted = false;
    bool m_doNotAsk = false;
    bool m_waiting = false;
};

// The digits sent to the device: the number without "-", without the own area code when it starts with it.
QString DialDigits(const QString& number, const QString& ddd);
// Countdown text after tickCount ticks: "수화기를 들어 주세요...(남은 대기시간: 10)" down to 00.
QString DialCountdownText(int tickCount);
