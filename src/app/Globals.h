#pragma once

#include <QString>

// The program's title: the title of message boxes without one, and the settings' application name.
const QString& AppTitle();

// Process-wide values set at start-up and read everywhere (the connections live in db/MduAdoDB.h).
extern QString gDBPath;       // database folder, no trailing separator
extern QString gMainDBFile;   // full path of the main database file
extern QString gReportDBFile; // the seat's working copy of the report database
extern QString gTerminalID;   // terminal number of this seat, "0" when never set
extern int gCSType;           // 0 stand-alone, 1 network client
extern bool gIsNT;
extern QString gAdminPWD;     // administrator password, "" = none
extern bool gAdminPWDKnown;   // false until the password was read: the gate stays shut while it is unknown
extern int gPointUnit;        // money per point (setting 금액대포인트)
extern QString gDDD;          // default area code
extern double gGridRowHeight; // grid row height given to grids when laid out
extern int gGridFontSize;     // grid font size given to grids when laid out

// Row height and font size a grid may take, as the options screen and the grid menu allow them.
constexpr double kGridSizeMin = 8;
constexpr double kGridSizeMax = 20;
