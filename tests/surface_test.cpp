// Pixel surfaces: scaled drawing through a mask, sprites scaled ahead, dirty rectangles.
#include "platform/surface.h"

#include "animation/sprites.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace ps {
namespace {

// A w × h picture of distinct colours whose mask is a pattern of holes.
Image patterned(int w, int h) {
  Image img;
  img.width = w, img.height = h;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      img.pixels.push_back(static_cast<u32>(0x100000 + y * 256 + x));
      img.mask.push_back((x * 7 + y * 3) % 5 == 0 || x == 0 ? 1 : 0);
    }
  }
  return img;
}

TEST(Surface, ScaledDrawingKeepsMaskedPixelsAtEverySize) {
  Image img = patterned(32, 32);
  for (int size : {1, 7, 16, 31, 32, 33, 64, 100}) {
    Surface s(size + 4, size + 4, 0xABCDEF);
    s.drawImage(img, 2, 2, size, size);
    for (int y = 0; y < s.height(); ++y) {
      for (int x = 0; x < s.width(); ++x) {
        bool inside = x >= 2 && y >= 2 && x < size + 2 && y < size + 2;
        u32 want = 0xABCDEF;
        if (inside) {
          // Nearest neighbour: the source pixel under the target pixel's centre.
          int sx = (2 * (x - 2) + 1) * 32 / (2 * size), sy = (2 * (y - 2) + 1) * 32 / (2 * size);
          if (!img.transparent(sx, sy)) want = img.at(sx, sy);
        }
        ASSERT_EQ(s.at(x, y), want) << size << " at " << x << "," << y;
      }
    }
  }
}

TEST(Surface, SpritesScaledAheadDrawExactlyWhatScaledDrawingDraws) {
  Image img = patterned(32, 32);
  std::mt19937 rng(5);
  for (int size = 1; size <= 40; ++size) {
    ScaledSprite sprite(img, size, size);
    for (int k = 0; k < 12; ++k) {
      // Positions inside and across every edge.
      int x = static_cast<int>(rng() % 80) - 30, y = static_cast<int>(rng() % 80) - 30;
      Surface a(50, 40, 0x123456), b(50, 40, 0x123456);
      DirtyRegion da, db;
      a.trackChanges(&da);
      b.trackChanges(&db);
      a.drawImage(img, x, y, size, size);
      sprite.draw(b, x, y);
      ASSERT_TRUE(std::equal(a.data(), a.data() + 2000, b.data())) << size << " " << x << "," << y;
      // Everything that changed lies in what was reported.
      for (int yy = 0; yy < 40; ++yy) {
        for (int xx = 0; xx < 50; ++xx) {
          if (b.at(xx, yy) == 0x123456) continue;
          Rect r = db.bounds();
          ASSERT_TRUE(xx >= r.left && xx < r.right && yy >= r.top && yy < r.bottom);
        }
      }
    }
  }
}

TEST(Surface, CopiesClipAgainstBothSurfaces) {
  Surface src(10, 10), dst(6, 6, 7);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) src.set(x, y, static_cast<u32>(y * 10 + x));
  dst.copyFrom(src, -2, 3, 4, 5, 20, 20);
  EXPECT_EQ(dst.at(0, 3), 56u);  // source (6, 5) lands at (0, 3)
  EXPECT_EQ(dst.at(3, 5), 79u);
  EXPECT_EQ(dst.at(0, 2), 7u);  // above the target rectangle: untouched
  dst.copyRect(src, Rect{-5, -5, 2, 1});
  EXPECT_EQ(dst.at(1, 0), 1u);
  EXPECT_EQ(dst.at(2, 0), 7u);
}

TEST(Surface, NewSizesKeepWhatBothSizesShare) {
  Surface s(4, 3, 9);
  s.set(3, 2, 1);
  s.setSize(5, 5, 2);
  EXPECT_EQ(s.at(3, 2), 1u);
  EXPECT_EQ(s.at(0, 0), 9u);
  EXPECT_EQ(s.at(4, 4), 2u);
  const u32* before = s.data();
  s.setSize(5, 5);
  EXPECT_EQ(s.data(), before);  // the same size moves nothing
  s.setSize(2, 2);
  EXPECT_EQ(s.at(1, 1), 9u);
  // Too many pixels is out of memory, not a crash.
  try {
    s.setSize(40000, 40000);
    FAIL();
  } catch (const Failure& f) {
    EXPECT_EQ(f.number, 7);
  }
  EXPECT_EQ(s.width(), 2);
}

// Memory handed out by a display, counted; it may run out.
struct CountingMemory : PixelMemory {
  std::vector<std::unique_ptr<u32[]>> blocks;
  int live = 0;
  std::size_t room = SIZE_MAX;  // pixels it can still give
  u32* allocate(std::size_t n) override {
    if (n > room) return nullptr;
    room -= n;
    ++live;
    blocks.push_back(std::make_unique<u32[]>(n));
    return blocks.back().get();
  }
  void free(u32* p) override {
    for (auto& b : blocks) {
      if (b.get() == p) {
        b.reset();
        --live;
        return;
      }
    }
    ADD_FAILURE() << "gave back what it never gave";
  }
};

TEST(Surface, PixelsMoveIntoOtherMemoryAndBackWithThePicture) {
  auto memory = std::make_shared<CountingMemory>();
  {
    Surface s(4, 3, 9);
    s.set(3, 2, 1);
    s.keepPixelsIn(memory);
    EXPECT_EQ(s.pixelMemory(), memory.get());
    EXPECT_EQ(s.at(3, 2), 1u);
    EXPECT_EQ(s.at(0, 0), 9u);
    // New sizes come from the same memory, the old block goes back.
    s.setSize(5, 5, 2);
    EXPECT_EQ(s.pixelMemory(), memory.get());
    EXPECT_EQ(s.at(3, 2), 1u);
    EXPECT_EQ(s.at(4, 4), 2u);
    EXPECT_EQ(memory->live, 1);
    // A copy is a picture of its own, on the heap.
    Surface copy = s;
    EXPECT_EQ(copy.pixelMemory(), nullptr);
    copy.set(0, 0, 7);
    EXPECT_EQ(s.at(0, 0), 9u);
    // A moved surface takes its block along; nothing is given back twice.
    Surface moved = std::move(s);
    EXPECT_EQ(moved.pixelMemory(), memory.get());
    EXPECT_EQ(moved.at(3, 2), 1u);
    EXPECT_EQ(memory->live, 1);
    moved.keepPixelsIn(nullptr);
    EXPECT_EQ(moved.pixelMemory(), nullptr);
    EXPECT_EQ(moved.at(3, 2), 1u);
    EXPECT_EQ(memory->live, 0);
    moved.keepPixelsIn(memory);
    moved.release();
    EXPECT_EQ(memory->live, 0);
    moved.setSize(2, 2, 3);
    EXPECT_EQ(memory->live, 1);
  }
  EXPECT_EQ(memory->live, 0);  // the surface gave back everything when it went
}

TEST(Surface, MemoryThatRunsOutLeavesThePixelsOnTheHeap) {
  auto memory = std::make_shared<CountingMemory>();
  memory->room = 20;
  Surface s(4, 4, 5);
  s.keepPixelsIn(memory);
  EXPECT_EQ(s.pixelMemory(), memory.get());
  s.setSize(5, 5, 6);  // 25 pixels: more than there is room for
  EXPECT_EQ(s.pixelMemory(), nullptr);
  EXPECT_EQ(s.at(3, 3), 5u);
  EXPECT_EQ(s.at(4, 4), 6u);
  EXPECT_EQ(memory->live, 0);
}

TEST(DirtyRegion, AFullListStillCoversEveryChange) {
  DirtyRegion d(4);
  d.add(Rect{0, 0, 2, 2});
  d.add(Rect{1, 1, 2, 2});  // inside the last one: nothing new
  EXPECT_EQ(d.rects().size(), 1u);
  d.add(Rect{5, 5, 5, 9});  // empty
  d.add(Rect{10, 0, 12, 3});
  d.add(Rect{20, 20, 21, 21});
  d.add(Rect{3, 30, 4, 31});
  EXPECT_EQ(d.rects().size(), 4u);
  d.add(Rect{-1, 2, 0, 3});
  ASSERT_EQ(d.rects().size(), 1u);
  Rect b = d.rects()[0];
  EXPECT_EQ(b.left, -1);
  EXPECT_EQ(b.top, 0);
  EXPECT_EQ(b.right, 21);
  EXPECT_EQ(b.bottom, 31);
  d.clear();
  EXPECT_TRUE(d.empty());
  EXPECT_TRUE(d.bounds().empty());
}

TEST(Surface, SmoothScalingAveragesTheAreaEachPixelCovers) {
  // Two columns, black and white: halved, each target pixel is their mean.
  Image img;
  img.width = 2, img.height = 1;
  img.pixels = {0x000000, 0xFFFFFF};
  Surface s;
  s.scaleSmooth(img, 1, 3);
  for (int y = 0; y < 3; ++y) EXPECT_EQ(s.at(0, y), 0x808080u);
  // A dithered shade melts into its mean when blurred.
  Image dither;
  dither.width = dither.height = 8;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) dither.pixels.push_back((x + y) % 2 ? 0x0000FF : 0x0000FD);
  s.scaleSmooth(dither, 14, 14, 2);
  for (int y = 4; y < 10; ++y)
    for (int x = 4; x < 10; ++x) EXPECT_NEAR(static_cast<int>(s.at(x, y)), 0xFE, 1);
}

TEST(Surface, APartOfASurfaceAveragesDownIntoAnother) {
  // A 6 x 9 part of a bigger surface into 3 x 3: each pixel the rounded mean of a 2 x 3 block.
  Surface source(10, 12, 0xFFFFFF);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 10; ++x) source.set(x, y, static_cast<u32>((x * 7 + y * 13) % 256));
  const Rect part{2, 1, 8, 10};
  Surface target(3, 3);
  target.scaleSmooth(source, part, 3, 3);
  for (int ty = 0; ty < 3; ++ty) {
    for (int tx = 0; tx < 3; ++tx) {
      u32 sum = 0;
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x) sum += source.at(part.left + 2 * tx + x, part.top + 3 * ty + y);
      EXPECT_EQ(target.at(tx, ty), (sum + 3) / 6) << tx << "," << ty;
    }
  }
}

}  // namespace
}  // namespace ps

namespace ps {
namespace {

TEST(TileRegion, GivesFewRectanglesThatCoverEveryChangeAndNothingTwice) {
  TileRegion t;
  t.resize(200, 100);
  EXPECT_TRUE(t.rects().empty());
  // Two small changes in one tile row, far apart, and one spanning two rows.
  t.add(Rect{3, 3, 10, 10});
  t.add(Rect{150, 5, 160, 20});
  t.add(Rect{140, 20, 170, 50});
  t.add(Rect{190, 90, 260, 140});  // reaches beyond the surface
  std::vector<Rect> r(t.rects().begin(), t.rects().end());
  Surface cover(200, 100, 0);
  for (const Rect& x : r) {
    EXPECT_FALSE(x.empty());
    EXPECT_EQ(x.left % TileRegion::kTile, 0);
    EXPECT_EQ(x.top % TileRegion::kTile, 0);
    for (int y = x.top; y < x.bottom; ++y)
      for (int xx = x.left; xx < x.right; ++xx) {
        ASSERT_LT(xx, 200);
        ASSERT_LT(y, 100);
        ASSERT_EQ(cover.at(xx, y), 0u) << "covered twice";
        cover.set(xx, y, 1);
      }
  }
  for (const Rect& in :
       {Rect{3, 3, 10, 10}, Rect{150, 5, 160, 20}, Rect{140, 20, 170, 50}, Rect{190, 90, 200, 100}})
    for (int y = in.top; y < in.bottom; ++y)
      for (int x = in.left; x < in.right; ++x) ASSERT_EQ(cover.at(x, y), 1u);
  // The column 128..192 is marked in rows 0 and 1 and joins into one rectangle.
  EXPECT_EQ(r.size(), 3u);
  EXPECT_NE(std::find_if(r.begin(), r.end(),
                         [](const Rect& x) {
                           return x.left == 128 && x.top == 0 && x.right == 192 && x.bottom == 64;
                         }),
            r.end());
  t.clear();
  EXPECT_TRUE(t.rects().empty());
  t.add(Rect{0, 0, 200, 100});
  ASSERT_EQ(t.rects().size(), 1u);
  EXPECT_EQ(t.rects()[0].right, 200);
  EXPECT_EQ(t.rects()[0].bottom, 100);
}

}  // namespace
}  // namespace ps
