#include "app/install/DbTool.h"

#include "app/AppPaths.h"
#include "app/FileModes.h"
#include "app/RestoreJournal.h"
#include "app/SeatPresence.h"
#include "db/DbCheck.h"
#include "db/DbConnection.h"
#include "db/Schema.h"
#include "db/ServerSchema.h"

#include <QDir>
#include <QFileInfo>
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

int intOption(const QStringList& args, const QString& name, int fallback)
{
    const int i = args.indexOf(name);
    if (i >= 0 && i + 1 < args.size())
        return args.at(i + 1).toInt();
    return fallback;
}

// The options of `create`, for a file or a server.
DemoOptions createOptions(const QStringList& args)
{
    DemoOptions o;
    o.demo = args.contains(QStringLiteral("--demo"));
    o.customers = intOption(args, QStringLiteral("--customers"), 0);
    o.stores = intOption(args, QStringLiteral("--stores"), 0);
    o.days = intOption(args, QStringLiteral("--days"), 0);
    o.ordersPerDay = intOption(args, QStringLiteral("--orders-per-day"), 0);
    o.seed = quint32(intOption(args, QStringLiteral("--seed"), int(o.seed)));
    o.progress = TerminalProgress();
    return o;
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
        "  check DIR                  폴더와 메인 DB를 점검합니다(모든 페이지의 무결성 포함).\n"
        "  normalize-phones DIR       고객과 가맹점의 전화1~4를 검색이 찾는 한 가지 "
        "형식(02-1234-5678)으로 고칩니다.\n"
        "  share [--off] DIR          메인 DB를 네트워크 공유 폴더로 여러 자리가 쓸 수 있는 방식(롤백 "
        "저널)으로\n"
        "                              바꿉니다(--off: 한 자리 전용 WAL 방식으로 되돌림). 서버 자리에서,\n"
        "                              모든 자리의 프로그램을 끈 뒤 실행하세요. 여러 자리에는 서버 DB\n"
        "                              (PostgreSQL)가 더 안전합니다.\n"
        "\n"
        "DIR 대신 --home DIR 또는 환경변수 ZELKOVA_HOME을 쓸 수 있습니다.\n");
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

bool Check(const QString& home, QString* report)
{
    const QString dbs = dbsFolder(home);
    const QString mainFile = dbs + QLatin1Char('/') + Schema::kMainFileName;
    DbCheck::Result r = DbCheck::CheckFolder(dbs);
    if (r.ok())
        r = DbCheck::CheckMainFile(mainFile);
    if (r.ok())
        r = DbCheck::CheckIntegrity(mainFile, true);
    *report = r.ok() ? QStringLiteral("이상 없음: ") + mainFile : DbCheck::Message(r);
    return r.ok();
}

int Run(const QStringList& argsIn)
{
    QStringList args = argsIn;
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        out(Usage());
        return args.isEmpty() ? 1 : 0;
    }
    const QString command = args.takeFirst();
    QString home;
    if (const int i = args.indexOf(QStringLiteral("--home")); i >= 0 && i + 1 < args.size()) {
        home = args.at(i + 1);
        args.remove(i, 2);
    }
    // The last argument that is not an option or an option's value names the program folder.
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--demo") || a == QLatin1String("--off"))
            continue;
        if (a.startsWith(QLatin1String("--"))) {
            ++i;
            continue;
        }
        positional << a;
    }
    if (const int i = args.indexOf(QStringLiteral("--postgres")); i >= 0) {
        if (command != QLatin1String("create") || i + 1 >= args.size()) {
            err(Usage());
            return 1;
        }
        const DemoOptions o = createOptions(args);
        QString error;
        const bool ok = CreateOnServer(args.at(i + 1), o, &error);
        if (o.progress)
            out(QString());
        if (!ok) {
            err(error);
            return 2;
        }
        out(QStringLiteral("서버에 만들었습니다: ") + args.at(i + 1));
        return 0;
    }
    // Commands on a server database name its address instead of a program folder.
    const QString address = !positional.isEmpty() && DbConnection::IsServerAddress(positional.last())
                                ? positional.last()
                                : QString();
    if (!address.isEmpty() && command != QLatin1String("copy")) {
        QString error;
        if (command == QLatin1String("upgrade")) {
            if (!ServerSchema::Upgrade(address, &error)) {
                err(error);
                return 2;
            }
            out(QStringLiteral("구조 버전 %1").arg(Schema::kCurrentVersion));
            return 0;
        }
        if (command == QLatin1String("version")) {
            const int v = ServerSchema::StoredVersion(address, &error);
            if (v < 0) {
                err(error);
                return 2;
            }
            out(QString::number(v));
            return 0;
        }
        err(QStringLiteral("서버 주소로는 create --postgres, copy, upgrade, version만 쓸 수 있습니다."));
        return 1;
    }
    if (command == QLatin1String("copy")) {
        if (positional.size() != 2 || address.isEmpty()) {
            err(Usage());
            return 1;
        }
        const Progress progress = TerminalProgress();
        QString error;
        const bool ok =
            CopyToServer(QFileInfo(positional.first()).absoluteFilePath(), address, progress, &error);
        if (progress)
            out(QString());
        if (!ok) {
            err(error);
            return 2;
        }
        out(QStringLiteral("옮겼습니다: ") + address);
        return 0;
    }
    if (home.isEmpty() && !positional.isEmpty() && command != QLatin1String("import-post"))
        home = positional.last();
    if (command == QLatin1String("import-post") && positional.size() >= 2)
        home = positional.at(1);
    if (home.isEmpty())
        home = qEnvironmentVariable("ZELKOVA_HOME");
    if (home.isEmpty()) {
        err(QStringLiteral("프로그램 폴더를 지정하세요.\n") + Usage());
        return 1;
    }
    home = QFileInfo(home).absoluteFilePath();
    QString error;
    if (command == QLatin1String("create")) {
        const DemoOptions o = createOptions(args);
        if (!Create(home, o, &error)) {
            if (o.progress)
                out(QString());
            err(error);
            return 2;
        }
        out(QStringLiteral("만들었습니다: ") + dbsFolder(home));
        return 0;
    }
    if (command == QLatin1String("upgrade")) {
        if (!Upgrade(home, &error)) {
            err(error);
            return 2;
        }
        out(QStringLiteral("구조 버전 %1").arg(Schema::kCurrentVersion));
        return 0;
    }
    if (command == QLatin1String("check")) {
        QString report;
        const bool ok = Check(home, &report);
        (ok ? out : err)(report);
        return ok ? 0 : 2;
    }
    if (command == QLatin1String("share")) {
        const bool shared = !args.contains(QStringLiteral("--off"));
        const QString mainFile = dbsFolder(home) + QLatin1Char('/') + Schema::kMainFileName;
        if (!whileNoSeat(dbsFolder(home), QStringLiteral("방식을 바꿀"), &error,
                         [&] { return Schema::SetSharedJournal(mainFile, shared, &error); })) {
            err(error);
            return 2;
        }
        out(shared ? QStringLiteral("네트워크 공유용(롤백 저널)으로 바꾸었습니다: ") + mainFile
                   : QStringLiteral("한 자리 전용(WAL)으로 되돌렸습니다: ") + mainFile);
        return 0;
    }
    if (command == QLatin1String("version")) {
        const int v =
            Schema::StoredVersion(dbsFolder(home) + QLatin1Char('/') + Schema::kMainFileName, &error);
        if (v < 0) {
            err(error);
            return 2;
        }
        out(QString::number(v));
        return 0;
    }
    if (command == QLatin1String("import-post")) {
        if (positional.isEmpty()) {
            err(Usage());
            return 1;
        }
        const QString postFile = AppPaths::ResolveCaseInsensitive(home, Schema::kPostFile);
        if (!QFileInfo::exists(postFile) &&
            !Schema::CreateDatabaseFile(postFile, Schema::PostTables(), 0, &error)) {
            err(error);
            return 2;
        }
        int n = 0;
        const Progress progress = TerminalProgress();
        if (!DemoData::ImportPostCsv(postFile, positional.first(), &n, &error, progress)) {
            if (progress)
                out(QString());
            err(error);
            return 2;
        }
        out(QStringLiteral("%1건을 가져왔습니다.").arg(n));
        return 0;
    }
    if (command == QLatin1String("normalize-phones")) {
        int changed = 0;
        if (!DemoData::NormalizePhones(dbsFolder(home) + QLatin1Char('/') + Schema::kMainFileName, &changed,
                                       &error)) {
            err(error);
            return 2;
        }
        out(QStringLiteral("전화번호 %1건을 고쳤습니다.").arg(changed));
        return 0;
    }
    err(QStringLiteral("알 수 없는 명령: ") + command + QLatin1Char('\n') + Usage());
    return 1;
}
} // namespace DbTool
