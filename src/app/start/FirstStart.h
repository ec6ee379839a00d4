#pragma once

#include <QString>

#include <functional>

// Makes a new installation where the program folder does not exist yet, as the first start offers it.
namespace FirstStart {

enum class Kind
{
    Demo,   // the demo centre's stores, customers and orders
    Empty,  // an empty main database for real work
    Server, // the main database is on a database server; the folder keeps the seat's own files
};

struct Request
{
    Kind kind = Kind::Demo;
    QString serverAddress; // Server: postgresql://host:port/dbname
    QString terminal;      // Server: this seat's terminal number, one digit 1..9
};

// Tells how far the creation is (0..100) and what it does.
using Progress = std::function<void(int percent, const QString& step)>;

// True when the program folder does not exist at all. A folder with missing or damaged files is the
// start-up check's to report; nothing is created over it.
bool Needed();
// "" when the request can be carried out, else the Korean reason.
QString Check(const Request& request);
// Creates the installation in the program folder and saves the seat's settings for it; on failure removes
// what it made and *error tells why.
bool Create(const Request& request, const Progress& progress, QString* error);
// The request in words, for the log.
QString Describe(const Request& request);

} // namespace FirstStart
