#include "masters/gui/FrmMemb_save.h"

#include "db/DbError.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"
#include "masters/CustPhone.h"
#include "masters/HolidayRules.h"
#include "masters/StoreService.h"
#include "masters/gui/LoadRecord.h"
#include "masters/gui/frmZipcode.h"
#include "ui/MsgBox.h"
#include "ui/TextUtil.h"
#include "ui/gui/ByteLimitedLineEdit.h"
#include "ui/gui/InputUtil.h"
#include "ui/gui/MduMainUi.h"
#include "ui/gui/PhoneField.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString kFormName = QStringLiteral("FrmMemb_save");

struct FieldSpec
{
    int index;
    const char* column;
    int maxBytes;
    bool numeric;
};

// Byte limits are those of the 가맹점 columns.
constexpr FieldSpec kFields[] = {
    {FrmMemb_save::FldCode, "코드", 8, false},     {FrmMemb_save::FldName, "상호", 40, false},
    {FrmMemb_save::FldTel1, "전화1", 14, false},   {FrmMemb_save::FldTel2, "전화2", 14, false},
    {FrmMemb_save::FldTel3, "전화3", 14, false},   {FrmMemb_save::FldTel4, "전화4", 14, false},
    {FrmMemb_save::FldOpen, "영업시작", 5, false}, {FrmMemb_save::FldClose, "영업종료", 5, false},
    {FrmMemb_save::FldRate, "수수료율", 0, true},  {FrmMemb_save::FldPost, "우편번호", 0, false},
    {FrmMemb_save::FldAddr1, "주소1", 60, false},  {FrmMemb_save::FldAddr2, "주소2", 40, false},
    {FrmMemb_save::FldMemo, "메모", 50, false},    {FrmMemb_save::FldBase, "기초잔액", 0, true},
    {FrmMemb_save::FldBalance, "현잔액", 0, true},
};

QString money(double value)
{
    static const QLocale grouping(QLocale::English, QLocale::UnitedStates);
    return grouping.toString(value, 'f', 0);
}

QString rateText(double rate)
{
    return QString::number(rate, 'g', 12);
}

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
} // namespace

FrmMemb_save::FrmMemb_save(QWidget* parent) : EditorWindow(parent)
{
    setObjectName(kFormName);
    setWindowTitle(QStringLiteral("가맹점 추가, 수정"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    buildUi();
    CenterForm(this);
    ClearFields();
}

FrmMemb_save::~FrmMemb_save() = default;

void FrmMemb_save::buildUi()
{
    for (const FieldSpec& f : kFields) {
        ByteLimitedLineEdit* edit = MakeField(f.maxBytes, QStringLiteral("htField_%1").arg(f.index));
        if (f.numeric)
            edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        edit->installEventFilter(this);
        m_fields[f.index] = edit;
    }
    for (int i : {FldOpen, FldClose}) {
        m_fields[i]->setMaxLength(5);
        m_fields[i]->setMaximumWidth(m_fields[i]->fontMetrics().horizontalAdvance(QStringLiteral("000:000")) +
                                     12);
    }
    for (int i = FldTel1; i <= FldTel4; ++i)
        m_phones[i - FldTel1] = new PhoneField(m_fields[i]);
    m_fields[FldBalance]->setReadOnly(true);
    m_fields[FldBalance]->setFocusPolicy(Qt::NoFocus);
    m_fields[FldBalance]->setToolTip(QStringLiteral("현잔액"));

    m_lblBreakOpen = new QLabel(this);
    m_lblBreakOpen->setObjectName(QStringLiteral("lblBreakTime_0"));
    m_lblBreakClose = new QLabel(this);
    m_lblBreakClose->setObjectName(QStringLiteral("lblBreakTime_1"));

    m_btnZipcode = new QPushButton(QStringLiteral("검색"), this);
    m_btnZipcode->setObjectName(QStringLiteral("btnZipcode"));
    m_btnZipcode->setAutoDefault(false);
    m_btnZipcode->setFocusPolicy(Qt::TabFocus);
    MakeSaveCloseButtons();
    // Closing must not first run the checks of the field being left.
    m_btnClose->setFocusPolicy(Qt::TabFocus);
    MakeContinueAdd(false);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(5);
    int row = 0;
    auto label = [&](const QString& text, int r) {
        auto* l = new QLabel(text, this);
        grid->addWidget(l, r, 0);
        return l;
    };
    label(QStringLiteral("*코    드"), row)->setBuddy(m_fields[FldCode]);
    grid->addWidget(m_fields[FldCode], row, 1);
    ++row;
    label(QStringLiteral("*상 호 명"), row)->setBuddy(m_fields[FldName]);
    grid->addWidget(m_fields[FldName], row, 1, 1, 4);
    ++row;
    label(QStringLiteral("전화번호"), row);
    grid->addWidget(m_fields[FldTel1], row, 1);
    grid->addWidget(m_fields[FldTel2], row, 2, 1, 3);
    ++row;
    grid->addWidget(m_fields[FldTel3], row, 1);
    grid->addWidget(m_fields[FldTel4], row, 2, 1, 3);
    ++row;
    label(QStringLiteral("*영업시간"), row);
    grid->addWidget(m_fields[FldOpen], row, 1);
    grid->addWidget(m_lblBreakOpen, row, 2);
    grid->addWidget(new QLabel(QStringLiteral("~"), this), row, 3);
    {
        auto* box = new QHBoxLayout;
        box->addWidget(m_fields[FldClose]);
        box->addWidget(m_lblBreakClose);
        grid->addLayout(box, row, 4);
    }
    ++row;
    label(QStringLiteral("*수수료율"), row);
    grid->addWidget(m_fields[FldRate], row, 1);
    grid->addWidget(new QLabel(QStringLiteral("%"), this), row, 2);
    ++row;
    label(QStringLiteral("우편번호"), row);
    grid->addWidget(m_fields[FldPost], row, 1);
    grid->addWidget(m_btnZipcode, row, 2);
    ++row;
    label(QStringLiteral("주    소"), row);
    grid->addWidget(m_fields[FldAddr1], row, 1, 1, 4);
    ++row;
    grid->addWidget(m_fields[FldAddr2], row, 1, 1, 4);
    ++row;
    label(QStringLiteral("메    모"), row);
    grid->addWidget(m_fields[FldMemo], row, 1, 1, 4);
    ++row;
    label(QStringLiteral("기초잔액"), row);
    grid->addWidget(m_fields[FldBase], row, 1);
    grid->addWidget(m_fields[FldBalance], row, 2, 1, 3);
    grid->setColumnStretch(4, 1);

    auto* required = new QLabel(QStringLiteral("『 *는 필수입력』"), this);
    QHBoxLayout* bottom = MakeButtonRow();
    bottom->insertWidget(0, required);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addLayout(bottom);

    setTabOrder(m_fields[FldCode], m_fields[FldName]);
    for (int i : {FldName, FldTel1, FldTel2, FldTel3, FldTel4, FldOpen, FldClose, FldRate, FldPost, FldAddr1,
                  FldAddr2, FldMemo}) {
        const int next = i == FldTel4    ? FldOpen
                         : i == FldClose ? FldRate
                         : i == FldRate  ? FldPost
                         : i == FldMemo  ? FldBase
                                         : i + 1;
        setTabOrder(m_fields[i], m_fields[next]);
    }

    connect(m_fields[FldOpen], &QLineEdit::textChanged, this, [this] { showBreakTime(0); });
    connect(m_fields[FldClose], &QLineEdit::textChanged, this, [this] { showBreakTime(1); });
    connect(m_fields[FldPost], &QLineEdit::textEdited, this, [this] { m_fields[FldAddr1]->clear(); });
    connect(m_btnZipcode, &QPushButton::clicked, this, &FrmMemb_save::SearchZipcode);
}

QLineEdit* FrmMemb_save::htField(int index) const
{
    return index >= 0 && index < FieldCount ? m_fields[index] : nullptr;
}

QString FrmMemb_save::FieldText(int index) const
{
    const QLineEdit* f = htField(index);
    return f ? f->text() : QString();
}

double FrmMemb_save::commissionRate() const
{
    return ParseNumber(FieldText(FldRate)).value_or(0);
}

void FrmMemb_save::Init(EditorMode mode, QWidget* parentScreen, const QString& text)
{
    m_mode = mode;
    m_parentScreen = parentScreen;
    m_addedRec.clear();
    if (m_mode == EditorMode::Add) {
        setWindowTitle(QStringLiteral("가맹점 - 『추가』"));
        if (!text.isEmpty())
            m_fields[FldName]->setText(text);
    } else {
        setWindowTitle(QStringLiteral("가맹점 - 『수정』"));
        m_fields[FldCode]->setReadOnly(true);
        // Still clickable, so a key typed into it can be told that the code stays.
        m_fields[FldCode]->setFocusPolicy(Qt::ClickFocus);
        DispRec(text);
    }
}

void FrmMemb_save::ClearFields()
{
    for (const FieldSpec& f : kFields)
        m_fields[f.index]->setText(f.numeric ? QStringLiteral("0") : QString());
    m_fields[FldOpen]->setText(QStringLiteral("00:00"));
    m_fields[FldClose]->setText(QStringLiteral("23:59"));
    m_loadedBase = 0;
    m_balance = 0;
    settlePhones();
    if (isVisible()) {
        if (m_fields[FldCode]->isReadOnly())
            m_fields[FldName]->setFocus();
        else
            m_fields[FldCode]->setFocus();
    }
}

void FrmMemb_save::setBalance(double balance)
{
    m_balance = balance;
    m_fields[FldBalance]->setText(money(balance));
}

bool FrmMemb_save::DispRec(const QString& code)
{
    const std::optional<StoreRecord> s = LoadRecord<StoreRecord>(code);
    if (!s)
        return false;
    const std::pair<int, const QString*> texts[] = {
        {FldCode, &s->code},   {FldName, &s->name},   {FldTel1, &s->tel[0]}, {FldTel2, &s->tel[1]},
        {FldTel3, &s->tel[2]}, {FldTel4, &s->tel[3]}, {FldOpen, &s->open},   {FldClose, &s->close},
        {FldPost, &s->post},   {FldAddr1, &s->addr1}, {FldAddr2, &s->addr2}, {FldMemo, &s->memo}};
    for (const auto& [index, text] : texts)
        m_fields[index]->setText(*text);
    m_loadedBase = s->baseBalance;
    m_fields[FldBase]->setText(money(m_loadedBase));
    m_fields[FldRate]->setText(rateText(s->rate));
    setBalance(s->balance);
    // Stored numbers stay as they are, whatever form they have.
    settlePhones();
    return true;
}

void FrmMemb_save::settlePhones()
{
    for (PhoneField* p : m_phones)
        p->Settle();
}

void FrmMemb_save::showBreakTime(int index)
{
    const QString text = FieldText(index == 0 ? FldOpen : FldClose);
    if (text.size() != 5)
        return;
    const QString shown = AmPmTime(text);
    if (!shown.isEmpty())
        lblBreakTime(index)->setText(shown);
}

bool FrmMemb_save::acceptTime(QLineEdit* field)
{
    QString text = field->text();
    if (text.isEmpty())
        return true; // the save's required-field test speaks for an empty time
    if (CheckTime(text)) {
        if (text != field->text())
            field->setText(text);
        return true;
    }
    if (text.size() == 3 || text.size() > 5) {
        // CheckTime refuses these without a word; the operator still has to learn why the field holds on.
        ShowInfo(QStringLiteral("[") + text + QStringLiteral("]는 시간형식이 아닙니다.") + kCrLf +
                 QStringLiteral("시:분 방식으로 입력하세요.") + kCrLf +
                 QStringLiteral("예) 14:25 또는 1425") + kCrLf + QStringLiteral("     01:05 또는 0105"));
    }
    QTimer::singleShot(0, field, [field] { field->setFocus(); });
    return false;
}

bool FrmMemb_save::acceptNewCode()
{
    const QString code = FieldText(FldCode).trimmed();
    if (code.isEmpty())
        return true;
    bool exists = false;
    try {
        exists = CheckDupValue(QStringLiteral("가맹점"), QStringLiteral("코드"), code, {}, false, QString());
    } catch (const DbException& e) {
        ShowStdError(e.info(), QStringLiteral("htField_LostFocus"), kFormName, ErrOwner::Form);
        return false;
    }
    if (!exists)
        return true;
    ShowInfo(QStringLiteral("『") + code + QStringLiteral("』") +
             QStringLiteral("는 이미 존재하는 코드입니다."));
    QTimer::singleShot(0, m_fields[FldCode], [this] { m_fields[FldCode]->setFocus(); });
    return false;
}

std::optional<double> FrmMemb_save::numberOf(int index, const QString& label)
{
    const std::optional<double> v = ParseNumber(FieldText(index));
    if (!v) {
        ShowInfo(QStringLiteral("[") + label + QStringLiteral("]에는 숫자만 입력할 수 있습니다.") + kCrLf +
                     QStringLiteral("예) 1500 또는 1,500"),
                 QStringLiteral("입력오류"));
        m_fields[index]->setFocus();
        m_fields[index]->selectAll();
    }
    return v;
}

bool FrmMemb_save::Save()
{
    if (CheckRequired(m_fields[FldCode], QStringLiteral("코드")) ||
        CheckRequired(m_fields[FldName], QStringLiteral("상호명")) ||
        CheckRequired(m_fields[FldOpen], QStringLiteral("영업시간")) ||
        CheckRequired(m_fields[FldClose], QStringLiteral("영업시간")) ||
        CheckRequired(m_fields[FldRate], QStringLiteral("수수료율"), true))
        return false;
    const std::optional<double> rate = numberOf(FldRate, QStringLiteral("수수료율"));
    if (!rate)
        return false;
    if (*rate == 0) {
        // "0.0" and "00" are no rate either.
        m_fields[FldRate]->setText(QStringLiteral("0"));
        CheckRequired(m_fields[FldRate], QStringLiteral("수수료율"), true);
        return false;
    }
    // The availability check compares the stored hours as "HH:MM" texts; nothing else may reach the table.
    if (!acceptTime(m_fields[FldOpen]) || !acceptTime(m_fields[FldClose]))
        return false;
    const std::optional<double> base = numberOf(FldBase, QStringLiteral("기초잔액"));
    if (!base)
        return false;

    for (int i = FldTel1; i <= FldTel4; ++i) {
        if (!m_phones[i - FldTel1]->Accept()) {
            m_fields[i]->setFocus();
            return false;
        }
    }
    m_fields[FldCode]->setText(FieldText(FldCode).trimmed());
    for (int i = FldTel1; i <= FldTel4; ++i) {
        const QString tel = FieldText(i).trimmed();
        // A number with a note ("02-123-4567 내선2") is kept as typed: squeezing the note's digits into
        // the number would store, print and dial another number.
        m_fields[i]->setText(CanonicalPhone(tel));
    }
    if (!FieldsFitLimits())
        return false;
    // Written by the program, so the address taken with it stays.
    m_fields[FldPost]->setText(LeftByte(FieldText(FldPost), 7));

    const QString code = FieldText(FldCode);
    const QString name = FieldText(FldName);
    const QString exclusion =
        m_mode == EditorMode::Edit ? QStringLiteral("코드 <> ") + SQLLiteral(code) : QString();
    try {
        if (CheckDupValue(QStringLiteral("가맹점"), QStringLiteral("상호"), name, exclusion, true,
                          QStringLiteral("상호명")))
            return false;
        if (m_mode == EditorMode::Add &&
            CheckDupValue(QStringLiteral("가맹점"), QStringLiteral("코드"), code, {}, false, QString())) {
            ShowInfo(QStringLiteral("『") + code + QStringLiteral("』") +
                     QStringLiteral("는 이미 존재하는 코드입니다."));
            m_fields[FldCode]->setFocus();
            return false;
        }
    } catch (const DbException& e) {
        ShowStdError(e.info(), QStringLiteral("btnSave_Click"), kFormName, ErrOwner::Form);
        return false;
    }

    const double difference = *base - m_loadedBase;
    StoreRecord s;
    s.code = code;
    s.name = name;
    for (int i = FldTel1; i <= FldTel4; ++i)
        s.tel.at(size_t(i - FldTel1)) = FieldText(i);
    s.post = FieldText(FldPost);
    s.addr1 = FieldText(FldAddr1);
    s.addr2 = FieldText(FldAddr2);
    s.memo = FieldText(FldMemo);
    s.open = FieldText(FldOpen);
    s.close = FieldText(FldClose);
    s.rate = *rate;
    s.baseBalance = *base;
    const StoreService::Result r =
        m_mode == EditorMode::Edit ? StoreService::UpdateStore(s) : StoreService::InsertStore(s);
    if (r.status == StoreService::Status::NotFound)
        ShowInfo(QStringLiteral("수정된 내용이 없거나, 자료저장을 실패하였습니다."));
    else if (r.status == StoreService::Status::Failed)
        ShowErrorInfo(QStringLiteral("자료저장을 실패하였습니다."), r.error);
    if (!r.ok())
        return false;

    setBalance(m_mode == EditorMode::Add ? *base : m_balance + difference);
    m_loadedBase = *base;
    m_fields[FldBase]->setText(money(*base));
    m_fields[FldRate]->setText(rateText(*rate));
    if (m_mode == EditorMode::Add)
        m_addedRec = code + kNul + name;
    if (auto* target = dynamic_cast<EditorSyncTarget*>(m_parentScreen.data()))
        target->SyncUpdateCust(this, m_mode);
    FinishSave();
    return true;
}

void FrmMemb_save::SearchZipcode()
{
    QString post;
    QString addr;
    bool nothingFound = false;
    if (RunZipSearch(this, FieldText(FldPost), post, addr, &nothingFound)) {
        m_fields[FldPost]->setText(post);
        m_fields[FldAddr1]->setText(addr);
        m_fields[FldAddr2]->setFocus();
    } else if (nothingFound) {
        m_fields[FldPost]->clear();
        m_fields[FldPost]->setFocus();
    }
}

bool FrmMemb_save::eventFilter(QObject* watched, QEvent* event)
{
    auto* field = qobject_cast<ByteLimitedLineEdit*>(watched);
    if (!field)
        return EditorWindow::eventFilter(watched, event);
    int index = -1;
    for (int i = 0; i < FieldCount; ++i) {
        if (m_fields[i] == field)
            index = i;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (index == FldCode && m_mode == EditorMode::Edit && !isEnter(key->key()) &&
            ((!key->text().isEmpty() && key->text().at(0).isPrint()) || key->key() == Qt::Key_Backspace ||
             key->key() == Qt::Key_Delete)) {
            ShowInfo(QStringLiteral("코드는 수정할 수 없습니다."));
            return true;
        }
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        if (index >= FldTel1 && index <= FldTel3 && isEnter(key->key())) {
            m_fields[FldTel4]->setFocus();
            return true;
        }
        if (index == FldPost) {
            if (isEnter(key->key())) {
                if (FieldText(FldAddr1).isEmpty() && !FieldText(FldPost).isEmpty())
                    SearchZipcode();
                else
                    m_fields[FldMemo]->setFocus();
                return true;
            }
        }
        if (index == FldBase && isEnter(key->key())) {
            m_btnSave->setFocus();
            return true;
        }
        return EnterNextField(key->key());
    }
    if (event->type() == QEvent::FocusOut && !m_checking) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // A message box or another application taking the window's focus is no leaving of the field.
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return false;
        m_checking = true;
        if (index == FldOpen || index == FldClose)
            acceptTime(field);
        else if (index == FldCode && m_mode == EditorMode::Add && !field->isReadOnly())
            acceptNewCode();
        m_checking = false;
    }
    return false;
}

void FrmMemb_save::showEvent(QShowEvent* event)
{
    EditorWindow::showEvent(event);
    if (m_fields[FldCode]->isReadOnly())
        m_fields[FldName]->setFocus();
    else
        m_fields[FldCode]->setFocus();
}
