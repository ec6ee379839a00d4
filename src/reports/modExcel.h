#pragma once

#include <QDateTime>
#include <QString>

class SpreadGrid;

// Sends a list grid, headings included, to a new spreadsheet file in the program folder's "ExpExcel" folder
// and opens it with the desktop's program; the grid shows what it showed before. A floating notice names the
// written file; when the desktop reports that nothing could open it, a message says so.
void ExportToExcelFile(SpreadGrid* grid, const QString& sheetName, bool unlock);

// The floating notice after an export: where the file was written.
QString ExportNotice(const QString& file);

// The path without extension of the next export of moment in folder: "Exp" + "yyMMdd_HHmmss", with "_2",
// "_3", ... when a file or log of that stamp is already there; "" when every counter is taken.
QString ExportStem(const QString& folder, const QDateTime& moment);
