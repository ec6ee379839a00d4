#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Kinds carried by the caller-ID device's DataReceived event; only the first two hold a number to look up.
namespace SeeIdKind {
constexpr int CallerNumber = 1;  // number of a ringing call
constexpr int WaitingNumber = 2; // number announced while the handset is lifted (call waiting)
constexpr int Withheld = 3;      // call without a usable number; data is a text for display only
constexpr int Ring = 4;          // a call rings before (or without) its caller-ID block
constexpr int CallerName = 5;    // number + " " + name, for display only
} // namespace SeeIdKind

// One thing the device reported: a data event or a change of the handset.
struct SeeIdEvent
{
    enum class Type
    {
        Data,
        Hook
    };

    Type type = Type::Data;
    int kind = 0;
    QString data;
    bool offHook = false;

    static SeeIdEvent Data(int kind, const QString& data) { return {Type::Data, kind, data, false}; }
    static SeeIdEvent Hook(bool offHook) { return {Type::Hook, 0, {}, offHook}; }
    bool operator==(const SeeIdEvent& other) const = default;
};

// Turns the byte stream of a caller-ID modem into call and handset events, one calling number per call.
class SeeIdParser
{
public:
    static constexpr qint64 kQuietPeriodMs = 8000;
    static constexpr int kMaxLineBytes = 256;

    // Texts shown for calls whose number is withheld or unavailable.
    static QString WithheldText();
    static QString UnavailableText();
    static QString RingText();

    // Consumes the bytes read at the monotonic time nowMs and returns what they completed.
    QList<SeeIdEvent> feed(const QByteArray& bytes, qint64 nowMs);
    void reset();

    bool isOffHook() const { return m_offHook; }
    bool isCallOpen() const { return m_callOpen; }
    void setQuietPeriod(qint64 ms) { m_quietMs = ms; }

private:
    void handleLine(const QByteArray& raw, qint64 nowMs, QList<SeeIdEvent>& out);
    void touchCall(qint64 nowMs);
    void endCall();
    void handleNumber(const QString& value, qint64 nowMs, QList<SeeIdEvent>& out);
    void handleName(const QString& value, QList<SeeIdEvent>& out);
    void setHook(bool offHook, QList<SeeIdEvent>& out);

    QByteArray m_line;
    bool m_discarding = false;
    qint64 m_quietMs = kQuietPeriodMs;

    bool m_callOpen = false;
    qint64 m_lastCallLineMs = 0;
    QString m_number;
    QString m_pendingName;
    bool m_withheldReported = false;
    bool m_ringReported = false;
    bool m_nameReported = false;

    bool m_offHook = false;
};
