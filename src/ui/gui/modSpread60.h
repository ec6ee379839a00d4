#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <utility>

class QWidget;
class SpreadGrid;

// The program's own grid operations: common look, number and money columns, totals, subtotals, edit
// confirmation, row deletion and the right-click grid menu. Every operation takes the grid first.

namespace GridColors {
inline const QColor SelBack{254, 254, 186};
inline const QColor OddBack{255, 255, 255};
inline const QColor OddFore{0, 0, 0};
inline const QColor EvenBack{245, 245, 245};
inline const QColor EvenFore{0, 0, 0};
inline const QColor TotalBack{224, 240, 224};    // totals grid, its grey area, "[합 계]" rows
inline const QColor SubTotalBack{224, 255, 224}; // "[소 계]" rows
inline const QColor ConfirmBack{0, 80, 250};     // cell under edit confirmation
inline const QColor ConfirmFore{255, 255, 128};
inline const QColor LockedBack{234, 240, 248}; // columns the operator cannot change
} // namespace GridColors

extern const QString kTotalLabel;    // "[합 계]"
extern const QString kSubTotalLabel; // "[소 계]"

void CommonSpreadDesign(SpreadGrid* grid, bool readOnly, bool clearRows, bool userColAction = false,
                        bool rowMode = false);
void ApplyGridDefaults(SpreadGrid* grid);
void SetNumberColumn(SpreadGrid* grid, int col, bool centre = true);
void SetMoneyColumn(SpreadGrid* grid, int col, bool centre = true);
// Locks the columns; withColour gives them the locked-cell colour.
void LockColumns(SpreadGrid* grid, const QList<int>& cols, bool withColour = true);

// What a column holds, for the width it needs at any font.
enum class ColFormat
{
    OrderNumber,  // 10 characters
    Date,         // "yyyy-MM-dd"
    Time,         // "HH:MM"
    CustomerCode, // 8 characters
    Telephone,    // the longest hyphen form, "010-1234-5678"
    ZipCode,      // "123-456"
    StoreCode,    // the stores' codes as 가맹점 holds them
    StoreName,    // the stores' names as 가맹점 holds them
};
// The texts a column of the format must show whole (the stores' from the main database when it is open).
QStringList FormatTexts(ColFormat format);
// The column's minimum width is what the format's texts (and `more`) need at the grid's font.
void SetColFormat(SpreadGrid* grid, int col, ColFormat format, const QStringList& more = {});
void SetColFormats(SpreadGrid* grid, std::initializer_list<std::pair<int, ColFormat>> formats);

// Makes `total` a one-row totals grid under `main`; it follows main's column widths and horizontal scrolling.
void SetupTotalGrid(SpreadGrid* total, SpreadGrid* main, int labelCol);
void SetTotalGridSum(SpreadGrid* grid, int sourceCol, int targetCol);
void AddTotalRow(SpreadGrid* grid, int labelCol);
void SetColumnSumRow(SpreadGrid* grid, int col);
// The last row is the grand-total row; groups are runs of equal text in keyCol from firstRow on.
void InsertSubTotal(SpreadGrid* grid, int keyCol, const QList<int>& sumCols, int labelCol, int copyCol,
                    int firstRow, bool keepGrandTotal);

// row -2 = the active row.
void DeleteGridRow(SpreadGrid* grid, int row = -2, bool shrink = true, bool notify = true);
// Asks "정말 수정하시겠습니까?"; No writes oldValue back. Returns true on Yes.
bool ReallyEdit(SpreadGrid* grid, int col, int row, const QString& oldValue);
// col/row -2 = the active column/row; "" for an empty cell.
QString GetCellText(SpreadGrid* grid, int col, int row);
void SetBlockBackColor(SpreadGrid* grid, int col, int row, int col2, int row2, const QColor& color);
void SetCellFormula(SpreadGrid* grid, const QString& formula, int col, int row);

// The right-click menu at the mouse position; items 1 row height, 2 font size, 3 reset layout, 0 close.
void GridMenu(QWidget* window, SpreadGrid* grid);
// Runs one item of the grid menu as if it had been chosen.
void GridMenuAction(QWidget* window, SpreadGrid* grid, int id);
// Opens GridMenu on every right click of the grid.
void ConnectGridMenu(QWidget* window, SpreadGrid* grid);
