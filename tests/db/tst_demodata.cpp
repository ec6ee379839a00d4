#include "app/AppPaths.h"
#include "app/Clock.h"
#include "app/install/DbTool.h"
#include "app/install/DemoData.h"
#include "support/TestHome.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QUuid>

#include <iconv.h>

// The demo and benchmark installations the database tool generates, and the postal-code list it imports.
class TestDemoData : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void demoInstallationHoldsTogether();
    void demoIsRepeatable();
    void scaledInstallation_data();
    void scaledInstallation();
    void checkFindsTampering_data();
    void checkFindsTampering();
    void fillRefusesFilledDatabase();
    void postSample();
    void importPostCsv_data();
    void importPostCsv();
    void importPostCsvRefusesBadInput_data();
    void importPostCsvRefusesBadInput();
};

namespace {

// A Sunday evening; the demo's last day of orders.
const QDateTime kNow(QDate(2027, 3, 14), QTime(19, 30));

// Reads one file on a connection of its own.
class FileDb
{
public:
    explicit FileDb(const QString& path)
        : m_name(QStringLiteral("tst_") + QUuid::createUuid().toString(QUuid::Id128))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("cannot open %s", qPrintable(path));
    }
    ~FileDb() { QSqlDatabase::removeDatabase(m_name); }

    QList<QStringList> rows(const QString& sql) const
    {
        QList<QStringList> out;
        QSqlQuery q(QSqlDatabase::database(m_name));
        if (!q.exec(sql))
            qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        while (q.next()) {
            QStringList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
            out << row;
        }
        return out;
    }
    QString value(const QString& sql) const { return rows(sql).value(0).value(0); }
    void exec(const QString& sql) const { rows(sql); }

private:
    QString m_name;
};

QString create(const TestHome& home, const DbTool::DemoOptions& options)
{
    QString error;
    if (!DbTool::Create(home.programFolder(), options, &error))
        qFatal("create failed: %s", qPrintable(error));
    return AppPaths::ProgramPath(QStringLiteral("DBS/dbMain.mdb"));
}

DbTool::DemoOptions demo()
{
    DbTool::DemoOptions o;
    o.demo = true;
    return o;
}

QByteArray toCp949(const QString& text)
{
    QByteArray in = text.toUtf8();
    QByteArray out(in.size() * 2 + 8, '\0');
    iconv_t cd = iconv_open("CP949", "UTF-8");
    char* src = in.data();
    size_t srcLeft = size_t(in.size());
    char* dst = out.data();
    size_t dstLeft = size_t(out.size());
    iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    out.resize(out.size() - qsizetype(dstLeft));
    return out;
}

const QRegularExpression kPhone(QStringLiteral("^0\\d{1,2}-\\d{3,4}-\\d{4}$"));
} // namespace

void TestDemoData::init()
{
    Clock::SetFixed(kNow);
}

void TestDemoData::cleanup()
{
    Clock::SetFixed(QDateTime());
}

void TestDemoData::demoInstallationHoldsTogether()
{
    TestHome home;
    const QString file = create(home, demo());
    QString report;
    QVERIFY2(DemoData::CheckInvariants(file, &report), qPrintable(report));
    FileDb db(file);

    QCOMPARE(db.value("SELECT COUNT(*) FROM 가맹점").toInt(), 12);
    QCOMPARE(db.value("SELECT COUNT(*) FROM 고객").toInt(), 300);
    QCOMPARE(db.value("SELECT COUNT(*) FROM 가맹점 WHERE (SELECT COUNT(*) FROM 취급메뉴 t WHERE t.가맹점코드 "
                      "= 가맹점.코드) "
                      "NOT BETWEEN 5 AND 12")
                 .toInt(),
             0);
    QCOMPARE(db.value("SELECT COUNT(*) FROM 가맹점 WHERE 영업종료 < 영업시작").toInt(), 1);
    QVERIFY(db.value("SELECT COUNT(*) FROM 가맹점 WHERE 수수료율 <> CAST(수수료율 AS INTEGER)").toInt() >= 1);
    QVERIFY(db.value("SELECT COUNT(*) FROM 입금").toInt() > 0);
    QVERIFY(db.value("SELECT COUNT(*) FROM 서비스").toInt() > 0);
    QCOMPARE(db.value("SELECT COUNT(*) FROM 사용자정보 WHERE 상호명 <> '' AND 자료등록일자 <> '' AND "
                      "최종수정일 <> ''")
                 .toInt(),
             1);
    // The program writes its settings rows with their defaults on first read.
    QCOMPARE(db.value("SELECT COUNT(*) FROM 환경설정").toInt(), 0);
    QCOMPARE(db.value("SELECT COUNT(*) FROM 보안설정").toInt(), 0);

    // Seven days of orders ending today; today has open and passed-on orders.
    QCOMPARE(db.rows("SELECT DISTINCT 주문일자 FROM 주문 ORDER BY 1").size(), 7);
    QCOMPARE(db.value("SELECT MIN(주문일자) FROM 주문"), QStringLiteral("2027-03-08"));
    QCOMPARE(db.value("SELECT MAX(주문일자) FROM 주문"), QStringLiteral("2027-03-14"));
    const int today = db.value("SELECT COUNT(*) FROM 주문 WHERE 주문일자 = '2027-03-14'").toInt();
    QVERIFY2(today >= 20 && today <= 40, qPrintable(QString::number(today)));
    QVERIFY(db.value("SELECT COUNT(*) FROM 주문 WHERE 주문일자 = '2027-03-14' AND 통보시간 = ''").toInt() >
            0);
    QVERIFY(db.value("SELECT COUNT(*) FROM 주문 WHERE 주문일자 = '2027-03-14' AND 통보시간 <> ''").toInt() >
            0);
    QCOMPARE(
        db.value("SELECT COUNT(*) FROM 주문 WHERE 주문일자 = '2027-03-14' AND 주문시간 > '19:30'").toInt(),
        0);
    QCOMPARE(db.value("SELECT COUNT(*) FROM 주문 WHERE 주문일자 < '2027-03-14' AND 통보시간 = ''").toInt(),
             0);
    // Orders come in while their store is open, also for the store that closes after midnight.
    QCOMPARE(
        db.value("SELECT COUNT(*) FROM 주문 o JOIN 가맹점 m ON m.코드 = o.가맹점코드 WHERE NOT CASE "
                 "WHEN m.영업종료 > m.영업시작 THEN o.주문시간 >= m.영업시작 AND o.주문시간 < m.영업종료 "
                 "ELSE o.주문시간 >= m.영업시작 OR o.주문시간 < m.영업종료 END")
            .toInt(),
        0);

    // Order numbers: yymmdd + terminal 1 + 001, 002, ... without gaps, in the order of their times.
    const auto orders = db.rows("SELECT 주문번호, 주문일자, 주문시간 FROM 주문 ORDER BY 주문번호");
    QString day;
    int expectedSeq = 0;
    QString lastTime;
    for (const QStringList& o : orders) {
        QCOMPARE(o[0].size(), 10);
        QCOMPARE(o[0].at(6), QLatin1Char('1'));
        QCOMPARE(o[0].left(6), QDate::fromString(o[1], "yyyy-MM-dd").toString("yyMMdd"));
        if (o[1] != day) {
            day = o[1];
            expectedSeq = 0;
            lastTime.clear();
        }
        QCOMPARE(o[0].right(3).toInt(), ++expectedSeq);
        QVERIFY(o[2] >= lastTime);
        lastTime = o[2];
    }
    QCOMPARE(db.value("SELECT COUNT(*) FROM 주문 o WHERE NOT EXISTS (SELECT 1 FROM 주문내역 d WHERE "
                      "d.주문번호 = o.주문번호)"
                      " OR (SELECT COUNT(*) FROM 주문내역 d WHERE d.주문번호 = o.주문번호) > 4")
                 .toInt(),
             0);

    // Customer codes and telephone numbers.
    QCOMPARE(db.value("SELECT MIN(코드) || ' ' || MAX(코드) FROM 고객"), QStringLiteral("10000001 10000300"));
    for (const QStringList& c : db.rows("SELECT 전화1, 전화2, 전화3, 전화4, 주소1 FROM 고객")) {
        QVERIFY2(kPhone.match(c[0]).hasMatch(), qPrintable(c[0]));
        for (int i = 1; i < 4; ++i)
            QVERIFY2(c[i].isEmpty() || kPhone.match(c[i]).hasMatch(), qPrintable(c[i]));
        QVERIFY(c[4].startsWith(QStringLiteral("서울특별시 ")));
    }
    QVERIFY(db.value("SELECT COUNT(*) FROM 고객 WHERE 전화4 <> ''").toInt() > 0);
    QCOMPARE(db.value("SELECT COUNT(*) FROM 고객 WHERE 전화2 IS NULL OR 메모 IS NULL").toInt(), 0);

    // Holidays of every kind, each in the form the availability check compares with.
    const QRegularExpression forms[] = {
        QRegularExpression("^\\d{4}-\\d{2}-\\d{2}$"), QRegularExpression("^[1-7]$"),
        QRegularExpression("^(0[1-9]|[12]\\d|3[01])$"), QRegularExpression("^(0[1-9]|1[0-2])-\\d{2}$")};
    for (int kind = 0; kind < 4; ++kind) {
        const auto days =
            db.rows(QStringLiteral("SELECT 일자 FROM 가맹점휴일 WHERE 반복구분 = %1").arg(kind));
        QVERIFY2(!days.isEmpty(), qPrintable(QString::number(kind)));
        for (const QStringList& d : days)
            QVERIFY2(forms[kind].match(d[0]).hasMatch(), qPrintable(d[0]));
    }
}

void TestDemoData::demoIsRepeatable()
{
    auto digest = [](const QString& file) {
        FileDb db(file);
        QCryptographicHash h(QCryptographicHash::Sha256);
        for (const char* sql :
             {"SELECT * FROM 가맹점 ORDER BY 코드", "SELECT * FROM 취급메뉴 ORDER BY 코드",
              "SELECT * FROM 고객 ORDER BY 코드", "SELECT * FROM 주문 ORDER BY 주문번호",
              "SELECT * FROM 주문내역 ORDER BY 주문번호, 순번", "SELECT * FROM 입금 ORDER BY 처리순번",
              "SELECT * FROM 서비스 ORDER BY 처리순번", "SELECT * FROM 가맹점휴일 ORDER BY 순번"}) {
            for (const QStringList& row : db.rows(QString::fromUtf8(sql)))
                h.addData(row.join(QLatin1Char('|')).toUtf8() + '\n');
        }
        return h.result();
    };
    TestHome a;
    const QByteArray first = digest(create(a, demo()));
    TestHome b;
    const QByteArray second = digest(create(b, demo()));
    QCOMPARE(first, second);
    TestHome c;
    DbTool::DemoOptions other = demo();
    other.seed = 7;
    QVERIFY(digest(create(c, other)) != first);
}

void TestDemoData::scaledInstallation_data()
{
    QTest::addColumn<int>("customers");
    QTest::addColumn<int>("stores");
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("perDay");
    QTest::addColumn<int>("terminals");
    QTest::newRow("2,000 customers, 10 stores, 3 days of 50") << 2000 << 10 << 3 << 50 << 1;
    // More orders a day than one terminal can number go to further terminals.
    QTest::newRow("busy day of 1,200 orders") << 400 << 30 << 1 << 1200 << 2;
}

void TestDemoData::scaledInstallation()
{
    QFETCH(int, customers);
    QFETCH(int, stores);
    QFETCH(int, days);
    QFETCH(int, perDay);
    QFETCH(int, terminals);
    TestHome home;
    DbTool::DemoOptions o = demo();
    o.customers = customers;
    o.stores = stores;
    o.days = days;
    o.ordersPerDay = perDay;
    const QString file = create(home, o);
    QString report;
    QVERIFY2(DemoData::CheckInvariants(file, &report), qPrintable(report));
    FileDb db(file);
    QCOMPARE(db.value("SELECT COUNT(*) FROM 고객").toInt(), customers);
    QCOMPARE(db.value("SELECT COUNT(*) FROM 가맹점").toInt(), stores);
    QCOMPARE(db.value("SELECT COUNT(*) FROM 주문").toInt(), days * perDay);
    QCOMPARE(db.value("SELECT COUNT(DISTINCT 주문일자) FROM 주문").toInt(), days);
    QCOMPARE(db.value("SELECT COUNT(DISTINCT SUBSTR(주문번호, 7, 1)) FROM 주문").toInt(), terminals);
    QVERIFY(db.value("SELECT MAX(SUBSTR(주문번호, 8, 3)) FROM 주문").toInt() <= 999);
    QCOMPARE(db.value("SELECT COUNT(*) FROM 주문 WHERE SUBSTR(주문번호, 7, 1) = '0'").toInt(), 0);
    // The indexes set aside for the bulk load are all back.
    TestHome empty;
    const QString indexes =
        QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'index' ORDER BY name");
    QCOMPARE(db.rows(indexes), FileDb(create(empty, DbTool::DemoOptions())).rows(indexes));
}

void TestDemoData::checkFindsTampering_data()
{
    QTest::addColumn<QString>("tamper");
    QTest::addColumn<QString>("reported");
    QTest::newRow("store balance") << "UPDATE 가맹점 SET 현잔액 = 현잔액 + 1 WHERE 코드 = '1003'"
                                   << "1003";
    QTest::newRow("customer points") << "UPDATE 고객 SET 현포인트 = 현포인트 - 1 WHERE 코드 = '10000001'"
                                     << "10000001";
    QTest::newRow("line commission") << "UPDATE 주문내역 SET 수수료 = 수수료 + 1 WHERE rowid = 1"
                                     << "주문내역 계산";
    QTest::newRow("payment without balance") << "DELETE FROM 입금 WHERE 처리순번 = 1"
                                             << "가맹점 잔액";
    QTest::newRow("phone without hyphens") << "UPDATE 고객 SET 전화1 = '01012345678' WHERE 코드 = '10000002'"
                                           << "10000002";
    QTest::newRow("weekly holiday as a name") << "UPDATE 가맹점휴일 SET 일자 = '월' WHERE 반복구분 = 1"
                                              << "휴일 형식";
    QTest::newRow("monthly holiday without zero") << "UPDATE 가맹점휴일 SET 일자 = '5' WHERE 반복구분 = 2"
                                                  << "휴일 형식";
    QTest::newRow("line of a missing order")
        << "DELETE FROM 주문 WHERE 주문번호 = (SELECT MIN(주문번호) FROM 주문)"
        << "잔액";
}

void TestDemoData::checkFindsTampering()
{
    QFETCH(QString, tamper);
    QFETCH(QString, reported);
    TestHome home;
    const QString file = create(home, demo());
    FileDb(file).exec(tamper);
    QString report;
    QVERIFY(!DemoData::CheckInvariants(file, &report));
    QVERIFY2(report.contains(reported), qPrintable(report));
}

void TestDemoData::fillRefusesFilledDatabase()
{
    TestHome home;
    const QString file = create(home, demo());
    const QString before = FileDb(file).value("SELECT COUNT(*) FROM 주문");
    QString error;
    QVERIFY(!DemoData::Fill(file, demo(), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(FileDb(file).value("SELECT COUNT(*) FROM 주문"), before);
}

void TestDemoData::postSample()
{
    TestHome home;
    create(home, DbTool::DemoOptions());
    FileDb db(AppPaths::ProgramPath(QStringLiteral("dbs/dbPost.mdb")));
    QVERIFY(db.value("SELECT COUNT(*) FROM Post").toInt() >= 300);
    // The marker sorts first and cannot be chosen (no code); searches by town never meet it.
    const auto first = db.rows("SELECT ZIPCODE, DONG FROM Post ORDER BY ZIPCODE LIMIT 1").value(0);
    QCOMPARE(first.value(0), QString());
    QVERIFY(first.value(1).contains(QStringLiteral("import-post")));
    QCOMPARE(db.value("SELECT COUNT(*) FROM Post WHERE ZIPCODE <> '' AND ZIPCODE NOT GLOB "
                      "'[0-9][0-9][0-9]-[0-9][0-9][0-9]'")
                 .toInt(),
             0);
    for (const char* sido : {"서울특별시", "부산광역시", "대구광역시", "인천광역시", "경기도"})
        QVERIFY2(
            db.value(
                  QStringLiteral("SELECT COUNT(*) FROM Post WHERE SIDO = '%1'").arg(QString::fromUtf8(sido)))
                    .toInt() > 10,
            sido);
    QCOMPARE(db.rows("SELECT ZIPCODE, SIDO, GUGUN FROM Post WHERE DONG LIKE '역삼%' AND BUNJI = ''"),
             (QList<QStringList>{{"135-080", "서울특별시", "강남구"}}));
    QVERIFY(db.value("SELECT COUNT(*) FROM Post WHERE BUNJI LIKE '%~%'").toInt() > 0);
}

void TestDemoData::importPostCsv_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QStringList>>("expected");
    const QList<QStringList> two = {{"135-080", "서울특별시", "강남구", "역삼동", "1~100"},
                                    {"612-020", "부산광역시", "해운대구", "우동", ""}};
    const QString plain =
        QStringLiteral("135-080,서울특별시,강남구,역삼동,1~100\n612-020,부산광역시,해운대구,우동,\n");
    QTest::newRow("no header, no quotes") << plain.toUtf8() << two;
    QTest::newRow("header, BOM, quotes, CRLF")
        << QByteArray("\xEF\xBB\xBF") + QStringLiteral("ZIPCODE,SIDO,GUGUN,DONG,BUNJI\r\n\"135-080\","
                                                       "\"서울특별시\",\"강남구\",\"역삼동\",\"1~100\"\r\n"
                                                       "612-020, 부산광역시 ,해운대구,\"우동\",\"\"\r\n")
                                            .toUtf8()
        << two;
    QTest::newRow("header in another order")
        << QStringLiteral("SIDO,ZIPCODE,DONG,GUGUN,BUNJI\n서울특별시,135-080,역삼동,강남구,1~100\n"
                          "부산광역시,612-020,우동,해운대구,\n")
               .toUtf8()
        << two;
    QTest::newRow("CP949") << toCp949(QStringLiteral("우편번호,시도,구군,동,번지\n") + plain) << two;
    QTest::newRow("quote, comma and line break inside fields")
        << QStringLiteral("100-021,서울특별시,중구,\"명동1가 \"\"상가\"\", 본관\",\"1~5\n6~9\"\n"
                          "100-022,서울특별시,중구,명동2가 12\"3,\n")
               .toUtf8()
        << QList<QStringList>{{"100-021", "서울특별시", "중구", "명동1가 \"상가\", 본관", "1~5\n6~9"},
                              {"100-022", "서울특별시", "중구", "명동2가 12\"3", ""}};
    QTest::newRow("four columns, blank lines")
        << QStringLiteral("\n135-080,서울특별시,강남구,역삼동\n\n").toUtf8()
        << QList<QStringList>{{"135-080", "서울특별시", "강남구", "역삼동", ""}};
}

void TestDemoData::importPostCsv()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QStringList>, expected);
    TestHome home;
    create(home, DbTool::DemoOptions());
    const QString csv = home.path() + QStringLiteral("/post.csv");
    QFile f(csv);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    const QString post = AppPaths::ProgramPath(QStringLiteral("dbs/dbPost.mdb"));
    int imported = -1;
    QString error;
    QVERIFY2(DemoData::ImportPostCsv(post, csv, &imported, &error), qPrintable(error));
    QCOMPARE(imported, int(expected.size()));
    // The sample rows are replaced, not added to.
    QCOMPARE(FileDb(post).rows("SELECT ZIPCODE, SIDO, GUGUN, DONG, BUNJI FROM Post ORDER BY rowid"),
             expected);
}

void TestDemoData::importPostCsvRefusesBadInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("unclosed quote") << QStringLiteral("135-080,서울특별시,강남구,\"역삼동,\n").toUtf8();
    QTest::newRow("too few columns")
        << QStringLiteral("135-080,서울특별시,강남구,역삼동\n135-090,서울특별시\n").toUtf8();
    QTest::newRow("header only") << QByteArray("ZIPCODE,SIDO,GUGUN,DONG,BUNJI\n");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("neither UTF-8 nor CP949") << QByteArray("135-080,\xFF\xFF\xFF,a,b,c\n");
}

void TestDemoData::importPostCsvRefusesBadInput()
{
    QFETCH(QByteArray, bytes);
    TestHome home;
    create(home, DbTool::DemoOptions());
    const QString csv = home.path() + QStringLiteral("/post.csv");
    QFile f(csv);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    const QString post = AppPaths::ProgramPath(QStringLiteral("dbs/dbPost.mdb"));
    const QString before = FileDb(post).value("SELECT COUNT(*) FROM Post");
    QString error;
    QVERIFY(!DemoData::ImportPostCsv(post, csv, nullptr, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(FileDb(post).value("SELECT COUNT(*) FROM Post"), before);
}

QTEST_GUILESS_MAIN(TestDemoData)
#include "tst_demodata.moc"
