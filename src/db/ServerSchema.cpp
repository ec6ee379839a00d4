#include "db/ServerSchema.h"

#include "db/ChangeLog.h"
#include "db/CustomerPhoneDigits.h"
#include "db/CustomerPhoneIndex.h"
#include "db/CustomerTextIndex.h"
#include "db/DbConnection.h"
#include "db/ServerAddress.h"
#include "db/StoreDailySums.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace ServerSchema {
namespace {
QString quoted(const QString& ident)
{
    return QLatin1Char('"') + ident + QLatin1Char('"');
}

QStringList versionStatements()
{
    return {QStringLiteral("CREATE TABLE IF NOT EXISTS zk_schema (version INTEGER NOT NULL)"),
            QStringLiteral("DELETE FROM zk_schema"),
            QStringLiteral("INSERT INTO zk_schema (version) VALUES (%1)").arg(Schema::kCurrentVersion)};
}

QStringList extensionStatements()
{
    // Both are trusted extensions: the database's owner may add them without being a superuser.
    return {QStringLiteral("CREATE EXTENSION IF NOT EXISTS citext"),
            QStringLiteral("CREATE EXTENSION IF NOT EXISTS pg_trgm")};
}
} // namespace

namespace {
// UCASE and LCASE change the case of every alphabet, as on a file, whatever the database's own (ASCII-only)
// case rule is; a server without the Unicode collation changes ASCII only.
QString caseFunction(const char* name, const char* builtin)
{
    const QString body = QStringLiteral("CREATE OR REPLACE FUNCTION %1(t text) RETURNS text LANGUAGE sql "
                                        "IMMUTABLE PARALLEL SAFE AS $f$ SELECT %2(t%3) $f$")
                             .arg(QLatin1String(name), QLatin1String(builtin));
    return QStringLiteral(
               "DO $$ BEGIN EXECUTE '%1'; EXCEPTION WHEN undefined_object THEN EXECUTE '%2'; END $$")
        .arg(body.arg(QStringLiteral(" COLLATE \"und-x-icu\"")), body.arg(QString()));
}
} // namespace

QStringList DerivedStatements()
{
    return QStringList{caseFunction("zk_ucase", "upper"), caseFunction("zk_lcase", "lower")} +
           CustomerPhoneIndexServerDdl() + CustomerTextIndexServerDdl() + StoreDailySumsServerDdl() +
           CustomerPhoneDigitsServerDdl() + ChangeLogServerDdl();
}

namespace {
// Connects to the server's maintenance database, where databases are made and removed.
bool openMaintenance(DbConnection& admin, const ServerAddress& a, QString* error)
{
    QString firstError;
    for (const QString& maintenance : {QStringLiteral("postgres"), QStringLiteral("template1")}) {
        ErrInfo e;
        if (admin.open(a.withDatabase(maintenance), false, &e))
            return true;
        if (firstError.isEmpty())
            firstError = e.description;
    }
    if (error)
        *error = firstError;
    return false;
}

QString quotedName(const ServerAddress& a)
{
    QString name = a.databaseName();
    name.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + name + QLatin1Char('"');
}

// Removes a database this program has just made and could not finish.
void dropDatabase(const ServerAddress& a)
{
    DbConnection admin;
    if (openMaintenance(admin, a, nullptr))
        QSqlQuery(admin.database()).exec(QStringLiteral("DROP DATABASE IF EXISTS ") + quotedName(a));
}

// Creates the empty database on the server through its maintenance database.
bool createEmptyDatabase(const ServerAddress& a, QString* error)
{
    DbConnection admin;
    if (!openMaintenance(admin, a, error))
        return false;
    QSqlQuery q(admin.database());
    q.prepare(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = ?"));
    q.addBindValue(a.databaseName());
    if (q.exec() && q.next()) {
        if (error)
            *error = QStringLiteral("이미 있는 데이터베이스입니다: ") + a.databaseName();
        return false;
    }
    // Code-point order and letter case folded for ASCII only: the file's NOCASE, so every query finds the
    // same rows, and the server's sorts and case-blind comparisons run at byte speed.
    const QString create =
        QStringLiteral("CREATE DATABASE %1 ENCODING 'UTF8' TEMPLATE template0").arg(quotedName(a));
    if (!q.exec(create + QStringLiteral(" LC_COLLATE 'C' LC_CTYPE 'C'")) && !q.exec(create)) {
        if (error)
            *error = QStringLiteral("데이터베이스를 만들지 못했습니다: ") + q.lastError().text();
        return false;
    }
    return true;
}

bool createTables(DbConnection& conn, bool withDerived, QString* error)
{
    QStringList statements = extensionStatements();
    for (const Schema::Table& t : Schema::MainTables())
        statements << Schema::CreateStatements(t, Schema::Engine::Server);
    if (withDerived)
        statements << DerivedStatements();
    statements << versionStatements();
    return Schema::RunStatementsAtOnce(conn, statements, error);
}
} // namespace

bool CreateDatabase(const QString& address, QString* error)
{
    ServerAddress a;
    if (!ServerAddress::Parse(address, &a, error) || !createEmptyDatabase(a, error))
        return false;
    {
        DbConnection conn;
        if (Schema::OpenForLayout(conn, address, error) && createTables(conn, true, error))
            return true;
    }
    dropDatabase(a);
    return false;
}

int StoredVersion(const QString& address, QString* error)
{
    DbConnection conn;
    if (!Schema::OpenForLayout(conn, address, error))
        return -1;
    QSqlQuery q(conn.database());
    if (q.exec(QStringLiteral("SELECT version FROM zk_schema")))
        return q.next() ? q.value(0).toInt() : 0;
    // Only a database without the table is one of no layout; anything else (no right to read it) is said.
    if (q.lastError().nativeErrorCode() == QLatin1String("42P01"))
        return 0;
    if (error)
        *error = q.lastError().databaseText().simplified();
    return -1;
}

bool Upgrade(const QString& address, QString* error)
{
    const int stored = StoredVersion(address, error);
    if (stored < 0)
        return false;
    if (stored >= Schema::kCurrentVersion)
        return true;
    DbConnection conn;
    if (!Schema::OpenForLayout(conn, address, error))
        return false;
    // Every server database starts at version 3; later layouts add their steps here. The derived tables are
    // rebuilt whole, which also makes the ones a version adds.
    QStringList steps = extensionStatements();
    if (stored < 4)
        steps << Schema::OrderStoreIndexUpgrade();
    if (stored < 7)
        steps << Schema::OrderCustomerIndexUpgrade();
    steps << DerivedStatements() << versionStatements();
    return Schema::RunStatementsAtOnce(conn, steps, error);
}

namespace {
// Per-store and per-customer figures that must come out the same on both sides of a copy.
QStringList invariantQueries()
{
    return {
        QStringLiteral("SELECT COUNT(*), SUM(CAST(ROUND(현잔액 * 100) AS BIGINT)), "
                       "SUM(CAST(ROUND(기초잔액 * 100) AS BIGINT)) FROM 가맹점"),
        QStringLiteral("SELECT COUNT(*), SUM(현포인트), SUM(기초포인트) FROM 고객"),
        QStringLiteral("SELECT COUNT(*), SUM(금액), SUM(포인트), SUM(CAST(ROUND(수수료 * 100) AS BIGINT)) "
                       "FROM 주문내역"),
        QStringLiteral("SELECT COUNT(*), SUM(입금액), SUM(할인액) FROM 입금"),
        QStringLiteral("SELECT COUNT(*), SUM(차감포인트) FROM 서비스"),
    };
}

QString figures(DbConnection& conn, const QString& sql)
{
    QSqlQuery q(conn.database());
    if (!q.exec(sql) || !q.next())
        return QStringLiteral("?") + q.lastError().text();
    QStringList out;
    for (int i = 0; i < q.record().count(); ++i)
        out << QString::number(q.value(i).toLongLong());
    return out.join(QLatin1Char('/'));
}

bool copyTable(DbConnection& from, DbConnection& to, const Schema::Table& table, QString* error)
{
    QStringList names;
    for (const Schema::Column& c : table.columns)
        names << quoted(c.name);
    QSqlQuery read(from.database());
    read.setForwardOnly(true);
    if (!read.exec(QStringLiteral("SELECT ") + names.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") +
                   quoted(table.name))) {
        if (error)
            *error = read.lastError().text();
        return false;
    }
    // Many rows to one statement: a round trip per row would take a million customers an hour.
    constexpr int kRowsPerInsert = 500;
    const int columns = int(table.columns.size());
    const QString one = QLatin1Char('(') + QStringList(columns, QStringLiteral("?")).join(QLatin1Char(',')) +
                        QLatin1Char(')');
    const QString head = QStringLiteral("INSERT INTO ") + quoted(table.name) + QStringLiteral(" (") +
                         names.join(QStringLiteral(", ")) + QStringLiteral(") VALUES ");
    QSqlQuery write(to.database());
    QString preparedFor;
    std::vector<QVariant> batch;
    auto flush = [&]() {
        if (batch.empty())
            return true;
        const int rows = int(batch.size()) / columns;
        const QString sql = head + QStringList(rows, one).join(QLatin1Char(','));
        if (sql != preparedFor) {
            if (!write.prepare(sql)) {
                if (error)
                    *error = write.lastError().text();
                return false;
            }
            preparedFor = sql;
        }
        for (int i = 0; i < int(batch.size()); ++i)
            write.bindValue(i, batch[size_t(i)]);
        batch.clear();
        if (!write.exec()) {
            if (error)
                *error = table.name + QStringLiteral(": ") + write.lastError().text();
            return false;
        }
        return true;
    };
    while (read.next()) {
        for (int i = 0; i < columns; ++i) {
            QVariant v = read.value(i);
            if (table.columns[size_t(i)].type == Schema::ColType::Real && !v.isNull())
                v = QString::number(v.toDouble(), 'g', 15); // the decimal the file shows, not the binary
            batch.push_back(v);
        }
        if (int(batch.size()) >= kRowsPerInsert * columns && !flush())
            return false;
    }
    if (!flush())
        return false;
    for (const Schema::Column& c : table.columns) {
        if (c.type != Schema::ColType::Counter)
            continue;
        QSqlQuery q(to.database());
        if (!q.exec(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', '%2'), "
                                   "COALESCE((SELECT MAX(%3) FROM %1), 0) + 1, false)")
                        .arg(quoted(table.name), c.name, quoted(c.name)))) {
            if (error)
                *error = q.lastError().text();
            return false;
        }
    }
    return true;
}
} // namespace

namespace {
bool copyInto(DbConnection& from, DbConnection& to, const QString& address, const Progress& progress,
              QString* error);
} // namespace

bool CopyFromFile(const QString& mainFile, const QString& address, const Progress& progress, QString* error)
{
    auto tell = [&progress](int percent, const QString& step) {
        if (progress)
            progress(percent, step);
    };
    if (Schema::StoredVersion(mainFile, error) != Schema::kCurrentVersion) {
        if (error && error->isEmpty())
            *error = QStringLiteral("먼저 zelkova-db upgrade로 데이터베이스를 최신 형식으로 바꾸십시오: ") +
                     mainFile;
        return false;
    }
    DbConnection from;
    ErrInfo e;
    if (!from.open(mainFile, true, &e)) {
        if (error)
            *error = e.description;
        return false;
    }
    ServerAddress a;
    if (!ServerAddress::Parse(address, &a, error))
        return false;
    tell(0, QStringLiteral("서버에 데이터베이스를 만드는 중"));
    if (!createEmptyDatabase(a, error))
        return false;
    // A copy that stops half-way leaves no database behind: the next attempt starts afresh.
    bool copied = false;
    {
        DbConnection to;
        copied = copyInto(from, to, address, progress, error);
    }
    from.close();
    if (!copied)
        dropDatabase(a);
    return copied;
}

namespace {
bool copyInto(DbConnection& from, DbConnection& to, const QString& address, const Progress& progress,
              QString* error)
{
    auto tell = [&progress](int percent, const QString& step) {
        if (progress)
            progress(percent, step);
    };
    if (!Schema::OpenForLayout(to, address, error) || !createTables(to, false, error))
        return false;

    const auto& tables = Schema::MainTables();
    {
        DbTransaction t(to);
        if (!t.active()) {
            if (error)
                *error = t.error().description;
            return false;
        }
        for (size_t i = 0; i < tables.size(); ++i) {
            tell(5 + int(80 * i / tables.size()), tables[i].name + QStringLiteral(" 옮기는 중"));
            if (!copyTable(from, to, tables[i], error))
                return false;
        }
        tell(85, QStringLiteral("검색 색인을 만드는 중"));
        if (!Schema::RunStatements(to, DerivedStatements(), error))
            return false;
        if (!t.commit()) {
            if (error)
                *error = t.error().description;
            return false;
        }
    }
    // The planner knows nothing of the new rows until statistics are taken; without them the first hours of
    // work would run on guesses (a ledger several times slower).
    tell(90, QStringLiteral("통계를 만드는 중"));
    if (!Schema::RunStatements(to, {QStringLiteral("VACUUM (ANALYZE)")}, error))
        return false;
    tell(95, QStringLiteral("옮긴 자료를 확인하는 중"));
    for (const Schema::Table& t : tables) {
        const QString sql = QStringLiteral("SELECT COUNT(*) FROM ") + quoted(t.name);
        if (figures(from, sql) != figures(to, sql)) {
            if (error)
                *error = t.name + QStringLiteral(": 옮긴 행 수가 다릅니다.");
            return false;
        }
    }
    for (const QString& sql : invariantQueries()) {
        const QString f = figures(from, sql);
        const QString g = figures(to, sql);
        if (f != g) {
            if (error)
                *error = QStringLiteral("옮긴 합계가 다릅니다 (%1 / %2): %3").arg(f, g, sql);
            return false;
        }
    }
    tell(100, QStringLiteral("끝"));
    return true;
}
} // namespace
} // namespace ServerSchema
