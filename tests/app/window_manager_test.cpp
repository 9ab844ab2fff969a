// The windows as a real window manager sees them: the frame hints each window
// declares and the actions the window manager offers for it (xprop), and the
// about window's outer size inside a real frame. Runs on X11 under openbox
// (scripts/with-window-manager.sh); skipped elsewhere. openbox offers
// minimise and full screen for every dialog whatever its hints ask, so for
// those the hints are what is checked.

#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/about_box.h"
#include "app/bevel_panel.h"
#include "app/click_label.h"
#include "app/form1.h"
#include "app/waga_application.h"
#include "config/ui/form_ustaw.h"
#include "platform/qt_dialogs.h"
#include "tests/support/ui/window_bench.h"

namespace {

// What the window manager makes of a window: the actions it offers (without
// their common prefix) and the Motif hints the program declared.
struct Frame {
  QStringList actions;
  unsigned hintFlags = 0, functions = 0, decorations = 0;
  int frameTop = -1, frameBottom = -1;  // the frame's extents; -1 until the window manager sets them

  bool Offers(const char* action) const { return actions.contains(QLatin1String(action)); }
  QString Describe() const {
    return actions.join(u' ') + QStringLiteral("; functions 0x%1 decorations 0x%2")
                                    .arg(functions, 0, 16)
                                    .arg(decorations, 0, 16);
  }
};

// Motif hint bits.
constexpr unsigned kFunctionsGiven = 1, kDecorationsGiven = 2;
constexpr unsigned kFuncAll = 1, kFuncMinimize = 8, kFuncMaximize = 16, kFuncClose = 32;
constexpr unsigned kDecorAll = 1, kDecorMenu = 16, kDecorMinimize = 32, kDecorMaximize = 64;

Frame FrameOf(const QWidget* window) {
  QProcess xprop;
  xprop.start(QStringLiteral("xprop"),
              {QStringLiteral("-id"), QString::number(window->winId()),
               QStringLiteral("_NET_WM_ALLOWED_ACTIONS"), QStringLiteral("_MOTIF_WM_HINTS"),
               QStringLiteral("_NET_FRAME_EXTENTS")});
  Frame frame;
  if (!xprop.waitForFinished(5000)) return frame;
  for (const QString& line : QString::fromLocal8Bit(xprop.readAllStandardOutput()).split(u'\n')) {
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0) continue;
    const QStringList values = line.mid(equals + 1).split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (line.startsWith(QLatin1String("_NET_WM_ALLOWED_ACTIONS"))) {
      for (QString action : values)
        frame.actions << action.trimmed().remove(QStringLiteral("_NET_WM_ACTION_"));
      frame.actions.sort();
    } else if (line.startsWith(QLatin1String("_MOTIF_WM_HINTS")) && values.size() >= 3) {
      frame.hintFlags = values[0].trimmed().toUInt(nullptr, 16);
      frame.functions = values[1].trimmed().toUInt(nullptr, 16);
      frame.decorations = values[2].trimmed().toUInt(nullptr, 16);
    } else if (line.startsWith(QLatin1String("_NET_FRAME_EXTENTS")) && values.size() == 4) {
      frame.frameTop = values[2].trimmed().toInt();
      frame.frameBottom = values[3].trimmed().toInt();
    }
  }
  return frame;
}

// The height on the screen: the window's own and its frame's as the window
// manager states them. Qt's frameGeometry() may keep the frame it knew at the
// last move, which on a busy machine can be none, however long one waits.
// A loaded machine (CI runs the tests in parallel) may take seconds to frame it.
constexpr int kFramedWithin = 20000;

int OuterHeight(const QWidget* window) {
  const Frame frame = FrameOf(window);
  return frame.frameTop < 0 ? -1 : window->height() + frame.frameTop + frame.frameBottom;
}

// Not resizable, so the window manager offers neither resizing nor maximising.
void VerifyFixedSize(const Frame& frame) {
  for (const char* action : {"MAXIMIZE_HORZ", "MAXIMIZE_VERT", "RESIZE"}) {
    QVERIFY2(!frame.Offers(action), qPrintable(frame.Describe()));
  }
  QVERIFY2((frame.hintFlags & kFunctionsGiven) && (frame.hintFlags & kDecorationsGiven),
           qPrintable(frame.Describe()));
  QVERIFY2(!(frame.functions & (kFuncAll | kFuncMaximize)), qPrintable(frame.Describe()));
  QVERIFY2(!(frame.decorations & (kDecorAll | kDecorMaximize)), qPrintable(frame.Describe()));
}

// The close button only: neither minimise nor maximise asked for.
void VerifyCloseOnly(const Frame& frame) {
  VerifyFixedSize(frame);
  QVERIFY2(frame.Offers("CLOSE") && (frame.functions & kFuncClose), qPrintable(frame.Describe()));
  QVERIFY2(!(frame.functions & kFuncMinimize), qPrintable(frame.Describe()));
  QVERIFY2(!(frame.decorations & kDecorMinimize), qPrintable(frame.Describe()));
}

}  // namespace

// Counts the pointer's arrivals and moves anywhere in the program.
class EventCounter : public QObject {
 public:
  explicit EventCounter(int* count) : count_(count) {}
  bool eventFilter(QObject*, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type == QEvent::Enter || type == QEvent::MouseMove || type == QEvent::HoverMove) ++*count_;
    return false;
  }

 private:
  int* count_;
};

class WindowManagerTest : public QObject {
  Q_OBJECT

 private:
  WindowBench bench_;
  std::unique_ptr<TForm1> form_;
  Frame openedBox_;
  QString openedBoxTitle_;

  // Runs `open`, which shows a modal box, and records the box's title and
  // actions as the window manager offers them; then closes the box.
  void RecordModalBox(const std::function<void()>& open) {
    openedBox_ = {};
    openedBoxTitle_.clear();
    auto* timer = new QTimer(this);
    timer->setInterval(20);
    connect(timer, &QTimer::timeout, this, [this, timer] {
      QWidget* box = QApplication::activeModalWidget();
      if (box == nullptr || !box->isVisible()) return;
      const Frame frame = FrameOf(box);
      if (!frame.Offers("CLOSE")) return;  // not yet managed
      timer->stop();
      timer->deleteLater();
      openedBoxTitle_ = box->windowTitle();
      openedBox_ = frame;
      qInfo("%s: %s", qPrintable(openedBoxTitle_), qPrintable(frame.Describe()));
      QTest::keyClick(box, Qt::Key_Escape);
    });
    timer->start();
    open();
  }

  // A real pointer motion, as a user's hand on the menu would make: the
  // window manager gives the focus to a window shown again only after user
  // input newer than the focused window's.
  static void MoveMouseOver(QWidget* window) {
    int moves = 0;
    EventCounter counter(&moves);
    qApp->installEventFilter(&counter);
    const QPoint inside = window->mapToGlobal(QPoint(20, 300));
    for (const QPoint& at : {QPoint(1200, 1000), inside, inside + QPoint(10, 0)}) {
      QProcess::execute(
          QStringLiteral("xdotool"),
          {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())});
    }
    QTRY_VERIFY(moves > 0);
    qApp->removeEventFilter(&counter);
  }

 private slots:
  void initTestCase() {
    if (QGuiApplication::platformName() != QLatin1String("xcb") ||
        qEnvironmentVariableIsEmpty("DISPLAY")) {
      QSKIP("needs X11 with a window manager (scripts/with-window-manager.sh)");
    }
    for (const char* tool : {"xprop", "xdotool"}) {
      if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()) {
        QSKIP(qPrintable(QStringLiteral("%1 missing (scripts/setup.sh test installs it)")
                             .arg(QLatin1String(tool))));
      }
    }
  }

  void init() {
    TForm1Environment environment = bench_.Environment();
    environment.dialogs = nullptr;  // the real boxes, whose frames are looked at
    form_ = std::make_unique<TForm1>(environment);
    form_->SetFormUstaw(new TFormUstaw(form_.get()));
    auto* about = new TAboutBox(form_.get());
    about->SetUrlOpener([](const QString&) {});
    form_->SetAboutBox(about);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }

  void cleanup() { form_.reset(); }

  void mainWindowMinimisesButDoesNotMaximise() {
    QTRY_VERIFY(FrameOf(form_.get()).Offers("CLOSE"));
    QTRY_COMPARE(form_->frameGeometry().size(), QSize(800, 573));
    // The window is given its fixed size once it is framed; the window
    // manager takes away resizing when it has read the new size hints.
    QTRY_VERIFY(!FrameOf(form_.get()).Offers("RESIZE"));
    const Frame frame = FrameOf(form_.get());
    VerifyFixedSize(frame);
    QVERIFY2(frame.Offers("MINIMIZE") && frame.Offers("CLOSE"), qPrintable(frame.Describe()));
    QVERIFY2((frame.functions & kFuncMinimize) && (frame.functions & kFuncClose),
             qPrintable(frame.Describe()));
    QVERIFY2((frame.decorations & kDecorMenu) && (frame.decorations & kDecorMinimize),
             qPrintable(frame.Describe()));
    qInfo("main window: %s", qPrintable(frame.Describe()));
  }

  void dialogsAndBoxesOfferTheCloseButtonOnly() {
    RecordModalBox([this] { form_->MMustaw_rs()->trigger(); });
    QCOMPARE(openedBoxTitle_, QStringLiteral("Ustawienia..."));
    VerifyCloseOnly(openedBox_);

    RecordModalBox([this] { form_->Mnazwafirmy()->trigger(); });
    QCOMPARE(openedBoxTitle_, QStringLiteral("Nazwa firmy"));
    VerifyCloseOnly(openedBox_);

    QtDialogs dialogs(form_.get());
    RecordModalBox([&] { dialogs.ShowMessage(MessageKind::Error, "x"); });
    QCOMPARE(openedBoxTitle_, QString::fromUtf8("Błąd"));
    VerifyCloseOnly(openedBox_);

    RecordModalBox([&] { dialogs.Confirm("x"); });
    QCOMPARE(openedBoxTitle_, QStringLiteral("Potwierdzenie"));
    VerifyCloseOnly(openedBox_);

    RecordModalBox([] { ShowStandardException("x"); });
    QCOMPARE(openedBoxTitle_, QApplication::applicationName());
    VerifyCloseOnly(openedBox_);
  }

  // With a real frame the outer height is known only after the window
  // manager has framed the window: the first activation must already show
  // it collapsed at its designed outer size.
  void aboutWindowOpensCollapsedTheFirstTimeAndEveryTime() {
    TAboutBox* about = form_->AboutBox();
    form_->MMabout()->trigger();
    QTRY_VERIFY(about->isActiveWindow());
    // Already at its size when it becomes active: it does not grow or shrink
    // in front of the user. Qt may learn the frame's extents a moment after
    // the activation on a busy machine, so the outer height is waited for and
    // the inner one must not have changed meanwhile.
    const int innerHeight = about->height();
    QTRY_COMPARE_WITH_TIMEOUT(OuterHeight(about), 291, kFramedWithin);
    QCOMPARE(about->height(), innerHeight);
    QCOMPARE(about->width(), 266);
    QTRY_VERIFY(FrameOf(about).Offers("CLOSE"));
    VerifyCloseOnly(FrameOf(about));
    qInfo("%s: %s", qPrintable(about->windowTitle()), qPrintable(FrameOf(about).Describe()));
    QCOMPARE(about->OKButton()->y(), 291 - 63);
    QVERIFY(about->OKButton()->geometry().bottom() < about->height());

    QTest::mouseClick(about->Iqel(), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(OuterHeight(about), 387, kFramedWithin);
    QCOMPARE(about->Panel1()->height(), 305);

    about->hide();
    MoveMouseOver(form_.get());
    form_->MMabout()->trigger();
    QTRY_VERIFY(about->isActiveWindow());
    QTRY_COMPARE_WITH_TIMEOUT(OuterHeight(about), 291, kFramedWithin);
    QCOMPARE(about->Panel1()->height(), 209);
  }
};

int main(int argc, char* argv[]) {
  WagaApplication app(argc, argv);
  WindowManagerTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "window_manager_test.moc"
