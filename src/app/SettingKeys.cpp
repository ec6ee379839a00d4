#include "app/SettingKeys.h"

#include "app/Globals.h"
#include "app/UserSettings.h"

#include <QRegularExpression>

#include <array>

namespace Settings {
namespace {
using enum Key;
using enum Store;
using enum Type;

constexpr const char* kOptions = "환경설정";

// The names and the places are those every seat's files and every database already hold: never rename.
constexpr std::array<Row, size_t(Count)> kTable{{
    {NoMsg, User, nullptr, kOptions, "NoMsg", Text, "0", 0, 0},
    {GridRowHeight, User, nullptr, kOptions, "그리드줄높이", Whole, "14", qint64(kGridSizeMin),
     qint64(kGridSizeMax)},
    {GridFontSize, User, nullptr, kOptions, "그리드글자크기", Whole, "10", qint64(kGridSizeMin),
     qint64(kGridSizeMax)},
    {TerminalId, User, nullptr, kOptions, "Terminal_ID", Digit, "0", 0, 9},
    {CsType, Installation, nullptr, kOptions, "CSType", Whole, "0", 0, 1},
    {DbFolder, Installation, nullptr, kOptions, "DB경로", Text, "", 0, 0},
    {MainDatabase, Installation, nullptr, kOptions, "DataBaseMain", Text, "", 0, 0},
    {NetworkPath, Installation, nullptr, kOptions, "네트웍경로", Text, "", 0, 0},
    {NetworkDrive, Installation, nullptr, kOptions, "네트웍드라이브", Text, "", 0, 0},
    {SeeIdPort1, User, nullptr, kOptions, "OpenSeeIDPort1", Port, "0", 0, 255},
    {SeeIdPort2, User, nullptr, kOptions, "OpenSeeIDPort2", Port, "0", 0, 255},
    {SeeIdPortPrefix, User, nullptr, kOptions, "SeeIDPortPrefix", Text, "", 0, 0},
    {CustFindFld0, User, nullptr, kOptions, "CustFindFld_0", Flag, "1", 0, 1},
    {CustFindFld1, User, nullptr, kOptions, "CustFindFld_1", Flag, "0", 0, 1},
    {CustFindFld2, User, nullptr, kOptions, "CustFindFld_2", Flag, "0", 0, 1},
    {MembFindFld0, User, nullptr, kOptions, "MembFindFld_0", Flag, "1", 0, 1},
    {MembFindFld1, User, nullptr, kOptions, "MembFindFld_1", Flag, "0", 0, 1},
    {MembFindFld2, User, nullptr, kOptions, "MembFindFld_2", Flag, "0", 0, 1},
    {MembFindFld3, User, nullptr, kOptions, "MembFindFld_3", Flag, "0", 0, 1},
    // In twips; -1 = not placed yet.
    {StandbyX, User, nullptr, kOptions, "발신번호대기창x", Whole, "-1", 0, 1000000},
    {StandbyY, User, nullptr, kOptions, "발신번호대기창y", Whole, "-1", 0, 1000000},
    // The database folder and one slash, for whoever makes backups; nothing reads it back.
    {BackupFolder, Installation, "Backup", "DB경로", "경로", Text, "", 0, 0},
    {AdminPassword, Database, nullptr, nullptr, "관리자암호", Text, "", 0, 0},
    {LoginPassword, Database, nullptr, nullptr, "로그인암호", Text, "", 0, 0},
    // 0 won per point would earn no points at all.
    {PointUnit, Database, nullptr, nullptr, "금액대포인트", Whole, "100", 1, 1000000},
    {ServiceThreshold, Database, nullptr, nullptr, "서비스대상점수", Whole, "100", 0, 100000000},
    {Ddd, Database, nullptr, nullptr, "DDD", AreaCode, "02", 0, 0},
}};

constexpr bool inKeyOrder()
{
    for (size_t i = 0; i < kTable.size(); ++i)
        if (size_t(kTable[i].key) != i)
            return false;
    return true;
}
static_assert(inKeyOrder(), "the settings table lists every key once, in the order of Key");

std::optional<QString> wholeNumber(const QString& text, qint64 lowest, qint64 highest)
{
    QString digits = text.trimmed();
    digits.remove(QLatin1Char(','));
    static const QRegularExpression onlyDigits(QStringLiteral("^[0-9]{1,12}$"));
    if (!onlyDigits.match(digits).hasMatch())
        return std::nullopt;
    const qint64 n = digits.toLongLong();
    if (n < lowest || n > highest)
        return std::nullopt;
    return QString::number(n);
}

std::optional<QString> port(const QString& text, qint64 highest)
{
    const QString value = text.trimmed();
    if (const auto n = wholeNumber(value, 0, highest))
        return n;
    static const QRegularExpression com(QStringLiteral("^COM([1-9][0-9]{0,2})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (const auto m = com.match(value); m.hasMatch() && m.captured(1).toInt() <= highest)
        return QStringLiteral("COM") + m.captured(1);
    static const QRegularExpression path(QStringLiteral("^/[A-Za-z0-9_./-]{1,254}$"));
    if (path.match(value).hasMatch() && !value.contains(QStringLiteral("..")))
        return value;
    return std::nullopt;
}

QString appOf(const Row& s)
{
    return s.app ? QString::fromUtf8(s.app) : AppTitle();
}
} // namespace

std::span<const Row> Table()
{
    return kTable;
}

const Row& Of(Key key)
{
    return kTable.at(size_t(key));
}

QString Name(Key key)
{
    return QString::fromUtf8(Of(key).name);
}

QString Default(Key key)
{
    return QString::fromUtf8(Of(key).fallback);
}

std::optional<QString> Parse(Key key, const QString& text)
{
    const Row& s = Of(key);
    switch (s.type) {
    case Text:
        return text;
    case Flag:
        if (text.trimmed() == QLatin1String("0") || text.trimmed() == QLatin1String("1"))
            return text.trimmed();
        return std::nullopt;
    case Whole:
        return wholeNumber(text, s.lowest, s.highest);
    case Digit:
        if (text.trimmed().size() != 1)
            return std::nullopt;
        return wholeNumber(text, s.lowest, s.highest);
    case Port:
        return port(text, s.highest);
    case AreaCode: {
        const QString value = text.trimmed();
        static const QRegularExpression code(QStringLiteral("^0[0-9]{1,3}$"));
        if (!code.match(value).hasMatch())
            return std::nullopt;
        return value;
    }
    }
    return std::nullopt;
}

QString Checked(Key key, const QString& stored)
{
    return Parse(key, stored).value_or(Default(key));
}

QString Get(Key key)
{
    const Row& s = Of(key);
    Q_ASSERT_X(s.store != Database, "Settings::Get", "a database setting is read with GetConfig");
    const QString section = QString::fromUtf8(s.section);
    const QString stored =
        s.store == Installation
            ? UserSettings::GetInstallationSetting(appOf(s), section, Name(key), Default(key))
            : UserSettings::GetSetting(appOf(s), section, Name(key), Default(key));
    return Checked(key, stored);
}

qint64 Number(Key key)
{
    return Get(key).toLongLong();
}

bool IsOn(Key key)
{
    return Get(key) == QLatin1String("1");
}

void Save(Key key, const QString& value)
{
    const Row& s = Of(key);
    Q_ASSERT_X(s.store != Database, "Settings::Save", "a database setting is saved with SaveConfig");
    const QString section = QString::fromUtf8(s.section);
    if (s.store == Installation)
        UserSettings::SaveInstallationSetting(appOf(s), section, Name(key), value);
    else
        UserSettings::SaveSetting(appOf(s), section, Name(key), value);
}

Key CustFindField(int index)
{
    return Key(int(CustFindFld0) + qBound(0, index, 2));
}

Key MembFindField(int index)
{
    return Key(int(MembFindFld0) + qBound(0, index, 3));
}

Key SeeIdPort(int index)
{
    return index == 0 ? SeeIdPort1 : SeeIdPort2;
}

} // namespace Settings
