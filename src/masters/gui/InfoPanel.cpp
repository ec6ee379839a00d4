#include "masters/gui/InfoPanel.h"

#include "ui/TextUtil.h"

#include <QGridLayout>
#include <QLabel>

#include <algorithm>
#include <cmath>

InfoPanel::InfoPanel(Style style, QWidget* parent) : QFrame(parent), m_style(style)
{
    m_grid = new QGridLayout(this);
    if (m_style == Style::Column) {
        setFrameShape(QFrame::NoFrame);
        m_grid->setContentsMargins(0, 0, 0, 0);
        m_grid->setHorizontalSpacing(4);
        m_grid->setVerticalSpacing(2);
        m_grid->setColumnStretch(1, 1);
    } else {
        setFrameShape(QFrame::StyledPanel);
    }
}

QString InfoPanel::AmountText(double value)
{
    const qint64 won = std::isfinite(value) ? std::llround(value) : 0;
    return FormatThousands(won) + QLatin1Char(' ');
}

int InfoPanel::CaptionWidth() const
{
    int width = 0;
    for (const QLabel* c : m_captions)
        width = std::max(width, c->sizeHint().width());
    return width;
}

void InfoPanel::SetCaptionWidth(int width)
{
    m_grid->setColumnMinimumWidth(0, width);
}

QLabel* InfoPanel::ValuePanel(Style style, const QString& name, QWidget* parent, bool rightAlign)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    if (style == Style::Column) {
        l->setFrameShape(QFrame::StyledPanel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMinimumHeight(22);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        l->setAlignment((rightAlign ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        l->setStyleSheet(QStringLiteral("QLabel { background: white; padding: 0 4px; }"));
    } else {
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMinimumWidth(150);
        if (rightAlign)
            l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    return l;
}

QLabel* InfoPanel::captionLabel(const QString& text)
{
    auto* l = new QLabel(text, this);
    if (m_style == Style::Column)
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_captions.append(l);
    return l;
}

void InfoPanel::addTitle(const QString& text)
{
    auto* l = new QLabel(text, this);
    l->setAlignment(Qt::AlignCenter);
    l->setMinimumHeight(24);
    l->setStyleSheet(QStringLiteral("QLabel { background: #35507a; color: white; font-weight: bold; }"));
    m_grid->addWidget(l, m_row++, 0, 1, 2);
}

QLabel* InfoPanel::addRow(const QString& caption, const QString& name, bool rightAlign)
{
    m_grid->addWidget(captionLabel(caption), m_row, 0);
    QLabel* panel = ValuePanel(m_style, name, this, rightAlign);
    m_grid->addWidget(panel, m_row++, 1);
    return panel;
}

void InfoPanel::addPhones(const QString& caption, const QString& name, QLabel** panels, int count)
{
    const auto panelName = [&](int i) { return name + QLatin1Char('_') + QString::number(i); };
    if (m_style == Style::Compact) {
        // One number a row, the caption beside the first.
        for (int i = 0; i < count; ++i)
            panels[i] = addRow(i == 0 ? caption : QString(), panelName(i));
        return;
    }
    const int rows = (count + 1) / 2;
    m_grid->addWidget(captionLabel(caption), m_row, 0, rows, 1);
    auto* phones = new QGridLayout;
    phones->setSpacing(2);
    for (int i = 0; i < count; ++i) {
        panels[i] = ValuePanel(m_style, panelName(i), this);
        phones->addWidget(panels[i], i / 2, i % 2);
    }
    m_grid->addLayout(phones, m_row, 1, rows, 1);
    m_row += rows;
}
