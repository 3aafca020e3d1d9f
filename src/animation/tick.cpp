// One frame of the meadow, and the periodic restart.
//
// A frame is composed in the back buffer and shown in one copy. The literal way copies the whole
// background into the back buffer before the flower step draws, and the whole back buffer onto
// the window; the ordinary way gives the same window surface by redrawing only what changed:
// - the flower step's draws are held back while it runs: the growing flowers' (on the back
//   buffer) in a sprite layer, the planted ones' (into picBG) until the frame is shown, as the
//   back buffer must be restored from picBG as the frame began;
// - the back buffer differs from the frame to be composed only where picBG changed since it was
//   last copied (bgChanged_) and where the growing flowers differ from the last frame's; those
//   rectangles are restored from picBG and the flowers redrawn inside them;
// - a text stays on the back buffer while each frame prints it alike at the same place over the
//   same pixels; otherwise it comes off whole (its place restored and the flowers redrawn
//   there) and is printed afresh, and so do the texts it overlaps, as text blends with what is
//   under it;
// - the window differs from the back buffer only where the back buffer changed since the last
//   copy onto the window (toWindow_).
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
  int w = 0, h = 0;
  if (literalFrames) {
    os.drawText(picBuffer, font(), x, y, text, kTextColour);
    w = os.textWidth(font(), text), h = os.textHeight(font(), text);
  } else {
    const std::size_t k = printedNow_++;
    if (k == texts_.size()) texts_.emplace_back().text.reserve(64);
    PrintedText& t = texts_[k];
    if (t.onBuffer && t.x == x && t.y == y && t.text == text) {
      // Already there, over the same pixels: the clock's line between two seconds.
      w = t.width, h = t.height;
    } else {
      // This text's old self and the texts after it come off first: the new one blends over
      // the flowers and the texts before it alone.
      restore_.clear();
      for (std::size_t j = k; j < texts_.size(); ++j) {
        if (texts_[j].onBuffer) restore_.add(texts_[j].area);
      }
      if (!restore_.empty()) clearTexts(restore_, k);
      t.onBuffer = false;
      drawText(text, x, y);
      w = os.textWidth(font(), text), h = os.textHeight(font(), text);
      t.text.assign(text);
      t.x = x, t.y = y, t.width = w, t.height = h;
      // Glyphs may reach a little beyond the measured box: a line's height of room on every
      // side.
      t.area = Rect{x - h, y - h, x + w + h, y + 2 * h};
      t.onBuffer = true;
      toWindow_.add(t.area);
    }
  }
  if (endLine) {
    CurrentX = 0;
    CurrentY = CurrentY + static_cast<float>(h);
  } else {
    CurrentX = CurrentX + static_cast<float>(w);
  }
}

void frmMain::drawText(std::string_view text, int x, int y) {
  platform().drawText(picBuffer, font(), x, y, text, kTextColour);
}

void frmMain::takeOffTexts(DirtyRegion& region) {
  // Until nothing more comes off: a text taken off widens the region onto its neighbours.
  for (bool more = true; more;) {
    more = false;
    for (PrintedText& t : texts_) {
      if (!t.onBuffer) continue;
      for (const Rect& r : region.rects()) {
        if (intersect(r, t.area).empty()) continue;
        t.onBuffer = false;
        t.takenOff = true;
        region.add(t.area);
        more = true;
        break;
      }
    }
  }
}

void frmMain::clearTexts(DirtyRegion& region, std::size_t printed) {
  for (PrintedText& t : texts_) t.takenOff = false;
  takeOffTexts(region);
  for (const Rect& r : region.rects()) {
    picBuffer.copyRect(picBG, r);
    toWindow_.add(r);
  }
  growingLayer_.redraw(picBuffer, region.rects());
  for (std::size_t j = 0; j < printed && j < texts_.size(); ++j) {
    PrintedText& t = texts_[j];
    if (!t.takenOff) continue;
    drawText(t.text, t.x, t.y);
    t.onBuffer = true;
  }
}

// Before the flower step: the literal way copies the background into the back buffer now.
void frmMain::beginFrame() {
  // Plantings held back by a tick that was left early belong to picBG now.
  plantHeldDraws();
  growingLayer_.begin();
  printedNow_ = 0;
  if (!literalFrames) return;
  picBuffer.copyRect(picBG, picBuffer.bounds());
  bgChanged_.clear();
  toWindow_.clear();
  growingLayer_.forget();
  for (PrintedText& t : texts_) t.onBuffer = false;
  windowWhole_ = true;
}

// After the flower step: the background with everything planted so far, and the growing
// flowers over it, into the back buffer. Texts it touches come off; they are printed again.
void frmMain::composeFrame() {
  if (literalFrames) return;
  restore_.clear();
  if (wholeFrame_) {
    restore_.add(picBuffer.bounds());
    windowWhole_ = true;
    wholeFrame_ = false;
  } else {
    for (const Rect& r : bgChanged_.rects()) restore_.add(r);
    growingLayer_.changes(restore_);
  }
  bgChanged_.clear();
  for (PrintedText& t : texts_) t.takenOff = false;
  takeOffTexts(restore_);
  for (const Rect& r : restore_.rects()) {
    picBuffer.copyRect(picBG, r);
    toWindow_.add(r);
  }
  growingLayer_.draw(picBuffer, restore_.rects());
  growingLayer_.commit();
}

// What the flower step planted, into picBG once this frame no longer restores from it.
void frmMain::plantHeldDraws() {
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
    plantHeldDraws();
    return;
  }
  // Texts of the last frame that this one did not print come off.
  restore_.clear();
  for (std::size_t j = printedNow_; j < texts_.size(); ++j) {
    if (texts_[j].onBuffer) restore_.add(texts_[j].area);
  }
  if (!restore_.empty()) clearTexts(restore_, printedNow_);
  // The screen gets the changed places themselves: once the meadow covers the screen, the
  // flowers growing all over it are a fraction of the box that spans them.
  shown_.clear();
  for (const Rect& r : toWindow_.rects()) {
    window_.copyRect(picBuffer, r);
    shown_.add(r);
  }
  toWindow_.clear();
  plantHeldDraws();
}

}  // namespace ps
