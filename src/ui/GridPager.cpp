#include "ui/GridPager.h"

#include "ui/SpreadGrid.h"

#include <QScrollBar>
#include <QTableView>

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
    m_keys = keys;
    m_filled.assign(size_t(keys.size()), false);
    m_grid->SetMaxRows(0);
    m_grid->SetMaxRows(int(keys.size()));
    Fill(1, m_pageRows);
    fillInView();
}

QString GridPager::Key(int row) const
{
    return row >= 1 && row <= RowCount() ? m_keys.at(row - 1) : QString();
}

bool GridPager::IsFilled(int row) const
{
    return row >= 1 && row <= RowCount() && m_filled[size_t(row - 1)];
}

void GridPager::Fill(int first, int last)
{
    first = qMax(first, 1);
    last = qMin(last, RowCount());
    if (first > last)
        return;
    // Whole pages, so that scrolling one row at a time does not ask for one row at a time.
    first = (first - 1) / m_pageRows * m_pageRows + 1;
    last = qMin(((last - 1) / m_pageRows + 1) * m_pageRows, RowCount());
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
    Fill(1, RowCount());
}

void GridPager::RemoveRow(int row, const std::function<void()>& removeFromGrid)
{
    m_holding = true;
    removeFromGrid();
    m_holding = false;
    if (row >= 1 && row <= RowCount()) {
        m_keys.removeAt(row - 1);
        m_filled.erase(m_filled.begin() + (row - 1));
    }
    fillInView();
}

void GridPager::AppendRow(const QString& key)
{
    m_keys << key;
    m_filled.push_back(true);
}

void GridPager::fillInView()
{
    if (m_keys.isEmpty() || m_holding)
        return;
    QTableView* view = m_grid->view();
    const int top = view->rowAt(0);
    const int bottom = view->rowAt(view->viewport()->height() - 1);
    const int first = top < 0 ? 1 : top + 1;
    Fill(first, bottom < 0 ? first + m_pageRows - 1 : bottom + 1);
}
