#pragma once

#include <QPixmap>
#include <QSize>

// The program's pictures, drawn from the SVG resources at the size given.
QPixmap ScalePicture(QSize size);   // the scale on the main window
QPixmap MakerLogo(QSize size);      // the maker's logo
QPixmap PrinterGlyph(QSize size);   // the glyph of the print buttons
