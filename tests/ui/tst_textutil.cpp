#include "support/ScriptedPrompter.h"
#include "ui/TextUtil.h"
#include "ui/gui/InputUtil.h"

#include <QTest>

#include <limits>

class TestTextUtil : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void byteLength_data();
    void byteLength();
    void leftByte_data();
    void leftByte();
    void lpad_data();
    void lpad();
    void formatThousands_data();
    void formatThousands();
    void cp949RoundTrip();
    void searchText_data();
    void searchText();
    void checkTime_data();
    void checkTime();
    void formatPhone_data();
    void formatPhone();
    void phoneText_data();
    void phoneText();
    void roundHalfAway_data();
    void roundHalfAway();
    void leadingNumber_data();
    void leadingNumber();
    void parseNumber_data();
    void parseNumber();
};

void TestTextUtil::byteLength_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("bytes");
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("ascii") << "abc 123" << 7;
    QTest::newRow("hangul") << "홍길동" << 6;
    QTest::newRow("mixed") << "서울시 A동 12" << 13;
    QTest::newRow("outside KS X 1001 hangul") << "똠" << 2;
    QTest::newRow("emoji counts 2") << QString::fromUtf8("a😀b") << 4;
}

void TestTextUtil::byteLength()
{
    QFETCH(QString, text);
    QFETCH(int, bytes);
    QCOMPARE(LenByte(text), bytes);
    QCOMPARE(ToCp949(text).size(), bytes);
}

void TestTextUtil::leftByte_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ascii") << "1234567890" << 7 << "1234567";
    QTest::newRow("whole syllables") << "홍길동" << 4 << "홍길";
    QTest::newRow("cut inside a syllable") << "홍길동" << 5 << "홍길";
    QTest::newRow("cut inside the first") << "홍길동" << 1 << "";
    QTest::newRow("mixed") << "A동B" << 3 << "A동";
    QTest::newRow("mixed cut") << "A동B" << 2 << "A";
    QTest::newRow("longer than text") << "홍a" << 10 << "홍a";
    QTest::newRow("zero") << "abc" << 0 << "";
    QTest::newRow("negative") << "abc" << -3 << "";
    QTest::newRow("emoji kept whole") << QString::fromUtf8("😀a") << 3 << QString::fromUtf8("😀a");
    QTest::newRow("emoji not halved") << QString::fromUtf8("a😀") << 2 << "a";
}

void TestTextUtil::leftByte()
{
    QFETCH(QString, text);
    QFETCH(int, n);
    QFETCH(QString, expected);
    QCOMPARE(LeftByte(text, n), expected);
}

void TestTextUtil::lpad_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("fill");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two syllables to 6") << "김치" << 6 << " "
                                        << "  김치";
    QTest::newRow("exact") << "김치" << 4 << " "
                           << "김치";
    QTest::newRow("number") << "1,500" << 8 << " "
                            << "   1,500";
    QTest::newRow("fill char") << "12" << 5 << "0"
                               << "00012";
    QTest::newRow("cut whole") << "김치찌개" << 4 << " "
                               << "김치";
    // The cut drops half a syllable; the column must still be 5 bytes wide.
    QTest::newRow("cut inside a syllable") << "김치찌개" << 5 << " "
                                           << " 김치";
    QTest::newRow("double-byte fill, odd gap") << "a" << 4 << "ㅡ"
                                               << "ㅡ a";
}

void TestTextUtil::lpad()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QString, fill);
    QFETCH(QString, expected);
    const QString padded = LPad(text, width, fill.at(0));
    QCOMPARE(padded, expected);
    QCOMPARE(LenByte(padded), width);
}

void TestTextUtil::formatThousands_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero") << qint64(0) << "0";
    QTest::newRow("three digits") << qint64(999) << "999";
    QTest::newRow("four digits") << qint64(1000) << "1,000";
    QTest::newRow("negative") << qint64(-1234567) << "-1,234,567";
    QTest::newRow("smallest") << std::numeric_limits<qint64>::min() << "-9,223,372,036,854,775,808";
}

void TestTextUtil::formatThousands()
{
    QFETCH(qint64, value);
    QFETCH(QString, expected);
    QCOMPARE(FormatThousands(value), expected);
}

void TestTextUtil::cp949RoundTrip()
{
    const QString text = QStringLiteral("가맹점 No.1 (주)");
    const QByteArray bytes = ToCp949(text);
    QCOMPARE(bytes.left(2), QByteArray("\xB0\xA1"));
    QCOMPARE(FromCp949(bytes), text);
    // A lone lead byte at the end is dropped, not turned into garbage.
    QCOMPARE(FromCp949(bytes + "\xB0"), text);
}

void TestTextUtil::searchText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("refusal"); // first line of the message, empty = accepted
    const QString broken = QStringLiteral("검색어에 깨진 문자가 들어 있습니다.");
    const QString tooLong = QStringLiteral("최대입력길이를 넘었습니다.");
    QTest::newRow("plain") << "홍길동 12-3"
                           << "";
    QTest::newRow("wildcards and quotes are ordinary text") << "50%_'\\"
                                                            << "";
    QTest::newRow("emoji pair") << QString::fromUtf8("a😀") << "";
    QTest::newRow("NUL") << QStringLiteral("ab") + QChar(0) + "c"
                         << QStringLiteral("검색어에 입력할 수 없는 문자(NUL)가 들어 있습니다.");
    QTest::newRow("lone high surrogate at the end") << QStringLiteral("a") + QChar(0xD83D) << broken;
    QTest::newRow("lone low surrogate") << QChar(0xDE00) + QStringLiteral("a") << broken;
    QTest::newRow("two high surrogates") << QString(QChar(0xD83D)) + QChar(0xD83D) + QChar(0xDE00) << broken;
    QTest::newRow("255 bytes: 127 syllables and a letter") << QString(127, u'가') + "a"
                                                           << "";
    QTest::newRow("256 bytes: 128 syllables") << QString(128, u'가') << tooLong;
    QTest::newRow("256 letters") << QString(256, u'a') << tooLong;
    QTest::newRow("a megabyte") << QString(1 << 20, u'a') << tooLong;
}

void TestTextUtil::searchText()
{
    QFETCH(QString, text);
    QFETCH(QString, refusal);
    ScriptedPrompter prompter;
    QCOMPARE(CheckSearchText(text), refusal.isEmpty());
    QCOMPARE(prompter.count(), refusal.isEmpty() ? 0 : 1);
    if (!refusal.isEmpty())
        QCOMPARE(prompter.lastText().section(QStringLiteral("\r\n"), 0, 0), refusal);
}

void TestTextUtil::checkTime_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("shown"); // the bracketed text of the message, empty when none

    QTest::newRow("one digit") << "9" << true << "09:00"
                               << "";
    QTest::newRow("two digits") << "23" << true << "23:00"
                                << "";
    QTest::newRow("four digits") << "1425" << true << "14:25"
                                 << "";
    QTest::newRow("midnight") << "0000" << true << "00:00"
                              << "";
    QTest::newRow("dot") << "14.25" << true << "14:25"
                         << "";
    QTest::newRow("colon") << "08:05" << true << "08:05"
                           << "";
    QTest::newRow("single-digit hour with colon") << "9:30" << true << "09:30"
                                                  << "";
    QTest::newRow("empty") << "" << false << ""
                           << "";
    QTest::newRow("three digits, silent") << "930" << false << "930"
                                          << "";
    QTest::newRow("too long, silent") << "14:250" << false << "14:250"
                                      << "";
    QTest::newRow("hour 25") << "25" << false << "25"
                             << "25:00";
    QTest::newRow("24:00") << "24:00" << false << "24:00"
                           << "24:00";
    QTest::newRow("minute 60") << "12:60" << false << "12:60"
                               << "12:60";
    QTest::newRow("four digits, minute 75") << "1275" << false << "1275"
                                            << "12:75";
    QTest::newRow("letters") << "ab" << false << "ab"
                             << "ab:00";
    QTest::newRow("letters in minutes") << "12:3x" << false << "12:3x"
                                        << "12:3x";
}

void TestTextUtil::checkTime()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QString, after);
    QFETCH(QString, shown);

    ScriptedPrompter prompter;
    QString value = text;
    QCOMPARE(CheckTime(value), ok);
    QCOMPARE(value, after);
    if (shown.isEmpty()) {
        QCOMPARE(prompter.count(), 0);
    } else {
        QCOMPARE(prompter.count(), 1);
        QCOMPARE(prompter.shown().first().request.icon, MsgIcon::Information);
        QCOMPARE(prompter.lastText(), QStringLiteral("[") + shown +
                                          QStringLiteral("]는 시간형식이 아닙니다.\r\n"
                                                         "시:분 방식으로 입력하세요.\r\n"
                                                         "예) 14:25 또는 1425\r\n"
                                                         "     01:05 또는 0105"));
    }
}

void TestTextUtil::formatPhone_data()
{
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("local");
    QTest::newRow("Seoul 10 digits") << "0212345678"
                                     << "02-1234-5678"
                                     << "1234-5678";
    QTest::newRow("Seoul 9 digits") << "021234567"
                                    << "02-123-4567"
                                    << "123-4567";
    QTest::newRow("Seoul with dashes") << "02-123-4567"
                                       << "02-123-4567"
                                       << "123-4567";
    QTest::newRow("province") << "0311234567"
                              << "031-123-4567"
                              << "123-4567";
    QTest::newRow("mobile") << "01012345678"
                            << "010-1234-5678"
                            << "1234-5678";
    QTest::newRow("mobile with blanks") << "010 1234 5678"
                                        << "010-1234-5678"
                                        << "1234-5678";
    QTest::newRow("local only") << "1234567"
                                << "123-4567"
                                << "123-4567";
    QTest::newRow("local 8 digits") << "12345678"
                                    << "1234-5678"
                                    << "1234-5678";
    QTest::newRow("short") << "12345"
                           << "12345"
                           << "12345";
    QTest::newRow("zero, short of 9 digits") << "03112345"
                                             << "0311-2345"
                                             << "0311-2345";
    QTest::newRow("02 without a middle") << "021234"
                                         << "02-1234"
                                         << "02-1234";
    QTest::newRow("02, too few digits") << "(02)1-2"
                                        << "(02)1-2"
                                        << "(02)1-2";
    QTest::newRow("no digits") << "홍길동입니다"
                               << "홍길동입니다"
                               << "홍길동입니다";
}

void TestTextUtil::formatPhone()
{
    QFETCH(QString, phone);
    QFETCH(QString, expected);
    QFETCH(QString, local);
    QString localPart = QStringLiteral("stale");
    QCOMPARE(FormatPhone(phone, &localPart), expected);
    QCOMPARE(localPart, local);
}

void TestTextUtil::phoneText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted"); // by CheckPhoneText, which lets an empty text through
    QTest::newRow("empty") << "" << true;
    QTest::newRow("digits") << "0315550199" << true;
    QTest::newRow("hyphens") << "031-555-0199" << true;
    QTest::newRow("blanks") << "031 555 0199" << true;
    QTest::newRow("dots") << "031.555.0199" << true;
    QTest::newRow("area code in brackets") << "(031)555-0199" << true;
    QTest::newRow("international") << "+82 10-1234-5678" << true;
    QTest::newRow("three digits") << "114" << true;
    QTest::newRow("blanks around") << "  010-1234-5678 " << true;
    QTest::newRow("note after a blank") << "031-555-0199 사무실" << true;
    QTest::newRow("bracketed note") << "0315550199 (내선 23)" << true;
    QTest::newRow("a stray letter") << "c" << false;
    QTest::newRow("letter glued to the number") << "010-1234-5678c" << false;
    QTest::newRow("letter first") << "c010-1234-5678" << false;
    QTest::newRow("two digits") << "12" << false;
    QTest::newRow("ends with a separator") << "031-555-" << false;
    QTest::newRow("Hangul only") << "홍길동" << false;
    QTest::newRow("slash between digits") << "031/555/0199" << false;
    QTest::newRow("full-width digits") << "０３１５５５０１９９" << false;
}

void TestTextUtil::phoneText()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    ScriptedPrompter prompter;
    QCOMPARE(CheckPhoneText(text), accepted);
    QCOMPARE(IsPhoneText(text), accepted && !text.isEmpty());
    QCOMPARE(prompter.count(), accepted ? 0 : 1);
    if (!accepted)
        QCOMPARE(prompter.lastText().section(QStringLiteral("\r\n"), 0, 0),
                 QStringLiteral("입력한 내용은 전화번호 형식이 아닙니다."));
}

void TestTextUtil::roundHalfAway_data()
{
    QTest::addColumn<double>("number");
    QTest::addColumn<double>("places");
    QTest::addColumn<double>("expected");
    QTest::newRow("half up") << 0.5 << 0.0 << 1.0;
    QTest::newRow("half down, negative") << -0.5 << 0.0 << -1.0;
    QTest::newRow("below half") << 0.49 << 0.0 << 0.0;
    QTest::newRow("negative below half") << -0.4 << 0.0 << 0.0;
    QTest::newRow("2.5") << 2.5 << 0.0 << 3.0;
    QTest::newRow("1.25 to 1") << 1.25 << 1.0 << 1.3;
    QTest::newRow("-1.25 to 1") << -1.25 << 1.0 << -1.3;
    // The binary values lie just below the half; the typed decimals do not.
    QTest::newRow("1.005 to 2") << 1.005 << 2.0 << 1.01;
    QTest::newRow("2.675 to 2") << 2.675 << 2.0 << 2.68;
    QTest::newRow("1.015 to 2") << 1.015 << 2.0 << 1.02;
    QTest::newRow("points of 12345 at 1%") << 12345 * 0.01 << 0.0 << 123.0;
    QTest::newRow("points of 150 at 1%") << 150 * 0.01 << 0.0 << 2.0;
    QTest::newRow("carry") << 9.995 << 2.0 << 10.0;
    QTest::newRow("exact already") << 3.14 << 4.0 << 3.14;
    QTest::newRow("tens") << 1250.0 << -1.0 << 1250.0;
    QTest::newRow("hundreds") << 1250.0 << -2.0 << 1300.0;
    QTest::newRow("large") << 1e17 + 0.0 << 0.0 << 1e17;
    QTest::newRow("tiny") << 1e-20 << 2.0 << 0.0;
}

void TestTextUtil::roundHalfAway()
{
    QFETCH(double, number);
    QFETCH(double, places);
    QFETCH(double, expected);
    QCOMPARE(RoundHalfAway(number, places), expected);
}

void TestTextUtil::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("plain") << "123" << 123.0;
    QTest::newRow("thousands") << "1,500" << 1500.0;
    QTest::newRow("money display") << "-12,345,678" << -12345678.0;
    QTest::newRow("leading number") << "12개" << 12.0;
    QTest::newRow("blanks inside") << " 1 2 3" << 123.0;
    QTest::newRow("decimal") << "3.5%" << 3.5;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("comma after point stops") << "1.5,5" << 1.5;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("bare e") << "12e" << 12.0;
    QTest::newRow("text") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("leading comma") << ",5" << 0.0;
}

void TestTextUtil::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(LeadingNumber(text), expected);
}

void TestTextUtil::parseNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("expected");
    QTest::newRow("plain") << "1500" << true << 1500.0;
    QTest::newRow("thousands") << "1,500" << true << 1500.0;
    QTest::newRow("millions, blanks around") << "  -1,234,567.5 " << true << -1234567.5;
    QTest::newRow("blank") << "   " << true << 0.0;
    QTest::newRow("fraction only") << ".5" << true << 0.5;
    QTest::newRow("misplaced comma") << "1,50" << false << 0.0;
    QTest::newRow("trailing letters") << "12개" << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("sign only") << "-" << false << 0.0;
    QTest::newRow("exponent") << "1e3" << false << 0.0;
    QTest::newRow("inner blank") << "1 500" << false << 0.0;
}

void TestTextUtil::parseNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, expected);
    const std::optional<double> value = ParseNumber(text);
    QCOMPARE(value.has_value(), ok);
    if (ok)
        QCOMPARE(*value, expected);
    QVERIFY(!ParseNumber(QStringLiteral(" "), false));
}

QTEST_GUILESS_MAIN(TestTextUtil)
#include "tst_textutil.moc"
