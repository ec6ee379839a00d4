#include "admin/PasswordHash.h"
#include "admin/StoredPasswords.h"
#include "app/Globals.h"
#include "app/start/MduMain.h"
#include "db/modDBQuery.h"
#include "db/modMain_SQL.h"
#include "support/DbFixture.h"
#include "support/ScriptedPrompter.h"
#include "ui/MsgBox.h"

#include <QElapsedTimer>
#include <QTest>

using PasswordHash::LetterCase;

// Password hashing: the derivation itself, matching by letter case, and clear text of an older database
// replaced by its hash when the program reads it.
class TestPasswords : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void pbkdf2KnownAnswers_data();
    void pbkdf2KnownAnswers();
    void matches_data();
    void matches();
    void clearTextUpgradedAtStart_data();
    void clearTextUpgradedAtStart();
};

void TestPasswords::initTestCase()
{
    QCOMPARE(PasswordHash::Iterations(), PasswordHash::kIterations);
    QVERIFY(PasswordHash::kIterations >= 600000);
    // Today's count costs 0.2 s a hash; the rules are the same at a lower one.
    PasswordHash::SetIterations(1000);
}

void TestPasswords::pbkdf2KnownAnswers_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("salt");
    QTest::addColumn<int>("iterations");
    QTest::addColumn<QByteArray>("hex");
    QTest::newRow("c=1") << QByteArray("password") << QByteArray("salt") << 1
                         << QByteArray("120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b");
    QTest::newRow("c=2") << QByteArray("password") << QByteArray("salt") << 2
                         << QByteArray("ae4d0c95af6b46d32d0adff928f06dd02a303f8ef3c251dfd6e2d85a95474c43");
    QTest::newRow("c=4096") << QByteArray("password") << QByteArray("salt") << 4096
                            << QByteArray("c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a");
    QTest::newRow("passwd") << QByteArray("passwd") << QByteArray("salt") << 1
                            << QByteArray("55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc");
}

void TestPasswords::pbkdf2KnownAnswers()
{
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, salt);
    QFETCH(int, iterations);
    QFETCH(QByteArray, hex);
    QCOMPARE(PasswordHash::Pbkdf2Sha256(password, salt, iterations).toHex(), hex);
}

void TestPasswords::matches_data()
{
    QTest::addColumn<QString>("stored"); // "#" + text = the hash of that text
    QTest::addColumn<int>("letterCase");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("match");
    const int exact = int(LetterCase::Exact);
    const int ignored = int(LetterCase::Ignored);
    QTest::newRow("admin, other case") << "#Admin1" << ignored << "aDMIN1" << true;
    QTest::newRow("admin, hangul") << "#관리자" << ignored << "관리자" << true;
    QTest::newRow("admin, wrong") << "#Admin1" << ignored << "Admin2" << false;
    QTest::newRow("admin, empty typed") << "#Admin1" << ignored << "" << false;
    QTest::newRow("login, exact") << "#s3cret" << exact << "s3cret" << true;
    QTest::newRow("login, other case") << "#s3cret" << exact << "S3CRET" << false;
    QTest::newRow("older clear text, admin") << "Admin1" << ignored << "ADMIN1" << true;
    QTest::newRow("older clear text, login") << "s3cret" << exact << "S3CRET" << false;
    QTest::newRow("none, empty typed") << "" << exact << "" << true;
    QTest::newRow("none, typed") << "" << exact << "x" << false;
    // A stored form asking for absurd work is no hash: only its own text would match it.
    QTest::newRow("absurd iterations") << "pbkdf2-sha256$999999999$c2FsdA==$AAAA" << exact << "x" << false;
}

void TestPasswords::matches()
{
    QFETCH(QString, stored);
    QFETCH(int, letterCase);
    QFETCH(QString, typed);
    QFETCH(bool, match);
    const auto lc = LetterCase(letterCase);
    if (stored.startsWith(QLatin1Char('#'))) {
        const QString plain = stored.mid(1);
        stored = PasswordHash::Make(plain, lc);
        QVERIFY(PasswordHash::IsHashed(stored));
        QVERIFY(!stored.contains(plain, Qt::CaseInsensitive));
        // Every hash has its own salt: the same password never gives the same text twice.
        QVERIFY(PasswordHash::Make(plain, lc) != stored);
    }
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(PasswordHash::Matches(typed, stored, lc), match);
    QVERIFY2(timer.elapsed() < 1000, "a check must stay quick enough for a login");
}

void TestPasswords::clearTextUpgradedAtStart_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("clearText");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("match");
    QTest::newRow("admin, other case") << "관리자암호"
                                       << "Admin1"
                                       << "aDMIN1" << true;
    QTest::newRow("login, exact") << "로그인암호"
                                  << "s3cret"
                                  << "s3cret" << true;
    QTest::newRow("login, other case") << "로그인암호"
                                       << "s3cret"
                                       << "S3CRET" << false;
    QTest::newRow("none stays none") << "관리자암호"
                                     << ""
                                     << "" << true;
}

void TestPasswords::clearTextUpgradedAtStart()
{
    QFETCH(QString, key);
    QFETCH(QString, clearText);
    QFETCH(QString, typed);
    QFETCH(bool, match);
    DbFixture db;
    ScriptedPrompter prompter;
    QVERIFY(SaveConfig(key, clearText));
    QVERIFY(ReadOptions(ShowFound()));

    const QString stored = GetConfig(key, QStringLiteral("?"));
    QCOMPARE(PasswordHash::IsHashed(stored), !clearText.isEmpty());
    if (!clearText.isEmpty())
        QCOMPARE(CountRows(QStringLiteral("환경설정"),
                           QStringLiteral("설정값 LIKE ") + SQLLikePattern(clearText, LikeMatch::Contains)),
                 0);
    QCOMPARE(PasswordHash::Matches(typed, stored, StoredPasswords::CaseOf(key)), match);
    if (key == StoredPasswords::kAdminKey)
        QCOMPARE(gAdminPWD, stored);
    // A second start finds the hash and leaves it alone.
    QVERIFY(ReadOptions(ShowFound()));
    QCOMPARE(GetConfig(key, QStringLiteral("?")), stored);
    QCOMPARE(prompter.count(), 0);
}

QTEST_GUILESS_MAIN(TestPasswords)
#include "tst_passwords.moc"
