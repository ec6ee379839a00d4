// Customer picker telephone search, end to end from FindRecords to the filled grid, on 100,000 and 1,000,000
// generated customers (and on the installation given with --home).
#include "Bench.h"

#include "app/UserSettings.h"
#include "db/CustomerPhoneIndex.h"
#include "db/CustomerTextIndex.h"
#include "db/MduAdoDB.h"
#include "db/Schema.h"
#include "masters/CustPhone.h"
#include "masters/CustomerQueries.h"
#include "masters/gui/FrmCust_sel.h"
#include "support/Controls.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/SpreadGrid.h"

#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>

namespace {

QString number(QRandomGenerator& rng, const char* area)
{
    return QStringLiteral("%1-%2-%3")
        .arg(QLatin1String(area))
        .arg(rng.bounded(1000, 10000))
        .arg(rng.bounded(0, 10000), 4, 10, QLatin1Char('0'));
}

// Fills 고객 with n customers through the C API (the fastest way in), numbers in their stored form.
bool generate(const QString& file, int n, QString* firstTel1, QString* error)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(file.toUtf8().constData(), &db) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return false;
    }
    // The substring index is built once after the load, not row by row.
    const QByteArray dropTrigger =
        (QStringLiteral("DROP TRIGGER IF EXISTS ") + kTextIndexTable + QStringLiteral("_ai")).toUtf8();
    sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(db, dropTrigger.constData(), nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO 고객 (코드, 전화1, 전화2, 전화3, 전화4, 우편번호, 주소1, 주소2, "
                       "현포인트, 기초포인트, 메모) "
                       "VALUES (?, ?, ?, ?, ?, '110-030', ?, ?, 0, 0, '')",
                       -1, &st, nullptr);
    static const char* towns[] = {"서울특별시 종로구 삼청동", "서울특별시 중구 명동1가",
                                  "서울특별시 마포구 서교동", "서울특별시 강남구 역삼동",
                                  "경기도 수원시 영통동"};
    QRandomGenerator rng(20261208);
    for (int i = 1; i <= n; ++i) {
        const QByteArray code = QStringLiteral("1%1").arg(i, 7, 10, QLatin1Char('0')).toUtf8();
        QByteArray tels[4];
        tels[0] = number(rng, "02").toUtf8();
        const quint32 r = rng.bounded(100);
        if (r < 40)
            tels[1] = number(rng, "010").toUtf8();
        if (r < 10)
            tels[2] = number(rng, "031").toUtf8();
        if (r < 5)
            tels[3] = number(rng, "02").toUtf8();
        if (i == 1)
            *firstTel1 = QString::fromUtf8(tels[0]);
        const QByteArray addr1 = QByteArray(towns[rng.bounded(5)]);
        const QByteArray addr2 = QStringLiteral("%1번지").arg(rng.bounded(1, 999)).toUtf8();
        sqlite3_bind_text(st, 1, code.constData(), -1, SQLITE_TRANSIENT);
        for (int k = 0; k < 4; ++k)
            sqlite3_bind_text(st, 2 + k, tels[k].constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 6, addr1.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 7, addr2.constData(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(st) != SQLITE_DONE) {
            *error = QString::fromUtf8(sqlite3_errmsg(db));
            break;
        }
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    for (const QString& sql : CustomerTextIndexDdl())
        sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return error->isEmpty();
}

// The same statement through the bare C API: the time the engine alone needs, rows read to the end.
double rawMs(const QString& file, const QString& sql)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const QByteArray s = sql.toUtf8();
    const double ms = BenchMedianMs(7, [&] {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, s.constData(), -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                sqlite3_column_text(st, c);
        }
        sqlite3_finalize(st);
    });
    sqlite3_close(db);
    return ms;
}

void measure(const QString& file, const QString& label, const QString& fullNumber)
{
    ErrInfo e;
    if (!gMainConn.open(file, false, &e)) {
        std::printf("cannot open %s: %s\n", qUtf8Printable(file), qUtf8Printable(e.description));
        return;
    }
    QString error;
    QElapsedTimer t;
    t.start();
    if (!ApplyCustomerPhoneIndex(gMainConn, &error)) {
        std::printf("index: %s\n", qUtf8Printable(error));
        gMainConn.close();
        return;
    }
    BenchReport(QStringLiteral("전화역순 표 만들기 (%1)").arg(label), double(t.elapsed()));
    // A single row whose number is not in the searched text would ask which number; the bench answers
    // nothing.
    const ModalHandler previous = SetModalHandler([](QDialog*) { return int(QDialog::Rejected); });

    FrmCust_sel picker;
    Ctl<QCheckBox>(&picker, "chkFindFld", 0)->setChecked(true);
    Ctl<QCheckBox>(&picker, "chkFindFld", 1)->setChecked(false);
    Ctl<QCheckBox>(&picker, "chkFindFld", 2)->setChecked(false);
    const QString last4 = fullNumber.right(4);
    const QString digits = WithoutHyphens(fullNumber);
    for (const QString& text : {last4, digits}) {
        int n = 0;
        const double ours = BenchMedianMs(7, [&] { n = picker.FindRecords(text, QStringLiteral("False")); });
        const QString sql =
            SqliteDialect().translate(CustomerQueries::Picker(text, true, false, false, true).sql);
        BenchReport(
            QStringLiteral("FindRecords \"%1\" → grid (%2)").arg(text, label), ours, rawMs(file, sql),
            QStringLiteral("%1 rows, result %2").arg(Ctl<SpreadGrid>(&picker, "spList")->MaxRows()).arg(n));
    }
    // The four-column suffix scan the index replaces, for comparison.
    const QString scan =
        SqliteDialect().translate(CustomerQueries::Picker(last4, true, false, false, false).sql);
    BenchReport(QStringLiteral("plain scan 전화1..4 LIKE '%%1' (%2)").arg(last4, label), rawMs(file, scan),
                -1, QStringLiteral("engine only, without the index"));
    SetModalHandler(previous);
    gMainConn.close();
}

} // namespace

ZK_BENCH("customers: picker telephone search")
{
    QTemporaryDir dir;
    UserSettings::SetFolder(dir.path() + QStringLiteral("/settings"));
    for (const int n : {100000, 1000000}) {
        const QString file = dir.path() + QStringLiteral("/cust%1.mdb").arg(n);
        QString error;
        if (!Schema::CreateDatabaseFile(file, Schema::MainTables(), Schema::kCurrentVersion, &error)) {
            std::printf("create: %s\n", qUtf8Printable(error));
            return;
        }
        QString first;
        QElapsedTimer t;
        t.start();
        if (!generate(file, n, &first, &error)) {
            std::printf("generate: %s\n", qUtf8Printable(error));
            return;
        }
        BenchReport(QStringLiteral("고객 %1명 만들기").arg(n), double(t.elapsed()));
        measure(file, QStringLiteral("%1명").arg(n), first);
        QFile::remove(file);
    }
    if (!ctx.mainDbFile().isEmpty()) {
        QString first;
        {
            ErrInfo e;
            DbConnection probe;
            if (probe.open(ctx.mainDbFile(), true, &e)) {
                QSqlQuery q;
                if (probe.query(QStringLiteral("SELECT 전화1 FROM 고객 WHERE 전화1 <> ''"), q, &e) &&
                    q.next())
                    first = q.value(0).toString();
            }
        }
        if (!first.isEmpty())
            measure(ctx.mainDbFile(), QStringLiteral("--home"), first);
    }
}
