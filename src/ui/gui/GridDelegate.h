#pragma once

#include <QAbstractItemDelegate>

class SpreadGrid;
class SpreadGridModel;

// Paints SpreadGrid cells straight from the cell store: colours, formats, the cursor and check boxes.
class GridDelegate : public QAbstractItemDelegate
{
    Q_OBJECT
public:
    GridDelegate(SpreadGrid* grid, SpreadGridModel* model);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    SpreadGrid* m_grid;
    SpreadGridModel* m_model;
};
