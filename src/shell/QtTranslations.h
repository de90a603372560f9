#pragma once

#include <QString>

class QTranslator;

namespace kroyna::shell {

// Qt's own texts (the standard buttons, the file and printer dialogs) in
// Russian: loads Qt's translation catalogue "qtbase_ru.qm" from `folder`
// (by default the folder Qt keeps its translations in, filled by the
// Debian package qt6-translations-l10n) and installs it in the running
// application. Returns the translator, owned by the application, or
// nullptr when the catalogue is missing; Qt's dialogs then stay in English
// and nothing else changes.
QTranslator* installQtTranslations(const QString& folder = {});

}  // namespace kroyna::shell
