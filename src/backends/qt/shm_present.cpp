#include "backends/qt/shm_present.h"

#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
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

std::shared_ptr<ShmPresenter> ShmPresenter::open(XWindow window) {
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
  auto p = std::shared_ptr<ShmPresenter>(
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
  // Surfaces hold on to us while they keep pixels here, so none should be left; a segment
  // that is goes with the connection all the same.
  for (Segment& s : given_) detach(s);
  if (gc_ != 0) xcb_free_gc(c_, gc_);
  xcb_disconnect(c_);
}

bool ShmPresenter::attach(std::size_t n, Segment& out) {
  if (n == 0 || n > SIZE_MAX / 4) return false;
  const int id = shmget(IPC_PRIVATE, n * 4, IPC_CREAT | 0600);
  if (id < 0) return false;
  void* m = shmat(id, nullptr, 0);
  if (m == reinterpret_cast<void*>(-1)) {
    shmctl(id, IPC_RMID, nullptr);
    return false;
  }
  const std::uint32_t segment = xcb_generate_id(c_);
  xcb_generic_error_t* e =
      xcb_request_check(c_, xcb_shm_attach_checked(c_, segment, static_cast<std::uint32_t>(id), 0));
  // Attached (or refused): the segment goes when the last of us lets go of it.
  shmctl(id, IPC_RMID, nullptr);
  if (e != nullptr || xcb_connection_has_error(c_)) {
    std::free(e);
    shmdt(m);
    return false;
  }
  out = Segment{static_cast<std::uint32_t*>(m), segment, n};
  return true;
}

void ShmPresenter::detach(Segment& s) {
  if (s.memory == nullptr) return;
  // The server carries out requests in order: puts already sent read the segment first.
  xcb_shm_detach(c_, s.id);
  xcb_flush(c_);
  shmdt(s.memory);
  s = Segment{};
}

std::uint32_t* ShmPresenter::allocate(std::size_t n) {
  Segment s;
  if (!attach(n, s)) return nullptr;
  given_.push_back(s);
  return s.memory;
}

void ShmPresenter::free(std::uint32_t* p) {
  for (auto it = given_.begin(); it != given_.end(); ++it) {
    if (it->memory != p) continue;
    detach(*it);
    given_.erase(it);
    return;
  }
}

void ShmPresenter::release() {
  if (copy_.memory != nullptr) {
    awaitCompletion();
    detach(copy_);
  }
  w_ = h_ = 0;
}

bool ShmPresenter::resize(int w, int h) {
  release();
  if (w <= 0 || h <= 0) return true;
  if (!attach(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), copy_)) return false;
  w_ = w;
  h_ = h;
  return true;
}

bool ShmPresenter::drainEvents() {
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
  return !xcb_connection_has_error(c_);
}

bool ShmPresenter::awaitCompletion() {
  // The server reads the memory when it carries out the put, normally long before the next
  // frame; a server that does not answer within a second is not waited for any longer.
  const int fd = xcb_get_file_descriptor(c_);
  for (int waited = 0; pending_;) {
    if (!drainEvents()) return false;
    if (!pending_) break;
    if (waited >= 1000) {
      pending_ = false;
      return false;
    }
    pollfd p{fd, POLLIN, 0};
    ::poll(&p, 1, 50);
    waited += 50;
  }
  return !xcb_connection_has_error(c_);
}

void ShmPresenter::put(const Segment& from, int w, int h, const Rect& r, bool notify) {
  xcb_shm_put_image(c_, window_, gc_, static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h),
                    static_cast<std::uint16_t>(r.left), static_cast<std::uint16_t>(r.top),
                    static_cast<std::uint16_t>(r.width()), static_cast<std::uint16_t>(r.height()),
                    static_cast<std::int16_t>(r.left), static_cast<std::int16_t>(r.top), depth_,
                    XCB_IMAGE_FORMAT_Z_PIXMAP, notify ? 1 : 0, from.id, 0);
}

bool ShmPresenter::present(const Surface& surface, std::span<const Rect> rects, double scale) {
  const int w = surface.width(), h = surface.height();
  if (w > 0xFFFF || h > 0xFFFF) return false;  // beyond what a request can address
  if (!(scale > 0)) scale = 1;
  if (scale != 1) return presentScaled(surface, rects, scale);
  const Rect whole = surface.bounds();
  // After frames at another scale every pixel of the window shows that scale: put them all.
  if (scale_ != 1) rects = std::span<const Rect>(&whole, 1);
  const Segment* own = nullptr;
  if (surface.pixelMemory() == this) {
    for (const Segment& s : given_) {
      if (s.memory == surface.data() && s.n == static_cast<std::size_t>(w) * h) own = &s;
    }
  }
  if (own != nullptr) {
    // Nothing to wait for; a failed put shows as an error among the events, looked for now
    // and then rather than a read from the server every frame.
    if ((++presents_ & 15) == 0 && !drainEvents()) return false;
    scale_ = 1;
    for (const Rect& rect : rects) {
      const Rect r = intersect(rect, whole);
      if (!r.empty()) put(*own, w, h, r, false);
    }
    xcb_flush(c_);
    return !xcb_connection_has_error(c_);
  }
  if (!awaitCompletion()) return false;
  if ((w != w_ || h != h_ || scale_ != 1) && !resize(w, h)) return false;
  scale_ = 1;
  if (copy_.memory == nullptr) return true;
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
      std::memcpy(
          copy_.memory + static_cast<std::size_t>(y) * static_cast<std::size_t>(w_) + r.left,
          surface.row(y) + r.left, static_cast<std::size_t>(r.width()) * 4);
    }
    put(copy_, w_, h_, r, i == last);
  }
  pending_ = true;
  xcb_flush(c_);
  return !xcb_connection_has_error(c_);
}

bool ShmPresenter::presentScaled(const Surface& surface, std::span<const Rect> rects,
                                 double scale) {
  const int w = surface.width(), h = surface.height();
  const int dw = static_cast<int>(std::ceil(w * scale)),
            dh = static_cast<int>(std::ceil(h * scale));
  if (dw > 0xFFFF || dh > 0xFFFF) return false;
  if (!awaitCompletion()) return false;
  const Rect whole = surface.bounds();
  const bool newTables = blocks_.resize(w, h, dw, dh, scale);
  if (newTables || dw != w_ || dh != h_ || scale != scale_) {
    if (!resize(dw, dh)) return false;
    // A new scale (the window's ratio became known or changed): the window shows every pixel
    // at the old one, so all of them are put again.
    rects = std::span<const Rect>(&whole, 1);
    scale_ = scale;
  }
  if (copy_.memory == nullptr) return true;
  // Each rectangle is put once filled; the last one asks for notice of completion.
  Rect filled;
  for (const Rect& rect : rects) {
    // Every device pixel that shows a part of the rectangle.
    const Rect d = blocks_.deviceRect(rect);
    if (d.empty()) continue;
    if (!filled.empty()) put(copy_, dw, dh, filled, false);
    filled = d;
    blocks_.fill(surface, filled, copy_.memory, static_cast<std::size_t>(dw));
  }
  if (filled.empty()) return true;
  put(copy_, dw, dh, filled, true);
  pending_ = true;
  xcb_flush(c_);
  return !xcb_connection_has_error(c_);
}

}  // namespace ps::qt
