#include "ui/gui/MduMainUi.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

// Room left below the window for the task bar, as the stored layouts reckon it.
constexpr int kTaskBarTwips = 500;

QIcon mainScreenIcon()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("FrmMain") && !w->windowIcon().isNull())
            return w->windowIcon();
    }
    return QApplication::windowIcon();
}

} // namespace

void CenterForm(QWidget* form, bool takeIcon, int widthTwips, int heightTwips)
{
    if (!form)
        return;
    // Sizing comes first so the window is centred with the size it will actually have.
    if (widthTwips != 0)
        form->resize(TwipsToPixels(widthTwips), form->height());
    if (heightTwips != 0)
        form->resize(form->width(), TwipsToPixels(heightTwips));

    QScreen* screen = form->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->geometry();
        const QSize frame = form->frameGeometry().size();
        const int left = area.x() + (area.width() - frame.width()) / 2;
        const int top = area.y() + (area.height() - TwipsToPixels(kTaskBarTwips) - frame.height()) / 2;
        form->move(qMax(area.x(), left), qMax(area.y(), top));
    }

    if (takeIcon)
        form->setWindowIcon(mainScreenIcon());
}

QPoint MainPanelAnchor(const QWidget* fallback)
{
    const QWidget* panel = fallback;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() != QLatin1String("FrmMain"))
            continue;
        if (auto* top = w->findChild<QWidget*>(QStringLiteral("pnlTop")))
            panel = top;
        break;
    }
    return panel ? panel->mapToGlobal(QPoint(0, panel->height())) : QPoint();
}

void FillFindModeCombo(QComboBox* combo, int index)
{
    if (!combo)
        return;
    combo->clear();
    combo->addItem(QStringLiteral("*s*: 검색어를 포함"));
    combo->addItem(QStringLiteral("s* : 검색어로 시작"));
    combo->addItem(QStringLiteral("*s : 검색어로 종료"));
    combo->addItem(QStringLiteral("=  : 검색어와 일치"));
    if (index >= 0 && index < combo->count())
        combo->setCurrentIndex(index);
    // The drop-down list is wider than the box so the explanations read in full.
    combo->view()->setMinimumWidth(TwipsToPixels(2500));
    combo->setMaxVisibleItems(qMax(1, TwipsToPixels(2000) / qMax(1, combo->fontMetrics().height())));
}
