#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

// A read the screens run without writing SQL themselves: the statement in Jet SQL and the values bound to
// its "?" places in order.
struct ReadQuery
{
    QString sql;
    QVariantList values;

    // Binds each of list's values and returns their places ("?,?,?") for an IN (…) list.
    template <typename List> QString bindEach(const List& list)
    {
        QString marks;
        for (const auto& v : list) {
            marks += marks.isEmpty() ? QStringLiteral("?") : QStringLiteral(",?");
            values << QVariant(v);
        }
        return marks;
    }
};
