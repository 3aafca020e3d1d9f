#include "qt_text.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/surface.h"

namespace ps::headless {

const QFont& QtTextPlatform::qfont(const Font& font) {
  if (!last_ || !(*last_ == font)) {
    QFont f(QString::fromStdString(font.name));
    // Points at 96 dots per inch, as the screensaver's screen has them.
    f.setPixelSize(static_cast<int>(std::lround(font.points * 96.0 / 72.0)));
    f.setWeight(font.weight >= 600 ? QFont::Bold : QFont::Normal);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setStrikeOut(font.strikeout);
    qfont_ = f;
    metrics_.emplace(qfont_);
    last_ = font;
  }
  return qfont_;
}

int QtTextPlatform::textWidth(const Font& font, std::string_view text) {
  qfont(font);
  return metrics_->horizontalAdvance(QString::fromUtf8(text.data(), static_cast<int>(text.size())));
}

int QtTextPlatform::textHeight(const Font& font, std::string_view) {
  qfont(font);
  return metrics_->height();
}

void QtTextPlatform::drawText(Surface& target, const Font& font, int x, int y,
                              std::string_view text, u32 rgb, const Rect& clip) {
  const Rect c = intersect(clip, target.bounds());
  if (!drawTexts || c.empty()) return;
  const QFont& f = qfont(font);
  QImage image(reinterpret_cast<uchar*>(target.data()), target.width(), target.height(),
               target.width() * 4, QImage::Format_RGB32);
  {
    QPainter painter(&image);
    painter.setClipRect(QRect(c.left, c.top, c.width(), c.height()));
    painter.setFont(f);
    painter.setPen(QColor::fromRgb(rgb));
    painter.drawText(x, y + metrics_->ascent(),
                     QString::fromUtf8(text.data(), static_cast<int>(text.size())));
  }
  // Qt writes an opaque alpha byte; the surface keeps 0x00RRGGBB.
  int h = metrics_->height();
  for (int yy = std::max(0, y - h); yy < std::min(target.height(), y + 2 * h); ++yy) {
    u32* row = target.row(yy);
    for (int xx = 0; xx < target.width(); ++xx) row[xx] &= 0xFFFFFF;
  }
}

}  // namespace ps::headless
