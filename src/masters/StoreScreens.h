#pragma once

// Makes the store editor and the store and menu pickers available by name to PickStore and PickMenu:
// "FrmMemb_sel", "FrmMenu_sel" and "FrmMemb_save".
void RegisterStoreScreens();
