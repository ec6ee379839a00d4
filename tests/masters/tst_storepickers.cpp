#include "app/UserSettings.h"
#include "db/modDBQuery.h"
#include "masters/gui/FrmMemb_save.h"
#include "masters/gui/FrmMemb_sel.h"
#include "masters/gui/FrmMenu_sel.h"
#include "masters/gui/Pick.h"
#include "masters/gui/StoreScreens.h"
#include "support/Controls.h"
#include "support/DbFixture.h"
#include "support/ScriptedPrompter.h"
#include "support/TestRows.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/SpreadGrid.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {
const QChar nul(0);

const auto rec = Rows::menuRecord;

void addStore(const QString& code, const QString& name, const QString& memo = {})
{
    Rows::addStore(code, name, 0, 0, memo);
}

QString addMenu(const QString& store, const QString& name, int price)
{
    ExecSQL(QStringLiteral(
                "INSERT INTO 취급메뉴 (메뉴명, 가맹점코드, 판매단가, 메모) VALUES ('%1', '%2', %3, '')")
                .arg(SQLQuote(name), store)
                .arg(price));
    return GetFirstValue(QStringLiteral("SELECT MAX(코드) FROM 취급메뉴")).toString();
}

QStringList gridColumn(SpreadGrid* grid, int col)
{
    QStringList out;
    for (int r = 1; r <= grid->MaxRows(); ++r)
        out << grid->CellText(col, r);
    return out;
}

// Types a quantity into the 수량 cell of a row as the operator would, ending with Tab.
void typeQuantity(FrmMenu_sel& picker, int row, const QString& qty)
{
    SpreadGrid* g = Ctl<SpreadGrid>(&picker, "spList");
    // The cell editor only exists on screen.
    picker.show();
    g->SetActiveCell(FrmMenu_sel::ColQty, row);
    g->SetEditMode(true);
    QVERIFY(g->IsEditing());
    g->editor()->setText(qty);
    QTest::keyClick(g->editor(), Qt::Key_Tab);
    QVERIFY(!g->IsEditing());
}
} // namespace

// The store and menu pickers, alone and driven by PickStore and PickMenu.
class TestStorePickers : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void storeSearch_data();
    void storeSearch();
    void storeScopesRemembered();
    void badSearchTextRefused_data();
    void badSearchTextRefused();
    void storeFindRecords();
    void pickStore_data();
    void pickStore();
    void pickStoreRegistersNewStore();

    void menuSingleMatchTakesQuantityOne();
    void menuMultiSelect_data();
    void menuMultiSelect();
    void menuMarkAndQuantityFollowEachOther();
    void menuEnterFinishesWithTypedQuantity();
    void pickMenu();

private:
    DbFixture* m_db = nullptr;
    ScriptedPrompter* m_prompter = nullptr;
    QStringList m_menuCodes; // 반반, 양념's, 콜라, 후라이드 (the grid's order)
};

void TestStorePickers::initTestCase()
{
    RegisterStoreScreens();
}

void TestStorePickers::init()
{
    m_db = new DbFixture;
    m_prompter = new ScriptedPrompter;
    addStore(QStringLiteral("12"), QStringLiteral("가나치킨"));
    addStore(QStringLiteral("120"), QStringLiteral("다라피자"));
    addStore(QStringLiteral("1234"), QStringLiteral("마바족발"));
    addStore(QStringLiteral("312"), QStringLiteral("사아 12호점"));
    addStore(QStringLiteral("A1"), QStringLiteral("김's 치킨"), QStringLiteral("12시 마감"));
    m_menuCodes.clear();
    const QString fried = addMenu(QStringLiteral("A1"), QStringLiteral("후라이드"), 16000);
    const QString spicy = addMenu(QStringLiteral("A1"), QStringLiteral("양념's"), 17000);
    const QString half = addMenu(QStringLiteral("A1"), QStringLiteral("반반"), 17000);
    const QString cola = addMenu(QStringLiteral("A1"), QStringLiteral("콜라"), 2000);
    m_menuCodes = {half, spicy, cola, fried};
}

void TestStorePickers::cleanup()
{
    SetModalHandler({});
    QCOMPARE(m_prompter->unexpected(), 0);
    delete m_prompter;
    delete m_db;
}

void TestStorePickers::storeSearch_data()
{
    QTest::addColumn<QList<bool>>("scopes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("codes");
    const QList<bool> codeOnly{true, false, false, false};
    QTest::newRow("code starts with") << codeOnly << "12" << QStringList{"12", "120", "1234"};
    QTest::newRow("code and name") << QList<bool>{true, true, false, false} << "12"
                                   << QStringList{"12", "120", "1234", "312"};
    QTest::newRow("memo") << QList<bool>{false, false, false, true} << "12" << QStringList{"A1"};
    QTest::newRow("name with a quote")
        << QList<bool>{false, true, false, false} << "김's" << QStringList{"A1"};
    QTest::newRow("quote in a code search") << codeOnly << "1'" << QStringList{};
    QTest::newRow("percent is no wildcard") << QList<bool>{false, true, false, true} << "%" << QStringList{};
    QTest::newRow("underscore is no wildcard") << codeOnly << "1_3" << QStringList{};
    QTest::newRow("no scope lists every store")
        << QList<bool>{false, false, false, false} << "zz" << QStringList{"12", "120", "1234", "312", "A1"};
}

void TestStorePickers::storeSearch()
{
    QFETCH(QList<bool>, scopes);
    QFETCH(QString, text);
    QFETCH(QStringList, codes);
    FrmMemb_sel picker;
    for (int i = 0; i < FrmMemb_sel::kScopeCount; ++i)
        Ctl<QCheckBox>(&picker, "chkFindFld", i)->setChecked(scopes.at(i));
    Ctl<QLineEdit>(&picker, "txtinput")->setText(text);
    QCOMPARE(picker.Refresh_Sheet(), codes.size());
    QCOMPARE(gridColumn(Ctl<SpreadGrid>(&picker, "spList"), FrmMemb_sel::ColCode), codes);
}

void TestStorePickers::badSearchTextRefused_data()
{
    QTest::addColumn<int>("entry"); // 0 store search box, 1 menu search box, 2 PickStore, 3 PickMenu
    QTest::addColumn<QString>("text");
    QTest::newRow("store box, NUL") << 0 << QStringLiteral("12") + nul;
    QTest::newRow("store box, overlong") << 0 << QString(150, u'가');
    QTest::newRow("menu box, lone surrogate") << 1 << QStringLiteral("양") + QChar(0xD800);
    QTest::newRow("PickStore, overlong") << 2 << QString(300, u'1');
    QTest::newRow("PickMenu, NUL") << 3 << nul + QStringLiteral("반");
}

void TestStorePickers::badSearchTextRefused()
{
    QFETCH(int, entry);
    QFETCH(QString, text);
    bool windowShown = false;
    SetModalHandler([&](QDialog*) {
        windowShown = true;
        return int(QDialog::Rejected);
    });
    QString code;
    if (entry == 0 || entry == 1) {
        FrmMemb_sel stores;
        FrmMenu_sel menus;
        menus.FindRecords(QString(), QStringLiteral("A1") + nul);
        PickerDialog* picker = entry == 0 ? static_cast<PickerDialog*>(&stores) : &menus;
        Ctl<QLineEdit>(picker, "txtinput")->setText(text);
        QTest::keyClick(Ctl<QLineEdit>(picker, "txtinput"), Qt::Key_Return);
        QCOMPARE(Ctl<SpreadGrid>(picker, "spList")->MaxRows(),
                 entry == 0 ? 0 : 4); // the list before the search stays
    } else if (entry == 2) {
        QCOMPARE(PickStore(text, code, {}, true), QString());
    } else {
        QCOMPARE(
            PickMenu(QStringLiteral("A1"), QStringLiteral("김's 치킨"), text, code, {}, PickChoice::Single),
            QString());
    }
    // Only the refusal, never an engine error, a "nothing found" or an offer to register.
    QCOMPARE(m_prompter->count(), 1);
    QVERIFY2(m_prompter->lastText().endsWith(QStringLiteral("검색어를 고쳐서 다시 입력하세요.")),
             qPrintable(m_prompter->lastText()));
    QVERIFY(!windowShown);
}

void TestStorePickers::storeScopesRemembered()
{
    {
        FrmMemb_sel picker;
        QVERIFY(Ctl<QCheckBox>(&picker, "chkFindFld", 0)->isChecked());
        QVERIFY(!Ctl<QCheckBox>(&picker, "chkFindFld", 1)->isChecked());
        Ctl<QCheckBox>(&picker, "chkFindFld", 1)->setChecked(true);
        Ctl<QCheckBox>(&picker, "chkFindFld", 0)->setChecked(false);
    }
    QCOMPARE(UserSettings::Get(QStringLiteral("MembFindFld_0")), QStringLiteral("0"));
    QCOMPARE(UserSettings::Get(QStringLiteral("MembFindFld_1")), QStringLiteral("1"));
    FrmMemb_sel again;
    QVERIFY(!Ctl<QCheckBox>(&again, "chkFindFld", 0)->isChecked());
    QVERIFY(Ctl<QCheckBox>(&again, "chkFindFld", 1)->isChecked());
    QVERIFY(!Ctl<QCheckBox>(&again, "chkFindFld", 3)->isChecked());
}

void TestStorePickers::storeFindRecords()
{
    FrmMemb_sel picker;
    QCOMPARE(picker.FindRecords(QString()), 2);
    QCOMPARE(Ctl<SpreadGrid>(&picker, "spList")->MaxRows(), 0);
    QCOMPARE(picker.result(), QString());
    QCOMPARE(picker.FindRecords(QStringLiteral("1234")), 1);
    QCOMPARE(picker.result(), QStringLiteral("1234") + nul + QStringLiteral("마바족발"));
    QCOMPARE(picker.FindRecords(QStringLiteral("9")), 0);
    QCOMPARE(picker.result(), QString());
    QVERIFY(!picker.SelectActive());
    QCOMPARE(m_prompter->lastText(), QStringLiteral("리스트에서 자료를 선택하세요."));
}

void TestStorePickers::pickStore_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<int>("pickRow");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("several: the operator picks") << "12" << 2 << true << "120"
                                                 << "다라피자";
    QTest::newRow("single: taken unseen") << "31" << 0 << false << "312"
                                          << "사아 12호점";
    QTest::newRow("several: closed without a choice") << "12" << 0 << true << ""
                                                      << "";
}

void TestStorePickers::pickStore()
{
    QFETCH(QString, search);
    QFETCH(int, pickRow);
    QFETCH(bool, shown);
    QFETCH(QString, code);
    QFETCH(QString, name);
    bool wasShown = false;
    SetModalHandler([&](QDialog* d) {
        wasShown = true;
        auto* picker = qobject_cast<FrmMemb_sel*>(d);
        if (!picker || pickRow == 0)
            return int(QDialog::Rejected);
        Ctl<SpreadGrid>(picker, "spList")->SetActiveCell(FrmMemb_sel::ColName, pickRow);
        picker->SelectActive();
        return picker->result().isEmpty() ? int(QDialog::Rejected) : int(QDialog::Accepted);
    });
    QString picked = QStringLiteral("old");
    QCOMPARE(PickStore(search, picked, {}, false), name);
    QCOMPARE(wasShown, shown);
    if (!code.isEmpty())
        QCOMPARE(picked, code);
}

void TestStorePickers::pickStoreRegistersNewStore()
{
    m_prompter->answer(MsgAnswer::Yes);
    SetModalHandler([](QDialog* d) {
        auto* editor = qobject_cast<FrmMemb_save*>(d);
        if (!editor)
            return int(QDialog::Rejected);
        Ctl<QLineEdit>(editor, "htField", FrmMemb_save::FldCode)->setText(QStringLiteral("N9"));
        Ctl<QLineEdit>(editor, "htField", FrmMemb_save::FldRate)->setText(QStringLiteral("8"));
        return editor->Save() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    QString code;
    QCOMPARE(PickStore(QStringLiteral("놀부"), code, {}, true), QStringLiteral("놀부"));
    QCOMPARE(code, QStringLiteral("N9"));
    QCOMPARE(m_prompter->shown().first().request.text,
             QStringLiteral("검색한 가맹점이 등록되어 있지 않습니다.\r\n신규 등록하겠습니까?"));
    QCOMPARE(GetFirstValue(QStringLiteral("SELECT 상호 FROM 가맹점 WHERE 코드 = 'N9'")).toString(),
             QStringLiteral("놀부"));
}

void TestStorePickers::menuSingleMatchTakesQuantityOne()
{
    FrmMenu_sel picker;
    picker.SetMultyMode();
    QCOMPARE(
        picker.FindRecords(QStringLiteral("양념'"), QStringLiteral("A1") + nul + QStringLiteral("김's 치킨")),
        1);
    QCOMPARE(picker.storeCode(), QStringLiteral("A1"));
    QCOMPARE(Ctl<QLabel>(&picker, "lblMBName")->text(), QStringLiteral("김's 치킨"));
    QCOMPARE(picker.result(), rec(m_menuCodes.at(1), QStringLiteral("양념's"), QStringLiteral("1")));
    QCOMPARE(picker.FindRecords(QString(), QStringLiteral("A1") + nul), 4);
    QCOMPARE(gridColumn(Ctl<SpreadGrid>(&picker, "spList"), FrmMenu_sel::ColName),
             (QStringList{"반반", "양념's", "콜라", "후라이드"}));
    QCOMPARE(picker.result(), QString());
}

void TestStorePickers::menuMultiSelect_data()
{
    QTest::addColumn<bool>("multi");
    QTest::addColumn<QStringList>("quantities");
    QTest::addColumn<int>("active");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QStringList>("expectedQty");
    QTest::newRow("two quantities in grid order")
        << true << QStringList{"", "2", "", "3"} << 1 << QList<int>{1, 3} << QStringList{"2", "3"};
    QTest::newRow("no quantities: active row only")
        << true << QStringList{"", "", "", ""} << 3 << QList<int>{2} << QStringList{""};
    QTest::newRow("single mode: the active row")
        << false << QStringList{} << 4 << QList<int>{3} << QStringList{""};
}

void TestStorePickers::menuMultiSelect()
{
    QFETCH(bool, multi);
    QFETCH(QStringList, quantities);
    QFETCH(int, active);
    QFETCH(QList<int>, rows);
    QFETCH(QStringList, expectedQty);
    FrmMenu_sel picker;
    if (multi)
        picker.SetMultyMode();
    QCOMPARE(Ctl<SpreadGrid>(&picker, "spList")->ColHidden(FrmMenu_sel::ColQty), !multi);
    QCOMPARE(Ctl<SpreadGrid>(&picker, "spList")->ColHidden(FrmMenu_sel::ColMark), !multi);
    QCOMPARE(picker.FindRecords(QString(), QStringLiteral("A1") + nul + QStringLiteral("김's 치킨")), 4);
    for (int i = 0; i < quantities.size(); ++i) {
        if (!quantities.at(i).isEmpty())
            typeQuantity(picker, i + 1, quantities.at(i));
    }
    Ctl<SpreadGrid>(&picker, "spList")->SetActiveCell(FrmMenu_sel::ColName, active);
    QTest::mouseClick(Ctl<QPushButton>(&picker, "btnSel"), Qt::LeftButton);
    const QStringList names{"반반", "양념's", "콜라", "후라이드"};
    QString expected;
    for (int i = 0; i < rows.size(); ++i)
        expected += rec(m_menuCodes.at(rows.at(i)), names.at(rows.at(i)), expectedQty.at(i));
    QCOMPARE(picker.result(), expected);
}

void TestStorePickers::menuMarkAndQuantityFollowEachOther()
{
    FrmMenu_sel picker;
    picker.SetMultyMode();
    picker.FindRecords(QString(), QStringLiteral("A1") + nul);
    SpreadGrid* g = Ctl<SpreadGrid>(&picker, "spList");
    QTableView* view = g->view();

    // The mark's space bar (column 5) and the space bar elsewhere both tick and untick.
    g->SetActiveCell(FrmMenu_sel::ColMark, 2);
    QTest::keyClick(view, Qt::Key_Space);
    QCOMPARE(g->CellText(FrmMenu_sel::ColMark, 2), QStringLiteral("1"));
    QCOMPARE(g->CellText(FrmMenu_sel::ColQty, 2), QStringLiteral("1"));
    QTest::keyClick(view, Qt::Key_Space);
    QCOMPARE(g->CellText(FrmMenu_sel::ColMark, 2), QStringLiteral("0"));
    QCOMPARE(g->CellText(FrmMenu_sel::ColQty, 2), QString());
    g->SetActiveCell(FrmMenu_sel::ColName, 3);
    QTest::keyClick(view, Qt::Key_Space);
    QCOMPARE(g->CellText(FrmMenu_sel::ColMark, 3), QStringLiteral("1"));
    QCOMPARE(g->CellText(FrmMenu_sel::ColQty, 3), QStringLiteral("1"));

    // A typed quantity keeps its value when the mark is set afterwards.
    typeQuantity(picker, 1, QStringLiteral("4"));
    QCOMPARE(g->CellText(FrmMenu_sel::ColMark, 1), QStringLiteral("1"));
    typeQuantity(picker, 1, QStringLiteral("0"));
    QCOMPARE(g->CellText(FrmMenu_sel::ColMark, 1), QStringLiteral("0"));
    typeQuantity(picker, 1, QStringLiteral("-3"));
    QCOMPARE(g->CellText(FrmMenu_sel::ColMark, 1), QStringLiteral("0"));
    QCOMPARE(g->CellText(FrmMenu_sel::ColQty, 1), QString());
}

void TestStorePickers::menuEnterFinishesWithTypedQuantity()
{
    FrmMenu_sel picker;
    picker.SetMultyMode();
    picker.FindRecords(QString(), QStringLiteral("A1") + nul);
    picker.show();
    SpreadGrid* g = Ctl<SpreadGrid>(&picker, "spList");
    g->SetActiveCell(FrmMenu_sel::ColQty, 4);
    g->SetEditMode(true);
    g->editor()->setText(QStringLiteral("5"));
    QTest::keyClick(g->editor(), Qt::Key_Return);
    QCOMPARE(picker.result(), rec(m_menuCodes.at(3), QStringLiteral("후라이드"), QStringLiteral("5")));
}

void TestStorePickers::pickMenu()
{
    SetModalHandler([](QDialog* d) {
        auto* picker = qobject_cast<FrmMenu_sel*>(d);
        if (!picker)
            return int(QDialog::Rejected);
        if (picker->multyMode()) {
            typeQuantity(*picker, 2, QStringLiteral("2"));
            typeQuantity(*picker, 4, QStringLiteral("1"));
        } else {
            Ctl<SpreadGrid>(picker, "spList")->SetActiveCell(FrmMenu_sel::ColName, 3);
        }
        picker->SelectRows();
        return int(QDialog::Accepted);
    });
    QString code;
    const QString all = PickMenu(QStringLiteral("A1"), QStringLiteral("김's 치킨"), QString(), code, {},
                                 PickChoice::Multiple);
    QCOMPARE(all, rec(m_menuCodes.at(1), QStringLiteral("양념's"), QStringLiteral("2")) +
                      rec(m_menuCodes.at(3), QStringLiteral("후라이드"), QStringLiteral("1")));
    QCOMPARE(code, m_menuCodes.at(1));
    QCOMPARE(
        PickMenu(QStringLiteral("A1"), QStringLiteral("김's 치킨"), QString(), code, {}, PickChoice::Single),
        QStringLiteral("콜라"));
    QCOMPARE(code, m_menuCodes.at(2));
}

QTEST_MAIN(TestStorePickers)
#include "tst_storepickers.moc"
