// Demo and benchmark installations: stores with menus, hours and holidays, customers, a period of orders
// with their lines, payments and point services, and running totals that agree with all of them.
#include "app/install/DemoData.h"

#include "app/Clock.h"
#include "app/install/DemoCatalog.h"
#include "app/install/DemoSqlConnection.h"
#include "db/CustomerTextIndex.h"
#include "order/OrderCharges.h"

#include <QDate>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <random>

namespace DemoData {

namespace {

constexpr int kDemoCustomers = 300;
constexpr int kDemoDays = 7;
constexpr int kPointUnit = 100; // the default of 금액대포인트; the settings rows are left to the program
constexpr int kServiceThreshold = 100; // the default of 서비스대상점수
constexpr int kMaxPerTerminalDay = 999;
constexpr int kRowsPerTransaction = 200000;

// Cheap generator for values that must be derived again from a customer's index alone.
struct SplitMix
{
    quint64 state;
    quint64 next()
    {
        quint64 z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int between(int lo, int hi) { return lo + int(next() % quint64(hi - lo + 1)); }
    int percent() { return between(0, 99); }
};

// The main stream: a std::mt19937 with a few helpers whose results do not depend on the library's
// distributions.
struct Draw
{
    std::mt19937 rng;
    explicit Draw(quint32 seed) : rng(seed) {}
    int between(int lo, int hi) { return lo + int(rng() % quint32(hi - lo + 1)); }
    int percent() { return between(0, 99); }
    double unit() { return rng() / 4294967296.0; }
    // Index in [0, n) leaning towards the low end: the regular customers and the busy stores.
    int skewed(int n, double power) { return std::min(n - 1, int(n * std::pow(unit(), power))); }
    template <class T> const T& pick(const QList<T>& list)
    {
        return list.at(between(0, int(list.size()) - 1));
    }
};

QString two(int v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

QString hhmm(int minuteOfDay)
{
    minuteOfDay = ((minuteOfDay % 1440) + 1440) % 1440;
    return two(minuteOfDay / 60) + QLatin1Char(':') + two(minuteOfDay % 60);
}

int minutesOf(const QString& t)
{
    return t.left(2).toInt() * 60 + t.mid(3, 2).toInt();
}

QString digits(SplitMix& g, int count, bool leadingNonZero)
{
    QString s;
    for (int i = 0; i < count; ++i)
        s += QChar(u'0' + ((i == 0 && leadingNonZero) ? g.between(2, 9) : g.between(0, 9)));
    return s;
}

// Telephone numbers in the hyphenated form the screens store: 02-123-4567, 031-1234-5678, 010-1234-5678.
QString landline(SplitMix& g, const QString& area)
{
    return area + QLatin1Char('-') + digits(g, g.percent() < 50 ? 3 : 4, true) + QLatin1Char('-') +
           digits(g, 4, false);
}

QString mobile(SplitMix& g)
{
    return QStringLiteral("010-") + digits(g, 4, true) + QLatin1Char('-') + digits(g, 4, false);
}

QString internetPhone(SplitMix& g)
{
    return QStringLiteral("070-") + digits(g, 4, true) + QLatin1Char('-') + digits(g, 4, false);
}

QString detailAddress(SplitMix& g)
{
    const int kind = g.percent();
    if (kind < 35) {
        QString s = QString::number(g.between(1, 999)) + QLatin1Char('-') + QString::number(g.between(1, 40));
        const int extra = g.percent();
        if (extra < 30)
            s += QLatin1Char(' ') + QString::number(g.between(1, 5)) + QStringLiteral("층");
        else if (extra < 55)
            s += QLatin1Char(' ') + QString::number(g.between(1, 4) * 100 + g.between(1, 4)) +
                 QStringLiteral("호");
        return s;
    }
    const QStringList& names = DemoCatalog::BuildingNames();
    const QString name = names.at(g.between(0, int(names.size()) - 1));
    if (kind < 75)
        return name + QStringLiteral("아파트 ") + QString::number(g.between(101, 115)) +
               QStringLiteral("동 ") + QString::number(g.between(1, 25) * 100 + g.between(1, 4)) +
               QStringLiteral("호");
    if (kind < 92)
        return name + QStringLiteral("빌라 ") +
               (g.percent() < 15 ? QStringLiteral("B0") + QString::number(g.between(1, 2))
                                 : QString::number(g.between(1, 5) * 100 + g.between(1, 4))) +
               QStringLiteral("호");
    return QString::number(g.between(1, 999));
}

// A customer is derived from its index alone, so an order can quote a customer's number without keeping every
// customer in memory.
struct Customer
{
    QString code;
    QString phones[4];
    int phoneCount = 1;
    const PostRow* region = nullptr;
    QString address2;
    QString memo;
    qint64 basePoints = 0;
};

class CustomerMaker
{
public:
    CustomerMaker(quint64 seed, std::vector<const PostRow*> regions)
        : m_seed(seed), m_regions(std::move(regions))
    {
    }
    int count() const { return m_count; }
    void setCount(int n) { m_count = n; }

    // Telephone numbers only (what an order needs); full() continues the same sequence.
    Customer phones(int index, SplitMix* state = nullptr) const
    {
        SplitMix g{m_seed ^ (quint64(index + 1) * 0xD1B54A32D192ED03ull)};
        Customer c;
        c.region = m_regions.at(size_t(g.between(0, int(m_regions.size()) - 1)));
        const int n = g.percent();
        c.phoneCount = n < 55 ? 1 : n < 85 ? 2 : n < 95 ? 3 : 4;
        const QString area = DemoCatalog::AreaCode(c.region->sido);
        for (int k = 0; k < c.phoneCount; ++k) {
            QString p;
            do {
                const int kind = g.percent();
                if (k == 0)
                    p = kind < 65 ? mobile(g) : landline(g, area);
                else
                    p = kind < 50 ? mobile(g) : kind < 90 ? landline(g, area) : internetPhone(g);
            } while (std::find(c.phones, c.phones + k, p) != c.phones + k);
            c.phones[k] = p;
        }
        if (state)
            *state = g;
        return c;
    }

    Customer full(int index) const
    {
        SplitMix g{0};
        Customer c = phones(index, &g);
        c.code = QLatin1Char('1') + QStringLiteral("%1").arg(index + 1, 7, 10, QLatin1Char('0'));
        c.address2 = detailAddress(g);
        if (g.percent() < 12) {
            const QStringList& memos = DemoCatalog::CustomerMemos();
            c.memo = memos.at(g.between(0, int(memos.size()) - 1));
        }
        if (g.percent() < 15)
            c.basePoints = g.between(1, 5) * 100;
        return c;
    }

private:
    quint64 m_seed;
    std::vector<const PostRow*> m_regions;
    int m_count = 0;
};

struct Menu
{
    qint64 code = 0;
    int price = 0;
};

struct Store
{
    QString code;
    double rate = 0;
    int open = 0;
    int close = 0;
    std::vector<Menu> menus;
    qint64 openingBalance = 0;
    qint64 commission = 0; // sum of the commissions of its lines, whole numbers
    qint64 paid = 0;       // sum of payments and discounts
};

struct OrderDraft
{
    int store;
    int customer;
    int minute;
};

// One bulk load: holds the prepared statements and commits every few hundred thousand rows.
class Loader
{
public:
    Loader(DemoSqlConnection& conn, QString* error) : m_conn(conn), m_error(error) {}

    bool begin() { return m_conn.exec(QStringLiteral("BEGIN IMMEDIATE"), m_error); }
    bool commit() { return m_conn.exec(QStringLiteral("COMMIT"), m_error); }
    bool exec(const QString& sql) { return m_conn.exec(sql, m_error); }
    void rollback()
    {
        QString ignored;
        m_conn.exec(QStringLiteral("ROLLBACK"), &ignored);
    }

    bool prepare(QSqlQuery& q, const QString& sql)
    {
        q = QSqlQuery(m_conn.db());
        if (q.prepare(sql))
            return true;
        *m_error = q.lastError().text() + QStringLiteral(" — ") + sql;
        return false;
    }

    bool run(QSqlQuery& q, std::initializer_list<QVariant> values)
    {
        int i = 0;
        for (const QVariant& v : values) {
            // An empty text is stored as '' (not set), never as Null.
            if (v.typeId() == QMetaType::QString && v.toString().isNull())
                q.bindValue(i++, QStringLiteral(""));
            else
                q.bindValue(i++, v);
        }
        if (!q.exec()) {
            *m_error = q.lastError().text() + QStringLiteral(" — ") + q.lastQuery();
            return false;
        }
        if (++m_pending >= kRowsPerTransaction) {
            m_pending = 0;
            return commit() && begin();
        }
        return true;
    }

private:
    DemoSqlConnection& m_conn;
    QString* m_error;
    int m_pending = 0;
};

const PostRow* regionByDong(const std::vector<PostRow>& rows, const QString& gugun, const QString& dong)
{
    for (const PostRow& r : rows) {
        if (r.gugun == gugun && r.dong == dong && r.bunji.isEmpty())
            return &r;
    }
    return nullptr;
}

class Generator
{
public:
    Generator(const DbTool::DemoOptions& options, DemoSqlConnection& conn, QString* error)
        : m_demo(options.customers <= 0 && options.stores <= 0 && options.days <= 0 &&
                 options.ordersPerDay <= 0),
          m_customers(options.customers > 0 ? options.customers : kDemoCustomers),
          m_storeCount(options.stores > 0 ? options.stores : int(DemoCatalog::StoreKinds().size())),
          m_days(options.days > 0 ? options.days : kDemoDays), m_perDay(options.ordersPerDay),
          m_draw(options.seed), m_load(conn, error), m_error(error), m_today(Clock::Today()),
          m_now(Clock::Time().hour() * 60 + Clock::Time().minute()), m_maker(0, {}),
          m_progress(options.progress)
    {
    }

    bool validate()
    {
        if (m_customers > 9999999) {
            *m_error = QStringLiteral("고객은 9,999,999명까지 만들 수 있습니다.");
            return false;
        }
        if (m_perDay > 9 * kMaxPerTerminalDay) {
            *m_error = QStringLiteral("하루 주문은 %1건까지 만들 수 있습니다 (단말기 9대 × 999건).")
                           .arg(9 * kMaxPerTerminalDay);
            return false;
        }
        if (m_storeCount > 9000000 || m_days > 36500) {
            *m_error = QStringLiteral("가맹점 수나 기간이 너무 큽니다.");
            return false;
        }
        return true;
    }

    bool run()
    {
        std::vector<const PostRow*> customerRegions;
        const std::vector<PostRow>& post = PostSampleRows();
        for (const PostRow& r : post) {
            if (r.zipcode.isEmpty() || r.sido != QStringLiteral("서울특별시"))
                continue;
            m_seoul.push_back(&r);
            // The demo centre serves its own neighbourhood; a benchmark installation all of Seoul.
            int weight = 1;
            if (m_demo)
                weight = r.gugun == QStringLiteral("강남구")   ? 4
                         : r.gugun == QStringLiteral("서초구") ? 2
                         : r.gugun == QStringLiteral("송파구") ? 1
                                                               : 0;
            for (int i = 0; i < weight; ++i)
                customerRegions.push_back(&r);
        }
        m_maker = CustomerMaker((quint64(m_draw.rng()) << 32) | m_draw.rng(), std::move(customerRegions));
        m_maker.setCount(m_customers);
        m_points.assign(size_t(m_customers), 0);

        if (!m_load.begin())
            return false;
        const bool ok = setIndexesAside() && insertStores() && insertOrders() && insertPayments() &&
                        insertServices() && insertCustomers() && insertCompany() && restoreIndexes();
        if (!ok) {
            m_load.rollback();
            return false;
        }
        return m_load.commit();
    }

private:
    QDate firstDay() const { return m_today.addDays(-(m_days - 1)); }

    // The file is made by then (0..5 %); the load takes the rest up to 99 %, the caller says "done".
    void tell(int percent, const QString& step) const
    {
        if (m_progress)
            m_progress(percent, step);
    }

    // Building an index once over sorted keys is far cheaper than keeping it up to date through a million
    // random inserts, so a large load drops the secondary indexes of the big tables and builds them again.
    bool setIndexesAside()
    {
        if (m_demo)
            return true;
        QSqlQuery q;
        if (!m_load.prepare(
                q, QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT "
                                  "NULL AND tbl_name IN ('고객', '주문', '주문내역')")) ||
            !q.exec())
            return false;
        QStringList names;
        while (q.next()) {
            names << q.value(0).toString();
            m_indexes << q.value(1).toString();
        }
        q = QSqlQuery();
        for (const QString& name : names) {
            if (!m_load.exec(QStringLiteral("DROP INDEX \"") + name + QLatin1Char('"')))
                return false;
        }
        // The substring index, too, is built once from the loaded customers.
        m_indexes << CustomerTextIndexDdl();
        if (!m_load.exec(QStringLiteral("DROP TRIGGER IF EXISTS ") + kTextIndexTable + QStringLiteral("_ai")))
            return false;
        return true;
    }

    bool restoreIndexes()
    {
        for (int i = 0; i < m_indexes.size(); ++i) {
            tell(85 + 13 * i / int(m_indexes.size()),
                 QStringLiteral("색인 만드는 중 %1/%2").arg(i + 1).arg(m_indexes.size()));
            if (!m_load.exec(m_indexes.at(i)))
                return false;
        }
        tell(98, QStringLiteral("저장하는 중"));
        return true;
    }

    bool insertStores()
    {
        QSqlQuery store, menu, holiday;
        if (!m_load.prepare(
                store, QStringLiteral("INSERT INTO 가맹점 (코드, 상호, 전화1, 전화2, 전화3, 전화4, 우편번호, "
                                      "주소1, 주소2, 수수료율, 현잔액, 기초잔액, 메모, 영업시작, 영업종료) "
                                      "VALUES (?, ?, ?, ?, '', '', ?, ?, ?, ?, ?, ?, ?, ?, ?)")) ||
            !m_load.prepare(menu, QStringLiteral("INSERT INTO 취급메뉴 (메뉴명, 가맹점코드, 판매단가, 메모) "
                                                 "VALUES (?, ?, ?, ?)")) ||
            !m_load.prepare(holiday,
                            QStringLiteral("INSERT INTO 가맹점휴일 (가맹점코드, 일자, 반복구분, 메모) "
                                           "VALUES (?, ?, ?, ?)")))
            return false;
        const auto& kinds = DemoCatalog::StoreKinds();
        const std::vector<PostRow>& post = PostSampleRows();
        tell(5, QStringLiteral("가맹점 만드는 중"));
        for (int i = 0; i < m_storeCount; ++i) {
            const DemoCatalog::StoreKind& kind = kinds.at(size_t(i) % kinds.size());
            Store s;
            s.code = QString::number(1001 + i);
            s.open = minutesOf(kind.open);
            s.close = minutesOf(kind.close);
            s.rate = i < int(kinds.size())
                         ? kind.rate
                         : DemoCatalog::ExtraRates().at(
                               size_t(m_draw.between(0, int(DemoCatalog::ExtraRates().size()) - 1)));
            const PostRow* region = nullptr;
            QString name = kind.name;
            if (i < int(kinds.size())) {
                const QString branch = kind.branch;
                const QString dong = branch.left(branch.size() - 1) + QStringLiteral("동");
                region = regionByDong(post, QStringLiteral("강남구"), dong);
                if (!region)
                    region = regionByDong(post, QStringLiteral("서초구"), dong);
                if (!region)
                    region = regionByDong(post, QStringLiteral("송파구"), dong);
                if (!region)
                    region = regionByDong(post, QStringLiteral("강남구"), QStringLiteral("역삼동"));
                name += QLatin1Char(' ') + branch;
            } else {
                region = m_seoul.at(size_t(m_draw.between(0, int(m_seoul.size()) - 1)));
                QString dong = region->dong;
                if (dong.endsWith(QStringLiteral("동")))
                    dong.chop(1);
                name += QLatin1Char(' ') + dong + QStringLiteral("%1점").arg(i / int(kinds.size()) + 1);
            }
            s.openingBalance =
                m_draw.percent() < 40 ? 0 : m_draw.between(1, 30) * 5000 + (m_draw.percent() < 30 ? 500 : 0);
            SplitMix g{m_draw.rng()};
            const QString area = DemoCatalog::AreaCode(region->sido);
            const QString phone1 =
                area + QLatin1Char('-') + digits(g, 3, true) + QLatin1Char('-') + digits(g, 4, false);
            const QString phone2 = g.percent() < 50 ? mobile(g) : QString();
            const QStringList& memos = DemoCatalog::StoreMemos();
            if (!m_load.run(
                    store, {s.code, name, phone1, phone2, region->zipcode,
                            region->sido + QLatin1Char(' ') + region->gugun + QLatin1Char(' ') + region->dong,
                            QString::number(g.between(1, 999)) + QLatin1Char('-') +
                                QString::number(g.between(1, 30)) + QStringLiteral(" 1층"),
                            s.rate, double(s.openingBalance), double(s.openingBalance), m_draw.pick(memos),
                            kind.open, kind.close}))
                return false;

            // The dishes of the kind first, then a few of the extras.
            const int available = int(kind.menus.size());
            const int menuCount = std::min(available, std::max(5, m_draw.between(5, 12)));
            for (int k = 0; k < menuCount; ++k) {
                const DemoCatalog::MenuItem& item = kind.menus.at(size_t(k));
                int price = item.price;
                if (i >= int(kinds.size()) && price >= 5000)
                    price += m_draw.between(-2, 2) * 500;
                if (!m_load.run(menu, {item.name, s.code, price, QString()}))
                    return false;
                s.menus.push_back({menu.lastInsertId().toLongLong(), price});
            }
            if (!insertHolidays(holiday, s.code, i))
                return false;
            m_stores.push_back(std::move(s));
        }
        return true;
    }

    bool insertHolidays(QSqlQuery& q, const QString& code, int index)
    {
        static const char* const weekdays[] = {"일요일", "월요일", "화요일", "수요일",
                                               "목요일", "금요일", "토요일"};
        auto add = [&](int kind, const QString& day, const QString& memo) {
            return m_load.run(q, {code, day, kind, memo});
        };
        if (m_demo) {
            // Every kind of repetition appears at least once in the demo installation.
            switch (index) {
            case 2:
                return add(0, m_today.addDays(2).toString(QStringLiteral("yyyy-MM-dd")),
                           QStringLiteral("내부 수리")) &&
                       add(1, QStringLiteral("2"), QStringLiteral("매주 월요일 정기휴무"));
            case 4:
                return add(1, QStringLiteral("1"), QStringLiteral("일요일 휴무")) &&
                       add(3, QStringLiteral("01-01"), QStringLiteral("신정 휴무"));
            case 5:
                return add(2, QStringLiteral("15"), QStringLiteral("매월 15일 휴무"));
            case 6:
                return add(2, QStringLiteral("05"), QStringLiteral("정기 휴무"));
            case 9:
                return add(0, firstDay().addDays(1).toString(QStringLiteral("yyyy-MM-dd")),
                           QStringLiteral("개인 사정")) &&
                       add(3, QStringLiteral("05-01"), QStringLiteral("근로자의 날"));
            case 10:
                return add(1, QStringLiteral("2"), QString());
            case 11:
                return add(3, QStringLiteral("12-25"), QStringLiteral("성탄절"));
            default:
                return true;
            }
        }
        if (m_draw.percent() < 45) {
            const int day = m_draw.between(1, 7);
            if (!add(1, QString::number(day),
                     QString::fromUtf8(weekdays[day - 1]) + QStringLiteral(" 정기휴무")))
                return false;
        }
        if (m_draw.percent() < 15 && !add(2, two(m_draw.between(1, 28)), QStringLiteral("월 정기휴무")))
            return false;
        if (m_draw.percent() < 30 && !add(3, QStringLiteral("01-01"), QStringLiteral("신정")))
            return false;
        if (m_draw.percent() < 10 &&
            !add(0, m_today.addDays(m_draw.between(-m_days, 30)).toString(QStringLiteral("yyyy-MM-dd")),
                 QStringLiteral("임시 휴무")))
            return false;
        return true;
    }

    static bool isOpenAt(const Store& s, int minute)
    {
        return s.close > s.open ? minute >= s.open && minute < s.close : minute >= s.open || minute < s.close;
    }

    // A store and a time at which it takes orders; today's orders lie in the last ten hours before now.
    OrderDraft draftOrder(bool today)
    {
        OrderDraft d{m_draw.skewed(m_storeCount, 1.4), m_draw.skewed(m_customers, 2.0), 0};
        if (!today) {
            const Store& s = m_stores[size_t(d.store)];
            const int span = s.close > s.open ? s.close - s.open : s.close + 1440 - s.open;
            d.minute = (s.open + m_draw.between(0, span - 1)) % 1440;
            return d;
        }
        const int lo = std::max(0, m_now - 600);
        for (int attempt = 0; attempt < 30; ++attempt) {
            d.minute = m_draw.between(lo, m_now);
            if (isOpenAt(m_stores[size_t(d.store)], d.minute))
                break;
            d.store = m_draw.skewed(m_storeCount, 1.4);
        }
        return d;
    }

    bool insertOrders()
    {
        QSqlQuery order, line;
        if (!m_load.prepare(order,
                            QStringLiteral("INSERT INTO 주문 (주문번호, 고객코드, 주문시전화, 가맹점코드, "
                                           "주문일자, 주문시간, 통보시간) VALUES (?, ?, ?, ?, ?, ?, ?)")) ||
            !m_load.prepare(
                line, QStringLiteral("INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, "
                                     "수수료, 메모, 포인트) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)")))
            return false;
        const QStringList& lineMemos = DemoCatalog::LineMemos();
        std::vector<OrderDraft> drafts;
        int dayIndex = 0;
        for (QDate day = firstDay(); day <= m_today; day = day.addDays(1), ++dayIndex) {
            const bool today = day == m_today;
            tell(10 + 45 * dayIndex / m_days,
                 QStringLiteral("주문 만드는 중 %1/%2일").arg(dayIndex + 1).arg(m_days));
            const int count = m_perDay > 0 ? m_perDay
                              : today      ? m_draw.between(20, 40)
                                           : m_draw.between(25, 40);
            drafts.clear();
            for (int i = 0; i < count; ++i)
                drafts.push_back(draftOrder(today));
            std::stable_sort(drafts.begin(), drafts.end(),
                             [](const OrderDraft& a, const OrderDraft& b) { return a.minute < b.minute; });
            // Beyond 999 orders a day the orders are spread over further terminals, as several seats would.
            const int terminals = (count + kMaxPerTerminalDay - 1) / kMaxPerTerminalDay;
            int sequence[10] = {};
            const QString date = day.toString(QStringLiteral("yyyy-MM-dd"));
            const QString prefix = day.toString(QStringLiteral("yyMMdd"));
            const int unpassedFrom = today ? count - std::max(std::min(count, 3), count / 4) : count;
            for (int i = 0; i < count; ++i) {
                const OrderDraft& d = drafts[size_t(i)];
                const int terminal = 1 + i % terminals;
                const QString number =
                    prefix + QChar(u'0' + terminal) +
                    QStringLiteral("%1").arg(++sequence[terminal], 3, 10, QLatin1Char('0'));
                const Customer c = m_maker.phones(d.customer);
                const QString phone =
                    m_draw.percent() < 80 ? c.phones[0] : c.phones[m_draw.between(0, c.phoneCount - 1)];
                QString passed;
                if (!today)
                    passed = hhmm(d.minute + m_draw.between(2, 12));
                else if (i < unpassedFrom)
                    passed = hhmm(std::min(d.minute + m_draw.between(2, 12), m_now));
                Store& s = m_stores[size_t(d.store)];
                if (!m_load.run(order, {number, customerCode(d.customer), phone, s.code, date, hhmm(d.minute),
                                        passed}))
                    return false;

                const int lines = [&] {
                    const int p = m_draw.percent();
                    return p < 50 ? 1 : p < 80 ? 2 : p < 95 ? 3 : 4;
                }();
                int chosen[4] = {-1, -1, -1, -1};
                for (int k = 0; k < lines; ++k) {
                    int m;
                    do {
                        m = m_draw.skewed(int(s.menus.size()), 1.6);
                    } while (std::find(chosen, chosen + k, m) != chosen + k);
                    chosen[k] = m;
                    const int qp = m_draw.percent();
                    const int quantity = qp < 72 ? 1 : qp < 93 ? 2 : 3;
                    const Menu& menu = s.menus[size_t(m)];
                    const qint64 amount = qint64(quantity) * menu.price;
                    const qint64 commission = OrderCharges::LineCommission(s.rate, amount);
                    const qint64 points = OrderCharges::LinePoints(amount, kPointUnit);
                    s.commission += commission;
                    m_points[size_t(d.customer)] += points;
                    const QString memo = m_draw.percent() < 6 ? m_draw.pick(lineMemos) : QString();
                    if (!m_load.run(line, {number, k + 1, menu.code, quantity, menu.price, amount,
                                           double(commission), memo, points}))
                        return false;
                }
            }
        }
        return true;
    }

    bool insertPayments()
    {
        QSqlQuery pay, balance;
        if (!m_load.prepare(pay,
                            QStringLiteral("INSERT INTO 입금 (가맹점코드, 입금일자, 입금액, 할인액, 메모) "
                                           "VALUES (?, ?, ?, ?, ?)")) ||
            !m_load.prepare(balance, QStringLiteral("UPDATE 가맹점 SET 현잔액 = ? WHERE 코드 = ?")))
            return false;
        const QStringList& memos = DemoCatalog::PaymentMemos();
        tell(55, QStringLiteral("입금과 서비스 만드는 중"));
        for (Store& s : m_stores) {
            const int payments = m_demo ? m_draw.between(0, 2) : std::max(1, m_days / 7);
            const qint64 owed = s.openingBalance + s.commission;
            for (int k = 0; k < payments; ++k) {
                // Each payment settles part of what is still owed, in round thousands.
                const qint64 open = owed - s.paid;
                const qint64 amount = (open * m_draw.between(30, 80) / 100) / 1000 * 1000;
                if (amount <= 0)
                    break;
                const qint64 discount = m_draw.percent() < 25 ? std::min<qint64>(open - amount, 500) : 0;
                s.paid += amount + discount;
                const QDate day = firstDay().addDays(m_draw.between(0, m_days - 1));
                if (!m_load.run(pay, {s.code, day.toString(QStringLiteral("yyyy-MM-dd")), amount, discount,
                                      m_draw.pick(memos)}))
                    return false;
            }
            const double current = double(s.openingBalance + s.commission - s.paid);
            if (!m_load.run(balance, {current, s.code}))
                return false;
        }
        return true;
    }

    bool insertServices()
    {
        QSqlQuery svc;
        if (!m_load.prepare(svc, QStringLiteral("INSERT INTO 서비스 (고객코드, 서비스일, 차감포인트, 메모) "
                                                "VALUES (?, ?, ?, ?)")))
            return false;
        m_spent.assign(size_t(m_customers), 0);
        const int wanted = m_demo ? 8 : std::max(1, m_customers / 500);
        const QStringList& memos = DemoCatalog::ServiceMemos();
        int done = 0;
        for (int attempt = 0; attempt < wanted * 20 && done < wanted; ++attempt) {
            const int idx = m_draw.skewed(m_customers, 2.0);
            const qint64 have = m_maker.full(idx).basePoints + m_points[size_t(idx)] - m_spent[size_t(idx)];
            if (have < kServiceThreshold)
                continue;
            const qint64 deduct = have >= 3 * kServiceThreshold && m_draw.percent() < 30
                                      ? 2 * kServiceThreshold
                                      : kServiceThreshold;
            m_spent[size_t(idx)] += deduct;
            const QDate day = firstDay().addDays(m_draw.between(0, m_days - 1));
            if (!m_load.run(svc, {customerCode(idx), day.toString(QStringLiteral("yyyy-MM-dd")), deduct,
                                  m_draw.pick(memos)}))
                return false;
            ++done;
        }
        return true;
    }

    bool insertCustomers()
    {
        QSqlQuery q;
        if (!m_load.prepare(
                q, QStringLiteral(
                       "INSERT INTO 고객 (코드, 전화1, 전화2, 전화3, 전화4, 우편번호, 주소1, "
                       "주소2, 현포인트, 기초포인트, 메모) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")))
            return false;
        for (int i = 0; i < m_customers; ++i) {
            if (i % 20000 == 0)
                tell(58 + int(27LL * i / m_customers),
                     QStringLiteral("고객 만드는 중 %1/%2").arg(i).arg(m_customers));
            const Customer c = m_maker.full(i);
            const qint64 current = c.basePoints + m_points[size_t(i)] - m_spent[size_t(i)];
            if (!m_load.run(q, {c.code, c.phones[0], c.phones[1], c.phones[2], c.phones[3], c.region->zipcode,
                                c.region->sido + QLatin1Char(' ') + c.region->gugun + QLatin1Char(' ') +
                                    c.region->dong,
                                c.address2, current, c.basePoints, c.memo}))
                return false;
        }
        return true;
    }

    bool insertCompany()
    {
        QSqlQuery q;
        if (!m_load.prepare(
                q, QStringLiteral("INSERT INTO 사용자정보 (상호명, 대표자명, 사업자번호, 우편번호, 주소일반, "
                                  "주소상세, 전화번호, 팩스번호, 업태, 종목, 자료등록일자, 최종수정일) "
                                  "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")))
            return false;
        const QDate registered = firstDay().addDays(-30);
        return m_load.run(
            q, {QStringLiteral("느티나무 콜센터"), QStringLiteral("김민준"), QStringLiteral("214-86-31572"),
                QStringLiteral("135-080"), QStringLiteral("서울특별시 강남구 역삼동"),
                QStringLiteral("823-15 느티빌딩 3층"), QStringLiteral("02-555-7800"),
                QStringLiteral("02-555-7801"), QStringLiteral("서비스"), QStringLiteral("전화주문 대행"),
                registered.toString(QStringLiteral("yyyy-MM-dd")),
                Clock::Now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
    }

    static QString customerCode(int index)
    {
        return QLatin1Char('1') + QStringLiteral("%1").arg(index + 1, 7, 10, QLatin1Char('0'));
    }

    const bool m_demo;
    const int m_customers;
    const int m_storeCount;
    const int m_days;
    const int m_perDay;
    Draw m_draw;
    Loader m_load;
    QString* m_error;
    const QDate m_today;
    const int m_now;
    CustomerMaker m_maker;
    std::vector<const PostRow*> m_seoul;
    QStringList m_indexes;
    std::vector<Store> m_stores;
    std::vector<qint64> m_points;
    std::vector<qint64> m_spent;
    DbTool::Progress m_progress;
};
} // namespace

bool Fill(const QString& mainDbFile, const DbTool::DemoOptions& options, QString* error)
{
    DemoSqlConnection conn(mainDbFile);
    if (!conn.openForBulk(error))
        return false;
    QSqlQuery existing(conn.db());
    if (existing.exec(QStringLiteral("SELECT (SELECT COUNT(*) FROM 고객) + (SELECT COUNT(*) FROM 가맹점) + "
                                     "(SELECT COUNT(*) FROM 주문)")) &&
        existing.next() && existing.value(0).toLongLong() > 0) {
        *error = QStringLiteral("이미 자료가 들어 있는 메인DB입니다: ") + mainDbFile;
        return false;
    }
    existing = QSqlQuery();
    Generator g(options, conn, error);
    return g.validate() && g.run();
}
} // namespace DemoData
