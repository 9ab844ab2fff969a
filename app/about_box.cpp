#include "app/about_box.h"

#include <QDesktopServices>
#include <QEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QWindow>
#include <utility>

#include "app/bevel_panel.h"
#include "app/click_label.h"
#include "app/look.h"
#include "app/maker.h"
#include "app/pictures.h"
#include "platform/window_frames.h"

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

const QColor kLinkUp(0, 0, 255);
const QColor kLinkDown(128, 0, 128);

template <typename Label>
Label* AutoLabel(Label* label, int left, int top) {
  label->move(left, top);
  label->adjustSize();
  return label;
}

// The designed places were measured in a narrower font than the one that
// stands in for it: a caption that would run into the link beside it moves
// left, so that it ends a little before the link begins.
void KeepLeftOf(QLabel* label, const QWidget* link) {
  constexpr int kGap = 3;
  const int right = link->x() - kGap;
  if (label->geometry().right() >= right) label->move(right - label->width(), label->y());
}

// The frame around a shown window; none while it is hidden or not yet framed.
QMargins KnownFrame(const QWidget* window) {
  QWindow* handle = window->windowHandle();
  return handle != nullptr && window->isVisible() ? handle->frameMargins() : QMargins();
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, kDialogFrame),
      openUrl_([](const QString& url) { QDesktopServices::openUrl(QUrl(url)); }) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(U("O producencie..."));
  setModal(false);
  setFont(FormFont());

  panel1_ = new BevelPanel(BevelPanel::Bevel::Lowered, BevelPanel::Bevel::Raised, this);
  panel1_->setObjectName(QStringLiteral("Panel1"));
  panel1_->setGeometry(16, 8, 233, kCollapsedPanel);

  auto* label2 = AutoLabel(new QLabel(U("WAGI ELEKTRONICZNE"), panel1_), 32, 24);
  QFont bold = FormFont();
  bold.setPixelSize(13);
  bold.setBold(true);
  label2->setFont(bold);
  label2->adjustSize();

  iqel_ = new ClickLabel(panel1_);
  iqel_->setObjectName(QStringLiteral("Iqel"));
  iqel_->setGeometry(88, 56, 65, 25);
  iqel_->setPixmap(MakerLogo(iqel_->size()));
  iqel_->setCursor(Qt::PointingHandCursor);
  iqel_->setToolTip(U("Kliknij, aby dowiedzieć się więcej o produktach Qel..."));
  connect(iqel_, &ClickLabel::clicked, this, &TAboutBox::IqelClick);

  auto* label4 = AutoLabel(new QLabel(U("Internet:"), panel1_), 39, 96);
  label4->setObjectName(QStringLiteral("Label4"));
  label3_ = AutoLabel(new ClickLabel(U(maker::kWeb), panel1_), 80, 96);
  label3_->setObjectName(QStringLiteral("Label3"));
  label3_->setToolTip(U("Odwiedź naszą stronę internetową"));
  auto* label1 = AutoLabel(new QLabel(U("E-mail:"), panel1_), 55, 120);
  label1->setObjectName(QStringLiteral("Label1"));
  lqelemail_ = AutoLabel(new ClickLabel(U(maker::kMail), panel1_), 88, 120);
  lqelemail_->setObjectName(QStringLiteral("Lqelemail"));
  lqelemail_->setToolTip(U("Napisz do nas"));
  for (ClickLabel* link : {label3_, lqelemail_}) {
    QFont font = link->font();
    font.setUnderline(true);
    link->setFont(font);
    link->adjustSize();
    link->setCursor(Qt::PointingHandCursor);
    SetLinkColour(link, kLinkUp);
    connect(link, &ClickLabel::mouseDown, this, [this, link] { SetLinkColour(link, kLinkDown); });
    connect(link, &ClickLabel::mouseUp, this, [this, link] { SetLinkColour(link, kLinkUp); });
  }
  for (auto [label, link] : {std::pair{label4, label3_}, std::pair{label1, lqelemail_}}) {
    KeepLeftOf(label, link);
  }
  connect(label3_, &ClickLabel::clicked, this, &TAboutBox::Label3Click);
  connect(lqelemail_, &ClickLabel::clicked, this, &TAboutBox::LqelemailClick);

  AutoLabel(new QLabel(U(maker::kNameAndTown), panel1_), 64, 152);
  AutoLabel(new QLabel(U(maker::kPhoneFax), panel1_), 64, 168);
  AutoLabel(new QLabel(U(maker::kSecondPhone), panel1_), 64, 184);

  // Right-aligned: its right edge stays where "(wersja)" ended.
  lversion_ = new QLabel(U("(wersja)"), panel1_);
  lversion_->setObjectName(QStringLiteral("Lversion"));
  lversion_->setFont(ArialFont(9));
  QPalette grey = lversion_->palette();
  grey.setColor(QPalette::WindowText, Qt::gray);
  lversion_->setPalette(grey);
  lversion_->setAlignment(Qt::AlignRight | Qt::AlignTop);
  const int right = 194 + lversion_->fontMetrics().horizontalAdvance(lversion_->text());
  lversion_->setGeometry(right - 60, 192, 60, lversion_->fontMetrics().height());

  mreklama_ = new QPlainTextEdit(U(maker::kAdvert), panel1_);
  mreklama_->setObjectName(QStringLiteral("Mreklama"));
  mreklama_->setGeometry(8, 216, 217, 81);
  mreklama_->setFont(CourierFont(12));
  mreklama_->setReadOnly(true);
  mreklama_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  mreklama_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  okButton_ = new QPushButton(QStringLiteral("OK"), this);
  okButton_->setObjectName(QStringLiteral("OKButton"));
  okButton_->setGeometry(95, 228, 75, 25);
  okButton_->setDefault(true);
  okButton_->setAutoDefault(true);
  connect(okButton_, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);

  Resize(kCollapsedPanel);
}

int TAboutBox::OuterHeight() const { return frameGeometry().height(); }

int TAboutBox::DesignedOuterHeight() const { return panel1_->height() + kBelowPanel; }

void TAboutBox::Resize(int panelHeight) {
  panel1_->resize(panel1_->width(), panelHeight);
  okButton_->move(okButton_->x(), DesignedOuterHeight() - 63);
  FitFrame();
}

// The client area is what is left of the designed outer height inside the
// window manager's frame. The frame is known only some time after the window
// is first shown (and may change), so this runs again on every move, resize
// and activation; it changes nothing once the size is right. Until its own
// frame is known the window takes its owner's, which the same window manager
// draws alike in all but the buttons.
void TAboutBox::FitFrame() {
  const QMargins frame = KnownFrame(this).isNull() && parentWidget() != nullptr
                             ? KnownFrame(parentWidget()->window())
                             : KnownFrame(this);
  const QSize client(kClientWidth, DesignedOuterHeight() - frame.top() - frame.bottom());
  if (client.height() > 0 &&
      (size() != client || minimumSize() != client || maximumSize() != client)) {
    setFixedSize(client);
  }
}

void TAboutBox::FormActivate() {
  Resize(kCollapsedPanel);
  lversion_->setText(U(maker::kVersionTag));
}

void TAboutBox::IqelClick() {
  Resize(panel1_->height() == kCollapsedPanel ? kExpandedPanel : kCollapsedPanel);
}

void TAboutBox::Label3Click() { openUrl_(U(maker::kWebUrl)); }

void TAboutBox::LqelemailClick() { openUrl_(QStringLiteral("mailto:") + U(maker::kMail)); }

void TAboutBox::OKButtonClick() { accept(); }

void TAboutBox::SetLinkColour(ClickLabel* label, const QColor& colour) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
}

void TAboutBox::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

bool TAboutBox::event(QEvent* event) {
  const bool handled = QDialog::event(event);
  switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::WindowActivate:
      FitFrame();
      break;
    default:
      break;
  }
  return handled;
}

// Centred over the main window each time it is shown.
void TAboutBox::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (QWidget* owner = parentWidget()) {
    QRect frame = frameGeometry();
    frame.moveCenter(owner->window()->frameGeometry().center());
    move(frame.topLeft());
  }
}
