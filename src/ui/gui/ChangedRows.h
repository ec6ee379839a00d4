#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

class QWidget;
class SpreadGrid;

// Where the operator stood in a list before other seats' changes were put in: the key of the cursor's row
// (in keyCol), its column, the scroll position and the focused control.
struct KeptPlace
{
    QString key;
    int col = 1;
    int scrolled = 0;
    QPointer<QWidget> focus;
};
KeptPlace KeepPlace(SpreadGrid* grid, int keyCol);
// Puts the cursor back on the kept key's row with its column, the scroll and the focus as they were; when
// that row has gone a short notice says so. Returns whether the row was found.
bool RestorePlace(SpreadGrid* grid, int keyCol, const KeptPlace& kept);

// One column a list is sorted by: as text, or as a whole number (thousands separators allowed).
struct SortColumn
{
    int col = 1;
    bool numeric = false;
    bool descending = false;
};

// Where a list keeps its rows: the columns it is sorted by, the last of them its key, and whether its last
// row is an entry row that stays last.
struct SortedListLayout
{
    QList<SortColumn> sortCols;
    bool entryRow = false;
    int keyCol() const { return sortCols.last().col; }
};

// Puts rows read again for keys other seats changed into a sorted list: a row whose sort columns stayed
// takes its new values in place, one that moved or is no longer read leaves, and each new or moved row goes
// in at its place by the sort columns. rows holds,
// by key, the cells from column 1 of those keys still read. Returns whether the row of activeKey was among
// the changed ones.
bool MergeChangedRows(SpreadGrid* grid, const SortedListLayout& layout, const QStringList& keys,
                      QHash<QString, QVariantList> rows, const QString& activeKey);

// The row holding key in layout's key column; 0 when none does.
int RowOfKey(SpreadGrid* grid, const SortedListLayout& layout, const QString& key);
