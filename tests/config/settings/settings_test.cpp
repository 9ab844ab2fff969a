#include <pty.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "text/win1250.h"
#include "app/form1.h"
#include "config/ui/form_ustaw.h"
#include "config/ui/radio_group.h"
#include "tests/support/serial/simulator_process.h"
#include "tests/support/ui/window_bench.h"
#include "tests/support/ui/test_files.h"

namespace {

std::string U(const char* utf8) { return Utf8ToCp1250(utf8); }

// Runs `act` once the modal dialog's event loop runs; `act` must end it.
void WhenModal(std::function<void()> act) { QTimer::singleShot(0, act); }

}  // namespace

class SettingsTest : public QObject {
  Q_OBJECT

 private:
  WindowBench bench_;

  std::unique_ptr<TForm1> Form() {
    auto form = std::make_unique<TForm1>(bench_.Environment());
    form->SetFormUstaw(new TFormUstaw(form.get()));
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) return nullptr;
    return form;
  }

  static void ClickBox(TForm1& form, Qt::MouseButton button = Qt::LeftButton) {
    form.MplikClick();
    QTest::mouseClick(form.CBzapis(), button, {}, QPoint(6, 8));
  }

  static QStringList PreviewLines(TForm1& form) {
    return form.Mraport()->toPlainText().split(QLatin1Char('\n'));
  }

  static void FillPreview(TForm1& form, int lines) {
    QStringList text;
    for (int i = 1; i <= lines; ++i) text << QStringLiteral("line%1").arg(i);
    form.Mraport()->setPlainText(text.join(QLatin1Char('\n')));
  }

  // Puts `text` into the limit field and presses Enter there.
  static void EnterLimit(TForm1& form, const QString& text) {
    form.MpodgladClick();
    form.Emaxlinie()->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(form.Emaxlinie()->hasFocus(), 5000);
    form.Emaxlinie()->setText(text);
    QTest::keyClick(form.Emaxlinie(), Qt::Key_Return);
  }

 private slots:
  void init() {
    bench_ = WindowBench();
    SetClock([] { return EncodeDateTime({2026, 12, 7, 9, 15, 30, 0}); });
  }

  void cleanup() { SetClock({}); }

  void switchingOffAsksAndNoKeepsWritingOn() {
    auto form = Form();
    QVERIFY(form);
    ClickBox(*form, Qt::RightButton);
    QVERIFY(bench_.dialogs.log.empty());
    QVERIFY(form->CBzapis()->isChecked());

    const QString dataFile = bench_.WorkFile("20261207");
    WriteFile(dataFile, "001\r\n");
    const QDateTime past = QDateTime::currentDateTime().addDays(-3);
    {
      QFile file(dataFile);
      QVERIFY(file.open(QIODevice::ReadWrite));
      QVERIFY(file.setFileTime(past, QFileDevice::FileModificationTime));
    }
    bench_.dialogs.confirmAnswers = {false, true};
    ClickBox(*form);
    QCOMPARE(bench_.dialogs.confirmations,
             std::vector<std::string>{U("Czy jesteś pewny że chcesz wyłączyć zapisywanie do pliku?")});
    QVERIFY(form->CBzapis()->isChecked());  // the release after the box toggles nothing
    ClickBox(*form);
    QVERIFY(!form->CBzapis()->isChecked());
    // On again over the existing file: neither emptied nor rewritten.
    ClickBox(*form);
    QVERIFY(form->CBzapis()->isChecked());
    QCOMPARE(ReadFile(dataFile), QByteArray("001\r\n"));
    QCOMPARE(QFileInfo(dataFile).lastModified(), past);
    form->CBzapis()->setChecked(false);

    form->Enazwapliku()->setText(QStringLiteral("nowy"));
    ClickBox(*form, Qt::RightButton);
    QVERIFY(!form->CBzapis()->isChecked());
    QVERIFY(!QFile::exists(bench_.WorkFile("nowy")));
    QCOMPARE(bench_.dialogs.log.size(), std::size_t{2});
  }

  void switchingOnRefusesAFileThatCannotBeMade_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("missing folder") << QStringLiteral("brak/plik");
    QTest::newRow("a folder") << QStringLiteral(".");
    QTest::newRow("empty name") << QString();
  }

  void switchingOnRefusesAFileThatCannotBeMade() {
    QFETCH(QString, name);
    auto form = Form();
    QVERIFY(form);
    form->CBzapis()->setChecked(false);
    form->Enazwapliku()->setText(name);
    ClickBox(*form);
    QCOMPARE(bench_.dialogs.messages.size(), std::size_t{1});
    QCOMPARE(bench_.dialogs.messages[0].kind, MessageKind::Error);
    QCOMPARE(bench_.dialogs.messages[0].text, U("Błąd zapisu do pliku!\rPrawdopodobnie nieprawidłowa "
                                          "ścieżka do pliku\rlub brak miejsca na dysku."));
    QVERIFY(!form->CBzapis()->isChecked());
    QVERIFY(!QFileInfo::exists(bench_.WorkFile("brak")));
  }

  void noDoubleClickOrKeyWayAroundTheFileCheck() {
    auto form = Form();
    QVERIFY(form);
    form->MplikClick();
    form->CBzapis()->setChecked(false);
    form->Enazwapliku()->setText(QStringLiteral("brak/plik"));
    // A double click as the window system delivers it.
    QTest::mouseClick(form->CBzapis(), Qt::LeftButton, {}, QPoint(6, 8));
    QTest::mouseDClick(form->CBzapis(), Qt::LeftButton, {}, QPoint(6, 8));
    QTest::mouseRelease(form->CBzapis(), Qt::LeftButton, {}, QPoint(6, 8));
    QVERIFY(!form->CBzapis()->isChecked());
    form->CBzapis()->setFocus();
    QTest::keyClick(form->CBzapis(), Qt::Key_Space);
    QVERIFY(!form->CBzapis()->isChecked());
    QCOMPARE(bench_.dialogs.messages.size(), std::size_t{3});

    form->Enazwapliku()->setText(QStringLiteral("nowy"));
    QTest::keyClick(form->CBzapis(), Qt::Key_Space);
    QVERIFY(form->CBzapis()->isChecked());
    QCOMPARE(ReadFile(bench_.WorkFile("nowy")), QByteArray());
    bench_.dialogs.confirmAnswers = {true};
    QTest::keyClick(form->CBzapis(), Qt::Key_Space);
    QVERIFY(!form->CBzapis()->isChecked());
    QCOMPARE(bench_.dialogs.confirmations.size(), std::size_t{1});
  }

  void changingTheNameSwitchesWritingOff() {
    auto form = Form();
    QVERIFY(form);
    const QString chosen = bench_.WorkFile("inny.txt");
    bench_.dialogs.confirmAnswers = {false, true};
    bench_.dialogs.saveAnswers = {std::nullopt, chosen.toStdString(), U("/tmp/дані")};
    form->Bzmienplik()->click();  // "No": nothing changes, no dialog
    QVERIFY(form->CBzapis()->isChecked());
    QVERIFY(bench_.dialogs.saveRequests.empty());
    QCOMPARE(bench_.dialogs.confirmations[0], U("Aby zmienić nazwę pliku, należy wyłączyć \"zapis do "
                                          "pliku\".\rCzy napewno wyłączyć \"zapis do pliku\"?"));
    form->Bzmienplik()->click();  // "Yes", then the dialog is cancelled
    QVERIFY(!form->CBzapis()->isChecked());
    QCOMPARE(form->Enazwapliku()->text(), QStringLiteral("20261207"));
    form->Bzmienplik()->click();  // writing off: the dialog at once
    QCOMPARE(bench_.dialogs.confirmations.size(), std::size_t{2});
    QCOMPARE(form->Enazwapliku()->text(), chosen);
    QVERIFY(!form->CBzapis()->isChecked());
    QVERIFY(!QFile::exists(chosen));  // made only when writing is switched on

    // A name the program's texts cannot hold is refused, not mangled.
    form->Bzmienplik()->click();
    QCOMPARE(bench_.dialogs.saveRequests.back(), chosen.toStdString());  // the last choice offered
    QCOMPARE(bench_.dialogs.messages.size(), std::size_t{1});
    QCOMPARE(form->Enazwapliku()->text(), chosen);
  }

  void limitFieldValidatesOnEnter_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("limit");  // 0: refused with `message`
    QTest::addColumn<QString>("message");
    const QString invalid = QString::fromUtf8("Podana wartość nie jest prawidłowa!");
    const QString range = QString::fromUtf8("Ilość linii musi być liczbą z przedziału 10-5000.");
    QTest::newRow("lowest") << QStringLiteral("10") << 10 << QString();
    QTest::newRow("highest") << QStringLiteral("5000") << 5000 << QString();
    QTest::newRow("leading blank and zero") << QStringLiteral(" 0300") << 300 << QString();
    QTest::newRow("below") << QStringLiteral("9") << 0 << range;
    QTest::newRow("above") << QStringLiteral("5001") << 0 << range;
    QTest::newRow("letters") << QStringLiteral("abc") << 0 << invalid;
    QTest::newRow("empty") << QString() << 0 << invalid;
    QTest::newRow("trailing blank") << QStringLiteral("300 ") << 0 << invalid;
  }

  void limitFieldValidatesOnEnter() {
    QFETCH(QString, entry);
    QFETCH(int, limit);
    QFETCH(QString, message);
    auto form = Form();
    QVERIFY(form);
    form->MaxPreviewLines() = 77;
    FillPreview(*form, 20);
    EnterLimit(*form, entry);
    QCOMPARE(form->Emaxlinie()->text(), entry);  // Enter never reaches the field
    if (limit != 0) {
      QVERIFY(bench_.dialogs.log.empty());
      QCOMPARE(form->MaxPreviewLines(), limit);
      QVERIFY(form->CBciaglymemo()->hasFocus());
      return;
    }
    QCOMPARE(bench_.dialogs.messages.size(), std::size_t{1});
    QCOMPARE(bench_.dialogs.messages[0].kind, MessageKind::Error);
    QCOMPARE(QString::fromStdString(Cp1250ToUtf8(bench_.dialogs.messages[0].text)), message);
    QCOMPARE(form->MaxPreviewLines(), 77);
    QCOMPARE(PreviewLines(*form).size(), 20);
    QVERIFY(form->Emaxlinie()->hasFocus());
  }

  void newLimitTrimsThePreviewToOneLineBelowIt_data() {
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("left");
    QTest::newRow("300 to 300") << 300 << 300 << 300;
    QTest::newRow("300 to 299") << 300 << 299 << 298;
    QTest::newRow("300 to 100") << 300 << 100 << 99;
    QTest::newRow("50 to 100") << 50 << 100 << 50;
  }

  void newLimitTrimsThePreviewToOneLineBelowIt() {
    QFETCH(int, lines);
    QFETCH(int, limit);
    QFETCH(int, left);
    auto form = Form();
    QVERIFY(form);
    FillPreview(*form, lines);
    EnterLimit(*form, QString::number(limit));
    QCOMPARE(form->MaxPreviewLines(), limit);
    const QStringList preview = PreviewLines(*form);
    QCOMPARE(preview.size(), left);
    QCOMPARE(preview.first(), QStringLiteral("line%1").arg(lines - left + 1));
    QCOMPARE(preview.last(), QStringLiteral("line%1").arg(lines));
  }

  void refusedLimitKeepsTheFocusAndItsPage() {
    auto form = Form();
    QVERIFY(form);
    EnterLimit(*form, QStringLiteral("x"));
    QTabBar* tabs = form->PCustawienia()->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QCOMPARE(bench_.dialogs.messages.size(), std::size_t{2});
    QTRY_VERIFY_WITH_TIMEOUT(form->Emaxlinie()->hasFocus(), 5000);
    QCOMPARE(form->PCustawienia()->currentIndex(), 2);
    QVERIFY(form->Mpodglad()->isChecked());

    // The press that left the field does not also work the button pressed.
    QTest::mouseClick(form->Bwyczysc(), Qt::LeftButton);
    QCOMPARE(bench_.dialogs.messages.size(), std::size_t{3});
    QVERIFY(bench_.dialogs.confirmations.empty());
    QTRY_VERIFY_WITH_TIMEOUT(form->Emaxlinie()->hasFocus(), 5000);
  }

  void clearingThePreviewAsksFirst() {
    auto form = Form();
    QVERIFY(form);
    FillPreview(*form, 12);
    bench_.dialogs.confirmAnswers = {false, true};
    form->Bwyczysc()->click();
    QCOMPARE(PreviewLines(*form).size(), 12);
    QCOMPARE(bench_.dialogs.confirmations[0], U("Czy napewno wyczyścić okno z raportami\r(i tym samym "
                                          "bufor informacji do wydruku)?"));
    form->Bwyczysc()->click();
    QVERIFY(form->Mraport()->toPlainText().isEmpty());
  }

  void companyNameAndAddressTakeOkAndKeepOnCancel() {
    auto form = Form();
    QVERIFY(form);
    bench_.dialogs.inputAnswers = {std::string(), std::nullopt, U("ul. Długa 5")};
    form->Mnazwafirmy()->trigger();
    QCOMPARE(form->CompanyName(), std::string());  // OK on an empty field
    form->CompanyName() = "Qel";
    form->Mnazwafirmy()->trigger();
    QCOMPARE(form->CompanyName(), std::string("Qel"));  // cancelled
    form->Madresfirmy()->trigger();
    QCOMPARE(form->CompanyAddress(), U("ul. Długa 5"));
    QCOMPARE(bench_.dialogs.inputCaptions,
             (std::vector<std::string>{"Nazwa firmy", "Nazwa firmy", "Adres firmy"}));
    QCOMPARE(bench_.dialogs.inputPrompts,
             (std::vector<std::string>{U("Podaj nazwę firmy:"), U("Podaj nazwę firmy:"),
                                       U("Podaj adres firmy:")}));
    QCOMPARE(bench_.dialogs.inputPresets, (std::vector<std::string>{"<firma>", "Qel", "<adres>"}));
  }

  void transmissionDialogCaptionCloseChangesNothing() {
    // COM2 leads to a pseudo-terminal, so the port can stay open.
    int master = -1;
    int slave = -1;
    char name[256] = {};
    QCOMPARE(openpty(&master, &slave, name, nullptr, nullptr), 0);
    WriteFile(bench_.WorkFile("porty.ini"), QByteArray("COM2=") + name + "\r\n");
    auto form = Form();
    QVERIFY(form);
    form->ComPortDriver_in().Open();
    TFormUstaw* dialog = form->FormUstaw();
    int port = -1;
    int speed = -1;
    bool centred = false;
    bool focused = false;
    WhenModal([&] {
      focused = dialog->focusWidget() == dialog->BOk();
      port = dialog->RGNumPortu()->ItemIndex();
      speed = dialog->RGSzybkosc()->ItemIndex();
      centred = (dialog->geometry().center() - form->geometry().center()).manhattanLength() <= 2;
      dialog->RGNumPortu()->Item(15)->click();
      dialog->RGSzybkosc()->Item(12)->click();
      dialog->close();
    });
    form->MMustaw_rs()->trigger();
    QCOMPARE(port, 1);
    QCOMPARE(speed, 3);
    QVERIFY(centred);
    QCOMPARE(dialog->size(), QSize(408, 424));
    QVERIFY(focused);
    // Two columns, filled top to bottom: 14400 heads the second.
    QCOMPARE(dialog->RGSzybkosc()->Item(7)->y(), dialog->RGSzybkosc()->Item(0)->y());
    QVERIFY(dialog->RGSzybkosc()->Item(7)->x() > dialog->RGSzybkosc()->Item(6)->x());
    QCOMPARE(form->ComPortDriver_in().Port(), std::string("COM2"));
    QCOMPARE(form->ComPortDriver_in().BaudRate(), br1200);
    QVERIFY(form->ComPortDriver_in().Connected());

    WhenModal([&] {
      port = dialog->RGNumPortu()->ItemIndex();
      dialog->close();
    });
    int closes = 0;
    form->ComPortDriver_in().OnAfterClose = [&closes](TCustomComPort&) { ++closes; };
    form->MMustaw_rs()->trigger();
    QCOMPARE(port, 1);  // the discarded choice does not come back
    QCOMPARE(closes, 0);

    // "Zamknij" without a change still closes the port to open it again.
    WhenModal([dialog] { dialog->BOk()->click(); });
    form->MMustaw_rs()->trigger();
    QCOMPARE(closes, 1);
    QCOMPARE(form->ComPortDriver_in().Port(), std::string("COM2"));
    form->ComPortDriver_in().Close();
    ::close(slave);
    ::close(master);
  }

  void wykryjFillsTheDialogAndOnlyZamknijApplies() {
    const SimulatorProcess sim(WAGA_SIM_PATH, {"--baud", "0", "--interval", "200", "--script", "reading:1000"});
    const QByteArray others = "COM1=/dev/ttyS0 7E1\r\n";
    WriteFile(bench_.WorkFile("porty.ini"), others + "COM2=" + sim.target.c_str() + "\r\n");
    auto form = Form();
    QVERIFY(form);
    TFormUstaw* dialog = form->FormUstaw();
    TCustomComPort& port = form->ComPortDriver_in();
    QTRY_VERIFY_WITH_TIMEOUT(port.Connected(), 5000);
    bool lent = false;
    QString found;
    int speed = -1;
    const auto search = [&] {
      dialog->BWykryj()->click();
      lent = dialog->Detecting() && !port.Connected() && !dialog->BOk()->isEnabled();
      QTRY_VERIFY_WITH_TIMEOUT(!dialog->Detecting(), 10000);
      found = dialog->LWykryj()->text();
      speed = dialog->RGSzybkosc()->ItemIndex();
    };
    WhenModal([&] {
      search();
      dialog->BAnuluj()->click();
    });
    form->MMustaw_rs()->trigger();
    QVERIFY(lent);
    QVERIFY2(found.startsWith(QString::fromUtf8("Znaleziono wagę: 9600 bps, 8N1")), qPrintable(found));
    QCOMPARE(speed, 6);
    // Anuluj: the port back as it was, nothing written.
    QVERIFY(!QFile::exists(bench_.WorkFile("protokol.ini")));
    QVERIFY(port.Connected());
    QCOMPARE(port.BaudRate(), br1200);
    QCOMPARE(ReadFile(bench_.WorkFile("porty.ini")), others + "COM2=" + sim.target.c_str() + "\r\n");

    WhenModal([&] {
      search();
      dialog->BOk()->click();
    });
    form->MMustaw_rs()->trigger();
    QCOMPARE(port.BaudRate(), br9600);
    QCOMPARE(ReadFile(bench_.WorkFile("porty.ini")), others + "COM2=" + sim.target.c_str() + " 8N1\r\n");
    QVERIFY(ReadFile(bench_.WorkFile("protokol.ini")).contains("Protokol=liczba"));
    QVERIFY(port.Connected());

    // Closing the dialog stops a search under way and gives the port back.
    WriteFile(bench_.WorkFile("porty.ini"), others + "COM2=" + sim.target.c_str() + "\r\n");
    WhenModal([&] {
      dialog->RGNumPortu()->Item(2)->click();  // COM3: nothing there
      dialog->BWykryj()->click();
      dialog->close();
    });
    form->MMustaw_rs()->trigger();
    QVERIFY(!dialog->Detecting());
    QCOMPARE(dialog->LWykryj()->text(), QString::fromUtf8("Wykrywanie przerwane."));
    QCOMPARE(port.Port(), std::string("COM2"));
    QVERIFY(port.Connected());
    port.Close();
  }

  void com16At115200ReachesKonfig() {
    auto form = Form();
    QVERIFY(form);
    TFormUstaw* dialog = form->FormUstaw();
    WhenModal([dialog] {
      dialog->RGNumPortu()->Item(15)->click();
      dialog->RGSzybkosc()->Item(12)->click();
      QTest::keyClick(dialog->BOk(), Qt::Key_Space);
    });
    form->MMustaw_rs()->trigger();
    QCOMPARE(form->ComPortDriver_in().Port(), std::string("COM16"));
    QCOMPARE(form->ComPortDriver_in().BaudRate(), br115200);
    form->close();
    const QByteArray konfig = ReadFile(bench_.WorkFile("konfig.ini"));
    QVERIFY2(konfig.startsWith("Numer_portu=16\r\nPredkosc_transmisji=115200\r\n"), konfig.constData());
  }

  void protocolReachesProtokolIniAndABadRequestIsRefused() {
    WriteFile(bench_.WorkFile("protokol.ini"), "[COM3]\nProtokol=si\nZapytanie=S\\r\\n\n");
    auto form = Form();
    QVERIFY(form);
    TFormUstaw* dialog = form->FormUstaw();
    QString firstShown, shownForCom3, keptOnChange, refusal;
    int firstItem = -1;
    bool stayedOpen = false;
    WhenModal([&] {
      firstItem = dialog->CBprotokol()->currentIndex();
      firstShown = dialog->Ezapytanie()->text();
      dialog->RGNumPortu()->Item(2)->click();
      shownForCom3 = dialog->Ezapytanie()->text();
      dialog->CBprotokol()->setCurrentIndex(4);  // esc_p
      keptOnChange = dialog->Ezapytanie()->text();
      dialog->Ezapytanie()->setText(QStringLiteral("\\x1bP\\q"));
      dialog->BOk()->click();
      stayedOpen = dialog->isVisible();
      refusal = dialog->Lblad()->text();
      dialog->Ezapytanie()->setText(QStringLiteral("\\x1BP"));
      dialog->Eco_ile_ms()->setText(QStringLiteral("20"));
      dialog->BOk()->click();
      dialog->Eco_ile_ms()->setText(QStringLiteral("250"));
      dialog->BOk()->click();
    });
    form->MMustaw_rs()->trigger();
    QCOMPARE(firstItem, 0);  // COM2 has no section: liczba, no request
    QCOMPARE(firstShown, QString());
    QCOMPARE(shownForCom3, QStringLiteral("S\\r\\n"));
    QCOMPARE(keptOnChange, shownForCom3);  // not the protocol's own request: kept
    QVERIFY(stayedOpen);
    QVERIFY2(refusal.startsWith(QString::fromUtf8("Błędne zapytanie")), qPrintable(refusal));
    QCOMPARE(ReadFile(bench_.WorkFile("protokol.ini")),
             QByteArray("[COM3]\nProtokol=esc_p\nZapytanie=\\x1BP\nCo_ile_ms=250\nAutomatycznie_od=0\n"));
    QCOMPARE(form->ComPortDriver_in().Port(), std::string("COM3"));
    form->close();
    QVERIFY(ReadFile(bench_.WorkFile("konfig.ini")).count('\n') == 12);
  }
};

QTEST_MAIN(SettingsTest)
#include "settings_test.moc"
