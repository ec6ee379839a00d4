// The normalize-phones command: rewrites the telephone numbers of customers and stores in their stored form.
#include "app/install/DbTool.h"

#include "db/DbConnection.h"
#include "masters/CustPhone.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace DemoData {

bool NormalizePhones(const QString& mainDbFile, int* changed, QString* error)
{
    int count = 0;
    DbConnection conn;
    ErrInfo e;
    if (!conn.open(mainDbFile, false, &e)) {
        *error = e.description;
        return false;
    }
    QSqlDatabase db = conn.database();
    if (!db.transaction()) {
        *error = db.lastError().text();
        return false;
    }
    for (const QString& table : {QStringLiteral("고객"), QStringLiteral("가맹점")}) {
        QSqlQuery read(db);
        read.setForwardOnly(true);
        if (!read.exec(QStringLiteral("SELECT 코드, 전화1, 전화2, 전화3, 전화4 FROM ") + table)) {
            *error = read.lastError().text();
            db.rollback();
            return false;
        }
        // Rows to change are collected first so the writes do not run under the open read.
        QList<std::pair<QString, QStringList>> rows;
        while (read.next()) {
            QStringList numbers;
            bool differs = false;
            for (int i = 1; i <= 4; ++i) {
                const QString stored = read.value(i).toString();
                const QString canonical = CanonicalPhone(stored);
                numbers << canonical;
                if (canonical != stored && !read.value(i).isNull()) {
                    differs = true;
                    ++count;
                }
            }
            if (differs)
                rows.append({read.value(0).toString(), numbers});
        }
        read.finish();
        QSqlQuery write(db);
        write.prepare(QStringLiteral("UPDATE ") + table +
                      QStringLiteral(" SET 전화1 = ?, 전화2 = ?, 전화3 = ?, 전화4 = ? WHERE 코드 = ?"));
        for (const auto& [code, numbers] : rows) {
            for (const QString& n : numbers)
                write.addBindValue(n);
            write.addBindValue(code);
            if (!write.exec()) {
                *error = write.lastError().text();
                db.rollback();
                return false;
            }
        }
    }
    if (!db.commit()) {
        *error = db.lastError().text();
        db.rollback();
        return false;
    }
    if (changed)
        *changed = count;
    return true;
}

} // namespace DemoData
