#include "app/Clock.h"
#include "reports/gui/ReportScreens.h"
#include "support/Controls.h"
#include "support/Golden.h"
#include "support/RecordingPlatform.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"
#include "ui/MsgBox.h"
#include "ui/gui/ListScreen.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modSpread60.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>
#include <QXmlStreamReader>

#include <memory>

namespace {
const QString kQuestion = QStringLiteral("엑셀로 자료를 내보내기 하시겠습니까?");
const QString kEmpty = QStringLiteral("엑셀로 보낼 데이터가 없습니다.\r\n자료 검색후 엑셀로 보내세요.");
const QString kFailed = QStringLiteral("엑셀로 내보내기에 실패했습니다.");
const QString kStem = QStringLiteral("Exp261207_130509");
const QList<double> kWidths = {10, 24, 14, 4};

// One read-only list with an editable tick column (4), a money column (3) and `headings` heading rows.
class ExportScreen : public ListScreen
{
public:
    ExportScreen(int headings, const QList<QVariantList>& rows)
    {
        setObjectName(QStringLiteral("ExportScreen"));
        SpreadGrid* grid = spList();
        CommonSpreadDesign(grid, true, true);
        grid->SetMaxCols(4);
        grid->SetColHeaderRows(headings);
        for (int h = 1; h <= headings; ++h)
            for (int c = 1; c <= 4; ++c)
                grid->SetColHeaderText(c, heading(h, c), h);
        for (int c = 1; c <= 4; ++c)
            grid->SetColWidth(c, kWidths[c - 1]);
        SetMoneyColumn(grid, 3);
        grid->SetCol(4);
        grid->SetRow(-1);
        grid->SetLock(false);
        grid->SetMaxRows(int(rows.size()));
        for (int r = 0; r < rows.size(); ++r)
            grid->SetRowValues(r + 1, rows[r]);
        // One cell editable on its own, as a screen may leave one.
        grid->SetCol(2);
        grid->SetRow(1);
        grid->SetLock(false);
    }
    int Search() override { return spList()->DataRowCnt(); }

    static QString heading(int headingRow, int col)
    {
        static const QStringList first = {QStringLiteral("코드"), QStringLiteral("상호"),
                                          QStringLiteral("금액"), QStringLiteral("선택")};
        return headingRow == 1 ? first[col - 1] : QStringLiteral("(%1줄 %2)").arg(headingRow).arg(col);
    }

    void exportList() { findChild<QAction*>(QStringLiteral("mnutool_excel"))->trigger(); }
};

// What the written workbook holds, read back from its XML parts.
struct SheetCell
{
    bool number = false;
    QString text;
    double value = 0;
    QString format;
    bool bold = false;
};

QByteArray zipPart(const QString& file, const QString& part)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), file, part});
    unzip.waitForFinished();
    return unzip.readAllStandardOutput();
}

QHash<QString, SheetCell> readSheet(const QString& file, QHash<int, double>* widths)
{
    QStringList strings;
    QXmlStreamReader ss(zipPart(file, QStringLiteral("xl/sharedStrings.xml")));
    while (!ss.atEnd()) {
        ss.readNext();
        if (ss.isStartElement() && ss.name() == u"si")
            strings << QString();
        else if (ss.isStartElement() && ss.name() == u"t")
            strings.last() += ss.readElementText();
    }

    QHash<int, QString> codes = {
        {0, QStringLiteral("General")}, {1, QStringLiteral("0")}, {3, QStringLiteral("#,##0")}};
    QList<bool> boldFonts;
    QList<std::pair<int, int>> xfs; // number format id, font id
    QXmlStreamReader st(zipPart(file, QStringLiteral("xl/styles.xml")));
    QString sectionName;
    while (!st.atEnd()) {
        st.readNext();
        if (!st.isStartElement())
            continue;
        const auto a = st.attributes();
        if (st.name() == u"fonts" || st.name() == u"cellXfs" || st.name() == u"cellStyleXfs")
            sectionName = st.name().toString();
        else if (st.name() == u"numFmt")
            codes.insert(a.value(QLatin1String("numFmtId")).toInt(),
                         a.value(QLatin1String("formatCode")).toString());
        else if (st.name() == u"font" && sectionName == u"fonts")
            boldFonts << false;
        else if (st.name() == u"b" && sectionName == u"fonts")
            boldFonts.last() = true;
        else if (st.name() == u"xf" && sectionName == u"cellXfs")
            xfs << std::pair{a.value(QLatin1String("numFmtId")).toInt(),
                             a.value(QLatin1String("fontId")).toInt()};
    }

    QHash<QString, SheetCell> cells;
    QXmlStreamReader sh(zipPart(file, QStringLiteral("xl/worksheets/sheet1.xml")));
    while (!sh.atEnd()) {
        sh.readNext();
        if (!sh.isStartElement())
            continue;
        const auto a = sh.attributes();
        if (sh.name() == u"col") {
            for (int c = a.value(QLatin1String("min")).toInt(); c <= a.value(QLatin1String("max")).toInt();
                 ++c)
                widths->insert(c, a.value(QLatin1String("width")).toDouble());
        } else if (sh.name() == u"c") {
            SheetCell cell;
            const int xf = a.value(QLatin1String("s")).toInt();
            if (xf < xfs.size()) {
                cell.format = codes.value(xfs[xf].first);
                cell.bold = xfs[xf].second < boldFonts.size() && boldFonts[xfs[xf].second];
            }
            const bool shared = a.value(QLatin1String("t")) == u"s";
            const QString ref = a.value(QLatin1String("r")).toString();
            while (sh.readNextStartElement()) {
                // A text written in the row itself: <is><t>…</t></is>.
                if (sh.name() == u"is") {
                    cell.number = false;
                    while (sh.readNextStartElement())
                        cell.text += sh.readElementText(QXmlStreamReader::IncludeChildElements);
                    continue;
                }
                if (sh.name() != u"v") {
                    sh.skipCurrentElement();
                    continue;
                }
                const QString v = sh.readElementText();
                cell.number = !shared;
                cell.text = shared ? strings.value(v.toInt()) : v;
                cell.value = shared ? 0 : v.toDouble();
            }
            cells.insert(ref, cell);
        }
    }
    return cells;
}

QString cellRef(int col, int row)
{
    return QChar(u'A' + col - 1) + QString::number(row);
}

QString exportFolder(const TestHome& home)
{
    return home.programFolder() + QStringLiteral("/ExpExcel");
}
} // namespace

class TestExcelExport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void written_data();
    void written();
    void matchesGolden();
    void names_data();
    void names();
    void nothingWritten_data();
    void nothingWritten();
    void longExportShowsProgress_data();
    void longExportShowsProgress();

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<RecordingPlatform> m_platform;
};

void TestExcelExport::init()
{
    RegisterReportScreens(); // the lists' export key goes through the reports' export
    m_home = std::make_unique<TestHome>();
    m_platform = std::make_unique<RecordingPlatform>();
    Clock::SetFixed(QDateTime(QDate(2026, 12, 7), QTime(13, 5, 9)));
}

void TestExcelExport::cleanup()
{
    Clock::SetFixed(QDateTime());
    m_platform.reset();
    m_home.reset();
}

void TestExcelExport::written_data()
{
    QTest::addColumn<int>("headings");
    QTest::addColumn<QList<QVariantList>>("rows");
    QTest::addColumn<bool>("opens"); // a program of the desktop took the file
    QTest::newRow("one heading row")
        << 1
        << QList<QVariantList>{{QStringLiteral("10000001"), QStringLiteral("김밥천국 본점"), 12350},
                               {QStringLiteral("10000002"), QStringLiteral("둘리 치킨"), 1234567}}
        << true;
    QTest::newRow("two heading rows, a negative amount, no program to open it")
        << 2 << QList<QVariantList>{{QStringLiteral("A1"), QStringLiteral("가나다 ㄱㄴ 똠방각하"), -5000}}
        << false;
}

void TestExcelExport::written()
{
    QFETCH(int, headings);
    QFETCH(QList<QVariantList>, rows);
    QFETCH(bool, opens);
    ScriptedPrompter prompter;
    prompter.answer(MsgAnswer::Yes);
    m_platform->setOpenResult(opens);
    ExportScreen screen(headings, rows);
    SpreadGrid* grid = Ctl<SpreadGrid>(&screen, "spList");
    const int maxRows = grid->MaxRows();
    screen.exportList();

    const QString file = exportFolder(*m_home) + QLatin1Char('/') + kStem + QStringLiteral(".xlsx");
    // Where the file is, whether or not a program took it; and a message when none did.
    QStringList told{kQuestion};
    if (!opens)
        told << QStringLiteral("엑셀 파일을 저장했지만 열 프로그램을 찾지 못해 열지 못했습니다.\r\n") + file +
                    QStringLiteral("\r\n표 계산 프로그램(LibreOffice Calc 등)으로 이 파일을 여세요.");
    told << QStringLiteral("엑셀 파일을 저장했습니다.\r\n") + file;
    QCOMPARE(prompter.texts(), told);
    QVERIFY(prompter.shown().last().isNotice);
    QCOMPARE(prompter.shown().first().request.defaultAnswer, MsgAnswer::Yes);
    QCOMPARE(m_platform->opened(), QList<QUrl>{QUrl::fromLocalFile(file)});
    QVERIFY(QFile(exportFolder(*m_home) + QLatin1Char('/') + kStem + QStringLiteral("LOG.TXT")).size() > 0);

    QHash<int, double> widths;
    const QHash<QString, SheetCell> cells = readSheet(file, &widths);
    for (int h = 1; h <= headings; ++h) {
        for (int c = 1; c <= 4; ++c) {
            const SheetCell cell = cells.value(cellRef(c, h));
            QCOMPARE(cell.text, ExportScreen::heading(h, c));
            QVERIFY(!cell.number);
            QVERIFY(cell.bold);
        }
    }
    for (int r = 0; r < rows.size(); ++r) {
        const int row = headings + r + 1;
        for (int c = 1; c <= 2; ++c) {
            QCOMPARE(cells.value(cellRef(c, row)).text, rows[r][c - 1].toString());
            QVERIFY(!cells.value(cellRef(c, row)).number);
        }
        const SheetCell amount = cells.value(cellRef(3, row));
        QVERIFY(amount.number);
        QCOMPARE(amount.value, rows[r][2].toDouble());
        QCOMPARE(amount.format, QStringLiteral("#,##0"));
    }
    QVERIFY(!cells.contains(cellRef(1, headings + int(rows.size()) + 1)));
    for (int c = 1; c <= 4; ++c)
        QVERIFY2(qAbs(widths.value(c) - kWidths[c - 1]) <= 1, qPrintable(QString::number(widths.value(c))));

    // The grid shows what it showed before, the tick column still editable.
    QCOMPARE(grid->MaxRows(), maxRows);
    QCOMPARE(grid->ColHeaderRows(), headings);
    QVERIFY(grid->ReDraw());
    for (int r = 1; r <= rows.size(); ++r) {
        QCOMPARE(grid->CellText(2, r), rows[r - 1][1].toString());
        for (int c = 1; c <= 4; ++c)
            QCOMPARE(grid->IsLocked(c, r), c != 4 && !(c == 2 && r == 1));
    }
    QCOMPARE(prompter.unexpected(), 0);
}

// Every cell of a known export, its text or number, format and weight, as the golden workbook has it.
void TestExcelExport::matchesGolden()
{
    ScriptedPrompter prompter;
    prompter.answer(MsgAnswer::Yes);
    ExportScreen screen(2, {{QStringLiteral("10000001"), QStringLiteral("김밥천국 본점"), 12350},
                            {QStringLiteral("A1"), QStringLiteral("가나다 ㄱㄴ 똠방각하"), -5000}});
    screen.exportList();
    const QString file = exportFolder(*m_home) + QLatin1Char('/') + kStem + QStringLiteral(".xlsx");
    const QString golden = Golden::Path(QStringLiteral("golden/export.xlsx"));
    if (qEnvironmentVariable("ZELKOVA_UPDATE_GOLDEN") == QLatin1String("1")) {
        QFile::remove(golden);
        QVERIFY(QFile::copy(file, golden));
    }
    QHash<int, double> widths, goldenWidths;
    const QHash<QString, SheetCell> cells = readSheet(file, &widths);
    const QHash<QString, SheetCell> want = readSheet(golden, &goldenWidths);
    QVERIFY(!want.isEmpty());
    QCOMPARE(cells.keys().size(), want.keys().size());
    for (auto it = want.cbegin(); it != want.cend(); ++it) {
        const SheetCell got = cells.value(it.key());
        QVERIFY2(got.number == it->number && got.text == it->text && got.value == it->value &&
                     got.format == it->format && got.bold == it->bold,
                 qPrintable(it.key() + QStringLiteral(": ") + got.text + QStringLiteral(" / ") + it->text));
    }
}

void TestExcelExport::names_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<int>("exports");
    QTest::addColumn<QStringList>("stems");
    QTest::newRow("first of its second") << QStringList{} << 1 << QStringList{kStem};
    QTest::newRow("same second counts on")
        << QStringList{} << 3
        << QStringList{kStem, kStem + QStringLiteral("_2"), kStem + QStringLiteral("_3")};
    QTest::newRow("a log alone takes its stem")
        << QStringList{kStem + QStringLiteral("LOG.TXT")} << 1 << QStringList{kStem + QStringLiteral("_2")};
}

void TestExcelExport::names()
{
    QFETCH(QStringList, present);
    QFETCH(int, exports);
    QFETCH(QStringList, stems);
    const QDir folder(exportFolder(*m_home));
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    for (const QString& name : present) {
        QFile f(folder.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    ScriptedPrompter prompter;
    ExportScreen screen(1, {{QStringLiteral("1"), QStringLiteral("상호"), 1000}});
    for (int i = 0; i < exports; ++i) {
        prompter.answer(MsgAnswer::Yes);
        screen.exportList();
    }

    QStringList expected = present;
    QList<QUrl> opened;
    for (const QString& stem : stems) {
        expected << stem + QStringLiteral(".xlsx") << stem + QStringLiteral("LOG.TXT");
        opened << QUrl::fromLocalFile(folder.filePath(stem + QStringLiteral(".xlsx")));
    }
    expected.sort();
    QCOMPARE(folder.entryList(QDir::Files, QDir::Name), expected);
    QCOMPARE(m_platform->opened(), opened);
}

void TestExcelExport::nothingWritten_data()
{
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("folderTaken");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("empty list") << 0 << false << false << QStringList{kEmpty};
    QTest::newRow("answered no") << 2 << false << false << QStringList{kQuestion};
    QTest::newRow("folder cannot be made") << 2 << true << true << QStringList{kQuestion, kFailed};
}

void TestExcelExport::nothingWritten()
{
    QFETCH(int, rowCount);
    QFETCH(bool, yes);
    QFETCH(bool, folderTaken);
    QFETCH(QStringList, messages);
    if (folderTaken) {
        QFile blocker(exportFolder(*m_home));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    ScriptedPrompter prompter;
    if (rowCount > 0)
        prompter.answer(yes ? MsgAnswer::Yes : MsgAnswer::No);
    QList<QVariantList> rows;
    for (int r = 1; r <= rowCount; ++r)
        rows << QVariantList{QString::number(r), QStringLiteral("상호 %1").arg(r), r * 100};
    ExportScreen screen(2, rows);
    screen.exportList();

    QCOMPARE(prompter.texts(), messages);
    QCOMPARE(prompter.unexpected(), 0);
    QCOMPARE(QFileInfo(exportFolder(*m_home)).isDir(), false);
    QCOMPARE(QFileInfo::exists(exportFolder(*m_home)), folderTaken);
    QVERIFY(m_platform->opened().isEmpty());
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spList")->MaxRows(), rowCount);
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spList")->DataRowCnt(), rowCount);
    for (int r = 1; r <= rowCount; ++r)
        QCOMPARE(Ctl<SpreadGrid>(&screen, "spList")->IsLocked(4, r), false);
}

void TestExcelExport::longExportShowsProgress_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("runs to the end") << false;
    QTest::newRow("cancelled") << true;
}

void TestExcelExport::longExportShowsProgress()
{
    QFETCH(bool, cancel);
    ScriptedPrompter prompter;
    prompter.answer(MsgAnswer::Yes);
    QList<QVariantList> rows;
    for (int r = 1; r <= 3000; ++r)
        rows << QVariantList{QString::number(r), QStringLiteral("상호 %1").arg(r), r * 100};
    ExportScreen screen(1, rows);
    bool shown = false;
    // Runs inside the export, at its first progress report.
    QTimer::singleShot(0, &screen, [&] {
        auto* window = screen.findChild<QProgressDialog*>(QStringLiteral("ExportProgress"));
        shown = window != nullptr;
        if (window && cancel)
            window->cancel();
    });
    screen.exportList();

    QVERIFY(shown);
    const QString file = exportFolder(*m_home) + QLatin1Char('/') + kStem + QStringLiteral(".xlsx");
    QCOMPARE(QFileInfo::exists(file), !cancel);
    QCOMPARE(m_platform->opened().size(), cancel ? 0 : 1);
    QCOMPARE(prompter.texts().size(), 2); // the question, then where the file is or that it was cancelled
    QVERIFY(!prompter.texts().contains(kFailed));
    QVERIFY(screen.findChild<QProgressDialog*>() == nullptr);
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spList")->MaxRows(), 3000);
    QCOMPARE(Ctl<SpreadGrid>(&screen, "spList")->IsLocked(4, 3000), false);
}

QTEST_MAIN(TestExcelExport)
#include "tst_excelexport.moc"
