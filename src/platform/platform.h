// What the system asks of the machine. A backend (win32, qt, the tests' fake) implements all of
// it; the system layer never talks to the machine any other way.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime.h"

namespace ps {

class Form;
class Control;
class Surface;
class PixelMemory;

// A native window handle as the command line and the Win32 calls carry it.
using Hwnd = std::int32_t;

struct Rect {
  i32 left = 0, top = 0, right = 0, bottom = 0;
  i32 width() const { return right - left; }
  i32 height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
  bool operator==(const Rect&) const = default;
};

struct SizeF {
  float width = 0, height = 0;
};

// The families of system the program tells apart; every other system is Other, named by its
// backend.
enum class SystemFamily { Win32s, Windows9x, WindowsNT, Other };

// What the system says of itself: its family and version, for the report and for the 9x
// family's password services. A query that fails leaves it as it is made here.
struct OsVersion {
  i32 result = 0;  // 1 when the query succeeded
  u32 majorVersion = 0, minorVersion = 0, buildNumber = 0;
  SystemFamily family = SystemFamily::Win32s;
  std::array<char, 128> csdVersion{};  // service-pack text, NUL-terminated or not
  std::string platformName;            // the name of an Other family
  bool wide = false;  // the program runs as a 64-bit program (so on a 64-bit system)
};

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

struct Font {
  std::string name = "MS Sans Serif";
  double points = 8.25;
  int weight = 400;
  bool italic = false, underline = false, strikeout = false;
  int charset = 0;  // 0: ANSI
  bool operator==(const Font&) const = default;
};

enum class ResourceKind { Icon, Bitmap, Data };

// Windows of the system: native windows, their geometry, timers and presentation.
class Windowing {
 public:
  virtual ~Windowing() = default;
  // The native window of a system window, created hidden; returns its handle.
  virtual Hwnd createWindow(Form& form) = 0;
  virtual void destroyWindow(Form& form) = 0;
  virtual void showWindow(Form& form) = 0;  // modeless
  // Shows the window modally and returns when it is hidden or unloaded. False when no window
  // can be shown here (no display, or the running mode covers the screen).
  virtual bool showModal(Form& form) = 0;
  virtual void hideWindow(Form& form) = 0;
  // The window covers its monitor (Form::monitor), from now on or once it is shown.
  virtual void maximizeWindow(Form& form) = 0;
  // The form's Left/Top/Width/Height (twips), caption or a control changed: mirror it.
  virtual void formChanged(Form& form) = 0;
  virtual void controlChanged(Form& form, Control& control) = 0;
  // Pixels; a window that covers a monitor above 96 dpi in the pixels it is laid out in (the
  // backend shows them in blocks), so that its meadow looks the same at every resolution.
  virtual SizeF clientSize(const Form& form) = 0;
  virtual SizeF screenSize() = 0;  // pixels
  // The monitors' places on the desktop in pixels, the primary one first; at least one.
  virtual std::vector<Rect> monitors() = 0;
  // 1440 / dots per inch: 15 at 96, 7.5 at 192. Not whole at every resolution, so that
  // positions converted through it land where the backend's pixels put them.
  virtual float twipsPerPixel() = 0;
  // A millisecond timer per window: the backend calls Form::timerExpired while enabled.
  virtual void setTimer(Form& form, i32 intervalMs, bool enabled) = 0;
  // Shows the window surface; only the rectangles in `dirty` (which may overlap) changed since
  // the last presentation. A frame of scattered small changes is shown by those alone.
  virtual void present(Form& form, const Surface& surface, std::span<const Rect> dirty) = 0;
  void present(Form& form, const Surface& surface, const Rect& dirty) {
    present(form, surface, std::span<const Rect>(&dirty, 1));
  }
  // Memory the window surface may keep its pixels in so that presenting it needs no copy;
  // null (the heap) where the window has none.
  virtual std::shared_ptr<PixelMemory> windowMemory(Form&) { return nullptr; }
  // The application-wide mouse-pointer shape goes back to the default.
  virtual void resetMousePointer() = 0;
  // No window keeps the process alive any more: leave the event loop.
  virtual void quit() = 0;

  // The client area (0, 0, width, height) in pixels of a window, the program's own or a host's
  // (the preview's); 0 when there is no such window.
  virtual i32 windowArea(Hwnd window, Rect& rect) = 0;
  // The preview's window goes into a host window: a child of the host, owned by it, over its
  // client area of width × height at its top-left corner, shown and not activated.
  virtual void embedInHost(Hwnd window, Hwnd host, i32 width, i32 height) = 0;
  // Where a window stands among the others: above every window that is not topmost as well,
  // back among the ordinary ones, or only on top of the windows of its kind; activated or not.
  // Nonzero when it was done.
  enum class Stacking { Top, TopMost, NotTopMost };
  virtual i32 stackWindow(Hwnd window, Stacking stacking, bool activate) = 0;
};

// Text and screen pixels. Surfaces themselves are platform-free, and texts on them are measured
// and drawn in the pixels the meadow is laid out in.
class Drawing {
 public:
  virtual ~Drawing() = default;
  virtual int textWidth(const Font& font, std::string_view text) = 0;
  virtual int textHeight(const Font& font, std::string_view text) = 0;
  // Draws with the text's top-left corner at (x, y), transparent background, touching only the
  // pixels inside `clip`: each pixel comes out as the whole text would leave it.
  virtual void drawText(Surface& target, const Font& font, int x, int y, std::string_view text,
                        u32 rgb, const Rect& clip) = 0;
  // Copies the display's pixels from (x, y) of the desktop, w × h, into target at (0, 0)
  // (the display as the user sees it), or those of the snapshot taken before; a monitor's part
  // of the snapshot is let go once it has been copied whole. A monitor at (x, y) whose pixels
  // are finer than the w × h laid out on it gives all of its own, averaged down to w × h.
  // False when the display or the copy cannot be had.
  virtual bool captureDesktop(Surface& target, int x, int y, int w, int h) = 0;
  // Keeps the display's pixels as they are now for the next captureDesktop: taken before a
  // window covers the screen.
  virtual void snapshotDesktop() = 0;
};

// The program's own resources, by number.
class Resources {
 public:
  virtual ~Resources() = default;
  // The raw bytes of the resource; raises 326 when it does not exist.
  virtual std::vector<std::uint8_t> resource(ResourceKind kind, int number) = 0;
};

// The per-user settings store.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::string GetSetting(const std::string& app, const std::string& section,
                                 const std::string& key, const std::string& def) = 0;
  virtual void SaveSetting(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& value) = 0;
};

// Operating-system services.
class SystemServices {
 public:
  virtual ~SystemServices() = default;
  // The system's own screen saver may start (on), or not; a screen saver runs now (on), or
  // not. Nonzero when the system took it; a system without such flags answers 1.
  virtual i32 setScreenSaverActive(bool) { return 1; }
  virtual i32 setScreenSaverRunning(bool) { return 1; }
  // Shows the mouse pointer one step more (show) or less; it is seen while the count is 0 or
  // more. Returns the count.
  virtual i32 showPointer(bool show) = 0;
  virtual OsVersion systemVersion() = 0;
  virtual u32 tickCount() = 0;  // milliseconds, wrapping at 32 bits
  virtual LocalTime now() = 0;
  virtual std::string shortDate(const LocalTime& t) = 0;  // the user's short date format
  virtual std::string longTime(const LocalTime& t) = 0;   // the user's long time format
  virtual void alert() = 0;                               // the system alert sound
  // Opens the address in the user's browser.
  virtual void openAddress(Hwnd owner, const std::string& address) = 0;
  // The 9x family's screen-saver password: asks it before the running mode ends (nonzero in
  // the low 16 bits: it may end), and changes it in a dialog on the host window. They raise
  // when the service cannot be reached. A system without one lets the user leave.
  virtual i32 verifyPassword(Hwnd) { return 1; }
  virtual void changePassword(Hwnd) {}
  virtual std::string commandLine() = 0;
  virtual std::string programDirectory() = 0;  // no trailing separator unless a root
  virtual std::string programName() = 0;       // file name without extension
  virtual char pathSeparator() = 0;
  // The user's own data folder for the program's files, where the program's folder cannot
  // be written; empty if there is none.
  virtual std::string userDataDirectory() = 0;
  // The program was installed (it does not run from the folder it was built in): it keeps
  // its files out of its own folder, which is the system's.
  virtual bool programInstalled() { return false; }
  // Started by a screen-saver daemon as one of its hacks: the screen and the input are the
  // daemon's, so no window of the program's own can be seen or answered.
  virtual bool hackMode() { return false; }
  // 8-bit text in the system's code page from the program's UTF-8 text.
  virtual std::string toSystemCodePage(std::string_view utf8) = 0;
  // A failure no handler took: tell the user (stderr, or a message box outside full screen).
  virtual void reportFatal(const std::string& message) = 0;
  // Ends the process now: never returns (the fake throws ProgramEnd).
  [[noreturn]] virtual void exitProcess(int code) = 0;
};

// The file system.
class Files {
 public:
  virtual ~Files() = default;
  // Appends the bytes to the file, creating it (and, with makeFolders, its missing folders);
  // raises 75 when it cannot be opened or written.
  virtual void appendToFile(const std::string& path, std::string_view bytes,
                            bool makeFolders = false) = 0;
};

class Platform : public Windowing,
                 public Drawing,
                 public Resources,
                 public SettingsStore,
                 public SystemServices,
                 public Files {};

}  // namespace ps
