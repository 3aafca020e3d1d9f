// A platform that does nothing, for the doubles to build on (the tests' fake, the headless
// platform of the tools and benchmarks): windows exist only as client sizes, text is drawn in a
// box font, the clock stands still, there is no desktop, nothing is stored, and ending the
// program throws ProgramEnd. Every operation has its neutral answer here, so a new operation
// of the platform gets one once and a double overrides only what it scripts.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace ps {

class NullPlatform : public Platform {
 public:
  // Resources come from the files of a resources/ folder (none without one).
  explicit NullPlatform(std::string resourceFolder = {});

  SizeF screen{800, 600};           // the primary monitor, at 0, 0
  std::vector<Rect> otherMonitors;  // beyond the primary one
  float tpp = 15;
  u32 ticks = 100000000;  // milliseconds since the system started (about 28 hours)
  LocalTime clock{2001, 4, 24, 13, 5, 9, 0};
  std::map<Hwnd, Form*> windows;  // the windows created and not destroyed
  std::map<const Form*, SizeF> clients;

  // Sets a form's client size and runs its layout pass, as a window manager would.
  virtual void resize(Form& form, float w, float h);

  // Windowing
  Hwnd createWindow(Form& form) override;  // the client of the design size
  void destroyWindow(Form& form) override;
  void showWindow(Form& form) override;  // a maximized window takes its monitor
  bool showModal(Form&) override { return false; }
  void hideWindow(Form& form) override { shown_.erase(&form); }
  void maximizeWindow(Form& form) override;  // a shown window takes its monitor at once
  void formChanged(Form&) override {}
  void controlChanged(Form&, Control&) override {}
  SizeF clientSize(const Form& form) override;
  SizeF screenSize() override { return screen; }
  std::vector<Rect> monitors() override;
  float twipsPerPixel() override { return tpp; }
  void setTimer(Form&, i32, bool) override {}
  using Windowing::present;
  void present(Form&, const Surface&, std::span<const Rect>) override {}
  void resetMousePointer() override {}
  void quit() override {}
  i32 windowArea(Hwnd window, Rect& rect) override;  // of our own windows only
  void embedInHost(Hwnd window, Hwnd host, i32 width, i32 height) override;  // sized only
  i32 stackWindow(Hwnd window, Stacking, bool) override { return windows.count(window) ? 1 : 0; }

  // Drawing: 7 pixels a character, 16 high; each character a 5 × 12 box whose middle row
  // encodes it, blended half and half with what is under it (as antialiased glyphs are), so
  // that different texts differ and a text printed twice shows.
  int textWidth(const Font& font, std::string_view text) override;
  int textHeight(const Font& font, std::string_view text) override;
  void drawText(Surface& target, const Font& font, int x, int y, std::string_view text, u32 rgb,
                const Rect& clip) override;
  bool captureDesktop(Surface&, int, int, int, int) override { return false; }
  void snapshotDesktop() override {}

  std::vector<std::uint8_t> resource(ResourceKind kind, int number) override;

  std::string GetSetting(const std::string&, const std::string&, const std::string&,
                         const std::string& def) override {
    return def;
  }
  void SaveSetting(const std::string&, const std::string&, const std::string&,
                   const std::string&) override {}

  i32 showPointer(bool) override { return 0; }
  OsVersion systemVersion() override;  // Windows NT 5.1 build 2600, Service Pack 2
  u32 tickCount() override { return ticks; }
  LocalTime now() override { return clock; }
  std::string shortDate(const LocalTime& t) override;  // 24.4.2001
  std::string longTime(const LocalTime& t) override;   // 13:05:09
  void alert() override {}
  void openAddress(Hwnd, const std::string&) override {}
  std::string commandLine() override { return {}; }
  std::string programDirectory() override { return "."; }
  std::string programName() override { return "PetalStream"; }
  char pathSeparator() override { return '/'; }
  std::string userDataDirectory() override { return {}; }
  std::string toSystemCodePage(std::string_view utf8) override { return std::string(utf8); }
  void reportFatal(const std::string&) override {}
  [[noreturn]] void exitProcess(int code) override;

  void appendToFile(const std::string&, std::string_view, bool) override {}

 private:
  void fillMonitor(Form& form);

  std::string resources_;
  Hwnd nextHandle_ = 0x1000;
  std::set<const Form*> shown_;
};

}  // namespace ps
