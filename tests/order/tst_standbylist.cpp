#include "app/Clock.h"
#include "app/UserSettings.h"
#include "order/gui/FrmSeeIDStanbyList.h"
#include "order/gui/FrmSeeidList.h"
#include "order/gui/modSeeID.h"
#include "support/Controls.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"
#include "ui/MsgBox.h"
#include "ui/gui/modFormIni.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <cmath>
#include <memory>

// The standby queue of unplaced calls, its window and the caller-ID log.
class TestStandbyList : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void queueIsFirstInFirstOut();
    void shownWhileNumbersWait();
    void deleteSelected_data();
    void deleteSelected();
    void deleteAll();
    void testButtonAddsAnswerAsTyped();
    void helpButton();
    void positionRestored_data();
    void positionRestored();
    void positionSaved_data();
    void positionSaved();
    void callerLog();

private:
    std::unique_ptr<TestHome> m_home;
};

void TestStandbyList::init()
{
    m_home = std::make_unique<TestHome>();
    Clock::SetFixed(QDateTime(QDate(2024, 3, 5), QTime(14, 5, 0)));
}

void TestStandbyList::cleanup()
{
    UnloadSeeIdWindows();
    Clock::SetFixed({});
    m_home.reset();
}

void TestStandbyList::queueIsFirstInFirstOut()
{
    QCOMPARE(PopStandbyNumber(), QString());

    AddStandbyNumber(QStringLiteral("0211112222"));
    Clock::Advance(90);
    AddStandbyNumber(QStringLiteral("01033334444"));
    AddStandbyNumber(QString()); // carries no number

    const QStringList items = StandbyWindow()->Items();
    QCOMPARE(items.size(), 2);
    QVERIFY(items[0].startsWith(QStringLiteral("0211112222 [")));
    QVERIFY(items[0].endsWith(QLatin1Char(']')));
    QCOMPARE(items[1], FrmSeeIDStanbyList::ItemText(QStringLiteral("01033334444"), Clock::Now()));
    QVERIFY(items[0] != FrmSeeIDStanbyList::ItemText(QStringLiteral("0211112222"), Clock::Now()));

    QCOMPARE(PopStandbyNumber(), QStringLiteral("0211112222"));
    QCOMPARE(PopStandbyNumber(), QStringLiteral("01033334444"));
    QCOMPARE(PopStandbyNumber(), QString());
    QCOMPARE(StandbyCount(), 0);
}

void TestStandbyList::shownWhileNumbersWait()
{
    FrmSeeIDStanbyList* w = StandbyWindow();
    QVERIFY(w->isHidden());
    QWidget work;
    work.show();
    QVERIFY(QTest::qWaitForWindowActive(&work));

    AddStandbyNumber(QStringLiteral("0211112222"));
    QVERIFY(w->isVisible());
    // The operator goes on typing where he was, even when something asks the window to the front.
    w->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &work);
    w->close(); // the operator closes it: hidden, not destroyed
    QVERIFY(w->isHidden());
    QCOMPARE(StandbyWindow(), w);

    w->setWindowState(Qt::WindowMinimized);
    AddStandbyNumber(QStringLiteral("0311112222"));
    QVERIFY(w->isVisible());
    QVERIFY(!w->isMinimized());

    PopStandbyNumber();
    QVERIFY(w->isVisible());
    PopStandbyNumber();
    QVERIFY(w->isHidden());
    PopStandbyNumber();
    QVERIFY(w->isHidden());
}

void TestStandbyList::deleteSelected_data()
{
    QTest::addColumn<QList<int>>("select");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing selected")
        << QList<int>{} << QStringList{"01", "02", "03"} << QStringLiteral("삭제할 항목을 선택해 주세요.");
    QTest::newRow("first and last") << QList<int>{0, 2} << QStringList{"02"} << QString();
    QTest::newRow("all three") << QList<int>{0, 1, 2} << QStringList{} << QString();
}

void TestStandbyList::deleteSelected()
{
    QFETCH(QList<int>, select);
    QFETCH(QStringList, left);
    QFETCH(QString, message);
    ScriptedPrompter prompter;
    for (const char* n : {"01", "02", "03"})
        AddStandbyNumber(QString::fromLatin1(n));
    FrmSeeIDStanbyList* w = StandbyWindow();
    Ctl<QListWidget>(w, "List1")->clearSelection();
    for (int row : select)
        Ctl<QListWidget>(w, "List1")->item(row)->setSelected(true);

    QTest::mouseClick(Ctl<QPushButton>(w, "btnDel"), Qt::LeftButton);

    QCOMPARE(prompter.lastText(), message);
    QStringList numbers;
    while (StandbyCount() > 0)
        numbers << PopStandbyNumber();
    QCOMPARE(numbers, left);
}

void TestStandbyList::deleteAll()
{
    AddStandbyNumber(QStringLiteral("01"));
    AddStandbyNumber(QStringLiteral("02"));
    QTest::mouseClick(Ctl<QPushButton>(StandbyWindow(), "btnAllDel"), Qt::LeftButton);
    QCOMPARE(StandbyCount(), 0);
    QCOMPARE(PopStandbyNumber(), QString());
}

void TestStandbyList::testButtonAddsAnswerAsTyped()
{
    ScriptedPrompter prompter;
    prompter.answerInput(QStringLiteral("0111234567"));
    prompter.answerInput(QString()); // an empty answer is what a cancelled box gives
    FrmSeeIDStanbyList* w = StandbyWindow();

    QTest::mouseClick(Ctl<QPushButton>(w, "Command1"), Qt::LeftButton);
    QTest::mouseClick(Ctl<QPushButton>(w, "Command1"), Qt::LeftButton);

    QCOMPARE(prompter.lastTitle(), QStringLiteral("test"));
    QCOMPARE(prompter.lastText(), QStringLiteral("string"));
    QCOMPARE(w->Items(), QStringList{QStringLiteral("0111234567")});
    QCOMPARE(PopStandbyNumber(), QStringLiteral("0111234567"));
}

void TestStandbyList::helpButton()
{
    ScriptedPrompter prompter;
    {
        FrmSeeIDStanbyList w;
        QVERIFY(Ctl<QPushButton>(&w, "cmdHelp")->isHidden());
    }
    QDir(m_home->programFolder()).mkpath(QStringLiteral("doc"));
    QFile file(m_home->programFolder() + QStringLiteral("/doc/발신번호안내.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    FrmSeeIDStanbyList w;
    QVERIFY(!Ctl<QPushButton>(&w, "cmdHelp")->isHidden());
    QVERIFY(file.remove()); // gone while the window was open
    w.cmdHelp_Click();
    QCOMPARE(prompter.lastText(), QStringLiteral("도움말 파일을 찾을 수 없습니다.") + kCrLf + w.HelpPath());
    QVERIFY(w.HelpPath().endsWith(QStringLiteral("doc/발신번호안내.txt")));
}

void TestStandbyList::positionRestored_data()
{
    QTest::addColumn<QString>("x");
    QTest::addColumn<QString>("y");
    QTest::addColumn<bool>("moved");
    QTest::newRow("both set") << "3000"
                              << "1500" << true;
    QTest::newRow("never saved") << "-1"
                                 << "-1" << false;
    QTest::newRow("left zero") << "0"
                               << "1500" << false;
    QTest::newRow("not a number") << "abc"
                                  << "1500" << false;
    QTest::newRow("infinite") << "inf"
                              << "1500" << false;
    QTest::newRow("absurdly far") << "3000"
                                  << "1e308" << false;
}

void TestStandbyList::positionRestored()
{
    QFETCH(QString, x);
    QFETCH(QString, y);
    QFETCH(bool, moved);
    UserSettings::Save(FrmSeeIDStanbyList::kSettingX, x);
    UserSettings::Save(FrmSeeIDStanbyList::kSettingY, y);

    FrmSeeIDStanbyList* w = StandbyWindow();
    const double tpp = TwipsPerPixel(w);
    const QPoint expected(int(std::lround(3000 / tpp)), int(std::lround(1500 / tpp)));
    QCOMPARE(w->pos() == expected, moved);
}

void TestStandbyList::positionSaved_data()
{
    QTest::addColumn<QString>("leaving");
    QTest::addColumn<bool>("minimised");
    QTest::addColumn<bool>("saved");
    QTest::newRow("closed by the operator") << "close" << false << true;
    QTest::newRow("hidden by taking the last number") << "pop" << false << true;
    QTest::newRow("unloaded on screen") << "unload" << false << true;
    QTest::newRow("unloaded minimised") << "unload" << true << false;
}

void TestStandbyList::positionSaved()
{
    QFETCH(QString, leaving);
    QFETCH(bool, minimised);
    QFETCH(bool, saved);
    const QRect place(QPoint(200, 100), QSize(340, 280));
    AddStandbyNumber(QStringLiteral("0211112222"));
    FrmSeeIDStanbyList* w = StandbyWindow();
    w->move(place.topLeft());
    w->resize(place.size());
    if (minimised)
        w->setWindowState(Qt::WindowMinimized);
    if (leaving == QLatin1String("close"))
        w->close();
    else if (leaving == QLatin1String("pop"))
        PopStandbyNumber();
    QVERIFY(leaving == QLatin1String("unload") || w->isHidden());

    UnloadSeeIdWindows();

    // The next window of the run opens where the last one was left, as large.
    QCOMPARE(QFileInfo::exists(FormIniFile(QStringLiteral("FrmSeeIDStanbyList"))), saved);
    QCOMPARE(StandbyCount(), 0);
    if (saved)
        QCOMPARE(QRect(StandbyWindow()->pos(), StandbyWindow()->size()), place);
}

void TestStandbyList::callerLog()
{
    AddMsg(QStringLiteral("0211112222 [a]"));
    AddMsg(QStringLiteral("0311112222 [b]"));
    FrmSeeidList* log = CallerLog();
    Ctl<QPlainTextEdit>(log, "txtMsg")->moveCursor(QTextCursor::Start); // the caret elsewhere does not matter
    AddMsg(QStringLiteral("0411112222 [c]"));
    QCOMPARE(log->Text(), QStringLiteral("0211112222 [a]\n0311112222 [b]\n0411112222 [c]\n"));
    QVERIFY(Ctl<QPlainTextEdit>(log, "txtMsg")->isReadOnly());
    QVERIFY(log->isHidden());

    QTest::mouseClick(Ctl<QPushButton>(StandbyWindow(), "btnAllList"), Qt::LeftButton);
    QVERIFY(log->isVisible());
    log->close();
    QVERIFY(log->isHidden());
    QCOMPARE(CallerLog(), log);
}

QTEST_MAIN(TestStandbyList)
#include "tst_standbylist.moc"
