#include "support/Controls.h"
#include "support/TestHome.h"
#include "ui/gui/ListScreen.h"
#include "ui/gui/SpreadGrid.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <memory>

// The smallest list screen: it records which of its actions ran.
class ProbeList : public ListScreen
{
public:
    ProbeList()
    {
        setObjectName(QStringLiteral("ProbeList"));
        spList()->SetMaxCols(2);
        AddFindKey(QStringLiteral("전화번호"), QStringLiteral("전화1,전화2"));
        FinishLayout();
    }
    int Search() override
    {
        calls << QStringLiteral("search");
        spList()->SetMaxRows(1);
        return 1;
    }
    void AddRecord() override { calls << QStringLiteral("add"); }
    void EditRecord() override { calls << QStringLiteral("edit"); }
    void DeleteRecord() override { calls << QStringLiteral("delete"); }
    void ExportList() override { calls << QStringLiteral("excel"); }

    QStringList calls;
};

class TestListScreen : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void controls();
    void functionKeys_data();
    void functionKeys();
    void enterSearchesThenEdits();

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<ProbeList> m_screen;
};

void TestListScreen::init()
{
    m_home = std::make_unique<TestHome>();
    m_screen = std::make_unique<ProbeList>();
    m_screen->show();
    m_screen->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_screen.get()));
}

void TestListScreen::controls()
{
    ProbeList& s = *m_screen;
    for (const char* name :
         {"htName", "cmbFindKey", "cmbFindOP", "spList", "lblRecCount", "btnQuery", "btnClose"})
        QVERIFY2(s.findChild<QWidget*>(QString::fromLatin1(name)), name);
    s.SetRecCount(1234);
    QCOMPARE(Ctl<QLabel>(&s, "lblRecCount")->text(), QStringLiteral("1234"));
    QCOMPARE(Ctl<QMenu>(&s, "mnutool")->title(), QStringLiteral("도구(&T)"));
    QStringList items;
    for (QAction* a : Ctl<QMenu>(&s, "mnutool")->actions())
        items << a->objectName() + QLatin1Char('=') + a->text();
    QCOMPARE(items,
             QStringList({QStringLiteral("mnutool_print=인쇄"), QStringLiteral("mnutool_excel=엑셀")}));
    Ctl<QMenu>(&s, "mnutool")->actions().at(1)->trigger();
    QCOMPARE(s.calls, QStringList{QStringLiteral("excel")});
    QCOMPARE(s.SearchWhere(), QString());
}

void TestListScreen::functionKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("call");  // action run, "" none
    QTest::addColumn<QString>("focus"); // control focused afterwards, "" unchanged
    QTest::newRow("F2") << int(Qt::Key_F2) << int(Qt::NoModifier) << "add"
                        << "";
    QTest::newRow("F3") << int(Qt::Key_F3) << int(Qt::NoModifier) << ""
                        << "htName";
    QTest::newRow("Shift+F3") << int(Qt::Key_F3) << int(Qt::ShiftModifier) << ""
                              << "cmbFindKey";
    QTest::newRow("Ctrl+F3") << int(Qt::Key_F3) << int(Qt::ControlModifier) << ""
                             << "cmbFindOP";
    QTest::newRow("F4") << int(Qt::Key_F4) << int(Qt::NoModifier) << "delete"
                        << "";
    QTest::newRow("F5") << int(Qt::Key_F5) << int(Qt::NoModifier) << "search"
                        << "";
}

void TestListScreen::functionKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, call);
    QFETCH(QString, focus);
    ProbeList& s = *m_screen;
    Ctl<SpreadGrid>(&s, "spList")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(s.calls, call.isEmpty() ? QStringList() : QStringList{call});
    if (!focus.isEmpty())
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
}

void TestListScreen::enterSearchesThenEdits()
{
    ProbeList& s = *m_screen;
    Ctl<QLineEdit>(&s, "htName")->setFocus();
    QTest::keyClick(Ctl<QLineEdit>(&s, "htName"), Qt::Key_Return);
    QCOMPARE(s.calls, QStringList{QStringLiteral("search")});
    QVERIFY(Ctl<SpreadGrid>(&s, "spList")->isAncestorOf(QApplication::focusWidget()) ||
            QApplication::focusWidget() == Ctl<SpreadGrid>(&s, "spList"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(s.calls, QStringList({QStringLiteral("search"), QStringLiteral("edit")}));
}

QTEST_MAIN(TestListScreen)
#include "tst_listscreen.moc"
