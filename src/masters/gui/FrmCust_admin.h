#pragma once

#include "ui/gui/ListScreen.h"
#include "ui/gui/RecordScreens.h"

class GridPager;

// The customer list in which the operator finds, adds, changes and deletes customers.
class FrmCust_admin : public ListScreen, public EditorSyncTarget
{
    Q_OBJECT
public:
    enum Col
    {
        ColCode = 1,
        ColTel1,
        ColTel2,
        ColTel3,
        ColPost,
        ColAddr,
        ColPoints,
        ColMemo,
        ColCount = ColMemo
    };

    explicit FrmCust_admin(QWidget* parent = nullptr);
    ~FrmCust_admin() override;

    // The catalogue entry behind menu entry mnuBasic_Cust.
    static ScreenEntry Entry();

    // Reads the codes of every customer found, in address order, and shows the rows as they come into view
    // (GridPager): a million customers list at once. A large result returns with its first screen; its
    // count comes when the event loop next runs (GridPager::rowsCounted).
    int Search() override;
    void AddRecord() override;
    void EditRecord() override;
    void DeleteRecord() override;
    void RowDoubleClicked(int row) override;
    QString PrintTitle() const override { return QStringLiteral("고객 리스트"); }
    // Both fetch the rows not yet shown first and take the whole list.
    void ExportList() override;
    void PrintList() override;
    void SyncUpdateCust(RecordEditor* editor, EditorMode mode) override;

    // Code of the active row, "" when the list is empty.
    QString SelectedCode() const;
    // Shows the number of all customers, whatever the search found.
    void RefreshRecCount();

    GridPager* pager() const { return m_pager; }

private:
    QList<QVariantList> fetchRows(const QStringList& codes) const;
    // Other seats' changes of customers: rows shown are read again, rows gone leave, a new customer the
    // last search finds is added at the end (as an added one is); a gap in the feed reads the list again.
    void takeOthers(const QList<ChangeFeed::Change>& changes);

    GridPager* m_pager = nullptr;
    bool m_searched = false;
};
