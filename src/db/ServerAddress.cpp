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

namespace {
int parsePort(const QString& text)
{
    bool ok = false;
    const int port = text.trimmed().toInt(&ok);
    return ok && port >= 1 && port <= 65535 ? port : 0;
}

// One host of the address's host list: a name, an address ([::1] for IPv6) or, percent-encoded, a socket
// folder; "" when it is none of them.
QString hostOf(const QString& text)
{
    const QString host = QUrl::fromPercentEncoding(text.toUtf8());
    if (host.startsWith(QLatin1Char('/')))
        return host;
    QUrl check;
    check.setHost(host, QUrl::StrictMode);
    return check.isValid() && !check.host().isEmpty() ? check.host() : QString();
}
} // namespace

bool ServerAddress::Parse(const QString& location, ServerAddress* out, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = QStringLiteral("서버 주소를 쓸 수 없습니다: ") + why;
        return false;
    };
    if (!IsServerAddress(location))
        return fail(QStringLiteral("postgresql://서버:포트/데이터베이스 형식이 아닙니다."));
    const QString text = location.trimmed();
    const qsizetype afterScheme = text.indexOf(QStringLiteral("://")) + 3;
    qsizetype authorityEnd = afterScheme;
    while (authorityEnd < text.size() && text.at(authorityEnd) != QLatin1Char('/') &&
           text.at(authorityEnd) != QLatin1Char('?'))
        ++authorityEnd;
    const QString authority = text.mid(afterScheme, authorityEnd - afterScheme);
    // The host list ("db1:5432,db2:5433") is no URL authority; the rest of the address is read as one.
    const QUrl url(QStringLiteral("postgresql://host") + text.mid(authorityEnd), QUrl::StrictMode);
    if (!url.isValid())
        return fail(url.errorString());
    ServerAddress a;
    QString hostList = authority;
    const qsizetype at = authority.lastIndexOf(QLatin1Char('@'));
    if (at >= 0) {
        const QString userInfo = authority.left(at);
        if (userInfo.contains(QLatin1Char(':')))
            return fail(QStringLiteral("암호는 주소에 넣지 말고 ~/.pgpass 파일에 두십시오."));
        a.m_user = QUrl::fromPercentEncoding(userInfo.toUtf8());
        hostList = authority.mid(at + 1);
    }
    QList<int> ports;
    bool anyPort = false;
    if (!hostList.isEmpty()) {
        for (const QString& item : hostList.split(QLatin1Char(','))) {
            QString host = item;
            QString port;
            const qsizetype bracket = item.indexOf(QLatin1Char(']'));
            const qsizetype colon = item.lastIndexOf(QLatin1Char(':'));
            if (colon > bracket) {
                host = item.left(colon);
                port = item.mid(colon + 1);
            }
            const QString parsed = hostOf(host);
            if (parsed.isEmpty())
                return fail(QStringLiteral("서버 이름이 잘못되었습니다: ") + item);
            a.m_hosts << parsed;
            ports << (port.isEmpty() ? 5432 : parsePort(port));
            anyPort = anyPort || !port.isEmpty();
            if (ports.last() == 0)
                return fail(QStringLiteral("포트 번호가 잘못되었습니다."));
        }
    }
    a.m_ports = anyPort ? ports : QList<int>{5432};
    a.m_dbName = QUrl::fromPercentEncoding(url.path(QUrl::FullyEncoded).mid(1).toUtf8());
    if (a.m_dbName.contains(QLatin1Char('/')))
        return fail(QStringLiteral("데이터베이스 이름이 잘못되었습니다."));
    const QUrlQuery query(url);
    for (const auto& [key, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (key == QLatin1String("host")) {
            a.m_hosts = value.split(QLatin1Char(','));
        } else if (key == QLatin1String("port")) {
            a.m_ports.clear();
            for (const QString& p : value.split(QLatin1Char(','))) {
                a.m_ports << parsePort(p);
                if (a.m_ports.last() == 0)
                    return fail(QStringLiteral("포트 번호가 잘못되었습니다."));
            }
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
    // libpq takes one port for every host or one port per host.
    if (a.m_ports.size() > 1 && a.m_ports.size() != qMax(qsizetype(1), a.m_hosts.size()))
        return fail(QStringLiteral("서버마다 포트를 하나씩 적거나 포트를 하나만 적으십시오."));
    if (a.m_dbName.isEmpty())
        return fail(QStringLiteral("데이터베이스 이름이 없습니다."));
    if (out)
        *out = a;
    return true;
}

QString ServerAddress::withDatabase(const QString& dbName) const
{
    const bool socket = m_hosts.isEmpty() || std::any_of(m_hosts.begin(), m_hosts.end(), [](const QString& h) {
                            return h.isEmpty() || h.startsWith(QLatin1Char('/'));
                        });
    QUrlQuery query;
    if (socket && !m_hosts.isEmpty())
        query.addQueryItem(QStringLiteral("host"), host());
    query.addQueryItem(QStringLiteral("port"), portList());
    if (!m_user.isEmpty())
        query.addQueryItem(QStringLiteral("user"), m_user);
    for (const auto& [key, value] : m_options)
        query.addQueryItem(key, value);
    // Written out by hand: QUrl drops the empty authority of a socket address ("postgresql:///db").
    QStringList hosts;
    if (!socket) {
        for (const QString& h : m_hosts)
            hosts << (h.contains(QLatin1Char(':')) ? QLatin1Char('[') + h + QLatin1Char(']')
                                                   : QString::fromLatin1(QUrl::toAce(h)));
    }
    return QStringLiteral("postgresql://") + hosts.join(QLatin1Char(',')) + QLatin1Char('/') +
           QString::fromLatin1(QUrl::toPercentEncoding(dbName)) + QLatin1Char('?') +
           query.toString(QUrl::FullyEncoded);
}

bool ServerAddress::onePort() const
{
    return std::all_of(m_ports.begin(), m_ports.end(), [this](int p) { return p == m_ports.value(0); });
}

QString ServerAddress::portList() const
{
    if (onePort())
        return QString::number(port());
    QStringList ports;
    for (int p : m_ports)
        ports << QString::number(p);
    return ports.join(QLatin1Char(','));
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
    if (m_hosts.size() > 1) {
        QStringList hosts;
        for (int i = 0; i < m_hosts.size(); ++i)
            hosts << m_hosts.at(i) + QLatin1Char(':') + QString::number(m_ports.value(m_ports.size() > 1 ? i : 0));
        return QStringLiteral("서버 %1, 데이터베이스 %2").arg(hosts.join(QStringLiteral(", ")), m_dbName);
    }
    return QStringLiteral("서버 %1, 포트 %2, 데이터베이스 %3")
        .arg(m_hosts.value(0).isEmpty() ? QStringLiteral("localhost") : m_hosts.value(0))
        .arg(port())
        .arg(m_dbName);
}

QString ServerAddress::connectionString() const
{
    QStringList parts;
    if (!m_hosts.isEmpty())
        parts << QStringLiteral("host=") + quotedValue(host());
    parts << QStringLiteral("port=") + quotedValue(portList()) << QStringLiteral("dbname=") + quotedValue(m_dbName);
    if (!m_user.isEmpty())
        parts << QStringLiteral("user=") + quotedValue(m_user);
    parts << options();
    return parts.join(QLatin1Char(' '));
}

void ServerAddress::applyTo(QSqlDatabase& db) const
{
    db.setHostName(host());
    db.setDatabaseName(m_dbName);
    db.setUserName(m_user);
    QStringList options = this->options();
    // The driver takes a single port number; a list goes in as libpq's own keyword.
    if (onePort())
        db.setPort(port());
    else
        options << QStringLiteral("port=") + quotedValue(portList());
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
