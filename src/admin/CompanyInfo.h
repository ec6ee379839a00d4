#pragma once

#include "ui/ErrInfo.h"

#include <QString>
#include <QStringList>

#include <optional>

// The operating company's details: the one row of 사용자정보.
namespace CompanyInfo {

// The ten columns in the order of the options screen's boxes.
const QStringList& Columns();
// Largest byte length of each column (the Korean code page, a Hangul syllable counting 2).
const QList<int>& MaxBytes();

// The ten values of the first row ("" for Null or when there is no row); nothing when the table could not
// be read (error set, nothing shown).
std::optional<QStringList> Read(ErrInfo* error);
// Writes the ten values in one transaction: adds the row with today's 자료등록일자 when there is none and
// stamps 최종수정일 with the current date and time. The table holds one row; every row is updated. Shows
// nothing.
bool Save(const QStringList& values, ErrInfo* error);

} // namespace CompanyInfo
