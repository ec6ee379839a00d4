#include "admin/gui/frmAuthority.h"
#include "db/modDBQuery.h"
#include "support/Controls.h"
#include "support/DbFixture.h"
#include "support/ScriptedPrompter.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>

// The permission list: what it shows, how the operator ticks, what confirming writes.
class TestAuthority : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void confirm_data();
    void confirm();
};

namespace {
const QStringList kNames{"FrmCust_admin", "it's", "FrmRPT_sale", "frmOptions"};

QListWidgetItem* itemOf(QListWidget* list, const QString& description)
{
    const auto found = list->findItems(description, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}
} // namespace

void TestAuthority::confirm_data()
{
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QList<int>>("levels"); // in the order of kNames
    QTest::newRow("as stored, any level but 0 written -1") << QStringList{"ok"} << QList<int>{0, 0, -1, -1};
    QTest::newRow("전체") << QStringList{"all", "ok"} << QList<int>{-1, -1, -1, -1};
    QTest::newRow("전체 twice") << QStringList{"all", "all", "ok"} << QList<int>{0, 0, 0, 0};
    QTest::newRow("click on the description")
        << QStringList{"text:고객 관리", "ok"} << QList<int>{-1, 0, -1, -1};
    QTest::newRow("click on the box") << QStringList{"box:매출현황", "ok"} << QList<int>{0, 0, 0, -1};
    QTest::newRow("space, quoted name")
        << QStringList{"space:따옴표's 화면", "ok"} << QList<int>{0, -1, -1, -1};
    QTest::newRow("cancel") << QStringList{"all", "cancel"} << QList<int>{0, 0, -1, 1};
}

void TestAuthority::confirm()
{
    QFETCH(QStringList, actions);
    QFETCH(QList<int>, levels);
    DbFixture db;
    ScriptedPrompter prompter;
    const QStringList descriptions{"고객 관리", "따옴표's 화면", "매출현황", "환경설정"};
    const QList<int> stored{0, 0, -1, 1};
    for (int i = 0; i < kNames.size(); ++i)
        QCOMPARE(ExecSQL(QStringLiteral("INSERT INTO 보안설정 (폼이름, 폼설명, 사용권한) VALUES (%1, %2, %3)")
                             .arg(SQLLiteral(kNames[i]), SQLLiteral(descriptions[i]))
                             .arg(stored[i])),
                 1);

    frmAuthority form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(Ctl<QListWidget>(&form, "lstAuthority")->count(), 4);
    QCOMPARE(Ctl<QListWidget>(&form, "lstAuthority")->item(0)->text(), QStringLiteral("고객 관리"));
    for (const QString& action : actions) {
        const QString what = action.section(QLatin1Char(':'), 0, 0);
        QListWidgetItem* item =
            itemOf(Ctl<QListWidget>(&form, "lstAuthority"), action.section(QLatin1Char(':'), 1));
        QWidget* viewport = Ctl<QListWidget>(&form, "lstAuthority")->viewport();
        if (what == QLatin1String("all")) {
            Ctl<QCheckBox>(&form, "chkAll")->click();
        } else if (what == QLatin1String("text")) {
            QTest::mouseClick(viewport, Qt::LeftButton, {},
                              Ctl<QListWidget>(&form, "lstAuthority")->visualItemRect(item).center());
        } else if (what == QLatin1String("box")) {
            QStyleOptionViewItem option;
            option.initFrom(Ctl<QListWidget>(&form, "lstAuthority"));
            option.rect = Ctl<QListWidget>(&form, "lstAuthority")->visualItemRect(item);
            option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
            const QRect box = Ctl<QListWidget>(&form, "lstAuthority")
                                  ->style()
                                  ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option);
            QTest::mouseClick(viewport, Qt::LeftButton, {}, box.center());
        } else if (what == QLatin1String("space")) {
            Ctl<QListWidget>(&form, "lstAuthority")->setCurrentItem(item);
            QTest::keyClick(Ctl<QListWidget>(&form, "lstAuthority"), Qt::Key_Space);
        } else if (what == QLatin1String("ok")) {
            Ctl<QPushButton>(&form, "cmdOK")->click();
        } else {
            Ctl<QPushButton>(&form, "cmdCancel")->click();
        }
    }
    QVERIFY(!form.isVisible());
    for (int i = 0; i < kNames.size(); ++i)
        QCOMPARE(GetFirstValue(QStringLiteral("SELECT 사용권한 FROM 보안설정 WHERE 폼이름 = ") +
                               SQLLiteral(kNames[i]))
                     .toInt(),
                 levels[i]);
    QCOMPARE(prompter.count(), 0);
}

QTEST_MAIN(TestAuthority)
#include "tst_authority.moc"
