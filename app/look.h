#pragma once

// Fonts and style of the program's windows. The designed fonts (MS Sans
// Serif, Arial, Courier New) resolve to the metric-compatible Liberation
// fonts.

#include <QColor>
#include <QFont>

class QApplication;

// The style, the font substitutions and the application font; call once
// after the application object exists.
void InstallWagaLook(QApplication& app);

QFont FormFont();                               // MS Sans Serif, 11 px
QFont ArialFont(int pixels, bool bold = false);
QFont CourierFont(int pixels);

// Background of the weight display and of the unit under it.
inline QColor DisplayBackground() { return QColor(225, 220, 215); }
