#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

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

// The rows up to the last one holding data and every column into a one-sheet .xlsx file: numbers as
// numbers in the cell's shown format, the rest as text, widths after the columns'; logFile (when not "")
// records the run; progress (when given) hears how far the writing is and may stop it (no file is left
// then). True when the file was written.
bool WriteGridXlsx(const SpreadGrid& grid, const QString& file, const QString& sheetName,
                   const QString& logFile, const std::function<bool(int percent)>& progress = {});
