#pragma once

#include <QString>

// Asks before a store that is closed today (holiday or outside its hours) is put on an order.
// True = go on with this store.
bool CheckStoreOpen(const QString& storeCode);
