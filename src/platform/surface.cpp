#include "platform/surface.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace ps {

namespace {

// More pixels than this in one surface is out of memory on every machine we run on.
constexpr long long kMaxSurfacePixels = 1LL << 28;

[[noreturn]] void outOfMemory() {
  raise(7, "Out of memory");
}

PixelStore allocatePixels(int w, int h, u32 fill, const std::shared_ptr<PixelMemory>& memory) {
  long long n = static_cast<long long>(w) * h;
  if (n > kMaxSurfacePixels) outOfMemory();
  return PixelStore(static_cast<size_t>(n), fill, memory);
}

}  // namespace

PixelStore::PixelStore(std::size_t n, u32 fill, const std::shared_ptr<PixelMemory>& memory) {
  if (n == 0) return;
  if (memory) {
    if (u32* p = memory->allocate(n)) {
      px_ = p;
      n_ = n;
      memory_ = memory;
      std::fill(px_, px_ + n_, fill);
      return;
    }
  }
  try {
    heap_.assign(n, fill);
  } catch (const std::bad_alloc&) {
    outOfMemory();
  }
  px_ = heap_.data();
  n_ = n;
}

PixelStore::PixelStore(const PixelStore& o) : heap_(o.px_, o.px_ + o.n_), n_(o.n_) {
  px_ = heap_.data();
}

PixelStore& PixelStore::operator=(const PixelStore& o) {
  if (this != &o) *this = PixelStore(o);
  return *this;
}

PixelStore::PixelStore(PixelStore&& o) noexcept {
  *this = std::move(o);
}

PixelStore& PixelStore::operator=(PixelStore&& o) noexcept {
  if (this != &o) {
    reset();
    heap_ = std::move(o.heap_);
    px_ = o.px_;
    n_ = o.n_;
    memory_ = std::move(o.memory_);
    o.px_ = nullptr;
    o.n_ = 0;
    o.memory_.reset();
  }
  return *this;
}

void PixelStore::reset() noexcept {
  if (memory_) {
    memory_->free(px_);
    memory_.reset();
  }
  heap_.clear();
  heap_.shrink_to_fit();
  px_ = nullptr;
  n_ = 0;
}

Rect unite(const Rect& a, const Rect& b) {
  if (a.empty()) return b.empty() ? Rect{} : b;
  if (b.empty()) return a;
  return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

Rect intersect(const Rect& a, const Rect& b) {
  Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  return r.empty() ? Rect{} : r;
}

// ---------------------------------------------------------------------------------------------
// TileRegion

void TileRegion::resize(int w, int h) {
  w = std::max(0, w), h = std::max(0, h);
  if (w == w_ && h == h_) return;  // nothing to allocate
  w_ = w, h_ = h;
  cols_ = (w_ + kTile - 1) / kTile, rows_ = (h_ + kTile - 1) / kTile;
  marks_.assign(static_cast<std::size_t>(cols_) * static_cast<std::size_t>(rows_), 0);
  out_.clear();
  out_.reserve(marks_.size() / 2 + static_cast<std::size_t>(rows_) + 1);
  any_ = false;
}

void TileRegion::clear() {
  if (any_) std::fill(marks_.begin(), marks_.end(), 0);
  out_.clear();
  any_ = false;
}

void TileRegion::add(const Rect& r0) {
  Rect r = intersect(r0, Rect{0, 0, w_, h_});
  if (r.empty()) return;
  const int c0 = r.left / kTile, c1 = (r.right - 1) / kTile;
  for (int row = r.top / kTile; row <= (r.bottom - 1) / kTile; ++row) {
    std::uint8_t* m = marks_.data() + static_cast<std::size_t>(row) * cols_;
    std::fill(m + c0, m + c1 + 1, 1);
  }
  any_ = true;
}

std::span<const Rect> TileRegion::rects() {
  out_.clear();
  if (!any_) return out_;
  std::size_t previousRow = 0;  // where the rectangles that reach the previous row begin
  for (int row = 0; row < rows_; ++row) {
    const std::uint8_t* m = marks_.data() + static_cast<std::size_t>(row) * cols_;
    const int top = row * kTile, bottom = std::min(h_, top + kTile);
    const std::size_t thisRow = out_.size();
    std::size_t reach = previousRow;
    for (int c = 0; c < cols_;) {
      if (!m[c]) {
        ++c;
        continue;
      }
      int e = c;
      while (e < cols_ && m[e]) ++e;
      const int left = c * kTile, right = std::min(w_, e * kTile);
      // Rows come in order and runs left to right: a run of the previous row with the same
      // edges is found by walking forward.
      while (reach < thisRow && out_[reach].left < left) ++reach;
      if (reach < thisRow && out_[reach].left == left && out_[reach].right == right &&
          out_[reach].bottom == top) {
        out_[reach].bottom = bottom;
        // Keep it among this row's rectangles for the next row to find.
        out_.push_back(out_[reach]);
        out_[reach] = Rect{};
      } else {
        out_.push_back(Rect{left, top, right, bottom});
      }
      c = e;
    }
    previousRow = thisRow;
  }
  // Drop the places left empty by rectangles that moved down.
  out_.erase(std::remove_if(out_.begin(), out_.end(), [](const Rect& r) { return r.empty(); }),
             out_.end());
  return out_;
}

// ---------------------------------------------------------------------------------------------
// DirtyRegion

DirtyRegion::DirtyRegion(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {
  rects_.reserve(capacity_);
}

namespace {
bool contains(const Rect& outer, const Rect& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}
}  // namespace

void DirtyRegion::add(const Rect& r) {
  if (r.empty()) return;
  // Sprites drawn again at nearly the same place are common: a rectangle that one of the last
  // few already covers adds nothing.
  std::size_t n = rects_.size();
  for (std::size_t k = n; k > 0 && k + 4 > n; --k) {
    if (contains(rects_[k - 1], r)) return;
  }
  bounds_ = unite(bounds_, r);
  if (n == capacity_) {
    rects_.clear();
    rects_.push_back(bounds_);
    return;
  }
  rects_.push_back(r);
}

void DirtyRegion::clear() {
  rects_.clear();
  bounds_ = Rect{};
}

// ---------------------------------------------------------------------------------------------
// Surface

void Surface::resize(int w, int h, u32 fill) {
  w = std::max(0, w);
  h = std::max(0, h);
  px_ = allocatePixels(w, h, fill, memory_);
  w_ = w;
  h_ = h;
}

void Surface::setSize(int w, int h, u32 fill) {
  w = std::max(0, w);
  h = std::max(0, h);
  if (w == w_ && h == h_) return;
  PixelStore px = allocatePixels(w, h, fill, memory_);
  int cw = std::min(w, w_), ch = std::min(h, h_);
  for (int y = 0; y < ch; ++y) {
    std::memcpy(px.data() + static_cast<size_t>(y) * static_cast<size_t>(w), row(y),
                static_cast<size_t>(cw) * sizeof(u32));
  }
  px_ = std::move(px);
  w_ = w;
  h_ = h;
}

void Surface::release() {
  w_ = h_ = 0;
  px_ = PixelStore();
}

void Surface::keepPixelsIn(std::shared_ptr<PixelMemory> memory) {
  memory_ = std::move(memory);
  if (px_.size() == 0 || px_.memory() == memory_.get()) return;
  PixelStore px = allocatePixels(w_, h_, 0, memory_);
  std::memcpy(px.data(), px_.data(), px_.size() * sizeof(u32));
  px_ = std::move(px);
}

void Surface::fill(u32 rgb) {
  std::fill(px_.data(), px_.data() + px_.size(), rgb);
  touched(bounds());
}

Rect Surface::clip(int x, int y, int w, int h) const {
  long long r = std::min<long long>(w_, static_cast<long long>(x) + w);
  long long b = std::min<long long>(h_, static_cast<long long>(y) + h);
  Rect c{std::max(0, x), std::max(0, y), static_cast<i32>(std::max<long long>(r, 0)),
         static_cast<i32>(std::max<long long>(b, 0))};
  if (c.empty()) return Rect{};
  return c;
}

void Surface::fillRect(const Rect& r0, u32 rgb) {
  Rect r = clip(r0.left, r0.top, r0.width(), r0.height());
  for (int y = r.top; y < r.bottom; ++y) std::fill(row(y) + r.left, row(y) + r.right, rgb);
  touched(r);
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
  if (dx == 0 && sx == 0 && w == w_ && w == src.w_ && this != &src) {
    // Whole rows: one block.
    std::memcpy(row(dy), src.row(sy), static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
  } else {
    for (int y = 0; y < h; ++y) {
      std::memmove(row(dy + y) + dx, src.row(sy + y) + sx, static_cast<size_t>(w) * sizeof(u32));
    }
  }
  touched(Rect{dx, dy, dx + w, dy + h});
}

void Surface::drawImage(const Image& img, int x, int y, int w, int h, const Rect& within) {
  if (img.empty() || w <= 0 || h <= 0) return;
  Rect r = intersect(clip(x, y, w, h), within);
  if (r.empty()) return;
  for (int ty = r.top; ty < r.bottom; ++ty) {
    int syi = nearestSource(ty - y, img.height, h);
    u32* out = row(ty);
    const u32* in = img.pixels.data() + static_cast<size_t>(syi) * img.width;
    const std::uint8_t* m =
        img.hasMask() ? img.mask.data() + static_cast<size_t>(syi) * img.width : nullptr;
    for (int tx = r.left; tx < r.right; ++tx) {
      int sxi = nearestSource(tx - x, img.width, w);
      if (m && m[sxi]) continue;
      out[tx] = in[sxi];
    }
  }
  touched(r);
}

namespace {

// Area-average weights along one axis: target pixel i covers the source span
// [i × n / m, (i + 1) × n / m); measured in units of 1 / m source pixels, the overlaps are
// whole numbers that add up to n for every target pixel.
struct Tap {
  int source;
  long long weight;
};

std::vector<std::vector<Tap>> areaTaps(int n, int m) {
  std::vector<std::vector<Tap>> taps(static_cast<size_t>(m));
  for (int i = 0; i < m; ++i) {
    long long lo = static_cast<long long>(i) * n, hi = lo + n;
    for (long long s = lo / m; s * m < hi && s < n; ++s) {
      long long a = std::max(lo, s * m), b = std::min(hi, (s + 1) * m);
      if (b > a) taps[static_cast<size_t>(i)].push_back(Tap{static_cast<int>(s), b - a});
    }
  }
  return taps;
}

// Each pixel the rounded average of the (2r + 1)² square around it, clamped at the edges.
Image boxBlur(const Image& img, int r) {
  Image out = img;
  out.mask.clear();
  auto clampTo = [](int v, int n) { return v < 0 ? 0 : v >= n ? n - 1 : v; };
  const long long n = static_cast<long long>(2 * r + 1) * (2 * r + 1);
  for (int y = 0; y < img.height; ++y) {
    for (int x = 0; x < img.width; ++x) {
      long long acc[3] = {0, 0, 0};
      for (int dy = -r; dy <= r; ++dy) {
        for (int dx = -r; dx <= r; ++dx) {
          u32 p = img.at(clampTo(x + dx, img.width), clampTo(y + dy, img.height));
          acc[0] += (p >> 16) & 0xFF, acc[1] += (p >> 8) & 0xFF, acc[2] += p & 0xFF;
        }
      }
      out.pixels[static_cast<size_t>(y) * img.width + x] =
          static_cast<u32>((acc[0] + n / 2) / n) << 16 |
          static_cast<u32>((acc[1] + n / 2) / n) << 8 | static_cast<u32>((acc[2] + n / 2) / n);
    }
  }
  return out;
}

}  // namespace

namespace {

// The area average of the target's w × h pixels over an sw × sh source read through at(x, y).
// Each source row's horizontal pass is made once and kept only while target rows still need
// it: a few rows of sums, however tall the source (a whole screen's snapshot, say).
template <class At>
void areaAverage(Surface& target, int sw, int sh, At at) {
  const int w = target.width(), h = target.height();
  auto tx = areaTaps(sw, w);
  auto ty = areaTaps(sh, h);
  std::size_t window = 1;
  for (const auto& taps : ty) window = std::max(window, taps.size());
  const auto width = static_cast<size_t>(w);
  std::vector<long long> mid(window * width * 3);
  std::vector<int> held(window, -1);  // the source row each slot of mid holds
  auto sums = [&](int sy) {
    const size_t slot = static_cast<size_t>(sy) % window;
    long long* row = &mid[slot * width * 3];
    if (held[slot] == sy) return row;
    held[slot] = sy;
    for (int x = 0; x < w; ++x) {
      long long acc[3] = {0, 0, 0};
      for (const Tap& t : tx[static_cast<size_t>(x)]) {
        u32 p = at(t.source, sy);
        acc[0] += ((p >> 16) & 0xFF) * t.weight;
        acc[1] += ((p >> 8) & 0xFF) * t.weight;
        acc[2] += (p & 0xFF) * t.weight;
      }
      long long* o = row + static_cast<size_t>(x) * 3;
      o[0] = acc[0], o[1] = acc[1], o[2] = acc[2];
    }
    return row;
  };
  // Horizontal sums scaled by sw, then vertical; integers throughout, so every build gives the
  // same pixels.
  const long long denom = static_cast<long long>(sw) * sh;
  std::vector<const long long*> rows;
  for (int y = 0; y < h; ++y) {
    const auto& taps = ty[static_cast<size_t>(y)];
    rows.clear();
    for (const Tap& t : taps) rows.push_back(sums(t.source));
    u32* out = target.row(y);
    for (int x = 0; x < w; ++x) {
      long long acc[3] = {0, 0, 0};
      for (size_t k = 0; k < taps.size(); ++k) {
        const long long* m = rows[k] + static_cast<size_t>(x) * 3;
        acc[0] += m[0] * taps[k].weight;
        acc[1] += m[1] * taps[k].weight;
        acc[2] += m[2] * taps[k].weight;
      }
      u32 c = 0;
      for (int k = 0; k < 3; ++k) {
        c = (c << 8) | static_cast<u32>(std::min<long long>(255, (acc[k] + denom / 2) / denom));
      }
      out[x] = c;
    }
  }
}

}  // namespace

void Surface::scaleSmooth(const Image& source, int w, int h, int blur) {
  resize(w, h);
  if (source.empty() || empty()) return;
  Image blurred;
  if (blur > 0) blurred = boxBlur(source, blur);
  const Image& img = blur > 0 ? blurred : source;
  areaAverage(*this, img.width, img.height, [&img](int x, int y) { return img.at(x, y); });
  touched(bounds());
}

void Surface::scaleSmooth(const Surface& source, const Rect& part, int w, int h) {
  setSize(w, h);
  const Rect from = intersect(part, source.bounds());
  if (from.empty() || empty()) return;
  areaAverage(*this, from.width(), from.height(),
              [&source, &from](int x, int y) { return source.at(from.left + x, from.top + y); });
  touched(bounds());
}

}  // namespace ps
