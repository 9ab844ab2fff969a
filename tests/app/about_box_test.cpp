#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "app/about_box.h"
#include "app/bevel_panel.h"
#include "app/click_label.h"
#include "app/form1.h"
#include "tests/support/ui/window_bench.h"

#include <utility>

class AboutBoxTest : public QObject {
  Q_OBJECT

 private:
  WindowBench bench_;
  std::unique_ptr<TForm1> form_;
  TAboutBox* about_ = nullptr;
  QStringList opened_;

  void VerifyCollapsed() {
    QCOMPARE(about_->Panel1()->height(), 209);
    QTRY_COMPARE(about_->OuterHeight(), 291);
    QCOMPARE(about_->OKButton()->y(), 228);
    QCOMPARE(about_->Mreklama()->visibleRegion().isEmpty(), true);
  }
  void VerifyExpanded() {
    QCOMPARE(about_->Panel1()->height(), 305);
    QTRY_COMPARE(about_->OuterHeight(), 387);
    QCOMPARE(about_->OKButton()->y(), 324);
    QCOMPARE(about_->Mreklama()->visibleRegion().isEmpty(), false);
  }
  // The offscreen platform activates a window some events after the request.
  static void WaitActive(QWidget* window) { QTRY_VERIFY(window->isActiveWindow()); }
  static void Activate(QWidget* window) {
    window->activateWindow();
    WaitActive(window);
  }
  QColor LinkColour(ClickLabel* link) { return link->palette().color(QPalette::WindowText); }

 private slots:
  void init() {
    form_ = std::make_unique<TForm1>(bench_.Environment());
    about_ = new TAboutBox(form_.get());
    about_->SetUrlOpener([this](const QString& url) { opened_ << url; });
    form_->SetAboutBox(about_);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    opened_.clear();
  }

  void cleanup() { form_.reset(); }

  void firstActivationShowsItCollapsedWithTheVersionTag() {
    QCOMPARE(about_->windowTitle(), QStringLiteral("O producencie..."));
    form_->MMabout()->trigger();
    WaitActive(about_);
    QVERIFY(!about_->isModal());
    QCOMPARE(about_->Lversion()->text(), QStringLiteral("QEL4_3"));
    QCOMPARE(about_->width(), 266);
    VerifyCollapsed();
  }

  void logoTogglesAndActivationCollapses() {
    form_->MMabout()->trigger();
    WaitActive(about_);
    QTest::mouseClick(about_->Iqel(), Qt::LeftButton);
    VerifyExpanded();
    QTest::mouseClick(about_->Iqel(), Qt::LeftButton);
    VerifyCollapsed();

    QTest::mouseClick(about_->Iqel(), Qt::LeftButton);
    VerifyExpanded();
    Activate(form_.get());
    Activate(about_);
    VerifyCollapsed();

    QTest::mouseClick(about_->Iqel(), Qt::LeftButton);
    Activate(form_.get());
    form_->MMabout()->trigger();  // open already: to the front, collapsed
    WaitActive(about_);
    VerifyCollapsed();
  }

  void linksTurnPurpleWhileDownAndOpenTheirAddress() {
    form_->MMabout()->trigger();
    WaitActive(about_);
    const QColor blue(0, 0, 255), purple(128, 0, 128);
    for (ClickLabel* link : {about_->Label3(), about_->Lqelemail()}) {
      const auto openedBefore = opened_.size();
      QCOMPARE(LinkColour(link), blue);
      QTest::mousePress(link, Qt::RightButton);
      QCOMPARE(LinkColour(link), purple);
      QTest::mouseRelease(link, Qt::RightButton);
      QCOMPARE(LinkColour(link), blue);
      QCOMPARE(opened_.size(), openedBefore);  // only the left button clicks

      QTest::mousePress(link, Qt::LeftButton);
      QCOMPARE(LinkColour(link), purple);
      QTest::mouseRelease(link, Qt::LeftButton);
      QCOMPARE(LinkColour(link), blue);
    }
    QCOMPARE(opened_, QStringList({QStringLiteral("http://www.qel.example.com"),
                                   QStringLiteral("mailto:biuro@qel.example.com")}));
  }

  // "Internet:" and "E-mail:" end before their links begin, on the same line.
  void labelsDoNotRunIntoTheirLinks() {
    for (auto [name, link] :
         {std::pair{"Label4", about_->Label3()}, std::pair{"Label1", about_->Lqelemail()}}) {
      auto* label = about_->Panel1()->findChild<QLabel*>(QLatin1String(name));
      QVERIFY(label != nullptr);
      QVERIFY2(label->geometry().right() < link->x(), name);
      QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(label->text()));
      QVERIFY(label->x() > 0);
      QCOMPARE(label->y(), link->y());
    }
    QCOMPARE(about_->Label3()->pos(), QPoint(80, 96));
    QCOMPARE(about_->Lqelemail()->pos(), QPoint(88, 120));
  }

  void okHidesAndTheMenuShowsItAgain() {
    form_->MMabout()->trigger();
    WaitActive(about_);
    QTest::mouseClick(about_->OKButton(), Qt::LeftButton);
    QVERIFY(!about_->isVisible());
    form_->MMabout()->trigger();
    WaitActive(about_);
    QTest::keyClick(about_, Qt::Key_Return);
    QVERIFY(!about_->isVisible());
  }
};

QTEST_MAIN(AboutBoxTest)
#include "about_box_test.moc"
