// The flower and grass sprites, decoded once and kept ready at the sizes the meadow draws them.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "platform/image.h"
#include "platform/surface.h"

namespace ps {

// An image scaled once to a fixed size and kept as runs of opaque pixels, so that drawing it is
// a few block copies per row. Draws exactly what Surface::drawImage draws at that size.
class ScaledSprite {
 public:
  ScaledSprite() = default;
  ScaledSprite(const Image& img, int w, int h);

  int width() const { return w_; }
  int height() const { return h_; }
  bool empty() const { return w_ <= 0 || h_ <= 0; }
  // The part of the w × h square that holds opaque pixels, relative to its top-left corner.
  Rect opaqueBounds() const { return opaque_; }
  std::size_t bytes() const { return data_.capacity() * sizeof(std::uint32_t); }

  // Draws with the top-left corner at (x, y), touching only the pixels inside `within`.
  void draw(Surface& target, int x, int y, const Rect& within) const;
  void draw(Surface& target, int x, int y) const { draw(target, x, y, target.bounds()); }

 private:
  // One block, so that drawing a sprite reads one stretch of memory: h + 1 row starts (indices
  // of each row's first run), then the runs (two words each: x and length, then the offset of
  // its first pixel), then the pixels.
  int w_ = 0, h_ = 0;
  Rect opaque_;
  std::uint32_t runCount_ = 0;
  std::vector<std::uint32_t> data_;
};

class SpriteBank {
 public:
  explicit SpriteBank(Resources& from) : from_(from) {}

  static constexpr int kFirst = 101, kLast = 200;
  // Growing flowers are drawn from 16 to 34 pixels square at the speeds the settings offer,
  // grass at 32; other sizes are drawn straight from the decoded picture.
  static constexpr int kSmallest = 16, kLargest = 34;

  // Decodes every sprite and scales it ahead; a sprite that cannot be had is left for its
  // draw to fail on, as it would without this.
  void prepare();
  bool prepared() const { return prepared_; }

  // Sprite n at w × h: scaled ahead where it can be, else the decoded picture to scale on
  // drawing. Raises what loading the sprite raises (326 for a number without a sprite).
  struct Sprite {
    Sprite() = default;
    explicit Sprite(const ScaledSprite* s) : scaled(s), opaque(s ? s->opaqueBounds() : Rect{}) {}
    explicit Sprite(const Image* i) : image(i) {}
    const ScaledSprite* scaled = nullptr;
    const Image* image = nullptr;
    // The scaled sprite's opaque part, kept here so that placing a draw need not reach into it.
    Rect opaque;
    // Draws at (x, y), scaled to w × h (the size it was found at), inside `within` only.
    void draw(Surface& target, int x, int y, int w, int h, const Rect& within) const;
    bool operator==(const Sprite&) const = default;
  };
  Sprite find(int n, int w, int h);

  // Draws sprite n with its top-left corner at (x, y), scaled to w × h, through its mask.
  void draw(Surface& target, int n, int x, int y, int w, int h);

  // Bytes held by the decoded and scaled sprites.
  std::size_t bytes() const;

 private:
  const Image& image(int n);
  const ScaledSprite* scaled(int n, int w, int h) const;

  Resources& from_;
  static constexpr int kCount = kLast - kFirst + 1;
  static constexpr int kSizes = kLargest - kSmallest + 1;
  std::array<Image, kCount> images_;
  std::array<bool, kCount> loaded_{};
  std::vector<ScaledSprite> scaled_;  // kCount × kSizes once prepared
  std::map<int, Image> others_;       // pictures under numbers outside the sprites' range
  bool prepared_ = false;
};

}  // namespace ps
