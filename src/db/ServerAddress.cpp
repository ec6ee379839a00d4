#include "db/ServerAddress.h"

#include <QSqlDatabase>
#include <QUrl>
#include <QUrlQuery>

#include <algorithm>

namespace {
// libpq keywords an address may carry besides host, port, dbname and user; a password is refused.
const QStringList kAllowedOptions = {
    QStringLiteral("sslmode"),    QStringLiteral("sslrootcert"),     QStringLiteral("sslcert"),
    QStringLiteral("sslkey"),     QStringLiteral("connect_timeout"), QStringLiteral("application_name"),
    QStringLiteral("service"),    QStringLiteral("passfile"),        QStringLiteral("target_session_attrs"),
    QStringLiteral("keepalives"), QStringLiteral("keepalives_idle"), QStringLiteral("gssencmode")};

QString quotedValue(const QString& v)
{
    QString out = v;
    out.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}
} // namespace

bool ServerAddress::IsServerAddress(const QString& location)
{
    const QString t = location.trimmed();
    return t.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           t.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

bool ServerAddress::Parse(const QString& location, ServerAddress* out, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = QStringLiteral("서버 주소를 쓸 수 없습니다: ") + why;
        return false;
    };
    if (!IsServerAddress(location))
        return fail(QStringLiteral("postgresql://서버:포트/데이터베이스 형식이 아닙니다."));
    const QUrl url(location.trimmed(), QUrl::StrictMode);
    if (!url.isValid())
        return fail(url.errorString());
    if (!url.password().isEmpty())
        return fail(QStringLiteral("암호는 주소에 넣지 말고 ~/.pgpass 파일에 두십시오."));
    ServerAddress a;
    a.m_host = url.host();
    a.m_user = url.userName();
    a.m_port = url.port(5432);
    if (a.m_port < 1 || a.m_port > 65535)
        return fail(QStringLiteral("포트 번호가 잘못되었습니다."));
    a.m_dbName = url.path().mid(1);
    if (a.m_dbName.contains(QLatin1Char('/')))
        return fail(QStringLiteral("데이터베이스 이름이 잘못되었습니다."));
    const QUrlQuery query(url);
    for (const auto& [key, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (key == QLatin1String("host")) {
            a.m_host = value;
        } else if (key == QLatin1String("port")) {
            bool ok = false;
            a.m_port = value.toInt(&ok);
            if (!ok || a.m_port < 1 || a.m_port > 65535)
                return fail(QStringLiteral("포트 번호가 잘못되었습니다."));
        } else if (key == QLatin1String("user")) {
            a.m_user = value;
        } else if (key == QLatin1String("dbname")) {
            a.m_dbName = value;
        } else if (kAllowedOptions.contains(key)) {
            a.m_options.append({key, value});
        } else {
            return fail(QStringLiteral("알 수 없는 설정 ") + key);
        }
    }
    if (a.m_dbName.isEmpty())
        return fail(QStringLiteral("데이터베이스 이름이 없습니다."));
    if (out)
        *out = a;
    return true;
}

QString ServerAddress::withDatabase(const QString& dbName) const
{
    const bool socket = m_host.isEmpty() || m_host.startsWith(QLatin1Char('/'));
    QUrlQuery query;
    if (socket && !m_host.isEmpty())
        query.addQueryItem(QStringLiteral("host"), m_host);
    query.addQueryItem(QStringLiteral("port"), QString::number(m_port));
    if (!m_user.isEmpty())
        query.addQueryItem(QStringLiteral("user"), m_user);
    for (const auto& [key, value] : m_options)
        query.addQueryItem(key, value);
    // Written out by hand: QUrl drops the empty authority of a socket address ("postgresql:///db").
    const QString host = socket ? QString() : QString::fromLatin1(QUrl::toAce(m_host));
    return QStringLiteral("postgresql://") + host + QLatin1Char('/') +
           QString::fromLatin1(QUrl::toPercentEncoding(dbName)) + QLatin1Char('?') +
           query.toString(QUrl::FullyEncoded);
}

QStringList ServerAddress::options() const
{
    QStringList out;
    for (const auto& [key, value] : m_options)
        out << key + QLatin1Char('=') + quotedValue(value);
    return out;
}

QString ServerAddress::describe() const
{
    return QStringLiteral("서버 %1, 포트 %2, 데이터베이스 %3")
        .arg(m_host.isEmpty() ? QStringLiteral("localhost") : m_host)
        .arg(m_port)
        .arg(m_dbName);
}

QString ServerAddress::connectionString() const
{
    QStringList parts;
    if (!m_host.isEmpty())
        parts << QStringLiteral("host=") + quotedValue(m_host);
    parts << QStringLiteral("port=%1").arg(m_port) << QStringLiteral("dbname=") + quotedValue(m_dbName);
    if (!m_user.isEmpty())
        parts << QStringLiteral("user=") + quotedValue(m_user);
    parts << options();
    return parts.join(QLatin1Char(' '));
}

void ServerAddress::applyTo(QSqlDatabase& db) const
{
    db.setHostName(m_host);
    db.setPort(m_port);
    db.setDatabaseName(m_dbName);
    db.setUserName(m_user);
    QStringList options = this->options();
    auto given = [this](const char* key) {
        return std::any_of(m_options.begin(), m_options.end(),
                           [key](const auto& o) { return o.first == QLatin1String(key); });
    };
    if (!given("application_name"))
        options << QStringLiteral("application_name=zelkova");
    // An unreachable host would otherwise hold the start for the system's own timeout, minutes long.
    if (!given("connect_timeout"))
        options << QStringLiteral("connect_timeout=10");
    db.setConnectOptions(options.join(QLatin1Char(';')));
}
