#include "app/waga_application.h"

#include <QIcon>
#include <QMessageBox>
#include <exception>

#include "text/win1250.h"
#include "app/look.h"
#include "platform/qt_text.h"
#include "platform/qt_translations.h"
#include "platform/window_frames.h"

WagaApplication::WagaApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // The title names the program to the desktop (task bar, window grouping).
  // It is not a display name, which would be appended to every caption.
  setApplicationName(QStringLiteral("Waga QEL"));
  // The menu entry and icon of the installed package (a build that is not
  // installed finds no icon and keeps Qt's default).
  setDesktopFileName(QStringLiteral("com.example.qel.Waga"));
  setWindowIcon(QIcon::fromTheme(QStringLiteral("waga")));
  InstallWagaLook(*this);
  InstallQtPolishTexts(*this);
}

bool WagaApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ShowStandardException(error.what());
  } catch (...) {
    ShowStandardException(UnknownErrorText());
  }
  return false;
}

void ShowStandardException(const std::string& message) {
  QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), ToQString(message),
                  QMessageBox::Ok);
  box.setWindowFlags(kDialogFrame);
  box.exec();
}

std::string UnknownErrorText() { return Utf8ToCp1250("Nieznany błąd."); }
