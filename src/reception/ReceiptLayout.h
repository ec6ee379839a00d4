#pragma once

#include "reception/CellPage.h"
#include "reception/ReceiptOrder.h"

// Where a receipt is drawn: the preview outlines the paper in grey, the printed page has no outline.
enum class ReceiptTarget
{
    Preview,
    Printer
};

// The order receipt ("주문내역") on the character grid: header block, one row per line, totals and the
// operating centre's name. Widths count bytes of the Korean code page, so a Hangul syllable takes two
// columns.
CellPage BuildReceipt(const ReceiptOrder& order, const QString& centreName, ReceiptTarget target);

// "0612071001" as "061207-1-001"; a number of any other shape is shown as stored.
QString FormatOrderNumber(const QString& orderNumber);
