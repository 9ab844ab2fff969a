#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "text/win1250.h"
#include "platform/qt_dialogs.h"

// Each test inspects the box while it is open (from a timer of its nested
// loop) and then answers it.
class QtDialogsTest : public QObject {
  Q_OBJECT

 private:
  void WhileOpen(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer(this);
    timer->setInterval(10);
    connect(timer, &QTimer::timeout, this, [timer, act] {
      if (QWidget* box = QApplication::activeModalWidget()) {
        timer->stop();
        timer->deleteLater();
        act(box);
      }
    });
    timer->start();
  }

  static QStringList ButtonTexts(QWidget* box) {
    QStringList texts;
    for (QPushButton* button : box->findChildren<QPushButton*>()) texts << button->text();
    texts.sort();
    return texts;
  }

  static QPushButton* Button(QWidget* box, const QString& text) {
    for (QPushButton* button : box->findChildren<QPushButton*>()) {
      if (button->text() == text) return button;
    }
    return nullptr;
  }

 private slots:
  void messagesCarryTheirCaptionAndBreakLinesAtCarriageReturns_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::newRow("warning") << int(MessageKind::Warning) << QString::fromUtf8("Ostrzeżenie");
    QTest::newRow("error") << int(MessageKind::Error) << QString::fromUtf8("Błąd");
    QTest::newRow("information") << int(MessageKind::Information) << QStringLiteral("Informacja");
  }

  void messagesCarryTheirCaptionAndBreakLinesAtCarriageReturns() {
    QFETCH(int, kind);
    QFETCH(QString, caption);
    QString title, text;
    QStringList buttons;
    WhileOpen([&](QWidget* box) {
      title = box->windowTitle();
      text = static_cast<QMessageBox*>(box)->text();
      buttons = ButtonTexts(box);
      QTest::keyClick(box, Qt::Key_Return);
    });
    QtDialogs dialogs;
    dialogs.ShowMessage(static_cast<MessageKind>(kind), Utf8ToCp1250("Błąd zapisu!\rZa mało miejsca."));
    QCOMPARE(title, caption);
    QCOMPARE(text, QString::fromUtf8("Błąd zapisu!\nZa mało miejsca."));
    QCOMPARE(buttons, QStringList{QStringLiteral("OK")});
  }

  void confirmationDefaultsToYesAndEscapeMeansNo() {
    QtDialogs dialogs;
    QStringList buttons;
    QString title;
    WhileOpen([&](QWidget* box) {
      title = box->windowTitle();
      buttons = ButtonTexts(box);
      QTest::keyClick(box, Qt::Key_Return);
    });
    QVERIFY(dialogs.Confirm("Czy?"));
    QCOMPARE(title, QStringLiteral("Potwierdzenie"));
    QCOMPARE(buttons, QStringList({QStringLiteral("&Nie"), QStringLiteral("&Tak")}));

    WhileOpen([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
    QVERIFY(!dialogs.Confirm("Czy?"));
    WhileOpen([](QWidget* box) { Button(box, QStringLiteral("&Nie"))->click(); });
    QVERIFY(!dialogs.Confirm("Czy?"));
  }

  void inputBoxReturnsTheFieldOrThePreset() {
    QtDialogs dialogs;
    int maxLength = 0;
    bool wholeSelected = false;
    WhileOpen([&](QWidget* box) {
      auto* field = box->findChild<QLineEdit*>();
      maxLength = field->maxLength();
      wholeSelected = field->selectedText() == field->text();
      field->setText(QString::fromUtf8("Żuraw"));
      Button(box, QStringLiteral("OK"))->click();
    });
    QCOMPARE(dialogs.InputBox("Nazwa", "Podaj nazwę", "<firma>"), Utf8ToCp1250("Żuraw"));
    QCOMPARE(maxLength, 255);
    QVERIFY(wholeSelected);

    WhileOpen([](QWidget* box) {
      box->findChild<QLineEdit*>()->clear();
      Button(box, QStringLiteral("Anuluj"))->click();
    });
    QCOMPARE(dialogs.InputBox("Nazwa", "Podaj nazwę", "<firma>"), std::string("<firma>"));
  }
};

QTEST_MAIN(QtDialogsTest)
#include "qt_dialogs_test.moc"
