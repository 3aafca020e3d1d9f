// The meadow at a monitor's scale: its size in logical pixels, and which of them each device
// pixel shows.
#include "platform/blockscale.h"

#include <gtest/gtest.h>

#include "platform/surface.h"

namespace ps {
namespace {

TEST(BlockScale, LogicalSizesCoverTheDeviceInBlocksOfTheScale) {
  struct Case {
    int device, dpi, logical;
  };
  for (const Case c : {Case{3840, 192, 1920}, Case{2049, 192, 1025}, Case{1280, 120, 1024},
                       Case{1366, 120, 1093}, Case{1536, 144, 1024}, Case{1537, 144, 1025},
                       Case{1000, 100, 960}, Case{1024, 96, 1024}, Case{1, 192, 1}}) {
    const double scale = c.dpi / 96.0;
    ASSERT_EQ(logicalLength(c.device, scale), c.logical) << c.device << " at " << c.dpi;
    // Mapped back, the device pixels show the logical ones in order, none left out but perhaps
    // the last, each in a block of the scale's whole part or one more (two exactly at 200 %).
    int shown = logicalPixel(0, scale, c.logical), block = 1;
    ASSERT_EQ(shown, 0);
    for (int d = 1; d < c.device; ++d) {
      const int l = logicalPixel(d, scale, c.logical);
      ASSERT_TRUE(l == shown || l == shown + 1) << d << " at " << c.dpi;
      if (l == shown) {
        ++block;
        continue;
      }
      EXPECT_GE(block, static_cast<int>(scale)) << d << " at " << c.dpi;
      EXPECT_LE(block, static_cast<int>(scale) + (c.dpi % 96 != 0 ? 1 : 0)) << d << " at " << c.dpi;
      shown = l, block = 1;
    }
    EXPECT_GE(shown, c.logical - 2) << c.device << " at " << c.dpi;
  }
}

// Every device pixel shows the logical pixel the mapping names.
void expectShows(const BlockScale& b, const Surface& device, const Surface& logical, double scale) {
  for (int y = 0; y < b.deviceHeight(); ++y) {
    for (int x = 0; x < b.deviceWidth(); ++x) {
      ASSERT_EQ(device.at(x, y), logical.at(logicalPixel(x, scale, logical.width()),
                                            logicalPixel(y, scale, logical.height())))
          << x << "," << y << " at " << scale;
    }
  }
}

TEST(BlockScale, AChangedRectangleReachesEveryDevicePixelThatShowsIt) {
  for (int dpi : {120, 144, 168, 192}) {
    const double scale = dpi / 96.0;
    const int dw = 57, dh = 35, w = logicalLength(dw, scale), h = logicalLength(dh, scale);
    Surface logical(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) logical.set(x, y, static_cast<u32>(y * 256 + x));
    BlockScale b;
    ASSERT_TRUE(b.resize(w, h, dw, dh, scale));
    EXPECT_FALSE(b.resize(w, h, dw, dh, scale));
    Surface device(dw, dh);
    b.fill(logical, device.bounds(), device.data(), static_cast<std::size_t>(dw));
    expectShows(b, device, logical, scale);
    // Changes inside, and along the right and bottom edges, where blocks are cut off.
    for (const Rect r :
         {Rect{3, 4, 9, 7}, Rect{w - 2, 0, w, h}, Rect{0, h - 1, w, h}, Rect{5, 5, 6, 6}}) {
      logical.fillRect(r, 0xFF0000u + static_cast<u32>(r.left));
      b.fill(logical, b.deviceRect(r), device.data(), static_cast<std::size_t>(dw));
      expectShows(b, device, logical, scale);
    }
  }
}

}  // namespace
}  // namespace ps
