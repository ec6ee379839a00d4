#pragma once

// Puts the customer picker "FrmCust_sel" and editor "FrmCust_save" in the screen catalogue for PickCustomer.
void RegisterCustomerScreens();
