#include "app/Clock.h"
#include "db/modDBQuery.h"
#include "masters/HolidayRules.h"
#include "masters/gui/FrmHDay_save.h"
#include "support/Controls.h"
#include "support/DbFixture.h"
#include "support/ScriptedPrompter.h"
#include "support/TestRows.h"
#include "ui/gui/ByteLimitedLineEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QTest>

// The holiday dialog writes the forms the availability check compares with today.
class TestHolidayDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void savedForm_data();
    void savedForm();
    void kindSwitchesTheDayInput();
    void continueAddStoresEveryRow();

private:
    DbFixture* m_db = nullptr;
    ScriptedPrompter* m_prompter = nullptr;
};

void TestHolidayDialog::init()
{
    m_db = new DbFixture;
    m_prompter = new ScriptedPrompter;
    Clock::SetFixed(QDateTime(QDate(2026, 5, 5), QTime(10, 0)));
    Rows::addStore("S1", "교촌");
}

void TestHolidayDialog::cleanup()
{
    QCOMPARE(m_prompter->unexpected(), 0);
    Clock::SetFixed({});
    delete m_prompter;
    delete m_db;
}

void TestHolidayDialog::savedForm_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QDate>("picked");
    QTest::addColumn<int>("weekday");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QDate>("fallsOn");
    QTest::addColumn<QDate>("notOn");
    QTest::newRow("one date") << int(HolidayOnce) << QDate(2026, 5, 5) << -1 << "2026-05-05"
                              << QDate(2026, 5, 5) << QDate(2027, 5, 5);
    QTest::newRow("weekly saturday") << int(HolidayWeekly) << QDate() << 6 << "7" << QDate(2026, 8, 15)
                                     << QDate(2026, 8, 16);
    QTest::newRow("monthly third") << int(HolidayMonthly) << QDate(2026, 9, 3) << -1 << "03"
                                   << QDate(2027, 2, 3) << QDate(2026, 9, 13);
    QTest::newRow("yearly new year") << int(HolidayYearly) << QDate(2027, 1, 1) << -1 << "01-01"
                                     << QDate(2030, 1, 1) << QDate(2030, 1, 2);
}

void TestHolidayDialog::savedForm()
{
    QFETCH(int, kind);
    QFETCH(QDate, picked);
    QFETCH(int, weekday);
    QFETCH(QString, stored);
    QFETCH(QDate, fallsOn);
    QFETCH(QDate, notOn);
    FrmHDay_save dlg;
    dlg.Init(QStringLiteral("S1"), nullptr);
    QCOMPARE(Ctl<QDateEdit>(&dlg, "hdDate")->date(), QDate(2026, 5, 5));
    Ctl<QComboBox>(&dlg, "cmbType")->setCurrentIndex(kind);
    if (picked.isValid())
        Ctl<QDateEdit>(&dlg, "hdDate")->setDate(picked);
    if (weekday >= 0)
        Ctl<QComboBox>(&dlg, "cmbWeek")->setCurrentIndex(weekday);
    Ctl<QLineEdit>(&dlg, "htField", 0)->setText(QStringLiteral("사장님's 휴가"));
    QVERIFY(dlg.Save());
    QCOMPARE(m_prompter->lastText(), QStringLiteral("자료가 저장되었습니다."));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));

    QCOMPARE(GetFirstValue(QStringLiteral("SELECT 일자 FROM 가맹점휴일 WHERE 가맹점코드 = 'S1'")).toString(),
             stored);
    QCOMPARE(GetFirstValue(QStringLiteral("SELECT 반복구분 FROM 가맹점휴일")).toInt(), kind);
    QCOMPARE(GetFirstValue(QStringLiteral("SELECT 메모 FROM 가맹점휴일")).toString(),
             QStringLiteral("사장님's 휴가"));
    const QString store = QStringLiteral("가맹점코드 = 'S1' AND ");
    QCOMPARE(CountRows(QStringLiteral("가맹점휴일"), store + HolidayMatchCondition(fallsOn)), 1);
    QCOMPARE(CountRows(QStringLiteral("가맹점휴일"), store + HolidayMatchCondition(notOn)), 0);
}

void TestHolidayDialog::kindSwitchesTheDayInput()
{
    FrmHDay_save dlg;
    dlg.Init(QStringLiteral("S1"), nullptr);
    dlg.show();
    QVERIFY(Ctl<QDateEdit>(&dlg, "hdDate")->isVisible());
    QVERIFY(!Ctl<QComboBox>(&dlg, "cmbWeek")->isVisible());
    Ctl<QDateEdit>(&dlg, "hdDate")->setDate(QDate(2026, 12, 24));
    Ctl<QComboBox>(&dlg, "cmbType")->setCurrentIndex(HolidayWeekly);
    QVERIFY(!Ctl<QDateEdit>(&dlg, "hdDate")->isVisible());
    QVERIFY(Ctl<QComboBox>(&dlg, "cmbWeek")->isVisible());
    QCOMPARE(Ctl<QComboBox>(&dlg, "cmbWeek")->currentText(), QStringLiteral("일요일"));
    Ctl<QComboBox>(&dlg, "cmbType")->setCurrentIndex(HolidayOnce);
    QVERIFY(Ctl<QDateEdit>(&dlg, "hdDate")->isVisible());
    QCOMPARE(Ctl<QDateEdit>(&dlg, "hdDate")->date(), QDate(2026, 12, 24));
    Ctl<QComboBox>(&dlg, "cmbType")->setCurrentIndex(HolidayYearly);
    QVERIFY(Ctl<QDateEdit>(&dlg, "hdDate")->isVisible());
    QCOMPARE(dlg.StoredDay(), QStringLiteral("12-24"));
}

void TestHolidayDialog::continueAddStoresEveryRow()
{
    FrmHDay_save dlg;
    dlg.Init(QStringLiteral("S1"), nullptr);
    dlg.chkContinueAdd()->setChecked(true);
    Ctl<QLineEdit>(&dlg, "htField", 0)->setText(QStringLiteral("정기휴무"));
    QVERIFY(dlg.Save());
    QCOMPARE(Ctl<QLineEdit>(&dlg, "htField", 0)->text(), QString());
    Ctl<QComboBox>(&dlg, "cmbType")->setCurrentIndex(HolidayWeekly);
    Ctl<QComboBox>(&dlg, "cmbWeek")->setCurrentIndex(6);
    QVERIFY(dlg.Save());
    // The same day twice is allowed.
    QVERIFY(dlg.Save());
    QCOMPARE(CountRows(QStringLiteral("가맹점휴일")), 3);
    QCOMPARE(CountRows(QStringLiteral("가맹점휴일"), QStringLiteral("반복구분 = 1 AND 일자 = '7'")), 2);
    QVERIFY(dlg.result() != int(QDialog::Accepted));
}

QTEST_MAIN(TestHolidayDialog)
#include "tst_holidaydialog.moc"
