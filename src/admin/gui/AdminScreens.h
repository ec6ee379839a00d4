#pragma once

// Puts the network setup in the screen catalogue: "FrmNTSetup" (menu entry mnuFile_NetWork).
void RegisterAdminScreens();
