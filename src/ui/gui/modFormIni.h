#pragma once

#include <QString>

class QWidget;
class SpreadGrid;

// Per-seat window and grid layouts, one INI file per screen: program folder + "FormIni/" + name + ".ini".
//
// Sections: "FormPosition" (WindowState 0/2, Left, Top, Width, Height in twips), grid name + "_ColsWidth"
// (column number = width in the grid's character units), grid name + "_General" (RowHeight, FontSize).
// A screen's name is its objectName (its class name when that is empty); a grid's name is its objectName.

QString ScreenName(const QWidget* screen);
QString FormIniFile(const QString& screenName);
// Twips per pixel of the screen the widget is on (15 at 96 dpi).
double TwipsPerPixel(const QWidget* widget = nullptr);

void LoadFormIni(QWidget* screen);
void LoadSpreadIni(SpreadGrid* grid, const QString& iniFile);
void SaveFormIni(QWidget* screen);
void SaveColWidth(QWidget* screen, SpreadGrid* grid, int col);
void SaveSpreadIni_Gn(QWidget* screen, SpreadGrid* grid, const QString& key, const QString& value);
void DelFormIni(const QString& screenName);
// Saves every column width the operator changes in the grid.
void WatchColWidths(QWidget* screen, SpreadGrid* grid);

// Shows a modeless screen, restores it from minimised and gives it the focus.
void ShowForm(QWidget* screen);
// Closes and deletes every top-level screen whose name differs (ignoring case) from keep; hold screens in
// QPointer.
void CloseOtherForms(const QString& keep);
// Places a picker by its anchor: hMode 0 left edges, 1 right edges, 2 centred; vMode 4 above, else below.
void PlaceFormAt(QWidget* window, QWidget* anchor, int hMode, int vMode);
