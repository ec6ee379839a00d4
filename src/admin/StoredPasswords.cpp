#include "admin/StoredPasswords.h"

#include "app/AppLog.h"
#include "db/DbError.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"
#include "db/modMain_SQL.h"

namespace StoredPasswords {

PasswordHash::LetterCase CaseOf(const QString& key)
{
    return key == kAdminKey ? PasswordHash::LetterCase::Ignored : PasswordHash::LetterCase::Exact;
}

std::optional<QString> Save(const QString& key, const QString& password)
{
    const QString stored = PasswordHash::Make(password, CaseOf(key));
    if (!SaveConfig(key, stored))
        return std::nullopt;
    return stored;
}

std::optional<QString> UpgradeClearText(const QString& key, Notices& found)
{
    QString stored;
    try {
        stored = NullToStr(
            GetFirstValue(QStringLiteral("SELECT 설정값 FROM 환경설정 WHERE 구분 = ") + SQLLiteral(key)));
    } catch (const DbException& e) {
        found.errorInfo(QStringLiteral("프로그램 수행도중 오류가 발생했습니다."), e.info());
        return std::nullopt;
    }
    return UpgradeClearText(key, stored);
}

QString UpgradeClearText(const QString& key, const QString& stored)
{
    if (stored.isEmpty() || PasswordHash::IsHashed(stored))
        return stored;
    const QString hashed = PasswordHash::Make(stored, CaseOf(key));
    return SaveConfig(key, hashed) ? hashed : stored;
}

QString Rehash(const QString& key, const QString& typed, const QString& stored)
{
    if (!PasswordHash::NeedsRehash(stored))
        return stored;
    const QString hashed = PasswordHash::Make(typed, CaseOf(key));
    // One conditional statement: a password another seat set in the meantime stays.
    const DbConnection::ExecResult r =
        gMainConn.exec(QStringLiteral("UPDATE 환경설정 SET 설정값 = ") + SQLLiteral(hashed) +
                       QStringLiteral(" WHERE 구분 = ") + SQLLiteral(key) + QStringLiteral(" AND 설정값 = ") +
                       SQLLiteral(stored));
    if (!r.ok) {
        AppLog::Write(QStringLiteral("오류"),
                      key + QStringLiteral(" 다시 저장하지 못함: ") + r.error.description);
        return stored;
    }
    if (r.rowsAffected != 1)
        return stored;
    AppLog::Write(QStringLiteral("암호"), key + QStringLiteral(" 새 방식으로 다시 저장함 (반복 ") +
                                              QString::number(PasswordHash::Iterations()) + QLatin1Char(')'));
    return hashed;
}

} // namespace StoredPasswords
