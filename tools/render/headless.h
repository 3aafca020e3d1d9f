// A platform without a display, for running the meadow in tools and benchmarks: resources from
// the resources/ folder, a settings store in memory, a clock that moves only when told, a
// synthetic desktop, and text drawn as plain marks (a subclass may draw real text).
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "host/process.h"
#include "platform/platform.h"

namespace ps::headless {

class HeadlessPlatform : public Platform {
 public:
  explicit HeadlessPlatform(std::filesystem::path resources);

  u32 ticks = 100000000;  // milliseconds since the system started (about 28 hours)
  LocalTime start{2024, 5, 18, 14, 30, 0, 0};
  SizeF screen{1920, 1080};
  std::map<std::string, std::string> store;  // key -> text, for LoadConfig
  std::map<const Form*, SizeF> clients;

  // Sets a form's client size and runs its layout pass, as a window manager would.
  void resize(Form& form, float w, float h);

  // Windowing: windows exist only as sizes.
  Hwnd createWindow(Form& form) override;
  void destroyWindow(Form&) override {}
  void showWindow(Form& form) override;
  bool showModal(Form&) override { return false; }
  void hideWindow(Form&) override {}
  void maximizeWindow(Form&) override {}
  void formChanged(Form&) override {}
  void controlChanged(Form&, Control&) override {}
  SizeF clientSize(const Form& form) override;
  SizeF screenSize() override { return screen; }
  std::vector<Rect> monitors() override {
    return {Rect{0, 0, static_cast<i32>(screen.width), static_cast<i32>(screen.height)}};
  }
  int twipsPerPixel() override { return 15; }
  void setTimer(Form&, i32, bool) override {}
  using Windowing::present;
  void present(Form&, const Surface&, std::span<const Rect>) override {}
  void resetMousePointer() override {}
  void quit() override {}
  i32 GetClientRect(Hwnd, Rect& rect) override;
  i32 GetWindowLongA(Hwnd, i32) override { return 0; }
  i32 SetWindowLongA(Hwnd, i32, i32) override { return 0; }
  Hwnd SetParent(Hwnd, Hwnd) override { return 0; }
  i32 SetWindowPos(Hwnd, Hwnd, i32, i32, i32, i32, u32) override { return 1; }

  // Drawing: 7 pixels a character, a line 16 high; each character a small filled box.
  int textWidth(const Font& font, std::string_view text) override;
  int textHeight(const Font& font, std::string_view text) override;
  void drawText(Surface& target, const Font& font, int x, int y, std::string_view text,
                u32 rgb) override;
  // A desktop of the classic kind: plain blue, a few windows, a task bar.
  bool captureDesktop(Surface& target, int x, int y, int w, int h) override;

  std::vector<std::uint8_t> resource(ResourceKind kind, int number) override;

  std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                         const std::string& def) override;
  void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                   const std::string& value) override;

  i32 SystemParametersInfoA(u32, i32, u32) override { return 1; }
  i32 ShowCursor(i32) override { return 0; }
  OsVersion GetVersionExA() override;
  u32 GetTickCount() override { return ticks; }
  LocalTime now() override;
  std::string shortDate(const LocalTime& t) override;
  std::string longTime(const LocalTime& t) override;
  void alert() override {}
  void ShellExecuteOpen(Hwnd, const std::string&) override {}
  i32 VerifyScreenSavePwd(Hwnd) override { return 1; }
  void PwdChangePasswordA(const std::string&, Hwnd) override {}
  std::string commandLine() override { return "/S"; }
  std::string programDirectory() override { return "."; }
  std::string programName() override { return "petalstream-render"; }
  char pathSeparator() override { return '/'; }
  std::string userDataDirectory() override { return {}; }
  std::string toSystemCodePage(std::string_view utf8) override { return std::string(utf8); }
  void reportFatal(const std::string& message) override;
  [[noreturn]] void exitProcess(int code) override;
  // Error protocols go to the standard error stream.
  void appendToFile(const std::string& path, std::string_view bytes, bool makeFolders) override;

 private:
  std::filesystem::path resources_;
  Hwnd next_ = 0x100;
};

// Thrown by exitProcess: the program ended (code 0) or gave up on a failure.
struct Ended {
  int code;
};

// The meadow of the running mode on a headless platform: settings from the store's texts (as
// LoadConfig reads them), a seeded random sequence, frmMain loaded and laid out at a size, and
// ticks that move the clock on by the timer's interval.
class Meadow {
 public:
  Meadow(HeadlessPlatform& os, std::uint64_t seed, int width, int height);
  ~Meadow();

  frmMain& main();
  Process& process() { return *process_; }
  void tick();
  // The ticks run so far.
  long long ticks() const { return ticks_; }

 private:
  HeadlessPlatform& os_;
  std::unique_ptr<Process> process_;
  long long ticks_ = 0;
};

// The folder of the program's resources in this source tree.
std::filesystem::path sourceResources();

}  // namespace ps::headless
