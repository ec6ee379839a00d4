#include "ui/gui/ModalSeam.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/SpreadGridModel.h"

#include <QDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>

class TestSpreadGrid : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void formulasFollowEdits();
    void formulaRangesFollowRowMoves();
    void insertAndDeleteKeepMaxRows();
    void numberCells_data();
    void numberCells();
    void cursorAddressing();
    void editBeginAndEnd();
    void restoreInsideEditEnd();
    void modalDialogInsideEditEnd();
    void typingStartsReplaceEdit();
    void keyDownSwallows();
    void leaveCellCancelAndRedirect();
    void frozenFillAndQuery();

private:
    struct Shown
    {
        explicit Shown(SpreadGrid* g) : grid(g)
        {
            grid->resize(500, 300);
            grid->show();
            grid->activateWindow();
        }
        bool ready() { return QTest::qWaitForWindowActive(grid); }
        SpreadGrid* grid;
    };
    static SpreadGrid* makeGrid(int cols, int rows);
};

SpreadGrid* TestSpreadGrid::makeGrid(int cols, int rows)
{
    auto* g = new SpreadGrid;
    g->SetMaxCols(cols);
    g->SetMaxRows(rows);
    return g;
}

void TestSpreadGrid::formulasFollowEdits()
{
    std::unique_ptr<SpreadGrid> g(makeGrid(6, 3));
    g->SetCol(5);
    g->SetRow(-1);
    g->SetFormula(QStringLiteral("RC3*RC4"));
    g->SetFormula(6, 1, QStringLiteral("SUM(R1C5:R3C5)"));
    QSignalSpy spy(g.get(), &SpreadGrid::FormulaChange);

    g->SetText(3, 1, QStringLiteral("2"));
    g->SetText(4, 1, QStringLiteral("6175"));
    QCOMPARE(g->CellText(5, 1), QStringLiteral("12350"));
    QCOMPARE(g->CellText(6, 1), QStringLiteral("12350"));
    g->SetText(3, 2, QStringLiteral("3"));
    g->SetText(4, 2, QStringLiteral("1000"));
    QCOMPARE(g->CellText(6, 1), QStringLiteral("15350"));
    // The total's change reaches listeners, so a totals grid can copy it.
    bool sawTotal = false;
    for (const auto& args : spy)
        sawTotal = sawTotal || (args.at(0).toInt() == 6 && args.at(1).toInt() == 1);
    QVERIFY(sawTotal);
    QCOMPARE(g->CellText(6, 1), QStringLiteral("15350"));
    QCOMPARE(g->Formula(), QString()); // cursor is on (5, -1)
    g->SetCol(6);
    g->SetRow(1);
    QCOMPARE(g->Formula(), QStringLiteral("SUM(R1C5:R3C5)"));

    // Removing the formula keeps the last value; later edits no longer move it.
    g->SetFormula(6, 1, QString());
    g->SetText(3, 1, QStringLiteral("0"));
    QCOMPARE(g->CellText(5, 1), QStringLiteral("0"));
    QCOMPARE(g->CellText(6, 1), QStringLiteral("15350"));
}

void TestSpreadGrid::formulaRangesFollowRowMoves()
{
    std::unique_ptr<SpreadGrid> g(makeGrid(2, 5));
    for (int r = 1; r <= 4; ++r)
        g->SetText(1, r, QString::number(r * 10));
    g->SetFormula(1, 5, QStringLiteral("SUM(R1C1:R4C1)"));
    QCOMPARE(g->CellText(1, 5), QStringLiteral("100"));

    g->SetMaxRows(6);
    g->InsertRows(3, 1);
    g->SetText(1, 3, QStringLiteral("5"));
    g->SetCol(1);
    g->SetRow(6);
    QCOMPARE(g->Formula(), QStringLiteral("SUM(R1C1:R5C1)"));
    QCOMPARE(g->CellText(1, 6), QStringLiteral("105"));

    g->DeleteRows(1, 2);
    g->SetRow(4);
    QCOMPARE(g->Formula(), QStringLiteral("SUM(R1C1:R3C1)"));
    QCOMPARE(g->CellText(1, 4), QStringLiteral("75"));
}

void TestSpreadGrid::insertAndDeleteKeepMaxRows()
{
    std::unique_ptr<SpreadGrid> g(makeGrid(1, 3));
    g->SetText(1, 1, QStringLiteral("a"));
    g->SetText(1, 2, QStringLiteral("b"));
    g->SetText(1, 3, QStringLiteral("c"));
    g->InsertRows(2, 1);
    QCOMPARE(g->MaxRows(), 3);
    QCOMPARE(g->CellText(1, 3), QStringLiteral("b")); // "c" fell off the end
    g->DeleteRows(1, 1);
    QCOMPARE(g->MaxRows(), 3);
    QCOMPARE(g->CellText(1, 1), QString());
    QCOMPARE(g->CellText(1, 2), QStringLiteral("b"));
    QCOMPARE(g->DataRowCnt(), 2);
    QString out;
    QVERIFY(!g->GetText(1, 3, out));
}

void TestSpreadGrid::numberCells_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("sep");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("money") << int(CellTypeCurrency) << true << "12350"
                           << "12350"
                           << "12,350";
    QTest::newRow("money typed with commas") << int(CellTypeCurrency) << true << "1,234,567"
                                             << "1234567"
                                             << "1,234,567";
    QTest::newRow("negative money") << int(CellTypeCurrency) << true << "-2000"
                                    << "-2000"
                                    << "-2,000";
    QTest::newRow("whole number") << int(CellTypeNumber) << false << "1234"
                                  << "1234"
                                  << "1234";
    QTest::newRow("text in a number cell") << int(CellTypeNumber) << false << "abc"
                                           << "abc"
                                           << "abc";
    QTest::newRow("plain text cell") << int(CellTypeEdit) << false << "1,234"
                                     << "1,234"
                                     << "1,234";
}

void TestSpreadGrid::numberCells()
{
    QFETCH(int, type);
    QFETCH(bool, sep);
    QFETCH(QString, input);
    std::unique_ptr<SpreadGrid> g(makeGrid(2, 2));
    g->SetCol(2);
    g->SetRow(-1);
    g->SetCellType(type);
    g->SetTypeNumberDecPlaces(0);
    g->SetTypeNumberShowSep(sep);
    g->SetText(2, 1, input);
    QTEST(g->CellText(2, 1), "stored");
    QTEST(g->FormattedText(2, 1), "shown");
}

void TestSpreadGrid::cursorAddressing()
{
    std::unique_ptr<SpreadGrid> g(makeGrid(3, 3));
    // Sheet, then a column, then one cell: the latest and narrowest setting wins.
    g->SetCol(-1);
    g->SetRow(-1);
    g->SetLock(true);
    g->SetCol(2);
    g->SetLock(false);
    QVERIFY(g->IsLocked(1, 1));
    QVERIFY(!g->IsLocked(2, 3));
    g->SetRow(2);
    g->SetLock(true);
    QVERIFY(g->IsLocked(2, 2));
    QVERIFY(!g->IsLocked(2, 1));

    g->SetOddEvenRowColor(Qt::white, Qt::black, QColor(245, 245, 245), Qt::black);
    QCOMPARE(g->CellBackColor(1, 2), QColor(245, 245, 245));
    g->SetBlockMode(true);
    g->SetCol(1);
    g->SetRow(2);
    g->SetCol2(3);
    g->SetRow2(2);
    g->SetBackColor(QColor(224, 240, 224));
    g->SetBlockMode(false);
    QCOMPARE(g->CellBackColor(3, 2), QColor(224, 240, 224));
    QCOMPARE(g->CellBackColor(3, 3), QColor(255, 255, 255));

    g->SetText(2, 0, QStringLiteral("수량"));
    QCOMPARE(g->ColHeaderText(2), QStringLiteral("수량"));
    QCOMPARE(g->CellText(2, 0), QStringLiteral("수량"));
}

void TestSpreadGrid::editBeginAndEnd()
{
    std::unique_ptr<SpreadGrid> g(makeGrid(3, 3));
    g->SetEditModePermanent(true);
    g->SetEditModeReplace(true);
    g->SetText(2, 1, QStringLiteral("old"));
    QList<QList<QVariant>> events;
    connect(g.get(), &SpreadGrid::EditMode, this, [&](int c, int r, int mode, bool changed) {
        events.append({c, r, mode, changed});
    });
    g->SetActiveCell(2, 1);
    Shown shown(g.get());
    QVERIFY(shown.ready());
    g->setFocus();
    QTRY_VERIFY(g->IsEditing());
    QCOMPARE(events.value(0), (QList<QVariant>{2, 1, 1, false}));
    QVERIFY(g->editor()->hasSelectedText()); // replace mode: typing replaces

    QTest::keyClicks(g->editor(), QStringLiteral("new"));
    QTest::keyClick(g->editor(), Qt::Key_Return);
    QCOMPARE(events.value(1), (QList<QVariant>{2, 1, 0, true}));
    QCOMPARE(g->CellText(2, 1), QStringLiteral("new"));
    // Permanent mode: the cell is edited again at once, without a change.
    QTRY_VERIFY(g->IsEditing());
    QTest::keyClick(g->editor(), Qt::Key_Down);
    QCOMPARE(events.value(3), (QList<QVariant>{2, 1, 0, false}));
    QCOMPARE(g->ActiveRow(), 2);
}

void TestSpreadGrid::restoreInsideEditEnd()
{
    std::unique_ptr<SpreadGrid> g(makeGrid(3, 3));
    g->SetEditModePermanent(true);
    g->SetText(2, 1, QStringLiteral("keep"));
    QString before;
    int ends = 0;
    connect(g.get(), &SpreadGrid::EditMode, this, [&](int c, int r, int mode, bool changed) {
        if (mode == 1) {
            before = g->CellText(c, r);
            return;
        }
        ++ends;
        if (changed) {
            // A refused edit: the old value goes back and the cursor returns to the cell.
            g->SetText(c, r, before);
            g->SetActiveCell(c, r);
        }
    });
    QSignalSpy changes(g.get(), &SpreadGrid::Change);
    g->SetActiveCell(2, 1);
    Shown shown(g.get());
    QVERIFY(shown.ready());
    g->setFocus();
    QTRY_VERIFY(g->IsEditing());
    g->editor()->setText(QStringLiteral("bad"));
    QTest::keyClick(g->editor(), Qt::Key_Down);
    QCOMPARE(ends, 1);
    QCOMPARE(g->CellText(2, 1), QStringLiteral("keep"));
    QCOMPARE(g->ActiveRow(), 1); // the handler's cursor wins over the arrow key
    QCOMPARE(changes.count(), 0);
    QTRY_VERIFY(g->IsEditing());
    QCOMPARE(g->editor()->text(), QStringLiteral("keep"));
}

void TestSpreadGrid::modalDialogInsideEditEnd()
{
    std::unique_ptr<SpreadGrid> g(makeGrid(3, 3));
    g->SetEditModePermanent(true);
    g->SetEditEnterAction(SpreadGrid::EnterRight);
    QList<int> modes;
    int dialogs = 0;
    connect(g.get(), &SpreadGrid::EditMode, this, [&](int c, int r, int mode, bool changed) {
        modes.append(mode);
        if (mode == 0 && changed) {
            // A picker opened from the end of an edit, closing by itself.
            QDialog picker(g.get());
            QTimer::singleShot(50, &picker, &QDialog::accept);
            ++dialogs;
            if (ExecModal(&picker) == QDialog::Accepted)
                g->SetText(c, r, QStringLiteral("picked"));
        }
    });
    g->SetActiveCell(1, 1);
    Shown shown(g.get());
    QVERIFY(shown.ready());
    g->setFocus();
    QTRY_VERIFY(g->IsEditing());
    QTest::keyClicks(g->editor(), QStringLiteral("x"));
    QTest::keyClick(g->editor(), Qt::Key_Return);
    QCOMPARE(dialogs, 1);
    QCOMPARE(g->CellText(1, 1), QStringLiteral("picked"));
    QCOMPARE(g->ActiveCol(), 2);
    // The window comes back to the front once the picker has gone.
    g->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(g.get()));
    QTRY_VERIFY(g->IsEditing());
    QTest::qWait(50);
    // One begin, one end, one begin on the next cell: the dialog started no stray edit events.
    QCOMPARE(modes, (QList<int>{1, 0, 1}));
}

void TestSpreadGrid::typingStartsReplaceEdit()
{
    std::unique_ptr<SpreadGrid> g(makeGrid(2, 2));
    g->SetText(1, 1, QStringLiteral("long text"));
    g->SetCol(2);
    g->SetRow(-1);
    g->SetLock(true);
    g->SetActiveCell(1, 1);
    Shown shown(g.get());
    QVERIFY(shown.ready());
    g->setFocus();
    QVERIFY(!g->IsEditing());
    QTest::keyClick(g->view(), Qt::Key_A);
    QVERIFY(g->IsEditing());
    QCOMPARE(g->editor()->text(), QStringLiteral("a"));
    QTest::keyClick(g->editor(), Qt::Key_Return);
    QVERIFY(!g->IsEditing());
    QCOMPARE(g->CellText(1, 1), QStringLiteral("a"));
    // A locked cell takes no typing.
    g->SetActiveCell(2, 1);
    QTest::keyClick(g->view(), Qt::Key_B);
    QVERIFY(!g->IsEditing());
    QCOMPARE(g->CellText(2, 1), QString());
}

void TestSpreadGrid::keyDownSwallows()
{
    std::unique_ptr<SpreadGrid> g(makeGrid(2, 3));
    g->SetActiveCell(1, 1);
    QList<int> keys;
    connect(g.get(), &SpreadGrid::KeyDown, this, [&](int& key, int shift) {
        if (key != Qt::Key_Shift)
            keys.append(key);
        if (key == Qt::Key_Down && shift == 0)
            key = 0;
    });
    Shown shown(g.get());
    QVERIFY(shown.ready());
    g->setFocus();
    QTest::keyClick(g->view(), Qt::Key_Down);
    QCOMPARE(g->ActiveRow(), 1);
    QTest::keyClick(g->view(), Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(g->ActiveRow(), 2);
    QCOMPARE(keys, (QList<int>{Qt::Key_Down, Qt::Key_Down}));
}

void TestSpreadGrid::leaveCellCancelAndRedirect()
{
    std::unique_ptr<SpreadGrid> g(makeGrid(3, 3));
    g->SetActiveCell(1, 1);
    int mode = 0;
    connect(g.get(), &SpreadGrid::LeaveCell, this, [&](int, int, int newCol, int newRow, bool& cancel) {
        if (mode == 1)
            cancel = true;
        if (mode == 2 && newCol != 2) {
            cancel = true;
            g->SetActiveCell(2, newRow);
        }
    });
    Shown shown(g.get());
    QVERIFY(shown.ready());
    g->setFocus();
    mode = 1;
    QTest::keyClick(g->view(), Qt::Key_Down);
    QCOMPARE(g->ActiveRow(), 1);
    mode = 2;
    QTest::keyClick(g->view(), Qt::Key_Down);
    QCOMPARE(g->ActiveRow(), 2);
    QCOMPARE(g->ActiveCol(), 2);
    // Moving the cursor from the program raises no LeaveCell.
    mode = 1;
    g->SetActiveCell(3, 3);
    QCOMPARE(g->ActiveCol(), 3);
}

void TestSpreadGrid::frozenFillAndQuery()
{
    std::unique_ptr<SpreadGrid> g(makeGrid(3, 0));
    g->SetReDraw(false);
    g->SetMaxRows(1000);
    for (int r = 1; r <= 1000; ++r)
        g->SetRowValues(r, {r, QStringLiteral("이름%1").arg(r), r * 1.5});
    g->SetFormula(3, 1000, QStringLiteral("SUM(R1C1:R999C1)"));
    // Values are right even before the grid draws again.
    QCOMPARE(g->CellText(3, 1000), QStringLiteral("499500"));
    g->SetReDraw(true);
    QCOMPARE(g->view()->model()->rowCount(), 1000);
    QCOMPARE(g->CellText(3, 2), QStringLiteral("3"));
    QCOMPARE(g->DataRowCnt(), 1000);
}

QTEST_MAIN(TestSpreadGrid)
#include "tst_spreadgrid.moc"
