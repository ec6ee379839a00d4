#include "masters/gui/FrmHDay_save.h"

#include "app/Clock.h"
#include "db/modDBQuery.h"
#include "masters/HolidayRules.h"
#include "masters/StoreService.h"
#include "ui/MsgBox.h"
#include "ui/gui/ByteLimitedLineEdit.h"
#include "ui/gui/InputUtil.h"
#include "ui/gui/MduMainUi.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

FrmHDay_save::FrmHDay_save(QWidget* parent) : EditorWindow(parent)
{
    setObjectName(QStringLiteral("FrmHDay_save"));
    setWindowTitle(QStringLiteral("가맹점 휴일 - 『추가』"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    const QLocale korean(QLocale::Korean, QLocale::SouthKorea);

    m_cmbType = new QComboBox(this);
    m_cmbType->setObjectName(QStringLiteral("cmbType"));
    m_cmbType->addItems(HolidayKindNames());
    m_cmbType->installEventFilter(this);

    m_hdDate = new QDateEdit(this);
    m_hdDate->setObjectName(QStringLiteral("hdDate"));
    m_hdDate->setLocale(korean);
    m_hdDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_hdDate->setCalendarPopup(true);
    m_hdDate->setDate(Clock::Today());

    m_cmbWeek = new QComboBox(this);
    m_cmbWeek->setObjectName(QStringLiteral("cmbWeek"));
    m_cmbWeek->addItems(WeekdayNames());

    m_memo = MakeField(50, QStringLiteral("htField_0"));

    MakeContinueAdd(true);
    MakeSaveCloseButtons();

    // The weekday list sits where the date input is; the kind decides which of the two shows.
    m_dayPlace = new QStackedLayout;
    m_dayPlace->addWidget(m_hdDate);
    m_dayPlace->addWidget(m_cmbWeek);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("구  분"), this), 0, 0);
    grid->addWidget(m_cmbType, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("일  자"), this), 1, 0);
    grid->addLayout(m_dayPlace, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("메  모"), this), 2, 0);
    grid->addWidget(m_memo, 2, 1, 1, 2);
    grid->setColumnStretch(2, 1);

    QHBoxLayout* bottom = MakeButtonRow();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(bottom);

    connect(m_cmbType, &QComboBox::currentIndexChanged, this, &FrmHDay_save::typeChanged);

    m_cmbType->setCurrentIndex(HolidayOnce);
    m_cmbWeek->setCurrentIndex(0);
    typeChanged(HolidayOnce);
    resize(360, sizeHint().height());
    CenterForm(this);
}

void FrmHDay_save::Init(const QString& storeCode, QWidget* opener)
{
    m_storeCode = storeCode;
    m_parentScreen = opener;
}

void FrmHDay_save::typeChanged(int kind)
{
    m_dayPlace->setCurrentWidget(kind == HolidayWeekly ? static_cast<QWidget*>(m_cmbWeek) : m_hdDate);
}

QString FrmHDay_save::StoredDay() const
{
    const int kind = m_cmbType->currentIndex();
    if (kind == HolidayWeekly)
        return WeeklyStoredForm(m_cmbWeek->currentIndex());
    return HolidayStoredForm(kind, m_hdDate->date());
}

bool FrmHDay_save::Save()
{
    const int kind = m_cmbType->currentIndex();
    const QString day = StoredDay();
    if (day.isEmpty() || m_storeCode.isEmpty())
        return false;
    if (!FieldsFitLimits())
        return false;
    const StoreService::Result r = StoreService::InsertHoliday(m_storeCode, day, kind, m_memo->text());
    if (r.status == StoreService::Status::NotFound)
        ShowInfo(QStringLiteral("수정된 내용이 없거나, 자료저장을 실패하였습니다."));
    else if (r.status == StoreService::Status::Failed)
        ShowErrorInfo(QStringLiteral("자료저장을 실패하였습니다."), r.error);
    if (!r.ok())
        return false;
    FinishSave();
    return true;
}

void FrmHDay_save::ClearFields()
{
    m_memo->clear();
    m_cmbType->setFocus();
}

bool FrmHDay_save::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_cmbType) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Up || key == Qt::Key_Down)
                return EnterNextField(key);
        } else if (event->type() == QEvent::FocusIn) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                reason == Qt::OtherFocusReason)
                m_cmbType->showPopup();
        }
    }
    return EditorWindow::eventFilter(watched, event);
}

void FrmHDay_save::showEvent(QShowEvent* event)
{
    EditorWindow::showEvent(event);
    m_cmbType->setFocus();
}
