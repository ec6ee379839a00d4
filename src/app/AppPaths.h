#pragma once

#include <QString>
#include <QStringList>

// Where the program folder is and how "\DBS\dbMain.mdb"-style paths map onto it.
//
// The program folder is taken from --home DIR, else from $ZELKOVA_HOME, else it is the platform's
// per-user data folder (on Linux ~/.local/share/zelkova). Folder and file names below it are matched without
// regard to letter case, so "\dbs\dbPost.mdb" and "\DBS\dbPost.mdb" name the same file.
namespace AppPaths {
// Picks the program folder from the command line (removing --home DIR from args) or the environment.
void InitFromArgs(QStringList& args);
void SetProgramFolder(const QString& folder);
QString ProgramFolder();
// Program folder + a relative path written either way ("\DBS\dbMain.mdb" or "DBS/dbMain.mdb").
QString ProgramPath(const QString& relative);
// Resolves a path below base component by component, ignoring letter case where an entry exists.
QString ResolveCaseInsensitive(const QString& base, const QString& relative);
// Turns backslashes into slashes and drops a trailing separator.
QString Native(const QString& path);
} // namespace AppPaths
