#include "ui/gui/GridHeaderView.h"

GridHeaderView::GridHeaderView(Qt::Orientation orientation, QWidget* parent)
    : QHeaderView(orientation, parent)
{
}

void GridHeaderView::setFixedExtent(int pixels)
{
    m_extent = qMax(pixels, 0);
    updateGeometry();
}

QSize GridHeaderView::sizeHint() const
{
    QSize s = QHeaderView::sizeHint();
    if (m_extent > 0) {
        if (orientation() == Qt::Horizontal)
            s.setHeight(m_extent);
        else
            s.setWidth(m_extent);
    }
    return s;
}
