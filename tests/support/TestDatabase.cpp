#include "support/TestDatabase.h"

#include "db/DbConnection.h"
#include "db/MduAdoDB.h"
#include "db/Schema.h"
#include "db/ServerAddress.h"
#include "db/ServerSchema.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <cstdio>
#include <cstdlib>

namespace {
QString serverUrl()
{
    const QString url = qEnvironmentVariable("ZELKOVA_TEST_SERVER");
    if (!url.isEmpty())
        return url;
    if (!qEnvironmentVariableIsEmpty("CI"))
        qFatal("ZELKOVA_TEST_SERVER is not set: the server runs need the test cluster");
    std::fprintf(stderr, "SKIP: no test server (set ZELKOVA_TEST_SERVER, see scripts/pg-cluster.sh)\n");
    std::exit(77);
}

// Runs one statement on the server's maintenance database.
void admin(const ServerAddress& a, const QString& sql)
{
    DbConnection conn;
    ErrInfo e;
    if (!conn.open(a.withDatabase(QStringLiteral("postgres")), false, &e))
        qFatal("test server: %s", qPrintable(e.description));
    QSqlQuery q(conn.database());
    if (!q.exec(sql))
        qFatal("test server: %s — %s", qPrintable(q.lastError().text()), qPrintable(sql));
}
} // namespace

namespace TestDatabase {
bool OnServer()
{
    return qEnvironmentVariable("ZELKOVA_TEST_ENGINE") == QLatin1String("server");
}

QString MainLocation(const QString& mainFile)
{
    if (!OnServer())
        return mainFile;
    ServerAddress base;
    QString error;
    if (!ServerAddress::Parse(serverUrl(), &base, &error))
        qFatal("ZELKOVA_TEST_SERVER: %s", qPrintable(error));
    const QString prefix = QStringLiteral("zk_t%1_").arg(QCoreApplication::applicationPid());
    static int made = 0;
    static ServerAddress cleanupBase;
    const QString layout = prefix + QStringLiteral("layout");
    if (made == 0) {
        admin(base, QStringLiteral("DROP DATABASE IF EXISTS ") + layout);
        if (!ServerSchema::CreateDatabase(base.withDatabase(layout), &error))
            qFatal("test server: %s", qPrintable(error));
        // The cluster keeps nothing of a finished test program.
        cleanupBase = base;
        qAddPostRoutine([] {
            const QString p = QStringLiteral("zk_t%1_").arg(QCoreApplication::applicationPid());
            admin(cleanupBase, QStringLiteral("DROP DATABASE IF EXISTS %1%2 WITH (FORCE)").arg(p).arg(made));
            admin(cleanupBase, QStringLiteral("DROP DATABASE IF EXISTS %1layout WITH (FORCE)").arg(p));
        });
    } else {
        // The previous fixture's database is closed by now; the cluster keeps only the one in use.
        admin(base, QStringLiteral("DROP DATABASE IF EXISTS %1%2 WITH (FORCE)").arg(prefix).arg(made));
    }
    const QString name = prefix + QString::number(++made);
    admin(base, QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(name, layout));
    return base.withDatabase(name);
}

QString MainSnapshot()
{
    QString out;
    for (const Schema::Table& t : Schema::MainTables()) {
        QStringList order;
        for (size_t i = 1; i <= t.columns.size(); ++i)
            order << QString::number(i);
        QSqlQuery q(gMainConn.database());
        if (!q.exec(QStringLiteral("SELECT * FROM ") + t.name + QStringLiteral(" ORDER BY ") +
                    order.join(QLatin1Char(','))))
            qFatal("snapshot: %s", qPrintable(q.lastError().text()));
        out += t.name + QLatin1Char('\n');
        while (q.next()) {
            QStringList values;
            for (int i = 0; i < q.record().count(); ++i)
                values << q.value(i).toString();
            out += values.join(QLatin1Char('|')) + QLatin1Char('\n');
        }
    }
    return out;
}
} // namespace TestDatabase
