#include "reception/gui/CellView.h"

#include "reception/gui/modCellPrint.h"

#include <QPainter>

CellView::CellView(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void CellView::SetPage(const CellPage& page)
{
    m_page = page;
    update();
}

void CellView::Clear()
{
    SetPage(CellPage());
}

void CellView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    modCellPrint::DrawCellPage(painter, m_page);
}
