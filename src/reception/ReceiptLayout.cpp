#include "reception/ReceiptLayout.h"

#include "ui/TextUtil.h"

#include <algorithm>

namespace {
constexpr int kRuleFrom = 2;
constexpr int kRuleTo = 41;
constexpr int kPaperCols = 43;

void rule(CellPage& page, int row, int width)
{
    page.PrtLine(row, kRuleFrom, row, kRuleTo, width);
}

// A number right-aligned in its field. One wider than the field is never cut (a cut amount would print a
// wrong sum): it keeps its right edge and reaches into the gap on its left.
void number(CellPage& page, int row, int col, int width, const QString& text)
{
    const int over = std::max(LenByte(text) - width, 0);
    page.PrtText(row, std::max(col - over, 1), over > 0 ? text : LPad(text, width));
}
} // namespace

QString FormatOrderNumber(const QString& orderNumber)
{
    if (orderNumber.size() != 10)
        return orderNumber;
    for (const QChar c : orderNumber)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return orderNumber;
    return orderNumber.left(6) + QLatin1Char('-') + orderNumber.mid(6, 1) + QLatin1Char('-') +
           orderNumber.mid(7);
}

CellPage BuildReceipt(const ReceiptOrder& order, const QString& centreName, ReceiptTarget target)
{
    CellPage page;
    page.PrtText(1, 16, QStringLiteral("주문내역"), 14, true);
    page.PrtLine(2, 14, 2, 28, 1);
    page.PrtFontSize(10);
    rule(page, 3, 1);
    page.PrtText(4, 2, QStringLiteral("*주문일시: ") + order.orderDate + QLatin1Char(' ') + order.orderTime);
    page.PrtText(5, 2,
                 QStringLiteral("*주문번호: ") + FormatOrderNumber(order.orderNumber) +
                     QStringLiteral(" *접수 ") + order.passedOnTime);
    page.PrtText(6, 2, QStringLiteral("*주 문 자: ") + order.callerPhone);
    page.PrtText(7, 3, order.address1);
    page.PrtText(8, 3, order.address2);
    page.PrtText(9, 2, QStringLiteral("*가 맹 점: ") + order.storeCode + QLatin1Char(' ') + order.storeName);
    page.PrtText(10, 2, QStringLiteral(" 전    화: ") + order.storePhone);
    rule(page, 11, 2);
    page.PrtText(12, 5, QStringLiteral("메뉴명"), 0, true);
    page.PrtText(12, 20, QStringLiteral("수량"), 0, true);
    page.PrtText(12, 27, QStringLiteral("금액"), 0, true);
    page.PrtText(12, 34, QStringLiteral("수수료"), 0, true);
    rule(page, 13, 2);

    // Whole won and pieces, summed exactly.
    qint64 quantity = 0;
    qint64 amount = 0;
    qint64 commission = 0;
    int r = 14;
    for (const ReceiptOrder::Line& line : order.lines) {
        page.PrtText(r, 3, LeftByte(line.menuName, 17));
        number(page, r, 21, 2, QString::number(line.quantity));
        number(page, r, 25, 7, FormatThousands(line.amount));
        number(page, r, 34, 6, FormatThousands(line.commission));
        quantity += line.quantity;
        amount += line.amount;
        commission += line.commission;
        ++r;
    }

    rule(page, r, 1);
    page.PrtText(r + 1, 6, QStringLiteral("합계"), 0, true);
    number(page, r + 1, 19, 4, QString::number(quantity));
    number(page, r + 1, 25, 7, FormatThousands(amount));
    number(page, r + 1, 34, 6, FormatThousands(commission));
    rule(page, r + 2, 2);
    page.PrtText(r + 3, 3, centreName, 10, true);
    page.PrtText(r + 4, 2, QString());
    if (target == ReceiptTarget::Preview)
        page.PrtLine(0, 0, r + 5, kPaperCols, 2, QColor(180, 180, 180), true);
    return page;
}
