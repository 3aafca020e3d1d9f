// One frame of the meadow, and the periodic restart.
//
// A frame is composed in the back buffer and shown in one copy. The literal way copies the whole
// background into the back buffer before the flower step draws, and the whole back buffer onto
// the window; the ordinary way gives the same window surface by redrawing only what changed:
// - the flower step's draws are held back while it runs: the growing flowers' (on the back
//   buffer) in a sprite layer, the planted ones' (into picBG) until the back buffer is composed,
//   which must see picBG as the frame began;
// - the back buffer differs from the frame to be composed only where picBG changed since it was
//   last copied (bgChanged_), where text was printed (printed_) and where the growing flowers
//   differ from the last frame's; those rectangles are restored from picBG and the flowers
//   redrawn inside them;
// - the window differs from the back buffer only where the back buffer changed since the last
//   copy onto the window: the composed rectangles (toWindow_) and the text printed since.
#include <algorithm>

#include "animation/frmMain.h"
#include "errors/guard.h"
#include "host/process.h"

namespace ps {

namespace {
constexpr u32 kTextColour = 0xFFFFFF;
// Drawing clips to the surface anyway.
constexpr Rect kEverywhere{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
}  // namespace

void frmMain::tmrAnimation_Timer() {
  Process& p = P();
  Platform& os = p.platform;
  const Settings& s = p.settings;
  // Each step captures at most two references: std::function then keeps it without
  // allocating, and a tick allocates nothing.
  Guard g("frmMain", "tmrAnimation_timer");
  g([this, &os] { FrameTick = static_cast<i32>(os.GetTickCount()); });
  g([this] { beginFrame(); });
  g([this] {
    // Held back for this step only: whatever else draws (a layout pass) draws at once.
    holdDraws_ = !literalFrames;
    struct Release {
      bool& hold;
      ~Release() { hold = false; }
    } release{holdDraws_};
    AnimateFlowers();
  });
  g([this] { composeFrame(); });
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

// Before the flower step: the literal way copies the background into the back buffer now.
void frmMain::beginFrame() {
  // Plantings held back by a tick that was left before composing belong to picBG now.
  plantedLayer_.draw(picBG, std::span<const Rect>(&kEverywhere, 1));
  plantedLayer_.begin();
  growingLayer_.begin();
  if (!literalFrames) return;
  picBuffer.trackChanges(nullptr);
  picBuffer.copyRect(picBG, picBuffer.bounds());
  picBuffer.trackChanges(&printed_);
  printed_.clear();
  bgChanged_.clear();
  toWindow_.clear();
  growingLayer_.forget();
  windowWhole_ = true;
}

// After the flower step: the background with everything planted so far, and the growing
// flowers over it, into the back buffer.
void frmMain::composeFrame() {
  if (literalFrames) return;
  recompose_.clear();
  if (wholeFrame_) {
    recompose_.add(picBuffer.bounds());
    windowWhole_ = true;
    wholeFrame_ = false;
  } else {
    for (const DirtyRegion* region : {&bgChanged_, &printed_}) {
      for (const Rect& r : region->rects()) recompose_.add(r);
    }
    growingLayer_.changes(recompose_);
  }
  printed_.clear();
  bgChanged_.clear();
  picBuffer.trackChanges(nullptr);
  for (const Rect& r : recompose_.rects()) {
    picBuffer.copyRect(picBG, r);
    toWindow_.add(r);
  }
  growingLayer_.draw(picBuffer, recompose_.rects());
  growingLayer_.commit();
  picBuffer.trackChanges(&printed_);
  // What was planted during the step shows from the next frame on.
  plantedLayer_.draw(picBG, std::span<const Rect>(&kEverywhere, 1));
  plantedLayer_.begin();
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
  for (const DirtyRegion* region : {&toWindow_, &printed_}) {
    for (const Rect& r : region->rects()) {
      window_.copyRect(picBuffer, r);
      shown_.add(r);
    }
  }
  toWindow_.clear();
}

}  // namespace ps
