#pragma once

#include "app/install/DbTool.h"

#include <QString>

#include <vector>

// Demo and benchmark installations: the generator's postal-code sample and its self-check.
namespace DemoData {

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
