#include "ui/gui/GridStyle.h"

void GridStyle::merge(const GridStyle& over)
{
    const quint32 m = over.mask;
    if (m == 0)
        return;
    if (m & Back)
        back = over.back;
    if (m & Fore)
        fore = over.fore;
    if (m & Lock)
        lock = over.lock;
    if (m & Type)
        type = over.type;
    if (m & HAlign)
        hAlign = over.hAlign;
    if (m & VAlign)
        vAlign = over.vAlign;
    if (m & FontSize)
        fontSize = over.fontSize;
    if (m & FontBold)
        fontBold = over.fontBold;
    if (m & FontName)
        fontName = over.fontName;
    if (m & DecPlaces)
        decPlaces = over.decPlaces;
    if (m & ShowSep)
        showSep = over.showSep;
    if (m & MinValue)
        minValue = over.minValue;
    if (m & MaxValue)
        maxValue = over.maxValue;
    if (m & ShowSymbol)
        showSymbol = over.showSymbol;
    mask |= m;
}

void GridStyle::clear(quint32 fields)
{
    mask &= ~fields;
}
