#pragma once

#include "db/ChangeFeed.h"
#include "ui/gui/ScreenCatalogue.h"

#include <QRect>
#include <QWidget>

#include <functional>
#include <initializer_list>

class OthersRefresh;
class QKeySequence;
class QMenu;
class QPushButton;
class QVBoxLayout;
class SpreadGrid;

// Base of the modeless screens: the tools menu with print and export, window keys, the layout kept in the
// screen's layout file, and closing.
//
// A screen names itself (objectName, its layout file's and the permission table's name), adds its parts to
// frameLayout() and then calls FinishLayout with its grids.
class FrameScreen : public QWidget
{
    Q_OBJECT
public:
    explicit FrameScreen(QWidget* parent = nullptr);
    ~FrameScreen() override;

    // Modeless, behind the permission table, opened from menuEntry of the main window.
    static ScreenEntry CatalogueEntry(const QString& name, const QString& description,
                                      const QString& menuEntry, std::function<FrameScreen*()> create);

    // "엑셀": the spreadsheet export of ListGrid (sheet "Sheet1").
    virtual void ExportList();
    // "인쇄": ListGrid through the grid printer with the window caption and PrintTitle.
    virtual void PrintList();
    virtual QString PrintTitle() const { return windowTitle(); }

protected:
    // The grid the tools menu prints and exports.
    virtual SpreadGrid* ListGrid() const = 0;

    // The window's column of parts, below the menu bar.
    QVBoxLayout* frameLayout() const { return m_frameLayout; }
    QMenu* mnutool() const { return m_mnutool; }
    // A button that Enter in a field never presses.
    static QPushButton* MakeButton(QWidget* owner, const QString& caption, const QString& objectName);
    // btnClose ("닫기 &C"), closing the window.
    QPushButton* MakeCloseButton();
    // The window takes the key before any of its controls.
    void AddKey(const QKeySequence& key, const std::function<void()>& action);
    // Restores the stored layout, watches the grids' column widths and menus, and remembers the placement
    // the screen opened with.
    void FinishLayout(std::initializer_list<SpreadGrid*> grids);

    void closeEvent(QCloseEvent* event) override;

    // The screen follows other seats' changes of tables: take gets them, gathered, whenever the screen is
    // not busy (a question open, or OthersMustWait); a reconnect or a gap counts as every table changed,
    // with an empty key.
    void FollowOthers(const QStringList& tables, std::function<void(const QList<ChangeFeed::Change>&)> take);
    // A screen's own reason to keep other seats' changes waiting (e.g. a cell being typed).
    virtual bool OthersMustWait() const { return false; }

private:
    QVBoxLayout* m_frameLayout = nullptr;
    QMenu* m_mnutool = nullptr;
    QRect m_openedGeometry;
    QStringList m_followed;
    OthersRefresh* m_others = nullptr;
    QList<ChangeFeed::Change> m_pending;
    std::function<void(const QList<ChangeFeed::Change>&)> m_take;
};
