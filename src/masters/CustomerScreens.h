#pragma once

// Registers the customer picker "FrmCust_sel" and editor "FrmCust_save" for the record operations.
void RegisterCustomerScreens();
