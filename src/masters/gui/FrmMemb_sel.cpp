#include "masters/gui/FrmMemb_sel.h"

#include "app/SettingKeys.h"
#include "db/modDBQuery.h"
#include "masters/StoreQueries.h"
#include "masters/gui/PickerWindow.h"
#include "ui/MsgBox.h"
#include "ui/TextUtil.h"
#include "ui/gui/InputUtil.h"
#include "ui/gui/MduMainUi.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modFormIni.h"
#include "ui/gui/modSpread60.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Captions of the search scopes, in the order StoreQueries::Picker takes them.
constexpr const char* kScopeCaptions[FrmMemb_sel::kScopeCount] = {"코드(&1)", "상호(&2)", "주소(&3)",
                                                                  "메모(&4)"};
} // namespace

FrmMemb_sel::FrmMemb_sel(QWidget* parent) : PickerDialog(parent)
{
    setObjectName(QStringLiteral("FrmMemb_sel"));
    setWindowTitle(QStringLiteral("가맹점 검색"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    resize(640, 420);

    m_txtinput = MakePickerInput(this, QStringLiteral("txtinput"));

    auto* top = MakePickerSearchRow(this, m_txtinput);
    top->addWidget(new QLabel(QStringLiteral("검색범위:"), this));
    m_loading = true;
    for (int i = 0; i < kScopeCount; ++i) {
        auto* box = new QCheckBox(QString::fromUtf8(kScopeCaptions[i]), this);
        box->setObjectName(QStringLiteral("chkFindFld_%1").arg(i));
        box->setChecked(Settings::IsOn(Settings::MembFindField(i)));
        connect(box, &QCheckBox::toggled, this, [this, i](bool on) {
            if (!m_loading)
                Settings::Save(Settings::MembFindField(i), on ? QStringLiteral("1") : QStringLiteral("0"));
        });
        m_chkFindFld[i] = box;
        top->addWidget(box);
    }
    m_loading = false;

    m_spList = new SpreadGrid(this);
    m_spList->setObjectName(QStringLiteral("spList"));
    m_spList->SetMaxCols(ColCount);
    m_spList->SetColHeaders({QStringLiteral("코드"), QStringLiteral("상호"), QStringLiteral("전화번호"),
                             QStringLiteral("주소"), QStringLiteral("메모")});
    m_spList->SetColWidth(ColCode, 8);
    m_spList->SetColWidth(ColName, 16);
    m_spList->SetColWidth(ColTel, 14);
    m_spList->SetColWidth(ColAddr, 26);
    m_spList->SetColWidth(ColMemo, 14);
    CommonSpreadDesign(m_spList, true, true, false, true);
    SetColFormats(
        m_spList,
        {{ColCode, ColFormat::StoreCode}, {ColName, ColFormat::StoreName}, {ColTel, ColFormat::Telephone}});
    m_spList->installEventFilter(this);
    connect(m_spList, &SpreadGrid::KeyDown, this, [this](int& key, int shift) {
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && shift == 0) {
            key = 0;
            SelectActive();
        }
    });
    connect(m_spList, &SpreadGrid::DblClick, this, [this](int, int row) {
        if (row > 0)
            SelectActive();
    });

    m_btnSel = MakePickerButton(this, QStringLiteral("선택 &S"), QStringLiteral("btnSel"));
    m_btnClose = MakePickerButton(this, QStringLiteral("닫기 &C"), QStringLiteral("btnClose"));
    connect(m_btnSel, &QPushButton::clicked, this, &FrmMemb_sel::SelectActive);
    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::reject);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(m_btnSel);
    bottom->addWidget(m_btnClose);
    FinishPickerLayout(this, top, m_spList, bottom);
}

FrmMemb_sel::~FrmMemb_sel() = default;

int FrmMemb_sel::FindRecords(const QString& searchText, const QString& /*extra*/)
{
    m_result.clear();
    if (searchText.isEmpty())
        return 2;
    m_txtinput->setText(searchText);
    const int n = Refresh_Sheet();
    if (n == 1)
        m_result = m_spList->CellText(ColCode, 1) + kNul + m_spList->CellText(ColName, 1);
    return n;
}

int FrmMemb_sel::Refresh_Sheet()
{
    const QString text = m_txtinput->text();
    if (!CheckSearchText(text))
        return -1;
    std::array<bool, StoreQueries::kPickerScopes> ticked{};
    for (int i = 0; i < kScopeCount; ++i)
        ticked.at(size_t(i)) = m_chkFindFld[i]->isChecked();

    return FillPickerList(
        m_spList, StoreQueries::Picker(text, ticked), ColCode, [](const Recordset& rs) -> QVariantList {
            return {rs.text(QStringLiteral("코드")), rs.text(QStringLiteral("상호")),
                    rs.text(QStringLiteral("전화1")),
                    rs.text(QStringLiteral("주소1")) + QLatin1Char(' ') + rs.text(QStringLiteral("주소2")),
                    rs.text(QStringLiteral("메모"))};
        });
}

bool FrmMemb_sel::SelectActive()
{
    const int row = m_spList->ActiveRow();
    if (m_spList->MaxRows() < 1 || row < 1) {
        ShowInfo(QStringLiteral("리스트에서 자료를 선택하세요."));
        return false;
    }
    m_result = m_spList->CellText(ColCode, row) + kNul + m_spList->CellText(ColName, row);
    accept();
    return true;
}
