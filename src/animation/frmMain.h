// The animation window of the running mode: the meadow, its surfaces, its timer and the input
// that ends the screensaver.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "animation/compositor.h"
#include "animation/sprites.h"
#include "host/allgemein.h"
#include "platform/forms.h"
#include "platform/packedpicture.h"
#include "platform/surface.h"

namespace ps {

class Guard;

// One flower slot.
struct Flower {
  float X = 0;
  float Y = 0;
  float Size = 0;
  i16 Pic = 0;
  i16 State = 0;  // -1: a started flower; anything else: waiting
  i16 Planted = 0;
};

// What a meadow draws from besides its window: its random sequence, its highest flower slot and
// its background. The primary monitor's meadow draws from the process's own (the background is
// the settings' field, which a random pick sets); another monitor's from a share of its own.
struct MeadowState {
  Random& random;
  i16& LastFlower;
  i16& Background;
};

class frmMain : public Form {
 public:
  static constexpr int kSlots = 501;

  frmMain();  // the primary monitor's meadow
  explicit frmMain(MeadowState state);

  void Form_Load() override;
  // The layout pass: sizes the surfaces, paints the background, lays the ground and the flowers
  // out afresh and starts the timer.
  void Form_Resize() override;
  void Form_Paint() override;
  void Form_MouseMove(float x, float y) override;
  void Form_MouseDown() override;
  void Form_Click() override;
  void Form_DblClick() override;
  void Form_KeyDown() override;
  void Form_KeyPress() override;
  void Form_Unload(i16& cancel) override;
  void Form_Terminate() override;
  void timerExpired() override;
  const Surface* windowSurface() const override { return &compositor.window(); }

  // One frame: compose off screen, show it in one copy, restart the meadow when it is time.
  void tmrAnimation_Timer();
  // While asleep the timer stands still, whatever a layout pass sets; awake, it runs as the
  // timer control says, so the meadow goes on where it stood (and the restart clock, which
  // ran on meanwhile, restarts it at the next tick if its period is over).
  void sleep(bool asleep);

  // The flower animation.
  void DrawFlowerCount();  // LastFlower from maxFl and maxFlHalf
  void SeedFlowers();
  void AnimateFlowers();

  // The background.
  void CaptureDesktop(Guard& layout);  // steps of the layout pass
  void Hintergrund();
  void GroundTufts();  // a step of the layout pass

  // Controls.
  Control tmrAnimation;
  Control lblURL;  // invisible; sized to the address in the window font, placed bottom right

  // Fields.
  float LastX = 0, LastY = 0;  // the last accepted mouse position
  std::array<Flower, kSlots> Flowers{};
  i16 GroundY = 0, GroundLimitY = 0;
  float PlantCount = 0;
  i32 FrameTick = 0, RestartTick = 0;
  bool DesktopCaptured = false;
  bool covered = false;  // the backend found the window wholly covered
  Image StripPicture;
  i16 TileWidth = 0;

  // Surfaces, all of the client size: background with everything planted, back buffer, the
  // desktop image, and the window's own persistent image (what the screen shows).
  Surface& picBG() { return compositor.background(); }
  Surface& picBuffer() { return compositor.buffer(); }
  PackedPicture imgBG;
  const Surface& window() const { return compositor.window(); }

  // The text cursor of the back buffer.
  float CurrentX = 0, CurrentY = 0;

  // Composes the frames on the surfaces (its `literal` chooses the way).
  Compositor compositor{kSlots};

  // Bytes held by the surfaces and sprites.
  std::size_t bytesHeld() const;

 private:
  // Every random choice of this meadow, from its own sequence.
  i16 Zz(i16 lo, i16 hi) { return Allgemein::Zz(meadow_.random, lo, hi); }
  void setAnimationTimer(bool on);
  // The three cases of the flower step.
  void waiting(Flower& f);
  void planted(Flower& f);
  void growing(Flower& f);
  // Draws sprite n at a position in single precision, scaled to w × h.
  void drawSprite(Surface& target, int n, float x, float y, int w, int h);
  // One grass tuft on picBG: the sprite number is drawn first, then x, then y.
  template <class X, class Y>
  void grass(X x, Y y);
  // Prints on the back buffer at the text cursor in the window font, white; the cursor moves
  // after the text, or to the next line.
  void print(std::string_view text, bool endLine);

  MeadowState meadow_;
  bool asleep_ = false;
  SpriteBank sprites_;
  Surface tile_;  // one strip tile, scaled once per painting

  int slot_ = 0;  // the slot whose step is drawing
  // The sprite each slot found last: a growing flower draws the same picture at the same size
  // for many ticks in a row, and finding it again would reach into the bank's tables each time.
  struct Found {
    int n = 0, w = -1, h = -1;
    SpriteBank::Sprite sprite;
  };
  std::array<Found, kSlots> found_{};
  std::string text_;  // the text being printed, kept to spare allocations
};

template <class X, class Y>
void frmMain::grass(X x, Y y) {
  int n = Zz(181, 200);
  float gx = x();
  float gy = y();
  drawSprite(picBG(), n, gx, gy, 32, 32);
}

}  // namespace ps
