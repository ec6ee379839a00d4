#pragma once

#include "ui/ErrInfo.h"

#include <QList>
#include <QString>

#include <optional>

// The rows of 보안설정 as the permission screen shows and writes them.
namespace PermissionTable {

struct Entry
{
    QString formName;
    QString description;
    bool adminOnly = false; // 사용권한 not 0
};

// Every guarded screen, by description; nothing when the table could not be read (the error was shown).
std::optional<QList<Entry>> Read();
// Writes −1 for every entry marked administrator-only and 0 for the others, all in one transaction;
// false with the engine's error when nothing was written. Shows nothing.
bool Write(const QList<Entry>& entries, ErrInfo* error);

} // namespace PermissionTable
