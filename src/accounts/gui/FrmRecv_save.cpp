#include "accounts/gui/FrmRecv_save.h"

#include "accounts/AccountQueries.h"
#include "accounts/PaymentService.h"
#include "app/Clock.h"
#include "db/DbError.h"
#include "db/modDBQuery.h"
#include "masters/StoreRecord.h"
#include "masters/gui/LoadRecord.h"
#include "masters/gui/Pick.h"
#include "ui/MsgBox.h"
#include "ui/TextUtil.h"
#include "ui/gui/ByteLimitedLineEdit.h"
#include "ui/gui/InputUtil.h"
#include "ui/gui/MduMainUi.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace {
const QString kForm = QStringLiteral("FrmRecv_save");
// One payment beyond this is a typing slip.
constexpr double kMaxWon = 10000000000.0;
constexpr int kNumeric[] = {FrmRecv_save::FldDiscount, FrmRecv_save::FldBalance, FrmRecv_save::FldAmount};
} // namespace

FrmRecv_save::FrmRecv_save(QWidget* parent) : EditorWindow(parent)
{
    setObjectName(kForm);
    setWindowTitle(QStringLiteral("입금 추가, 수정"));
    const struct
    {
        int index;
        int maxBytes;
    } specs[] = {{FldStore, 8}, {FldDiscount, 0}, {FldBalance, 0},
                 {FldKey, 0},   {FldMemo, 50},    {FldAmount, 0}};
    for (const auto& s : specs) {
        ByteLimitedLineEdit* edit = MakeField(s.maxBytes, QStringLiteral("htField_%1").arg(s.index));
        edit->installEventFilter(this);
        m_fields[s.index] = edit;
    }
    for (int i : kNumeric)
        m_fields[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (int i : {int(FldBalance), int(FldKey)}) {
        m_fields[i]->setReadOnly(true);
        m_fields[i]->setFocusPolicy(Qt::NoFocus);
    }
    m_fields[FldKey]->setVisible(false);
    m_lblMName = new QLabel(this);
    m_lblMName->setObjectName(QStringLiteral("lblMName"));
    m_lblTel = new QLabel(this);
    m_lblTel->setObjectName(QStringLiteral("lblTel"));
    m_hdDate = new QDateEdit(this);
    m_hdDate->setObjectName(QStringLiteral("hdDate"));
    m_hdDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_hdDate->setCalendarPopup(true);
    m_hdDate->installEventFilter(this);
    MakeSaveCloseButtons();
    m_btnClose->setFocusPolicy(Qt::TabFocus);
    MakeContinueAdd(false);

    auto* grid = new QGridLayout;
    int row = 0;
    auto add = [&](const QString& label, QWidget* field, QWidget* beside = nullptr) {
        auto* l = new QLabel(label, this);
        l->setBuddy(field);
        grid->addWidget(l, row, 0);
        grid->addWidget(field, row, 1);
        if (beside)
            grid->addWidget(beside, row, 2);
        ++row;
    };
    add(QStringLiteral("*가 맹 점"), m_fields[FldStore], m_lblMName);
    grid->addWidget(new QLabel(QStringLiteral("전화:"), this), row, 1, Qt::AlignRight);
    grid->addWidget(m_lblTel, row++, 2);
    add(QStringLiteral(" 현미수금"), m_fields[FldBalance]);
    add(QStringLiteral("*입금일자"), m_hdDate);
    add(QStringLiteral(" 입 금 액"), m_fields[FldAmount]);
    add(QStringLiteral(" 할인금액"), m_fields[FldDiscount]);
    add(QStringLiteral(" 메    모"), m_fields[FldMemo]);
    grid->setColumnStretch(2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(MakeButtonRow());
    setTabOrder(m_fields[FldStore], m_hdDate);
    setTabOrder(m_hdDate, m_fields[FldAmount]);
    setTabOrder(m_fields[FldAmount], m_fields[FldDiscount]);
    setTabOrder(m_fields[FldDiscount], m_fields[FldMemo]);

    connect(m_fields[FldStore], &QLineEdit::textChanged, this, [this] {
        if (m_showingStore)
            return;
        m_lblMName->clear();
        m_lblTel->clear();
        m_fields[FldBalance]->setText(QStringLiteral("0"));
    });
    resize(460, sizeHint().height());
    CenterForm(this);
    m_hdDate->setDate(Clock::Today());
    ClearFields();
}

FrmRecv_save::~FrmRecv_save() = default;

ByteLimitedLineEdit* FrmRecv_save::htField(int index) const
{
    return index >= 0 && index < FieldCount ? m_fields[index] : nullptr;
}

QString FrmRecv_save::FieldText(int index) const
{
    ByteLimitedLineEdit* f = htField(index);
    return f ? f->text() : QString();
}

QString FrmRecv_save::StoreName() const
{
    return m_lblMName->text();
}

QString FrmRecv_save::StoreTel() const
{
    return m_lblTel->text();
}

QString FrmRecv_save::DateText() const
{
    return m_hdDate->date().toString(QStringLiteral("yyyy-MM-dd"));
}

void FrmRecv_save::ClearFields()
{
    for (ByteLimitedLineEdit* f : m_fields) {
        if (f)
            f->clear();
    }
    for (int i : kNumeric)
        m_fields[i]->setText(QStringLiteral("0"));
    m_lblMName->clear();
    m_lblTel->clear();
    if (isVisible())
        m_fields[FldStore]->setFocus();
}

void FrmRecv_save::Init(EditorMode mode, QWidget* parentScreen, const QString& text)
{
    m_mode = mode;
    m_parentScreen = parentScreen;
    if (mode == EditorMode::Add) {
        setWindowTitle(QStringLiteral("입금 - 『추가』"));
        if (!text.isEmpty())
            m_fields[FldStore]->setText(text);
    } else {
        setWindowTitle(QStringLiteral("입금 - 『수정』"));
        DispRec(text.toLongLong());
    }
}

bool FrmRecv_save::DispRec(qint64 key)
{
    try {
        Recordset rs;
        if (OpenQuery(rs, AccountQueries::Payment(key)) < 1)
            return false;
        m_showingStore = true;
        m_fields[FldKey]->setText(rs.text(QStringLiteral("처리순번")));
        m_hdDate->setDate(
            QDate::fromString(rs.text(QStringLiteral("입금일자")), QStringLiteral("yyyy-MM-dd")));
        m_fields[FldStore]->setText(rs.text(QStringLiteral("가맹점코드")));
        m_lblMName->setText(rs.text(QStringLiteral("상호")));
        m_lblTel->setText(rs.text(QStringLiteral("전화1")));
        m_fields[FldBalance]->setText(
            FormatThousands(qint64(std::llround(rs.value(QStringLiteral("현잔액")).toDouble()))));
        m_fields[FldAmount]->setText(FormatThousands(rs.value(QStringLiteral("입금액")).toLongLong()));
        m_fields[FldDiscount]->setText(FormatThousands(rs.value(QStringLiteral("할인액")).toLongLong()));
        m_fields[FldMemo]->setText(rs.text(QStringLiteral("메모")));
        m_showingStore = false;
        rs.close();
        return true;
    } catch (const DbException& e) {
        m_showingStore = false;
        ShowStdError(e.info(), QStringLiteral("DispRec"), kForm, ErrOwner::Form);
        return false;
    }
}

void FrmRecv_save::showStore(const QString& code)
{
    m_showingStore = true;
    m_fields[FldStore]->setText(code);
    if (const std::optional<StoreRecord> store = LoadRecord<StoreRecord>(code)) {
        m_lblMName->setText(store->name);
        m_lblTel->setText(store->tel.at(0));
        m_fields[FldBalance]->setText(FormatThousands(qint64(std::llround(store->balance))));
    }
    m_showingStore = false;
}

void FrmRecv_save::PickStoreForField()
{
    QLineEdit* field = m_fields[FldStore];
    QString code;
    PickStore(field->text(), code, MainPanelAnchor(field), false);
    if (!code.isEmpty()) {
        showStore(code);
        m_hdDate->setFocus();
    } else {
        field->setFocus();
    }
}

std::optional<qint64> FrmRecv_save::wonOf(int index, const QString& label)
{
    const std::optional<double> v = ParseNumber(FieldText(index));
    if (!v || std::fabs(*v) > kMaxWon || *v != std::floor(*v)) {
        ShowInfo(QStringLiteral("[") + label + QStringLiteral("]에는 숫자(원 단위)만 입력할 수 있습니다.") +
                     kCrLf + QStringLiteral("예) 10000 또는 10,000"),
                 QStringLiteral("입력오류"));
        m_fields[index]->setFocus();
        m_fields[index]->selectAll();
        return std::nullopt;
    }
    return qint64(*v);
}

bool FrmRecv_save::Save()
{
    if (CheckRequired(m_fields[FldStore], QStringLiteral("가맹점")) || !FieldsFitLimits())
        return false;
    const std::optional<qint64> amount = wonOf(FldAmount, QStringLiteral("입금액"));
    if (!amount)
        return false;
    const std::optional<qint64> discount = wonOf(FldDiscount, QStringLiteral("할인금액"));
    if (!discount)
        return false;
    PaymentService::Payment p{FieldText(FldStore), DateText(), *amount, *discount, FieldText(FldMemo)};
    qint64 key = FieldText(FldKey).toLongLong();
    const PaymentService::Result r = m_mode == EditorMode::Add ? PaymentService::InsertPayment(p, key)
                                                               : PaymentService::UpdatePayment(key, p);
    switch (r.status) {
    case PaymentService::Status::Saved:
        break;
    case PaymentService::Status::UnknownStore:
        ShowInfo(QStringLiteral("존재하지 않는 가맹점 코드입니다."));
        m_fields[FldStore]->setFocus();
        return false;
    case PaymentService::Status::NotFound:
        ShowInfo(QStringLiteral("수정된 내용이 없거나, 자료저장을 실패하였습니다."));
        return false;
    case PaymentService::Status::Reported:
        return false;
    case PaymentService::Status::Linked:
    case PaymentService::Status::Failed:
        ShowErrorInfo(QStringLiteral("자료를 저장하는 중 오류가 발생했습니다."), r.error);
        return false;
    }
    m_fields[FldKey]->setText(QString::number(key));
    // The shown balance follows what was just posted.
    showStore(p.store);
    if (auto* target = dynamic_cast<EditorSyncTarget*>(m_parentScreen.data()))
        target->SyncUpdateCust(this, m_mode);
    FinishSave();
    return true;
}

bool FrmRecv_save::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // Tab leaves the date for the next field instead of walking through its year, month and day.
        if (watched == m_hdDate && (key == Qt::Key_Tab || key == Qt::Key_Backtab)) {
            focusNextPrevChild(key == Qt::Key_Tab);
            return true;
        }
        if (watched == m_hdDate && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            m_fields[FldAmount]->setFocus();
            m_fields[FldAmount]->selectAll();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == m_fields[FldStore] && m_lblMName->text().isEmpty()) {
                PickStoreForField();
                return true;
            }
            if (watched == m_fields[FldAmount]) {
                m_fields[FldMemo]->setFocus();
                return true;
            }
            if (qobject_cast<QLineEdit*>(watched)) {
                focusNextChild();
                return true;
            }
        }
    }
    return EditorWindow::eventFilter(watched, event);
}
