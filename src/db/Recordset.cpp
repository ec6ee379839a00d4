#include "db/Recordset.h"

#include "db/modDBQuery.h"

#include <QSqlQuery>
#include <QSqlRecord>

void Recordset::close()
{
    m_rows.clear();
    m_names.clear();
    m_index.clear();
    m_pos = 0;
    m_open = false;
}

void Recordset::load(QSqlQuery& q)
{
    close();
    const QSqlRecord rec = q.record();
    const int n = rec.count();
    m_names.reserve(n);
    for (int i = 0; i < n; ++i) {
        m_names << rec.fieldName(i);
        const QString key = rec.fieldName(i).toLower();
        if (!m_index.contains(key))
            m_index.insert(key, i);
    }
    while (q.next()) {
        QVariantList row;
        row.reserve(n);
        for (int i = 0; i < n; ++i)
            row.append(q.value(i));
        m_rows.append(std::move(row));
    }
    m_pos = 0;
    m_open = true;
}

int Recordset::fieldIndex(const QString& name) const
{
    int i = m_index.value(name.toLower(), -1);
    if (i < 0) {
        // "o.상호" style names: the result carries the bare column name.
        const int dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot >= 0)
            i = m_index.value(name.mid(dot + 1).toLower(), -1);
    }
    return i;
}

QVariant Recordset::value(int index) const
{
    if (m_pos < 0 || m_pos >= m_rows.size() || index < 0 || index >= m_names.size())
        return {};
    return m_rows.at(m_pos).at(index);
}

QVariant Recordset::value(const QString& name) const
{
    return value(fieldIndex(name));
}

QString Recordset::text(const QString& name) const
{
    return NullToStr(value(name));
}
