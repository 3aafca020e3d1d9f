#include "platform/surface.h"

#include <algorithm>
#include <cstring>

namespace ps {

void Surface::resize(int w, int h, u32 fill) {
  w_ = std::max(0, w);
  h_ = std::max(0, h);
  px_.assign(static_cast<size_t>(w_) * static_cast<size_t>(h_), fill);
}

void Surface::release() {
  w_ = h_ = 0;
  px_.clear();
}

void Surface::fill(u32 rgb) {
  std::fill(px_.begin(), px_.end(), rgb);
}

Rect Surface::clip(int x, int y, int w, int h) const {
  Rect r{std::max(0, x), std::max(0, y), std::min(w_, x + w), std::min(h_, y + h)};
  if (r.empty()) return Rect{};
  return r;
}

void Surface::fillRect(const Rect& r0, u32 rgb) {
  Rect r = clip(r0.left, r0.top, r0.width(), r0.height());
  for (int y = r.top; y < r.bottom; ++y) std::fill(row(y) + r.left, row(y) + r.right, rgb);
}

void Surface::copyFrom(const Surface& src, int dx, int dy, int sx, int sy, int w, int h) {
  // Clip against the source, then the target, moving both origins together.
  if (sx < 0) dx -= sx, w += sx, sx = 0;
  if (sy < 0) dy -= sy, h += sy, sy = 0;
  if (dx < 0) sx -= dx, w += dx, dx = 0;
  if (dy < 0) sy -= dy, h += dy, dy = 0;
  w = std::min({w, src.w_ - sx, w_ - dx});
  h = std::min({h, src.h_ - sy, h_ - dy});
  if (w <= 0 || h <= 0) return;
  for (int y = 0; y < h; ++y) {
    std::memmove(row(dy + y) + dx, src.row(sy + y) + sx, static_cast<size_t>(w) * sizeof(u32));
  }
}

void Surface::drawImage(const Image& img, int x, int y, int w, int h) {
  if (img.empty() || w <= 0 || h <= 0) return;
  Rect r = clip(x, y, w, h);
  if (r.empty()) return;
  for (int ty = r.top; ty < r.bottom; ++ty) {
    int syi = static_cast<int>((static_cast<long long>(ty - y) * img.height) / h);
    u32* out = row(ty);
    const u32* in = img.pixels.data() + static_cast<size_t>(syi) * img.width;
    const std::uint8_t* m =
        img.hasMask() ? img.mask.data() + static_cast<size_t>(syi) * img.width : nullptr;
    for (int tx = r.left; tx < r.right; ++tx) {
      int sxi = static_cast<int>((static_cast<long long>(tx - x) * img.width) / w);
      if (m && m[sxi]) continue;
      out[tx] = in[sxi];
    }
  }
}

}  // namespace ps
