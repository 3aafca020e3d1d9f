// Small translations between the system's records and Qt's.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <string_view>

#include "platform/image.h"
#include "platform/platform.h"

class QKeyEvent;

namespace ps::qt {

// Fonts by the names the windows use; where such a font is not installed, fontconfig's or
// our own substitute (installSubstitutes) stands in.
QFont toQFont(const Font& font);
void installFontSubstitutes();

inline QColor toQColor(u32 rgb) {
  return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

inline QString fromUtf8(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// A decoded picture with its mask turned into transparency.
QImage toQImage(const Image& img);

// A caption without its accelerator marks ("&&" stays one "&"), for texts that show no
// keyboard shortcut.
QString withoutAccelerators(const std::string& caption);
// Captions for Qt's own widgets: the same accelerator convention, line ends as Qt wants them.
QString captionText(const std::string& caption);

// A caption broken into lines at its blanks so that each line fits `width` pixels, as buttons
// show a caption too long for one line.
QString wrapToWidth(const QString& caption, const QFont& font, int width);

}  // namespace ps::qt
