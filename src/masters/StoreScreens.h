#pragma once

// Puts the store editor and the store and menu pickers in the screen catalogue for PickStore and PickMenu:
// "FrmMemb_sel", "FrmMenu_sel" and "FrmMemb_save".
void RegisterStoreScreens();
