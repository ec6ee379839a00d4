#include "order/SeeIdParser.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

namespace {
// "D<kind> <data>" for data events, "H1"/"H0" for the handset.
QString describe(const SeeIdEvent& e)
{
    if (e.type == SeeIdEvent::Type::Hook)
        return e.offHook ? QStringLiteral("H1") : QStringLiteral("H0");
    return QStringLiteral("D%1 %2").arg(e.kind).arg(e.data);
}

struct Chunk
{
    qint64 time;
    QByteArray bytes;
};

QStringList run(const QList<Chunk>& chunks)
{
    SeeIdParser parser;
    QStringList out;
    for (const Chunk& c : chunks)
        for (const SeeIdEvent& e : parser.feed(c.bytes, c.time))
            out << describe(e);
    return out;
}

// "@9000 " at the start of an input part sets the time of that part.
QList<Chunk> parseParts(const QStringList& parts)
{
    QList<Chunk> chunks;
    for (QString p : parts) {
        qint64 time = chunks.isEmpty() ? 0 : chunks.last().time;
        if (p.startsWith(QLatin1Char('@'))) {
            const qsizetype sp = p.indexOf(QLatin1Char(' '));
            time = p.mid(1, sp - 1).toLongLong();
            p = p.mid(sp + 1);
        }
        chunks.append({time, p.toUtf8()});
    }
    return chunks;
}

const QString kRing = QStringLiteral("D4 전화벨 울림");
} // namespace

class TestSeeIdParser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lines_data();
    void lines();
    void noiseBeforeTag_data();
    void noiseBeforeTag();
    void overlongLineIsDropped();
    void nationalCodePageName();
    void fuzzReportsEachCallOnce();
};

void TestSeeIdParser::lines_data()
{
    QTest::addColumn<QStringList>("parts");
    QTest::addColumn<QStringList>("expected");
    const QString num = QStringLiteral("D1 0212345678");

    QTest::newRow("ring, block, ring (CR LF)")
        << QStringList{"RING\r\n\r\nDATE = 0314\r\nTIME = 1502\r\nNMBR = 0212345678\r\n\r\nRING\r\n"}
        << QStringList{kRing, num};
    QTest::newRow("LF only, no blanks, lower case")
        << QStringList{"date=0314\ntime=1502\nnmbr=0212345678\n"} << QStringList{num};
    QTest::newRow("CR only") << QStringList{"NMBR=0212345678\rRING\r"} << QStringList{num};
    QTest::newRow("fragments across keyword and value")
        << QStringList{"NM", "BR =", " 02123", "45678", "\r", "\n"} << QStringList{num};
    QTest::newRow("unterminated last line waits") << QStringList{"NMBR = 0212345678"} << QStringList{};
    QTest::newRow("repeated NMBR and RING in one call")
        << QStringList{"RING\r\nNMBR = 0212345678\r\nRING\r\nNMBR=0212345678\r\nRING\r\nRING\r\n"}
        << QStringList{kRing, num};
    QTest::newRow("separators in the number") << QStringList{"NMBR = (02) 1234-5678\r\n"} << QStringList{num};
    QTest::newRow("NUL and control bytes inside a line")
        << QStringList{QString::fromLatin1(QByteArrayLiteral("NM\0BR = 02\x7f\x01"
                                                             "12345678\r\n"))}
        << QStringList{num};
    QTest::newRow("letters in the number: ignored") << QStringList{"NMBR = 02X2345678\r\n"} << QStringList{};
    QTest::newRow("too many digits: ignored")
        << QStringList{"NMBR = 012345678901234567890\r\n"} << QStringList{};
    QTest::newRow("missing = and empty tag: ignored")
        << QStringList{"NMBR 0212345678\r\n= 0212345678\r\n"} << QStringList{};
    QTest::newRow("result codes and echo: ignored")
        << QStringList{"AT+VCID=1\r\nOK\r\nATDT0212345678;\r\nERROR\r\nNO CARRIER\r\n"} << QStringList{};

    QTest::newRow("withheld P") << QStringList{"RING\r\nNMBR = P\r\nRING\r\nNMBR = P\r\n"}
                                << QStringList{kRing, QStringLiteral("D3 발신번호 표시제한")};
    QTest::newRow("withheld PRIVATE, lower case")
        << QStringList{"nmbr = private\r\n"} << QStringList{QStringLiteral("D3 발신번호 표시제한")};
    QTest::newRow("unavailable O") << QStringList{"NMBR=O\r\n"}
                                   << QStringList{QStringLiteral("D3 발신번호 알수없음")};
    QTest::newRow("empty number") << QStringList{"NMBR =\r\n"}
                                  << QStringList{QStringLiteral("D3 발신번호 알수없음")};
    QTest::newRow("withheld name is not shown") << QStringList{"NMBR = P\r\nNAME = P\r\nNAME = 홍길동\r\n"}
                                                << QStringList{QStringLiteral("D3 발신번호 표시제한")};

    QTest::newRow("name after number")
        << QStringList{"NMBR = 0212345678\r\nNAME = 홍길동\r\nNAME = 홍길동\r\n"}
        << QStringList{num, QStringLiteral("D5 0212345678 홍길동")};
    QTest::newRow("name before number") << QStringList{"NAME=홍길동\r\nNMBR=0212345678\r\n"}
                                        << QStringList{num, QStringLiteral("D5 0212345678 홍길동")};
    QTest::newRow("long name is cut before an emoji, not inside it")
        << QStringList{"NMBR=0212345678\r\nNAME=" + QString(39, u'가') + "😀끝\r\n"}
        << QStringList{num, "D5 0212345678 " + QString(39, u'가')};
    QTest::newRow("long name is cut before a letter with its combining mark")
        << QStringList{"NMBR=0212345678\r\nNAME=" + QString(39, u'a') + "e\u0301\r\n"}
        << QStringList{num, "D5 0212345678 " + QString(39, u'a')};
    QTest::newRow("name of only one overlong character is not shown")
        << QStringList{"NMBR=0212345678\r\nNAME=e" + QString(45, QChar(0x0301)) + "\r\n"} << QStringList{num};

    QTest::newRow("same number after the quiet period is a new call")
        << QStringList{"@0 NMBR = 0212345678\r\n", "@9000 RING\r\nNMBR = 0212345678\r\n"}
        << QStringList{num, kRing, num};
    QTest::newRow("rings keep the call open")
        << QStringList{"@0 NMBR = 0212345678\r\n", "@6000 RING\r\n", "@12000 RING\r\n",
                       "@18000 NMBR = 0212345678\r\n"}
        << QStringList{num};
    QTest::newRow("next DATE block is the next call")
        << QStringList{"DATE=0314\r\nNMBR=0212345678\r\nDATE=0314\r\nNMBR=0212345678\r\n"}
        << QStringList{num, num};
    QTest::newRow("different number without a boundary is still reported")
        << QStringList{"NMBR=0212345678\r\nNMBR=0311112222\r\n"}
        << QStringList{num, QStringLiteral("D1 0311112222")};
    QTest::newRow("number after withheld in one block is reported")
        << QStringList{"NMBR=P\r\nNMBR=0212345678\r\n"}
        << QStringList{QStringLiteral("D3 발신번호 표시제한"), num};

    QTest::newRow("hook lines end the call")
        << QStringList{"NMBR=0212345678\r\nOFFHOOK\r\nONHOOK\r\nNMBR=0212345678\r\n"}
        << QStringList{num, "H1", "H0", num};
    QTest::newRow("number while lifted is call waiting")
        << QStringList{"OFF HOOK\r\nRING\r\nNMBR = 0311112222\r\n"}
        << QStringList{"H1", kRing, QStringLiteral("D2 0311112222")};
    QTest::newRow("hook reported on change only, spellings")
        << QStringList{"ONHOOK\r\noff-hook\r\nOFFHOOK\r\nOff Hook\r\non hook\r\nON-HOOK\r\n"}
        << QStringList{"H1", "H0"};
}

void TestSeeIdParser::lines()
{
    QFETCH(QStringList, parts);
    QFETCH(QStringList, expected);
    const QList<Chunk> chunks = parseParts(parts);
    QCOMPARE(run(chunks), expected);

    // However the same bytes are cut up, the result must not change.
    QList<Chunk> bytewise;
    for (const Chunk& c : chunks)
        for (const char b : c.bytes)
            bytewise.append({c.time, QByteArray(1, b)});
    QCOMPARE(run(bytewise), expected);
}

void TestSeeIdParser::noiseBeforeTag_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");
    const QString num = QStringLiteral("D1 0212345678");

    // A high byte can pair with the tag's first letter into one national-code-page character.
    QTest::newRow("one high byte before NMBR") << QByteArray("\xb0NMBR=0212345678\r\n") << QStringList{num};
    QTest::newRow("several high bytes and a blank before NMBR")
        << QByteArray("\xff\xfe \xa1NMBR = 0212345678\r\n") << QStringList{num};
    QTest::newRow("noise before RING") << QByteArray("\xb0RING\r\n") << QStringList{kRing};
    QTest::newRow("noise before a UTF-8 NAME keeps the name readable")
        << QByteArray("NMBR=0212345678\r\n\xc1NAME=") + QStringLiteral("홍길동").toUtf8() + "\r\n"
        << QStringList{num, QStringLiteral("D5 0212345678 홍길동")};
    QTest::newRow("noise before OFFHOOK") << QByteArray("\x80\x80OFFHOOK\r\n") << QStringList{"H1"};
}

void TestSeeIdParser::noiseBeforeTag()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    QCOMPARE(run({{0, bytes}}), expected);
}

void TestSeeIdParser::overlongLineIsDropped()
{
    SeeIdParser parser;
    // The tail of an overlong line must not pass for a line of its own.
    QByteArray noise(SeeIdParser::kMaxLineBytes + 1, 'X');
    QVERIFY(parser.feed(noise + "NMBR = 0212345678\r\n", 0).isEmpty());
    const QList<SeeIdEvent> events = parser.feed(QByteArray(5000, '7') + "\r\nNMBR = 0311112222\r\n", 0);
    QCOMPARE(events,
             QList<SeeIdEvent>{SeeIdEvent::Data(SeeIdKind::CallerNumber, QStringLiteral("0311112222"))});
}

void TestSeeIdParser::nationalCodePageName()
{
    QStringEncoder encoder("CP949");
    if (!encoder.isValid())
        QSKIP("no CP949 codec in this Qt build");
    const QByteArray name = encoder(QStringLiteral("홍길동"));
    SeeIdParser parser;
    const QList<SeeIdEvent> events = parser.feed("NMBR=0212345678\r\nNAME=" + name + "\r\n", 0);
    QCOMPARE(events.size(), 2);
    QCOMPARE(events.at(1).data, QStringLiteral("0212345678 홍길동"));
}

void TestSeeIdParser::fuzzReportsEachCallOnce()
{
    QRandomGenerator rng(20240314);
    const auto pick = [&rng](const QStringList& options) {
        return options.at(rng.bounded(int(options.size())));
    };
    const auto garbage = [&rng]() {
        // The leading '~' keeps junk from ever spelling a keyword.
        QByteArray g("~");
        const int len = rng.bounded(40);
        for (int i = 0; i < len; ++i) {
            char c = static_cast<char>(rng.bounded(256));
            g.append(c == '\r' || c == '\n' ? '=' : c);
        }
        return g;
    };

    struct Line
    {
        qint64 time;
        QByteArray bytes;
        bool burstStart = false;
    };
    QList<Line> lines;
    QStringList expected;
    QStringList sentNames;
    bool offHook = false;
    qint64 t = 0;

    for (int call = 0; call < 400; ++call) {
        const bool longGap = rng.bounded(2) == 0;
        t += longGap ? 9000 + rng.bounded(20000) : 50 + rng.bounded(500);
        const auto add = [&](const QByteArray& text) {
            // Line noise: stray high bytes before a tag, control bytes anywhere in the line.
            QByteArray bytes = text;
            if (rng.bounded(4) == 0)
                for (int n = 1 + rng.bounded(3); n > 0; --n)
                    bytes.prepend(static_cast<char>(0x80 + rng.bounded(0x80)));
            if (rng.bounded(6) == 0)
                bytes.insert(rng.bounded(int(bytes.size()) + 1),
                             pick({"\x01", "\x7f", "\x1b", QString()}).toLatin1());
            lines.append({t, bytes + pick({"\r\n", "\n", "\r"}).toLatin1(), false});
            t += rng.bounded(300);
        };
        lines.append({t, "\r\n", longGap});
        const int what = rng.bounded(10);
        if (what == 8) {
            offHook = !offHook;
            add(offHook ? pick({"OFFHOOK", "off hook", "OFF-HOOK"}).toLatin1()
                        : pick({"ONHOOK", "on hook", "ON-HOOK"}).toLatin1());
            expected << (offHook ? QStringLiteral("H1") : QStringLiteral("H0"));
            continue;
        }
        if (what == 9) {
            add(garbage());
            if (rng.bounded(3) == 0)
                add(QByteArray(SeeIdParser::kMaxLineBytes + rng.bounded(400), 'N'));
            continue;
        }
        QString number = QStringLiteral("0");
        const int digits = 8 + rng.bounded(4);
        for (int i = 0; i < digits; ++i)
            number += QChar(u'0' + rng.bounded(10));
        const bool withheld = what == 7;
        if (rng.bounded(2))
            add("RING");
        add("DATE" + pick({"=", " = ", "= "}).toLatin1() + "0314");
        add(pick({"TIME = ", "time="}).toLatin1() + "1502");
        const int repeats = 1 + rng.bounded(3);
        for (int r = 0; r < repeats; ++r) {
            if (rng.bounded(3) == 0)
                add(garbage());
            const QString shown = withheld ? pick({"P", "O", "PRIVATE", ""})
                                           : (rng.bounded(2) ? number : number.left(3) + "-" + number.mid(3));
            add(pick({"NMBR = ", "NMBR=", "nmbr ="}).toLatin1() + shown.toLatin1());
            if (rng.bounded(2))
                add("RING");
        }
        QString name;
        if (rng.bounded(3) == 0) {
            // Up to twice the shown length, mixing Hangul, Latin, emoji and combining marks.
            name = QStringLiteral("김");
            for (int n = rng.bounded(80); n > 0; --n) {
                const QString piece = pick({"철", "수", "a", " ", "😀", "👍🏽", "e\u0301", "ㄱ"});
                if ((name + piece).toUtf8().size() > 200) // stays clear of the overlong-line limit
                    break;
                name += piece;
            }
            add("NAME = " + name.toUtf8());
        }
        if (withheld) {
            expected << QStringLiteral("withheld");
        } else {
            expected << QStringLiteral("D%1 %2").arg(offHook ? 2 : 1).arg(number);
            if (!name.isEmpty()) {
                expected << QStringLiteral("D5 ") + number;
                sentNames << name;
            }
        }
    }

    // Cut the stream at random places (never across a quiet gap: those bytes arrive apart).
    QList<Chunk> chunks;
    QByteArray pending;
    qint64 pendingTime = 0;
    for (const Line& line : lines) {
        if (line.burstStart && !pending.isEmpty()) {
            chunks.append({pendingTime, pending});
            pending.clear();
        }
        for (const char b : line.bytes) {
            if (pending.isEmpty())
                pendingTime = line.time;
            pending.append(b);
            if (rng.bounded(16) == 0) {
                chunks.append({pendingTime, pending});
                pending.clear();
            }
        }
    }
    chunks.append({pendingTime, pending});

    // In order, so every number is the one sent and sits with its own call, names included.
    QStringList actual;
    QStringList shownNames;
    for (const QString& e : run(chunks)) {
        if (e.startsWith(QLatin1String("D3 "))) {
            actual << QStringLiteral("withheld");
        } else if (e.startsWith(QLatin1String("D5 "))) {
            const qsizetype sp = e.indexOf(QLatin1Char(' '), 3);
            actual << e.left(sp);
            shownNames << e.mid(sp + 1);
        } else if (!e.startsWith(QLatin1String("D4 "))) {
            actual << e;
        }
    }
    QCOMPARE(actual.size(), expected.size());
    QCOMPARE(actual, expected);
    QCOMPARE(shownNames.size(), sentNames.size());
    for (qsizetype i = 0; i < shownNames.size(); ++i) {
        const QString& shown = shownNames.at(i);
        QVERIFY2(!shown.isEmpty() && shown.size() <= 40 && sentNames.at(i).startsWith(shown),
                 qPrintable(shown));
        const QString next = sentNames.at(i).mid(shown.size(), 1);
        QVERIFY2(!shown.back().isHighSurrogate() && !next.startsWith(QChar(0x0301)), qPrintable(shown));
    }
}

QTEST_GUILESS_MAIN(TestSeeIdParser)
#include "tst_seeidparser.moc"
