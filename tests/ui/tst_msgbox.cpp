#include "support/ScriptedPrompter.h"
#include "ui/MsgBox.h"

#include <QTest>

class TestMsgBox : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void formatMessage_data();
    void formatMessage();
    void questionsDefaultAndTitle();
    void errorTexts();
};

void TestMsgBox::formatMessage_data()
{
    QTest::addColumn<QString>("templ");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one value leaves %1") << "a%0b%0c%1" << QVariantList{"X"} << "aXbXc%1";
    QTest::newRow("two values") << "코드『%0』 %1" << QVariantList{"123", 4} << "코드『123』 4";
    QTest::newRow("%1 before %10") << "%10" << QVariantList{"a", "b"} << "b0";
    QTest::newRow("no values") << "%0" << QVariantList{} << "%0";
}

void TestMsgBox::formatMessage()
{
    QFETCH(QString, templ);
    QFETCH(QVariantList, values);
    QFETCH(QString, expected);
    QCOMPARE(FormatMessage(templ, values), expected);
}

void TestMsgBox::questionsDefaultAndTitle()
{
    ScriptedPrompter p;
    p.answer(MsgAnswer::Yes);
    QCOMPARE(AskYesNo(QStringLiteral("q"), QString(), false), MsgAnswer::Yes);
    QCOMPARE(p.shown().last().request.defaultAnswer, MsgAnswer::No);
    QCOMPARE(p.lastTitle(), AppTitle());
    // Nothing scripted: the default button's answer, counted as unexpected.
    QCOMPARE(AskYesNo(QStringLiteral("q2"), QStringLiteral("t"), true), MsgAnswer::Yes);
    QCOMPARE(p.unexpected(), 1);
    QCOMPARE(p.lastTitle(), QStringLiteral("t"));
}

void TestMsgBox::errorTexts()
{
    ScriptedPrompter p;
    QVERIFY(!ShowErrorInfo(QStringLiteral("프로그램 수행도중 오류가 발생했습니다."), {3021, QStringLiteral("desc")}));
    QCOMPARE(p.lastTitle(), QStringLiteral("오류"));
    QCOMPARE(p.lastText(), QStringLiteral("프로그램 수행도중 오류가 발생했습니다.\r\n오류번호 : 3021\r\n오류내용 : desc"));
    QCOMPARE(p.shown().last().request.icon, MsgIcon::Warning);
    QCOMPARE(StandardErrorText({5, QStringLiteral("x")}, QStringLiteral("InitApp"), QStringLiteral("MduMain")),
             QStringLiteral("Error 5 (x) in procedure InitApp of Module MduMain"));
    QCOMPARE(StandardErrorText({5, QStringLiteral("x")}, QStringLiteral("Form_Load"), QStringLiteral("FrmMain"),
                               ErrOwner::Form),
             QStringLiteral("Error 5 (x) in procedure Form_Load of Form FrmMain"));
}

QTEST_GUILESS_MAIN(TestMsgBox)
#include "tst_msgbox.moc"
