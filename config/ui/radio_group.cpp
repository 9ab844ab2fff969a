#include "config/ui/radio_group.h"

#include <QButtonGroup>
#include <QRadioButton>

namespace {
// Room for the caption above the items and the frame around them.
constexpr int kCaptionHeight = 15;
constexpr int kFrame = 8;
}  // namespace

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, int columns,
                         QWidget* parent)
    : QGroupBox(caption, parent), columns_(columns < 1 ? 1 : columns), group_(new QButtonGroup(this)) {
  group_->setExclusive(true);
  for (const QString& text : items) {
    auto* button = new QRadioButton(text, this);
    group_->addButton(button, static_cast<int>(buttons_.size()));
    buttons_.push_back(button);
  }
  PlaceItems();
}

int TRadioGroup::ItemIndex() const { return group_->checkedId(); }

void TRadioGroup::SetItemIndex(int index) {
  if (index >= 0 && index < Count()) {
    Item(index)->setChecked(true);
    return;
  }
  // An exclusive group does not let its last ticked button go.
  group_->setExclusive(false);
  for (QRadioButton* button : buttons_) button->setChecked(false);
  group_->setExclusive(true);
}

void TRadioGroup::resizeEvent(QResizeEvent* event) {
  QGroupBox::resizeEvent(event);
  PlaceItems();
}

void TRadioGroup::PlaceItems() {
  if (buttons_.empty()) return;
  const int perColumn = (Count() + columns_ - 1) / columns_;
  const int columnWidth = (width() - 2 * kFrame) / columns_;
  const int rowHeight = (height() - kCaptionHeight - kFrame / 2) / perColumn;
  for (int i = 0; i < Count(); ++i) {
    const int column = i / perColumn;
    const int row = i % perColumn;
    Item(i)->setGeometry(kFrame + column * columnWidth, kCaptionHeight + row * rowHeight,
                         columnWidth, rowHeight);
  }
}
