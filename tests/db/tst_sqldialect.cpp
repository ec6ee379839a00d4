#include "db/DbConnection.h"
#include "db/SqlDialect.h"
#include "support/TestDatabase.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// Translation of Jet SQL text into each engine's dialect, checked on its text and by running it on a real
// database (a file, or the test server in the suite's server run).
class TestSqlDialect : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void translate_data();
    void translate();
    void singleStatement_data();
    void singleStatement();
    void runsOnEngine_data();
    void runsOnEngine();

private:
    SqliteDialect m_dialect;
    PostgresDialect m_server;
};

void TestSqlDialect::translate_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite");
    QTest::addColumn<QString>("server");
    QTest::newRow("delete star") << "DELETE * FROM 매출대입금"
                                 << "DELETE FROM 매출대입금"
                                 << "DELETE FROM 매출대입금";
    QTest::newRow("delete star lower") << "delete  *  from t"
                                       << "delete  from t"
                                       << "delete  from t";
    QTest::newRow("mid") << "SELECT * FROM 주문 WHERE MID(주문번호,7,1) = '1'"
                         << "SELECT * FROM 주문 WHERE SUBSTR(주문번호,7,1) = '1'"
                         << "SELECT * FROM 주문 WHERE SUBSTR(주문번호,7,1) = '1'";
    QTest::newRow("ucase") << "WHERE UCASE(폼이름) = 'A'"
                           << "WHERE ZK_UCASE(폼이름) = 'A'"
                           << "WHERE ZK_UCASE(폼이름) = 'A'";
    QTest::newRow("concat columns") << "주소1 & ' ' & 주소2='a b'"
                                    << "IFNULL(주소1,'') || ' ' || IFNULL(주소2,'')='a b'"
                                    << "COALESCE(CAST(주소1 AS TEXT),'') || ' ' || "
                                       "COALESCE(CAST(주소2 AS TEXT),'')='a b'";
    QTest::newRow("concat qualified and call") << "c.주소1 & UCASE(x)"
                                               << "IFNULL(c.주소1,'') || IFNULL(ZK_UCASE(x),'')"
                                               << "COALESCE(CAST(c.주소1 AS TEXT),'') || "
                                                  "COALESCE(CAST(ZK_UCASE(x) AS TEXT),'')";
    QTest::newRow("concat chain of three")
        << "a & b & c"
        << "IFNULL(a,'') || IFNULL(b,'') || IFNULL(c,'')"
        << "COALESCE(CAST(a AS TEXT),'') || COALESCE(CAST(b AS TEXT),'') || "
           "COALESCE(CAST(c AS TEXT),'')";
    QTest::newRow("ampersand inside literal untouched") << "SELECT 'R&D' & x"
                                                        << "SELECT 'R&D' || IFNULL(x,'')"
                                                        << "SELECT 'R&D' || COALESCE(CAST(x AS TEXT),'')";
    QTest::newRow("keywords inside literal untouched")
        << "UPDATE t SET m = 'DELETE * FROM MID(UCASE LIKE' WHERE k = 'it''s'"
        << "UPDATE t SET m = 'DELETE * FROM MID(UCASE LIKE' WHERE k = 'it''s'"
        << "UPDATE t SET m = 'DELETE * FROM MID(UCASE LIKE' WHERE k = 'it''s'";
    QTest::newRow("double-quoted literal") << "WHERE a = \"it's\""
                                           << "WHERE a = 'it''s'"
                                           << "WHERE a = 'it''s'";
    QTest::newRow("bracket identifier") << "SELECT [주문 번호], [Post].[ZIPCODE] FROM t"
                                        << "SELECT \"주문 번호\", \"Post\".\"ZIPCODE\" FROM t"
                                        << "SELECT \"주문 번호\", \"post\".\"zipcode\" FROM t";
    QTest::newRow("top") << "SELECT TOP 5 * FROM t ORDER BY a;"
                         << "SELECT * FROM t ORDER BY a LIMIT 5;"
                         << "SELECT * FROM t ORDER BY a LIMIT 5;";
    QTest::newRow("booleans") << "WHERE a = True OR b = False"
                              << "WHERE a = 1 OR b = 0"
                              << "WHERE a = 1 OR b = 0";
    QTest::newRow("column named like a function") << "SELECT mid FROM t"
                                                  << "SELECT mid FROM t"
                                                  << "SELECT mid FROM t";
    QTest::newRow("like ignores case") << "WHERE a LIKE 'x%' AND b NOT LIKE 'y%' ESCAPE '\\'"
                                       << "WHERE a LIKE 'x%' AND b NOT LIKE 'y%' ESCAPE '\\'"
                                       << "WHERE a ILIKE 'x%' AND b NOT ILIKE 'y%' ESCAPE '\\'";
    QTest::newRow("planner hints") << "SELECT k FROM t INDEXED BY ix_t_1 ORDER BY +a, +b"
                                   << "SELECT k FROM t INDEXED BY ix_t_1 ORDER BY +a, +b"
                                   << "SELECT k FROM t  ORDER BY a, b";
    QTest::newRow("null to empty") << "SELECT Nz(a, '') FROM t"
                                   << "SELECT IFNULL(a, '') FROM t"
                                   << "SELECT COALESCE(a, '') FROM t";
}

void TestSqlDialect::translate()
{
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    QFETCH(QString, server);
    QCOMPARE(m_dialect.translate(jet), sqlite);
    QCOMPARE(m_server.translate(jet), server);
}

void TestSqlDialect::singleStatement_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("single");
    QTest::newRow("plain") << "SELECT 1" << true;
    QTest::newRow("closing semicolon") << "DELETE FROM t; " << true;
    QTest::newRow("semicolon in a literal") << "SELECT 'a;b' FROM t" << true;
    QTest::newRow("second statement") << "SELECT 1; DROP TABLE t" << false;
    QTest::newRow("comment") << "SELECT 1 -- x" << false;
    QTest::newRow("block comment") << "SELECT 1 /* x */" << false;
    QTest::newRow("dollar quote") << "SELECT $$'$$; DROP TABLE t" << false;
}

void TestSqlDialect::singleStatement()
{
    QFETCH(QString, sql);
    QFETCH(bool, single);
    QCOMPARE(IsSingleStatement(sql), single);
}

void TestSqlDialect::runsOnEngine_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("expected"); // first column of the first row

    QTest::newRow("& joins texts, Null as empty") << "SELECT a & '-' & n FROM t WHERE k = 1"
                                                  << "abc-";
    QTest::newRow("= ignores letter case") << "SELECT COUNT(*) FROM t WHERE a = 'ABC'"
                                           << "1";
    QTest::newRow("LIKE ignores letter case") << "SELECT COUNT(*) FROM t WHERE a LIKE 'AB%'"
                                              << "1";
    QTest::newRow("LIKE keeps its ESCAPE clause")
        << "SELECT COUNT(*) FROM t WHERE c LIKE '2612\\083%' ESCAPE '\\'"
        << "1";
    QTest::newRow("UCASE is Unicode-aware") << "SELECT UCASE(b) FROM t WHERE k = 1"
                                            << "ÄÖ가";
    QTest::newRow("MID") << "SELECT MID(c, 7, 1) FROM t WHERE k = 1"
                         << "3";
    QTest::newRow("BETWEEN on dates")
        << "SELECT COUNT(*) FROM t WHERE d BETWEEN '2026-01-01' AND '2026-12-31'"
        << "2";
    QTest::newRow("GROUP BY with SUM") << "SELECT SUM(v) FROM t GROUP BY g ORDER BY g"
                                       << "3";
    QTest::newRow("nested joins in parentheses")
        << "SELECT u.w FROM ((t INNER JOIN u ON t.k = u.k) INNER JOIN t AS t2 ON t2.k = u.k) "
           "LEFT JOIN u AS u2 ON u2.k = t.k WHERE t.k = 2"
        << "zz";
    QTest::newRow("insert without column list and counter") << "SELECT MAX(id) FROM u"
                                                            << "2";
    QTest::newRow("text joined to a number") << "SELECT a & v FROM t WHERE k = 1"
                                             << "abc1";
}

void TestSqlDialect::runsOnEngine()
{
    QFETCH(QString, jet);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const bool server = TestDatabase::OnServer();
    QString location = dir.filePath(QStringLiteral("t.db"));
    if (!server) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("d"));
        db.setDatabaseName(location);
        QVERIFY(db.open());
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("d"));
    if (server)
        location = TestDatabase::MainLocation(location);
    DbConnection conn;
    ErrInfo e;
    QVERIFY2(conn.open(location, false, &e), qPrintable(e.description));
    QSqlQuery q(conn.database());
    const QString text = server ? QStringLiteral("CITEXT") : QStringLiteral("TEXT COLLATE NOCASE");
    const QString counter = server ? QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")
                                   : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    QVERIFY(q.exec("CREATE TABLE t (k INTEGER, a " + text +
                   ", b TEXT, c TEXT, n TEXT, d TEXT, "
                   "g INTEGER, v INTEGER)"));
    QVERIFY(q.exec("CREATE TABLE u (id " + counter + ", k INTEGER, w TEXT)"));
    QCOMPARE(conn.exec("INSERT INTO t VALUES (1, 'abc', 'äö가', '2612083001', Null, '2026-03-01', 1, 1)").ok,
             true);
    QCOMPARE(conn.exec("INSERT INTO t VALUES (2, 'x', '', '', '', '2026-12-31', 1, 2)").ok, true);
    QCOMPARE(conn.exec("INSERT INTO u (k, w) VALUES (1, 'y')").ok, true);
    QCOMPARE(conn.exec("INSERT INTO u (k, w) VALUES (2, 'zz')").ok, true);
    QVERIFY2(conn.query(jet, q, &e), qPrintable(e.description));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), expected);
}

QTEST_GUILESS_MAIN(TestSqlDialect)
#include "tst_sqldialect.moc"
