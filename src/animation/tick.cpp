// One frame of the meadow, and the periodic restart. The frame is composed and shown by the
// compositor (compositor.h); this is the order of its steps.
#include "animation/frmMain.h"
#include "errors/guard.h"
#include "host/process.h"

namespace ps {

void frmMain::tmrAnimation_Timer() {
  Process& p = P();
  Platform& os = p.platform;
  const Settings& s = p.settings;
  // The guard calls each step in place, whatever it captures: a tick allocates nothing.
  Guard g("frmMain", "tmrAnimation_timer");
  g([this, &os] { FrameTick = static_cast<i32>(os.tickCount()); });
  g([this] { compositor.beginFrame(); });
  g([this] {
    // Held back for this step only: whatever else draws (a layout pass) draws at once.
    compositor.holdDraws(true);
    struct Release {
      Compositor& c;
      ~Release() { c.holdDraws(false); }
    } release{compositor};
    AnimateFlowers();
  });
  g([this] { compositor.composeFrame(); });
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
  g([this, &os] { CurrentX = lblURL.left() / os.twipsPerPixel(); });
  g([this, &os] { CurrentY = lblURL.top() / os.twipsPerPixel() - 1; });
  g([this] { print(PETALSTREAM_HOMEPAGE, true); });
  g([this] { compositor.showFrame(); });
  g([this, &os] { os.present(*this, compositor.window(), compositor.shown()); });

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
  g([this] { picBG().fill(0); });
  g([this] { picBuffer().fill(0); });
  g([this] { DrawFlowerCount(); });
  g([this] { Form_Resize(); });
  g([this] { RestartTick = FrameTick; });
}

void frmMain::print(std::string_view text, bool endLine) {
  const Compositor::Extent e = compositor.print(text, roundI32(CurrentX), roundI32(CurrentY));
  if (endLine) {
    CurrentX = 0;
    CurrentY = CurrentY + static_cast<float>(e.height);
  } else {
    CurrentX = CurrentX + static_cast<float>(e.width);
  }
}

}  // namespace ps
