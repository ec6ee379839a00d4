#include "masters/gui/FrmCust_save.h"

#include "app/Globals.h"
#include "db/DbError.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"
#include "masters/CustPhone.h"
#include "masters/CustomerRecord.h"
#include "masters/CustomerService.h"
#include "masters/gui/frmZipcode.h"
#include "ui/MsgBox.h"
#include "ui/TextUtil.h"
#include "ui/gui/ByteLimitedLineEdit.h"
#include "ui/gui/InputUtil.h"
#include "ui/gui/MduMainUi.h"
#include "ui/gui/PhoneField.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace {
const QString kForm = QStringLiteral("FrmCust_save");
const QStringList kTelColumns = {QStringLiteral("전화1"), QStringLiteral("전화2"), QStringLiteral("전화3"),
                                 QStringLiteral("전화4")};

bool isNumeric(int index)
{
    return index == FrmCust_save::FBasePoints || index == FrmCust_save::FCurPoints;
}

bool isTel(int index)
{
    return index >= FrmCust_save::FTel1 && index <= FrmCust_save::FTel4;
}

// "#,##0" without depending on the locale.
QString thousands(qint64 value)
{
    QString digits = QString::number(value < 0 ? -value : value);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(','));
    return value < 0 ? QLatin1Char('-') + digits : digits;
}

// Whole points a user typed ("1,500" reads as 1500); nothing for any other text.
std::optional<qint64> parsePoints(const QString& text)
{
    const std::optional<double> v = ParseNumber(text);
    if (!v || *v != std::floor(*v) || std::fabs(*v) > double(std::numeric_limits<int>::max()))
        return std::nullopt;
    return qint64(*v);
}
} // namespace

FrmCust_save::FrmCust_save(QWidget* parent) : EditorWindow(parent)
{
    setObjectName(kForm);
    setWindowTitle(QStringLiteral("고객 추가, 수정"));

    const std::pair<int, int> limits[] = {{FCode, 8},  {FTel1, 14},      {FTel2, 14},    {FTel3, 14},
                                          {FTel4, 14}, {FPost, 0},       {FAddr1, 60},   {FAddr2, 40},
                                          {FMemo, 50}, {FBasePoints, 0}, {FCurPoints, 0}};
    for (const auto& [index, max] : limits) {
        ByteLimitedLineEdit* e = MakeField(max, QStringLiteral("htField_%1").arg(index));
        e->installEventFilter(this);
        if (isNumeric(index))
            e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_fields.at(size_t(index)) = e;
    }
    for (int i = FTel1; i <= FTel4; ++i)
        m_phones.at(size_t(i - FTel1)) = new PhoneField(htField(i));
    htField(FCode)->setReadOnly(true);
    htField(FCode)->setFocusPolicy(Qt::NoFocus);
    htField(FCurPoints)->setReadOnly(true);
    htField(FCurPoints)->setFocusPolicy(Qt::NoFocus);
    connect(htField(FPost), &QLineEdit::textChanged, this, [this] {
        if (!m_settingPost)
            htField(FAddr1)->clear();
    });

    m_btnZipcode = new QPushButton(QStringLiteral("우편번호"), this);
    m_btnZipcode->setObjectName(QStringLiteral("btnZipcode"));
    MakeSaveCloseButtons();
    for (QPushButton* b : {m_btnZipcode, m_btnSave, m_btnClose}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::TabFocus);
    }
    connect(m_btnZipcode, &QPushButton::clicked, this, &FrmCust_save::SearchZipcode);
    MakeContinueAdd(false);

    auto* grid = new QGridLayout;
    int row = 0;
    auto label = [this](const QString& text) { return new QLabel(text, this); };
    grid->addWidget(label(QStringLiteral("고객코드")), row, 0);
    grid->addWidget(htField(FCode), row++, 1);
    grid->addWidget(label(QStringLiteral("*전화번호")), row, 0);
    grid->addWidget(htField(FTel1), row, 1);
    grid->addWidget(htField(FTel2), row++, 2);
    grid->addWidget(htField(FTel3), row, 1);
    grid->addWidget(htField(FTel4), row++, 2);
    grid->addWidget(label(QStringLiteral("우편번호")), row, 0);
    grid->addWidget(htField(FPost), row, 1);
    grid->addWidget(m_btnZipcode, row++, 2, Qt::AlignLeft);
    grid->addWidget(label(QStringLiteral("주    소")), row, 0);
    grid->addWidget(htField(FAddr1), row++, 1, 1, 2);
    grid->addWidget(htField(FAddr2), row++, 1, 1, 2);
    grid->addWidget(label(QStringLiteral("메    모")), row, 0);
    grid->addWidget(htField(FMemo), row++, 1, 1, 2);
    grid->addWidget(label(QStringLiteral("기초포인트")), row, 0);
    grid->addWidget(htField(FBasePoints), row, 1);
    auto* cur = new QHBoxLayout;
    cur->addWidget(label(QStringLiteral("현포인트")));
    cur->addWidget(htField(FCurPoints), 1);
    grid->addLayout(cur, row++, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);

    QHBoxLayout* bottom = MakeButtonRow();
    bottom->insertWidget(0, label(QStringLiteral("『 *는 필수입력』")));
    auto* main = new QVBoxLayout(this);
    main->addLayout(grid);
    main->addLayout(bottom);
    resize(520, sizeHint().height());

    setTabOrder(htField(FTel1), htField(FTel2));
    setTabOrder(htField(FTel2), htField(FTel3));
    setTabOrder(htField(FTel3), htField(FTel4));
    setTabOrder(htField(FTel4), htField(FPost));
    setTabOrder(htField(FPost), htField(FAddr1));
    setTabOrder(htField(FAddr1), htField(FAddr2));
    setTabOrder(htField(FAddr2), htField(FMemo));
    setTabOrder(htField(FMemo), htField(FBasePoints));

    CenterForm(this);
    ClearFields();
}

FrmCust_save::~FrmCust_save() = default;

QString FrmCust_save::FieldText(int index) const
{
    const ByteLimitedLineEdit* e = index >= 0 && index < FieldCount ? m_fields.at(size_t(index)) : nullptr;
    return e ? e->text() : QString();
}

void FrmCust_save::setFieldText(int index, const QString& text)
{
    if (index == FPost)
        m_settingPost = true;
    htField(index)->setText(text);
    m_settingPost = false;
}

void FrmCust_save::ClearFields()
{
    for (int i = 0; i < FieldCount; ++i) {
        if (ByteLimitedLineEdit* e = m_fields.at(size_t(i)))
            e->setText(isNumeric(i) ? QStringLiteral("0") : QString());
    }
    m_loadedBase = 0;
    settlePhones();
    if (isVisible())
        htField(FTel1)->setFocus();
}

void FrmCust_save::settlePhones()
{
    for (PhoneField* p : m_phones)
        p->Settle();
}

void FrmCust_save::Init(EditorMode mode, QWidget* parentScreen, const QString& text)
{
    m_mode = mode;
    m_parentScreen = parentScreen;
    m_added.clear();
    if (m_mode == EditorMode::Add) {
        setWindowTitle(QStringLiteral("고객 - 『추가』"));
        if (!text.isEmpty())
            htField(FTel1)->setText(CanonicalPhone(text));
    } else {
        setWindowTitle(QStringLiteral("고객 - 『수정』"));
        DispRec(text);
    }
}

void FrmCust_save::DispRec(const QString& code)
{
    ErrInfo error;
    const std::optional<CustomerRecord> c = CustomerRecord::Load(code, &error);
    if (!c) {
        if (!error.description.isEmpty() || error.number != 0)
            ShowStdError(error, QStringLiteral("DispRec"), kForm, ErrOwner::Form);
        return;
    }
    setFieldText(FCode, c->code);
    for (int i = FTel1; i <= FTel4; ++i)
        setFieldText(i, c->tel.at(size_t(i - FTel1)));
    setFieldText(FPost, c->post);
    setFieldText(FAddr1, c->addr1);
    setFieldText(FAddr2, c->addr2);
    setFieldText(FMemo, c->memo);
    m_loadedBase = c->basePoints;
    setFieldText(FBasePoints, thousands(m_loadedBase));
    setFieldText(FCurPoints, thousands(c->curPoints));
    // Stored numbers stay as they are, whatever form they have.
    settlePhones();
}

bool FrmCust_save::Save()
{
    try {
        return saveSteps();
    } catch (const DbException& e) {
        ShowStdError(e.info(), QStringLiteral("SaveRecord"), kForm, ErrOwner::Form);
        return false;
    }
}

bool FrmCust_save::saveSteps()
{
    for (int i = FTel1; i <= FTel4; ++i) {
        if (!m_phones.at(size_t(i - FTel1))->Accept()) {
            htField(i)->setFocus();
            return false;
        }
    }
    // Every number is written in the one form the telephone search looks for.
    for (int i = FTel1; i <= FTel4; ++i) {
        const QString canonical = CanonicalPhone(FieldText(i));
        if (canonical != FieldText(i))
            setFieldText(i, canonical);
    }
    if (CheckRequired(htField(FTel1), QStringLiteral("전화번호")))
        return false;
    if (!FieldsFitLimits())
        return false;
    const std::optional<qint64> newBase = parsePoints(FieldText(FBasePoints));
    if (!newBase) {
        ShowInfo(QStringLiteral("[기초포인트]에는 숫자(정수)만 입력할 수 있습니다."));
        htField(FBasePoints)->setFocus();
        htField(FBasePoints)->selectAll();
        return false;
    }
    if (FieldText(FAddr1).isEmpty()) {
        htField(FPost)->setFocus();
        if (AskYesNo(QStringLiteral("주소가 입력되지 않았습니다. 그래도, 저장하시겠습니까?"), {}, true) !=
            MsgAnswer::Yes)
            return false;
    }
    const QString post = LeftByte(FieldText(FPost), 7);
    if (post != FieldText(FPost))
        setFieldText(FPost, post);

    QString code = FieldText(FCode);
    const QString exclusion =
        m_mode == EditorMode::Edit ? QStringLiteral("코드 <> ") + SQLLiteral(code) : QString();
    for (int i = FTel1; i <= FTel4; ++i) {
        const QString tel = FieldText(i);
        if (!tel.isEmpty() && CheckDupAny(QStringLiteral("고객"), kTelColumns, tel, exclusion, true,
                                          QStringLiteral("전화번호")))
            return false;
    }
    if (!FieldText(FAddr2).isEmpty() &&
        CheckDupJoined(QStringLiteral("고객"), {QStringLiteral("주소1"), QStringLiteral("주소2")},
                       FieldText(FAddr1) + QLatin1Char(' ') + FieldText(FAddr2), exclusion, true,
                       QStringLiteral("주소")))
        return false;

    const qint64 difference = *newBase - m_loadedBase;
    CustomerRecord c;
    c.code = code;
    for (int i = FTel1; i <= FTel4; ++i)
        c.tel.at(size_t(i - FTel1)) = FieldText(i);
    c.post = FieldText(FPost);
    c.addr1 = FieldText(FAddr1);
    c.addr2 = FieldText(FAddr2);
    c.memo = FieldText(FMemo);
    c.basePoints = *newBase;
    const CustomerService::Result r = m_mode == EditorMode::Add
                                          ? CustomerService::InsertCustomer(c, gTerminalID)
                                          : CustomerService::UpdateCustomer(c);
    switch (r.status) {
    case CustomerService::Status::Saved:
        break;
    case CustomerService::Status::NotFound:
        ShowInfo(QStringLiteral("수정된 내용이 없거나, 자료저장을 실패하였습니다."));
        return false;
    case CustomerService::Status::Reported:
        return false;
    case CustomerService::Status::Linked:
    case CustomerService::Status::Failed:
        ShowErrorInfo(QStringLiteral("자료저장을 실패하였습니다."), r.error);
        return false;
    }
    code = c.code;
    if (m_mode == EditorMode::Add)
        setFieldText(FCode, code);
    const std::optional<qint64> shown = parsePoints(FieldText(FCurPoints));
    showCurrentPoints(shown.value_or(0) + difference);
    m_loadedBase = *newBase;

    if (m_mode == EditorMode::Add)
        m_added = code + kNul + FieldText(FTel1);
    if (auto* target = dynamic_cast<EditorSyncTarget*>(m_parentScreen.data()))
        target->SyncUpdateCust(this, m_mode);
    FinishSave();
    return true;
}

void FrmCust_save::showCurrentPoints(qint64 fallback)
{
    // Other seats post points too, so the stored figure is shown when it can be read.
    const qint64 value = CustomerRecord::CurrentPoints(FieldText(FCode)).value_or(fallback);
    setFieldText(FCurPoints, thousands(value));
}

void FrmCust_save::SearchZipcode()
{
    QString post;
    QString addr;
    bool nothingFound = false;
    if (RunZipSearch(this, FieldText(FPost), post, addr, &nothingFound)) {
        setFieldText(FPost, post);
        setFieldText(FAddr1, addr);
        htField(FAddr2)->setFocus();
    } else if (nothingFound) {
        htField(FPost)->clear();
        htField(FPost)->setFocus();
    }
}

bool FrmCust_save::fieldKey(int index, int key)
{
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (isTel(index) && enter) {
        // From the last number Enter goes on to the postal code instead of standing still.
        if (index == FTel4)
            htField(FPost)->setFocus();
        else
            htField(FTel4)->setFocus();
        return true;
    }
    if (index == FPost) {
        if (enter) {
            if (FieldText(FAddr1).isEmpty() && !FieldText(FPost).isEmpty())
                SearchZipcode();
            else
                htField(FMemo)->setFocus();
            return true;
        }
        if (key == Qt::Key_Up || key == Qt::Key_Down)
            return EnterNextField(key);
        return false;
    }
    if (enter)
        return EnterNextField(key);
    return false;
}

bool FrmCust_save::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        for (int i = 0; i < FieldCount; ++i) {
            if (m_fields.at(size_t(i)) == watched) {
                if (fieldKey(i, static_cast<QKeyEvent*>(event)->key()))
                    return true;
                break;
            }
        }
    }
    return EditorWindow::eventFilter(watched, event);
}

void FrmCust_save::keyPressEvent(QKeyEvent* event)
{
    // F2 saves whatever modifier is held, and Enter outside the fields presses nothing.
    if (event->key() == Qt::Key_F2) {
        Save();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    EditorWindow::keyPressEvent(event);
}
