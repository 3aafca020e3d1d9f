#include "animation/sprites.h"

#include "platform/pictures.h"

namespace ps {

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
    images_[k] = loadPicture(ResourceKind::Icon, n);
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
    if (it == others_.end()) it = others_.emplace(n, loadPicture(ResourceKind::Icon, n)).first;
    return Sprite{nullptr, &it->second};
  }
  if (const ScaledSprite* s = scaled(n, w, h)) return Sprite{s, nullptr};
  return Sprite{nullptr, &image(n)};
}

void SpriteBank::draw(Surface& target, int n, int x, int y, int w, int h) {
  Sprite s = find(n, w, h);
  if (s.scaled) {
    target.drawSprite(*s.scaled, x, y);
  } else {
    target.drawImage(*s.image, x, y, w, h);
  }
}

std::size_t SpriteBank::bytes() const {
  std::size_t b = 0;
  for (const Image& i : images_) b += i.pixels.capacity() * 4 + i.mask.capacity();
  for (const ScaledSprite& s : scaled_) b += sizeof s + s.bytes();
  for (const auto& [n, i] : others_) b += i.pixels.capacity() * 4 + i.mask.capacity();
  return b;
}

}  // namespace ps
