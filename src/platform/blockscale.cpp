#include "platform/blockscale.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/surface.h"

namespace ps {

namespace {
// Sizes and positions that are whole at the scale come out whole, not one more: the scale of a
// resolution (dpi / 96) is seldom exact in binary.
constexpr double kSlack = 1e-9;
}  // namespace

int logicalLength(int device, double scale) {
  if (device <= 0) return 0;
  if (!(scale > 0)) return device;
  return std::max(1, static_cast<int>(std::ceil(device / scale - kSlack)));
}

int logicalPixel(int d, double scale, int logical) {
  if (!(scale > 0)) scale = 1;
  return std::clamp(static_cast<int>(std::floor((d + 0.5) / scale + kSlack)), 0,
                    std::max(0, logical - 1));
}

bool BlockScale::resize(int w, int h, int dw, int dh, double scale) {
  if (w == w_ && h == h_ && dw == dw_ && dh == dh_ && scale == scale_) return false;
  w_ = w, h_ = h, dw_ = dw, dh_ = dh, scale_ = scale;
  columns_.resize(static_cast<std::size_t>(std::max(0, dw)));
  rows_.resize(static_cast<std::size_t>(std::max(0, dh)));
  for (int x = 0; x < dw; ++x) columns_[static_cast<std::size_t>(x)] = logicalPixel(x, scale, w);
  for (int y = 0; y < dh; ++y) rows_[static_cast<std::size_t>(y)] = logicalPixel(y, scale, h);
  return true;
}

Rect BlockScale::deviceRect(const Rect& r) const {
  const Rect l = intersect(r, Rect{0, 0, w_, h_});
  if (l.empty()) return Rect{};
  // Every device pixel whose centre lies in the rectangle, and the part-covered ones at its
  // edges, which the tables fill from whichever logical pixel they show.
  return intersect(Rect{static_cast<i32>(std::floor(l.left * scale_)),
                        static_cast<i32>(std::floor(l.top * scale_)),
                        static_cast<i32>(std::ceil(l.right * scale_)),
                        static_cast<i32>(std::ceil(l.bottom * scale_))},
                   Rect{0, 0, dw_, dh_});
}

void BlockScale::fill(const Surface& source, const Rect& d, u32* out, std::size_t stride) const {
  const Rect r = intersect(d, Rect{0, 0, dw_, dh_});
  if (r.empty() || source.width() < w_ || source.height() < h_ || w_ <= 0 || h_ <= 0) return;
  const auto width = static_cast<std::size_t>(r.width());
  const u32* previous = nullptr;
  for (int y = r.top; y < r.bottom; ++y) {
    u32* dst = out + static_cast<std::size_t>(y) * stride + r.left;
    // A row that shows the same logical row as the one above it is a copy of it.
    if (previous != nullptr &&
        rows_[static_cast<std::size_t>(y)] == rows_[static_cast<std::size_t>(y) - 1]) {
      std::memcpy(dst, previous, width * sizeof(u32));
    } else {
      const u32* src = source.row(rows_[static_cast<std::size_t>(y)]);
      for (int x = r.left; x < r.right; ++x)
        dst[x - r.left] = src[columns_[static_cast<std::size_t>(x)]];
    }
    previous = dst;
  }
}

}  // namespace ps
