#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The field separator of picker and editor results (code, name, … as one text).
inline const QChar kNul = QChar(0);

// Text helpers without widgets: byte lengths in the Korean code page (CP949), time-of-day entry,
// telephone formatting, rounding and number parsing.
//
// Byte lengths: ASCII counts 1, every other character 2. Characters CP949 cannot represent (emoji,
// most CJK ideographs outside KS X 1001) count 2 as well, as the "??" they would turn into.

// The text in CP949; a character the code page lacks becomes "??" so the byte count stays honest.
QByteArray ToCp949(const QString& text);
QString FromCp949(const QByteArray& bytes);

int LenByte(const QString& text);
// The longest prefix of whole characters that fits into n bytes; a double-byte character cut in half
// is dropped, so the result may be one byte shorter than n.
QString LeftByte(const QString& text, int n);
// Right-aligns the text in a column of `width` bytes; a longer text is cut with LeftByte and, when the
// cut dropped half a character, padded again so the column stays exactly `width` bytes wide.
QString LPad(const QString& text, int width, QChar fill = QLatin1Char(' '));
// A whole number with thousands separators, as "#,##0" shows it ("-1,234,567").
QString FormatThousands(qint64 value);

// The byte-length message of text boxes ("최대입력길이를 넘었습니다." ...).
QString MaxByteLengthMessage(int maxBytes);

// The longest text a text column holds, in bytes; a longer search text can match nothing.
constexpr int kMaxSearchBytes = 255;

// What refuses a search text before it goes into a statement: a NUL or half of a surrogate pair, or more
// than maxBytes; the message saying why, "" for a text that may be searched. Such a text never reaches the
// engine, whose error would show the statement to the operator.
QString SearchTextProblem(const QString& text, int maxBytes = kMaxSearchBytes);
// The same character check for a text about to be stored (a NUL or half of a surrogate pair cannot be kept
// as typed): the message, "" for a storable text.
QString StorableTextProblem(const QString& text);

// Time-of-day entry: "9" -> "09:00", "1425" and "14.25" -> "14:25". On success the text is replaced by
// "HH:MM" and true is returned. Lengths 0, 3 and over 5 return false with *help left empty; any other text
// that is not a time returns false with the format help in *help, leaving the text as it was.
bool ShapeTime(QString& text, QString* help = nullptr);

// Inserts the dashes of a Korean telephone number ("0212345678" -> "02-1234-5678"). localPart, when
// given, receives the number without its area code ("1234-5678"); for texts left unchanged it receives
// the text itself. Non-digits are dropped first; a text without enough digits comes back unchanged.
QString FormatPhone(const QString& phone, QString* localPart = nullptr);

// A telephone text as a field or search box for numbers takes it: it starts with a digit, "+" or "(", holds
// at least 3 digits with blanks, "-", "(", ")" and "." between them, and may go on with a note after a blank
// ("031-555-0199 사무실"). Blanks around the text are not counted.
bool IsPhoneText(const QString& text);
// The format help for a text a telephone field refuses; "" for an empty text or a telephone text.
QString PhoneTextProblem(const QString& text);

// Rounds half away from zero to `places` decimal places (rounded to a whole number; negative places
// round to tens, hundreds, ...). Works on the shortest decimal form of the number, so 1.005 rounds to
// 1.01 and 2.675 to 2.68 as they read, not as their binary approximations would.
double RoundHalfAway(double number, double places = 0);

// Leading-number parse in the manner of Val: leading blanks, a sign, digits, one decimal point and an
// exponent; blanks between digits are skipped and parsing stops at the first other character. Unlike
// Val, commas in the whole part are taken as thousands separators, so the program's own "#,##0"
// displays read back as what they show ("1,500" -> 1500, where Val gives 1). Unreadable text gives 0.
double LeadingNumber(const QString& text);

// Strict number parse for values a user typed: optional sign, digits with or without correctly placed
// thousands separators, optional decimal part; blanks around it are ignored. Returns nothing for any
// other text (trailing letters, "1,50", "1.2.3", exponents). A blank text is 0 unless emptyIsZero is false.
std::optional<double> ParseNumber(const QString& text, bool emptyIsZero = true);
