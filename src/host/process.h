// Everything that lives as long as the process: the platform, the settings record, the mode,
// the random sequence, the loaded windows and the windows themselves (created on first use).
#pragma once

#include <memory>
#include <vector>

#include "host/random.h"
#include "host/settings.h"
#include "platform/forms.h"
#include "platform/platform.h"

namespace ps {

class frmMain;
class frmMonitor;
class frmConfig;
class frmPreview;
class frmInfo;
class ErrPtnr;

class Process {
 public:
  explicit Process(Platform& platform);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // The one process of this program; tests make one per case.
  static Process& current();
  static bool exists();

  Platform& platform;
  Settings settings;        // Saver
  i16 ScreenSaverMode = 0;  // Saver
  i16 LastFlower = 0;       // the highest flower slot in use
  Random random;
  float randomSeed = 0;  // what Main seeded the sequence with
  Forms forms{platform};

  // The windows, each created on first use. A window that was unloaded is made anew by the
  // next use, with its fields back at zero, as a freshly created window has them.
  frmMain& main();
  frmConfig& config();
  frmPreview& preview();
  frmInfo& info();
  ErrPtnr& errPtnr();
  bool hasErrPtnr() const { return errPtnr_ != nullptr; }
  // The meadows of the monitors beyond the primary one, monitor i + 1 at place i: made anew
  // for each running mode and for each monitor plugged in while it runs.
  frmMonitor& addMonitor(int index, const Rect& area);
  // The last of them, its window unloaded (its monitor went): kept until the process ends, as
  // its own events may still be on the stack.
  void dropLastMonitor();
  const std::vector<std::unique_ptr<frmMonitor>>& monitors() const { return monitors_; }

  // The display is switched off (power saving), as the backend reports it.
  bool displayOff = false;

  // Bounds the chain of reports between exitScreensaver and the error report.
  int exitReportDepth = 0;

 private:
  template <class T>
  T& obtain(std::unique_ptr<T>& slot);

  std::unique_ptr<frmMain> main_;
  std::unique_ptr<frmConfig> config_;
  std::unique_ptr<frmPreview> preview_;
  std::unique_ptr<frmInfo> info_;
  std::unique_ptr<ErrPtnr> errPtnr_;
  std::vector<std::unique_ptr<frmMonitor>> monitors_;
  // Windows replaced after an unload; kept until the process ends, since their own events
  // may still be on the stack.
  std::vector<std::unique_ptr<Form>> released_;
  Process* previous_;
};

inline Process& P() {
  return Process::current();
}
inline Platform& platform() {
  return Process::current().platform;
}

}  // namespace ps
