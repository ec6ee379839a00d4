#include "ui/TextUtil.h"

#include "ui/MsgBox.h"

#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <iconv.h>
#include <string>

namespace {

// One iconv handle per thread: opening one per call would dominate the cost of short field texts.
class Cp949Codec
{
public:
    Cp949Codec() : m_toCp949(iconv_open("CP949", "UTF-32LE")), m_fromCp949(iconv_open("UTF-8", "CP949")) {}
    ~Cp949Codec()
    {
        if (m_toCp949 != invalid())
            iconv_close(m_toCp949);
        if (m_fromCp949 != invalid())
            iconv_close(m_fromCp949);
    }
    Cp949Codec(const Cp949Codec&) = delete;
    Cp949Codec& operator=(const Cp949Codec&) = delete;

    // Writes the CP949 bytes of one character into out (room for 4); returns their count, 0 when the
    // code page lacks the character.
    int encode(char32_t cp, char* out)
    {
        if (cp < 0x80) {
            out[0] = char(cp);
            return 1;
        }
        if (m_toCp949 == invalid())
            return 0;
        char in[4] = {char(cp & 0xFF), char((cp >> 8) & 0xFF), char((cp >> 16) & 0xFF), char(cp >> 24)};
        char* inPtr = in;
        size_t inLeft = sizeof in;
        char* outPtr = out;
        size_t outLeft = 4;
        iconv(m_toCp949, nullptr, nullptr, nullptr, nullptr);
        if (iconv(m_toCp949, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1))
            return 0;
        return int(outPtr - out);
    }

    QString decode(const QByteArray& bytes)
    {
        if (m_fromCp949 == invalid())
            return QString::fromLatin1(bytes);
        iconv(m_fromCp949, nullptr, nullptr, nullptr, nullptr);
        QByteArray utf8;
        utf8.reserve(bytes.size() * 3 / 2 + 4);
        QByteArray input = bytes;
        char* inPtr = input.data();
        size_t inLeft = size_t(input.size());
        char chunk[256];
        while (inLeft > 0) {
            char* outPtr = chunk;
            size_t outLeft = sizeof chunk;
            const size_t rc = iconv(m_fromCp949, &inPtr, &inLeft, &outPtr, &outLeft);
            utf8.append(chunk, outPtr - chunk);
            if (rc != size_t(-1))
                continue;
            if (errno == E2BIG)
                continue;
            if (errno == EINVAL) // half a character at the end
                break;
            // A byte the code page does not know: show it as the replacement character and go on.
            utf8.append("\xEF\xBF\xBD");
            ++inPtr;
            --inLeft;
        }
        return QString::fromUtf8(utf8);
    }

private:
    static iconv_t invalid() { return iconv_t(-1); }

    iconv_t m_toCp949;
    iconv_t m_fromCp949;
};

Cp949Codec& codec()
{
    thread_local Cp949Codec instance;
    return instance;
}

// Calls f(start, length in UTF-16 units, code point) for every character; stops when f returns false.
// A lone surrogate is passed as itself and has no CP949 form.
template <typename F> void forEachChar(const QString& text, F f)
{
    const int size = int(text.size());
    for (int i = 0; i < size;) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            if (!f(i, 2, char32_t(QChar::surrogateToUcs4(c, text.at(i + 1)))))
                return;
            i += 2;
        } else {
            if (!f(i, 1, char32_t(c.unicode())))
                return;
            ++i;
        }
    }
}

int charBytes(char32_t cp)
{
    char buf[4];
    const int n = codec().encode(cp, buf);
    return n > 0 ? n : 2;
}

bool isAsciiDigits(const QString& text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

std::optional<double> toDouble(const std::string& s)
{
    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return value == 0 ? 0.0 : value; // no negative zero on screen
}

// "HH:MM" when text reads as a time of day with one or two digits on either side of the colon.
std::optional<QString> timeOfDay(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 2)
        return std::nullopt;
    const QString h = parts.at(0).trimmed();
    const QString m = parts.at(1).trimmed();
    if (!isAsciiDigits(h) || !isAsciiDigits(m) || h.size() > 2 || m.size() > 2)
        return std::nullopt;
    const int hour = h.toInt();
    const int minute = m.toInt();
    if (hour > 23 || minute > 59)
        return std::nullopt;
    return QStringLiteral("%1:%2").arg(hour, 2, 10, QLatin1Char('0')).arg(minute, 2, 10, QLatin1Char('0'));
}

} // namespace

QByteArray ToCp949(const QString& text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    forEachChar(text, [&out](int, int, char32_t cp) {
        char buf[4];
        const int n = codec().encode(cp, buf);
        if (n > 0)
            out.append(buf, n);
        else
            out.append("??");
        return true;
    });
    return out;
}

QString FromCp949(const QByteArray& bytes)
{
    return codec().decode(bytes);
}

int LenByte(const QString& text)
{
    int total = 0;
    forEachChar(text, [&total](int, int, char32_t cp) {
        total += charBytes(cp);
        return true;
    });
    return total;
}

QString LeftByte(const QString& text, int n)
{
    int bytes = 0;
    int units = 0;
    forEachChar(text, [&](int start, int length, char32_t cp) {
        bytes += charBytes(cp);
        if (bytes > n)
            return false;
        units = start + length;
        return true;
    });
    return text.left(units);
}

QString LPad(const QString& text, int width, QChar fill)
{
    const QString body = LenByte(text) <= width ? text : LeftByte(text, width);
    int missing = width - LenByte(body);
    const int fillBytes = charBytes(fill.unicode());
    QString pad;
    for (; missing >= fillBytes; missing -= fillBytes)
        pad.append(fill);
    // A double-byte fill cannot close an odd gap; a blank keeps the column width exact.
    pad.append(QString(std::max(missing, 0), QLatin1Char(' ')));
    return pad + body;
}

QString FormatThousands(qint64 value)
{
    // Unsigned, so the most negative value has a magnitude too.
    quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
    QString digits;
    int count = 0;
    do {
        if (count > 0 && count % 3 == 0)
            digits.prepend(QLatin1Char(','));
        digits.prepend(QLatin1Char(char('0' + magnitude % 10)));
        magnitude /= 10;
        ++count;
    } while (magnitude != 0);
    return value < 0 ? QLatin1Char('-') + digits : digits;
}

QString MaxByteLengthMessage(int maxBytes)
{
    return QStringLiteral("최대입력길이를 넘었습니다.") + kCrLf + QStringLiteral("최대입력길이는 ") +
           QString::number(maxBytes) + QStringLiteral("입니다.") + kCrLf +
           QStringLiteral("한글은 한 글자당 길이가 2입니다.");
}

namespace {
// What in the text the engine cannot take as it is ("" when nothing): a NUL ends its statement early and
// half a surrogate pair swallows the character after it.
QString unusableChar(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isNull())
            return QStringLiteral("입력할 수 없는 문자(NUL)");
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return QStringLiteral("깨진 문자");
    }
    return QString();
}
} // namespace

QString SearchTextProblem(const QString& text, int maxBytes)
{
    const QString bad = unusableChar(text);
    QString problem =
        bad.isEmpty() ? QString() : QStringLiteral("검색어에 ") + bad + QStringLiteral("가 들어 있습니다.");
    if (problem.isEmpty() && LenByte(text) > maxBytes)
        problem = MaxByteLengthMessage(maxBytes);
    if (problem.isEmpty())
        return {};
    return problem + kCrLf + QStringLiteral("검색어를 고쳐서 다시 입력하세요.");
}

QString StorableTextProblem(const QString& text)
{
    const QString bad = unusableChar(text);
    if (bad.isEmpty())
        return {};
    return QStringLiteral("입력한 내용에 ") + bad + QStringLiteral("가 들어 있어 저장할 수 없습니다.") +
           kCrLf + QStringLiteral("내용을 고쳐서 다시 입력하세요.");
}

bool IsPhoneText(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    const QChar first = t.at(0);
    if (!isDigit(first) && first != u'+' && first != u'(')
        return false;
    static const QString separators = QStringLiteral(" -().");
    // The number runs to its last digit before anything that is neither a digit nor a separator.
    int end = 0;
    int digits = 0;
    for (int i = first == u'+' ? 1 : 0; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (isDigit(c)) {
            ++digits;
            end = i + 1;
        } else if (!separators.contains(c)) {
            break;
        }
    }
    // What follows the number is a note only after a blank.
    return digits >= 3 && (end == t.size() || t.at(end) == u' ');
}

QString PhoneTextProblem(const QString& text)
{
    if (text.trimmed().isEmpty() || IsPhoneText(text))
        return {};
    return QStringLiteral("입력한 내용은 전화번호 형식이 아닙니다.") + kCrLf +
           QStringLiteral("숫자, '+' 또는 '('로 시작하고 숫자가 3개 이상 있어야 합니다.") + kCrLf +
           QStringLiteral("메모는 번호 뒤에 한 칸 띄우고 적으세요.") + kCrLf +
           QStringLiteral("예) 031-555-0199 또는 010 1234 5678 집");
}

bool ShapeTime(QString& text, QString* help)
{
    const int n = int(text.size());
    if (n == 0 || n == 3 || n > 5)
        return false;

    QString shaped = text;
    if (n <= 2) {
        const QString hour =
            isAsciiDigits(text) ? QStringLiteral("%1").arg(text.toInt(), 2, 10, QLatin1Char('0')) : text;
        shaped = hour + QStringLiteral(":00");
    } else if (n == 4 && text.at(1) == QLatin1Char(':')) {
        // "9:30" already reads as a time; splitting it after two characters would make "9::30".
    } else if (n == 4 || text.at(2) != QLatin1Char(':')) {
        shaped = text.left(2) + QLatin1Char(':') + text.right(2);
    }

    if (const auto time = timeOfDay(shaped)) {
        text = *time;
        return true;
    }
    if (help)
        *help = QLatin1Char('[') + shaped + QStringLiteral("]는 시간형식이 아닙니다.") + kCrLf +
                QStringLiteral("시:분 방식으로 입력하세요.") + kCrLf + QStringLiteral("예) 14:25 또는 1425") +
                kCrLf + QStringLiteral("     01:05 또는 0105");
    return false;
}

QString FormatPhone(const QString& phone, QString* localPart)
{
    auto unchanged = [&]() {
        if (localPart)
            *localPart = phone;
        return phone;
    };
    if (phone.size() < 6)
        return unchanged();

    QString digits;
    for (QChar c : phone) {
        if (c >= u'0' && c <= u'9')
            digits.append(c);
    }
    // Four digits or fewer leave nothing to put before the last group.
    if (digits.size() <= 4)
        return unchanged();

    qsizetype area = 0;
    if (digits.startsWith(QLatin1String("02")))
        area = 2;
    else if (digits.startsWith(QLatin1Char('0')) && digits.size() >= 9)
        area = 3;
    // Too short for a middle group after the area code: "02-" + "" + "-1234" would be no number at all.
    if (digits.size() - area - 4 <= 0)
        area = 0;

    const QString last = digits.right(4);
    const QString front = digits.left(digits.size() - 4);
    if (area == 0) {
        const QString result = front + QLatin1Char('-') + last;
        if (localPart)
            *localPart = result;
        return result;
    }
    const QString local = front.mid(area) + QLatin1Char('-') + last;
    if (localPart)
        *localPart = local;
    return digits.left(area) + QLatin1Char('-') + local;
}

double RoundHalfAway(double number, double places)
{
    const double wholePlaces = std::round(places);
    if (!std::isfinite(number) || number == 0 || !std::isfinite(wholePlaces))
        return number;
    const int p = int(std::clamp(wholePlaces, -400.0, 400.0));

    // The shortest decimal digits that read back as this number: "d.ddde±x".
    char buf[64];
    const auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, std::fabs(number), std::chars_format::scientific);
    if (ec != std::errc())
        return number;
    const std::string text(buf, end);
    const auto ePos = text.find('e');
    std::string digits = text.substr(0, ePos);
    digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
    const int exponent = std::stoi(text.substr(ePos + 1));

    // Digit i stands for 10^(exponent - i); keep those worth at least 10^-p.
    const int keep = exponent + p + 1;
    if (keep >= int(digits.size()))
        return number;
    if (keep < 0)
        return 0.0;
    std::string kept = digits.substr(0, size_t(keep));
    if (digits[size_t(keep)] >= '5') {
        int i = int(kept.size()) - 1;
        for (; i >= 0 && kept[size_t(i)] == '9'; --i)
            kept[size_t(i)] = '0';
        if (i >= 0)
            ++kept[size_t(i)];
        else
            kept.insert(kept.begin(), '1');
    }
    if (kept.empty() || kept.find_first_not_of('0') == std::string::npos)
        return 0.0;
    const std::string rounded = (number < 0 ? "-" : "") + kept + "e" + std::to_string(-p);
    return toDouble(rounded).value_or(number);
}

double LeadingNumber(const QString& text)
{
    std::string num;
    const int size = int(text.size());
    int i = 0;
    auto skipBlanks = [&]() {
        while (i < size && isBlank(text.at(i)))
            ++i;
    };
    auto isDigitAt = [&](int at) { return at < size && text.at(at) >= u'0' && text.at(at) <= u'9'; };

    skipBlanks();
    if (i < size && (text.at(i) == u'-' || text.at(i) == u'+')) {
        if (text.at(i) == u'-')
            num += '-';
        ++i;
    }
    bool anyDigit = false;
    bool seenPoint = false;
    for (; i < size; ++i) {
        const QChar c = text.at(i);
        if (isDigitAt(i)) {
            num += char(c.unicode());
            anyDigit = true;
        } else if (isBlank(c) || (c == u',' && anyDigit && !seenPoint)) {
            continue;
        } else if (c == u'.' && !seenPoint) {
            num += '.';
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        return 0;

    // An exponent only counts when digits follow it; "12e" is 12.
    if (i < size && QStringLiteral("eEdD").contains(text.at(i))) {
        int j = i + 1;
        std::string exp = "e";
        while (j < size && isBlank(text.at(j)))
            ++j;
        if (j < size && (text.at(j) == u'-' || text.at(j) == u'+'))
            exp += char(text.at(j++).unicode());
        bool expDigit = false;
        for (; j < size && (isDigitAt(j) || isBlank(text.at(j))); ++j) {
            if (isDigitAt(j)) {
                exp += char(text.at(j).unicode());
                expDigit = true;
            }
        }
        if (expDigit)
            num += exp;
    }
    if (num.back() == '.')
        num.pop_back();
    return toDouble(num).value_or(0);
}

std::optional<double> ParseNumber(const QString& text, bool emptyIsZero)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return emptyIsZero ? std::optional<double>(0.0) : std::nullopt;

    static const QRegularExpression pattern(
        QStringLiteral(R"(^[+-]?(?:[0-9]{1,3}(?:,[0-9]{3})+|[0-9]*)(?:\.[0-9]*)?$)"));
    if (!pattern.match(t).hasMatch() || !std::any_of(t.begin(), t.end(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;

    QString plain = t;
    plain.remove(QLatin1Char(','));
    if (plain.startsWith(QLatin1Char('+')))
        plain.remove(0, 1);
    if (plain.endsWith(QLatin1Char('.')))
        plain.chop(1);
    return toDouble(plain.toStdString());
}
