#include "ui/gui/SpreadGridModel.h"

#include <QBrush>
#include <QColor>
#include <QDate>
#include <QDateTime>
#include <QFont>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {
QString columnLetters(int col)
{
    QString s;
    while (col > 0) {
        const int rem = (col - 1) % 26;
        s.prepend(QChar(u'A' + rem));
        col = (col - 1) / 26;
    }
    return s;
}

const QLocale& groupedLocale()
{
    static const QLocale locale = [] {
        QLocale l = QLocale::c();
        l.setNumberOptions(QLocale::DefaultNumberOptions);
        return l;
    }();
    return locale;
}
} // namespace

SpreadGridModel::SpreadGridModel(QObject* parent) : QAbstractTableModel(parent)
{
    m_sheet.mask = ~0u;
    m_sheet.fontSize = 10;
    m_cols.resize(1);
    m_colHeaders.resize(1);
    m_colHeaders[0].resize(1);
}

SpreadGridModel::~SpreadGridModel() = default;

int SpreadGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : (m_frozen ? m_shownRows : maxRows());
}

int SpreadGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : (m_frozen ? m_shownCols : m_maxCols);
}

QVariant SpreadGridModel::data(const QModelIndex& index, int role) const
{
    const int col = index.column() + 1;
    const int row = index.row() + 1;
    if (!index.isValid() || !inRange(col, row))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return displayText(col, row);
    case Qt::EditRole:
        return text(col, row);
    case Qt::BackgroundRole:
        return QBrush(QColor::fromRgb(backColorAt(col, row)));
    case Qt::ForegroundRole:
        return QBrush(QColor::fromRgb(foreColorAt(col, row)));
    case Qt::TextAlignmentRole: {
        const GridStyle s = resolved(col, row);
        int h = s.hAlign;
        if (h == HAlignDefault)
            h = (s.type == CellTypeCurrency || s.type == CellTypeNumber) ? HAlignRight : HAlignLeft;
        Qt::Alignment a = h == HAlignRight    ? Qt::AlignRight
                          : h == HAlignCenter ? Qt::AlignHCenter
                                              : Qt::AlignLeft;
        a |= s.vAlign == VAlignTop      ? Qt::AlignTop
             : s.vAlign == VAlignBottom ? Qt::AlignBottom
                                        : Qt::AlignVCenter;
        return int(a);
    }
    default:
        return {};
    }
}

QVariant SpreadGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal) {
        if (m_colHeaderRows <= 1)
            return colHeaderText(section + 1);
        QStringList lines;
        for (int r = 1; r <= m_colHeaderRows; ++r)
            lines << colHeaderText(section + 1, r);
        return lines.join(QLatin1Char('\n'));
    }
    return rowHeaderText(section + 1);
}

void SpreadGridModel::setMaxRows(int rows)
{
    rows = std::max(rows, 0);
    const int old = maxRows();
    if (rows == old)
        return;
    if (rows < old) {
        std::vector<GridRowData*> gone;
        for (int i = rows; i < old; ++i) {
            if (m_rows[i])
                gone.push_back(m_rows[i].get());
        }
        dropSitesOf(gone);
        for (int i = rows; i < old; ++i) {
            if (m_rows[i] && m_rows[i]->height >= 0)
                --m_customHeights;
        }
        if (!m_frozen)
            beginRemoveRows({}, rows, old - 1);
        m_rows.resize(rows);
        if (!m_frozen) {
            endRemoveRows();
            m_shownRows = rows;
        }
    } else {
        if (!m_frozen)
            beginInsertRows({}, old, rows - 1);
        m_rows.resize(rows);
        if (!m_frozen) {
            endInsertRows();
            m_shownRows = rows;
        }
    }
    if (!m_sites.empty())
        afterValueChange(0, 0);
}

void SpreadGridModel::setMaxCols(int cols)
{
    cols = std::max(cols, 0);
    const int old = m_maxCols;
    if (cols == old)
        return;
    if (cols < old) {
        // Formulas standing in removed columns go with them.
        m_sites.erase(
            std::remove_if(m_sites.begin(), m_sites.end(), [cols](const Site& s) { return s.col > cols; }),
            m_sites.end());
        if (!m_frozen)
            beginRemoveColumns({}, cols, old - 1);
        for (auto& r : m_rows) {
            if (r && int(r->cells.size()) > cols)
                r->cells.resize(cols);
        }
        m_maxCols = cols;
        m_cols.resize(cols + 1);
        if (!m_frozen) {
            endRemoveColumns();
            m_shownCols = cols;
        }
    } else {
        if (!m_frozen)
            beginInsertColumns({}, old, cols - 1);
        m_maxCols = cols;
        m_cols.resize(cols + 1);
        if (!m_frozen) {
            endInsertColumns();
            m_shownCols = cols;
        }
    }
    for (auto& h : m_colHeaders)
        h.resize(cols + 1);
}

int SpreadGridModel::dataRowCount() const
{
    for (int i = maxRows() - 1; i >= 0; --i) {
        const GridRowData* r = m_rows[i].get();
        if (!r)
            continue;
        for (const GridCell& c : r->cells) {
            if (!c.text.isEmpty())
                return i + 1;
        }
    }
    return 0;
}

int SpreadGridModel::dataColCount() const
{
    int last = 0;
    for (const auto& r : m_rows) {
        if (!r)
            continue;
        for (int c = int(r->cells.size()); c > last; --c) {
            if (!r->cells[c - 1].text.isEmpty()) {
                last = c;
                break;
            }
        }
    }
    return last;
}

GridRowData* SpreadGridModel::rowData(int row, bool create)
{
    if (row < 1 || row > maxRows())
        return nullptr;
    auto& slot = m_rows[row - 1];
    if (!slot && create) {
        slot = std::make_unique<GridRowData>();
        slot->index = row;
    }
    return slot.get();
}

const GridRowData* SpreadGridModel::rowData(int row) const
{
    if (row < 1 || row > maxRows())
        return nullptr;
    return m_rows[row - 1].get();
}

const GridCell* SpreadGridModel::cell(int col, int row) const
{
    const GridRowData* r = rowData(row);
    if (!r || col < 1 || col > int(r->cells.size()))
        return nullptr;
    return &r->cells[col - 1];
}

GridCell* SpreadGridModel::cellFor(int col, int row)
{
    if (!inRange(col, row))
        return nullptr;
    GridRowData* r = rowData(row, true);
    if (int(r->cells.size()) < col)
        r->cells.resize(col);
    return &r->cells[col - 1];
}

QString SpreadGridModel::text(int col, int row) const
{
    const GridCell* c = cell(col, row);
    if (!c)
        return {};
    if (m_dirty && !m_recalcing && c->extra && c->extra->formula)
        const_cast<SpreadGridModel*>(this)->recalcAll();
    return c->text;
}

double SpreadGridModel::toNumber(const QString& text)
{
    if (text.isEmpty())
        return 0;
    bool ok = false;
    double v = text.toDouble(&ok);
    if (ok)
        return v;
    // The leading number of the text, as the screens' Val reads it; separators are ignored.
    QString digits;
    const QString t = text.trimmed();
    for (int i = 0; i < t.size(); ++i) {
        const QChar ch = t.at(i);
        if (ch.isDigit() || ch == QLatin1Char('.') ||
            (i == 0 && (ch == QLatin1Char('-') || ch == QLatin1Char('+'))))
            digits += ch;
        else if (ch != QLatin1Char(','))
            break;
    }
    v = digits.toDouble(&ok);
    return ok ? v : 0;
}

QString SpreadGridModel::numberText(double value)
{
    if (std::isnan(value) || std::isinf(value))
        return QStringLiteral("0");
    const double rounded = std::round(value);
    if (std::fabs(value - rounded) < 1e-9 && std::fabs(rounded) < 1e15)
        return QString::number(qint64(rounded));
    return QString::number(value, 'g', 15);
}

QString SpreadGridModel::variantText(const QVariant& v)
{
    if (v.isNull())
        return {};
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return numberText(v.toDouble());
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    default:
        return v.toString();
    }
}

QString SpreadGridModel::normalizedFor(int col, int row, const QString& text) const
{
    // Number cells keep the plain value; "1,234" typed or pasted is stored as "1234".
    if (text.isEmpty() || !text.contains(QLatin1Char(',')))
        return text;
    const GridStyle s = resolved(col, row);
    if (s.type != CellTypeNumber && s.type != CellTypeCurrency)
        return text;
    QString plain = text;
    plain.remove(QLatin1Char(','));
    bool ok = false;
    plain.trimmed().toDouble(&ok);
    return ok ? plain.trimmed() : text;
}

void SpreadGridModel::setText(int col, int row, const QString& text)
{
    GridCell* c = cellFor(col, row);
    if (!c)
        return;
    const QString value = normalizedFor(col, row, text);
    if (c->text == value)
        return;
    c->text = value;
    notifyCell(col, row);
    afterValueChange(col, row);
}

void SpreadGridModel::setRowValues(int row, const QVariantList& values, int firstCol)
{
    if (row < 1 || row > maxRows() || firstCol < 1)
        return;
    const int last = std::min(m_maxCols, firstCol + int(values.size()) - 1);
    if (last < firstCol)
        return;
    GridRowData* r = rowData(row, true);
    if (int(r->cells.size()) < last)
        r->cells.resize(last);
    for (int col = firstCol; col <= last; ++col)
        r->cells[col - 1].text = normalizedFor(col, row, variantText(values.at(col - firstCol)));
    if (!m_frozen)
        Q_EMIT dataChanged(index(row - 1, firstCol - 1), index(row - 1, last - 1));
    if (!m_sites.empty()) {
        if (m_frozen) {
            m_dirty = true;
        } else {
            for (int col = firstCol; col <= last; ++col)
                afterValueChange(col, row);
        }
    }
}

QString SpreadGridModel::formatValue(const QString& raw, const GridStyle& s) const
{
    if (raw.isEmpty() || (s.type != CellTypeCurrency && s.type != CellTypeNumber))
        return raw;
    bool ok = false;
    double v = raw.toDouble(&ok);
    if (!ok)
        return raw;
    const bool sep = s.showSep;
    const int dec = std::clamp(s.decPlaces, 0, 10);
    QString out = sep ? groupedLocale().toString(v, 'f', dec) : QString::number(v, 'f', dec);
    if (s.type == CellTypeCurrency && s.showSymbol)
        out.prepend(QChar(0x20A9));
    return out;
}

QString SpreadGridModel::displayText(int col, int row) const
{
    const QString raw = text(col, row);
    if (raw.isEmpty())
        return raw;
    return formatValue(raw, resolved(col, row));
}

QString SpreadGridModel::formula(int col, int row) const
{
    const GridCell* c = cell(col, row);
    if (!c || !c->extra || !c->extra->formula)
        return {};
    return c->extra->formula->text();
}

void SpreadGridModel::setFormula(int col, int row, const QString& text)
{
    if (!inRange(col, row))
        return;
    const QString f = text.trimmed();
    if (f.isEmpty()) {
        GridCell* c = const_cast<GridCell*>(cell(col, row));
        if (!c || !c->extra || !c->extra->formula)
            return;
        if (m_dirty)
            recalcAll();
        c->extra->formula.reset();
        GridRowData* r = rowData(row, false);
        m_sites.erase(std::remove_if(m_sites.begin(), m_sites.end(),
                                     [r, col](const Site& s) { return s.row == r && s.col == col; }),
                      m_sites.end());
        return;
    }
    GridCell* c = cellFor(col, row);
    if (!c->extra)
        c->extra = std::make_unique<GridCellExtra>();
    const bool had = bool(c->extra->formula);
    c->extra->formula = std::make_unique<GridFormula>(f);
    if (!had)
        m_sites.push_back({rowData(row, false), col});
    if (m_frozen) {
        m_dirty = true;
        return;
    }
    std::vector<std::pair<int, int>> changed;
    m_recalcing = true;
    ++m_generation;
    computeSite(rowData(row, false), col, changed);
    m_recalcing = false;
    // Formulas reading this cell follow.
    if (!changed.empty()) {
        afterValueChange(col, row);
        emitResults(changed);
    }
}

void SpreadGridModel::notifyCell(int col, int row)
{
    if (m_frozen)
        return;
    const QModelIndex i = index(row - 1, col - 1);
    Q_EMIT dataChanged(i, i);
}

void SpreadGridModel::notifyRows(int row1, int row2)
{
    if (m_frozen || m_maxCols == 0 || row1 > row2)
        return;
    Q_EMIT dataChanged(index(row1 - 1, 0), index(row2 - 1, m_maxCols - 1));
}

void SpreadGridModel::afterValueChange(int col, int row)
{
    if (m_sites.empty())
        return;
    if (m_frozen || m_recalcing) {
        m_dirty = true;
        return;
    }
    if (m_dirty || col == 0) {
        recalcAll();
        return;
    }
    std::vector<std::pair<int, int>> changed;
    std::vector<std::pair<int, int>> work{{col, row}};
    m_recalcing = true;
    ++m_generation;
    while (!work.empty()) {
        const auto [wc, wr] = work.back();
        work.pop_back();
        for (size_t i = 0; i < m_sites.size(); ++i) {
            const Site s = m_sites[i];
            GridFormula* f = s.row->cells[s.col - 1].extra->formula.get();
            if (f->generation == m_generation || !f->reads(s.col, s.row->index, wc, wr))
                continue;
            const size_t before = changed.size();
            computeSite(s.row, s.col, changed);
            for (size_t k = before; k < changed.size(); ++k)
                work.push_back(changed[k]);
        }
    }
    m_recalcing = false;
    emitResults(changed);
}

void SpreadGridModel::recalcAll()
{
    if (m_recalcing)
        return;
    m_dirty = false;
    if (m_sites.empty())
        return;
    std::vector<std::pair<int, int>> changed;
    m_recalcing = true;
    ++m_generation;
    for (size_t i = 0; i < m_sites.size(); ++i)
        computeSite(m_sites[i].row, m_sites[i].col, changed);
    m_recalcing = false;
    emitResults(changed);
}

void SpreadGridModel::computeSite(GridRowData* row, int col, std::vector<std::pair<int, int>>& changed)
{
    GridCell& c = row->cells[col - 1];
    GridFormula* f = c.extra->formula.get();
    if (f->generation == m_generation || f->busy)
        return;
    f->busy = true;
    GridFormula::Source src;
    src.value = [this, &changed](int vc, int vr) { return valueAt(vc, vr, changed); };
    src.sum = [this, &changed](int c1, int r1, int c2, int r2) {
        double total = 0;
        c1 = std::max(c1, 1);
        c2 = std::min(c2, m_maxCols);
        r2 = std::min(r2, maxRows());
        for (int r = std::max(r1, 1); r <= r2; ++r) {
            const GridRowData* rd = m_rows[r - 1].get();
            if (!rd)
                continue;
            const int last = std::min(c2, int(rd->cells.size()));
            for (int cc = c1; cc <= last; ++cc)
                total += valueAt(cc, r, changed);
        }
        return total;
    };
    const double v = f->evaluate(col, row->index, src);
    f->busy = false;
    f->generation = m_generation;
    const QString t = numberText(v);
    if (c.text != t) {
        c.text = t;
        changed.emplace_back(col, row->index);
    }
}

double SpreadGridModel::valueAt(int col, int row, std::vector<std::pair<int, int>>& changed)
{
    GridRowData* r = (row >= 1 && row <= maxRows()) ? m_rows[row - 1].get() : nullptr;
    if (!r || col < 1 || col > int(r->cells.size()))
        return 0;
    GridCell& c = r->cells[col - 1];
    if (c.extra && c.extra->formula && c.extra->formula->generation != m_generation)
        computeSite(r, col, changed);
    return toNumber(c.text);
}

void SpreadGridModel::emitResults(const std::vector<std::pair<int, int>>& changed)
{
    for (const auto& [col, row] : changed)
        notifyCell(col, row);
    for (const auto& [col, row] : changed)
        Q_EMIT formulaResultChanged(col, row);
}

void SpreadGridModel::renumber(int fromRow)
{
    for (int i = std::max(fromRow, 1) - 1; i < maxRows(); ++i) {
        if (m_rows[i])
            m_rows[i]->index = i + 1;
    }
}

void SpreadGridModel::dropSitesOf(const std::vector<GridRowData*>& rows)
{
    if (rows.empty() || m_sites.empty())
        return;
    m_sites.erase(std::remove_if(m_sites.begin(), m_sites.end(),
                                 [&rows](const Site& s) {
                                     return std::find(rows.begin(), rows.end(), s.row) != rows.end();
                                 }),
                  m_sites.end());
}

void SpreadGridModel::insertGridRows(int row, int count)
{
    // Inserting keeps MaxRows: the last rows fall off the end, so screens that size their grids keep that
    // size.
    const int rows = maxRows();
    if (count <= 0 || row < 1 || row > rows)
        return;
    count = std::min(count, rows - row + 1);
    for (auto& s : m_sites)
        s.row->cells[s.col - 1].extra->formula->shiftRows(row, count);
    if (!m_frozen)
        beginInsertRows({}, row - 1, row + count - 2);
    std::vector<std::unique_ptr<GridRowData>> fresh(static_cast<size_t>(count));
    m_rows.insert(m_rows.begin() + (row - 1), std::make_move_iterator(fresh.begin()),
                  std::make_move_iterator(fresh.end()));
    if (!m_frozen) {
        m_shownRows = maxRows();
        endInsertRows();
    }
    std::vector<GridRowData*> gone;
    for (int i = rows; i < rows + count; ++i) {
        if (m_rows[i]) {
            gone.push_back(m_rows[i].get());
            if (m_rows[i]->height >= 0)
                --m_customHeights;
        }
    }
    dropSitesOf(gone);
    if (!m_frozen)
        beginRemoveRows({}, rows, rows + count - 1);
    m_rows.resize(rows);
    if (!m_frozen) {
        m_shownRows = rows;
        endRemoveRows();
    }
    renumber(row);
    Q_EMIT structureChanged();
    if (!m_sites.empty())
        afterValueChange(0, 0);
}

void SpreadGridModel::deleteGridRows(int row, int count)
{
    // Deleting keeps MaxRows: empty rows come in at the end.
    const int rows = maxRows();
    if (count <= 0 || row < 1 || row > rows)
        return;
    count = std::min(count, rows - row + 1);
    std::vector<GridRowData*> gone;
    for (int i = row - 1; i < row - 1 + count; ++i) {
        if (m_rows[i]) {
            gone.push_back(m_rows[i].get());
            if (m_rows[i]->height >= 0)
                --m_customHeights;
        }
    }
    dropSitesOf(gone);
    for (auto& s : m_sites)
        s.row->cells[s.col - 1].extra->formula->shiftRows(row, -count);
    if (!m_frozen)
        beginRemoveRows({}, row - 1, row + count - 2);
    m_rows.erase(m_rows.begin() + (row - 1), m_rows.begin() + (row - 1 + count));
    if (!m_frozen) {
        m_shownRows = maxRows();
        endRemoveRows();
        beginInsertRows({}, rows - count, rows - 1);
    }
    m_rows.resize(rows);
    if (!m_frozen) {
        m_shownRows = rows;
        endInsertRows();
    }
    renumber(row);
    Q_EMIT structureChanged();
    if (!m_sites.empty())
        afterValueChange(0, 0);
}

void SpreadGridModel::clearRange(int col, int row, int col2, int row2, bool dataOnly)
{
    col = std::max(col, 1);
    row = std::max(row, 1);
    col2 = std::min(col2, m_maxCols);
    row2 = std::min(row2, maxRows());
    if (col > col2 || row > row2)
        return;
    std::vector<Site> keep;
    for (const Site& s : m_sites) {
        if (s.col >= col && s.col <= col2 && s.row->index >= row && s.row->index <= row2)
            continue;
        keep.push_back(s);
    }
    m_sites.swap(keep);
    for (int r = row; r <= row2; ++r) {
        GridRowData* rd = m_rows[r - 1].get();
        if (!rd)
            continue;
        const int last = std::min(col2, int(rd->cells.size()));
        for (int c = col; c <= last; ++c) {
            GridCell& cell = rd->cells[c - 1];
            cell.text.clear();
            if (cell.extra) {
                cell.extra->formula.reset();
                if (!dataOnly)
                    cell.extra.reset();
            }
        }
        if (!dataOnly && col == 1 && col2 == m_maxCols)
            rd->style.reset();
    }
    notifyRows(row, row2);
    if (!m_sites.empty())
        afterValueChange(0, 0);
}

GridStyle SpreadGridModel::specific(int col, int row) const
{
    GridStyle s;
    if (col >= 1 && col < int(m_cols.size()))
        s.merge(m_cols[col]);
    if (const GridRowData* r = rowData(row)) {
        if (r->style)
            s.merge(*r->style);
        if (col >= 1 && col <= int(r->cells.size())) {
            const GridCell& c = r->cells[col - 1];
            if (c.extra)
                s.merge(c.extra->style);
        }
    }
    return s;
}

GridStyle SpreadGridModel::resolved(int col, int row) const
{
    GridStyle s = m_sheet;
    s.merge(specific(col, row));
    return s;
}

GridStyle SpreadGridModel::resolvedColumn(int col) const
{
    GridStyle s = m_sheet;
    if (col >= 1 && col < int(m_cols.size()))
        s.merge(m_cols[col]);
    return s;
}

QRgb SpreadGridModel::backColorAt(int col, int row) const
{
    const GridStyle s = specific(col, row);
    if (s.has(GridStyle::Back))
        return s.back;
    if (m_oddEven)
        return (row % 2) ? m_oddBack : m_evenBack;
    return m_sheet.back;
}

QRgb SpreadGridModel::foreColorAt(int col, int row) const
{
    const GridStyle s = specific(col, row);
    if (s.has(GridStyle::Fore))
        return s.fore;
    if (m_oddEven)
        return (row % 2) ? m_oddFore : m_evenFore;
    return m_sheet.fore;
}

void SpreadGridModel::applySheetStyle(const GridStyle& delta)
{
    m_sheet.merge(delta);
    // A sheet-wide setting is the latest word for every cell.
    for (auto& c : m_cols)
        c.clear(delta.mask);
    for (auto& r : m_rows) {
        if (!r)
            continue;
        if (r->style)
            r->style->clear(delta.mask);
        for (GridCell& c : r->cells) {
            if (c.extra)
                c.extra->style.clear(delta.mask);
        }
    }
    notifyRows(1, maxRows());
}

void SpreadGridModel::applyColStyle(int col, const GridStyle& delta)
{
    if (col < 1 || col > m_maxCols)
        return;
    m_cols[col].merge(delta);
    for (auto& r : m_rows) {
        if (r && col <= int(r->cells.size()) && r->cells[col - 1].extra)
            r->cells[col - 1].extra->style.clear(delta.mask);
    }
    if (!m_frozen && maxRows() > 0)
        Q_EMIT dataChanged(index(0, col - 1), index(maxRows() - 1, col - 1));
}

void SpreadGridModel::applyRowStyle(int row, const GridStyle& delta)
{
    GridRowData* r = rowData(row, true);
    if (!r)
        return;
    if (!r->style)
        r->style = std::make_unique<GridStyle>();
    r->style->merge(delta);
    for (GridCell& c : r->cells) {
        if (c.extra)
            c.extra->style.clear(delta.mask);
    }
    notifyRows(row, row);
}

void SpreadGridModel::applyCellStyle(int col, int row, const GridStyle& delta)
{
    GridCell* c = cellFor(col, row);
    if (!c)
        return;
    if (!c->extra)
        c->extra = std::make_unique<GridCellExtra>();
    c->extra->style.merge(delta);
    notifyCell(col, row);
}

GridStyle SpreadGridModel::cellLayer(int col, int row) const
{
    const GridCell* c = cell(col, row);
    return (c && c->extra) ? c->extra->style : GridStyle();
}

void SpreadGridModel::setCellLayer(int col, int row, const GridStyle& layer)
{
    GridCell* c = cellFor(col, row);
    if (!c)
        return;
    if (!c->extra)
        c->extra = std::make_unique<GridCellExtra>();
    c->extra->style = layer;
    notifyCell(col, row);
}

void SpreadGridModel::setOddEvenColors(QRgb oddBack, QRgb oddFore, QRgb evenBack, QRgb evenFore)
{
    m_oddEven = true;
    m_oddBack = oddBack;
    m_oddFore = oddFore;
    m_evenBack = evenBack;
    m_evenFore = evenFore;
    notifyRows(1, maxRows());
}

QString SpreadGridModel::colHeaderText(int col, int headerRow) const
{
    if (headerRow >= 1 && headerRow <= int(m_colHeaders.size()) && col >= 0 &&
        col < int(m_colHeaders[headerRow - 1].size())) {
        const QString& t = m_colHeaders[headerRow - 1][col];
        if (!t.isNull())
            return t;
    }
    if (headerRow != 1)
        return {};
    return col >= 1 ? columnLetters(col) : QString();
}

void SpreadGridModel::setColHeaderText(int col, const QString& text, int headerRow)
{
    if (headerRow < 1 || col < 0 || col > m_maxCols)
        return;
    if (int(m_colHeaders.size()) < headerRow)
        m_colHeaders.resize(headerRow);
    auto& line = m_colHeaders[headerRow - 1];
    if (int(line.size()) <= m_maxCols)
        line.resize(m_maxCols + 1);
    // An empty header stays empty instead of falling back to the column letter.
    line[col] = text.isNull() ? QStringLiteral("") : text;
    if (!m_frozen && col >= 1)
        Q_EMIT headerDataChanged(Qt::Horizontal, col - 1, col - 1);
}

void SpreadGridModel::setColHeaderRows(int rows)
{
    m_colHeaderRows = std::max(rows, 0);
    if (int(m_colHeaders.size()) < m_colHeaderRows)
        m_colHeaders.resize(m_colHeaderRows, std::vector<QString>(m_maxCols + 1));
    if (!m_frozen && m_maxCols > 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, m_maxCols - 1);
}

QString SpreadGridModel::rowHeaderText(int row) const
{
    const GridRowData* r = rowData(row);
    if (r && r->hasHeader)
        return r->header;
    return QString::number(row);
}

void SpreadGridModel::setRowHeaderText(int row, const QString& text)
{
    GridRowData* r = rowData(row, true);
    if (!r)
        return;
    r->header = text;
    r->hasHeader = true;
    if (!m_frozen)
        Q_EMIT headerDataChanged(Qt::Vertical, row - 1, row - 1);
}

void SpreadGridModel::setRowHeight(int row, double points)
{
    GridRowData* r = rowData(row, true);
    if (!r)
        return;
    if (r->height < 0 && points >= 0)
        ++m_customHeights;
    else if (r->height >= 0 && points < 0)
        --m_customHeights;
    r->height = points;
}

void SpreadGridModel::clearRowHeights()
{
    if (m_customHeights == 0)
        return;
    for (auto& r : m_rows) {
        if (r)
            r->height = -1;
    }
    m_customHeights = 0;
}

void SpreadGridModel::freeze()
{
    if (m_frozen++ == 0) {
        m_shownRows = maxRows();
        m_shownCols = m_maxCols;
    }
}

void SpreadGridModel::unfreeze()
{
    if (m_frozen == 0 || --m_frozen > 0)
        return;
    beginResetModel();
    m_shownRows = maxRows();
    m_shownCols = m_maxCols;
    endResetModel();
    if (m_dirty)
        recalcAll();
    Q_EMIT structureChanged();
}
