#pragma once

#include <QString>

// An error of the data engine or of a record operation: its number (DbErr in db/DbError.h) and
// description. Shown by ShowErrorInfo and ShowStdError (ui/MsgBox.h).
struct ErrInfo
{
    qint64 number = 0;
    QString description;
};
