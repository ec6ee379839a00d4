#include "ui/gui/modFormIni.h"

#include "app/AppPaths.h"
#include "app/Globals.h"
#include "ui/MsgBox.h"
#include "ui/gui/SpreadGrid.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <cmath>
#include <optional>

namespace {
const QString kPosition = QStringLiteral("FormPosition");

// A layout file is a text file anyone may have edited: positions beyond this are no place on any screen,
// and the bound keeps the pixel arithmetic within an int.
constexpr double kMaxTwips = 1000000;
// The widest column a grid takes, in characters.
constexpr double kMaxColWidth = 255;

std::optional<double> readNumber(const QSettings& ini, const QString& key, double lowest, double highest)
{
    // Only a plain number within its range counts; anything else leaves the property as designed.
    const QVariant v = ini.value(key);
    if (v.typeId() != QMetaType::QString)
        return std::nullopt;
    bool ok = false;
    const double n = v.toString().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(n) || n < lowest || n > highest)
        return std::nullopt;
    return n;
}

QRect desktopArea()
{
    QRect area;
    for (const QScreen* s : QGuiApplication::screens())
        area = area.united(s->availableGeometry());
    return area;
}

// The window's title bar must lie on a screen, or the operator could not reach the window to move it.
bool titleBarVisible(const QRect& g)
{
    const QRect titleBar(g.topLeft(), QSize(g.width(), qMin(g.height(), 30)));
    for (const QScreen* s : QGuiApplication::screens()) {
        if (s->availableGeometry().intersected(titleBar).width() >= qMin(g.width(), 50))
            return true;
    }
    return QGuiApplication::screens().isEmpty();
}

QString gridName(const SpreadGrid* grid)
{
    return grid->objectName();
}

bool prepareFolder(const QString& file)
{
    return QDir().mkpath(QFileInfo(file).absolutePath());
}

void applyFontSize(SpreadGrid* grid, double size)
{
    const int col = grid->Col(), row = grid->Row();
    const bool block = grid->BlockMode();
    grid->SetBlockMode(false);
    grid->SetCol(-1);
    grid->SetRow(-1);
    grid->SetFontSize(size);
    grid->SetRow(0);
    grid->SetFontSize(10);
    grid->SetCol(col);
    grid->SetRow(row);
    grid->SetBlockMode(block);
}
} // namespace

QString ScreenName(const QWidget* screen)
{
    if (!screen)
        return {};
    const QString name = screen->objectName();
    return name.isEmpty() ? QString::fromLatin1(screen->metaObject()->className()) : name;
}

QString FormIniFile(const QString& screenName)
{
    return AppPaths::ProgramPath(QStringLiteral("FormIni/") + screenName + QStringLiteral(".ini"));
}

double TwipsPerPixel(const QWidget* widget)
{
    const QScreen* s = widget && widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    const double dpi = s ? s->logicalDotsPerInchX() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

void LoadFormIni(QWidget* screen)
{
    const QString file = FormIniFile(ScreenName(screen));
    if (!QFileInfo::exists(file))
        return;
    const double tpp = TwipsPerPixel(screen);
    {
        QSettings ini(file, QSettings::IniFormat);
        ini.beginGroup(kPosition);
        QRect g = screen->geometry();
        if (const auto v = readNumber(ini, QStringLiteral("Left"), -kMaxTwips, kMaxTwips))
            g.moveLeft(int(std::lround(*v / tpp)));
        if (const auto v = readNumber(ini, QStringLiteral("Top"), -kMaxTwips, kMaxTwips))
            g.moveTop(int(std::lround(*v / tpp)));
        // No window is larger than all screens together: a bigger size would only cost memory.
        const QRect desktop = desktopArea();
        const bool anyScreen = !desktop.isEmpty();
        if (const auto v = readNumber(ini, QStringLiteral("Width"), 1, kMaxTwips);
            v && (!anyScreen || *v / tpp <= desktop.width()))
            g.setWidth(int(std::lround(*v / tpp)));
        if (const auto v = readNumber(ini, QStringLiteral("Height"), 1, kMaxTwips);
            v && (!anyScreen || *v / tpp <= desktop.height()))
            g.setHeight(int(std::lround(*v / tpp)));
        // A place saved on a screen this seat no longer has would hide the window: it keeps its size only.
        if (titleBarVisible(g))
            screen->move(g.topLeft());
        screen->resize(g.size());
        if (const auto v = readNumber(ini, QStringLiteral("WindowState"), 0, 2)) {
            if (int(*v) == 2)
                screen->setWindowState((screen->windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
            else if (int(*v) == 0)
                screen->setWindowState(screen->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
        }
        ini.endGroup();
    }
    const auto grids = screen->findChildren<SpreadGrid*>();
    for (SpreadGrid* grid : grids) {
        if (grid->MaxCols() >= 1 && !gridName(grid).isEmpty())
            LoadSpreadIni(grid, file);
    }
}

void LoadSpreadIni(SpreadGrid* grid, const QString& iniFile)
{
    QSettings ini(iniFile, QSettings::IniFormat);
    const QString name = gridName(grid);
    ini.beginGroup(name + QStringLiteral("_ColsWidth"));
    for (int c = 1; c <= grid->MaxCols(); ++c) {
        if (const auto v = readNumber(ini, QString::number(c), 0, kMaxColWidth))
            grid->SetColWidth(c, *v);
    }
    ini.endGroup();
    ini.beginGroup(name + QStringLiteral("_General"));
    if (const auto v = readNumber(ini, QStringLiteral("FontSize"), kGridSizeMin, kGridSizeMax))
        applyFontSize(grid, *v);
    if (const auto v = readNumber(ini, QStringLiteral("RowHeight"), kGridSizeMin, kGridSizeMax)) {
        grid->SetRowHeight(-1, *v);
        grid->SetRowHeight(0, *v + 2);
    }
    ini.endGroup();
}

void SaveFormIni(QWidget* screen)
{
    if (!screen->isVisible() || screen->isMinimized())
        return;
    const QString file = FormIniFile(ScreenName(screen));
    prepareFolder(file);
    QSettings ini(file, QSettings::IniFormat);
    ini.beginGroup(kPosition);
    const bool maximized = screen->isMaximized();
    ini.setValue(QStringLiteral("WindowState"), maximized ? QStringLiteral("2") : QStringLiteral("0"));
    if (!maximized) {
        const double tpp = TwipsPerPixel(screen);
        const QRect g(screen->pos(), screen->size());
        ini.setValue(QStringLiteral("Left"), QString::number(std::lround(g.left() * tpp)));
        ini.setValue(QStringLiteral("Top"), QString::number(std::lround(g.top() * tpp)));
        ini.setValue(QStringLiteral("Width"), QString::number(std::lround(g.width() * tpp)));
        ini.setValue(QStringLiteral("Height"), QString::number(std::lround(g.height() * tpp)));
    }
    ini.endGroup();
}

void SaveColWidth(QWidget* screen, SpreadGrid* grid, int col)
{
    const QString file = FormIniFile(ScreenName(screen));
    prepareFolder(file);
    QSettings ini(file, QSettings::IniFormat);
    ini.setValue(gridName(grid) + QStringLiteral("_ColsWidth/") + QString::number(col),
                 QString::number(grid->ColWidth(col), 'g', 6));
}

void SaveSpreadIni_Gn(QWidget* screen, SpreadGrid* grid, const QString& key, const QString& value)
{
    const QString file = FormIniFile(ScreenName(screen));
    if (!prepareFolder(file)) {
        ShowStdError({75, QStringLiteral("Path/File access error")}, QStringLiteral("SaveSpreadIni_Gn"),
                     QStringLiteral("modFormIni"));
        return;
    }
    QSettings ini(file, QSettings::IniFormat);
    ini.setValue(gridName(grid) + QStringLiteral("_General/") + key, value);
    ini.sync();
    if (ini.status() != QSettings::NoError)
        ShowStdError({75, QStringLiteral("Path/File access error")}, QStringLiteral("SaveSpreadIni_Gn"),
                     QStringLiteral("modFormIni"));
}

void DelFormIni(const QString& screenName)
{
    const QString file = FormIniFile(screenName);
    if (!QFileInfo::exists(file))
        return;
    QFile f(file);
    if (!f.remove())
        ShowStdError({75, f.errorString()}, QStringLiteral("DelFormIni"), QStringLiteral("modFormIni"));
}

void WatchColWidths(QWidget* screen, SpreadGrid* grid)
{
    QObject::connect(grid, &SpreadGrid::ColWidthChange, screen, [screen, grid](int c1, int c2) {
        for (int c = c1; c <= c2; ++c)
            SaveColWidth(screen, grid, c);
    });
}

void ShowForm(QWidget* screen)
{
    if (screen->isMinimized())
        screen->setWindowState(screen->windowState() & ~Qt::WindowMinimized);
    screen->show();
    screen->raise();
    screen->activateWindow();
    screen->setFocus(Qt::OtherFocusReason);
}

void CloseOtherForms(const QString& keep)
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        const Qt::WindowType type = w->windowType();
        if ((type != Qt::Window && type != Qt::Dialog) || w->objectName().isEmpty())
            continue;
        if (ScreenName(w).compare(keep, Qt::CaseInsensitive) == 0)
            continue;
        w->close();
        if (!w->parentWidget())
            w->deleteLater();
    }
}

void PlaceFormAt(QWidget* window, QWidget* anchor, int hMode, int vMode)
{
    const QPoint origin = anchor->mapToGlobal(QPoint(0, 0));
    const QSize win = window->frameGeometry().size();
    int left = origin.x();
    if (hMode == 1)
        left = origin.x() + anchor->width() - win.width();
    else if (hMode == 2)
        left = origin.x() - (win.width() - anchor->width()) / 2;
    const int top = vMode == 4 ? origin.y() - win.height() : origin.y() + anchor->height();
    window->move(left, top);
}
