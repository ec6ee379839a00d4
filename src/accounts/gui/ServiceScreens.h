#pragma once

// Puts the point-service screen in the screen catalogue: "FrmSvce_admin" (menu entry mnuBasic_Service).
void RegisterServiceScreens();
