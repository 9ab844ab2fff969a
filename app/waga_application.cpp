#include "app/waga_application.h"

#include <QMessageBox>
#include <exception>

#include "platform/qt_text.h"
#include "app/look.h"

WagaApplication::WagaApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("waga"));
  setApplicationDisplayName(QStringLiteral("Waga QEL"));
  InstallWagaLook(*this);
}

bool WagaApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    QMessageBox::critical(nullptr, applicationDisplayName(),
                          ToQString(error.what()));
  } catch (...) {
    QMessageBox::critical(nullptr, applicationDisplayName(), QStringLiteral("Nieznany błąd."));
  }
  return false;
}
