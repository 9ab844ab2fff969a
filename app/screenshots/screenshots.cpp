// Saves pictures of the main window, its settings pages and menu, and of
// the about window (collapsed and expanded) into the folder given as the
// first argument. Runs the real windows in a scratch working directory,
// with a reading in the display and a balance report in the preview.

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTabWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "app/about_box.h"
#include "app/export_dialog.h"
#include "app/form1.h"
#include "app/waga_application.h"
#include "config/ui/form_ustaw.h"
#include "text/clock.h"

namespace {

class SilentDialogs : public Dialogs {
 public:
  void ShowMessage(MessageKind, const std::string& text) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
  }
  bool Confirm(const std::string&) override { return false; }
  std::string InputBox(const std::string&, const std::string&, const std::string& preset) override {
    return preset;
  }
  std::optional<std::string> SaveFileName(const std::string&) override { return std::nullopt; }
};

// Offscreen, the window's own drawing; on a display with a window manager,
// the screen under the window with the manager's frame.
bool Save(QWidget* window, const QString& path) {
  QApplication::processEvents();
  bool ok = false;
  if (QGuiApplication::platformName() == QStringLiteral("offscreen")) {
    ok = window->grab().save(path);
  } else {
    if (!QTest::qWaitFor([&] { return window->frameGeometry().size() != window->size(); }, 3000)) {
      std::fprintf(stderr, "no frame around %s\n", qPrintable(path));
    }
    QTest::qWait(300);  // the manager's drawing of the frame has no event to wait for
    const QRect frame = window->frameGeometry();
    ok = window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()).save(path);
  }
  std::fprintf(stderr, "%s %s\n", ok ? "saved" : "FAILED", qPrintable(path));
  return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
  WagaApplication app(argc, argv);
  const QString target = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  // "export": only the export dialog (scripts/screenshots.sh draws it framed).
  const bool exportOnly = argc > 2 && QString::fromLocal8Bit(argv[2]) == QStringLiteral("export");
  QDir().mkpath(target);
  const QString folder = QDir(target).absolutePath();

  QTemporaryDir scratch;
  SilentDialogs dialogs;
  TForm1Environment environment;
  environment.dialogs = &dialogs;
  environment.freeSpace = [] { return std::int64_t{1} << 40; };
  environment.instanceMarkerPath = (scratch.path() + QStringLiteral("/marker")).toStdString();
  environment.workingDirectory = scratch.path().toStdString();

  TForm1 form(environment);
  form.SetFormUstaw(new TFormUstaw(&form));
  auto* about = new TAboutBox(&form);
  about->SetUrlOpener([](const QString&) {});
  form.SetAboutBox(about);

  form.Ldisplay()->setText(QStringLiteral("12.50"));
  form.SetStatusPanelText(1, "port COM2, 1200bps");
  form.Mraport()->setPlainText(QStringLiteral(
      "\n  BILANS WAZEN\n  l.wazen    masa    suma\n"
      "001     45.23 kg     45.23 kg    2026/12/07  09:14\n"
      "002     38.90 kg     84.13 kg    2026/12/07  09:14\n"
      "003     51.07 kg    135.20 kg    2026/12/07  09:15\n"
      "004     12.50 kg    147.70 kg    2026/12/07  09:15"));
  form.show();
  if (!QTest::qWaitForWindowExposed(&form)) return 1;

  bool ok = true;
  if (!exportOnly) {
    ok = Save(&form, folder + QStringLiteral("/main-window.png"));

    // The four settings pages side by side.
    QTabWidget* pages = form.PCustawienia();
    QImage strip(pages->width() * pages->count() + 8 * (pages->count() - 1), pages->height(),
                 QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    {
      QPainter painter(&strip);
      for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        QApplication::processEvents();
        painter.drawPixmap(i * (pages->width() + 8), 0, pages->grab());
      }
    }
    pages->setCurrentIndex(0);
    ok = strip.save(folder + QStringLiteral("/settings-pages.png")) && ok;
    // The "Ustawienia" menu with its radio items, page "Bilans" chosen.
    form.MBilansClick();
    if (auto* menu = form.findChild<QMenu*>(QStringLiteral("MMwidok"))) {
      menu->popup(form.mapToGlobal(QPoint(0, 0)));
      if (!QTest::qWaitForWindowExposed(menu)) return 1;
      ok = Save(menu, folder + QStringLiteral("/settings-menu.png")) && ok;
      menu->hide();
    }
    form.MwagaClick();

    form.MMaboutClick();
    if (!QTest::qWaitForWindowExposed(about)) return 1;
    ok = Save(about, folder + QStringLiteral("/about-window.png")) && ok;
    about->IqelClick();
    ok = Save(about, folder + QStringLiteral("/about-window-expanded.png")) && ok;
    about->close();
  }

  // The export dialog after an export of the day's data file.
  {
    QFile day(scratch.filePath(QStringLiteral("20261207")));
    if (day.open(QIODevice::WriteOnly)) {
      day.write(form.Mraport()->toPlainText().toLatin1().replace("\n", "\r\n") + "\r\n");
      day.close();
    }
  }
  SetClock([] { return EncodeDateTime({.year = 2026, .month = 12, .day = 7, .hour = 9, .minute = 20}); });
  form.MMeksportClick();
  ExportDialog* exporter = form.EksportDialog();
  if (!QTest::qWaitForWindowExposed(exporter)) return 1;
  exporter->Target()->setText(scratch.filePath(QStringLiteral("wazenia-2026-12-07.xlsx")));
  exporter->StartClick();
  if (!QTest::qWaitFor([&] { return !exporter->Running(); }, 10000)) return 1;
  // The picture shows a user's folder rather than the scratch one.
  exporter->Target()->setText(QStringLiteral("/home/operator/Waga/wazenia-2026-12-07.xlsx"));
  ok = Save(exporter, folder + QStringLiteral("/export-dialog.png")) && ok;
  exporter->close();
  SetClock({});
  form.close();
  return ok ? 0 : 1;
}
