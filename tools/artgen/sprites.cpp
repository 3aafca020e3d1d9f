#include "sprites.h"

#include "plantkit.h"

namespace ps::art {

IndexedImage flowerSprite(int number);
std::string flowerName(int number);
IndexedImage grassSprite(int number);
std::string grassName(int number);

IndexedImage sprite(int number) {
  return number < kFirstGrass ? flowerSprite(number) : grassSprite(number);
}

std::string spriteName(int number) {
  return number < kFirstGrass ? flowerName(number) : grassName(number);
}

namespace {

// A posy of three flowers, or (`single`) one big flower for small sizes.
IndexedImage posy(int size, bool small) {
  using namespace kit;
  Canvas c(size);
  Rng rng(1);
  if (!small) {
    // A small posy: a blue cornflower and a yellow daisy behind a big magenta cosmos.
    stem(c, 15, {9, 10}, -1, kStem, 0.9);
    stem(c, 16, {23, 8}, 1, kStem, 0.9);
    leaf(c, {15.5, 29}, -dm::kPi, 9, 2.4, kLeaf, 2);
    leaf(c, {16.5, 28}, -0.15, 9, 2.4, kLeaf, 2);
    Radial blue;
    blue.at = {8.5, 9};
    blue.petals = 9;
    blue.inner = 0.8;
    blue.length = 5.2;
    blue.width = 1.5;
    blue.shape = Profile::kSpoon;
    blue.fringe = 3;
    blue.squash = 0.85;
    blue.ramp = kBlue;
    blue.group = 11;
    radial(c, rng, blue);
    Radial yellow;
    yellow.at = {23.5, 8};
    yellow.petals = 12;
    yellow.inner = 1.8;
    yellow.length = 4.6;
    yellow.width = 1.2;
    yellow.squash = 0.85;
    yellow.ramp = kYellow;
    yellow.group = 12;
    radial(c, rng, yellow);
    centre(c, {23.5, 8}, 2.0, 0.85, kGold, Eye::kDome);
  }
  const Vec head{16, small ? 14.0 : 18.0};
  stem(c, 16, head + Vec{0, 2}, 0, kStem, small ? 1.4 : 1.0);
  if (small) leaf(c, {16, 29}, -0.2, 10, 3.2, kLeaf, 2);
  Radial big;
  big.at = head;
  big.petals = 8;
  big.inner = small ? 2.0 : 1.5;
  big.length = small ? 11.5 : 8.8;
  big.width = small ? 5.0 : 3.4;
  big.shape = Profile::kBroad;
  big.fringe = small ? 0 : 2;
  big.squash = small ? 0.95 : 0.82;
  big.rot = 0.2;
  big.ramp = kMagenta;
  big.alt = kPink;
  big.altFrom = 0.8;
  big.group = 13;
  radial(c, rng, big);
  centre(c, head, small ? 3.4 : 2.6, 0.85, kYellow, Eye::kDome);
  return c.finish();
}

}  // namespace

IndexedImage iconPicture(int size) {
  return posy(size, size < 24);
}

IndexedImage singleFlowerPicture() {
  return posy(32, true);
}

}  // namespace ps::art
