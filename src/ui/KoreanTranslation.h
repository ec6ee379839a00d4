#pragma once

#include <QString>

// Qt's own texts in Korean whatever the seat's locale: the buttons of input boxes and standard dialogs, the
// context menus of text boxes, the names of months and days in calendars.
namespace KoreanTranslation {

// The translation file loaded: qtbase_ko.qm of Debian's qt6-translations-l10n in Qt's translation folder.
QString FilePath();
// Installs the translation into the running application and makes Korean the default locale; false when
// the file could not be loaded (the texts then stay English; the caller logs it).
bool Install();

} // namespace KoreanTranslation
