#include "config/ui/form_ustaw.h"

TFormUstaw::TFormUstaw(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(QStringLiteral("FormUstaw"));
  setWindowTitle(QStringLiteral("Ustawienia..."));
  setFixedSize(kClientWidth, kClientHeight);
}
