#include "ui/gui/ChangedRows.h"

#include "ui/gui/SpreadGrid.h"

#include <functional>

namespace {
int lastDataRow(SpreadGrid* grid, const SortedListLayout& layout)
{
    return grid->MaxRows() - (layout.entryRow ? 1 : 0);
}

QString sortKeyOfCells(const SortedListLayout& layout, const std::function<QString(int)>& cell)
{
    QString key;
    for (int c : layout.sortCols)
        key += cell(c) + QChar(0x1f);
    return key + cell(layout.keyCol);
}
} // namespace

int RowOfKey(SpreadGrid* grid, const SortedListLayout& layout, const QString& key)
{
    if (key.isEmpty())
        return 0;
    const int last = lastDataRow(grid, layout);
    for (int r = 1; r <= last; ++r) {
        if (grid->CellText(layout.keyCol, r) == key)
            return r;
    }
    return 0;
}

bool MergeChangedRows(SpreadGrid* grid, const SortedListLayout& layout, const QStringList& keys,
                      QHash<QString, QVariantList> rows, const QString& activeKey)
{
    bool activeTouched = false;
    // Out first, so the places found for the rows coming in are final.
    for (const QString& key : keys) {
        const int r = RowOfKey(grid, layout, key);
        if (r == 0)
            continue;
        activeTouched = activeTouched || key == activeKey;
        auto it = rows.find(key);
        bool stays = it != rows.end();
        for (int c : layout.sortCols)
            stays = stays && grid->CellText(c, r) == it->value(c - 1).toString();
        if (stays) {
            grid->SetRowValues(r, *it);
            rows.erase(it);
        } else {
            grid->DeleteRows(r, 1);
            grid->SetMaxRows(grid->MaxRows() - 1);
        }
    }
    for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
        const QVariantList& row = it.value();
        const QString key = sortKeyOfCells(layout, [&](int c) { return row.value(c - 1).toString(); });
        const int last = lastDataRow(grid, layout);
        int at = last + 1;
        for (int r = 1; r <= last; ++r) {
            if (sortKeyOfCells(layout, [&](int c) { return grid->CellText(c, r); }) > key) {
                at = r;
                break;
            }
        }
        grid->SetMaxRows(grid->MaxRows() + 1);
        grid->InsertRows(at, 1);
        grid->SetRowValues(at, row);
        activeTouched = activeTouched || it.key() == activeKey;
    }
    return activeTouched;
}
