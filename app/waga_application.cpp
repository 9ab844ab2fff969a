#include "app/waga_application.h"

#include <QMessageBox>
#include <exception>

#include "platform/qt_text.h"
#include "app/look.h"

WagaApplication::WagaApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // The title names the program to the desktop (task bar, window grouping).
  // It is not a display name, which would be appended to every caption.
  setApplicationName(QStringLiteral("Waga QEL"));
  InstallWagaLook(*this);
}

bool WagaApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    QMessageBox::critical(nullptr, applicationName(),
                          ToQString(error.what()));
  } catch (...) {
    QMessageBox::critical(nullptr, applicationName(), QStringLiteral("Nieznany błąd."));
  }
  return false;
}
