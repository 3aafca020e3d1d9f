// The pictures besides the sprites: background strips, info dialog pictures, program icon,
// the placeholder preview, and the review sheets.
#pragma once

#include <array>

#include "imagewriters.h"

namespace ps::art {

// Shades dark to light, and the rows (first, last) that are pure in each shade.
struct StripDesign {
  std::array<Rgb, 16> shades;
  std::array<std::vector<std::pair<int, int>>, 16> pureRows;
};
const StripDesign& blueStrip();
const StripDesign& greenStrip();
inline constexpr int kStripWidth = 50;
inline constexpr int kStripHeight = 480;

// 50 x 480, palette index = shade.
IndexedImage stripImage(const StripDesign& design);

IndexedImage infoBackground();      // 356 x 330, 16 colours
IndexedImage infoPicture();         // 32 x 32, 16 colours
IndexedImage previewPlaceholder();  // 256 x 192

RgbImage contactSheet();
RgbImage stripsSheet();
// For the artist: every sprite at 16, 24 and 34 pixels over black, blue, green and grey.
RgbImage reviewSheet();

}  // namespace ps::art
