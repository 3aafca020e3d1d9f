#include "backends/qt/x11.h"

#include <xcb/dpms.h>
#include <xcb/xcb.h>
#include <xcb/xinerama.h>

#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace ps::qt {

bool x11DisplayAvailable() {
  const char* d = std::getenv("DISPLAY");
  if (d == nullptr || *d == '\0') return false;
  return X11::instance() != nullptr;
}

X11* X11::instance() {
  static std::unique_ptr<X11> conn = []() -> std::unique_ptr<X11> {
    const char* d = std::getenv("DISPLAY");
    if (d == nullptr || *d == '\0') return nullptr;
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (c == nullptr || xcb_connection_has_error(c)) {
      if (c != nullptr) xcb_disconnect(c);
      return nullptr;
    }
    auto x = std::unique_ptr<X11>(new X11(c));
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i) xcb_screen_next(&it);
    if (it.rem > 0) x->root_ = it.data->root;
    return x;
  }();
  return conn.get();
}

X11::X11(xcb_connection_t* c) : c_(c) {}

X11::~X11() {
  xcb_disconnect(c_);
}

int X11::fd() const {
  return xcb_get_file_descriptor(c_);
}

std::optional<QSize> X11::size(XWindow w) {
  if (w == 0) return std::nullopt;
  xcb_generic_error_t* e = nullptr;
  xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c_, xcb_get_geometry(c_, w), &e);
  std::free(e);
  if (g == nullptr) return std::nullopt;
  QSize s(g->width, g->height);
  std::free(g);
  return s;
}

void X11::select(XWindow w, std::uint32_t mask) {
  // This connection watches each window for one thing only; other clients' selections (Qt's
  // among them) are not touched.
  xcb_generic_error_t* e =
      xcb_request_check(c_, xcb_change_window_attributes_checked(c_, w, XCB_CW_EVENT_MASK, &mask));
  std::free(e);  // a window that is gone is noticed by the poll
}

void X11::selectStructure(XWindow w) {
  select(w, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
}

void X11::selectVisibility(XWindow w) {
  select(w, XCB_EVENT_MASK_VISIBILITY_CHANGE);
}

std::optional<bool> X11::displayPowered() {
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c_, &xcb_dpms_id);
  if (ext == nullptr || !ext->present) return std::nullopt;
  xcb_dpms_info_reply_t* r = xcb_dpms_info_reply(c_, xcb_dpms_info(c_), nullptr);
  if (r == nullptr) return std::nullopt;
  const bool on = DisplayPower::powered(r->state != 0, r->power_level);
  std::free(r);
  return on;
}

bool DisplayPower::powered(bool enabled, std::uint16_t level) {
  return !enabled || level == XCB_DPMS_DPMS_MODE_ON;
}

std::optional<bool> DisplayPower::read(std::optional<bool> powered) {
  if (!powered) {
    // No DPMS (or no server any more): nothing to ask again, and nothing stays dark.
    none_ = true;
    powered = true;
  }
  if (*powered == !off_) return std::nullopt;
  off_ = !*powered;
  return powered;
}

void X11::drain(const std::function<void(const XNews&)>& onEvent) {
  while (xcb_generic_event_t* ev = xcb_poll_for_event(c_)) {
    switch (ev->response_type & ~0x80) {
      case XCB_DESTROY_NOTIFY: {
        auto* d = reinterpret_cast<xcb_destroy_notify_event_t*>(ev);
        onEvent(XNews{d->window, XNews::Destroyed, {}, false});
        break;
      }
      case XCB_CONFIGURE_NOTIFY: {
        auto* c = reinterpret_cast<xcb_configure_notify_event_t*>(ev);
        onEvent(XNews{c->window, XNews::Resized, QSize(c->width, c->height), false});
        break;
      }
      case XCB_VISIBILITY_NOTIFY: {
        auto* v = reinterpret_cast<xcb_visibility_notify_event_t*>(ev);
        onEvent(XNews{v->window, XNews::Visibility, {}, v->state == XCB_VISIBILITY_FULLY_OBSCURED});
        break;
      }
      default:
        break;
    }
    std::free(ev);
  }
}

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
  xcb_atom_t a = r != nullptr ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(r);
  return a;
}

std::string stringProperty(xcb_connection_t* c, XWindow w, xcb_atom_t property) {
  xcb_get_property_reply_t* r = xcb_get_property_reply(
      c, xcb_get_property(c, 0, w, property, XCB_ATOM_STRING, 0, 1024), nullptr);
  std::string text;
  if (r != nullptr && r->format == 8) {
    text.assign(static_cast<const char*>(xcb_get_property_value(r)),
                static_cast<size_t>(xcb_get_property_value_length(r)));
  }
  std::free(r);
  return text;
}

}  // namespace

std::optional<QImage> X11::desktopImage(XWindow window, const QString& loader) {
  if (loader.isEmpty() || window == 0) return std::nullopt;
  xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c_, xcb_get_geometry(c_, window), nullptr);
  if (g == nullptr) return std::nullopt;
  const int w = g->width, h = g->height, depth = g->depth;
  std::free(g);
  if (depth != 24 && depth != 32) return std::nullopt;  // pixels of 32 bits only

  // What the window says it shows may be an earlier hack's: only the loader's word of now.
  const xcb_atom_t source = atom(c_, "_SCREENSAVER_IMAGE_FILENAME");
  if (source == XCB_ATOM_NONE) return std::nullopt;
  xcb_delete_property(c_, window, source);
  const xcb_pixmap_t pixmap = xcb_generate_id(c_);
  xcb_create_pixmap(c_, static_cast<std::uint8_t>(depth), pixmap, window,
                    static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h));
  xcb_flush(c_);

  // Pictures from disk and the camera are no desktop: the loader is told to leave them out,
  // and decides about the desktop by the user's settings.
  QProcess run;
  run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  run.start(loader,
            {QStringLiteral("--no-images"), QStringLiteral("--no-video"),
             QStringLiteral("0x%1").arg(window, 0, 16), QStringLiteral("0x%1").arg(pixmap, 0, 16)});
  bool done = run.waitForFinished(10000);
  if (!done) run.kill(), run.waitForFinished(1000);

  std::optional<QImage> picture;
  if (done && run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0 &&
      stringProperty(c_, window, source) == "desktop") {
    xcb_get_image_reply_t* img = xcb_get_image_reply(
        c_,
        xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, 0, 0, static_cast<std::uint16_t>(w),
                      static_cast<std::uint16_t>(h), ~0u),
        nullptr);
    if (img != nullptr && xcb_get_image_data_length(img) == w * h * 4) {
      QImage q(w, h, QImage::Format_RGB32);
      const std::uint8_t* data = xcb_get_image_data(img);
      for (int y = 0; y < h; ++y) std::memcpy(q.scanLine(y), data + y * w * 4, size_t(w) * 4);
      picture = std::move(q);
    }
    std::free(img);
  }
  xcb_free_pixmap(c_, pixmap);
  xcb_flush(c_);
  return picture;
}

std::vector<QRect> X11::xineramaHeads() {
  std::vector<QRect> heads;
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c_, &xcb_xinerama_id);
  if (ext == nullptr || !ext->present) return heads;
  xcb_xinerama_is_active_reply_t* active =
      xcb_xinerama_is_active_reply(c_, xcb_xinerama_is_active(c_), nullptr);
  const bool on = active != nullptr && active->state != 0;
  std::free(active);
  if (!on) return heads;
  xcb_xinerama_query_screens_reply_t* r =
      xcb_xinerama_query_screens_reply(c_, xcb_xinerama_query_screens(c_), nullptr);
  if (r == nullptr) return heads;
  const xcb_xinerama_screen_info_t* info = xcb_xinerama_query_screens_screen_info(r);
  for (int i = 0; i < xcb_xinerama_query_screens_screen_info_length(r); ++i) {
    heads.emplace_back(info[i].x_org, info[i].y_org, info[i].width, info[i].height);
  }
  std::free(r);
  return heads;
}

namespace {
// A watch of one window over the shared connection; the listeners alive now, so that news
// reaches none that a callback ended.
struct Listener {
  XWindow window = 0;
  virtual void on(const XNews& news) = 0;
  virtual ~Listener() = default;

  static std::vector<Listener*>& all() {
    static std::vector<Listener*> v;
    return v;
  }
  static bool alive(Listener* l) {
    auto& v = all();
    return std::find(v.begin(), v.end(), l) != v.end();
  }
  void join() { all().push_back(this); }
  void leave() {
    auto& v = all();
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
};

// Every watch shares the one connection, so one notifier reads it for all of them.
void listen(X11& x) {
  static std::unique_ptr<QSocketNotifier> notifier;
  if (notifier) return;
  notifier = std::make_unique<QSocketNotifier>(x.fd(), QSocketNotifier::Read);
  QObject::connect(notifier.get(), &QSocketNotifier::activated, [] {
    X11::instance()->drain([](const XNews& news) {
      std::vector<Listener*> listeners = Listener::all();  // a callback may end one
      for (Listener* l : listeners) {
        if (Listener::alive(l) && l->window == news.window) l->on(news);
      }
    });
  });
}
}  // namespace

struct HostWatch::Impl : Listener {
  std::function<void()> gone;
  std::function<void(QSize)> resized;
  QSize last;
  bool ended = false;
  QTimer poll;

  void on(const XNews& news) override {
    if (news.kind != XNews::Visibility) on(news.kind == XNews::Destroyed, news.size);
  }
  // The news about our window, from an event or from the poll.
  void on(bool destroyed, QSize size) {
    if (ended) return;
    if (destroyed) {
      ended = true;
      poll.stop();
      // Told from the event loop: the callback may well delete this watch.
      QTimer::singleShot(0, [cb = gone] { cb(); });
      return;
    }
    if (size != last) {
      last = size;
      resized(size);
    }
  }
};

HostWatch::HostWatch(XWindow window, std::function<void()> gone, std::function<void(QSize)> resized)
    : impl_(std::make_unique<Impl>()), window_(window) {
  Impl* me = impl_.get();
  me->window = window;
  me->gone = std::move(gone);
  me->resized = std::move(resized);
  if (X11* x = X11::instance()) {
    if (auto s = x->size(window)) me->last = *s;
    x->selectStructure(window);
    listen(*x);
  }
  me->join();
  me->poll.setInterval(500);
  QObject::connect(&me->poll, &QTimer::timeout, [me] {
    X11* x = X11::instance();
    std::optional<QSize> s = x != nullptr ? x->size(me->window) : std::nullopt;
    me->on(!s.has_value(), s.value_or(QSize()));
  });
  me->poll.start();
}

HostWatch::~HostWatch() {
  impl_->leave();
}

struct VisibilityWatch::Impl : Listener {
  std::function<void(bool)> changed;
  bool seen = true;
  void on(const XNews& news) override {
    if (news.kind != XNews::Visibility || seen == !news.obscured) return;
    seen = !news.obscured;
    changed(seen);
  }
};

VisibilityWatch::VisibilityWatch(XWindow window, std::function<void(bool)> changed)
    : impl_(std::make_unique<Impl>()) {
  impl_->window = window;
  impl_->changed = std::move(changed);
  if (X11* x = X11::instance()) {
    x->selectVisibility(window);
    listen(*x);
  }
  impl_->join();
}

VisibilityWatch::~VisibilityWatch() {
  impl_->leave();
}

}  // namespace ps::qt
