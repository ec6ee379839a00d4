// Incoming calls and store dialling on the main screen.
#include "order/gui/FrmMain.h"

#include "order/gui/FrmMainColumns.h"

#include "app/Clock.h"
#include "order/SeeIdParser.h"
#include "order/gui/modSeeID.h"
#include "ui/MsgBox.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modSpread60.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QShortcut>
#include <QTimer>

using namespace FrmMainCols;

void FrmMain::wireCallerId()
{
    SetSeeIdOwner(this);
    for (int i = 0; i < 2; ++i) {
        seeid[i] = new SeeIdDevice(i, this);
        connect(seeid[i], &SeeIdDevice::DataReceived, this,
                [this, i](int kind, const QString& data) { onDeviceData(i, kind, data); });
        connect(seeid[i], &SeeIdDevice::HookChanged, this,
                [this, i](bool lifted) { m_dialer.HookChanged(i, lifted); });
    }
    AutoDialer::Hooks hooks;
    hooks.startTimer = [this](int ms) { timerHook->start(ms); };
    hooks.stopTimer = [this] { timerHook->stop(); };
    hooks.send = [this](int index, const QString& digits) {
        if (index >= 0 && index < 2 && seeid[index])
            seeid[index]->SendCmd(SeeIdDevice::kCmdDial, digits, QString(), QString());
    };
    hooks.showCountdown = [this](const QString& text) {
        pnlAutoDialingmsg->setText(text);
        pnlAutoDialingmsg->setVisible(true);
    };
    hooks.hideCountdown = [this] { pnlAutoDialingmsg->setVisible(false); };
    hooks.ask = [](const QString& question) { return AskYesNo(question, {}, false) == MsgAnswer::Yes; };
    hooks.tell = [](const QString& text) { ShowInfo(text); };
    hooks.notice = [](const QString& text, int ms) { MyFloatMsg(text, ms); };
    hooks.error = [](const QString& what, const QString& procedure) {
        ShowStdError(ErrInfo{0, what}, procedure, QStringLiteral("FrmMain"), ErrOwner::Form);
    };
    m_dialer.setHooks(std::move(hooks));
    m_dialer.ResetHandset();
    connect(timerHook, &QTimer::timeout, this, [this] { m_dialer.Tick(); });

    auto* refresh = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(refresh, &QShortcut::activated, this, &FrmMain::RefreshList);
    auto* test = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F12), this);
    connect(test, &QShortcut::activated, this, &FrmMain::CallerIdTest);
}

void FrmMain::onDeviceData(int index, int kind, const QString& data)
{
    Q_UNUSED(index);
    pnlSeeIDDisp->setText(data);
    Q_EMIT callerIdShown(data);
    // Only kinds 1 and 2 carry a number to look up; withheld and other notices are shown and nothing more.
    if (kind == SeeIdKind::CallerNumber || kind == SeeIdKind::WaitingNumber)
        HandleCallerNumber(data);
    else if (kind == SeeIdKind::Withheld)
        historyFollowsCall(false);
}

void FrmMain::HandleCallerNumber(const QString& number)
{
    const QString digits = number.trimmed();
    if (digits.isEmpty())
        return;
    if (!ProcessCallerNumber(digits))
        AddStandbyNumber(digits);
}

bool FrmMain::ProcessCallerNumber(const QString& number)
{
    if (!number.isEmpty())
        AddMsg(number + QStringLiteral(" [") +
               QLocale(QLocale::Korean).toString(Clock::Now(), QLocale::ShortFormat) + QLatin1Char(']'));
    // Placement is decided before a waiting number is taken, so a number that cannot be placed stays queued.
    const int row = spMList->ActiveRow();
    // The standby and log windows belong to this window: being active there still means waiting here.
    QWidget* active = QApplication::activeWindow();
    const bool mainActive =
        active == this || (active && active->parentWidget() == this && !active->isModal());
    const bool ready = mainActive && QApplication::activeModalWidget() == nullptr &&
                       spMList->ActiveCol() == mPhone && row >= 1 &&
                       (spMList->IsEditing() ? spMList->editor()->text().isEmpty()
                                             : GetCellText(spMList, mPhone, row).isEmpty());
    if (!ready)
        return false;
    QString value = number;
    if (value.isEmpty()) {
        value = PopStandbyNumber();
        if (value.isEmpty())
            return false;
        // The panel shows the call being taken, not whatever the device reported last.
        pnlSeeIDDisp->setText(value);
    }
    if (spMList->IsEditing())
        spMList->SetEditMode(false);
    m_cellBefore.clear();
    m_storeNameBefore.clear();
    m_enterPressed = false;
    spMList->SetText(mPhone, row, value);
    spMList_EditMode(mPhone, row, 0, true);
    if (spMList->ActiveCol() == mPhone)
        spMList->SetActiveCell(mStore, spMList->ActiveRow());
    return true;
}

void FrmMain::CallerIdTest()
{
    if (!m_deviceReady)
        return;
    const QString number =
        InputBox(QStringLiteral("발신번호 테스트! 테스트할 전화번호 입력( '-' 없이 숫자만 입력)"),
                 QStringLiteral("발신번호 테스트"), QString());
    if (!number.trimmed().isEmpty())
        HandleCallerNumber(number.trimmed());
}

void FrmMain::AutoDialReady(const QString& phone)
{
    m_dialer.Request(phone);
}
