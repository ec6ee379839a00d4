#include "app/install/DemoCatalog.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace DemoCatalog {

namespace {
// The catalogue as compiled in; a broken one is the build's fault, not the operator's.
struct Catalogue
{
    std::vector<StoreKind> kinds;
    std::vector<double> extraRates;
    QStringList buildingNames, customerMemos, storeMemos, lineMemos, paymentMemos, serviceMemos;
    QHash<QString, QString> areaCodes;
};

QStringList texts(const QJsonValue& value)
{
    QStringList out;
    for (const QJsonValue& v : value.toArray())
        out << v.toString();
    return out;
}

const Catalogue& catalogue()
{
    static const Catalogue c = [] {
        QFile file(QStringLiteral(":/install/demo-catalogue.json"));
        if (!file.open(QIODevice::ReadOnly))
            qFatal("demo catalogue missing from the build");
        QJsonParseError parseError;
        const QJsonObject root = QJsonDocument::fromJson(file.readAll(), &parseError).object();
        if (parseError.error != QJsonParseError::NoError)
            qFatal("demo catalogue: %s", qPrintable(parseError.errorString()));
        Catalogue out;
        for (const QJsonValue& k : root.value(QStringLiteral("storeKinds")).toArray()) {
            const QJsonObject o = k.toObject();
            StoreKind kind{o.value(QStringLiteral("category")).toString(),
                           o.value(QStringLiteral("name")).toString(),
                           o.value(QStringLiteral("branch")).toString(),
                           o.value(QStringLiteral("rate")).toDouble(),
                           o.value(QStringLiteral("open")).toString(),
                           o.value(QStringLiteral("close")).toString(),
                           {}};
            for (const QJsonValue& m : o.value(QStringLiteral("menus")).toArray())
                kind.menus.push_back({m.toArray().at(0).toString(), m.toArray().at(1).toInt()});
            out.kinds.push_back(std::move(kind));
        }
        for (const QJsonValue& r : root.value(QStringLiteral("extraRates")).toArray())
            out.extraRates.push_back(r.toDouble());
        out.buildingNames = texts(root.value(QStringLiteral("buildingNames")));
        out.customerMemos = texts(root.value(QStringLiteral("customerMemos")));
        out.storeMemos = texts(root.value(QStringLiteral("storeMemos")));
        out.lineMemos = texts(root.value(QStringLiteral("lineMemos")));
        out.paymentMemos = texts(root.value(QStringLiteral("paymentMemos")));
        out.serviceMemos = texts(root.value(QStringLiteral("serviceMemos")));
        const QJsonObject codes = root.value(QStringLiteral("areaCodes")).toObject();
        for (auto it = codes.begin(); it != codes.end(); ++it)
            out.areaCodes.insert(it.key(), it.value().toString());
        if (out.kinds.empty() || out.extraRates.empty())
            qFatal("demo catalogue without store kinds or rates");
        return out;
    }();
    return c;
}
} // namespace

const std::vector<StoreKind>& StoreKinds()
{
    return catalogue().kinds;
}

const std::vector<double>& ExtraRates()
{
    return catalogue().extraRates;
}

const QStringList& BuildingNames()
{
    return catalogue().buildingNames;
}

const QStringList& CustomerMemos()
{
    return catalogue().customerMemos;
}

const QStringList& StoreMemos()
{
    return catalogue().storeMemos;
}

const QStringList& LineMemos()
{
    return catalogue().lineMemos;
}

const QStringList& PaymentMemos()
{
    return catalogue().paymentMemos;
}

const QStringList& ServiceMemos()
{
    return catalogue().serviceMemos;
}

QString AreaCode(const QString& sido)
{
    return catalogue().areaCodes.value(sido, QStringLiteral("02"));
}
} // namespace DemoCatalog
