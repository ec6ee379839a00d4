#pragma once

#include <QPoint>

class QComboBox;
class QWidget;

// Window operations shared by the screens' load handlers.

// Sizes (when widthTwips / heightTwips are not 0) and centres a top-level window a little above the
// middle of its screen; with takeIcon the window gets the main screen's icon. Sizes are in twips
// (15 twips = 1 pixel).
void CenterForm(QWidget* form, bool takeIcon = false, int widthTwips = 0, int heightTwips = 0);

// Where a picker opened from a screen's search box appears: under the main window's top panel, or under
// `fallback` when the main window is not open.
QPoint MainPanelAnchor(const QWidget* fallback);

// Fills a search screen's mode list with the four pattern choices and selects `index` when it exists;
// otherwise the first choice stays selected.
void FillFindModeCombo(QComboBox* combo, int index = 0);

// Twips (the unit of the stored layouts) to pixels.
constexpr int TwipsToPixels(int twips)
{
    return twips / 15;
}
