// One frame of the meadow, and the periodic restart.
//
// A frame is composed in the back buffer and shown in one copy. The literal way copies the whole
// background into the back buffer and the whole back buffer onto the window; the ordinary way
// copies only what changed, which gives the same window surface:
// - the back buffer differs from the background only where the last frames drew on it (drawn_)
//   and where the background changed since it was last copied (bgChanged_), so restoring those
//   rectangles equals the whole copy;
// - the window differs from the back buffer only where the back buffer changed since the last
//   copy onto the window: the restored rectangles (toWindow_) and what this frame drew.
#include <algorithm>

#include "animation/frmMain.h"
#include "errors/guard.h"
#include "host/process.h"

namespace ps {

namespace {
constexpr u32 kTextColour = 0xFFFFFF;
}

void frmMain::tmrAnimation_Timer() {
  Process& p = P();
  Platform& os = p.platform;
  const Settings& s = p.settings;
  // Each step captures at most two references: std::function then keeps it without
  // allocating, and a tick allocates nothing.
  Guard g("frmMain", "tmrAnimation_timer");
  g([this, &os] { FrameTick = static_cast<i32>(os.GetTickCount()); });
  g([this] { composeFrame(); });
  g([this] { AnimateFlowers(); });
  g([this] { CurrentX = 5; });
  g([this, &os] {
    CurrentY = os.clientSize(*this).height - static_cast<float>(os.textHeight(font(), "1")) - 3;
  });
  bool date = true;
  g([&] { date = s.Date != 0; });
  if (date) {
    g([this, &os] {
      text_.assign(os.shortDate(os.now()));
      text_ += "   ";
      print(text_, false);
    });
  }
  bool time = true;
  g([&] { time = s.Time != 0; });
  if (time) {
    g([this, &os] {
      text_.assign(os.longTime(os.now()));
      print(text_, false);
    });
  }
  g([this, &os] { CurrentX = lblURL.left() / static_cast<float>(os.twipsPerPixel()); });
  g([this, &os] { CurrentY = lblURL.top() / static_cast<float>(os.twipsPerPixel()) - 1; });
  g([this] { print(PETALSTREAM_HOMEPAGE, true); });
  g([this] { showFrame(); });
  g([this, &os] { os.present(*this, window_, shown_.rects()); });

  // The restart clock: tick counts wrap after 2^32 milliseconds, their difference does not.
  bool due = true;
  g([this, &due] {
    const Settings& s = P().settings;
    u32 elapsed = static_cast<u32>(FrameTick) - static_cast<u32>(RestartTick);
    i32 period = mul32(s.rTime, 1000);
    due = static_cast<long long>(elapsed) > period && s.Restart != 0;
  });
  if (!due) return;
  bool arm = true;
  g([&] { arm = RestartTick == 0; });
  if (arm) {
    g([this] { RestartTick = FrameTick; });
    return;
  }
  g([this] { setAnimationTimer(false); });
  // Clearing leaves both surfaces without their old content, as releasing them would, and
  // keeps their memory for the layout pass that repaints them.
  g([this] { picBG.fill(0); });
  g([this] { picBuffer.fill(0); });
  g([this] { DrawFlowerCount(); });
  g([this] { Form_Resize(); });
  g([this] { RestartTick = FrameTick; });
}

void frmMain::print(std::string_view text, bool endLine) {
  Platform& os = platform();
  const int x = roundI32(CurrentX), y = roundI32(CurrentY);
  os.drawText(picBuffer, font(), x, y, text, kTextColour);
  const int w = os.textWidth(font(), text), h = os.textHeight(font(), text);
  // Glyphs may reach a little beyond the measured box: a line's height of room on every side.
  picBuffer.markDirty(Rect{x - h, y - h, x + w + h, y + 2 * h});
  if (endLine) {
    CurrentX = 0;
    CurrentY = CurrentY + static_cast<float>(h);
  } else {
    CurrentX = CurrentX + static_cast<float>(w);
  }
}

// The background with everything planted so far into the back buffer.
void frmMain::composeFrame() {
  if (literalFrames || wholeFrame_) {
    picBuffer.trackChanges(nullptr);
    picBuffer.copyRect(picBG, picBuffer.bounds());
    picBuffer.trackChanges(&drawn_);
    drawn_.clear();
    bgChanged_.clear();
    toWindow_.clear();
    windowWhole_ = true;
    wholeFrame_ = false;
    return;
  }
  picBuffer.trackChanges(nullptr);
  for (const DirtyRegion* region : {&drawn_, &bgChanged_}) {
    for (const Rect& r : region->rects()) {
      picBuffer.copyRect(picBG, r);
      toWindow_.add(r);
    }
  }
  picBuffer.trackChanges(&drawn_);
  drawn_.clear();
  bgChanged_.clear();
}

// The back buffer onto the window's persistent image.
void frmMain::showFrame() {
  if (literalFrames || windowWhole_) {
    window_.copyRect(picBuffer, window_.bounds());
    shown_.clear();
    shown_.add(window_.bounds());
    toWindow_.clear();
    windowWhole_ = false;
    return;
  }
  // The window is shown by these rectangles alone: a frame of a few growing flowers then moves
  // a few thousand pixels to the screen, not the band that spans them.
  // The screen gets the changed places as a few tile-aligned rectangles: once the meadow covers
  // the screen, the flowers growing all over it are a fraction of the box that spans them.
  shown_.clear();
  for (const DirtyRegion* region : {&toWindow_, &drawn_}) {
    for (const Rect& r : region->rects()) {
      window_.copyRect(picBuffer, r);
      shown_.add(r);
    }
  }
  toWindow_.clear();
}

}  // namespace ps
