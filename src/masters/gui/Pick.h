#pragma once

#include <QPoint>
#include <QString>

// The find-or-register flow of the record operations over the picker and editor screens.

// Which of the chosen customer's numbers PickCustomer hands back.
enum class CustomerNumber
{
    // The number that matched the search text.
    Matching,
    // The customer's first number.
    First,
};

// Whether PickMenu takes one menu or a list of menus with quantities.
enum class PickChoice
{
    Single,
    Multiple,
};

// Second field of the chosen record ("" when nothing was chosen); its code goes to `code`.
QString PickRecord(const QString& itemName, const QString& pickerName, const QString& editorName,
                   const QString& searchText, QString& code, QPoint anchor, bool allowRegister,
                   const QString& extra = {});
// The chosen customer's telephone number.
QString PickCustomer(const QString& searchText, QString& code, QPoint anchor, bool allowRegister,
                     CustomerNumber number = CustomerNumber::Matching);
// The chosen store's name.
QString PickStore(const QString& searchText, QString& code, QPoint anchor, bool allowRegister);
// The chosen menu's name, or with PickChoice::Multiple the whole multiple-choice result.
QString PickMenu(const QString& storeArg1, const QString& storeArg2, const QString& searchText, QString& code,
                 QPoint anchor, PickChoice choice);
