#include "reception/gui/modCellPrint.h"

#include "reception/CellPage.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>

namespace modCellPrint {

QFont CellFont(int pointSize, bool bold)
{
    static const bool substituted = [] {
        QFont::insertSubstitution(QString::fromUtf16(kFontFamily), QString::fromUtf16(kFontSubstitute));
        return true;
    }();
    Q_UNUSED(substituted);
    QFont font(QString::fromUtf16(kFontFamily));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    font.setPointSize(std::clamp(pointSize, CellPage::kMinFontSize, CellPage::kMaxFontSize));
    font.setBold(bold);
    return font;
}

void PrtInit(QPainter& painter)
{
    painter.setFont(CellFont(CellPage::kDefaultFontSize));
    painter.setPen(Qt::black);
    painter.setBackgroundMode(Qt::TransparentMode);
}

void DrawCellPage(QPainter& painter, const CellPage& page)
{
    QPaintDevice* device = painter.device();
    if (!device)
        return;
    PrtInit(painter);
    const double dpiX = device->logicalDpiX();
    const double dpiY = device->logicalDpiY();
    const auto x = [dpiX](double col) { return col * dpiX / CellPage::kColsPerInch; };
    const auto y = [dpiY](double row) { return row * dpiY / CellPage::kRowsPerInch; };

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    for (const CellPage::Item& item : page.items()) {
        switch (item.kind) {
        case CellPage::Item::FontSize:
            break;
        case CellPage::Item::Text: {
            if (item.text.isEmpty())
                break;
            const QFont font = CellFont(item.size, item.bold);
            painter.setFont(font);
            painter.setPen(Qt::black);
            const QFontMetricsF metrics(font, device);
            painter.drawText(QPointF(x(item.col), y(item.row) + metrics.ascent()), item.text);
            break;
        }
        case CellPage::Item::Line: {
            // Half points, and never thinner than one dot of the device.
            QPen pen(item.colour);
            pen.setWidthF(std::max(1.0, item.size * 0.5 * dpiY / 72.0));
            pen.setCapStyle(Qt::FlatCap);
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            const QPointF from(x(item.col + 0.5), y(item.row + 0.5));
            const QPointF to(x(item.col2 + 0.5), y(item.row2 + 0.5));
            if (item.box)
                painter.drawRect(QRectF(from, to).normalized());
            else
                painter.drawLine(from, to);
            break;
        }
        }
    }
    painter.restore();
}

} // namespace modCellPrint
