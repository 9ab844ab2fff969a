#pragma once

#include <QApplication>
#include <string>

// The application object: its title and look, and the display of an
// exception that escapes a handler (a modal box with its message) after
// which the program goes on.
class WagaApplication : public QApplication {
 public:
  WagaApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;
};

// The standard exception display: a modal error box, captioned with the
// application's title, with the message (Windows-1250).
void ShowStandardException(const std::string& message);
// The message shown for an exception that carries none.
std::string UnknownErrorText();
