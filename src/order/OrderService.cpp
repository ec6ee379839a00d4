#include "order/OrderService.h"

#include "db/MduAdoDB.h"
#include "db/Recordset.h"
#include "db/modDBQuery.h"
#include "db/modMain_SQL.h"
#include "order/OrderCharges.h"

#include <cmath>

namespace OrderService {

namespace {
// A number taken by another seat between reading and writing is retried this many times.
constexpr int kNumberAttempts = 9;

QString lineKey(const QString& number, int lineNo)
{
    return QStringLiteral(" WHERE 주문번호 = ") + SQLLiteral(number) + QStringLiteral(" AND 순번 = ") +
           QString::number(lineNo);
}

double storeRate(const QString& store)
{
    return GetFirstValue(QStringLiteral("SELECT 수수료율 FROM 가맹점 WHERE 코드 = ") + SQLLiteral(store))
        .toDouble();
}

Result failed(const ErrInfo& error)
{
    return {Status::Failed, error};
}

const ErrInfo kNothingSaved{0, QStringLiteral("저장된 자료가 없습니다.")};

// The Jet SQL that counts the rows of table matching every column = value pair: a unit's check whether its
// work is in the database after its connection broke off.
QString countWhere(const QString& table, const QList<std::pair<QString, QString>>& columns)
{
    QStringList tests;
    for (const auto& [column, value] : columns)
        tests << column + QStringLiteral(" = ") + value;
    return QStringLiteral("SELECT COUNT(*) FROM ") + table + QStringLiteral(" WHERE ") +
           tests.join(QStringLiteral(" AND "));
}

QString orderName(const QString& number)
{
    return number.isEmpty() ? QStringLiteral("새 주문") : QStringLiteral("주문 ") + number;
}

QString lineName(const QString& number, int lineNo)
{
    return orderName(number) + QStringLiteral("의 ") +
           (lineNo > 0 ? QString::number(lineNo) + QStringLiteral("번 내역") : QStringLiteral("새 내역"));
}

// A line's columns as the unit writes them.
QList<std::pair<QString, QString>> lineValues(const QString& number, int lineNo)
{
    return {{QStringLiteral("주문번호"), SQLLiteral(number)},
            {QStringLiteral("순번"), QString::number(lineNo)}};
}
} // namespace

namespace {
QString headerInsertSql(const Header& header, const QString& number)
{
    return QStringLiteral("INSERT INTO 주문 (주문번호, 고객코드, 주문시전화, 가맹점코드, 주문일자, 주문시간, "
                          "통보시간)") +
           QStringLiteral(" VALUES ( ") + SQLLiteral(number) + QLatin1Char(',') +
           SQLLiteral(header.customer) + QLatin1Char(',') + SQLLiteral(header.phone) + QLatin1Char(',') +
           SQLLiteral(header.store) + QLatin1Char(',') +
           SQLLiteral(header.date.toString(QStringLiteral("yyyy-MM-dd"))) + QLatin1Char(',') +
           SQLLiteral(header.time) + QStringLiteral(",'' )");
}

QString headerStoredSql(const Header& header, const QString& number)
{
    return countWhere(
        QStringLiteral("주문"),
        {{QStringLiteral("주문번호"), SQLLiteral(number)},
         {QStringLiteral("고객코드"), SQLLiteral(header.customer)},
         {QStringLiteral("주문시전화"), SQLLiteral(header.phone)},
         {QStringLiteral("가맹점코드"), SQLLiteral(header.store)},
         {QStringLiteral("주문일자"), SQLLiteral(header.date.toString(QStringLiteral("yyyy-MM-dd")))},
         {QStringLiteral("주문시간"), SQLLiteral(header.time)}});
}

QString lineInsertSql(const QString& number, int lineNo, const Line& line, qint64 amount, qint64 commission,
                      qint64 points)
{
    return QStringLiteral(
               "INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, 메모, 포인트)") +
           QStringLiteral(" VALUES ( ") + SQLLiteral(number) + QStringLiteral(", ") +
           QString::number(lineNo) + QStringLiteral(", ") + QString::number(line.menu) +
           QStringLiteral(", ") + QString::number(line.quantity) + QStringLiteral(", ") +
           QString::number(line.price) + QStringLiteral(", ") + QString::number(amount) +
           QStringLiteral(", ") + QString::number(commission) + QLatin1Char(',') + SQLLiteral(line.memo) +
           QStringLiteral(", ") + QString::number(points) + QStringLiteral(" )");
}
} // namespace

// The header (a fresh number, taken again when another seat took it first) and any lines with their
// postings, in one transaction.
static Result InsertOrderWithLinesOnce(const Header& header, const QString& terminalId,
                                       const QList<Line>& lines, qint64 pointUnit, QString& number)
{
    const QString prefix = OrderCharges::OrderNumberPrefix(header.date, terminalId);
    for (int attempt = 0;; ++attempt) {
        DbTransaction t(gMainConn);
        if (!t.active())
            return failed(t.error());
        number = NextCode(QStringLiteral("주문"), QStringLiteral("주문번호"), 10, prefix);
        if (number.isEmpty())
            return {Status::Reported, {}};
        const DbConnection::ExecResult r = gMainConn.exec(headerInsertSql(header, number));
        if (!r.ok || r.rowsAffected == 0) {
            t.rollback();
            if (r.ok)
                return failed(kNothingSaved);
            if (attempt < kNumberAttempts && !gMainConn.wasCut() &&
                CountRows(QStringLiteral("주문"), QStringLiteral("주문번호 = ") + SQLLiteral(number)) > 0)
                continue;
            return failed(r.error);
        }
        const double rate = lines.isEmpty() ? 0 : storeRate(header.store);
        int lineNo = 0;
        for (const Line& line : lines) {
            const qint64 amount = OrderCharges::LineAmount(line.quantity, line.price);
            const qint64 points = OrderCharges::LinePoints(amount, pointUnit);
            const qint64 commission = OrderCharges::LineCommission(rate, amount);
            const DbConnection::ExecResult l =
                gMainConn.exec(lineInsertSql(number, ++lineNo, line, amount, commission, points));
            if (!l.ok || l.rowsAffected == 0) {
                t.rollback();
                return failed(l.ok ? kNothingSaved : l.error);
            }
            if (!AdjustBalance(header.store, double(commission)) || !AdjustPoints(header.customer, points))
                return {Status::Reported, {}};
        }
        if (!t.commit())
            return failed(t.error());
        return {Status::Saved, {}};
    }
}

Result InsertOrderWithLines(const Header& header, const QString& terminalId, const QList<Line>& lines,
                            qint64 pointUnit, QString& number)
{
    UnitCheck<Result> check;
    check.what = [&] {
        return orderName(number) + QStringLiteral(" (고객 %1, 가맹점 %2, 내역 %3건)")
                                       .arg(header.customer, header.store)
                                       .arg(lines.size());
    };
    // The header and its lines commit together: the header found stored means all of it is.
    check.storedSql = [&] { return headerStoredSql(header, number); };
    check.saved = [] { return Result{Status::Saved, {}}; };
    check.givenUp = {Status::Reported, {}};
    return RetryOnConflict(
        gMainConn, [&] { return InsertOrderWithLinesOnce(header, terminalId, lines, pointUnit, number); },
        check);
}

Result InsertOrder(const Header& header, const QString& terminalId, QString& number)
{
    UnitCheck<Result> check;
    check.what = [&] {
        return orderName(number) + QStringLiteral(" (고객 %1, 가맹점 %2)").arg(header.customer, header.store);
    };
    check.storedSql = [&] { return headerStoredSql(header, number); };
    check.saved = [] { return Result{Status::Saved, {}}; };
    check.givenUp = {Status::Reported, {}};
    return RetryOnConflict(
        gMainConn, [&] { return InsertOrderWithLinesOnce(header, terminalId, {}, 0, number); }, check);
}

static Result UpdateOrderOnce(const QString& number, HeaderField field, const Header& header,
                              bool* pointsMoved, bool& movedOnCommit)
{
    if (pointsMoved)
        *pointsMoved = false;
    movedOnCommit = false;
    DbTransaction t(gMainConn);
    if (!t.active())
        return failed(t.error());
    QString sql;
    QString previousCustomer;
    if (field == HeaderField::Phone) {
        sql = QStringLiteral("UPDATE 주문 SET 주문시전화 = ") + SQLLiteral(header.phone);
        previousCustomer = NullToStr(GetFirstValue(
            QStringLiteral("SELECT 고객코드 FROM 주문 WHERE 주문번호 = ") + SQLLiteral(number)));
        if (previousCustomer != header.customer)
            sql += QStringLiteral(", 고객코드 = ") + SQLLiteral(header.customer);
        else
            previousCustomer.clear();
    } else {
        sql = QStringLiteral("UPDATE 주문 SET 가맹점코드 = ") + SQLLiteral(header.store);
    }
    const DbConnection::ExecResult r =
        gMainConn.exec(sql + QStringLiteral(" WHERE 주문번호 = ") + SQLLiteral(number));
    if (!r.ok || r.rowsAffected == 0) {
        t.rollback();
        return failed(r.ok ? kNothingSaved : r.error);
    }
    bool moved = false;
    if (!previousCustomer.isEmpty()) {
        const qint64 points = std::llround(Val(NullToStr(GetFirstValue(
            QStringLiteral("SELECT SUM(포인트) FROM 주문내역 WHERE 주문번호 = ") + SQLLiteral(number)))));
        if (points != 0) {
            if (!AdjustPoints(header.customer, points) || !AdjustPoints(previousCustomer, -points))
                return {Status::Reported, {}};
            moved = true;
        }
    }
    movedOnCommit = moved;
    if (!t.commit())
        return failed(t.error());
    if (pointsMoved)
        *pointsMoved = moved;
    return {Status::Saved, {}};
}

Result UpdateOrder(const QString& number, HeaderField field, const Header& header, bool* pointsMoved)
{
    bool movedOnCommit = false;
    UnitCheck<Result> check;
    check.what = [&] {
        return orderName(number) + (field == HeaderField::Phone ? QStringLiteral("의 전화번호 변경")
                                                                : QStringLiteral("의 가맹점 변경"));
    };
    check.storedSql = [&] {
        if (field == HeaderField::Store)
            return countWhere(QStringLiteral("주문"),
                              {{QStringLiteral("주문번호"), SQLLiteral(number)},
                               {QStringLiteral("가맹점코드"), SQLLiteral(header.store)}});
        return countWhere(QStringLiteral("주문"),
                          {{QStringLiteral("주문번호"), SQLLiteral(number)},
                           {QStringLiteral("주문시전화"), SQLLiteral(header.phone)},
                           {QStringLiteral("고객코드"), SQLLiteral(header.customer)}});
    };
    check.saved = [&] {
        if (pointsMoved)
            *pointsMoved = movedOnCommit;
        return Result{Status::Saved, {}};
    };
    check.givenUp = {Status::Reported, {}};
    return RetryOnConflict(
        gMainConn, [&] { return UpdateOrderOnce(number, field, header, pointsMoved, movedOnCommit); }, check);
}

namespace {
// Runs the line statement and its two postings as one unit.
LineResult writeLine(DbTransaction& t, const QString& sql, const QString& store, const QString& customer,
                     double commissionChange, qint64 pointChange)
{
    LineResult result;
    const DbConnection::ExecResult r = gMainConn.exec(sql);
    if (!r.ok || r.rowsAffected == 0) {
        t.rollback();
        result.error = r.ok ? kNothingSaved : r.error;
        return result;
    }
    if (!AdjustBalance(store, commissionChange) || !AdjustPoints(customer, pointChange)) {
        result.status = Status::Reported;
        return result;
    }
    if (!t.commit()) {
        result.error = t.error();
        return result;
    }
    result.status = Status::Saved;
    return result;
}
} // namespace

static LineResult InsertLineOnce(const QString& number, const QString& store, const QString& customer,
                                 const Line& line, qint64 pointUnit, int& attemptLineNo,
                                 qint64& attemptPoints, qint64& attemptCommission)
{
    DbTransaction t(gMainConn);
    if (!t.active()) {
        LineResult result;
        result.error = t.error();
        return result;
    }
    const qint64 amount = OrderCharges::LineAmount(line.quantity, line.price);
    const qint64 points = OrderCharges::LinePoints(amount, pointUnit);
    const qint64 commission = OrderCharges::LineCommission(storeRate(store), amount);
    const int lineNo = NextNumber(QStringLiteral("주문내역"), QStringLiteral("순번"),
                                  QStringLiteral("주문번호 = ") + SQLLiteral(number));
    attemptLineNo = lineNo;
    attemptPoints = points;
    attemptCommission = commission;
    const QString sql =
        QStringLiteral(
            "INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, 메모, 포인트)") +
        QStringLiteral(" VALUES ( ") + SQLLiteral(number) + QStringLiteral(", ") + QString::number(lineNo) +
        QStringLiteral(", ") + QString::number(line.menu) + QStringLiteral(", ") +
        QString::number(line.quantity) + QStringLiteral(", ") + QString::number(line.price) +
        QStringLiteral(", ") + QString::number(amount) + QStringLiteral(", ") + QString::number(commission) +
        QLatin1Char(',') + SQLLiteral(line.memo) + QStringLiteral(", ") + QString::number(points) +
        QStringLiteral(" )");
    LineResult result = writeLine(t, sql, store, customer, double(commission), points);
    if (result.ok()) {
        result.lineNo = lineNo;
        result.points = points;
    }
    return result;
}

LineResult InsertLine(const QString& number, const QString& store, const QString& customer, const Line& line,
                      qint64 pointUnit)
{
    int lineNo = 0;
    qint64 points = 0;
    qint64 commission = 0;
    UnitCheck<LineResult> check;
    check.what = [&] {
        return lineName(number, lineNo) + QStringLiteral(" (메뉴 %1, 수량 %2, 단가 %3)")
                                              .arg(line.menu)
                                              .arg(line.quantity)
                                              .arg(line.price);
    };
    check.storedSql = [&] {
        auto values = lineValues(number, lineNo);
        values << std::pair{QStringLiteral("주문메뉴"), QString::number(line.menu)}
               << std::pair{QStringLiteral("수량"), QString::number(line.quantity)}
               << std::pair{QStringLiteral("단가"), QString::number(line.price)}
               << std::pair{QStringLiteral("수수료"), QString::number(commission)}
               << std::pair{QStringLiteral("포인트"), QString::number(points)}
               << std::pair{QStringLiteral("메모"), SQLLiteral(line.memo)};
        return countWhere(QStringLiteral("주문내역"), values);
    };
    check.saved = [&] {
        LineResult r;
        r.status = Status::Saved;
        r.lineNo = lineNo;
        r.points = points;
        return r;
    };
    check.givenUp.status = Status::Reported;
    return RetryOnConflict(
        gMainConn,
        [&] { return InsertLineOnce(number, store, customer, line, pointUnit, lineNo, points, commission); },
        check);
}

static LineResult UpdateLineOnce(const QString& number, int lineNo, LineField field, const QString& store,
                                 const QString& customer, const Line& line, qint64 pointUnit,
                                 QList<std::pair<QString, QString>>& written)
{
    DbTransaction t(gMainConn);
    if (!t.active()) {
        LineResult result;
        result.error = t.error();
        return result;
    }
    QString sql = QStringLiteral("UPDATE 주문내역 SET");
    switch (field) {
    case LineField::Menu:
        sql += QStringLiteral(" 주문메뉴 = ") + QString::number(line.menu) + QStringLiteral(",단가 = ") +
               QString::number(line.price);
        break;
    case LineField::Quantity:
        sql += QStringLiteral(" 수량 = ") + QString::number(line.quantity);
        break;
    case LineField::Price:
        sql += QStringLiteral(" 단가 = ") + QString::number(line.price);
        break;
    case LineField::Memo:
        sql += QStringLiteral(" 메모 = ") + SQLLiteral(line.memo);
        break;
    }
    double commissionChange = 0;
    qint64 pointChange = 0;
    qint64 points = 0;
    if (field != LineField::Memo) {
        // Only the difference to what the line booked before is posted, whatever the rate is now.
        Recordset old;
        double oldCommission = 0;
        qint64 oldPoints = 0;
        if (OpenQuery(old, QStringLiteral("SELECT 수수료, 포인트 FROM 주문내역") + lineKey(number, lineNo)) >
            0) {
            oldCommission = old.value(0).toDouble();
            oldPoints = old.value(1).toLongLong();
        }
        const qint64 amount = OrderCharges::LineAmount(line.quantity, line.price);
        points = OrderCharges::LinePoints(amount, pointUnit);
        pointChange = points - oldPoints;
        commissionChange = double(OrderCharges::LineCommission(storeRate(store), amount)) - oldCommission;
        sql += QStringLiteral(",금액 = ") + QString::number(amount);
        written << std::pair{QStringLiteral("금액"), QString::number(amount)}
                << std::pair{QStringLiteral("포인트"), QString::number(points)}
                << std::pair{QStringLiteral("수수료"), SqlNumber(oldCommission + commissionChange)};
        if (commissionChange != 0)
            sql += QStringLiteral(",수수료 = 수수료 + ") + SqlNumber(commissionChange);
        if (pointChange != 0)
            sql += QStringLiteral(",포인트 = 포인트 + ") + QString::number(pointChange);
    }
    switch (field) {
    case LineField::Menu:
        written << std::pair{QStringLiteral("주문메뉴"), QString::number(line.menu)}
                << std::pair{QStringLiteral("단가"), QString::number(line.price)};
        break;
    case LineField::Quantity:
        written << std::pair{QStringLiteral("수량"), QString::number(line.quantity)};
        break;
    case LineField::Price:
        written << std::pair{QStringLiteral("단가"), QString::number(line.price)};
        break;
    case LineField::Memo:
        written << std::pair{QStringLiteral("메모"), SQLLiteral(line.memo)};
        break;
    }
    LineResult result =
        writeLine(t, sql + lineKey(number, lineNo), store, customer, commissionChange, pointChange);
    if (result.ok()) {
        result.lineNo = lineNo;
        result.points = points;
    }
    return result;
}

LineResult UpdateLine(const QString& number, int lineNo, LineField field, const QString& store,
                      const QString& customer, const Line& line, qint64 pointUnit)
{
    QList<std::pair<QString, QString>> written;
    UnitCheck<LineResult> check;
    check.what = [&] { return lineName(number, lineNo) + QStringLiteral(" 변경"); };
    check.storedSql = [&] {
        return countWhere(QStringLiteral("주문내역"), lineValues(number, lineNo) + written);
    };
    check.saved = [&] {
        LineResult r;
        r.status = Status::Saved;
        r.lineNo = lineNo;
        for (const auto& [column, value] : written)
            if (column == QStringLiteral("포인트"))
                r.points = value.toLongLong();
        return r;
    };
    check.givenUp.status = Status::Reported;
    return RetryOnConflict(
        gMainConn,
        [&] {
            written.clear();
            return UpdateLineOnce(number, lineNo, field, store, customer, line, pointUnit, written);
        },
        check);
}

static DeleteResult DeleteLineOnce(const QString& number, int lineNo)
{
    DbTransaction t(gMainConn);
    if (!t.active())
        return {DeleteStatus::Failed, t.error()};
    Recordset rs;
    if (OpenQuery(rs,
                  QStringLiteral("SELECT 가맹점코드, 수수료, 고객코드, 포인트") +
                      QStringLiteral(" FROM 주문 LEFT JOIN 주문내역 ON 주문.주문번호 = 주문내역.주문번호") +
                      QStringLiteral(" WHERE 주문내역.주문번호 = ") + SQLLiteral(number) +
                      QStringLiteral(" AND 주문내역.순번 = ") + QString::number(lineNo)) <= 0)
        return {DeleteStatus::AlreadyGone, {}};
    const QString store = rs.text(QStringLiteral("가맹점코드"));
    const QString customer = rs.text(QStringLiteral("고객코드"));
    const double commission = rs.value(QStringLiteral("수수료")).toDouble();
    const qint64 points = std::llround(Val(rs.text(QStringLiteral("포인트"))));
    rs.close();
    const DbConnection::ExecResult r =
        gMainConn.exec(QStringLiteral("DELETE FROM 주문내역") + lineKey(number, lineNo));
    if (!r.ok) {
        t.rollback();
        return {DeleteStatus::Failed, r.error};
    }
    if (r.rowsAffected == 0)
        return {DeleteStatus::NotDeleted, {}};
    if (!AdjustBalance(store, -commission) || !AdjustPoints(customer, -points))
        return {DeleteStatus::Reported, {}};
    if (!t.commit())
        return {DeleteStatus::Failed, t.error()};
    return {DeleteStatus::Deleted, {}};
}

DeleteResult DeleteLine(const QString& number, int lineNo)
{
    UnitCheck<DeleteResult> check;
    check.what = [&] { return lineName(number, lineNo) + QStringLiteral(" 삭제"); };
    check.storedSql = [&] { return countWhere(QStringLiteral("주문내역"), lineValues(number, lineNo)); };
    check.storedWhenNone = true;
    check.saved = [] { return DeleteResult{DeleteStatus::Deleted, {}}; };
    check.givenUp = {DeleteStatus::Reported, {}};
    return RetryOnConflict(
        gMainConn, [&] { return DeleteLineOnce(number, lineNo); }, check);
}

} // namespace OrderService
