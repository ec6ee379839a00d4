#pragma once

#include "reception/ReceiptOrder.h"

#include <QDialog>

#include <optional>

class CellView;
class QFrame;
class QPaintDevice;
class QPrinter;
class QPushButton;

// The receipt preview ("주문내역 미리보기"): one order's receipt on screen, printed on the default printer.
class FrmPreviewRcv : public QDialog
{
    Q_OBJECT
public:
    // centreName is the operating centre's name printed under the totals.
    explicit FrmPreviewRcv(const QString& centreName, QWidget* parent = nullptr);

    // Reads the order; false when it no longer exists (the preview then stays empty).
    bool LoadOrder(const QString& orderNumber);
    bool HasOrder() const { return m_order.has_value(); }
    // Draws the loaded receipt on picView (F5).
    void ShowReceipt();
    // Draws the loaded receipt on the target: picView (the paper outlined in grey) or a printer, whose job it
    // ends. False when there is no receipt or the target could not be drawn on.
    bool DrawReceipt(QPaintDevice* target);
    // DrawReceipt on the printer; false when there is nothing to print or the printer could not be started.
    bool PrintReceipt(QPrinter& printer);

    // Opens the preview of an order modally. An order that no longer exists is told and shows an empty page.
    static int ShowPreview(const QString& orderNumber, const QString& centreName, QWidget* parent = nullptr);
    // Sends the print button's pages to this PDF file instead of the default printer; empty restores the
    // printer.
    static void SetPrintFile(const QString& pdfFile);

public Q_SLOTS:
    void btnPrint_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QFrame* m_fraTop = nullptr;
    QPushButton* m_btnPrint = nullptr;
    QPushButton* m_btnClose = nullptr;
    CellView* m_picView = nullptr;
    QString m_centreName;
    std::optional<ReceiptOrder> m_order;
};
