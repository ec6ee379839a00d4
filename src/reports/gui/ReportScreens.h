#pragma once

#include <QString>

// Puts the report screens in the screen catalogue: "FrmRPT_sale" (menu entry mnuList_SalebyDate) and
// "FrmRPT_ledger" (menu entry mnuList_SaleReceive); installs the spreadsheet export the lists' export keys
// use.
void RegisterReportScreens();

// Opens the sales report afresh for today and one store (kind 1) or customer (kind 2), sorted by it; name is
// what its search box shows. Other kinds do nothing.
void ShowSalesFor(const QString& code, const QString& name, int kind);
