#include "support/TestHome.h"
#include "ui/gui/GridPrinter.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modSpread60.h"

#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTest>

class TestGridPrinter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pdf_data();
    void pdf();
};

void TestGridPrinter::pdf_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("option");
    QTest::addColumn<bool>("manyPages");
    QTest::newRow("one page, portrait") << 5 << 1 << false;
    QTest::newRow("long list, landscape") << 400 << 2 << true;
    QTest::newRow("empty list") << 0 << 0 << false;
}

void TestGridPrinter::pdf()
{
    QFETCH(int, rows);
    QFETCH(int, option);
    QFETCH(bool, manyPages);
    TestHome home;
    SpreadGrid grid;
    grid.SetMaxCols(4);
    grid.SetColHeaders(
        {QStringLiteral("코드"), QStringLiteral("상호"), QStringLiteral("금액"), QStringLiteral("숨김")});
    grid.SetColHidden(4, true);
    SetMoneyColumn(&grid, 3);
    grid.SetMaxRows(rows);
    for (int r = 1; r <= rows; ++r)
        grid.SetRowValues(r, {r, QStringLiteral("가맹점 %1").arg(r), r * 1000, QStringLiteral("x")});
    if (rows > 0) {
        AddTotalRow(&grid, 1);
        SetColumnSumRow(&grid, 3);
    }

    GridPrintJob job;
    job.caption = QStringLiteral("입금 관리");
    job.title = QStringLiteral("입금 내역");
    job.subTitle = QStringLiteral("( 조회기간: 2026-01-01 - 2026-01-31 )    ");
    job.option = option;
    const QString file = home.programFolder() + QStringLiteral("/Print/test.pdf");
    QVERIFY(gGridPrinter);
    QVERIFY(gGridPrinter->PrintToPdf(&grid, job, file));
    QVERIFY(QFileInfo(file).size() > 1000);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray pdf = f.readAll();
    QVERIFY(pdf.startsWith("%PDF"));
    const qsizetype pages = pdf.count("/Type /Page") - pdf.count("/Type /Pages");
    QCOMPARE(pages > 1, manyPages);
}

QTEST_MAIN(TestGridPrinter)
#include "tst_gridprinter.moc"
