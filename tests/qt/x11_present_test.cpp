// Frames through shared memory onto a real X window (run by tests/e2e/x11present.sh on a
// private Xvfb): what reaches the screen is exactly the surface inside the rectangles given,
// and nothing outside them.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "backends/qt/shm_present.h"
#include "platform/surface.h"

namespace ps::qt {
namespace {

class XWindowFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    c_ = xcb_connect(nullptr, nullptr);
    ASSERT_FALSE(xcb_connection_has_error(c_)) << "no X display";
    screen_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    window_ = create(kW, kH);
  }
  void TearDown() override { xcb_disconnect(c_); }

  XWindow create(int w, int h) {
    XWindow win = xcb_generate_id(c_);
    // A known background, and the server keeps the contents while the window is mapped.
    const std::uint32_t values[] = {0x123456, XCB_BACKING_STORE_ALWAYS};
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, win, screen_->root, 0, 0,
                      static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_BACKING_STORE, values);
    xcb_map_window(c_, win);
    std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    return win;
  }

  // The window's pixels as the server has them, after everything sent so far.
  Surface screen(XWindow win, int w, int h) {
    Surface s(w, h);
    xcb_get_image_reply_t* img = xcb_get_image_reply(
        c_,
        xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, win, 0, 0, static_cast<std::uint16_t>(w),
                      static_cast<std::uint16_t>(h), ~0u),
        nullptr);
    EXPECT_NE(img, nullptr);
    if (img == nullptr) return s;
    const auto* px = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(img));
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) s.set(x, y, px[y * w + x] & 0xFFFFFF);
    }
    std::free(img);
    return s;
  }

  static bool same(const Surface& a, const Surface& b) {
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        if (a.at(x, y) != b.at(x, y)) return false;
      }
    }
    return true;
  }

  // The presenter talks to the server on a connection of its own, so what it sent may be
  // carried out a moment after a request on ours. The window as it is once `done` holds, or
  // after a second.
  template <class Done>
  Surface screenOnceItShows(Done done) {
    Surface shown = screen(window_, kW, kH);
    for (int i = 0; i < 200 && !done(shown); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      shown = screen(window_, kW, kH);
    }
    return shown;
  }

  // Forty frames of new pixels everywhere, each shown by a few rectangles (some reaching
  // beyond the edges): the window must change inside them alone.
  void showsRectanglesExactly(ShmPresenter& presenter, Surface& frame) {
    std::mt19937 rnd(7);
    Surface expected = screen(window_, kW, kH);
    for (int n = 0; n < 40; ++n) {
      for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) frame.set(x, y, rnd() & 0xFFFFFF);
      }
      std::vector<Rect> rects;
      for (int k = static_cast<int>(rnd() % 5); k >= 0; --k) {
        int x = static_cast<int>(rnd() % (kW + 40)) - 20,
            y = static_cast<int>(rnd() % (kH + 40)) - 20;
        rects.push_back(
            Rect{x, y, x + static_cast<int>(rnd() % 90), y + static_cast<int>(rnd() % 60)});
      }
      ASSERT_TRUE(presenter.present(frame, rects));
      for (const Rect& r : rects) expected.copyRect(frame, r);
      Surface shown = screenOnceItShows([&](const Surface& s) { return same(s, expected); });
      for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
          ASSERT_EQ(shown.at(x, y), expected.at(x, y)) << "frame " << n << " at " << x << "," << y;
        }
      }
    }
  }

  static constexpr int kW = 300, kH = 200;
  xcb_connection_t* c_ = nullptr;
  xcb_screen_t* screen_ = nullptr;
  XWindow window_ = 0;
};

// Both ways: a surface on the heap is copied into shared memory first, one kept in the
// presenter's memory is shown from its own pixels.
TEST_F(XWindowFixture, EveryFrameShowsTheSurfaceInsideItsRectanglesAndNothingElse) {
  for (bool shared : {false, true}) {
    SCOPED_TRACE(shared ? "surface in shared memory" : "surface on the heap");
    auto presenter = ShmPresenter::open(window_);
    ASSERT_NE(presenter, nullptr) << "Xvfb offers MIT-SHM and a 24-bit true-colour visual";
    Surface frame(kW, kH, 0);
    if (shared) {
      frame.keepPixelsIn(presenter);
      ASSERT_EQ(frame.pixelMemory(), presenter.get());
    }
    showsRectanglesExactly(*presenter, frame);
  }
}

// At a device pixel ratio the window shows each surface pixel as a block of device pixels, the
// one under each device pixel's centre (never a blend); a later frame changes the device pixels
// of its rectangles alone. Also at a ratio whose blocks are not all alike (1.5).
TEST_F(XWindowFixture, AScaledFrameShowsEachPixelAsABlockOfTheNearest) {
  for (double scale : {2.0, 1.5}) {
    SCOPED_TRACE(scale);
    auto presenter = ShmPresenter::open(window_);
    ASSERT_NE(presenter, nullptr);
    const int w = static_cast<int>(std::ceil(kW / scale)),
              h = static_cast<int>(std::ceil(kH / scale));
    std::mt19937 rnd(11);
    Surface frame(w, h, 0);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) frame.set(x, y, rnd() & 0xFFFFFF);
    }
    auto source = [&](int d, int size) {
      return std::min(size - 1, static_cast<int>((d + 0.5) / scale));
    };
    auto expect = [&](const Surface& from, int x, int y) {
      return from.at(source(x, w), source(y, h));
    };
    ASSERT_TRUE(presenter->present(frame, std::vector<Rect>{frame.bounds()}, scale));
    Surface shown = screenOnceItShows(
        [&](const Surface& s) { return s.at(kW - 1, kH - 1) == expect(frame, kW - 1, kH - 1); });
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) ASSERT_EQ(shown.at(x, y), expect(frame, x, y)) << x << "," << y;
    }
    Surface before(w, h);
    before.copyRect(frame, frame.bounds());
    const Rect changed{7, 5, 30, 18};
    frame.fillRect(frame.bounds(), 0xABCDEF);
    ASSERT_TRUE(presenter->present(frame, std::vector<Rect>{changed}, scale));
    shown = screenOnceItShows([&](const Surface& s) {
      return s.at(static_cast<int>(std::ceil(29 * scale)), 17 * static_cast<int>(scale)) ==
             0xABCDEF;
    });
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        const bool inside =
            x >= std::floor(changed.left * scale) && x < std::ceil(changed.right * scale) &&
            y >= std::floor(changed.top * scale) && y < std::ceil(changed.bottom * scale);
        ASSERT_EQ(shown.at(x, y), inside ? 0xABCDEFu : expect(before, x, y)) << x << "," << y;
      }
    }
  }
}

// The window's ratio becomes known only after its first frames (a foreign host's screen): the
// first frame at the new scale shows every pixel at it, not only its changed rectangle, and
// back at 1 likewise. Both for a surface on the heap and one in the presenter's memory.
TEST_F(XWindowFixture, AChangeOfScaleShowsTheWholeSurfaceAtTheNewOne) {
  for (bool shared : {false, true}) {
    SCOPED_TRACE(shared ? "surface in shared memory" : "surface on the heap");
    auto presenter = ShmPresenter::open(window_);
    ASSERT_NE(presenter, nullptr);
    Surface frame(kW / 2, kH / 2, 0);
    if (shared) frame.keepPixelsIn(presenter);
    for (int y = 0; y < frame.height(); ++y) {
      for (int x = 0; x < frame.width(); ++x) frame.set(x, y, (x * 5 + y * 3) & 0xFF);
    }
    const Rect small{0, 0, 2, 2};
    ASSERT_TRUE(presenter->present(frame, std::vector<Rect>{frame.bounds()}, 1));
    ASSERT_TRUE(presenter->present(frame, std::vector<Rect>{small}, 2));
    auto doubled = [&](const Surface& s) {
      for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
          if (s.at(x, y) != frame.at(x / 2, y / 2)) return false;
        }
      }
      return true;
    };
    EXPECT_TRUE(doubled(screenOnceItShows(doubled)));
    ASSERT_TRUE(presenter->present(frame, std::vector<Rect>{small}, 1));
    auto single = [&](const Surface& s) {
      return s.at(kW / 2 - 1, kH / 2 - 1) == frame.at(kW / 2 - 1, kH / 2 - 1);
    };
    EXPECT_TRUE(single(screenOnceItShows(single)));
  }
}

TEST_F(XWindowFixture, ANewSurfaceSizeAndAnEmptyFrameAreTakenInStride) {
  auto presenter = ShmPresenter::open(window_);
  ASSERT_NE(presenter, nullptr);
  ASSERT_TRUE(presenter->present(Surface(kW, kH, 0x00FF00), std::vector<Rect>{Rect{0, 0, kW, kH}}));
  ASSERT_TRUE(presenter->present(Surface(kW, kH, 0xFF0000), std::vector<Rect>{}));
  // A smaller surface (the window shrinking) is shown at its own size.
  ASSERT_TRUE(
      presenter->present(Surface(100, 50, 0x0000FF), std::vector<Rect>{Rect{0, 0, 100, 50}}));
  Surface shown = screenOnceItShows([](const Surface& s) { return s.at(99, 49) == 0x0000FF; });
  EXPECT_EQ(shown.at(99, 49), 0x0000FFu);
  EXPECT_EQ(shown.at(100, 49), 0x00FF00u);
  EXPECT_EQ(shown.at(0, 50), 0x00FF00u);
}

TEST_F(XWindowFixture, AWindowThatWentAwayIsRefusedWithoutWaiting) {
  XWindow other = create(64, 64);
  auto presenter = ShmPresenter::open(other);
  ASSERT_NE(presenter, nullptr);
  Surface s(64, 64, 0xABCDEF);
  const std::vector<Rect> all{Rect{0, 0, 64, 64}};
  ASSERT_TRUE(presenter->present(s, all));
  // A surface in the presenter's memory is shown without waiting for the server: the failure
  // may take a few more frames to be seen, but it is seen.
  Surface kept(64, 64, 0x123456);
  kept.keepPixelsIn(presenter);
  ASSERT_TRUE(presenter->present(kept, all));
  xcb_destroy_window(c_, other);
  std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
  // The put into the missing window fails; at the latest the next frame says so.
  bool refused = !presenter->present(s, all);
  if (!refused) refused = !presenter->present(s, all);
  EXPECT_TRUE(refused);
  // Frames a few milliseconds apart, as the server needs a moment to answer.
  int frames = 0;
  while (frames < 400 && presenter->present(kept, all)) {
    ++frames;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_LT(frames, 400);
  // Its pixels stay the surface's own after the presenter is gone.
  presenter.reset();
  kept.set(5, 5, 0xFEDCBA);
  EXPECT_EQ(kept.at(5, 5), 0xFEDCBAu);
  EXPECT_EQ(kept.at(6, 6), 0x123456u);
  EXPECT_EQ(ShmPresenter::open(other), nullptr);
}

}  // namespace
}  // namespace ps::qt
