#include "platform/qt/shm_present.h"

#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/surface.h"

namespace ps::qt {

namespace {

// A reply freed with free(), as xcb hands them out.
template <class T>
struct Reply {
  T* p;
  explicit Reply(T* r) : p(r) {}
  ~Reply() { std::free(p); }
  T* operator->() const { return p; }
  explicit operator bool() const { return p != nullptr; }
};

// Whether pixels of this window are 32-bit words 0x00RRGGBB in the machine's order.
bool takesOurPixels(xcb_connection_t* c, XWindow window, std::uint8_t& depth) {
  Reply geometry(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
  Reply attributes(
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
  if (!geometry || !attributes) return false;
  depth = geometry->depth;
  if (depth != 24 && depth != 32) return false;
  const xcb_setup_t* setup = xcb_get_setup(c);
  const std::uint16_t probe = 1;
  const bool littleEndian = *reinterpret_cast<const std::uint8_t*>(&probe) == 1;
  if ((setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) != littleEndian) return false;
  bool wordPerPixel = false;
  for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem > 0; xcb_format_next(&f)) {
    if (f.data->depth == depth) wordPerPixel = f.data->bits_per_pixel == 32;
  }
  if (!wordPerPixel) return false;
  for (auto s = xcb_setup_roots_iterator(setup); s.rem > 0; xcb_screen_next(&s)) {
    for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem > 0; xcb_depth_next(&d)) {
      for (auto v = xcb_depth_visuals_iterator(d.data); v.rem > 0; xcb_visualtype_next(&v)) {
        if (v.data->visual_id != attributes->visual) continue;
        return v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR && v.data->red_mask == 0xFF0000 &&
               v.data->green_mask == 0x00FF00 && v.data->blue_mask == 0x0000FF;
      }
    }
  }
  return false;
}

}  // namespace

std::unique_ptr<ShmPresenter> ShmPresenter::open(XWindow window) {
  if (window == 0) return nullptr;
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (c == nullptr || xcb_connection_has_error(c)) {
    if (c != nullptr) xcb_disconnect(c);
    return nullptr;
  }
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_shm_id);
  Reply version(xcb_shm_query_version_reply(c, xcb_shm_query_version(c), nullptr));
  std::uint8_t depth = 0;
  if (ext == nullptr || !ext->present || !version || !takesOurPixels(c, window, depth)) {
    xcb_disconnect(c);
    return nullptr;
  }
  auto p = std::unique_ptr<ShmPresenter>(
      new ShmPresenter(c, window, depth, ext->first_event + XCB_SHM_COMPLETION));
  p->gc_ = xcb_generate_id(c);
  const std::uint32_t noExposures = 0;
  xcb_generic_error_t* e = xcb_request_check(
      c, xcb_create_gc_checked(c, p->gc_, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures));
  if (e != nullptr) {
    std::free(e);
    p->gc_ = 0;
    return nullptr;
  }
  return p;
}

ShmPresenter::ShmPresenter(xcb_connection_t* c, XWindow window, std::uint8_t depth,
                           std::uint8_t completion)
    : c_(c), window_(window), depth_(depth), completion_(completion) {}

ShmPresenter::~ShmPresenter() {
  release();
  if (gc_ != 0) xcb_free_gc(c_, gc_);
  xcb_disconnect(c_);
}

void ShmPresenter::release() {
  if (segment_ != 0) {
    awaitCompletion();
    xcb_shm_detach(c_, segment_);
    xcb_flush(c_);
    segment_ = 0;
  }
  if (memory_ != nullptr) shmdt(memory_);
  if (shmId_ >= 0) shmctl(shmId_, IPC_RMID, nullptr);
  memory_ = nullptr;
  shmId_ = -1;
  w_ = h_ = 0;
}

bool ShmPresenter::resize(int w, int h) {
  release();
  if (w <= 0 || h <= 0) return true;
  if (w > 0xFFFF || h > 0xFFFF) return false;  // beyond what a request can address
  const std::size_t bytes = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4;
  shmId_ = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (shmId_ < 0) return false;
  void* m = shmat(shmId_, nullptr, 0);
  if (m == reinterpret_cast<void*>(-1)) {
    shmctl(shmId_, IPC_RMID, nullptr);
    shmId_ = -1;
    return false;
  }
  memory_ = static_cast<std::uint32_t*>(m);
  segment_ = xcb_generate_id(c_);
  xcb_generic_error_t* e = xcb_request_check(
      c_, xcb_shm_attach_checked(c_, segment_, static_cast<std::uint32_t>(shmId_), 0));
  // Attached (or refused): the segment goes when the last of us lets go of it.
  shmctl(shmId_, IPC_RMID, nullptr);
  shmId_ = -1;
  if (e != nullptr) {
    std::free(e);
    segment_ = 0;
    release();
    return false;
  }
  w_ = w;
  h_ = h;
  return true;
}

bool ShmPresenter::awaitCompletion() {
  // The server reads the memory when it carries out the put, normally long before the next
  // frame; a server that does not answer within a second is not waited for any longer.
  const int fd = xcb_get_file_descriptor(c_);
  for (int waited = 0; pending_;) {
    while (xcb_generic_event_t* ev = xcb_poll_for_event(c_)) {
      const std::uint8_t type = ev->response_type & 0x7F;
      std::free(ev);
      if (type == completion_) pending_ = false;
      if (type == 0) {
        // An error: the put failed (the window went away), no completion follows.
        pending_ = false;
        return false;
      }
    }
    if (!pending_) break;
    if (xcb_connection_has_error(c_) || waited >= 1000) {
      pending_ = false;
      return false;
    }
    pollfd p{fd, POLLIN, 0};
    ::poll(&p, 1, 50);
    waited += 50;
  }
  return !xcb_connection_has_error(c_);
}

bool ShmPresenter::present(const Surface& surface, std::span<const Rect> rects) {
  if (!awaitCompletion()) return false;
  if ((surface.width() != w_ || surface.height() != h_) &&
      !resize(surface.width(), surface.height())) {
    return false;
  }
  if (memory_ == nullptr) return true;
  const Rect whole = surface.bounds();
  std::size_t last = rects.size();
  for (std::size_t i = rects.size(); i > 0; --i) {
    if (!intersect(rects[i - 1], whole).empty()) {
      last = i - 1;
      break;
    }
  }
  if (last == rects.size()) return true;
  for (std::size_t i = 0; i <= last; ++i) {
    const Rect r = intersect(rects[i], whole);
    if (r.empty()) continue;
    for (int y = r.top; y < r.bottom; ++y) {
      std::memcpy(memory_ + static_cast<std::size_t>(y) * static_cast<std::size_t>(w_) + r.left,
                  surface.row(y) + r.left, static_cast<std::size_t>(r.width()) * 4);
    }
    xcb_shm_put_image(c_, window_, gc_, static_cast<std::uint16_t>(w_),
                      static_cast<std::uint16_t>(h_), static_cast<std::uint16_t>(r.left),
                      static_cast<std::uint16_t>(r.top), static_cast<std::uint16_t>(r.width()),
                      static_cast<std::uint16_t>(r.height()), static_cast<std::int16_t>(r.left),
                      static_cast<std::int16_t>(r.top), depth_, XCB_IMAGE_FORMAT_Z_PIXMAP,
                      i == last ? 1 : 0, segment_, 0);
  }
  pending_ = true;
  xcb_flush(c_);
  return !xcb_connection_has_error(c_);
}

}  // namespace ps::qt
