// Foreign X11 windows: the preview's host and XScreenSaver's window belong to other programs,
// so they are looked at over a connection of our own, never through Qt's.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

struct xcb_connection_t;

namespace ps::qt {

using XWindow = std::uint32_t;

// What the server told of a window we look at.
struct XNews {
  enum Kind { Destroyed, Resized, Visibility };
  XWindow window = 0;
  Kind kind = Resized;
  QSize size;             // Resized
  bool obscured = false;  // Visibility: wholly covered by other windows
};

// A connection to the X server named by DISPLAY; empty when there is none.
class X11 {
 public:
  static X11* instance();  // null without an X display
  ~X11();

  XWindow root() const { return root_; }
  // The window's inner size; nothing when the window does not exist (any more).
  std::optional<QSize> size(XWindow w);
  // Ask for the window's structure events (destroy, resize) on this connection.
  void selectStructure(XWindow w);
  // Ask for the window's visibility events (covered wholly, partly or not at all).
  void selectVisibility(XWindow w);
  int fd() const;
  // Reads what the server sent; calls back for each destroyed, resized or covered window.
  void drain(const std::function<void(const XNews&)>& onEvent);
  // Whether the display is powered (DPMS); nothing where the server has no DPMS.
  std::optional<bool> displayPowered();
  // The desktop as XScreenSaver's image loader hands it to its hacks: `loader` (its
  // xscreensaver-getimage) draws into a pixmap of ours for `window` and names on the window
  // what it drew; only a grab of the desktop counts. Nothing where the user forbids desktop
  // grabs (grabDesktopImages in ~/.xscreensaver), or the loader is missing or fails.
  std::optional<QImage> desktopImage(XWindow window, const QString& loader);
  // The heads Xinerama describes, in its order and in device pixels; none where Xinerama is
  // not active.
  std::vector<QRect> xineramaHeads();

 private:
  explicit X11(xcb_connection_t* c);
  void select(XWindow w, std::uint32_t mask);
  xcb_connection_t* c_;
  XWindow root_ = 0;
};

// The display's power as the running mode follows it, from one DPMS reading to the next.
class DisplayPower {
 public:
  // What DPMS's state and power level mean: off in standby, suspend and off; switched off
  // (enabled false), DPMS powers nothing down.
  static bool powered(bool enabled, std::uint16_t level);

  // Takes a reading (nothing where the server has no DPMS: the display then counts as on,
  // and asking again is of no use); returns the change to tell: on again, or off.
  std::optional<bool> read(std::optional<bool> powered);
  bool off() const { return off_; }
  // Whether asking the server is of any use.
  bool known() const { return !none_; }

 private:
  bool off_ = false;
  bool none_ = false;
};

// True when an X display can be opened (checked before Qt is started).
bool x11DisplayAvailable();

// Follows a foreign window: its disappearance and its size. Structure events give the news at
// once; a poll every 500 ms catches what they miss (a window that never existed, for one).
class HostWatch {
 public:
  HostWatch(XWindow window, std::function<void()> gone, std::function<void(QSize)> resized);
  ~HostWatch();
  HostWatch(const HostWatch&) = delete;
  HostWatch& operator=(const HostWatch&) = delete;
  XWindow window() const { return window_; }

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
  XWindow window_;
};

// Reports whether a window of ours can be seen: not while other windows (a screen locker's)
// cover it wholly. Each change of the server's word is told once.
class VisibilityWatch {
 public:
  VisibilityWatch(XWindow window, std::function<void(bool seen)> changed);
  ~VisibilityWatch();
  VisibilityWatch(const VisibilityWatch&) = delete;
  VisibilityWatch& operator=(const VisibilityWatch&) = delete;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace ps::qt
