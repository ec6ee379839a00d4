#include "ui/gui/GridPager.h"

#include "ui/gui/SpreadGrid.h"

#include <QApplication>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <utility>

GridPager::GridPager(SpreadGrid* grid, FillRange fill, int pageRows) : GridPager(grid, FetchRows(), pageRows)
{
    m_fillRange = std::move(fill);
}

GridPager::GridPager(SpreadGrid* grid, FetchRows fetch, int pageRows)
    : QObject(grid), m_grid(grid), m_fetch(std::move(fetch)), m_pageRows(qBound(1, pageRows, 100000))
{
    // Scrolling, paging keys, a new cursor row and a resize all move the scroll bar or its range before
    // the rows are painted.
    QScrollBar* bar = m_grid->view()->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, &GridPager::fillInView);
    connect(bar, &QScrollBar::rangeChanged, this, &GridPager::fillInView);
}

void GridPager::Reset(const QStringList& keys)
{
    Reset(keys, int(keys.size()), {});
}

void GridPager::Reset(const QStringList& firstKeys, int rows, ReadKeys rest)
{
    ++m_generation;
    m_count = CountRows();
    m_keys = firstKeys;
    m_rest = rows > firstKeys.size() ? std::move(rest) : ReadKeys();
    rows = m_rest ? rows : int(firstKeys.size());
    m_filled.assign(size_t(rows), false);
    m_holding = true;
    m_grid->SetMaxRows(0);
    m_grid->SetMaxRows(rows);
    m_holding = false;
    Fill(1, qMin(m_pageRows, int(m_keys.size())));
    fillInView();
}

void GridPager::Reset(const QStringList& firstKeys, CountRows count, ReadKeys rest)
{
    Reset(firstKeys, int(firstKeys.size()), {});
    if (!count || !rest)
        return;
    m_rest = std::move(rest);
    m_count = std::move(count);
    const int generation = m_generation;
    QTimer::singleShot(0, this, [this, generation] {
        if (generation == m_generation)
            FinishCount();
    });
}

void GridPager::FinishCount()
{
    if (!m_count)
        return;
    const CountRows count = std::exchange(m_count, CountRows());
    const int rows = count();
    if (rows <= m_keys.size() && m_keys.size() >= RowCount()) {
        // Nothing beyond the first keys (another seat may have removed rows meanwhile).
        m_rest = ReadKeys();
    } else {
        setRowCount(std::max(rows, RowCount()));
    }
    Q_EMIT rowsCounted(RowCount());
}

void GridPager::setRowCount(int rows)
{
    if (rows == RowCount())
        return;
    m_filled.resize(size_t(rows), false);
    m_holding = true;
    m_grid->SetMaxRows(rows);
    m_holding = false;
    fillInView();
}

void GridPager::Reset(int rows)
{
    ++m_generation;
    m_count = CountRows();
    m_keys.clear();
    m_rest = ReadKeys();
    m_filled.assign(size_t(std::max(rows, 0)), false);
    m_holding = true;
    m_grid->SetMaxRows(0);
    m_grid->SetMaxRows(RowCount());
    m_holding = false;
    Fill(1, m_pageRows);
    fillInView();
}

void GridPager::LoadAllKeys()
{
    m_count = CountRows(); // every key tells the count too
    if (!m_rest)
        return;
    const ReadKeys rest = std::exchange(m_rest, ReadKeys());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QStringList all = rest();
    QApplication::restoreOverrideCursor();
    // The count and the first keys were read apart from the rest, so another seat may have changed the
    // list in between: rows already shown stay only when the keys behind them are still the first ones.
    if (all.size() < m_keys.size() || !std::equal(m_keys.cbegin(), m_keys.cend(), all.cbegin())) {
        Reset(all);
        return;
    }
    m_keys = all;
    setRowCount(int(all.size()));
}

QString GridPager::Key(int row)
{
    if (row > m_keys.size())
        LoadAllKeys();
    return row >= 1 && row <= m_keys.size() ? m_keys.at(row - 1) : QString();
}

bool GridPager::IsFilled(int row) const
{
    return row >= 1 && row <= RowCount() && m_filled[size_t(row - 1)];
}

void GridPager::Fill(int first, int last)
{
    first = qMax(first, 1);
    last = qMin(last, RowCount());
    if (m_fillRange) {
        if (first > last)
            return;
        first = (first - 1) / m_pageRows * m_pageRows + 1;
        last = qMin(((last - 1) / m_pageRows + 1) * m_pageRows, RowCount());
        // Runs of rows not written yet, each written at once.
        for (int r = first; r <= last; ++r) {
            if (m_filled[size_t(r - 1)])
                continue;
            int end = r;
            while (end < last && !m_filled[size_t(end)])
                ++end;
            m_fillRange(r, end);
            std::fill(m_filled.begin() + (r - 1), m_filled.begin() + end, true);
            r = end;
        }
        return;
    }
    if (last > m_keys.size())
        LoadAllKeys();
    last = qMin(last, RowCount());
    if (first > last)
        return;
    // Whole pages, so that scrolling one row at a time does not ask for one row at a time; the page is cut
    // at the keys read so far rather than reading the rest for it.
    first = (first - 1) / m_pageRows * m_pageRows + 1;
    last = qMin(((last - 1) / m_pageRows + 1) * m_pageRows, int(m_keys.size()));
    for (int start = first; start <= last; start += m_pageRows) {
        const int end = qMin(start + m_pageRows - 1, last);
        QStringList keys;
        std::vector<int> rows;
        for (int r = start; r <= end; ++r) {
            if (!m_filled[size_t(r - 1)]) {
                keys << m_keys.at(r - 1);
                rows.push_back(r);
            }
        }
        if (keys.isEmpty())
            continue;
        const QList<QVariantList> values = m_fetch(keys);
        for (size_t i = 0; i < rows.size(); ++i) {
            if (qsizetype(i) < values.size() && !values.at(qsizetype(i)).isEmpty())
                m_grid->SetRowValues(rows[i], values.at(qsizetype(i)));
            m_filled[size_t(rows[i] - 1)] = true;
        }
    }
}

void GridPager::FillAll()
{
    if (m_fetch)
        LoadAllKeys();
    Fill(1, RowCount());
}

void GridPager::RemoveRow(int row, const std::function<void()>& removeFromGrid)
{
    // A row beyond the keys read cannot have been chosen without reading them all (Key), so a removed row
    // is among the first keys, and the rest, read later without it, still follows them.
    m_holding = true;
    removeFromGrid();
    m_holding = false;
    if (row >= 1 && row <= m_keys.size()) {
        m_keys.removeAt(row - 1);
        m_filled.erase(m_filled.begin() + (row - 1));
    }
    fillInView();
}

void GridPager::AppendRow(const QString& key)
{
    LoadAllKeys();
    m_keys << key;
    m_filled.push_back(true);
}

int GridPager::RowOf(const QString& key) const
{
    for (int i = 0; i < m_keys.size(); ++i) {
        if (m_keys.at(i).compare(key, Qt::CaseInsensitive) == 0)
            return i + 1;
    }
    return 0;
}

void GridPager::Refresh(const QStringList& keys)
{
    for (const QString& key : keys) {
        if (const int row = RowOf(key))
            m_filled[size_t(row - 1)] = false;
    }
    fillInView();
}

void GridPager::fillInView()
{
    if (RowCount() == 0 || m_holding)
        return;
    QTableView* view = m_grid->view();
    const int top = view->rowAt(0);
    const int bottom = view->rowAt(view->viewport()->height() - 1);
    const int first = top < 0 ? 1 : top + 1;
    Fill(first, bottom < 0 ? first + m_pageRows - 1 : bottom + 1);
}
