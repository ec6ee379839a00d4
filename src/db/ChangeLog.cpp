#include "db/ChangeLog.h"

const QString kChangeLogTable = QStringLiteral("zk_변경");
const QString kChangeChannel = QStringLiteral("zk_change");

const QList<WatchedTable>& WatchedTables()
{
    static const QList<WatchedTable> tables = {
        {QStringLiteral("고객"), QStringLiteral("코드")},
        {QStringLiteral("가맹점"), QStringLiteral("코드")},
        {QStringLiteral("취급메뉴"), QStringLiteral("가맹점코드")},
        {QStringLiteral("가맹점휴일"), QStringLiteral("가맹점코드")},
        {QStringLiteral("주문"), QStringLiteral("주문번호")},
        {QStringLiteral("주문내역"), QStringLiteral("주문번호")},
        {QStringLiteral("입금"), QStringLiteral("처리순번")},
        {QStringLiteral("서비스"), QStringLiteral("처리순번")},
    };
    return tables;
}

namespace {
// The log row for one side (NEW or OLD) of a row of a watched table.
QString logRow(const WatchedTable& t, const QString& side)
{
    return QStringLiteral("INSERT INTO \"zk_변경\" (\"테이블\", \"키\", \"시각\") VALUES ('%1', "
                          "CAST(%2.\"%3\" AS TEXT), CAST(strftime('%s', 'now') AS INTEGER));")
        .arg(t.table, side, t.keyColumn);
}
} // namespace

QStringList ChangeLogDdl()
{
    QStringList out = {
        QStringLiteral("CREATE TABLE IF NOT EXISTS \"zk_변경\" (\"번호\" INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "\"테이블\" TEXT NOT NULL, \"키\" TEXT, \"시각\" INTEGER NOT NULL)"),
        // Pruning rides on every 500th row, so an idle seat never writes and the log stays a few pages.
        QStringLiteral(
            "CREATE TRIGGER IF NOT EXISTS \"zk_변경_정리\" AFTER INSERT ON \"zk_변경\" WHEN "
            "NEW.\"번호\" % 500 = 0 BEGIN DELETE FROM \"zk_변경\" WHERE \"번호\" <= NEW.\"번호\" - "
            "1000 AND \"시각\" < NEW.\"시각\" - 600; END"),
    };
    for (const WatchedTable& t : WatchedTables()) {
        const QString name = QStringLiteral("zk_변경_") + t.table;
        out << QStringLiteral("CREATE TRIGGER IF NOT EXISTS \"%1_추가\" AFTER INSERT ON \"%2\" BEGIN %3 END")
                   .arg(name, t.table, logRow(t, QStringLiteral("NEW")))
            << QStringLiteral("CREATE TRIGGER IF NOT EXISTS \"%1_삭제\" AFTER DELETE ON \"%2\" BEGIN %3 END")
                   .arg(name, t.table, logRow(t, QStringLiteral("OLD")))
            << QStringLiteral("CREATE TRIGGER IF NOT EXISTS \"%1_수정\" AFTER UPDATE ON \"%2\" BEGIN %3 "
                              "INSERT INTO \"zk_변경\" (\"테이블\", \"키\", \"시각\") SELECT '%4', "
                              "CAST(OLD.\"%5\" AS TEXT), CAST(strftime('%s', 'now') AS INTEGER) WHERE "
                              "OLD.\"%5\" IS NOT NEW.\"%5\"; END")
                   .arg(name, t.table, logRow(t, QStringLiteral("NEW")), t.table, t.keyColumn);
    }
    return out;
}

QStringList ChangeLogServerDdl()
{
    QStringList out = {QStringLiteral(
        "CREATE OR REPLACE FUNCTION \"zk_변경알림\"() RETURNS trigger LANGUAGE plpgsql AS $f$ "
        "DECLARE k_new text; k_old text; BEGIN "
        "IF TG_OP <> 'DELETE' THEN k_new := to_jsonb(NEW) ->> TG_ARGV[0]; "
        "PERFORM pg_notify('zk_change', TG_TABLE_NAME || chr(9) || COALESCE(k_new, '')); END IF; "
        "IF TG_OP <> 'INSERT' THEN k_old := to_jsonb(OLD) ->> TG_ARGV[0]; "
        "IF TG_OP = 'DELETE' OR k_old IS DISTINCT FROM k_new THEN "
        "PERFORM pg_notify('zk_change', TG_TABLE_NAME || chr(9) || COALESCE(k_old, '')); END IF; END IF; "
        "RETURN NULL; END $f$")};
    for (const WatchedTable& t : WatchedTables()) {
        out << QStringLiteral("CREATE OR REPLACE TRIGGER \"zk_변경_%1\" AFTER INSERT OR UPDATE OR DELETE ON "
                              "\"%1\" FOR EACH ROW EXECUTE FUNCTION \"zk_변경알림\"('%2')")
                   .arg(t.table, t.keyColumn);
    }
    return out;
}
