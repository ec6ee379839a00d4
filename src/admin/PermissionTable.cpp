#include "admin/PermissionTable.h"

#include "db/DbConnection.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"

namespace PermissionTable {

std::optional<QList<Entry>> Read()
{
    Recordset rs;
    if (OpenQuery(rs, QStringLiteral("SELECT 폼이름, 폼설명, 사용권한 FROM 보안설정 ORDER BY 폼설명")) < 0)
        return std::nullopt;
    QList<Entry> entries;
    for (rs.MoveFirst(); !rs.EOF_(); rs.MoveNext()) {
        bool number = false;
        const int level = rs.value(QStringLiteral("사용권한")).toInt(&number);
        // The gate treats every value but 0 as guarded, an unreadable one too; the list shows what it does.
        entries.append(
            {rs.text(QStringLiteral("폼이름")), rs.text(QStringLiteral("폼설명")), !number || level != 0});
    }
    return entries;
}

bool Write(const QList<Entry>& entries, ErrInfo* error)
{
    DbTransaction t(gMainConn);
    for (const Entry& e : entries) {
        const DbConnection::ExecResult r =
            gMainConn.exec(QStringLiteral("UPDATE 보안설정 SET 사용권한 = ") +
                           (e.adminOnly ? QStringLiteral("-1") : QStringLiteral("0")) +
                           QStringLiteral(" WHERE UCASE(폼이름) = ") + SQLLiteral(e.formName.toUpper()));
        if (!r.ok) {
            if (error)
                *error = r.error;
            t.rollback();
            return false;
        }
    }
    if (!t.commit()) {
        if (error)
            *error = t.error();
        t.rollback();
        return false;
    }
    return true;
}

} // namespace PermissionTable
