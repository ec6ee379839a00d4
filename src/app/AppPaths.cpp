#include "app/AppPaths.h"

#include "app/Platform.h"

#include <QDir>
#include <QFileInfo>

namespace {
QString g_folder;

QString defaultFolder()
{
    const QString env = qEnvironmentVariable("ZELKOVA_HOME");
    if (!env.isEmpty())
        return env;
    return CurrentPlatform().DefaultProgramFolder();
}
} // namespace

namespace AppPaths {
void InitFromArgs(QStringList& args)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--home") && i + 1 < args.size()) {
            SetProgramFolder(args.at(i + 1));
            args.remove(i, 2);
            return;
        }
        if (a.startsWith(QLatin1String("--home="))) {
            SetProgramFolder(a.mid(7));
            args.remove(i);
            return;
        }
    }
    SetProgramFolder(defaultFolder());
}

void SetProgramFolder(const QString& folder)
{
    g_folder = QDir::cleanPath(QFileInfo(Native(folder)).absoluteFilePath());
}

QString ProgramFolder()
{
    if (g_folder.isEmpty())
        SetProgramFolder(defaultFolder());
    return g_folder;
}

QString Native(const QString& path)
{
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p;
}

QString ResolveCaseInsensitive(const QString& base, const QString& relative)
{
    QString current = Native(base);
    const QStringList parts = Native(relative).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        QString chosen = part;
        const QDir dir(current);
        if (dir.exists() && !QFileInfo::exists(current + QLatin1Char('/') + part)) {
            const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
            for (const QString& e : entries) {
                if (e.compare(part, Qt::CaseInsensitive) == 0) {
                    chosen = e;
                    break;
                }
            }
        }
        current += QLatin1Char('/') + chosen;
    }
    return current;
}

QString ProgramPath(const QString& relative)
{
    return ResolveCaseInsensitive(ProgramFolder(), relative);
}
} // namespace AppPaths
