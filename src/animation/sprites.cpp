#include "animation/sprites.h"

#include <algorithm>
#include <cstring>

#include "platform/pictures.h"

namespace ps {

ScaledSprite::ScaledSprite(const Image& img, int w, int h) {
  if (img.empty() || w <= 0 || h <= 0) return;
  w_ = w;
  h_ = h;
  // The same source pixel for each target pixel as Surface::drawImage picks.
  std::vector<int> column(static_cast<size_t>(w));
  for (int c = 0; c < w; ++c) column[static_cast<size_t>(c)] = nearestSource(c, img.width, w);
  std::vector<std::uint32_t> rowStart, runs, pixels;
  rowStart.reserve(static_cast<size_t>(h) + 1);
  pixels.reserve(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (int r = 0; r < h; ++r) {
    rowStart.push_back(static_cast<std::uint32_t>(runs.size() / 2));
    const int syi = nearestSource(r, img.height, h);
    const u32* in = img.pixels.data() + static_cast<size_t>(syi) * img.width;
    const std::uint8_t* m =
        img.hasMask() ? img.mask.data() + static_cast<size_t>(syi) * img.width : nullptr;
    auto opaque = [&](int c) { return !m || !m[column[static_cast<size_t>(c)]]; };
    for (int c = 0; c < w;) {
      if (!opaque(c)) {
        ++c;
        continue;
      }
      const int from = c;
      const auto offset = static_cast<std::uint32_t>(pixels.size());
      for (; c < w && opaque(c); ++c) pixels.push_back(in[column[static_cast<size_t>(c)]]);
      runs.push_back(static_cast<std::uint32_t>(from) | static_cast<std::uint32_t>(c - from) << 16);
      runs.push_back(offset);
      opaque_ = unite(opaque_, Rect{from, r, c, r + 1});
    }
  }
  rowStart.push_back(static_cast<std::uint32_t>(runs.size() / 2));
  runCount_ = static_cast<std::uint32_t>(runs.size() / 2);
  data_.reserve(rowStart.size() + runs.size() + pixels.size());
  data_.insert(data_.end(), rowStart.begin(), rowStart.end());
  data_.insert(data_.end(), runs.begin(), runs.end());
  data_.insert(data_.end(), pixels.begin(), pixels.end());
}

void ScaledSprite::draw(Surface& target, int x, int y, const Rect& within) const {
  if (empty()) return;
  Rect r = intersect(target.clip(x, y, w_, h_), within);
  if (r.empty()) return;
  const std::uint32_t* rowStart = data_.data();
  const std::uint32_t* runs = rowStart + h_ + 1;
  const std::uint32_t* pixels = runs + 2 * static_cast<size_t>(runCount_);
  // Whole rows (the usual case) need no clipping run by run.
  const bool wholeRows = x + opaque_.left >= r.left && x + opaque_.right <= r.right;
  for (int ty = r.top; ty < r.bottom; ++ty) {
    const auto local = static_cast<size_t>(ty - y);
    u32* out = target.row(ty);
    for (std::uint32_t k = rowStart[local]; k < rowStart[local + 1]; ++k) {
      const int from = x + static_cast<int>(runs[2 * k] & 0xFFFF);
      const int len = static_cast<int>(runs[2 * k] >> 16);
      const std::uint32_t* in = pixels + runs[2 * k + 1];
      if (wholeRows) {
        std::memcpy(out + from, in, static_cast<size_t>(len) * sizeof(u32));
        continue;
      }
      const int a = std::max(from, r.left), b = std::min(from + len, r.right);
      if (a >= b) continue;
      std::memcpy(out + a, in + (a - from), static_cast<size_t>(b - a) * sizeof(u32));
    }
  }
  target.markDirty(
      intersect(r, Rect{x + opaque_.left, y + opaque_.top, x + opaque_.right, y + opaque_.bottom}));
}

void SpriteBank::prepare() {
  if (prepared_) return;
  scaled_.assign(static_cast<size_t>(kCount) * kSizes, ScaledSprite{});
  for (int n = kFirst; n <= kLast; ++n) {
    try {
      const Image& img = image(n);
      for (int s = kSmallest; s <= kLargest; ++s) {
        scaled_[static_cast<size_t>((n - kFirst) * kSizes + (s - kSmallest))] =
            ScaledSprite(img, s, s);
      }
    } catch (const Failure&) {
      // Not an error yet: the draw that needs this sprite reports it.
    }
  }
  prepared_ = true;
}

const Image& SpriteBank::image(int n) {
  auto k = static_cast<size_t>(n - kFirst);
  if (!loaded_[k]) {
    images_[k] = loadPicture(from_, ResourceKind::Icon, n);
    loaded_[k] = true;
  }
  return images_[k];
}

const ScaledSprite* SpriteBank::scaled(int n, int w, int h) const {
  if (!prepared_ || w != h || w < kSmallest || w > kLargest) return nullptr;
  const ScaledSprite& s = scaled_[static_cast<size_t>((n - kFirst) * kSizes + (w - kSmallest))];
  return s.empty() ? nullptr : &s;
}

SpriteBank::Sprite SpriteBank::find(int n, int w, int h) {
  if (n < kFirst || n > kLast) {
    // No sprite has this number; the platform says how loading it fails.
    auto it = others_.find(n);
    if (it == others_.end())
      it = others_.emplace(n, loadPicture(from_, ResourceKind::Icon, n)).first;
    return Sprite(&it->second);
  }
  if (const ScaledSprite* s = scaled(n, w, h)) return Sprite(s);
  return Sprite(&image(n));
}

void SpriteBank::Sprite::draw(Surface& target, int x, int y, int w, int h,
                              const Rect& within) const {
  if (scaled) {
    scaled->draw(target, x, y, within);
  } else {
    target.drawImage(*image, x, y, w, h, within);
  }
}

void SpriteBank::draw(Surface& target, int n, int x, int y, int w, int h) {
  find(n, w, h).draw(target, x, y, w, h, target.bounds());
}

std::size_t SpriteBank::bytes() const {
  std::size_t b = 0;
  for (const Image& i : images_) b += i.pixels.capacity() * 4 + i.mask.capacity();
  for (const ScaledSprite& s : scaled_) b += sizeof s + s.bytes();
  for (const auto& [n, i] : others_) b += i.pixels.capacity() * 4 + i.mask.capacity();
  return b;
}

}  // namespace ps
