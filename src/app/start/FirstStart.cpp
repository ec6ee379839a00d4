#include "app/start/FirstStart.h"

#include "app/AppPaths.h"
#include "app/Globals.h"
#include "app/SettingKeys.h"
#include "app/install/DbTool.h"
#include "app/start/MduMain.h"
#include "app/start/ServerSeat.h"

#include "db/ServerAddress.h"

#include <QDir>
#include <QFileInfo>

namespace FirstStart {

bool Needed()
{
    return !QFileInfo::exists(AppPaths::ProgramFolder());
}

QString Check(const Request& request)
{
    if (request.kind != Kind::Server)
        return QString();
    if (request.serverAddress.trimmed().isEmpty())
        return QStringLiteral("서버 주소를 입력하세요.\n예: postgresql://서버이름:5432/zelkova");
    if (QString problem; !ServerAddress::Parse(request.serverAddress, nullptr, &problem))
        return problem + QStringLiteral("\n예: postgresql://서버이름:5432/zelkova");
    const QString& t = request.terminal;
    if (t.size() != 1 || t < QLatin1String("1") || t > QLatin1String("9"))
        return QStringLiteral("단말기 번호는 1에서 9 사이의 숫자 하나로 입력하세요.\n"
                              "같은 서버를 쓰는 자리마다 다른 번호를 주어야 합니다.");
    return QString();
}

bool Create(const Request& request, const Progress& progress, QString* error)
{
    const QString folder = AppPaths::ProgramFolder();
    if (const QString problem = Check(request); !problem.isEmpty()) {
        *error = problem;
        return false;
    }
    // Only a folder this run makes may be removed again after a failure.
    if (QFileInfo::exists(folder)) {
        *error = QStringLiteral("프로그램 폴더가 이미 있습니다: ") + folder;
        return false;
    }
    DbTool::DemoOptions options;
    options.demo = request.kind == Kind::Demo;
    options.mainDatabase = request.kind != Kind::Server;
    options.progress = progress;
    if (!DbTool::Create(folder, options, error)) {
        QDir(folder).removeRecursively();
        return false;
    }
    if (request.kind == Kind::Server) {
        SaveServerAddress(request.serverAddress.trimmed());
        Settings::Save(Settings::Key::TerminalId, request.terminal);
    } else {
        // The settings may still name the database of an earlier installation; this one is what was asked
        // for.
        SetDBPath(AppPaths::ProgramPath(QStringLiteral("DBS")));
        gCSType = 0;
        Settings::Save(Settings::Key::CsType, QStringLiteral("0"));
    }
    return true;
}

QString Describe(const Request& request)
{
    switch (request.kind) {
    case Kind::Demo:
        return QStringLiteral("연습용 자료로 새 설치");
    case Kind::Empty:
        return QStringLiteral("빈 자료로 새 설치");
    case Kind::Server:
        return QStringLiteral("서버 데이터베이스 ") + request.serverAddress.trimmed() +
               QStringLiteral(", 단말기 ") + request.terminal;
    }
    return QString();
}

} // namespace FirstStart
