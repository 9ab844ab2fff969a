// The window's side of the shipping: panel 2, its tooltip, the dialog
// "Baza danych...", against a real PostgreSQL 15 started once for all cases.

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "acquisition/data_file.h"
#include "app/database_dialog.h"
#include "app/database_shipping.h"
#include "app/form1.h"
#include "tests/support/postgres/temp_postgres.h"
#include "tests/support/ui/test_files.h"
#include "tests/support/ui/window_bench.h"

class DatabaseWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TempPostgres> server_;
  WindowBench bench_;

  void WriteBazaIni(const std::string& connection) {
    WriteFile(bench_.WorkFile("baza.ini"), QByteArray::fromStdString("Polaczenie=" + connection +
                                                                      "\r\nStanowisko=okno\r\n"));
  }

 private slots:
  void initTestCase() {
    server_ = std::make_unique<TempPostgres>();
    if (server_->Available()) server_->CreateDatabase("okno");
  }
  void init() {
    bench_ = WindowBench();
    SetClock([] { return EncodeDateTime({2026, 12, 7, 9, 15, 30, 0}); });
  }
  void cleanup() { SetClock({}); }
  void cleanupTestCase() { server_.reset(); }

  void withoutBazaIniNothingChanges() {
    TForm1 form(bench_.Environment());
    QVERIFY(!form.Database().Running());
    QVERIFY(form.DatabasePanel()->isHidden());
    QVERIFY(form.DatabasePanel()->text().isEmpty());
  }

  void unreachableServerShowsTheCauseInTheTooltip() {
    WriteBazaIni("host=" + bench_.work->path().toStdString() + "/brak port=1");
    TForm1 form(bench_.Environment());
    QVERIFY(form.Database().Running());
    QTRY_COMPARE_WITH_TIMEOUT(form.DatabasePanel()->text(), QString::fromUtf8("baza: brak połączenia"), 20000);
    QVERIFY2(form.DatabasePanel()->toolTip().contains(QString::fromUtf8("nieosiągalny")),
             qPrintable(form.DatabasePanel()->toolTip()));
    form.close();
    QVERIFY(!form.Database().Running());
    QVERIFY(bench_.dialogs.messages.empty());
  }

  // Saved, the shipping starts and the line of the day's data file goes.
  void dialogRefusesAPasswordChecksSavesAndTheDayShips() {
    if (!server_->Available()) QSKIP(server_->Reason().c_str());
    TForm1 form(bench_.Environment());
    form.MMbaza()->trigger();
    auto* dialog = form.findChild<DatabaseDialog*>();
    QVERIFY(dialog != nullptr && dialog->isVisible());

    dialog->Connection()->setText(QString::fromStdString(server_->Connection("okno") + " password=tajne"));
    dialog->SaveClick();
    QCOMPARE(bench_.dialogs.messages.size(), std::size_t{1});
    QVERIFY(!QFile::exists(bench_.WorkFile("baza.ini")));

    dialog->Connection()->setText(QString::fromStdString(server_->Connection("okno")));
    dialog->Station()->setText(QString::fromUtf8("Waga łąka"));
    QTest::mouseClick(dialog->CheckButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(dialog->Outcome()->text().startsWith(QString::fromUtf8("Połączenie działa")), 20000);
    QVERIFY2(dialog->Outcome()->text().contains(QString::fromUtf8("\"Waga łąka\"")),
             qPrintable(dialog->Outcome()->text()));
    dialog->SaveClick();
    QVERIFY(!dialog->isVisible());
    QCOMPARE(ReadFile(bench_.WorkFile("baza.ini")),
             QByteArray::fromStdString("Polaczenie=" + server_->Connection("okno") + "\r\nStanowisko=Waga \xb3\xb9ka\r\n"));
    QVERIFY(form.Database().Running());
    QVERIFY(!form.DatabasePanel()->isHidden());
    QVERIFY(AppendDataFileLine(bench_.WorkFile("20261207").toStdString(), "  12.50"));
    QTRY_COMPARE_WITH_TIMEOUT(server_->Query("SELECT count(*) FROM linie WHERE stanowisko = 'Waga łąka'", "okno"),
                              std::string("1"), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(form.DatabasePanel()->text(), QString::fromUtf8("baza: na bieżąco"), 20000);
    QVERIFY(form.DatabasePanel()->toolTip().contains(QString::fromUtf8("\"Waga łąka\"")));
    // Panel 2 stays the weighings' and the scale commands'.
    QVERIFY(form.DatabasePanel() != form.StatusPanel(2));
    QVERIFY(!form.StatusPanel(2)->text().startsWith(QStringLiteral("baza")));
  }
};

QTEST_MAIN(DatabaseWindowTest)
#include "database_window_test.moc"
