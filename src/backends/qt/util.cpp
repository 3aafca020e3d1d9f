#include "backends/qt/util.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <algorithm>

namespace ps::qt {

void installFontSubstitutes() {
  // The fonts of the windows' design, and free fonts with the same metrics or look.
  const QStringList families = QFontDatabase::families();
  auto substitute = [&](const char* name, QStringList candidates) {
    if (families.contains(QString::fromLatin1(name), Qt::CaseInsensitive)) return;
    QStringList present;
    for (const QString& c : candidates) {
      if (families.contains(c, Qt::CaseInsensitive)) present << c;
    }
    if (!present.isEmpty()) QFont::insertSubstitutions(QString::fromLatin1(name), present);
  };
  substitute("Comic Sans MS", {"Comic Neue", "Comic Relief", "DejaVu Sans"});
  substitute("MS Sans Serif", {"Microsoft Sans Serif", "Liberation Sans", "Arimo",
                               "DejaVu Sans Condensed", "DejaVu Sans"});
}

QFont toQFont(const Font& font) {
  QFont f(QString::fromStdString(font.name));
  f.setPointSizeF(font.points);
  f.setWeight(static_cast<QFont::Weight>(std::clamp(font.weight, 1, 1000)));
  f.setItalic(font.italic);
  f.setUnderline(font.underline);
  f.setStrikeOut(font.strikeout);
  return f;
}

QImage toQImage(const Image& img) {
  if (img.empty()) return {};
  QImage out(img.width, img.height, QImage::Format_ARGB32);
  for (int y = 0; y < img.height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < img.width; ++x) {
      row[x] = img.transparent(x, y) ? 0u : (0xFF000000u | img.at(x, y));
    }
  }
  return out;
}

QString withoutAccelerators(const std::string& caption) {
  QString in = captionText(caption), out;
  out.reserve(in.size());
  for (qsizetype i = 0; i < in.size(); ++i) {
    if (in[i] != u'&') {
      out += in[i];
    } else if (i + 1 < in.size() && in[i + 1] == u'&') {
      out += u'&';
      ++i;
    }
  }
  return out;
}

QString captionText(const std::string& caption) {
  QString s = QString::fromStdString(caption);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return s;
}

QString wrapToWidth(const QString& caption, const QFont& font, int width) {
  QFontMetrics fm(font);
  auto fits = [&](const QString& line) {
    return fm.horizontalAdvance(withoutAccelerators(line.toStdString())) <= width;
  };
  if (fits(caption)) return caption;
  QString out, line;
  for (const QString& word : caption.split(u' ')) {
    QString longer = line.isEmpty() ? word : line + u' ' + word;
    if (line.isEmpty() || fits(longer)) {
      line = longer;
    } else {
      out += line + u'\n';
      line = word;
    }
  }
  return out + line;
}

}  // namespace ps::qt
