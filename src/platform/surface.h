// Platform-free pixel surfaces: W × H pixels of 0x00RRGGBB, origin top left.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/image.h"
#include "platform/platform.h"

namespace ps {

// The smallest rectangle holding both; an empty one counts as nothing.
Rect unite(const Rect& a, const Rect& b);
Rect intersect(const Rect& a, const Rect& b);
inline bool overlap(const Rect& a, const Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Nearest neighbour: the source pixel under the centre of target pixel t, when n source pixels
// are stretched over m.
inline int nearestSource(int t, int n, int m) {
  return static_cast<int>((2LL * t + 1) * n / (2LL * m));
}

// The rectangles of a surface that changed, in a list of fixed capacity: adding never allocates.
// When the list is full it collapses into its bounding box, which still covers every change.
class DirtyRegion {
 public:
  explicit DirtyRegion(std::size_t capacity = 2048);

  void add(const Rect& r);
  void clear();
  bool empty() const { return rects_.empty(); }
  std::span<const Rect> rects() const { return rects_; }
  Rect bounds() const { return bounds_; }

 private:
  std::vector<Rect> rects_;
  std::size_t capacity_;
  Rect bounds_;
};

// Changed rectangles gathered into the tiles of a coarse grid and given back as few rectangles:
// runs of marked tiles in a row, joined with the row below where they match. What a screen
// update wants: a handful of rectangles with little excess, however many small ones went in.
class TileRegion {
 public:
  static constexpr int kTile = 32;

  // Sizes the grid for a w × h surface (allocates when the size is new; everything else does
  // not).
  void resize(int w, int h);
  void clear();
  void add(const Rect& r);
  // The merged rectangles, clipped to the surface.
  std::span<const Rect> rects();

 private:
  int w_ = 0, h_ = 0, cols_ = 0, rows_ = 0;
  std::vector<std::uint8_t> marks_;
  std::vector<Rect> out_;
  bool any_ = false;
};

// Memory for pixels other than the heap: memory a platform can show without copying it first
// (shared with the display server).
class PixelMemory {
 public:
  virtual ~PixelMemory() = default;
  // Room for n pixels, or null when there is none (the pixels then go to the heap).
  virtual u32* allocate(std::size_t n) = 0;
  // Gives back what allocate gave.
  virtual void free(u32* p) = 0;
};

// A surface's pixels: on the heap, or in a PixelMemory.
class PixelStore {
 public:
  PixelStore() = default;
  // n pixels of `fill`, in `memory` when it has room. Out of memory is failure 7.
  PixelStore(std::size_t n, u32 fill, const std::shared_ptr<PixelMemory>& memory);
  ~PixelStore() { reset(); }
  // A copy lives on the heap: shared memory belongs to one picture.
  PixelStore(const PixelStore& o);
  PixelStore& operator=(const PixelStore& o);
  PixelStore(PixelStore&& o) noexcept;
  PixelStore& operator=(PixelStore&& o) noexcept;

  u32* data() { return px_; }
  const u32* data() const { return px_; }
  std::size_t size() const { return n_; }
  // The memory the pixels are in; null for the heap.
  const PixelMemory* memory() const { return memory_.get(); }

 private:
  void reset() noexcept;

  std::vector<u32> heap_;
  u32* px_ = nullptr;  // heap_'s or memory_'s
  std::size_t n_ = 0;
  std::shared_ptr<PixelMemory> memory_;  // set while px_ is from there
};

class Surface {
 public:
  Surface() = default;
  Surface(int w, int h, u32 fill = 0) { resize(w, h, fill); }

  // New size; every pixel becomes `fill`. Out of memory is failure 7.
  void resize(int w, int h, u32 fill = 0);
  // New size keeping the pixels the old and new sizes share, the rest `fill`; the same size
  // changes nothing (and allocates nothing).
  void setSize(int w, int h, u32 fill = 0);
  // Leaves the surface without a picture (0 × 0).
  void release();
  // Keeps the pixels in `memory` from now on, wherever it has room (null: the heap). The
  // picture stays as it is.
  void keepPixelsIn(std::shared_ptr<PixelMemory> memory);
  // Where the pixels are: the memory given to keepPixelsIn, or null for the heap.
  const PixelMemory* pixelMemory() const { return px_.memory(); }

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
  // Bytes held for pixels.
  std::size_t bytes() const { return px_.size() * sizeof(u32); }

  // While a region is attached, every drawing operation below adds the rectangle it touched.
  // Pixels written another way (text from the platform) are added with markDirty.
  void trackChanges(DirtyRegion* region) { dirty_ = region; }
  void markDirty(const Rect& r) {
    if (dirty_) dirty_->add(clip(r.left, r.top, r.width(), r.height()));
  }

  void fill(u32 rgb);
  void fillRect(const Rect& r, u32 rgb);
  // Plain block copy of w × h pixels from src (sx, sy) to (dx, dy), clipped to both.
  void copyFrom(const Surface& src, int dx, int dy, int sx, int sy, int w, int h);
  // The same rectangle of src onto this surface.
  void copyRect(const Surface& src, const Rect& r) {
    copyFrom(src, r.left, r.top, r.left, r.top, r.width(), r.height());
  }
  // Draws the whole image scaled to w × h with its top-left corner at (x, y), nearest
  // neighbour; pixels the image's mask marks transparent leave the surface unchanged.
  void drawImage(const Image& img, int x, int y, int w, int h) {
    drawImage(img, x, y, w, h, bounds());
  }
  // The same, touching only the pixels inside `within`: redrawing a part of a picture.
  void drawImage(const Image& img, int x, int y, int w, int h, const Rect& within);
  // Becomes the whole image scaled to w × h, each pixel the average of the source area it
  // covers (the mask is ignored): for pictures stretched into backgrounds. With a blur, the
  // source is first averaged over (2 × blur + 1)² pixels, which melts dithered shades into the
  // colour they stand for.
  void scaleSmooth(const Image& img, int w, int h, int blur = 0);
  // Becomes the part of a surface (clipped to it) scaled to w × h the same way.
  void scaleSmooth(const Surface& source, const Rect& part, int w, int h);
  // The rectangle a drawImage at these coordinates touches (clipped).
  Rect clip(int x, int y, int w, int h) const;

 private:
  void touched(const Rect& r) {
    if (dirty_) dirty_->add(r);
  }

  int w_ = 0, h_ = 0;
  PixelStore px_;
  std::shared_ptr<PixelMemory> memory_;
  DirtyRegion* dirty_ = nullptr;
};

}  // namespace ps
