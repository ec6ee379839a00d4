#include "db/modDBQuery.h"
#include "support/DbFixture.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

// The files the database tool creates: tables and columns in order, relationships, version and upgrade.
class TestSchema : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void filesAndFolders();
    void tablesAndColumnsInOrder_data();
    void tablesAndColumnsInOrder();
    void settingsRowsStartMissing();
    void textKeepsLeadingZeros();
    void upgradeFromUnversionedFile_data();
    void upgradeFromUnversionedFile();
};

void TestSchema::filesAndFolders()
{
    DbFixture db;
    for (const char* p :
         {"DBS/dbMain.mdb", "DBS/dbReport_SRC.mdb", "dbs/dbPost.mdb", "FormIni", "Image", "doc", "ExpExcel"})
        QVERIFY2(QFileInfo::exists(AppPaths::ProgramPath(QString::fromLatin1(p))), p);
    // "\dbs" and "\DBS" are one folder.
    QCOMPARE(AppPaths::ProgramPath("dbs/dbpost.MDB"), db.home.dbsFolder() + "/dbPost.mdb");
    QCOMPARE(GetFirstValue("PRAGMA journal_mode").toString(), QStringLiteral("wal"));
    QCOMPARE(GetFirstValue("PRAGMA foreign_keys").toInt(), 1);
    QCOMPARE(Schema::StoredVersion(db.mainFile, nullptr), Schema::kCurrentVersion);
}

void TestSchema::tablesAndColumnsInOrder_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columns");
    QTest::newRow("고객") << "DBS/dbMain.mdb"
                          << "고객"
                          << QStringList{"코드",  "전화1", "전화2",    "전화3",      "전화4", "우편번호",
                                         "주소1", "주소2", "현포인트", "기초포인트", "메모"};
    QTest::newRow("가맹점") << "DBS/dbMain.mdb"
                            << "가맹점" << QStringList{"코드",   "상호",     "전화1", "전화2",    "전화3",
                                                       "전화4",  "우편번호", "주소1", "주소2",    "수수료율",
                                                       "현잔액", "기초잔액", "메모",  "영업시작", "영업종료"};
    QTest::newRow("취급메뉴") << "DBS/dbMain.mdb"
                              << "취급메뉴"
                              << QStringList{"코드", "메뉴명", "가맹점코드", "판매단가", "메모"};
    QTest::newRow("주문") << "DBS/dbMain.mdb"
                          << "주문" << QStringList{"주문번호", "고객코드", "주문시전화", "가맹점코드",
                                                   "주문일자", "주문시간", "통보시간"};
    QTest::newRow("주문내역") << "DBS/dbMain.mdb"
                              << "주문내역" << QStringList{"주문번호", "순번",   "주문메뉴", "수량",  "단가",
                                                           "금액",     "수수료", "메모",     "포인트"};
    QTest::newRow("입금") << "DBS/dbMain.mdb"
                          << "입금"
                          << QStringList{"처리순번", "가맹점코드", "입금일자", "입금액", "할인액", "메모"};
    QTest::newRow("서비스") << "DBS/dbMain.mdb"
                            << "서비스"
                            << QStringList{"처리순번", "고객코드", "서비스일", "차감포인트", "메모"};
    QTest::newRow("가맹점휴일") << "DBS/dbMain.mdb"
                                << "가맹점휴일"
                                << QStringList{"순번", "가맹점코드", "일자", "반복구분", "메모"};
    QTest::newRow("환경설정") << "DBS/dbMain.mdb"
                              << "환경설정" << QStringList{"구분", "설정값"};
    QTest::newRow("보안설정") << "DBS/dbMain.mdb"
                              << "보안설정" << QStringList{"폼이름", "폼설명", "사용권한", "메모"};
    QTest::newRow("사용자정보") << "DBS/dbMain.mdb"
                                << "사용자정보"
                                << QStringList{"상호명",   "대표자명", "사업자번호",   "우편번호",
                                               "주소일반", "주소상세", "전화번호",     "팩스번호",
                                               "업태",     "종목",     "자료등록일자", "최종수정일"};
    QTest::newRow("매출대입금") << "DBS/dbReport_SRC.mdb"
                                << "매출대입금"
                                << QStringList{"순번", "가맹점코드", "상호",   "일자",   "메뉴명", "수량",
                                               "단가", "할인액",     "수수료", "입금액", "잔액"};
    QTest::newRow("Post") << "DBS/dbPost.mdb"
                          << "Post" << QStringList{"ZIPCODE", "SIDO", "GUGUN", "DONG", "BUNJI"};
}

void TestSchema::tablesAndColumnsInOrder()
{
    QFETCH(QString, file);
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    DbFixture db;
    DbConnection conn;
    ErrInfo e;
    QVERIFY(conn.open(AppPaths::ProgramPath(file), true, &e));
    QSqlQuery q(conn.database());
    QVERIFY(q.exec("PRAGMA table_info(\"" + table + "\")"));
    QStringList actual;
    while (q.next())
        actual << q.value(1).toString();
    QCOMPARE(actual, columns);
}

void TestSchema::settingsRowsStartMissing()
{
    DbFixture db;
    QCOMPARE(CountRows("환경설정"), 0);
    QCOMPARE(CountRows("보안설정"), 0);
}

void TestSchema::textKeepsLeadingZeros()
{
    DbFixture db;
    QCOMPARE(ExecSQL("INSERT INTO 고객 (코드, 전화1, 우편번호) VALUES ('00000001', '0212345678', '012345')"),
             1);
    QCOMPARE(GetFirstValue("SELECT 전화1 FROM 고객").toString(), QStringLiteral("0212345678"));
    QCOMPARE(GetFirstValue("SELECT 우편번호 FROM 고객 WHERE 코드 = '00000001'").toString(),
             QStringLiteral("012345"));
}

void TestSchema::upgradeFromUnversionedFile_data()
{
    QTest::addColumn<QString>("failing"); // how the statement the engine refuses starts; "" for none
    QTest::newRow("every step runs") << QString();
    QTest::newRow("a middle step fails") << QStringLiteral("CREATE INDEX \"ix_주문_3\"");
    QTest::newRow("the customer index step fails") << QStringLiteral("CREATE INDEX \"ix_주문_2\"");
    QTest::newRow("the version write fails") << QStringLiteral("UPDATE zk_schema");
}

void TestSchema::upgradeFromUnversionedFile()
{
    QFETCH(QString, failing);
    TestHome home;
    const QString file = home.dbsFolder() + "/dbMain.mdb";
    QString error;
    QVERIFY(Schema::CreateDatabaseFile(file, Schema::MainTables(), 0, &error));
    QCOMPARE(Schema::StoredVersion(file, &error), 0);
    const auto indexColumns = [&file](const QString& index) {
        DbConnection conn;
        QSqlQuery q(conn.open(file, true, nullptr) ? conn.database() : QSqlDatabase());
        q.exec("SELECT COUNT(*) FROM pragma_index_info('" + index + "')");
        return q.next() ? q.value(0).toInt() : -1;
    };
    if (failing.isEmpty()) {
        // A file before version 7 holds the customer index of 주문 on the customer alone.
        {
            DbConnection conn;
            QVERIFY(conn.open(file, false, nullptr));
            QSqlQuery q(conn.database());
            QVERIFY(q.exec("DROP INDEX \"ix_주문_2\""));
            QVERIFY(q.exec("CREATE INDEX \"ix_주문_2\" ON \"주문\" (\"고객코드\")"));
        }
        QCOMPARE(indexColumns("ix_주문_2"), 1);
        QVERIFY2(DbTool::Upgrade(home.programFolder(), &error), qPrintable(error));
        QCOMPARE(Schema::StoredVersion(file, &error), Schema::kCurrentVersion);
        QCOMPARE(indexColumns("ix_주문_2"), 4);
        QVERIFY(DbTool::Upgrade(home.programFolder(), &error)); // idempotent
        return;
    }
    const auto layout = [&file] {
        DbConnection conn;
        QStringList names;
        if (!conn.open(file, true, nullptr))
            return names;
        QSqlQuery q(conn.database());
        q.exec("SELECT name FROM sqlite_master ORDER BY name");
        while (q.next())
            names << q.value(0).toString();
        return names;
    };
    const QStringList before = layout();
    {
        DbConnection conn;
        QVERIFY(conn.open(file, false, nullptr));
        conn.setFaultInjector([&](const QString& sql) -> std::optional<ErrInfo> {
            if (sql.startsWith(failing))
                return ErrInfo{1, QStringLiteral("disk I/O error")};
            return std::nullopt;
        });
        QVERIFY(!Schema::Upgrade(conn, &error));
        QVERIFY2(error.contains(failing), qPrintable(error));
    }
    QCOMPARE(layout(), before);
    QCOMPARE(Schema::StoredVersion(file, &error), 0);
}

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
