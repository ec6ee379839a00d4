#pragma once

#include "db/ChangeFeed.h"
#include "db/ReadQuery.h"
#include "ui/gui/FrameScreen.h"
#include "ui/gui/ScreenCatalogue.h"

#include <functional>

class QAction;
class QComboBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class Recordset;
class SpreadGrid;

// Base of the modeless list screens: search row, list grid, record count and their keys, on the frame base
// (tools menu, layout, closing).
//
// A screen names itself (objectName, the layout file's and the permission table's name), sets up spList's
// columns, fills cmbFindKey with AddFindKey and cmbFindOP with FillFindModeCombo, centres itself and then
// calls FinishLayout. It registers through the frame's CatalogueEntry, so opening it passes the permission
// gate.
class ListScreen : public FrameScreen
{
    Q_OBJECT
public:
    explicit ListScreen(QWidget* parent = nullptr);
    ~ListScreen() override;

    // btnQuery, F5 and Enter in htName; returns the number of rows listed.
    virtual int Search() = 0;
    // btnRecAdd and F2.
    virtual void AddRecord() {}
    // btnRecEdit and Enter in the grid.
    virtual void EditRecord() {}
    // btnRecDel and F4.
    virtual void DeleteRecord() {}
    // Double-click on a data row.
    virtual void RowDoubleClicked(int row) { Q_UNUSED(row); }
    // Adds a search field: its visible text and the comma-separated columns it searches.
    void AddFindKey(const QString& text, const QString& columns);
    // The checks of htName before a search: a text the engine cannot take is refused, and while the field is
    // "전화번호" so is a text that is not a telephone number (htName gets the last accepted text back).
    bool AcceptSearchText();
    // The search row a query reads with: as it stands, except while the list is read again for other seats
    // (then as it stood at the last query: what is typed into htName waits for btnQuery).
    struct SearchRow
    {
        QString columns; // the data of cmbFindKey's item
        QString mode;    // cmbFindOP's text
        QString text;    // htName
    };
    SearchRow SearchedRow() const;
    // The search row of the last query, whatever has been typed since.
    const SearchRow& LastSearch() const { return m_searched; }
    // " WHERE " + the condition of SearchedRow, "" when its text is empty.
    QString SearchWhere() const;
    // Shows the number of all records beside "전체 자료수:".
    void SetRecCount(qint64 count);
    // The row an editor's save is shown in: a new last row after an add (or in an empty list), else the
    // active row; appended tells which.
    int RowForSave(EditorMode mode, bool* appended = nullptr);

protected:
    // The controls, for the screens built on the list; others reach them by objectName.
    QFrame* pnlTop() const { return m_pnlTop; }
    QLineEdit* htName() const { return m_htName; }
    QComboBox* cmbFindKey() const { return m_cmbFindKey; }
    QComboBox* cmbFindOP() const { return m_cmbFindOP; }
    SpreadGrid* spList() const { return m_spList; }
    QLabel* lblRecCount() const { return m_lblRecCount; }
    QPushButton* btnQuery() const { return m_btnQuery; }
    QPushButton* btnRecAdd() const { return m_btnRecAdd; }
    QPushButton* btnRecEdit() const { return m_btnRecEdit; }
    QPushButton* btnRecDel() const { return m_btnRecDel; }
    QPushButton* btnClose() const { return m_btnClose; }

    // The frame's FinishLayout for spList.
    void FinishLayout();
    // The tools menu prints and exports spList; a screen exporting another grid overrides it.
    SpreadGrid* ListGrid() const override { return m_spList; }
    // Runs the steps of opening the screen: an engine error ends them with the standard error message naming
    // Form_Load of this screen (its objectName), and the screen stays as far as it got.
    void RunOpening(const std::function<void()>& steps);
    // OpenQuery, except during RunOpening: then an engine error is thrown (DbException) for it to report.
    int OpenListQuery(Recordset& rs, const QString& sql) const;
    int OpenListQuery(Recordset& rs, const ReadQuery& read) const;
    // The row the buttons sit in, for screens that add their own.
    QHBoxLayout* buttonRow() const { return m_buttonRow; }

    // The list follows other seats' changes of `tables`: it is read again by Search with the search row of
    // the last query, the cursor staying on the row whose column keyCol holds the same key (with its column
    // and scroll); a row gone elsewhere that the cursor stood on is told in a short notice. While a question
    // is open or a cell is being typed it waits.
    void FollowOthers(const QStringList& tables, int keyCol);
    using FrameScreen::FollowOthers;
    // True while the list is read again for other seats.
    bool RefreshingForOthers() const { return m_refreshing; }
    // Reads the list again as FollowOthers(tables, keyCol) does (for a screen taking changes its own way when
    // it cannot tell what changed).
    void RefreshForOthers();

    bool eventFilter(QObject* watched, QEvent* event) override;
    // A cell of the list being typed.
    bool OthersMustWait() const override;

private:
    QFrame* m_pnlTop = nullptr;
    QLineEdit* m_htName = nullptr;
    QComboBox* m_cmbFindKey = nullptr;
    QComboBox* m_cmbFindOP = nullptr;
    SpreadGrid* m_spList = nullptr;
    QLabel* m_lblRecCount = nullptr;
    QHBoxLayout* m_buttonRow = nullptr;
    QPushButton* m_btnQuery = nullptr;
    QPushButton* m_btnRecAdd = nullptr;
    QPushButton* m_btnRecEdit = nullptr;
    QPushButton* m_btnRecDel = nullptr;
    QPushButton* m_btnClose = nullptr;
    QString m_acceptedSearch;
    SearchRow m_searched;
    bool m_opening = false;
    bool m_refreshing = false;
    int m_keyCol = 0;
};
