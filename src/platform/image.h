// Decoded pictures: what the resource loader hands to the drawing code.
#pragma once

#include <cstdint>
#include <vector>

namespace ps {

// Pixels are 0x00RRGGBB, rows top to bottom. A mask, when present, holds one byte per pixel:
// non-zero means transparent (the icon convention: mask bit set = transparent).
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  std::vector<std::uint8_t> mask;

  bool empty() const { return width <= 0 || height <= 0; }
  bool hasMask() const { return !mask.empty(); }
  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  bool transparent(int x, int y) const {
    return hasMask() && mask[static_cast<std::size_t>(y) * width + x] != 0;
  }
};

}  // namespace ps
