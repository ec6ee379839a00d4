#include "support/Golden.h"

#include <QFile>
#include <QStringList>

namespace Golden {
QString Path(const QString& relative)
{
    return QStringLiteral(ZELKOVA_TESTS_DIR "/") + relative;
}

bool Matches(const QString& name, const QString& actual, QString* difference)
{
    QFile file(Path(QStringLiteral("golden/") + name));
    if (qEnvironmentVariable("ZELKOVA_UPDATE_GOLDEN") == QLatin1String("1"))
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(actual.toUtf8()) >= 0;
    const QStringList want = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split('\n')
                                                            : QStringList{QStringLiteral("(no file)")};
    const QStringList got = actual.split('\n');
    for (qsizetype i = 0; i < want.size() || i < got.size(); ++i)
        if (i >= want.size() || i >= got.size() || want.at(i) != got.at(i)) {
            *difference =
                QStringLiteral("%1 line %2\n  expected: %3\n  actual:   %4")
                    .arg(file.fileName())
                    .arg(i + 1)
                    .arg(want.value(i, QStringLiteral("(end)")), got.value(i, QStringLiteral("(end)")));
            return false;
        }
    return true;
}
} // namespace Golden
