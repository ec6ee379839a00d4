// Self-check of a generated main database, used by the tests and after benchmark generation.
#include "app/install/DemoData.h"
#include "app/install/DemoSqlConnection.h"
#include "db/DbConnection.h"
#include "db/RunningTotals.h"
#include "order/OrderCharges.h"

#include <QDate>
#include <QVariant>

namespace DemoData {

namespace {

constexpr int kShownPerKind = 5;

bool allDigits(const QString& s)
{
    for (QChar c : s) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return !s.isEmpty();
}

bool isHhMm(const QString& s)
{
    return s.size() == 5 && s.at(2) == QLatin1Char(':') && allDigits(s.left(2)) && allDigits(s.mid(3)) &&
           s.left(2).toInt() < 24 && s.mid(3).toInt() < 60;
}

bool isDate(const QString& s)
{
    return s.size() == 10 && QDate::fromString(s, QStringLiteral("yyyy-MM-dd")).isValid();
}

// 02-123-4567, 031-1234-5678, 010-1234-5678: area or carrier code, exchange, line.
bool isCanonicalPhone(const QString& s)
{
    const QStringList parts = s.split(QLatin1Char('-'));
    if (parts.size() != 3 || !allDigits(parts[0]) || !allDigits(parts[1]) || !allDigits(parts[2]))
        return false;
    return parts[0].startsWith(QLatin1Char('0')) && parts[0].size() >= 2 && parts[0].size() <= 3 &&
           parts[1].size() >= 3 && parts[1].size() <= 4 && parts[2].size() == 4;
}

bool isHolidayDay(int kind, const QString& day)
{
    switch (kind) {
    case 0:
        return isDate(day);
    case 1:
        return day.size() == 1 && day.at(0) >= QLatin1Char('1') && day.at(0) <= QLatin1Char('7');
    case 2:
        return day.size() == 2 && allDigits(day) && day.toInt() >= 1 && day.toInt() <= 31;
    case 3:
        return day.size() == 5 && day.at(2) == QLatin1Char('-') &&
               QDate(2000, day.left(2).toInt(), day.mid(3).toInt()).isValid(); // a leap year allows 02-29
    default:
        return false;
    }
}

class Checker
{
public:
    explicit Checker(QSqlDatabase& db) : m_db(db) {}

    // Runs a query and hands every row to fn, which returns a problem text or an empty one.
    template <class Fn> void eachRow(const QString& kind, const QString& sql, Fn fn)
    {
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        if (!q.exec(sql)) {
            problem(kind, q.lastError().text() + QStringLiteral(" — ") + sql);
            return;
        }
        while (q.next()) {
            const QString p = fn(q);
            if (!p.isEmpty())
                problem(kind, p);
        }
    }

    void problem(const QString& kind, const QString& text)
    {
        int& n = m_counts[kind];
        if (++n <= kShownPerKind)
            m_lines << kind + QStringLiteral(": ") + text;
        ++m_total;
    }

    qint64 scalar(const QString& sql)
    {
        QSqlQuery q(m_db);
        if (!q.exec(sql) || !q.next()) {
            problem(QStringLiteral("질의"), q.lastError().text() + QStringLiteral(" — ") + sql);
            return 0;
        }
        return q.value(0).toLongLong();
    }

    QString report() const
    {
        QStringList out = m_lines;
        for (auto it = m_counts.cbegin(); it != m_counts.cend(); ++it) {
            if (it.value() > kShownPerKind)
                out << QStringLiteral("%1: 그 밖에 %2건 더").arg(it.key()).arg(it.value() - kShownPerKind);
        }
        return out.join(QLatin1Char('\n'));
    }
    int total() const { return m_total; }

private:
    QSqlDatabase& m_db;
    QStringList m_lines;
    QMap<QString, int> m_counts;
    int m_total = 0;
};
} // namespace

bool CheckInvariants(const QString& mainDbFile, QString* report)
{
    DemoSqlConnection conn(mainDbFile);
    if (!conn.db().open()) {
        *report = conn.db().lastError().text();
        return false;
    }
    Checker c(conn.db());

    const qint64 configuredUnit = c.scalar(QStringLiteral(
        "SELECT IFNULL((SELECT CAST(설정값 AS INTEGER) FROM 환경설정 WHERE 구분 = '금액대포인트'), 100)"));
    const qint64 unit = configuredUnit > 0 ? configuredUnit : 100;

    // The running totals are checked as zelkova-db check checks them on either engine.
    {
        DbConnection totals;
        ErrInfo e;
        std::vector<RunningTotals::Drift> drift;
        if (!totals.open(mainDbFile, true, &e) || !RunningTotals::Find(totals, &drift, &e))
            c.problem(QStringLiteral("질의"), e.description);
        for (const RunningTotals::Drift& d : drift)
            c.problem(d.kind, d.text());
    }
    c.eachRow(
        QStringLiteral("주문내역 계산"),
        QStringLiteral("SELECT d.주문번호, d.순번, d.수량, d.단가, d.금액, d.수수료, d.포인트, m.수수료율 "
                       "FROM 주문내역 d JOIN 주문 o ON o.주문번호 = d.주문번호 "
                       "JOIN 가맹점 m ON m.코드 = o.가맹점코드"),
        [unit](const QSqlQuery& q) {
            const qint64 amount = q.value(4).toLongLong();
            const double commission = q.value(5).toDouble();
            const qint64 points = q.value(6).toLongLong();
            if (amount != q.value(2).toLongLong() * q.value(3).toLongLong() ||
                commission != double(OrderCharges::LineCommission(q.value(7).toDouble(), amount)) ||
                points != OrderCharges::LinePoints(amount, unit))
                return QStringLiteral("%1-%2 금액 %3 수수료 %4 포인트 %5")
                    .arg(q.value(0).toString(), q.value(1).toString())
                    .arg(amount)
                    .arg(commission)
                    .arg(points);
            return QString();
        });
    c.eachRow(
        QStringLiteral("주문메뉴"),
        QStringLiteral("SELECT d.주문번호, d.순번 FROM 주문내역 d JOIN 주문 o ON o.주문번호 = d.주문번호 "
                       "LEFT JOIN 취급메뉴 t ON t.코드 = d.주문메뉴 "
                       "WHERE t.코드 IS NULL OR t.가맹점코드 <> o.가맹점코드"),
        [](const QSqlQuery& q) {
            return q.value(0).toString() + QLatin1Char('-') + q.value(1).toString() +
                   QStringLiteral(" 메뉴가 주문의 가맹점 것이 아닙니다");
        });
    c.eachRow(QStringLiteral("주문 형식"),
              QStringLiteral("SELECT 주문번호, 주문일자, 주문시간, 통보시간 FROM 주문"),
              [](const QSqlQuery& q) {
                  const QString number = q.value(0).toString();
                  const QString date = q.value(1).toString();
                  const QString time = q.value(2).toString();
                  const QString passed = q.value(3).toString();
                  const bool ok = number.size() == 10 && allDigits(number) && isDate(date) &&
                                  number.left(6) == date.mid(2, 2) + date.mid(5, 2) + date.mid(8, 2) &&
                                  number.right(3).toInt() >= 1 && isHhMm(time) &&
                                  (passed.isEmpty() || isHhMm(passed));
                  return ok ? QString()
                            : number + QLatin1Char(' ') + date + QLatin1Char(' ') + time +
                                  QStringLiteral(" [") + passed + QLatin1Char(']');
              });
    c.eachRow(QStringLiteral("고객 형식"),
              QStringLiteral("SELECT 코드, 전화1, 전화2, 전화3, 전화4 FROM 고객"), [](const QSqlQuery& q) {
                  const QString code = q.value(0).toString();
                  bool ok = code.size() == 8 && allDigits(code) && !q.value(1).toString().isEmpty();
                  for (int i = 1; i <= 4; ++i) {
                      const QString phone = q.value(i).toString();
                      ok = ok && (phone.isEmpty() || isCanonicalPhone(phone));
                  }
                  return ok ? QString()
                            : code + QLatin1Char(' ') + q.value(1).toString() + QLatin1Char(' ') +
                                  q.value(2).toString() + QLatin1Char(' ') + q.value(3).toString() +
                                  QLatin1Char(' ') + q.value(4).toString();
              });
    c.eachRow(QStringLiteral("가맹점 형식"),
              QStringLiteral("SELECT 코드, 수수료율, 영업시작, 영업종료, 전화1 FROM 가맹점"),
              [](const QSqlQuery& q) {
                  const bool ok = q.value(1).toDouble() > 0 && isHhMm(q.value(2).toString()) &&
                                  isHhMm(q.value(3).toString()) && isCanonicalPhone(q.value(4).toString());
                  return ok ? QString() : q.value(0).toString();
              });
    c.eachRow(QStringLiteral("휴일 형식"),
              QStringLiteral("SELECT 순번, 가맹점코드, 일자, 반복구분 FROM 가맹점휴일"),
              [](const QSqlQuery& q) {
                  return isHolidayDay(q.value(3).toInt(), q.value(2).toString())
                             ? QString()
                             : QStringLiteral("%1 %2 [%3] 구분 %4")
                                   .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                                        q.value(3).toString());
              });
    c.eachRow(
        QStringLiteral("날짜 형식"),
        QStringLiteral("SELECT '입금', 입금일자 FROM 입금 UNION ALL SELECT '서비스', 서비스일 FROM 서비스"),
        [](const QSqlQuery& q) {
            return isDate(q.value(1).toString())
                       ? QString()
                       : q.value(0).toString() + QLatin1Char(' ') + q.value(1).toString();
        });
    c.eachRow(QStringLiteral("참조"), QStringLiteral("PRAGMA foreign_key_check"), [](const QSqlQuery& q) {
        return QStringLiteral("%1 행 %2 → %3")
            .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString());
    });

    QStringList counts;
    for (const char* table :
         {"가맹점", "취급메뉴", "가맹점휴일", "고객", "주문", "주문내역", "입금", "서비스"}) {
        const QString t = QString::fromUtf8(table);
        counts << t + QLatin1Char(' ') +
                      QString::number(c.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + t));
    }
    const int problems = c.total();
    QString text = c.report();
    if (!text.isEmpty())
        text += QLatin1Char('\n');
    *report = text + counts.join(QStringLiteral(", "));
    return problems == 0;
}
} // namespace DemoData
