#include "masters/StoreService.h"

#include "db/DbError.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"

#include <QSqlError>
#include <QSqlQuery>

namespace StoreService {

namespace {

Result failed(const ErrInfo& error)
{
    Result r;
    r.status = Status::Failed;
    r.error = error;
    return r;
}

Result with(Status status)
{
    Result r;
    r.status = status;
    return r;
}

// A delete the relationships refuse comes back as the engine's generic failure.
Result deleteOutcome(const DbConnection::ExecResult& e)
{
    if (!e.ok) {
        Result r = failed(e.error);
        if (e.error.number == DbErr::kUnspecified)
            r.status = Status::Linked;
        return r;
    }
    return with(e.rowsAffected > 0 ? Status::Done : Status::NotFound);
}

// Empty name or a second menu of that name in the store; Done when the name may be written.
Result checkMenuName(const QString& store, const QString& name, qint64 exceptMenu)
{
    if (name.isEmpty())
        return with(Status::EmptyName);
    QString condition = QStringLiteral("가맹점코드 = ") + SQLLiteral(store);
    if (exceptMenu > 0)
        condition =
            QStringLiteral("코드 <> ") + QString::number(exceptMenu) + QStringLiteral(" AND ") + condition;
    try {
        if (CheckDupValue(QStringLiteral("취급메뉴"), QStringLiteral("메뉴명"), name, condition, false,
                          QString()))
            return with(Status::DuplicateName);
    } catch (const DbException& e) {
        return failed(e.info());
    }
    return with(Status::Done);
}

const ErrInfo kAway{DbErr::kConnectionLost, QStringLiteral("데이터베이스 서버와의 연결이 끊어졌습니다.")};

// A unit's check after its connection broke off: count is Jet SQL counting the rows that show the work done.
UnitCheck<Result> checkOf(
    std::function<QString()> what, std::function<QString()> count, bool whenNone,
    std::function<Result()> saved = [] { return with(Status::Done); })
{
    UnitCheck<Result> check;
    check.what = std::move(what);
    check.storedSql = std::move(count);
    check.storedWhenNone = whenNone;
    check.saved = std::move(saved);
    check.givenUp = failed(kAway);
    return check;
}

QString countMenu(qint64 menu, const QString& extra = {})
{
    return QStringLiteral("SELECT COUNT(*) FROM 취급메뉴 WHERE 코드 = ") + QString::number(menu) + extra;
}

QString countHoliday(qint64 seq, const QString& extra = {})
{
    return QStringLiteral("SELECT COUNT(*) FROM 가맹점휴일 WHERE 순번 = ") + QString::number(seq) + extra;
}

QString key(const QString& store)
{
    return QStringLiteral(" WHERE 코드 = ") + SQLLiteral(store);
}

// A write of one statement in a transaction of its own, so a conflict's retry drops its deferred messages.
// The query helper tells the engine's refusal once the transaction has ended.
Result writeOnce(const QString& sql)
{
    DbTransaction t(gMainConn);
    if (!t.active())
        return failed(t.error());
    const int affected = ExecSQL(sql);
    if (affected < 0)
        return with(Status::Reported);
    if (affected == 0)
        return with(Status::NotFound);
    if (!t.commit())
        return failed(t.error());
    return with(Status::Done);
}

// The written columns as a condition: a cut unit's work is there when the row holds them.
QString storeWritten(const StoreRecord& s)
{
    return QStringLiteral(" AND 상호 = ") + SQLLiteral(s.name) + QStringLiteral(" AND 기초잔액 = ") +
           SqlNumber(s.baseBalance) + QStringLiteral(" AND 수수료율 = ") + SqlNumber(s.rate);
}

} // namespace

Result InsertStore(const StoreRecord& s)
{
    if (s.code.isEmpty())
        return with(Status::NotFound);
    const QString base = SqlNumber(s.baseBalance);
    QString sql = QStringLiteral("INSERT INTO 가맹점") +
                  QStringLiteral(" (코드, 상호, 전화1, 전화2, 전화3, 전화4, 우편번호, 주소1, 주소2") +
                  QStringLiteral(", 수수료율, 현잔액, 기초잔액, 메모, 영업시작, 영업종료)") +
                  QStringLiteral(" VALUES") + QStringLiteral(" ( ") + SQLLiteral(s.code);
    for (const QString& text : {s.name, s.tel[0], s.tel[1], s.tel[2], s.tel[3], s.post, s.addr1, s.addr2})
        sql += QLatin1Char(',') + SQLLiteral(text);
    sql +=
        QStringLiteral(", ") + SqlNumber(s.rate) + QStringLiteral(", ") + base + QStringLiteral(", ") + base;
    for (const QString& text : {s.memo, s.open, s.close})
        sql += QLatin1Char(',') + SQLLiteral(text);
    sql += QStringLiteral(" )");
    const UnitCheck<Result> check = checkOf(
        [&] { return QStringLiteral("가맹점 %1 추가").arg(s.code); },
        [&] { return QStringLiteral("SELECT COUNT(*) FROM 가맹점") + key(s.code) + storeWritten(s); }, false);
    return RetryOnConflict(
        gMainConn, [&] { return writeOnce(sql); }, check);
}

Result UpdateStore(const StoreRecord& s)
{
    if (s.code.isEmpty())
        return with(Status::NotFound);
    const QString base = SqlNumber(s.baseBalance);
    const QString sql = QStringLiteral("UPDATE 가맹점") + QStringLiteral(" SET") +
                        QStringLiteral(" 상호 = ") + SQLLiteral(s.name) + QStringLiteral(",전화1 = ") +
                        SQLLiteral(s.tel[0]) + QStringLiteral(",전화2 = ") + SQLLiteral(s.tel[1]) +
                        QStringLiteral(",전화3 = ") + SQLLiteral(s.tel[2]) + QStringLiteral(",전화4 = ") +
                        SQLLiteral(s.tel[3]) + QStringLiteral(",우편번호 = ") + SQLLiteral(s.post) +
                        QStringLiteral(",주소1 = ") + SQLLiteral(s.addr1) + QStringLiteral(",주소2 = ") +
                        SQLLiteral(s.addr2) + QStringLiteral(",현잔액 = 현잔액 - 기초잔액 + ") + base +
                        QStringLiteral(",기초잔액 = ") + base + QStringLiteral(",수수료율 = ") +
                        SqlNumber(s.rate) + QStringLiteral(",메모 = ") + SQLLiteral(s.memo) +
                        QStringLiteral(",영업시작 = ") + SQLLiteral(s.open) + QStringLiteral(",영업종료 = ") +
                        SQLLiteral(s.close) + key(s.code);
    const UnitCheck<Result> check = checkOf(
        [&] { return QStringLiteral("가맹점 %1 수정").arg(s.code); },
        [&] { return QStringLiteral("SELECT COUNT(*) FROM 가맹점") + key(s.code) + storeWritten(s); }, false);
    return RetryOnConflict(
        gMainConn, [&] { return writeOnce(sql); }, check);
}

Result InsertHoliday(const QString& store, const QString& day, int kind, const QString& memo)
{
    if (store.isEmpty() || day.isEmpty())
        return with(Status::NotFound);
    const QString values = SQLLiteral(store) + QLatin1Char(',') + SQLLiteral(day) + QStringLiteral(", ") +
                           QString::number(kind) + QLatin1Char(',') + SQLLiteral(memo);
    const QString sql = QStringLiteral("INSERT INTO 가맹점휴일") +
                        QStringLiteral(" (가맹점코드, 일자, 반복구분, 메모)") + QStringLiteral(" VALUES") +
                        QStringLiteral(" ( ") + values + QStringLiteral(" )");
    const UnitCheck<Result> check =
        checkOf([&] { return QStringLiteral("가맹점 %1의 휴일 %2").arg(store, day); },
                [&] {
                    return QStringLiteral("SELECT COUNT(*) FROM 가맹점휴일 WHERE 가맹점코드 = ") +
                           SQLLiteral(store) + QStringLiteral(" AND 일자 = ") + SQLLiteral(day) +
                           QStringLiteral(" AND 반복구분 = ") + QString::number(kind);
                },
                false);
    return RetryOnConflict(
        gMainConn, [&] { return writeOnce(sql); }, check);
}

static Result InsertMenuOnce(const QString& store, const QString& name, qint64 price, const QString& memo,
                             qint64& attemptCode)
{
    attemptCode = 0;
    // The name check and the insert hold the write lock together: another seat cannot add the same name
    // between them.
    DbTransaction t(gMainConn);
    if (!t.active())
        return failed(t.error());
    Result r = checkMenuName(store, name, 0);
    if (!r.ok())
        return r;
    QSqlQuery q(gMainConn.database());
    ErrInfo error;
    if (!gMainConn.query(
            QStringLiteral("INSERT INTO 취급메뉴 (메뉴명, 가맹점코드, 판매단가, 메모) VALUES (") +
                SQLLiteral(name) + QLatin1Char(',') + SQLLiteral(store) + QLatin1Char(',') +
                QString::number(price) + QLatin1Char(',') + SQLLiteral(memo) +
                QStringLiteral(") RETURNING 코드"),
            q, &error))
        return failed(error);
    if (!q.next())
        return failed(DbConnection::errorFrom(q.lastError()));
    r.code = q.value(0).toLongLong();
    attemptCode = r.code;
    q.finish();
    if (!t.commit())
        return failed(t.error());
    return r;
}

Result InsertMenu(const QString& store, const QString& name, qint64 price, const QString& memo)
{
    if (store.isEmpty())
        return with(Status::NotFound);
    qint64 code = 0;
    const UnitCheck<Result> check =
        checkOf([&] { return QStringLiteral("가맹점 %1의 메뉴 %2").arg(store, name); },
                [&] {
                    return countMenu(code, QStringLiteral(" AND 가맹점코드 = ") + SQLLiteral(store) +
                                               QStringLiteral(" AND 메뉴명 = ") + SQLLiteral(name));
                },
                false,
                [&] {
                    Result r = with(Status::Done);
                    r.code = code;
                    return r;
                });
    return RetryOnConflict(
        gMainConn, [&] { return InsertMenuOnce(store, name, price, memo, code); }, check);
}

static Result UpdateMenuOnce(const QString& store, qint64 menu, MenuField field, const QString& name,
                             qint64 price, const QString& memo, QString& written)
{
    DbTransaction t(gMainConn);
    if (!t.active())
        return failed(t.error());
    Result r = checkMenuName(store, name, menu);
    if (!r.ok())
        return r;
    QString set;
    switch (field) {
    case MenuField::Name:
        set = QStringLiteral("메뉴명 = ") + SQLLiteral(name);
        break;
    case MenuField::Price:
        set = QStringLiteral("판매단가 = ") + QString::number(price);
        break;
    case MenuField::Memo:
        set = QStringLiteral("메모 = ") + SQLLiteral(memo);
        break;
    }
    written = set;
    const DbConnection::ExecResult e =
        gMainConn.exec(QStringLiteral("UPDATE 취급메뉴 SET ") + set + QStringLiteral(" WHERE 코드 = ") +
                       QString::number(menu));
    if (!e.ok)
        return failed(e.error);
    if (e.rowsAffected == 0)
        return with(Status::NotFound);
    if (!t.commit())
        return failed(t.error());
    return r;
}

Result UpdateMenu(const QString& store, qint64 menu, MenuField field, const QString& name, qint64 price,
                  const QString& memo)
{
    if (store.isEmpty() || menu <= 0)
        return with(Status::NotFound);
    QString written;
    const UnitCheck<Result> check =
        checkOf([&] { return QStringLiteral("메뉴 %1 (%2) 변경").arg(menu).arg(name); },
                [&] { return countMenu(menu, QStringLiteral(" AND ") + written); }, false);
    return RetryOnConflict(
        gMainConn, [&] { return UpdateMenuOnce(store, menu, field, name, price, memo, written); }, check);
}

Result DeleteMenu(qint64 menu)
{
    if (menu <= 0)
        return with(Status::NotFound);
    const UnitCheck<Result> check = checkOf([&] { return QStringLiteral("메뉴 %1 삭제").arg(menu); },
                                            [&] { return countMenu(menu); }, true);
    return RetryOnConflict(
        gMainConn,
        [&] {
            return deleteOutcome(
                gMainConn.exec(QStringLiteral("DELETE FROM 취급메뉴 WHERE 코드 = ") + QString::number(menu)));
        },
        check);
}

static Result DeleteStoreOnce(const QString& store)
{
    const QString key = SQLLiteral(store);
    DbTransaction t(gMainConn);
    if (!t.active())
        return failed(t.error());
    // Holidays go first, then the menus (refused when an order line uses one), then the store itself
    // (refused while orders or payments name it); any refusal rolls the whole delete back.
    for (const QString& table : {QStringLiteral("가맹점휴일"), QStringLiteral("취급메뉴")}) {
        const DbConnection::ExecResult e = gMainConn.exec(QStringLiteral("DELETE FROM ") + table +
                                                          QStringLiteral(" WHERE 가맹점코드 = ") + key);
        if (!e.ok)
            return deleteOutcome(e);
    }
    const Result r = deleteOutcome(gMainConn.exec(QStringLiteral("DELETE FROM 가맹점 WHERE 코드 = ") + key));
    if (!r.ok())
        return r;
    if (!t.commit())
        return failed(t.error());
    return r;
}

Result DeleteStore(const QString& store)
{
    if (store.isEmpty())
        return with(Status::NotFound);
    const UnitCheck<Result> check = checkOf(
        [&] { return QStringLiteral("가맹점 %1 삭제").arg(store); },
        [&] { return QStringLiteral("SELECT COUNT(*) FROM 가맹점 WHERE 코드 = ") + SQLLiteral(store); },
        true);
    return RetryOnConflict(
        gMainConn, [&] { return DeleteStoreOnce(store); }, check);
}

Result DeleteHoliday(qint64 seq)
{
    if (seq <= 0)
        return with(Status::NotFound);
    const UnitCheck<Result> check = checkOf([&] { return QStringLiteral("휴일 %1번 삭제").arg(seq); },
                                            [&] { return countHoliday(seq); }, true);
    return RetryOnConflict(
        gMainConn,
        [&] {
            return deleteOutcome(gMainConn.exec(QStringLiteral("DELETE FROM 가맹점휴일 WHERE 순번 = ") +
                                                QString::number(seq)));
        },
        check);
}

Result UpdateHolidayMemo(qint64 seq, const QString& memo)
{
    if (seq <= 0)
        return with(Status::NotFound);
    const QString text = SQLLiteral(memo.trimmed());
    const UnitCheck<Result> check =
        checkOf([&] { return QStringLiteral("휴일 %1번 메모").arg(seq); },
                [&] { return countHoliday(seq, QStringLiteral(" AND 메모 = ") + text); }, false);
    return RetryOnConflict(
        gMainConn,
        [&] {
            const DbConnection::ExecResult e =
                gMainConn.exec(QStringLiteral("UPDATE 가맹점휴일 SET 메모 = ") + text +
                               QStringLiteral(" WHERE 순번 = ") + QString::number(seq));
            if (!e.ok)
                return failed(e.error);
            return with(e.rowsAffected > 0 ? Status::Done : Status::NotFound);
        },
        check);
}

} // namespace StoreService
