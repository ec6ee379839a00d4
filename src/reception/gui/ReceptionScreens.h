#pragma once

// Puts the reception list "FrmRcpt_admin" (menu entry mnuBasic_Receipt) in the screen catalogue.
void RegisterReceptionScreens();
