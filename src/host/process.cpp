#include "host/process.h"

#include "animation/frmMain.h"
#include "animation/frmMonitor.h"
#include "dialogs/frmConfig.h"
#include "dialogs/frmInfo.h"
#include "errors/ErrPtnr.h"
#include "host/frmPreview.h"

namespace ps {

namespace {
Process* g_current = nullptr;
}

Process::Process(Platform& p) : platform(p), previous_(g_current) {
  g_current = this;
}

Process::~Process() {
  g_current = previous_;
}

Process& Process::current() {
  return *g_current;
}
bool Process::exists() {
  return g_current != nullptr;
}

template <class T>
T& Process::obtain(std::unique_ptr<T>& slot) {
  if (slot && slot->wasUnloaded() && !forms.isLoaded(*slot)) {
    released_.push_back(std::move(slot));
  }
  if (!slot) slot = std::make_unique<T>();
  return *slot;
}

frmMain& Process::main() {
  return obtain(main_);
}
frmConfig& Process::config() {
  return obtain(config_);
}
frmPreview& Process::preview() {
  return obtain(preview_);
}
frmInfo& Process::info() {
  return obtain(info_);
}
ErrPtnr& Process::errPtnr() {
  return obtain(errPtnr_);
}

frmMonitor& Process::addMonitor(int index, const Rect& area) {
  monitors_.push_back(std::make_unique<frmMonitor>(index, area, randomSeed));
  return *monitors_.back();
}

void Process::dropLastMonitor() {
  if (monitors_.empty()) return;
  released_.push_back(std::move(monitors_.back()));
  monitors_.pop_back();
}

}  // namespace ps
