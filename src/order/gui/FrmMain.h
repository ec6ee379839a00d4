#pragma once

#include "db/ChangeFeed.h"
#include "order/AutoDialer.h"
#include "order/SeeIdDevice.h"
#include "ui/gui/RecordScreens.h"

#include <QMainWindow>
#include <QPointer>
#include <QRect>

#include <functional>

class CustomerPanel;
class HistoryPanel;
class OthersRefresh;
class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextBrowser;
class QTimer;
class QWidget;
class SpreadGrid;
class StorePanel;

// The window the operator works in all day: today's orders, the lines of the selected one, customer and
// store.
class FrmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit FrmMain(QWidget* parent = nullptr);
    ~FrmMain() override;
    // The process-wide instance (nullptr before the first one is made).
    static FrmMain* Instance();
    // Asks before a store closed today goes on an order (its holiday first, then its hours); true = take it.
    static bool AskStoreOpen(const QString& storeCode);

    // Reloads today's order headers, keeps the cursor on the remembered row, and loads the lines.
    void RefreshList();
    // What another seat changed: the order list is read again with the last query's filter (the row the
    // cursor is on, its column, the scroll and the focus stay), the panels follow their customer and store.
    // While the operator is entering something (a typed cell, an unsaved entry row, a question open) the
    // list waits and is read once that is over.
    void OthersChanged(const QList<ChangeFeed::Change>& changes);
    // Loads the lines of an order into spDList ("" = none) and recomputes the sums.
    void LoadLines(const QString& orderNumber);
    // The customer and store panels (CustomerPanel, StorePanel).
    void ShowCustomer(const QString& code);
    void ShowStore(const QString& code);
    void ClearCustomer();
    void ClearStore();
    // Shows the customer and store of the active order row; clears both panels on the entry row.
    void ShowActiveOrderPanels();
    // Sums of the line grid over its current rows, copied to the totals row.
    void RecomputeLineSums();
    // Opens the catalogue screen of a menu entry; false when none is registered or it was refused.
    bool OpenScreen(const QString& menuEntry);
    QString Caption() const;
    // The centre's name as the top panel shows it.
    QString CentreName() const;

    // Store dialling entry used by this window and by the reception screen.
    void AutoDialReady(const QString& phone);
    bool DeviceReady() const { return m_deviceReady; }
    AutoDialer& Dialer() { return m_dialer; }
    // Places a calling number into the empty calling-number cell the operator waits on; "" takes the oldest
    // waiting number. False when the number cannot be placed now.
    bool ProcessCallerNumber(const QString& number);
    // A number from the device or the caller-ID test: placed, or queued in the standby list.
    void HandleCallerNumber(const QString& number);
    // The caller-ID test (Ctrl+Shift+F12) while the device is ready.
    void CallerIdTest();

    QString filterCustCode() const { return m_filterCustCode; }

private:
    // Controls are reached by their objectNames (a row's carry "_" + index).
    // Where the dialling countdown shows while the reception screen is closed.
    QLabel* pnlAutoDialingmsg = nullptr;

    // Controls, named as the operators' manual knows them.
    QLineEdit* htFilter[2] = {};
    QPushButton* btnRefresh = nullptr;
    QLabel* pnlUserName = nullptr;
    QWidget* pnlTop = nullptr;
    QWidget* pnlLeft = nullptr;
    QWidget* pnlList = nullptr;
    CustomerPanel* m_customer = nullptr;
    StorePanel* m_store = nullptr;
    HistoryPanel* m_history = nullptr;
    // The left column's parts the history's height is fitted between.
    QWidget* m_infoArea = nullptr;
    QWidget* m_leftControls = nullptr;
    QWidget* m_historyArea = nullptr;
    static constexpr int kHistoryLeastHeight = 64;
    QPushButton* cmdAutoDial = nullptr;
    QPushButton* cmdFinish = nullptr;
    QLabel* pnlSeeIDDisp = nullptr;
    QPushButton* btnShortCut[5] = {};
    QPushButton* btnExit = nullptr;
    QTextBrowser* WebBrowser = nullptr;
    QLabel* picLogo = nullptr;
    SpreadGrid* spMList = nullptr;
    SpreadGrid* spDList = nullptr;
    SpreadGrid* spTotal = nullptr;
    QTimer* timerHook = nullptr;
    SeeIdArray seeid = {};

public:
    // Order entry in the grids.
    void spMList_EditMode(int col, int row, int mode, bool changeMade);
    void spDList_EditMode(int col, int row, int mode, bool changeMade);
    // Inserts (Add) or updates (Edit) the order header of a grid row; a new number goes to `number`.
    bool SaveMst(QString& number, int col, int row, EditorMode mode);
    // Inserts (Add) or updates (Edit) one order line with its commission and points, in one transaction.
    bool SaveDtl(const QString& storeCode, const QString& number, int& lineNo, int col, int row,
                 EditorMode mode, const QString& customerCode);
    // Adds lines from a multiple menu choice; true when menus were chosen.
    bool AddMenuLines(const QString& number, const QString& storeCode, const QString& storeName,
                      const QString& searchText, const QString& customerCode);
    // Takes the next item of the menu choice list: code (-1 when none), name ("" when none), m_menuQty.
    void NextMenuItem(qint64& code, QString& name);
    void DeleteSelectedOrder();
    void DeleteSelectedLine();
    // F6: takes the order chosen in the history panel again for the customer of the call in the entry row,
    // after asking (아니오 by default), the store's opening questions and a word on changed menus.
    void RepeatOrder();

Q_SIGNALS:
    // Text shown in pnlSeeIDDisp changed (a caller-ID event arrived).
    void callerIdShown(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The history takes the left column's height the information blocks and buttons leave.
    void fitHistory();
    void followInputLanguage(QWidget* old, QWidget* now);
    void wireRepeat();
    // The history follows the customer a call resolved to; a withheld or unknown number clears it.
    void historyFollowsCall(bool known);
    void buildUi();
    void buildMenus();
    // A menu entry that opens the catalogue screen registered for it; disabled while there is none.
    QAction* addScreenAction(QWidget* menu, const QString& objectName, const QString& caption);
    void enableScreenActions();
    void layoutGrids();
    void showNotice();
    void openPorts();
    void closePorts();
    void wireCallerId();
    void onDeviceData(int index, int kind, const QString& data);

    void spMList_LeaveCell(int col, int row, int newCol, int newRow, bool& cancel);
    void spDList_FormulaChange(int col, int row);
    void htFilter_Return(int index);
    void cmdAutoDial_Click();
    void dataFileEntry(int kind);
    void openHomePage();

    void restoreCell(SpreadGrid* grid, int col, int row);
    // Fills spMList with today's orders matching numberFilter; the cursor goes to the row of keepOrder
    // (when given and still listed), else to the remembered row number, in column col.
    void fillList(const QString& numberFilter, const QString& keepOrder, int col);
    bool entryInProgress() const;
    void refreshForOthers();
    // Reads just these orders again and puts each in, over or out of its place in spMList; false when the
    // read failed.
    bool refreshOrders(const QStringList& numbers);
    QPoint pickerAnchor() const;
    void spMList_KeyDown(int& keyCode, int shift);
    void spDList_KeyDown(int& keyCode, int shift);
    // Enter marks the edit as confirmed; F4 deletes the selected order or line.
    void gridKeyDown(int& keyCode, int shift, void (FrmMain::*deleteSelected)());

    QString m_cellBefore;
    QString m_storeNameBefore;
    AutoDialer m_dialer;
    bool m_enterPressed = false;
    QString m_menuChoiceList;
    double m_menuQty = 0;
    QString m_filterCustCode;
    QString m_listFilter; // the number filter of the last query
    OthersRefresh* m_others = nullptr;
    // What other seats changed since the list last followed them: these orders, or (m_othersAll) any.
    QSet<QString> m_othersOrders;
    bool m_othersAll = false;
    bool m_filterEdited = false;
    bool m_deviceReady = false;
    QRect m_startGeometry;
    bool m_closing = false;
    QList<QAction*> m_screenActions;
};
