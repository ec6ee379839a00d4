#pragma once

// Puts the store list, the store editor and the store and menu pickers in the screen catalogue:
// "FrmMemb_admin" (menu entry mnuBasic_Member), "FrmMemb_sel", "FrmMenu_sel" and "FrmMemb_save".
void RegisterStoreScreens();
