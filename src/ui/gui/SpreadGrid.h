#pragma once

#include "ui/gui/GridStyle.h"

#include <QColor>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <vector>

class GridDelegate;
class GridHeaderView;
class QLineEdit;
class QSqlQuery;
class QTableView;
class SpreadGridModel;

// The spreadsheet-like grid every list of the program uses: 1-based cells, cell types, locks, formulas and
// events.
//
// Addressing is 1-based, spreadsheet style: rows 1..MaxRows and columns 1..MaxCols; row 0 is the
// column-header row and column 0 the row-header column; -1 for a column or row means the whole row, column or
// sheet. Property setters (SetLock, SetBackColor, SetCellType, ...) apply to the cursor Col/Row (or the block
// Col..Col2, Row..Row2 when BlockMode is on). Sizes: RowHeight in points, ColWidth in character units of 8
// pixels at 96 dpi.
//
// SetActiveCell moves the cursor without raising LeaveCell; only the operator's moves raise it.
class SpreadGrid : public QWidget
{
    Q_OBJECT
public:
    enum EnterAction
    {
        EnterNone = 0,
        EnterUp = 1,
        EnterDown = 2,
        EnterLeft = 3,
        EnterRight = 4,
        EnterNext = 5
    };

    explicit SpreadGrid(QWidget* parent = nullptr);
    ~SpreadGrid() override;

    // Size and addressing
    int MaxRows() const;
    void SetMaxRows(int rows);
    int MaxCols() const;
    void SetMaxCols(int cols);
    int DataRowCnt() const;
    int DataColCnt() const;
    int Col() const { return m_col; }
    void SetCol(int col) { m_col = col; }
    int Row() const { return m_row; }
    void SetRow(int row) { m_row = row; }
    int Col2() const { return m_col2; }
    void SetCol2(int col) { m_col2 = col; }
    int Row2() const { return m_row2; }
    void SetRow2(int row) { m_row2 = row; }
    bool BlockMode() const { return m_blockMode; }
    void SetBlockMode(bool on) { m_blockMode = on; }
    int ActiveRow() const { return m_activeRow; }
    int ActiveCol() const { return m_activeCol; }
    // (-1, -1) or (0, 0) leaves the grid without an active cell.
    void SetActiveCell(int col, int row);

    // Content. Row 0 addresses the column headers, column 0 the row headers.
    void SetText(int col, int row, const QString& text);
    void SetValue(int col, int row, const QVariant& value);
    // True when the cell holds a value.
    bool GetText(int col, int row, QString& text) const;
    QString CellText(int col, int row) const;
    // The text as shown ("12,350" for a money cell holding 12350).
    QString FormattedText(int col, int row) const;
    QString Text() const;
    void SetText(const QString& text);
    QString Formula() const;
    // On a cell, a column (Row -1) or a block; "" removes the formulas and keeps their last values.
    void SetFormula(const QString& formula);
    void SetFormula(int col, int row, const QString& formula);
    int RefStyle() const { return m_refStyle; }
    void SetRefStyle(int style) { m_refStyle = style; }
    void InsertRows(int row, int count);
    void DeleteRows(int row, int count);
    void ClearRange(int col, int row, int col2, int row2, bool dataOnly = true);
    void Refresh();
    bool ReDraw() const { return m_redraw; }
    void SetReDraw(bool on);
    // Recomputes every formula at once.
    void Recalc();

    // Bulk filling for list screens: one row's values from firstCol on, several rows from `row` on, or a
    // query.
    void SetRowValues(int row, const QVariantList& values, int firstCol = 1);
    void SetBlockValues(int row, const QList<QVariantList>& rows, int firstCol = 1);
    // Appends the query's remaining records after `afterRow`, field `fields[i]` into column i + 1 ("" skips a
    // column); MaxRows becomes afterRow + the number of records, which is returned.
    int FillFromQuery(QSqlQuery& query, const QStringList& fields, int afterRow = 0);

    // Cell formats at the cursor
    int CellType() const;
    void SetCellType(int type);
    void SetTypeNumberDecPlaces(int places);
    void SetTypeNumberShowSep(bool on);
    void SetTypeCurrencyMax(double value);
    void SetTypeCurrencyMin(double value);
    void SetTypeCurrencyShowSymbol(bool on);
    void SetTypeCurrencyDecPlaces(int places);
    void SetTypeCurrencyShowSep(bool on);
    void SetTypeHAlign(int align);
    void SetTypeVAlign(int align);
    bool Lock() const;
    void SetLock(bool on);
    bool IsLocked(int col, int row) const;
    bool DAutoCellTypes() const { return m_autoCellTypes; }
    void SetDAutoCellTypes(bool on) { m_autoCellTypes = on; }

    // Look at the cursor (row 0 = column headers)
    double FontSize() const;
    void SetFontSize(double points);
    QString FontName() const;
    void SetFontName(const QString& name);
    bool FontBold() const;
    void SetFontBold(bool on);
    QColor BackColor() const;
    void SetBackColor(const QColor& color);
    QColor ForeColor() const;
    void SetForeColor(const QColor& color);
    QColor CellBackColor(int col, int row) const;
    QColor CellForeColor(int col, int row) const;
    GridStyle CellStyle(int col, int row) const;
    int BackColorStyle() const { return m_backColorStyle; }
    void SetBackColorStyle(int style) { m_backColorStyle = style; }
    QColor SelBackColor() const { return m_selBack; }
    void SetSelBackColor(const QColor& color);
    QColor GrayAreaBackColor() const { return m_grayArea; }
    void SetGrayAreaBackColor(const QColor& color);
    void SetOddEvenRowColor(const QColor& oddBack, const QColor& oddFore, const QColor& evenBack,
                            const QColor& evenFore);
    bool RowHeadersShow() const { return m_rowHeadersShow; }
    void SetRowHeadersShow(bool on);
    bool ColHeadersShow() const { return m_colHeadersShow; }
    void SetColHeadersShow(bool on);
    int ColHeaderRows() const;
    void SetColHeaderRows(int rows);
    QString ColHeaderText(int col, int headerRow = 1) const;
    void SetColHeaderText(int col, const QString& text, int headerRow = 1);
    // Column headings 1..n at once.
    void SetColHeaders(const QStringList& texts);

    // Row 0 is the column-header row, -1 every row.
    double RowHeight(int row) const;
    void SetRowHeight(int row, double points);
    // Column 0 is the row-header column, -1 every column. ColWidth is the width designed, saved or dragged;
    // the column is shown at least as wide as its minimum texts need.
    double ColWidth(int col) const;
    void SetColWidth(int col, double width);
    int ColWidthPx(int col) const;
    // Texts the column always shows whole: it is never narrower than the widest of them needs at the grid's
    // font (digits counted at the font's widest digit); a wider ColWidth is kept. Empty: no minimum.
    void SetColMinTexts(int col, const QStringList& texts);
    // The width the column is shown at, in the units of ColWidth.
    double ShownColWidth(int col) const;
    bool ColHidden(int col) const;
    void SetColHidden(int col, bool hidden);

    // Behaviour
    int OperationMode() const { return m_operationMode; }
    void SetOperationMode(int mode);
    int SelectBlockOptions() const { return m_selectBlockOptions; }
    void SetSelectBlockOptions(int options) { m_selectBlockOptions = options; }
    int CursorType() const { return m_cursorType; }
    void SetCursorType(int type) { m_cursorType = type; }
    int CursorStyle() const { return m_cursorStyle; }
    void SetCursorStyle(int style);
    bool NoBeep() const { return m_noBeep; }
    void SetNoBeep(bool on) { m_noBeep = on; }
    bool EditModePermanent() const { return m_editModePermanent; }
    void SetEditModePermanent(bool on);
    bool EditModeReplace() const { return m_editModeReplace; }
    void SetEditModeReplace(bool on) { m_editModeReplace = on; }
    int EditEnterAction() const { return m_enterAction; }
    void SetEditEnterAction(int action) { m_enterAction = action; }
    int UserColAction() const { return m_userColAction; }
    void SetUserColAction(int action) { m_userColAction = action; }

    // Starts (true) or ends (false, keeping the typed text) editing of the active cell.
    void SetEditMode(bool on);
    bool IsEditing() const { return m_editing; }
    // True when the operator has typed into the cell under edit since its edit began.
    bool EditTyped() const { return m_editing && m_editTyped; }

    // Parts for the printer, the layout store and tests.
    QTableView* view() const { return m_view; }
    QLineEdit* editor() const { return m_editor; }
    SpreadGridModel* model() const { return m_model; }
    bool isRowHighlighted(int row) const;
    bool isActiveCell(int col, int row) const;

Q_SIGNALS:
    void Click(int col, int row);
    void DblClick(int col, int row);
    // Set keyCode to 0 to swallow the key; shift: 1 Shift, 2 Ctrl, 4 Alt.
    void KeyDown(int& keyCode, int shift);
    void RightClick(int col, int row, const QPoint& globalPos);
    // The operator moves from (col, row) to (newCol, newRow); set cancel to stay.
    void LeaveCell(int col, int row, int newCol, int newRow, bool& cancel);
    // mode 1: editing of the cell begins; mode 0: it ends, changeMade when the text differs from the start.
    void EditMode(int col, int row, int mode, bool changeMade);
    // The operator changed the cell's value (after EditMode 0 left it in place).
    void Change(int col, int row);
    // A formula cell's value changed through recalculation.
    void FormulaChange(int col, int row);
    // A check-box cell was toggled by the operator.
    void ButtonClicked(int col, int row, int buttonDown);
    // The operator resized columns col1..col2.
    void ColWidthChange(int col1, int col2);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    enum class Target
    {
        None,
        Sheet,
        Column,
        Row,
        Cell,
        Block,
        ColHeader,
        RowHeader
    };
    Target cursorTarget() const;
    void applyStyle(const GridStyle& delta);
    GridStyle cursorStyle() const;

    bool viewKey(QKeyEvent* e);
    bool editorKey(QKeyEvent* e);
    void passKeyOutward(QKeyEvent* e);
    bool viewportMouse(QMouseEvent* e);
    int shiftState(Qt::KeyboardModifiers m) const;

    bool isEditable(int col, int row) const;
    bool beginEdit(const QString* typed);
    void endEdit(bool commit);
    void abortEdit();
    void requestPermanentEdit();
    bool hasGridFocus() const;
    void placeEditor();
    void moveBy(int key);
    void moveAfterEnter();
    bool userMoveTo(int col, int row);
    void setActiveInternal(int col, int row);
    void syncViewCursor();
    void keepCursorInView();
    void updateRow(int row);
    void toggleCheck(int col, int row);
    int nextVisibleCol(int col, int step) const;

    double rowUnitsToPx(double points) const;
    double colUnitsToPx(double width) const;
    // The column's shown width in pixels: its ColWidth, widened to what its minimum texts need.
    int shownColPx(int col) const;
    int minColPx(int col) const;
    void applyColWidths();
    void applyViewFont();
    void applyRowHeights();
    void onStructureChanged();

    SpreadGridModel* m_model = nullptr;
    QTableView* m_view = nullptr;
    GridHeaderView* m_hHeader = nullptr;
    GridHeaderView* m_vHeader = nullptr;
    GridDelegate* m_delegate = nullptr;
    QLineEdit* m_editor = nullptr;

    int m_col = 1, m_row = 1, m_col2 = 1, m_row2 = 1;
    bool m_blockMode = false;
    int m_activeCol = 0, m_activeRow = 0;
    int m_refStyle = 2;
    bool m_redraw = true;
    bool m_autoCellTypes = true;
    int m_backColorStyle = 0;
    QColor m_selBack = QColor(254, 254, 186);
    QColor m_grayArea = QColor(212, 212, 212);
    bool m_rowHeadersShow = true;
    bool m_colHeadersShow = true;
    double m_rowHeight = 14;    // points, every row
    double m_headerHeight = 16; // points, column-header row
    double m_headerFontSize = 10;
    std::vector<double> m_colWidths; // character units by column; [0] = row headers
    std::vector<QStringList> m_colMinTexts;
    mutable std::vector<int> m_colMinPx; // measured at the current font; -1 = not yet
    std::vector<bool> m_colHidden;
    int m_operationMode = 0;
    int m_selectBlockOptions = 15;
    int m_cursorType = 0;
    int m_cursorStyle = 1;
    bool m_noBeep = false;
    bool m_editModePermanent = false;
    bool m_editModeReplace = false;
    int m_enterAction = EnterNone;
    int m_userColAction = 0;

    // Editing state; m_depth counts screen handlers running inside our events.
    bool m_editing = false;
    bool m_editTyped = false;
    bool m_beginning = false;
    bool m_ending = false;
    int m_editCol = 0, m_editRow = 0;
    QString m_editOrig;
    bool m_internalFocus = false;
    bool m_editQueued = false;
    int m_depth = 0;
    bool m_cursorMovedInHandler = false;
    bool m_applyingWidths = false;
    bool m_keyForwarded = false;
};
