// The animation window of the running mode: the meadow, its surfaces, its timer and the input
// that ends the screensaver.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "animation/sprites.h"
#include "host/allgemein.h"
#include "platform/forms.h"
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

class frmMain : public Form {
 public:
  static constexpr int kSlots = 501;

  frmMain();

  void Form_Load() override;
  // The layout pass: sizes the surfaces, paints the background, lays the ground and the flowers
  // out afresh and starts the timer.
  void Form_Resize() override;
  void Form_Paint() override;
  void Form_MouseMove(i16 button, i16 shift, float x, float y) override;
  void Form_MouseDown(i16 button, i16 shift, float x, float y) override;
  void Form_Click() override;
  void Form_DblClick() override;
  void Form_KeyDown(i16 keyCode, i16 shift) override;
  void Form_KeyPress(i16 keyAscii) override;
  void Form_Unload(i16& cancel) override;
  void Form_Terminate() override;
  void timerExpired() override;
  const Surface* windowSurface() const override { return &window_; }

  // One frame: compose off screen, show it in one copy, restart the meadow when it is time.
  void tmrAnimation_Timer();

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
  Image StripPicture;
  i16 TileWidth = 0;

  // Surfaces, all of the client size: background with everything planted, back buffer, the
  // desktop image, and the window's own persistent image (what the screen shows).
  Surface picBG, picBuffer, imgBG;
  const Surface& window() const { return window_; }

  // The text cursor of the back buffer.
  float CurrentX = 0, CurrentY = 0;

  // Compose every frame with two whole-frame copies instead of copying only what changed.
  // Both give the same window surface; the literal way is kept for comparison.
  bool literalFrames = false;

  // Bytes held by the surfaces and sprites.
  std::size_t bytesHeld() const;

 private:
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
  void beginFrame();
  void composeFrame();
  void plantHeldDraws();
  void showFrame();
  // Takes every text on the back buffer that touches the region off it, adding its place to
  // the region.
  void takeOffTexts(DirtyRegion& region);
  // Restores the region of the back buffer with the growing flowers over it, taking off what
  // text it touches; the texts this frame printed before `printed` are printed again.
  void clearTexts(DirtyRegion& region, std::size_t printed);
  void drawText(std::string_view text, int x, int y);

  Surface window_;
  SpriteBank sprites_;
  Surface tile_;  // one strip tile, scaled once per painting

  // The frame path's bookkeeping (see tick.cpp): what changed on picBG since it was last copied
  // into the back buffer, what of the back buffer is to be restored, and what changed in the
  // back buffer since it was last copied onto the window.
  DirtyRegion bgChanged_, restore_, toWindow_;
  // The flower step's draws, held back while it runs (see tick.cpp): the growing flowers on the
  // back buffer, and what is planted into picBG.
  SpriteLayer growingLayer_{kSlots + 1};
  SpriteLayer plantedLayer_{kSlots * 10};
  bool holdDraws_ = false;
  int slot_ = 0;  // the slot whose step is drawing
  // The texts on the back buffer in the order printed, each left there while the next frame
  // prints the same text at the same place over the same pixels.
  struct PrintedText {
    std::string text;
    int x = 0, y = 0, width = 0, height = 0;
    Rect area;  // every pixel the text may touch
    bool onBuffer = false;
    bool takenOff = false;  // by the clearing under way
  };
  std::vector<PrintedText> texts_;
  std::size_t printedNow_ = 0;  // texts printed in this frame so far
  bool wholeFrame_ = true;      // the next frame copies everything (after a layout pass)
  bool windowWhole_ = false;    // the next copy onto the window is of the whole surface
  DirtyRegion shown_;           // what the last copy onto the window changed, for presenting
  std::string text_;            // the text being printed, kept to spare allocations
};

template <class X, class Y>
void frmMain::grass(X x, Y y) {
  int n = Allgemein::Zz(181, 200);
  float gx = x();
  float gy = y();
  drawSprite(picBG, n, gx, gy, 32, 32);
}

}  // namespace ps
