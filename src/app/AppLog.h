#pragma once

#include <QString>

// The program's log: start and stop, errors with their full detail, caller-ID device events, the database
// connection's losses and reconnections ("연결", from the category zelkova.connection) and Qt's own
// warnings, one line each, in the program folder's Log/zelkova.log. The file turns over at a size limit and
// the newest few old files are kept (zelkova.log.1 the newest), so it never fills the disk; the after-sales
// archive packs the folder.
namespace AppLog {

constexpr qint64 kDefaultMaxBytes = 1024 * 1024;
constexpr int kKeep = 5;

// Starts writing into folder (created when missing) and takes over Qt's message output.
void Start(const QString& folder, qint64 maxBytes = kDefaultMaxBytes);
void Stop();
// One line: time, kind and text (line breaks kept inside the line as " | "). Does nothing before Start.
void Write(const QString& kind, const QString& text);

} // namespace AppLog
