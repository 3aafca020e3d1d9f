#include "animation/frmMonitor.h"

#include <utility>

#include "host/process.h"

namespace ps {

frmMonitor::frmMonitor(int monitor, const Rect& area, float seconds) {
  setMonitor(monitor, area);
  random_.seedFromSingle(seconds, static_cast<std::uint64_t>(monitor));
  background_ = P().settings.Background;
}

template <class F>
void frmMonitor::own(F fn) {
  if (owning_) {
    fn();  // a restart's layout pass inside the tick
    return;
  }
  Process& p = P();
  // Swapped in, and back out however the event ends.
  struct Swap {
    frmMonitor& m;
    Process& p;
    void swap() {
      std::swap(m.random_, p.random);
      std::swap(m.lastFlower_, p.LastFlower);
      std::swap(m.background_, p.settings.Background);
      m.owning_ = !m.owning_;
    }
    Swap(frmMonitor& mm, Process& pp) : m(mm), p(pp) { swap(); }
    ~Swap() { swap(); }
    Swap(const Swap&) = delete;
    Swap& operator=(const Swap&) = delete;
  } swapped(*this, p);
  fn();
}

void frmMonitor::Form_Load() {
  own([this] { frmMain::Form_Load(); });
}
void frmMonitor::Form_Resize() {
  own([this] { frmMain::Form_Resize(); });
}
void frmMonitor::timerExpired() {
  own([this] { frmMain::timerExpired(); });
}
void frmMonitor::Form_Unload(i16&) {}
void frmMonitor::Form_Terminate() {}

}  // namespace ps
