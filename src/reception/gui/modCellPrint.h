#pragma once

#include <QFont>

class CellPage;
class QPainter;

// Drawing of character-grid pages: the one routine behind the receipt preview and the printed receipt.
namespace modCellPrint {

// The family every grid page is drawn in. Linux has no "굴림체": it is mapped to NanumGothicCoding
// (fonts-nanum-coding), a fixed-pitch Korean font whose Hangul syllable is exactly two Latin widths, so texts
// measured in code-page bytes line up in their columns.
inline constexpr const char16_t* kFontFamily = u"굴림체";
inline constexpr const char16_t* kFontSubstitute = u"NanumGothicCoding";

// The grid font at a size in points. Hinting is off so the widths scale with the size alone and do not depend
// on how a screen rounds pixels.
QFont CellFont(int pointSize, bool bold = false);

// Makes the painter, bound to its target (the preview or the printer), ready for a page as every page
// begins: the grid font at 9 points, black, no background behind the texts.
void PrtInit(QPainter& painter);

// Draws the page on the painter's device (PrtInit first), position (0, 0) at the device's top-left corner,
// whatever its resolution.
void DrawCellPage(QPainter& painter, const CellPage& page);

} // namespace modCellPrint
