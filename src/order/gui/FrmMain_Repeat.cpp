// The caller's recent orders beside the order list, and taking one of them again (F6).
#include "order/gui/FrmMain.h"

#include "order/gui/FrmMainColumns.h"

#include "app/Clock.h"
#include "app/Globals.h"
#include "db/DbError.h"
#include "db/MduAdoDB.h"
#include "masters/gui/CustomerPanel.h"
#include "masters/gui/StorePanel.h"
#include "order/OrderHistory.h"
#include "order/OrderService.h"
#include "order/gui/HistoryPanel.h"
#include "ui/MsgBox.h"
#include "ui/TextUtil.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modSpread60.h"

#include <QApplication>
#include <QShortcut>

using namespace FrmMainCols;

namespace {
const QString kTitle = QStringLiteral("재주문");
}

void FrmMain::wireRepeat()
{
    // Window shortcuts: the cursor stays in whichever grid cell the operator left it.
    auto* repeat = new QShortcut(QKeySequence(Qt::Key_F6), this);
    connect(repeat, &QShortcut::activated, this, &FrmMain::RepeatOrder);
    auto* choose = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6), this);
    connect(choose, &QShortcut::activated, this, [this] { m_history->ChooseNext(); });
}

void FrmMain::historyFollowsCall(bool known)
{
    if (known)
        m_history->ShowCustomer(m_customer->Code());
    else
        m_history->Clear();
}

void FrmMain::RepeatOrder()
{
    try {
        // Keys typed into a cell belong to that cell; a question already open answers first.
        if (QApplication::activeModalWidget() || spMList->EditTyped() || spDList->EditTyped())
            return;
        const int row = spMList->MaxRows();
        const QString customer = GetCellText(spMList, mCust, row);
        const QString phone = GetCellText(spMList, mPhone, row);
        if (customer.isEmpty() || phone.isEmpty() || !GetCellText(spMList, mStore, row).isEmpty() ||
            customer != m_history->Customer()) {
            ShowInfo(QStringLiteral("재주문은 고객의 전화번호가 입력된 새 주문 줄에서 할 수 있습니다."));
            return;
        }
        const int chosen = m_history->Chosen();
        if (chosen < 0) {
            ShowInfo(QStringLiteral("이 고객의 이전 주문이 없습니다."));
            return;
        }
        const OrderHistory::PastOrder past = m_history->Orders().at(chosen);
        if (AskYesNo(QStringLiteral("『") + past.date + QLatin1Char(' ') + past.storeName +
                         QStringLiteral("』의 주문을 그대로 다시 주문하시겠습니까?") + kCrLf + kCrLf +
                         past.menusText() + QStringLiteral(" (") + FormatThousands(past.amount()) +
                         QStringLiteral("원)"),
                     kTitle, false) != MsgAnswer::Yes)
            return;
        if (!AskStoreOpen(past.store))
            return;
        const OrderHistory::RepeatPlan plan = OrderHistory::PlanRepeat(gMainConn, past);
        if (plan.lines.isEmpty()) {
            ShowInfo(QStringLiteral("그 주문의 메뉴가 가맹점에 더 이상 없습니다.") + kCrLf +
                     plan.gone.join(QStringLiteral(", ")));
            return;
        }
        if (!plan.gone.isEmpty() || !plan.repriced.isEmpty()) {
            QString text;
            if (!plan.gone.isEmpty())
                text += QStringLiteral("없어진 메뉴(빼고 주문합니다): ") +
                        plan.gone.join(QStringLiteral(", ")) + kCrLf;
            if (!plan.repriced.isEmpty())
                text += QStringLiteral("가격이 바뀐 메뉴(오늘 가격으로 주문합니다): ") +
                        plan.repriced.join(QStringLiteral(", ")) + kCrLf;
            if (AskYesNo(text + kCrLf + QStringLiteral("그래도, 처리하시겠습니까?"), kTitle, false) !=
                MsgAnswer::Yes)
                return;
        }
        QList<OrderService::Line> lines;
        for (const OrderHistory::RepeatLine& l : plan.lines)
            lines.append({l.menu, l.quantity, l.price, QString()});
        const OrderService::Header header{customer, phone, past.store, Clock::Today(),
                                          Clock::Time().toString(QStringLiteral("HH:mm"))};
        QString number;
        const OrderService::Result result =
            OrderService::InsertOrderWithLines(header, gTerminalID, lines, gPointUnit, number);
        if (result.status == OrderService::Status::Failed)
            ShowErrorInfo(QStringLiteral("주문 자료저장을 실패하였습니다."), result.error);
        if (!result.ok())
            return;
        // The entry row becomes the saved order, as after a typed one, and a new entry row follows.
        spMList->SetText(mStore, row, past.store);
        spMList->SetText(mStoreName, row, past.storeName);
        spMList->SetText(mOrderNo, row, number);
        spMList->SetText(mDate, row, header.date.toString(QStringLiteral("yyyy-MM-dd")));
        spMList->SetText(mTime, row, header.time);
        spMList->SetMaxRows(spMList->MaxRows() + 1);
        spMList->SetActiveCell(mStore, row);
        LoadLines(number);
        ShowStore(past.store);
        m_customer->RefreshPoints();
        m_store->RefreshBalance();
        m_history->Reload();
        m_history->Choose(0);
        MyFloatMsg(QStringLiteral("자료가 저장되었습니다."));
        spMList->setFocus();
    } catch (const DbException& e) {
        ShowStdError(e.info(), QStringLiteral("RepeatOrder"), QStringLiteral("FrmMain"), ErrOwner::Form);
    }
}
