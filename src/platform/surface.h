// Platform-free pixel surfaces: W × H pixels of 0x00RRGGBB, origin top left.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/image.h"
#include "platform/platform.h"

namespace ps {

class Surface {
 public:
  Surface() = default;
  Surface(int w, int h, u32 fill = 0) { resize(w, h, fill); }

  // New size; every pixel becomes `fill`.
  void resize(int w, int h, u32 fill = 0);
  // Leaves the surface without a picture (0 × 0).
  void release();

  int width() const { return w_; }
  int height() const { return h_; }
  bool empty() const { return w_ <= 0 || h_ <= 0; }
  u32* data() { return px_.data(); }
  const u32* data() const { return px_.data(); }
  u32* row(int y) { return px_.data() + static_cast<size_t>(y) * static_cast<size_t>(w_); }
  const u32* row(int y) const {
    return px_.data() + static_cast<size_t>(y) * static_cast<size_t>(w_);
  }
  u32 at(int x, int y) const { return row(y)[x]; }
  void set(int x, int y, u32 rgb) { row(y)[x] = rgb; }
  Rect bounds() const { return Rect{0, 0, w_, h_}; }

  void fill(u32 rgb);
  void fillRect(const Rect& r, u32 rgb);
  // Plain block copy of w × h pixels from src (sx, sy) to (dx, dy), clipped to both.
  void copyFrom(const Surface& src, int dx, int dy, int sx, int sy, int w, int h);
  // Draws the whole image scaled to w × h with its top-left corner at (x, y), nearest
  // neighbour; pixels the image's mask marks transparent leave the surface unchanged.
  void drawImage(const Image& img, int x, int y, int w, int h);
  // The rectangle a drawImage at these coordinates touches (clipped).
  Rect clip(int x, int y, int w, int h) const;

 private:
  int w_ = 0, h_ = 0;
  std::vector<u32> px_;
};

}  // namespace ps
