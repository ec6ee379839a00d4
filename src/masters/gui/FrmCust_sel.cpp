#include "masters/gui/FrmCust_sel.h"

#include "app/SettingKeys.h"
#include "db/CustomerPhoneIndex.h"
#include "db/DbError.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"
#include "masters/CustPhone.h"
#include "masters/CustomerQueries.h"
#include "masters/gui/CustomerScreens.h"
#include "masters/gui/FrmCust_save.h"
#include "masters/gui/FrmCust_selsub.h"
#include "masters/gui/PickerWindow.h"
#include "ui/MsgBox.h"
#include "ui/TextUtil.h"
#include "ui/gui/InputUtil.h"
#include "ui/gui/MduMainUi.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modFormIni.h"
#include "ui/gui/modSpread60.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

FrmCust_sel::FrmCust_sel(QWidget* parent) : PickerDialog(parent)
{
    // The list takes the focus when the window is shown and after each editor, not at every return to it.
    m_focusListOnActivation = false;
    setObjectName(QStringLiteral("FrmCust_sel"));
    setWindowTitle(QStringLiteral("고객 검색"));
    resize(760, 440);

    m_pnlTop = new QFrame(this);
    m_pnlTop->setObjectName(QStringLiteral("pnlTop"));
    m_pnlTop->setFrameShape(QFrame::StyledPanel);
    auto* top = new QHBoxLayout(m_pnlTop);
    top->addWidget(new QLabel(QStringLiteral("검색범위:"), m_pnlTop));
    const QString captions[] = {QStringLiteral("전화(&1)"), QStringLiteral("번지(&2)"),
                                QStringLiteral("메모(&3)")};
    for (int i = 0; i < 3; ++i) {
        auto* box = new QCheckBox(captions[i], m_pnlTop);
        box->setObjectName(QStringLiteral("chkFindFld_%1").arg(i));
        connect(box, &QCheckBox::toggled, this, [this, i](bool on) {
            if (!m_loadingScopes)
                Settings::Save(Settings::CustFindField(i), on ? QStringLiteral("1") : QStringLiteral("0"));
        });
        m_chkFindFld.at(size_t(i)) = box;
        top->addWidget(box);
    }
    top->addSpacing(16);
    top->addWidget(new QLabel(QStringLiteral("검색어(F3)"), m_pnlTop));
    m_txtinput = new QLineEdit(m_pnlTop);
    m_txtinput->setObjectName(QStringLiteral("txtinput"));
    m_txtinput->installEventFilter(this);
    top->addWidget(m_txtinput, 1);

    m_spList = new SpreadGrid(this);
    m_spList->setObjectName(QStringLiteral("spList"));
    m_spList->SetMaxCols(ColCount);
    CommonSpreadDesign(m_spList, true, true, false, true);
    m_spList->SetColHeaders({QStringLiteral("전화번호1"), QStringLiteral("전화번호2"),
                             QStringLiteral("전화번호3"), QStringLiteral("전화번호4"), QStringLiteral("주소"),
                             QStringLiteral("메모"), QStringLiteral("코드")});
    const double widths[] = {13, 13, 13, 13, 30, 16, 10};
    for (int c = 1; c <= ColCount; ++c)
        m_spList->SetColWidth(c, widths[c - 1]);
    SetColFormats(m_spList, {{ColTel1, ColFormat::Telephone},
                             {ColTel2, ColFormat::Telephone},
                             {ColTel3, ColFormat::Telephone},
                             {ColTel4, ColFormat::Telephone},
                             {ColCode, ColFormat::CustomerCode}});
    connect(m_spList, &SpreadGrid::DblClick, this, [this](int, int row) {
        if (row > 0)
            SelectRecord();
    });
    connect(m_spList, &SpreadGrid::KeyDown, this, [this](int& key, int) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            key = 0;
            SelectRecord();
        }
    });
    ConnectGridMenu(this, m_spList);

    m_btnSel = new QPushButton(QStringLiteral("선택 &S"), this);
    m_btnSel->setObjectName(QStringLiteral("btnSel"));
    m_btnRecAdd = new QPushButton(QStringLiteral("추가 F2"), this);
    m_btnRecAdd->setObjectName(QStringLiteral("btnRecAdd"));
    m_btnRecEdit = new QPushButton(QStringLiteral("수정 &E"), this);
    m_btnRecEdit->setObjectName(QStringLiteral("btnRecEdit"));
    m_btnRecDel = new QPushButton(QStringLiteral("삭제 F4"), this);
    m_btnRecDel->setObjectName(QStringLiteral("btnRecDel"));
    m_btnClose = new QPushButton(QStringLiteral("닫기 &C"), this);
    m_btnClose->setObjectName(QStringLiteral("btnClose"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_btnSel, m_btnRecAdd, m_btnRecEdit, m_btnRecDel}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    m_btnClose->setAutoDefault(false);
    buttons->addWidget(m_btnClose);
    connect(m_btnSel, &QPushButton::clicked, this, &FrmCust_sel::SelectRecord);
    connect(m_btnRecAdd, &QPushButton::clicked, this, &FrmCust_sel::AddRecord);
    connect(m_btnRecEdit, &QPushButton::clicked, this, &FrmCust_sel::EditRecord);
    connect(m_btnRecDel, &QPushButton::clicked, this, &FrmCust_sel::DeleteRecord);
    connect(m_btnClose, &QPushButton::clicked, this, [this] {
        m_result.clear();
        reject();
    });

    auto* main = new QVBoxLayout(this);
    main->addWidget(m_pnlTop);
    main->addWidget(m_spList, 1);
    main->addLayout(buttons);

    CenterForm(this);
    LoadFormIni(this);
    WatchColWidths(this, m_spList);
    m_loadingScopes = true;
    for (int i = 0; i < 3; ++i)
        m_chkFindFld.at(size_t(i))->setChecked(Settings::IsOn(Settings::CustFindField(i)));
    m_loadingScopes = false;
}

FrmCust_sel::~FrmCust_sel() = default;

int FrmCust_sel::Refresh_Sheet()
{
    if (!CheckSearchText(m_txtinput->text()))
        return -1;
    m_spList->SetMaxRows(0);
    const ReadQuery read = CustomerQueries::Picker(m_txtinput->text(), m_chkFindFld[0]->isChecked(),
                                                   m_chkFindFld[1]->isChecked(), m_chkFindFld[2]->isChecked(),
                                                   HasCustomerPhoneIndex(gMainConn));
    Recordset rs;
    if (OpenQuery(rs, read) < 0)
        return 0;
    const int iTel1 = rs.fieldIndex(QStringLiteral("전화1"));
    const int iAddr1 = rs.fieldIndex(QStringLiteral("주소1"));
    const int iAddr2 = rs.fieldIndex(QStringLiteral("주소2"));
    const int iMemo = rs.fieldIndex(QStringLiteral("메모"));
    const int iCode = rs.fieldIndex(QStringLiteral("코드"));
    QList<QVariantList> rows;
    rows.reserve(rs.RecordCount());
    for (const QVariantList& r : rs.rows()) {
        QVariantList cells;
        cells.reserve(ColCount);
        for (int k = 0; k < 4; ++k)
            cells << NullToStr(r.value(iTel1 + k));
        cells << NullToStr(r.value(iAddr1)) + QLatin1Char(' ') + NullToStr(r.value(iAddr2))
              << NullToStr(r.value(iMemo)) << NullToStr(r.value(iCode));
        rows << cells;
    }
    rs.close();
    m_spList->SetMaxRows(int(rows.size()));
    m_spList->SetBlockValues(1, rows);
    if (!rows.isEmpty())
        m_spList->SetActiveCell(1, 1);
    return int(rows.size());
}

int FrmCust_sel::FindRecords(const QString& searchText, const QString& extra)
{
    m_searched = WithoutHyphens(searchText);
    m_firstNumber =
        extra.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 || extra == QLatin1String("1");
    m_result.clear();
    if (searchText.isEmpty())
        return 2;
    m_txtinput->setText(searchText);
    const int n = Refresh_Sheet();
    if (n != 1)
        return n;
    const QString tel = ChooseTelephone(1);
    if (tel.isEmpty())
        return 2;
    m_result = m_spList->CellText(ColCode, 1) + kNul + tel;
    return 1;
}

QString FrmCust_sel::ChooseTelephone(int row)
{
    if (row < 1 || row > m_spList->MaxRows())
        return QString();
    if (m_firstNumber)
        return m_spList->CellText(ColTel1, row);
    QStringList numbers;
    for (int c = ColTel1; c <= ColTel4; ++c) {
        const QString n = m_spList->CellText(c, row);
        if (!n.isEmpty())
            numbers << n;
    }
    const QStringList matches = MatchingPhones(numbers, m_searched);
    if (matches.size() == 1)
        return matches.first();
    FrmCust_selsub list(this);
    list.SetNumbers(matches.isEmpty() ? numbers : matches, m_spList->CellText(ColAddr, row));
    ExecModal(&list);
    return list.Telno();
}

void FrmCust_sel::SelectRecord()
{
    if (m_spList->MaxRows() <= 0) {
        ShowInfo(QStringLiteral("리스트에서 자료를 선택하세요."));
        return;
    }
    const int row = m_spList->ActiveRow() > 0 ? m_spList->ActiveRow() : 1;
    const QString tel = ChooseTelephone(row);
    if (tel.isEmpty())
        return;
    m_result = m_spList->CellText(ColCode, row) + kNul + tel;
    accept();
}

void FrmCust_sel::runEditor(EditorMode mode, const QString& code)
{
    FrmCust_save editor(this);
    editor.Init(mode, this, code);
    if (mode == EditorMode::Add)
        editor.chkContinueAdd()->setVisible(true);
    PlaceFormAt(&editor, m_pnlTop, 0, 0);
    ExecModal(&editor);
    m_spList->setFocus();
}

void FrmCust_sel::AddRecord()
{
    runEditor(EditorMode::Add, QString());
}

void FrmCust_sel::EditRecord()
{
    const int row = m_spList->ActiveRow();
    if (m_spList->MaxRows() <= 0 || row < 1) {
        ShowInfo(QStringLiteral("먼저 그리드에서 수정할 자료를 선택하세요."));
        return;
    }
    runEditor(EditorMode::Edit, m_spList->CellText(ColCode, row));
}

void FrmCust_sel::DeleteRecord()
{
    const int row = m_spList->ActiveRow();
    const QString code = m_spList->MaxRows() > 0 && row > 0 ? m_spList->CellText(ColCode, row) : QString();
    if (code.isEmpty()) {
        ShowInfo(QStringLiteral("먼저 그리드에서 삭제할 자료를 선택하세요."));
        return;
    }
    if (AskYesNo(FormatMessage(QStringLiteral("선택된『 %0 』자료를 정말로 삭제 하시겠습니까?"),
                               {m_spList->CellText(ColAddr, row)}),
                 {}, true) != MsgAnswer::Yes)
        return;
    if (DeleteCustomerTelling(code))
        DeleteGridRow(m_spList, row, true, true);
    m_spList->setFocus();
}

void FrmCust_sel::SyncUpdateCust(RecordEditor* editor, EditorMode mode)
{
    auto* ed = dynamic_cast<FrmCust_save*>(editor);
    if (!ed)
        return;
    int row = m_spList->ActiveRow();
    if (mode == EditorMode::Add || row < 1) {
        row = m_spList->MaxRows() + 1;
        m_spList->SetMaxRows(row);
    }
    m_spList->SetRowValues(
        row, {ed->FieldText(FrmCust_save::FTel1), ed->FieldText(FrmCust_save::FTel2),
              ed->FieldText(FrmCust_save::FTel3), ed->FieldText(FrmCust_save::FTel4),
              ed->FieldText(FrmCust_save::FAddr1) + QLatin1Char(' ') + ed->FieldText(FrmCust_save::FAddr2),
              ed->FieldText(FrmCust_save::FMemo), ed->FieldText(FrmCust_save::FCode)});
    m_spList->SetActiveCell(qMax(m_spList->ActiveCol(), 1), row);
}

void FrmCust_sel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F2)
        AddRecord();
    else if (event->key() == Qt::Key_F4)
        DeleteRecord();
    else if (!HandlePickerKey(event, m_txtinput))
        PickerDialog::keyPressEvent(event);
}

void FrmCust_sel::showEvent(QShowEvent* event)
{
    PickerDialog::showEvent(event);
    FocusPickerListWhenShown(this, m_spList);
}
