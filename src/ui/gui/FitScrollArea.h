#pragma once

#include <QScrollArea>

// A scroll area that asks for the whole size of its content and scrolls only when the window is too small.
class FitScrollArea : public QScrollArea
{
    Q_OBJECT
public:
    explicit FitScrollArea(QWidget* parent = nullptr);

    QSize sizeHint() const override;
};
