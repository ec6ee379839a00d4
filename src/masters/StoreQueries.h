#pragma once

#include "db/ReadQuery.h"
#include "ui/ErrInfo.h"

#include <QStringList>

#include <array>

// The reads of the store screens: the list, the picker, a store's menus and holidays, every code or name.
namespace StoreQueries {

// The store list's search (columns comma-separated, the operator item of the search combo, the text; an
// empty text lists every store), in code order.
ReadQuery List(const QString& columns, const QString& modeItem, const QString& text);

// The store picker's search scopes in the order of its tick boxes: 코드 (from the start), 상호, 주소1, 메모.
constexpr int kPickerScopes = 4;
// The picker's search: text in any ticked scope (none ticked, or an empty text, lists every store), in code
// order.
ReadQuery Picker(const QString& text, const std::array<bool, kPickerScopes>& ticked);

// The menus (취급메뉴) of a store by name; with a text, only those whose name holds it.
ReadQuery Menus(const QString& storeCode, const QString& nameText = {});
// The holidays (가맹점휴일) of a store by kind, then in the order they were entered.
ReadQuery Holidays(const QString& storeCode);

// Every distinct 코드 or 상호 of 가맹점, appended to texts; false when the read failed (*error tells it).
enum class Column
{
    Code,
    Name
};
bool AllTexts(Column column, QStringList& texts, ErrInfo* error);

} // namespace StoreQueries
