#include "shell/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kroyna::shell {

QTranslator* installQtTranslations(const QString& folder) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return nullptr;
  const QString from = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
  auto* translator = new QTranslator(app);
  // The program speaks Russian whatever the user's locale is.
  if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"),
                        from) ||
      !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return nullptr;
  }
  return translator;
}

}  // namespace kroyna::shell
