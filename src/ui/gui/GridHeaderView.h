#pragma once

#include <QHeaderView>

// Header of a SpreadGrid whose height (column headers) or width (row headers) can be fixed by the grid.
class GridHeaderView : public QHeaderView
{
    Q_OBJECT
public:
    explicit GridHeaderView(Qt::Orientation orientation, QWidget* parent = nullptr);

    // 0 lets the header size itself from its texts.
    void setFixedExtent(int pixels);
    int fixedExtent() const { return m_extent; }
    QSize sizeHint() const override;

private:
    int m_extent = 0;
};
