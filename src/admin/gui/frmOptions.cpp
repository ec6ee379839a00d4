#include "admin/gui/frmOptions.h"

#include "admin/CompanyInfo.h"
#include "admin/OptionValues.h"
#include "admin/StoredPasswords.h"
#include "admin/gui/frmAuthority.h"
#include "app/Globals.h"
#include "app/SettingKeys.h"
#include "app/start/MduMain.h"
#include "db/modMain_SQL.h"
#include "masters/gui/frmZipcode.h"
#include "order/SeeIdPort.h"
#include "order/SeeIdProbe.h"
#include "ui/MsgBox.h"
#include "ui/gui/InputUtil.h"
#include "ui/gui/MduMainUi.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modSpread60.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

// Private-use characters: typing or pasting them is next to impossible, and they are stripped as soon as the
// operator edits the box.
const QString frmOptions::kUnchanged = QString(8, QChar(0xE000));

namespace {
const QString kRunError = QStringLiteral("프로그램 수행도중 오류가 발생했습니다.");
const QString kGridRange = QStringLiteral("그리드의 줄높이및 글자크기의 입력범위는 8~20 입니다.");
const QString kTryAgain = QStringLiteral("다시 입력하여 주십시요.");
const QString kPortFormat =
    QStringLiteral("포트는 번호(0이면 장치사용 안함) 또는 장치 경로(예: /dev/ttyUSB0)로 입력하세요.");

QLineEdit* numberBox(QWidget* parent, const QString& name, int width = 80)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setAlignment(Qt::AlignRight);
    box->setFixedWidth(width);
    box->setInputMethodHints(Qt::ImhPreferNumbers);
    return box;
}

// Numbers are shown as numbers: a stored "0100" or " 14" shows as 100 and 14; anything else as it is.
QString asNumber(const QString& stored)
{
    bool ok = false;
    const double n = stored.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(n) || std::abs(n) > 1e12)
        return stored.trimmed();
    return QString::number(n, 'f', n == std::floor(n) ? 0 : 2);
}

// The two grids of the main screen take a new row height at once; other grids when they are next laid out.
void applyRowHeightToMainGrids(double height)
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() != QLatin1String("FrmMain"))
            continue;
        for (const char* name : {"spMList", "spDList"}) {
            if (auto* grid = top->findChild<SpreadGrid*>(QString::fromLatin1(name))) {
                grid->SetRowHeight(-1, height);
                grid->SetRowHeight(0, height + 2);
            }
        }
    }
}
} // namespace

frmOptions::frmOptions(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("옵션"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_tbsOptions = new QTabWidget(this);
    m_tbsOptions->setObjectName(QStringLiteral("tbsOptions"));
    m_tbsOptions->addTab(buildCompanyTab(), QStringLiteral("사용자 등록"));
    m_tbsOptions->addTab(buildGeneralTab(), QStringLiteral("  일반설정  "));
    m_tbsOptions->addTab(buildPasswordTab(), QStringLiteral(" 암호설정 "));
    m_tbsOptions->addTab(buildPortTab(), QStringLiteral("  SeeID  "));

    m_cmdOK = new QPushButton(QStringLiteral("확인(&O)"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdCancel = new QPushButton(QStringLiteral("취소(&C)"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cmdApply = new QPushButton(QStringLiteral("적용(&A)"), this);
    m_cmdApply->setObjectName(QStringLiteral("cmdApply"));
    for (QPushButton* b : {m_cmdOK, m_cmdCancel, m_cmdApply})
        b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    buttons->addWidget(m_cmdApply);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tbsOptions, 1);
    layout->addLayout(buttons);

    for (QLineEdit* edit : findChildren<QLineEdit*>())
        edit->installEventFilter(this);

    connect(m_cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_cmdApply, &QPushButton::clicked, this, &frmOptions::cmdApply_Click);
    connect(m_btnZipcode, &QPushButton::clicked, this, &frmOptions::btnZipcode_Click);
    connect(m_cmdAuthority, &QPushButton::clicked, this, &frmOptions::cmdAuthority_Click);
    connect(m_cmdSeeIDTest, &QPushButton::clicked, this, &frmOptions::cmdSeeIDTest_Click);
    connect(m_tbsOptions, &QTabWidget::currentChanged, this, &frmOptions::tabChanged);
    auto* ctrlTab = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    connect(ctrlTab, &QShortcut::activated, this, &frmOptions::nextTab);

    for (int i = 0; i < m_txtinput.size(); ++i) {
        connect(m_txtinput[i], &QLineEdit::textEdited, this, [this, i] {
            mark(Company);
            if (i == 3)
                m_txtinput[4]->clear();
        });
    }
    connect(m_htsvce, &QLineEdit::textEdited, this, [this] { mark(Service); });
    connect(m_htPt, &QLineEdit::textEdited, this, [this] { mark(Points); });
    for (QLineEdit* box : m_htGrid) {
        connect(box, &QLineEdit::textEdited, this, [this] { mark(Grid); });
        connect(box, &QLineEdit::textChanged, this, &frmOptions::previewGrid);
    }
    for (QLineEdit* box : m_txtPWD) {
        connect(box, &QLineEdit::textEdited, this, [this, box](const QString& text) {
            // Editing the "unchanged" mark leaves only what the operator typed.
            if (text.contains(kUnchanged.front())) {
                QString typed = text;
                typed.remove(kUnchanged.front());
                box->setText(typed);
            }
            mark(Passwords);
        });
    }
    for (QLineEdit* box : m_htPortNo)
        connect(box, &QLineEdit::textEdited, this, [this] { mark(Ports); });
    connect(m_htDDD, &QLineEdit::textEdited, this, [this] { mark(AreaCode); });

    loadValues();
    m_tbsOptions->setCurrentIndex(0);
    m_cmdApply->setEnabled(false);
    m_txtinput[0]->setFocus();
}

QWidget* frmOptions::buildCompanyTab()
{
    auto* frame = new QFrame;
    frame->setObjectName(QStringLiteral("fraTabRound_0"));
    m_fraTabRound.append(frame);
    const QStringList labels{"*상 호 명", " 대 표 자", "*사업자번호", "우편번호", "주    소", "",
                             "전화/팩스", "",          "업     태",   "종     목"};
    for (int i = 0; i < labels.size(); ++i) {
        auto* edit = new QLineEdit(frame);
        edit->setObjectName(QStringLiteral("txtinput_%1").arg(i));
        m_txtinput.append(edit);
    }
    m_btnZipcode = new QPushButton(QStringLiteral("우편번호 검색"), frame);
    m_btnZipcode->setObjectName(QStringLiteral("btnZipcode"));
    m_btnZipcode->setAutoDefault(false);
    m_btnZipcode->setFocusPolicy(Qt::ClickFocus);

    auto* grid = new QGridLayout(frame);
    auto label = [frame](const QString& text) { return new QLabel(text, frame); };
    grid->addWidget(label(labels[0]), 0, 0);
    grid->addWidget(m_txtinput[0], 0, 1, 1, 3);
    grid->addWidget(label(labels[1]), 1, 0);
    grid->addWidget(m_txtinput[1], 1, 1, 1, 3);
    grid->addWidget(label(labels[2]), 2, 0);
    grid->addWidget(m_txtinput[2], 2, 1, 1, 3);
    grid->addWidget(label(labels[3]), 3, 0);
    grid->addWidget(m_txtinput[3], 3, 1);
    grid->addWidget(m_btnZipcode, 3, 2);
    grid->addWidget(label(labels[4]), 4, 0);
    grid->addWidget(m_txtinput[4], 4, 1, 1, 3);
    grid->addWidget(m_txtinput[5], 5, 1, 1, 3);
    grid->addWidget(label(labels[6]), 6, 0);
    grid->addWidget(m_txtinput[6], 6, 1);
    grid->addWidget(m_txtinput[7], 6, 2, 1, 2);
    grid->addWidget(label(labels[8]), 7, 0);
    grid->addWidget(m_txtinput[8], 7, 1, 1, 3);
    grid->addWidget(label(labels[9]), 8, 0);
    grid->addWidget(m_txtinput[9], 8, 1, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(9, 1);
    for (int i = 0; i + 1 < m_txtinput.size(); ++i)
        setTabOrder(m_txtinput[i], m_txtinput[i + 1]);
    return frame;
}

QWidget* frmOptions::buildGeneralTab()
{
    auto* frame = new QFrame;
    frame->setObjectName(QStringLiteral("fraTabRound_1"));
    m_fraTabRound.append(frame);
    m_htPt = numberBox(frame, QStringLiteral("htPt"));
    m_htsvce = numberBox(frame, QStringLiteral("htsvce"));

    m_fraGrid = new QGroupBox(QStringLiteral("그리드 설정"), frame);
    m_fraGrid->setObjectName(QStringLiteral("fraGrid"));
    for (int i = 0; i < 2; ++i) {
        QLineEdit* box = numberBox(m_fraGrid, QStringLiteral("htGrid_%1").arg(i), 40);
        box->setMaxLength(2);
        m_htGrid.append(box);
    }
    m_spPreview = new SpreadGrid(m_fraGrid);
    m_spPreview->setObjectName(QStringLiteral("spPreview"));
    m_spPreview->SetMaxCols(3);
    CommonSpreadDesign(m_spPreview, true, true);
    m_spPreview->SetColHeaders({QStringLiteral("전화번호"), QStringLiteral("상호"), QStringLiteral("금액")});
    m_spPreview->SetMaxRows(4);
    const QStringList sample{"02-1234-5678", "느티나무 치킨", "18,000", "031-987-6543", "한솥 분식", "9,500"};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            m_spPreview->SetText(c + 1, r + 1, sample[r * 3 + c]);
    m_spPreview->SetColWidth(1, 14);
    m_spPreview->SetColWidth(2, 14);
    m_spPreview->SetColWidth(3, 8);
    m_spPreview->setMinimumHeight(130);
    m_spPreview->setFocusPolicy(Qt::NoFocus);

    auto* gridBox = new QGridLayout(m_fraGrid);
    gridBox->addWidget(new QLabel(QStringLiteral("줄높이:"), m_fraGrid), 0, 0);
    gridBox->addWidget(m_htGrid[0], 0, 1);
    gridBox->addWidget(new QLabel(QStringLiteral("글자크기:"), m_fraGrid), 0, 2);
    gridBox->addWidget(m_htGrid[1], 0, 3);
    gridBox->setColumnStretch(4, 1);
    gridBox->addWidget(m_spPreview, 1, 0, 1, 5);

    auto* grid = new QGridLayout(frame);
    grid->addWidget(new QLabel(QStringLiteral("- 금액당 포인트 설정:"), frame), 0, 0);
    grid->addWidget(m_htPt, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("원에 1점 부여(반올림)"), frame), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("- 서비스 대상 포인트:"), frame), 1, 0);
    grid->addWidget(m_htsvce, 1, 1);
    grid->addWidget(m_fraGrid, 2, 0, 1, 4);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(3, 1);
    setTabOrder(m_htPt, m_htsvce);
    setTabOrder(m_htsvce, m_htGrid[0]);
    setTabOrder(m_htGrid[0], m_htGrid[1]);
    return frame;
}

QWidget* frmOptions::buildPasswordTab()
{
    auto* frame = new QFrame;
    frame->setObjectName(QStringLiteral("fraTabRound_2"));
    m_fraTabRound.append(frame);
    for (int i = 0; i < 4; ++i) {
        auto* box = new QLineEdit(frame);
        box->setObjectName(QStringLiteral("txtPWD_%1").arg(i));
        box->setEchoMode(QLineEdit::Password);
        box->setMaxLength(40);
        m_txtPWD.append(box);
    }
    m_cmdAuthority = new QPushButton(QStringLiteral("사용 권한설정"), frame);
    m_cmdAuthority->setObjectName(QStringLiteral("cmdAuthority"));
    m_cmdAuthority->setAutoDefault(false);

    auto* grid = new QGridLayout(frame);
    const QStringList labels{"로그인 암호변경", "재확인", "관리자암호변경", "재확인"};
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(new QLabel(labels[i], frame), i + i / 2, 0);
        grid->addWidget(m_txtPWD[i], i + i / 2, 1);
    }
    grid->addWidget(new QLabel(QStringLiteral("※두 칸을 모두 비우면 암호를 사용하지 않습니다."), frame), 6,
                    1);
    grid->addWidget(m_cmdAuthority, 7, 1, Qt::AlignLeft);
    grid->setRowMinimumHeight(2, 12);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(8, 1);
    for (int i = 0; i < 3; ++i)
        setTabOrder(m_txtPWD[i], m_txtPWD[i + 1]);
    setTabOrder(m_txtPWD[3], m_cmdAuthority);
    return frame;
}

QWidget* frmOptions::buildPortTab()
{
    auto* frame = new QFrame;
    frame->setObjectName(QStringLiteral("fraTabRound_3"));
    m_fraTabRound.append(frame);
    m_FraCIDPort = new QGroupBox(QStringLiteral("포트 설정"), frame);
    m_FraCIDPort->setObjectName(QStringLiteral("FraCIDPort"));
    for (int i = 0; i < 2; ++i) {
        QLineEdit* box = numberBox(m_FraCIDPort, QStringLiteral("htPortNo_%1").arg(i), 140);
        box->setAlignment(Qt::AlignLeft);
        m_htPortNo.append(box);
    }
    auto* ports = new QGridLayout(m_FraCIDPort);
    ports->addWidget(new QLabel(QStringLiteral("사용포트1:"), m_FraCIDPort), 0, 0);
    ports->addWidget(m_htPortNo[0], 0, 1);
    ports->addWidget(new QLabel(QStringLiteral("사용포트2:"), m_FraCIDPort), 1, 0);
    ports->addWidget(m_htPortNo[1], 1, 1);
    ports->addWidget(new QLabel(QStringLiteral("※포트번호가 0일 경우, 장치사용 안함"), m_FraCIDPort), 2, 0, 1,
                     3);
    ports->addWidget(
        new QLabel(QStringLiteral("※장치 경로(예: /dev/ttyUSB0)도 입력할 수 있습니다."), m_FraCIDPort), 3, 0,
        1, 3);
    m_cmdSeeIDTest = new QPushButton(QStringLiteral("SeeID 테스트"), m_FraCIDPort);
    m_cmdSeeIDTest->setObjectName(QStringLiteral("cmdSeeIDTest"));
    m_cmdSeeIDTest->setAutoDefault(false);
    ports->addWidget(m_cmdSeeIDTest, 0, 2, 2, 1, Qt::AlignLeft | Qt::AlignVCenter);
    ports->setColumnStretch(3, 1);

    m_htDDD = numberBox(frame, QStringLiteral("htDDD"), 60);
    m_htDDD->setMaxLength(4);
    auto* grid = new QGridLayout(frame);
    grid->addWidget(m_FraCIDPort, 0, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("- 전화 지역번호(DDD):"), frame), 1, 0);
    grid->addWidget(m_htDDD, 1, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(2, 1);
    setTabOrder(m_htPortNo[0], m_htPortNo[1]);
    setTabOrder(m_htPortNo[1], m_cmdSeeIDTest);
    setTabOrder(m_cmdSeeIDTest, m_htDDD);
    return frame;
}

void frmOptions::loadValues()
{
    for (int i = 0; i < m_txtinput.size(); ++i)
        m_txtinput[i]->setProperty("maxBytes", CompanyInfo::MaxBytes()[i]);
    ReadOptions(ShowFound());
    m_htsvce->setText(asNumber(GetConfig(Settings::Key::ServiceThreshold)));
    m_htPt->setText(QString::number(gPointUnit));
    m_htDDD->setText(gDDD);
    const bool loginSet = !GetConfig(Settings::Key::LoginPassword).isEmpty();
    const bool adminSet = !gAdminPWD.isEmpty();
    for (int i = 0; i < 4; ++i)
        m_txtPWD[i]->setText((i < 2 ? loginSet : adminSet) ? kUnchanged : QString());
    m_htGrid[0]->setText(asNumber(Settings::Get(Settings::Key::GridRowHeight)));
    m_htGrid[1]->setText(asNumber(Settings::Get(Settings::Key::GridFontSize)));
    for (int i = 0; i < 2; ++i)
        m_htPortNo[i]->setText(asNumber(Settings::Get(Settings::SeeIdPort(i))));
    ErrInfo error;
    if (const auto company = CompanyInfo::Read(&error)) {
        for (int i = 0; i < m_txtinput.size(); ++i)
            m_txtinput[i]->setText(company->value(i));
    } else {
        ShowErrorInfo(kRunError, error);
    }
}

void frmOptions::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        CenterForm(this);
    }
}

int frmOptions::tabOf(Mark m)
{
    switch (m) {
    case Company:
        return 0;
    case Service:
    case Points:
    case Grid:
        return 1;
    case Passwords:
        return 2;
    default:
        return 3;
    }
}

bool frmOptions::TabChanged(int tab) const
{
    return tab >= 0 && tab < m_fraTabRound.size() &&
           m_fraTabRound[tab]->property("tag").toString() == QLatin1String("Y");
}

void frmOptions::mark(Mark m)
{
    m_marks[m] = true;
    m_fraTabRound[tabOf(m)]->setProperty("tag", QStringLiteral("Y"));
    m_cmdApply->setEnabled(true);
}

void frmOptions::clearMark(Mark m)
{
    m_marks[m] = false;
    const int tab = tabOf(m);
    bool any = false;
    for (int i = 0; i < MarkCount; ++i)
        any = any || (m_marks[i] && tabOf(Mark(i)) == tab);
    if (!any)
        m_fraTabRound[tab]->setProperty("tag", QString());
}

void frmOptions::nextTab()
{
    m_tbsOptions->setCurrentIndex((m_tbsOptions->currentIndex() + 1) % m_tbsOptions->count());
}

void frmOptions::tabChanged(int index)
{
    if (m_switchingBack)
        return;
    if (index == 2 && !m_passwordTabOpened) {
        if (!AdminPWDConfirm()) {
            m_switchingBack = true;
            m_tbsOptions->setCurrentIndex(m_previousTab);
            m_switchingBack = false;
            return;
        }
        m_passwordTabOpened = true;
        m_txtPWD[0]->setFocus();
    }
    m_previousTab = index;
}

void frmOptions::previewGrid()
{
    const auto height = OptionValues::GridSize(m_htGrid[0]->text());
    const auto font = OptionValues::GridSize(m_htGrid[1]->text());
    if (!height || !font)
        return;
    m_spPreview->SetCol(-1);
    m_spPreview->SetRow(-1);
    m_spPreview->SetFontSize(*font);
    m_spPreview->SetRowHeight(-1, *height);
    m_spPreview->SetRow(0);
    m_spPreview->SetFontSize(10);
    m_spPreview->SetRowHeight(0, *height + 2);
}

bool frmOptions::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit)
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::FocusIn) {
        SelectAllText();
    } else if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            if (enter && edit == m_txtinput[3] && !edit->text().trimmed().isEmpty() &&
                m_txtinput[4]->text().isEmpty()) {
                btnZipcode_Click();
                return true;
            }
            if (EnterNextField(key->key()))
                return true;
        }
    } else if (event->type() == QEvent::FocusOut) {
        // Leaving by the keyboard or the mouse, not a message box or another window taking the focus.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return QDialog::eventFilter(watched, event);
        if (const int index = int(m_txtinput.indexOf(edit)); index >= 0) {
            CheckMaxByteLength(edit, CompanyInfo::MaxBytes()[index]);
        } else if (m_htGrid.contains(edit) && !OptionValues::GridSize(edit->text())) {
            ShowInfo(kGridRange);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmOptions::btnZipcode_Click()
{
    QString post;
    QString address;
    bool nothingFound = false;
    if (RunZipSearch(this, m_txtinput[3]->text().trimmed(), post, address, &nothingFound)) {
        m_txtinput[3]->setText(post);
        m_txtinput[4]->setText(address);
        mark(Company);
        m_txtinput[5]->setFocus();
    } else if (nothingFound) {
        m_txtinput[3]->clear();
        mark(Company);
        m_txtinput[3]->setFocus();
    }
}

void frmOptions::cmdAuthority_Click()
{
    frmAuthority authority(this);
    ExecModal(&authority);
}

void frmOptions::cmdSeeIDTest_Click()
{
    QString ports[2];
    for (int i = 0; i < 2; ++i) {
        const std::optional<QString> value = OptionValues::Port(m_htPortNo[i]->text());
        if (!value) {
            refuse(m_htPortNo[i], kPortFormat);
            return;
        }
        ports[i] = SeeIdPort::PortName(*value);
    }
    SeeIdProbe::Result results[2];
    QApplication::setOverrideCursor(Qt::WaitCursor);
    for (int i = 0; i < 2; ++i)
        results[i] = SeeIdProbe::Probe(ports[i]);
    QApplication::restoreOverrideCursor();
    ShowInfo(SeeIdProbe::Report(results[0], results[1]), QStringLiteral("SeeID 테스트"));
}

bool frmOptions::refuse(QLineEdit* field, const QString& message)
{
    ShowInfo(message);
    for (int tab = 0; tab < m_fraTabRound.size(); ++tab) {
        if (m_fraTabRound[tab]->isAncestorOf(field))
            m_tbsOptions->setCurrentIndex(tab);
    }
    field->setFocus();
    field->selectAll();
    return false;
}

bool frmOptions::checkTypedValues()
{
    if (m_marks[Company]) {
        if (CheckRequired(m_txtinput[0], QStringLiteral("상호명")) ||
            CheckRequired(m_txtinput[2], QStringLiteral("사업자번호"))) {
            m_tbsOptions->setCurrentIndex(0);
            return false;
        }
        for (int i = 0; i < m_txtinput.size(); ++i) {
            if (!CheckMaxByteLength(m_txtinput[i], CompanyInfo::MaxBytes()[i])) {
                m_tbsOptions->setCurrentIndex(0);
                m_txtinput[i]->setFocus();
                return false;
            }
        }
    }
    if (m_marks[Points] && !OptionValues::PointUnit(m_htPt->text()))
        return refuse(m_htPt, QStringLiteral("금액당 포인트는 1 이상의 정수(원)로 입력하세요."));
    if (m_marks[Service] && !OptionValues::ServiceThreshold(m_htsvce->text()))
        return refuse(m_htsvce, QStringLiteral("서비스 대상 포인트는 0 이상의 정수로 입력하세요."));
    if (m_marks[Grid]) {
        for (QLineEdit* box : m_htGrid) {
            if (!OptionValues::GridSize(box->text()))
                return refuse(box, kGridRange);
        }
    }
    if (m_marks[Ports]) {
        for (QLineEdit* box : m_htPortNo) {
            if (!OptionValues::Port(box->text()))
                return refuse(box, kPortFormat);
        }
    }
    if (m_marks[AreaCode] && !OptionValues::AreaCode(m_htDDD->text()))
        return refuse(m_htDDD,
                      QStringLiteral("지역번호는 0으로 시작하는 숫자 2~4자리로 입력하세요. 예) 02, 031"));
    return true;
}

bool frmOptions::savePasswords()
{
    const QString names[2] = {QStringLiteral("로그인 암호와 재확인이 일치 하지 않습니다."),
                              QStringLiteral("관리자 암호와 재확인이 일치 하지 않습니다.")};
    for (int pair = 0; pair < 2; ++pair) {
        if (m_txtPWD[pair * 2]->text() != m_txtPWD[pair * 2 + 1]->text()) {
            ShowInfo(names[pair] + kCrLf + kTryAgain);
            m_tbsOptions->setCurrentIndex(2);
            m_txtPWD[pair * 2]->setFocus();
            m_txtPWD[pair * 2]->selectAll();
            return false;
        }
    }
    const QString keys[2] = {StoredPasswords::kLoginKey, StoredPasswords::kAdminKey};
    for (int pair = 0; pair < 2; ++pair) {
        const QString typed = m_txtPWD[pair * 2]->text();
        if (typed == kUnchanged)
            continue;
        const std::optional<QString> stored = StoredPasswords::Save(keys[pair], typed);
        if (stored && pair == 1) {
            gAdminPWD = *stored;
            gAdminPWDKnown = true;
        }
        // The typed password does not stay on the screen once it is saved.
        const QString shown =
            stored ? (stored->isEmpty() ? QString() : kUnchanged) : m_txtPWD[pair * 2]->text();
        m_txtPWD[pair * 2]->setText(shown);
        m_txtPWD[pair * 2 + 1]->setText(shown);
    }
    return true;
}

bool frmOptions::cmdApply_Click()
{
    if (!checkTypedValues())
        return false;
    if (m_marks[Company]) {
        QStringList values;
        for (QLineEdit* box : m_txtinput)
            values.append(box->text().trimmed());
        ErrInfo error;
        if (!CompanyInfo::Save(values, &error)) {
            ShowErrorInfo(kRunError, error);
            return false;
        }
        clearMark(Company);
    }
    if (m_marks[Passwords]) {
        if (!savePasswords())
            return false;
        clearMark(Passwords);
    }
    if (m_marks[Service]) {
        SaveConfig(Settings::Key::ServiceThreshold,
                   QString::number(*OptionValues::ServiceThreshold(m_htsvce->text())));
        clearMark(Service);
    }
    if (m_marks[Points]) {
        const int unit = *OptionValues::PointUnit(m_htPt->text());
        if (SaveConfig(Settings::Key::PointUnit, QString::number(unit))) {
            gPointUnit = unit;
            ShowInfo(QStringLiteral(
                "금액당 포인트설정을 변경한 경우, 네트웍상의 모든 컴퓨터를 다시 시작해 주세요."));
        }
        clearMark(Points);
    }
    if (m_marks[Grid]) {
        const int height = *OptionValues::GridSize(m_htGrid[0]->text());
        const int font = *OptionValues::GridSize(m_htGrid[1]->text());
        Settings::Save(Settings::Key::GridRowHeight, QString::number(height));
        Settings::Save(Settings::Key::GridFontSize, QString::number(font));
        gGridRowHeight = height;
        gGridFontSize = font;
        applyRowHeightToMainGrids(height);
        clearMark(Grid);
    }
    if (m_marks[Ports]) {
        for (int i = 0; i < 2; ++i)
            Settings::Save(Settings::SeeIdPort(i), *OptionValues::Port(m_htPortNo[i]->text()));
        ShowInfo(QStringLiteral("SEEID 포트는 프로그램 재시작시 적용됩니다."));
        clearMark(Ports);
    }
    if (m_marks[AreaCode]) {
        const QString code = *OptionValues::AreaCode(m_htDDD->text());
        if (SaveConfig(Settings::Key::Ddd, code))
            gDDD = code;
        clearMark(AreaCode);
    }
    MyFloatMsg(QStringLiteral("자료가 저장되었습니다."));
    m_cmdApply->setEnabled(false);
    return true;
}

void frmOptions::cmdOK_Click()
{
    if (m_cmdApply->isEnabled())
        cmdApply_Click();
    if (!m_cmdApply->isEnabled())
        accept();
}
