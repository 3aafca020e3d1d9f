// Frames straight into an X window through shared memory (MIT-SHM), past Qt's backing store.
// The meadow changes a few thousand pixels fifty times a second; a repaint through the widget
// machinery (update, paint event, backing store, flush) costs more than moving those pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "backends/qt/x11.h"
#include "platform/blockscale.h"
#include "platform/platform.h"
#include "platform/surface.h"

struct xcb_connection_t;

namespace ps::qt {

// Also the memory for the window's surface: a surface kept there is shown straight from its
// own pixels, without a copy into the shared memory first or waiting for the server to have read
// it. The server may then read a rectangle after the next frame has begun to change it; the
// next frame puts every pixel it changes again, so the window ends up right all the same.
class ShmPresenter : public PixelMemory {
 public:
  // Null when the display cannot take our pixels this way: no MIT-SHM (a remote display), a
  // window that is not 24-bit true colour laid out as 0x00RRGGBB, or shared memory refused.
  static std::shared_ptr<ShmPresenter> open(XWindow window);
  ~ShmPresenter() override;
  ShmPresenter(const ShmPresenter&) = delete;
  ShmPresenter& operator=(const ShmPresenter&) = delete;

  // Shows these rectangles of the surface on the window at the same places, each pixel as a
  // block of `scale` × `scale` device pixels (the window's device pixel ratio; nearest
  // neighbour, so pixel art stays crisp). False when the display refused (the window is gone,
  // the connection broke): use another way from then on.
  bool present(const Surface& surface, std::span<const Rect> rects, double scale = 1);

  // Shared memory the server has attached as well; null when it cannot be had.
  std::uint32_t* allocate(std::size_t n) override;
  void free(std::uint32_t* p) override;

 private:
  struct Segment {
    std::uint32_t* memory = nullptr;
    std::uint32_t id = 0;  // the server's name for it
    std::size_t n = 0;
  };

  ShmPresenter(xcb_connection_t* c, XWindow window, std::uint8_t depth, std::uint8_t completion);
  bool attach(std::size_t n, Segment& out);
  void detach(Segment& s);
  bool resize(int w, int h);
  void release();
  // Waits (a bounded time) until the server has read the shared memory of the last frame.
  bool awaitCompletion();
  // Reads what the server sent; false when it reported an error (the window is gone).
  bool drainEvents();
  void put(const Segment& from, int w, int h, const Rect& r, bool notify);
  // The rectangles scaled into the copy and put from there.
  bool presentScaled(const Surface& surface, std::span<const Rect> rects, double scale);

  xcb_connection_t* c_;
  XWindow window_;
  std::uint8_t depth_;
  std::uint8_t completion_;  // the event code of a finished put
  std::uint32_t gc_ = 0;
  Segment copy_;  // for surfaces not in our memory
  int w_ = 0, h_ = 0;
  // Which pixel of the surface each device pixel of the copy shows at the present scale.
  BlockScale blocks_;
  double scale_ = 1;
  bool pending_ = false;  // a put's completion is awaited
  std::vector<Segment> given_;
  unsigned presents_ = 0;
};

}  // namespace ps::qt
