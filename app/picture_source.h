#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

// The picture `name` (scale, qel_logo, printer) drawn at `size` from the
// resources of this build: the SVG drawings through Qt Svg where the build
// has it (pictures_svg.cpp), else PNGs rendered from them at build time
// (pictures_png.cpp). Either way the drawing fills the whole size.
QPixmap DrawPicture(const QString& name, QSize size);
