// Drawing: text onto the system's surfaces, rendered once per text and then only blended, and
// the desktop behind the running mode.
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QStandardPaths>
#include <algorithm>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "backends/qt/platform.h"
#include "backends/qt/util.h"
#include "platform/surface.h"

namespace ps::qt {

namespace {
// Every tick prints and measures the same texts in the same font: keep the Qt font ready.
struct FontCache {
  Font font;
  QFont qfont;
  std::unique_ptr<QFontMetrics> metrics;
  int height = 0;  // asked every tick, and Qt works it out afresh each time
  bool ready = false;
};
const FontCache& cached(const Font& font) {
  static FontCache c;
  if (!c.ready || !(c.font == font)) {
    c.font = font;
    c.qfont = toQFont(font);
    c.metrics = std::make_unique<QFontMetrics>(c.qfont);
    c.height = c.metrics->height();
    c.ready = true;
  }
  return c;
}

// Every tick prints the same few texts (the date, the time of the second, the address):
// shaping and rasterising them is most of a frame's cost, so each is rendered once into a
// coverage picture and then only blended. The time changes once a second, so a handful of
// entries is plenty; the cache is emptied when it grows past them.
struct RenderedText {
  QImage picture;  // premultiplied ARGB, the text in its colour on transparency
  QPoint offset;   // of the picture's top-left corner from the text's top-left corner
  int advance = 0;
  // Per row of the picture, the columns from the first to past the last with ink: glyphs cover
  // little of their box, and a transparent pixel leaves the target as it is.
  std::vector<std::pair<int, int>> inked;
};

// The entries, looked up by text and colour: a handful, so a look along them costs less than
// building a key to hash, which every print of every tick would do.
struct RenderedEntry {
  std::string text;
  u32 rgb = 0;
  RenderedText r;
};

const RenderedText& rendered(const Font& font, std::string_view text, u32 rgb) {
  static std::deque<RenderedEntry> cache;  // stays where it is while entries are added
  static Font cacheFont;
  if (!(cacheFont == font)) cache.clear(), cacheFont = font;
  for (const RenderedEntry& e : cache) {
    if (e.rgb == rgb && e.text == text) return e.r;
  }
  if (cache.size() >= 16) cache.clear();
  const FontCache& fc = cached(font);
  const QFontMetrics& fm = *fc.metrics;
  const QString s = fromUtf8(text);
  RenderedText r;
  r.advance = fm.horizontalAdvance(s);
  const QRect ink =
      (fm.boundingRect(s).translated(0, fm.ascent()) | QRect(0, 0, r.advance, fm.height()))
          .adjusted(-2, -2, 2, 2);
  r.offset = ink.topLeft();
  r.picture = QImage(ink.size(), QImage::Format_ARGB32_Premultiplied);
  r.picture.fill(Qt::transparent);
  {
    QPainter p(&r.picture);
    p.setFont(fc.qfont);
    p.setPen(toQColor(rgb));
    p.drawText(-ink.left(), -ink.top() + fm.ascent(), s);
  }
  r.inked.assign(static_cast<std::size_t>(r.picture.height()), {0, 0});
  for (int y = 0; y < r.picture.height(); ++y) {
    const auto* row = reinterpret_cast<const u32*>(r.picture.constScanLine(y));
    int first = 0, last = r.picture.width();
    while (first < last && (row[first] >> 24) == 0) ++first;
    while (last > first && (row[last - 1] >> 24) == 0) --last;
    r.inked[static_cast<std::size_t>(y)] = {first, last};
  }
  return cache.emplace_back(RenderedEntry{std::string(text), rgb, std::move(r)}).r;
}

// Source-over of a premultiplied pixel onto an opaque one; the unused top byte stays zero.
inline u32 blend(u32 src, u32 dst) {
  const u32 a = src >> 24;
  if (a == 0) return dst;
  if (a == 255) return src & 0x00FFFFFFu;
  const u32 k = 255 - a;
  auto ch = [&](int shift) {
    u32 sc = (src >> shift) & 0xFF, dc = (dst >> shift) & 0xFF;
    return std::min<u32>(255, sc + (dc * k + 127) / 255) << shift;
  };
  return ch(16) | ch(8) | ch(0);
}
}  // namespace

int QtPlatform::textWidth(const Font& font, std::string_view text) {
  return rendered(font, text, 0xFFFFFF).advance;
}

int QtPlatform::textHeight(const Font& font, std::string_view) {
  return cached(font).height;
}

void QtPlatform::drawText(Surface& target, const Font& font, int x, int y, std::string_view text,
                          u32 rgb, const Rect& clip) {
  if (target.empty() || text.empty()) return;
  const RenderedText& r = rendered(font, text, rgb);
  const int x0 = x + r.offset.x(), y0 = y + r.offset.y();
  const Rect c = intersect(intersect(target.bounds(), clip),
                           Rect{x0, y0, x0 + r.picture.width(), y0 + r.picture.height()});
  for (int yy = c.top; yy < c.bottom; ++yy) {
    const auto* src = reinterpret_cast<const u32*>(r.picture.constScanLine(yy - y0));
    const auto [first, last] = r.inked[static_cast<std::size_t>(yy - y0)];
    u32* row = target.row(yy);
    for (int xx = std::max(c.left, x0 + first); xx < std::min(c.right, x0 + last); ++xx)
      row[xx] = blend(src[xx - x0], row[xx]);
  }
}

namespace {
// XScreenSaver's image loader: on the PATH the daemon gives its hacks, or in the folders that
// distributions keep it in.
QString imageLoader() {
  const QString name = QStringLiteral("xscreensaver-getimage");
  QString found = QStandardPaths::findExecutable(name);
  if (found.isEmpty()) {
    found = QStandardPaths::findExecutable(
        name, {QStringLiteral("/usr/libexec/xscreensaver"), QStringLiteral("/usr/lib/xscreensaver"),
               QStringLiteral("/usr/local/libexec/xscreensaver")});
  }
  return found;
}
}  // namespace

void QtPlatform::snapshotDesktop() {
  if (desktopTaken_) return;
  desktopTaken_ = true;
  if (launch_.xscreensaver) {
    // The daemon has covered the screen before it starts a hack: its own grab, handed out by
    // its image loader, is the desktop; without one the background stays black.
    if (X11* x = X11::instance()) {
      const XWindow target = launch_.window != 0 ? launch_.window : x->root();
      if (std::optional<QImage> picture = x->desktopImage(target, imageLoader())) {
        const QRect area(QPoint(0, 0), logicalSize(picture->size()));
        keepDesktop(area, std::move(*picture));
      }
    }
    return;
  }
  QScreen* primary = QGuiApplication::primaryScreen();
  for (const Head& h : heads()) {
    // A head without a screen of its own is grabbed through the primary one, which reaches
    // the whole desktop.
    QScreen* s = h.screen != nullptr ? h.screen.data() : primary;
    const QPoint at = h.area.topLeft() - s->geometry().topLeft();
    keepDesktop(h.area,
                s->grabWindow(0, at.x(), at.y(), h.area.width(), h.area.height()).toImage());
  }
}

void QtPlatform::keepDesktop(const QRect& area, QImage picture) {
  if (picture.isNull()) return;
  // In logical pixels, as the meadow is laid out: a screen at a device pixel ratio above 1
  // gives more pixels than that, averaged down.
  if (picture.size() != area.size()) {
    picture = picture.scaled(area.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  desktop_.push_back({area, picture.convertToFormat(QImage::Format_RGB32)});
}

bool QtPlatform::captureDesktop(Surface& target, int x0, int y0, int w, int h) {
  snapshotDesktop();
  const QRect wanted = QRect(x0, y0, w, h) & QRect(x0, y0, target.width(), target.height());
  bool any = false;
  for (const Shot& shot : desktop_) {
    const QRect part = wanted & shot.area;
    if (part.isEmpty()) continue;
    any = true;
    for (int y = part.top(); y <= part.bottom(); ++y) {
      const auto* src = reinterpret_cast<const u32*>(shot.image.constScanLine(y - shot.area.y()));
      u32* dst = target.row(y - y0) - x0;
      for (int x = part.left(); x <= part.right(); ++x) {
        dst[x] = src[x - shot.area.x()] & 0x00FFFFFFu;
      }
    }
  }
  // A monitor's part taken whole is kept by the system from now on: let it go.
  std::erase_if(desktop_, [&](const Shot& shot) { return wanted.contains(shot.area); });
  return any;
}

}  // namespace ps::qt
