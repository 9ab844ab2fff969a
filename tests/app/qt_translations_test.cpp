#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "app/waga_application.h"

// The program's application object loads Qt's Polish texts at start-up.
class QtTranslationsTest : public QObject {
  Q_OBJECT

 private slots:
  void standardButtonsReadInPolish() {
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                             QDialogButtonBox::Save | QDialogButtonBox::Yes);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Anuluj"));
    QCOMPARE(buttons.button(QDialogButtonBox::Save)->text(), QStringLiteral("Zachowaj"));
    QCOMPARE(buttons.button(QDialogButtonBox::Yes)->text(), QStringLiteral("&Tak"));
  }

  void contextMenuOfAnEditReadsInPolish() {
    QLineEdit edit(QStringLiteral("12.50"));
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    for (QAction* action : menu->actions()) {
      if (!action->isSeparator()) texts << action->text();
    }
    QVERIFY(!texts.isEmpty());
    for (const char* english : {"&Undo", "&Copy", "&Paste", "Select All"}) {
      QVERIFY2(!texts.contains(QLatin1String(english)), qPrintable(texts.join(u'|')));
    }
  }
};

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  WagaApplication app(argc, argv);
  QtTranslationsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "qt_translations_test.moc"
