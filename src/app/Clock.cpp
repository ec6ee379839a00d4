#include "app/Clock.h"

namespace {
QDateTime g_fixed;
}

namespace Clock {
QDateTime Now()
{
    return g_fixed.isValid() ? g_fixed : QDateTime::currentDateTime();
}

QDate Today()
{
    return Now().date();
}

QTime Time()
{
    return Now().time();
}

void SetFixed(const QDateTime& moment)
{
    g_fixed = moment;
}

void Advance(qint64 seconds)
{
    if (g_fixed.isValid())
        g_fixed = g_fixed.addSecs(seconds);
}
} // namespace Clock
