// The 100 sprites: 101-180 flowers, 181-200 grass tufts, 32 x 32 in the shared palette.
#pragma once

#include <string>

#include "canvas.h"

namespace ps::art {

inline constexpr int kFirstSprite = 101;
inline constexpr int kFirstGrass = 181;
inline constexpr int kLastSprite = 200;

IndexedImage sprite(int number);
std::string spriteName(int number);

// The program icon's picture at 16, 32 or 48 pixels, in the sprite palette.
IndexedImage iconPicture(int size);
// The big flower of the small icon, drawn at 32 x 32.
IndexedImage singleFlowerPicture();

}  // namespace ps::art
