#include "db/SqlDialect.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// Translation of Jet SQL text into SQLite, checked on its text and by running it on a real file.
class TestSqlDialect : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void translate_data();
    void translate();
    void runsOnSqlite_data();
    void runsOnSqlite();

private:
    SqliteDialect m_dialect;
};

void TestSqlDialect::translate_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite");
    QTest::newRow("delete star") << "DELETE * FROM 매출대입금"
                                 << "DELETE FROM 매출대입금";
    QTest::newRow("delete star lower") << "delete  *  from t"
                                       << "delete  from t";
    QTest::newRow("mid") << "SELECT * FROM 주문 WHERE MID(주문번호,7,1) = '1'"
                         << "SELECT * FROM 주문 WHERE SUBSTR(주문번호,7,1) = '1'";
    QTest::newRow("ucase") << "WHERE UCASE(폼이름) = 'A'"
                           << "WHERE ZK_UCASE(폼이름) = 'A'";
    QTest::newRow("concat columns") << "주소1 & ' ' & 주소2='a b'"
                                    << "IFNULL(주소1,'') || ' ' || IFNULL(주소2,'')='a b'";
    QTest::newRow("concat qualified and call") << "c.주소1 & UCASE(x)"
                                               << "IFNULL(c.주소1,'') || IFNULL(ZK_UCASE(x),'')";
    QTest::newRow("concat chain of three") << "a & b & c"
                                           << "IFNULL(a,'') || IFNULL(b,'') || IFNULL(c,'')";
    QTest::newRow("ampersand inside literal untouched") << "SELECT 'R&D' & x"
                                                        << "SELECT 'R&D' || IFNULL(x,'')";
    QTest::newRow("keywords inside literal untouched")
        << "UPDATE t SET m = 'DELETE * FROM MID(UCASE' WHERE k = 'it''s'"
        << "UPDATE t SET m = 'DELETE * FROM MID(UCASE' WHERE k = 'it''s'";
    QTest::newRow("double-quoted literal") << "WHERE a = \"it's\""
                                           << "WHERE a = 'it''s'";
    QTest::newRow("bracket identifier") << "SELECT [주문 번호] FROM t"
                                        << "SELECT \"주문 번호\" FROM t";
    QTest::newRow("top") << "SELECT TOP 5 * FROM t ORDER BY a;"
                         << "SELECT * FROM t ORDER BY a LIMIT 5;";
    QTest::newRow("booleans") << "WHERE a = True OR b = False"
                              << "WHERE a = 1 OR b = 0";
    QTest::newRow("column named like a function") << "SELECT mid FROM t"
                                                  << "SELECT mid FROM t";
}

void TestSqlDialect::translate()
{
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    QCOMPARE(m_dialect.translate(jet), sqlite);
}

void TestSqlDialect::runsOnSqlite_data()
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
}

void TestSqlDialect::runsOnSqlite()
{
    QFETCH(QString, jet);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("d"));
        db.setDatabaseName(dir.filePath(QStringLiteral("t.db")));
        QVERIFY(db.open());
        QString error;
        QVERIFY2(m_dialect.prepareConnection(db, &error), qPrintable(error));
        QSqlQuery q(db);
        QVERIFY(q.exec("CREATE TABLE t (k INTEGER, a TEXT COLLATE NOCASE, b TEXT, c TEXT, n TEXT, d TEXT, "
                       "g INTEGER, v INTEGER)"));
        QVERIFY(q.exec("CREATE TABLE u (id INTEGER PRIMARY KEY AUTOINCREMENT, k INTEGER, w TEXT)"));
        QVERIFY(q.exec(m_dialect.translate(QStringLiteral(
            "INSERT INTO t VALUES (1, 'abc', 'äö가', '2612083001', Null, '2026-03-01', 1, 1)"))));
        QVERIFY(q.exec(m_dialect.translate(
            QStringLiteral("INSERT INTO t VALUES (2, 'x', '', '', '', '2026-12-31', 1, 2)"))));
        QVERIFY(q.exec(m_dialect.translate(QStringLiteral("INSERT INTO u (k, w) VALUES (1, 'y')"))));
        QVERIFY(q.exec(m_dialect.translate(QStringLiteral("INSERT INTO u (k, w) VALUES (2, 'zz')"))));
        QVERIFY2(q.exec(m_dialect.translate(jet)), qPrintable(m_dialect.translate(jet)));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), expected);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("d"));
}

QTEST_GUILESS_MAIN(TestSqlDialect)
#include "tst_sqldialect.moc"
