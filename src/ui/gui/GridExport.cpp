#include "ui/gui/GridExport.h"

namespace {
GridExporter& installed()
{
    static GridExporter exporter;
    return exporter;
}
} // namespace

void SetGridExporter(GridExporter exporter)
{
    installed() = std::move(exporter);
}

bool ExportGrid(SpreadGrid* grid, const QString& sheetName, bool unlock)
{
    if (!installed())
        return false;
    installed()(grid, sheetName, unlock);
    return true;
}
