#pragma once

// Puts the payment list and editor in the screen catalogue: "FrmRecv_admin" (menu entry mnuBasic_Recv) and
// "FrmRecv_save".
void RegisterAccountScreens();
