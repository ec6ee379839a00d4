#include "db/Schema.h"

#include "db/ChangeLog.h"
#include "db/CustomerPhoneDigits.h"
#include "db/CustomerPhoneIndex.h"
#include "db/CustomerTextIndex.h"
#include "db/DbConnection.h"
#include "db/StoreDailySums.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUuid>
#include <QVariant>

namespace Schema {

const QString kMainFileName = QStringLiteral("dbMain.mdb");
const QString kReportTemplate = QStringLiteral("DBS/dbReport_SRC.mdb");
const QString kReportWorkCopy = QStringLiteral("DBS/dbReport.mdb");
const QString kPostFile = QStringLiteral("dbs/dbPost.mdb");

namespace {
using T = ColType;

Column c(const char* name, ColType type)
{
    return {QString::fromUtf8(name), type};
}

QStringList l(std::initializer_list<const char*> names)
{
    QStringList out;
    for (const char* n : names)
        out << QString::fromUtf8(n);
    return out;
}

ForeignKey fk(std::initializer_list<const char*> cols, const char* table,
              std::initializer_list<const char*> refs, bool cascade = false)
{
    return {l(cols), QString::fromUtf8(table), l(refs), cascade};
}

std::vector<Table> buildMain()
{
    std::vector<Table> t;
    t.push_back({QStringLiteral("고객"),
                 {c("코드", T::Text), c("전화1", T::Text), c("전화2", T::Text), c("전화3", T::Text),
                  c("전화4", T::Text), c("우편번호", T::Text), c("주소1", T::Text), c("주소2", T::Text),
                  c("현포인트", T::Integer), c("기초포인트", T::Integer), c("메모", T::Text)},
                 l({"코드"}),
                 {},
                 // The list index gives the customer list in address order without a sort, and holds the
                 // numbers too, so a search of the list with many rows reads nothing else. Searches that
                 // find few rows sort them instead ("ORDER BY +주소1"): a walk of the index would test every
                 // customer.
                 {l({"전화1"}), l({"전화2"}), l({"전화3"}), l({"전화4"}),
                  l({"주소1", "주소2", "코드", "전화1", "전화2", "전화3", "전화4"})}});
    t.push_back({QStringLiteral("가맹점"),
                 {c("코드", T::Text), c("상호", T::Text), c("전화1", T::Text), c("전화2", T::Text),
                  c("전화3", T::Text), c("전화4", T::Text), c("우편번호", T::Text), c("주소1", T::Text),
                  c("주소2", T::Text), c("수수료율", T::Real), c("현잔액", T::Real), c("기초잔액", T::Real),
                  c("메모", T::Text), c("영업시작", T::Text), c("영업종료", T::Text)},
                 l({"코드"}),
                 {},
                 {l({"상호"})}});
    t.push_back({QStringLiteral("취급메뉴"),
                 {c("코드", T::Counter), c("메뉴명", T::Text), c("가맹점코드", T::Text),
                  c("판매단가", T::Integer), c("메모", T::Text)},
                 {},
                 {fk({"가맹점코드"}, "가맹점", {"코드"})},
                 {l({"가맹점코드", "메뉴명"})}});
    t.push_back(
        {QStringLiteral("주문"),
         {c("주문번호", T::Stamp), c("고객코드", T::Text), c("주문시전화", T::Text), c("가맹점코드", T::Text),
          c("주문일자", T::Stamp), c("주문시간", T::Stamp), c("통보시간", T::Stamp)},
         l({"주문번호"}),
         {fk({"고객코드"}, "고객", {"코드"}), fk({"가맹점코드"}, "가맹점", {"코드"})},
         // The second index holds a customer's orders newest last (the history on a call reads it backwards);
         // the third everything a store's ledger reads of its orders, in the order it reads them.
         {l({"주문일자", "주문시간"}), l({"고객코드", "주문일자", "주문시간", "주문번호"}),
          l({"가맹점코드", "주문일자", "주문시간", "주문번호"})}});
    t.push_back({QStringLiteral("주문내역"),
                 {c("주문번호", T::Stamp), c("순번", T::Integer), c("주문메뉴", T::Integer),
                  c("수량", T::Integer), c("단가", T::Integer), c("금액", T::Integer), c("수수료", T::Real),
                  c("메모", T::Text), c("포인트", T::Integer)},
                 l({"주문번호", "순번"}),
                 {fk({"주문번호"}, "주문", {"주문번호"}, true), fk({"주문메뉴"}, "취급메뉴", {"코드"})},
                 {l({"주문메뉴"})}});
    t.push_back({QStringLiteral("입금"),
                 {c("처리순번", T::Counter), c("가맹점코드", T::Text), c("입금일자", T::Stamp),
                  c("입금액", T::Integer), c("할인액", T::Integer), c("메모", T::Text)},
                 {},
                 {fk({"가맹점코드"}, "가맹점", {"코드"})},
                 {l({"가맹점코드"}), l({"입금일자"})}});
    t.push_back({QStringLiteral("서비스"),
                 {c("처리순번", T::Counter), c("고객코드", T::Text), c("서비스일", T::Text),
                  c("차감포인트", T::Integer), c("메모", T::Text)},
                 {},
                 {fk({"고객코드"}, "고객", {"코드"})},
                 {l({"고객코드"}), l({"서비스일"})}});
    t.push_back({QStringLiteral("가맹점휴일"),
                 {c("순번", T::Counter), c("가맹점코드", T::Text), c("일자", T::Text),
                  c("반복구분", T::Integer), c("메모", T::Text)},
                 {},
                 {fk({"가맹점코드"}, "가맹점", {"코드"})},
                 {l({"가맹점코드"})}});
    t.push_back(
        {QStringLiteral("환경설정"), {c("구분", T::Text), c("설정값", T::Text)}, l({"구분"}), {}, {}});
    t.push_back({QStringLiteral("보안설정"),
                 {c("폼이름", T::Text), c("폼설명", T::Text), c("사용권한", T::Integer), c("메모", T::Text)},
                 l({"폼이름"}),
                 {},
                 {}});
    t.push_back(
        {QStringLiteral("사용자정보"),
         {c("상호명", T::Text), c("대표자명", T::Text), c("사업자번호", T::Text), c("우편번호", T::Text),
          c("주소일반", T::Text), c("주소상세", T::Text), c("전화번호", T::Text), c("팩스번호", T::Text),
          c("업태", T::Text), c("종목", T::Text), c("자료등록일자", T::Text), c("최종수정일", T::Text)},
         {},
         {},
         {}});
    return t;
}

std::vector<Table> buildReport()
{
    return {{QStringLiteral("매출대입금"),
             {c("순번", T::Counter), c("가맹점코드", T::Text), c("상호", T::Text), c("일자", T::Text),
              c("메뉴명", T::Text), c("수량", T::Integer), c("단가", T::Integer), c("할인액", T::Integer),
              c("수수료", T::Real), c("입금액", T::Integer), c("잔액", T::Real)},
             {},
             {},
             {l({"가맹점코드", "일자"})}}};
}

std::vector<Table> buildPost()
{
    return {{QStringLiteral("Post"),
             {c("ZIPCODE", T::Text), c("SIDO", T::Text), c("GUGUN", T::Text), c("DONG", T::Text),
              c("BUNJI", T::Text)},
             {},
             {},
             {l({"DONG"}), l({"ZIPCODE"})}}};
}

QString quoted(const QString& ident)
{
    return QLatin1Char('"') + ident + QLatin1Char('"');
}

QString joinQuoted(const QStringList& idents)
{
    QStringList q;
    for (const QString& i : idents)
        q << quoted(i);
    return q.join(QStringLiteral(", "));
}

// The fifth index of 고객 (the list index) as CreateStatements names it, for files made before it was listed.
const QString kListIndexDdl =
    QStringLiteral("CREATE INDEX IF NOT EXISTS \"ix_고객_5\" ON \"고객\" (\"주소1\", "
                   "\"주소2\", \"코드\", \"전화1\", \"전화2\", \"전화3\", \"전화4\")");

} // namespace

QStringList OrderStoreIndexUpgrade()
{
    return {
        QStringLiteral("DROP INDEX IF EXISTS \"ix_주문_3\""),
        QStringLiteral("CREATE INDEX \"ix_주문_3\" ON \"주문\" (\"가맹점코드\", \"주문일자\", \"주문시간\", "
                       "\"주문번호\")")};
}

QStringList OrderCustomerIndexUpgrade()
{
    return {
        QStringLiteral("DROP INDEX IF EXISTS \"ix_주문_2\""),
        QStringLiteral("CREATE INDEX \"ix_주문_2\" ON \"주문\" (\"고객코드\", \"주문일자\", \"주문시간\", "
                       "\"주문번호\")")};
}

bool RunStatements(DbConnection& conn, const QStringList& statements, QString* error)
{
    QSqlQuery q(conn.database());
    for (const QString& s : statements) {
        if (const std::optional<ErrInfo> fault = conn.injectedFault(s)) {
            if (error)
                *error = fault->description + QStringLiteral(" — ") + s;
            return false;
        }
        if (!q.exec(s)) {
            if (error)
                *error = q.lastError().text() + QStringLiteral(" — ") + s;
            return false;
        }
    }
    return true;
}

bool RunStatementsAtOnce(DbConnection& conn, const QStringList& statements, QString* error)
{
    DbTransaction t(conn);
    if (t.active() && RunStatements(conn, statements, error) && t.commit())
        return true;
    if (error && error->isEmpty())
        *error = t.error().description;
    return false;
}

bool OpenForLayout(DbConnection& conn, const QString& where, QString* error)
{
    ErrInfo e;
    if (conn.open(where, false, &e))
        return true;
    if (error)
        *error = e.description;
    return false;
}

namespace {
// A plain connection for the journal switch and the version read (no pragmas of its own), removed again
// when the scope ends.
class SchemaConnection
{
public:
    // Opened without the engine's create flag: a file that vanished is not made again.
    explicit SchemaConnection(const QString& path)
        : m_name(QStringLiteral("zk_schema_") + QUuid::createUuid().toString(QUuid::Id128))
    {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        m_db.setDatabaseName(
            QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded) +
            QStringLiteral("?mode=rw"));
        m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=15000"));
    }
    ~SchemaConnection()
    {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase& db() { return m_db; }

private:
    QString m_name;
    QSqlDatabase m_db;
};
} // namespace

const std::vector<Table>& MainTables()
{
    static const std::vector<Table> t = buildMain();
    return t;
}

const std::vector<Table>& ReportTables()
{
    static const std::vector<Table> t = buildReport();
    return t;
}

const std::vector<Table>& PostTables()
{
    static const std::vector<Table> t = buildPost();
    return t;
}

QStringList CreateStatements(const Table& table, Engine engine)
{
    const bool server = engine == Engine::Server;
    QStringList defs;
    for (const Column& col : table.columns) {
        QString d = quoted(col.name) + QLatin1Char(' ');
        switch (col.type) {
        // Text compares without regard to letter case, as the screens' searches expect.
        case ColType::Text:
            d += server ? QStringLiteral("CITEXT DEFAULT ''")
                        : QStringLiteral("TEXT COLLATE NOCASE DEFAULT ''");
            break;
        case ColType::Stamp:
            d += server ? QStringLiteral("TEXT COLLATE \"C\" DEFAULT ''")
                        : QStringLiteral("TEXT COLLATE NOCASE DEFAULT ''");
            break;
        case ColType::Integer:
            d += server ? QStringLiteral("BIGINT DEFAULT 0") : QStringLiteral("INTEGER DEFAULT 0");
            break;
        case ColType::Real:
            // A server sums balances exactly.
            d += server ? QStringLiteral("NUMERIC DEFAULT 0") : QStringLiteral("REAL DEFAULT 0");
            break;
        case ColType::Counter:
            d += server ? QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")
                        : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
            break;
        }
        if (table.primaryKey.size() == 1 && table.primaryKey.first() == col.name)
            d += QStringLiteral(" NOT NULL PRIMARY KEY");
        defs << d;
    }
    if (table.primaryKey.size() > 1)
        defs << QStringLiteral("PRIMARY KEY (") + joinQuoted(table.primaryKey) + QLatin1Char(')');
    for (const ForeignKey& f : table.foreignKeys) {
        defs << QStringLiteral("FOREIGN KEY (") + joinQuoted(f.columns) + QStringLiteral(") REFERENCES ") +
                    quoted(f.refTable) + QStringLiteral(" (") + joinQuoted(f.refColumns) + QLatin1Char(')') +
                    (f.cascadeDelete ? QStringLiteral(" ON DELETE CASCADE") : QString());
    }
    QStringList out;
    out << QStringLiteral("CREATE TABLE ") + quoted(table.name) + QStringLiteral(" (\n  ") +
               defs.join(QStringLiteral(",\n  ")) + QStringLiteral("\n)");
    int n = 0;
    for (const QStringList& idx : table.indexes) {
        out << QStringLiteral("CREATE INDEX ") + quoted(QStringLiteral("ix_%1_%2").arg(table.name).arg(++n)) +
                   QStringLiteral(" ON ") + quoted(table.name) + QStringLiteral(" (") + joinQuoted(idx) +
                   QLatin1Char(')');
    }
    return out;
}

bool CreateDatabaseFile(const QString& path, const std::vector<Table>& tables, int version, QString* error)
{
    // The file is made empty first, and only when no file of that name exists: the connection then opens it
    // as any other and starts it in the write-ahead log.
    QFile empty(path);
    if (!empty.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (error)
            *error = QFileInfo::exists(path) ? QStringLiteral("이미 있는 파일입니다: ") + path
                                             : empty.errorString() + QStringLiteral(" — ") + path;
        return false;
    }
    empty.close();
    QStringList statements;
    for (const Table& t : tables)
        statements << CreateStatements(t);
    if (version > 0) {
        // The main database also carries the reversed telephone numbers the customer search runs on.
        statements << CustomerPhoneIndexDdl() << CustomerTextIndexDdl() << StoreDailySumsDdl()
                   << CustomerPhoneDigitsDdl() << ChangeLogDdl();
        statements << QStringLiteral("CREATE TABLE zk_schema (version INTEGER NOT NULL)")
                   << QStringLiteral("INSERT INTO zk_schema (version) VALUES (%1)").arg(version);
    }
    bool made = false;
    {
        DbConnection conn;
        made = OpenForLayout(conn, path, error) && RunStatementsAtOnce(conn, statements, error);
    }
    // A file left without its tables would be taken for a database by the next attempt.
    if (!made)
        for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(path + suffix);
    return made;
}

bool UsesWriteAheadLog(const QString& path)
{
    // Bytes 18 and 19 of the header are the write and read versions: 2 in write-ahead-log mode.
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = f.read(20);
    return header.size() == 20 && header.startsWith("SQLite format 3") && header.at(18) == 2;
}

bool SetSharedJournal(const QString& path, bool shared, QString* error)
{
    SchemaConnection conn(path);
    if (!conn.db().open()) {
        if (error)
            *error = conn.db().lastError().text();
        return false;
    }
    QSqlQuery q(conn.db());
    const QString mode = shared ? QStringLiteral("DELETE") : QStringLiteral("WAL");
    if (!q.exec(QStringLiteral("PRAGMA journal_mode = ") + mode) || !q.next() ||
        q.value(0).toString().compare(mode, Qt::CaseInsensitive) != 0) {
        if (error)
            *error = QStringLiteral("다른 프로그램이 데이터베이스를 쓰고 있어 바꾸지 못했습니다: ") + path;
        return false;
    }
    return true;
}

int StoredVersion(const QString& path, QString* error)
{
    SchemaConnection conn(path);
    if (!conn.db().open()) {
        if (error)
            *error = conn.db().lastError().text();
        return -1;
    }
    QSqlQuery q(conn.db());
    if (!q.exec(QStringLiteral("SELECT version FROM zk_schema")) || !q.next())
        return 0;
    return q.value(0).toInt();
}

bool Upgrade(const QString& path, QString* error)
{
    const int stored = StoredVersion(path, error);
    if (stored < 0)
        return false;
    if (stored >= kCurrentVersion)
        return true;
    DbConnection conn;
    return OpenForLayout(conn, path, error) && Upgrade(conn, error);
}

bool Upgrade(DbConnection& conn, QString* error)
{
    int stored = 0;
    {
        QSqlQuery q(conn.database());
        if (q.exec(QStringLiteral("SELECT version FROM zk_schema")) && q.next())
            stored = q.value(0).toInt();
    }
    if (stored >= kCurrentVersion)
        return true;
    QStringList steps;
    if (stored == 0) // a file made before the version table existed
        steps << QStringLiteral("CREATE TABLE IF NOT EXISTS zk_schema (version INTEGER NOT NULL)")
              << QStringLiteral("DELETE FROM zk_schema")
              << QStringLiteral("INSERT INTO zk_schema VALUES (0)");
    // Later layouts add their steps here, each ending with the version it reaches.
    if (stored < 2)
        steps << CustomerPhoneIndexDdl();
    if (stored < 3)
        steps << kListIndexDdl << CustomerTextIndexDdl();
    if (stored < 4)
        steps << OrderStoreIndexUpgrade() << StoreDailySumsDdl();
    if (stored < 5)
        steps << CustomerPhoneDigitsDdl();
    if (stored < 6)
        steps << ChangeLogDdl();
    if (stored < 7)
        steps << OrderCustomerIndexUpgrade();
    steps << QStringLiteral("UPDATE zk_schema SET version = %1").arg(kCurrentVersion);
    return RunStatementsAtOnce(conn, steps, error);
}
} // namespace Schema
