#pragma once

#include "ui/ErrInfo.h"

#include <QString>

// What an error of the database engine, the archive library or the system means for the operator.
struct ErrorMeaning
{
    enum Kind
    {
        Unknown,
        ConnectionLost,
        ServerUnreachable,
        Damaged,
        DiskFull,
        InputOutput,
        CannotOpen,
        ReadOnly,
        NoPermission,
        Busy,
        Duplicate,
        InUse,
        MissingValue,
        Command,
        OutOfMemory,
        TooManySeats,
        DamagedArchive,
        NoSuchFile,
        NotOpen,
    };
    Kind kind = Unknown;
    // A Korean sentence on what happened, for "오류내용 : "; empty when the error is not known.
    QString description;
    // A Korean sentence on what to do; empty only when the error's own text is a Korean refusal of the
    // program, which says it itself.
    QString advice;
};

// Classifies an error by the engine's code when it gave one, else by the words of its text (SQLite,
// PostgreSQL and libpq, libarchive and the C library name their failures in fixed English words). A
// description that is already Korean and matches nothing keeps its own words.
ErrorMeaning DescribeError(const ErrInfo& error);
