#include "db/StoreDailySums.h"

const QString kStoreDailySumsTable = QStringLiteral("가맹점일별수수료");

namespace {
// A line's commission as booked: whole won, a missing value as 0. SQLite's ROUND and PostgreSQL's round of a
// NUMERIC both round halves away from zero.
QString booked(const QString& column, const QString& integerType)
{
    return QStringLiteral("CAST(ROUND(COALESCE(%1, 0)) AS %2)").arg(column, integerType);
}

// Lines are summed per order first: they are read in storage order, each order looked up once.
QString refill(const QString& integerType)
{
    return QStringLiteral("INSERT INTO \"가맹점일별수수료\" (\"가맹점코드\", \"일자\", \"수수료\") "
                          "SELECT o.\"가맹점코드\", o.\"주문일자\", SUM(l.\"수수료\") FROM (SELECT "
                          "\"주문번호\", SUM(%1) AS \"수수료\" FROM \"주문내역\" GROUP BY \"주문번호\") l "
                          "INNER JOIN \"주문\" o ON o.\"주문번호\" = l.\"주문번호\" "
                          "WHERE o.\"가맹점코드\" IS NOT NULL AND o.\"주문일자\" IS NOT NULL "
                          "GROUP BY o.\"가맹점코드\", o.\"주문일자\"")
        .arg(booked(QStringLiteral("\"수수료\""), integerType));
}
} // namespace

QStringList StoreDailySumsDdl()
{
    const QString line = QStringLiteral("INTEGER");
    // Adds a line's commission to its order's store and date (when the order is there).
    auto add = [&line](const QString& row) {
        return QStringLiteral("INSERT INTO \"가맹점일별수수료\" (\"가맹점코드\", \"일자\", \"수수료\") "
                              "SELECT \"가맹점코드\", \"주문일자\", %1 FROM \"주문\" WHERE \"주문번호\" = "
                              "%2.\"주문번호\" AND \"가맹점코드\" IS NOT NULL AND \"주문일자\" IS NOT NULL "
                              "ON CONFLICT (\"가맹점코드\", \"일자\") DO UPDATE SET \"수수료\" = "
                              "\"수수료\" + excluded.\"수수료\";")
            .arg(booked(row + QStringLiteral(".\"수수료\""), line), row);
    };
    const QString takeOld =
        QStringLiteral("UPDATE \"가맹점일별수수료\" SET \"수수료\" = \"수수료\" - %1 WHERE (\"가맹점코드\", "
                       "\"일자\") IN (SELECT \"가맹점코드\", \"주문일자\" FROM \"주문\" WHERE \"주문번호\" = "
                       "OLD.\"주문번호\");")
            .arg(booked(QStringLiteral("OLD.\"수수료\""), line));
    auto orderLines = [&line](const QString& row) {
        return QStringLiteral(
                   "(SELECT COALESCE(SUM(%1), 0) FROM \"주문내역\" WHERE \"주문번호\" = %2.\"주문번호\")")
            .arg(booked(QStringLiteral("\"수수료\""), line), row);
    };
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS \"가맹점일별수수료\" (\"가맹점코드\" TEXT COLLATE NOCASE "
                       "NOT NULL, \"일자\" TEXT COLLATE NOCASE NOT NULL, \"수수료\" INTEGER NOT NULL "
                       "DEFAULT 0, PRIMARY KEY (\"가맹점코드\", \"일자\")) WITHOUT ROWID"),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS \"zk_일별수수료_내역추가\" AFTER INSERT ON \"주문내역\" "
                       "BEGIN ") +
            add(QStringLiteral("NEW")) + QStringLiteral(" END"),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS \"zk_일별수수료_내역삭제\" AFTER DELETE ON \"주문내역\" "
                       "BEGIN ") +
            takeOld + QStringLiteral(" END"),
        QStringLiteral(
            "CREATE TRIGGER IF NOT EXISTS \"zk_일별수수료_내역수정\" AFTER UPDATE OF \"주문번호\", "
            "\"수수료\" ON \"주문내역\" BEGIN ") +
            takeOld + QLatin1Char(' ') + add(QStringLiteral("NEW")) + QStringLiteral(" END"),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS \"zk_일별수수료_주문삭제\" BEFORE DELETE ON \"주문\" "
                       "BEGIN DELETE FROM \"주문내역\" WHERE \"주문번호\" = OLD.\"주문번호\"; END"),
        QStringLiteral(
            "CREATE TRIGGER IF NOT EXISTS \"zk_일별수수료_주문수정\" AFTER UPDATE OF \"가맹점코드\", "
            "\"주문일자\" ON \"주문\" BEGIN UPDATE \"가맹점일별수수료\" SET \"수수료\" = \"수수료\" - "
            "%1 WHERE \"가맹점코드\" = OLD.\"가맹점코드\" AND \"일자\" = OLD.\"주문일자\"; "
            "INSERT INTO \"가맹점일별수수료\" (\"가맹점코드\", \"일자\", \"수수료\") SELECT "
            "NEW.\"가맹점코드\", NEW.\"주문일자\", %2 WHERE NEW.\"가맹점코드\" IS NOT NULL AND "
            "NEW.\"주문일자\" IS NOT NULL ON CONFLICT (\"가맹점코드\", \"일자\") DO UPDATE SET "
            "\"수수료\" = \"수수료\" + excluded.\"수수료\"; END")
            .arg(orderLines(QStringLiteral("OLD")), orderLines(QStringLiteral("NEW"))),
        QStringLiteral("DELETE FROM \"가맹점일별수수료\""),
        refill(line),
    };
}

QStringList StoreDailySumsServerDdl()
{
    const QString line = QStringLiteral("BIGINT");
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS \"가맹점일별수수료\" (\"가맹점코드\" CITEXT NOT NULL, "
                       "\"일자\" CITEXT NOT NULL, \"수수료\" BIGINT NOT NULL DEFAULT 0, PRIMARY KEY "
                       "(\"가맹점코드\", \"일자\"))"),
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION \"zk_일별수수료_더함\"(p_store CITEXT, p_day TEXT, p_amount "
            "BIGINT) "
            "RETURNS void LANGUAGE plpgsql AS $f$ BEGIN "
            "IF p_store IS NULL OR p_day IS NULL THEN RETURN; END IF; "
            "INSERT INTO \"가맹점일별수수료\" (\"가맹점코드\", \"일자\", \"수수료\") VALUES (p_store, p_day, "
            "p_amount) ON CONFLICT (\"가맹점코드\", \"일자\") DO UPDATE SET \"수수료\" = "
            "\"가맹점일별수수료\".\"수수료\" + EXCLUDED.\"수수료\"; END $f$"),
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION \"zk_일별수수료_내역\"() RETURNS trigger LANGUAGE plpgsql AS $f$ "
            "DECLARE v_store CITEXT; v_day CITEXT; BEGIN "
            "IF TG_OP IN ('UPDATE', 'DELETE') THEN "
            "SELECT \"가맹점코드\", \"주문일자\" INTO v_store, v_day FROM \"주문\" WHERE \"주문번호\" = "
            "OLD.\"주문번호\"; "
            "IF FOUND THEN PERFORM \"zk_일별수수료_더함\"(v_store, v_day, -%1); END IF; END IF; "
            "IF TG_OP IN ('UPDATE', 'INSERT') THEN "
            "SELECT \"가맹점코드\", \"주문일자\" INTO v_store, v_day FROM \"주문\" WHERE \"주문번호\" = "
            "NEW.\"주문번호\"; "
            "IF FOUND THEN PERFORM \"zk_일별수수료_더함\"(v_store, v_day, %2); END IF; END IF; "
            "RETURN NULL; END $f$")
            .arg(booked(QStringLiteral("OLD.\"수수료\""), line),
                 booked(QStringLiteral("NEW.\"수수료\""), line)),
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION \"zk_일별수수료_주문\"() RETURNS trigger LANGUAGE plpgsql AS $f$ "
            "DECLARE v_sum BIGINT; BEGIN "
            "IF TG_OP = 'DELETE' THEN "
            "DELETE FROM \"주문내역\" WHERE \"주문번호\" = OLD.\"주문번호\"; RETURN OLD; END IF; "
            "IF NEW.\"가맹점코드\" IS DISTINCT FROM OLD.\"가맹점코드\" OR NEW.\"주문일자\" IS DISTINCT FROM "
            "OLD.\"주문일자\" THEN "
            "SELECT COALESCE(SUM(%1), 0) INTO v_sum FROM \"주문내역\" WHERE \"주문번호\" = NEW.\"주문번호\"; "
            "PERFORM \"zk_일별수수료_더함\"(OLD.\"가맹점코드\", OLD.\"주문일자\", -v_sum); "
            "PERFORM \"zk_일별수수료_더함\"(NEW.\"가맹점코드\", NEW.\"주문일자\", v_sum); END IF; "
            "RETURN NULL; END $f$")
            .arg(booked(QStringLiteral("\"수수료\""), line)),
        QStringLiteral("CREATE OR REPLACE TRIGGER \"zk_일별수수료_내역\" AFTER INSERT OR DELETE OR UPDATE OF "
                       "\"주문번호\", \"수수료\" ON \"주문내역\" FOR EACH ROW EXECUTE FUNCTION "
                       "\"zk_일별수수료_내역\"()"),
        QStringLiteral(
            "CREATE OR REPLACE TRIGGER \"zk_일별수수료_주문삭제\" BEFORE DELETE ON \"주문\" FOR EACH "
            "ROW EXECUTE FUNCTION \"zk_일별수수료_주문\"()"),
        QStringLiteral("CREATE OR REPLACE TRIGGER \"zk_일별수수료_주문수정\" AFTER UPDATE OF \"가맹점코드\", "
                       "\"주문일자\" ON \"주문\" FOR EACH ROW EXECUTE FUNCTION \"zk_일별수수료_주문\"()"),
        QStringLiteral("DELETE FROM \"가맹점일별수수료\""),
        refill(line),
    };
}
