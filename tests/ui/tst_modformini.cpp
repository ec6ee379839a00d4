#include "support/TestHome.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modFormIni.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QPointer>
#include <QSettings>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

// A screen with one grid, as the list screens are built.
class LayoutScreen : public QWidget
{
public:
    explicit LayoutScreen(const QString& name = QStringLiteral("FrmCust_admin"))
    {
        setObjectName(name);
        auto* layout = new QVBoxLayout(this);
        grid = new SpreadGrid(this);
        grid->setObjectName(QStringLiteral("spList"));
        grid->SetMaxCols(3);
        grid->SetMaxRows(2);
        layout->addWidget(grid);
    }
    SpreadGrid* grid;
};

class TestModFormIni : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void positionRoundTripInTwips();
    void maximisedKeepsNormalPlace();
    void minimisedSavesNothing();
    void gridLayoutRoundTrip();
    void unusableValueIgnored_data();
    void unusableValueIgnored();
    void delFormIni();
    void placeFormAt_data();
    void placeFormAt();
    void closeOtherForms();

private:
    std::unique_ptr<TestHome> m_home;
};

void TestModFormIni::init()
{
    m_home = std::make_unique<TestHome>();
}

void TestModFormIni::positionRoundTripInTwips()
{
    LayoutScreen a;
    a.move(100, 120);
    a.resize(400, 300);
    a.show();
    QVERIFY(QTest::qWaitForWindowExposed(&a));
    SaveFormIni(&a);
    QSettings ini(FormIniFile(QStringLiteral("FrmCust_admin")), QSettings::IniFormat);
    const double tpp = TwipsPerPixel(&a);
    QCOMPARE(ini.value(QStringLiteral("FormPosition/WindowState")).toString(), QStringLiteral("0"));
    QCOMPARE(ini.value(QStringLiteral("FormPosition/Width")).toInt(), qRound(400 * tpp));
    QCOMPARE(ini.value(QStringLiteral("FormPosition/Left")).toInt(), qRound(a.pos().x() * tpp));

    LayoutScreen b;
    LoadFormIni(&b);
    QCOMPARE(b.size(), QSize(400, 300));
    QCOMPARE(b.pos(), a.pos());
}

void TestModFormIni::maximisedKeepsNormalPlace()
{
    LayoutScreen a;
    a.move(50, 60);
    a.resize(420, 310);
    a.show();
    QVERIFY(QTest::qWaitForWindowExposed(&a));
    SaveFormIni(&a);
    a.setWindowState(Qt::WindowMaximized);
    QTRY_VERIFY(a.isMaximized());
    SaveFormIni(&a);
    QSettings ini(FormIniFile(QStringLiteral("FrmCust_admin")), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("FormPosition/WindowState")).toString(), QStringLiteral("2"));
    QCOMPARE(ini.value(QStringLiteral("FormPosition/Width")).toInt(), qRound(420 * TwipsPerPixel(&a)));

    LayoutScreen b;
    LoadFormIni(&b);
    QVERIFY(b.windowState() & Qt::WindowMaximized);
    QCOMPARE(b.size(), QSize(420, 310));
}

void TestModFormIni::minimisedSavesNothing()
{
    LayoutScreen a;
    a.resize(300, 200);
    a.show();
    QVERIFY(QTest::qWaitForWindowExposed(&a));
    SaveFormIni(&a);
    a.resize(500, 400);
    a.setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(a.isMinimized());
    SaveFormIni(&a);
    QSettings ini(FormIniFile(QStringLiteral("FrmCust_admin")), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("FormPosition/Width")).toInt(), qRound(300 * TwipsPerPixel(&a)));
}

void TestModFormIni::gridLayoutRoundTrip()
{
    LayoutScreen a;
    a.grid->SetColWidth(2, 17.5);
    SaveColWidth(&a, a.grid, 2);
    SaveSpreadIni_Gn(&a, a.grid, QStringLiteral("RowHeight"), QStringLiteral("18"));
    SaveSpreadIni_Gn(&a, a.grid, QStringLiteral("FontSize"), QStringLiteral("12"));

    LayoutScreen b;
    const double untouched = b.grid->ColWidth(1);
    LoadFormIni(&b);
    QCOMPARE(b.grid->ColWidth(2), 17.5);
    QCOMPARE(b.grid->ColWidth(1), untouched);
    QCOMPARE(b.grid->RowHeight(1), 18.0);
    QCOMPARE(b.grid->RowHeight(0), 20.0);
    QCOMPARE(b.grid->CellStyle(2, 2).fontSize, 12.0);

    // The operator dragging a column edge is written at once.
    WatchColWidths(&b, b.grid);
    b.grid->view()->horizontalHeader()->resizeSection(0, 120);
    QSettings ini(FormIniFile(QStringLiteral("FrmCust_admin")), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("spList_ColsWidth/1")).toDouble(), 15.0);
}

void TestModFormIni::unusableValueIgnored_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("width with letters") << "spList_ColsWidth/1"
                                        << "12abc";
    QTest::newRow("empty width") << "spList_ColsWidth/1"
                                 << "";
    QTest::newRow("column width huge") << "spList_ColsWidth/1"
                                       << "1e7";
    QTest::newRow("row height word") << "spList_General/RowHeight"
                                     << "high";
    QTest::newRow("row height huge") << "spList_General/RowHeight"
                                     << "1e7";
    QTest::newRow("row height 1e308") << "spList_General/RowHeight"
                                      << "1e308";
    QTest::newRow("row height below 8") << "spList_General/RowHeight"
                                        << "7";
    QTest::newRow("font size list") << "spList_General/FontSize"
                                    << "1,2";
    QTest::newRow("font size above 20") << "spList_General/FontSize"
                                        << "21";
    QTest::newRow("left") << "FormPosition/Left"
                          << "x";
    QTest::newRow("width") << "FormPosition/Width"
                           << "wide";
    QTest::newRow("width 1e308") << "FormPosition/Width"
                                 << "1e308";
    QTest::newRow("height larger than every screen") << "FormPosition/Height"
                                                     << "1e7";
}

void TestModFormIni::unusableValueIgnored()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    LayoutScreen probe;
    QFile f(FormIniFile(QStringLiteral("FrmCust_admin")));
    const QString file = f.fileName();
    QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
    QVERIFY(f.open(QIODevice::WriteOnly));
    const int slash = int(key.indexOf(QLatin1Char('/')));
    f.write(QStringLiteral("[%1]\n%2=%3\n").arg(key.left(slash), key.mid(slash + 1), value).toUtf8());
    f.close();

    LayoutScreen s;
    s.move(33, 44);
    s.resize(321, 234);
    s.grid->SetColWidth(1, 11);
    s.grid->SetRowHeight(-1, 15);
    const QPoint pos = s.pos();
    LoadFormIni(&s);
    QCOMPARE(s.pos(), pos);
    QCOMPARE(s.size(), QSize(321, 234));
    QCOMPARE(s.grid->ColWidth(1), 11.0);
    QCOMPARE(s.grid->RowHeight(1), 15.0);
    QCOMPARE(s.grid->CellStyle(1, 1).fontSize, probe.grid->CellStyle(1, 1).fontSize);
}

void TestModFormIni::delFormIni()
{
    LayoutScreen a;
    SaveSpreadIni_Gn(&a, a.grid, QStringLiteral("RowHeight"), QStringLiteral("18"));
    const QString file = FormIniFile(QStringLiteral("FrmCust_admin"));
    QVERIFY(QFileInfo::exists(file));
    QVERIFY(file.endsWith(QStringLiteral("/FormIni/FrmCust_admin.ini")));
    DelFormIni(QStringLiteral("FrmCust_admin"));
    QVERIFY(!QFileInfo::exists(file));
    DelFormIni(QStringLiteral("FrmCust_admin")); // nothing there: no complaint
    LayoutScreen b;
    LoadFormIni(&b);
    QCOMPARE(b.grid->RowHeight(1), 14.0);
}

void TestModFormIni::placeFormAt_data()
{
    QTest::addColumn<int>("hMode");
    QTest::addColumn<int>("vMode");
    QTest::addColumn<QPoint>("offset"); // from the anchor's top-left corner
    // Anchor 200 x 30, picker 100 x 80.
    QTest::newRow("left edges, below") << 0 << 0 << QPoint(0, 30);
    QTest::newRow("right edges, below") << 1 << 1 << QPoint(100, 30);
    QTest::newRow("centred, above") << 2 << 4 << QPoint(50, -80);
}

void TestModFormIni::placeFormAt()
{
    QFETCH(int, hMode);
    QFETCH(int, vMode);
    QFETCH(QPoint, offset);
    QWidget host;
    host.resize(400, 300);
    auto* anchor = new QWidget(&host);
    anchor->setGeometry(40, 50, 200, 30);
    host.move(10, 10);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QWidget picker;
    picker.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    picker.resize(100, 80);
    PlaceFormAt(&picker, anchor, hMode, vMode);
    QCOMPARE(picker.pos(), anchor->mapToGlobal(QPoint(0, 0)) + offset);
}

void TestModFormIni::closeOtherForms()
{
    QPointer<QWidget> main = new LayoutScreen(QStringLiteral("FrmMain"));
    QPointer<QWidget> list = new LayoutScreen(QStringLiteral("FrmRecv_admin"));
    QPointer<QWidget> hidden = new LayoutScreen(QStringLiteral("FrmWaitList"));
    main->show();
    list->show();
    CloseOtherForms(QStringLiteral("frmmain"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(main);
    QVERIFY(main->isVisible());
    QVERIFY(!list);
    QVERIFY(!hidden);
    delete main;
}

QTEST_MAIN(TestModFormIni)
#include "tst_modformini.moc"
