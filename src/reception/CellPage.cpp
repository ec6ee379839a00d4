#include "reception/CellPage.h"

#include <algorithm>

namespace {
int clampSize(int size)
{
    return std::clamp(size, CellPage::kMinFontSize, CellPage::kMaxFontSize);
}
} // namespace

void CellPage::PrtMoveTo(int row, int col)
{
    if (row != 0)
        m_row = row;
    if (col != 0)
        m_col = col;
}

void CellPage::PrtText(int row, int col, const QString& text, int size, bool bold)
{
    if (row != 0 || col != 0)
        PrtMoveTo(row, col);
    if (size != 0)
        m_fontSize = clampSize(size);
    Item item;
    item.kind = Item::Text;
    item.row = m_row;
    item.col = m_col;
    item.text = text;
    item.size = m_fontSize;
    item.bold = bold;
    m_items.append(item);
    ++m_row;
    m_col = 0;
}

void CellPage::PrtLine(int row1, int col1, int row2, int col2, int width, const QColor& colour, bool box)
{
    Item item;
    item.kind = Item::Line;
    item.row = row1;
    item.col = col1;
    item.row2 = row2;
    item.col2 = col2;
    item.size = std::clamp(width, 1, 10);
    item.colour = colour;
    item.box = box;
    m_items.append(item);
}

void CellPage::PrtFontSize(int size)
{
    m_fontSize = clampSize(size);
    Item item;
    item.kind = Item::FontSize;
    item.size = m_fontSize;
    m_items.append(item);
}

QList<CellPage::Item> CellPage::texts() const
{
    QList<Item> out;
    for (const Item& item : m_items)
        if (item.kind == Item::Text)
            out.append(item);
    return out;
}
