#include "app/Globals.h"
#include "masters/gui/frmZipcode.h"
#include "support/Controls.h"
#include "support/DbFixture.h"
#include "support/ScriptedPrompter.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/SpreadGrid.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>

// The postal-code search on a postal file with known rows.
class TestZipcode : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void searchRules_data();
    void searchRules();
    void initForm_data();
    void initForm();
    void emptySearchAsks();
    void notFoundMessage();
    void badTextRefused();
    void runZipSearch_data();
    void runZipSearch();
    void missingFile();

private:
    DbFixture* m_db = nullptr;
    QString m_postFile;
};

void TestZipcode::init()
{
    m_db = new DbFixture;
    gIsNT = true;
    m_postFile = AppPaths::ProgramPath(Schema::kPostFile);
    DbConnection post;
    ErrInfo e;
    QVERIFY(post.open(m_postFile, false, &e));
    QVERIFY(post.exec("DELETE FROM Post").ok);
    const char* rows[][5] = {{"110-030", "서울특별시", "종로구", "삼청동", "35~40"},
                             {"123456", "경기도", "수원시", "영통동", "1~10"},
                             {"123457", "경기도", "수원시", "영통2동", ""},
                             {"", "경기도", "용인시", "신갈동", ""},
                             {"135-080", "서울특별시", "강남구", "역삼동", "1~100"},
                             {"135-081", "서울특별시", "강남구", "역삼동", "701~800"}};
    for (const auto& r : rows) {
        QSqlQuery q(post.database());
        q.prepare("INSERT INTO Post (ZIPCODE, SIDO, GUGUN, DONG, BUNJI) VALUES (?, ?, ?, ?, ?)");
        for (const char* v : r)
            q.addBindValue(QString::fromUtf8(v));
        QVERIFY(q.exec());
    }
    post.close();
}

void TestZipcode::cleanup()
{
    SetModalHandler({});
    delete m_db;
    m_db = nullptr;
    gIsNT = true;
}

void TestZipcode::searchRules_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("nt");
    QTest::addColumn<int>("rows");
    QTest::newRow("hyphenated code as stored") << "110-030" << true << 1;
    QTest::newRow("same code without hyphen") << "110030" << true << 0;
    QTest::newRow("plain code as stored") << "123456" << true << 1;
    QTest::newRow("plain code typed with hyphen") << "123-456" << true << 0;
    QTest::newRow("town start") << "삼청" << true << 1;
    QTest::newRow("town middle not found") << "청동" << true << 0;
    QTest::newRow("town middle on old systems") << "청동" << false << 1;
    QTest::newRow("two rows of one town") << "역삼동" << true << 2;
    QTest::newRow("quote in text") << "x'y" << true << 0;
    QTest::newRow("percent is no wildcard") << "%" << true << 0;
    QTest::newRow("underscore is no wildcard") << "역_동" << false << 0;
}

void TestZipcode::searchRules()
{
    QFETCH(QString, text);
    QFETCH(bool, nt);
    QFETCH(int, rows);
    ScriptedPrompter prompter;
    gIsNT = nt;
    frmZipcode w;
    QVERIFY(w.isReady());
    Ctl<QLineEdit>(&w, "txtInput")->setText(text);
    QCOMPARE(w.RefreshSheet(), rows);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spList")->MaxRows(), rows);
    QCOMPARE(prompter.count(), 0); // a quote must not break the statement
}

void TestZipcode::initForm_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("post");
    QTest::addColumn<QString>("addr");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty shows the window") << "" << 2 << ""
                                            << ""
                                            << "";
    QTest::newRow("single town") << "삼청동" << 1 << "110-030"
                                 << "서울특별시 종로구 삼청동"
                                 << "";
    QTest::newRow("six digits get the hyphen") << "123456" << 1 << "123-456"
                                               << "경기도 수원시 영통동"
                                               << "";
    QTest::newRow("several") << "역삼" << 2 << ""
                             << ""
                             << "";
    QTest::newRow("none") << "없는동" << 0 << ""
                          << ""
                          << "";
    QTest::newRow("row without code") << "신갈" << 0 << ""
                                      << ""
                                      << "데이터에 문제가 있어 우편번호를 찾을 수 없습니다.";
}

void TestZipcode::initForm()
{
    QFETCH(QString, text);
    QFETCH(int, result);
    QFETCH(QString, post);
    QFETCH(QString, addr);
    QFETCH(QString, message);
    ScriptedPrompter prompter;
    frmZipcode w;
    QCOMPARE(w.InitForm(text), result);
    QCOMPARE(w.Post(), post);
    QCOMPARE(w.Addr(), addr);
    QCOMPARE(prompter.lastText(), message);
}

void TestZipcode::emptySearchAsks()
{
    ScriptedPrompter prompter;
    frmZipcode w;
    w.InitForm("역삼동");
    Ctl<QLineEdit>(&w, "txtInput")->clear();
    prompter.answer(MsgAnswer::No);
    QTest::keyClick(Ctl<QLineEdit>(&w, "txtInput"), Qt::Key_Return);
    QCOMPARE(prompter.lastTitle(), QString("우편번호 검색"));
    QCOMPARE(prompter.lastText(),
             QString("우편번호 전체 검색을 하시겠습니까?\r\n※시스템에 따라 시간이 다소 걸릴 수도 있습니다."));
    QCOMPARE(prompter.shown().last().request.defaultAnswer, MsgAnswer::No);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spList")->MaxRows(), 2);
    prompter.answer(MsgAnswer::Yes);
    QTest::keyClick(Ctl<QLineEdit>(&w, "txtInput"), Qt::Key_F5);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spList")->MaxRows(), 6);
    QCOMPARE(prompter.unexpected(), 0);
}

void TestZipcode::notFoundMessage()
{
    ScriptedPrompter prompter;
    frmZipcode w;
    Ctl<QLineEdit>(&w, "txtInput")->setText("없는동");
    QTest::keyClick(Ctl<QLineEdit>(&w, "txtInput"), Qt::Key_Return);
    QCOMPARE(prompter.lastText(), QString("'없는동' 를 찾을 수 없습니다."));
    // Choosing from an empty list tells the operator to pick a row.
    w.findChild<QPushButton*>("btnSel")->click();
    QCOMPARE(prompter.lastText(), QString("리스트에서 선택하세요."));
    QVERIFY(w.Post().isEmpty());
}

void TestZipcode::badTextRefused()
{
    ScriptedPrompter prompter;
    bool windowShown = false;
    SetModalHandler([&](QDialog*) {
        windowShown = true;
        return int(QDialog::Rejected);
    });
    frmZipcode w;
    Ctl<QLineEdit>(&w, "txtInput")->setText(QStringLiteral("역삼") + QChar(0));
    QTest::keyClick(Ctl<QLineEdit>(&w, "txtInput"), Qt::Key_Return);
    QString p;
    QString a;
    QVERIFY(!RunZipSearch(nullptr, QString(200, u'동'), p, a));
    // One refusal each, never an engine error or a "not found".
    QCOMPARE(prompter.count(), 2);
    for (const QString& text : prompter.texts())
        QVERIFY2(text.endsWith(QStringLiteral("검색어를 고쳐서 다시 입력하세요.")), qPrintable(text));
    QVERIFY(!windowShown);
}

void TestZipcode::runZipSearch_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pickRow"); // row chosen in the shown window, 0 = closed without a choice
    QTest::addColumn<bool>("taken");
    QTest::addColumn<bool>("nothingFound");
    QTest::addColumn<int>("shown");
    QTest::addColumn<QString>("post");
    QTest::newRow("single taken at once") << "삼청동" << 0 << true << false << 0 << "110-030";
    QTest::newRow("several, second picked") << "역삼동" << 2 << true << false << 1 << "135-081";
    QTest::newRow("several, closed") << "역삼동" << 0 << false << false << 1 << "";
    QTest::newRow("none") << "없는동" << 0 << false << true << 0 << "";
}

void TestZipcode::runZipSearch()
{
    QFETCH(QString, text);
    QFETCH(int, pickRow);
    QFETCH(bool, taken);
    QFETCH(bool, nothingFound);
    QFETCH(int, shown);
    QFETCH(QString, post);
    ScriptedPrompter prompter;
    int modalRuns = 0;
    SetModalHandler([&](QDialog* d) {
        ++modalRuns;
        auto* w = qobject_cast<frmZipcode*>(d);
        if (!w || pickRow == 0)
            return int(QDialog::Rejected);
        Ctl<SpreadGrid>(w, "spList")->SetActiveCell(1, pickRow);
        w->findChild<QPushButton*>("btnSel")->click();
        return w->result();
    });
    QString p;
    QString a;
    bool none = false;
    QCOMPARE(RunZipSearch(nullptr, text, p, a, &none), taken);
    QCOMPARE(none, nothingFound);
    QCOMPARE(modalRuns, shown);
    QCOMPARE(p, post);
    QCOMPARE(prompter.lastText(), nothingFound ? QString("해당하는 주소가 검색되지 않습니다.") : QString());
}

void TestZipcode::missingFile()
{
    QVERIFY(QFile::remove(m_postFile));
    ScriptedPrompter prompter;
    QString p;
    QString a;
    QVERIFY(!RunZipSearch(nullptr, "삼청동", p, a));
    QCOMPARE(prompter.count(), 1);
    QCOMPARE(prompter.shown().first().request.icon, MsgIcon::Warning);
    QVERIFY(prompter.lastText().startsWith(
        "우편번호파일이 없어졌거나 옮겨졌습니다.\r\n\r\n우편번호파일을 확인하세요.\r\n"));
    QVERIFY(prompter.lastText().endsWith("dbPost.mdb"));
}

QTEST_MAIN(TestZipcode)
#include "tst_zipcode.moc"
