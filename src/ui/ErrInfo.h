#pragma once

#include <QString>

// An error of the data engine or of a record operation: its number (DbErr in db/DbError.h) and
// description. Shown by ShowErrorInfo and ShowStdError (ui/MsgBox.h).
struct ErrInfo
{
    qint64 number = 0;
    QString description;
    // The engine's own code when it gave one: a server's SQLSTATE ("57P01"), SQLite's extended result code
    // ("11"); lets the message name the cause in Korean whatever language the engine's text is in.
    QString native = {};
};
