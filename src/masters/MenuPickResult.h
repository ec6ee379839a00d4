#pragma once

#include <QList>
#include <QString>

#include <optional>

// Builds the result text of the menu picker: records NUL 코드 NUL 메뉴명 NUL 수량, in grid order.

struct MenuPickRow
{
    QString code;
    QString name;
    QString quantity; // the 수량 cell as it stands, possibly empty
};

// The whole quantity a 수량 cell holds when it counts as ordered (above 0), otherwise nothing.
// "1,000" reads as 1000; fractions, negative numbers and text never count.
std::optional<qint64> OrderedQuantity(const QString& quantityText);

// One record: NUL code NUL name NUL quantity.
QString MenuPickRecord(const QString& code, const QString& name, const QString& quantity);

// Every row with an ordered quantity contributes its record (the quantity written as a plain whole
// number); when none does, the active row (1-based index into rows) alone contributes, with its
// quantity when it has one and an empty quantity otherwise. "" when there are no rows or the active row is
// out of range and none contributed.
QString BuildMenuPickResult(const QList<MenuPickRow>& rows, int activeRow);
