#include "masters/MenuPickResult.h"

#include "ui/TextUtil.h"

#include <cmath>

std::optional<qint64> OrderedQuantity(const QString& quantityText)
{
    const std::optional<double> v = ParseNumber(quantityText, false);
    if (!v || *v <= 0 || *v != std::floor(*v) || *v > 1e9)
        return std::nullopt;
    return qint64(*v);
}

QString MenuPickRecord(const QString& code, const QString& name, const QString& quantity)
{
    return kNul + code + kNul + name + kNul + quantity;
}

QString BuildMenuPickResult(const QList<MenuPickRow>& rows, int activeRow)
{
    QString result;
    for (const MenuPickRow& row : rows) {
        if (const auto q = OrderedQuantity(row.quantity))
            result += MenuPickRecord(row.code, row.name, QString::number(*q));
    }
    if (result.isEmpty() && activeRow >= 1 && activeRow <= rows.size()) {
        // A quantity that orders nothing (0, negative, text) is handed on as no quantity at all.
        const MenuPickRow& row = rows.at(activeRow - 1);
        const auto q = OrderedQuantity(row.quantity);
        result = MenuPickRecord(row.code, row.name, q ? QString::number(*q) : QString());
    }
    return result;
}
