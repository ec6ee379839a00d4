// Grid filling and subtotals: the cost of showing a query result in a list screen's grid.
#include "Bench.h"

#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modSpread60.h"

#include <QApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>

#include <cstdio>
#include <memory>

namespace {
const QString kConn = QStringLiteral("bench_grid");
const QStringList kFields{QStringLiteral("주문번호"),   QStringLiteral("고객코드"),
                          QStringLiteral("주문시전화"), QStringLiteral("가맹점코드"),
                          QStringLiteral("상호"),       QStringLiteral("주문일자"),
                          QStringLiteral("수량"),       QStringLiteral("금액")};

bool makeTable(int rows)
{
    QSqlDatabase db = QSqlDatabase::contains(kConn)
                          ? QSqlDatabase::database(kConn)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConn);
    if (!db.isOpen()) {
        db.setDatabaseName(QStringLiteral(":memory:"));
        if (!db.open())
            return false;
    }
    QSqlQuery q(db);
    q.exec(QStringLiteral("DROP TABLE IF EXISTS t"));
    q.exec(QStringLiteral("CREATE TABLE t (주문번호 TEXT, 고객코드 TEXT, 주문시전화 TEXT, 가맹점코드 TEXT, "
                          "상호 TEXT, 주문일자 TEXT, 수량 INTEGER, 금액 INTEGER)"));
    db.transaction();
    q.prepare(QStringLiteral("INSERT INTO t VALUES (?,?,?,?,?,?,?,?)"));
    for (int i = 0; i < rows; ++i) {
        q.addBindValue(QStringLiteral("260101%1%2").arg(i % 10).arg(i % 1000, 3, 10, QLatin1Char('0')));
        q.addBindValue(QStringLiteral("0%1").arg(i, 7, 10, QLatin1Char('0')));
        q.addBindValue(QStringLiteral("02-%1-%2").arg(100 + i % 900).arg(1000 + i % 9000));
        q.addBindValue(QStringLiteral("M%1").arg(i / 5, 4, 10, QLatin1Char('0')));
        q.addBindValue(QStringLiteral("가맹점 상호 %1").arg(i / 5));
        q.addBindValue(QStringLiteral("2026-01-%1").arg(1 + i % 28, 2, 10, QLatin1Char('0')));
        q.addBindValue(1 + i % 4);
        q.addBindValue(1000 * (1 + i % 37));
        q.exec();
    }
    return db.commit();
}

std::unique_ptr<SpreadGrid> makeGrid()
{
    auto grid = std::make_unique<SpreadGrid>();
    grid->SetMaxCols(8);
    grid->SetColHeaders(kFields);
    CommonSpreadDesign(grid.get(), true, true, false, true);
    SetNumberColumn(grid.get(), 7);
    SetMoneyColumn(grid.get(), 8);
    grid->resize(900, 600);
    grid->show();
    QApplication::processEvents();
    return grid;
}

// Fill from a fresh query and paint the first screen of rows, as a list screen's refresh does.
void fillShown(SpreadGrid* grid)
{
    QSqlQuery q(QSqlDatabase::database(kConn));
    q.setForwardOnly(true);
    q.exec(QStringLiteral("SELECT * FROM t"));
    grid->SetMaxRows(0);
    grid->FillFromQuery(q, kFields);
    grid->SetActiveCell(1, 1);
    grid->view()->viewport()->repaint();
}

double readOnly()
{
    QElapsedTimer t;
    t.start();
    QSqlQuery q(QSqlDatabase::database(kConn));
    q.setForwardOnly(true);
    q.exec(QStringLiteral("SELECT * FROM t"));
    QList<QVariantList> rows;
    while (q.next()) {
        QVariantList r;
        for (int i = 0; i < 8; ++i)
            r.append(q.value(i));
        rows.append(r);
    }
    return t.nsecsElapsed() / 1e6;
}
} // namespace

ZK_BENCH("grid fill")
{
    Q_UNUSED(ctx);
    for (int rows : {1000, 10000, 100000}) {
        if (!makeTable(rows)) {
            std::printf("cannot build the bench table\n");
            return;
        }
        auto grid = makeGrid();
        const int runs = rows >= 100000 ? 3 : 7;
        const double raw = BenchMedianMs(runs, [] { readOnly(); });
        const double ours = BenchMedianMs(runs, [&] { fillShown(grid.get()); });
        BenchReport(QStringLiteral("fill %1 rows x 8 cols from a query, shown").arg(rows), ours, raw,
                    QStringLiteral("raw = reading the query into a list"));

        // The same rows from values already at hand, cell by cell and row by row.
        QList<QVariantList> values;
        {
            QSqlQuery q(QSqlDatabase::database(kConn));
            q.exec(QStringLiteral("SELECT * FROM t"));
            while (q.next()) {
                QVariantList r;
                for (int i = 0; i < 8; ++i)
                    r.append(q.value(i));
                values.append(r);
            }
        }
        const double byRow = BenchMedianMs(runs, [&] {
            grid->SetMaxRows(0);
            grid->SetMaxRows(int(values.size()));
            grid->SetBlockValues(1, values);
            grid->view()->viewport()->repaint();
        });
        BenchReport(QStringLiteral("fill %1 rows x 8 cols from value lists").arg(rows), byRow);
        const double byCell = BenchMedianMs(runs, [&] {
            grid->SetReDraw(false);
            grid->SetMaxRows(0);
            grid->SetMaxRows(int(values.size()));
            for (int r = 0; r < values.size(); ++r)
                for (int c = 0; c < 8; ++c)
                    grid->SetValue(c + 1, r + 1, values.at(r).at(c));
            grid->SetReDraw(true);
            grid->view()->viewport()->repaint();
        });
        BenchReport(QStringLiteral("fill %1 rows x 8 cols cell by cell (redraw off)").arg(rows), byCell);
    }
    QSqlDatabase::database(kConn).close();
    QSqlDatabase::removeDatabase(kConn);
}

ZK_BENCH("grid subtotals")
{
    Q_UNUSED(ctx);
    if (!makeTable(10000))
        return;
    auto grid = makeGrid();
    const double ms = BenchMedianMs(5, [&] {
        fillShown(grid.get());
        AddTotalRow(grid.get(), 1);
        SetColumnSumRow(grid.get(), 7);
        SetColumnSumRow(grid.get(), 8);
        QElapsedTimer t;
        t.start();
        InsertSubTotal(grid.get(), 4, {7, 8}, 1, 0, 1, true);
        grid->view()->viewport()->repaint();
        BenchReport(QStringLiteral("  one run: InsertSubTotal, %1 rows after").arg(grid->MaxRows()),
                    t.nsecsElapsed() / 1e6);
    });
    BenchReport(QStringLiteral("fill 10000 rows + total row + InsertSubTotal (2000 groups)"), ms);
    QSqlDatabase::database(kConn).close();
    QSqlDatabase::removeDatabase(kConn);
}
