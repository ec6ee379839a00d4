#include "ui/gui/FitScrollArea.h"

#include <QScrollBar>

FitScrollArea::FitScrollArea(QWidget* parent) : QScrollArea(parent)
{
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

QSize FitScrollArea::sizeHint() const
{
    // The stock hint caps the content at a few dozen lines of text; this area holds panels that should show
    // in full whenever the window has the room.
    if (!widget())
        return QScrollArea::sizeHint();
    const int frame = 2 * frameWidth();
    return widget()->sizeHint() + QSize(frame + verticalScrollBar()->sizeHint().width(), frame);
}
