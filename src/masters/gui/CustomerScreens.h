#pragma once

#include <QString>

// Puts the customer picker "FrmCust_sel" and editor "FrmCust_save" (for PickCustomer) and the customer list
// "FrmCust_admin" (menu entry mnuBasic_Cust) in the screen catalogue.
void RegisterCustomerScreens();

// Deletes a customer and tells the operator how it went: refused while orders or services name the customer,
// already gone, or an engine error. True when the row was deleted.
bool DeleteCustomerTelling(const QString& code);
