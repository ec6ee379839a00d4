#pragma once

#include <QObject>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <vector>

class SpreadGrid;

// Fills a grid that has a row for every key of a long list a page at a time, as rows come into view.
class GridPager : public QObject
{
    Q_OBJECT
public:
    // The rows of the given keys, each as the grid row's values from column 1, in the order of the keys
    // (an empty list for a key whose record is gone).
    using FetchRows = std::function<QList<QVariantList>(const QStringList& keys)>;
    // Every key of the list, in order.
    using ReadKeys = std::function<QStringList()>;
    // How many rows the list has.
    using CountRows = std::function<int()>;

    // Writes the grid rows first..last (1-based) of a list the screen holds itself, in its own way.
    using FillRange = std::function<void(int first, int last)>;

    GridPager(SpreadGrid* grid, FetchRows fetch, int pageRows = 200);
    GridPager(SpreadGrid* grid, FillRange fill, int pageRows = 200);

    // Lists the keys: MaxRows becomes their number, earlier cells go, the rows in view are filled. All keys
    // are held (a customer code is a few bytes), so the row count is right at once and any row is reached
    // by scrolling; the cells of a million rows would not fit the memory of a seat.
    void Reset(const QStringList& keys);
    // The same with only the first keys at hand: the grid gets `rows` rows at once and `rest` reads the
    // whole list when a row beyond those keys is needed (a large search shows its top without waiting for
    // the codes of the rest).
    void Reset(const QStringList& firstKeys, int rows, ReadKeys rest);
    // The same when the count takes longer than the first screen: the grid gets the first keys' rows at
    // once, and `count` runs when the event loop is next idle (after the first screen is painted); the grid
    // then grows to it (rowsCounted). The count is taken at once where the whole list is needed first.
    void Reset(const QStringList& firstKeys, CountRows count, ReadKeys rest);
    // Takes a count still to come now.
    void FinishCount();
    bool CountPending() const { return bool(m_count); }
    // A list of `rows` rows without keys, written by the FillRange: MaxRows becomes rows, earlier cells go,
    // the rows in view are filled.
    void Reset(int rows);
    // Reads the keys not read yet. A screen calls it before it adds a record: read afterwards, the list
    // would hold the new key among the rows already shown.
    void LoadAllKeys();
    int RowCount() const { return int(m_filled.size()); }
    // Every row's key has been read (a large search reads the keys past its first screen when needed).
    bool AllKeysRead() const { return !m_rest && m_keys.size() >= qsizetype(m_filled.size()); }
    // Key of a 1-based row, "" outside the list.
    QString Key(int row);
    bool IsFilled(int row) const;
    // Fills the rows first..last (1-based) not filled yet.
    void Fill(int first, int last);
    // Reads every key and fills every row: what is exported or printed is the whole list.
    void FillAll();
    // Removes row `row` from the list; removeFromGrid takes it out of the grid (nothing is fetched meanwhile,
    // when the rows below have moved up in the grid but not yet among the keys).
    void RemoveRow(int row, const std::function<void()>& removeFromGrid);
    // The screen appended a grid row for `key` and wrote its cells (a screen adding or removing grid rows
    // itself keeps the keys in step through this and RemoveRow; it reads all keys before it adds the record).
    void AppendRow(const QString& key);
    // Row (1-based) of a key among the keys read so far, 0 when it is not there; codes compare as the
    // engine compares them, without case.
    int RowOf(const QString& key) const;
    // Those keys' rows are fetched again: at once when in view, else when they come into view.
    void Refresh(const QStringList& keys);

Q_SIGNALS:
    // A count that came after the first screen gave the list its number of rows.
    void rowsCounted(int rows);

private:
    void fillInView();
    void setRowCount(int rows);

    SpreadGrid* m_grid;
    FetchRows m_fetch;
    FillRange m_fillRange;
    int m_pageRows;
    bool m_holding = false;
    ReadKeys m_rest;
    CountRows m_count;
    int m_generation = 0; // a count asked for by an earlier Reset is dropped
    QStringList m_keys;
    std::vector<bool> m_filled;
};
