// Order entry on the main screen: headers in spMList, lines in spDList, and their deletion.
#include "order/FrmMain.h"

#include "order/FrmMainColumns.h"

#include "app/Clock.h"
#include "app/Globals.h"
#include "db/DbError.h"
#include "db/modDBQuery.h"
#include "db/modMain_SQL.h"
#include "masters/Pick.h"
#include "order/CheckStoreOpen.h"
#include "order/OrderCharges.h"
#include "order/modSeeID.h"
#include "ui/MsgBox.h"
#include "ui/SpreadGrid.h"
#include "ui/TextUtil.h"
#include "ui/modSpread60.h"

#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <optional>

using namespace FrmMainCols;

namespace {
// A number taken by another seat between reading and writing is retried this many times.
constexpr int kNumberAttempts = 9;
const QString kForm = QStringLiteral("FrmMain");

const QString kAlreadyDeleted = QStringLiteral("해당 주문메뉴는 이미 삭제 되었습니다.");
const QString kRefreshHint = QStringLiteral("새로고침(F5)을 하여 화면을 갱신하세요.");
const QString kAlreadyPassed = QStringLiteral("이미 접수완료 되었습니다.");
const QString kCancelFirst = QStringLiteral("접수 취소 처리를 먼저 하세요.");

QString q(const QString& text)
{
    return SQLQuote(text);
}

// The order's 통보시간; nullopt when the order is gone.
std::optional<QString> passedTime(const QString& number)
{
    const QVariant v = GetFirstValue(QStringLiteral("SELECT 통보시간 FROM 주문 WHERE 주문번호 = '") +
                                     q(number) + QLatin1Char('\''));
    if (v.isNull()) {
        // An existing order with a Null time counts as not passed on.
        if (CountRows(QStringLiteral("주문"),
                      QStringLiteral("주문번호 = '") + q(number) + QLatin1Char('\'')) == 0)
            return std::nullopt;
        return QString();
    }
    return v.toString();
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
            if (m_cellBefore.isEmpty() && col == mPhone && m_deviceReady && StandbyCount() > 0) {
                // The oldest waiting call fills the cell once this edit has properly begun.
                QTimer::singleShot(0, this, [this] { ProcessCallerNumber(QString()); });
            }
            return;
        }
        const int entryRow = spMList->MaxRows();
        const bool savedOrder = row != entryRow;
        if (changeMade) {
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
                const QString phone = PickCustomer(text, code, pickerAnchor(), true, CustomerNumber::Matching);
                spMList->setFocus();
                if (!code.isEmpty()) {
                    spMList->SetText(mCust, row, code);
                    spMList->SetText(mPhone, row, phone);
                    ShowCustomer(code);
                } else {
                    cancel = true;
                }
            } else {
                // Same customer, the number was mistyped: rewrite the stored number in its own column.
                const QString code = GetCellText(spMList, mCust, row);
                const QString newNumber = FormatPhone(text);
                spMList->SetText(mPhone, row, newNumber);
                if (!CheckDupAny(QStringLiteral("고객"),
                                 {QStringLiteral("전화1"), QStringLiteral("전화2"), QStringLiteral("전화3"),
                                  QStringLiteral("전화4")},
                                 newNumber, QStringLiteral("코드 = '") + q(code) + QLatin1Char('\''), false,
                                 QStringLiteral("전화번호"))) {
                    bool replaced = false;
                    for (int i = 1; i <= 4 && !replaced; ++i) {
                        const int n = ExecSQL(QStringLiteral("UPDATE 고객 SET 전화") + QString::number(i) +
                                              QStringLiteral("= '") + q(newNumber) +
                                              QStringLiteral("' WHERE 코드 = '") + q(code) +
                                              QStringLiteral("' AND 전화") + QString::number(i) +
                                              QStringLiteral(" = '") + q(m_cellBefore) + QLatin1Char('\''));
                        replaced = n == 1;
                    }
                    if (!replaced) {
                        ShowInfo(
                            QStringLiteral("해당 고객자료에서 수정전과 동일한 전화번호를 찾을 수 없습니다."));
                        cancel = true;
                    } else {
                        txtCustID->clear();
                        ShowCustomer(code);
                    }
                }
            }
        } else if (col == mStore) {
            QString code;
            const QString name = PickStore(text, code, pickerAnchor(), false);
            spMList->setFocus();
            if (!code.isEmpty() && CheckStoreOpen(code)) {
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
            saved = SaveMst(number, col, row, 2);
            if (col == mStore && saved) {
                spDList->setFocus();
                return;
            }
        } else {
            if (GetCellText(spMList, mStore, row).isEmpty() || GetCellText(spMList, mPhone, row).isEmpty())
                return;
            QString number;
            saved = SaveMst(number, col, row, 1);
            if (saved) {
                spMList->SetText(mOrderNo, row, number);
                LoadLines(number);
                AddMenuLines(number, GetCellText(spMList, mStore, row), GetCellText(spMList, mStoreName, row),
                             QString(), GetCellText(spMList, mCust, row));
                spMList->SetMaxRows(spMList->MaxRows() + 1);
                spMList->SetActiveCell(col, row);
                RefreshCustPoint(txtCustID->text());
                RefreshStoreBalance(pnlMembCode->text());
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

bool FrmMain::SaveMst(QString& number, int col, int row, int mode)
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
        const QString phone = GetCellText(spMList, mPhone, row);
        QString sql;
        QString previousCustomer;
        if (mode == 2) {
            if (col == mPhone) {
                sql = QStringLiteral("UPDATE 주문 SET 주문시전화 = '") + q(phone) + QLatin1Char('\'');
                previousCustomer =
                    NullToStr(GetFirstValue(QStringLiteral("SELECT 고객코드 FROM 주문 WHERE 주문번호 = '") +
                                            q(number) + QLatin1Char('\'')));
                if (previousCustomer != customer)
                    sql += QStringLiteral(", 고객코드 = '") + q(customer) + QLatin1Char('\'');
                else
                    previousCustomer.clear();
            } else if (col == mStore) {
                sql = QStringLiteral("UPDATE 주문 SET 가맹점코드 = '") + q(store) + QLatin1Char('\'');
            } else {
                // Only the number and the store of a saved order can change here.
                ShowErrorInfo(QStringLiteral("주문 자료저장을 실패하였습니다."),
                              {0, QStringLiteral("이 칸은 수정할 수 없습니다.")});
                return false;
            }
            sql += QStringLiteral(" WHERE 주문번호 = '") + q(number) + QLatin1Char('\'');
        } else {
            spMList->SetText(mDate, row, Clock::Today().toString(QStringLiteral("yyyy-MM-dd")));
            spMList->SetText(mTime, row, Clock::Time().toString(QStringLiteral("HH:mm")));
        }
        const QString failed = QStringLiteral("주문 자료저장을 실패하였습니다.");
        // The header change and the transfer of the order's points to its new customer are one unit. A new
        // order's number is read inside the same write, which holds the write lock from its start: two seats
        // sharing a terminal number never take the same one. Should the number still be taken by the time the
        // row goes in, the next one is tried.
        std::optional<DbTransaction> t;
        for (int attempt = 0;; ++attempt) {
            t.emplace(gMainConn);
            if (!t->active()) {
                ShowErrorInfo(failed, t->error());
                return false;
            }
            if (mode != 2) {
                number = NextCode(QStringLiteral("주문"), QStringLiteral("주문번호"), 10,
                                  OrderCharges::OrderNumberPrefix(Clock::Today(), gTerminalID));
                if (number.isEmpty())
                    return false;
                sql = QStringLiteral("INSERT INTO 주문 (주문번호, 고객코드, 주문시전화, 가맹점코드, 주문일자, "
                                     "주문시간, 통보시간)") +
                      QStringLiteral(" VALUES ( '") + q(number) + QStringLiteral("','") + q(customer) +
                      QStringLiteral("','") + q(phone) + QStringLiteral("','") + q(store) +
                      QStringLiteral("','") + GetCellText(spMList, mDate, row) + QStringLiteral("','") +
                      GetCellText(spMList, mTime, row) + QStringLiteral("','' )");
            }
            const DbConnection::ExecResult r = gMainConn.exec(sql);
            if (r.ok && r.rowsAffected > 0)
                break;
            t->rollback();
            if (mode != 2 && !r.ok && attempt < kNumberAttempts &&
                CountRows(QStringLiteral("주문"), QStringLiteral("주문번호 = '") + q(number) + QLatin1Char('\'')) > 0)
                continue;
            ShowErrorInfo(failed, r.ok ? ErrInfo{0, QStringLiteral("저장된 자료가 없습니다.")} : r.error);
            return false;
        }
        bool transferred = false;
        if (!previousCustomer.isEmpty()) {
            const qint64 points = wholeNumber(NullToStr(
                GetFirstValue(QStringLiteral("SELECT SUM(포인트) FROM 주문내역 WHERE 주문번호 = '") +
                              q(number) + QLatin1Char('\''))));
            if (points != 0) {
                if (!AdjustPoints(customer, points) || !AdjustPoints(previousCustomer, -points))
                    return false;
                transferred = true;
            }
        }
        if (!t->commit()) {
            ShowErrorInfo(failed, t->error());
            return false;
        }
        if (transferred)
            RefreshCustPoint(txtCustID->text());
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
            RefreshCustPoint(txtCustID->text());
            RefreshStoreBalance(pnlMembCode->text());
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
                const QString name = PickMenu(store, storeName, text, code, pickerAnchor(), PickChoice::Single);
                spDList->setFocus();
                if (code.isEmpty()) {
                    restoreCell(spDList, col, row);
                    return;
                }
                spDList->SetText(dMenu, row, code);
                spDList->SetText(dMenuName, row, name);
                spDList->SetValue(
                    dPrice, row,
                    GetFirstValue(QStringLiteral("SELECT 판매단가 FROM 취급메뉴 WHERE 코드 = ") +
                                  QString::number(code.toLongLong())));
            }
            int lineNo = GetCellText(spDList, dLineNo, row).toInt();
            ok = SaveDtl(store, number, lineNo, col, row, 2, customer);
        } else if (col == dMenuName) {
            ok = AddMenuLines(number, store, storeName, text, customer);
            if (!ok)
                spDList->SetText(dMenuName, row, QString());
            spDList->SetActiveCell(dMenuName, spDList->MaxRows());
        } else {
            ShowInfo(QStringLiteral("메뉴명을 먼저 입력하세요."));
        }
        if (ok) {
            RefreshCustPoint(txtCustID->text());
            RefreshStoreBalance(pnlMembCode->text());
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
                      int mode, const QString& customerCode)
{
    try {
        // Numbers typed into the grid reach SQL as numbers, never as the text typed.
        const qint64 qty = wholeNumber(GetCellText(spDList, dQty, row));
        const qint64 price = wholeNumber(GetCellText(spDList, dPrice, row));
        const qint64 menu = wholeNumber(GetCellText(spDList, dMenu, row));
        const qint64 amount = qty * price;
        const QString memo = GetCellText(spDList, dMemo, row);
        DbTransaction t(gMainConn);
        if (!t.active()) {
            ShowErrorInfo(QStringLiteral("주문내역 자료저장을 실패하였습니다."), t.error());
            return false;
        }
        QString sql;
        qint64 dP = 0;
        double dC = 0;
        qint64 points = 0;
        if (mode == 2) {
            sql = QStringLiteral("UPDATE 주문내역 SET");
            switch (col) {
            case dMenuName:
                sql += QStringLiteral(" 주문메뉴 = ") + QString::number(menu) + QStringLiteral(",단가 = ") +
                       QString::number(price);
                break;
            case dQty:
                sql += QStringLiteral(" 수량 = ") + QString::number(qty);
                break;
            case dPrice:
                sql += QStringLiteral(" 단가 = ") + QString::number(price);
                break;
            case dMemo:
                sql += QStringLiteral(" 메모 = '") + q(memo) + QLatin1Char('\'');
                break;
            default:
                ShowErrorInfo(QStringLiteral("주문내역 자료저장을 실패하였습니다."),
                              {0, QStringLiteral("이 칸은 수정할 수 없습니다.")});
                return false;
            }
            if (col != dMemo) {
                Recordset old;
                double oldCommission = 0;
                qint64 oldPoints = 0;
                if (OpenQuery(old, QStringLiteral("SELECT 수수료, 포인트 FROM 주문내역") +
                                       QStringLiteral(" WHERE 주문번호 = '") + q(number) +
                                       QStringLiteral("'   AND 순번 = ") + QString::number(lineNo)) > 0) {
                    oldCommission = old.value(0).toDouble();
                    oldPoints = old.value(1).toLongLong();
                }
                points = OrderCharges::LinePoints(amount, gPointUnit);
                dP = points - oldPoints;
                const double rate =
                    GetFirstValue(QStringLiteral("SELECT 수수료율 FROM 가맹점 WHERE 코드 = '") +
                                  q(storeCode) + QLatin1Char('\''))
                        .toDouble();
                dC = double(OrderCharges::LineCommission(rate, amount)) - oldCommission;
                sql += QStringLiteral(",금액 = ") + QString::number(amount);
                if (dC != 0)
                    sql += QStringLiteral(",수수료 = 수수료 + ") + SqlNumber(dC);
                if (dP != 0)
                    sql += QStringLiteral(",포인트 = 포인트 + ") + QString::number(dP);
            }
            sql += QStringLiteral(" WHERE 주문번호 = '") + q(number) + QStringLiteral("' AND 순번 = ") +
                   QString::number(lineNo);
        } else {
            lineNo = NextNumber(QStringLiteral("주문내역"), QStringLiteral("순번"),
                                QStringLiteral("주문번호 = '") + q(number) + QLatin1Char('\''));
            points = OrderCharges::LinePoints(amount, gPointUnit);
            const double rate = GetFirstValue(QStringLiteral("SELECT 수수료율 FROM 가맹점 WHERE 코드 = '") +
                                              q(storeCode) + QLatin1Char('\''))
                                    .toDouble();
            dC = double(OrderCharges::LineCommission(rate, amount));
            dP = points;
            sql = QStringLiteral("INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, "
                                 "메모, 포인트)") +
                  QStringLiteral(" VALUES ( '") + q(number) + QStringLiteral("', ") +
                  QString::number(lineNo) + QStringLiteral(", ") + QString::number(menu) +
                  QStringLiteral(", ") + QString::number(qty) + QStringLiteral(", ") +
                  QString::number(price) + QStringLiteral(", ") + QString::number(amount) +
                  QStringLiteral(", ") + SqlNumber(dC) + QStringLiteral(",'") + q(memo) +
                  QStringLiteral("', ") + QString::number(points) + QStringLiteral(" )");
        }
        const DbConnection::ExecResult r = gMainConn.exec(sql);
        if (!r.ok || r.rowsAffected == 0) {
            ShowErrorInfo(QStringLiteral("주문내역 자료저장을 실패하였습니다."),
                          r.ok ? ErrInfo{0, QStringLiteral("저장된 자료가 없습니다.")} : r.error);
            return false;
        }
        // The line and both postings stand or fall together.
        if (!AdjustBalance(storeCode, dC) || !AdjustPoints(customerCode, dP))
            return false;
        if (!t.commit()) {
            ShowErrorInfo(QStringLiteral("주문내역 자료저장을 실패하였습니다."), t.error());
            return false;
        }
        if (col != dMemo)
            spDList->SetValue(dPoint, row, points);
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
    const QString chosen = PickMenu(storeCode, storeName, searchText, firstCode, pickerAnchor(), PickChoice::Multiple);
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
        spDList->SetValue(dPrice, row,
                          GetFirstValue(QStringLiteral("SELECT 판매단가 FROM 취급메뉴 WHERE 코드 = ") +
                                        QString::number(code)));
        int lineNo = 0;
        if (!SaveDtl(storeCode, number, lineNo, dMenu, row, 1, customerCode)) {
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
        DbTransaction t(gMainConn);
        Recordset rs;
        if (OpenQuery(
                rs, QStringLiteral("SELECT 가맹점코드, 수수료, 고객코드, 포인트") +
                        QStringLiteral(" FROM 주문 LEFT JOIN 주문내역 ON 주문.주문번호 = 주문내역.주문번호") +
                        QStringLiteral(" WHERE 주문내역.주문번호 = '") + q(number) + QLatin1Char('\'') +
                        QStringLiteral(" AND 주문내역.순번 = ") + QString::number(lineNo)) <= 0) {
            t.rollback();
            ShowInfo(kAlreadyDeleted);
            return;
        }
        const QString store = rs.text(QStringLiteral("가맹점코드"));
        const QString customer = rs.text(QStringLiteral("고객코드"));
        const double commission = rs.value(QStringLiteral("수수료")).toDouble();
        const qint64 points = wholeNumber(rs.text(QStringLiteral("포인트")));
        rs.close();
        const int n = ExecSQL(QStringLiteral("DELETE FROM 주문내역 WHERE 주문번호 = '") + q(number) +
                              QStringLiteral("' AND 순번 = ") + QString::number(lineNo));
        if (n < 0)
            return;
        if (n == 0) {
            t.rollback();
            ShowInfo(FormatMessage(
                QStringLiteral("코드『%0』에 해당하는 자료를 삭제 할 수 없습니다.") + kCrLf + kCrLf +
                    QStringLiteral("이미 삭제되었거나, 삭제할 수 없는 경우가 발생했습니다."),
                {number}));
            return;
        }
        if (!AdjustBalance(store, -commission) || !AdjustPoints(customer, -points))
            return;
        if (!t.commit()) {
            ShowErrorInfo(QStringLiteral("주문내역 자료저장을 실패하였습니다."), t.error());
            return;
        }
        // The line's row goes; the grid is read back so the sums and the entry row follow.
        const int keepRow = row;
        LoadLines(number);
        MyFloatMsg(QStringLiteral("자료를 삭제하였습니다."));
        spDList->SetActiveCell(dMenuName, qMin(keepRow, spDList->MaxRows()));
        RefreshCustPoint(txtCustID->text());
        RefreshStoreBalance(pnlMembCode->text());
        spDList->Refresh();
        spDList->setFocus();
    } catch (const DbException& e) {
        ShowStdError(e.info(), QStringLiteral("spDList_KeyDown"), kForm, ErrOwner::Form);
    }
}
