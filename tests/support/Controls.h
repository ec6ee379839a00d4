#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QtGlobal>

// The control a screen carries under its name (its objectName), as the operators' manual knows it. A
// screen without it ends the test program with both names: a renamed control is a fault, not a skip.
template <typename T> T* Ctl(const QObject* screen, const QString& name)
{
    T* control = screen->findChild<T*>(name);
    if (!control)
        qFatal("%s has no %s named %s", qPrintable(screen->objectName()), T::staticMetaObject.className(),
               qPrintable(name));
    return control;
}

// One of a row of controls named name + "_" + index (htFilter_0, pnlCustTel_3).
template <typename T> T* Ctl(const QObject* screen, const QString& name, int index)
{
    return Ctl<T>(screen, name + QLatin1Char('_') + QString::number(index));
}
