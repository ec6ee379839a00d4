#include "MainFixture.h"
#include "accounts/PaymentService.h"
#include "db/ChangeFeed.h"
#include "db/RunningTotals.h"
#include "order/OrderService.h"
#include "order/gui/FrmMain.h"
#include "order/gui/FrmMainColumns.h"
#include "support/Controls.h"
#include "support/ScriptedPrompter.h"
#include "support/SeatCommands.h"
#include "ui/gui/SpreadGrid.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTimer>

#include <cstdio>

using namespace FrmMainCols;

// Two seats as two processes on one database (a file, or the server in the suite's server run): what the
// writing seat saves appears in the other seat's open main window without F5, a cell being typed there is
// not disturbed until the operator leaves it, and the running totals stay whole.
class TestLive : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void writesAppearAtTheOtherSeat();
    void typedCellWaits();

private:
    // A seat process answering commands on its standard input, one line each.
    struct Seat
    {
        QProcess* process = nullptr;
        QStringList heard;
        // Sends a command and waits for the first line starting with `reply`; returns the line.
        QString ask(const QString& command, const QString& reply, int ms = 10000);
        // Waits for a line starting with `prefix` that contains `text`.
        bool hear(const QString& prefix, const QString& text, int ms = 10000);
    };
    Seat start(const QString& role, const QString& terminal);
    std::unique_ptr<MainFixture> m_db;
    QString m_location;
    QList<QProcess*> m_processes;
};

namespace {
const QDate kDay(2026, 12, 8);

void say(const QString& line)
{
    std::printf("%s\n", qUtf8Printable(line));
    std::fflush(stdout);
}

// The writing seat: saves orders and payments as the order and payment screens would.
void writerCommand(const QStringList& words)
{
    if (words.value(0) == QLatin1String("order")) {
        QString number;
        const bool ok =
            OrderService::InsertOrder({"10000001", "02-1234-5678", "1001", kDay, "12:00"}, words.value(1),
                                      number)
                .ok() &&
            OrderService::InsertLine(number, "1001", "10000001", {1, 1, 6175, QString()}, 100).ok();
        say((ok ? QStringLiteral("SAVED ") : QStringLiteral("FAILED ")) + number);
    } else if (words.value(0) == QLatin1String("pay")) {
        qint64 key = 0;
        const bool ok =
            PaymentService::InsertPayment({"1001", "2026-12-08", words.value(1).toLongLong(), 0, {}}, key)
                .ok();
        say(ok ? QStringLiteral("PAID %1").arg(key) : QStringLiteral("FAILED pay"));
    }
}

QString orderNumbers(SpreadGrid* list)
{
    QStringList numbers;
    for (int row = 1; row < list->MaxRows(); ++row)
        numbers << list->CellText(mOrderNo, row);
    return numbers.join(QLatin1Char(','));
}

// The watching seat: its main window open, telling every change of its order list and store balance.
void watcherCommand(FrmMain& w, const QStringList& words)
{
    auto* list = Ctl<SpreadGrid>(&w, "spMList");
    if (words.value(0) == QLatin1String("goto") || words.value(0) == QLatin1String("type")) {
        // Into the telephone cell of an order, not confirmed.
        for (int row = 1; row < list->MaxRows(); ++row) {
            if (list->CellText(mOrderNo, row) != words.value(1))
                continue;
            list->SetActiveCell(mPhone, row);
            w.ShowActiveOrderPanels();
            if (words.value(0) == QLatin1String("goto"))
                continue;
            list->SetEditMode(true);
            QTest::keyClicks(list->editor(), words.value(2));
        }
        say(QStringLiteral("%1 %2")
                .arg(words.value(0) == QLatin1String("goto") ? "AT" : "TYPED")
                .arg(list->EditTyped() ? 1 : 0));
    } else if (words.value(0) == QLatin1String("state")) {
        say(QStringLiteral("STATE %1 %2 %3")
                .arg(list->CellText(mOrderNo, list->ActiveRow()),
                     list->EditTyped() ? QStringLiteral("1") : "0",
                     list->editor() && list->EditTyped() ? list->editor()->text() : QStringLiteral("-")));
    } else if (words.value(0) == QLatin1String("escape")) {
        QTest::keyClick(list->editor(), Qt::Key_Escape);
        say(QStringLiteral("ESCAPED %1").arg(list->EditTyped() ? 1 : 0));
    }
}

int runSeat(const QStringList& args)
{
    const QString role = args.at(1);
    TestHome home;
    ErrInfo e;
    if (!gMainConn.open(args.at(2), false, &e))
        return 3;
    gTerminalID = args.at(3);
    gPointUnit = 100;
    Clock::SetFixed(QDateTime(kDay, QTime(12, 30)));
    HeadlessPrompter quiet;
    SetPrompter(&quiet);
    std::unique_ptr<FrmMain> w;
    QString shownList;
    QString shownBalance;
    QTimer watch;
    if (role == QLatin1String("--watch")) {
        if (!MainChangeFeed().start())
            return 4;
        w = std::make_unique<FrmMain>();
        w->show();
        QObject::connect(&watch, &QTimer::timeout, [&] {
            const QString now = orderNumbers(Ctl<SpreadGrid>(w.get(), "spMList"));
            if (now != shownList)
                say(QStringLiteral("LIST ") + (shownList = now));
            const QString balance = Ctl<QLabel>(w.get(), "pnlMembBaln")->text().trimmed();
            if (balance != shownBalance)
                say(QStringLiteral("BALANCE ") + (shownBalance = balance));
        });
        watch.start(20);
    }
    FollowSeatCommands(QCoreApplication::instance(), [&](const QString& command) {
        const QStringList words = command.split(QLatin1Char(' '));
        if (w)
            watcherCommand(*w, words);
        else
            writerCommand(words);
    });
    say(QStringLiteral("READY"));
    const int rc = QCoreApplication::exec();
    w.reset();
    EndMainChangeFeed();
    SetPrompter(nullptr);
    gMainConn.close();
    return rc;
}
} // namespace

QString TestLive::Seat::ask(const QString& command, const QString& reply, int ms)
{
    process->write((command + QLatin1Char('\n')).toUtf8());
    const int from = heard.size();
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        for (int i = from; i < heard.size(); ++i)
            if (heard.at(i).startsWith(reply))
                return heard.at(i);
        if (!process->canReadLine())
            process->waitForReadyRead(100);
        while (process->canReadLine())
            heard << QString::fromUtf8(process->readLine()).trimmed();
    }
    return QString();
}

bool TestLive::Seat::hear(const QString& prefix, const QString& text, int ms)
{
    QElapsedTimer t;
    t.start();
    int from = 0;
    while (t.elapsed() < ms) {
        for (int i = from; i < heard.size(); ++i)
            if (heard.at(i).startsWith(prefix) && heard.at(i).contains(text))
                return true;
        from = heard.size();
        if (!process->canReadLine())
            process->waitForReadyRead(100);
        while (process->canReadLine())
            heard << QString::fromUtf8(process->readLine()).trimmed();
    }
    return false;
}

void TestLive::init()
{
    m_db = std::make_unique<MainFixture>();
    MainFixture::addOrder("2612081001", "10000001", "1001", "11:00");
    m_location = gMainConn.path();
}

void TestLive::cleanup()
{
    for (QProcess* p : m_processes) {
        p->write("quit\n");
        if (!p->waitForFinished(10000))
            p->kill();
    }
    qDeleteAll(m_processes);
    m_processes.clear();
    // The totals stay whole whatever the seats did.
    std::vector<RunningTotals::Drift> drift;
    ErrInfo e;
    QVERIFY2(RunningTotals::Find(gMainConn, &drift, &e), qPrintable(e.description));
    QCOMPARE(drift.size(), size_t(0));
    m_db.reset();
}

TestLive::Seat TestLive::start(const QString& role, const QString& terminal)
{
    Seat s;
    s.process = new QProcess;
    s.process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    s.process->start(QCoreApplication::applicationFilePath(), {role, m_location, terminal});
    m_processes << s.process;
    if (!s.hear(QStringLiteral("READY"), QString(), 30000))
        qWarning("seat %s did not start", qPrintable(role));
    return s;
}

void TestLive::writesAppearAtTheOtherSeat()
{
    Seat watcher = start(QStringLiteral("--watch"), QStringLiteral("2"));
    Seat writer = start(QStringLiteral("--write"), QStringLiteral("1"));
    QVERIFY(watcher.hear(QStringLiteral("LIST"), QStringLiteral("2612081001")));
    QString saved = writer.ask(QStringLiteral("order 1"), QStringLiteral("SAVED"));
    QVERIFY2(!saved.isEmpty(), qPrintable(writer.heard.join(QLatin1Char('\n'))));
    const QString number = saved.section(QLatin1Char(' '), 1);
    QVERIFY(watcher.hear(QStringLiteral("LIST"), QStringLiteral("2612081001,") + number));
    // The store panel of the order under the cursor follows a payment made at the other seat.
    watcher.ask(QStringLiteral("goto ") + number, QStringLiteral("AT"));
    QVERIFY(watcher.hear(QStringLiteral("BALANCE"), QStringLiteral("216")));
    QVERIFY(!writer.ask(QStringLiteral("pay 1000"), QStringLiteral("PAID")).isEmpty());
    QVERIFY2(watcher.hear(QStringLiteral("BALANCE"), QStringLiteral("-784")),
             qPrintable(watcher.heard.join(QLatin1Char('\n'))));
}

void TestLive::typedCellWaits()
{
    Seat watcher = start(QStringLiteral("--watch"), QStringLiteral("2"));
    Seat writer = start(QStringLiteral("--write"), QStringLiteral("1"));
    QVERIFY(watcher.hear(QStringLiteral("LIST"), QStringLiteral("2612081001")));
    QCOMPARE(watcher.ask(QStringLiteral("type 2612081001 02-777"), QStringLiteral("TYPED")),
             QStringLiteral("TYPED 1"));
    const QString number = writer.ask(QStringLiteral("order 1"), QStringLiteral("SAVED")).section(' ', 1);
    QVERIFY(!number.isEmpty());
    // Long enough for the change to have been heard: the typed cell and its row stay as they are.
    QVERIFY(!watcher.hear(QStringLiteral("LIST"), number, 3000));
    QCOMPARE(watcher.ask(QStringLiteral("state"), QStringLiteral("STATE")),
             QStringLiteral("STATE 2612081001 1 02-777"));
    // Once the operator leaves the cell the list catches up, still on its order.
    watcher.ask(QStringLiteral("escape"), QStringLiteral("ESCAPED"));
    QVERIFY2(watcher.hear(QStringLiteral("LIST"), QStringLiteral("2612081001,") + number),
             qPrintable(watcher.heard.join(QLatin1Char('\n'))));
    QCOMPARE(watcher.ask(QStringLiteral("state"), QStringLiteral("STATE")),
             QStringLiteral("STATE 2612081001 0 -"));
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 4 &&
        (args.at(1) == QLatin1String("--watch") || args.at(1) == QLatin1String("--write")))
        return runSeat(args);
    TestLive t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_live.moc"
