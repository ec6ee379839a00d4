#include "app/AppLog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The log turns over at its size limit and keeps only the newest old files.
class TestAppLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void turnsOverAndKeepsTheNewest();
};

void TestAppLog::turnsOverAndKeepsTheNewest()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("Log");
    AppLog::Start(folder, 400);
    for (int i = 0; i < 100; ++i)
        AppLog::Write("장치", QString("수신 %1\r\n둘째 줄").arg(i, 3, 10, QChar('0')));
    qWarning("포트를 열 수 없음");
    AppLog::Stop();
    AppLog::Write("오류", "멈춘 뒤에는 쓰지 않음");

    QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
    QCOMPARE(files.size(), 1 + AppLog::kKeep);
    QVERIFY(!files.contains(QString("zelkova.log.%1").arg(AppLog::kKeep + 1)));
    for (const QString& f : files)
        QVERIFY2(QFileInfo(QDir(folder).filePath(f)).size() <= 400, qPrintable(f));
    QFile current(QDir(folder).filePath("zelkova.log"));
    QVERIFY(current.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(current.readAll());
    // One line per entry, the newest last, Qt's own warnings included.
    QVERIFY(text.contains("[장치] 수신 099 | 둘째 줄\n"));
    QVERIFY(text.endsWith("[Qt] 포트를 열 수 없음\n"));
    QVERIFY(!text.contains("멈춘 뒤에는"));
    QFile older(QDir(folder).filePath("zelkova.log.1"));
    QVERIFY(older.open(QIODevice::ReadOnly));
    QVERIFY(!QString::fromUtf8(older.readAll()).contains("099"));
}

QTEST_GUILESS_MAIN(TestAppLog)
#include "tst_applog.moc"
