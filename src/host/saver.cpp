#include "host/saver.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "animation/frmMain.h"
#include "animation/frmMonitor.h"
#include "dialogs/frmConfig.h"
#include "errors/ErrPtnr.h"
#include "errors/guard.h"
#include "host/allgemein.h"
#include "host/frmPreview.h"
#include "host/process.h"

namespace ps::Saver {

std::string modeSwitch(std::string_view commandLine) {
  return upperAscii(trimBlanks(commandLine)).substr(0, 2);
}

i32 parseHandle(std::string_view commandLine) {
  std::string t = upperAscii(trimBlanks(commandLine));
  std::string_view rest = t.size() > 3 ? std::string_view(t).substr(3) : std::string_view();
  return roundI32(leadingNumber(rest));
}

i16 IsWinNT() {
  i16 result = kFalse;
  OsVersion v;
  Guard g("Saver", "IsWinNT");
  g([&] { v = platform().systemVersion(); });
  g([&] { result = truth(v.result == 1 && v.family == SystemFamily::WindowsNT); });
  return result;
}

i16 SetTopMost(Form& form, i16 topMost, i16 activate) {
  using Stacking = Windowing::Stacking;
  i16 result = kFalse;
  Stacking stacking = Stacking::Top;
  i32 r = 0;
  Guard g("Saver", "SetTopMost");
  g([&] {
    stacking = topMost == kTrue    ? Stacking::TopMost
               : topMost == kFalse ? Stacking::NotTopMost
                                   : Stacking::Top;
  });
  g([&] { r = platform().stackWindow(form.hWnd(), stacking, activate != kFalse); });
  g([&] { result = truth(r != 0); });
  return result;
}

namespace {
// Loads, raises and shows the meadow of monitor `index` (1 and up), without the activation.
void showOtherMonitor(Guard& g, std::size_t index, const Rect& area) {
  Process& p = P();
  frmMonitor* other = nullptr;
  g([&] { other = &p.addMonitor(static_cast<int>(index), area); });
  if (other == nullptr) return;
  g([&] { p.forms.load(*other); });
  g([&] { SetTopMost(*other, kTrue, kFalse); });
  g([&] { p.forms.show(*other); });
}
}  // namespace

void Main() {
  Process& p = P();
  Platform& os = p.platform;
  std::string cmd, sw;
  Guard g("Saver", "Main");
  g([&] { LoadConfig(); });
  g([&] {
    LocalTime t = os.now();
    float seconds = static_cast<float>(t.hour * 3600 + t.minute * 60 + t.second) +
                    static_cast<float>(t.millisecond) / 1000.0f;
    p.random.seedFromSingle(seconds);
    p.randomSeed = seconds;
  });
  g([&] { os.setScreenSaverActive(false); });
  g([&] {
    cmd = os.commandLine();
    sw = modeSwitch(cmd);
  });
  if (sw == "/P") {
    i32 host = 0;
    Rect rect;
    Hwnd handle = 0;
    g([&] { host = parseHandle(cmd); });
    // No host (no handle, or one that reads as 0): the preview has nowhere to show, and a
    // window of its own would be left for good. Load nothing, so the process ends.
    if (host == 0) return;
    g([&] { os.windowArea(host, rect); });
    g([&] { p.ScreenSaverMode = kFalse; });
    g([&] {
      p.forms.load(p.preview());
      handle = p.preview().hWnd();
    });
    g([&] { os.embedInHost(handle, host, rect.right, rect.bottom); });
  } else if (sw == "/C") {
    g([&] { p.forms.show(p.config()); });
  } else if (sw == "/A") {
    bool nt = true;
    i32 host = 0;
    g([&] { nt = IsWinNT() != kFalse; });
    if (!nt) {
      g([&] { host = parseHandle(cmd); });
      g([&] { os.changePassword(host); });
    }
  } else if (sw == "/S" || sw.empty()) {
    g([&] { p.ScreenSaverMode = kTrue; });
    g([&] { os.setScreenSaverRunning(true); });
    g([&] { os.showPointer(false); });
    // The first layout pass takes the desktop when the meadow may show it; by then the window
    // covers it, so the platform keeps it now, as the user left it.
    bool desktop = true;
    g([&] { desktop = p.settings.Background == 3 || p.settings.RandomBack != 0; });
    if (desktop) g([&] { os.snapshotDesktop(); });
    std::vector<Rect> monitors;
    g([&] { monitors = os.monitors(); });
    g([&] { p.main().setMonitor(0, monitors.empty() ? Rect{} : monitors.front()); });
    g([&] { p.forms.load(p.main()); });
    g([&] { SetTopMost(p.main(), kTrue, kTrue); });
    g([&] { p.forms.show(p.main()); });
    // Every other monitor shows a meadow of its own, behind the primary one in the ending.
    for (std::size_t i = 1; i < monitors.size(); ++i) showOtherMonitor(g, i, monitors[i]);
  }
}

namespace {
// Asleep while no loaded meadow can be seen; awake, all of them, as soon as one can.
void followSight(Guard& g) {
  Process& p = P();
  std::vector<frmMain*> meadows{&p.main()};
  for (const auto& m : p.monitors()) {
    if (p.forms.isLoaded(*m)) meadows.push_back(m.get());
  }
  bool seen = false;
  g([&] {
    seen = !p.displayOff &&
           std::any_of(meadows.begin(), meadows.end(), [](frmMain* m) { return !m->covered; });
  });
  for (frmMain* m : meadows) g([&] { m->sleep(!seen); });
}
}  // namespace

void monitorsChanged() {
  Process& p = P();
  Platform& os = p.platform;
  if (p.ScreenSaverMode == kFalse || !p.forms.isLoaded(p.main())) return;
  Guard g("Saver", "monitorsChanged");
  // The desktop may have moved under the pointer, or the pointer with it (X keeps it on a
  // monitor): positions are measured anew, the next report of each window only recorded.
  g([&] { p.main().LastX = p.main().LastY = 0; });
  for (const auto& m : p.monitors()) g([&] { m->LastX = m->LastY = 0; });
  std::vector<Rect> monitors;
  g([&] { monitors = os.monitors(); });
  if (monitors.empty()) return;
  // The meadows of monitors that went unload quietly, the last first.
  while (p.monitors().size() > monitors.size() - 1) {
    if (!g([&] { p.forms.unload(*p.monitors().back()); })) return;
    p.dropLastMonitor();
  }
  // A window whose monitor moved or changed its size covers it again (and lays its scene out
  // anew when its size changed); the primary monitor's window follows the primary monitor.
  auto follow = [&](Form& window, std::size_t i) {
    if (window.monitorArea() == monitors[i]) return;
    window.setMonitor(static_cast<int>(i), monitors[i]);
    window.setMaximized();
  };
  g([&] { follow(p.main(), 0); });
  for (std::size_t i = 1; i <= p.monitors().size(); ++i) {
    g([&] { follow(*p.monitors()[i - 1], i); });
  }
  // A monitor plugged in gets a meadow of its own, as if it had been there from the start.
  for (std::size_t i = p.monitors().size() + 1; i < monitors.size(); ++i) {
    showOtherMonitor(g, i, monitors[i]);
  }
  // A meadow that came counts as seen until its backend says otherwise; one that went no
  // longer counts.
  followSight(g);
}

void meadowSeen(const Form* window, bool seen) {
  Process& p = P();
  if (p.ScreenSaverMode == kFalse || !p.forms.isLoaded(p.main())) return;
  Guard g("Saver", "meadowSeen");
  bool hack = false;
  g([&] { hack = p.platform.hackMode(); });
  if (hack) return;
  if (window == nullptr) {
    p.displayOff = !seen;
  } else if (window == &p.main()) {
    p.main().covered = !seen;
  } else {
    for (const auto& m : p.monitors()) {
      if (window == m.get()) m->covered = !seen;
    }
  }
  followSight(g);
}

void restoreSystemState() {
  Platform& os = platform();
  Guard g("Saver", "exitScreensaver", Guard::Mode::SkipSilently);
  g([&] { os.showPointer(true); });
  g([&] { os.setScreenSaverActive(true); });
  g([&] { os.setScreenSaverRunning(false); });
}

void EndProgram() {
  platform().exitProcess(0);
  throw ProgramEnd{};  // exitProcess does not return; this only tells the compiler so
}

void EndProgramRestoring(int code) {
  if (Process::exists() && P().ScreenSaverMode != kFalse) restoreSystemState();
  platform().exitProcess(code);
  throw ProgramEnd{};
}

void exitScreensaver() {
  Process& p = P();
  Platform& os = p.platform;
  bool leave = true;
  Guard g("Saver", "exitScreensaver");
  // A failure here in the running mode is reported, and the report calls exitScreensaver
  // again; when that call fails too, the chain would grow without end, so the second failure
  // ends the program with the pointer and flags restored.
  g.beforeReport = [&p](const Failure&) {
    if (p.exitReportDepth > 0) EndProgramRestoring(1);
    ++p.exitReportDepth;
  };
  g.afterReport = [&p] { --p.exitReportDepth; };
  g([&] { leave = p.ScreenSaverMode != kFalse; });
  if (!leave) return;
  bool nt = true;
  i32 verified = 1;
  g([&] { nt = IsWinNT() != kFalse; });
  if (!nt) {
    g([&] { verified = os.verifyPassword(p.main().hWnd()); });
    if (static_cast<i16>(verified & 0xFFFF) == 0) return;
  }
  g([&] { os.showPointer(true); });
  g([&] { os.setScreenSaverActive(true); });
  g([&] { os.setScreenSaverRunning(false); });
  g([&] { Allgemein::Shutdown(); });
  if (g.leaving()) return;
  EndProgram();
}

void endSession() {
  Allgemein::Shutdown();
  EndProgram();
}

bool showModal(Form& form) {
  Process& p = P();
  if (p.ScreenSaverMode != kFalse) {
    p.forms.load(form);  // as a refused showing leaves it
    return false;
  }
  return p.forms.showModal(form);
}

void deliver(const std::function<void()>& event) {
  try {
    event();
  } catch (const Failure& f) {
    std::string msg = "PetalStream: unhandled failure " + std::to_string(f.number) + " (" +
                      f.description + ") in line " + std::to_string(f.line);
    if (Process::exists() && P().hasErrPtnr() && !P().errPtnr().lostReport.empty()) {
      // The protocol file could not be written: this message is all the user learns.
      msg += ", after the report of failure " + P().errPtnr().lostReport + ", could not be written";
    }
    if (Process::exists()) {
      if (P().ScreenSaverMode != kFalse) restoreSystemState();
      platform().reportFatal(msg);
      platform().exitProcess(1);
    }
    std::cerr << msg << '\n';
    std::exit(1);
  } catch (const std::exception& e) {
    // Anything else escaping an event is a fault of its own: name it the same way.
    deliver([&] { raise(err::kPlatform, e.what()); });
  }
}

}  // namespace ps::Saver
