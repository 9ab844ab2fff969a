#include "platform/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallQtPolishTexts(QCoreApplication& app) {
  // Dates, sizes and numbers that Qt formats for the user (the file dialog's
  // columns). The program's own conversions do not go through QLocale.
  QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
  auto* translator = new QTranslator(&app);
  // The system's translations, else those the program carries (the Windows
  // program, whose Qt is built without them).
  const QString name = QStringLiteral("qtbase_pl");
  if (!(translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        translator->load(name, QStringLiteral(":/translations"))) ||
      !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return false;
  }
  return true;
}
