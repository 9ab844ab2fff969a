#include "app/waga_application.h"

#include <QMessageBox>
#include <exception>

#include "acquisition/text/win1250.h"
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
                          QString::fromStdString(Cp1250ToUtf8(error.what())));
  } catch (...) {
    QMessageBox::critical(nullptr, applicationDisplayName(), QStringLiteral("Nieznany błąd."));
  }
  return false;
}
