#include "app/gui/AppMain.h"
#include "app/AppLog.h"

#include "accounts/gui/AccountScreens.h"
#include "accounts/gui/ServiceScreens.h"

#include "admin/gui/AdminPrompt.h"
#include "admin/gui/AdminScreens.h"
#include "admin/gui/FrmNTSetup.h"
#include "app/AppPaths.h"
#include "app/FileModes.h"
#include "app/Globals.h"
#include "app/SettingKeys.h"
#include "app/gui/AppScreens.h"
#include "app/gui/AppShutdown.h"
#include "app/gui/FrmFirstStart.h"
#include "app/gui/FrmInitMsg.h"
#include "app/gui/FrmLogin.h"
#include "app/start/FirstStart.h"
#include "app/start/MduMain.h"
#include "db/modMain_SQL.h"
#include "masters/gui/CustomerScreens.h"
#include "masters/gui/StoreScreens.h"
#include "order/gui/FrmMain.h"
#include "reception/gui/ReceptionScreens.h"
#include "reports/gui/ReportScreens.h"
#include "ui/KoreanTranslation.h"
#include "ui/MsgBox.h"
#include "ui/gui/GridPrinter.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/StrayKeyGuard.h"
#include "ui/gui/WidgetPrompter.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>

#include <cstdlib>
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

// Whether the program's own end has run.
bool g_ended = false;

// The program can be ended from below: when the display's connection breaks, the windowing layer ends the
// process with exit(). The seat's end runs then from here, before the libraries' own registries are torn
// down, which would otherwise take the database connections with them and crash the process on its way out.
void endFromBelow()
{
    if (g_ended)
        return;
    g_ended = true;
    AppLog::Write(QStringLiteral("종료"), QStringLiteral("화면과의 연결이 끊겨 끝냅니다."));
    DestroyApp();
    ReleaseSingleInstance();
    AppLog::Stop();
}
} // namespace

int RunApplication(int argc, char* argv[])
{
    // Before anything is written: settings, layouts, exports and logs are born readable by the user only.
    FileModes::RestrictNewFiles();
    QApplication app(argc, argv);
    const bool translated = KoreanTranslation::Install();
    QApplication::setApplicationName(AppTitle());
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(ZELKOVA_VERSION_MAJOR)
                                            .arg(ZELKOVA_VERSION_MINOR)
                                            .arg(ZELKOVA_VERSION_PATCH));
    // Installed, the desktop matches the windows to zelkova.desktop and its icon by these names.
    QGuiApplication::setDesktopFileName(QStringLiteral("zelkova"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("zelkova")));
    chooseFont();
    // Logout, shutdown or a kill end the program as closing its window does, not in the middle of a write.
    AppShutdown::Install();
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
    if (!translated)
        AppLog::Write(QStringLiteral("경고"),
                      QStringLiteral("Qt 한국어 번역을 읽지 못함: ") + KoreanTranslation::FilePath());

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
    auto end = [](int code) {
        g_ended = true;
        DestroyApp();
        ReleaseSingleInstance();
        AppLog::Write(QStringLiteral("종료"), QString::number(code));
        SetPrompter(nullptr);
        AppLog::Stop();
        return code;
    };
    if (!InitApp(ShowFound())) {
        // A seat whose database is out of reach can always get back to where the database is set.
        if (!AppShutdown::Requested() && MainDatabaseUnreachable())
            FrmNTSetup::OfferAfterFailedStart();
        return end(AppShutdown::Requested() ? 0 : 1);
    }
    // Registered once the connections are open, so it runs before the registries they live in are gone.
    std::atexit(endFromBelow);
    bool loggedIn = false;
    if (!AppShutdown::Requested()) {
        FrmLogin login;
        ExecModal(&login);
        loggedIn = login.bSucc;
    }
    // The login waited for the start's page check; a start that never showed the login checks here.
    if (loggedIn && !AppShutdown::Requested() && !FinishStart(ShowFound()))
        loggedIn = false;
    if (!loggedIn || AppShutdown::Requested())
        return end(StartCheckFailed() ? 1 : 0);
    if (Settings::Get(Settings::Key::NoMsg) == QLatin1String("0")) {
        FrmInitMsg notice;
        ExecModal(&notice);
    }
    if (AppShutdown::Requested())
        return end(0);
    int rc = 0;
    {
        auto window = std::make_unique<FrmMain>();
        window->show();
        // The operator types straight away: the order screen takes the keyboard from the closed login.
        window->raise();
        window->activateWindow();
        // Again, after everything the main window started: the last registered runs first.
        std::atexit(endFromBelow);
        rc = app.exec();
    }
    return end(rc);
}
