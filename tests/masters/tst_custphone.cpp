#include "db/CustomerPhoneIndex.h"
#include "db/modDBQuery.h"
#include "masters/CustPhone.h"
#include "support/DbFixture.h"

#include <QMap>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTest>

#include <algorithm>

// Telephone forms, the caller's-number match and the reversed-number index against the plain scan.
class TestCustPhone : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void canonical_data();
    void canonical();
    void matching_data();
    void matching();
    void indexMatchesScan();
    void triggersFollowWrites();
    void ddlRunsTwice();
    void normalizeStoredPhones();

private:
    static QStringList codes(const QString& condition);
};

void TestCustPhone::canonical_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("seoul digits") << "0212345678"
                                  << "02-1234-5678";
    QTest::newRow("already dashed") << "02-1234-5678"
                                    << "02-1234-5678";
    QTest::newRow("mobile") << "01012345678"
                            << "010-1234-5678";
    QTest::newRow("brackets and blanks") << " 031) 123 4567 "
                                         << "031-123-4567";
    QTest::newRow("local only") << "1234567"
                                << "123-4567";
    QTest::newRow("short kept") << "5678"
                                << "5678";
    QTest::newRow("with a note kept") << "010-1234-5678 집"
                                      << "010-1234-5678 집";
    QTest::newRow("empty") << "   "
                           << "";
}

void TestCustPhone::canonical()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QCOMPARE(CanonicalPhone(typed), stored);
    QCOMPARE(CanonicalPhone(stored), stored); // a stored number stays as it is
}

void TestCustPhone::matching_data()
{
    QTest::addColumn<QStringList>("numbers");
    QTest::addColumn<QString>("searched");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("only the second") << QStringList{"02-111-2222", "02-1234-5678", ""} << "0212345678"
                                     << QStringList{"02-1234-5678"};
    QTest::newRow("local part inside")
        << QStringList{"1234-5678"} << "0212345678" << QStringList{"1234-5678"};
    QTest::newRow("none") << QStringList{"02-111-2222", "031-222-3333"} << "0212345678" << QStringList{};
    QTest::newRow("two") << QStringList{"1234-5678", "02-1234-5678"} << "0212345678"
                         << QStringList{"1234-5678", "02-1234-5678"};
    QTest::newRow("empty search") << QStringList{"1234-5678"} << "" << QStringList{};
}

void TestCustPhone::matching()
{
    QFETCH(QStringList, numbers);
    QFETCH(QString, searched);
    QFETCH(QStringList, expected);
    QCOMPARE(MatchingPhones(numbers, searched), expected);
}

QStringList TestCustPhone::codes(const QString& condition)
{
    QSqlQuery q;
    ErrInfo e;
    if (!gMainConn.query(QStringLiteral("SELECT 코드 FROM 고객 WHERE ") + condition +
                             QStringLiteral(" ORDER BY 코드"),
                         q, &e))
        qFatal("query failed: %s", qPrintable(e.description));
    QStringList out;
    while (q.next())
        out << q.value(0).toString();
    return out;
}

void TestCustPhone::indexMatchesScan()
{
    DbFixture db;
    QString error;
    QVERIFY2(ApplyCustomerPhoneIndex(gMainConn, &error), qPrintable(error));
    // Numbers of every shape the search meets: dashed, raw, with letters, quotes, Hangul and very long ones.
    QRandomGenerator rng(7);
    const QStringList extras = {"1234-5678 (집)",
                                "02-9999-5678",
                                "x'5678",
                                "AB5678",
                                "ab5678",
                                "가나5678",
                                QString(40, QLatin1Char('7')) + "5678",
                                "5678",
                                "15678",
                                "5%8",
                                "1_678",
                                "9\\678"};
    QMap<QString, QStringList> stored;
    for (int i = 0; i < 400; ++i) {
        QStringList tels;
        for (int k = 0; k < 4; ++k) {
            const quint32 r = rng.bounded(100);
            if (k > 0 && r < 45)
                tels << QString();
            else if (r < 60)
                tels << CanonicalPhone(QStringLiteral("02%1").arg(rng.bounded(10000000, 99999999)));
            else if (r < 75)
                tels << extras.at(int(rng.bounded(extras.size())));
            else
                tels << QString::number(rng.bounded(1000, 99999999));
        }
        QString sql =
            QStringLiteral(
                "INSERT INTO 고객 (코드, 전화1, 전화2, 전화3, 전화4, 현포인트, 기초포인트) VALUES ('%1'")
                .arg(10000000 + i);
        for (const QString& t : tels)
            sql += t.isEmpty() && rng.bounded(2) ? QStringLiteral(", NULL")
                                                 : QStringLiteral(", '") + SQLQuote(t) + "'";
        sql += QStringLiteral(", 0, 0)");
        QCOMPARE(ExecSQL(sql), 1);
        stored.insert(QString::number(10000000 + i), tels);
    }
    const QStringList searches = {
        "5678",   "78",     "8",        "0212345678", "02-9999-5678",
        "AB5678", "ab5678", "가나5678", "x'5678",     "_678",
        "5%8",    "%8",     "\\678",    "(집)",       QString(40, QLatin1Char('7')) + "5678",
        "0000"};
    for (const QString& s : searches) {
        const QString suffix = PhoneSearchSuffix(s);
        // Every character of the text stands for itself, wildcards included.
        QStringList literal;
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            if (std::any_of(it->cbegin(), it->cend(), [&](const QString& t) {
                    return !t.isEmpty() && t.endsWith(suffix, Qt::CaseInsensitive);
                }))
                literal << it.key();
        QCOMPARE(codes(PhoneSuffixCondition(suffix, true)), literal);
        QCOMPARE(codes(PhoneSuffixCondition(suffix, false)), literal);
    }
    QVERIFY(!codes(PhoneSuffixCondition("5678", true)).isEmpty());
}

void TestCustPhone::triggersFollowWrites()
{
    DbFixture db;
    QString error;
    QCOMPARE(
        ExecSQL(
            "INSERT INTO 고객 (코드, 전화1, 현포인트, 기초포인트) VALUES ('10000001', '02-111-2222', 0, 0)"),
        1);
    QVERIFY2(ApplyCustomerPhoneIndex(gMainConn, &error), qPrintable(error)); // fills what was there before
    const auto find = [](const QString& text) {
        return codes(PhoneSuffixCondition(PhoneSearchSuffix(text), true));
    };
    QCOMPARE(find("2222"), QStringList{"10000001"});
    QCOMPARE(
        ExecSQL("UPDATE 고객 SET 전화1 = '02-333-4444', 전화3 = '010-5555-2222' WHERE 코드 = '10000001'"), 1);
    QCOMPARE(find("4444"), QStringList{"10000001"});
    QCOMPARE(find("111-2222"), QStringList{});
    QCOMPARE(find("5555-2222"), QStringList{"10000001"});
    QCOMPARE(ExecSQL("UPDATE 고객 SET 메모 = 'x' WHERE 코드 = '10000001'"), 1);
    QCOMPARE(find("4444"), QStringList{"10000001"});
    QCOMPARE(ExecSQL("DELETE FROM 고객 WHERE 코드 = '10000001'"), 1);
    QCOMPARE(find("4444"), QStringList{});
    QCOMPARE(GetFirstValue("SELECT COUNT(*) FROM 고객전화역순").toInt(), 0);
}

void TestCustPhone::ddlRunsTwice()
{
    DbFixture db;
    QString error;
    // New installations carry the table from the start; applying it again changes nothing.
    QVERIFY(HasCustomerPhoneIndex(gMainConn));
    QVERIFY2(ApplyCustomerPhoneIndex(gMainConn, &error), qPrintable(error));
    QCOMPARE(ExecSQL("INSERT INTO 고객 (코드, 전화1, 전화2, 현포인트, 기초포인트) VALUES ('1', "
                     "'02-111-2222', '02-111-2222', 0, 0)"),
             1);
    QVERIFY2(ApplyCustomerPhoneIndex(gMainConn, &error), qPrintable(error));
    QVERIFY(HasCustomerPhoneIndex(gMainConn));
    QCOMPARE(GetFirstValue("SELECT COUNT(*) FROM 고객전화역순").toInt(), 2);
    // The planner reaches the numbers through the index, not by reading every row.
    QSqlQuery q(gMainConn.database());
    const QString select =
        gMainConn.dialect().translate("SELECT * FROM 고객 WHERE " + PhoneSuffixCondition("5678", true));
    const bool server = gMainConn.isServer();
    // A server plans a table this small as a scan unless told to avoid one when it can.
    QVERIFY(!server || q.exec("SET enable_seqscan = off"));
    QVERIFY(q.exec((server ? "EXPLAIN " : "EXPLAIN QUERY PLAN ") + select));
    QString plan;
    while (q.next())
        plan += q.value(server ? 0 : 3).toString() + "\n";
    QVERIFY2(plan.contains("고객전화역순_역순"), qPrintable(plan));
    QVERIFY2(!plan.contains("SCAN 고객\n") && !plan.contains("Seq Scan on \"고객전화역순\""),
             qPrintable(plan));
}

void TestCustPhone::normalizeStoredPhones()
{
    DbFixture db;
    QString error;
    QVERIFY2(ApplyCustomerPhoneIndex(gMainConn, &error), qPrintable(error));
    QCOMPARE(ExecSQL("INSERT INTO 고객 (코드, 전화1, 전화2, 전화3, 현포인트, 기초포인트) "
                     "VALUES ('10000001', '0212345678', '02-111-2222', '010 1234 5678 집', 0, 0)"),
             1);
    QCOMPARE(ExecSQL("INSERT INTO 가맹점 (코드, 상호, 전화1, 현잔액, 기초잔액, 수수료율) VALUES ('S1', "
                     "'가게', '0311234567', 0, 0, 0)"),
             1);
    // A number registered raw is missed by the search for the dashed form until it is rewritten.
    const auto find = [] { return codes(PhoneSuffixCondition(PhoneSearchSuffix("0212345678"), true)); };
    QCOMPARE(find(), QStringList{});
    int changed = -1;
    QVERIFY2(DemoData::NormalizePhones(db.mainFile, &changed, &error), qPrintable(error));
    QCOMPARE(changed, 2);
    QCOMPARE(GetFirstValue("SELECT 전화1 FROM 고객").toString(), QString("02-1234-5678"));
    QCOMPARE(GetFirstValue("SELECT 전화3 FROM 고객").toString(), QString("010 1234 5678 집"));
    QCOMPARE(GetFirstValue("SELECT 전화1 FROM 가맹점").toString(), QString("031-123-4567"));
    QCOMPARE(find(), QStringList{"10000001"});
    QVERIFY(DemoData::NormalizePhones(db.mainFile, &changed, &error));
    QCOMPARE(changed, 0);
}

QTEST_GUILESS_MAIN(TestCustPhone)
#include "tst_custphone.moc"
