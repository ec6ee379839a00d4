#include "app/Globals.h"

QString gDBPath;
QString gMainDBFile;
QString gReportDBFile;
QString gTerminalID = QStringLiteral("0");
int gCSType = 0;
bool gIsNT = true;
QString gAdminPWD;
bool gAdminPWDKnown = true;
int gPointUnit = 100;
QString gDDD = QStringLiteral("02");
double gGridRowHeight = 14;
int gGridFontSize = 10;

const QString& AppTitle()
{
    static const QString title = QStringLiteral("Zelkova");
    return title;
}
