#include "db/DbConnection.h"

#include "db/DbError.h"
#include "db/ServerAddress.h"

#include "ui/MsgBox.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUrl>

#include <cctype>
#include <cstring>
#include <libpq-fe.h>
#include <poll.h>
#include <sqlite3.h>

Q_LOGGING_CATEGORY(lcConnection, "zelkova.connection")

namespace {
QAtomicInt g_counter;

const QString kLostNotice =
    QStringLiteral("데이터베이스 서버와의 연결이 끊어져 다시 연결하고 있습니다. 잠시 기다려 주십시오.");
const QString kConnectionTitle = QStringLiteral("서버 연결");

QString oneLine(const QString& text)
{
    return text.simplified(); // libpq breaks and indents its lines
}

// Waits between reconnection attempts with the windows painted (the notice among them), but takes no key,
// no click, no device event and no timer: nothing the operator or a device does runs meanwhile.
void pauseShowing(int ms)
{
    QElapsedTimer t;
    t.start();
    QCoreApplication* app = QCoreApplication::instance();
    const bool mainThread = app && QThread::currentThread() == app->thread();
    while (t.elapsed() < ms) {
        if (mainThread)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                            QEventLoop::ExcludeSocketNotifiers |
                                            QEventLoop::X11ExcludeTimers);
        QThread::msleep(unsigned(qBound(qint64(1), qint64(ms) - t.elapsed(), qint64(20))));
    }
}

bool holdsUnusableChar(const QString& sql)
{
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (c.isNull())
            return true;
        if (c.isHighSurrogate() && i + 1 < sql.size() && sql.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return true;
    }
    return false;
}
} // namespace

// The server's notices (a FATAL it sends before closing the connection among them) are kept for the log
// instead of going to the standard error output.
struct NoticeSink
{
    static void receive(void* arg, const PGresult* result)
    {
        auto* conn = static_cast<DbConnection*>(arg);
        conn->m_lastNotice = oneLine(QString::fromUtf8(PQresultErrorMessage(result)));
    }
};

QString UnusableTextMessage()
{
    return QStringLiteral(
        "입력한 내용에 저장하거나 찾을 수 없는 문자(NUL 또는 깨진 문자)가 들어 있어 처리하지 "
        "않았습니다.");
}

DbConnection::DbConnection()
    : m_name(QStringLiteral("zk_conn_%1").arg(g_counter.fetchAndAddRelaxed(1))), m_dialect(DefaultDialect())
{
}

DbConnection::~DbConnection()
{
    // The process-wide connections outlive Qt's connection registry at exit; DestroyApp closes them in time.
    if (m_registered && QCoreApplication::instance())
        close();
}

bool DbConnection::IsServerAddress(const QString& location)
{
    return ServerAddress::IsServerAddress(location);
}

ErrInfo DbConnection::errorFrom(const QSqlError& e)
{
    ErrInfo info;
    info.description = e.text().trimmed();
    if (info.description.isEmpty())
        info.description = QStringLiteral("알 수 없는 데이터베이스 오류");
    const QString code = e.nativeErrorCode();
    info.native = code;
    if (code.size() == 5) {
        // A server's SQLSTATE: the screens test for the same numbers on either engine.
        if (code.startsWith(QLatin1String("42"))) {
            info.number = DbErr::kSyntax;
        } else if (code == QLatin1String("40001") || code == QLatin1String("40P01")) {
            info.number = DbErr::kLocked;
            info.description =
                QStringLiteral("다른 자리에서 같은 자료를 동시에 고치고 있어 처리하지 못했습니다. "
                               "잠시 후 다시 하십시오.");
        } else if (code == QLatin1String("55P03") || code == QLatin1String("57014")) {
            info.number = DbErr::kLocked;
            info.description = QStringLiteral("다른 자리에서 자료를 쓰고 있어 오래 기다렸지만 처리하지 "
                                              "못했습니다. 잠시 후 다시 하십시오.");
        } else if (code.startsWith(QLatin1String("08"))) {
            info.number = DbErr::kUnspecified;
            info.description =
                QStringLiteral("데이터베이스 서버와의 연결이 끊어졌습니다.\n") + info.description;
        } else {
            info.number = DbErr::kUnspecified; // 23503 (a relationship refuses) among them
        }
        return info;
    }
    const int native = code.toInt();
    switch (native & 0xff) {
    case SQLITE_ERROR:
        info.number = DbErr::kSyntax;
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        info.number = DbErr::kLocked;
        break;
    default:
        info.number = DbErr::kUnspecified;
        break;
    }
    return info;
}

ErrInfo DbConnection::failure(const QSqlError& e)
{
    const QString code = e.nativeErrorCode();
    if (code == QLatin1String("40001") || code == QLatin1String("40P01"))
        m_conflict = true;
    return errorFrom(e);
}

void DbConnection::PauseBeforeRetry(int attempt)
{
    QThread::msleep(unsigned(QRandomGenerator::global()->bounded(5, 20 + 30 * attempt)));
}

void DbConnection::LogEvent(const QString& text)
{
    qCInfo(lcConnection).noquote() << text;
}

bool DbConnection::open(const QString& path, bool readOnly, ErrInfo* error)
{
    close();
    m_readOnly = readOnly;
    if (IsServerAddress(path))
        return openServer(path, readOnly, error);
    m_dialect = DefaultDialect();
    if (!QFileInfo(path).isFile()) {
        if (error)
            *error = {DbErr::kUnspecified, QStringLiteral("파일을 찾을 수 없습니다: ") + path};
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(m_dialect->driverName(), m_name);
    m_registered = true;
    // The engine would otherwise create an empty file where one vanished between the check and the open.
    db.setDatabaseName(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded) +
                       (readOnly ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=rw")));
    QString options =
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(SqliteDialect::kBusyTimeoutMs);
    if (readOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    db.setConnectOptions(options);
    if (!db.open()) {
        if (error)
            *error = errorFrom(db.lastError());
        forget(db);
        return false;
    }
    if (!prepare(db, error))
        return false;
    m_path = path;
    return true;
}

bool DbConnection::openServer(const QString& address, bool readOnly, ErrInfo* error)
{
    ServerAddress a;
    QString why;
    if (!ServerAddress::Parse(address, &a, &why)) {
        if (error)
            *error = {DbErr::kUnspecified, why};
        return false;
    }
    m_dialect = ServerDialect();
    if (!QSqlDatabase::isDriverAvailable(m_dialect->driverName())) {
        if (error)
            *error = {DbErr::kUnspecified,
                      QStringLiteral("PostgreSQL 드라이버(libqt6sql6-psql)가 설치되어 있지 않습니다.")};
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(m_dialect->driverName(), m_name);
    m_registered = true;
    a.applyTo(db);
    if (!db.open()) {
        if (error) {
            QString cause = db.lastError().driverText().trimmed();
            const QString detail = db.lastError().databaseText().trimmed();
            if (!detail.isEmpty())
                cause = detail;
            *error = {DbErr::kUnspecified,
                      QStringLiteral("데이터베이스 서버에 연결할 수 없습니다.\n%1\n원인: %2")
                          .arg(a.describe(), oneLine(cause))};
        }
        forget(db);
        return false;
    }
    if (!prepare(db, error))
        return false;
    if (readOnly)
        runRaw(QStringLiteral("SET default_transaction_read_only = on"), nullptr);
    m_path = address.trimmed();
    afterConnect();
    return true;
}

void DbConnection::forget(QSqlDatabase& db)
{
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
    m_registered = false;
}

bool DbConnection::prepare(QSqlDatabase& db, ErrInfo* error)
{
    QString prepError;
    if (!m_dialect->prepareConnection(db, &prepError)) {
        if (error)
            *error = {DbErr::kUnspecified, prepError};
        db.close();
        forget(db);
        return false;
    }
    m_depth = 0;
    m_doomed = false;
    return true;
}

void DbConnection::close()
{
    m_lost = m_away = m_told = m_restoring = false;
    m_cut = m_outcomeUnknown = false;
    m_unsaved.clear();
    m_serverName.clear();
    m_backendPid = m_cutPid = 0;
    if (!m_registered)
        return;
    m_registered = false;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen()) {
            if (m_depth > 0)
                db.rollback();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
    m_depth = 0;
    m_path.clear();
}

bool DbConnection::isOpen() const
{
    // A server's connection that broke off stays open for the program: the next statement restores it.
    if (m_registered && isServer())
        return true;
    return m_registered && QSqlDatabase::database(m_name, false).isOpen();
}

QSqlDatabase DbConnection::database() const
{
    return QSqlDatabase::database(m_name, false);
}

void* DbConnection::serverHandle() const
{
    if (!m_registered || !isServer())
        return nullptr;
    const QSqlDatabase db = database();
    if (!db.driver())
        return nullptr;
    const QVariant h = db.driver()->handle();
    // The driver declares the handle under the structure's own name.
    if (h.isValid() && (qstrcmp(h.typeName(), "PGconn*") == 0 || qstrcmp(h.typeName(), "pg_conn*") == 0))
        return *static_cast<void* const*>(h.data());
    return nullptr;
}

void DbConnection::afterConnect()
{
    auto* c = static_cast<PGconn*>(serverHandle());
    if (!c)
        return;
    PQsetNoticeReceiver(c, &NoticeSink::receive, this);
    m_lastNotice.clear();
    m_backendPid = PQbackendPID(c);
    m_serverName = QString::fromUtf8(PQhost(c)) + QLatin1Char(':') + QString::fromUtf8(PQport(c));
    m_backendStart.clear();
    QSqlQuery q(database());
    if (q.exec(QStringLiteral(
            "SELECT CAST(backend_start AS TEXT) FROM pg_stat_activity WHERE pid = pg_backend_pid()")) &&
        q.next())
        m_backendStart = q.value(0).toString();
}

void DbConnection::probeIdle()
{
    auto* c = static_cast<PGconn*>(serverHandle());
    if (!c) {
        noteLoss(QStringLiteral("연결이 없습니다"));
        return;
    }
    // A server that ended the session has said so and closed the socket: both wait unread until the next
    // statement, which would be sent into the void. Reading what is there finds out first.
    for (int i = 0; i < 4 && PQstatus(c) == CONNECTION_OK; ++i) {
        pollfd p{PQsocket(c), POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0)
            break;
        const bool read = PQconsumeInput(c);
        PQisBusy(c); // hands what arrived (the server's FATAL) to the notice receiver, while it is there
        if (!read)
            break;
    }
    if (PQstatus(c) == CONNECTION_OK)
        return;
    noteLoss(m_lastNotice.isEmpty() ? oneLine(QString::fromUtf8(PQerrorMessage(c))) : m_lastNotice);
}

bool DbConnection::isLoss(const QSqlError& e) const
{
    if (!isServer())
        return false;
    const QString code = e.nativeErrorCode();
    if (code.startsWith(QLatin1String("08")) || code == QLatin1String("57P01") ||
        code == QLatin1String("57P02") || code == QLatin1String("57P03"))
        return true;
    auto* c = static_cast<PGconn*>(serverHandle());
    return !c || PQstatus(c) != CONNECTION_OK;
}

void DbConnection::noteLoss(const QString& cause)
{
    if (m_lost)
        return;
    m_lost = true;
    m_lossCause = cause.isEmpty() ? QStringLiteral("알 수 없는 원인") : cause;
    // The session the unit ran on: it may outlive the connection on the server for a moment.
    m_cutPid = m_backendPid;
    m_cutStart = m_backendStart;
    LogEvent(QStringLiteral("서버와의 연결이 끊어졌습니다 (%1, %2): %3")
                 .arg(m_serverName, m_path.section(QLatin1Char('?'), 0, 0), m_lossCause));
}

ErrInfo DbConnection::lostError(bool outcomeUnknown) const
{
    return {DbErr::kConnectionLost,
            (outcomeUnknown ? QStringLiteral("데이터베이스 서버와의 연결이 끊어져, 처리되었는지 확인하지 "
                                             "못했습니다.")
                            : QStringLiteral("데이터베이스 서버와의 연결이 끊어져 처리하지 못했습니다.")) +
                QStringLiteral("\n원인: ") + m_lossCause};
}

bool DbConnection::usable(ErrInfo* error)
{
    if (!m_registered || (!isServer() && !database().isOpen())) {
        if (error)
            *error = {91, QStringLiteral("데이터베이스가 열려 있지 않습니다.")};
        return false;
    }
    if (!isServer())
        return true;
    if (m_restoring) {
        // Something the pause between attempts let run: it waits for the connection like everything else.
        if (error)
            *error = {DbErr::kConnectionLost, QStringLiteral("데이터베이스 서버에 다시 연결하는 중입니다.")};
        return false;
    }
    if (!m_lost)
        probeIdle();
    if (!m_lost)
        return true;
    if (m_depth > 0 || (m_cut && m_unitDepth > 0)) {
        // The server has rolled the unit back with the session: the rest of it fails here, and
        // RetryOnConflict restores the connection and runs it again.
        m_cut = true;
        if (error)
            *error = lostError(false);
        return false;
    }
    if (restore(error))
        return true;
    if (m_unitDepth > 0)
        m_cut = true; // the unit did not get to run: RetryOnConflict names it to the operator
    return false;
}

bool DbConnection::reconnectOnce(QString* cause)
{
    QSqlDatabase db = database();
    db.close();
    if (!db.open()) {
        QString text = db.lastError().databaseText().trimmed();
        if (text.isEmpty())
            text = db.lastError().driverText().trimmed();
        *cause = oneLine(text);
        db.close();
        return false;
    }
    QString prepError;
    if (!m_dialect->prepareConnection(db, &prepError)) {
        *cause = oneLine(prepError);
        db.close();
        return false;
    }
    if (m_readOnly)
        runRaw(QStringLiteral("SET default_transaction_read_only = on"), nullptr);
    m_depth = 0;
    m_doomed = false;
    afterConnect();
    return true;
}

bool DbConnection::restore(ErrInfo* error)
{
    if (!m_lost)
        return true;
    if (m_restoring || m_depth > 0 || !m_registered) {
        if (error)
            *error = lostError(false);
        return false;
    }
    m_restoring = true;
    if (!m_told) {
        m_told = true;
        MyFloatMsg(kLostNotice);
        pauseShowing(50);
    }
    const QString before = m_serverName;
    const int window = m_away ? 0 : m_restoreWindowMs;
    QElapsedTimer t;
    t.start();
    QString cause;
    int attempt = 0;
    for (;;) {
        ++attempt;
        if (reconnectOnce(&cause))
            break;
        if (t.elapsed() >= window) {
            m_restoring = false;
            if (!m_away)
                LogEvent(QStringLiteral("다시 연결하지 못했습니다 (%1회, %2 ms): %3")
                             .arg(attempt)
                             .arg(t.elapsed())
                             .arg(cause));
            m_away = true;
            if (error)
                *error = {DbErr::kConnectionLost,
                          QStringLiteral("데이터베이스 서버에 다시 연결하지 못했습니다. 서버가 다시 시작되면 "
                                         "이어서 할 수 있습니다.\n원인: ") +
                              cause};
            return false;
        }
        pauseShowing(qMin(100 << qMin(attempt - 1, 4), 2000));
    }
    const bool wasAway = m_away;
    m_lost = m_away = m_told = m_restoring = false;
    LogEvent(QStringLiteral("다시 연결했습니다 (%1, %2회째, %3 ms)")
                 .arg(m_serverName)
                 .arg(attempt)
                 .arg(t.elapsed()));
    if (!before.isEmpty() && before != m_serverName)
        LogEvent(QStringLiteral("다른 서버로 넘어갔습니다: %1 → %2").arg(before, m_serverName));
    tellUnsaved(wasAway);
    return true;
}

bool DbConnection::resumeAfterCut()
{
    if (m_lost && !restore(nullptr))
        return false;
    if (m_cutPid > 0) {
        endSession(m_cutPid, m_cutStart);
        m_cutPid = 0;
    }
    return true;
}

void DbConnection::endSession(int pid, const QString& started)
{
    if (started.isEmpty() || !isServer())
        return;
    // The start time tells the session from a later one that took over its process number.
    const QString where =
        QStringLiteral(" FROM pg_stat_activity WHERE pid = %1 AND CAST(backend_start AS TEXT) = '%2'")
            .arg(pid)
            .arg(QString(started).replace(QLatin1Char('\''), QStringLiteral("''")));
    QSqlQuery q(database());
    q.exec(QStringLiteral("SELECT pg_terminate_backend(pid)") + where);
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 5000) {
        if (!q.exec(QStringLiteral("SELECT COUNT(*)") + where) || !q.next() || q.value(0).toInt() == 0)
            return;
        QThread::msleep(20);
    }
    LogEvent(QStringLiteral("끊긴 세션 %1이(가) 아직 끝나지 않았습니다").arg(pid));
}

bool DbConnection::countSays(const QString& jetSql, bool whenNone, bool* stored)
{
    QSqlQuery q;
    ErrInfo e;
    if (jetSql.isEmpty() || !query(jetSql, q, &e) || !q.next())
        return false;
    const qint64 n = q.value(0).toLongLong();
    *stored = whenNone ? n == 0 : n > 0;
    return true;
}

void DbConnection::giveUp(const QString& what, const QString& storedSql, bool storedWhenNone)
{
    const bool unknown = !storedSql.isEmpty();
    LogEvent((unknown ? QStringLiteral("저장되었는지 확인하지 못했습니다: ")
                      : QStringLiteral("저장하지 못했습니다: ")) +
             what);
    m_unsaved.push_back({what, storedSql, storedWhenNone});
    ShowWarning(
        (unknown ? QStringLiteral("데이터베이스 서버와의 연결이 끊어져, 다음 자료가 저장되었는지 "
                                  "확인하지 못했습니다.")
                 : QStringLiteral("데이터베이스 서버와의 연결이 끊어져 다음 자료를 저장하지 못했습니다.")) +
            kCrLf + what + kCrLf + kCrLf + QStringLiteral("서버에 다시 연결되면 다시 알려 드립니다."),
        kConnectionTitle);
}

void DbConnection::tellUnsaved(bool wasAway)
{
    if (m_unsaved.empty()) {
        if (wasAway)
            MyFloatMsg(QStringLiteral("데이터베이스 서버에 다시 연결되었습니다."));
        return;
    }
    std::vector<Unsaved> list;
    list.swap(m_unsaved);
    QStringList lost;
    QStringList kept;
    for (const Unsaved& u : list) {
        bool stored = false;
        if (!u.storedSql.isEmpty() && !countSays(u.storedSql, u.storedWhenNone, &stored))
            stored = false;
        (stored ? kept : lost) << u.what;
        LogEvent((stored ? QStringLiteral("저장되어 있습니다: ") : QStringLiteral("저장되지 않았습니다: ")) +
                 u.what);
    }
    QString text = QStringLiteral("데이터베이스 서버에 다시 연결되었습니다.");
    if (!lost.isEmpty())
        text += kCrLf + kCrLf + QStringLiteral("연결이 끊어져 저장되지 않은 자료입니다. 다시 입력하십시오.") +
                kCrLf + lost.join(kCrLf);
    if (!kept.isEmpty())
        text += kCrLf + kCrLf + QStringLiteral("연결이 끊어졌을 때 저장된 것으로 확인된 자료입니다.") +
                kCrLf + kept.join(kCrLf);
    if (lost.isEmpty())
        ShowInfo(text, kConnectionTitle);
    else
        ShowWarning(text, kConnectionTitle);
}

bool DbConnection::readFailed(const QSqlError& e, ErrInfo* error)
{
    if (isLoss(e)) {
        noteLoss(m_lastNotice.isEmpty() ? oneLine(e.text()) : m_lastNotice);
        if (m_depth > 0)
            m_cut = true;
        if (error)
            *error = lostError(false);
        return m_depth == 0;
    }
    const ErrInfo info = failure(e);
    if (error)
        *error = info;
    return false;
}

DbConnection::ExecResult DbConnection::exec(const QString& jetSql)
{
    ExecResult r;
    if (!usable(&r.error))
        return r;
    if (m_fault) {
        if (auto injected = m_fault(jetSql)) {
            r.error = *injected;
            return r;
        }
    }
    if (holdsUnusableChar(jetSql)) {
        r.error = {DbErr::kUnusableText, UnusableTextMessage()};
        return r;
    }
    if (isServer() && !IsSingleStatement(jetSql)) {
        r.error = {DbErr::kSyntax, QStringLiteral("한 번에 한 문장만 실행할 수 있습니다.")};
        return r;
    }
    QSqlQuery q(database());
    if (!q.exec(m_dialect->translate(jetSql))) {
        if (isLoss(q.lastError())) {
            noteLoss(m_lastNotice.isEmpty() ? oneLine(q.lastError().text()) : m_lastNotice);
            // Inside a unit the server rolls it back; on its own the statement may have been done.
            m_cut = true;
            m_outcomeUnknown = m_depth == 0;
            r.error = lostError(m_outcomeUnknown);
            return r;
        }
        r.error = failure(q.lastError());
        return r;
    }
    r.ok = true;
    r.rowsAffected = q.numRowsAffected();
    return r;
}

bool DbConnection::query(const QString& jetSql, QSqlQuery& q, ErrInfo* error)
{
    return query(jetSql, {}, q, error);
}

bool DbConnection::query(const QString& jetSql, const QVariantList& values, QSqlQuery& q, ErrInfo* error)
{
    // A read cut off outside a unit runs again on the restored connection; anything else is the unit's.
    const bool read = jetSql.trimmed().startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive);
    for (int round = 0;; ++round) {
        if (!usable(error))
            return false;
        if (m_fault) {
            if (auto injected = m_fault(jetSql)) {
                if (error)
                    *error = *injected;
                return false;
            }
        }
        if (holdsUnusableChar(jetSql)) {
            if (error)
                *error = {DbErr::kUnusableText, UnusableTextMessage()};
            return false;
        }
        if (isServer() && !IsSingleStatement(jetSql)) {
            if (error)
                *error = {DbErr::kSyntax, QStringLiteral("한 번에 한 문장만 실행할 수 있습니다.")};
            return false;
        }
        q = QSqlQuery(database());
        q.setForwardOnly(true);
        bool done = false;
        if (values.isEmpty()) {
            done = q.exec(m_dialect->translate(jetSql));
        } else if (q.prepare(m_dialect->translate(jetSql))) {
            for (const QVariant& v : values)
                q.addBindValue(v);
            done = q.exec();
        }
        if (done)
            return true;
        if (isLoss(q.lastError())) {
            noteLoss(m_lastNotice.isEmpty() ? oneLine(q.lastError().text()) : m_lastNotice);
            if (read && m_depth == 0 && round == 0)
                continue;
            m_cut = true;
            m_outcomeUnknown = m_depth == 0 && !read;
            if (error)
                *error = lostError(m_outcomeUnknown);
            return false;
        }
        const ErrInfo info = failure(q.lastError());
        if (error)
            *error = info;
        return false;
    }
}

bool DbConnection::queryTexts(const QString& jetSql, QStringList& texts, ErrInfo* error)
{
    const QVariant handle = isOpen() ? database().driver()->handle() : QVariant();
    sqlite3* h = handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
                     ? *static_cast<sqlite3* const*>(handle.data())
                     : nullptr;
    if (!h || m_fault || holdsUnusableChar(jetSql)) {
        const qsizetype kept = texts.size();
        for (int round = 0;; ++round) {
            QSqlQuery q;
            if (!query(jetSql, q, error))
                return false;
            while (q.next())
                texts << q.value(0).toString();
            if (!q.lastError().isValid())
                return true;
            // The rows stopped coming: a server's connection broke off in the middle of them.
            texts.resize(kept);
            if (!readFailed(q.lastError(), error) || round > 0)
                return false;
        }
    }
    const QByteArray sql = m_dialect->translate(jetSql).toUtf8();
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &st, nullptr);
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
            texts << QString::fromUtf8(text, sqlite3_column_bytes(st, 0));
        }
    }
    if (rc != SQLITE_DONE && error)
        *error = {rc, QString::fromUtf8(sqlite3_errmsg(h))};
    sqlite3_finalize(st);
    return rc == SQLITE_DONE;
}

namespace {
// A COPY field's backslash escapes undone in place; the view of what is left.
QByteArrayView unescapeCopyField(char* field, qsizetype n)
{
    char* out = field;
    for (qsizetype i = 0; i < n; ++i) {
        char c = field[i];
        if (c == '\\' && i + 1 < n) {
            c = field[++i];
            static constexpr char kNamed[] = "bfnrtv", kMeant[] = "\b\f\n\r\t\v";
            if (const char* named = c ? std::strchr(kNamed, c) : nullptr) {
                c = kMeant[named - kNamed];
            } else if (c == 'x') {
                int v = 0, digits = 0;
                for (; digits < 2 && i + 1 < n && std::isxdigit(uchar(field[i + 1])); ++digits)
                    v = v * 16 + QByteArrayView("0123456789abcdef").indexOf(char(std::tolower(field[++i])));
                c = digits ? char(v) : 'x';
            } else if (c >= '0' && c <= '7') {
                int v = c - '0';
                for (int digits = 1; digits < 3 && i + 1 < n && field[i + 1] >= '0' && field[i + 1] <= '7';
                     ++digits)
                    v = v * 8 + (field[++i] - '0');
                c = char(v);
            }
        }
        *out++ = c;
    }
    return QByteArrayView(field, out - field);
}

// A COPY text row split in place into its fields: tabs between them, "\N" for NULL (a null view).
void splitCopyRow(char* p, qsizetype n, std::vector<QByteArrayView>& fields)
{
    fields.clear();
    if (n > 0 && p[n - 1] == '\n')
        --n;
    char* const end = p + n;
    for (char* field = p;;) {
        char* tab = static_cast<char*>(std::memchr(field, '\t', size_t(end - field)));
        char* stop = tab ? tab : end;
        const qsizetype size = stop - field;
        if (size == 2 && field[0] == '\\' && field[1] == 'N')
            fields.push_back(QByteArrayView());
        else if (std::memchr(field, '\\', size_t(size)))
            fields.push_back(unescapeCopyField(field, size));
        else
            fields.push_back(QByteArrayView(field, size));
        if (!tab)
            break;
        field = tab + 1;
    }
}
} // namespace

sqlite3* DbConnection::openReaderBeside() const
{
    if (!isOpen() || isServer() || !QFileInfo(m_path).isFile())
        return nullptr;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(m_path).constData(), &db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, SqliteDialect::kBusyTimeoutMs);
    return db;
}

qint64 DbConnection::CopyWon(QByteArrayView v)
{
    qsizetype i = 0;
    const bool negative = !v.isEmpty() && v[0] == '-';
    if (!v.isEmpty() && (v[0] == '-' || v[0] == '+'))
        ++i;
    qint64 whole = 0;
    for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i)
        whole = whole * 10 + (v[i] - '0');
    if (i + 1 < v.size() && v[i] == '.' && v[i + 1] >= '5' && v[i + 1] <= '9')
        ++whole;
    return negative ? -whole : whole;
}

bool DbConnection::copyRows(const QString& jetSql, const CopyRow& onRow, ErrInfo* error)
{
    ErrInfo ignored;
    ErrInfo& e = error ? *error : ignored;
    e = {};
    if (!usable(&e))
        return false;
    if (!isServer()) {
        e = {DbErr::kUnspecified, QStringLiteral("서버의 자료만 이렇게 읽을 수 있습니다.")};
        return false;
    }
    if (m_fault) {
        if (auto injected = m_fault(jetSql)) {
            e = *injected;
            return false;
        }
    }
    if (holdsUnusableChar(jetSql)) {
        e = {DbErr::kUnusableText, UnusableTextMessage()};
        return false;
    }
    if (!IsSingleStatement(jetSql)) {
        e = {DbErr::kSyntax, QStringLiteral("한 번에 한 문장만 실행할 수 있습니다.")};
        return false;
    }
    auto* c = static_cast<PGconn*>(serverHandle());
    if (!c) {
        e = {91, QStringLiteral("데이터베이스가 열려 있지 않습니다.")};
        return false;
    }
    const auto resultError = [this](const PGresult* r) {
        return failure(QSqlError(QString(), QString::fromUtf8(PQresultErrorMessage(r)).trimmed(),
                                 QSqlError::StatementError,
                                 QString::fromUtf8(PQresultErrorField(r, PG_DIAG_SQLSTATE))));
    };
    const QByteArray sql = "COPY (" + m_dialect->translate(jetSql).toUtf8() + ") TO STDOUT";
    bool ok = true, stopped = false;
    PGresult* started = PQexec(c, sql.constData());
    if (PQresultStatus(started) == PGRES_COPY_OUT) {
        std::vector<QByteArrayView> fields;
        char* row = nullptr;
        int n;
        while ((n = PQgetCopyData(c, &row, 0)) >= 0) {
            if (!stopped) {
                splitCopyRow(row, n, fields);
                stopped = !onRow(fields);
                // The rest is not wanted: the server stops sending. Inside a transaction the rows run out
                // instead, as a cancelled statement would leave the transaction failed.
                if (stopped && m_depth == 0) {
                    if (PGcancel* cancel = PQgetCancel(c)) {
                        char why[256];
                        PQcancel(cancel, why, int(sizeof why));
                        PQfreeCancel(cancel);
                    }
                }
            }
            PQfreemem(row);
        }
    } else {
        ok = false;
        e = resultError(started);
    }
    PQclear(started);
    while (PGresult* r = PQgetResult(c)) {
        if (ok && !stopped && PQresultStatus(r) != PGRES_COMMAND_OK) {
            ok = false;
            e = resultError(r);
        }
        PQclear(r);
    }
    if (!ok && PQstatus(c) != CONNECTION_OK) {
        noteLoss(m_lastNotice.isEmpty() ? oneLine(QString::fromUtf8(PQerrorMessage(c))) : m_lastNotice);
        if (m_depth > 0)
            m_cut = true;
        e = lostError(false);
    }
    if (stopped)
        e = {};
    return ok && !stopped;
}

bool DbConnection::runRaw(const QString& sql, ErrInfo* error)
{
    QSqlQuery q(database());
    if (!q.exec(sql)) {
        if (isLoss(q.lastError())) {
            noteLoss(m_lastNotice.isEmpty() ? oneLine(q.lastError().text()) : m_lastNotice);
            if (error)
                *error = lostError(false);
            return false;
        }
        const ErrInfo info = failure(q.lastError());
        if (error)
            *error = info;
        return false;
    }
    return true;
}

bool DbConnection::beginTrans(ErrInfo* error)
{
    if (m_depth == 0) {
        for (int round = 0;; ++round) {
            if (!usable(error))
                return false;
            if (runRaw(m_dialect->beginTransactionSql(), error))
                break;
            // Nothing was done yet: a connection found broken at the first statement is restored and the
            // unit starts on the new one.
            if (!m_lost || round > 0)
                return false;
        }
        m_doomed = false;
    }
    ++m_depth;
    return true;
}

bool DbConnection::commitTrans(ErrInfo* error)
{
    if (m_depth <= 0)
        return false;
    if (--m_depth > 0)
        return !m_doomed;
    bool ok = true;
    if (isServer() && !m_lost)
        probeIdle();
    if (m_doomed) {
        if (!m_lost)
            runRaw(QStringLiteral("ROLLBACK"), nullptr);
        m_doomed = false;
        if (error)
            *error = {DbErr::kUnspecified, QStringLiteral("트랜잭션이 취소되었습니다.")};
        ok = false;
    } else if (m_lost) {
        // The session ended before the COMMIT went out: the server has rolled the unit back.
        m_cut = true;
        if (error)
            *error = lostError(false);
        ok = false;
    } else if (!runRaw(QStringLiteral("COMMIT"), error)) {
        if (m_lost) {
            // The COMMIT went out and its answer did not come back: the unit may have been committed.
            m_cut = true;
            m_outcomeUnknown = true;
            if (error)
                *error = lostError(true);
        } else {
            runRaw(QStringLiteral("ROLLBACK"), nullptr);
        }
        ok = false;
    }
    runDeferred();
    return ok;
}

void DbConnection::rollbackTrans()
{
    if (m_depth <= 0)
        return;
    if (--m_depth > 0) {
        m_doomed = true;
        return;
    }
    if (!m_lost)
        runRaw(QStringLiteral("ROLLBACK"), nullptr);
    m_doomed = false;
    runDeferred();
}

void DbConnection::whenUnlocked(std::function<void()> action)
{
    if (m_depth > 0)
        m_deferred.push_back(std::move(action));
    else if (!(m_cut && m_unitDepth > 0)) // a cut unit's messages are about the broken connection
        action();
}

void DbConnection::runDeferred()
{
    // An action may open a transaction of its own and defer again: take the list first.
    std::vector<std::function<void()>> actions;
    actions.swap(m_deferred);
    if (m_conflict && m_retryFollows)
        return; // the unit runs again; its failure messages are not the operator's business yet
    if (m_cut && m_unitDepth > 0)
        return; // the unit runs again, or RetryOnConflict tells what became of it
    for (auto& action : actions)
        action();
}

DbTransaction::DbTransaction(DbConnection& conn) : m_conn(conn)
{
    m_active = m_conn.beginTrans(&m_error);
}

DbTransaction::~DbTransaction()
{
    if (m_active)
        m_conn.rollbackTrans();
}

bool DbTransaction::commit()
{
    if (!m_active)
        return false;
    m_active = false;
    return m_conn.commitTrans(&m_error);
}

void DbTransaction::rollback()
{
    if (!m_active)
        return;
    m_active = false;
    m_conn.rollbackTrans();
}
