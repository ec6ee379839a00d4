#include "db/CustomerTextIndex.h"

#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"

const QString kTextIndexTable = QStringLiteral("고객검색");
const QString kTextIndexKeys = QStringLiteral("고객검색번호");

namespace {
const QStringList& indexedColumns()
{
    static const QStringList columns = {
        QStringLiteral("전화1"), QStringLiteral("전화2"), QStringLiteral("전화3"), QStringLiteral("전화4"),
        QStringLiteral("주소1"), QStringLiteral("주소2"), QStringLiteral("메모")};
    return columns;
}

// "p.전화1, p.전화2, …" for a row prefix (NEW., OLD., c.).
QString prefixed(const QString& prefix)
{
    QStringList out;
    for (const QString& c : indexedColumns())
        out << prefix + c;
    return out.join(QStringLiteral(", "));
}

QString numberOf(const QString& codeExpr)
{
    return QStringLiteral("(SELECT 번호 FROM ") + kTextIndexKeys + QStringLiteral(" WHERE 코드 = ") +
           codeExpr + QLatin1Char(')');
}

// Index entries are taken out by giving the engine exactly the texts they were made from.
QString removeRow(const QString& row)
{
    return QStringLiteral("INSERT INTO ") + kTextIndexTable + QStringLiteral(" (") + kTextIndexTable +
           QStringLiteral(", rowid, ") + indexedColumns().join(QStringLiteral(", ")) +
           QStringLiteral(") VALUES ('delete', ") + numberOf(row + QStringLiteral(".코드")) +
           QStringLiteral(", ") + prefixed(row + QLatin1Char('.')) + QStringLiteral(");");
}

QString addRow(const QString& row)
{
    return QStringLiteral("INSERT INTO ") + kTextIndexTable + QStringLiteral(" (rowid, ") +
           indexedColumns().join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") +
           numberOf(row + QStringLiteral(".코드")) + QStringLiteral(", ") + prefixed(row + QLatin1Char('.')) +
           QStringLiteral(");");
}

// The MATCH expression for the text inside the columns: a column filter and one quoted phrase, which the
// trigram tokenizer turns into consecutive trigrams, i.e. a substring test.
QString matchExpr(const QStringList& columns, const QString& text)
{
    QString phrase = text;
    phrase.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return SQLLiteral(QLatin1Char('{') + columns.join(QLatin1Char(' ')) + QStringLiteral("} : \"") + phrase +
                      QLatin1Char('"'));
}

bool servable(const QStringList& columns, const QString& text)
{
    if (text.toUcs4().size() < kTextIndexMinChars || columns.isEmpty())
        return false;
    for (const QString& c : columns) {
        if (!indexedColumns().contains(c))
            return false;
    }
    return true;
}

QStringList split(const QString& columns)
{
    QStringList out;
    for (const QString& c : columns.split(QLatin1Char(','), Qt::SkipEmptyParts))
        out << c.trimmed();
    return out;
}
} // namespace

QStringList CustomerTextIndexDdl()
{
    const QString t = kTextIndexTable;
    const QString k = kTextIndexKeys;
    const QString cols = indexedColumns().join(QStringLiteral(", "));
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS ") + k +
            QStringLiteral(" (번호 INTEGER PRIMARY KEY, 코드 TEXT COLLATE NOCASE NOT NULL UNIQUE)"),
        QStringLiteral("CREATE VIRTUAL TABLE IF NOT EXISTS ") + t + QStringLiteral(" USING fts5(") + cols +
            QStringLiteral(", content='', tokenize='trigram')"),
        QStringLiteral("DROP TRIGGER IF EXISTS ") + t + QStringLiteral("_ai"),
        QStringLiteral("DROP TRIGGER IF EXISTS ") + t + QStringLiteral("_au"),
        QStringLiteral("DROP TRIGGER IF EXISTS ") + t + QStringLiteral("_ad"),
        QStringLiteral("CREATE TRIGGER ") + t +
            QStringLiteral("_ai AFTER INSERT ON 고객 BEGIN INSERT INTO ") + k +
            QStringLiteral(" (코드) VALUES (NEW.코드); ") + addRow(QStringLiteral("NEW")) +
            QStringLiteral(" END"),
        QStringLiteral("CREATE TRIGGER ") + t + QStringLiteral("_au AFTER UPDATE OF 코드, ") + cols +
            QStringLiteral(" ON 고객 BEGIN ") + removeRow(QStringLiteral("OLD")) +
            QStringLiteral(" UPDATE ") + k + QStringLiteral(" SET 코드 = NEW.코드 WHERE 코드 = OLD.코드; ") +
            addRow(QStringLiteral("NEW")) + QStringLiteral(" END"),
        QStringLiteral("CREATE TRIGGER ") + t + QStringLiteral("_ad AFTER DELETE ON 고객 BEGIN ") +
            removeRow(QStringLiteral("OLD")) + QStringLiteral(" DELETE FROM ") + k +
            QStringLiteral(" WHERE 코드 = OLD.코드; END"),
        QStringLiteral("INSERT INTO ") + t + QStringLiteral(" (") + t +
            QStringLiteral(") VALUES ('delete-all')"),
        QStringLiteral("DELETE FROM ") + k,
        QStringLiteral("INSERT INTO ") + k + QStringLiteral(" (코드) SELECT 코드 FROM 고객 ORDER BY 코드"),
        QStringLiteral("INSERT INTO ") + t + QStringLiteral(" (rowid, ") + cols +
            QStringLiteral(") SELECT k.번호, ") + prefixed(QStringLiteral("c.")) +
            QStringLiteral(" FROM 고객 c JOIN ") + k + QStringLiteral(" k ON k.코드 = c.코드"),
    };
}

QStringList CustomerTextIndexServerDdl()
{
    QStringList out;
    for (const QString& c : indexedColumns())
        out << QStringLiteral("CREATE INDEX IF NOT EXISTS ") + kTextIndexTable + QLatin1Char('_') + c +
                   QStringLiteral(" ON 고객 USING gin ((") + c + QStringLiteral("::text) gin_trgm_ops)");
    return out;
}

namespace {
// The server's candidates: a case-blind substring test on the indexed expression of each column.
QString serverCandidates(const QStringList& columns, const QString& text)
{
    const QString pattern = SQLLikePattern(text, LikeMatch::Contains);
    QStringList tests;
    for (const QString& c : columns)
        tests << QStringLiteral("CAST(") + c + QStringLiteral(" AS TEXT) LIKE ") + pattern;
    return QLatin1Char('(') + tests.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}
} // namespace

QString TextIndexCandidates(const QStringList& columns, const QString& text)
{
    if (!servable(columns, text))
        return QString();
    if (gMainConn.isOpen() && gMainConn.isServer())
        return serverCandidates(columns, text);
    return QStringLiteral("코드 IN (SELECT 코드 FROM ") + kTextIndexKeys +
           QStringLiteral(" WHERE 번호 IN (SELECT rowid FROM ") + kTextIndexTable +
           QStringLiteral(" WHERE ") + kTextIndexTable + QStringLiteral(" MATCH ") +
           matchExpr(columns, text) + QStringLiteral("))");
}

QString IndexedSearchWhere(const QString& columns, const QString& modeItem, const QString& text)
{
    const QString exact = MakeSearchWhere(columns, modeItem, text);
    const QString candidates = TextIndexCandidates(split(columns), text);
    if (candidates.isEmpty())
        return exact;
    return candidates + QStringLiteral(" AND ") + exact;
}

int TextIndexCandidateCount(const QStringList& columns, const QString& text, int cap)
{
    if (!servable(columns, text))
        return -1;
    cap = qBound(0, cap, 10000000);
    if (gMainConn.isOpen() && gMainConn.isServer())
        return GetFirstValue(QStringLiteral("SELECT COUNT(*) FROM (SELECT 1 FROM 고객 WHERE ") +
                             serverCandidates(columns, text) + QStringLiteral(" LIMIT %1) x").arg(cap + 1))
            .toInt();
    return GetFirstValue(QStringLiteral("SELECT COUNT(*) FROM (SELECT rowid FROM ") + kTextIndexTable +
                         QStringLiteral(" WHERE ") + kTextIndexTable + QStringLiteral(" MATCH ") +
                         matchExpr(columns, text) + QStringLiteral(" LIMIT %1)").arg(cap + 1))
        .toInt();
}
