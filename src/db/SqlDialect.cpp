#include "db/SqlDialect.h"

#include "db/CustomerPhoneDigits.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <sqlite3.h>

#include <map>
#include <vector>

namespace {

enum class Tok
{
    Space,
    String,
    Ident,
    QuotedIdent,
    Number,
    Punct
};

struct Token
{
    Tok kind;
    QString text;
};

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

std::vector<Token> tokenize(const QString& sql)
{
    std::vector<Token> out;
    const int n = sql.size();
    int i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        if (c.isSpace()) {
            int j = i;
            while (j < n && sql.at(j).isSpace())
                ++j;
            out.push_back({Tok::Space, sql.mid(i, j - i)});
            i = j;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // Jet accepts both quote characters for literals; a doubled quote stands for itself.
            QString value;
            int j = i + 1;
            while (j < n) {
                if (sql.at(j) == c) {
                    if (j + 1 < n && sql.at(j + 1) == c) {
                        value += c;
                        j += 2;
                        continue;
                    }
                    break;
                }
                value += sql.at(j++);
            }
            value.replace(QLatin1Char('\''), QStringLiteral("''"));
            out.push_back({Tok::String, QLatin1Char('\'') + value + QLatin1Char('\'')});
            i = qMin(j + 1, n);
        } else if (c == QLatin1Char('[') || c == QLatin1Char('`')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : QLatin1Char('`');
            int j = sql.indexOf(close, i + 1);
            if (j < 0)
                j = n;
            QString ident = sql.mid(i + 1, j - i - 1);
            ident.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            out.push_back({Tok::QuotedIdent, QLatin1Char('"') + ident + QLatin1Char('"')});
            i = qMin(j + 1, n);
        } else if (c.isDigit()) {
            int j = i;
            while (j < n && (sql.at(j).isDigit() || sql.at(j) == QLatin1Char('.')))
                ++j;
            if (j < n && isWordChar(sql.at(j))) { // e.g. 1a is a word
                while (j < n && isWordChar(sql.at(j)))
                    ++j;
                out.push_back({Tok::Ident, sql.mid(i, j - i)});
            } else {
                out.push_back({Tok::Number, sql.mid(i, j - i)});
            }
            i = j;
        } else if (isWordChar(c)) {
            int j = i;
            while (j < n && isWordChar(sql.at(j)))
                ++j;
            out.push_back({Tok::Ident, sql.mid(i, j - i)});
            i = j;
        } else {
            static const QStringList twoChar = {QStringLiteral("<>"), QStringLiteral("<="),
                                                QStringLiteral(">="), QStringLiteral("!="),
                                                QStringLiteral("||")};
            const QString two = sql.mid(i, 2);
            if (twoChar.contains(two)) {
                out.push_back({Tok::Punct, two});
                i += 2;
            } else {
                out.push_back({Tok::Punct, QString(c)});
                ++i;
            }
        }
    }
    return out;
}

bool isWord(const Token& t, const char* word)
{
    return t.kind == Tok::Ident && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isPunct(const Token& t, const char* p)
{
    return t.kind == Tok::Punct && t.text == QLatin1String(p);
}

int nextSolid(const std::vector<Token>& t, int i)
{
    for (int j = i + 1; j < int(t.size()); ++j)
        if (t[j].kind != Tok::Space)
            return j;
    return -1;
}

int prevSolid(const std::vector<Token>& t, int i)
{
    for (int j = i - 1; j >= 0; --j)
        if (t[j].kind != Tok::Space)
            return j;
    return -1;
}

int matchForward(const std::vector<Token>& t, int open)
{
    int depth = 0;
    for (int j = open; j < int(t.size()); ++j) {
        if (isPunct(t[j], "("))
            ++depth;
        else if (isPunct(t[j], ")") && --depth == 0)
            return j;
    }
    return int(t.size()) - 1;
}

int matchBackward(const std::vector<Token>& t, int close)
{
    int depth = 0;
    for (int j = close; j >= 0; --j) {
        if (isPunct(t[j], ")"))
            ++depth;
        else if (isPunct(t[j], "(") && --depth == 0)
            return j;
    }
    return 0;
}

struct Span
{
    int start;
    int end;
    bool literal;
};

// The operand ending at token `end` (a primary: literal, column, qualified column, call or group).
Span operandBefore(const std::vector<Token>& t, int end)
{
    if (end < 0)
        return {0, -1, true};
    const Token& e = t[end];
    if (e.kind == Tok::String || e.kind == Tok::Number)
        return {end, end, true};
    if (isPunct(e, ")")) {
        int open = matchBackward(t, end);
        const int fn = prevSolid(t, open);
        if (fn >= 0 && (t[fn].kind == Tok::Ident || t[fn].kind == Tok::QuotedIdent) && fn == open - 1)
            open = fn;
        return {open, end, false};
    }
    int start = end;
    int dot = prevSolid(t, start);
    while (dot >= 0 && isPunct(t[dot], ".") && dot == start - 1 && dot > 0 &&
           (t[dot - 1].kind == Tok::Ident || t[dot - 1].kind == Tok::QuotedIdent)) {
        start = dot - 1;
        dot = prevSolid(t, start);
    }
    return {start, end, false};
}

Span operandAfter(const std::vector<Token>& t, int start)
{
    if (start < 0)
        return {0, -1, true};
    const Token& s = t[start];
    if (s.kind == Tok::String || s.kind == Tok::Number)
        return {start, start, true};
    if (isPunct(s, "("))
        return {start, matchForward(t, start), false};
    int end = start;
    while (true) {
        const int next = end + 1;
        if (next < int(t.size()) && isPunct(t[next], "(") && t[end].kind == Tok::Ident) {
            end = matchForward(t, next);
            break;
        }
        if (next + 1 < int(t.size()) && isPunct(t[next], ".") &&
            (t[next + 1].kind == Tok::Ident || t[next + 1].kind == Tok::QuotedIdent)) {
            end = next + 1;
            continue;
        }
        break;
    }
    return {start, end, false};
}

void sqliteUpper(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const QByteArray upper = QString::fromUtf8(text).toUpper().toUtf8();
    sqlite3_result_text(ctx, upper.constData(), int(upper.size()), SQLITE_TRANSIENT);
}

void sqliteLower(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const QByteArray lower = QString::fromUtf8(text).toLower().toUtf8();
    sqlite3_result_text(ctx, lower.constData(), int(lower.size()), SQLITE_TRANSIENT);
}

enum class Flavor
{
    Sqlite,
    Postgres
};

QString translateJet(const QString& jetSql, Flavor flavor)
{
    const bool pg = flavor == Flavor::Postgres;
    std::vector<Token> t = tokenize(jetSql);
    QString limit;

    for (int i = 0; i < int(t.size()); ++i) {
        Token& tok = t[i];
        if (tok.kind != Tok::Ident)
            continue;
        const int next = nextSolid(t, i);
        const bool call = next >= 0 && isPunct(t[next], "(");
        const int prev = prevSolid(t, i);
        const bool qualified = prev >= 0 && isPunct(t[prev], ".");
        if (qualified)
            continue;
        if (pg && isWord(tok, "INDEXED") && next >= 0 && isWord(t[next], "BY")) {
            // An index hint for SQLite's planner; a server plans for itself.
            const int name = nextSolid(t, next);
            for (int k = i; k <= (name >= 0 ? name : next); ++k)
                t[k].text.clear();
        } else if (pg && isWord(tok, "NOT") && next >= 0 && isWord(t[next], "INDEXED")) {
            tok.text.clear();
            t[next].text.clear();
        } else if (pg && isWord(tok, "LIKE")) {
            // Jet's LIKE ignores letter case whatever the operands are.
            tok.text = QStringLiteral("ILIKE");
        } else if (isWord(tok, "DELETE") && next >= 0 && isPunct(t[next], "*")) {
            t[next].text.clear();
            // drop the blank left behind the removed star
            if (next + 1 < int(t.size()) && t[next + 1].kind == Tok::Space)
                t[next + 1].text.clear();
        } else if (call && isWord(tok, "MID")) {
            tok.text = QStringLiteral("SUBSTR");
        } else if (call && isWord(tok, "UCASE")) {
            tok.text = QStringLiteral("ZK_UCASE");
        } else if (call && isWord(tok, "LCASE")) {
            tok.text = QStringLiteral("ZK_LCASE");
        } else if (call && isWord(tok, "LEN")) {
            tok.text = QStringLiteral("LENGTH");
        } else if (call && (isWord(tok, "NZ") || (pg && isWord(tok, "IFNULL")))) {
            tok.text = pg ? QStringLiteral("COALESCE") : QStringLiteral("IFNULL");
        } else if (!call && isWord(tok, "TRUE")) {
            tok = {Tok::Number, QStringLiteral("1")};
        } else if (!call && isWord(tok, "FALSE")) {
            tok = {Tok::Number, QStringLiteral("0")};
        } else if (!call && isWord(tok, "MOD")) {
            tok = {Tok::Punct, QStringLiteral("%")};
        } else if (isWord(tok, "TOP") && next >= 0 && t[next].kind == Tok::Number && prev >= 0 &&
                   (isWord(t[prev], "SELECT") || isWord(t[prev], "DISTINCT"))) {
            limit = t[next].text;
            for (int k = i; k <= next; ++k)
                t[k].text.clear();
            if (next + 1 < int(t.size()) && t[next + 1].kind == Tok::Space)
                t[next + 1].text.clear();
        }
    }

    if (pg) {
        for (int i = 0; i < int(t.size()); ++i) {
            Token& tok = t[i];
            // Bracketed names are case-blind in Jet; folded like PostgreSQL folds the unquoted ones.
            if (tok.kind == Tok::QuotedIdent)
                tok.text = tok.text.toLower();
            // "ORDER BY +주소1" keeps SQLite from walking an index; a server has no unary plus for text.
            const int prev = prevSolid(t, i);
            if (isPunct(tok, "+") && prev >= 0 && (isWord(t[prev], "BY") || isPunct(t[prev], ",")))
                tok.text.clear();
        }
    }

    // Jet's & joins texts and treats Null as empty; SQLite's & is a bitwise AND and || yields Null on Null.
    // PostgreSQL also wants every operand as text (a number column joined to a text).
    const QString open = pg ? QStringLiteral("COALESCE(CAST(") : QStringLiteral("IFNULL(");
    const QString close = pg ? QStringLiteral(" AS TEXT),'')") : QStringLiteral(",'')");
    std::map<int, QString> before;
    std::map<int, QString> after;
    for (int i = 0; i < int(t.size()); ++i) {
        if (!isPunct(t[i], "&"))
            continue;
        t[i].text = QStringLiteral("||");
        const Span left = operandBefore(t, prevSolid(t, i));
        const Span right = operandAfter(t, nextSolid(t, i));
        for (const Span& s : {left, right}) {
            if (s.literal || s.end < s.start)
                continue;
            if (before[s.start].contains(open) && after[s.end].startsWith(close))
                continue; // already wrapped as the other side of a previous &
            before[s.start] = open + before[s.start];
            after[s.end] += close;
        }
    }

    QString out;
    out.reserve(jetSql.size() + 32);
    for (int i = 0; i < int(t.size()); ++i) {
        if (auto b = before.find(i); b != before.end())
            out += b->second;
        out += t[i].text;
        if (auto a = after.find(i); a != after.end())
            out += a->second;
    }
    if (!limit.isEmpty()) {
        QString trimmed = out.trimmed();
        const bool semi = trimmed.endsWith(QLatin1Char(';'));
        if (semi)
            trimmed.chop(1);
        out = trimmed + QStringLiteral(" LIMIT ") + limit + (semi ? QStringLiteral(";") : QString());
    }
    return out;
}
} // namespace

QString SqliteDialect::translate(const QString& jetSql) const
{
    return translateJet(jetSql, Flavor::Sqlite);
}

QString PostgresDialect::translate(const QString& jetSql) const
{
    return translateJet(jetSql, Flavor::Postgres);
}

bool PostgresDialect::prepareConnection(QSqlDatabase& db, QString* error) const
{
    QSqlQuery q(db);
    // A seat waits for another seat's row lock as long as SQLite waits for its file lock, then reports it.
    const QStringList settings = {QStringLiteral("SET lock_timeout = %1").arg(kLockTimeoutMs),
                                  QStringLiteral("SET client_encoding = 'UTF8'"),
                                  QStringLiteral("SET client_min_messages = warning"),
                                  QStringLiteral("SET standard_conforming_strings = on"),
                                  QStringLiteral("SET default_transaction_isolation = 'read committed'")};
    for (const QString& s : settings) {
        if (!q.exec(s)) {
            if (error)
                *error = q.lastError().text();
            return false;
        }
    }
    return true;
}

bool SqliteDialect::prepareConnection(QSqlDatabase& db, QString* error) const
{
    const QVariant handle = db.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        sqlite3* h = *static_cast<sqlite3* const*>(handle.data());
        if (h) {
            sqlite3_create_function_v2(h, "ZK_UCASE", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                       &sqliteUpper, nullptr, nullptr, nullptr);
            sqlite3_create_function_v2(h, "ZK_LCASE", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                       &sqliteLower, nullptr, nullptr, nullptr);
            RegisterPhoneDigitsFunction(h);
        }
    }
    QSqlQuery q(db);
    const bool readOnly = db.connectOptions().contains(QLatin1String("QSQLITE_OPEN_READONLY"));
    QStringList pragmas = {QStringLiteral("PRAGMA foreign_keys = ON"),
                           QStringLiteral("PRAGMA busy_timeout = ") + QString::number(kBusyTimeoutMs)};
    if (!readOnly) {
        // A new file takes the write-ahead log; a file switched to the rollback journal for use through a
        // network share keeps it.
        const bool fresh = q.exec(QStringLiteral("PRAGMA page_count")) && q.next() && q.value(0).toInt() == 0;
        const bool rollback = !fresh && q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next() &&
                              q.value(0).toString() == QLatin1String("delete");
        // A local file in the write-ahead log is also read through memory mapping, which halves the long
        // reads of the reports; a file on a share is not (a mapping over the network is unsafe).
        if (!rollback)
            pragmas << QStringLiteral("PRAGMA journal_mode = WAL")
                    << QStringLiteral("PRAGMA mmap_size = 134217728");
        pragmas << QStringLiteral("PRAGMA synchronous = FULL");
    }
    for (const QString& p : pragmas) {
        if (!q.exec(p)) {
            if (error)
                *error = q.lastError().text();
            return false;
        }
    }
    return true;
}

std::shared_ptr<const SqlDialect> DefaultDialect()
{
    static const std::shared_ptr<const SqlDialect> d = std::make_shared<SqliteDialect>();
    return d;
}

bool IsSingleStatement(const QString& jetSql)
{
    const std::vector<Token> t = tokenize(jetSql);
    for (int i = 0; i < int(t.size()); ++i) {
        // A dollar-quoted text would hide what follows from this reading; no statement of ours has one.
        if (t[i].kind == Tok::Ident && t[i].text.contains(QLatin1Char('$')))
            return false;
        if (isPunct(t[i], ";") && nextSolid(t, i) >= 0)
            return false;
        // So would a comment, which no statement of ours has either.
        if (i + 1 < int(t.size()) && ((isPunct(t[i], "-") && isPunct(t[i + 1], "-")) ||
                                      (isPunct(t[i], "/") && isPunct(t[i + 1], "*"))))
            return false;
    }
    return true;
}

std::shared_ptr<const SqlDialect> ServerDialect()
{
    static const std::shared_ptr<const SqlDialect> d = std::make_shared<PostgresDialect>();
    return d;
}
