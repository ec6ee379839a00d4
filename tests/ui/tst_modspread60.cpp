#include "app/Globals.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modFormIni.h"
#include "ui/gui/modSpread60.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

class TestModSpread60 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void reallyEdit_data();
    void reallyEdit();
    void deleteGridRow_data();
    void deleteGridRow();
    void insertSubTotal_data();
    void insertSubTotal();
    void gridMenuRowHeight_data();
    void gridMenuRowHeight();
    void gridMenuFontSize();
    void gridMenuReset_data();
    void gridMenuReset();
    void commonDesignReadOnly();
    void totalsGridFollowsEdits();

private:
    std::unique_ptr<TestHome> m_home;
};

void TestModSpread60::init()
{
    m_home = std::make_unique<TestHome>();
    gGridRowHeight = 14;
    gGridFontSize = 10;
}

void TestModSpread60::reallyEdit_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("text");
    QTest::newRow("yes keeps the new text") << int(MsgAnswer::Yes) << true << "new";
    QTest::newRow("no restores the old text") << int(MsgAnswer::No) << false << "old";
}

void TestModSpread60::reallyEdit()
{
    QFETCH(int, answer);
    SpreadGrid grid;
    grid.SetMaxCols(3);
    grid.SetMaxRows(3);
    grid.SetOddEvenRowColor(Qt::white, Qt::black, QColor(245, 245, 245), Qt::black);
    grid.SetText(2, 2, QStringLiteral("new"));
    const QColor back = grid.CellBackColor(2, 2);
    ScriptedPrompter p;
    p.answer(MsgAnswer(answer));
    QTEST(ReallyEdit(&grid, 2, 2, QStringLiteral("old")), "result");
    QTEST(grid.CellText(2, 2), "text");
    QCOMPARE(p.lastText(), QStringLiteral("정말 수정하시겠습니까?\r\n이전 데이터: old"));
    QCOMPARE(p.shown().last().request.defaultAnswer, MsgAnswer::Yes);
    // The confirmation colours are gone and the odd/even colour shows again.
    QCOMPARE(grid.CellBackColor(2, 2), back);
}

void TestModSpread60::deleteGridRow_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("shrink");
    QTest::addColumn<int>("maxRows");
    QTest::addColumn<QString>("firstTwo");
    QTest::addColumn<bool>("notice");
    QTest::newRow("active row, shrink") << -2 << true << 3 << "a|c" << true;
    QTest::newRow("given row, no shrink") << 1 << false << 6 << "b|c" << true;
    QTest::newRow("outside the grid") << 9 << true << 6 << "a|b" << false;
}

void TestModSpread60::deleteGridRow()
{
    QFETCH(int, row);
    QFETCH(bool, shrink);
    QFETCH(bool, notice);
    SpreadGrid grid;
    grid.SetMaxCols(1);
    grid.SetMaxRows(6); // four data rows and two empty ones below them
    const QStringList data{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                           QStringLiteral("d")};
    for (int r = 0; r < data.size(); ++r)
        grid.SetText(1, r + 1, data.at(r));
    grid.SetActiveCell(1, 2);
    ScriptedPrompter p;
    DeleteGridRow(&grid, row, shrink, true);
    QTEST(grid.MaxRows(), "maxRows");
    QTEST(grid.CellText(1, 1) + QLatin1Char('|') + grid.CellText(1, 2), "firstTwo");
    QCOMPARE(p.count() == 1 && p.shown().last().isNotice, notice);
    if (notice)
        QCOMPARE(p.lastText(), QStringLiteral("자료를 삭제하였습니다."));
}

void TestModSpread60::insertSubTotal_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<bool>("keep");
    QTest::addColumn<QStringList>("expected"); // label or key | amount | copy column, per row

    QTest::newRow("fewer than 3 rows")
        << QStringList{"A", "A"} << true << QStringList{"A|10|x1", "A|20|x2", "[합 계]|30|"};
    QTest::newRow("groups of 2 and 1 and 2")
        << QStringList{"A", "A", "B", "C", "C"} << true
        << QStringList{"A|10|x1", "A|20|x2", "[소 계]|30|x2", "B|30|x3",
                       "C|40|x4", "C|50|x5", "[소 계]|90|x5", "[합 계]|150|"};
    QTest::newRow("single rows only")
        << QStringList{"A", "B", "C"} << true << QStringList{"A|10|x1", "B|20|x2", "C|30|x3", "[합 계]|60|"};
    QTest::newRow("one group, grand total kept")
        << QStringList{"A", "A", "A"} << true << QStringList{"A|10|x1", "A|20|x2", "A|30|x3", "[합 계]|60|"};
    QTest::newRow("one group, grand total not kept")
        << QStringList{"A", "A", "A"} << false
        << QStringList{"A|10|x1", "A|20|x2", "A|30|x3", "[소 계]|60|x3", "[합 계]|60|"};
    QTest::newRow("last group single")
        << QStringList{"A", "A", "B"} << false
        << QStringList{"A|10|x1", "A|20|x2", "[소 계]|30|x2", "B|30|x3", "[합 계]|60|"};
}

void TestModSpread60::insertSubTotal()
{
    QFETCH(QStringList, keys);
    QFETCH(bool, keep);
    QFETCH(QStringList, expected);
    SpreadGrid grid;
    grid.SetMaxCols(3);
    grid.SetMaxRows(int(keys.size()));
    for (int i = 0; i < keys.size(); ++i) {
        grid.SetText(1, i + 1, keys.at(i));
        grid.SetText(2, i + 1, QString::number((i + 1) * 10));
        grid.SetText(3, i + 1, QStringLiteral("x%1").arg(i + 1));
    }
    AddTotalRow(&grid, 1);
    SetColumnSumRow(&grid, 2);
    InsertSubTotal(&grid, 1, {2}, 1, 3, 1, keep);

    QStringList rows;
    for (int r = 1; r <= grid.MaxRows(); ++r)
        rows << grid.CellText(1, r) + QLatin1Char('|') + grid.CellText(2, r) + QLatin1Char('|') +
                    grid.CellText(3, r);
    QCOMPARE(rows, expected);
    for (int r = 1; r <= grid.MaxRows(); ++r) {
        if (grid.CellText(1, r) == kSubTotalLabel) {
            QCOMPARE(grid.CellBackColor(1, r), GridColors::SubTotalBack);
            QVERIFY(grid.IsLocked(2, r));
        }
    }
    QCOMPARE(grid.CellBackColor(2, grid.MaxRows()), GridColors::TotalBack);
}

void TestModSpread60::gridMenuRowHeight_data()
{
    QTest::addColumn<QStringList>("answers"); // "<cancel>" cancels
    QTest::addColumn<double>("height");
    QTest::addColumn<int>("asked");
    QTest::addColumn<QString>("saved"); // "" = nothing written
    QTest::newRow("25 is asked again") << QStringList{"25", "12"} << 12.0 << 2 << "12";
    QTest::newRow("0 restores the defaults") << QStringList{"0"} << 14.0 << 1 << "0";
    QTest::newRow("empty answer") << QStringList{""} << 18.0 << 1 << "";
    QTest::newRow("cancel") << QStringList{"<cancel>"} << 18.0 << 1 << "";
    QTest::newRow("unchanged value") << QStringList{"18"} << 18.0 << 1 << "";
    QTest::newRow("letters are asked again") << QStringList{"abc", "9"} << 9.0 << 2 << "9";
}

void TestModSpread60::gridMenuRowHeight()
{
    QFETCH(QStringList, answers);
    QFETCH(double, height);
    QWidget window;
    window.setObjectName(QStringLiteral("FrmTest"));
    auto* grid = new SpreadGrid(&window);
    grid->setObjectName(QStringLiteral("spList"));
    grid->SetMaxCols(2);
    grid->SetMaxRows(2);
    grid->SetRowHeight(-1, 18);
    grid->SetRowHeight(0, 20);
    ScriptedPrompter p;
    for (const QString& a : answers) {
        if (a == QLatin1String("<cancel>"))
            p.cancelInput();
        else
            p.answerInput(a);
    }
    GridMenuAction(&window, grid, 1);
    QCOMPARE(grid->RowHeight(1), height);
    QCOMPARE(grid->RowHeight(0), height + 2);
    QTEST(int(p.count()), "asked");
    QCOMPARE(p.lastTitle(), QStringLiteral("그리드의 줄높이 변경"));
    QCOMPARE(p.shown().first().request.text,
             QStringLiteral("변경할 그리드의 줄높이를 입력하세요.(입력범위: 8~20, 0:기본값)"));
    QSettings ini(FormIniFile(QStringLiteral("FrmTest")), QSettings::IniFormat);
    QTEST(ini.value(QStringLiteral("spList_General/RowHeight")).toString(), "saved");
}

void TestModSpread60::gridMenuFontSize()
{
    QWidget window;
    window.setObjectName(QStringLiteral("FrmTest"));
    auto* grid = new SpreadGrid(&window);
    grid->setObjectName(QStringLiteral("spList"));
    grid->SetMaxCols(2);
    grid->SetMaxRows(2);
    ScriptedPrompter p;
    p.answerInput(QStringLiteral("12"));
    GridMenuAction(&window, grid, 2);
    QCOMPARE(grid->CellStyle(1, 1).fontSize, 12.0);
    grid->SetRow(0);
    QCOMPARE(grid->FontSize(), 10.0);
    QCOMPARE(p.lastTitle(), QStringLiteral("그리드내 글자크기 변경"));
    QSettings ini(FormIniFile(QStringLiteral("FrmTest")), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("spList_General/FontSize")).toString(), QStringLiteral("12"));
}

void TestModSpread60::gridMenuReset_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("fileLeft");
    QTest::newRow("yes") << int(MsgAnswer::Yes) << false;
    QTest::newRow("no") << int(MsgAnswer::No) << true;
}

void TestModSpread60::gridMenuReset()
{
    QFETCH(int, answer);
    QFETCH(bool, fileLeft);
    QWidget window;
    window.setObjectName(QStringLiteral("FrmTest"));
    auto* grid = new SpreadGrid(&window);
    grid->setObjectName(QStringLiteral("spList"));
    grid->SetMaxCols(1);
    grid->SetRowHeight(-1, 20);
    SaveSpreadIni_Gn(&window, grid, QStringLiteral("RowHeight"), QStringLiteral("20"));
    QVERIFY(QFileInfo::exists(FormIniFile(QStringLiteral("FrmTest"))));
    ScriptedPrompter p;
    p.answer(MsgAnswer(answer));
    GridMenuAction(&window, grid, 3);
    QCOMPARE(QFileInfo::exists(FormIniFile(QStringLiteral("FrmTest"))), fileLeft);
    QCOMPARE(grid->RowHeight(1), fileLeft ? 20.0 : 14.0);
    QCOMPARE(p.shown().first().request.defaultAnswer, MsgAnswer::Yes);
    if (!fileLeft)
        QCOMPARE(p.lastText(),
                 QStringLiteral("초기화를 완료하였습니다.\r\n현재창을 닫고 다시 열어 주셔야 초기화된 "
                                "형태가 제대로 보여집니다."));
}

void TestModSpread60::commonDesignReadOnly()
{
    SpreadGrid grid;
    grid.SetMaxCols(3);
    grid.SetMaxRows(5);
    CommonSpreadDesign(&grid, true, true, true, true);
    QCOMPARE(grid.MaxRows(), 0);
    grid.SetMaxRows(2);
    QVERIFY(grid.IsLocked(3, 2));
    QCOMPARE(grid.OperationMode(), 2);
    QCOMPARE(grid.UserColAction(), 1);
    QCOMPARE(grid.CellBackColor(1, 2), GridColors::EvenBack);
    QCOMPARE(grid.RowHeight(1), 14.0);
    QCOMPARE(grid.RowHeight(0), 16.0);
    QVERIFY(!grid.EditModePermanent());
}

void TestModSpread60::totalsGridFollowsEdits()
{
    // A line grid with quantity, price and amount, a hidden sum column and a totals grid under it.
    QWidget window;
    window.setObjectName(QStringLiteral("FrmShot"));
    auto* layout = new QVBoxLayout(&window);
    auto* spDList = new SpreadGrid(&window);
    spDList->setObjectName(QStringLiteral("spDList"));
    auto* spTotal = new SpreadGrid(&window);
    spTotal->setObjectName(QStringLiteral("spTotal"));
    layout->addWidget(spDList);
    layout->addWidget(spTotal);
    spTotal->setFixedHeight(30);
    spDList->SetMaxCols(7);
    spDList->SetColHeaders({QStringLiteral("메뉴코드"), QStringLiteral("메뉴명"), QStringLiteral("수량"),
                            QStringLiteral("단가"), QStringLiteral("금액"), QStringLiteral("메모"),
                            QStringLiteral("합계금액")});
    CommonSpreadDesign(spDList, false, true);
    SetNumberColumn(spDList, 3);
    SetMoneyColumn(spDList, 4);
    SetMoneyColumn(spDList, 5);
    SetMoneyColumn(spDList, 7);
    LockColumns(spDList, {5});
    spDList->SetColWidth(2, 16);
    spDList->SetColWidth(6, 14);
    spDList->SetColHidden(7, true);
    SetupTotalGrid(spTotal, spDList, 2);
    SetMoneyColumn(spTotal, 3);
    SetMoneyColumn(spTotal, 5);
    QObject::connect(spDList, &SpreadGrid::FormulaChange, spTotal, [&](int col, int row) {
        if (col == 7 && row == 1)
            spTotal->SetText(5, 1, spDList->CellText(7, 1));
    });

    const QList<QVariantList> lines{
        {101, QStringLiteral("후라이드치킨"), 2, 16000, QVariant(), QStringLiteral("순살")},
        {102, QStringLiteral("양념치킨"), 1, 17000, QVariant(), QString()},
        {205, QStringLiteral("콜라 1.25L"), 3, 2500, QVariant(), QStringLiteral("얼음 많이")},
        {301, QStringLiteral("치즈볼"), 1, 4500},
    };
    spDList->SetMaxRows(int(lines.size()) + 1);
    spDList->SetBlockValues(1, lines);
    spDList->SetCol(5);
    spDList->SetRow(-1);
    spDList->SetFormula(QStringLiteral("RC3*RC4"));
    spDList->SetFormula(7, 1, QStringLiteral("SUM(R1C5:R%1C5)").arg(spDList->MaxRows()));
    QCOMPARE(spTotal->CellText(5, 1), QStringLiteral("61000"));
    spDList->SetText(3, 2, QStringLiteral("2"));
    QCOMPARE(spTotal->CellText(5, 1), QStringLiteral("78000"));
    QCOMPARE(spTotal->FormattedText(5, 1), QStringLiteral("78,000"));
    QCOMPARE(spTotal->CellText(2, 1), kTotalLabel);
    QCOMPARE(spTotal->CellBackColor(1, 1), GridColors::TotalBack);
    QVERIFY(spTotal->ColHidden(7));
    QCOMPARE(spTotal->ColWidth(2), spDList->ColWidth(2));
    spDList->SetActiveCell(2, 2);

    const QByteArray dir = qgetenv("ZELKOVA_SHOT_DIR");
    if (!dir.isEmpty()) {
        window.resize(640, 260);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QDir().mkpath(QString::fromLocal8Bit(dir));
        QVERIFY(window.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/grid.png")));
    }
}

QTEST_MAIN(TestModSpread60)
#include "tst_modspread60.moc"
