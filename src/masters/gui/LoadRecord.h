#pragma once

#include "db/DbError.h"
#include "db/MduAdoDB.h"

#include <QString>

#include <optional>

// Loads a customer or store record for a panel or an editor: an engine error is told to the operator as
// every read error is, a row that is not there is not.
template <class Record> std::optional<Record> LoadRecord(const QString& code)
{
    ErrInfo error;
    std::optional<Record> record = Record::Load(code, &error);
    if (!record && (error.number != 0 || !error.description.isEmpty()))
        TellReadError(gMainConn, error);
    return record;
}
