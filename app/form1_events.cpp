// Low-level events of two controls, turned into their handlers: the mouse
// press and Space on CBzapis (before it toggles), and the typed characters
// and the loss of focus of Emaxlinie.

#include <QCheckBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include "app/form1.h"

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == cbZapis_) {
    // The second press of a double click comes as a double-click event, and
    // Space is the keyboard's click: both take the steps of a press, so that
    // no way round them switches writing on.
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
      return CBzapisMouseDown(static_cast<QMouseEvent*>(event)->button());
    }
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Space || key->key() == Qt::Key_Select) {
        if (event->type() == QEvent::KeyPress && !key->isAutoRepeat()) {
          CBzapisMouseDown(Qt::LeftButton);
        }
        return true;
      }
    }
  }
  if (watched == eMaxlinie_) {
    if (event->type() == QEvent::KeyPress) {
      auto* key = static_cast<QKeyEvent*>(event);
      const QString text = key->text();
      if (text.size() == 1 && text.at(0).unicode() < 0x80) {
        char c = static_cast<char>(text.at(0).unicode());
        EmaxlinieKeyPress(c);
        if (c == 0) return true;
      }
    } else if (event->type() == QEvent::FocusOut) {
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      // Leaving for a menu or another window is not leaving the field.
      if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
        EmaxlinieExit();
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}
