#pragma once

#include "ui/gui/GridFormula.h"
#include "ui/gui/GridStyle.h"

#include <QAbstractTableModel>
#include <QVariant>

#include <memory>
#include <vector>

struct GridCellExtra
{
    GridStyle style;
    std::unique_ptr<GridFormula> formula;
};

struct GridCell
{
    QString text;
    std::unique_ptr<GridCellExtra> extra;
};

struct GridRowData
{
    std::vector<GridCell> cells; // index 0 = column 1; grows to the highest column written
    std::unique_ptr<GridStyle> style;
    QString header;
    bool hasHeader = false;
    double height = -1; // points; < 0 = the sheet's row height
    int index = 0;      // 1-based row number, kept current across insertions and deletions
};

// Cell store of a SpreadGrid: 1-based texts, layered styles and R1C1 formulas, exposed to the view as a
// table.
class SpreadGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit SpreadGridModel(QObject* parent = nullptr);
    ~SpreadGridModel() override;

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int maxRows() const { return int(m_rows.size()); }
    int maxCols() const { return m_maxCols; }
    void setMaxRows(int rows);
    void setMaxCols(int cols);
    int dataRowCount() const;
    int dataColCount() const;

    bool inRange(int col, int row) const
    {
        return col >= 1 && row >= 1 && col <= m_maxCols && row <= maxRows();
    }
    const GridCell* cell(int col, int row) const;
    QString text(int col, int row) const;
    void setText(int col, int row, const QString& text);
    // Writes a row's values from column firstCol on, with one change notification for the row.
    void setRowValues(int row, const QVariantList& values, int firstCol);
    static QString variantText(const QVariant& v);
    // The text as the cell shows it ("#,##0" and the like for number cells).
    QString displayText(int col, int row) const;
    QString formatValue(const QString& raw, const GridStyle& style) const;

    QString formula(int col, int row) const;
    // An empty text removes the formula and keeps its last value as the cell's text.
    void setFormula(int col, int row, const QString& formula);
    int formulaCount() const { return int(m_sites.size()); }

    void insertGridRows(int row, int count);
    void deleteGridRows(int row, int count);
    void clearRange(int col, int row, int col2, int row2, bool dataOnly);

    // Style layers; the sheet layer always has every field set.
    const GridStyle& sheetStyle() const { return m_sheet; }
    GridStyle resolved(int col, int row) const;
    // What resolved gives a cell of the column with neither a row nor a cell layer of its own.
    GridStyle resolvedColumn(int col) const;
    // Fields set below the sheet level (column, row, cell), used to let odd/even colours show through.
    GridStyle specific(int col, int row) const;
    void applySheetStyle(const GridStyle& delta);
    void applyColStyle(int col, const GridStyle& delta);
    void applyRowStyle(int row, const GridStyle& delta);
    void applyCellStyle(int col, int row, const GridStyle& delta);
    // The cell's own layer only, to be put back exactly later.
    GridStyle cellLayer(int col, int row) const;
    void setCellLayer(int col, int row, const GridStyle& layer);

    void setOddEvenColors(QRgb oddBack, QRgb oddFore, QRgb evenBack, QRgb evenFore);
    bool hasOddEven() const { return m_oddEven; }
    QRgb backColorAt(int col, int row) const;
    QRgb foreColorAt(int col, int row) const;

    QString colHeaderText(int col, int headerRow = 1) const;
    void setColHeaderText(int col, const QString& text, int headerRow = 1);
    int colHeaderRows() const { return m_colHeaderRows; }
    void setColHeaderRows(int rows);
    QString rowHeaderText(int row) const;
    void setRowHeaderText(int row, const QString& text);

    GridRowData* rowData(int row, bool create);
    const GridRowData* rowData(int row) const;
    int customHeightRows() const { return m_customHeights; }
    void setRowHeight(int row, double points);
    void clearRowHeights();

    // While frozen no change reaches the views; unfreezing resets them once and recalculates.
    void freeze();
    void unfreeze();
    bool isFrozen() const { return m_frozen > 0; }

    // Recomputes every formula now (also done on its own after changes).
    void recalcAll();

    static double toNumber(const QString& text);
    static QString numberText(double value);

Q_SIGNALS:
    // The value of a formula cell changed through recalculation.
    void formulaResultChanged(int col, int row);
    // Rows were inserted, deleted or the sheet was reset; views re-apply row heights and cursor.
    void structureChanged();

private:
    struct Site
    {
        GridRowData* row;
        int col;
    };

    GridCell* cellFor(int col, int row);
    void notifyCell(int col, int row);
    void notifyRows(int row1, int row2);
    void afterValueChange(int col, int row);
    void computeSite(GridRowData* row, int col, std::vector<std::pair<int, int>>& changed);
    double valueAt(int col, int row, std::vector<std::pair<int, int>>& changed);
    void emitResults(const std::vector<std::pair<int, int>>& changed);
    void renumber(int fromRow);
    void dropSitesOf(const std::vector<GridRowData*>& rows);
    QString normalizedFor(int col, int row, const QString& text) const;

    std::vector<std::unique_ptr<GridRowData>> m_rows;
    int m_maxCols = 0;
    GridStyle m_sheet;
    std::vector<GridStyle> m_cols;                  // index by column number
    std::vector<std::vector<QString>> m_colHeaders; // [headerRow-1][col]
    int m_colHeaderRows = 1;
    bool m_oddEven = false;
    QRgb m_oddBack = 0xffffffff, m_oddFore = 0xff000000, m_evenBack = 0xffffffff, m_evenFore = 0xff000000;
    int m_customHeights = 0;

    std::vector<Site> m_sites;
    quint32 m_generation = 0;
    bool m_dirty = false;
    bool m_recalcing = false;

    int m_frozen = 0;
    int m_shownRows = 0;
    int m_shownCols = 0;
};
