// What the meadow tests share: pictures they make themselves (so that every pixel is known) and
// a running-mode window on the fake platform.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "animation/frmMain.h"
#include "errors/ErrPtnr.h"
#include "errors/guard.h"
#include "fake/fake_platform.h"
#include "host/process.h"
#include "host/settings.h"

namespace ps::testing {

// A bare device-independent bitmap as a resource holds it, 32 bits per pixel, bottom-up. As an
// icon image its height is doubled and the fourth byte is the alpha that makes pixels opaque.
inline std::vector<std::uint8_t> dib32(int w, int h, bool icon,
                                       const std::function<std::uint32_t(int, int)>& argb) {
  std::vector<std::uint8_t> b;
  auto u16 = [&](unsigned v) { b.push_back(v & 0xFF), b.push_back((v >> 8) & 0xFF); };
  auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
  u32(40), u32(static_cast<std::uint32_t>(w)), u32(static_cast<std::uint32_t>(icon ? 2 * h : h));
  u16(1), u16(32), u32(0), u32(0), u32(0), u32(0), u32(0), u32(0);
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      std::uint32_t p = argb(x, y);
      b.push_back(p & 0xFF), b.push_back((p >> 8) & 0xFF), b.push_back((p >> 16) & 0xFF);
      b.push_back(static_cast<std::uint8_t>(p >> 24));
    }
  }
  return b;
}

// Sprite n is a square of one colour, colourOf(n), with a transparent column at its left edge.
inline u32 colourOf(int n) {
  return 0x400000u + static_cast<u32>(n);
}
inline bool isSprite(u32 pixel) {
  return pixel >= colourOf(101) && pixel <= colourOf(200);
}

// Strips 101 and 102: red grows across, green down, blue tells them apart.
inline u32 stripColour(int strip, int x, int y) {
  return static_cast<u32>(x * 5) << 16 | static_cast<u32>(y / 2) << 8 | (strip == 101 ? 200u : 50u);
}

inline void useTestPictures(fake::FakePlatform& os) {
  for (int n = 101; n <= 200; ++n) {
    os.resourceOverrides[{static_cast<int>(ResourceKind::Icon), n}] =
        dib32(32, 32, true, [n](int x, int) { return x == 0 ? 0u : 0xFF000000u | colourOf(n); });
  }
  for (int s : {101, 102}) {
    os.resourceOverrides[{static_cast<int>(ResourceKind::Bitmap), s}] =
        dib32(50, 480, false, [s](int x, int y) { return stripColour(s, x, y); });
  }
}

// Every report shown to the user is answered with `a`.
inline void answerWith(fake::World& w, i16 a) {
  w.os.modal = [a](Form& f) {
    static_cast<ErrPtnr&>(f).cmdContinue_Click(a);
    return true;
  };
}

// Runs f; true when it ended the program.
inline bool endsProgram(const std::function<void()>& f) {
  try {
    f();
  } catch (const ProgramEnd&) {
    return true;
  }
  return false;
}

// The draws the next calls of Zz will make, from a copy of the random sequence.
struct Draws {
  Random r;
  i16 next(int lo, int hi) {
    float u = r.nextSingle();
    return static_cast<i16>(std::floor(static_cast<double>(hi - lo + 1) * u + lo));
  }
};

// How many draws lie between two states of the random sequence (-1: more than `limit`).
inline int drawsBetween(Random before, Random after, int limit = 1000) {
  for (int k = 0; k <= limit; ++k) {
    Random a = before, b = after;
    if (a.next32() == b.next32() && a.next32() == b.next32()) return k;
    before.next32();
  }
  return -1;
}

// The reports the user was shown, as "procedure number", each answered with `a`.
struct Reports {
  std::vector<std::string> shown;
  void install(fake::World& w, i16 a = 2) {
    w.os.modal = [this, a](Form& f) {
      auto& e = static_cast<ErrPtnr&>(f);
      std::string n = e.lblError(0).caption();
      shown.push_back(e.lblError(2).caption() + " " + n.substr(0, n.find(' ')));
      e.cmdContinue_Click(a);
      return true;
    };
  }
  bool contains(const std::string& r) const {
    return std::find(shown.begin(), shown.end(), r) != shown.end();
  }
};

// The animation window in a world of its own, with the test pictures and the settings of a fresh
// installation (the background as given). start() loads it and lays it out at its size.
struct Meadow {
  fake::World w;
  Settings& s = w.process.settings;
  int width, height;

  explicit Meadow(int width_ = 320, int height_ = 240, i16 background = 0, std::uint64_t seed = 1)
      : width(width_), height(height_) {
    useTestPictures(w.os);
    s = Settings{10, 10, 1, 1, 1, 600, background, 5, truth(background == 4)};
    w.process.random.seed(seed);
  }
  Meadow& start() {
    w.process.forms.load(main());
    w.os.resize(main(), static_cast<float>(width), static_cast<float>(height));
    return *this;
  }
  frmMain& main() { return w.process.main(); }
  Flower& slot(int i) { return main().Flowers[static_cast<size_t>(i)]; }
  Draws upcoming() { return Draws{w.process.random}; }
  void tick(u32 ms = 20) {
    w.os.ticks += ms;
    main().tmrAnimation_Timer();
  }
};

}  // namespace ps::testing
