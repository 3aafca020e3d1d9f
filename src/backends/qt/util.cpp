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

i16 shiftState(Qt::KeyboardModifiers m) {
  return static_cast<i16>(((m & Qt::ShiftModifier) ? 1 : 0) | ((m & Qt::ControlModifier) ? 2 : 0) |
                          ((m & Qt::AltModifier) ? 4 : 0));
}

i16 buttonCode(Qt::MouseButtons b) {
  return static_cast<i16>(((b & Qt::LeftButton) ? 1 : 0) | ((b & Qt::RightButton) ? 2 : 0) |
                          ((b & Qt::MiddleButton) ? 4 : 0));
}

i16 keyCode(const QKeyEvent& e) {
  const int k = e.key();
  if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9)) {
    return static_cast<i16>(k);  // the same codes as the virtual keys
  }
  if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return static_cast<i16>(0x70 + (k - Qt::Key_F1));
  switch (k) {
    case Qt::Key_Backspace:
      return 0x08;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 0x0D;
    case Qt::Key_Shift:
      return 0x10;
    case Qt::Key_Control:
      return 0x11;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
      return 0x12;
    case Qt::Key_Pause:
      return 0x13;
    case Qt::Key_CapsLock:
      return 0x14;
    case Qt::Key_Escape:
      return 0x1B;
    case Qt::Key_Space:
      return 0x20;
    case Qt::Key_PageUp:
      return 0x21;
    case Qt::Key_PageDown:
      return 0x22;
    case Qt::Key_End:
      return 0x23;
    case Qt::Key_Home:
      return 0x24;
    case Qt::Key_Left:
      return 0x25;
    case Qt::Key_Up:
      return 0x26;
    case Qt::Key_Right:
      return 0x27;
    case Qt::Key_Down:
      return 0x28;
    case Qt::Key_Print:
      return 0x2C;
    case Qt::Key_Insert:
      return 0x2D;
    case Qt::Key_Delete:
      return 0x2E;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
      return 0x5B;
    case Qt::Key_Super_R:
      return 0x5C;
    case Qt::Key_Menu:
      return 0x5D;
    case Qt::Key_NumLock:
      return 0x90;
    case Qt::Key_ScrollLock:
      return 0x91;
    default:
      break;
  }
  // Anything else still is a key: its native code keeps it apart from the others.
  return static_cast<i16>(e.nativeVirtualKey() & 0x7FFF);
}

}  // namespace ps::qt
