#pragma once

#include "masters/StoreRecord.h"
#include "ui/ErrInfo.h"

#include <QString>

// The writes of store management: the store editor's insert and update, menus typed into the store screen's
// menu grid, holidays with their memos and the deletes of stores, menus and holidays. Nothing here asks or
// tells the operator anything, except the query helpers' messages, which wait until the write has ended;
// the screen turns the results into its messages.
namespace StoreService {

enum class Status
{
    Done,
    // The store, menu or holiday was not found (deleted meanwhile, or no code given).
    NotFound,
    // A menu row without a name.
    EmptyName,
    // The store already has a menu of that name.
    DuplicateName,
    // Orders, payments or services refer to the row: the relationships of the schema refuse the delete
    // (error tells the engine's refusal).
    Linked,
    // An engine error; error tells it.
    Failed,
    // Nothing was written and the operator has been told why already.
    Reported,
};

struct Result
{
    Status status = Status::Failed;
    ErrInfo error;
    // The 코드 of a menu just inserted.
    qint64 code = 0;
    bool ok() const { return status == Status::Done; }
};

// The columns of a menu the grid writes one at a time.
enum class MenuField
{
    Name = 1,
    Price = 2,
    Memo = 3,
};

// Inserts a store; 현잔액 starts at 기초잔액.
Result InsertStore(const StoreRecord& s);
// Writes every column but the code; 현잔액 moves by the change of 기초잔액 (relative, so the postings other
// seats made meanwhile stay).
Result UpdateStore(const StoreRecord& s);

// Adds a holiday of a kind (반복구분) on its stored day (일자, as HolidayStoredForm writes it).
Result InsertHoliday(const QString& store, const QString& day, int kind, const QString& memo);

// Adds a menu to a store; its 코드 comes back from the insert itself, so two seats adding menus to one store
// never read each other's.
Result InsertMenu(const QString& store, const QString& name, qint64 price, const QString& memo);
// Writes one column of a menu. name is the row's 메뉴명 (the new one when the name changes); it must not be
// empty and must stay unique within the store.
Result UpdateMenu(const QString& store, qint64 menu, MenuField field, const QString& name, qint64 price,
                  const QString& memo);
Result DeleteMenu(qint64 menu);

// Deletes a store together with its menus and holidays, in one transaction. Menus used by order lines and
// the store's orders and payments keep it: nothing is deleted then.
Result DeleteStore(const QString& store);

Result DeleteHoliday(qint64 seq);
// Stores the memo with the blanks around it removed.
Result UpdateHolidayMemo(qint64 seq, const QString& memo);

} // namespace StoreService
