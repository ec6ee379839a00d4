#include "support/OtherUser.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool chownTree(const QString& path, int uid, int gid)
{
    auto one = [&](const QString& p) {
        struct stat st
        {
        };
        const QByteArray n = QFile::encodeName(p);
        if (::lstat(n.constData(), &st) != 0 || ::lchown(n.constData(), uid_t(uid), gid_t(gid)) != 0)
            return false;
        // The owner's change drops setgid: the mode is put back.
        return S_ISLNK(st.st_mode) || ::chmod(n.constData(), st.st_mode & 07777) == 0;
    };
    bool ok = one(path);
    QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        ok = one(it.next()) && ok;
    return ok;
}
} // namespace

std::optional<OtherUser> OtherUser::Make(QString* why)
{
    if (::geteuid() != 0) {
        *why = QStringLiteral("a second user needs root");
        return std::nullopt;
    }
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty()) {
        *why = QStringLiteral("setpriv (util-linux) is missing");
        return std::nullopt;
    }
    OtherUser u;
    // Ids nobody has: the test leaves no account behind.
    for (uint id = 61000 + uint(QCoreApplication::applicationPid() % 2000);; ++id) {
        if (!::getpwuid(id) && !::getgrgid(id)) {
            u.m_uid = id;
            u.m_gid = id;
            break;
        }
    }
    u.m_program = QCoreApplication::applicationFilePath();
    // The build folder may lie where another user cannot reach it: then a copy where anyone can.
    QProcess probe;
    u.start(probe, {QStringLiteral("--probe")}, QDir::tempPath());
    if (!probe.waitForFinished(30000) || probe.exitStatus() != QProcess::NormalExit ||
        probe.exitCode() != 0) {
        static QTemporaryDir copyDir;
        ::chmod(QFile::encodeName(copyDir.path()).constData(), 0755);
        const QString copy = copyDir.filePath(QFileInfo(u.m_program).fileName());
        if (!QFileInfo::exists(copy) && !QFile::copy(u.m_program, copy)) {
            *why = QStringLiteral("cannot copy the test program for the second user");
            return std::nullopt;
        }
        u.m_program = copy;
        QProcess again;
        u.start(again, {QStringLiteral("--probe")}, QDir::tempPath());
        if (!again.waitForFinished(30000) || again.exitCode() != 0) {
            *why = QStringLiteral("the second user cannot run the test program: ") +
                   QString::fromLocal8Bit(again.readAllStandardError());
            return std::nullopt;
        }
    }
    return u;
}

bool OtherUser::own(const QString& path) const
{
    return chownTree(path, int(m_uid), int(m_gid));
}

bool OtherUser::group(const QString& path) const
{
    return chownTree(path, -1, int(m_gid));
}

void OtherUser::start(QProcess& process, const QStringList& args, const QString& home) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral("setpriv"), QStringList{QStringLiteral("--reuid=%1").arg(m_uid),
                                                         QStringLiteral("--regid=%1").arg(m_gid),
                                                         QStringLiteral("--clear-groups"), m_program} +
                                                 args);
}

QString Converse(QProcess& child, const QString& line)
{
    if (!line.isEmpty()) {
        child.write((line + QLatin1Char('\n')).toUtf8());
        child.waitForBytesWritten(10000);
    }
    while (!child.canReadLine()) {
        if (child.state() == QProcess::NotRunning || !child.waitForReadyRead(60000))
            return child.canReadLine() ? QString::fromUtf8(child.readLine()).trimmed() : QString();
    }
    return QString::fromUtf8(child.readLine()).trimmed();
}
