#include "app/waga_application.h"

#include <QDialogButtonBox>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>
#include <QStyleOptionSlider>
#include <QTest>
#include <memory>

// What the program's application object sets up at start-up: Qt's own
// texts in Polish, and the look of the windows.
class WagaApplicationTest : public QObject {
  Q_OBJECT

 private:
  static QImage MenuMark(QStyleOptionMenuItem::CheckType type) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QStyleOptionMenuItem option;
    option.rect = image.rect();
    option.state = QStyle::State_Enabled;
    option.palette = QApplication::palette();
    option.checkType = type;
    option.checked = true;
    QPainter painter(&image);
    QApplication::style()->drawPrimitive(QStyle::PE_IndicatorMenuCheckMark, &option, &painter);
    return image;
  }

  // A vertical trough that starts on an odd row and ends within a band.
  static QImage Trough(const QStyle& style, QStyle::ControlElement element, QStyle::State state) {
    QImage image(16, 203, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QStyleOptionSlider option;
    option.rect = QRect(0, 3, 16, 197);
    option.state = state;
    option.palette = QApplication::palette();
    option.orientation = Qt::Vertical;
    QPainter painter(&image);
    style.drawControl(element, &option, &painter);
    return image;
  }

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

  // The file dialog's dates and sizes, as Qt formats them for the user.
  void datesAndSizesShownByQtArePolish() {
    QCOMPARE(QLocale().monthName(12, QLocale::LongFormat), QString::fromUtf8("grudnia"));
    QCOMPARE(QLocale().toString(1.5), QStringLiteral("1,5"));
  }

  // A radio item of a menu shows a radio mark, not the tick of an
  // independent option.
  void radioItemsOfAMenuShowTheirOwnMark() {
    const QImage radio = MenuMark(QStyleOptionMenuItem::Exclusive);
    const QImage tick = MenuMark(QStyleOptionMenuItem::NonExclusive);
    QImage blank(radio.size(), radio.format());
    blank.fill(Qt::white);
    QVERIFY(radio != blank);
    QVERIFY(tick != blank);
    QVERIFY(radio != tick);
  }

  // The program fills a scroll bar's trough in bands; its checkered pattern
  // must come out as the Windows style's single fill draws it.
  void scrollBarTroughLooksAsTheWindowsStyleDrawsIt() {
    const std::unique_ptr<QStyle> windows(QStyleFactory::create(QStringLiteral("Windows")));
    QVERIFY(windows != nullptr);
    for (const auto element : {QStyle::CE_ScrollBarAddPage, QStyle::CE_ScrollBarSubPage}) {
      for (const QStyle::State state :
           {QStyle::State(QStyle::State_Enabled), QStyle::State_Enabled | QStyle::State_Sunken}) {
        const QImage banded = Trough(*QApplication::style(), element, state);
        QCOMPARE(banded, Trough(*windows, element, state));
        QVERIFY(banded.pixel(5, 100) != banded.pixel(6, 100));  // the pattern is there
      }
    }
  }
};

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  WagaApplication app(argc, argv);
  WagaApplicationTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "waga_application_test.moc"
