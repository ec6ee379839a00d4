#pragma once

#include <QString>

// Whole outputs kept in tests/golden/ and compared at once.
namespace Golden {
// The path of a file in tests/golden/ or tests/fixtures/ (`relative` e.g. "golden/receipt-page.txt").
QString Path(const QString& relative);
// Whether `actual` equals the golden file `name` in tests/golden/; *difference names the first line that
// differs. With ZELKOVA_UPDATE_GOLDEN=1 the file is rewritten from `actual` instead (and it matches).
bool Matches(const QString& name, const QString& actual, QString* difference);
} // namespace Golden
