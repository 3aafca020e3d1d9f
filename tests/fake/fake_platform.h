// The fake platform: everything in memory, every call recorded in order, answers and failures
// scripted by the test.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "host/process.h"
#include "platform/nullplatform.h"
#include "platform/surface.h"

namespace ps::fake {

class FakePlatform : public NullPlatform {
 public:
  FakePlatform();

  // The log of calls, in order, e.g. "showPointer(true)", "setScreenSaverActive(false)".
  std::vector<std::string> calls;
  void log(std::string s) { calls.push_back(std::move(s)); }
  int count(const std::string& call) const;
  // The calls whose text starts with one of the prefixes, in order.
  std::vector<std::string> only(std::initializer_list<std::string> prefixes) const;

  // Scripted state.
  std::string cmdLine;
  OsVersion version;                         // Windows NT 5.1 build 2600 by default
  std::map<std::string, std::string> store;  // "app/section/key" -> text
  std::set<std::string> failingReads;        // keys whose read raises
  int failingReadsLeft = -1;                 // how often they raise (-1: always)
  bool storeWritesFail = false;
  std::vector<i32> verifyAnswers;  // answers of verifyPassword in turn (then 1)
  bool verifyFails = false;        // verifyPassword cannot be reached
  std::string programDir = "C:\\Programs\\PetalStream";
  std::string progName = "PetalStream";
  char separator = '\\';
  std::string dataDir = "C:\\Users\\me\\AppData\\Local\\PetalStream";
  bool installed = false;                    // programInstalled
  bool hack = false;                         // hackMode
  std::map<std::string, std::string> files;  // path -> content
  std::set<std::string> unwritableFolders;   // appending below these raises 75
  bool desktopFails = false;
  std::function<bool(Form&)> modal;  // shows a form modally; default: cannot
  std::map<std::pair<int, int>, std::vector<std::uint8_t>> resourceOverrides;
  std::set<std::pair<int, int>> missingResources;

  // The windows' timers and presentations (the windows themselves: NullPlatform).
  std::map<const Form*, std::pair<i32, bool>> timers;  // interval, enabled
  int presents = 0;
  Rect lastDirty;               // the bounds of the last presentation
  std::vector<Rect> lastRects;  // its rectangles
  bool quitRequested = false;
  std::vector<std::string> fatal;
  std::vector<std::string> shellOpened;
  std::vector<std::string> textsDrawn;

  // Windowing
  Hwnd createWindow(Form& form) override;
  void destroyWindow(Form& form) override;
  void showWindow(Form& form) override;
  bool showModal(Form& form) override;
  void hideWindow(Form& form) override;
  void maximizeWindow(Form& form) override;
  void formChanged(Form& form) override;
  void setTimer(Form& form, i32 intervalMs, bool enabled) override;
  using Windowing::present;
  void present(Form& form, const Surface& surface, std::span<const Rect> dirty) override;
  void resetMousePointer() override { log("resetMousePointer"); }
  void quit() override;
  i32 windowArea(Hwnd hwnd, Rect& rect) override;
  void embedInHost(Hwnd window, Hwnd host, i32 width, i32 height) override;
  i32 stackWindow(Hwnd window, Stacking stacking, bool activate) override;
  // Resizes a form's client area as a user or the system would, running Form_Resize.
  void resize(Form& form, float w, float h) override;

  // Drawing: the box font, each text recorded.
  void drawText(Surface& target, const Font& font, int x, int y, std::string_view text, u32 rgb,
                const Rect& clip) override;
  bool captureDesktop(Surface& target, int x, int y, int w, int h) override;
  void snapshotDesktop() override { log("snapshotDesktop"); }
  // The fake desktop's pixel at (x, y) of the desktop.
  static u32 desktopPixel(int x, int y);

  // Resources: the committed files under resources/, unless a test says otherwise.
  std::vector<std::uint8_t> resource(ResourceKind kind, int number) override;

  // Settings store
  std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                         const std::string& def) override;
  void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                   const std::string& value) override;

  // System
  i32 setScreenSaverActive(bool active) override;
  i32 setScreenSaverRunning(bool running) override;
  i32 showPointer(bool show) override;
  OsVersion systemVersion() override;
  void alert() override { log("alert"); }
  void openAddress(Hwnd owner, const std::string& address) override;
  i32 verifyPassword(Hwnd hwnd) override;
  void changePassword(Hwnd hwnd) override;
  std::string commandLine() override { return cmdLine; }
  std::string programDirectory() override { return programDir; }
  std::string programName() override { return progName; }
  char pathSeparator() override { return separator; }
  std::string userDataDirectory() override { return dataDir; }
  bool programInstalled() override { return installed; }
  bool hackMode() override { return hack; }
  std::string toSystemCodePage(std::string_view utf8) override;
  void reportFatal(const std::string& message) override;
  [[noreturn]] void exitProcess(int code) override;

  // Files
  void appendToFile(const std::string& path, std::string_view bytes, bool makeFolders) override;

  int cursorCount = 0;                                       // the pointer's display count
  bool screenSaveActive = true, screenSaverRunning = false;  // the system's two flags
};

// A process on a fresh fake platform, as each test wants it.
struct World {
  FakePlatform os;
  Process process{os};
};

std::string storeKey(const std::string& key);  // "PetalStream/Settings/<key>"

// Runs f as the backends deliver an event; true when it ended the program.
bool endsProgram(const std::function<void()>& f);

// The failure number a call raises, 0 when it passes.
inline i32 failureOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Failure& e) {
    return e.number;
  }
  return 0;
}

// The C library's locale set to German (a decimal comma) while it lives, as Qt sets it to the
// user's; `active` is false when the system has no such locale.
class GermanLocale {
 public:
  GermanLocale();
  ~GermanLocale();
  GermanLocale(const GermanLocale&) = delete;
  GermanLocale& operator=(const GermanLocale&) = delete;
  bool active = false;

 private:
  std::string previous_;
};

}  // namespace ps::fake
