#pragma once

#include <QString>

#include <optional>
#include <span>

// Every setting the program keeps, per user, per program folder or in the database's table 환경설정, with
// its place, type, default and range: the one place where a stored or typed value is checked.
namespace Settings {

enum class Key
{
    NoMsg,
    GridRowHeight,
    GridFontSize,
    TerminalId,
    CsType,
    DbFolder,
    MainDatabase,
    NetworkPath,
    NetworkDrive,
    SeeIdPort1,
    SeeIdPort2,
    SeeIdPortPrefix,
    CustFindFld0,
    CustFindFld1,
    CustFindFld2,
    MembFindFld0,
    MembFindFld1,
    MembFindFld2,
    MembFindFld3,
    StandbyX,
    StandbyY,
    BackupFolder,
    AdminPassword,
    LoginPassword,
    PointUnit,
    ServiceThreshold,
    Ddd,
    Count
};

enum class Store
{
    User,         // the user's settings file, application = the program's title
    Installation, // the user's settings file, kept apart for each program folder (UserSettings)
    Database      // table 환경설정, shared by every seat
};

enum class Type
{
    Text,     // taken as stored
    Flag,     // "0" or "1"
    Whole,    // digits (thousands separators allowed) within [lowest, highest]
    Digit,    // one digit within [lowest, highest]
    Port,     // 0 (no device) to 255, "COMn" or a device path such as /dev/ttyUSB0
    AreaCode, // 2 to 4 digits beginning with 0
};

struct Row
{
    Key key;
    Store store;
    const char* app; // nullptr: the program's title
    const char* section;
    const char* name;
    Type type;
    const char* fallback; // the default, also where a stored value is refused
    qint64 lowest;
    qint64 highest;
};

std::span<const Row> Table();
const Row& Of(Key key);
QString Name(Key key);
QString Default(Key key);
// The value to store for a typed or stored text, normalised ("03" → "3"); nothing when the key's type or
// range refuses it.
std::optional<QString> Parse(Key key, const QString& text);
// A stored text as the program takes it: the default when it is refused.
QString Checked(Key key, const QString& stored);

// The seat's own settings (Store::User and Store::Installation): checked on every read.
QString Get(Key key);
qint64 Number(Key key);
bool IsOn(Key key);
void Save(Key key, const QString& value);

// The numbered keys.
Key CustFindField(int index); // 0..2
Key MembFindField(int index); // 0..3
Key SeeIdPort(int index);     // 0..1

} // namespace Settings
