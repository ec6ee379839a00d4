// Order entry on the main screen: headers in spMList, lines in spDList, and their deletion.
#include "order/gui/FrmMain.h"

#include "order/gui/FrmMainColumns.h"

#include "app/Clock.h"
#include "app/Globals.h"
#include "db/DbError.h"
#include "db/modDBQuery.h"
#include "db/modMain_SQL.h"
#include "masters/CustPhone.h"
#include "masters/HolidayRules.h"
#include "masters/gui/CustomerPanel.h"
#include "masters/gui/Pick.h"
#include "masters/gui/StorePanel.h"
#include "order/CheckStoreOpen.h"
#include "order/OrderCharges.h"
#include "order/OrderReads.h"
#include "order/OrderService.h"
#include "order/gui/modSeeID.h"
#include "ui/MsgBox.h"
#include "ui/TextUtil.h"
#include "ui/gui/InputUtil.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modSpread60.h"

#include <QLabel>
#include <QLineEdit>

using namespace FrmMainCols;

bool FrmMain::AskStoreOpen(const QString& storeCode)
{
    const StoreOpening o =
        CheckStoreOpen(storeCode, Clock::Today(), Clock::Time().toString(QStringLiteral("HH:mm")));
    if (o.holiday) {
        const QString memo = o.holiday->memo;
        const QString memoText = memo.isEmpty() ? QString() : QLatin1Char('(') + memo + QLatin1Char(')');
        if (AskYesNo(o.holiday->dayText + QStringLiteral("은 휴일입니다.") + kCrLf + memoText + kCrLf +
                         kCrLf + QStringLiteral("그래도, 처리하시겠습니까?"),
                     storeCode + QStringLiteral("가맹점 휴무일"), false) != MsgAnswer::Yes)
            return false;
    }
    if (!o.found) {
        ShowInfo(QStringLiteral("가맹점 정보를 찾을 수 없습니다."));
        return false;
    }
    if (o.outsideHours && AskYesNo(QStringLiteral("『") + storeCode + QLatin1Char(' ') + o.name +
                                       QStringLiteral("』의 영업시간은 ") + AmPmTime(o.start) +
                                       QLatin1Char('~') + AmPmTime(o.end) + QStringLiteral(" 입니다.") +
                                       kCrLf + kCrLf + QStringLiteral("그래도, 처리하시겠습니까?"),
                                   QString(), false) != MsgAnswer::Yes)
        return false;
    return true;
}

namespace {
const QString kForm = QStringLiteral("FrmMain");

const QString kAlreadyDeleted = QStringLiteral("해당 주문메뉴는 이미 삭제 되었습니다.");
const QString kRefreshHint = QStringLiteral("새로고침(F5)을 하여 화면을 갱신하세요.");
const QString kAlreadyPassed = QStringLiteral("이미 접수완료 되었습니다.");
const QString kCancelFirst = QStringLiteral("접수 취소 처리를 먼저 하세요.");
const QString kLineSaveFailed = QStringLiteral("주문내역 자료저장을 실패하였습니다.");

// The order's 통보시간; nullopt when the order is gone.
std::optional<QString> passedTime(const QString& number)
{
    return OrderReads::PassedOnTime(gMainConn, number);
}

qint64 wholeNumber(const QString& text)
{
    return qint64(std::llround(LeadingNumber(text)));
}
} // namespace

void FrmMain::restoreCell(SpreadGrid* grid, int col, int row)
{
    grid->SetText(col, row, m_cellBefore);
    grid->SetActiveCell(col, row);
}

QPoint FrmMain::pickerAnchor() const
{
    return pnlTop->mapToGlobal(QPoint(0, pnlTop->height()));
}

void FrmMain::spMList_KeyDown(int& keyCode, int shift)
{
    // Starting to type a number into the empty number cell takes the oldest waiting call instead; the key
    // that started it is spent on that, not left to land in the store cell the cursor moves on to.
    const bool typing = keyCode >= Qt::Key_Space && keyCode <= Qt::Key_AsciiTilde && (shift & 6) == 0;
    if (typing && m_deviceReady && StandbyCount() > 0 && spMList->ActiveCol() == mPhone &&
        ProcessCallerNumber(QString())) {
        keyCode = 0;
        return;
    }
    gridKeyDown(keyCode, shift, &FrmMain::DeleteSelectedOrder);
}

void FrmMain::spDList_KeyDown(int& keyCode, int shift)
{
    gridKeyDown(keyCode, shift, &FrmMain::DeleteSelectedLine);
}

void FrmMain::gridKeyDown(int& keyCode, int shift, void (FrmMain::*deleteSelected)())
{
    if (keyCode == Qt::Key_Return || keyCode == Qt::Key_Enter) {
        m_enterPressed = true;
    } else if (keyCode == Qt::Key_F4 && shift == 0) {
        keyCode = 0;
        (this->*deleteSelected)();
    }
}

void FrmMain::spMList_EditMode(int col, int row, int mode, bool changeMade)
{
    try {
        if (mode == 1) {
            m_cellBefore = GetCellText(spMList, col, row);
            m_storeNameBefore = GetCellText(spMList, mStoreName, row);
            m_enterPressed = false;
            return;
        }
        const int entryRow = spMList->MaxRows();
        const bool savedOrder = row != entryRow;
        if (changeMade) {
            if (col == mPhone && !CheckPhoneText(GetCellText(spMList, col, row))) {
                restoreCell(spMList, col, row);
                spMList->setFocus();
                return;
            }
            if (col == mStore && spDList->MaxRows() > 1) {
                ShowInfo(QStringLiteral("메뉴가 등록된 경우 가맹점은 수정할 수 없습니다.") + kCrLf + kCrLf +
                         QStringLiteral("삭제후 다시 등록하세요."));
                restoreCell(spMList, col, row);
                spMList->setFocus();
                return;
            }
            if (savedOrder) {
                if (!ReallyEdit(spMList, col, row, m_cellBefore))
                    return;
                const auto passed = passedTime(GetCellText(spMList, mOrderNo, row));
                if (!passed || !passed->isEmpty()) {
                    ShowInfo(!passed ? kAlreadyDeleted + kCrLf + kRefreshHint
                                     : kAlreadyPassed + kCrLf + kCancelFirst);
                    restoreCell(spMList, col, row);
                    spMList->setFocus();
                    return;
                }
            }
        }
        const QString text = GetCellText(spMList, col, row);
        if (!(changeMade || (text.isEmpty() && m_enterPressed && (col == mPhone || col == mStore))))
            return;
        m_enterPressed = false;
        bool cancel = false;

        if (col == mPhone) {
            MsgAnswer answer = MsgAnswer::Yes;
            if (savedOrder && !text.isEmpty()) {
                answer = AskYesNoCancel(
                    QStringLiteral("검색창을 띄울까요?") + kCrLf + kCrLf + kCrLf +
                        QStringLiteral("[    예    ]: 검색창을 띄워 고객을 검색합니다.") + kCrLf +
                        QStringLiteral(
                            "                즉, 고객을 잘못 선택한 경우이거나, 동일고객의 이미 저장된 ") +
                        kCrLf +
                        QStringLiteral("                다른 번호를 보면서 선택 할 경우에 응용가능합니다.") +
                        kCrLf + kCrLf +
                        QStringLiteral(
                            "[ 아니오 ]: 동일한 고객으로 인식하고,전화번호를 입력한 대로 수정합니다.") +
                        kCrLf +
                        QStringLiteral("                즉, 전화번호를 잘못 기입한 경우에 해당됩니다.") +
                        kCrLf + kCrLf + QStringLiteral("[ 취   소 ]: 입력자체를 취소합니다."),
                    QString(), MsgAnswer::No);
            }
            if (answer == MsgAnswer::Cancel) {
                cancel = true;
            } else if (answer == MsgAnswer::Yes) {
                QString code;
                const QString phone =
                    PickCustomer(text, code, pickerAnchor(), true, CustomerNumber::Matching);
                spMList->setFocus();
                if (!code.isEmpty()) {
                    spMList->SetText(mCust, row, code);
                    spMList->SetText(mPhone, row, phone);
                    ShowCustomer(code);
                } else {
                    cancel = true;
                    if (!savedOrder)
                        historyFollowsCall(false);
                }
            } else {
                // Same customer, the number was mistyped: rewrite the stored number in its own column.
                const QString code = GetCellText(spMList, mCust, row);
                const QString newNumber = FormatPhone(text);
                if (!CheckStorableText(newNumber)) {
                    restoreCell(spMList, col, row);
                    return;
                }
                spMList->SetText(mPhone, row, newNumber);
                if (!CheckDupAny(QStringLiteral("고객"),
                                 {QStringLiteral("전화1"), QStringLiteral("전화2"), QStringLiteral("전화3"),
                                  QStringLiteral("전화4")},
                                 newNumber, QStringLiteral("코드 = '") + SQLQuote(code) + QLatin1Char('\''),
                                 false, QStringLiteral("전화번호"))) {
                    const bool replaced = ReplaceCustomerPhone(code, m_cellBefore, newNumber);
                    if (!replaced) {
                        ShowInfo(
                            QStringLiteral("해당 고객자료에서 수정전과 동일한 전화번호를 찾을 수 없습니다."));
                        cancel = true;
                    } else {
                        ClearCustomer();
                        ShowCustomer(code);
                    }
                }
            }
        } else if (col == mStore) {
            QString code;
            const QString name = PickStore(text, code, pickerAnchor(), false);
            spMList->setFocus();
            if (!code.isEmpty() && AskStoreOpen(code)) {
                spMList->SetText(mStore, row, code);
                spMList->SetText(mStoreName, row, name);
                ShowStore(code);
            } else {
                cancel = true;
            }
        }
        if (cancel) {
            restoreCell(spMList, col, row);
            return;
        }

        bool saved = false;
        if (savedOrder) {
            QString number = GetCellText(spMList, mOrderNo, row);
            saved = SaveMst(number, col, row, EditorMode::Edit);
            if (col == mStore && saved) {
                spDList->setFocus();
                return;
            }
        } else {
            if (GetCellText(spMList, mStore, row).isEmpty() || GetCellText(spMList, mPhone, row).isEmpty())
                return;
            QString number;
            saved = SaveMst(number, col, row, EditorMode::Add);
            if (saved) {
                spMList->SetText(mOrderNo, row, number);
                LoadLines(number);
                AddMenuLines(number, GetCellText(spMList, mStore, row), GetCellText(spMList, mStoreName, row),
                             QString(), GetCellText(spMList, mCust, row));
                spMList->SetMaxRows(spMList->MaxRows() + 1);
                spMList->SetActiveCell(col, row);
                m_customer->RefreshPoints();
                m_store->RefreshBalance();
            }
        }
        if (!saved) {
            restoreCell(spMList, col, row);
            if (col == mStore) {
                // The old store's name and panel come back with its code.
                spMList->SetText(mStoreName, row, m_storeNameBefore);
                ShowStore(m_cellBefore);
            }
        }
        spMList->setFocus();
    } catch (const DbException& e) {
        ShowStdError(e.info(), QStringLiteral("spMList_EditMode"), kForm, ErrOwner::Form);
    }
}

bool FrmMain::SaveMst(QString& number, int col, int row, EditorMode mode)
{
    try {
        const QString store = GetCellText(spMList, mStore, row);
        if (store.isEmpty()) {
            ShowInfo(FormatMessage(QStringLiteral("%0은(는) 공백이 허용되지 않습니다."),
                                   {QStringLiteral("가맹점")}));
            return false;
        }
        const QString customer = GetCellText(spMList, mCust, row);
        if (customer.isEmpty()) {
            ShowInfo(FormatMessage(QStringLiteral("%0은(는) 공백이 허용되지 않습니다."),
                                   {QStringLiteral("고객")}));
            return false;
        }
        const QString failed = QStringLiteral("주문 자료저장을 실패하였습니다.");
        OrderService::Header header{customer, GetCellText(spMList, mPhone, row), store, Clock::Today(),
                                    Clock::Time().toString(QStringLiteral("HH:mm"))};
        OrderService::Result result;
        bool pointsMoved = false;
        if (mode == EditorMode::Edit) {
            if (col != mPhone && col != mStore) {
                // Only the number and the store of a saved order can change here.
                ShowErrorInfo(failed, {0, QStringLiteral("이 칸은 수정할 수 없습니다.")});
                return false;
            }
            result = OrderService::UpdateOrder(
                number, col == mPhone ? OrderService::HeaderField::Phone : OrderService::HeaderField::Store,
                header, &pointsMoved);
        } else {
            spMList->SetText(mDate, row, header.date.toString(QStringLiteral("yyyy-MM-dd")));
            spMList->SetText(mTime, row, header.time);
            result = OrderService::InsertOrder(header, gTerminalID, number);
        }
        if (result.status == OrderService::Status::Failed)
            ShowErrorInfo(failed, result.error);
        if (!result.ok())
            return false;
        if (pointsMoved)
            m_customer->RefreshPoints();
        return true;
    } catch (const DbException& e) {
        ShowStdError(e.info(), QStringLiteral("SaveMst"), kForm, ErrOwner::Form);
        return false;
    }
}

void FrmMain::DeleteSelectedOrder()
{
    try {
        const int row = spMList->ActiveRow();
        const QString number = row >= 1 ? GetCellText(spMList, mOrderNo, row) : QString();
        if (number.isEmpty()) {
            ShowInfo(QStringLiteral("먼저 그리드에서 삭제할 자료를 선택하세요."));
            return;
        }
        const auto passed = passedTime(number);
        if (passed && !passed->isEmpty()) {
            ShowInfo(kAlreadyPassed + kCrLf + kCancelFirst);
            return;
        }
        if (AskYesNo(QStringLiteral("선택된 주문번호『 ") + number +
                         QStringLiteral(" 』의 『 전체 』 주문내역을 정말로 삭제 하시겠습니까?"),
                     QString(), false) != MsgAnswer::Yes)
            return;
        if (DeleteOrder(number)) {
            DeleteGridRow(spMList, -2, true, true);
            spMList->SetMaxRows(spMList->DataRowCnt() + 1);
            const int active = qBound(1, spMList->ActiveRow(), spMList->MaxRows());
            spMList->SetActiveCell(mPhone, active);
            LoadLines(GetCellText(spMList, mOrderNo, active));
            // The panels follow the row the cursor lands on, not the order that is gone.
            ShowActiveOrderPanels();
            m_customer->RefreshPoints();
            m_store->RefreshBalance();
        }
        spMList->Refresh();
        spMList->setFocus();
    } catch (const DbException& e) {
        ShowStdError(e.info(), QStringLiteral("spMList_KeyDown"), kForm, ErrOwner::Form);
    }
}

void FrmMain::spDList_EditMode(int col, int row, int mode, bool changeMade)
{
    try {
        if (mode == 1) {
            m_cellBefore = GetCellText(spDList, col, row);
            m_enterPressed = false;
            return;
        }
        const int entryRow = spDList->MaxRows();
        const int headerRow = spMList->ActiveRow();
        const QString number =
            row == entryRow ? GetCellText(spMList, mOrderNo, headerRow) : GetCellText(spDList, dOrderNo, row);
        if (changeMade || (col == dMenuName && m_enterPressed)) {
            if (headerRow < 1 || headerRow == spMList->MaxRows() || number.isEmpty()) {
                ShowInfo(QStringLiteral("주문고객과 가맹점을 먼저 입력하세요."));
                restoreCell(spDList, col, row);
                spMList->setFocus();
                return;
            }
            const auto passed = passedTime(number);
            if (!passed) {
                ShowInfo(kAlreadyDeleted + kCrLf + kRefreshHint);
                restoreCell(spDList, col, row);
                spDList->setFocus();
                return;
            }
            if (!passed->isEmpty() &&
                AskYesNo(QStringLiteral("이미 접수 완료된 자료입니다.") + kCrLf + kCrLf +
                             QStringLiteral("그래도, 메뉴내역을 수정하시겠습니까?"),
                         QString(), false) != MsgAnswer::Yes) {
                restoreCell(spDList, col, row);
                spDList->setFocus();
                return;
            }
            if (row < entryRow && !ReallyEdit(spDList, col, row, m_cellBefore))
                return;
        }
        const QString text = GetCellText(spDList, col, row);
        if (!(changeMade || (text.isEmpty() && m_enterPressed && col == dMenuName)))
            return;
        m_enterPressed = false;
        const QString store = GetCellText(spMList, mStore, headerRow);
        const QString storeName = GetCellText(spMList, mStoreName, headerRow);
        const QString customer = GetCellText(spMList, mCust, headerRow);
        bool ok = false;
        if (row < entryRow) {
            if (col == dMenuName) {
                QString code;
                const QString name =
                    PickMenu(store, storeName, text, code, pickerAnchor(), PickChoice::Single);
                spDList->setFocus();
                if (code.isEmpty()) {
                    restoreCell(spDList, col, row);
                    return;
                }
                spDList->SetText(dMenu, row, code);
                spDList->SetText(dMenuName, row, name);
                spDList->SetValue(dPrice, row, OrderReads::MenuPrice(gMainConn, code.toLongLong()));
            }
            int lineNo = GetCellText(spDList, dLineNo, row).toInt();
            ok = SaveDtl(store, number, lineNo, col, row, EditorMode::Edit, customer);
        } else if (col == dMenuName) {
            ok = AddMenuLines(number, store, storeName, text, customer);
            if (!ok)
                spDList->SetText(dMenuName, row, QString());
            spDList->SetActiveCell(dMenuName, spDList->MaxRows());
        } else {
            ShowInfo(QStringLiteral("메뉴명을 먼저 입력하세요."));
        }
        if (ok) {
            m_customer->RefreshPoints();
            m_store->RefreshBalance();
        } else if (row < entryRow || col != dMenuName) {
            restoreCell(spDList, col, row);
            if (col == dMenuName || col == dPrice || col == dQty)
                spDList->Recalc();
        }
        spDList->setFocus();
    } catch (const DbException& e) {
        ShowStdError(e.info(), QStringLiteral("spDList_EditMode"), kForm, ErrOwner::Form);
    }
}

bool FrmMain::SaveDtl(const QString& storeCode, const QString& number, int& lineNo, int col, int row,
                      EditorMode mode, const QString& customerCode)
{
    try {
        // Numbers typed into the grid reach SQL as numbers, never as the text typed.
        OrderService::Line line{
            wholeNumber(GetCellText(spDList, dMenu, row)), wholeNumber(GetCellText(spDList, dQty, row)),
            wholeNumber(GetCellText(spDList, dPrice, row)), GetCellText(spDList, dMemo, row)};
        OrderService::LineResult result;
        if (mode == EditorMode::Edit) {
            OrderService::LineField field = OrderService::LineField::Memo;
            switch (col) {
            case dMenuName:
                field = OrderService::LineField::Menu;
                break;
            case dQty:
                field = OrderService::LineField::Quantity;
                break;
            case dPrice:
                field = OrderService::LineField::Price;
                break;
            case dMemo:
                break;
            default:
                ShowErrorInfo(kLineSaveFailed, {0, QStringLiteral("이 칸은 수정할 수 없습니다.")});
                return false;
            }
            result =
                OrderService::UpdateLine(number, lineNo, field, storeCode, customerCode, line, gPointUnit);
        } else {
            result = OrderService::InsertLine(number, storeCode, customerCode, line, gPointUnit);
            if (result.ok())
                lineNo = result.lineNo;
        }
        if (result.status == OrderService::Status::Failed)
            ShowErrorInfo(kLineSaveFailed, result.error);
        if (!result.ok())
            return false;
        if (col != dMemo)
            spDList->SetValue(dPoint, row, result.points);
        return true;
    } catch (const DbException& e) {
        ShowStdError(e.info(), QStringLiteral("SaveDtl"), kForm, ErrOwner::Form);
        return false;
    }
}

bool FrmMain::AddMenuLines(const QString& number, const QString& storeCode, const QString& storeName,
                           const QString& searchText, const QString& customerCode)
{
    m_menuChoiceList.clear();
    m_menuQty = 0;
    QString firstCode;
    const QString chosen =
        PickMenu(storeCode, storeName, searchText, firstCode, pickerAnchor(), PickChoice::Multiple);
    if (firstCode.isEmpty())
        return false;
    m_menuChoiceList = chosen.mid(1);
    spDList->SetReDraw(false);
    while (!m_menuChoiceList.isEmpty()) {
        qint64 code = -1;
        QString name;
        NextMenuItem(code, name);
        if (name.isEmpty() || code == -1)
            break;
        const int row = spDList->MaxRows();
        spDList->SetText(dMenu, row, QString::number(code));
        spDList->SetText(dMenuName, row, name);
        spDList->SetValue(dQty, row, qint64(m_menuQty));
        spDList->SetValue(dPrice, row, OrderReads::MenuPrice(gMainConn, code));
        int lineNo = 0;
        if (!SaveDtl(storeCode, number, lineNo, dMenu, row, EditorMode::Add, customerCode)) {
            for (int c = dMenu; c <= dLineNo; ++c)
                spDList->SetText(c, row, QString());
            break;
        }
        spDList->SetText(dOrderNo, row, number);
        spDList->SetValue(dLineNo, row, lineNo);
        spDList->SetMaxRows(row + 1);
        spDList->SetCol(dAmount);
        spDList->SetRow(row + 1);
        spDList->SetFormula(QStringLiteral("RC3*RC4"));
        RecomputeLineSums();
    }
    spDList->SetReDraw(true);
    spDList->Recalc();
    return true;
}

void FrmMain::NextMenuItem(qint64& code, QString& name)
{
    code = -1;
    name.clear();
    m_menuQty = 0;
    if (m_menuChoiceList.isEmpty())
        return;
    const QChar nul(0);
    int cut = m_menuChoiceList.indexOf(nul);
    code = qint64(LeadingNumber(cut < 0 ? m_menuChoiceList : m_menuChoiceList.left(cut)));
    m_menuChoiceList = cut < 0 ? QString() : m_menuChoiceList.mid(cut + 1);
    cut = m_menuChoiceList.indexOf(nul);
    name = cut < 0 ? m_menuChoiceList : m_menuChoiceList.left(cut);
    m_menuChoiceList = cut < 0 ? QString() : m_menuChoiceList.mid(cut + 1);
    cut = m_menuChoiceList.indexOf(nul);
    if (cut >= 0) {
        m_menuQty = LeadingNumber(m_menuChoiceList.left(cut));
        m_menuChoiceList = m_menuChoiceList.mid(cut + 1);
    } else {
        m_menuQty = LeadingNumber(m_menuChoiceList);
        m_menuChoiceList.clear();
    }
    // A menu picked without typing a quantity is one portion.
    if (m_menuQty <= 0)
        m_menuQty = 1;
}

void FrmMain::DeleteSelectedLine()
{
    try {
        const int row = spDList->ActiveRow();
        const QString number = row >= 1 ? GetCellText(spDList, dOrderNo, row) : QString();
        const int lineNo = row >= 1 && !GetCellText(spDList, dLineNo, row).isEmpty()
                               ? GetCellText(spDList, dLineNo, row).toInt()
                               : -1;
        if (number.isEmpty() || lineNo < 1) {
            ShowInfo(QStringLiteral("먼저 그리드에서 삭제할 자료를 선택하세요."));
            return;
        }
        const auto passed = passedTime(number);
        if (passed && !passed->isEmpty()) {
            ShowInfo(kAlreadyPassed + kCrLf + kCancelFirst);
            return;
        }
        if (AskYesNo(QStringLiteral("선택된 주문메뉴『 ") + GetCellText(spDList, dMenuName, row) +
                         QStringLiteral(" 』를 정말로 삭제 하시겠습니까?"),
                     QString(), true) != MsgAnswer::Yes)
            return;
        const OrderService::DeleteResult result = OrderService::DeleteLine(number, lineNo);
        switch (result.status) {
        case OrderService::DeleteStatus::Deleted:
            break;
        case OrderService::DeleteStatus::AlreadyGone:
            ShowInfo(kAlreadyDeleted);
            return;
        case OrderService::DeleteStatus::NotDeleted:
            ShowInfo(FormatMessage(
                QStringLiteral("코드『%0』에 해당하는 자료를 삭제 할 수 없습니다.") + kCrLf + kCrLf +
                    QStringLiteral("이미 삭제되었거나, 삭제할 수 없는 경우가 발생했습니다."),
                {number}));
            return;
        case OrderService::DeleteStatus::Failed:
            ShowPlain(QStringLiteral("Error ") + QString::number(result.error.number) + QStringLiteral(": ") +
                      result.error.description);
            return;
        case OrderService::DeleteStatus::Reported:
            return;
        }
        // The line's row goes; the grid is read back so the sums and the entry row follow.
        const int keepRow = row;
        LoadLines(number);
        MyFloatMsg(QStringLiteral("자료를 삭제하였습니다."));
        spDList->SetActiveCell(dMenuName, qMin(keepRow, spDList->MaxRows()));
        m_customer->RefreshPoints();
        m_store->RefreshBalance();
        spDList->Refresh();
        spDList->setFocus();
    } catch (const DbException& e) {
        ShowStdError(e.info(), QStringLiteral("spDList_KeyDown"), kForm, ErrOwner::Form);
    }
}
