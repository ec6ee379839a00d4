#include "reception/ReceiptOrder.h"

#include "db/Recordset.h"
#include "db/modDBQuery.h"

#include <cmath>

namespace {
// Whole won of a stored figure; commissions are stored as reals but always hold whole won.
qint64 wholeNumber(const QVariant& value)
{
    if (value.isNull())
        return 0;
    const double d = value.toDouble();
    return std::isfinite(d) ? std::llround(d) : 0;
}
} // namespace

std::optional<ReceiptOrder> LoadReceiptOrder(const QString& orderNumber)
{
    if (orderNumber.isEmpty())
        return std::nullopt;
    const QString key = QLatin1Char('\'') + SQLQuote(orderNumber) + QLatin1Char('\'');
    Recordset head;
    const int found = OpenQuery(
        head,
        QStringLiteral("SELECT o.주문번호, o.주문시전화, o.가맹점코드, o.주문일자, o.주문시간, o.통보시간, "
                       "m.상호, m.전화1, c.주소1, c.주소2 FROM"
                       " ((주문 AS o INNER JOIN 가맹점 AS m ON o.가맹점코드 = m.코드)"
                       " INNER JOIN 고객 AS c ON o.고객코드 = c.코드)"
                       " WHERE 주문번호 = ") +
            key);
    if (found <= 0)
        return std::nullopt;
    ReceiptOrder order;
    order.orderNumber = head.text(QStringLiteral("주문번호"));
    order.callerPhone = head.text(QStringLiteral("주문시전화"));
    order.storeCode = head.text(QStringLiteral("가맹점코드"));
    order.orderDate = head.text(QStringLiteral("주문일자"));
    order.orderTime = head.text(QStringLiteral("주문시간"));
    order.passedOnTime = head.text(QStringLiteral("통보시간"));
    order.storeName = head.text(QStringLiteral("상호"));
    order.storePhone = head.text(QStringLiteral("전화1"));
    order.address1 = head.text(QStringLiteral("주소1"));
    order.address2 = head.text(QStringLiteral("주소2"));
    head.close();

    // By line number, so a reprint lists the lines as the order screen showed them.
    Recordset lines;
    if (OpenQuery(lines, QStringLiteral("SELECT o.*, m.메뉴명 FROM 주문내역 AS o INNER JOIN 취급메뉴 AS m"
                                        " ON o.주문메뉴 = m.코드 WHERE 주문번호 = ") +
                             key + QStringLiteral(" ORDER BY o.순번")) > 0) {
        for (lines.MoveFirst(); !lines.EOF_(); lines.MoveNext()) {
            ReceiptOrder::Line line;
            line.menuName = lines.text(QStringLiteral("메뉴명"));
            line.quantity = wholeNumber(lines.value(QStringLiteral("수량")));
            line.amount = wholeNumber(lines.value(QStringLiteral("금액")));
            line.commission = wholeNumber(lines.value(QStringLiteral("수수료")));
            order.lines.append(line);
        }
    }
    lines.close();
    return order;
}
