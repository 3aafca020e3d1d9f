// Frames straight into an X window through shared memory (MIT-SHM), past Qt's backing store.
// The meadow changes a few thousand pixels fifty times a second; a repaint through the widget
// machinery (update, paint event, backing store, flush) costs more than moving those pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "platform/platform.h"
#include "platform/qt/x11.h"

struct xcb_connection_t;

namespace ps {
class Surface;
}

namespace ps::qt {

class ShmPresenter {
 public:
  // Null when the display cannot take our pixels this way: no MIT-SHM (a remote display), a
  // window that is not 24-bit true colour laid out as 0x00RRGGBB, or shared memory refused.
  static std::unique_ptr<ShmPresenter> open(XWindow window);
  ~ShmPresenter();
  ShmPresenter(const ShmPresenter&) = delete;
  ShmPresenter& operator=(const ShmPresenter&) = delete;

  // Copies these rectangles of the surface onto the window at the same places. False when the
  // display refused (the window is gone, the connection broke): use another way from then on.
  bool present(const Surface& surface, std::span<const Rect> rects);

 private:
  ShmPresenter(xcb_connection_t* c, XWindow window, std::uint8_t depth, std::uint8_t completion);
  bool resize(int w, int h);
  void release();
  // Waits (a bounded time) until the server has read the shared memory of the last frame.
  bool awaitCompletion();

  xcb_connection_t* c_;
  XWindow window_;
  std::uint8_t depth_;
  std::uint8_t completion_;  // the event code of a finished put
  std::uint32_t gc_ = 0;
  std::uint32_t segment_ = 0;
  int shmId_ = -1;
  std::uint32_t* memory_ = nullptr;
  int w_ = 0, h_ = 0;
  bool pending_ = false;  // a put's completion is awaited
};

}  // namespace ps::qt
