// The figure an operator feels most: a ring on the caller-ID line until the main screen answers it. The bench
// plays the modem on a pseudo-terminal, writes the simulator's bytes for one call and runs the event loop
// until the customer is in the panels, or, for an unknown number, until the registration question is asked.
// 100 rings each, on the installation with 1,000,000 customers the database benches generate (or the one
// given with --home), with the cursor resting on the empty number cell of the entry row.
#include "Bench.h"

#include "app/AppPaths.h"
#include "app/SettingKeys.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"
#include "masters/CustPhone.h"
#include "masters/gui/CustomerScreens.h"
#include "order/gui/FrmMain.h"
#include "order/gui/FrmMainColumns.h"
#include "order/gui/modSeeID.h"
#include "support/Controls.h"
#include "ui/Prompter.h"
#include "ui/TextUtil.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/SpreadGrid.h"

#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

constexpr int kRings = 100;
constexpr int kTimeoutMs = 5000;
const QString kRegisterQuestion = QStringLiteral("신규 등록하겠습니까?");

// Answers the registration question No and notes when it was asked; other boxes take their default and are
// counted, since none belongs in a ring's path.
class RegisterQuestionClock : public Prompter
{
public:
    explicit RegisterQuestionClock(const QElapsedTimer& clock) : m_clock(clock)
    {
        m_previous = SetPrompter(this);
    }
    ~RegisterQuestionClock() override { SetPrompter(m_previous); }

    MsgAnswer message(const MsgRequest& request) override
    {
        if (request.buttons == MsgButtons::YesNo && request.text.contains(kRegisterQuestion)) {
            m_askedNs = m_clock.nsecsElapsed();
            return MsgAnswer::No;
        }
        ++m_others;
        m_lastOther = request.text;
        return request.defaultAnswer;
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override
    {
        ++m_others;
        return std::nullopt;
    }
    void floatNotice(const QString&) override {}

    void reset() { m_askedNs = -1; }
    qint64 askedNs() const { return m_askedNs; }
    int others() const { return m_others; }
    QString lastOther() const { return m_lastOther; }

private:
    const QElapsedTimer& m_clock;
    Prompter* m_previous = nullptr;
    qint64 m_askedNs = -1;
    int m_others = 0;
    QString m_lastOther;
};

struct Ring
{
    QString digits;   // what the modem reports
    QString code;     // the customer expected in the panels; empty for an unknown number
    QString firstTel; // the customer's 전화1 as the panel shows it
};

struct Timings
{
    std::vector<double> shown;    // bytes written → panel text set / question asked
    std::vector<double> idle;     // bytes written → event loop free again
    std::vector<double> callerId; // bytes written → the number in the (SEE ID) panel
};

// The bytes the simulator writes for "ring NUMBER".
QByteArray ringBytes(const QString& digits)
{
    const QDateTime now = QDateTime::currentDateTime();
    return QByteArrayLiteral("RING\r\n\r\nDATE = ") + now.toString(QStringLiteral("MMdd")).toLatin1() +
           QByteArrayLiteral("\r\nTIME = ") + now.toString(QStringLiteral("HHmm")).toLatin1() +
           QByteArrayLiteral("\r\nNMBR = ") + digits.toLatin1() + QByteArrayLiteral("\r\n\r\nRING\r\n");
}

bool writeAll(int fd, const QByteArray& bytes)
{
    return ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
}

// What the program sends to the modem (its start-up command) is read and dropped so the terminal never
// fills up.
void drain(int fd)
{
    pollfd pfd{fd, POLLIN, 0};
    char buf[256];
    while (::poll(&pfd, 1, 0) > 0 && (pfd.revents & POLLIN) && ::read(fd, buf, sizeof buf) > 0) {
    }
}

// Runs the event loop, without sleeping, until done() holds; false when kTimeoutMs passed first.
bool spinUntil(const std::function<bool()>& done)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > kTimeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return true;
}

// Lets queued work finish for a moment between rings, so one ring's leftovers are not timed with the next.
void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

qint64 customersWithNumber(const QString& digits)
{
    return GetFirstValue(QStringLiteral("SELECT COUNT(*) FROM 고객 WHERE ") +
                         PhoneSuffixCondition(PhoneSearchSuffix(digits), true))
        .toLongLong();
}

// Customers spread over the whole table whose first number finds them alone, as a ring would.
std::vector<Ring> knownRings(qint64 customers)
{
    std::vector<Ring> out;
    const qint64 step = std::max<qint64>(1, customers / kRings);
    for (qint64 rowid = step / 2 + 1; out.size() < size_t(kRings) && rowid <= customers + step;
         rowid += step) {
        Recordset rs;
        if (OpenQuery(
                rs, QStringLiteral("SELECT 코드, 전화1, 전화2, 전화3, 전화4 FROM 고객 WHERE rowid >= %1 AND "
                                   "IFNULL(전화1, '') <> '' ORDER BY rowid LIMIT 1")
                        .arg(rowid)) <= 0)
            continue;
        const QString tel1 = rs.text(QStringLiteral("전화1"));
        const QString digits = WithoutHyphens(tel1);
        QStringList numbers;
        for (int i = 1; i <= 4; ++i)
            numbers << rs.text(QStringLiteral("전화%1").arg(i));
        bool allDigits = !digits.isEmpty();
        for (const QChar c : digits)
            allDigits = allDigits && c.isDigit();
        if (allDigits && MatchingPhones(numbers, digits).size() == 1 && customersWithNumber(digits) == 1)
            out.push_back({digits, rs.text(QStringLiteral("코드")), tel1});
    }
    return out;
}

// Numbers no customer has.
std::vector<Ring> unknownRings()
{
    std::vector<Ring> out;
    QRandomGenerator rng(20261209);
    while (out.size() < size_t(kRings)) {
        const QString digits = QStringLiteral("0505%1").arg(rng.bounded(10000000), 7, 10, QLatin1Char('0'));
        if (customersWithNumber(digits) == 0)
            out.push_back({digits, QString(), QString()});
    }
    return out;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double worst(const std::vector<double>& v)
{
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

// Puts the cursor back on the empty number cell of the entry row with both panels cleared.
void restState(FrmMain& w)
{
    using namespace FrmMainCols;
    const int row = Ctl<SpreadGrid>(&w, "spMList")->MaxRows();
    if (Ctl<SpreadGrid>(&w, "spMList")->IsEditing())
        Ctl<SpreadGrid>(&w, "spMList")->SetEditMode(false);
    Ctl<SpreadGrid>(&w, "spMList")->SetText(mCust, row, QString());
    Ctl<SpreadGrid>(&w, "spMList")->SetText(mPhone, row, QString());
    w.ClearCustomer();
    w.ClearStore();
    Ctl<QLabel>(&w, "pnlSeeIDDisp")->clear();
    Ctl<SpreadGrid>(&w, "spMList")->SetActiveCell(mPhone, row);
}

bool ringAll(FrmMain& w, int master, const std::vector<Ring>& rings, QElapsedTimer& clock,
             RegisterQuestionClock& prompter, Timings& out)
{
    qint64 callerIdNs = -1;
    qint64 codeNs = -1;
    const QMetaObject::Connection c1 = QObject::connect(
        &w, &FrmMain::callerIdShown, [&](const QString&) { callerIdNs = clock.nsecsElapsed(); });
    const QMetaObject::Connection c2 =
        QObject::connect(Ctl<QLineEdit>(&w, "txtCustID"), &QLineEdit::textChanged, [&](const QString& t) {
            if (!t.isEmpty())
                codeNs = clock.nsecsElapsed();
        });
    bool ok = true;
    for (const Ring& r : rings) {
        restState(w);
        prompter.reset();
        callerIdNs = codeNs = -1;
        settle(10);
        drain(master);
        const QByteArray bytes = ringBytes(r.digits);
        clock.start();
        if (!writeAll(master, bytes)) {
            std::fprintf(stderr, "cannot write to the terminal\n");
            ok = false;
            break;
        }
        const bool answered = spinUntil([&] {
            if (r.code.isEmpty())
                return prompter.askedNs() >= 0;
            return Ctl<QLineEdit>(&w, "txtCustID")->text() == r.code &&
                   Ctl<QLabel>(&w, "pnlCustTel", 0)->text() == r.firstTel;
        });
        const double idleMs = clock.nsecsElapsed() / 1e6;
        if (!answered) {
            std::fprintf(
                stderr, "ring %s: not answered within %d ms (panel \"%s\", cell \"%s\", waiting %d)\n",
                qUtf8Printable(r.digits), kTimeoutMs, qUtf8Printable(Ctl<QLineEdit>(&w, "txtCustID")->text()),
                qUtf8Printable(
                    Ctl<SpreadGrid>(&w, "spMList")
                        ->CellText(FrmMainCols::mPhone, Ctl<SpreadGrid>(&w, "spMList")->MaxRows())),
                StandbyCount());
            ok = false;
            break;
        }
        out.shown.push_back((r.code.isEmpty() ? prompter.askedNs() : codeNs) / 1e6);
        out.idle.push_back(idleMs);
        out.callerId.push_back(callerIdNs / 1e6);
        // The call ends as the operator puts the handset down after it.
        writeAll(master, QByteArrayLiteral("ONHOOK\r\n"));
    }
    QObject::disconnect(c1);
    QObject::disconnect(c2);
    return ok;
}

void report(const QString& what, const Timings& t)
{
    BenchReport(what + QStringLiteral(", median"), median(t.shown), -1,
                QStringLiteral("worst %1 ms of %2 rings; number shown %3 / %4 ms; event loop free %5 / %6 ms")
                    .arg(worst(t.shown), 0, 'f', 2)
                    .arg(t.shown.size())
                    .arg(median(t.callerId), 0, 'f', 2)
                    .arg(worst(t.callerId), 0, 'f', 2)
                    .arg(median(t.idle), 0, 'f', 2)
                    .arg(worst(t.idle), 0, 'f', 2));
    BenchReport(what + QStringLiteral(", worst"), worst(t.shown));
}

} // namespace

ZK_BENCH("calls: ring to the customer on the main screen")
{
    const QString home = ctx.home().isEmpty() ? BenchGeneratedHome(1000000, 200) : ctx.home();
    if (home.isEmpty())
        return;
    QTemporaryDir dir;
    if (!BenchOpenHome(home, dir.path() + QStringLiteral("/settings")))
        return;
    RegisterCustomerScreens();
    const qint64 customers = GetFirstValue(QStringLiteral("SELECT MAX(rowid) FROM 고객")).toLongLong();
    const std::vector<Ring> known = knownRings(customers);
    const std::vector<Ring> unknown = unknownRings();
    const QString label = QStringLiteral("%L1 customers")
                              .arg(GetFirstValue(QStringLiteral("SELECT COUNT(*) FROM 고객")).toLongLong());

    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        gMainConn.close();
        return;
    }
    Settings::Save(Settings::Key::SeeIdPort1, QString::fromLocal8Bit(ptsname(master)));

    // A picker or list that opens on a ring would hang the bench: it is counted and closed at once.
    int modals = 0;
    const ModalHandler previousModal = SetModalHandler([&](QDialog*) {
        ++modals;
        return int(QDialog::Rejected);
    });
    QElapsedTimer clock;
    clock.start();
    {
        RegisterQuestionClock prompter(clock);
        FrmMain w;
        w.show();
        w.activateWindow();
        QApplication::setActiveWindow(&w);
        if (!w.DeviceReady() || !spinUntil([&] { return QApplication::activeWindow() == &w; })) {
            std::fprintf(stderr, "main window without device or not active\n");
        } else {
            Timings k;
            if (ringAll(w, master, known, clock, prompter, k))
                report(QStringLiteral("ring → customer in the panels, %1").arg(label), k);
            Timings u;
            if (ringAll(w, master, unknown, clock, prompter, u))
                report(QStringLiteral("ring → registration question, unknown number, %1").arg(label), u);
            if (modals > 0 || prompter.others() > 0)
                std::printf("  unexpected: %d windows, %d boxes (last: %s)\n", modals, prompter.others(),
                            qUtf8Printable(prompter.lastOther()));
        }
        w.close();
        UnloadSeeIdWindows();
    }
    SetModalHandler(previousModal);
    ::close(master);
    gMainConn.close();
}
