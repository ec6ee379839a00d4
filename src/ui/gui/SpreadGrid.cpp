#include "ui/gui/SpreadGrid.h"

#include "ui/gui/GridDelegate.h"
#include "ui/gui/GridHeaderView.h"
#include "ui/gui/SpreadGridModel.h"
#include "ui/gui/StrayKeyGuard.h"

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kPixelsPerWidthUnit = 8.0;
constexpr double kDefaultColWidth = 9.0;
// Room beside a cell's text: the delegate draws it 3 pixels in from each side, within the grid line.
constexpr int kCellTextRoom = 3 + 3 + 1 + 1;

// Counts the screen handlers running inside one of the grid's events.
struct DepthGuard
{
    explicit DepthGuard(int& d) : depth(d) { ++depth; }
    ~DepthGuard() { --depth; }
    int& depth;
};
// A style delta that sets just one property.
template <typename T, typename V>
GridStyle singleField(GridStyle::Field field, T GridStyle::*member, const V& value)
{
    GridStyle d;
    d.mask = field;
    d.*member = value;
    return d;
}
} // namespace

SpreadGrid::SpreadGrid(QWidget* parent) : QWidget(parent)
{
    m_model = new SpreadGridModel(this);
    m_view = new QTableView(this);
    m_hHeader = new GridHeaderView(Qt::Horizontal, m_view);
    m_vHeader = new GridHeaderView(Qt::Vertical, m_view);
    m_view->setHorizontalHeader(m_hHeader);
    m_view->setVerticalHeader(m_vHeader);
    m_view->setModel(m_model);
    m_delegate = new GridDelegate(this, m_model);
    m_view->setItemDelegate(m_delegate);
    m_view->setSelectionMode(QAbstractItemView::NoSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setTabKeyNavigation(false);
    m_view->setWordWrap(false);
    m_view->setCornerButtonEnabled(false);
    m_view->setAttribute(Qt::WA_InputMethodEnabled);
    m_view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_hHeader->setSectionsClickable(true);
    m_hHeader->setHighlightSections(false);
    m_hHeader->setMinimumSectionSize(0);
    m_hHeader->setSectionResizeMode(QHeaderView::Interactive);
    m_hHeader->setDefaultAlignment(Qt::AlignCenter);
    m_vHeader->setSectionsClickable(true);
    m_vHeader->setHighlightSections(false);
    m_vHeader->setMinimumSectionSize(1);
    m_vHeader->setSectionResizeMode(QHeaderView::Fixed);
    m_vHeader->setDefaultAlignment(Qt::AlignCenter);
    m_hHeader->setContextMenuPolicy(Qt::CustomContextMenu);
    m_vHeader->setContextMenuPolicy(Qt::CustomContextMenu);

    QPalette pal = m_view->palette();
    pal.setColor(QPalette::Mid, QColor(200, 200, 200));
    m_view->setPalette(pal);
    SetGrayAreaBackColor(m_grayArea);

    m_editor = new QLineEdit(m_view->viewport());
    m_editor->setFrame(false);
    m_editor->setProperty(kOwnStrayKeysProperty, true);
    m_editor->hide();
    m_editor->installEventFilter(this);
    connect(m_editor, &QLineEdit::textEdited, this, [this] { m_editTyped = true; });
    m_view->installEventFilter(this);
    m_view->viewport()->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setFocusProxy(m_view);

    m_colWidths.assign(1, 0);
    m_colMinTexts.assign(1, {});
    m_colMinPx.assign(1, 0);
    m_colHidden.assign(1, false);
    m_vHeader->setDefaultSectionSize(qRound(rowUnitsToPx(m_rowHeight)));
    m_hHeader->setFixedExtent(qRound(rowUnitsToPx(m_headerHeight)));
    applyViewFont();

    connect(m_model, &SpreadGridModel::formulaResultChanged, this, &SpreadGrid::FormulaChange);
    connect(m_model, &SpreadGridModel::structureChanged, this, &SpreadGrid::onStructureChanged);
    connect(m_model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int) {
                if (m_editing && !m_ending && m_editRow - 1 >= first)
                    abortEdit();
            });
    connect(m_model, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex&, int first, int) {
                if (m_editing && !m_ending && m_editRow - 1 >= first)
                    abortEdit();
            });
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this]() {
        if (m_editing && !m_ending)
            abortEdit();
    });
    connect(m_hHeader, &QHeaderView::sectionResized, this, [this](int section, int, int newSize) {
        if (m_applyingWidths)
            return;
        const int col = section + 1;
        // Dragged narrower than its texts need, the column stays at that minimum.
        if (const int least = minColPx(col); newSize < least && !ColHidden(col)) {
            m_applyingWidths = true;
            m_hHeader->resizeSection(section, least);
            m_applyingWidths = false;
            newSize = least;
        }
        if (col < int(m_colWidths.size()))
            m_colWidths[col] = newSize / colUnitsToPx(1);
        placeEditor();
        Q_EMIT ColWidthChange(col, col);
    });
    connect(m_hHeader, &QHeaderView::sectionClicked, this,
            [this](int section) { Q_EMIT Click(section + 1, 0); });
    connect(m_vHeader, &QHeaderView::sectionClicked, this,
            [this](int section) { Q_EMIT Click(0, section + 1); });
    connect(m_hHeader, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        Q_EMIT RightClick(m_hHeader->logicalIndexAt(p) + 1, 0, m_hHeader->mapToGlobal(p));
    });
    connect(m_vHeader, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        Q_EMIT RightClick(0, m_vHeader->logicalIndexAt(p) + 1, m_vHeader->mapToGlobal(p));
    });
    connect(m_view->horizontalScrollBar(), &QScrollBar::valueChanged, this, &SpreadGrid::placeEditor);
    connect(m_view->verticalScrollBar(), &QScrollBar::valueChanged, this, &SpreadGrid::placeEditor);
}

SpreadGrid::~SpreadGrid()
{
    // No events for screens that are half torn down.
    blockSignals(true);
}

// ---- size and addressing ----

int SpreadGrid::MaxRows() const
{
    return m_model->maxRows();
}

void SpreadGrid::SetMaxRows(int rows)
{
    if (m_editing && m_editRow > rows)
        abortEdit();
    m_model->setMaxRows(rows);
    if (m_activeRow > m_model->maxRows())
        setActiveInternal(m_activeCol, m_model->maxRows());
    else if (m_activeRow == 0 && m_activeCol > 0 && rows > 0)
        setActiveInternal(m_activeCol, 1);
}

int SpreadGrid::MaxCols() const
{
    return m_model->maxCols();
}

void SpreadGrid::SetMaxCols(int cols)
{
    cols = std::max(cols, 0);
    if (m_editing && m_editCol > cols)
        abortEdit();
    const int old = m_model->maxCols();
    m_colWidths.resize(cols + 1, kDefaultColWidth);
    m_colMinTexts.resize(cols + 1);
    m_colMinPx.resize(cols + 1, -1);
    m_colHidden.resize(cols + 1, false);
    m_model->setMaxCols(cols);
    m_applyingWidths = true;
    for (int c = old + 1; c <= cols; ++c)
        m_hHeader->resizeSection(c - 1, shownColPx(c));
    m_applyingWidths = false;
    if (m_activeCol > cols)
        setActiveInternal(cols, m_activeRow);
    else if (m_activeCol == 0 && cols > 0 && m_activeRow > 0)
        setActiveInternal(1, m_activeRow);
}

int SpreadGrid::DataRowCnt() const
{
    return m_model->dataRowCount();
}

int SpreadGrid::DataColCnt() const
{
    return m_model->dataColCount();
}

void SpreadGrid::SetActiveCell(int col, int row)
{
    if (m_beginning) {
        // A handler of the edit's start moved on: the edit never opens.
        m_editing = false;
    } else if (m_editing && !m_ending && (col != m_editCol || row != m_editRow)) {
        endEdit(true);
    }
    if (m_depth > 0)
        m_cursorMovedInHandler = true;
    if (col <= 0 || row <= 0) {
        setActiveInternal(0, 0);
        return;
    }
    setActiveInternal(std::min(col, MaxCols()), std::min(row, MaxRows()));
    requestPermanentEdit();
}

// ---- content ----

void SpreadGrid::SetText(int col, int row, const QString& text)
{
    if (row == 0 && col >= 0) {
        SetColHeaderText(col, text);
        return;
    }
    if (col == 0 && row > 0) {
        m_model->setRowHeaderText(row, text);
        return;
    }
    m_model->setText(col, row, text);
    if (m_editing && col == m_editCol && row == m_editRow) {
        // The screen rewrote the cell under edit: the edit goes on from the new text.
        m_editOrig = m_model->text(col, row);
        if (m_editor->isVisible())
            m_editor->setText(m_editOrig);
    }
}

void SpreadGrid::SetValue(int col, int row, const QVariant& value)
{
    SetText(col, row, SpreadGridModel::variantText(value));
}

bool SpreadGrid::GetText(int col, int row, QString& text) const
{
    text = CellText(col, row);
    return !text.isEmpty();
}

QString SpreadGrid::CellText(int col, int row) const
{
    if (row == 0 && col >= 0)
        return ColHeaderText(col);
    if (col == 0 && row > 0)
        return m_model->rowHeaderText(row);
    return m_model->text(col, row);
}

QString SpreadGrid::FormattedText(int col, int row) const
{
    if (row <= 0 || col <= 0)
        return CellText(col, row);
    return m_model->displayText(col, row);
}

QString SpreadGrid::Text() const
{
    return CellText(m_col, m_row);
}

void SpreadGrid::SetText(const QString& text)
{
    if (m_blockMode) {
        for (int r = std::max(std::min(m_row, m_row2), 1); r <= std::min(std::max(m_row, m_row2), MaxRows());
             ++r)
            for (int c = std::max(std::min(m_col, m_col2), 1);
                 c <= std::min(std::max(m_col, m_col2), MaxCols()); ++c)
                SetText(c, r, text);
        return;
    }
    SetText(m_col, m_row, text);
}

QString SpreadGrid::Formula() const
{
    return m_model->formula(m_col, m_row);
}

void SpreadGrid::SetFormula(const QString& formula)
{
    int c1 = m_col, c2 = m_col, r1 = m_row, r2 = m_row;
    if (m_blockMode) {
        c1 = std::min(m_col, m_col2);
        c2 = std::max(m_col, m_col2);
        r1 = std::min(m_row, m_row2);
        r2 = std::max(m_row, m_row2);
    }
    if (c1 == -1) {
        c1 = 1;
        c2 = MaxCols();
    }
    if (r1 == -1) {
        r1 = 1;
        r2 = MaxRows();
    }
    c1 = std::max(c1, 1);
    r1 = std::max(r1, 1);
    c2 = std::min(c2, MaxCols());
    r2 = std::min(r2, MaxRows());
    const bool many = (r2 - r1) > 0 || (c2 - c1) > 0;
    if (many)
        m_model->freeze();
    for (int r = r1; r <= r2; ++r)
        for (int c = c1; c <= c2; ++c)
            m_model->setFormula(c, r, formula);
    if (many) {
        m_model->unfreeze();
        syncViewCursor();
    }
}

void SpreadGrid::SetFormula(int col, int row, const QString& formula)
{
    m_model->setFormula(col, row, formula);
}

void SpreadGrid::InsertRows(int row, int count)
{
    m_model->insertGridRows(row, count);
    syncViewCursor();
}

void SpreadGrid::DeleteRows(int row, int count)
{
    m_model->deleteGridRows(row, count);
    syncViewCursor();
}

void SpreadGrid::ClearRange(int col, int row, int col2, int row2, bool dataOnly)
{
    if (col == -1) {
        col = 1;
        col2 = MaxCols();
    }
    if (row == -1) {
        row = 1;
        row2 = MaxRows();
    }
    if (m_editing && m_editCol >= col && m_editCol <= col2 && m_editRow >= row && m_editRow <= row2)
        abortEdit();
    m_model->clearRange(col, row, col2, row2, dataOnly);
}

void SpreadGrid::Refresh()
{
    m_view->viewport()->update();
}

void SpreadGrid::SetReDraw(bool on)
{
    if (on == m_redraw)
        return;
    m_redraw = on;
    if (!on) {
        if (m_editing)
            abortEdit();
        m_model->freeze();
        m_view->setUpdatesEnabled(false);
        return;
    }
    m_model->unfreeze();
    m_view->setUpdatesEnabled(true);
    syncViewCursor();
    requestPermanentEdit();
}

void SpreadGrid::Recalc()
{
    m_model->recalcAll();
}

void SpreadGrid::SetRowValues(int row, const QVariantList& values, int firstCol)
{
    m_model->setRowValues(row, values, firstCol);
}

void SpreadGrid::SetBlockValues(int row, const QList<QVariantList>& rows, int firstCol)
{
    const bool wasOn = m_redraw;
    SetReDraw(false);
    for (int i = 0; i < rows.size(); ++i)
        m_model->setRowValues(row + i, rows.at(i), firstCol);
    SetReDraw(wasOn);
}

int SpreadGrid::FillFromQuery(QSqlQuery& query, const QStringList& fields, int afterRow)
{
    const bool wasOn = m_redraw;
    SetReDraw(false);
    const QSqlRecord rec = query.record();
    std::vector<int> fieldIndex;
    fieldIndex.reserve(fields.size());
    for (const QString& f : fields)
        fieldIndex.push_back(f.isEmpty() ? -1 : rec.indexOf(f));
    int row = std::max(afterRow, 0);
    m_model->setMaxRows(row);
    QVariantList values;
    values.reserve(int(fieldIndex.size()));
    int capacity = row;
    while (query.next()) {
        ++row;
        if (row > capacity) {
            // Grow in steps so a long result does not resize the store record by record.
            capacity = std::max(row, capacity + capacity / 2 + 64);
            m_model->setMaxRows(capacity);
        }
        values.clear();
        for (int idx : fieldIndex)
            values.append(idx >= 0 ? query.value(idx) : QVariant());
        m_model->setRowValues(row, values, 1);
    }
    m_model->setMaxRows(row);
    SetReDraw(wasOn);
    return row - std::max(afterRow, 0);
}

// ---- cursor-addressed formats ----

SpreadGrid::Target SpreadGrid::cursorTarget() const
{
    if (m_blockMode && (m_col2 != m_col || m_row2 != m_row) && m_col != -1 && m_row != -1)
        return Target::Block;
    if (m_row == 0)
        return m_col == 0 ? Target::None : Target::ColHeader;
    if (m_col == 0)
        return Target::RowHeader;
    if (m_col == -1 && m_row == -1)
        return Target::Sheet;
    if (m_row == -1)
        return Target::Column;
    if (m_col == -1)
        return Target::Row;
    return Target::Cell;
}

void SpreadGrid::applyStyle(const GridStyle& delta)
{
    switch (cursorTarget()) {
    case Target::Sheet:
        m_model->applySheetStyle(delta);
        if (delta.mask & (GridStyle::FontSize | GridStyle::FontName | GridStyle::FontBold))
            applyViewFont();
        break;
    case Target::Column:
        m_model->applyColStyle(m_col, delta);
        break;
    case Target::Row:
        m_model->applyRowStyle(m_row, delta);
        break;
    case Target::Cell:
        m_model->applyCellStyle(m_col, m_row, delta);
        break;
    case Target::Block: {
        const int c1 = std::max(std::min(m_col, m_col2), 1),
                  c2 = std::min(std::max(m_col, m_col2), MaxCols());
        const int r1 = std::max(std::min(m_row, m_row2), 1),
                  r2 = std::min(std::max(m_row, m_row2), MaxRows());
        const bool wholeRows = c1 == 1 && c2 == MaxCols();
        for (int r = r1; r <= r2; ++r) {
            if (wholeRows) {
                m_model->applyRowStyle(r, delta);
            } else {
                for (int c = c1; c <= c2; ++c)
                    m_model->applyCellStyle(c, r, delta);
            }
        }
        break;
    }
    case Target::ColHeader:
    case Target::RowHeader:
        // Headers take only the font size, kept for the whole header.
        if (delta.has(GridStyle::FontSize)) {
            m_headerFontSize = delta.fontSize;
            applyViewFont();
        }
        break;
    case Target::None:
        break;
    }
}

GridStyle SpreadGrid::cursorStyle() const
{
    if (m_row == 0 || m_col == 0) {
        GridStyle s = m_model->sheetStyle();
        s.fontSize = m_headerFontSize;
        return s;
    }
    return m_model->resolved(std::max(m_col, 1), std::max(m_row, 1));
}

int SpreadGrid::CellType() const
{
    return cursorStyle().type;
}

void SpreadGrid::SetCellType(int type)
{
    applyStyle(singleField(GridStyle::Type, &GridStyle::type, type));
}

void SpreadGrid::SetTypeNumberDecPlaces(int places)
{
    applyStyle(singleField(GridStyle::DecPlaces, &GridStyle::decPlaces, places));
}

void SpreadGrid::SetTypeNumberShowSep(bool on)
{
    applyStyle(singleField(GridStyle::ShowSep, &GridStyle::showSep, on));
}

void SpreadGrid::SetTypeCurrencyMax(double value)
{
    applyStyle(singleField(GridStyle::MaxValue, &GridStyle::maxValue, value));
}

void SpreadGrid::SetTypeCurrencyMin(double value)
{
    applyStyle(singleField(GridStyle::MinValue, &GridStyle::minValue, value));
}

void SpreadGrid::SetTypeCurrencyShowSymbol(bool on)
{
    applyStyle(singleField(GridStyle::ShowSymbol, &GridStyle::showSymbol, on));
}

void SpreadGrid::SetTypeCurrencyDecPlaces(int places)
{
    SetTypeNumberDecPlaces(places);
}

void SpreadGrid::SetTypeCurrencyShowSep(bool on)
{
    SetTypeNumberShowSep(on);
}

void SpreadGrid::SetTypeHAlign(int align)
{
    applyStyle(singleField(GridStyle::HAlign, &GridStyle::hAlign, align));
}

void SpreadGrid::SetTypeVAlign(int align)
{
    applyStyle(singleField(GridStyle::VAlign, &GridStyle::vAlign, align));
}

bool SpreadGrid::Lock() const
{
    return cursorStyle().lock;
}

void SpreadGrid::SetLock(bool on)
{
    applyStyle(singleField(GridStyle::Lock, &GridStyle::lock, on));
}

bool SpreadGrid::IsLocked(int col, int row) const
{
    return m_model->resolved(col, row).lock;
}

double SpreadGrid::FontSize() const
{
    return cursorStyle().fontSize;
}

void SpreadGrid::SetFontSize(double points)
{
    if (points <= 0)
        return;
    applyStyle(singleField(GridStyle::FontSize, &GridStyle::fontSize, points));
}

QString SpreadGrid::FontName() const
{
    const QString n = cursorStyle().fontName;
    return n.isEmpty() ? m_view->font().family() : n;
}

void SpreadGrid::SetFontName(const QString& name)
{
    applyStyle(singleField(GridStyle::FontName, &GridStyle::fontName, name));
}

bool SpreadGrid::FontBold() const
{
    return cursorStyle().fontBold;
}

void SpreadGrid::SetFontBold(bool on)
{
    applyStyle(singleField(GridStyle::FontBold, &GridStyle::fontBold, on));
}

QColor SpreadGrid::BackColor() const
{
    if (m_row <= 0 || m_col <= 0)
        return QColor::fromRgb(m_model->sheetStyle().back);
    return CellBackColor(m_col, m_row);
}

void SpreadGrid::SetBackColor(const QColor& color)
{
    applyStyle(singleField(GridStyle::Back, &GridStyle::back, color.rgb()));
}

QColor SpreadGrid::ForeColor() const
{
    if (m_row <= 0 || m_col <= 0)
        return QColor::fromRgb(m_model->sheetStyle().fore);
    return CellForeColor(m_col, m_row);
}

void SpreadGrid::SetForeColor(const QColor& color)
{
    applyStyle(singleField(GridStyle::Fore, &GridStyle::fore, color.rgb()));
}

QColor SpreadGrid::CellBackColor(int col, int row) const
{
    return QColor::fromRgb(m_model->backColorAt(col, row));
}

QColor SpreadGrid::CellForeColor(int col, int row) const
{
    return QColor::fromRgb(m_model->foreColorAt(col, row));
}

GridStyle SpreadGrid::CellStyle(int col, int row) const
{
    return m_model->resolved(col, row);
}

void SpreadGrid::SetSelBackColor(const QColor& color)
{
    m_selBack = color;
    Refresh();
}

void SpreadGrid::SetGrayAreaBackColor(const QColor& color)
{
    m_grayArea = color;
    QPalette pal = m_view->palette();
    pal.setColor(QPalette::Base, color);
    m_view->setPalette(pal);
}

void SpreadGrid::SetOddEvenRowColor(const QColor& oddBack, const QColor& oddFore, const QColor& evenBack,
                                    const QColor& evenFore)
{
    m_model->setOddEvenColors(oddBack.rgb(), oddFore.rgb(), evenBack.rgb(), evenFore.rgb());
}

void SpreadGrid::SetRowHeadersShow(bool on)
{
    m_rowHeadersShow = on;
    m_vHeader->setVisible(on);
}

void SpreadGrid::SetColHeadersShow(bool on)
{
    m_colHeadersShow = on;
    m_hHeader->setVisible(on);
}

int SpreadGrid::ColHeaderRows() const
{
    return m_model->colHeaderRows();
}

void SpreadGrid::SetColHeaderRows(int rows)
{
    m_model->setColHeaderRows(rows);
    SetColHeadersShow(rows > 0);
}

QString SpreadGrid::ColHeaderText(int col, int headerRow) const
{
    return m_model->colHeaderText(col, headerRow);
}

void SpreadGrid::SetColHeaderText(int col, const QString& text, int headerRow)
{
    m_model->setColHeaderText(col, text, headerRow);
}

void SpreadGrid::SetColHeaders(const QStringList& texts)
{
    if (MaxCols() < texts.size())
        SetMaxCols(int(texts.size()));
    for (int i = 0; i < texts.size(); ++i)
        m_model->setColHeaderText(i + 1, texts.at(i));
}

// ---- sizes ----

double SpreadGrid::rowUnitsToPx(double points) const
{
    return points * logicalDpiY() / 72.0;
}

double SpreadGrid::colUnitsToPx(double width) const
{
    return width * kPixelsPerWidthUnit * logicalDpiX() / 96.0;
}

double SpreadGrid::RowHeight(int row) const
{
    if (row == 0)
        return m_headerHeight;
    if (const GridRowData* r = m_model->rowData(row); r && r->height >= 0)
        return r->height;
    return m_rowHeight;
}

void SpreadGrid::SetRowHeight(int row, double points)
{
    if (points < 0)
        return;
    if (row == 0) {
        m_headerHeight = points;
        m_hHeader->setFixedExtent(std::max(1, int(std::lround(rowUnitsToPx(points)))));
        return;
    }
    if (row == -1) {
        m_rowHeight = points;
        const bool hadCustom = m_model->customHeightRows() > 0;
        m_model->clearRowHeights();
        m_vHeader->setDefaultSectionSize(std::max(1, int(std::lround(rowUnitsToPx(points)))));
        if (hadCustom)
            applyRowHeights();
        placeEditor();
        return;
    }
    if (row < 1 || row > MaxRows())
        return;
    m_model->setRowHeight(row, points);
    m_vHeader->resizeSection(row - 1, std::max(1, int(std::lround(rowUnitsToPx(points)))));
    placeEditor();
}

void SpreadGrid::applyRowHeights()
{
    const int def = std::max(1, int(std::lround(rowUnitsToPx(m_rowHeight))));
    m_vHeader->setDefaultSectionSize(def);
    for (int r = 1; r <= MaxRows(); ++r) {
        const GridRowData* rd = m_model->rowData(r);
        const int px =
            (rd && rd->height >= 0) ? std::max(1, int(std::lround(rowUnitsToPx(rd->height)))) : def;
        if (m_vHeader->sectionSize(r - 1) != px)
            m_vHeader->resizeSection(r - 1, px);
    }
}

double SpreadGrid::ColWidth(int col) const
{
    if (col == 0)
        return m_vHeader->width() / colUnitsToPx(1);
    if (col < 1 || col >= int(m_colWidths.size()))
        return 0;
    return m_colWidths[col];
}

int SpreadGrid::ColWidthPx(int col) const
{
    if (col == 0)
        return m_rowHeadersShow ? m_vHeader->width() : 0;
    if (col < 1 || col > MaxCols() || ColHidden(col))
        return 0;
    return m_hHeader->sectionSize(col - 1);
}

void SpreadGrid::SetColWidth(int col, double width)
{
    if (width < 0)
        return;
    if (col == 0) {
        m_vHeader->setFixedExtent(int(std::lround(colUnitsToPx(width))));
        m_colWidths[0] = width;
        return;
    }
    m_applyingWidths = true;
    const int first = col == -1 ? 1 : col;
    const int last = col == -1 ? MaxCols() : col;
    for (int c = std::max(first, 1); c <= std::min(last, MaxCols()); ++c) {
        m_colWidths[c] = width;
        m_hHeader->resizeSection(c - 1, shownColPx(c));
    }
    m_applyingWidths = false;
    placeEditor();
}

void SpreadGrid::SetColMinTexts(int col, const QStringList& texts)
{
    if (col < 1 || col > MaxCols())
        return;
    m_colMinTexts[col] = texts;
    m_colMinPx[col] = -1;
    m_applyingWidths = true;
    m_hHeader->resizeSection(col - 1, shownColPx(col));
    m_applyingWidths = false;
    placeEditor();
}

double SpreadGrid::ShownColWidth(int col) const
{
    if (col < 1 || col > MaxCols())
        return ColWidth(col);
    return shownColPx(col) / colUnitsToPx(1);
}

int SpreadGrid::minColPx(int col) const
{
    if (col < 1 || col >= int(m_colMinPx.size()))
        return 0;
    int& px = m_colMinPx[col];
    if (px >= 0)
        return px;
    px = 0;
    if (m_colMinTexts[col].isEmpty())
        return px;
    const QFontMetrics fm(m_view->font());
    // Ten of a digit measure its width without the rounding of a single character.
    QChar widest = QLatin1Char('0');
    int widestRun = 0;
    for (char d = '0'; d <= '9'; ++d) {
        if (const int run = fm.horizontalAdvance(QString(10, QLatin1Char(d))); run > widestRun) {
            widestRun = run;
            widest = QLatin1Char(d);
        }
    }
    for (QString text : m_colMinTexts[col]) {
        for (QChar& ch : text) {
            if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9'))
                ch = widest;
        }
        px = std::max(px, fm.horizontalAdvance(text) + kCellTextRoom);
    }
    return px;
}

int SpreadGrid::shownColPx(int col) const
{
    return std::max(int(std::lround(colUnitsToPx(m_colWidths[col]))), minColPx(col));
}

void SpreadGrid::applyColWidths()
{
    m_applyingWidths = true;
    for (int c = 1; c <= MaxCols(); ++c) {
        const int px = shownColPx(c);
        if (m_hHeader->sectionSize(c - 1) != px && !m_colHidden[c])
            m_hHeader->resizeSection(c - 1, px);
    }
    m_applyingWidths = false;
}

bool SpreadGrid::ColHidden(int col) const
{
    return col >= 1 && col < int(m_colHidden.size()) && m_colHidden[col];
}

void SpreadGrid::SetColHidden(int col, bool hidden)
{
    const int first = col == -1 ? 1 : col;
    const int last = col == -1 ? MaxCols() : col;
    for (int c = std::max(first, 1); c <= std::min(last, MaxCols()); ++c) {
        m_colHidden[c] = hidden;
        m_view->setColumnHidden(c - 1, hidden);
    }
    if (m_editing && ColHidden(m_editCol))
        abortEdit();
}

void SpreadGrid::applyViewFont()
{
    const GridStyle& s = m_model->sheetStyle();
    QFont f = font();
    if (!s.fontName.isEmpty())
        f.setFamily(s.fontName);
    if (s.fontSize > 0)
        f.setPointSizeF(s.fontSize);
    f.setBold(s.fontBold);
    m_view->setFont(f);
    m_editor->setFont(f);
    // The columns' minimums follow the font.
    std::fill(m_colMinPx.begin(), m_colMinPx.end(), -1);
    applyColWidths();
    placeEditor();
    QFont hf = font();
    if (m_headerFontSize > 0)
        hf.setPointSizeF(m_headerFontSize);
    m_hHeader->setFont(hf);
    m_vHeader->setFont(hf);
}

void SpreadGrid::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        applyViewFont();
}

// ---- behaviour ----

void SpreadGrid::SetOperationMode(int mode)
{
    m_operationMode = mode;
    Refresh();
}

void SpreadGrid::SetCursorStyle(int style)
{
    m_cursorStyle = style;
    Refresh();
}

void SpreadGrid::SetEditModePermanent(bool on)
{
    m_editModePermanent = on;
    if (on)
        requestPermanentEdit();
}

bool SpreadGrid::isRowHighlighted(int row) const
{
    return m_operationMode == 2 && row == m_activeRow && row > 0;
}

bool SpreadGrid::isActiveCell(int col, int row) const
{
    return col == m_activeCol && row == m_activeRow && row > 0 && col > 0;
}

bool SpreadGrid::isEditable(int col, int row) const
{
    if (col < 1 || row < 1 || col > MaxCols() || row > MaxRows() || ColHidden(col))
        return false;
    if (m_operationMode == 1 || m_operationMode == 2 || m_operationMode == 3)
        return false;
    const GridStyle s = m_model->resolved(col, row);
    return !s.lock && s.type != CellTypeStaticText && s.type != CellTypeCheckBox;
}

void SpreadGrid::setActiveInternal(int col, int row)
{
    const int oldRow = m_activeRow;
    const int oldCol = m_activeCol;
    m_activeCol = std::max(col, 0);
    m_activeRow = std::max(row, 0);
    if (oldRow == m_activeRow && oldCol == m_activeCol)
        return;
    syncViewCursor();
    updateRow(oldRow);
    updateRow(m_activeRow);
}

void SpreadGrid::syncViewCursor()
{
    if (m_activeRow > MaxRows() || m_activeCol > MaxCols()) {
        m_activeRow = std::min(m_activeRow, MaxRows());
        m_activeCol = std::min(m_activeCol, MaxCols());
    }
    if (!m_redraw || !m_view->selectionModel())
        return;
    const QModelIndex idx = m_model->index(m_activeRow - 1, m_activeCol - 1);
    m_view->selectionModel()->setCurrentIndex(idx, QItemSelectionModel::NoUpdate);
    if (idx.isValid() && m_view->isVisible())
        m_view->scrollTo(idx);
    m_view->viewport()->update();
}

void SpreadGrid::keepCursorInView()
{
    const QModelIndex idx = m_model->index(m_activeRow - 1, m_activeCol - 1);
    if (!m_redraw || !idx.isValid())
        return;
    // A hidden view has no real size yet: scrolling now would push the first columns out of sight for
    // good. Showing the grid brings the cursor into view instead (also in syncViewCursor).
    if (m_view->isVisible())
        m_view->scrollTo(idx);
    placeEditor();
}

void SpreadGrid::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    QTimer::singleShot(0, this, [this] { keepCursorInView(); });
}

void SpreadGrid::updateRow(int row)
{
    if (row < 1 || row > MaxRows() || !m_redraw)
        return;
    const int y = m_vHeader->sectionViewportPosition(row - 1);
    m_view->viewport()->update(0, y, m_view->viewport()->width(), m_vHeader->sectionSize(row - 1));
}

void SpreadGrid::onStructureChanged()
{
    if (!m_redraw)
        return;
    applyColWidths();
    for (int c = 1; c <= MaxCols(); ++c) {
        if (m_view->isColumnHidden(c - 1) != m_colHidden[c])
            m_view->setColumnHidden(c - 1, m_colHidden[c]);
    }
    if (m_model->customHeightRows() > 0)
        applyRowHeights();
    syncViewCursor();
}

int SpreadGrid::nextVisibleCol(int col, int step) const
{
    int c = col + step;
    while (c >= 1 && c <= MaxCols() && ColHidden(c))
        c += step;
    if (c < 1 || c > MaxCols())
        return col;
    return c;
}

bool SpreadGrid::hasGridFocus() const
{
    QWidget* f = QApplication::focusWidget();
    return f && (f == m_view || f == m_editor || f == m_view->viewport());
}

// ---- editing ----

void SpreadGrid::SetEditMode(bool on)
{
    if (on)
        beginEdit(nullptr);
    else
        endEdit(true);
}

bool SpreadGrid::beginEdit(const QString* typed)
{
    if (m_editing || m_beginning || m_ending)
        return false;
    const int col = m_activeCol;
    const int row = m_activeRow;
    if (!isEditable(col, row))
        return false;
    m_editing = true;
    m_editCol = col;
    m_editRow = row;
    m_editOrig = m_model->text(col, row);
    m_beginning = true;
    {
        DepthGuard guard(m_depth);
        Q_EMIT EditMode(col, row, 1, false);
    }
    m_beginning = false;
    if (!m_editing || m_editCol != col || m_editRow != row || col != m_activeCol || row != m_activeRow)
        return false;

    const GridStyle s = m_model->resolved(col, row);
    const bool numeric = s.type == CellTypeNumber || s.type == CellTypeCurrency;
    if (numeric) {
        static const QRegularExpression re(QStringLiteral("^[-+]?[0-9,]*\\.?[0-9]*$"));
        m_editor->setValidator(new QRegularExpressionValidator(re, m_editor));
    } else if (m_editor->validator()) {
        const QValidator* v = m_editor->validator();
        m_editor->setValidator(nullptr);
        delete v;
    }
    int h = s.hAlign;
    if (h == HAlignDefault)
        h = numeric ? HAlignRight : HAlignLeft;
    m_editor->setAlignment((h == HAlignRight    ? Qt::AlignRight
                            : h == HAlignCenter ? Qt::AlignHCenter
                                                : Qt::AlignLeft) |
                           Qt::AlignVCenter);
    QFont f = m_view->font();
    if (s.fontSize > 0)
        f.setPointSizeF(s.fontSize);
    f.setBold(s.fontBold);
    m_editor->setFont(f);
    QPalette pal = m_editor->palette();
    pal.setColor(QPalette::Base, m_selBack);
    pal.setColor(QPalette::Text, CellForeColor(col, row));
    m_editor->setPalette(pal);
    m_editor->setText(typed ? *typed : m_editOrig);
    m_editTyped = typed != nullptr;
    placeEditor();
    m_editor->show();
    // Focusing the grid during the edit lands in the editor, keeping its text selection.
    setFocusProxy(m_editor);
    m_internalFocus = true;
    m_editor->setFocus(Qt::OtherFocusReason);
    m_internalFocus = false;
    // Replace mode: the first key typed replaces the whole text.
    if (!typed && m_editModeReplace)
        m_editor->selectAll();
    else
        m_editor->end(false);
    return true;
}

void SpreadGrid::placeEditor()
{
    if (!m_editing)
        return;
    const QModelIndex idx = m_model->index(m_editRow - 1, m_editCol - 1);
    const QRect r = m_view->visualRect(idx);
    m_editor->setGeometry(r.adjusted(1, 1, -1, -1));
}

void SpreadGrid::endEdit(bool commit)
{
    if (!m_editing || m_ending || m_beginning)
        return;
    m_ending = true;
    const int col = m_editCol;
    const int row = m_editRow;
    QString typed = m_editor->isVisible() ? m_editor->text() : m_editOrig;
    m_internalFocus = true;
    setFocusProxy(m_view);
    if (m_editor->hasFocus())
        m_view->setFocus(Qt::OtherFocusReason);
    m_editor->hide();
    m_internalFocus = false;
    m_editing = false;

    bool changed = false;
    if (commit && typed != m_editOrig) {
        const GridStyle s = m_model->resolved(col, row);
        if ((s.type == CellTypeNumber || s.type == CellTypeCurrency) && !typed.trimmed().isEmpty()) {
            typed.remove(QLatin1Char(','));
            typed = typed.trimmed();
            bool ok = false;
            const double v = typed.toDouble(&ok);
            if (!ok)
                typed = m_editOrig;
            else if (v > s.maxValue)
                typed = SpreadGridModel::numberText(s.maxValue);
            else if (v < s.minValue)
                typed = SpreadGridModel::numberText(s.minValue);
        }
        m_model->setText(col, row, typed);
        changed = m_model->text(col, row) != m_editOrig;
    }
    const QString committed = m_model->text(col, row);
    m_ending = false;
    {
        DepthGuard guard(m_depth);
        Q_EMIT EditMode(col, row, 0, changed);
        if (changed && m_model->text(col, row) == committed)
            Q_EMIT Change(col, row);
    }
}

void SpreadGrid::abortEdit()
{
    if (!m_editing)
        return;
    m_editing = false;
    m_internalFocus = true;
    setFocusProxy(m_view);
    if (m_editor->hasFocus())
        m_view->setFocus(Qt::OtherFocusReason);
    m_editor->hide();
    m_internalFocus = false;
    if (!m_beginning)
        requestPermanentEdit();
}

void SpreadGrid::requestPermanentEdit()
{
    if (!m_editModePermanent || m_editing || m_beginning || m_ending)
        return;
    if (m_depth > 0 || !m_redraw) {
        // Inside a screen's handler: open the edit once the handler has returned.
        if (!m_editQueued) {
            m_editQueued = true;
            QMetaObject::invokeMethod(
                this,
                [this]() {
                    m_editQueued = false;
                    requestPermanentEdit();
                },
                Qt::QueuedConnection);
        }
        return;
    }
    if (!hasGridFocus())
        return;
    beginEdit(nullptr);
}

bool SpreadGrid::userMoveTo(int col, int row)
{
    if (col < 1 || row < 1 || col > MaxCols() || row > MaxRows())
        return false;
    if (col == m_activeCol && row == m_activeRow) {
        requestPermanentEdit();
        return true;
    }
    m_cursorMovedInHandler = false;
    if (m_editing) {
        endEdit(true);
        if (m_cursorMovedInHandler) {
            requestPermanentEdit();
            return false;
        }
    }
    bool cancel = false;
    const int fromCol = m_activeCol, fromRow = m_activeRow;
    if (fromCol > 0 && fromRow > 0) {
        DepthGuard guard(m_depth);
        Q_EMIT LeaveCell(fromCol, fromRow, col, row, cancel);
    }
    if (m_cursorMovedInHandler || cancel || col > MaxCols() || row > MaxRows()) {
        requestPermanentEdit();
        return false;
    }
    setActiveInternal(col, row);
    requestPermanentEdit();
    return true;
}

void SpreadGrid::moveBy(int key)
{
    int col = std::max(m_activeCol, 1);
    int row = std::max(m_activeRow, 1);
    const int page =
        std::max(1, m_view->viewport()->height() / std::max(1, m_vHeader->defaultSectionSize()) - 1);
    switch (key) {
    case Qt::Key_Up:
        row = std::max(1, row - 1);
        break;
    case Qt::Key_Down:
        row = std::min(MaxRows(), row + 1);
        break;
    case Qt::Key_Left:
        col = nextVisibleCol(col, -1);
        break;
    case Qt::Key_Right:
        col = nextVisibleCol(col, 1);
        break;
    case Qt::Key_PageUp:
        row = std::max(1, row - page);
        break;
    case Qt::Key_PageDown:
        row = std::min(MaxRows(), row + page);
        break;
    case Qt::Key_Home:
        col = nextVisibleCol(0, 1);
        break;
    case Qt::Key_End:
        col = nextVisibleCol(MaxCols() + 1, -1);
        break;
    case Qt::Key_Tab: {
        const int next = nextVisibleCol(col, 1);
        if (next == col && row < MaxRows()) {
            col = nextVisibleCol(0, 1);
            ++row;
        } else {
            col = next;
        }
        break;
    }
    case Qt::Key_Backtab: {
        const int prev = nextVisibleCol(col, -1);
        if (prev == col && row > 1) {
            col = nextVisibleCol(MaxCols() + 1, -1);
            --row;
        } else {
            col = prev;
        }
        break;
    }
    default:
        return;
    }
    if (row < 1 || col < 1)
        return;
    userMoveTo(col, row);
}

void SpreadGrid::moveAfterEnter()
{
    switch (m_enterAction) {
    case EnterUp:
        moveBy(Qt::Key_Up);
        break;
    case EnterDown:
        moveBy(Qt::Key_Down);
        break;
    case EnterLeft:
        moveBy(Qt::Key_Left);
        break;
    case EnterRight:
        moveBy(Qt::Key_Right);
        break;
    case EnterNext:
        moveBy(Qt::Key_Tab);
        break;
    default:
        requestPermanentEdit();
        break;
    }
}

void SpreadGrid::toggleCheck(int col, int row)
{
    const GridStyle s = m_model->resolved(col, row);
    if (s.type != CellTypeCheckBox || s.lock || m_operationMode == 1 || m_operationMode == 2)
        return;
    const bool on = SpreadGridModel::toNumber(m_model->text(col, row)) != 0;
    m_model->setText(col, row, on ? QStringLiteral("0") : QStringLiteral("1"));
    DepthGuard guard(m_depth);
    Q_EMIT ButtonClicked(col, row, on ? 0 : 1);
    Q_EMIT Change(col, row);
}

int SpreadGrid::shiftState(Qt::KeyboardModifiers m) const
{
    int s = 0;
    if (m & Qt::ShiftModifier)
        s |= 1;
    if (m & Qt::ControlModifier)
        s |= 2;
    if (m & Qt::AltModifier)
        s |= 4;
    return s;
}

// ---- events ----

bool SpreadGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_editor) {
        switch (event->type()) {
        case QEvent::KeyPress:
            return editorKey(static_cast<QKeyEvent*>(event));
        case QEvent::FocusOut: {
            if (m_internalFocus || !m_editing)
                break;
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            QWidget* next = QApplication::focusWidget();
            // A dialog, a menu (Alt alone hands the keyboard to the menu bar until Escape gives it back) or
            // another application taking the focus leaves the edit open, as does a click on the grid itself
            // (the click decides where the cursor goes).
            if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
                reason == Qt::MenuBarFocusReason || !next || next == m_view || next == m_view->viewport())
                break;
            endEdit(true);
            break;
        }
        default:
            break;
        }
        return false;
    }
    if (watched == m_view) {
        switch (event->type()) {
        case QEvent::KeyPress:
            return viewKey(static_cast<QKeyEvent*>(event));
        case QEvent::FocusIn:
            if (m_internalFocus)
                break;
            if (m_editing && m_editor->isVisible()) {
                m_internalFocus = true;
                m_editor->setFocus(Qt::OtherFocusReason);
                m_internalFocus = false;
            } else {
                requestPermanentEdit();
            }
            break;
        case QEvent::InputMethod: {
            auto* ime = static_cast<QInputMethodEvent*>(event);
            if (m_editing || (ime->preeditString().isEmpty() && ime->commitString().isEmpty()))
                break;
            const QString empty;
            if (beginEdit(&empty) && m_editing) {
                QCoreApplication::sendEvent(m_editor, event);
                return true;
            }
            break;
        }
        default:
            break;
        }
        return false;
    }
    if (watched == m_view->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return viewportMouse(static_cast<QMouseEvent*>(event));
        case QEvent::MouseMove:
            return true;
        case QEvent::Resize:
            placeEditor();
            // A shrinking window must not push the cell being typed into (the entry row) out of sight; the
            // view settles its scroll range after this event, so the cursor is brought back into view
            // afterwards.
            QMetaObject::invokeMethod(
                this, [this] { keepCursorInView(); }, Qt::QueuedConnection);
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool SpreadGrid::viewportMouse(QMouseEvent* e)
{
    const QModelIndex idx = m_view->indexAt(e->position().toPoint());
    const int col = idx.isValid() ? idx.column() + 1 : 0;
    const int row = idx.isValid() ? idx.row() + 1 : 0;
    if (e->type() == QEvent::MouseButtonPress) {
        if (e->button() == Qt::LeftButton && idx.isValid()) {
            if (!m_view->hasFocus() && !m_editor->hasFocus()) {
                m_internalFocus = true;
                m_view->setFocus(Qt::MouseFocusReason);
                m_internalFocus = false;
            }
            if (userMoveTo(col, row) && m_model->resolved(col, row).type == CellTypeCheckBox)
                toggleCheck(col, row);
            DepthGuard guard(m_depth);
            Q_EMIT Click(col, row);
        }
        return true;
    }
    if (e->type() == QEvent::MouseButtonRelease) {
        if (e->button() == Qt::RightButton) {
            DepthGuard guard(m_depth);
            Q_EMIT RightClick(col, row, e->globalPosition().toPoint());
        }
        return true;
    }
    if (e->button() == Qt::LeftButton && idx.isValid()) {
        {
            DepthGuard guard(m_depth);
            Q_EMIT DblClick(col, row);
        }
        if (!m_editing && col == m_activeCol && row == m_activeRow)
            beginEdit(nullptr);
    }
    return true;
}

bool SpreadGrid::viewKey(QKeyEvent* e)
{
    int key = e->key();
    {
        DepthGuard guard(m_depth);
        Q_EMIT KeyDown(key, shiftState(e->modifiers()));
    }
    if (key == 0)
        return true;
    if (m_editing && m_editor->isVisible()) {
        // The edit opened inside the handler: the key belongs to it, and the screen has seen it already.
        m_keyForwarded = true;
        QCoreApplication::sendEvent(m_editor, e);
        m_keyForwarded = false;
        e->accept();
        return true;
    }
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        moveBy(key);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        moveAfterEnter();
        return true;
    case Qt::Key_F2:
        beginEdit(nullptr);
        return true;
    case Qt::Key_Space:
        if (m_model->resolved(m_activeCol, m_activeRow).type == CellTypeCheckBox) {
            toggleCheck(m_activeCol, m_activeRow);
            return true;
        }
        break;
    default:
        break;
    }
    const QString text = e->text();
    if (!text.isEmpty() && text.at(0).isPrint() &&
        !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        beginEdit(&text);
        return true;
    }
    if (key == Qt::Key_Escape) {
        passKeyOutward(e);
        e->accept();
        return true;
    }
    return false;
}

bool SpreadGrid::editorKey(QKeyEvent* e)
{
    int key = e->key();
    if (!m_keyForwarded) {
        DepthGuard guard(m_depth);
        Q_EMIT KeyDown(key, shiftState(e->modifiers()));
    }
    e->accept();
    if (key == 0 || !m_editing)
        return true;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        m_cursorMovedInHandler = false;
        endEdit(true);
        if (!m_cursorMovedInHandler)
            moveAfterEnter();
        else
            requestPermanentEdit();
        return true;
    }
    case Qt::Key_Escape:
        // A grid that is always editing has nothing to close: with nothing typed to undo, Escape belongs to
        // the window (a picker closes on it).
        if (m_editModePermanent && m_editor->text() == m_editOrig) {
            passKeyOutward(e);
            e->accept();
            return true;
        }
        m_editor->setText(m_editOrig);
        // Undone is as good as never typed: what waited for the cell (another seat's changes) may come in.
        m_editTyped = false;
        if (!m_editModePermanent)
            endEdit(false);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        moveBy(key);
        return true;
    case Qt::Key_Left:
        if (m_editor->cursorPosition() == 0 && !m_editor->hasSelectedText() &&
            e->modifiers() == Qt::NoModifier) {
            moveBy(key);
            return true;
        }
        break;
    case Qt::Key_Right:
        if (m_editor->cursorPosition() == m_editor->text().size() && !m_editor->hasSelectedText() &&
            e->modifiers() == Qt::NoModifier) {
            moveBy(key);
            return true;
        }
        break;
    default:
        break;
    }
    // Alt or Ctrl with a letter the window has no shortcut for must not end up in the cell.
    if (IsStrayLetterKey(*e))
        return true;
    // The line edit handles the rest itself. What it has no use for (a lone modifier, a function key, a menu
    // mnemonic) goes on to the windows around the grid, once: handing it back to the view would bring it
    // straight back to the editor.
    static_cast<QObject*>(m_editor)->event(e);
    if (!e->isAccepted())
        passKeyOutward(e);
    e->accept();
    return true;
}

void SpreadGrid::passKeyOutward(QKeyEvent* e)
{
    if (isWindow() || !parentWidget())
        return;
    e->accept();
    QCoreApplication::sendEvent(parentWidget(), e);
}
