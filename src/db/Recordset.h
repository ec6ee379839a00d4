#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

class QSqlQuery;

// A read result held on the client side: exact row count, a current row, fields by name or index.
class Recordset
{
public:
    enum State
    {
        Closed = 0,
        Open = 1
    };

    int state() const { return m_open ? Open : Closed; }
    bool isOpen() const { return m_open; }
    void close();

    // Reads every row of an executed query.
    void load(QSqlQuery& q);

    int RecordCount() const { return int(m_rows.size()); }
    bool EOF_() const { return m_pos >= m_rows.size(); }
    bool BOF_() const { return m_pos < 0 || m_rows.isEmpty(); }
    void MoveNext() { ++m_pos; }
    void MoveFirst() { m_pos = 0; }
    int position() const { return int(m_pos); }
    void setPosition(int row) { m_pos = row; }

    int fieldCount() const { return int(m_names.size()); }
    QString fieldName(int index) const { return m_names.value(index); }
    // Field index by name without regard to letter case; -1 when absent.
    int fieldIndex(const QString& name) const;

    // Value of the current row (Null past the end or for an unknown field).
    QVariant value(int index) const;
    QVariant value(const QString& name) const;
    QVariant operator[](const QString& name) const { return value(name); }
    // "" for Null, otherwise the value as text.
    QString text(const QString& name) const;

    const QList<QVariantList>& rows() const { return m_rows; }

private:
    QStringList m_names;
    QHash<QString, int> m_index;
    QList<QVariantList> m_rows;
    qsizetype m_pos = 0;
    bool m_open = false;
};
