#pragma once

#include <QString>
#include <QStringList>

// What other seats changed, kept by triggers so that no writer — a seat, the database tool, a restore — can
// forget to tell. On a file, every insert, change and delete of the tables the screens list adds a row
// (table, key, time) to zk_변경, which the seats read after the engine's data version moved; the log prunes
// itself as it grows (it keeps the last thousand rows and anything younger than ten minutes). On a server
// the triggers raise a notification on the channel kChangeChannel instead, with "table<TAB>key" as payload.
//
// The key is the row's own key where a list shows the row (고객, 가맹점: 코드; 주문, 주문내역: 주문번호;
// 입금, 서비스: 처리순번) and the store's code where a store's grid shows it (취급메뉴, 가맹점휴일). An
// update that moves a row to another key names both keys.

extern const QString kChangeLogTable; // "zk_변경"
extern const QString kChangeChannel;  // "zk_change"

// The watched tables with the column each names its rows by.
struct WatchedTable
{
    QString table;
    QString keyColumn;
};
const QList<WatchedTable>& WatchedTables();

// The statements that create the log and its triggers on a file; each may run again.
QStringList ChangeLogDdl();

// The statements that create the notifying trigger function and the triggers on a server; each may run
// again.
QStringList ChangeLogServerDdl();
