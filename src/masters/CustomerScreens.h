#pragma once

// Puts the customer picker "FrmCust_sel" and editor "FrmCust_save" (for PickCustomer) and the customer list
// "FrmCust_admin" (menu entry mnuBasic_Cust) in the screen catalogue.
void RegisterCustomerScreens();
