#include "masters/gui/FrmCust_admin.h"

#include "db/CustomerListQuery.h"
#include "db/DbError.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"
#include "masters/CustomerRecord.h"
#include "masters/gui/CustomerScreens.h"
#include "masters/gui/FrmCust_save.h"
#include "ui/MsgBox.h"
#include "ui/TextUtil.h"
#include "ui/gui/GridPager.h"
#include "ui/gui/MduMainUi.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/ScreenCatalogue.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modFormIni.h"
#include "ui/gui/modSpread60.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHash>
#include <QLineEdit>

namespace {
qint64 pointsOf(const QString& shown)
{
    QString digits = shown;
    digits.remove(QLatin1Char(','));
    return qint64(Val(digits));
}
} // namespace

FrmCust_admin::FrmCust_admin(QWidget* parent) : ListScreen(parent)
{
    setObjectName(QStringLiteral("FrmCust_admin"));
    setWindowTitle(QStringLiteral("고객 관리"));
    resize(900, 560);

    SpreadGrid* grid = spList();
    grid->SetMaxCols(ColCount);
    CommonSpreadDesign(grid, true, true, false, true);
    grid->SetColHeaders({QStringLiteral("코드"), QStringLiteral("전화번호1"), QStringLiteral("전화번호2"),
                         QStringLiteral("전화번호3"), QStringLiteral("우편번호"), QStringLiteral("주소"),
                         QStringLiteral("현PT"), QStringLiteral("메모")});
    const double widths[] = {9, 13, 13, 13, 8, 34, 8, 16};
    for (int c = 1; c <= ColCount; ++c)
        grid->SetColWidth(c, widths[c - 1]);
    SetNumberColumn(grid, ColPoints);
    SetColFormats(grid, {{ColCode, ColFormat::CustomerCode},
                         {ColTel1, ColFormat::Telephone},
                         {ColTel2, ColFormat::Telephone},
                         {ColTel3, ColFormat::Telephone},
                         {ColPost, ColFormat::ZipCode}});
    m_pager = new GridPager(grid, [this](const QStringList& codes) { return fetchRows(codes); });

    AddFindKey(QStringLiteral("전화번호"), QStringLiteral("전화1,전화2,전화3,전화4"));
    AddFindKey(QStringLiteral("기본주소"), QStringLiteral("주소1"));
    AddFindKey(QStringLiteral("번지"), QStringLiteral("주소2"));
    AddFindKey(QStringLiteral("메모"), QStringLiteral("메모"));
    FillFindModeCombo(cmbFindOP());
    RunOpening([this] { SetRecCount(CountRows(QStringLiteral("고객"))); });

    FollowOthers({QStringLiteral("고객")},
                 [this](const QList<ChangeFeed::Change>& changes) { takeOthers(changes); });

    CenterForm(this);
    FinishLayout();
    // Opening the screen puts the operator in the search box: nothing is listed before a search.
    setFocusProxy(htName());
}

FrmCust_admin::~FrmCust_admin() = default;

ScreenEntry FrmCust_admin::Entry()
{
    return CatalogueEntry(QStringLiteral("FrmCust_admin"), QStringLiteral("고객 관리"),
                          QStringLiteral("mnuBasic_Cust"), [] { return new FrmCust_admin; });
}

void FrmCust_admin::RefreshRecCount()
{
    try {
        SetRecCount(CountRows(QStringLiteral("고객")));
    } catch (const DbException& e) {
        ShowErrorInfo(QStringLiteral("자료수를 읽는 중 오류가 발생했습니다."), e.info());
    }
}

int FrmCust_admin::Search()
{
    if (!AcceptSearchText())
        return 0;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SpreadGrid* grid = spList();
    const int remembered = grid->ActiveRow();
    const SearchRow searched = SearchedRow();
    const QString& columns = searched.columns;
    const QString& mode = searched.mode;
    const QString& text = searched.text;
    m_searched = true;
    // A large result shows its top rows at once; the count follows when the first screen is painted, and
    // the codes below the first screen are read when needed.
    constexpr int kFirstKeys = 200;
    QStringList codes;
    QString sql, count;
    try {
        const CustomerListStatements list = CustomerListSql(columns, mode, text);
        sql = list.keys;
        count = list.count;
        ErrInfo error;
        const QString first =
            count.isEmpty() ? sql : sql + QStringLiteral(" LIMIT ") + QString::number(kFirstKeys);
        if (!gMainConn.queryTexts(first, codes, &error)) {
            codes.clear();
            ShowErrorInfo(QStringLiteral("고객 자료를 읽는 중 오류가 발생했습니다."), error);
        }
    } catch (const DbException& e) {
        ShowErrorInfo(QStringLiteral("고객 자료를 읽는 중 오류가 발생했습니다."), e.info());
    }
    const auto readAll = [sql] {
        QStringList all;
        ErrInfo error;
        if (!gMainConn.queryTexts(sql, all, &error))
            ShowErrorInfo(QStringLiteral("고객 자료를 읽는 중 오류가 발생했습니다."), error);
        return all;
    };
    if (!count.isEmpty() && codes.size() == kFirstKeys) {
        m_pager->Reset(
            codes,
            [count] {
                try {
                    return GetFirstValue(count).toInt();
                } catch (const DbException& e) {
                    ShowErrorInfo(QStringLiteral("고객 자료를 읽는 중 오류가 발생했습니다."), e.info());
                    return 0;
                }
            },
            readAll);
        // A refresh for other seats puts the operator back where he was, and the cursor stays on its row
        // number: both need the whole range.
        if (RefreshingForOthers() || remembered > kFirstKeys)
            m_pager->FinishCount();
    } else {
        m_pager->Reset(codes);
    }
    const int rows = m_pager->RowCount();
    if (rows > 0)
        grid->SetActiveCell(ColAddr, remembered >= 1 && remembered <= rows ? remembered : 1);
    QApplication::restoreOverrideCursor();
    return rows;
}

void FrmCust_admin::takeOthers(const QList<ChangeFeed::Change>& changes)
{
    if (!m_searched)
        return;
    QStringList keys;
    for (const ChangeFeed::Change& c : changes) {
        if (c.key.isEmpty()) {
            RefreshForOthers();
            return;
        }
        if (!keys.contains(c.key, Qt::CaseInsensitive))
            keys << c.key;
    }
    SpreadGrid* grid = spList();
    const SearchRow& searched = LastSearch();
    QStringList shown;
    bool counted = false;
    for (const QString& key : keys) {
        ErrInfo error;
        const bool exists = CustomerRecord::Load(key, &error).has_value() || !error.description.isEmpty();
        const int row = m_pager->RowOf(key);
        if (row > 0 && exists) {
            shown << key;
        } else if (row > 0) {
            if (row == grid->ActiveRow())
                MyFloatMsg(QStringLiteral("선택한 자료는 다른 자리에서 삭제되었습니다."), 1500);
            m_pager->RemoveRow(row, [&] {
                DeleteGridRow(grid, row, false, false);
                grid->SetMaxRows(grid->MaxRows() - 1);
            });
            counted = true;
        } else if (exists && m_pager->AllKeysRead()) {
            // (With keys still unread the new one comes with them, in its place.)
            counted = true;
            try {
                if (GetFirstValue(CustomerListMatchSql(searched.columns, searched.mode, searched.text, key))
                        .toInt() == 0)
                    continue;
            } catch (const DbException& e) {
                ShowErrorInfo(QStringLiteral("고객 자료를 읽는 중 오류가 발생했습니다."), e.info());
                continue;
            }
            const QList<QVariantList> rows = fetchRows({key});
            if (rows.isEmpty() || rows.first().isEmpty())
                continue;
            const int at = grid->MaxRows() + 1;
            grid->SetMaxRows(at);
            m_pager->AppendRow(key);
            grid->SetRowValues(at, rows.first());
        }
    }
    m_pager->Refresh(shown);
    if (counted)
        RefreshRecCount();
}

QList<QVariantList> FrmCust_admin::fetchRows(const QStringList& codes) const
{
    QHash<QString, QVariantList> byCode;
    Recordset rs;
    if (OpenQuery(rs, CustomerRowsSql(codes)) >= 0) {
        const int iCode = rs.fieldIndex(QStringLiteral("코드"));
        const int iTel1 = rs.fieldIndex(QStringLiteral("전화1"));
        const int iTel2 = rs.fieldIndex(QStringLiteral("전화2"));
        const int iTel3 = rs.fieldIndex(QStringLiteral("전화3"));
        const int iPost = rs.fieldIndex(QStringLiteral("우편번호"));
        const int iAddr1 = rs.fieldIndex(QStringLiteral("주소1"));
        const int iAddr2 = rs.fieldIndex(QStringLiteral("주소2"));
        const int iPoints = rs.fieldIndex(QStringLiteral("현포인트"));
        const int iMemo = rs.fieldIndex(QStringLiteral("메모"));
        for (const QVariantList& r : rs.rows()) {
            const QString code = NullToStr(r.value(iCode));
            byCode.insert(
                code.toUpper(),
                QVariantList{code, NullToStr(r.value(iTel1)), NullToStr(r.value(iTel2)),
                             NullToStr(r.value(iTel3)), NullToStr(r.value(iPost)),
                             NullToStr(r.value(iAddr1)) + QLatin1Char(' ') + NullToStr(r.value(iAddr2)),
                             qint64(r.value(iPoints).toDouble()), NullToStr(r.value(iMemo))});
        }
        rs.close();
    }
    QList<QVariantList> rows;
    rows.reserve(codes.size());
    for (const QString& c : codes)
        rows << byCode.value(c.toUpper());
    return rows;
}

void FrmCust_admin::ExportList()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_pager->FillAll();
    QApplication::restoreOverrideCursor();
    ListScreen::ExportList();
}

void FrmCust_admin::PrintList()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_pager->FillAll();
    QApplication::restoreOverrideCursor();
    ListScreen::PrintList();
}

QString FrmCust_admin::SelectedCode() const
{
    const int row = spList()->ActiveRow();
    if (spList()->MaxRows() <= 0 || row < 1)
        return QString();
    const QString code = m_pager->Key(row);
    return code.isEmpty() ? spList()->CellText(ColCode, row) : code;
}

void FrmCust_admin::AddRecord()
{
    m_pager->LoadAllKeys();
    RunListEditor<FrmCust_save>(this, pnlTop(), spList(), EditorMode::Add, QString());
}

void FrmCust_admin::EditRecord()
{
    const QString code = SelectedCode();
    if (code.isEmpty()) {
        ShowInfo(QStringLiteral("먼저 그리드에서 수정할 자료를 선택하세요."));
        spList()->setFocus();
        return;
    }
    RunListEditor<FrmCust_save>(this, pnlTop(), spList(), EditorMode::Edit, code);
}

void FrmCust_admin::DeleteRecord()
{
    SpreadGrid* grid = spList();
    const QString code = SelectedCode();
    if (code.isEmpty()) {
        ShowInfo(QStringLiteral("먼저 그리드에서 삭제할 자료를 선택하세요."));
        return;
    }
    const int row = grid->ActiveRow();
    if (AskYesNo(FormatMessage(QStringLiteral("선택된『 %0 』자료를 정말로 삭제 하시겠습니까?"),
                               {grid->CellText(ColAddr, row)}),
                 {}, true) != MsgAnswer::Yes)
        return;
    if (DeleteCustomerTelling(code)) {
        // Shrinking to the last row with data would drop the rows not yet filled below it.
        m_pager->RemoveRow(row, [&] {
            DeleteGridRow(grid, row, false, true);
            grid->SetMaxRows(grid->MaxRows() - 1);
        });
        RefreshRecCount();
    }
    grid->setFocus();
}

void FrmCust_admin::RowDoubleClicked(int row)
{
    const QString code = m_pager->Key(row);
    if (code.isEmpty()) {
        spList()->setFocus();
        return;
    }
    ScreenCatalogue::Instance().OpenFocused(QStringLiteral("FrmRPT_sale"), nullptr, code,
                                            spList()->CellText(ColTel1, row), FocusKind::Customer);
}

void FrmCust_admin::SyncUpdateCust(RecordEditor* editor, EditorMode mode)
{
    auto* ed = dynamic_cast<FrmCust_save*>(editor);
    if (!ed)
        return;
    SpreadGrid* grid = spList();
    bool appended = false;
    const int row = RowForSave(mode, &appended);
    if (appended)
        m_pager->AppendRow(ed->FieldText(FrmCust_save::FCode));
    if (mode == EditorMode::Add)
        RefreshRecCount();
    grid->SetRowValues(
        row, {ed->FieldText(FrmCust_save::FCode), ed->FieldText(FrmCust_save::FTel1),
              ed->FieldText(FrmCust_save::FTel2), ed->FieldText(FrmCust_save::FTel3),
              ed->FieldText(FrmCust_save::FPost),
              ed->FieldText(FrmCust_save::FAddr1) + QLatin1Char(' ') + ed->FieldText(FrmCust_save::FAddr2),
              pointsOf(ed->FieldText(FrmCust_save::FCurPoints)), ed->FieldText(FrmCust_save::FMemo)});
    grid->SetActiveCell(qMax(grid->ActiveCol(), 1), row);
}
