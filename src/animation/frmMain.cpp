#include "animation/frmMain.h"

#include <algorithm>
#include <cmath>

#include "errors/guard.h"
#include "host/process.h"
#include "host/saver.h"

namespace ps {

namespace {
// Every qualifying input ends the screensaver, under the event's own texts.
void endOnInput(const char* procedure) {
  Guard g("frmMain", procedure);
  g([] { Saver::exitScreensaver(); });
}
}  // namespace

frmMain::frmMain() : frmMain(MeadowState{P().random, P().LastFlower, P().settings.Background}) {}

frmMain::frmMain(MeadowState state)
    : Form("frmMain"),
      tmrAnimation(*this, ControlKind::Timer, "tmrAnimation"),
      lblURL(*this, ControlKind::Label, "lblURL"),
      meadow_(state),
      sprites_(platform()) {
  setDesign("", 0, 0, true, 0x000000, Font{"Comic Sans MS", 9.75, 700, false, false, false, 0});
  tmrAnimation.onTimer = [this] { tmrAnimation_Timer(); };
  // The anchor sizes itself to its text, as an auto-sized label does.
  Platform& os = platform();
  lblURL.setVisible(false);
  lblURL.setFont(font());
  lblURL.setForeColor(0xFFFFFF);
  lblURL.setCaption(PETALSTREAM_HOMEPAGE);
  float tpp = os.twipsPerPixel();
  lblURL.move(0, 0, static_cast<float>(os.textWidth(font(), lblURL.caption())) * tpp,
              static_cast<float>(os.textHeight(font(), lblURL.caption())) * tpp);
  addControl(tmrAnimation);
  addControl(lblURL);
  compositor.setTextStyle(os, font(), 0xFFFFFF);
  text_.reserve(64);
}

void frmMain::setAnimationTimer(bool on) {
  tmrAnimation.setTimerEnabled(on);
  platform().setTimer(*this, tmrAnimation.interval(), tmrAnimation.enabled() && !asleep_);
}

void frmMain::sleep(bool asleep) {
  if (asleep == asleep_) return;
  asleep_ = asleep;
  setAnimationTimer(tmrAnimation.enabled());
}

void frmMain::Form_Load() {
  Settings& s = P().settings;
  Guard g("frmMain", "Form_Load");
  g([this] { DrawFlowerCount(); });
  g([this, &s] {
    if (s.SpeedF == 0) raise(err::kDivisionByZero);
    tmrAnimation.setInterval(roundI32(200.0f / s.SpeedF));
    platform().setTimer(*this, tmrAnimation.interval(), tmrAnimation.enabled());
  });
  g([this] { setMaximized(); });
}

void frmMain::Form_Resize() {
  Platform& os = platform();
  Settings& s = P().settings;
  // Whatever this pass leaves, the next frame copies whole surfaces.
  compositor.newScene();
  if (!sprites_.prepared()) {
    sprites_.prepare();
    found_.fill(Found{});  // what was found before is drawn from the pictures themselves
  }

  Guard g("frmMain", "Form_Resize");
  g([this] { setAnimationTimer(false); });
  g([this, &os] {
    SizeF c = os.clientSize(*this);
    picBG().setSize(roundI32(c.width), roundI32(c.height));
  });
  bool randomBack = true;
  g([&] { randomBack = s.RandomBack != 0; });
  if (randomBack) g([this] { meadow_.Background = Zz(0, 3); });
  bool capture = true;
  g([&] { capture = (meadow_.Background == 3 || s.RandomBack != 0) && !DesktopCaptured; });
  if (capture) CaptureDesktop(g);
  g([this] { Hintergrund(); });
  g([this, &os] {
    SizeF c = os.clientSize(*this);
    Surface& window = compositor.window();
    window.keepPixelsIn(os.windowMemory(*this));
    window.setSize(roundI32(c.width), roundI32(c.height));
    if (window.width() != picBG().width() || window.height() != picBG().height()) window.fill(0);
    window.copyRect(picBG(), window.bounds());
    os.present(*this, window, window.bounds());
  });
  g([this] { compositor.bufferFromWindow(); });
  g([this, &os] {
    SizeF c = os.clientSize(*this);
    float tpp = os.twipsPerPixel();
    float w = lblURL.width() / tpp, h = lblURL.height() / tpp;
    lblURL.move((c.width - w - 3) * tpp, (c.height - h) * tpp, lblURL.width(), lblURL.height());
  });
  g([this, &os] { GroundY = roundI16(static_cast<double>(os.clientSize(*this).height) * 0.93); });
  g([this] { GroundLimitY = sub16(GroundY, 20); });
  g([this] { GroundTufts(); });
  g([this] { SeedFlowers(); });
  g([this] { setAnimationTimer(true); });
}

void frmMain::Form_Paint() {
  // The platform lost what it showed: show the persistent image again.
  const Surface& window = compositor.window();
  if (!window.empty()) platform().present(*this, window, window.bounds());
}

void frmMain::timerExpired() {
  tmrAnimation_Timer();
}

void frmMain::Form_MouseMove(float x, float y) {
  Guard g("frmMain", "Form_MouseMove");
  bool still = true;
  g([&] {
    still = (LastX == 0 && LastY == 0) || (std::fabs(LastX - x) < 3 && std::fabs(LastY - y) < 3);
  });
  if (still) {
    g([&] { LastX = x; });
    g([&] { LastY = y; });
    return;
  }
  g([] { Saver::exitScreensaver(); });
}

void frmMain::Form_MouseDown() {
  endOnInput("Form_MouseDown");
}
void frmMain::Form_Click() {
  endOnInput("Form_Click");
}
void frmMain::Form_DblClick() {
  endOnInput("Form_DblClick");
}
void frmMain::Form_KeyDown() {
  endOnInput("Form_KeyDown");
}
void frmMain::Form_KeyPress() {
  endOnInput("Form_KeyPress");
}
void frmMain::Form_Unload(i16&) {
  endOnInput("Form_Unload");
}
void frmMain::Form_Terminate() {
  endOnInput("Form_Terminate");
}

void frmMain::drawSprite(Surface& target, int n, float x, float y, int w, int h) {
  // Found first, so that a missing sprite fails where it is drawn, held back or not.
  Found& f = found_[static_cast<std::size_t>(std::clamp(slot_, 0, kSlots - 1))];
  if (f.n != n || f.w != w || f.h != h) {
    f = Found{};  // a failing find leaves nothing half-remembered
    f.sprite = sprites_.find(n, w, h);
    f.n = n, f.w = w, f.h = h;
  }
  compositor.drawSprite(target, slot_, f.sprite, roundI32(x), roundI32(y), w, h);
}

std::size_t frmMain::bytesHeld() const {
  return compositor.bytes() + imgBG.bytes() + tile_.bytes() + sprites_.bytes() +
         StripPicture.pixels.capacity() * 4 + sizeof *this;
}

}  // namespace ps
