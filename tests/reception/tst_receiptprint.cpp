#include "ReceiptFixture.h"
#include "reception/ReceiptLayout.h"
#include "reception/gui/CellView.h"
#include "reception/gui/FrmPreviewRcv.h"
#include "reception/gui/modCellPrint.h"
#include "support/Controls.h"
#include "support/ScriptedPrompter.h"
#include "ui/gui/ModalSeam.h"

#include <QFile>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <array>

namespace {
constexpr int kDpi = 1200;

// A 1200 dpi page that keeps every text drawn on it with its baseline position.
class TextRecorder : public QPaintDevice, public QPaintEngine
{
public:
    struct Drawn
    {
        QPointF baseline;
        QString text;
        QFont font;
    };
    QList<Drawn> drawn;

    QPaintEngine* paintEngine() const override { return const_cast<TextRecorder*>(this); }
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawLines(const QLineF*, int) override {}
    void drawRects(const QRectF*, int) override {}
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        drawn.append({p, item.text(), item.font()});
    }
    Type type() const override { return User; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
        case PdmHeight:
            return 11 * kDpi;
        case PdmWidthMM:
        case PdmHeightMM:
            return 279;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return kDpi;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return QPaintDevice::metric(m);
        }
    }
};
} // namespace

// The receipt drawn: the grid font's widths, the places texts land on a printer page, the PDF print and the
// preview of an order that is gone.
class TestReceiptPrint : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_db = new ReceiptFixture; }
    void cleanup()
    {
        SetModalHandler({});
        FrmPreviewRcv::SetPrintFile({});
        delete m_db;
        m_db = nullptr;
    }
    void hangulIsTwoLatinWidths_data();
    void hangulIsTwoLatinWidths();
    void textsLandOnTheirCells_data();
    void textsLandOnTheirCells();
    void printsToPdf();
    void orderGoneShowsEmptyPreview();
    void pageStartsAtNinePoints();

private:
    ReceiptFixture* m_db = nullptr;
};

void TestReceiptPrint::hangulIsTwoLatinWidths_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("bold");
    QTest::newRow("9") << 9 << false;
    QTest::newRow("10") << 10 << false;
    QTest::newRow("10 bold") << 10 << true;
    QTest::newRow("14 bold") << 14 << true;
}

void TestReceiptPrint::hangulIsTwoLatinWidths()
{
    QFETCH(int, size);
    QFETCH(bool, bold);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QFont font = modCellPrint::CellFont(size, bold);
    QCOMPARE(QFontInfo(font).family(), QString::fromUtf16(modCellPrint::kFontSubstitute));
    const QFontMetricsF metrics(font, &printer);
    const qreal latin = metrics.horizontalAdvance(QStringLiteral("0"));
    QVERIFY(latin > 0);
    QCOMPARE(metrics.horizontalAdvance(QStringLiteral("W,1 ")), 4 * latin);
    QCOMPARE(metrics.horizontalAdvance(QStringLiteral("가")), 2 * latin);
    QCOMPARE(metrics.horizontalAdvance(QStringLiteral("A후라이드양념반반")), 17 * latin);
}

void TestReceiptPrint::textsLandOnTheirCells_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::newRow("title") << "주문내역" << 1 << 16;
    QTest::newRow("menu name") << "A후라이드양념반반" << 14 << 3;
    QTest::newRow("total amount") << " 45,000" << 17 << 25;
}

void TestReceiptPrint::textsLandOnTheirCells()
{
    QFETCH(QString, text);
    QFETCH(int, row);
    QFETCH(int, col);
    // Drawn as the print button draws it: DrawReceipt on a target that is not the preview.
    FrmPreviewRcv preview(QStringLiteral("나무"));
    QVERIFY(preview.LoadOrder(QStringLiteral("0612071001")));
    TextRecorder page;
    QVERIFY(preview.DrawReceipt(&page));
    for (const TextRecorder::Drawn& d : page.drawn) {
        // A text mixing scripts is drawn in runs; its first run starts the cell.
        if (d.text.isEmpty() || !text.startsWith(d.text))
            continue;
        QCOMPARE(d.baseline.x(), qreal(col * kDpi / 15));
        const qreal top = d.baseline.y() - QFontMetricsF(d.font, &page).ascent();
        QVERIFY2(qAbs(top - row * kDpi / 6) < 1, qPrintable(QString::number(top)));
        return;
    }
    QFAIL("text not drawn");
}

void TestReceiptPrint::printsToPdf()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("receipt.pdf"));
    FrmPreviewRcv::SetPrintFile(pdf);
    ScriptedPrompter prompter;
    int result = -1;
    SetModalHandler([&](QDialog* dialog) {
        auto* preview = qobject_cast<FrmPreviewRcv*>(dialog);
        QTest::mouseClick(Ctl<QPushButton>(preview, "btnPrint"), Qt::LeftButton);
        result = preview->result();
        return result;
    });
    FrmPreviewRcv::ShowPreview(QStringLiteral("0612071001"), QStringLiteral("나무콜센터"));
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(prompter.count(), 0);
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    // The mapped font is embedded, not a fallback.
    QVERIFY(bytes.contains("NanumGothicCoding"));
}

void TestReceiptPrint::orderGoneShowsEmptyPreview()
{
    ScriptedPrompter prompter;
    bool emptyPage = false;
    bool printable = true;
    SetModalHandler([&](QDialog* dialog) {
        auto* preview = qobject_cast<FrmPreviewRcv*>(dialog);
        emptyPage = Ctl<CellView>(preview, "picView")->page().isEmpty();
        printable = Ctl<QPushButton>(preview, "btnPrint")->isEnabled();
        QTest::keyClick(preview, Qt::Key_F8);
        QTest::keyClick(preview, Qt::Key_F5);
        return int(QDialog::Rejected);
    });
    QCOMPARE(ExecSQL(QStringLiteral("DELETE FROM 주문 WHERE 주문번호 = '0612071002'")), 1);
    FrmPreviewRcv::ShowPreview(QStringLiteral("0612071002"), QString());
    QVERIFY(emptyPage);
    QVERIFY(!printable);
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("주문자료를 찾을 수 없습니다.")});
}

// Every page begins in the grid font at 9 points, black on no background, and a move to 0 keeps that
// coordinate.
void TestReceiptPrint::pageStartsAtNinePoints()
{
    QImage image(200, 200, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setFont(QFont(QStringLiteral("Serif"), 30));
    painter.setPen(Qt::red);
    painter.setBackgroundMode(Qt::OpaqueMode);
    modCellPrint::PrtInit(painter);
    QCOMPARE(painter.font().pointSize(), 9);
    QCOMPARE(painter.font().family(), modCellPrint::CellFont(9).family());
    QCOMPARE(painter.pen().color(), QColor(Qt::black));
    QCOMPARE(painter.backgroundMode(), Qt::TransparentMode);
    painter.end();

    CellPage page;
    const QList<std::array<int, 4>> moves{{3, 5, 3, 5}, {0, 7, 3, 7}, {4, 0, 4, 7}, {0, 0, 4, 7}};
    for (const auto& [row, col, atRow, atCol] : moves) {
        page.PrtMoveTo(row, col);
        QCOMPARE(page.CurrentRow(), atRow);
        QCOMPARE(page.CurrentCol(), atCol);
    }
    page.PrtText(0, 0, QStringLiteral("x"));
    QCOMPARE(page.texts().last().row, 4);
    QCOMPARE(page.texts().last().col, 7);
    QCOMPARE(page.texts().last().size, 9);
}

QTEST_MAIN(TestReceiptPrint)
#include "tst_receiptprint.moc"
