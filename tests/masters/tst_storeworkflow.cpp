#include "db/modDBQuery.h"
#include "masters/gui/FrmHDay_save.h"
#include "masters/gui/FrmMemb_save.h"
#include "masters/gui/FrmMemb_sel.h"
#include "masters/gui/FrmMenu_sel.h"
#include "masters/gui/Pick.h"
#include "masters/gui/StoreScreens.h"
#include "support/Controls.h"
#include "support/DbFixture.h"
#include "support/ScriptedPrompter.h"
#include "ui/gui/ByteLimitedLineEdit.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/SpreadGrid.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {
const QChar nul(0);

// Saves a picture of the window when ZELKOVA_SHOT_DIR names a folder.
void shoot(QWidget* window, const QString& name)
{
    const QString dir = qEnvironmentVariable("ZELKOVA_SHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    QCoreApplication::processEvents();
    window->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

void activate(QWidget* window)
{
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVERIFY(QTest::qWaitForWindowActive(window));
}

void typeInto(QLineEdit* field, const QString& text)
{
    field->setFocus(Qt::TabFocusReason);
    field->selectAll();
    // Hangul arrives through the input method, not as key presses.
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 128;
    if (ascii)
        QTest::keyClicks(field, text);
    else
        field->insert(text);
}
} // namespace

// One store from registration to an order's menu choice, driven through the keyboard where the operator
// would.
class TestStoreWorkflow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void registerPickAndChooseMenus();

private:
    DbFixture* m_db = nullptr;
    ScriptedPrompter* m_prompter = nullptr;
};

void TestStoreWorkflow::initTestCase()
{
    m_db = new DbFixture;
    m_prompter = new ScriptedPrompter;
    RegisterStoreScreens();
    for (const char* code : {"12", "120", "312"}) {
        QCOMPARE(
            ExecSQL(QStringLiteral(
                        "INSERT INTO 가맹점 (코드, 상호, 수수료율, 현잔액, 기초잔액, 영업시작, 영업종료) "
                        "VALUES ('%1', '%1번 치킨', 10, 0, 0, '10:00', '22:00')")
                        .arg(QLatin1String(code))),
            1);
    }
}

void TestStoreWorkflow::cleanupTestCase()
{
    SetModalHandler({});
    delete m_prompter;
    delete m_db;
}

void TestStoreWorkflow::registerPickAndChooseMenus()
{
    // A late-night store, open 17:00 to 02:00.
    {
        FrmMemb_save editor;
        editor.Init(EditorMode::Add, nullptr, {});
        activate(&editor);
        typeInto(Ctl<QLineEdit>(&editor, "htField", FrmMemb_save::FldCode), QStringLiteral("1234"));
        typeInto(Ctl<QLineEdit>(&editor, "htField", FrmMemb_save::FldName), QStringLiteral("야식왕 족발"));
        typeInto(Ctl<QLineEdit>(&editor, "htField", FrmMemb_save::FldTel1), QStringLiteral("0212345678"));
        typeInto(Ctl<QLineEdit>(&editor, "htField", FrmMemb_save::FldOpen), QStringLiteral("1700"));
        QTest::keyClick(Ctl<QLineEdit>(&editor, "htField", FrmMemb_save::FldOpen), Qt::Key_Return);
        typeInto(Ctl<QLineEdit>(&editor, "htField", FrmMemb_save::FldClose), QStringLiteral("0200"));
        QTest::keyClick(Ctl<QLineEdit>(&editor, "htField", FrmMemb_save::FldClose), Qt::Key_Return);
        typeInto(Ctl<QLineEdit>(&editor, "htField", FrmMemb_save::FldRate), QStringLiteral("10"));
        typeInto(Ctl<QLineEdit>(&editor, "htField", FrmMemb_save::FldBase), QStringLiteral("50,000"));
        QCOMPARE(editor.FieldText(FrmMemb_save::FldOpen), QStringLiteral("17:00"));
        QCOMPARE(editor.FieldText(FrmMemb_save::FldClose), QStringLiteral("02:00"));
        QCOMPARE(editor.lblBreakTime(0)->text(), QStringLiteral("오후 05:00"));
        QCOMPARE(editor.lblBreakTime(1)->text(), QStringLiteral("오전 02:00"));
        shoot(&editor, QStringLiteral("01_store_editor"));
        QTest::keyClick(Ctl<QLineEdit>(&editor, "htField", FrmMemb_save::FldBase), Qt::Key_F2);
        QCOMPARE(editor.result(), int(QDialog::Accepted));
    }
    QCOMPARE(GetFirstValue(QStringLiteral("SELECT 영업시작 & '~' & 영업종료 FROM 가맹점 WHERE 코드 = '1234'"))
                 .toString(),
             QStringLiteral("17:00~02:00"));
    QCOMPARE(GetFirstValue(QStringLiteral("SELECT 전화1 FROM 가맹점 WHERE 코드 = '1234'")).toString(),
             QStringLiteral("02-1234-5678"));

    // Closed every Saturday.
    {
        FrmHDay_save holiday;
        holiday.Init(QStringLiteral("1234"), nullptr);
        // The kind list drops down as the dialog opens; the popup, not the dialog, is then active.
        holiday.show();
        QVERIFY(QTest::qWaitForWindowExposed(&holiday));
        Ctl<QComboBox>(&holiday, "cmbType")->hidePopup();
        Ctl<QComboBox>(&holiday, "cmbType")->setCurrentIndex(1);
        Ctl<QComboBox>(&holiday, "cmbWeek")->setCurrentIndex(6);
        typeInto(Ctl<QLineEdit>(&holiday, "htField", 0), QStringLiteral("정기휴무"));
        shoot(&holiday, QStringLiteral("02_weekly_holiday"));
        QTest::mouseClick(holiday.btnSave(), Qt::LeftButton);
        QCOMPARE(holiday.result(), int(QDialog::Accepted));
    }
    QCOMPARE(GetFirstValue(
                 QStringLiteral("SELECT 일자 & '/' & 반복구분 FROM 가맹점휴일 WHERE 가맹점코드 = '1234'"))
                 .toString(),
             QStringLiteral("7/1"));

    // "12" finds 12, 120 and 1234 but not 312; the operator takes 1234.
    QStringList listed;
    SetModalHandler([&](QDialog* d) {
        auto* picker = qobject_cast<FrmMemb_sel*>(d);
        if (!picker)
            return int(QDialog::Rejected);
        activate(picker);
        for (int r = 1; r <= Ctl<SpreadGrid>(picker, "spList")->MaxRows(); ++r)
            listed << Ctl<SpreadGrid>(picker, "spList")->CellText(FrmMemb_sel::ColCode, r);
        Ctl<SpreadGrid>(picker, "spList")->setFocus();
        QTest::keyClick(Ctl<SpreadGrid>(picker, "spList")->view(), Qt::Key_Down);
        QTest::keyClick(Ctl<SpreadGrid>(picker, "spList")->view(), Qt::Key_Down);
        shoot(picker, QStringLiteral("03_store_picker"));
        QTest::keyClick(Ctl<SpreadGrid>(picker, "spList")->view(), Qt::Key_Return);
        return picker->result().isEmpty() ? int(QDialog::Rejected) : int(QDialog::Accepted);
    });
    QString storeCode;
    const QString storeName = PickStore(QStringLiteral("12"), storeCode, {}, false);
    QCOMPARE(listed, (QStringList{"12", "120", "1234"}));
    QCOMPARE(storeCode, QStringLiteral("1234"));
    QCOMPARE(storeName, QStringLiteral("야식왕 족발"));

    // Three menus at once: 2, 3 and 1 of them.
    QStringList codes;
    for (const char* menu : {"보쌈", "족발 대", "족발 중", "쟁반국수"}) {
        ExecSQL(
            QStringLiteral(
                "INSERT INTO 취급메뉴 (메뉴명, 가맹점코드, 판매단가, 메모) VALUES ('%1', '1234', 30000, '')")
                .arg(QString::fromUtf8(menu)));
    }
    SetModalHandler([&](QDialog* d) {
        auto* picker = qobject_cast<FrmMenu_sel*>(d);
        if (!picker)
            return int(QDialog::Rejected);
        activate(picker);
        SpreadGrid* g = Ctl<SpreadGrid>(picker, "spList");
        for (int r = 1; r <= g->MaxRows(); ++r)
            codes << g->CellText(FrmMenu_sel::ColCode, r) + QLatin1Char(' ') +
                         g->CellText(FrmMenu_sel::ColName, r);
        g->setFocus();
        const QList<QPair<int, QString>> typed{{1, "2"}, {3, "3"}, {4, "1"}};
        for (const auto& [row, qty] : typed) {
            g->SetActiveCell(FrmMenu_sel::ColQty, row);
            QTest::keyClicks(g->view(), qty);
            QTest::keyClick(g->editor(), Qt::Key_Tab);
        }
        g->SetActiveCell(FrmMenu_sel::ColName, 2);
        shoot(picker, QStringLiteral("04_menu_picker"));
        QTest::mouseClick(Ctl<QPushButton>(picker, "btnSel"), Qt::LeftButton);
        return int(QDialog::Accepted);
    });
    QString firstCode;
    const QString chosen = PickMenu(storeCode, storeName, QString(), firstCode, {}, PickChoice::Multiple);
    // Grid order is by name: 보쌈, 쟁반국수, 족발 대, 족발 중.
    QCOMPARE(codes.size(), 4);
    auto record = [&](int row, const QString& qty) {
        const QString c = codes.at(row - 1);
        return nul + c.section(QLatin1Char(' '), 0, 0) + nul + c.section(QLatin1Char(' '), 1) + nul + qty;
    };
    QCOMPARE(chosen, record(1, "2") + record(3, "3") + record(4, "1"));
    QCOMPARE(firstCode, codes.at(0).section(QLatin1Char(' '), 0, 0));
    QCOMPARE(m_prompter->unexpected(), 0);
}

QTEST_MAIN(TestStoreWorkflow)
#include "tst_storeworkflow.moc"
