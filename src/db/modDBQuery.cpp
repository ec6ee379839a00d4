#include "db/modDBQuery.h"

#include "db/DbError.h"
#include "ui/MsgBox.h"

#include <QSqlQuery>

#include <cmath>

namespace {
[[noreturn]] void raise(const ErrInfo& e)
{
    throw DbException(e);
}

QVariant firstValue(DbConnection& conn, const QString& sql)
{
    QSqlQuery q;
    ErrInfo error;
    if (!conn.query(sql, q, &error))
        raise(error);
    if (!q.next())
        return {};
    return q.value(0);
}

bool askDuplicate(int n, bool ask, const QString& itemName, const QString& value, const QString& shownValue)
{
    if (n == 0)
        return false;
    if (!ask)
        return true;
    const QString shown = shownValue.isEmpty() ? value : shownValue;
    const MsgAnswer a =
        AskYesNo(QStringLiteral("『") + shown + QStringLiteral("』는 이미 등록된 ") + itemName +
                     QStringLiteral("입니다.") + kCrLf + kCrLf + QStringLiteral("그래도, 등록하시겠습니까?"),
                 QStringLiteral("동일 ") + itemName + QStringLiteral(" 발견"), false);
    return a == MsgAnswer::No;
}

QString withCondition(const QString& where, const QString& condition)
{
    return condition.isEmpty() ? where : where + QStringLiteral(" AND ") + condition;
}
} // namespace

int OpenQuery(Recordset& rs, const QString& sql)
{
    if (!OpenRecordset(gMainConn, rs, sql, adOpenForwardOnly, adLockReadOnly, adCmdText))
        return -1;
    return rs.RecordCount();
}

int OpenQuery(Recordset& rs, const ReadQuery& read)
{
    if (!OpenRecordset(gMainConn, rs, read.sql, read.values))
        return -1;
    return rs.RecordCount();
}

QVariant GetFirstValue(const QString& sql)
{
    return firstValue(gMainConn, sql);
}

QVariant GetFirstValue(DbConnection& conn, const QString& sql)
{
    return firstValue(conn, sql);
}

int ExecSQL(DbConnection& conn, const QString& sql)
{
    const DbConnection::ExecResult r = conn.exec(sql);
    if (!r.ok) {
        const ErrInfo error = r.error;
        conn.whenUnlocked([error, sql] {
            if (error.number == DbErr::kConnectionLost)
                ShowWarning(error.description, QStringLiteral("서버 연결"));
            else if (error.number == DbErr::kUnusableText)
                ShowPlain(error.description);
            else
                ShowEngineError(QStringLiteral("자료를 저장하지 못했습니다."), error, {}, sql);
        });
        return -1;
    }
    return r.rowsAffected;
}

int ExecSQL(const QString& sql)
{
    return ExecSQL(gMainConn, sql);
}

int CountRows(const QString& table, const QString& condition)
{
    QString sql = QStringLiteral("SELECT COUNT(*) FROM ") + table;
    if (!condition.isEmpty())
        sql += QStringLiteral(" WHERE ") + condition;
    return GetFirstValue(sql).toInt();
}

int NextNumber(const QString& table, const QString& column, const QString& condition)
{
    QString sql = QStringLiteral("SELECT MAX(") + column + QStringLiteral(") FROM ") + table;
    if (!condition.isEmpty())
        sql += QStringLiteral(" WHERE ") + condition;
    const QVariant max = GetFirstValue(sql);
    if (max.isNull())
        return 1;
    return int(Val(max.toString())) + 1;
}

QString NextCode(const QString& table, const QString& column, int width, const QString& prefix,
                 const QString& condition)
{
    const int digits = width - int(prefix.size());
    QString sql = QStringLiteral("SELECT MAX(") + column + QStringLiteral(") FROM ") + table +
                  QStringLiteral(" WHERE ") + column + QStringLiteral(" LIKE ") +
                  SQLLikePattern(prefix, LikeMatch::StartsWith);
    // The same prefix as a key range, which every engine reads from the key's index (a server's case-blind
    // LIKE cannot use it): the largest number is one index step, not a scan of a year of orders.
    if (!prefix.isEmpty() && digits > 0)
        sql += QStringLiteral(" AND ") + column + QStringLiteral(" >= ") + SQLLiteral(prefix) +
               QStringLiteral(" AND ") + column + QStringLiteral(" <= ") +
               SQLLiteral(prefix + QString(digits, QLatin1Char('9')));
    if (!condition.isEmpty())
        sql += QStringLiteral(" AND ") + condition;
    const QVariant max = GetFirstValue(sql);
    qint64 next = 1;
    if (!max.isNull())
        next = qint64(Val(max.toString().right(qMax(digits, 0)))) + 1;
    const QString code = prefix + QStringLiteral("%1").arg(next, qMax(digits, 0), 10, QLatin1Char('0'));
    if (code.size() <= width)
        return code;
    // Numbers are taken inside the write that uses them: the caller's rollback comes before the message.
    gMainConn.whenUnlocked(
        [] { ShowInfo(QStringLiteral("해당 순번이 최대값을 넘어 자동으로 값을 구할 수가 없습니다.")); });
    return QString();
}

bool CheckDupValue(const QString& table, const QString& column, const QString& value,
                   const QString& condition, bool ask, const QString& itemName, const QString& shownValue)
{
    const QString where =
        withCondition(column + QStringLiteral("='") + SQLQuote(value) + QLatin1Char('\''), condition);
    return askDuplicate(CountRows(table, where), ask, itemName, value, shownValue);
}

bool CheckDupAny(const QString& table, const QStringList& columns, const QString& value,
                 const QString& condition, bool ask, const QString& itemName, const QString& shownValue)
{
    const QString quoted = QStringLiteral("='") + SQLQuote(value) + QLatin1Char('\'');
    QString where = QLatin1Char('(') + columns.value(0) + quoted;
    for (int i = 1; i < columns.size(); ++i)
        where += QStringLiteral(" OR ") + columns.at(i) + quoted;
    where += QLatin1Char(')');
    return askDuplicate(CountRows(table, withCondition(where, condition)), ask, itemName, value, shownValue);
}

bool CheckDupJoined(const QString& table, const QStringList& columns, const QString& value,
                    const QString& condition, bool ask, const QString& itemName, const QString& shownValue)
{
    const QString where = columns.join(QStringLiteral(" & ' ' & ")) + QStringLiteral("='") + SQLQuote(value) +
                          QLatin1Char('\'');
    return askDuplicate(CountRows(table, withCondition(where, condition)), ask, itemName, value, shownValue);
}

QString SQLQuote(const QString& text)
{
    QString out = text;
    out.replace(QLatin1Char('\''), QStringLiteral("''"));
    return out;
}

QString SQLLiteral(const QString& text)
{
    return QLatin1Char('\'') + SQLQuote(text) + QLatin1Char('\'');
}

QString SQLLikePattern(const QString& text, LikeMatch match)
{
    static const QString kSpecial = QStringLiteral("%_\\");
    QString body = SQLQuote(text);
    bool escaped = false;
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (kSpecial.contains(body.at(i))) {
            body.insert(i++, QLatin1Char('\\'));
            escaped = true;
        }
    }
    const QString lead = match == LikeMatch::StartsWith ? QString() : QStringLiteral("%");
    const QString tail = match == LikeMatch::EndsWith ? QString() : QStringLiteral("%");
    QString pattern = QLatin1Char('\'') + lead + body + tail + QLatin1Char('\'');
    if (escaped)
        pattern += QStringLiteral(" ESCAPE '\\'");
    return pattern;
}

QString MakeLikeClause(const QString& mode, const QString& text)
{
    if (mode == QLatin1String("*s*"))
        return QStringLiteral(" LIKE ") + SQLLikePattern(text, LikeMatch::Contains);
    if (mode == QLatin1String("s*"))
        return QStringLiteral(" LIKE ") + SQLLikePattern(text, LikeMatch::StartsWith);
    if (mode == QLatin1String("*s"))
        return QStringLiteral(" LIKE ") + SQLLikePattern(text, LikeMatch::EndsWith);
    if (mode == QLatin1String("="))
        return QStringLiteral(" = '") + SQLQuote(text) + QStringLiteral("'");
    return QString();
}

QString MakeSearchWhere(const QString& columns, const QString& modeItem, const QString& text)
{
    const QString mode = modeItem.left(3).trimmed();
    const QString clause = MakeLikeClause(mode, text);
    if (!columns.contains(QLatin1Char(',')))
        return columns + clause;
    const QStringList cols = columns.split(QLatin1Char(','));
    QStringList parts;
    for (const QString& c : cols)
        parts << c.trimmed() + clause;
    return QLatin1Char('(') + parts.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}

QString NullToStr(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return QString();
    if (value.typeId() == QMetaType::Double) {
        const double d = value.toDouble();
        if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 1e15)
            return QString::number(qint64(d));
    }
    return value.toString();
}

double Val(const QString& text)
{
    int i = 0;
    const int n = text.size();
    while (i < n && text.at(i).isSpace())
        ++i;
    QString num;
    if (i < n && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        num += text.at(i++);
    bool dot = false;
    while (i < n) {
        const QChar c = text.at(i);
        if (c.isDigit() && c.unicode() < 128)
            num += c;
        else if (c == QLatin1Char('.') && !dot) {
            dot = true;
            num += c;
        } else if (!c.isSpace())
            break;
        ++i;
    }
    bool ok = false;
    const double v = num.toDouble(&ok);
    return ok ? v : 0.0;
}

QString SqlNumber(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    if (value == std::floor(value) && std::fabs(value) < 9e15)
        return QString::number(qint64(value));
    QString s = QString::number(value, 'f', 10);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    return s;
}
