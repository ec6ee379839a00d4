#pragma once

#include "ui/gui/ListScreen.h"
#include "ui/gui/RecordScreens.h"

class QLabel;

// The store list with the menus and holidays of the store on the active row, where stores, their menus and
// their holidays are kept.
class FrmMemb_admin : public ListScreen, public EditorSyncTarget
{
    Q_OBJECT
public:
    enum Col
    {
        ColCode = 1,
        ColName,
        ColTel,
        ColRate,
        ColAddr,
        ColMemo,
        ColBalance,
        ColCount = ColBalance
    };
    enum MenuCol
    {
        MenuName = 1,
        MenuPrice,
        MenuMemo,
        MenuCode,
        MenuColCount = MenuCode
    };
    enum HolidayCol
    {
        HDayKind = 1,
        HDayDay,
        HDayMemo,
        HDaySeq,
        HDayColCount = HDaySeq
    };

    explicit FrmMemb_admin(QWidget* parent = nullptr);
    ~FrmMemb_admin() override;

    // The catalogue entry behind menu entry mnuBasic_Member.
    static ScreenEntry Entry();

    int Search() override;
    void AddRecord() override;
    void EditRecord() override;
    // F4 deletes in the grid that has the focus: the store, its menu or its holiday.
    void DeleteRecord() override;
    void RowDoubleClicked(int row) override;
    QString PrintTitle() const override { return QStringLiteral("가맹점 리스트"); }
    void SyncUpdateCust(RecordEditor* editor, EditorMode mode) override;

    // Code of the active store row, "" when the list is empty.
    QString ActiveStoreCode() const;
    void RefreshRecCount();
    void LoadMenus(const QString& store);
    void LoadHolidays(const QString& store);
    void DeleteStore();
    void DeleteMenu();
    void DeleteHoliday();
    void AddHoliday();
    void EditHolidayMemo(int row);

private:
    void buildPanels();
    void loadSubGrids();
    void spList_KeyDown(int& key, int shift);
    void spList_LeaveCell(int col, int row, int newCol, int newRow, bool& cancel);
    void spMenu_KeyDown(int& key, int shift);
    void spMenu_EditMode(int col, int row, int mode, bool changeMade);
    void spMenu_LeaveCell(int col, int row, int newCol, int newRow, bool& cancel);
    // Writes the changed menu cell; false when nothing was saved (the operator has been told why).
    bool saveMenuCell(int col, int row);
    bool gridHasFocus(SpreadGrid* grid) const;

    SpreadGrid* m_spMenu = nullptr;
    SpreadGrid* m_spHDay = nullptr;
    QLabel* m_lblHDay = nullptr;
    QPushButton* m_btnMnuDel = nullptr;
    QPushButton* m_btnHDayAdd = nullptr;
    QString m_menuBefore;
    bool m_menuEnter = false;
};
