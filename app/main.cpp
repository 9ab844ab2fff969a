#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName("Waga QEL");
  QMainWindow window;
  window.setWindowTitle(QString::fromUtf8("Program do komunikacji z wagą."));
  window.show();
  return app.exec();
}
