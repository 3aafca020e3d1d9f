// Windowing: system windows as Qt widgets, the running mode's full screen, windows inside
// foreign hosts (the preview's, XScreenSaver's), timers and presentation.
#include "backends/qt/platform.h"

#include <QApplication>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QTimerEvent>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <utility>

#include "backends/qt/form_window.h"
#include "backends/qt/shm_present.h"
#include "host/process.h"
#include "host/saver.h"
#include "platform/surface.h"

namespace ps::qt {

namespace {

// Widgets go with deleteLater: a window may be unloaded from inside one of its own events.
struct LaterDeleter {
  void operator()(QObject* o) const { o->deleteLater(); }
};

// The window must be on the screen before the server lets it take keyboard and pointer: try
// again for a while until it does.
void grabInput(QPointer<FormWindow> fw, int attempt) {
  if (!fw || fw->detached()) return;
  QWindow* win = fw->windowHandle();
  bool ok = win != nullptr && win->setKeyboardGrabEnabled(true) && win->setMouseGrabEnabled(true);
  if (!ok && attempt < 50) {
    QTimer::singleShot(100, fw.data(), [fw, attempt] { grabInput(fw, attempt + 1); });
  }
}
}  // namespace

QSize logicalSize(QSize device) {
  // Foreign windows are measured in device pixels, our widgets in Qt's logical ones. Rounded
  // up, so that a window inside covers its host completely.
  QScreen* screen = QGuiApplication::primaryScreen();
  const double dpr = screen != nullptr ? screen->devicePixelRatio() : 1.0;
  if (!(dpr > 0) || dpr == 1) return device;
  return QSize(static_cast<int>(std::ceil(device.width() / dpr)),
               static_cast<int>(std::ceil(device.height() / dpr)));
}

namespace {
// A form's timer, delivered straight from Qt's timer event: the meadow's timer fires fifty times
// a second, and a QTimer's signal would add a dispatch of its own to each.
class Ticker : public QObject {
 public:
  explicit Ticker(std::function<void()> fire) : fire_(std::move(fire)) {}
  ~Ticker() override { stop(); }
  void start(int ms) {
    stop();
    id_ = startTimer(ms, Qt::PreciseTimer);
    interval_ = ms;
  }
  void stop() {
    if (id_ != 0) killTimer(id_);
    id_ = 0;
  }
  bool isActive() const { return id_ != 0; }
  int interval() const { return interval_; }

 protected:
  void timerEvent(QTimerEvent* e) override {
    if (e->timerId() == id_) fire_();
  }

 private:
  std::function<void()> fire_;
  int id_ = 0, interval_ = 0;
};
}  // namespace

struct QtPlatform::Window {
  Form* form = nullptr;
  Hwnd handle = 0;
  std::unique_ptr<FormWindow, LaterDeleter> widget;
  std::unique_ptr<Ticker, LaterDeleter> timer;  // may go from inside its own tick
  i32 interval = 0;
  bool timerOn = false;
  std::unique_ptr<QWindow, LaterDeleter> foreign;  // the host we live in
  std::unique_ptr<HostWatch> watch;
  bool fullScreen = false;  // the running mode on the user's display
  bool hackWindow = false;  // the running mode inside XScreenSaver's window
  QEventLoop* modal = nullptr;
  std::shared_ptr<ShmPresenter> presenter;  // the running mode's frames, past Qt
  bool presenterTried = false;
  TileRegion tiles;            // a frame's rectangles gathered for Qt's repaint
  QPointer<QScreen> followed;  // the screen whose size the window takes
  QMetaObject::Connection following;
  // Report whether the full screen can be seen: the X server's word, or Qt's exposure.
  std::unique_ptr<VisibilityWatch> sight;
  std::unique_ptr<QObject> exposure;
  bool covered = false;  // as they last reported
};

QtPlatform::QtPlatform(Launch launch) : launch_(std::move(launch)) {
  QApplication::setQuitOnLastWindowClosed(false);  // the registry of loaded windows decides
  // A hack's one window is the daemon's to place; it runs one hack per monitor.
  if (!launch_.xscreensaver) watchMonitors();
}

void QtPlatform::watchMonitors() {
  monitorWatch_ = std::make_unique<QObject>();
  auto changed = [this] {
    // Qt tells of a screen while it is still adding or removing it (windows on a screen that
    // goes move on afterwards): the system looks once the burst of changes is over. Till then
    // the pointer's moves are the server's, keeping it on a monitor, not the user's.
    for (auto& [f, w] : windows_) w->widget->ignorePointer(true);
    if (monitorsChanging_) return;
    monitorsChanging_ = true;
    QTimer::singleShot(0, monitorWatch_.get(), [this] {
      monitorsChanging_ = false;
      for (auto& [f, w] : windows_) w->widget->ignorePointer(false);
      if (Process::exists()) Saver::deliver([] { Saver::monitorsChanged(); });
    });
  };
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (app == nullptr) return;
  QObject::connect(app, &QGuiApplication::screenAdded, monitorWatch_.get(), changed);
  QObject::connect(app, &QGuiApplication::screenRemoved, monitorWatch_.get(), changed);
  QObject::connect(app, &QGuiApplication::primaryScreenChanged, monitorWatch_.get(), changed);
}

QtPlatform::~QtPlatform() = default;

QtPlatform::Window* QtPlatform::find(Hwnd h) {
  for (auto& [f, w] : windows_) {
    if (w->handle == h) return w.get();
  }
  return nullptr;
}

QtPlatform::Window* QtPlatform::find(const Form& f) const {
  auto it = windows_.find(&f);
  return it == windows_.end() ? nullptr : it->second.get();
}

FormWindow* QtPlatform::windowOf(const Form& form) const {
  Window* w = find(form);
  return w != nullptr ? w->widget.get() : nullptr;
}

Hwnd QtPlatform::createWindow(Form& form) {
  auto w = std::make_unique<Window>();
  w->form = &form;
  w->handle = nextHandle_++;
  w->widget.reset(new FormWindow(form, twipsPerPixel()));
  FormWindow* fw = w->widget.get();
  if (form.borderless()) {
    fw->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  } else {
    fw->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                       Qt::WindowCloseButtonHint);
  }
  // A window that shows a surface wants every movement of the pointer.
  fw->setMouseTracking(form.windowSurface() != nullptr);
  fw->setSurface(form.windowSurface());
  Hwnd h = w->handle;
  windows_[&form] = std::move(w);
  formChanged(form);
  return h;
}

void QtPlatform::formChanged(Form& form) {
  Window* w = find(form);
  if (w == nullptr) return;
  FormWindow* fw = w->widget.get();
  fw->setWindowTitle(QString::fromStdString(form.caption()));
  if (w->fullScreen || w->hackWindow || w->foreign) return;  // sized by the screen or host
  const float tpp = twipsPerPixel();
  QSize client(static_cast<int>(std::lround(form.clientWidthTwips() / tpp)),
               static_cast<int>(std::lround(form.clientHeightTwips() / tpp)));
  client = client.expandedTo(QSize(1, 1));
  if (form.windowSurface() == nullptr) {
    fw->setFixedSize(client);  // dialogs keep their design size
  } else {
    fw->resize(client);
  }
  fw->move(static_cast<int>(std::lround(form.left() / tpp)),
           static_cast<int>(std::lround(form.top() / tpp)));
}

void QtPlatform::controlChanged(Form& form, Control& control) {
  Window* w = find(form);
  if (w == nullptr) return;
  if (control.kind() == ControlKind::Timer) {
    w->interval = control.interval();
    w->timerOn = control.enabled();
    applyTimer(*w);
    return;
  }
  w->widget->syncControl(control);
}

void QtPlatform::destroyWindow(Form& form) {
  auto it = windows_.find(&form);
  if (it == windows_.end()) return;
  std::unique_ptr<Window> w = std::move(it->second);
  windows_.erase(it);
  if (w->modal != nullptr) w->modal->quit();
  if (w->timer) w->timer->stop();
  w->watch.reset();
  if (w->fullScreen) releaseInput();
  w->sight.reset();
  w->exposure.reset();
  watchDisplay();
  w->widget->detach();
  w->widget->hide();
  // The widget's native window goes before the host it was placed in.
  w->widget.reset();
  w->foreign.reset();
}

void QtPlatform::showWindow(Form& form) {
  Window* w = find(form);
  if (w == nullptr) return;
  FormWindow* fw = w->widget.get();
  if (w->fullScreen) {
    showFullScreen(*w);
  } else if (w->hackWindow) {
    if (launch_.root) {
      // Over the root window: a window of the screen's size that takes no input.
      fw->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                         Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
      fw->setTakesInput(false);
      followScreen(*w, primaryHead());
    } else {
      embed(*w, launch_.window);
      X11* x = X11::instance();
      if (auto s = x != nullptr ? x->size(launch_.window) : std::nullopt) {
        fw->setGeometry(QRect(QPoint(0, 0), logicalSize(*s)));
      }
    }
    fw->show();
  } else {
    fw->show();
    fw->raise();
    fw->activateWindow();
  }
}

void QtPlatform::maximizeWindow(Form& form) {
  Window* w = find(form);
  if (w == nullptr) return;
  if (launch_.xscreensaver) {
    w->hackWindow = true;
  } else {
    w->fullScreen = true;
  }
  if (w->widget->isVisible()) showWindow(form);
}

void QtPlatform::followScreen(Window& w, const Head& head) {
  FormWindow* fw = w.widget.get();
  // The full size before the first showing, so that the first layout pass has it.
  fw->setGeometry(head.area);
  if (w.followed == head.screen) return;
  // A new size or place of the screen (a change of the display mode): the window takes it,
  // and its resize lays the scene out again.
  QObject::disconnect(w.following);
  w.followed = head.screen;
  if (head.screen == nullptr) return;
  w.following = QObject::connect(head.screen, &QScreen::geometryChanged, fw,
                                 [fw](const QRect& r) { fw->setGeometry(r); });
}

void QtPlatform::showFullScreen(Window& w) {
  FormWindow* fw = w.widget.get();
  std::vector<Head> all = heads();
  const auto monitor = static_cast<std::size_t>(w.form->monitor());
  followScreen(w, monitor < all.size() ? all[monitor] : primaryHead());
  fw->showFullScreen();
  fw->raise();
  watchSight(w);
  if (monitor != 0) return;
  // The primary monitor's window takes the keyboard and the pointer wherever it is: the
  // other monitors' windows see input only when that cannot be had.
  fw->activateWindow();
  fw->setFocus();
  takeInput(w);
}

namespace {
// Whether Qt can show the window: on Wayland the compositor stops exposing a surface that
// nobody sees (it sends it no more frames). The X server's word is VisibilityWatch's.
class ExposeWatch : public QObject {
 public:
  ExposeWatch(QWindow* window, std::function<void(bool)> changed)
      : window_(window), changed_(std::move(changed)) {
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (o == window_ && e->type() == QEvent::Expose && window_->isExposed() != exposed_) {
      exposed_ = window_->isExposed();
      changed_(exposed_);
    }
    return false;
  }

 private:
  QPointer<QWindow> window_;
  std::function<void(bool)> changed_;
  bool exposed_ = true;
};
}  // namespace

void QtPlatform::watchSight(Window& w) {
  if (w.sight || w.exposure) return;
  Form* form = w.form;
  auto changed = [this, form](bool seen) {
    Window* x = find(*form);
    if (x == nullptr) return;
    x->covered = !seen;
    Saver::deliver([form, seen] { Saver::meadowSeen(form, seen); });
    watchDisplay();
  };
  FormWindow* fw = w.widget.get();
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    // The server's word on our window, over our own connection: Qt does not pass it on.
    w.sight = std::make_unique<VisibilityWatch>(static_cast<XWindow>(fw->winId()), changed);
  } else if (QWindow* handle = fw->windowHandle()) {
    w.exposure = std::make_unique<ExposeWatch>(handle, changed);
  }
  watchDisplay();
}

void QtPlatform::watchDisplay() {
  if (QGuiApplication::platformName() != QLatin1String("xcb") || !power_.known()) return;
  // Asked once a second while a meadow shows, or while the display is off (to wake when it
  // comes on again); never while every meadow is covered, which then costs no wake-up at all.
  bool shows = false;
  for (auto& [f, w] : windows_) shows = shows || (w->sight && !w->covered);
  if (!displayPoll_) {
    displayPoll_ = std::make_unique<QTimer>();
    displayPoll_->setInterval(1000);
    QObject::connect(displayPoll_.get(), &QTimer::timeout, [this] { pollDisplay(); });
  }
  if (shows || power_.off()) {
    if (!displayPoll_->isActive()) displayPoll_->start();
  } else {
    displayPoll_->stop();
  }
}

void QtPlatform::pollDisplay() {
  X11* x = X11::instance();
  const std::optional<bool> news = power_.read(x != nullptr ? x->displayPowered() : std::nullopt);
  if (!power_.known()) displayPoll_->stop();
  if (!news) return;
  Saver::deliver([seen = *news] { Saver::meadowSeen(nullptr, seen); });
  watchDisplay();
}

void QtPlatform::takeInput(Window& w) {
  grabInput(QPointer<FormWindow>(w.widget.get()), 0);
}

void QtPlatform::releaseInput() {
  for (auto& [f, w] : windows_) {
    if (QWindow* win = w->widget->windowHandle()) {
      win->setKeyboardGrabEnabled(false);
      win->setMouseGrabEnabled(false);
    }
  }
}

void QtPlatform::embed(Window& w, XWindow host) {
  FormWindow* fw = w.widget.get();
  Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint;
  if (w.hackWindow) flags |= Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus;
  fw->setWindowFlags(flags);
  fw->setTakesInput(false);  // the host's owner deals with the user
  w.foreign.reset(QWindow::fromWinId(host));
  fw->winId();
  fw->windowHandle()->setParent(w.foreign.get());
  Form* form = w.form;
  // A window that appears inside another program's window may miss the first exposure of
  // its whole area; a full repaint once it is there covers for that.
  QTimer::singleShot(250, fw, [fw] { fw->update(); });
  w.watch = std::make_unique<HostWatch>(
      host, [this, form] { hostGone(*form); },
      [this, form](QSize size) {
        // The host's whole client area, at every change of its size.
        if (Window* x = find(*form)) x->widget->setGeometry(QRect(QPoint(0, 0), logicalSize(size)));
      });
}

void QtPlatform::hostGone(Form& form) {
  if (find(form) == nullptr) return;
  // Our own window went down with the host: Qt's complaints about it are no news.
  QLoggingCategory::setFilterRules(QStringLiteral("qt.qpa.xcb.warning=false"));
  Saver::deliver([&form] { P().forms.unload(form); });
}

bool QtPlatform::showModal(Form& form) {
  Window* w = find(form);
  if (w == nullptr) return false;
  FormWindow* fw = w->widget.get();
  fw->setWindowModality(Qt::ApplicationModal);
  fw->show();
  fw->raise();
  fw->activateWindow();
  QEventLoop loop;
  w->modal = &loop;
  loop.exec();
  if (Window* still = find(form)) {
    still->modal = nullptr;
    still->widget->setWindowModality(Qt::NonModal);
  }
  return true;
}

void QtPlatform::hideWindow(Form& form) {
  Window* w = find(form);
  if (w == nullptr) return;
  w->widget->hide();
  if (w->modal != nullptr) {
    w->modal->quit();
    w->modal = nullptr;
  }
}

SizeF QtPlatform::clientSize(const Form& form) {
  Window* w = find(form);
  if (w == nullptr) return {};
  return SizeF{static_cast<float>(w->widget->width()), static_cast<float>(w->widget->height())};
}

QtPlatform::Head QtPlatform::primaryHead() {
  QScreen* primary = QGuiApplication::primaryScreen();
  return {primary->geometry(), primary};
}

std::vector<QtPlatform::Head> QtPlatform::heads() {
  std::vector<Head> all;
  QScreen* primary = QGuiApplication::primaryScreen();
  if (primary != nullptr) all.push_back({primary->geometry(), primary});
  for (QScreen* s : QGuiApplication::screens()) {
    if (s != primary) all.push_back({s->geometry(), s});
  }
  // Qt's screens are RandR's monitors. A server may describe its heads by Xinerama alone (a
  // nested server, an old driver): where Xinerama knows more heads, each of them is covered.
  X11* x = QGuiApplication::platformName() == QLatin1String("xcb") ? X11::instance() : nullptr;
  if (primary == nullptr || x == nullptr) return all;
  std::vector<QRect> xinerama;
  for (const QRect& r : x->xineramaHeads()) {
    // A head shown twice (a mirrored output) is covered once.
    if (std::find(xinerama.begin(), xinerama.end(), r) == xinerama.end()) xinerama.push_back(r);
  }
  if (xinerama.size() <= all.size()) return all;
  // The primary head, the one under the primary screen's corner, comes first.
  const QPoint origin = primary->geometry().topLeft();
  auto under = std::find_if(xinerama.begin(), xinerama.end(),
                            [&](const QRect& r) { return r.contains(origin); });
  if (under != xinerama.end()) std::rotate(xinerama.begin(), under, under + 1);
  // Windows are placed in logical pixels measured from the primary screen's corner.
  const double dpr = primary->devicePixelRatio();
  std::vector<Head> heads;
  for (const QRect& r : xinerama) {
    const QPointF at = QPointF(r.topLeft() - origin) / dpr;
    Head h{QRect(origin + at.toPoint(), logicalSize(r.size())), nullptr};
    for (const Head& s : all) {
      if (s.area == h.area) h.screen = s.screen;  // it follows that screen's changes
    }
    heads.push_back(h);
  }
  return heads;
}

std::vector<Rect> QtPlatform::monitors() {
  std::vector<Rect> all;
  if (launch_.xscreensaver) {
    // A hack draws into the one window it is given (XScreenSaver runs one per monitor), whose
    // desktop picture starts at its own corner.
    const QRect g = QGuiApplication::primaryScreen() != nullptr
                        ? QGuiApplication::primaryScreen()->geometry()
                        : QRect();
    return {Rect{0, 0, g.width(), g.height()}};
  }
  for (const Head& h : heads()) {
    const QRect g = h.area;
    all.push_back(Rect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()});
  }
  if (all.empty()) all.push_back(Rect{});
  return all;
}

SizeF QtPlatform::screenSize() {
  QSize s = QGuiApplication::primaryScreen()->size();
  return SizeF{static_cast<float>(s.width()), static_cast<float>(s.height())};
}

float QtPlatform::twipsPerPixel() {
  double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
  if (!(dpi > 0)) return 15;
  return static_cast<float>(1440.0 / dpi);
}

void QtPlatform::setTimer(Form& form, i32 intervalMs, bool enabled) {
  Window* w = find(form);
  if (w == nullptr) return;
  w->interval = intervalMs;
  w->timerOn = enabled;
  applyTimer(*w);
}

void QtPlatform::applyTimer(Window& w) {
  if (!w.timer) {
    Form* form = w.form;
    w.timer.reset(new Ticker([this, form] {
      if (find(*form) == nullptr) return;
      Saver::deliver([form] { form->timerExpired(); });
    }));
  }
  if (w.timerOn && w.interval > 0) {
    // Switching on, or a new interval, starts the count afresh.
    if (!w.timer->isActive() || w.timer->interval() != w.interval) w.timer->start(w.interval);
  } else {
    w.timer->stop();
  }
}

ShmPresenter* QtPlatform::presenter(Window& w) {
  FormWindow* fw = w.widget.get();
  // Once the native window is there: the first layout pass runs as it is being shown.
  if ((w.fullScreen || w.hackWindow) && fw->testAttribute(Qt::WA_WState_Created) &&
      !w.presenterTried) {
    w.presenterTried = true;
    const char* way = std::getenv("PETALSTREAM_PRESENT");
    // Only xcb's windows are X windows (on Wayland a window's id names no X window).
    if ((way == nullptr || std::strcmp(way, "qt") != 0) &&
        QGuiApplication::platformName() == QLatin1String("xcb")) {
      w.presenter = ShmPresenter::open(static_cast<XWindow>(fw->winId()));
    }
    if (w.presenter) {
      Form* form = w.form;
      fw->presentDirectly([this, form](std::span<const Rect> rects) {
        Window* x = find(*form);
        const Surface* s = form->windowSurface();
        return x != nullptr && x->presenter && s != nullptr && x->presenter->present(*s, rects);
      });
    }
  }
  return w.presenter.get();
}

std::shared_ptr<PixelMemory> QtPlatform::windowMemory(Form& form) {
  Window* w = find(form);
  if (w == nullptr || presenter(*w) == nullptr) return nullptr;
  // A scaled window is shown from a scaled copy: the surface itself gains nothing there.
  if (w->widget->devicePixelRatio() != 1) return nullptr;
  return w->presenter;
}

void QtPlatform::present(Form& form, const Surface& surface, std::span<const Rect> dirty) {
  Window* w = find(form);
  if (w == nullptr) return;
  FormWindow* fw = w->widget.get();
  // Paint events (an exposure, a new size) show the surface from now on.
  fw->setSurface(&surface);
  if (presenter(*w)) {
    // The window's own ratio: the widget's way to it looks for its screen first, every frame.
    const QWindow* handle = fw->windowHandle();
    const double dpr = handle != nullptr ? handle->devicePixelRatio() : fw->devicePixelRatio();
    if (w->presenter->present(surface, dirty, dpr)) return;
    w->presenter.reset();
    fw->presentDirectly(nullptr);
    fw->update();  // what the failed frame may have missed
  }
  // Qt gathers the rectangles into one region and paints it with the next paint event. Many
  // small rectangles fragment that region, which costs more than it saves: a few tile-aligned
  // ones instead.
  w->tiles.resize(surface.width(), surface.height());
  for (const Rect& r : dirty) w->tiles.add(r);
  for (const Rect& r : w->tiles.rects()) fw->update(QRect(r.left, r.top, r.width(), r.height()));
  w->tiles.clear();
}

void QtPlatform::resetMousePointer() {
  // The program sets no pointer shape of its own here, so the default is what there is. The
  // pointer's visibility (showPointer) is another matter and stays as it is.
}

int QtPlatform::run() {
  if (!Process::exists() || !P().forms.anyKeepsProcessAlive()) return 0;
  running_ = true;
  takeSignalsInEventLoop(true);
  const int code = QApplication::exec();
  takeSignalsInEventLoop(false);
  running_ = false;
  return code;
}

void QtPlatform::quit() {
  // Before the loop runs (all windows gone during start-up) there is nothing to leave: run()
  // then does not start it. Telling Qt to quit anyway would end every later loop at once.
  if (running_) QCoreApplication::exit(0);
}

i32 QtPlatform::windowArea(Hwnd hwnd, Rect& rect) {
  if (Window* w = find(hwnd)) {
    rect = Rect{0, 0, w->widget->width(), w->widget->height()};
    return 1;
  }
  X11* x = X11::instance();
  if (x == nullptr || hwnd <= 0) return 0;
  std::optional<QSize> s = x->size(static_cast<XWindow>(hwnd));
  if (!s) return 0;
  const QSize l = logicalSize(*s);
  rect = Rect{0, 0, l.width(), l.height()};
  return 1;
}

void QtPlatform::embedInHost(Hwnd window, Hwnd host, i32 width, i32 height) {
  Window* w = find(window);
  if (w == nullptr) return;
  FormWindow* fw = w->widget.get();
  if (Window* p = find(host)) {
    fw->winId();
    fw->windowHandle()->setParent(p->widget->windowHandle());
  } else {
    // A foreign host (the preview area): watched, so that we go when it goes. A handle that
    // names no window counts as a host that is gone already.
    embed(*w, static_cast<XWindow>(host));
  }
  fw->move(0, 0);
  const QSize size = QSize(width, height).expandedTo(QSize(1, 1));
  if (w->form->windowSurface() == nullptr) fw->setFixedSize(size);
  fw->resize(size);
  fw->show();
}

i32 QtPlatform::stackWindow(Hwnd hwnd, Stacking stacking, bool) {
  Window* w = find(hwnd);
  if (w == nullptr) return 0;
  // Inside the daemon's window or a host the stacking is theirs. Activation comes with the
  // window's showing.
  if (w->hackWindow || w->foreign) return 1;
  FormWindow* fw = w->widget.get();
  if (stacking != Stacking::Top) {
    const bool want = stacking == Stacking::TopMost;
    if (want != fw->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
      const bool visible = fw->isVisible();
      fw->setWindowFlag(Qt::WindowStaysOnTopHint, want);
      if (visible) fw->show();  // changing the flags hides a window
    }
  }
  if (fw->isVisible()) fw->raise();
  return 1;
}

}  // namespace ps::qt
