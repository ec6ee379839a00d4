#include "admin/gui/modBackUp.h"

#include "app/AppPaths.h"
#include "app/Platform.h"
#include "ui/MsgBox.h"
#include "ui/gui/modFormIni.h"

#include <QCoreApplication>

bool gBackUpRunning = false;

namespace modBackUp {

const QString kCompanionName = QStringLiteral("데이터압축");

namespace {
const QString kModule = QStringLiteral("mdlBackUp");

bool start(const QString& word, const QString& keep, const QString& procedure)
{
    if (!keep.isEmpty())
        CloseOtherForms(keep);
    const QString program = QCoreApplication::applicationDirPath() + QLatin1Char('/') + kCompanionName;
    // The companion works on this program's folder, whichever way it was chosen at start-up.
    QStringList arguments{QStringLiteral("--home"), AppPaths::ProgramFolder()};
    if (!word.isEmpty())
        arguments << word;
    if (!CurrentPlatform().StartProgram(program, arguments)) {
        ShowStdError({53, QStringLiteral("데이터압축 프로그램을 실행할 수 없습니다: ") + program}, procedure,
                     kModule);
        return false;
    }
    gBackUpRunning = true;
    return true;
}
} // namespace

bool ExecBackUp(int kind, bool skipQuestion, const QString& keep)
{
    if (gBackUpRunning)
        return false;
    const QString name = kind == 1   ? QStringLiteral("서버")
                         : kind == 2 ? QStringLiteral("AS")
                                     : QStringLiteral("하드");
    if (!skipQuestion &&
        AskYesNo(QStringLiteral("안전한 백업을 위하여 현재 사용중인 ") + AppTitle() +
                     QStringLiteral(" 프로그램을 종료합니다.") + kCrLf + QStringLiteral("계속하시겠습니까?"),
                 QStringLiteral("데이터 백업(") + name + QLatin1Char(')'), true) != MsgAnswer::Yes)
        return false;
    const QString word = kind == 1   ? QStringLiteral("SERVERUP")
                         : kind == 2 ? QStringLiteral("AS")
                                     : QString();
    return start(word, keep, QStringLiteral("ExecBackUp"));
}

bool ExecRestore(int kind, const QString& keep)
{
    if (gBackUpRunning)
        return false;
    if (AskYesNo(QStringLiteral("안전한 복구를 위하여 현재 사용중인 ") + AppTitle() +
                     QStringLiteral(" 프로그램을 종료합니다.") + kCrLf + QStringLiteral("계속하시겠습니까?"),
                 QStringLiteral("데이터 내려받기"), true) != MsgAnswer::Yes)
        return false;
    return start(kind == 1 ? QStringLiteral("UNZIP") : QString(), keep, QStringLiteral("ExecRestore"));
}

} // namespace modBackUp
