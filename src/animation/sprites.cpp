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
  rowStart_.reserve(static_cast<size_t>(h) + 1);
  pixels_.reserve(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (int r = 0; r < h; ++r) {
    rowStart_.push_back(static_cast<std::uint32_t>(runs_.size()));
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
      Run run{static_cast<std::int16_t>(c), 0, static_cast<std::uint32_t>(pixels_.size())};
      for (; c < w && opaque(c); ++c) pixels_.push_back(in[column[static_cast<size_t>(c)]]);
      run.len = static_cast<std::int16_t>(c - run.x);
      runs_.push_back(run);
      opaque_ = unite(opaque_, Rect{run.x, r, c, r + 1});
    }
  }
  rowStart_.push_back(static_cast<std::uint32_t>(runs_.size()));
  pixels_.shrink_to_fit();
}

void ScaledSprite::draw(Surface& target, int x, int y, const Rect& within) const {
  if (empty()) return;
  Rect r = intersect(target.clip(x, y, w_, h_), within);
  if (r.empty()) return;
  for (int ty = r.top; ty < r.bottom; ++ty) {
    const auto local = static_cast<size_t>(ty - y);
    u32* out = target.row(ty);
    for (std::uint32_t k = rowStart_[local]; k < rowStart_[local + 1]; ++k) {
      const Run& run = runs_[k];
      int from = x + run.x, to = from + run.len;
      int a = std::max(from, r.left), b = std::min(to, r.right);
      if (a >= b) continue;
      std::memcpy(out + a, pixels_.data() + run.offset + (a - from),
                  static_cast<size_t>(b - a) * sizeof(u32));
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
    return Sprite{nullptr, &it->second};
  }
  if (const ScaledSprite* s = scaled(n, w, h)) return Sprite{s, nullptr};
  return Sprite{nullptr, &image(n)};
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
