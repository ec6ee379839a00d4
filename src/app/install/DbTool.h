#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Commands of the database tool, callable from tests and the benchmark as well as from its main().
namespace DbTool {

// Tells how far a long command is (0..100 over the whole command) and what it is doing.
using Progress = std::function<void(int percent, const QString& step)>;

struct DemoOptions
{
    bool demo = false;
    int customers = 0; // 0 = the demo's own size
    int stores = 0;
    int days = 0;
    int ordersPerDay = 0;
    quint32 seed = 20261208;
    // false: a seat whose main database is on a server gets everything but the main database file.
    bool mainDatabase = true;
    Progress progress; // may be empty
};

// Creates DBS/dbMain.mdb, DBS/dbReport_SRC.mdb and DBS/dbPost.mdb under the program folder `home`
// (and the FormIni, Image, doc and ExpExcel folders); with options.demo fills a demo installation.
// Without options.mainDatabase it leaves out dbMain.mdb.
bool Create(const QString& home, const DemoOptions& options, QString* error);
// Writes the notice page and help texts of a new installation (existing files are kept).
bool WriteInstallationFiles(const QString& home, QString* error);
// Creates the main database on a server (the address names a database that does not exist yet); with
// options.demo it holds the demo installation's data.
bool CreateOnServer(const QString& address, const DemoOptions& options, QString* error);
// Moves the main database of `home` to a new database on a server, checked row by row and by its sums.
bool CopyToServer(const QString& home, const QString& address, const Progress& progress, QString* error);
// Brings the main database of `home` up to the current layout.
bool Upgrade(const QString& home, QString* error);
// Checks the database folder and the main database page by page (or the server database at an address),
// then the running totals against their rows; *report is the Korean result, drifted totals one a line.
bool Check(const QString& location, QString* report);

// A progress line for a terminal, rewritten in place ("\r"); nothing when stdout is not a terminal.
Progress TerminalProgress();

// Runs the tool with its command line (without the program name); returns the process exit code.
int Run(const QStringList& args);
QString Usage();
} // namespace DbTool

// Filled by the demo generator.
namespace DemoData {
bool Fill(const QString& mainDbFile, const DbTool::DemoOptions& options, QString* error);
bool FillPostSample(const QString& postDbFile, QString* error);
// Imports a postal-code list (CSV: ZIPCODE,SIDO,GUGUN,DONG,BUNJI; header line optional) into dbPost.
bool ImportPostCsv(const QString& postDbFile, const QString& csvFile, int* imported, QString* error,
                   const DbTool::Progress& progress = {});
// Rewrites every 전화1..4 of 고객 and 가맹점 in the form the telephone search looks for (CanonicalPhone);
// *changed counts the numbers rewritten.
bool NormalizePhones(const QString& mainDbFile, int* changed, QString* error);
} // namespace DemoData
