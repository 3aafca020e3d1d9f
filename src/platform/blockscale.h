// A surface laid out in logical pixels, shown on a device whose pixels are `scale` times finer
// (a monitor above 96 dpi): each device pixel shows the logical pixel under its centre, nearest
// neighbour and never smoothed, so at 2 every logical pixel is a crisp 2 × 2 block and at 1.5
// the blocks alternate between one and two device pixels.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/platform.h"

namespace ps {

class Surface;

// The logical pixels along a side of `device` pixels: enough that every device pixel shows
// one (the last may be shown only in part).
int logicalLength(int device, double scale);

// The logical pixel that device pixel d shows, along a side of `logical` pixels.
int logicalPixel(int d, double scale, int logical);

// The device picture of a logical surface: which logical pixel each device row and column
// shows, made once per size and scale, so that a frame's changes are scaled by table.
class BlockScale {
 public:
  // For a w × h logical surface over dw × dh device pixels; allocates only when they change.
  // False when nothing changed.
  bool resize(int w, int h, int dw, int dh, double scale);
  int deviceWidth() const { return dw_; }
  int deviceHeight() const { return dh_; }
  // The device pixels that show a part of logical rectangle r.
  Rect deviceRect(const Rect& r) const;
  // Writes device rectangle d of a device picture (`stride` pixels a row) from the surface.
  void fill(const Surface& source, const Rect& d, u32* out, std::size_t stride) const;

 private:
  int w_ = 0, h_ = 0, dw_ = 0, dh_ = 0;
  double scale_ = 1;
  std::vector<int> columns_, rows_;
};

}  // namespace ps
