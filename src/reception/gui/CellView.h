#pragma once

#include "reception/CellPage.h"

#include <QWidget>

// The preview surface: a white page showing one character-grid page.
class CellView : public QWidget
{
    Q_OBJECT
public:
    explicit CellView(QWidget* parent = nullptr);

    void SetPage(const CellPage& page);
    void Clear();
    const CellPage& page() const { return m_page; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CellPage m_page;
};
