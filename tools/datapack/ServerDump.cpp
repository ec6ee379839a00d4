#include "ServerDump.h"

#include "db/DbConnection.h"
#include "db/Schema.h"
#include "db/ServerAddress.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

#include <algorithm>

namespace ServerDump {

const QString kDumpName = QStringLiteral("dbMain.pgdump");
const QString kManifestName = QStringLiteral("server-dump.ini");

namespace {

// Runs one of the server's tools and hands each line it writes to stderr to onLine (also "" while it
// works, so a window stays alive); false from onLine stops the tool. On failure *error holds what the tool
// said about it.
bool runTool(const QString& tool, const QStringList& args, const QProcessEnvironment& extra,
             const std::function<bool(const QString& line)>& onLine, QByteArray* out, QString* error)
{
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        *error = QStringLiteral("PostgreSQL 도구 %1을(를) 찾을 수 없습니다.\n"
                                "postgresql-client 패키지를 설치하세요.")
                     .arg(tool);
        return false;
    }
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Its progress lines are read as the tool writes them in English.
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.remove(QStringLiteral("LANGUAGE"));
    for (const QString& key : extra.keys())
        env.insert(key, extra.value(key));
    p.setProcessEnvironment(env);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(program, args);
    if (!p.waitForStarted(10000)) {
        *error = QStringLiteral("%1을(를) 실행할 수 없습니다: %2").arg(tool, p.errorString());
        return false;
    }
    QByteArray pending;
    QStringList lines;
    bool stopped = false;
    auto drain = [&] {
        pending += p.readAllStandardError();
        qsizetype nl = 0;
        while ((nl = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending.left(nl)).trimmed();
            pending.remove(0, nl + 1);
            lines << line;
            if (!stopped && !onLine(line))
                stopped = true;
        }
    };
    while (!p.waitForFinished(100) && p.state() != QProcess::NotRunning) {
        drain();
        if (!stopped && !onLine(QString()))
            stopped = true;
        if (stopped) {
            p.kill();
            p.waitForFinished();
            *error = QStringLiteral("취소하였습니다.");
            return false;
        }
    }
    drain();
    if (!pending.trimmed().isEmpty())
        lines << QString::fromUtf8(pending).trimmed();
    if (out)
        *out = p.readAllStandardOutput();
    if (p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return true;
    QStringList problems;
    for (const QString& line : lines) {
        if (line.contains(QLatin1String("error:")) || line.contains(QLatin1String("FATAL")) ||
            line.contains(QLatin1String("ERROR")) || line.contains(QLatin1String("DETAIL")) ||
            line.contains(QLatin1String("HINT")) || line.contains(QLatin1String("fatal:")))
            problems << line;
    }
    if (problems.isEmpty())
        problems = lines.mid(std::max<qsizetype>(0, lines.size() - 8));
    *error = problems.isEmpty()
                 ? QStringLiteral("%1이(가) 종료 코드 %2로 끝났습니다.").arg(tool).arg(p.exitCode())
                 : problems.join(QLatin1Char('\n'));
    return false;
}

bool connectionOf(const QString& address, QString* connection, QString* error)
{
    ServerAddress a;
    if (!ServerAddress::Parse(address, &a, error))
        return false;
    *connection = a.connectionString();
    return true;
}

// "public.고객" in a tool's line "… table "public.고객"".
QString tableIn(const QString& line)
{
    const qsizetype open = line.indexOf(QLatin1Char('"'));
    const qsizetype close = line.lastIndexOf(QLatin1Char('"'));
    if (open < 0 || close <= open)
        return QString();
    return line.mid(open + 1, close - open - 1).section(QLatin1Char('.'), -1);
}
} // namespace

bool Dump(const QString& address, const QString& file, const Progress& progress, QString* error)
{
    QString connection;
    if (!connectionOf(address, &connection, error))
        return false;
    // The main tables and the reversed-number table.
    const int tables = int(Schema::MainTables().size()) + 1;
    int done = 0;
    auto onLine = [&](const QString& line) {
        if (!line.contains(QLatin1String("dumping contents of table")))
            return !progress || progress(std::min(95, 5 + 90 * done / tables), QString());
        ++done;
        return !progress || progress(std::min(95, 5 + 90 * done / tables),
                                     QStringLiteral("서버 자료를 내려받는 중: ") + tableIn(line));
    };
    return runTool(QStringLiteral("pg_dump"),
                   {QStringLiteral("--format=custom"), QStringLiteral("--no-password"),
                    QStringLiteral("--verbose"), QStringLiteral("--file=") + file,
                    QStringLiteral("--dbname=") + connection},
                   {}, onLine, nullptr, error);
}

bool List(const QString& file, QStringList* entries, QString* error)
{
    QByteArray out;
    if (!runTool(
            QStringLiteral("pg_restore"), {QStringLiteral("--list"), file}, {},
            [](const QString&) { return true; }, &out, error))
        return false;
    entries->clear();
    for (const QString& line : QString::fromUtf8(out).split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty() && !line.startsWith(QLatin1Char(';')))
            *entries << line.trimmed();
    }
    return true;
}

bool Restore(const QString& address, const QString& file, int entries, const Progress& progress,
             QString* error)
{
    QString connection;
    if (!connectionOf(address, &connection, error))
        return false;
    // Each entry is dropped, then made and filled again.
    const int steps = std::max(1, 2 * entries);
    int done = 0;
    bool filled = false;
    auto onLine = [&](const QString& line) {
        QString step;
        if (line.startsWith(QLatin1String("pg_restore: dropping"))) {
            ++done;
        } else if (line.startsWith(QLatin1String("pg_restore: creating"))) {
            ++done;
            if (filled)
                step = QStringLiteral("색인과 관계를 다시 만드는 중");
        } else if (line.startsWith(QLatin1String("pg_restore: processing data for table"))) {
            ++done;
            filled = true;
            step = QStringLiteral("서버 자료를 되돌리는 중: ") + tableIn(line);
        }
        return !progress || progress(std::min(95, 100 * done / steps), step);
    };
    QProcessEnvironment extra;
    // A seat that comes in after the check holds locks: the restore stops instead of waiting on it forever.
    extra.insert(QStringLiteral("PGOPTIONS"), QStringLiteral("-c lock_timeout=20000"));
    return runTool(QStringLiteral("pg_restore"),
                   {QStringLiteral("--clean"), QStringLiteral("--if-exists"), QStringLiteral("--no-owner"),
                    QStringLiteral("--single-transaction"), QStringLiteral("--no-password"),
                    QStringLiteral("--verbose"), QStringLiteral("--dbname=") + connection, file},
                   extra, onLine, nullptr, error);
}

bool OtherSessions(const QString& address, QStringList* sessions, QString* error)
{
    DbConnection conn;
    ErrInfo e;
    if (!conn.open(address, true, &e)) {
        *error = e.description;
        return false;
    }
    QSqlQuery q(conn.database());
    if (!q.exec(QStringLiteral(
            "SELECT COALESCE(host(client_addr), '이 컴퓨터'), COALESCE(application_name, '') "
            "FROM pg_stat_activity WHERE datname = current_database() AND pid <> pg_backend_pid() "
            "AND backend_type = 'client backend'"))) {
        *error = q.lastError().text();
        return false;
    }
    sessions->clear();
    while (q.next()) {
        const QString app = q.value(1).toString();
        *sessions << (app.isEmpty() ? q.value(0).toString()
                                    : q.value(0).toString() + QStringLiteral(" (") + app + QLatin1Char(')'));
    }
    return true;
}

} // namespace ServerDump
