#include "db/CustomerPhoneIndex.h"

#include "db/DbConnection.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

const QString kPhoneIndexTable = QStringLiteral("고객전화역순");

namespace {
// SQLite has no REVERSE(); the last kPhoneIndexChars characters taken from the end one by one give it.
QString reversedExpr(const QString& column)
{
    QStringList parts;
    for (int k = 1; k <= kPhoneIndexChars; ++k)
        parts << QStringLiteral("SUBSTR(%1, -%2, 1)").arg(column).arg(k);
    return parts.join(QStringLiteral(" || "));
}

// Rows of the table for the four numbers of one customer row (`row` is NEW, or 고객 for the fill).
QString selectNumbers(const QString& row, bool fromTable)
{
    QStringList selects;
    for (int i = 1; i <= 4; ++i) {
        const QString col = row + QStringLiteral(".전화%1").arg(i);
        QString s = QStringLiteral("SELECT ") + row + QStringLiteral(".코드, ") + reversedExpr(col);
        if (fromTable)
            s += QStringLiteral(" FROM 고객");
        s += QStringLiteral(" WHERE IFNULL(") + col + QStringLiteral(", '') <> ''");
        selects << s;
    }
    return selects.join(QStringLiteral(" UNION ALL "));
}
} // namespace

QStringList CustomerPhoneIndexDdl()
{
    const QString t = kPhoneIndexTable;
    const QString insertNew = QStringLiteral("INSERT INTO ") + t + QStringLiteral(" (코드, 역순) ") +
                              selectNumbers(QStringLiteral("NEW"), false) + QStringLiteral(";");
    return {
        // NOCASE matches LIKE's own case rule, which is what lets LIKE 'prefix%' use the index.
        QStringLiteral("CREATE TABLE IF NOT EXISTS ") + t +
            QStringLiteral(" (코드 TEXT NOT NULL, 역순 TEXT COLLATE NOCASE NOT NULL)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ") + t + QStringLiteral("_역순 ON ") + t +
            QStringLiteral(" (역순, 코드)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ") + t + QStringLiteral("_코드 ON ") + t +
            QStringLiteral(" (코드)"),
        QStringLiteral("DROP TRIGGER IF EXISTS ") + t + QStringLiteral("_ai"),
        QStringLiteral("DROP TRIGGER IF EXISTS ") + t + QStringLiteral("_au"),
        QStringLiteral("DROP TRIGGER IF EXISTS ") + t + QStringLiteral("_ad"),
        QStringLiteral("CREATE TRIGGER ") + t + QStringLiteral("_ai AFTER INSERT ON 고객 BEGIN ") +
            insertNew + QStringLiteral(" END"),
        QStringLiteral("CREATE TRIGGER ") + t +
            QStringLiteral(
                "_au AFTER UPDATE OF 코드, 전화1, 전화2, 전화3, 전화4 ON 고객 BEGIN DELETE FROM ") +
            t + QStringLiteral(" WHERE 코드 = OLD.코드; ") + insertNew + QStringLiteral(" END"),
        QStringLiteral("CREATE TRIGGER ") + t +
            QStringLiteral("_ad AFTER DELETE ON 고객 BEGIN DELETE FROM ") + t +
            QStringLiteral(" WHERE 코드 = OLD.코드; END"),
        QStringLiteral("DELETE FROM ") + t,
        QStringLiteral("INSERT INTO ") + t + QStringLiteral(" (코드, 역순) ") +
            selectNumbers(QStringLiteral("고객"), true),
    };
}

QStringList CustomerPhoneIndexServerDdl()
{
    const QString t = kPhoneIndexTable;
    const QString n = QString::number(kPhoneIndexChars);
    return {
        // text_pattern_ops serves a prefix LIKE whatever the server's collation is.
        QStringLiteral("CREATE TABLE IF NOT EXISTS ") + t +
            QStringLiteral(" (코드 CITEXT NOT NULL, 역순 TEXT NOT NULL)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ") + t + QStringLiteral("_역순 ON ") + t +
            QStringLiteral(" (역순 text_pattern_ops, 코드)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ") + t + QStringLiteral("_코드 ON ") + t +
            QStringLiteral(" (코드)"),
        QStringLiteral("CREATE OR REPLACE FUNCTION ") + t +
            QStringLiteral("_sync() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                           "IF TG_OP <> 'INSERT' THEN DELETE FROM ") +
            t +
            QStringLiteral(" WHERE 코드 = OLD.코드; END IF; "
                           "IF TG_OP <> 'DELETE' THEN INSERT INTO ") +
            t + QStringLiteral(" (코드, 역순) SELECT NEW.코드, REVERSE(RIGHT(p, ") + n +
            QStringLiteral(")) FROM UNNEST(ARRAY[NEW.전화1::text, NEW.전화2::text, NEW.전화3::text, "
                           "NEW.전화4::text]) AS p WHERE COALESCE(p, '') <> ''; END IF; "
                           "RETURN NULL; END $$"),
        QStringLiteral("DROP TRIGGER IF EXISTS ") + t + QStringLiteral("_sync ON 고객"),
        QStringLiteral("CREATE TRIGGER ") + t +
            QStringLiteral(
                "_sync AFTER INSERT OR DELETE OR UPDATE OF 코드, 전화1, 전화2, 전화3, 전화4 ON 고객 "
                "FOR EACH ROW EXECUTE FUNCTION ") +
            t + QStringLiteral("_sync()"),
        QStringLiteral("DELETE FROM ") + t,
        QStringLiteral("INSERT INTO ") + t + QStringLiteral(" (코드, 역순) SELECT 코드, REVERSE(RIGHT(p, ") +
            n +
            QStringLiteral(")) FROM 고객, UNNEST(ARRAY[전화1::text, 전화2::text, 전화3::text, 전화4::text]) "
                           "AS p WHERE COALESCE(p, '') <> ''"),
    };
}

bool ApplyCustomerPhoneIndex(DbConnection& conn, QString* error)
{
    DbTransaction t(conn);
    if (!t.active()) {
        if (error)
            *error = t.error().description;
        return false;
    }
    QSqlQuery q(conn.database());
    for (const QString& sql : conn.isServer() ? CustomerPhoneIndexServerDdl() : CustomerPhoneIndexDdl()) {
        if (!q.exec(sql)) {
            if (error)
                *error = q.lastError().text() + QStringLiteral("\n") + sql;
            return false;
        }
    }
    if (!t.commit()) {
        if (error)
            *error = t.error().description;
        return false;
    }
    return true;
}

bool HasCustomerPhoneIndex(DbConnection& conn)
{
    if (!conn.isOpen())
        return false;
    QSqlQuery q(conn.database());
    q.prepare(conn.isServer()
                  ? QStringLiteral("SELECT 1 FROM information_schema.tables WHERE table_schema = "
                                   "current_schema() AND table_name = ?")
                  : QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"));
    q.addBindValue(kPhoneIndexTable);
    return q.exec() && q.next();
}
