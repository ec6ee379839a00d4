#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

class SpreadGrid;

// Where a list keeps its rows: the key column and the columns it is sorted by (before the key), and
// whether its last row is an entry row that stays last.
struct SortedListLayout
{
    int keyCol = 1;
    QList<int> sortCols;
    bool entryRow = false;
};

// Puts rows read again for keys other seats changed into a sorted list: a row whose sort columns stayed
// takes its new values in place, one that moved or is no longer read leaves, and each new or moved row goes
// in at its place (sort columns compared as text, as the lists' codes, dates and times allow). rows holds,
// by key, the cells from column 1 of those keys still read. Returns whether the row of activeKey was among
// the changed ones.
bool MergeChangedRows(SpreadGrid* grid, const SortedListLayout& layout, const QStringList& keys,
                      QHash<QString, QVariantList> rows, const QString& activeKey);

// The row holding key in layout's key column; 0 when none does.
int RowOfKey(SpreadGrid* grid, const SortedListLayout& layout, const QString& key);
