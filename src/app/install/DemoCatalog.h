#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// Names, menus and prices the demo generator draws from, read from the compiled-in demo-catalogue.json.
namespace DemoCatalog {

struct MenuItem
{
    QString name;
    int price;
};

struct StoreKind
{
    QString category;
    QString name;
    QString branch;              // branch of the demo installation's store of this kind
    double rate;                 // commission rate in percent
    QString open;                // "HH:MM"
    QString close;               // "HH:MM"; earlier than open for a store that closes after midnight
    std::vector<MenuItem> menus; // the dishes every store of the kind sells come first
};

// Twelve kinds of delivery restaurant; the demo installation has one store of each.
const std::vector<StoreKind>& StoreKinds();
// Further commission rates used when a benchmark installation has more stores than kinds.
const std::vector<double>& ExtraRates();

// Names of apartment blocks and villas for detailed addresses.
const QStringList& BuildingNames();
const QStringList& CustomerMemos();
const QStringList& StoreMemos();
const QStringList& LineMemos();
const QStringList& PaymentMemos();
const QStringList& ServiceMemos();

// Telephone area code of a province or metropolitan city ("02" for Seoul).
QString AreaCode(const QString& sido);
} // namespace DemoCatalog
