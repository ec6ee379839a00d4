#pragma once

// The program's entry: refuses a second copy, starts up, logs in, shows the notice and the main window.
int RunApplication(int argc, char* argv[]);
