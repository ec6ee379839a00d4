#include "order/SeeIdParser.h"

#include <QStringDecoder>
#include <QTextBoundaryFinder>

namespace {
constexpr int kMaxNumberDigits = 20;
constexpr int kMaxNameChars = 40;

// Korean caller-ID boxes send names in the national code page; modems elsewhere send UTF-8 or ASCII.
QString decodeLine(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder cp949("CP949", QStringDecoder::Flag::Stateless);
    if (cp949.isValid()) {
        text = cp949(bytes);
        if (!cp949.hasError())
            return text;
    }
    return QString::fromLatin1(bytes);
}

// Stray high bytes from line noise in front of a tag would otherwise pair up with the tag's first
// letter into one national-code-page character and hide the tag. Tags and keywords are plain ASCII.
QByteArray withoutLeadingNoise(const QByteArray& raw)
{
    qsizetype start = 0;
    while (start < raw.size() && (static_cast<unsigned char>(raw.at(start)) >= 0x80 || raw.at(start) == ' '))
        ++start;
    return raw.mid(start);
}

// At most maxUnits UTF-16 units, cut where a character ends: half an emoji or a base letter without
// its combining marks must never reach the screen.
QString leftWholeCharacters(const QString& text, qsizetype maxUnits)
{
    if (text.size() <= maxUnits)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(maxUnits);
    if (!finder.isAtBoundary() && finder.toPreviousBoundary() < 0)
        return {};
    return text.left(finder.position());
}

enum class Marker
{
    None,
    Withheld,
    Unavailable
};

// The single letters are the North American MDMF reasons (P private, O out of area); A is "anonymous".
Marker absenceMarker(const QString& value)
{
    const QString v = value.toUpper();
    if (v == QLatin1String("P") || v == QLatin1String("A") || v == QLatin1String("PRIVATE") ||
        v == QLatin1String("ANONYMOUS") || v == QLatin1String("WITHHELD") || v == QLatin1String("RESTRICTED"))
        return Marker::Withheld;
    if (v.isEmpty() || v == QLatin1String("O") || v == QLatin1String("OUT OF AREA") ||
        v == QLatin1String("OUT-OF-AREA") || v == QLatin1String("UNAVAILABLE") ||
        v == QLatin1String("UNKNOWN"))
        return Marker::Unavailable;
    return Marker::None;
}

// Separators a device may put into a number are dropped; anything else makes the line unusable.
QString normalisedNumber(const QString& value)
{
    QString digits;
    for (const QChar c : value) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits.append(c);
        else if (c == QLatin1Char(' ') || c == QLatin1Char('-') || c == QLatin1Char('(') ||
                 c == QLatin1Char(')') || c == QLatin1Char('.'))
            continue;
        else
            return {};
    }
    if (digits.size() > kMaxNumberDigits)
        return {};
    return digits;
}

bool isOffHookLine(const QString& upper)
{
    return upper == QLatin1String("OFFHOOK") || upper == QLatin1String("OFF HOOK") ||
           upper == QLatin1String("OFF-HOOK");
}

bool isOnHookLine(const QString& upper)
{
    return upper == QLatin1String("ONHOOK") || upper == QLatin1String("ON HOOK") ||
           upper == QLatin1String("ON-HOOK");
}
} // namespace

QString SeeIdParser::WithheldText()
{
    return QStringLiteral("발신번호 표시제한");
}

QString SeeIdParser::UnavailableText()
{
    return QStringLiteral("발신번호 알수없음");
}

QString SeeIdParser::RingText()
{
    return QStringLiteral("전화벨 울림");
}

QList<SeeIdEvent> SeeIdParser::feed(const QByteArray& bytes, qint64 nowMs)
{
    QList<SeeIdEvent> out;
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == '\r' || b == '\n') {
            if (!m_discarding && !m_line.isEmpty())
                handleLine(m_line, nowMs, out);
            m_line.clear();
            m_discarding = false;
            continue;
        }
        if (m_discarding)
            continue;
        if (b == '\t')
            m_line.append(' ');
        else if (b >= 0x20 && b != 0x7f)
            m_line.append(ch);
        // A line that never ends is line noise; drop it up to the next terminator.
        if (m_line.size() > kMaxLineBytes) {
            m_line.clear();
            m_discarding = true;
        }
    }
    return out;
}

void SeeIdParser::reset()
{
    m_line.clear();
    m_discarding = false;
    endCall();
    m_offHook = false;
}

void SeeIdParser::touchCall(qint64 nowMs)
{
    if (m_callOpen && nowMs - m_lastCallLineMs > m_quietMs)
        endCall();
    m_callOpen = true;
    m_lastCallLineMs = nowMs;
}

void SeeIdParser::endCall()
{
    m_callOpen = false;
    m_number.clear();
    m_pendingName.clear();
    m_withheldReported = false;
    m_ringReported = false;
    m_nameReported = false;
}

void SeeIdParser::handleLine(const QByteArray& raw, qint64 nowMs, QList<SeeIdEvent>& out)
{
    const QString line = decodeLine(withoutLeadingNoise(raw)).trimmed();
    if (line.isEmpty())
        return;
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0) {
        const QString upper = line.toUpper();
        if (upper == QLatin1String("RING")) {
            touchCall(nowMs);
            if (!m_ringReported && m_number.isEmpty() && !m_withheldReported) {
                m_ringReported = true;
                out.append(SeeIdEvent::Data(SeeIdKind::Ring, RingText()));
            }
        } else if (isOffHookLine(upper)) {
            setHook(true, out);
        } else if (isOnHookLine(upper)) {
            setHook(false, out);
        }
        // Echoed commands and result codes ("OK", "ERROR") carry nothing for the operator.
        return;
    }
    const QString tag = line.left(eq).trimmed().toUpper();
    const QString value = line.mid(eq + 1).trimmed();
    if (tag == QLatin1String("DATE")) {
        // A caller-ID block comes once per call, so a second one belongs to the next call.
        touchCall(nowMs);
        if (!m_number.isEmpty() || m_withheldReported) {
            endCall();
            touchCall(nowMs);
        }
    } else if (tag == QLatin1String("TIME")) {
        touchCall(nowMs);
    } else if (tag == QLatin1String("NMBR") || tag == QLatin1String("DDN_NMBR")) {
        handleNumber(value, nowMs, out);
    } else if (tag == QLatin1String("NAME")) {
        touchCall(nowMs);
        handleName(value, out);
    }
}

void SeeIdParser::handleNumber(const QString& value, qint64 nowMs, QList<SeeIdEvent>& out)
{
    touchCall(nowMs);
    const Marker marker = absenceMarker(value);
    if (marker != Marker::None) {
        if (m_number.isEmpty() && !m_withheldReported) {
            m_withheldReported = true;
            out.append(SeeIdEvent::Data(SeeIdKind::Withheld,
                                        marker == Marker::Withheld ? WithheldText() : UnavailableText()));
        }
        return;
    }
    const QString number = normalisedNumber(value);
    if (number.isEmpty() || number == m_number)
        return;
    if (!m_number.isEmpty() || m_withheldReported) {
        // A different number inside one call means a call boundary went unseen; never drop a caller.
        endCall();
        touchCall(nowMs);
    }
    m_number = number;
    out.append(SeeIdEvent::Data(m_offHook ? SeeIdKind::WaitingNumber : SeeIdKind::CallerNumber, number));
    if (!m_pendingName.isEmpty() && !m_nameReported) {
        m_nameReported = true;
        out.append(SeeIdEvent::Data(SeeIdKind::CallerName, number + QLatin1Char(' ') + m_pendingName));
    }
}

void SeeIdParser::handleName(const QString& value, QList<SeeIdEvent>& out)
{
    if (absenceMarker(value) != Marker::None || m_nameReported || m_withheldReported)
        return;
    const QString name = leftWholeCharacters(value, kMaxNameChars).trimmed();
    if (name.isEmpty())
        return;
    if (m_number.isEmpty()) {
        m_pendingName = name;
        return;
    }
    m_nameReported = true;
    out.append(SeeIdEvent::Data(SeeIdKind::CallerName, m_number + QLatin1Char(' ') + name));
}

void SeeIdParser::setHook(bool offHook, QList<SeeIdEvent>& out)
{
    // Lifting the handset answers the ringing call and putting it down ends a conversation.
    endCall();
    if (offHook == m_offHook)
        return;
    m_offHook = offHook;
    out.append(SeeIdEvent::Hook(offHook));
}
