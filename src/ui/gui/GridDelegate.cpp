#include "ui/gui/GridDelegate.h"

#include "ui/gui/SpreadGrid.h"
#include "ui/gui/SpreadGridModel.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

GridDelegate::GridDelegate(SpreadGrid* grid, SpreadGridModel* model)
    : QAbstractItemDelegate(grid), m_grid(grid), m_model(model)
{
}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const
{
    const int col = index.column() + 1;
    const int row = index.row() + 1;
    if (!m_model->inRange(col, row))
        return;
    const GridStyle specific = m_model->specific(col, row);
    GridStyle style = m_model->sheetStyle();
    style.merge(specific);

    QRgb back = specific.has(GridStyle::Back) ? specific.back : m_model->backColorAt(col, row);
    const QRgb fore = m_model->foreColorAt(col, row);
    const bool active = m_grid->isActiveCell(col, row);
    if (m_grid->isRowHighlighted(row) || (active && m_grid->OperationMode() != 2))
        back = m_grid->SelBackColor().rgb();
    const QRect r = option.rect;
    painter->fillRect(r, QColor::fromRgb(back));

    if (style.type == CellTypeCheckBox) {
        QStyleOptionButton box;
        const int side = qMin(r.height() - 4, 13);
        box.rect = QRect(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
        box.state = QStyle::State_Enabled;
        box.state |= m_model->toNumber(m_model->text(col, row)) != 0 ? QStyle::State_On : QStyle::State_Off;
        QApplication::style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter);
    } else {
        const QString raw = m_model->text(col, row);
        if (!raw.isEmpty()) {
            const QString shown = m_model->formatValue(raw, style);
            QFont font = option.font;
            if (specific.has(GridStyle::FontSize) && style.fontSize > 0)
                font.setPointSizeF(style.fontSize);
            if (specific.has(GridStyle::FontName) && !style.fontName.isEmpty())
                font.setFamily(style.fontName);
            if (specific.has(GridStyle::FontBold))
                font.setBold(style.fontBold);
            int h = style.hAlign;
            if (h == HAlignDefault)
                h = (style.type == CellTypeCurrency || style.type == CellTypeNumber) ? HAlignRight
                                                                                     : HAlignLeft;
            Qt::Alignment align = h == HAlignRight    ? Qt::AlignRight
                                  : h == HAlignCenter ? Qt::AlignHCenter
                                                      : Qt::AlignLeft;
            align |= style.vAlign == VAlignTop      ? Qt::AlignTop
                     : style.vAlign == VAlignBottom ? Qt::AlignBottom
                                                    : Qt::AlignVCenter;
            painter->save();
            painter->setFont(font);
            painter->setPen(QColor::fromRgb(fore));
            painter->setClipRect(r);
            painter->drawText(r.adjusted(3, 0, -3, 0), int(align) | Qt::TextSingleLine, shown);
            painter->restore();
        }
    }

    if (active && m_grid->CursorStyle() != 2) {
        painter->save();
        painter->setPen(QPen(QColor(40, 70, 160), 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(r.adjusted(1, 1, -1, -1));
        painter->restore();
    }
}

QSize GridDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QString text = m_model->displayText(index.column() + 1, index.row() + 1);
    return QSize(option.fontMetrics.horizontalAdvance(text) + 6, option.fontMetrics.height() + 4);
}
