#pragma once

#include <QString>

#include <functional>

class SpreadGrid;

// The spreadsheet export of a list grid as the reports install it at start-up (RegisterReportScreens): a
// list's export key calls ExportGrid, so the list base needs nothing of the layers above the grid.
using GridExporter = std::function<void(SpreadGrid* grid, const QString& sheetName, bool unlock)>;
void SetGridExporter(GridExporter exporter);

// Exports through the installed exporter; false, and nothing happens, when none is installed.
bool ExportGrid(SpreadGrid* grid, const QString& sheetName, bool unlock);
