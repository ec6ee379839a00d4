#pragma once

#include <QColor>
#include <QString>

// Cell kinds by the grid's own numbers (CellType).
enum GridCellType : int
{
    CellTypeEdit = 1,
    CellTypeStaticText = 5,
    CellTypeCheckBox = 10,
    CellTypeCurrency = 12,
    CellTypeNumber = 13,
};

// TypeHAlign: 0 left, 1 right, 2 centre; TypeVAlign: 0 top, 1 bottom, 2 centre.
enum GridHAlign : int
{
    HAlignLeft = 0,
    HAlignRight = 1,
    HAlignCenter = 2,
    HAlignDefault = -1
};
enum GridVAlign : int
{
    VAlignTop = 0,
    VAlignBottom = 1,
    VAlignCenter = 2
};

// A set of cell properties of which only the fields named in `mask` are set; layered sheet < column < row <
// cell.
struct GridStyle
{
    enum Field : quint32
    {
        Back = 1u << 0,
        Fore = 1u << 1,
        Lock = 1u << 2,
        Type = 1u << 3,
        HAlign = 1u << 4,
        VAlign = 1u << 5,
        FontSize = 1u << 6,
        FontBold = 1u << 7,
        FontName = 1u << 8,
        DecPlaces = 1u << 9,
        ShowSep = 1u << 10,
        MinValue = 1u << 11,
        MaxValue = 1u << 12,
        ShowSymbol = 1u << 13,
    };

    quint32 mask = 0;
    QRgb back = 0xffffffff;
    QRgb fore = 0xff000000;
    bool lock = false;
    int type = CellTypeEdit;
    int hAlign = HAlignDefault;
    int vAlign = VAlignCenter;
    double fontSize = 0;
    bool fontBold = false;
    QString fontName;
    int decPlaces = 0;
    bool showSep = false;
    double minValue = -1e15;
    double maxValue = 1e15;
    bool showSymbol = false;

    bool has(Field f) const { return (mask & f) != 0; }
    bool isEmpty() const { return mask == 0; }
    void merge(const GridStyle& over);
    // Drops the fields named in fields.
    void clear(quint32 fields);
};
