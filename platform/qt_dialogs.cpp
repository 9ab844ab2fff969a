#include "platform/qt_dialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/qt_text.h"
#include "platform/window_frames.h"

namespace {

// A carriage return in a message breaks the line.
QString MessageText(const std::string& text) {
  QString shown = ToQString(text);
  shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return shown;
}

void CentreOnScreen(QWidget* box) {
  box->adjustSize();
  QScreen* screen = box->screen() != nullptr ? box->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  QRect frame = box->frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  box->move(frame.topLeft());
}

int RunCentred(QDialog& box) {
  box.setWindowFlags(kDialogFrame);
  CentreOnScreen(&box);
  return box.exec();
}

}  // namespace

void QtDialogs::ShowMessage(MessageKind kind, const std::string& text) {
  QMessageBox box(parent_);
  switch (kind) {
    case MessageKind::Warning:
      box.setIcon(QMessageBox::Warning);
      box.setWindowTitle(QString::fromUtf8("Ostrzeżenie"));
      break;
    case MessageKind::Error:
      box.setIcon(QMessageBox::Critical);
      box.setWindowTitle(QString::fromUtf8("Błąd"));
      break;
    case MessageKind::Information:
      box.setIcon(QMessageBox::Information);
      box.setWindowTitle(QString::fromUtf8("Informacja"));
      break;
  }
  box.setText(MessageText(text));
  QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  RunCentred(box);
}

bool QtDialogs::Confirm(const std::string& text) {
  QMessageBox box(parent_);
  box.setIcon(QMessageBox::Question);
  box.setWindowTitle(QStringLiteral("Potwierdzenie"));
  box.setText(MessageText(text));
  QPushButton* yes = box.addButton(QStringLiteral("&Tak"), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QStringLiteral("&Nie"), QMessageBox::NoRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(no);
  RunCentred(box);
  return box.clickedButton() == yes;
}

std::string QtDialogs::InputBox(const std::string& caption, const std::string& prompt,
                                const std::string& preset) {
  QDialog box(parent_);
  box.setWindowTitle(ToQString(caption));
  auto* layout = new QVBoxLayout(&box);
  auto* label = new QLabel(MessageText(prompt), &box);
  auto* field = new QLineEdit(&box);
  field->setMaxLength(255);
  field->setText(ToQString(preset));
  field->selectAll();
  field->setMinimumWidth(300);
  label->setBuddy(field);
  auto* buttons = new QDialogButtonBox(&box);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Anuluj"), QDialogButtonBox::RejectRole);
  ok->setDefault(true);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
  layout->addWidget(label);
  layout->addWidget(field);
  layout->addWidget(buttons);
  box.setFixedSize(box.sizeHint());
  if (RunCentred(box) != QDialog::Accepted) return preset;
  return FromQString(field->text());
}

std::optional<std::string> QtDialogs::SaveFileName(const std::string& initialName) {
  // "*" rather than "*.*": on this system most data files have no extension.
  const QString name = QFileDialog::getSaveFileName(
      parent_, QString(), ToQString(initialName), QStringLiteral("Wszystkie pliki (*)"), nullptr,
      QFileDialog::DontConfirmOverwrite);
  if (name.isEmpty()) return std::nullopt;
  return FromQString(name);
}
