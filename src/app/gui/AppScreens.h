#pragma once

// Puts the program's own windows in the screen catalogue: the about box "frmAbout".
void RegisterAppScreens();
