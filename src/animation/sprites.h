// The flower and grass sprites, decoded once and kept ready at the sizes the meadow draws them.
#pragma once

#include <array>
#include <map>
#include <vector>

#include "platform/image.h"
#include "platform/surface.h"

namespace ps {

class SpriteBank {
 public:
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
    const ScaledSprite* scaled = nullptr;
    const Image* image = nullptr;
  };
  Sprite find(int n, int w, int h);

  // Draws sprite n with its top-left corner at (x, y), scaled to w × h, through its mask.
  void draw(Surface& target, int n, int x, int y, int w, int h);

  // Bytes held by the decoded and scaled sprites.
  std::size_t bytes() const;

 private:
  const Image& image(int n);
  const ScaledSprite* scaled(int n, int w, int h) const;

  static constexpr int kCount = kLast - kFirst + 1;
  static constexpr int kSizes = kLargest - kSmallest + 1;
  std::array<Image, kCount> images_;
  std::array<bool, kCount> loaded_{};
  std::vector<ScaledSprite> scaled_;  // kCount × kSizes once prepared
  std::map<int, Image> others_;       // pictures under numbers outside the sprites' range
  bool prepared_ = false;
};

}  // namespace ps
