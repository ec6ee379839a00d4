#include "ui/KoreanTranslation.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace KoreanTranslation {

QString FilePath()
{
    return QDir(QLibraryInfo::path(QLibraryInfo::TranslationsPath)).filePath(QStringLiteral("qtbase_ko.qm"));
}

bool Install()
{
    // Widgets made from now on take the Korean locale, their number formats included (the same digits,
    // separators and decimal point as the program's own formats).
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    static QPointer<QTranslator> installed;
    if (installed)
        return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(FilePath()) || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    installed = translator;
    return true;
}

} // namespace KoreanTranslation
