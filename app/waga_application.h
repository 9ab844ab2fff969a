#pragma once

#include <QApplication>

// The application object: its title and look, and the display of an
// exception that escapes a handler (a modal box with its message) after
// which the program goes on.
class WagaApplication : public QApplication {
 public:
  WagaApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;
};
