#include "DbFixture.h"
#include "db/modDBQuery.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

// Several processes posting relative balance updates to one file at once must lose nothing.
class TestConcurrentPostings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void twoProcessesAddUp();
};

static constexpr int kPostsPerProcess = 300;

static int runChild(const QString& file, const QString& delta)
{
    ErrInfo e;
    if (!gMainConn.open(file, false, &e))
        return 3;
    for (int i = 0; i < kPostsPerProcess; ++i) {
        // A posting and its companion write commit together, as the order screens do it.
        DbTransaction t(gMainConn);
        if (!t.active())
            return 4;
        if (gMainConn.exec("UPDATE 가맹점 SET 현잔액 = 현잔액 + " + delta + " WHERE 코드 = 'S1'")
                .rowsAffected != 1)
            return 5;
        if (!gMainConn.exec(QStringLiteral("UPDATE 고객 SET 현포인트 = 현포인트 + 1 WHERE 코드 = 'C1'")).ok)
            return 6;
        if (!t.commit())
            return 7;
    }
    gMainConn.close();
    return 0;
}

void TestConcurrentPostings::twoProcessesAddUp()
{
    DbFixture db;
    QCOMPARE(ExecSQL("INSERT INTO 가맹점 (코드, 상호, 현잔액) VALUES ('S1', 's', 0)"), 1);
    QCOMPARE(ExecSQL("INSERT INTO 고객 (코드, 현포인트) VALUES ('C1', 0)"), 1);
    gMainConn.close();

    QList<QProcess*> children;
    for (const char* delta : {"0.5", "2"}) {
        auto* p = new QProcess(this);
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--child"), db.mainFile, QString::fromLatin1(delta)});
        children << p;
    }
    for (QProcess* p : children) {
        QVERIFY(p->waitForFinished(120000));
        QCOMPARE(p->exitCode(), 0);
    }
    ErrInfo e;
    QVERIFY(gMainConn.open(db.mainFile, false, &e));
    QCOMPARE(GetFirstValue("SELECT 현잔액 FROM 가맹점 WHERE 코드 = 'S1'").toDouble(), kPostsPerProcess * 2.5);
    QCOMPARE(GetFirstValue("SELECT 현포인트 FROM 고객 WHERE 코드 = 'C1'").toInt(), kPostsPerProcess * 2);
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("--child"))
        return runChild(args.at(2), args.at(3));
    TestConcurrentPostings t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_concurrentpostings.moc"
