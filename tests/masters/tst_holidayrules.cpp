#include "masters/HolidayRules.h"

#include <QTest>

// Stored forms of store holidays and the twelve-hour business hours; the availability check relies on both.
class TestHolidayRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void storedForm_data();
    void storedForm();
    void weekdayNamesAreKoreanSundayFirst();
    void amPm_data();
    void amPm();
};

void TestHolidayRules::storedForm_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("expected");
    QTest::newRow("once") << int(HolidayOnce) << QDate(2026, 5, 5) << "2026-05-05";
    QTest::newRow("weekly saturday") << int(HolidayWeekly) << QDate(2026, 5, 9) << "7";
    QTest::newRow("weekly sunday") << int(HolidayWeekly) << QDate(2026, 5, 10) << "1";
    QTest::newRow("weekly monday") << int(HolidayWeekly) << QDate(2026, 5, 11) << "2";
    QTest::newRow("monthly third keeps its zero") << int(HolidayMonthly) << QDate(2026, 2, 3) << "03";
    QTest::newRow("monthly 31st") << int(HolidayMonthly) << QDate(2026, 12, 31) << "31";
    QTest::newRow("yearly new year") << int(HolidayYearly) << QDate(2027, 1, 1) << "01-01";
    QTest::newRow("unknown kind") << 4 << QDate(2026, 5, 5) << "";
    QTest::newRow("invalid date") << int(HolidayOnce) << QDate() << "";
}

void TestHolidayRules::storedForm()
{
    QFETCH(int, kind);
    QFETCH(QDate, date);
    QFETCH(QString, expected);
    QCOMPARE(HolidayStoredForm(kind, date), expected);
}

void TestHolidayRules::weekdayNamesAreKoreanSundayFirst()
{
    // Whatever the machine's locale, the list and the stored numbers agree.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QStringList expected{"일요일", "월요일", "화요일", "수요일", "목요일", "금요일", "토요일"};
    QCOMPARE(WeekdayNames(), expected);
    for (int n = 1; n <= 7; ++n)
        QCOMPARE(WeekdayName(n), expected.at(n - 1));
    QCOMPARE(WeekdayName(0), QString());
    QCOMPARE(WeekdayName(WeekdayNumber(QDate(2026, 5, 9))), QStringLiteral("토요일"));
    QLocale::setDefault(QLocale::c());
}

void TestHolidayRules::amPm_data()
{
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("expected");
    QTest::newRow("afternoon") << "14:00"
                               << "오후 02:00";
    QTest::newRow("midnight") << "00:00"
                              << "오전 12:00";
    QTest::newRow("noon") << "12:00"
                          << "오후 12:00";
    QTest::newRow("last minute") << "23:59"
                                 << "오후 11:59";
    QTest::newRow("after midnight") << "02:00"
                                    << "오전 02:00";
    QTest::newRow("not reshaped yet") << "1425"
                                      << "";
    QTest::newRow("no time of day") << "25:00"
                                    << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestHolidayRules::amPm()
{
    QFETCH(QString, time);
    QFETCH(QString, expected);
    QCOMPARE(AmPmTime(time), expected);
}

QTEST_GUILESS_MAIN(TestHolidayRules)
#include "tst_holidayrules.moc"
