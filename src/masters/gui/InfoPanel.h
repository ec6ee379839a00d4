#pragma once

#include <QFrame>

class QGridLayout;
class QLabel;

// A block of captioned value panels (a record's fields), in the look of the screen that shows it.
class InfoPanel : public QFrame
{
    Q_OBJECT
public:
    enum class Style
    {
        // The main window's left column: a title bar, white value panels, captions lined up with the
        // neighbouring block.
        Column,
        // The reception screen's side panel: sunken value panels in a framed box.
        Compact,
    };

    Style style() const { return m_style; }
    // The width the captions ask for, and the least width their column takes (blocks one above the other
    // line up their values).
    int CaptionWidth() const;
    void SetCaptionWidth(int width);
    // The panels' grid: a screen may put its own controls under the last row.
    QGridLayout* grid() const { return m_grid; }
    int rowCount() const { return m_row; }

    // An amount as the panels show it: whole won with thousands separators and one blank.
    static QString AmountText(double value);
    // One value panel in a style's look, for a screen that puts one beside the blocks.
    static QLabel* ValuePanel(Style style, const QString& name, QWidget* parent, bool rightAlign = false);

protected:
    InfoPanel(Style style, QWidget* parent);
    void addTitle(const QString& text);
    // One caption with one value panel named name.
    QLabel* addRow(const QString& caption, const QString& name, bool rightAlign = false);
    // One caption with count telephone panels named name_0 …, two to a row in a column block.
    void addPhones(const QString& caption, const QString& name, QLabel** panels, int count);

private:
    QLabel* captionLabel(const QString& text);

    Style m_style;
    QGridLayout* m_grid = nullptr;
    QList<QLabel*> m_captions;
    int m_row = 0;
};
