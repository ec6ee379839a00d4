// The main order screen on a busy day: refreshing 3,000 orders, showing a customer and a store, and taking
// orders with three lines end to end (header, lines, postings).
#include "Bench.h"

#include "app/AppPaths.h"
#include "app/Clock.h"
#include "app/Globals.h"
#include "app/UserSettings.h"
#include "app/install/DbTool.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"
#include "order/gui/FrmMain.h"
#include "support/Controls.h"
#include "ui/gui/SpreadGrid.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <vector>

namespace {
bool openInstallation(BenchContext& ctx, QTemporaryDir& dir, QString* mainFile)
{
    QString home = ctx.home();
    if (home.isEmpty()) {
        home = dir.path();
        DbTool::DemoOptions o;
        o.demo = true;
        o.customers = 100000;
        o.stores = 200;
        o.days = 1;
        o.ordersPerDay = 3000;
        QElapsedTimer t;
        t.start();
        QString error;
        if (!DbTool::Create(home, o, &error)) {
            std::fprintf(stderr, "%s\n", qUtf8Printable(error));
            return false;
        }
        BenchReport(QStringLiteral("generate 100,000 customers, 200 stores, 3,000 orders today"),
                    t.nsecsElapsed() / 1e6);
    }
    AppPaths::SetProgramFolder(home);
    UserSettings::SetFolder(dir.path() + QStringLiteral("/settings"));
    *mainFile = AppPaths::ProgramPath(QStringLiteral("DBS/dbMain.mdb"));
    ErrInfo e;
    return gMainConn.open(*mainFile, false, &e);
}

// Types one order into the entry row: customer, number, store; then three lines.
bool takeOrder(FrmMain& w, const QString& customer, const QString& phone, const QString& store,
               const std::vector<qint64>& menus)
{
    const int row = Ctl<SpreadGrid>(&w, "spMList")->MaxRows();
    Ctl<SpreadGrid>(&w, "spMList")->SetText(1, row, customer);
    Ctl<SpreadGrid>(&w, "spMList")->SetText(2, row, phone);
    Ctl<SpreadGrid>(&w, "spMList")->SetText(3, row, store);
    QString number;
    if (!w.SaveMst(number, 3, row, EditorMode::Add))
        return false;
    Ctl<SpreadGrid>(&w, "spMList")->SetText(5, row, number);
    Ctl<SpreadGrid>(&w, "spMList")->SetMaxRows(row + 1);
    for (size_t i = 0; i < menus.size(); ++i) {
        const int line = Ctl<SpreadGrid>(&w, "spDList")->MaxRows();
        Ctl<SpreadGrid>(&w, "spDList")->SetText(1, line, QString::number(menus[i]));
        Ctl<SpreadGrid>(&w, "spDList")->SetValue(3, line, int(i) + 1);
        Ctl<SpreadGrid>(&w, "spDList")->SetValue(4, line, 12000);
        int lineNo = 0;
        if (!w.SaveDtl(store, number, lineNo, 1, line, EditorMode::Add, customer))
            return false;
        Ctl<SpreadGrid>(&w, "spDList")->SetMaxRows(line + 1);
    }
    return true;
}
} // namespace

ZK_BENCH("main: order screen")
{
    QTemporaryDir dir;
    QString mainFile;
    if (!openInstallation(ctx, dir, &mainFile))
        return;
    const QString today = NullToStr(GetFirstValue(QStringLiteral("SELECT MAX(주문일자) FROM 주문")));
    // A terminal holds 999 order numbers a day: the 900 saved here take one without orders that day (the
    // generator uses 1 to 9; an earlier bench of the same run may have used 0).
    gTerminalID.clear();
    for (int t = 0; t <= 9 && gTerminalID.isEmpty(); ++t) {
        if (GetFirstValue(QStringLiteral("SELECT COUNT(*) FROM 주문 WHERE 주문일자 = '%1' AND "
                                         "SUBSTR(주문번호, 7, 1) = '%2'")
                              .arg(today)
                              .arg(t))
                .toLongLong() == 0)
            gTerminalID = QString::number(t);
    }
    if (gTerminalID.isEmpty()) {
        std::printf("main: not measured (every terminal already holds orders on %s)\n", qPrintable(today));
        return;
    }
    Clock::SetFixed(QDateTime(QDate::fromString(today, QStringLiteral("yyyy-MM-dd")), QTime(12, 0)));
    const int orders =
        CountRows(QStringLiteral("주문"), QStringLiteral("주문일자 = '") + today + QLatin1Char('\''));

    FrmMain w;
    const double refresh = BenchMedianMs(7, [&] { w.RefreshList(); });
    BenchReport(QStringLiteral("refresh today's orders (%1) with lines of the active one").arg(orders),
                refresh);

    Recordset rs;
    OpenQuery(rs, QStringLiteral("SELECT 고객코드, 가맹점코드 FROM 주문 WHERE 주문일자 = '") + today +
                      QStringLiteral("' ORDER BY 주문번호"));
    std::vector<std::pair<QString, QString>> parties;
    for (rs.MoveFirst(); !rs.EOF_() && parties.size() < 200; rs.MoveNext())
        parties.emplace_back(rs.text(QStringLiteral("고객코드")), rs.text(QStringLiteral("가맹점코드")));
    rs.close();
    size_t k = 0;
    const double show = BenchMedianMs(101, [&] {
        const auto& [c, s] = parties[k++ % parties.size()];
        w.ClearCustomer();
        w.ClearStore();
        w.ShowCustomer(c);
        w.ShowStore(s);
    });
    BenchReport(QStringLiteral("show a customer and a store"), show);

    // A store's three menus and a customer to order for.
    const QString store = parties.front().second;
    const QString customer = parties.front().first;
    std::vector<qint64> menus;
    OpenQuery(rs, QStringLiteral("SELECT 코드 FROM 취급메뉴 WHERE 가맹점코드 = '") + store +
                      QStringLiteral("' ORDER BY 코드"));
    for (rs.MoveFirst(); !rs.EOF_() && menus.size() < 3; rs.MoveNext())
        menus.push_back(rs.value(0).toLongLong());
    rs.close();
    while (menus.size() < 3)
        menus.push_back(menus.empty() ? 1 : menus.back());

    std::vector<double> times;
    for (int i = 0; i < 900; ++i) {
        Ctl<SpreadGrid>(&w, "spMList")->SetMaxRows(1);
        Ctl<SpreadGrid>(&w, "spDList")->SetMaxRows(1);
        QElapsedTimer t;
        t.start();
        if (!takeOrder(w, customer, QStringLiteral("02-1234-5678"), store, menus)) {
            std::fprintf(stderr, "order %d failed\n", i);
            break;
        }
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    if (times.size() == 900) {
        auto median = [](std::vector<double> v) {
            std::sort(v.begin(), v.end());
            return v[v.size() / 2];
        };
        const std::vector<double> first(times.begin(), times.begin() + 100);
        const std::vector<double> last(times.end() - 100, times.end());
        BenchReport(QStringLiteral("save an order with three lines (first 100 of 900 in a row)"),
                    median(first));
        BenchReport(QStringLiteral("save an order with three lines (last 100 of 900 in a row)"),
                    median(last));
    }
    const double after = BenchMedianMs(5, [&] { w.RefreshList(); });
    BenchReport(QStringLiteral("refresh after 900 more orders"), after);
    w.close();
    gMainConn.close();
    Clock::SetFixed(QDateTime());
}
