#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The replacement of a database folder's files by a restore, made whole however the restore ends.
//
// The restore first puts each checked file beside its target as "<target>.restoring" (on the disk, with
// the shared modes), then writes DBS/restore.journal naming the targets, and only then renames the staged
// files over them. Killed before the journal, nothing was replaced and the staged files are leftovers; killed
// after it, the next run of the companion or the next start of any seat finishes the renames, so the
// folder never keeps files of two archives. Every caller holds the folder exclusively (SeatPresence).
namespace RestoreJournal {

// Whether a replacement was begun and not finished.
bool Pending(const QString& databaseFolder);
// Records the targets (file names in the folder) whose staged copies are in place; durable on return.
bool Begin(const QString& databaseFolder, const QStringList& targets, QString* error);
// Renames every staged copy the journal names over its target (the target's journal files go first, so
// nothing of the replaced file is played into the new one), then removes the journal. Safe to repeat.
// afterEach (when given) hears each target once it is in place.
bool Complete(const QString& databaseFolder, QStringList* replaced, QString* error,
              const std::function<void(const QString& target)>& afterEach = {});

// The staged copy of a target.
QString StagedName(const QString& target);

} // namespace RestoreJournal
