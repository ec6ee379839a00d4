#include "db/DbCheck.h"

#include "db/Schema.h"
#include "db/ServerAddress.h"
#include "db/ServerSchema.h"
#include "ui/MsgBox.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QStorageInfo>
#include <QUrl>
#include <QUuid>
#include <QVariant>

#include <sqlite3.h>

namespace DbCheck {
namespace {
constexpr int kHeaderSize = 100;

quint32 bigEndian(const QByteArray& bytes, int at, int width)
{
    quint32 v = 0;
    for (int i = 0; i < width; ++i)
        v = (v << 8) | quint8(bytes.at(at + i));
    return v;
}

bool walInUse(const QString& file)
{
    return QFileInfo(file + QStringLiteral("-wal")).size() > 0;
}

// The first page's header tells whether this is an SQLite file and how long it must be.
Fault checkHeader(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return QFileInfo::exists(file) ? Fault::Unreadable : Fault::Missing;
    const QByteArray header = f.read(kHeaderSize);
    const qint64 size = f.size();
    if (header.size() < kHeaderSize || !header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return Fault::NotDatabase;
    quint32 pageSize = bigEndian(header, 16, 2);
    if (pageSize == 1)
        pageSize = 65536;
    if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0)
        return Fault::Damaged;
    // While a write-ahead log holds pages the file itself may lag behind its header; the log wins then.
    if (walInUse(file))
        return Fault::None;
    const bool countValid = bigEndian(header, 24, 4) == bigEndian(header, 92, 4);
    const qint64 pages = bigEndian(header, 28, 4);
    if (size % pageSize != 0 || (countValid && pages > 0 && size < pages * qint64(pageSize)))
        return Fault::Damaged;
    return Fault::None;
}

// A read-only engine connection that can neither create the file nor its journal files: without a live
// write-ahead log nobody is writing, and the file is read as it lies.
class ReadOnlyConnection
{
public:
    explicit ReadOnlyConnection(const QString& file)
        : m_name(QStringLiteral("zk_check_") + QUuid::createUuid().toString(QUuid::Id128))
    {
        QString uri = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()).toString(QUrl::FullyEncoded) +
                      QStringLiteral("?mode=ro");
        if (!QFileInfo::exists(file + QStringLiteral("-wal")))
            uri += QStringLiteral("&immutable=1");
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        m_db.setDatabaseName(uri);
        m_db.setConnectOptions(
            QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=15000"));
        m_open = m_db.open();
    }
    ~ReadOnlyConnection()
    {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    bool isOpen() const { return m_open; }
    QSqlDatabase& db() { return m_db; }

private:
    QString m_name;
    QSqlDatabase m_db;
    bool m_open = false;
};

Result fault(Fault f, const QString& path, int version = 0)
{
    return {f, path, version, {}};
}

// The server's faults are told in its own terms: no file to restore, the upgrade names the address.
QString serverMessage(const Result& r)
{
    const QString where = QStringLiteral("서버 데이터베이스: ") + r.path;
    switch (r.fault) {
    case Fault::OlderSchema:
        return QStringLiteral("서버의 메인 데이터베이스가 이전 버전의 구조(버전 %1)입니다.").arg(r.version) +
               kCrLf + QStringLiteral("모든 자리의 프로그램을 끈 뒤 다음을 실행하고 다시 시작하세요:") +
               kCrLf + QStringLiteral("zelkova-db upgrade ") + r.path;
    case Fault::NewerSchema:
        return QStringLiteral("서버의 메인 데이터베이스가 새 버전 프로그램의 구조(버전 %1)입니다.")
                   .arg(r.version) +
               kCrLf + QStringLiteral("프로그램을 새 버전으로 바꾸세요.") + kCrLf + where;
    case Fault::NotOurs:
        return QStringLiteral("서버의 데이터베이스가 이 프로그램의 데이터베이스가 아닙니다.") + kCrLf +
               QStringLiteral("네트워크 설정의 서버 주소를 확인하세요.") + kCrLf + where;
    default:
        return QStringLiteral("서버의 메인 데이터베이스를 읽을 수 없습니다.") + kCrLf +
               QStringLiteral("원인: ") + r.cause + kCrLf + where;
    }
}
} // namespace

Result CheckFolder(const QString& folder)
{
    // A folder that is not there has its own message earlier in the start.
    const QFileInfo info(folder);
    if (!info.isDir())
        return {};
    if (!info.isWritable())
        return fault(Fault::ReadOnlyFolder, folder);
    const QStorageInfo storage(folder);
    if (storage.isValid() && storage.isReadOnly())
        return fault(Fault::ReadOnlyFolder, folder);
    if (storage.isValid() && storage.bytesAvailable() >= 0 && storage.bytesAvailable() < kMinFreeBytes)
        return fault(Fault::DiskFull, folder);
    return {};
}

Result CheckMainFile(const QString& file)
{
    if (!QFileInfo(file).isFile())
        return fault(Fault::Missing, file);
    if (const Fault f = checkHeader(file); f != Fault::None)
        return fault(f, file);
    int version = 0;
    {
        ReadOnlyConnection conn(file);
        if (!conn.isOpen())
            return fault(Fault::Damaged, file);
        QSqlQuery q(conn.db());
        if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
            return fault(Fault::Damaged, file);
        QSet<QString> present;
        while (q.next())
            present.insert(q.value(0).toString());
        int missing = 0;
        for (const Schema::Table& t : Schema::MainTables())
            missing += present.contains(t.name) ? 0 : 1;
        if (missing == int(Schema::MainTables().size()))
            return fault(Fault::NotOurs, file);
        if (missing > 0)
            return fault(Fault::Damaged, file);
        if (present.contains(QStringLiteral("zk_schema"))) {
            if (!q.exec(QStringLiteral("SELECT version FROM zk_schema")))
                return fault(Fault::Damaged, file);
            version = q.next() ? q.value(0).toInt() : 0;
        }
    }
    if (version < Schema::kCurrentVersion)
        return fault(Fault::OlderSchema, file, version);
    if (version > Schema::kCurrentVersion)
        return fault(Fault::NewerSchema, file, version);
    if (!QFileInfo(file).isWritable())
        return fault(Fault::ReadOnlyFile, file);
    return {};
}

Result CheckIntegrity(const QString& file, bool thorough, const std::atomic<bool>* stop)
{
    ReadOnlyConnection conn(file);
    if (!conn.isOpen())
        return fault(Fault::Damaged, file);
    if (stop) {
        const QVariant handle = conn.db().driver()->handle();
        if (sqlite3* db = handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
                              ? *static_cast<sqlite3* const*>(handle.data())
                              : nullptr)
            sqlite3_progress_handler(
                db, 10000,
                [](void* flag) { return static_cast<const std::atomic<bool>*>(flag)->load() ? 1 : 0; },
                const_cast<std::atomic<bool>*>(stop));
    }
    QSqlQuery q(conn.db());
    const QString pragma =
        thorough ? QStringLiteral("PRAGMA integrity_check(1)") : QStringLiteral("PRAGMA quick_check(1)");
    if (!q.exec(pragma) || !q.next() || q.value(0).toString() != QLatin1String("ok"))
        return fault(Fault::Damaged, file);
    return {};
}

Result CheckServer(const QString& address)
{
    QString error;
    const int version = ServerSchema::StoredVersion(address, &error);
    Result r = fault(Fault::None, address, version);
    if (version < 0) {
        r.fault = Fault::Unreadable;
        r.cause = error;
    } else if (version == 0) {
        r.fault = Fault::NotOurs;
    } else if (version < Schema::kCurrentVersion) {
        r.fault = Fault::OlderSchema;
    } else if (version > Schema::kCurrentVersion) {
        r.fault = Fault::NewerSchema;
    }
    return r;
}

QString Message(const Result& r)
{
    if (!r.ok() && ServerAddress::IsServerAddress(r.path))
        return serverMessage(r);
    QString first, second;
    switch (r.fault) {
    case Fault::None:
        return {};
    case Fault::Missing:
        first = QStringLiteral("메인DB파일이 없어졌거나 옮겨졌습니다.");
        second = QStringLiteral("메인DB파일을 확인하세요.");
        break;
    case Fault::NotDatabase:
        first = QStringLiteral("메인DB파일이 데이터베이스 파일이 아닙니다(빈 파일이거나 다른 형식의 파일).");
        second = QStringLiteral("백업해 둔 메인DB파일로 복원하세요.");
        break;
    case Fault::NotOurs:
        first = QStringLiteral("메인DB파일이 이 프로그램의 데이터베이스가 아닙니다.");
        second = QStringLiteral("메인DB파일을 확인하세요.");
        break;
    case Fault::Damaged:
        first = QStringLiteral("메인DB파일이 손상되었습니다.");
        second = QStringLiteral("백업해 둔 메인DB파일로 복원하세요.");
        break;
    case Fault::OlderSchema:
        first = QStringLiteral("메인DB파일이 이전 버전의 구조(버전 %1)입니다.").arg(r.version);
        second = QStringLiteral("zelkova-db upgrade 명령으로 구조를 올린 뒤 다시 시작하세요.");
        break;
    case Fault::NewerSchema:
        first = QStringLiteral("메인DB파일이 새 버전 프로그램의 구조(버전 %1)입니다.").arg(r.version);
        second = QStringLiteral("프로그램을 새 버전으로 바꾸세요.");
        break;
    case Fault::Unreadable:
        first = QStringLiteral("메인DB파일을 읽을 수 없습니다.");
        second = QStringLiteral("파일의 읽기 권한을 확인하세요.");
        break;
    case Fault::ReadOnlyFile:
        first = QStringLiteral("메인DB파일에 쓸 수 없습니다(읽기 전용).");
        second = QStringLiteral("파일의 쓰기 권한을 확인하세요.");
        break;
    case Fault::ReadOnlyFolder:
        first = QStringLiteral("폴더에 쓸 수 없습니다(읽기 전용).");
        second = QStringLiteral("폴더의 쓰기 권한을 확인하세요.");
        break;
    case Fault::DiskFull:
        first = QStringLiteral("디스크 공간이 부족합니다.");
        second = QStringLiteral("디스크 공간을 확보한 뒤 다시 시작하세요.");
        break;
    }
    return first + kCrLf + second + kCrLf + r.path;
}

QString Title(const Result& r)
{
    if (ServerAddress::IsServerAddress(r.path))
        return QStringLiteral("서버 데이터베이스 오류");
    return r.fault == Fault::ReadOnlyFolder || r.fault == Fault::DiskFull ? QStringLiteral("파일 경로 오류")
                                                                          : QStringLiteral("파일 오류");
}
} // namespace DbCheck
