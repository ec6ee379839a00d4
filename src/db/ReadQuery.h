#pragma once

#include <QString>
#include <QVariantList>

// A read the screens run without writing SQL themselves: the statement in Jet SQL and the values bound to
// its "?" places in order.
struct ReadQuery
{
    QString sql;
    QVariantList values;
};
