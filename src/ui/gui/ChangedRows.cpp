#include "ui/gui/ChangedRows.h"

#include "ui/MsgBox.h"
#include "ui/gui/SpreadGrid.h"

#include <QApplication>
#include <QScrollBar>
#include <QSet>
#include <QTableView>

#include <functional>

namespace {
int lastDataRow(SpreadGrid* grid, const SortedListLayout& layout)
{
    return grid->MaxRows() - (layout.entryRow ? 1 : 0);
}

qint64 wholeNumber(QString text)
{
    return text.remove(QLatin1Char(',')).trimmed().toLongLong();
}

// Whether the row with cells a comes before the one with cells b.
bool precedes(const SortedListLayout& layout, const std::function<QString(int)>& a,
              const std::function<QString(int)>& b)
{
    for (const SortColumn& s : layout.sortCols) {
        const QString x = a(s.col);
        const QString y = b(s.col);
        int order = 0;
        if (s.numeric) {
            const qint64 nx = wholeNumber(x);
            const qint64 ny = wholeNumber(y);
            order = nx < ny ? -1 : nx > ny ? 1 : 0;
        } else {
            order = QString::compare(x, y);
        }
        if (order != 0)
            return s.descending ? order > 0 : order < 0;
    }
    return false;
}
} // namespace

int RowOfKey(SpreadGrid* grid, const SortedListLayout& layout, const QString& key)
{
    if (key.isEmpty())
        return 0;
    const int last = lastDataRow(grid, layout);
    for (int r = 1; r <= last; ++r) {
        if (grid->CellText(layout.keyCol(), r) == key)
            return r;
    }
    return 0;
}

bool MergeChangedRows(SpreadGrid* grid, const SortedListLayout& layout, const QStringList& keys,
                      QHash<QString, QVariantList> rows, const QString& activeKey)
{
    bool activeTouched = false;
    // A key named twice (its entry and its customer both changed) is one row: a second pass would find
    // its fresh values already taken and remove it.
    QSet<QString> seen;
    // Out first, so the places found for the rows coming in are final.
    for (const QString& key : keys) {
        if (seen.contains(key))
            continue;
        seen.insert(key);
        const int r = RowOfKey(grid, layout, key);
        if (r == 0)
            continue;
        activeTouched = activeTouched || key == activeKey;
        auto it = rows.find(key);
        bool stays = it != rows.end();
        for (const SortColumn& c : layout.sortCols)
            stays = stays && grid->CellText(c.col, r) == it->value(c.col - 1).toString();
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
        const auto fresh = [&](int c) { return row.value(c - 1).toString(); };
        const int last = lastDataRow(grid, layout);
        int at = last + 1;
        for (int r = 1; r <= last; ++r) {
            if (precedes(layout, fresh, [&](int c) { return grid->CellText(c, r); })) {
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

KeptPlace KeepPlace(SpreadGrid* grid, int keyCol)
{
    KeptPlace kept;
    const int row = grid->ActiveRow();
    if (row >= 1 && row <= grid->MaxRows() && keyCol > 0)
        kept.key = grid->CellText(keyCol, row);
    kept.col = grid->ActiveCol();
    kept.scrolled = grid->view()->verticalScrollBar()->value();
    kept.focus = QApplication::focusWidget();
    return kept;
}

bool RestorePlace(SpreadGrid* grid, int keyCol, const KeptPlace& kept)
{
    int found = 0;
    for (int r = 1; !kept.key.isEmpty() && r <= grid->MaxRows() && found == 0; ++r) {
        if (grid->CellText(keyCol, r) == kept.key)
            found = r;
    }
    if (found > 0)
        grid->SetActiveCell(kept.col, found);
    grid->view()->verticalScrollBar()->setValue(kept.scrolled);
    if (kept.focus)
        kept.focus->setFocus();
    if (!kept.key.isEmpty() && found == 0)
        MyFloatMsg(QStringLiteral("선택한 자료는 다른 자리에서 삭제되었습니다."), 1500);
    return found > 0;
}
