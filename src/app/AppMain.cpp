#include "app/AppMain.h"
#include "app/AppLog.h"

#include "accounts/AccountScreens.h"
#include "accounts/ServiceScreens.h"

#include "admin/AdminPrompt.h"
#include "admin/AdminScreens.h"
#include "app/AppPaths.h"
#include "app/AppScreens.h"
#include "app/FileModes.h"
#include "app/FirstStart.h"
#include "app/FrmFirstStart.h"
#include "app/FrmInitMsg.h"
#include "app/FrmLogin.h"
#include "app/Globals.h"
#include "app/MduMain.h"
#include "app/SeatPresence.h"
#include "app/UserSettings.h"
#include "db/modMain_SQL.h"
#include "masters/CustomerScreens.h"
#include "masters/StoreScreens.h"
#include "order/FrmMain.h"
#include "reception/ReceptionScreens.h"
#include "reports/ReportScreens.h"
#include "ui/GridPrinter.h"
#include "ui/ModalSeam.h"
#include "ui/MsgBox.h"
#include "ui/StrayKeyGuard.h"
#include "ui/WidgetPrompter.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>

#include <memory>

namespace {
void chooseFont()
{
    // Korean text needs a Hangul font; NanumGothic is the one the installation script brings.
    const QStringList families = QFontDatabase::families();
    for (const char* name : {"NanumGothic", "나눔고딕", "Noto Sans CJK KR", "UnDotum"}) {
        if (families.contains(QString::fromUtf8(name))) {
            QFont f(QString::fromUtf8(name));
            f.setPointSize(10);
            QApplication::setFont(f);
            return;
        }
    }
}

} // namespace

int RunApplication(int argc, char* argv[])
{
    // Before anything is written: settings, layouts, exports and logs are born readable by the user only.
    FileModes::RestrictNewFiles();
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppTitle());
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(ZELKOVA_VERSION_MAJOR)
                                            .arg(ZELKOVA_VERSION_MINOR)
                                            .arg(ZELKOVA_VERSION_PATCH));
    // Installed, the desktop matches the windows to zelkova.desktop and its icon by these names.
    QGuiApplication::setDesktopFileName(QStringLiteral("zelkova"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("zelkova")));
    chooseFont();
    QStringList args = QApplication::arguments();
    AppPaths::InitFromArgs(args);
    WidgetPrompter prompter;
    SetPrompter(&prompter);
    InstallStrayKeyGuard();
    // Without any program folder the operator chooses what to make; the log lives in that folder, so it
    // starts only afterwards, and an operator who declines leaves nothing behind.
    const bool firstStart = FirstStart::Needed();
    QString made;
    if (firstStart && !FrmFirstStart::Offer(&made)) {
        SetPrompter(nullptr);
        return 0;
    }
    AppLog::Start(AppPaths::ProgramPath(QStringLiteral("Log")));
    AppLog::Write(QStringLiteral("시작"), AppTitle() +
                                              QStringLiteral(" %1.%2.%3, 프로그램 폴더 ")
                                                  .arg(ZELKOVA_VERSION_MAJOR)
                                                  .arg(ZELKOVA_VERSION_MINOR)
                                                  .arg(ZELKOVA_VERSION_PATCH) +
                                              AppPaths::ProgramFolder());
    if (firstStart)
        AppLog::Write(QStringLiteral("처음 시작"), made);

    if (!AcquireSingleInstance()) {
        ShowInfo(QStringLiteral("이미 프로그램이 실행 중입니다."));
        return 0;
    }
    gGridPrinter->SetAppTitle(AppTitle());
    InstallAdminPasswordPrompt();
    RegisterCustomerScreens();
    RegisterStoreScreens();
    RegisterReceptionScreens();
    RegisterAccountScreens();
    RegisterServiceScreens();
    RegisterReportScreens();
    RegisterAppScreens();
    RegisterAdminScreens();
    if (!InitApp()) {
        DestroyApp();
        return 1;
    }
    bool loggedIn = false;
    {
        FrmLogin login;
        ExecModal(&login);
        loggedIn = login.bSucc;
    }
    if (!loggedIn) {
        DestroyApp();
        return 0;
    }
    if (UserSettings::Get(QStringLiteral("NoMsg"), QStringLiteral("0")) == QLatin1String("0")) {
        FrmInitMsg notice;
        ExecModal(&notice);
    }
    int rc = 0;
    // A restore started at another seat waits while this seat is in the data.
    SeatPresence::Start(gDBPath, gTerminalID);
    {
        auto window = std::make_unique<FrmMain>();
        window->show();
        // The operator types straight away: the order screen takes the keyboard from the closed login.
        window->raise();
        window->activateWindow();
        rc = app.exec();
    }
    SeatPresence::Stop();
    DestroyApp();
    ReleaseSingleInstance();
    SetPrompter(nullptr);
    AppLog::Write(QStringLiteral("종료"), QString::number(rc));
    AppLog::Stop();
    return rc;
}
