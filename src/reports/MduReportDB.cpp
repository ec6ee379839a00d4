#include "reports/MduReportDB.h"

#include "app/AppPaths.h"
#include "app/FileModes.h"
#include "app/Globals.h"
#include "db/DbCheck.h"
#include "db/DbError.h"
#include "db/MduAdoDB.h"
#include "db/Schema.h"
#include "db/modDBQuery.h"
#include "ui/Notice.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace {
const QString kModule = QStringLiteral("MduReportDB");
}

bool CreateRPTFile(Notices& found)
{
    const QString source = AppPaths::ProgramPath(Schema::kReportTemplate);
    if (!QFileInfo::exists(source)) {
        found.warning(QStringLiteral("원본 레포트DB파일이 없어졌거나 옮겨졌습니다.") + kCrLf +
                          QStringLiteral("원본 레포트DB파일을 확인하세요.") + kCrLf + source,
                      QStringLiteral("파일 오류"));
        return false;
    }
    CloseObject(gReportConn);
    const QString target = AppPaths::ProgramPath(Schema::kReportWorkCopy);
    // A copy left by a crashed run, with its journal files, is replaced as a whole.
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(target + suffix);
    const bool copied = QFile::copy(source, target);
    gReportDBFile = target;
    if (!copied || !QFileInfo::exists(target)) {
        // A full disk or a folder that turned read-only is named as such, not as a moved file.
        QFile::remove(target);
        if (const DbCheck::Result folder = DbCheck::CheckFolder(QFileInfo(target).path()); !folder.ok()) {
            found.warning(DbCheck::Message(folder), DbCheck::Title(folder));
            return false;
        }
        found.warning(QStringLiteral("레포트DB파일이 없어졌거나 옮겨졌습니다.") + kCrLf +
                          QStringLiteral("레포트DB파일을 확인하세요.") + kCrLf + target,
                      QStringLiteral("파일 오류"));
        return false;
    }
    // The copy takes the template's shared mode; the seat's ledger data is for its own user only.
    FileModes::MakePrivate(target);
    if (!OpenConnection(gReportConn, target, QString()))
        return false;
    // A throwaway file only this seat uses: nothing is worth waiting for the disk, and a crash loses only a
    // ledger rebuilt at the next start. The journal stays (in memory) so a failed build still rolls back.
    // The ledger writes its work table and reads it back in insertion order only: the template's index by
    // store and date would cost more than the rest of writing a year's rows, and no statement uses it.
    QSqlQuery q(gReportConn.database());
    // Its pages are written through the cache, and a year's ledger read back through a map would stay in
    // this process's memory. Emptying the work table frees its pages without overwriting and journalling
    // each (the file is this user's alone and removed at the end): the journal holds only the free list.
    for (const QString& pragma :
         {QStringLiteral("PRAGMA journal_mode = MEMORY"), QStringLiteral("PRAGMA synchronous = OFF"),
          QStringLiteral("PRAGMA mmap_size = 0"), QStringLiteral("PRAGMA secure_delete = OFF"),
          QStringLiteral("DROP INDEX IF EXISTS \"ix_매출대입금_1\"")}) {
        if (!q.exec(pragma)) {
            found.stdError(DbConnection::errorFrom(q.lastError()), QStringLiteral("CreateRPTFile"), kModule);
            CloseObject(gReportConn);
            return false;
        }
    }
    return true;
}

void CloseRPTFile()
{
    CloseObject(gReportConn);
    if (!gReportDBFile.isEmpty()) {
        for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(gReportDBFile + suffix);
    }
}

bool ClearTable(const QString& table, Notices& found)
{
    DbTransaction t(gReportConn);
    const DbConnection::ExecResult r = gReportConn.exec(QStringLiteral("DELETE * FROM ") + table);
    if (!r.ok || !t.commit()) {
        found.stdError(r.ok ? t.error() : r.error, QStringLiteral("ClearTable"), kModule);
        return false;
    }
    return true;
}

bool RPTUpdate_strcode(Notices& found, const QString& sql, const QString& table, const QString& field,
                       int valueIndex, const QString& keyField, int keyIndex, const QString& field2,
                       int value2Index)
{
    Recordset rs;
    if (!OpenRecordset(gMainConn, rs, sql))
        return false;
    DbTransaction t(gReportConn);
    for (rs.MoveFirst(); !rs.EOF_(); rs.MoveNext()) {
        QString stmt = QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ") + field +
                       QStringLiteral(" = ") + field + QStringLiteral("+") +
                       SqlNumber(rs.value(valueIndex).toDouble());
        if (!field2.isEmpty())
            stmt += QStringLiteral(", ") + field2 + QStringLiteral(" = ") + field2 + QStringLiteral("+") +
                    SqlNumber(rs.value(value2Index).toDouble());
        stmt += QStringLiteral(" WHERE ") + keyField + QStringLiteral(" = '") +
                SQLQuote(NullToStr(rs.value(keyIndex))) + QLatin1Char('\'');
        const DbConnection::ExecResult r = gReportConn.exec(stmt);
        if (!r.ok) {
            found.stdError(r.error, QStringLiteral("RPTUpdate_strcode"), kModule);
            return false;
        }
    }
    if (!t.commit()) {
        found.stdError(t.error(), QStringLiteral("RPTUpdate_strcode"), kModule);
        return false;
    }
    return true;
}
