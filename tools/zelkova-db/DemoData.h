#pragma once

#include "DbTool.h"

#include <QString>

#include <vector>

// Demo and benchmark installations: the generator's arithmetic, its postal-code sample and its self-check.
namespace DemoData {

// Commission of a line: ratePercent / 100 × amount, the fraction cut toward zero. The rate is taken to four
// decimals and the product is formed in whole numbers, so 0.7 % of 1,000 is exactly 7.
qint64 Commission(double ratePercent, qint64 amount);
// Points of a line: amount / pointUnit rounded half away from zero (pointUnit > 0).
qint64 Points(qint64 amount, qint64 pointUnit);

// One row of the postal-code table.
struct PostRow
{
    QString zipcode;
    QString sido;
    QString gugun;
    QString dong;
    QString bunji;
};

// The bundled sample of region names; the first row is the marker that says the list is only a sample.
const std::vector<PostRow>& PostSampleRows();

// Checks a generated main database: running totals against their rows, the arithmetic of every order line,
// the forms of codes, numbers, dates and times, and the relations between tables. *report lists what is wrong
// (at most a few lines per kind) and ends with row counts.
bool CheckInvariants(const QString& mainDbFile, QString* report);
} // namespace DemoData
