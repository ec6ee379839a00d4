#include "MainFixture.h"
#include "db/ChangeFeed.h"
#include "db/DbConnection.h"
#include "db/DbError.h"
#include "order/OrderHistory.h"
#include "order/gui/FrmMain.h"
#include "order/gui/HistoryPanel.h"
#include "order/gui/modSeeID.h"
#include "support/Controls.h"
#include "support/OtherSeats.h"
#include "support/ScriptedPrompter.h"
#include "support/TestRows.h"
#include "ui/gui/RecordScreens.h"
#include "ui/gui/ScreenCatalogue.h"
#include "ui/gui/SpreadGrid.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>

#include <functional>

Q_DECLARE_METATYPE(std::function<void()>)

namespace {
// Customer picker stand-in: every number is the regular's, found without showing the picker.
class RegularPicker : public RecordPicker
{
public:
    int FindRecords(const QString&, const QString&) override { return 1; }
    QString result() const override
    {
        return QStringLiteral("10000001") + QChar(0) + QStringLiteral("02-1234-5678");
    }
    QDialog* dialog() override { return &m_dialog; }
    QDialog m_dialog;
};

// A past order of the regular at store 1001 on that date: 후라이드 × 2 at 6,175 and 양념 × 1 at 10,000.
void addPastOrder(const QString& number, const QString& date)
{
    MainFixture::addOrder(number, "10000001", "1001", "19:00", date);
    MainFixture::exec(
        "INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, 메모, 포인트) "
        "VALUES ('" +
        number + "', 1, 1, 2, 6175, 12350, 432, '', 124)");
    MainFixture::exec(
        "INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, 메모, 포인트) "
        "VALUES ('" +
        number + "', 2, 2, 1, 10000, 10000, 350, '', 100)");
}

struct Stored
{
    int orders = 0;
    int lines = 0;
    double balance = 0;
    qint64 points = 0;
    bool operator==(const Stored&) const = default;
};

Stored stored()
{
    return {CountRows("주문"), CountRows("주문내역"), Rows::balance("1001"), Rows::points("10000001")};
}

bool activate(QWidget& w)
{
    w.show();
    w.activateWindow();
    QApplication::setActiveWindow(&w);
    return QTest::qWaitForWindowActive(&w);
}
} // namespace

// The regular's recent orders on a call, and taking one of them again with F6.
class TestRepeat : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void ringShowsNewestFiveAndFollows();
    void repeat_data();
    void repeat();
};

void TestRepeat::initTestCase()
{
    ScreenCatalogue::RegisterPicker(QStringLiteral("FrmCust_sel"),
                                    [] { return std::make_unique<RegularPicker>(); });
}

void TestRepeat::ringShowsNewestFiveAndFollows()
{
    MainFixture f;
    for (int day = 1; day <= 7; ++day)
        addPastOrder(QStringLiteral("26120%1").arg(day) + QStringLiteral("1001"),
                     QStringLiteral("2026-12-0%1").arg(day));
    MainFixture::addOrder("2612071002", "10000002", "1002", "20:00", "2026-12-07");
    ScriptedPrompter p;
    FrmMain w;
    QVERIFY(activate(w));
    w.HandleCallerNumber(QStringLiteral("0212345678"));
    auto* history = Ctl<HistoryPanel>(&w, "pnlHistory");
    QStringList numbers;
    for (const OrderHistory::PastOrder& o : history->Orders())
        numbers << o.number;
    QCOMPARE(numbers, (QStringList{"2612071001", "2612061001", "2612051001", "2612041001", "2612031001"}));
    QCOMPARE(history->Orders().first().amount(), 22350);
    QCOMPARE(history->Orders().first().menusText(), QStringLiteral("후라이드×2, 양념×1"));
    // The panel never took the cursor: it waits on the store of the call's row.
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->ActiveCol(), 3);
    QVERIFY(Ctl<QLabel>(&w, "lblHistory_0")->text().contains(QStringLiteral("느티골치킨  22,350원")));
    // Other seats: another customer's order is not read again; this customer's new order arrives on top.
    DbConnection other;
    ErrInfo e;
    QVERIFY2(other.open(gMainConn.path(), false, &e), qPrintable(e.description));
    QVERIFY(MainChangeFeed().start());
    // Whatever the feed's start hears (a busy machine may have it subscribe again) settles before counting.
    HearOtherSeats(other.isServer());
    int reads = 0;
    gMainConn.setFaultInjector([&](const QString& sql) -> std::optional<ErrInfo> {
        reads += sql.contains(QStringLiteral("FROM 주문 AS o")) ? 1 : 0;
        return std::nullopt;
    });
    // A failed comparison below must not leave the counter behind it for the next test.
    const auto uncount = qScopeGuard([] { gMainConn.setFaultInjector({}); });
    const auto otherAdds = [&](const char* number, const char* customer) {
        return other
            .exec(QStringLiteral(
                      "INSERT INTO 주문 (주문번호, 고객코드, 주문시전화, 가맹점코드, 주문일자, 주문시간, "
                      "통보시간) VALUES ('%1', '%2', '', '1002', '2026-12-08', '12:00', '')")
                      .arg(QLatin1String(number), QLatin1String(customer)))
            .ok;
    };
    QVERIFY(otherAdds("2612082001", "10000002"));
    HearOtherSeats(other.isServer());
    QCOMPARE(reads, 0);
    QVERIFY(otherAdds("2612082002", "10000001"));
    HearOtherSeats(other.isServer());
    gMainConn.setFaultInjector({});
    QCOMPARE(reads, 1);
    QCOMPARE(history->Orders().first().number, QStringLiteral("2612082002"));
    // A shown menu renamed elsewhere (announced by its store's code) is named anew.
    QVERIFY(other.exec(QStringLiteral("UPDATE 취급메뉴 SET 메뉴명 = '반반' WHERE 메뉴명 = '양념'")).ok);
    HearOtherSeats(other.isServer());
    QCOMPARE(history->Orders().at(1).menusText(), QStringLiteral("후라이드×2, 반반×1"));
    EndMainChangeFeed();
    UnloadSeeIdWindows();
}

void TestRepeat::repeat_data()
{
    QTest::addColumn<std::function<void()>>("setup");
    QTest::addColumn<QString>("answers");   // Y and N, in the order asked
    QTest::addColumn<QString>("failing");   // the statement made to fail, counted from the first
    QTest::addColumn<QString>("asked");     // a text the last question holds
    QTest::addColumn<qint64>("commission"); // 0 = nothing saved
    QTest::addColumn<qint64>("points");

    const std::function<void()> none = [] {};
    const std::function<void()> repriced = [] {
        MainFixture::exec("UPDATE 취급메뉴 SET 판매단가 = 11000 WHERE 코드 = 2");
    };
    // The menu went to another store: the order's store has no 양념 any more.
    const std::function<void()> gone = [] {
        MainFixture::exec("UPDATE 취급메뉴 SET 가맹점코드 = '1002' WHERE 코드 = 2");
    };
    const std::function<void()> holiday = [] {
        MainFixture::exec(
            "INSERT INTO 가맹점휴일 (가맹점코드, 일자, 반복구분, 메모) VALUES ('1001', '2026-12-08', 0, '')");
    };
    const std::function<void()> late = [] { Clock::SetFixed(QDateTime(QDate(2026, 12, 8), QTime(22, 30))); };
    // 3.5 % of 12,350 cut is 432 and of 10,000 is 350; 124 + 100 points.
    QTest::newRow("same as last time") << none << "Y"
                                       << ""
                                       << "다시 주문" << qint64(782) << qint64(224);
    QTest::newRow("no to the question") << none << "N"
                                        << ""
                                        << "다시 주문" << qint64(0) << qint64(0);
    QTest::newRow("price changed, taken") << repriced << "YY"
                                          << ""
                                          << "양념 10,000원 → 11,000원" << qint64(817) << qint64(234);
    QTest::newRow("price changed, refused") << repriced << "YN"
                                            << ""
                                            << "가격이 바뀐" << qint64(0) << qint64(0);
    QTest::newRow("menu gone, rest taken")
        << gone << "YY"
        << ""
        << "없어진 메뉴(빼고 주문합니다): 양념" << qint64(432) << qint64(124);
    QTest::newRow("holiday, refused") << holiday << "YN"
                                      << ""
                                      << "휴일입니다" << qint64(0) << qint64(0);
    QTest::newRow("holiday, taken") << holiday << "YY"
                                    << ""
                                    << "휴일입니다" << qint64(782) << qint64(224);
    QTest::newRow("closed hours, refused") << late << "YN"
                                           << ""
                                           << "영업시간은" << qint64(0) << qint64(0);
    QTest::newRow("second line fails") << none << "Y"
                                       << "INSERT INTO 주문내역#2"
                                       << "주문 자료저장을 실패" << qint64(0) << qint64(0);
    QTest::newRow("point posting fails") << none << "Y"
                                         << "UPDATE 고객#1"
                                         << "다시 주문" << qint64(0) << qint64(0);
}

void TestRepeat::repeat()
{
    QFETCH(std::function<void()>, setup);
    QFETCH(QString, answers);
    QFETCH(QString, failing);
    QFETCH(QString, asked);
    QFETCH(qint64, commission);
    QFETCH(qint64, points);
    MainFixture f;
    addPastOrder("2612071001", "2026-12-07");
    MainFixture::exec("UPDATE 가맹점 SET 현잔액 = 782 WHERE 코드 = '1001'");
    MainFixture::exec("UPDATE 고객 SET 현포인트 = 기초포인트 + 224 WHERE 코드 = '10000001'");
    setup();
    ScriptedPrompter p;
    FrmMain w;
    QVERIFY(activate(w));
    w.HandleCallerNumber(QStringLiteral("0212345678"));
    const Stored before = stored();
    const QString statement = failing.section(QLatin1Char('#'), 0, 0);
    int left = failing.section(QLatin1Char('#'), 1).toInt();
    gMainConn.setFaultInjector([&](const QString& sql) -> std::optional<ErrInfo> {
        if (!statement.isEmpty() && sql.startsWith(statement) && --left == 0)
            return ErrInfo{DbErr::kUnspecified, QStringLiteral("disk I/O error")};
        return std::nullopt;
    });
    for (QChar a : answers)
        p.answer(a == QLatin1Char('Y') ? MsgAnswer::Yes : MsgAnswer::No);
    // The key alone asks; the answers decide.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    gMainConn.setFaultInjector({});
    QCOMPARE(gMainConn.transactionDepth(), 0);
    QCOMPARE(p.answersLeft(), 0);
    QCOMPARE(p.unexpected(), 0);
    const Stored after = stored();
    if (commission == 0) {
        QCOMPARE(after, before);
        QVERIFY2(p.texts().join('\n').contains(asked), qPrintable(p.texts().join('\n')));
        UnloadSeeIdWindows();
        return;
    }
    QVERIFY2(p.texts().join('\n').contains(asked), qPrintable(p.texts().join('\n')));
    QCOMPARE(after.orders, before.orders + 1);
    QCOMPARE(after.balance, before.balance + double(commission));
    QCOMPARE(after.points, before.points + points);
    // The new order: today, this call's number, the store of the past one, its lines numbered from 1 and
    // carrying exactly what was posted.
    const QString number = GetFirstValue("SELECT MAX(주문번호) FROM 주문").toString();
    QCOMPARE(number, QStringLiteral("2612081001"));
    QCOMPARE(GetFirstValue(
                 "SELECT 주문시전화 || '/' || 가맹점코드 || '/' || 주문일자 FROM 주문 WHERE 주문번호 = '" +
                 number + "'")
                 .toString(),
             QStringLiteral("02-1234-5678/1001/2026-12-08"));
    QCOMPARE(GetFirstValue("SELECT SUM(수수료) FROM 주문내역 WHERE 주문번호 = '" + number + "'").toLongLong(),
             commission);
    QCOMPARE(GetFirstValue("SELECT SUM(포인트) FROM 주문내역 WHERE 주문번호 = '" + number + "'").toLongLong(),
             points);
    QCOMPARE(GetFirstValue("SELECT MIN(순번) FROM 주문내역 WHERE 주문번호 = '" + number + "'").toInt(), 1);
    // The screen shows it as a saved order with its lines, a fresh entry row under it, and the history's
    // newest row is the new order.
    auto* grid = Ctl<SpreadGrid>(&w, "spMList");
    QCOMPARE(grid->CellText(5, grid->MaxRows() - 1), number);
    QCOMPARE(Ctl<HistoryPanel>(&w, "pnlHistory")->Orders().first().number, number);
    UnloadSeeIdWindows();
}

QTEST_MAIN(TestRepeat)
#include "tst_repeat.moc"
