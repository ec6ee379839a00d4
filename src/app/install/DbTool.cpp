#include "app/install/DbTool.h"

#include "app/AppPaths.h"
#include "app/FileModes.h"
#include "app/RestoreJournal.h"
#include "app/SeatPresence.h"
#include "db/DbCheck.h"
#include "db/DbConnection.h"
#include "db/RunningTotals.h"
#include "db/Schema.h"
#include "db/ServerAddress.h"
#include "db/ServerSchema.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

#include <unistd.h>

namespace DbTool {

namespace {
QString dbsFolder(const QString& home)
{
    return AppPaths::ResolveCaseInsensitive(home, QStringLiteral("DBS"));
}

void out(const QString& text)
{
    std::fprintf(stdout, "%s\n", qUtf8Printable(text));
}

void err(const QString& text)
{
    std::fprintf(stderr, "%s\n", qUtf8Printable(text));
}

// A command that rewrites the shared files: run only while no seat, of whichever user, has them open (and
// none can open them meanwhile); afterwards they are in the installation's shared modes again.
bool whileNoSeat(const QString& dbs, const QString& what, QString* error, const std::function<bool()>& work)
{
    bool ok = false;
    {
        const SeatPresence::Exclusive hold(dbs);
        if (!hold.held()) {
            *error = (hold.seatsPresent() ? QStringLiteral("다른 자리에서 프로그램을 사용하고 있어 ") + what +
                                                QStringLiteral(" 수 없습니다.\n모든 자리의 프로그램을 끈 뒤 "
                                                               "다시 하세요.\n")
                                          : QStringLiteral("데이터베이스 폴더를 잠글 수 없습니다.\n")) +
                     hold.reason();
            return false;
        }
        // A restore killed while it replaced the files is finished first: the command works on one archive's.
        QString unfinished;
        if (RestoreJournal::Pending(dbs) && !RestoreJournal::Complete(dbs, nullptr, &unfinished)) {
            *error = QStringLiteral("멈추었던 데이터 복구를 마치지 못했습니다.\n") + unfinished;
            return false;
        }
        ok = work();
    }
    const QStringList wrong = FileModes::KeepShared(dbs);
    if (ok && !wrong.isEmpty())
        err(QStringLiteral("다른 사용자의 파일이어서 공유 권한을 고치지 못했습니다:\n") +
            wrong.join(QLatin1Char('\n')));
    return ok;
}
} // namespace

QString Usage()
{
    return QStringLiteral(
        "사용법: zelkova-db <명령> [옵션] [--home DIR | DIR]\n"
        "\n"
        "명령:\n"
        "  create [--demo] DIR        프로그램 폴더 DIR 아래 DBS에 dbMain.mdb, "
        "dbReport_SRC.mdb, dbPost.mdb를 만듭니다.\n"
        "         --customers N --stores N --days N --orders-per-day N --seed N\n"
        "                              (--demo와 함께) 생성할 자료의 양을 정합니다.\n"
        "  create --postgres 주소 [--demo]\n"
        "                              PostgreSQL 서버에 메인 DB를 만듭니다. 주소는\n"
        "                              postgresql://서버:포트/DB이름 (암호는 ~/.pgpass에 둡니다).\n"
        "  copy DIR 주소              프로그램 폴더 DIR의 메인 DB를 서버의 새 DB로 옮기고 확인합니다.\n"
        "  upgrade DIR|주소           메인 DB를 현재 프로그램의 구조로 올립니다.\n"
        "  import-post CSV DIR        우편번호 목록(CSV: ZIPCODE,SIDO,GUGUN,DONG,BUNJI)을 "
        "dbPost.mdb로 가져옵니다.\n"
        "  version DIR|주소           메인 DB의 구조 버전을 보여 줍니다.\n"
        "  check DIR|주소             폴더와 메인 DB를 점검합니다(모든 페이지의 무결성, 가맹점 현잔액과\n"
        "                              고객 현포인트가 행의 합계와 맞는지; 고치지는 않습니다).\n"
        "  normalize-phones DIR       고객과 가맹점의 전화1~4를 검색이 찾는 한 가지 "
        "형식(02-1234-5678)으로 고칩니다.\n"
        "  share [--off] DIR          메인 DB를 네트워크 공유 폴더로 여러 자리가 쓸 수 있는 방식(롤백 "
        "저널)으로\n"
        "                              바꿉니다(--off: 한 자리 전용 WAL 방식으로 되돌림). 서버 자리에서,\n"
        "                              모든 자리의 프로그램을 끈 뒤 실행하세요. 여러 자리에는 서버 DB\n"
        "                              (PostgreSQL)가 더 안전합니다.\n"
        "\n"
        "DIR 대신 --home DIR 또는 환경변수 ZELKOVA_HOME을 쓸 수 있습니다.\n"
        "명령마다 --help가 그 명령의 옵션을 보여 줍니다(예: zelkova-db create --help).\n");
}

namespace {
// Restores the creation mask when the command ends.
class CreationMask
{
public:
    explicit CreationMask(int mask) : m_previous(FileModes::SetCreationMask(mask)) {}
    ~CreationMask() { FileModes::SetCreationMask(m_previous); }
    CreationMask(const CreationMask&) = delete;
    CreationMask& operator=(const CreationMask&) = delete;

private:
    int m_previous;
};

bool createFiles(const QString& home, const DemoOptions& options, QString* error)
{
    const auto tell = [&](int percent, const QString& step) {
        if (options.progress)
            options.progress(percent, step);
    };
    tell(0, QStringLiteral("폴더 만드는 중"));
    QDir root(home);
    if (!root.mkpath(QStringLiteral("."))) {
        *error = QStringLiteral("폴더를 만들 수 없습니다: ") + home;
        return false;
    }
    for (const char* sub : {"DBS", "FormIni", "Image", "doc", "ExpExcel"}) {
        const QString p = AppPaths::ResolveCaseInsensitive(home, QString::fromLatin1(sub));
        if (!QDir().mkpath(p)) {
            *error = QStringLiteral("폴더를 만들 수 없습니다: ") + p;
            return false;
        }
        // The database folder is the seats' group's; layouts and exports are the user's alone.
        if (qstrcmp(sub, "DBS") == 0)
            FileModes::ShareWithGroup(p);
        else if (qstrcmp(sub, "FormIni") == 0 || qstrcmp(sub, "ExpExcel") == 0)
            FileModes::MakePrivate(p);
    }
    if (!WriteInstallationFiles(home, error))
        return false;
    const QString dbs = dbsFolder(home);
    const QString mainFile = dbs + QLatin1Char('/') + Schema::kMainFileName;
    const QString reportFile = AppPaths::ResolveCaseInsensitive(home, Schema::kReportTemplate);
    const QString postFile = AppPaths::ResolveCaseInsensitive(home, Schema::kPostFile);
    tell(2, QStringLiteral("데이터베이스 만드는 중"));
    if (options.mainDatabase &&
        !Schema::CreateDatabaseFile(mainFile, Schema::MainTables(), Schema::kCurrentVersion, error))
        return false;
    if (!QFileInfo::exists(reportFile) &&
        !Schema::CreateDatabaseFile(reportFile, Schema::ReportTables(), 0, error))
        return false;
    if (!QFileInfo::exists(postFile)) {
        if (!Schema::CreateDatabaseFile(postFile, Schema::PostTables(), 0, error))
            return false;
        if (!DemoData::FillPostSample(postFile, error))
            return false;
    }
    for (const QString& file : {mainFile, reportFile, postFile})
        if (QFileInfo::exists(file))
            FileModes::ShareWithGroup(file);
    if (options.mainDatabase && options.demo && !DemoData::Fill(mainFile, options, error))
        return false;
    tell(100, QStringLiteral("완료"));
    return true;
}
} // namespace

bool CreateOnServer(const QString& address, const DemoOptions& options, QString* error)
{
    if (!options.demo)
        return ServerSchema::CreateDatabase(address, error);
    // The demo is made where it is made fastest, in a file, and then moved like any installation.
    QTemporaryDir work;
    if (!work.isValid()) {
        *error = QStringLiteral("임시 폴더를 만들 수 없습니다.");
        return false;
    }
    DemoOptions fileOptions = options;
    fileOptions.mainDatabase = true;
    const Progress outer = options.progress;
    fileOptions.progress = [outer](int percent, const QString& step) {
        if (outer)
            outer(percent / 2, step);
    };
    if (!Create(work.path(), fileOptions, error))
        return false;
    return CopyToServer(
        work.path(), address,
        [outer](int percent, const QString& step) {
            if (outer)
                outer(50 + percent / 2, step);
        },
        error);
}

bool CopyToServer(const QString& home, const QString& address, const Progress& progress, QString* error)
{
    const QString mainFile = dbsFolder(home) + QLatin1Char('/') + Schema::kMainFileName;
    if (!QFileInfo(mainFile).isFile()) {
        *error = QStringLiteral("메인 DB 파일이 없습니다: ") + mainFile;
        return false;
    }
    // A seat still writing into the file would write where nobody looks once the seats use the server.
    return whileNoSeat(dbsFolder(home), QStringLiteral("옮길"), error,
                       [&] { return ServerSchema::CopyFromFile(mainFile, address, progress, error); });
}

Progress TerminalProgress()
{
    if (!isatty(STDOUT_FILENO))
        return {};
    return [last = QString()](int percent, const QString& step) mutable {
        const QString line = QStringLiteral("%1%  %2").arg(std::clamp(percent, 0, 100), 3).arg(step);
        if (line == last)
            return;
        // "\033[K" wipes what a longer earlier line left; the last report ends the line.
        std::fprintf(stdout, "\r%s\033[K%s", qUtf8Printable(line), percent >= 100 ? "\n" : "");
        std::fflush(stdout);
        last = line;
    };
}

bool Create(const QString& home, const DemoOptions& options, QString* error)
{
    // The seats' accounts share the database through their group; nothing here is for other users.
    CreationMask mask(007);
    return createFiles(home, options, error);
}

bool Upgrade(const QString& home, QString* error)
{
    const QString mainFile = dbsFolder(home) + QLatin1Char('/') + Schema::kMainFileName;
    if (!QFileInfo::exists(mainFile)) {
        *error = QStringLiteral("메인DB파일이 없습니다: ") + mainFile;
        return false;
    }
    // Only this program's own database in an older layout is upgraded; anything else stays untouched.
    const DbCheck::Result r = DbCheck::CheckMainFile(mainFile);
    if (r.fault != DbCheck::Fault::None && r.fault != DbCheck::Fault::OlderSchema) {
        *error = DbCheck::Message(r);
        return false;
    }
    return whileNoSeat(dbsFolder(home), QStringLiteral("구조를 올릴"), error,
                       [&] { return Schema::Upgrade(mainFile, error); });
}

bool Check(const QString& location, QString* report)
{
    const bool server = DbConnection::IsServerAddress(location);
    const QString mainFile =
        server ? location : dbsFolder(location) + QLatin1Char('/') + Schema::kMainFileName;
    DbCheck::Result r = server ? DbCheck::CheckServer(location) : DbCheck::CheckFolder(dbsFolder(location));
    if (!server && r.ok())
        r = DbCheck::CheckMainFile(mainFile);
    if (!server && r.ok())
        r = DbCheck::CheckIntegrity(mainFile, true);
    if (!r.ok()) {
        *report = DbCheck::Message(r);
        return false;
    }
    // A server is named as the seats see it, never with a password the address may hold.
    QString shown = mainFile;
    if (ServerAddress a; server && ServerAddress::Parse(location, &a, nullptr))
        shown = a.describe();
    DbConnection db;
    ErrInfo e;
    std::vector<RunningTotals::Drift> drift;
    if (!db.open(mainFile, true, &e) || !RunningTotals::Find(db, &drift, &e)) {
        *report = QStringLiteral("누계를 확인하지 못했습니다: ") + shown + QLatin1Char('\n') + e.description;
        return false;
    }
    if (drift.empty()) {
        *report = QStringLiteral("이상 없음: ") + shown;
        return true;
    }
    // The operator decides what is right; a few lines of each kind say where to look.
    constexpr int kShown = 20;
    QStringList lines{QStringLiteral("누계가 행의 합계와 맞지 않습니다(고치지 않았습니다): ") + shown};
    QMap<QString, int> counts;
    for (const RunningTotals::Drift& d : drift)
        if (++counts[d.kind] <= kShown)
            lines << d.kind + QStringLiteral(": ") + d.text();
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > kShown)
            lines << QStringLiteral("%1: 그 밖에 %2건 더").arg(it.key()).arg(it.value() - kShown);
    *report = lines.join(QLatin1Char('\n'));
    return false;
}

namespace {
// The commands, each with its arguments as its usage line shows them and what it does.
struct CommandSpec
{
    const char* name;
    const char* arguments;
    const char* summary;
    const char* argumentsHelp;
};

constexpr const char* kFolder = "프로그램 폴더(--home 대신).";
constexpr const char* kFolderOrServer =
    "프로그램 폴더, 또는 메인 DB가 있는 서버의 주소(postgresql://서버:포트/DB이름).";

constexpr CommandSpec kCommands[] = {
    {"create", "[DIR]",
     "프로그램 폴더 DIR 아래 DBS에 dbMain.mdb, dbReport_SRC.mdb, dbPost.mdb를 만듭니다(--postgres: 서버에 "
     "메인 DB를).",
     kFolder},
    {"copy", "[DIR] 주소", "프로그램 폴더 DIR의 메인 DB를 서버의 새 DB로 옮기고 확인합니다.",
     "옮길 프로그램 폴더(--home 대신)와 새 서버 DB의 주소(postgresql://서버:포트/DB이름)."},
    {"upgrade", "[DIR|주소]", "메인 DB를 현재 프로그램의 구조로 올립니다.", kFolderOrServer},
    {"import-post", "CSV [DIR]",
     "우편번호 목록(CSV: ZIPCODE,SIDO,GUGUN,DONG,BUNJI)을 dbPost.mdb로 가져옵니다.",
     "가져올 CSV 파일과 프로그램 폴더(--home 대신)."},
    {"version", "[DIR|주소]", "메인 DB의 구조 버전을 보여 줍니다.", kFolderOrServer},
    {"check", "[DIR|주소]",
     "폴더와 메인 DB를 점검합니다: 모든 페이지의 무결성, 가맹점 현잔액과 고객 현포인트가 행의 합계와 "
     "맞는지(맞지 않으면 어디가 얼마인지 보여 주고 고치지는 않습니다).",
     kFolderOrServer},
    {"normalize-phones", "[DIR]",
     "고객과 가맹점의 전화1~4를 검색이 찾는 한 가지 형식(02-1234-5678)으로 고칩니다.", kFolder},
    {"share", "[DIR]",
     "메인 DB를 네트워크 공유 폴더로 여러 자리가 쓸 수 있는 방식(롤백 저널)으로 바꿉니다. 모든 자리의 "
     "프로그램을 끈 뒤 실행하세요.",
     kFolder},
};

const CommandSpec* findCommand(const QString& name)
{
    for (const CommandSpec& c : kCommands)
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

const QCommandLineOption kHelp({QStringLiteral("h"), QStringLiteral("help")},
                               QStringLiteral("이 도움말을 보여 줍니다."));
const QCommandLineOption kHome(QStringLiteral("home"),
                               QStringLiteral("프로그램 폴더(DIR 대신; 둘 다 없으면 환경변수 ZELKOVA_HOME)."),
                               QStringLiteral("DIR"));
const QCommandLineOption kDemo(QStringLiteral("demo"), QStringLiteral("데모 자료를 채웁니다."));
const QCommandLineOption kPostgres(QStringLiteral("postgres"),
                                   QStringLiteral("서버에 만듭니다: postgresql://서버:포트/DB이름 (암호는 "
                                                  "~/.pgpass에 둡니다; 없는 DB이어야 합니다)."),
                                   QStringLiteral("주소"));
const QCommandLineOption kOff(QStringLiteral("off"), QStringLiteral("한 자리 전용 WAL 방식으로 되돌립니다."));
// The amounts of demo data, each a count (0: the demo's own).
const std::pair<QCommandLineOption, int DemoOptions::*> kAmounts[] = {
    {{QStringLiteral("customers"), QStringLiteral("(--demo와 함께) 고객 수."), QStringLiteral("N")},
     &DemoOptions::customers},
    {{QStringLiteral("stores"), QStringLiteral("(--demo와 함께) 가맹점 수."), QStringLiteral("N")},
     &DemoOptions::stores},
    {{QStringLiteral("days"), QStringLiteral("(--demo와 함께) 주문이 있는 날 수."), QStringLiteral("N")},
     &DemoOptions::days},
    {{QStringLiteral("orders-per-day"), QStringLiteral("(--demo와 함께) 하루 주문 수."), QStringLiteral("N")},
     &DemoOptions::ordersPerDay},
};
const QCommandLineOption kSeed(QStringLiteral("seed"),
                               QStringLiteral("(--demo와 함께) 난수 씨앗: 같은 씨앗은 같은 자료를 만듭니다."),
                               QStringLiteral("N"));

void describe(QCommandLineParser& parser, const CommandSpec& command)
{
    parser.setApplicationDescription(QString::fromUtf8(command.summary));
    parser.addOption(kHelp);
    parser.addOption(kHome);
    const QString name = QString::fromUtf8(command.name);
    if (name == QLatin1String("create")) {
        parser.addOption(kDemo);
        parser.addOption(kPostgres);
        for (const auto& [option, member] : kAmounts)
            parser.addOption(option);
        parser.addOption(kSeed);
    } else if (name == QLatin1String("share")) {
        parser.addOption(kOff);
    }
    QString names = QString::fromUtf8(command.arguments);
    names.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
    parser.addPositionalArgument(names, QString::fromUtf8(command.argumentsHelp),
                                 QString::fromUtf8(command.arguments));
}

// The help of one command, its usage line naming the command.
QString commandHelp(const QCommandLineParser& parser, const CommandSpec& command)
{
    QString help = parser.helpText();
    const QString program = QCoreApplication::arguments().value(0);
    const qsizetype at = program.isEmpty() ? -1 : help.indexOf(program);
    if (at >= 0 && at < help.indexOf(QLatin1Char('\n')))
        help.replace(at, program.size(), QStringLiteral("zelkova-db ") + QString::fromUtf8(command.name));
    return help;
}

// A count typed for an option: a whole number, at least 0.
bool countOption(const QCommandLineParser& parser, const QCommandLineOption& option, int* value,
                 QString* error)
{
    if (!parser.isSet(option))
        return true;
    bool ok = false;
    const int n = parser.value(option).toInt(&ok);
    if (!ok || n < 0) {
        *error = QStringLiteral("--%1에는 0 이상의 정수를 쓰세요: %2")
                     .arg(option.names().first(), parser.value(option));
        return false;
    }
    *value = n;
    return true;
}

bool createOptions(const QCommandLineParser& parser, DemoOptions* o, QString* error)
{
    o->demo = parser.isSet(kDemo);
    for (const auto& [option, member] : kAmounts)
        if (!countOption(parser, option, &(o->*member), error))
            return false;
    if (parser.isSet(kSeed)) {
        bool ok = false;
        o->seed = parser.value(kSeed).toUInt(&ok);
        if (!ok) {
            *error = QStringLiteral("--seed에는 0 이상의 정수를 쓰세요: ") + parser.value(kSeed);
            return false;
        }
    }
    o->progress = TerminalProgress();
    return true;
}

int fail(const QString& text, int code = 2)
{
    err(text);
    return code;
}
} // namespace

int Run(const QStringList& args)
{
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        out(Usage());
        return args.isEmpty() ? 1 : 0;
    }
    const QString command = args.first();
    const CommandSpec* entry = findCommand(command);
    if (!entry)
        return fail(QStringLiteral("알 수 없는 명령: ") + command + QLatin1Char('\n') + Usage(), 1);
    QCommandLineParser parser;
    describe(parser, *entry);
    if (!parser.parse(QStringList{QStringLiteral("zelkova-db")} + args.mid(1)))
        return fail(parser.errorText() + QLatin1Char('\n') + commandHelp(parser, *entry), 1);
    if (parser.isSet(kHelp)) {
        out(commandHelp(parser, *entry));
        return 0;
    }
    QStringList positional = parser.positionalArguments();
    const auto usageError = [&] { return fail(commandHelp(parser, *entry), 1); };

    if (command == QLatin1String("create") && parser.isSet(kPostgres)) {
        if (!positional.isEmpty() || parser.isSet(kHome))
            return usageError();
        DemoOptions o;
        QString error;
        if (!createOptions(parser, &o, &error))
            return fail(error, 1);
        const bool ok = CreateOnServer(parser.value(kPostgres), o, &error);
        if (o.progress)
            out(QString());
        if (!ok)
            return fail(error);
        out(QStringLiteral("서버에 만들었습니다: ") + parser.value(kPostgres));
        return 0;
    }
    // What the command works on: a CSV file first for import-post, then a program folder or, where the
    // command can work on a server, its address.
    const QString csv =
        command == QLatin1String("import-post") && !positional.isEmpty() ? positional.takeFirst() : QString();
    if (command == QLatin1String("import-post") && csv.isEmpty())
        return usageError();
    QString address;
    if (!positional.isEmpty() && DbConnection::IsServerAddress(positional.last()))
        address = positional.takeLast();
    QString home = parser.value(kHome);
    if (!positional.isEmpty() && home.isEmpty())
        home = positional.takeFirst();
    if (!positional.isEmpty())
        return usageError();
    const bool onServer = !address.isEmpty();
    const bool serverCommand = command == QLatin1String("upgrade") || command == QLatin1String("version") ||
                               command == QLatin1String("check");
    if (command == QLatin1String("copy")) {
        if (!onServer || home.isEmpty())
            return usageError();
    } else if (onServer) {
        if (!serverCommand)
            return fail(
                QStringLiteral("서버 주소로는 create --postgres, copy, upgrade, version, check만 쓸 수 "
                               "있습니다."),
                1);
        if (!home.isEmpty())
            return usageError();
    }
    if (!onServer || command == QLatin1String("copy")) {
        if (home.isEmpty())
            home = qEnvironmentVariable("ZELKOVA_HOME");
        if (home.isEmpty())
            return fail(QStringLiteral("프로그램 폴더를 지정하세요.\n") + commandHelp(parser, *entry), 1);
        home = QFileInfo(home).absoluteFilePath();
    }
    const QString mainFile = dbsFolder(home) + QLatin1Char('/') + Schema::kMainFileName;
    QString error;
    if (command == QLatin1String("copy")) {
        const Progress progress = TerminalProgress();
        const bool ok = CopyToServer(home, address, progress, &error);
        if (progress)
            out(QString());
        if (!ok)
            return fail(error);
        out(QStringLiteral("옮겼습니다: ") + address);
        return 0;
    }
    if (command == QLatin1String("create")) {
        DemoOptions o;
        if (!createOptions(parser, &o, &error))
            return fail(error, 1);
        if (!Create(home, o, &error)) {
            if (o.progress)
                out(QString());
            return fail(error);
        }
        out(QStringLiteral("만들었습니다: ") + dbsFolder(home));
        return 0;
    }
    if (command == QLatin1String("upgrade")) {
        if (!(onServer ? ServerSchema::Upgrade(address, &error) : Upgrade(home, &error)))
            return fail(error);
        out(QStringLiteral("구조 버전 %1").arg(Schema::kCurrentVersion));
        return 0;
    }
    if (command == QLatin1String("version")) {
        const int v =
            onServer ? ServerSchema::StoredVersion(address, &error) : Schema::StoredVersion(mainFile, &error);
        if (v < 0)
            return fail(error);
        out(QString::number(v));
        return 0;
    }
    if (command == QLatin1String("check")) {
        QString report;
        if (!Check(onServer ? address : home, &report))
            return fail(report);
        out(report);
        return 0;
    }
    if (command == QLatin1String("share")) {
        const bool shared = !parser.isSet(kOff);
        if (!whileNoSeat(dbsFolder(home), QStringLiteral("방식을 바꿀"), &error,
                         [&] { return Schema::SetSharedJournal(mainFile, shared, &error); }))
            return fail(error);
        out(shared ? QStringLiteral("네트워크 공유용(롤백 저널)으로 바꾸었습니다: ") + mainFile
                   : QStringLiteral("한 자리 전용(WAL)으로 되돌렸습니다: ") + mainFile);
        return 0;
    }
    if (command == QLatin1String("import-post")) {
        const QString postFile = AppPaths::ResolveCaseInsensitive(home, Schema::kPostFile);
        if (!QFileInfo::exists(postFile) &&
            !Schema::CreateDatabaseFile(postFile, Schema::PostTables(), 0, &error))
            return fail(error);
        int n = 0;
        const Progress progress = TerminalProgress();
        if (!DemoData::ImportPostCsv(postFile, csv, &n, &error, progress)) {
            if (progress)
                out(QString());
            return fail(error);
        }
        out(QStringLiteral("%1건을 가져왔습니다.").arg(n));
        return 0;
    }
    // normalize-phones
    int changed = 0;
    if (!DemoData::NormalizePhones(mainFile, &changed, &error))
        return fail(error);
    out(QStringLiteral("전화번호 %1건을 고쳤습니다.").arg(changed));
    return 0;
}
} // namespace DbTool
