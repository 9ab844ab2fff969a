#include <unistd.h>

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <memory>

#include "text/win1250.h"
#include "app/export_dialog.h"
#include "app/form1.h"
#include "app/glyph_button.h"
#include "platform/close_on_signals.h"
#include "tests/support/ui/window_bench.h"
#include "tests/support/ui/test_files.h"

namespace {

const char kDataFile[] = "20261207";
const char kDefaults[] =
    "Numer_portu=2\r\nPredkosc_transmisji=1200\r\nNazwa_firmy=<firma>\r\n"
    "Adres_firmy=<adres>\r\nZapis_do_pliku=1\r\nZapisuj_display=0\r\n"
    "Wyswietlaj_display=0\r\nMaksym_ilosc_lini=300\r\nKasuj_poczatek=1\r\n"
    "Drukuj_naglowek_firmy=1\r\nDodaj_date_bilansu=1\r\nJednostka=kg\r\n";

}  // namespace

class Form1Test : public QObject {
  Q_OBJECT

 private:
  WindowBench bench_;
  const TDateTime startTime_ = EncodeDateTime({2026, 12, 7, 9, 15, 30, 0});

 private slots:
  void init() {
    bench_ = WindowBench();
    SetClock([this] { return startTime_; });
  }

  void cleanup() { SetClock({}); }

  void startsWithTheDefaultsWithoutKonfig() {
    TForm1 form(bench_.Environment());
    QVERIFY(bench_.dialogs.log.empty());
    QVERIFY(!form.TerminateRequested());
    QCOMPARE(form.windowTitle(), QString::fromUtf8("Program do komunikacji z wagą."));
    QCOMPARE(form.ComPortDriver_in().Port(), std::string("COM2"));
    QCOMPARE(form.ComPortDriver_in().BaudRate(), br1200);
    QCOMPARE(form.MaxPreviewLines(), 300);
    QCOMPARE(form.CompanyName(), std::string("<firma>"));
    QCOMPARE(form.CompanyAddress(), std::string("<adres>"));
    QCOMPARE(form.LastLineTime(), startTime_);
    QCOMPARE(form.Ldisplay()->text(), QStringLiteral("- - - - -"));
    QCOMPARE(form.Ljednost()->text(), QStringLiteral("kg"));
    QCOMPARE(form.Emaxlinie()->text(), QStringLiteral("300"));
    QCOMPARE(form.Enazwapliku()->text(), QString::fromLatin1(kDataFile));
    QVERIFY(form.CBzapis()->isChecked());
    QVERIFY(!form.CBciaglyplik()->isChecked());
    QVERIFY(!form.CBciaglymemo()->isChecked());
    QVERIFY(form.RBautoucinaj()->isChecked());
    QVERIFY(form.CBdruk_nazwafirmy()->isChecked());
    QVERIFY(form.CBdata_bilansu()->isChecked());
    QVERIFY(form.Timer1()->isActive());
    QCOMPARE(form.Timer1()->interval(), 2000);
    QCOMPARE(form.PCustawienia()->currentIndex(), 0);
    QVERIFY(form.Mwaga()->isChecked());
    QCOMPARE(form.Iqel()->toolTip().count(QLatin1Char('\n')), 1);
    QCOMPARE(form.StatusPanel(0)->text(), QString::fromUtf8("Połączenie z wagą:"));
    QCOMPARE(ReadFile(bench_.WorkFile(kDataFile)), QByteArray());
  }

  void appliesKonfigAndCreatesNoDataFileWhenWritingIsOff() {
    WriteFile(bench_.WorkFile("konfig.ini"),
              "Numer_portu=7\r\nPredkosc_transmisji=9600\r\nZapis_do_pliku=0\r\n"
              "Maksym_ilosc_lini=0x20\r\nKasuj_poczatek=0\r\nJednostka=g\r\n"
              "Nazwa_firmy=Qel\r\nDodaj_date_bilansu=0\r\nWyswietlaj_display=1\r\n");
    TForm1 form(bench_.Environment());
    QVERIFY(bench_.dialogs.log.empty());
    QCOMPARE(form.ComPortDriver_in().Port(), std::string("COM7"));
    QCOMPARE(form.ComPortDriver_in().BaudRate(), br9600);
    QCOMPARE(form.MaxPreviewLines(), 32);
    QCOMPARE(form.Emaxlinie()->text(), QStringLiteral("32"));
    QVERIFY(form.RBautowyczysc()->isChecked());
    QVERIFY(!form.RBautoucinaj()->isChecked());
    QCOMPARE(form.Ljednost()->text(), QStringLiteral("g"));
    QCOMPARE(form.CompanyName(), std::string("Qel"));
    QVERIFY(!form.CBdata_bilansu()->isChecked());
    QVERIFY(form.CBciaglymemo()->isChecked());
    QVERIFY(!form.CBzapis()->isChecked());
    QVERIFY(!QFile::exists(bench_.WorkFile(kDataFile)));
  }

  void leavesAnExistingDataFileAlone() {
    WriteFile(bench_.WorkFile(kDataFile), "001     45.23 kg     45.23 kg\r\n");
    TForm1 form(bench_.Environment());
    QCOMPARE(ReadFile(bench_.WorkFile(kDataFile)), QByteArray("001     45.23 kg     45.23 kg\r\n"));
    QVERIFY(form.CBzapis()->isChecked());
  }

  void dataFileThatCannotBeCreatedSwitchesWritingOff() {
    // A working directory that no longer exists refuses every new file.
    QTemporaryDir gone;
    QVERIFY(::chdir(gone.path().toLocal8Bit().constData()) == 0);
    QVERIFY(gone.remove());
    TForm1Environment environment = bench_.Environment();
    environment.workingDirectory.clear();
    TForm1 form(environment);
    QCOMPARE(bench_.dialogs.messages.size(), std::size_t{1});
    QCOMPARE(bench_.dialogs.messages[0].kind, MessageKind::Error);
    QCOMPARE(Cp1250ToUtf8(bench_.dialogs.messages[0].text),
             std::string("Błąd zapisu do pliku!\rPrawdopodobnie brak miejsca na dysku."));
    QVERIFY(!form.CBzapis()->isChecked());
    QVERIFY(::chdir(bench_.work->path().toLocal8Bit().constData()) == 0);
  }

  void warnsWhenTheDiskIsNearlyFull_data() {
    QTest::addColumn<qint64>("free");
    QTest::addColumn<bool>("warned");
    QTest::newRow("one byte short") << qint64{999999} << true;
    QTest::newRow("unknown") << qint64{-1} << true;
    QTest::newRow("exactly enough") << qint64{1000000} << false;
  }

  void warnsWhenTheDiskIsNearlyFull() {
    QFETCH(qint64, free);
    QFETCH(bool, warned);
    bench_.freeSpace = free;
    TForm1 form(bench_.Environment());
    QCOMPARE(bench_.dialogs.messages.size(), std::size_t{warned ? 1u : 0u});
    if (!warned) return;
    QCOMPARE(bench_.dialogs.messages[0].kind, MessageKind::Warning);
    QCOMPARE(Cp1250ToUtf8(bench_.dialogs.messages[0].text),
             std::string("Zbyt mało wolnego miejsca na dysku!\rProgram potrzebuje około 1MB "
                         "wolnej przestrzeni do prawidłowego funkcjonowania."));
    QCOMPARE(form.Ldisplay()->text(), QStringLiteral("- - - - -"));  // start-up went on
  }

  void secondInstanceEndsWithoutTouchingKonfig() {
    auto first = std::make_unique<TForm1>(bench_.Environment());
    QVERIFY(!first->TerminateRequested());
    bench_.freeSpace = 10;
    {
      TForm1 second(bench_.Environment());
      QVERIFY(second.TerminateRequested());
      QCOMPARE(bench_.dialogs.log.size(), std::size_t{2});
      QCOMPARE(bench_.dialogs.messages[0].kind, MessageKind::Error);
      QCOMPARE(Cp1250ToUtf8(bench_.dialogs.messages[0].text), std::string("Program jest już w uruchomiony!"));
      QCOMPARE(bench_.dialogs.messages[1].kind, MessageKind::Warning);  // the later steps still run
      QCOMPARE(second.Enazwapliku()->text(), QString::fromLatin1(kDataFile));
    }
    QVERIFY(!QFile::exists(bench_.WorkFile("konfig.ini")));

    first->close();
    QCOMPARE(ReadFile(bench_.WorkFile("konfig.ini")), QByteArray(kDefaults));
    first.reset();
    bench_.dialogs = ScriptedDialogs();
    bench_.freeSpace = std::int64_t{1} << 40;
    TForm1 third(bench_.Environment());
    QVERIFY(!third.TerminateRequested());
    QVERIFY(bench_.dialogs.log.empty());
  }

  void unreadableKonfigIsReportedAndStartUpGoesOn() {
    QVERIFY(QDir(bench_.work->path()).mkdir(QStringLiteral("konfig.ini")));
    TForm1 form(bench_.Environment());
    QCOMPARE(bench_.dialogs.messages.size(), std::size_t{1});
    QCOMPARE(bench_.dialogs.messages[0].kind, MessageKind::Error);
    const std::string text = Cp1250ToUtf8(bench_.dialogs.messages[0].text);
    QVERIFY2(text.find(std::strerror(EISDIR)) != std::string::npos, text.c_str());
    QCOMPARE(form.Emaxlinie()->text(), QStringLiteral("300"));
    QCOMPARE(form.Enazwapliku()->text(), QString::fromLatin1(kDataFile));
    QVERIFY(QFile::exists(bench_.WorkFile(kDataFile)));
  }

  void closeWritesKonfigAndReleasesTheMarker() {
    TForm1 form(bench_.Environment());
    form.CBzapis()->setChecked(false);
    form.RBautowyczysc()->setChecked(true);
    form.Emaxlinie()->setText(QStringLiteral("abc"));
    form.CompanyName() = Utf8ToCp1250("Łódź");
    form.ComPortDriver_in().SetPort("COM16");
    form.show();
    form.Koniec1()->trigger();
    QVERIFY(!form.isVisible());
    const QByteArray written = ReadFile(bench_.WorkFile("konfig.ini"));
    QVERIFY(written.startsWith("Numer_portu=16\r\n"));
    QVERIFY(written.contains(QByteArray("Nazwa_firmy=") + QByteArray(Utf8ToCp1250("Łódź").c_str()) + "\r\n"));
    QVERIFY(written.contains("\r\nZapis_do_pliku=0\r\n"));
    QVERIFY(written.contains("\r\nMaksym_ilosc_lini=abc\r\n"));
    QVERIFY(written.contains("\r\nKasuj_poczatek=0\r\n"));
    InstanceMarker next;
    QVERIFY(next.Claim(bench_.Environment().instanceMarkerPath));
  }

  void unitOfTheReadingShowsButKonfigKeepsItsOwn() {
    WriteFile(bench_.WorkFile("konfig.ini"), "Jednostka=g\r\n");
    TForm1 form(bench_.Environment());
    form.ShowReadingUnit("lb");
    QCOMPARE(form.Ljednost()->text(), QStringLiteral("lb"));
    QCOMPARE(form.CurrentKonfigSettings().Ljednost, std::string("g"));
    form.ShowReadingUnit("");
    QCOMPARE(form.Ljednost()->text(), QStringLiteral("g"));
  }

  void terminationSignalClosesLikeTheCloseButton() {
    TForm1 form(bench_.Environment());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    CloseOnTerminationSignals(&form);
    std::raise(SIGTERM);
    QTRY_VERIFY_WITH_TIMEOUT(!form.isVisible(), 5000);
    QCOMPARE(ReadFile(bench_.WorkFile("konfig.ini")), QByteArray(kDefaults));
  }

  void menuAndTabsKeepInStep() {
    TForm1 form(bench_.Environment());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    int changes = 0;
    connect(form.PCustawienia(), &QTabWidget::currentChanged, [&] { ++changes; });

    // One exclusive group, so the menu draws them as radio items.
    QActionGroup* group = form.Mwaga()->actionGroup();
    QVERIFY(group != nullptr && group->isExclusive());
    QCOMPARE(group->actions(),
             QList<QAction*>({form.Mwaga(), form.Mplik(), form.Mpodglad(), form.MBilans()}));

    form.Mpodglad()->trigger();
    QCOMPARE(form.PCustawienia()->currentIndex(), 2);
    QVERIFY(form.Mpodglad()->isChecked());
    QVERIFY(!form.Mwaga()->isChecked());
    QCOMPARE(changes, 0);  // chosen from the menu: no change event

    QTabBar* tabs = form.PCustawienia()->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(3).center());
    QCOMPARE(form.PCustawienia()->currentIndex(), 3);
    QVERIFY(form.MBilans()->isChecked());
    QVERIFY(!form.Mpodglad()->isChecked());

    form.Mwaga()->trigger();
    QCOMPARE(form.PCustawienia()->currentIndex(), 0);
    QVERIFY(form.Mwaga()->isChecked() && !form.MBilans()->isChecked());
    form.Mplik()->trigger();
    QCOMPARE(form.PCustawienia()->currentIndex(), 1);
    form.MBilans()->trigger();
    QCOMPARE(form.PCustawienia()->currentIndex(), 3);
  }

  // Between "Ustawienia" and "Inne"; greyed while the port is closed and the
  // protocol (the bare number) has no commands.
  void scaleMenuCarriesTheCommandsOnF5F6F7() {
    TForm1 form(bench_.Environment());
    const QList<QAction*> menus = form.menuBar()->actions();
    QCOMPARE(menus.size(), 3);
    QCOMPARE(menus[1]->text(), QStringLiteral("&Waga"));
    QCOMPARE(menus[1]->menu()->actions(), QList<QAction*>({form.MMzapytanie(), form.MMtara(), form.MMzerowanie()}));
    int key = Qt::Key_F5;
    for (QAction* item : menus[1]->menu()->actions()) {
      QCOMPARE(item->shortcut(), QKeySequence(key++));
      QVERIFY(!item->isEnabled());
    }
    QVERIFY(!form.TimerZapytan()->isActive());
  }

  // The item sits above the separator; the export runs on its own thread and
  // the window hears of it only through queued calls.
  void exportsTheDaysDataFilesFromTheMenu() {
    TForm1 form(bench_.Environment());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* inne = form.menuBar()->findChild<QMenu*>(QStringLiteral("MMpom"));
    QVERIFY(inne != nullptr);
    const QList<QAction*> items = inne->actions();
    QCOMPARE(items.size(), 5);
    QCOMPARE(items[1], form.MMeksport());
    QCOMPARE(form.MMeksport()->text(), QString::fromUtf8("Eksport do arkusza..."));
    QCOMPARE(items[2], form.MMbaza());
    QVERIFY(items[3]->isSeparator() && items[4] == form.Koniec1());

    WriteFile(bench_.WorkFile(kDataFile), "  BILANS WAZEN\r\n"
                                   "001     45.23 kg     45.23 kg    2026/12/07  09:10\r\n"
                                   "002     10.50 kg     55.73 kg    2026/12/07  09:11\r\n");
    form.MMeksport()->trigger();
    ExportDialog* dialog = form.EksportDialog();
    QVERIFY(dialog != nullptr && dialog->isVisible());
    QCOMPARE(dialog->From()->date(), QDate(2026, 12, 7));
    QCOMPARE(dialog->To()->date(), QDate(2026, 12, 7));
    QCOMPARE(dialog->Target()->text(), bench_.WorkFile("wazenia-2026-12-07.xlsx"));
    dialog->Format()->setCurrentIndex(1);
    QCOMPARE(dialog->Target()->text(), bench_.WorkFile("wazenia-2026-12-07.csv"));

    QTest::mouseClick(dialog->StartButton(), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(bench_.dialogs.messages.size(), std::size_t{1}, 10000);
    QVERIFY(!dialog->Running());
    QCOMPARE(bench_.dialogs.messages[0].kind, MessageKind::Information);
    QVERIFY2(bench_.dialogs.messages[0].text.find(Utf8ToCp1250("Bilanse: 1, ważenia: 2, odczyty: 0.")) !=
                 std::string::npos, bench_.dialogs.messages[0].text.c_str());
    QCOMPARE(dialog->Progress()->value(), 1);
    QVERIFY(ReadFile(bench_.WorkFile("wazenia-2026-12-07.csv")).contains("2026-12-07;09:11;1;2;10,50;55,73;kg;20261207"));
    // The dialog's choices in their own file; konfig.ini waits for the close.
    QCOMPARE(ReadFile(bench_.WorkFile("eksport.ini")), "Format=csv\r\nKatalog=" + bench_.work->path().toUtf8() + "\r\n");
    QVERIFY(!QFile::exists(bench_.WorkFile("konfig.ini")));
  }

  void opensTopLeftWithTheOuterSizeAndTheDesignedPlaces() {
    TForm1 form(bench_.Environment());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTRY_COMPARE(form.frameGeometry(), QRect(0, 0, 800, 573));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(form.Ldisplay()->geometry(), QRect(216, 8, 345, 97));
    QCOMPARE(form.Ljednost()->geometry(), QRect(216, 104, 345, 33));
    QCOMPARE(form.PCustawienia()->geometry(), QRect(568, 0, 217, 137));
    QCOMPARE(form.Mraport()->geometry(), QRect(48, 144, 689, 361));
    QCOMPARE(form.BBdrukuj()->geometry(), QRect(48, 50, 57, 23));
    QCOMPARE(form.BBdrukuj_bilans()->geometry(), QRect(112, 50, 81, 23));
    QCOMPARE(form.BBdrukuj_szczbilans()->geometry(), QRect(48, 75, 145, 23));
    QCOMPARE(form.Emaxlinie()->geometry(), QRect(78, 18, 49, 21));
    QCOMPARE(form.StatusPanel(0)->width(), 105);
    QCOMPARE(form.StatusPanel(1)->width(), 300);
    // The preview lies wholly above the status bar.
    const QPoint bottom = form.Mraport()->mapTo(&form, QPoint(0, form.Mraport()->height()));
    QVERIFY(bottom.y() <= form.StatusPanel(0)->mapTo(&form, QPoint(0, 0)).y());
    QCOMPARE(form.Ldisplay()->font().family(), QStringLiteral("Arial"));
    QCOMPARE(QFontInfo(form.Ldisplay()->font()).family(), QStringLiteral("Liberation Sans"));
    QCOMPARE(QFontInfo(form.Mraport()->font()).family(), QStringLiteral("Liberation Mono"));
    QCOMPARE(QFontInfo(form.CBzapis()->font()).family(), QStringLiteral("Liberation Sans"));
    QCOMPARE(form.Ldisplay()->font().pixelSize(), 96);
    QCOMPARE(form.Mraport()->font().pixelSize(), 13);
    QVERIFY(form.Ljednost()->font().bold());
  }

  // In their designed places the print buttons show glyph and whole caption
  // inside their bevel, in a font no smaller than 9 px.
  void printButtonsShowTheirWholeCaptions() {
    TForm1 form(bench_.Environment());
    for (QPushButton* pushButton :
         {form.BBdrukuj(), form.BBdrukuj_bilans(), form.BBdrukuj_szczbilans()}) {
      auto* button = dynamic_cast<GlyphButton*>(pushButton);
      QVERIFY(button != nullptr);
      const QRect caption = button->CaptionRect();
      QVERIFY2(button->ContentArea().contains(caption), qPrintable(button->text()));
      const QFontMetrics metrics(button->CaptionFont());
      const int captionWidth = metrics.horizontalAdvance(button->text());
      QVERIFY2(captionWidth <= caption.width(), qPrintable(button->text()));
      QVERIFY(button->CaptionFont().pixelSize() >= 9);
    }
    // The short caption keeps the form's font.
    auto* drukuj = dynamic_cast<GlyphButton*>(form.BBdrukuj());
    QCOMPARE(drukuj->CaptionFont().pixelSize(), form.font().pixelSize());
  }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
