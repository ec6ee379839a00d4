#pragma once

#include <QColor>
#include <QList>
#include <QString>

// A page laid out on the receipt's character grid, kept as the drawing steps in the order they are made.
//
// Rows are 1/6 inch and columns 1/15 inch, both counted from 0 at the page's top-left corner. A text
// starts at the top-left corner of its cell; lines and boxes run between cell centres. A row or column of 0
// in Text keeps the current one, as a move to 0 leaves that coordinate unchanged; after a text the current
// position is the start of the next row.
class CellPage
{
public:
    struct Item
    {
        enum Kind
        {
            Text,
            Line,
            FontSize
        };
        Kind kind = Text;
        int row = 0;
        int col = 0;
        int row2 = 0;
        int col2 = 0;
        QString text;
        int size = 0; // the font size in points (Text, FontSize); the pen width in half points (Line)
        bool bold = false;
        bool box = false;
        QColor colour = Qt::black;
    };

    static constexpr int kRowsPerInch = 6;
    static constexpr int kColsPerInch = 15;
    static constexpr int kDefaultFontSize = 9;
    static constexpr int kMinFontSize = 4;
    static constexpr int kMaxFontSize = 72;

    // Makes (row, col) the current position; a 0 leaves that coordinate as it is.
    void PrtMoveTo(int row, int col);
    // At (row, col) as PrtMoveTo places it; size 0 keeps the current font size.
    void PrtText(int row, int col, const QString& text, int size = 0, bool bold = false);
    void PrtLine(int row1, int col1, int row2, int col2, int width, const QColor& colour = Qt::black,
                 bool box = false);
    void PrtFontSize(int size);

    const QList<Item>& items() const { return m_items; }
    bool isEmpty() const { return m_items.isEmpty(); }
    int CurrentRow() const { return m_row; }
    int CurrentCol() const { return m_col; }
    // The texts only, each with the font size it is drawn in.
    QList<Item> texts() const;

private:
    QList<Item> m_items;
    int m_row = 0;
    int m_col = 0;
    int m_fontSize = kDefaultFontSize;
};
