#include "reports/gui/FrmRPT_ledger.h"

#include "app/Clock.h"
#include "db/MduAdoDB.h"
#include "masters/gui/Pick.h"
#include "ui/MsgBox.h"
#include "ui/Prompter.h"
#include "ui/gui/MduMainUi.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modFormIni.h"
#include "ui/gui/modSpread60.h"

#include <QApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>

#include <memory>

using namespace StoreLedger;

namespace {
const QString kForm = QStringLiteral("FrmRPT_ledger");
const QColor kCarriedColour(0, 80, 250);
const QColor kPaymentColour(250, 80, 0);

// Restores the pointer however the build ends.
struct WaitCursor
{
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

// How far a long build has come, shown once it has taken a moment, with 취소 to stop it; nothing else of the
// program takes input meanwhile.
class BuildProgress
{
public:
    explicit BuildProgress(QWidget* owner) : m_owner(owner) { m_clock.start(); }
    ~BuildProgress()
    {
        if (m_dialog)
            m_dialog->close();
    }
    // False when the operator chose 취소.
    bool Step(int done, int total)
    {
        if (!m_dialog && m_clock.elapsed() >= kShowAfterMs)
            show();
        if (!m_dialog) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            return true;
        }
        m_dialog->setMaximum(std::max(total, 1));
        m_dialog->setValue(std::min(done, total));
        m_dialog->setLabelText(
            QStringLiteral("가맹점 원장을 만들고 있습니다. (기간 %1일 중 %2일째)").arg(total).arg(done));
        QCoreApplication::processEvents();
        return !m_dialog->wasCanceled();
    }
    // The rows are being read into the grid: no stopping now.
    void Showing()
    {
        if (!m_dialog)
            return;
        m_dialog->setLabelText(QStringLiteral("가맹점 원장을 표시하고 있습니다."));
        m_dialog->setValue(m_dialog->maximum());
        if (QPushButton* cancel = m_dialog->findChild<QPushButton*>())
            cancel->setEnabled(false);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

private:
    static constexpr int kShowAfterMs = 400;
    void show()
    {
        const QString name = QStringLiteral("FrmRPT_ledger_progress");
        CheckDialogAllowed(name);
        m_dialog = std::make_unique<QProgressDialog>(QString(), QStringLiteral("취소"), 0, 1, m_owner);
        m_dialog->setObjectName(name);
        m_dialog->setWindowTitle(QStringLiteral("가맹점 원장"));
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setAutoReset(false);
        m_dialog->setAutoClose(false);
        m_dialog->setMinimumDuration(0);
        m_dialog->setMinimumWidth(380);
        m_dialog->show();
    }

    QWidget* m_owner;
    QElapsedTimer m_clock;
    std::unique_ptr<QProgressDialog> m_dialog;
};
} // namespace

FrmRPT_ledger::FrmRPT_ledger(QWidget* parent) : ReportScreen(parent)
{
    setObjectName(kForm);
    setWindowTitle(QStringLiteral("가맹점 원장"));
    resize(980, 600);
    const QDate today = Clock::Today();
    hdTermFrom()->setDate(QDate(today.year(), today.month(), 1));
    hdTermTo()->setDate(today);
    m_htFilter = AddFilter(QStringLiteral("가맹점검색:"), QStringLiteral("htFilter"));
    m_htFilter->setToolTip(QStringLiteral("가맹점 코드나 상호를 넣고 Enter"));
    AddSortOptions({QStringLiteral("코드"), QStringLiteral("상호")});
    SetPrintOption(2, 0);

    // 조회 builds the ledger; F5 (the list screen's Search) only shows the table again.
    disconnect(btnQuery(), &QPushButton::clicked, this, nullptr);
    connect(btnQuery(), &QPushButton::clicked, this, [this] { Query(); });

    SpreadGrid* grid = spList();
    grid->SetMaxCols(ColCount);
    CommonSpreadDesign(grid, true, true, false, true);
    grid->SetColHeaders({QStringLiteral("가맹코드"), QStringLiteral("가맹점명"), QStringLiteral("일자"),
                         QStringLiteral("메뉴명"), QStringLiteral("수량"), QStringLiteral("수수료"),
                         QStringLiteral("할인금액"), QStringLiteral("입금액"), QStringLiteral("잔액")});
    const double widths[] = {8, 16, 11, 18, 6, 11, 10, 11, 12};
    for (int c = 1; c <= ColCount; ++c)
        grid->SetColWidth(c, widths[c - 1]);
    SetNumberColumn(grid, ColQuantity + 1);
    SetColFormats(grid, {{ColStore + 1, ColFormat::StoreCode}, {ColName + 1, ColFormat::StoreName}});
    SetColFormat(grid, ColDate + 1, ColFormat::Date, {kCarriedForward});
    for (int c : {ColCommission, ColDiscount, ColPayment, ColBalance})
        SetMoneyColumn(grid, c + 1);

    CenterForm(this);
    FinishLayout();
    setFocusProxy(grid);
}

FrmRPT_ledger::~FrmRPT_ledger() = default;

ScreenEntry FrmRPT_ledger::Entry()
{
    return CatalogueEntry(kForm, QStringLiteral("가맹점원장"), QStringLiteral("mnuList_SaleReceive"),
                          [] { return new FrmRPT_ledger; });
}

bool FrmRPT_ledger::Query()
{
    m_totals = {};
    auto progress = std::make_unique<BuildProgress>(this);
    auto ledger = std::make_shared<Ledger>();
    BuildResult built;
    {
        WaitCursor wait;
        built = Build(
            gMainConn, gReportConn, PeriodFrom(), PeriodTo(), m_store,
            [&progress](int done, int total) { return progress->Step(done, total); }, ledger.get());
    }
    if (!built.ok) {
        progress.reset();
        ClearRows();
        if (built.cancelled)
            MyFloatMsg(QStringLiteral("가맹점 원장 작성을 취소했습니다."));
        else
            ShowStdError(built.error, QStringLiteral("CreateReport"), kForm, ErrOwner::Form);
        return false;
    }
    m_totals = built.totals;
    progress->Showing();
    // The build gives the rows as the table holds them; by name only the stores change places.
    if (SortIndex() == 1)
        ledger->SortStores(SortBy::Name);
    showLedger(std::move(ledger));
    return true;
}

int FrmRPT_ledger::Search()
{
    auto ledger = std::make_shared<Ledger>();
    ErrInfo error;
    bool read = false;
    {
        WaitCursor wait;
        read = Read(gReportConn, SortIndex() == 1 ? SortBy::Name : SortBy::Code, *ledger, &error);
    }
    if (!read) {
        ClearRows();
        ShowStdError(error, QStringLiteral("ShowLedger"), kForm, ErrOwner::Form);
        return 0;
    }
    m_totals = ledger->totals();
    return showLedger(std::move(ledger));
}

int FrmRPT_ledger::showLedger(std::shared_ptr<const Ledger> ledger)
{
    WaitCursor wait;
    return ShowRows(std::move(ledger),
                    {{int(Kind::Carried), kCarriedColour}, {int(Kind::Payment), kPaymentColour}});
}

void FrmRPT_ledger::FilterEnter(QLineEdit* box)
{
    if (!box->text().isEmpty() && !FilterEdited(box)) {
        Query();
        return;
    }
    QString code;
    const QString name = PickStore(box->text(), code, PickerAnchor(), false);
    box->setFocus();
    if (code.isEmpty()) {
        m_store.clear();
        return;
    }
    SelectStore(code, name);
    Query();
}

void FrmRPT_ledger::SelectStore(const QString& code, const QString& name)
{
    SetFilterChoice(m_htFilter, name);
    m_store = code;
}

void FrmRPT_ledger::FilterCleared(QLineEdit*)
{
    m_store.clear();
}

void FrmRPT_ledger::SortClicked(int index)
{
    const bool changed = index != m_sort;
    m_sort = index;
    // One store's ledger reads the same in either order.
    if (!changed || !m_store.isEmpty())
        return;
    if (spList()->MaxRows() > 0)
        Search();
    else
        Query();
}
