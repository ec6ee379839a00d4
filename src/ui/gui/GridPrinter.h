#pragma once

#include <QString>

class QPainter;
class QPrinter;
class QWidget;
class SpreadGrid;

// What a screen hands the grid printer besides the grid: the window caption, a title and a sub-title, and the
// layout values of the call (option 1 portrait, 2 landscape, anything else by the grid's width; margins in
// inches).
struct GridPrintJob
{
    QString caption;
    QString title;
    QString subTitle;
    int option = 0;
    double marginLeft = 0.5;
    double marginTop = 0.5;
    double marginRight = 0.5;
    double marginBottom = 0.5;
};

// Prints any grid as a titled table: through a preview on the default printer, or into a PDF file.
class GridPrinter
{
public:
    void SetAppTitle(const QString& title) { m_appTitle = title; }
    QString AppTitle() const { return m_appTitle; }

    // Preview on the default printer (run through ExecModal); without any printer the pages go to a PDF file
    // under the program folder's "Print" folder, which is then opened. False when nothing was printed.
    bool PrintSpread(SpreadGrid* grid, const GridPrintJob& job, QWidget* parent = nullptr);
    bool PrintSpread(SpreadGrid* grid, const QString& caption, const QString& title, const QString& subTitle,
                     int option = 0, double marginLeft = 0.5, double marginTop = 0.5,
                     double marginRight = 0.5, double marginBottom = 0.5);
    bool PrintToPdf(SpreadGrid* grid, const GridPrintJob& job, const QString& file);
    // Lays the grid out on the printer's pages; returns the number of pages.
    int Render(SpreadGrid* grid, const GridPrintJob& job, QPrinter* printer);

private:
    void setupPage(SpreadGrid* grid, const GridPrintJob& job, QPrinter* printer) const;

    QString m_appTitle;
};

// The program's grid-printing service; never null unless released at shutdown.
extern GridPrinter* gGridPrinter;
