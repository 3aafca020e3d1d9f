// Pictures kept packed: every kind of picture comes back exactly, and screens take little room.
#include "platform/packedpicture.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

namespace ps {
namespace {

Surface picture(int w, int h, const std::function<u32(int, int)>& colour) {
  Surface s(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) s.set(x, y, colour(x, y) & 0xFFFFFF);
  return s;
}

// Unpacked into a surface of the same size, it is the picture again.
void expectRoundTrip(const Surface& s, const std::string& what) {
  PackedPicture p;
  p.pack(s);
  Surface back(s.width(), s.height(), 0x123456);
  p.unpackInto(back);
  for (int y = 0; y < s.height(); ++y) {
    for (int x = 0; x < s.width(); ++x) {
      ASSERT_EQ(back.at(x, y), s.at(x, y)) << what << " at " << x << "," << y;
    }
  }
}

TEST(PackedPicture, EveryKindOfPictureComesBackExactly) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<u32> any(0, 0xFFFFFF);
  expectRoundTrip(picture(97, 61, [&](int, int) { return any(rng); }), "noise");
  // A photograph's small steps, in every direction and across the wrap of a channel.
  expectRoundTrip(picture(120, 90,
                          [&](int x, int y) {
                            return static_cast<u32>((x * 3 + y) & 0xFF) << 16 |
                                   static_cast<u32>((250 + x + (rng() % 5)) & 0xFF) << 8 |
                                   static_cast<u32>((y * 2 - x) & 0xFF);
                          }),
                  "gradient");
  // A desktop: plain areas, windows, a stipple, rows that repeat and runs longer than a row.
  expectRoundTrip(picture(300, 200,
                          [](int x, int y) {
                            if (x > 20 && x < 140 && y > 30 && y < 100) return 0xD4D0C8u;
                            if (y > 150) return ((x + y) & 1) != 0 ? 0xFFFFFFu : 0u;
                            return y < 10 ? 0u : 0x3A6EA5u;
                          }),
                  "desktop");
  for (int w : {1, 2, 3, 300}) {
    expectRoundTrip(picture(w, 700, [&](int x, int y) { return (x + y / 3) % 4 ? 7u : any(rng); }),
                    "width " + std::to_string(w));
  }
  expectRoundTrip(picture(70000, 2, [](int x, int) { return x < 69000 ? 5u : 6u; }), "long rows");
}

TEST(PackedPicture, ScreensTakeLittleRoomAndNoisePacksNoWorseThanItsPixels) {
  PackedPicture p;
  p.pack(picture(1920, 1080, [](int x, int y) {
    return x > 200 && x < 900 && y > 100 && y < 700 ? 0xD4D0C8u : 0x3A6EA5u;
  }));
  EXPECT_LT(p.bytes(), 16u * 1024);
  std::mt19937 rng(3);
  p.pack(picture(500, 400, [&](int, int) { return static_cast<u32>(rng()); }));
  EXPECT_LE(p.bytes(), 500u * 400 * 4);
}

TEST(PackedPicture, UnpacksAsFarAsTheTargetReachesAndLeavesTheRestAlone) {
  const Surface s = picture(40, 30, [](int x, int y) { return static_cast<u32>(x * 100 + y); });
  PackedPicture p;
  p.pack(s);
  EXPECT_EQ(p.width(), 40);
  EXPECT_EQ(p.height(), 30);
  Surface small(25, 20, 9), large(50, 35, 9);
  p.unpackInto(small);
  p.unpackInto(large);
  for (int y = 0; y < 35; ++y) {
    for (int x = 0; x < 50; ++x) {
      const u32 want = x < 40 && y < 30 ? s.at(x, y) : 9u;
      ASSERT_EQ(large.at(x, y), want) << x << "," << y;
      if (x < 25 && y < 20) {
        ASSERT_EQ(small.at(x, y), want) << x << "," << y;
      }
    }
  }
  PackedPicture none;
  none.unpackInto(small);
  EXPECT_EQ(small.at(0, 0), 0u);
}

}  // namespace
}  // namespace ps
