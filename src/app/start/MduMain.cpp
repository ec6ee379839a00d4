#include "app/start/MduMain.h"

#include "admin/StoredPasswords.h"
#include "admin/modNTDrv.h"
#include "app/AppLog.h"
#include "app/AppPaths.h"
#include "app/FileModes.h"
#include "app/Globals.h"
#include "app/Platform.h"
#include "app/RestoreJournal.h"
#include "app/SeatPresence.h"
#include "app/SettingKeys.h"
#include "db/ChangeFeed.h"
#include "db/DbCheck.h"
#include "db/MduAdoDB.h"
#include "db/Schema.h"
#include "db/modMain_SQL.h"
#include "reports/MduReportDB.h"
#include "ui/Notice.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QTimer>
#include <QUrl>

#include <sqlite3.h>

#include <atomic>
#include <cmath>
#include <exception>
#include <memory>
#include <thread>

namespace {
const QString kModule = QStringLiteral("MduMain");
AdminPasswordPrompt g_adminPrompt;
std::unique_ptr<QLockFile> g_instanceLock;
bool g_runMarked = false;
bool g_mainUnreachable = false;

// The page check of a start after an unclean end, run beside the login.
class PageCheck
{
public:
    explicit PageCheck(const QString& file)
        : m_thread([this, file] {
              m_result = DbCheck::CheckIntegrity(file, false, &m_stop);
              m_done = true;
          })
    {
    }
    ~PageCheck()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    // Waits for the end with the event loop running (the windows paint), without taking keys meanwhile.
    DbCheck::Result result()
    {
        if (!m_done) {
            QEventLoop loop;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, &loop, [this, &loop] {
                if (m_done)
                    loop.quit();
            });
            poll.start(10);
            if (!m_done)
                loop.exec(QEventLoop::ExcludeUserInputEvents);
        }
        if (m_thread.joinable())
            m_thread.join();
        return m_result;
    }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{false};
    DbCheck::Result m_result;
    std::thread m_thread;
};

std::unique_ptr<PageCheck> g_pageCheck;
enum class StartState
{
    Open,     // InitApp has not finished a start
    Checking, // the page check runs; nothing writes
    Finished,
    CheckFailed,
};
StartState g_startState = StartState::Open;

// While the check runs, the main connection can only read: a write tried meanwhile fails instead of
// changing a file that may be damaged, and closing it (a start that ends there) leaves the write-ahead log
// as it is instead of copying it into the file.
void holdWrites(bool hold)
{
    if (!gMainConn.isOpen() || gMainConn.isServer())
        return;
    QSqlQuery(gMainConn.database())
        .exec(hold ? QStringLiteral("PRAGMA query_only = 1") : QStringLiteral("PRAGMA query_only = 0"));
    const QVariant handle = gMainConn.database().driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        if (sqlite3* db = *static_cast<sqlite3* const*>(handle.data()))
            sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, hold ? 1 : 0, nullptr);
}

// Marks a run in progress; still there at the next start, it tells of a run that did not end cleanly.
QString runMarkerPath()
{
    return AppPaths::ProgramPath(QStringLiteral("DBS/zelkova.running"));
}

bool passed(const DbCheck::Result& r, Notices& found)
{
    if (r.ok())
        return true;
    found.warning(DbCheck::Message(r), DbCheck::Title(r));
    return false;
}

// A restore killed while it replaced the files is finished before anything reads them, so no seat works on
// databases of two archives.
bool finishInterruptedRestore(Notices& found)
{
    const SeatPresence::Exclusive hold(gDBPath);
    QStringList replaced;
    QString error;
    if (!hold.held() || !RestoreJournal::Complete(gDBPath, &replaced, &error)) {
        found.warning(
            QStringLiteral("데이터 복구가 파일을 바꾸던 중에 멈추어, 끝내기 전에는 데이터베이스를 열 수 "
                           "없습니다.") +
                kCrLf +
                (hold.held() ? error
                             : QStringLiteral("다른 자리의 프로그램을 모두 끈 뒤 다시 시작하세요.") + kCrLf +
                                   hold.reason()),
            QStringLiteral("데이터 복구"));
        return false;
    }
    FileModes::KeepShared(gDBPath);
    AppLog::Write(QStringLiteral("데이터 복구"), QStringLiteral("멈추었던 데이터 복구를 마쳤습니다: ") +
                                                     replaced.join(QStringLiteral(", ")) +
                                                     QStringLiteral(" (") + gDBPath + QLatin1Char(')'));
    return true;
}

// Everything the start needs before it writes anything: the folders, then (once the seat is registered, so
// no restore can replace it under the checks) the main database file; a server's database is checked once
// connected.
bool checkBeforeOpen(bool server, Notices& found)
{
    const QString reportFolder = QFileInfo(AppPaths::ProgramPath(Schema::kReportWorkCopy)).path();
    for (const QString& folder : {gDBPath, reportFolder}) {
        if (!passed(DbCheck::CheckFolder(folder), found)) {
            g_mainUnreachable = !server && folder == gDBPath;
            return false;
        }
    }
    if (server)
        return true;
    // A restore or upgrade run by anyone, at any seat, waits for this seat until it has closed the data.
    QString refused;
    if (!SeatPresence::Start(gDBPath, gTerminalID, &refused)) {
        found.warning(refused, QStringLiteral("데이터베이스 폴더 권한 오류"));
        return false;
    }
    g_mainUnreachable = true;
    if (RestoreJournal::Pending(gDBPath) && !finishInterruptedRestore(found))
        return false;
    if (!passed(DbCheck::CheckMainFile(gMainDBFile), found))
        return false;
    // A run that did not end cleanly may have left damaged pages: every page is read, beside the login.
    if (QFileInfo::exists(runMarkerPath()))
        g_pageCheck = std::make_unique<PageCheck>(gMainDBFile);
    g_mainUnreachable = false;
    return true;
}

QString sharedWalMessage()
{
    return QStringLiteral("공유 폴더의 메인DB가 한 자리 전용(WAL) 방식이어서 네트워크로 열 수 없습니다.") +
           kCrLf + QStringLiteral("서버 자리에서 모든 자리의 프로그램을 끈 뒤 다음을 실행하세요:") + kCrLf +
           QStringLiteral("zelkova-db share <서버의 프로그램 폴더>") + kCrLf + kCrLf +
           QStringLiteral("여러 자리가 함께 쓰는 데는 서버 데이터베이스(PostgreSQL)가 더 안전합니다.");
}

void folderMissing(Notices& found)
{
    found.warning(QStringLiteral("데이터베이스 파일 경로가 없어졌거나 옮겨졌습니다.") + kCrLf +
                      QStringLiteral("데이터베이스 파일 경로를 확인하세요.") + kCrLf + gDBPath,
                  QStringLiteral("파일 경로 오류"));
}

// Finds the database folder and the main database file of a seat whose data is in files, connecting the
// server's share when it has gone.
bool locateMainFile(Notices& found)
{
    gDBPath = AppPaths::Native(Settings::Get(Settings::Key::DbFolder));
    if (gDBPath.isEmpty())
        SetDBPath(AppPaths::ProgramPath(QStringLiteral("DBS")));
    else
        gMainDBFile = AppPaths::Native(Settings::Get(Settings::Key::MainDatabase));

    if (!QFileInfo(gDBPath).isDir()) {
        bool mounted = false;
        if (gCSType == 1) {
            const QString share = Settings::Get(Settings::Key::NetworkPath);
            const QString drive = Settings::Get(Settings::Key::NetworkDrive);
            if (!share.isEmpty() && !drive.isEmpty()) {
                const QString connected = ConnectNetDrive(share, QString());
                if (!connected.isEmpty()) {
                    mounted = true;
                    if (connected != drive) {
                        SetDBPath(AppPaths::ResolveCaseInsensitive(connected, QStringLiteral("DBS")));
                        Settings::Save(Settings::Key::NetworkDrive, connected);
                    }
                }
            }
        }
        if (!mounted) {
            folderMissing(found);
            return false;
        }
    }

    if (gMainDBFile.isEmpty()) {
        gMainDBFile = gDBPath + QLatin1Char('/') + Schema::kMainFileName;
        Settings::Save(Settings::Key::MainDatabase, gMainDBFile);
    }
    if (!QFileInfo(gMainDBFile).isFile()) {
        // "\dbMain.mdb" and "\DBMAIN.MDB" are one file: settings written on a case-blind file system must
        // keep working.
        const QString resolved = AppPaths::ResolveCaseInsensitive(QFileInfo(gMainDBFile).path(),
                                                                  QFileInfo(gMainDBFile).fileName());
        if (QFileInfo(resolved).isFile())
            gMainDBFile = resolved;
    }
    if (!QFileInfo(gMainDBFile).isFile()) {
        found.warning(QStringLiteral("메인DB파일이 없어졌거나 옮겨졌습니다.") + kCrLf +
                          QStringLiteral("메인DB파일을 확인하세요.") + kCrLf + gMainDBFile,
                      QStringLiteral("파일 오류"));
        return false;
    }
    return true;
}

void markRun()
{
    // From here on the seat's lists hear what the other seats change.
    if (!MainChangeFeed().start())
        AppLog::Write(QStringLiteral("경고"), QStringLiteral("다른 자리의 변경을 알 수 없습니다: 변경 기록을 "
                                                             "읽지 못했습니다"));
    QFile marker(runMarkerPath());
    g_runMarked = marker.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                  marker.write(QByteArray::number(QCoreApplication::applicationPid())) > 0;
}
} // namespace

QString SingleInstanceLockPath()
{
    // A folder of the user's own: another local user can neither take nor block the lock there.
    QString folder = CurrentPlatform().LockFolder();
    if (folder.isEmpty())
        folder = AppPaths::ProgramFolder();
    const QByteArray key =
        QCryptographicHash::hash(AppPaths::ProgramFolder().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    return folder + QStringLiteral("/zelkova-") + QString::fromLatin1(key) + QStringLiteral(".lock");
}

void SetAdminPasswordPrompt(AdminPasswordPrompt prompt)
{
    g_adminPrompt = std::move(prompt);
    // The record operations ask for the administrator through their gate, which is this confirmation.
    SetAuthorityGate(&AdminPWDConfirm);
}

bool AdminPWDConfirm()
{
    // A password that could not be read is not "no password".
    if (!gAdminPWDKnown)
        return false;
    if (gAdminPWD.isEmpty())
        return true;
    return g_adminPrompt ? g_adminPrompt(gAdminPWD) : false;
}

bool AcquireSingleInstance()
{
    // Keyed by the program folder: two installations on one machine run side by side, one installation once.
    auto lock = std::make_unique<QLockFile>(SingleInstanceLockPath());
    // A lock whose process is gone (a crash) is stale and taken over; a live one is never broken by age.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return false;
    g_instanceLock = std::move(lock);
    return true;
}

void ReleaseSingleInstance()
{
    g_instanceLock.reset();
}

void SetDBPath(const QString& folder)
{
    gDBPath = AppPaths::Native(folder);
    Settings::Save(Settings::Key::DbFolder, gDBPath);
    gMainDBFile = gDBPath + QLatin1Char('/') + Schema::kMainFileName;
    Settings::Save(Settings::Key::MainDatabase, gMainDBFile);
}

bool ReadOptions(Notices& found)
{
    try {
        const std::optional<QString> password = ReadConfig(Settings::Key::AdminPassword);
        gAdminPWDKnown = password.has_value();
        if (!password)
            return false;
        // An older database kept the passwords in clear text: they are hashed the first time they are read.
        gAdminPWD = StoredPasswords::UpgradeClearText(StoredPasswords::kAdminKey, *password);
        StoredPasswords::UpgradeClearText(StoredPasswords::kLoginKey, found);
        // A unit that is no whole number of won (or absurd) earns points at the usual rate.
        gPointUnit = GetConfig(Settings::Key::PointUnit).toInt();
        gDDD = GetConfig(Settings::Key::Ddd);
        return true;
    } catch (const std::exception& e) {
        found.stdError({0, QString::fromUtf8(e.what())}, QStringLiteral("ReadOptions"), kModule);
        return false;
    }
}

bool MainDatabaseUnreachable()
{
    return g_mainUnreachable;
}

bool CheckClientDatabase(const QString& databaseFolder, Notices& found)
{
    if (!passed(DbCheck::CheckFolder(databaseFolder), found))
        return false;
    const QString mainFile = AppPaths::ResolveCaseInsensitive(databaseFolder, Schema::kMainFileName);
    if (!passed(DbCheck::CheckMainFile(mainFile), found))
        return false;
    if (Schema::UsesWriteAheadLog(mainFile)) {
        found.warning(sharedWalMessage() + kCrLf + kCrLf + QStringLiteral("설정을 저장하지 않았습니다."),
                      QStringLiteral("파일 오류"));
        return false;
    }
    return true;
}

bool InitApp(Notices& found)
{
    g_mainUnreachable = false;
    g_pageCheck.reset();
    g_startState = StartState::Open;
    try {
        SetAddressOpener(
            [](const QString& address) { return CurrentPlatform().OpenExternally(QUrl(address)); });
        FileModes::RestrictNewFiles();
        gIsNT = true;
        gGridRowHeight = double(Settings::Number(Settings::Key::GridRowHeight));
        gGridFontSize = int(Settings::Number(Settings::Key::GridFontSize));
        gTerminalID = Settings::Get(Settings::Key::TerminalId);
        gCSType = int(Settings::Number(Settings::Key::CsType));

        // A server seat keeps only the report template and the report database in its own program folder;
        // its main database is the address, with no drive or file to find.
        const QString storedMain = Settings::Get(Settings::Key::MainDatabase).trimmed();
        const bool server = DbConnection::IsServerAddress(storedMain);
        if (server) {
            gMainDBFile = storedMain;
            gDBPath = AppPaths::Native(AppPaths::ProgramPath(QStringLiteral("DBS")));
            if (!QFileInfo(gDBPath).isDir()) {
                folderMissing(found);
                return false;
            }
        } else if (!locateMainFile(found)) {
            g_mainUnreachable = true;
            return false;
        }
        gReportDBFile = AppPaths::ProgramPath(Schema::kReportWorkCopy);
        if (!checkBeforeOpen(server, found) || !CreateRPTFile(found))
            return false;
        Settings::Save(Settings::Key::BackupFolder, gDBPath + QLatin1Char('/'));
        // A database in write-ahead-log mode works only for seats on its own machine: reached through a
        // share it would lose writes. The server seat switches it once with `zelkova-db share`.
        g_mainUnreachable = true;
        if (!server && gCSType == 1 && Schema::UsesWriteAheadLog(gMainDBFile)) {
            found.warning(sharedWalMessage(), QStringLiteral("파일 오류"));
            return false;
        }
        if (!OpenConnection(gMainConn, gMainDBFile, kMainDbPassword))
            return false;
        if (server && !passed(DbCheck::CheckServer(gMainDBFile), found)) {
            CloseObject(gMainConn);
            return false;
        }
        g_mainUnreachable = false;
        if (g_pageCheck) {
            g_startState = StartState::Checking;
            holdWrites(true);
            return true;
        }
        g_startState = StartState::Finished;
        markRun();
        return ReadOptions(found);
    } catch (const std::exception& e) {
        found.stdError({0, QString::fromUtf8(e.what())}, QStringLiteral("InitApp"), kModule);
        return false;
    }
}

bool FinishStart(Notices& found)
{
    if (g_startState != StartState::Checking)
        return g_startState != StartState::CheckFailed;
    const DbCheck::Result checked = g_pageCheck->result();
    g_pageCheck.reset();
    if (!checked.ok()) {
        g_startState = StartState::CheckFailed;
        passed(checked, found);
        return false;
    }
    holdWrites(false);
    g_startState = StartState::Finished;
    markRun();
    return ReadOptions(found);
}

bool StartChecking()
{
    return g_startState == StartState::Checking;
}

bool StartCheckFailed()
{
    return g_startState == StartState::CheckFailed;
}

void DestroyApp()
{
    // An unfinished check is stopped; the run stays unmarked, so the next start checks again.
    g_pageCheck.reset();
    if (g_startState == StartState::Checking)
        g_startState = StartState::Open;
    EndMainChangeFeed();
    CloseObject(gMainConn);
    SeatPresence::Stop();
    CloseRPTFile();
    if (g_runMarked)
        QFile::remove(runMarkerPath());
    g_runMarked = false;
}
