#include "ui/ErrorText.h"

#include <QStringList>

#include <array>
#include <utility>

namespace {
using Kind = ErrorMeaning::Kind;

struct Words
{
    Kind kind;
    QString description;
    QString advice;
};

const Words& wordsOf(Kind kind)
{
    static const std::array<Words, 20> table{{
        {Kind::Unknown, {}, QStringLiteral("다시 해 보고, 계속되면 관리자에게 알리세요.")},
        {Kind::ConnectionLost, QStringLiteral("데이터베이스 서버와의 연결이 끊어졌습니다."),
         QStringLiteral("잠시 후 다시 하고, 계속되면 서버 관리자에게 알리세요.")},
        {Kind::ServerUnreachable, QStringLiteral("데이터베이스 서버에 연결할 수 없습니다."),
         QStringLiteral("서버가 켜져 있는지, 네트워크 설정의 서버 주소가 맞는지 확인한 뒤 다시 하세요.")},
        {Kind::Damaged, QStringLiteral("데이터베이스 파일이 손상되었습니다."),
         QStringLiteral("프로그램을 끝내고 관리자에게 알리세요. 최근 백업은 파일 메뉴의 "
                        "'데이터 가져오기'로 복구할 수 있습니다.")},
        {Kind::DiskFull, QStringLiteral("디스크 공간이 모자라 자료를 쓰지 못했습니다."),
         QStringLiteral("디스크의 빈 공간을 늘린 뒤 다시 하세요.")},
        {Kind::InputOutput,
         QStringLiteral("디스크나 네트워크에서 자료를 읽거나 쓰지 못했습니다(입출력 오류)."),
         QStringLiteral("디스크와 네트워크 연결을 확인한 뒤 다시 하세요.")},
        {Kind::CannotOpen, QStringLiteral("데이터베이스 파일을 열 수 없습니다."),
         QStringLiteral("파일이 있는지, 그 폴더에 읽고 쓸 권한이 있는지 확인하세요.")},
        {Kind::ReadOnly, QStringLiteral("데이터베이스가 읽기 전용이어서 자료를 쓸 수 없습니다."),
         QStringLiteral("파일과 폴더의 쓰기 권한을 확인하거나 관리자에게 알리세요.")},
        {Kind::NoPermission, QStringLiteral("권한이 없어 처리하지 못했습니다."),
         QStringLiteral("파일이나 서버의 사용 권한을 관리자에게 확인하세요.")},
        {Kind::Busy, QStringLiteral("다른 자리에서 같은 자료를 쓰고 있어 처리하지 못했습니다."),
         QStringLiteral("잠시 후 다시 하세요.")},
        {Kind::Duplicate, QStringLiteral("같은 번호의 자료가 이미 있습니다."),
         QStringLiteral("목록을 새로 읽은 뒤 다시 하세요.")},
        {Kind::InUse, QStringLiteral("다른 자료가 이 자료를 가리키고 있어 처리할 수 없습니다."),
         QStringLiteral("연결된 자료(주문, 입금 등)를 먼저 정리한 뒤 다시 하세요.")},
        {Kind::MissingValue, QStringLiteral("꼭 있어야 할 값이 비어 있거나 맞지 않습니다."),
         QStringLiteral("입력한 값을 확인한 뒤 다시 하세요.")},
        {Kind::Command, QStringLiteral("데이터베이스가 프로그램의 명령을 처리하지 못했습니다."),
         QStringLiteral(
             "데이터베이스가 이 프로그램의 판과 맞는지 관리자에게 확인하세요(zelkova-db upgrade).")},
        {Kind::OutOfMemory, QStringLiteral("메모리가 모자랍니다."),
         QStringLiteral("다른 프로그램을 닫은 뒤 다시 하세요.")},
        {Kind::TooManySeats, QStringLiteral("데이터베이스 서버에 연결된 자리가 너무 많습니다."),
         QStringLiteral("잠시 후 다시 하고, 계속되면 서버 관리자에게 알리세요.")},
        {Kind::DamagedArchive, QStringLiteral("압축 파일이 손상되었거나 끝까지 쓰이지 않았습니다."),
         QStringLiteral("다른 백업 파일을 골라 다시 하세요.")},
        {Kind::NoSuchFile, QStringLiteral("파일이나 폴더가 없습니다."),
         QStringLiteral("경로를 확인한 뒤 다시 하세요.")},
        {Kind::NotOpen, QStringLiteral("데이터베이스가 열려 있지 않습니다."),
         QStringLiteral("잠시 후 다시 하고, 계속되면 프로그램을 다시 시작하세요.")},
    }};
    for (const Words& w : table)
        if (w.kind == kind)
            return w;
    return table[0];
}

// A server's SQLSTATE (five characters; its class is the first two).
Kind fromSqlState(const QString& state)
{
    const QString cls = state.left(2);
    if (state == QLatin1String("08001") || state == QLatin1String("08004") || state == QLatin1String("57P03"))
        return Kind::ServerUnreachable;
    if (cls == QLatin1String("08") || state == QLatin1String("57P01") || state == QLatin1String("57P02"))
        return Kind::ConnectionLost;
    if (state == QLatin1String("53100"))
        return Kind::DiskFull;
    if (state == QLatin1String("53200"))
        return Kind::OutOfMemory;
    if (state == QLatin1String("53300"))
        return Kind::TooManySeats;
    if (state == QLatin1String("58030"))
        return Kind::InputOutput;
    if (cls == QLatin1String("XX") && state != QLatin1String("XX000"))
        return Kind::Damaged;
    if (state == QLatin1String("25006"))
        return Kind::ReadOnly;
    if (state == QLatin1String("42501") || cls == QLatin1String("28"))
        return Kind::NoPermission;
    if (state == QLatin1String("3D000"))
        return Kind::CannotOpen;
    if (state == QLatin1String("40001") || state == QLatin1String("40P01") ||
        state == QLatin1String("55P03") || state == QLatin1String("57014"))
        return Kind::Busy;
    if (state == QLatin1String("23505"))
        return Kind::Duplicate;
    if (state == QLatin1String("23503"))
        return Kind::InUse;
    if (cls == QLatin1String("23") || cls == QLatin1String("22"))
        return Kind::MissingValue;
    if (cls == QLatin1String("42"))
        return Kind::Command;
    return Kind::Unknown;
}

// SQLite's result code, extended codes included (the primary code is the low byte).
Kind fromSqliteCode(int code)
{
    switch (code) {
    case 2067: // SQLITE_CONSTRAINT_UNIQUE
    case 1555: // SQLITE_CONSTRAINT_PRIMARYKEY
        return Kind::Duplicate;
    case 787: // SQLITE_CONSTRAINT_FOREIGNKEY
        return Kind::InUse;
    default:
        break;
    }
    switch (code & 0xff) {
    case 3:  // SQLITE_PERM
    case 23: // SQLITE_AUTH
        return Kind::NoPermission;
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return Kind::Busy;
    case 7: // SQLITE_NOMEM
        return Kind::OutOfMemory;
    case 8: // SQLITE_READONLY
        return Kind::ReadOnly;
    case 10: // SQLITE_IOERR
        return Kind::InputOutput;
    case 11: // SQLITE_CORRUPT
    case 26: // SQLITE_NOTADB
        return Kind::Damaged;
    case 13: // SQLITE_FULL
        return Kind::DiskFull;
    case 14: // SQLITE_CANTOPEN
        return Kind::CannotOpen;
    case 18: // SQLITE_TOOBIG
    case 19: // SQLITE_CONSTRAINT
    case 20: // SQLITE_MISMATCH
    case 25: // SQLITE_RANGE
        return Kind::MissingValue;
    default:
        return Kind::Unknown;
    }
}

// The fixed English words of the engines, libpq, libarchive and the C library; the first match wins, so
// the narrower phrases stand before the wider ones.
Kind fromText(const QString& text)
{
    static const std::pair<Kind, const char*> phrases[] = {
        {Kind::ConnectionLost, "terminating connection"},
        {Kind::ConnectionLost, "server closed the connection"},
        {Kind::ConnectionLost, "no connection to the server"},
        {Kind::ConnectionLost, "connection to server was lost"},
        {Kind::ConnectionLost, "could not send data to server"},
        {Kind::ConnectionLost, "could not receive data from server"},
        {Kind::ConnectionLost, "lost synchronization with server"},
        {Kind::ConnectionLost, "ssl syscall error"},
        {Kind::ConnectionLost, "database system is shutting down"},
        {Kind::ServerUnreachable, "database system is starting up"},
        {Kind::ServerUnreachable, "could not connect to server"},
        {Kind::ServerUnreachable, "is the server running"},
        {Kind::ServerUnreachable, "connection refused"},
        {Kind::ServerUnreachable, "could not translate host name"},
        {Kind::ServerUnreachable, "name or service not known"},
        {Kind::ServerUnreachable, "no route to host"},
        {Kind::ServerUnreachable, "timeout expired"},
        {Kind::TooManySeats, "too many clients"},
        {Kind::TooManySeats, "too many connections"},
        {Kind::TooManySeats, "remaining connection slots are reserved"},
        {Kind::NoPermission, "authentication failed"},
        {Kind::NoPermission, "pg_hba.conf"},
        {Kind::Damaged, "database disk image is malformed"},
        {Kind::Damaged, "is not a database"},
        {Kind::Damaged, "malformed database schema"},
        {Kind::Damaged, "invalid page in block"},
        {Kind::DiskFull, "database or disk is full"},
        {Kind::DiskFull, "no space left on device"},
        {Kind::DiskFull, "could not extend file"},
        {Kind::DiskFull, "disk full"},
        {Kind::InputOutput, "disk i/o error"},
        {Kind::InputOutput, "input/output error"},
        {Kind::CannotOpen, "unable to open database"},
        {Kind::ReadOnly, "readonly database"},
        {Kind::ReadOnly, "read-only transaction"},
        {Kind::ReadOnly, "read-only file system"},
        {Kind::Busy, "database is locked"},
        {Kind::Busy, "database table is locked"},
        {Kind::Busy, "could not serialize access"},
        {Kind::Busy, "deadlock detected"},
        {Kind::Busy, "could not obtain lock"},
        {Kind::Busy, "canceling statement due to"},
        {Kind::Duplicate, "unique constraint failed"},
        {Kind::Duplicate, "duplicate key value"},
        {Kind::InUse, "foreign key constraint"},
        {Kind::MissingValue, "not null constraint failed"},
        {Kind::MissingValue, "not-null constraint"},
        {Kind::MissingValue, "check constraint"},
        {Kind::MissingValue, "value too long"},
        {Kind::OutOfMemory, "out of memory"},
        {Kind::DamagedArchive, "decompression failed"},
        {Kind::DamagedArchive, "truncated"},
        {Kind::DamagedArchive, "unrecognized archive format"},
        {Kind::DamagedArchive, "damaged"},
        {Kind::NoPermission, "permission denied"},
        {Kind::NoSuchFile, "no such file or directory"},
    };
    const QString lower = text.toLower();
    // libpq names the failed connection first and the system's reason after it ("No such file or
    // directory" for a missing socket): the connection is what failed.
    if (lower.contains(QLatin1String("connection to server")) && lower.contains(QLatin1String("failed")))
        return Kind::ServerUnreachable;
    for (const auto& [kind, phrase] : phrases)
        if (lower.contains(QLatin1String(phrase)))
            return kind;
    if (lower.contains(QLatin1String("database \"")) && lower.contains(QLatin1String("does not exist")))
        return Kind::CannotOpen;
    static const char* const commandWords[] = {"syntax error", "no such table", "no such column",
                                               "does not exist"};
    for (const char* w : commandWords)
        if (lower.contains(QLatin1String(w)))
            return Kind::Command;
    return Kind::Unknown;
}
bool hasHangul(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0xAC00 && c.unicode() <= 0xD7A3)
            return true;
    return false;
}
} // namespace

ErrorMeaning DescribeError(const ErrInfo& error)
{
    Kind kind = error.number == 91 ? Kind::NotOpen : Kind::Unknown; // the connection is not open
    const QString native = error.native.trimmed();
    if (native.size() == 5)
        kind = fromSqlState(native.toUpper());
    else if (bool ok = false; !native.isEmpty()) {
        const int code = native.toInt(&ok);
        if (ok)
            kind = fromSqliteCode(code);
    }
    // The words may be more precise than a generic code (an engine error that only says "SQLITE_ERROR").
    if (kind == Kind::Unknown)
        kind = fromText(error.description);
    const Words& w = wordsOf(kind);
    ErrorMeaning m;
    m.kind = kind;
    m.description = w.description;
    m.advice = w.advice;
    // The program's own Korean refusals ("이 칸은 수정할 수 없습니다.") already say what to do.
    if (kind == Kind::Unknown && hasHangul(error.description))
        m.advice.clear();
    if (kind == Kind::ConnectionLost && (native == QLatin1String("57P01") ||
                                         error.description.contains(QLatin1String("administrator command"))))
        m.description = QStringLiteral("서버 관리자가 데이터베이스 서버를 다시 시작하거나 멈추어 연결이 "
                                       "끊어졌습니다.");
    return m;
}
