#pragma once

#include "reports/ReportTotals.h"
#include "ui/ErrInfo.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class DbConnection;

// The store ledger in the seat's report database: carried-forward balances, commissions and payments of a
// period with the running balance after each, and the ledger as the grid shows it.
namespace StoreLedger {

inline const QString kCarriedForward = QStringLiteral("[전기이월]");
inline const QString kPaymentMenu = QStringLiteral("입금");
inline const QString kWorkTable = QStringLiteral("매출대입금");

enum class Kind
{
    Carried,
    Commission,
    Payment,
};

// One row of the work table; money in whole won.
struct Entry
{
    Kind kind = Kind::Commission;
    QString store;
    QString name;
    QString date;
    QString menu;
    qint64 quantity = 0;
    qint64 price = 0;
    qint64 discount = 0;
    qint64 commission = 0;
    qint64 payment = 0;
    // The store's balance after this row.
    qint64 balance = 0;
};

// A store's name and its balance at the start of the period.
struct Opening
{
    QString name;
    qint64 balance = 0;
};

struct Totals
{
    // Carried-forward balances of the stores in the ledger.
    qint64 carried = 0;
    // Closing balances of the stores in the ledger.
    qint64 closing = 0;
};

// The running balance over movements given in running order within each store (stores may take turns): each
// store's carried-forward row comes before its first movement, whatever the collation of its date text, and a
// store without movements has no rows and counts in no total.
std::vector<Entry> RunBalances(const QHash<QString, Opening>& openings, const std::vector<Entry>& movements,
                               Totals& totals);

enum class SortBy
{
    Code,
    Name,
};

// Grid columns, 0-based.
enum Col
{
    ColStore,
    ColName,
    ColDate,
    ColMenu,
    ColQuantity,
    ColCommission,
    ColDiscount,
    ColPayment,
    ColBalance,
    ColCount
};

// The ledger as the grid shows it: rows of one store, date and menu merged (sums of the movements, the
// balance after the last of them), each store's carried-forward row first and its rows in running order, a
// "[소 계]" row per store and the "[합 계]" row with "이월: " and the carried-forward total beside it and the
// closing total under the balance. Carried-forward and payment rows have their zero amounts blank and carry
// their Kind as tag. Held as numbers and shared texts (a year of every store is close to half a million
// rows), each grid row made when asked for.
class Ledger : public ReportRowSource
{
public:
    Ledger();
    ~Ledger() override;
    Ledger(Ledger&&) noexcept;
    Ledger& operator=(Ledger&&) noexcept;

    int RowCount() const override;
    ReportRow RowAt(int row) const override;
    int DataRowCount() const override;
    Totals totals() const;
    // Stores by code, or by name and then code.
    void SortStores(SortBy sort);
    // Every row, for those who want them all at once.
    std::vector<ReportRow> Rows() const;

    struct Data;
    Data& data() { return *d; }

private:
    std::unique_ptr<Data> d;
};

struct BuildResult
{
    bool ok = false;
    // The progress callback asked to stop; the work table is empty.
    bool cancelled = false;
    ErrInfo error;
    Totals totals;
    qint64 rows = 0;
    // The main file's rows were read beside the writing, by a thread of its own (a file whose statements
    // need no sort; not on a server).
    bool readBeside = false;
};

// Called as the build reaches each day of the period that has movements, with the days done so far and the
// days of the period; returns false to stop the build.
using Progress = std::function<bool(int daysDone, int daysTotal)>;

// Rebuilds the work table for the period d1..d2 ("yyyy-MM-dd") and one store (store "" = all stores). The
// main database is only read. A failure or a stop leaves the work table empty, never half-built. With a
// ledger, a successful build also gives the ledger as Read would (sorted by code), without reading the table
// back.
BuildResult Build(DbConnection& main, DbConnection& report, const QString& d1, const QString& d2,
                  const QString& store, const Progress& progress = {}, Ledger* ledger = nullptr);
// The same with the ledger's rows all at once.
BuildResult Build(DbConnection& main, DbConnection& report, const QString& d1, const QString& d2,
                  const QString& store, const Progress& progress, std::vector<ReportRow>* rows);

// The work table as the ledger grid shows it. False with *error when the table cannot be read.
bool Read(DbConnection& report, SortBy sort, Ledger& ledger, ErrInfo* error);
bool Read(DbConnection& report, SortBy sort, std::vector<ReportRow>& rows, Totals* totals, ErrInfo* error);

// The SELECTs a build of the period reads a main database file with, in their order and in the engine's own
// SQL with their values in place, without the program's own work on the rows (for measuring the engine
// beside the build: each stepped to its end reads what the build reads). Empty for a server.
QStringList BuildSelects(DbConnection& main, const QString& d1, const QString& d2, const QString& store);

} // namespace StoreLedger
