#include "admin/CompanyInfo.h"

#include "app/Clock.h"
#include "db/DbConnection.h"
#include "db/DbError.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"

#include <QSqlQuery>

namespace CompanyInfo {

const QStringList& Columns()
{
    static const QStringList columns{"상호명",   "대표자명", "사업자번호", "우편번호", "주소일반",
                                     "주소상세", "전화번호", "팩스번호",   "업태",     "종목"};
    return columns;
}

const QList<int>& MaxBytes()
{
    static const QList<int> limits{30, 20, 12, 7, 50, 20, 13, 13, 40, 40};
    return limits;
}

std::optional<QStringList> Read(ErrInfo* error)
{
    Recordset rs;
    QSqlQuery q;
    ErrInfo e;
    if (!gMainConn.query(QStringLiteral("SELECT ") + Columns().join(QStringLiteral(", ")) +
                             QStringLiteral(" FROM 사용자정보"),
                         q, &e)) {
        if (error)
            *error = e;
        return std::nullopt;
    }
    rs.load(q);
    QStringList values;
    for (const QString& column : Columns())
        values.append(rs.EOF_() ? QString() : rs.text(column));
    return values;
}

bool Save(const QStringList& values, ErrInfo* error)
{
    auto fail = [error](const ErrInfo& e) {
        if (error)
            *error = e;
        return false;
    };
    if (values.size() != Columns().size())
        return fail({0, QStringLiteral("company details: wrong number of values")});
    DbTransaction t(gMainConn);
    QStringList sets;
    for (int i = 0; i < Columns().size(); ++i)
        sets.append(Columns()[i] + QStringLiteral(" = ") + SQLLiteral(values[i]));
    sets.append(QStringLiteral("최종수정일 = ") +
                SQLLiteral(Clock::Now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));
    DbConnection::ExecResult r =
        gMainConn.exec(QStringLiteral("UPDATE 사용자정보 SET ") + sets.join(QStringLiteral(", ")));
    if (r.ok && r.rowsAffected == 0) {
        r = gMainConn.exec(QStringLiteral("INSERT INTO 사용자정보 (자료등록일자) VALUES (") +
                           SQLLiteral(Clock::Today().toString(QStringLiteral("yyyy-MM-dd"))) +
                           QLatin1Char(')'));
        if (r.ok)
            r = gMainConn.exec(QStringLiteral("UPDATE 사용자정보 SET ") + sets.join(QStringLiteral(", ")));
    }
    if (!r.ok || !t.commit()) {
        const ErrInfo e = r.ok ? t.error() : r.error;
        t.rollback();
        return fail(e);
    }
    return true;
}

} // namespace CompanyInfo
