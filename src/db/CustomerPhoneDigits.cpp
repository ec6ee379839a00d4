#include "db/CustomerPhoneDigits.h"

#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"

#include <sqlite3.h>

#include <algorithm>

const QString kPhoneDigitsTable = QStringLiteral("고객전화숫자");
const QString kPhoneDigitsSearch = QStringLiteral("고객전화숫자검색");

namespace {
// SQLite has no regular expressions: the digits are picked character by character.
QString digitsExpr(const QString& column)
{
    QStringList parts;
    for (int k = 1; k <= kPhoneDigitsChars; ++k)
        parts << QStringLiteral("CASE WHEN SUBSTR(%1, %2, 1) BETWEEN '0' AND '9' THEN SUBSTR(%1, %2, 1) "
                                "ELSE '' END")
                     .arg(column)
                     .arg(k);
    return parts.join(QStringLiteral(" || "));
}

QString reversedExpr(const QString& column)
{
    QStringList parts;
    for (int k = 1; k <= kPhoneDigitsChars; ++k)
        parts << QStringLiteral("SUBSTR(%1, -%2, 1)").arg(column).arg(k);
    return parts.join(QStringLiteral(" || "));
}

// The rows of one customer (`row` is NEW or OLD) into the table and the trigram index, and out of them.
QString addRows(const QString& row)
{
    const QString t = kPhoneDigitsTable;
    QStringList selects;
    for (int i = 1; i <= 4; ++i)
        selects << QStringLiteral("SELECT %1.코드 AS 코드, %2 AS d")
                       .arg(row, digitsExpr(row + QStringLiteral(".전화%1").arg(i)));
    return QStringLiteral("INSERT INTO ") + t +
           QStringLiteral(" (코드, 숫자, 역순) SELECT 코드, d, '' FROM (") +
           selects.join(QStringLiteral(" UNION ALL ")) + QStringLiteral(") WHERE d <> ''; UPDATE ") + t +
           QStringLiteral(" SET 역순 = ") + reversedExpr(QStringLiteral("숫자")) +
           QStringLiteral(" WHERE 코드 = ") + row + QStringLiteral(".코드; INSERT INTO ") +
           kPhoneDigitsSearch + QStringLiteral(" (rowid, 숫자) SELECT 번호, 숫자 FROM ") + t +
           QStringLiteral(" WHERE 코드 = ") + row + QStringLiteral(".코드;");
}

QString removeRows(const QString& row)
{
    const QString t = kPhoneDigitsTable;
    const QString s = kPhoneDigitsSearch;
    // The trigram index takes an entry out when given exactly the text it was made from.
    return QStringLiteral("INSERT INTO ") + s + QStringLiteral(" (") + s +
           QStringLiteral(", rowid, 숫자) SELECT 'delete', 번호, 숫자 FROM ") + t +
           QStringLiteral(" WHERE 코드 = ") + row + QStringLiteral(".코드; DELETE FROM ") + t +
           QStringLiteral(" WHERE 코드 = ") + row + QStringLiteral(".코드;");
}

QString mode(const QString& modeItem)
{
    return modeItem.left(3).trimmed();
}

// The test on the table's rows for the search.
QString rowTest(const QString& modeItem, const QString& digits)
{
    const QString m = mode(modeItem);
    if (m == QLatin1String("="))
        return QStringLiteral("숫자 = ") + SQLLiteral(digits);
    if (m == QLatin1String("s*"))
        return QStringLiteral("숫자 LIKE ") + SQLLikePattern(digits, LikeMatch::StartsWith);
    if (m == QLatin1String("*s")) {
        QString reversed = digits;
        std::reverse(reversed.begin(), reversed.end());
        return QStringLiteral("역순 LIKE ") + SQLLikePattern(reversed, LikeMatch::StartsWith);
    }
    // Inside a number: three digits or more have trigrams to look up, fewer are read from every row.
    const QString inside = QStringLiteral("숫자 LIKE ") + SQLLikePattern(digits, LikeMatch::Contains);
    if (digits.size() < 3 || (gMainConn.isOpen() && gMainConn.isServer()))
        return inside;
    return QStringLiteral("번호 IN (SELECT rowid FROM ") + kPhoneDigitsSearch + QStringLiteral(" WHERE ") +
           inside + QLatin1Char(')');
}

// The digits among the first kPhoneDigitsChars characters of a UTF-8 text into out; their count.
int pickDigits(const unsigned char* text, int bytes, char* out)
{
    int n = 0;
    int chars = 0;
    for (int i = 0; i < bytes; ++i) {
        const unsigned char c = text[i];
        if ((c & 0xC0) == 0x80)
            continue; // inside a character
        if (++chars > kPhoneDigitsChars)
            break;
        if (c >= '0' && c <= '9')
            out[n++] = char(c);
    }
    return n;
}

enum MatchMode
{
    Inside = 0,
    Starts = 1,
    Ends = 2,
    Equal = 3
};

int modeNumber(const QString& modeItem)
{
    const QString m = mode(modeItem);
    return m == QLatin1String("=")    ? Equal
           : m == QLatin1String("s*") ? Starts
           : m == QLatin1String("*s") ? Ends
                                      : Inside;
}

// ZK_PHONE_MATCH(mode, digits, number, ...): 1 when the digits of one of the numbers relate to the digits as
// the mode says, the test a walk of the list index makes on every row without building any text.
void sqlitePhoneMatch(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    const int m = sqlite3_value_int(argv[0]);
    const auto* want = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    const int wantLen = want ? sqlite3_value_bytes(argv[1]) : 0;
    int found = 0;
    for (int a = 2; a < argc && !found && want; ++a) {
        if (sqlite3_value_type(argv[a]) == SQLITE_NULL)
            continue;
        char digits[kPhoneDigitsChars];
        const int n = pickDigits(sqlite3_value_text(argv[a]), sqlite3_value_bytes(argv[a]), digits);
        if (n == 0 || n < wantLen)
            continue;
        switch (m) {
        case Equal:
            found = n == wantLen && std::equal(want, want + wantLen, digits);
            break;
        case Starts:
            found = std::equal(want, want + wantLen, digits);
            break;
        case Ends:
            found = std::equal(want, want + wantLen, digits + n - wantLen);
            break;
        default:
            found = std::search(digits, digits + n, want, want + wantLen) != digits + n;
            break;
        }
    }
    sqlite3_result_int(ctx, found);
}
} // namespace

QString StoredPhoneDigits(const QString& number)
{
    QString out;
    const QList<uint> chars = number.toUcs4();
    for (qsizetype i = 0; i < chars.size() && i < kPhoneDigitsChars; ++i) {
        if (chars.at(i) >= '0' && chars.at(i) <= '9')
            out += QChar(char16_t(chars.at(i)));
    }
    return out;
}

QStringList CustomerPhoneDigitsDdl()
{
    const QString t = kPhoneDigitsTable;
    const QString s = kPhoneDigitsSearch;
    QStringList fill;
    for (int i = 1; i <= 4; ++i)
        fill << QStringLiteral("SELECT 코드, %1, '' FROM 고객")
                    .arg(digitsExpr(QStringLiteral("전화%1").arg(i)));
    return {
        // NOCASE matches LIKE's own case rule, which is what lets LIKE 'prefix%' use the indexes.
        QStringLiteral("CREATE TABLE IF NOT EXISTS ") + t +
            QStringLiteral(" (번호 INTEGER PRIMARY KEY, 코드 TEXT COLLATE NOCASE NOT NULL, "
                           "숫자 TEXT COLLATE NOCASE NOT NULL, 역순 TEXT COLLATE NOCASE NOT NULL)"),
        // Contentless of its own: it reads a number's digits from the table when a search asks.
        QStringLiteral("CREATE VIRTUAL TABLE IF NOT EXISTS ") + s +
            QStringLiteral(" USING fts5(숫자, content='") + t +
            QStringLiteral("', content_rowid='번호', tokenize='trigram', detail='none')"),
        QStringLiteral("DROP TRIGGER IF EXISTS ") + t + QStringLiteral("_ai"),
        QStringLiteral("DROP TRIGGER IF EXISTS ") + t + QStringLiteral("_au"),
        QStringLiteral("DROP TRIGGER IF EXISTS ") + t + QStringLiteral("_ad"),
        QStringLiteral("DELETE FROM ") + t,
        // Each number's digits are picked once, then reversed from the stored column: the expression is long.
        QStringLiteral("INSERT INTO ") + t + QStringLiteral(" (코드, 숫자, 역순) ") +
            fill.join(QStringLiteral(" UNION ALL ")),
        QStringLiteral("DELETE FROM ") + t + QStringLiteral(" WHERE 숫자 = ''"),
        QStringLiteral("UPDATE ") + t + QStringLiteral(" SET 역순 = ") + reversedExpr(QStringLiteral("숫자")),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ") + t + QStringLiteral("_숫자 ON ") + t +
            QStringLiteral(" (숫자, 코드)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ") + t + QStringLiteral("_역순 ON ") + t +
            QStringLiteral(" (역순, 코드)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ") + t + QStringLiteral("_코드 ON ") + t +
            QStringLiteral(" (코드)"),
        QStringLiteral("INSERT INTO ") + s + QStringLiteral(" (") + s +
            QStringLiteral(") VALUES ('rebuild')"),
        QStringLiteral("CREATE TRIGGER ") + t + QStringLiteral("_ai AFTER INSERT ON 고객 BEGIN ") +
            addRows(QStringLiteral("NEW")) + QStringLiteral(" END"),
        QStringLiteral("CREATE TRIGGER ") + t +
            QStringLiteral("_au AFTER UPDATE OF 코드, 전화1, 전화2, 전화3, 전화4 ON 고객 BEGIN ") +
            removeRows(QStringLiteral("OLD")) + QLatin1Char(' ') + addRows(QStringLiteral("NEW")) +
            QStringLiteral(" END"),
        QStringLiteral("CREATE TRIGGER ") + t + QStringLiteral("_ad AFTER DELETE ON 고객 BEGIN ") +
            removeRows(QStringLiteral("OLD")) + QStringLiteral(" END"),
    };
}

QStringList CustomerPhoneDigitsServerDdl()
{
    const QString t = kPhoneDigitsTable;
    const QString n = QString::number(kPhoneDigitsChars);
    const auto digitsOf = [&n](const QString& p) {
        return QStringLiteral("REGEXP_REPLACE(LEFT(%1, %2), '[^0-9]', '', 'g')").arg(p, n);
    };
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS ") + t +
            QStringLiteral(
                " (번호 BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, 코드 CITEXT NOT NULL, "
                "숫자 TEXT NOT NULL, 역순 TEXT NOT NULL)"),
        // text_pattern_ops serves a prefix LIKE whatever the server's collation is; the trigram index a
        // search inside the digits.
        QStringLiteral("CREATE INDEX IF NOT EXISTS ") + t + QStringLiteral("_숫자 ON ") + t +
            QStringLiteral(" (숫자 text_pattern_ops, 코드)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ") + t + QStringLiteral("_역순 ON ") + t +
            QStringLiteral(" (역순 text_pattern_ops, 코드)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ") + t + QStringLiteral("_코드 ON ") + t +
            QStringLiteral(" (코드)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ") + t + QStringLiteral("_trgm ON ") + t +
            QStringLiteral(" USING gin (숫자 gin_trgm_ops)"),
        QStringLiteral("CREATE OR REPLACE FUNCTION ") + t +
            QStringLiteral("_sync() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                           "IF TG_OP <> 'INSERT' THEN DELETE FROM ") +
            t + QStringLiteral(" WHERE 코드 = OLD.코드; END IF; IF TG_OP <> 'DELETE' THEN INSERT INTO ") + t +
            QStringLiteral(" (코드, 숫자, 역순) SELECT NEW.코드, d, REVERSE(d) FROM (SELECT ") +
            digitsOf(QStringLiteral("p")) +
            QStringLiteral(" AS d FROM UNNEST(ARRAY[NEW.전화1::text, NEW.전화2::text, NEW.전화3::text, "
                           "NEW.전화4::text]) AS p) x WHERE d <> ''; END IF; RETURN NULL; END $$"),
        QStringLiteral("DROP TRIGGER IF EXISTS ") + t + QStringLiteral("_sync ON 고객"),
        QStringLiteral("CREATE TRIGGER ") + t +
            QStringLiteral(
                "_sync AFTER INSERT OR DELETE OR UPDATE OF 코드, 전화1, 전화2, 전화3, 전화4 ON 고객 "
                "FOR EACH ROW EXECUTE FUNCTION ") +
            t + QStringLiteral("_sync()"),
        QStringLiteral("DELETE FROM ") + t,
        QStringLiteral("INSERT INTO ") + t +
            QStringLiteral(" (코드, 숫자, 역순) SELECT 코드, d, REVERSE(d) FROM (SELECT 코드, ") +
            digitsOf(QStringLiteral("p")) +
            QStringLiteral(
                " AS d FROM 고객, UNNEST(ARRAY[전화1::text, 전화2::text, 전화3::text, 전화4::text]) AS p) x "
                "WHERE d <> ''"),
    };
}

QString PhoneDigitsCondition(const QString& modeItem, const QString& digits)
{
    return QStringLiteral("코드 IN (SELECT 코드 FROM ") + kPhoneDigitsTable + QStringLiteral(" WHERE ") +
           rowTest(modeItem, digits) + QLatin1Char(')');
}

QString PhoneDigitsColumnsCondition(const QString& modeItem, const QString& digits)
{
    return QStringLiteral("ZK_PHONE_MATCH(%1, ").arg(modeNumber(modeItem)) + SQLLiteral(digits) +
           QStringLiteral(", 전화1, 전화2, 전화3, 전화4) = 1");
}

int PhoneDigitsCandidateCount(const QString& modeItem, const QString& digits, int cap)
{
    cap = qBound(0, cap, 10000000);
    return GetFirstValue(QStringLiteral("SELECT COUNT(*) FROM (SELECT 1 FROM ") + kPhoneDigitsTable +
                         QStringLiteral(" WHERE ") + rowTest(modeItem, digits) +
                         QStringLiteral(" LIMIT %1) x").arg(cap + 1))
        .toInt();
}

void RegisterPhoneDigitsFunction(sqlite3* db)
{
    sqlite3_create_function_v2(db, "ZK_PHONE_MATCH", 6, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               &sqlitePhoneMatch, nullptr, nullptr, nullptr);
}
