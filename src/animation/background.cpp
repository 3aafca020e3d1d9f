// The background under the meadow: black, the blue or green strips, or the desktop as it was,
// and the band of grass along the bottom.
#include <algorithm>

#include "animation/frmMain.h"
#include "errors/guard.h"
#include "host/process.h"
#include "platform/pictures.h"

namespace ps {

void frmMain::CaptureDesktop(Guard& layout) {
  Platform& os = platform();
  layout([this, &os] {
    SizeF c = os.clientSize(*this);
    // Without a display to copy from, picBG keeps what it holds and that becomes the desktop
    // image; nothing is reported.
    const Rect& at = monitorArea();
    (void)os.captureDesktop(picBG(), at.left, at.top, roundI32(c.width), roundI32(c.height));
    picBG().markDirty(picBG().bounds());
  });
  // Read again only when a scene is built with the desktop: kept packed.
  layout([this] { imgBG.pack(picBG()); });
  layout([this] { DesktopCaptured = true; });
}

namespace {
// The strip's width in hundredths of a millimetre (through the screen's resolution), divided
// by the twips per pixel rounded to a whole number: 88 for the 50-pixel strips at the usual
// resolutions, and at 192 dots per inch (7.5 taken as 8) too.
i16 tileWidthOf(const Image& strip, float twipsPerPixel) {
  const i32 whole = std::max(1, roundI32(twipsPerPixel));
  i32 himetric = roundI32(static_cast<double>(strip.width) * 2540.0 * whole / 1440.0);
  return toI16(div32(himetric, whole));
}
}  // namespace

void frmMain::Hintergrund() {
  Platform& os = platform();
  Guard g("frmMain", "Hintergrund");
  i16 which = -1;
  g([&] { which = meadow_.Background; });
  switch (which) {
    case 0:
      g([this] { picBG().fill(0); });
      break;
    case 1:
    case 2: {
      float h = 0;
      i16 i = 0;
      bool scaled = false;
      g([&] { StripPicture = loadPicture(os, ResourceKind::Bitmap, add16(100, which)); });
      g([&] { TileWidth = tileWidthOf(StripPicture, os.twipsPerPixel()); });
      g([&] { h = os.clientSize(*this).height; });
      g([&] { i = 0; });
      for (;;) {
        g([&] {
          i32 left = mul16(i, TileWidth);
          // Every tile is the same picture at the same size: scale it once, copy it on.
          if (!scaled) tile_.scaleSmooth(StripPicture, TileWidth, roundI32(h), 2);
          scaled = true;
          picBG().copyFrom(tile_, left, 0, 0, 0, tile_.width(), tile_.height());
        });
        g([&] { i = add16(i, 1); });
        bool done = true;
        // A tile without width could never reach the edge.
        g([&] { done = mul16(i, TileWidth) > picBG().width() || TileWidth <= 0; });
        if (done) break;
      }
      break;
    }
    case 3:
      g([this] {
        picBG().fill(0);
        imgBG.unpackInto(picBG());
      });
      break;
    default:
      break;  // nothing to paint
  }
}

void frmMain::GroundTufts() {
  const SizeF c = platform().clientSize(*this);
  for (int k = 0; k <= 400; ++k) {
    grass([&] { return static_cast<float>(Zz(0, roundI16(c.width))); },
          [&] { return static_cast<float>(Zz(GroundY, roundI16(c.height - 10.0f))); });
  }
}

}  // namespace ps
