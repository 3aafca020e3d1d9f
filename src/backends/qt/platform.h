// The Linux backend: every platform operation on Qt 6 Widgets and X11.
#pragma once

#include <QImage>
#include <QPointer>
#include <QWindow>
#include <map>
#include <memory>
#include <vector>

#include "backends/qt/launch.h"
#include "backends/qt/x11.h"
#include "platform/platform.h"

class QEventLoop;
class QScreen;
class QTimer;
class QSettings;

namespace ps::qt {

class FormWindow;
class ShmPresenter;

// A size in the X server's device pixels as Qt's logical pixels on the primary screen.
QSize logicalSize(QSize device);

class QtPlatform : public Platform {
 public:
  explicit QtPlatform(Launch launch);
  ~QtPlatform() override;
  QtPlatform(const QtPlatform&) = delete;
  QtPlatform& operator=(const QtPlatform&) = delete;

  // SIGTERM, SIGINT and SIGHUP unload every window, as a session's end would, and end the
  // process.
  void handleTerminationSignals();
  // While the event loop runs it takes those signals; outside it, and when the loop has not
  // taken one before the next arrives, a signal ends the process at once.
  static void takeSignalsInEventLoop(bool on);
  // Runs the event loop while a window keeps the process alive; the exit code.
  int run();
  // The native window of a loaded form (tests and the event loop's owner look at it).
  FormWindow* windowOf(const Form& form) const;

  // Windowing
  Hwnd createWindow(Form& form) override;
  void destroyWindow(Form& form) override;
  void showWindow(Form& form) override;
  bool showModal(Form& form) override;
  void hideWindow(Form& form) override;
  void maximizeWindow(Form& form) override;
  void formChanged(Form& form) override;
  void controlChanged(Form& form, Control& control) override;
  SizeF clientSize(const Form& form) override;
  SizeF screenSize() override;
  std::vector<Rect> monitors() override;
  float twipsPerPixel() override;
  void setTimer(Form& form, i32 intervalMs, bool enabled) override;
  using Windowing::present;
  void present(Form& form, const Surface& surface, std::span<const Rect> dirty) override;
  std::shared_ptr<PixelMemory> windowMemory(Form& form) override;
  void resetMousePointer() override;
  void quit() override;
  i32 windowArea(Hwnd window, Rect& rect) override;
  void embedInHost(Hwnd window, Hwnd host, i32 width, i32 height) override;
  i32 stackWindow(Hwnd window, Stacking stacking, bool activate) override;

  // Drawing
  int textWidth(const Font& font, std::string_view text) override;
  int textHeight(const Font& font, std::string_view text) override;
  void drawText(Surface& target, const Font& font, int x, int y, std::string_view text, u32 rgb,
                const Rect& clip) override;
  bool captureDesktop(Surface& target, int x, int y, int w, int h) override;
  void snapshotDesktop() override;

  // Resources
  std::vector<std::uint8_t> resource(ResourceKind kind, int number) override;

  // Settings store
  std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                         const std::string& def) override;
  void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                   const std::string& value) override;

  // System
  i32 showPointer(bool show) override;
  OsVersion systemVersion() override;
  u32 tickCount() override;
  LocalTime now() override;
  std::string shortDate(const LocalTime& t) override;
  std::string longTime(const LocalTime& t) override;
  void alert() override;
  void openAddress(Hwnd owner, const std::string& address) override;
  std::string commandLine() override { return launch_.commandLine; }
  std::string programDirectory() override;
  std::string programName() override;
  char pathSeparator() override { return '/'; }
  std::string userDataDirectory() override;
  bool programInstalled() override;
  bool hackMode() override { return launch_.xscreensaver; }
  std::string toSystemCodePage(std::string_view utf8) override { return std::string(utf8); }
  void reportFatal(const std::string& message) override;
  [[noreturn]] void exitProcess(int code) override;

  // Files
  void appendToFile(const std::string& path, std::string_view bytes, bool makeFolders) override;

  // The handles this backend gives its windows: above every X window id (29 bits), so that a
  // handle and a foreign window can never be taken for each other.
  static constexpr Hwnd kFirstHandle = 0x20000001;

 private:
  struct Window;
  Window* find(Hwnd h);
  // The running mode's way past Qt, opened on first use; null where there is none.
  ShmPresenter* presenter(Window& w);
  Window* find(const Form& f) const;
  void applyTimer(Window& w);
  void showFullScreen(Window& w);
  // A monitor: its area on the desktop in logical pixels, and Qt's screen for it (none for a
  // head that only Xinerama knows).
  struct Head {
    QRect area;
    QPointer<QScreen> screen;
  };
  // The monitors in the order of monitors(), the primary one first: Qt's screens, or the heads
  // Xinerama reports where it knows more of them.
  static std::vector<Head> heads();
  static Head primaryHead();
  // The window covers the head, and follows its screen's size where it has one.
  void followScreen(Window& w, const Head& head);
  void embed(Window& w, XWindow host);
  void takeInput(Window& w);
  void releaseInput();
  // Tells the system whether the running mode's window can be seen (covered wholly or not),
  // and whether the display is powered (DPMS), asked while that matters.
  void watchSight(Window& w);
  void watchDisplay();
  void pollDisplay();
  std::unique_ptr<QTimer> displayPoll_;
  DisplayPower power_;
  void hostGone(Form& form);
  // Keeps a picture of the desktop's area (logical pixels) as it was.
  void keepDesktop(const QRect& area, QImage picture);
  // The store of an application; null while its file is there but no regular file.
  QSettings* store(const std::string& app);
  void restorePointer();

  Launch launch_;
  Hwnd nextHandle_ = kFirstHandle;
  std::map<const Form*, std::unique_ptr<Window>> windows_;
  std::map<std::string, std::unique_ptr<QSettings>> stores_;
  int cursorCount_ = 0;
  bool pointerHidden_ = false;
  // The desktop as the running mode found it, one picture per screen.
  struct Shot {
    QRect area;  // the screen's place on the desktop, logical pixels
    QImage image;
  };
  std::vector<Shot> desktop_;
  bool desktopTaken_ = false;
  int signalPipe_[2] = {-1, -1};
  bool running_ = false;
  // Tells the system of a change of the monitors once Qt has finished making it; gone with
  // the platform, and with it what it would still deliver.
  void watchMonitors();
  std::unique_ptr<QObject> monitorWatch_;
  bool monitorsChanging_ = false;
};

}  // namespace ps::qt
