#pragma once

#include <QString>

// Backup, after-sales packing and restore are the data-compression companion's work: these ask the
// operator, start it from the program's own folder with the job's word, and leave it to run once the
// program has ended. The companion is started at most once per run.
namespace modBackUp {

// The companion's file name, beside the program.
extern const QString kCompanionName; // "데이터압축"

// kind 0 backup ("하드"), 1 backup with a server copy ("서버", "SERVERUP"), 2 after-sales ("AS"); any other
// kind counts as 0. True when the companion was started.
bool ExecBackUp(int kind, bool skipQuestion, const QString& keep);
// kind 1 restores ("UNZIP"); 0 and 2 start the companion without a word. True when it was started.
bool ExecRestore(int kind, const QString& keep);

} // namespace modBackUp

// Whether the companion was started in this run; while it is, neither operation starts it again.
extern bool gBackUpRunning;
