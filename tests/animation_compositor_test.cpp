// The frame compositor on its own: sprite layers, and frames composed from what changed against
// frames composed whole, under scenes busier than the meadow's.
#include "animation/compositor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "fake/fake_platform.h"

namespace ps {
namespace {

// A 32 × 32 picture of one colour with random holes in its mask.
Image holed(u32 colour, std::mt19937& rng) {
  Image img;
  img.width = img.height = 32;
  for (int k = 0; k < 32 * 32; ++k) {
    img.pixels.push_back(colour + static_cast<u32>(k % 7));
    img.mask.push_back(rng() % 4 == 0 ? 1 : 0);
  }
  return img;
}

struct Pictures {
  std::vector<Image> images;
  std::vector<ScaledSprite> scaled;  // even sizes 16 to 34 of each image
  explicit Pictures(std::mt19937 rng) {
    for (int n = 0; n < 6; ++n) images.push_back(holed(0x102030u * static_cast<u32>(n + 1), rng));
    for (const Image& img : images) {
      for (int size = 16; size <= 34; size += 2) scaled.emplace_back(img, size, size);
    }
  }
  // Odd sizes come scaled on drawing, as sprites outside the bank's sizes do.
  SpriteBank::Sprite at(int n, int size) const {
    if (size % 2 == 0 && size >= 16 && size <= 34) {
      return SpriteBank::Sprite{&scaled[static_cast<size_t>(n * 10 + (size - 16) / 2)]};
    }
    return SpriteBank::Sprite{&images[static_cast<size_t>(n)]};
  }
};

// Drives a compositor through random frames: sprites that grow and creep, plantings, texts that
// change, move, vanish and overlap, new scenes and frames left halfway. Two drivers from one
// seed make the same calls.
class Driver {
 public:
  Driver(const Pictures& pictures, std::uint32_t seed) : pictures_(pictures), rng_(seed) {}

  void scene(Compositor& c, int w, int h) {
    c.newScene();
    Surface& bg = c.background();
    bg.setSize(w, h);
    const u32 base = rng_() & 0x3F3F3F;
    for (int y = 0; y < h; ++y) bg.fillRect(Rect{0, y, w, y + 1}, base + static_cast<u32>(y));
    Surface& win = c.window();
    win.setSize(w, h);
    win.copyRect(bg, win.bounds());
    c.bufferFromWindow();
    for (Slot& s : slots_) s.alive = false;
  }

  // One frame; false when it was left halfway (nothing shown).
  bool frame(Compositor& c) {
    const int w = c.background().width(), h = c.background().height();
    if (pick(150)) scene(c, pick(2) ? w : w - 7, pick(2) ? h : h + 5);
    c.beginFrame();
    c.holdDraws(true);
    for (int i = 0; i < static_cast<int>(slots_.size()); ++i) {
      Slot& s = slots_[static_cast<size_t>(i)];
      if (!s.alive) {
        if (!pick(6)) continue;
        s = Slot{true, static_cast<int>(rng_() % 6), static_cast<int>(rng_() % (w + 20)) - 20,
                 static_cast<int>(rng_() % (h + 20)) - 20, 15 + static_cast<int>(rng_() % 5)};
      }
      if (pick(3)) s.size += 1, s.y -= 1;
      if (pick(9)) s.x += pick(2) ? 1 : -1;
      c.drawSprite(c.buffer(), i, pictures_.at(s.pic, s.size), s.x, s.y, s.size, s.size);
      if (s.size > 33 || pick(40)) {
        c.drawSprite(c.background(), i, pictures_.at(s.pic, s.size), s.x, s.y - 2, s.size, s.size);
        s.alive = false;
      }
    }
    c.holdDraws(false);
    if (pick(60)) return false;
    c.composeFrame();
    // A line of two texts whose second follows the first, and one that moves on its own.
    ++clock_;
    int x = 5;
    if (!pick(25)) x += c.print(std::to_string(clock_ / 7) + "   ", x, h - 20).width;
    if (!pick(25)) c.print(std::to_string(clock_ / 3), x, h - 20);
    if (pick(4)) lone_ = Rect{static_cast<int>(rng_() % w), static_cast<int>(rng_() % h)};
    c.print(pick(5) ? "mark" : "flower", lone_.left, lone_.top);
    c.showFrame();
    return true;
  }

 private:
  struct Slot {
    bool alive = false;
    int pic = 0, x = 0, y = 0, size = 0;
  };
  bool pick(unsigned oneIn) { return rng_() % oneIn == 0; }

  const Pictures& pictures_;
  std::mt19937 rng_;
  std::vector<Slot> slots_ = std::vector<Slot>(40);
  int clock_ = 0;
  Rect lone_{30, 30};
};

bool same(const Surface& a, const Surface& b) {
  return a.width() == b.width() && a.height() == b.height() &&
         std::memcmp(a.data(), b.data(), a.bytes()) == 0;
}

TEST(Compositor, FramesFromWhatChangedEqualFramesComposedWhole) {
  const Pictures pictures(std::mt19937(3));
  for (std::uint32_t seed : {1u, 2u, 3u}) {
    fake::FakePlatform os;
    Compositor whole(40), changed(40);
    whole.setLiteral(true);
    Driver a(pictures, seed), b(pictures, seed);
    for (Compositor* c : {&whole, &changed}) c->setTextStyle(os, Font{}, 0xFFFFFF);
    a.scene(whole, 160, 120);
    b.scene(changed, 160, 120);
    Surface before;
    for (int t = 0; t < 1500; ++t) {
      before.resize(changed.window().width(), changed.window().height());
      before.copyRect(changed.window(), before.bounds());
      const bool shownA = a.frame(whole), shownB = b.frame(changed);
      ASSERT_EQ(shownA, shownB);
      ASSERT_TRUE(same(whole.window(), changed.window())) << "seed " << seed << " frame " << t;
      if (!shownB || before.width() != changed.window().width() ||
          before.height() != changed.window().height()) {
        continue;
      }
      // Every pixel that changed lies in a rectangle given for presenting.
      Surface marks(before.width(), before.height(), 0);
      for (const Rect& r : changed.shown()) marks.fillRect(r, 1);
      for (int y = 0; y < before.height(); ++y) {
        for (int x = 0; x < before.width(); ++x) {
          if (before.at(x, y) != changed.window().at(x, y)) {
            ASSERT_EQ(marks.at(x, y), 1u) << "frame " << t << " at " << x << "," << y;
          }
        }
      }
    }
  }
}

TEST(Compositor, AFlowerBesideATextRestoresOnlyThePartOfTheTextItTouches) {
  // The text's place is 172 x 48 pixels; the flower creeping past its margin touches 16 x 2 of
  // them, and that part alone is restored, printed again and shown.
  const Pictures pictures(std::mt19937(5));
  fake::FakePlatform os;
  Compositor c(4), whole(4);
  whole.setLiteral(true);
  for (Compositor* k : {&c, &whole}) {
    k->setTextStyle(os, Font{}, 0xFFFFFF);
    Driver(pictures, 1).scene(*k, 200, 120);
  }
  for (int y : {40, 39, 40}) {
    for (Compositor* k : {&c, &whole}) {
      k->beginFrame();
      k->holdDraws(true);
      k->drawSprite(k->buffer(), 0, pictures.at(0, 16), 60, y, 16, 16);
      k->holdDraws(false);
      k->composeFrame();
      k->print("0123456789abcdefghij", 5, 70);
      k->showFrame();
    }
    ASSERT_TRUE(same(c.window(), whole.window())) << y;
  }
  long long area = 0;
  for (const Rect& r : c.shown()) {
    area += static_cast<long long>(r.width()) * r.height();
    EXPECT_FALSE(overlap(r, Rect{0, 60, 50, 100})) << r.left << "," << r.top;
  }
  EXPECT_LE(area, 16 * 17 * 2);
}

TEST(Compositor, HeldPlantingsReachTheBackgroundOnlyOnceTheFrameIsShown) {
  const Pictures pictures(std::mt19937(4));
  fake::FakePlatform os;
  Driver d(pictures, 9);
  Compositor c(4);
  c.setTextStyle(os, Font{}, 0xFFFFFF);
  d.scene(c, 64, 64);
  const u32 under = c.background().at(20, 20), under41 = c.background().at(41, 41);
  const Image& img = pictures.images[0];
  const SpriteBank::Sprite s{&img};
  c.beginFrame();
  c.holdDraws(true);
  c.drawSprite(c.background(), 0, s, 10, 10, 32, 32);
  c.holdDraws(false);
  EXPECT_EQ(c.background().at(20, 20), under);
  c.composeFrame();
  EXPECT_EQ(c.background().at(20, 20), under);  // the frame is restored from it as it began
  c.showFrame();
  EXPECT_EQ(c.background().at(20, 20), img.transparent(10, 10) ? under : img.at(10, 10));
  // Without holding, a draw lands at once.
  c.drawSprite(c.background(), 0, s, 40, 40, 32, 32);
  EXPECT_EQ(c.background().at(41, 41), img.transparent(1, 1) ? under41 : img.at(1, 1));
}

TEST(SpriteLayer, ChangesAreWhereTheTwoFramesDrawDifferently) {
  const Pictures pictures(std::mt19937(5));
  // Odd sizes: pictures scaled on drawing, which may touch their whole square.
  const SpriteBank::Sprite a = pictures.at(0, 21), b = pictures.at(1, 21);
  SpriteLayer layer(8);
  auto changes = [&] {
    DirtyRegion d;
    layer.changes(d);
    std::vector<Rect> r(d.rects().begin(), d.rects().end());
    layer.commit();
    return r;
  };
  layer.add(1, a, 10, 10, 21, 21);
  layer.add(2, b, 100, 100, 21, 21);
  EXPECT_EQ(changes().size(), 2u);  // nothing known before: everything
  layer.add(1, a, 10, 10, 21, 21);
  layer.add(2, b, 100, 100, 21, 21);
  EXPECT_TRUE(changes().empty());
  layer.add(1, a, 11, 10, 21, 21);    // moved by a pixel: one rectangle over both places
  layer.add(2, a, 100, 100, 21, 21);  // another picture in the same place
  EXPECT_EQ(changes(), (std::vector<Rect>{{10, 10, 32, 31}, {100, 100, 121, 121}}));
  layer.add(3, b, 50, 50, 21, 21);  // slots 1 and 2 went, 3 came
  EXPECT_EQ(changes(),
            (std::vector<Rect>{{11, 10, 32, 31}, {100, 100, 121, 121}, {50, 50, 71, 71}}));
  // Keys out of order cannot be matched: both frames' draws count.
  layer.add(5, a, 10, 10, 21, 21);
  layer.add(4, a, 80, 80, 21, 21);
  EXPECT_EQ(changes().size(), 3u);
}

}  // namespace
}  // namespace ps
