#include "reception/gui/FrmPreviewRcv.h"

#include "app/AppPaths.h"
#include "app/Clock.h"
#include "app/Platform.h"
#include "reception/ReceiptLayout.h"
#include "reception/gui/CellView.h"
#include "reception/gui/modCellPrint.h"
#include "ui/MsgBox.h"
#include "ui/gui/MduMainUi.h"
#include "ui/gui/ModalSeam.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {
QString& printFile()
{
    static QString file;
    return file;
}

// A cursor for the time a receipt is being drawn.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
} // namespace

FrmPreviewRcv::FrmPreviewRcv(const QString& centreName, QWidget* parent)
    : QDialog(parent), m_centreName(centreName)
{
    setObjectName(QStringLiteral("FrmPreviewRcv"));
    setWindowTitle(QStringLiteral("주문내역 미리보기"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_fraTop = new QFrame(this);
    m_fraTop->setObjectName(QStringLiteral("fraTop"));
    m_fraTop->setFrameShape(QFrame::StyledPanel);
    m_btnPrint = new QPushButton(QStringLiteral("인쇄(F8)"), m_fraTop);
    m_btnPrint->setObjectName(QStringLiteral("btnPrint"));
    m_btnClose = new QPushButton(QStringLiteral("닫기(&C)"), m_fraTop);
    m_btnClose->setObjectName(QStringLiteral("btnClose"));
    auto* bar = new QHBoxLayout(m_fraTop);
    bar->setContentsMargins(4, 4, 4, 4);
    bar->addWidget(m_btnPrint);
    bar->addWidget(m_btnClose);
    bar->addStretch(1);

    m_picView = new CellView(this);
    m_picView->setObjectName(QStringLiteral("picView"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_fraTop);
    layout->addWidget(m_picView, 1);
    resize(440, 620);

    connect(m_btnPrint, &QPushButton::clicked, this, &FrmPreviewRcv::btnPrint_Click);
    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::reject);
}

bool FrmPreviewRcv::LoadOrder(const QString& orderNumber)
{
    m_order = LoadReceiptOrder(orderNumber);
    m_btnPrint->setEnabled(m_order.has_value());
    return m_order.has_value();
}

void FrmPreviewRcv::ShowReceipt()
{
    WaitCursor wait;
    m_picView->Clear();
    DrawReceipt(m_picView);
}

bool FrmPreviewRcv::DrawReceipt(QPaintDevice* target)
{
    if (!m_order || !target)
        return false;
    // The preview widget paints itself from the page it holds; any other target is drawn at once.
    if (target == static_cast<QPaintDevice*>(m_picView)) {
        m_picView->SetPage(BuildReceipt(*m_order, m_centreName, ReceiptTarget::Preview));
        return true;
    }
    const CellPage page = BuildReceipt(*m_order, m_centreName, ReceiptTarget::Printer);
    QPainter painter;
    if (!painter.begin(target))
        return false;
    modCellPrint::DrawCellPage(painter, page);
    return painter.end();
}

bool FrmPreviewRcv::PrintReceipt(QPrinter& printer)
{
    if (!m_order)
        return false;
    WaitCursor wait;
    return DrawReceipt(&printer);
}

void FrmPreviewRcv::btnPrint_Click()
{
    if (!m_order)
        return;
    QString pdf = printFile();
    const bool noPrinter = pdf.isEmpty() && QPrinterInfo::availablePrinters().isEmpty();
    if (noPrinter)
        pdf = AppPaths::ProgramPath(QStringLiteral("Print/Receipt_") + m_order->orderNumber +
                                    Clock::Now().toString(QStringLiteral("_yyMMdd_HHmmss")) +
                                    QStringLiteral(".pdf"));
    QPrinter printer(QPrinter::HighResolution);
    if (!pdf.isEmpty()) {
        QDir().mkpath(QFileInfo(pdf).absolutePath());
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    }
    printer.setDocName(QStringLiteral("주문내역 ") + m_order->orderNumber);
    const bool printed = PrintReceipt(printer);
    if (!printed) {
        ShowWarning(QStringLiteral("인쇄하지 못했습니다."));
        return;
    }
    if (noPrinter) {
        ShowInfo(QStringLiteral("연결된 프린터가 없어 PDF 파일로 저장하였습니다.") + kCrLf + pdf);
        CurrentPlatform().OpenExternally(QUrl::fromLocalFile(pdf));
    }
    accept();
}

void FrmPreviewRcv::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_F8:
        btnPrint_Click();
        return;
    case Qt::Key_F5:
        ShowReceipt();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

int FrmPreviewRcv::ShowPreview(const QString& orderNumber, const QString& centreName, QWidget* parent)
{
    FrmPreviewRcv preview(centreName, parent);
    CenterForm(&preview);
    if (!preview.LoadOrder(orderNumber))
        ShowWarning(QStringLiteral("주문자료를 찾을 수 없습니다."));
    preview.ShowReceipt();
    return ExecModal(&preview);
}

void FrmPreviewRcv::SetPrintFile(const QString& pdfFile)
{
    printFile() = pdfFile;
}
