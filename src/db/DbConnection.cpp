#include "db/DbConnection.h"

#include "db/DbError.h"
#include "db/ServerAddress.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUrl>

#include <sqlite3.h>

namespace {
QAtomicInt g_counter;

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

bool DbConnection::open(const QString& path, bool readOnly, ErrInfo* error)
{
    close();
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
            cause = cause.simplified(); // libpq breaks and indents its lines
            *error = {DbErr::kUnspecified,
                      QStringLiteral("데이터베이스 서버에 연결할 수 없습니다.\n%1\n원인: %2")
                          .arg(a.describe(), cause)};
        }
        forget(db);
        return false;
    }
    if (!prepare(db, error))
        return false;
    if (readOnly)
        runRaw(QStringLiteral("SET default_transaction_read_only = on"), nullptr);
    m_path = address.trimmed();
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
    if (!m_registered)
        return;
    m_registered = false;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen()) {
            if (m_depth > 0)
                db.rollback();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(m_name);
    m_depth = 0;
    m_path.clear();
}

bool DbConnection::isOpen() const
{
    return m_registered && QSqlDatabase::database(m_name, false).isOpen();
}

QSqlDatabase DbConnection::database() const
{
    return QSqlDatabase::database(m_name, false);
}

DbConnection::ExecResult DbConnection::exec(const QString& jetSql)
{
    ExecResult r;
    if (!isOpen()) {
        r.error = {91, QStringLiteral("데이터베이스가 열려 있지 않습니다.")};
        return r;
    }
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
        r.error = failure(q.lastError());
        return r;
    }
    r.ok = true;
    r.rowsAffected = q.numRowsAffected();
    return r;
}

bool DbConnection::query(const QString& jetSql, QSqlQuery& q, ErrInfo* error)
{
    if (!isOpen()) {
        if (error)
            *error = {91, QStringLiteral("데이터베이스가 열려 있지 않습니다.")};
        return false;
    }
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
    if (!q.exec(m_dialect->translate(jetSql))) {
        const ErrInfo info = failure(q.lastError());
        if (error)
            *error = info;
        return false;
    }
    return true;
}

bool DbConnection::queryTexts(const QString& jetSql, QStringList& texts, ErrInfo* error)
{
    const QVariant handle = isOpen() ? database().driver()->handle() : QVariant();
    sqlite3* h = handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
                     ? *static_cast<sqlite3* const*>(handle.data())
                     : nullptr;
    if (!h || m_fault || holdsUnusableChar(jetSql)) {
        QSqlQuery q;
        if (!query(jetSql, q, error))
            return false;
        while (q.next())
            texts << q.value(0).toString();
        return true;
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

bool DbConnection::runRaw(const QString& sql, ErrInfo* error)
{
    QSqlQuery q(database());
    if (!q.exec(sql)) {
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
        if (!isOpen()) {
            if (error)
                *error = {91, QStringLiteral("데이터베이스가 열려 있지 않습니다.")};
            return false;
        }
        if (!runRaw(m_dialect->beginTransactionSql(), error))
            return false;
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
    if (m_doomed) {
        runRaw(QStringLiteral("ROLLBACK"), nullptr);
        m_doomed = false;
        if (error)
            *error = {DbErr::kUnspecified, QStringLiteral("트랜잭션이 취소되었습니다.")};
        ok = false;
    } else if (!runRaw(QStringLiteral("COMMIT"), error)) {
        runRaw(QStringLiteral("ROLLBACK"), nullptr);
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
    runRaw(QStringLiteral("ROLLBACK"), nullptr);
    m_doomed = false;
    runDeferred();
}

void DbConnection::whenUnlocked(std::function<void()> action)
{
    if (m_depth == 0)
        action();
    else
        m_deferred.push_back(std::move(action));
}

void DbConnection::runDeferred()
{
    // An action may open a transaction of its own and defer again: take the list first.
    std::vector<std::function<void()>> actions;
    actions.swap(m_deferred);
    if (m_conflict && m_retryFollows)
        return; // the unit runs again; its failure messages are not the operator's business yet
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
