#include "db/CustomerListQuery.h"
#include "db/CustomerPhoneDigits.h"
#include "db/CustomerTextIndex.h"
#include "db/modDBQuery.h"
#include "support/DbFixture.h"

#include <QTest>

namespace {
QStringList codes(const QString& sql)
{
    Recordset rs;
    QStringList out;
    if (OpenQuery(rs, sql) < 0)
        return {QStringLiteral("query failed")};
    for (const QVariantList& r : rs.rows())
        out << r.value(0).toString();
    return out;
}

// The customers, in list order, with a number whose digits relate to `digits` as the operator says: the
// rule of the 전화번호 search, worked out here from the stored texts.
QStringList byDigits(const QString& op, const QString& digits)
{
    Recordset rs;
    QStringList out;
    if (OpenQuery(rs, "SELECT 코드, 전화1, 전화2, 전화3, 전화4 FROM 고객 ORDER BY 주소1, 주소2, 코드") < 0)
        return {QStringLiteral("query failed")};
    const QString mode = op.left(3).trimmed();
    for (const QVariantList& r : rs.rows()) {
        bool found = false;
        for (int i = 1; i <= 4 && !found; ++i) {
            const QString d = StoredPhoneDigits(r.value(i).toString());
            found = !d.isEmpty() && (mode == "="    ? d == digits
                                     : mode == "s*" ? d.startsWith(digits)
                                     : mode == "*s" ? d.endsWith(digits)
                                                    : d.contains(digits));
        }
        if (found)
            out << r.value(0).toString();
    }
    return out;
}

QString digitsOf(const QString& text)
{
    QString out;
    for (const QChar c : text)
        if (c >= u'0' && c <= u'9')
            out += c;
    return out;
}

const char* const kOps[] = {"*s*: 검색어를 포함", "s* : 검색어로 시작", "*s : 검색어로 종료",
                            "=  : 검색어와 일치"};

// Texts in every column of the searches: wildcards, quotes, the escape character, letters in both cases
// (Latin ones the engine folds, others it does not), Hangul, short and long.
const char* const kValues[] = {"02-1234-5678", "010-5678-1234", "10%할인",     "a_c",   "abc",
                               "ABC 상가",     "O'Brien",       "백\\슬래시",  "École", "école",
                               "ΩMEGA",        "ωmega",         "서울 종로구", "서울",  "1234",
                               "\"큰\"따옴표", "%%%",           "___",         "x",     "12"};
} // namespace

// The substring index: a search through it returns exactly the rows of the plain condition; the list's
// search of the numbers compares digits only, through the digits table.
class TestTextIndex : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void sameRowsAsPlainCondition_data();
    void sameRowsAsPlainCondition();
    void upgradeFillsIndex();

private:
    DbFixture* m_db = nullptr;
};

void TestTextIndex::initTestCase()
{
    m_db = new DbFixture;
    // Every value in every column somewhere, then updates and deletes, so the triggers have had their say.
    const int n = int(std::size(kValues));
    for (int i = 0; i < 3 * n; ++i) {
        QStringList v;
        for (int k = 0; k < 7; ++k)
            v << SQLLiteral(QString::fromUtf8(kValues[(i * 7 + k * 3) % n]));
        QCOMPARE(
            ExecSQL(QStringLiteral("INSERT INTO 고객 (코드, 전화1, 전화2, 전화3, 전화4, 주소1, 주소2, 메모) "
                                   "VALUES ('%1', %2)")
                        .arg(10000000 + i)
                        .arg(v.join(QStringLiteral(", ")))),
            1);
    }
    QCOMPARE(ExecSQL("UPDATE 고객 SET 전화2 = '031-999-0000', 메모 = NULL WHERE 코드 = '10000003'"), 1);
    QCOMPARE(ExecSQL("UPDATE 고객 SET 코드 = '20000004', 주소1 = '부산 abc' WHERE 코드 = '10000004'"), 1);
    QCOMPARE(ExecSQL("UPDATE 고객 SET 현포인트 = 5 WHERE 코드 = '10000005'"), 1);
    QCOMPARE(ExecSQL("DELETE FROM 고객 WHERE 코드 IN ('10000006', '10000007')"), 2);
}

void TestTextIndex::cleanupTestCase()
{
    delete m_db;
}

void TestTextIndex::sameRowsAsPlainCondition_data()
{
    QTest::addColumn<QString>("columns");
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("text");
    const char* const fields[] = {"전화1,전화2,전화3,전화4", "주소1", "주소2", "메모"};
    QStringList texts;
    for (const char* v : kValues)
        texts << QString::fromUtf8(v);
    texts << "5678"
          << "abc"
          << "ÉCOLE"
          << "Ωmega"
          << "o'b"
          << "0%할"
          << "_c"
          << "%"
          << "\\"
          << "서울 종"
          << "999-0"
          << "부산 ABC"
          << "없는 글"
          << "0212345678"
          << "02 1234"
          << "(010)5678"
          << "34-5";
    for (const char* f : fields)
        for (const char* op : kOps)
            for (const QString& t : texts)
                QTest::addRow("%s %.3s %s", f, op, qPrintable(t))
                    << QString::fromUtf8(f) << QString::fromUtf8(op) << t;
}

void TestTextIndex::sameRowsAsPlainCondition()
{
    QFETCH(QString, columns);
    QFETCH(QString, op);
    QFETCH(QString, text);
    const QString plain = QStringLiteral("SELECT 코드 FROM 고객 WHERE ") + MakeSearchWhere(columns, op, text);
    const QStringList expected = codes(plain + QStringLiteral(" ORDER BY 주소1, 주소2, 코드"));
    QCOMPARE(codes(QStringLiteral("SELECT 코드 FROM 고객 WHERE ") + IndexedSearchWhere(columns, op, text) +
                   QStringLiteral(" ORDER BY 주소1, 주소2, 코드")),
             expected);
    // The numbers compare by digits when the text holds any; the columns' own test gives the same rows.
    const QString digits = digitsOf(text);
    const bool numbers = columns.startsWith(QStringLiteral("전화")) && !digits.isEmpty();
    const QStringList listed = numbers ? byDigits(op, digits) : expected;
    if (numbers && !gMainConn.isServer())
        QCOMPARE(codes("SELECT 코드 FROM 고객 WHERE " + PhoneDigitsColumnsCondition(op, digits) +
                       " ORDER BY 주소1, 주소2, 코드"),
                 listed);
    const CustomerListStatements list = CustomerListSql(columns, op, text);
    QCOMPARE(codes(list.keys), listed);
    // The list shows this total before it has read the codes.
    if (!list.count.isEmpty())
        QCOMPARE(GetFirstValue(list.count).toInt(), int(listed.size()));
    // Texts long enough go through the index.
    QCOMPARE(IndexedSearchWhere(columns, op, text)
                 .contains(gMainConn.isServer() ? QStringLiteral("CAST(") : QStringLiteral("MATCH")),
             text.toUcs4().size() >= kTextIndexMinChars);
}

void TestTextIndex::upgradeFillsIndex()
{
    TestHome home;
    const QString file = home.dbsFolder() + "/old.mdb";
    QString error;
    QVERIFY(Schema::CreateDatabaseFile(file, Schema::MainTables(), 0, &error));
    DbConnection old;
    ErrInfo e;
    QVERIFY(old.open(file, false, &e));
    QCOMPARE(
        ExecSQL(old,
                "INSERT INTO 고객 (코드, 전화1, 주소1) VALUES ('10000001', '02-1234-5678', '서울 종로구')"),
        1);
    old.close();
    QVERIFY2(Schema::Upgrade(file, &error), qPrintable(error));
    QVERIFY(old.open(file, false, &e));
    QCOMPARE(GetFirstValue(old, "SELECT COUNT(*) FROM 고객 WHERE " +
                                    IndexedSearchWhere("전화1,전화2,전화3,전화4", kOps[0], "1234-56"))
                 .toInt(),
             1);
    QCOMPARE(GetFirstValue(old, "SELECT COUNT(*) FROM 고객 WHERE " + PhoneDigitsCondition(kOps[0], "2345678"))
                 .toInt(),
             1);
}

QTEST_GUILESS_MAIN(TestTextIndex)
#include "tst_textindex.moc"
