#include "MainFixture.h"
#include "accounts/PointService.h"
#include "accounts/gui/FrmRecv_admin.h"
#include "accounts/gui/FrmSvce_admin.h"
#include "admin/gui/frmOptions.h"
#include "app/Clock.h"
#include "masters/gui/FrmCust_admin.h"
#include "masters/gui/FrmCust_sel.h"
#include "masters/gui/FrmMemb_admin.h"
#include "masters/gui/FrmMemb_sel.h"
#include "masters/gui/FrmMenu_sel.h"
#include "masters/gui/frmZipcode.h"
#include "order/gui/FrmMain.h"
#include "reception/gui/FrmRcpt_admin.h"
#include "reports/MduReportDB.h"
#include "reports/gui/FrmRPT_ledger.h"
#include "reports/gui/FrmRPT_sale.h"
#include "support/Controls.h"
#include "support/ScriptedPrompter.h"
#include "support/TestDatabase.h"
#include "ui/MsgBox.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/SpreadGrid.h"

#include <QAbstractButton>
#include <QDateEdit>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>

#include <functional>
#include <memory>

namespace {
struct Key
{
    Qt::Key key;
    Qt::KeyboardModifiers mods = Qt::NoModifier;
};

// Keys an operator presses without meaning to change the cell: they must leave a half-typed entry alone and,
// with every question answered by its default, write nothing (F6 asks whether to repeat an order).
const QList<Key> kIdleKeys = {
    {Qt::Key_F6},
    {Qt::Key_F6, Qt::ShiftModifier},
    {Qt::Key_Shift, Qt::ShiftModifier},
    {Qt::Key_Control, Qt::ControlModifier},
    {Qt::Key_Alt, Qt::AltModifier},
    {Qt::Key_Hangul},
    {Qt::Key_Hangul_Hanja},
    {Qt::Key_F1},
    {Qt::Key_F12},
    {Qt::Key_Insert},
    {Qt::Key_S, Qt::ControlModifier},
};

// Then every other key of the habit list and the plain keys; those that act (save, delete, close) may.
const QList<Key> kActionKeys = {
    {Qt::Key_A, Qt::ShiftModifier},
    {Qt::Key_F2},
    {Qt::Key_F3},
    {Qt::Key_F4},
    {Qt::Key_F5},
    {Qt::Key_F9},
    {Qt::Key_Backtab, Qt::ShiftModifier},
    {Qt::Key_F12, Qt::ControlModifier | Qt::ShiftModifier},
    {Qt::Key_1},
    {Qt::Key_Space},
    {Qt::Key_Backspace},
    {Qt::Key_Delete},
    {Qt::Key_Left},
    {Qt::Key_Right},
    {Qt::Key_Up},
    {Qt::Key_Down},
    {Qt::Key_Home},
    {Qt::Key_End},
    {Qt::Key_PageUp},
    {Qt::Key_PageDown},
    {Qt::Key_Tab},
    {Qt::Key_F, Qt::AltModifier},
    {Qt::Key_Escape},
    {Qt::Key_Escape},
    {Qt::Key_Return},
    {Qt::Key_Escape},
};

enum class GridState
{
    Resting,
    Editing,
    Empty
};

// One screen put on show with its grid in a given state; the window owns everything it opened.
struct Scene
{
    std::unique_ptr<QWidget> window;
    SpreadGrid* grid = nullptr;
};

using SceneFactory = std::function<Scene()>;

Scene mainScreen(const char* gridName, int col, int row)
{
    Scene s;
    auto* w = new FrmMain;
    s.window.reset(w);
    s.grid = w->findChild<SpreadGrid*>(QString::fromLatin1(gridName));
    if (qstrcmp(gridName, "spDList") == 0)
        w->LoadLines(QStringLiteral("2612081001"));
    if (row < 0)
        row = s.grid->MaxRows();
    s.grid->SetActiveCell(col, row);
    return s;
}

// The store list with the grid of the given name active at (col, row); row -1 is the menu grid's entry row.
Scene storeList(const char* gridName, int col, int row)
{
    Scene s;
    auto* w = new FrmMemb_admin;
    s.window.reset(w);
    s.grid = w->findChild<SpreadGrid*>(QString::fromLatin1(gridName));
    s.grid->SetActiveCell(col, row < 0 ? s.grid->MaxRows() : row);
    return s;
}

// The letters of the window's mnemonics (buttons, menus, labelled fields, tabs): Alt with one of them acts.
QString windowMnemonics(QWidget* window)
{
    QString out;
    const auto add = [&out](const QString& text) {
        const QKeySequence k = QKeySequence::mnemonic(text);
        if (!k.isEmpty() && k[0].key() >= Qt::Key_A && k[0].key() <= Qt::Key_Z)
            out += QChar(char16_t(k[0].key()));
    };
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
        if (b->isVisible())
            add(b->text());
    for (QMenuBar* bar : window->findChildren<QMenuBar*>())
        for (QAction* a : bar->actions())
            if (a->isVisible())
                add(a->text());
    for (QLabel* l : window->findChildren<QLabel*>())
        if (l->buddy())
            add(l->text());
    for (QTabBar* tabs : window->findChildren<QTabBar*>())
        for (int i = 0; i < tabs->count(); ++i)
            add(tabs->tabText(i));
    for (QGroupBox* g : window->findChildren<QGroupBox*>())
        add(g->title());
    return out;
}

template <typename Picker> Scene picker(const std::function<void(Picker*)>& fill, const char* grid = "spList")
{
    Scene s;
    auto* p = new Picker;
    s.window.reset(p);
    fill(p);
    s.grid = Ctl<SpreadGrid>(p, QString::fromLatin1(grid));
    return s;
}
} // namespace

Q_DECLARE_METATYPE(SceneFactory)
Q_DECLARE_METATYPE(GridState)

// Every grid of every screen, every habitual key, through the window's own input: nothing crashes.
class TestKeySweep : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void sweep_data();
    void sweep();
    void escapeClosesPicker_data();
    void escapeClosesPicker();

private:
    static void press(QWidget* window, const Key& k);
    static void checkSane(SpreadGrid* grid);
    static void pressStrayLetters(QWidget* window, SpreadGrid* grid, bool thenEnter);
    std::unique_ptr<MainFixture> m_db;
    ModalHandler m_previousModal;
};

void TestKeySweep::initTestCase()
{
    m_db = std::make_unique<MainFixture>();
    MainFixture::addOrder("2612081001", "10000001", "1001", "11:00");
    MainFixture::exec(
        "INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, 메모, 포인트) "
        "VALUES ('2612081001', 1, 1, 1, 6175, 6175, 216, '', 62)");
    // Dialogs opened by a key (an editor from F2, a picker from Enter) close at once.
    m_previousModal = SetModalHandler([](QDialog*) { return int(QDialog::Rejected); });
}

void TestKeySweep::cleanupTestCase()
{
    SetModalHandler(m_previousModal);
    m_db.reset();
}

void TestKeySweep::sweep_data()
{
    QTest::addColumn<SceneFactory>("scene");
    QTest::addColumn<GridState>("state");

    const auto headers = [](int col, int row) { return [=] { return mainScreen("spMList", col, row); }; };
    const auto lines = [](int col, int row) { return [=] { return mainScreen("spDList", col, row); }; };
    QTest::newRow("main headers, entry row") << SceneFactory(headers(2, -1)) << GridState::Resting;
    QTest::newRow("main headers, typing a number") << SceneFactory(headers(2, -1)) << GridState::Editing;
    QTest::newRow("main headers, a regular's call") << SceneFactory([] {
        Scene s = mainScreen("spMList", 3, -1);
        const int entry = s.grid->MaxRows();
        s.grid->SetText(1, entry, QStringLiteral("10000001"));
        s.grid->SetText(2, entry, QStringLiteral("02-1234-5678"));
        static_cast<FrmMain*>(s.window.get())->ShowCustomer(QStringLiteral("10000001"));
        return s;
    }) << GridState::Resting;
    QTest::newRow("main headers, order row") << SceneFactory(headers(3, 1)) << GridState::Resting;
    QTest::newRow("main headers, saved number") << SceneFactory(headers(2, 1)) << GridState::Resting;
    QTest::newRow("main headers, locked cell") << SceneFactory(headers(5, 1)) << GridState::Resting;
    QTest::newRow("main lines, entry row") << SceneFactory(lines(2, -1)) << GridState::Resting;
    QTest::newRow("main lines, typing a menu") << SceneFactory(lines(2, -1)) << GridState::Editing;
    QTest::newRow("main lines, saved line") << SceneFactory(lines(3, 1)) << GridState::Resting;
    QTest::newRow("main lines, no order") << SceneFactory([] {
        Scene s = mainScreen("spDList", 2, -1);
        static_cast<FrmMain*>(s.window.get())->LoadLines(QString());
        return s;
    }) << GridState::Empty;
    QTest::newRow("main totals") << SceneFactory([] { return mainScreen("spTotal", 3, 1); })
                                 << GridState::Resting;

    QTest::newRow("customer picker") << SceneFactory([] {
        return picker<FrmCust_sel>([](FrmCust_sel* p) { p->FindRecords("5678"); });
    }) << GridState::Resting;
    QTest::newRow("customer picker, nothing found")
        << SceneFactory([] { return picker<FrmCust_sel>([](FrmCust_sel* p) { p->FindRecords("00000"); }); })
        << GridState::Empty;
    QTest::newRow("customer list") << SceneFactory([] {
        return picker<FrmCust_admin>([](FrmCust_admin* l) { l->Search(); });
    }) << GridState::Resting;
    QTest::newRow("customer list, not searched")
        << SceneFactory([] { return picker<FrmCust_admin>([](FrmCust_admin*) {}); }) << GridState::Empty;
    QTest::newRow("store list") << SceneFactory([] { return storeList("spList", 2, 1); })
                                << GridState::Resting;
    QTest::newRow("store menus, saved menu")
        << SceneFactory([] { return storeList("spMenu", 2, 1); }) << GridState::Resting;
    QTest::newRow("store menus, typing a name")
        << SceneFactory([] { return storeList("spMenu", 1, -1); }) << GridState::Editing;
    QTest::newRow("store holidays") << SceneFactory([] { return storeList("spHDay", 1, 1); })
                                    << GridState::Resting;
    QTest::newRow("store picker") << SceneFactory([] {
        return picker<FrmMemb_sel>([](FrmMemb_sel* p) { p->Refresh_Sheet(); });
    }) << GridState::Resting;
    QTest::newRow("menu picker, check-box cell") << SceneFactory([] {
        return picker<FrmMenu_sel>([](FrmMenu_sel* p) {
            p->SetMultyMode();
            p->FindRecords("", "1001", "느티골치킨");
            Ctl<SpreadGrid>(p, "spList")->SetActiveCell(FrmMenu_sel::ColMark, 1);
        });
    }) << GridState::Resting;
    QTest::newRow("menu picker, typing a quantity") << SceneFactory([] {
        return picker<FrmMenu_sel>([](FrmMenu_sel* p) {
            p->SetMultyMode();
            p->FindRecords("", "1001", "느티골치킨");
            Ctl<SpreadGrid>(p, "spList")->SetActiveCell(FrmMenu_sel::ColQty, 1);
        });
    }) << GridState::Editing;
    QTest::newRow("postal-code picker") << SceneFactory([] {
        return picker<frmZipcode>([](frmZipcode* p) {
            Ctl<QLineEdit>(p, "txtInput")->setText("동");
            p->RefreshSheet();
        });
    }) << GridState::Resting;
    QTest::newRow("payment list") << SceneFactory([] {
        MainFixture::exec("INSERT INTO 입금 (가맹점코드, 입금일자, 입금액, 할인액, 메모) VALUES ('1001', '" +
                          Clock::Today().toString("yyyy-MM-dd") + "', 1000, 0, '')");
        return picker<FrmRecv_admin>([](FrmRecv_admin*) {});
    }) << GridState::Resting;
    for (const char* grid : {"spCust", "spSvce"}) {
        QTest::newRow(qPrintable(QStringLiteral("point services, ") + grid)) << SceneFactory([grid] {
            PointService::GrantService("10000001", 10, Clock::Today());
            Scene s;
            auto* w = new FrmSvce_admin;
            s.window.reset(w);
            s.grid = w->findChild<SpreadGrid*>(QString::fromLatin1(grid));
            s.grid->SetActiveCell(1, 1);
            return s;
        }) << GridState::Resting;
    }
    QTest::newRow("options, grid preview") << SceneFactory([] {
        Scene s;
        auto* w = new frmOptions;
        s.window.reset(w);
        Ctl<QTabWidget>(w, "tbsOptions")->setCurrentIndex(1);
        s.grid = Ctl<SpreadGrid>(w, "spPreview");
        s.grid->SetActiveCell(1, 1);
        return s;
    }) << GridState::Resting;
    QTest::newRow("store ledger, built") << SceneFactory([] {
        return picker<FrmRPT_ledger>([](FrmRPT_ledger* l) {
            CreateRPTFile(ShowFound());
            Ctl<QDateEdit>(l, "hdTerm_0")->setDate(QDate(2026, 12, 1));
            l->Query();
        });
    }) << GridState::Resting;
    QTest::newRow("store ledger, not built")
        << SceneFactory([] { return picker<FrmRPT_ledger>([](FrmRPT_ledger*) {}); }) << GridState::Empty;
    QTest::newRow("sales report, by store") << SceneFactory([] {
        return picker<FrmRPT_sale>([](FrmRPT_sale* r) {
            Ctl<QDateEdit>(r, "hdTerm_0")->setDate(QDate(2026, 12, 1));
            Ctl<QRadioButton>(r, "optSort", FrmRPT_sale::SortStore)->click();
        });
    }) << GridState::Resting;
    QTest::newRow("sales report, nothing listed")
        << SceneFactory([] { return picker<FrmRPT_sale>([](FrmRPT_sale*) {}); }) << GridState::Empty;
    // Last: F4 in the reception list takes the order back and deletes it.
    QTest::newRow("reception, nothing listed") << SceneFactory([] {
        return picker<FrmRcpt_admin>(
            [](FrmRcpt_admin* l) {
                Ctl<QLineEdit>(l, "htFindWd")->setText("ZZ");
                l->Search();
            },
            "spMList");
    }) << GridState::Empty;
    QTest::newRow("reception, waiting order")
        << SceneFactory([] { return picker<FrmRcpt_admin>([](FrmRcpt_admin*) {}, "spMList"); })
        << GridState::Resting;
}

void TestKeySweep::press(QWidget* window, const Key& k)
{
    QWindow* handle = window->windowHandle();
    // A key can close a picker; what is still open takes the rest as the operator's keyboard would.
    if (!window->isVisible())
        handle = QGuiApplication::focusWindow();
    if (!handle)
        return;
    // The keyboard sends text with printable keys only; Qt's helper knows no Hangul keys, so it is built
    // here.
    QString text;
    const bool letter = k.key >= Qt::Key_A && k.key <= Qt::Key_Z;
    if (letter && (k.mods & Qt::ControlModifier)) {
        text = QChar(char16_t(k.key - Qt::Key_A + 1)); // what X11 sends: the control character
    } else if (letter && (k.mods & Qt::AltModifier)) {
        text = QChar(char16_t(k.mods & Qt::ShiftModifier ? k.key : k.key + 32)); // the letter itself
    } else if (!(k.mods & (Qt::ControlModifier | Qt::AltModifier))) {
        if ((k.key >= Qt::Key_0 && k.key <= Qt::Key_9) || k.key == Qt::Key_Space)
            text = QChar(char16_t(k.key));
        else if (k.key >= Qt::Key_A && k.key <= Qt::Key_Z)
            text = QChar(char16_t(k.mods & Qt::ShiftModifier ? k.key : k.key + 32));
        else if (k.key == Qt::Key_Return)
            text = QStringLiteral("\r");
        else if (k.key == Qt::Key_Escape)
            text = QChar(char16_t(27));
        else if (k.key == Qt::Key_Tab)
            text = QStringLiteral("\t");
    }
    QTest::sendKeyEvent(QTest::Click, handle, k.key, text, k.mods);
    QCoreApplication::processEvents();
}

void TestKeySweep::checkSane(SpreadGrid* grid)
{
    QVERIFY(grid->ActiveRow() >= 0 && grid->ActiveRow() <= grid->MaxRows());
    QVERIFY(grid->ActiveCol() >= 0 && grid->ActiveCol() <= grid->MaxCols());
    if (grid->IsEditing() && grid->isVisible())
        QVERIFY(grid->editor()->isVisible());
}

void TestKeySweep::sweep()
{
    QFETCH(SceneFactory, scene);
    QFETCH(GridState, state);
    ScriptedPrompter prompter;
    Scene s = scene();
    QPointer<SpreadGrid> grid = s.grid;
    QVERIFY(grid);
    s.window->show();
    s.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.window.get()));
    grid->setFocus();
    QCoreApplication::processEvents();
    if (state == GridState::Empty)
        QVERIFY(grid->MaxRows() <= 1); // nothing but an entry row, if the grid has one

    QString typed;
    if (state == GridState::Editing) {
        press(s.window.get(), {Qt::Key_2});
        QVERIFY(grid->IsEditing());
        typed = grid->editor()->text();
        QVERIFY(typed.endsWith(QLatin1Char('2')));
    }
    if (grid->IsEditing()) {
        pressStrayLetters(s.window.get(), grid, state == GridState::Resting);
        if (QTest::currentTestFailed())
            return;
    }
    const QString before = TestDatabase::MainSnapshot();
    for (const Key& k : kIdleKeys) {
        press(s.window.get(), k);
        QVERIFY(grid);
        checkSane(grid);
    }
    QCOMPARE(TestDatabase::MainSnapshot(), before);
    if (state == GridState::Editing) {
        QVERIFY(grid->IsEditing());
        QCOMPARE(grid->editor()->text(), typed);
    }
    for (const Key& k : kActionKeys) {
        press(s.window.get(), k);
        QVERIFY(grid);
        checkSane(grid);
    }
}

// Alt with a letter the window carries no mnemonic for, and Ctrl with a letter other than C, X, V, Z and A,
// inside the open cell: the cell keeps its text, and Enter (with the default answers) writes nothing.
void TestKeySweep::pressStrayLetters(QWidget* window, SpreadGrid* grid, bool thenEnter)
{
    const QString before = TestDatabase::MainSnapshot();
    const QString text = grid->editor()->text();
    const QString mnemonics = windowMnemonics(window);
    for (int key = Qt::Key_A; key <= Qt::Key_Z; ++key) {
        const QChar letter(char16_t(key - Qt::Key_A + 'A'));
        if (!mnemonics.contains(letter))
            press(window, {Qt::Key(key), Qt::AltModifier});
        if (!QStringLiteral("CXVZA").contains(letter))
            press(window, {Qt::Key(key), Qt::ControlModifier});
        QVERIFY2(grid->IsEditing(), qPrintable(QStringLiteral("after ") + letter));
        QCOMPARE(grid->editor()->text(), text);
    }
    if (thenEnter) {
        for (int i = 0; i < 3; ++i)
            press(window, {Qt::Key_Return});
    }
    QCOMPARE(TestDatabase::MainSnapshot(), before);
}

void TestKeySweep::escapeClosesPicker_data()
{
    QTest::addColumn<SceneFactory>("scene");
    QTest::newRow("customers") << SceneFactory(
        [] { return picker<FrmCust_sel>([](FrmCust_sel* p) { p->FindRecords("5678"); }); });
    QTest::newRow("stores") << SceneFactory(
        [] { return picker<FrmMemb_sel>([](FrmMemb_sel* p) { p->Refresh_Sheet(); }); });
    QTest::newRow("menus, several at once") << SceneFactory([] {
        return picker<FrmMenu_sel>([](FrmMenu_sel* p) {
            p->SetMultyMode();
            p->FindRecords("", "1001", "느티골치킨");
        });
    });
    QTest::newRow("postal codes") << SceneFactory([] {
        return picker<frmZipcode>([](frmZipcode* p) {
            Ctl<QLineEdit>(p, "txtInput")->setText("동");
            p->RefreshSheet();
        });
    });
}

void TestKeySweep::escapeClosesPicker()
{
    QFETCH(SceneFactory, scene);
    ScriptedPrompter prompter;
    Scene s = scene();
    QVERIFY(s.grid->MaxRows() > 0);
    s.window->show();
    QVERIFY(QTest::qWaitForWindowActive(s.window.get()));
    s.grid->setFocus();
    press(s.window.get(), {Qt::Key_Escape});
    QVERIFY(s.window->isHidden());
    QCOMPARE(static_cast<QDialog*>(s.window.get())->result(), int(QDialog::Rejected));
}

QTEST_MAIN(TestKeySweep)
#include "tst_keysweep.moc"
