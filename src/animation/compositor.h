// The meadow's frames: the background surface, the back buffer and the window surface, and the
// engine that composes each frame by redrawing only what differs from the last one.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "animation/sprites.h"
#include "platform/platform.h"
#include "platform/surface.h"

namespace ps {

// The sprites drawn over a background in one frame, kept so that the next frame need redraw only
// where its sprites differ from the last frame's. Every draw has a key (the slot that drew it);
// draws come in ascending key order, each lying over those before it. Adding never allocates
// below the capacity.
class SpriteLayer {
 public:
  explicit SpriteLayer(std::size_t capacity = 512);

  // A new frame, with no draws yet.
  void begin();
  void add(int key, const SpriteBank::Sprite& s, int x, int y, int w, int h);
  // Adds the rectangles where this frame's draws and the last frame's differ: the places of a
  // draw that came, went, or changed its picture, place or size. Outside them both frames put
  // the same pixels over the same background.
  void changes(DirtyRegion& out) const;
  // This frame's draws onto target, touching only the pixels inside the rectangles given.
  void draw(Surface& target, std::span<const Rect> within) const;
  // The same for the last frame's draws: they again, where the target was restored.
  void redraw(Surface& target, std::span<const Rect> within) const;
  // This frame's draws become the last frame's.
  void commit();
  // Nothing is known of the last frame any more (its target was painted over).
  void forget();

 private:
  struct Draw {
    int key;
    SpriteBank::Sprite sprite;
    int x, y, w, h;
    Rect area;  // every pixel the draw may touch
    bool operator==(const Draw&) const = default;
  };
  static void drawAll(const std::vector<Draw>& draws, Surface& target,
                      std::span<const Rect> within);

  std::vector<Draw> last_, now_;
  bool lastOrdered_ = true, nowOrdered_ = true;
  bool lastKnown_ = false;
};

// A frame is composed in the back buffer and shown on the window surface. The literal way
// copies the whole background into the back buffer before the flower step draws, and the whole
// back buffer onto the window; the ordinary way gives the same window surface by redrawing only
// what changed:
// - the flower step's draws are held back while it runs: the growing flowers' (on the back
//   buffer) in a sprite layer, the planted ones' (into the background) until the frame is
//   shown, as the back buffer must be restored from the background as the frame began;
// - the back buffer differs from the frame to be composed only where the background changed
//   since it was last copied and where the growing flowers differ from the last frame's; those
//   rectangles are restored from the background and the flowers redrawn inside them;
// - a text stays on the back buffer while each frame prints it alike at the same place; where
//   the pixels under it are restored it is printed again over that part alone (text blends with
//   what is under it, so the part is restored whole first, and so are the parts of the texts
//   it overlaps); a text that changes comes off whole and is printed afresh, and so do the
//   texts printed after it;
// - the window differs from the back buffer only where the back buffer changed since the last
//   copy onto the window.
//
// A frame: beginFrame, the flower step's draws (held while holdDraws is on), composeFrame, the
// prints, showFrame. A frame left early (a failing step) leaves nothing stale: its plantings
// reach the background with the next frame, and the next frame is composed as if it had not
// begun.
class Compositor {
 public:
  // Room for the draws of `slots` flower slots a frame, each planting up to ten sprites.
  explicit Compositor(std::size_t slots);
  Compositor(const Compositor&) = delete;
  Compositor& operator=(const Compositor&) = delete;

  // Compose every frame with two whole-frame copies instead of copying only what changed.
  void setLiteral(bool on);
  bool literal() const { return literal_; }

  // The background with everything planted (picBG), the back buffer (picBuffer) and the window
  // surface, the one that is shown. After a frame is shown the back buffer equals the window
  // surface, so the ordinary way composes on the window surface itself: it is the back buffer.
  // Only the literal way keeps a back buffer of its own.
  Surface& background() { return background_; }
  const Surface& background() const { return background_; }
  Surface& buffer() { return literal_ ? buffer_ : window_; }
  const Surface& buffer() const { return literal_ ? buffer_ : window_; }
  Surface& window() { return window_; }
  const Surface& window() const { return window_; }

  // A scene build begins: whatever it draws goes straight onto the surfaces, and the next frame
  // is composed and shown whole.
  void newScene();
  // The back buffer takes the window surface's size and pixels.
  void bufferFromWindow();

  // While on, sprite draws onto the background or the back buffer are held back (see above);
  // `key` orders the draws of one frame.
  void holdDraws(bool on) { hold_ = on && !literal_; }
  void drawSprite(Surface& target, int key, const SpriteBank::Sprite& s, int x, int y, int w,
                  int h);

  void beginFrame();
  void composeFrame();
  // Texts are drawn by `os` in this font and colour.
  void setTextStyle(Drawing& os, const Font& font, u32 rgb);
  // Prints a text on the back buffer with its top-left corner at (x, y); gives its measured
  // width and height.
  struct Extent {
    int width = 0, height = 0;
  };
  Extent print(std::string_view text, int x, int y);
  // The back buffer onto the window surface.
  void showFrame();
  // The rectangles of the window surface that the last showFrame changed.
  std::span<const Rect> shown() const { return shown_.rects(); }

  std::size_t bytes() const;

 private:
  struct PrintedText {
    std::string text;
    int x = 0, y = 0, width = 0, height = 0;
    Rect area;  // every pixel the text may touch
    bool onBuffer = false;
    Rect again;  // the part to print again, once the region under way is restored
  };
  void plantHeldDraws();
  // Notes the part of each text on the back buffer that the region touches, and adds that part
  // to the region, so that it is restored whole before the text is printed there again.
  void touchTexts(DirtyRegion& region);
  // Prints the noted part of each text before `end` again, in the order printed.
  void printAgain(std::size_t end);
  // Takes the texts from `printed` on off the back buffer: the region, their places, is
  // restored with the growing flowers over it, and the texts before them printed there again.
  void clearTexts(DirtyRegion& region, std::size_t printed);
  // Restores the region of the back buffer from the background, marking it for the window.
  void restore(const DirtyRegion& region);
  void drawText(std::string_view text, int x, int y, const Rect& clip);

  bool literal_ = false;
  Surface background_, buffer_, window_;  // buffer_: the literal way's back buffer
  // What changed on the background since it was last copied into the back buffer, what of the
  // back buffer is to be restored, and what changed in the back buffer since it was last copied
  // onto the window.
  DirtyRegion bgChanged_, restore_, toWindow_;
  // The flower step's draws, held back while it runs: the growing flowers on the back buffer,
  // and what is planted into the background.
  SpriteLayer growing_, planted_;
  bool hold_ = false;
  // The texts on the back buffer in the order printed, each left there while the next frame
  // prints the same text at the same place over the same pixels.
  std::vector<PrintedText> texts_;
  Drawing* os_ = nullptr;
  Font font_;
  u32 textColour_ = 0;
  std::size_t printedNow_ = 0;  // texts printed in this frame so far
  bool wholeFrame_ = true;      // the next frame copies everything (after a layout pass)
  bool windowWhole_ = false;    // the next copy onto the window is of the whole surface
  DirtyRegion shown_;           // what the last copy onto the window changed, for presenting
};

}  // namespace ps
