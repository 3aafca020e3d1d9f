#include "animation/frmMonitor.h"

#include "host/process.h"

namespace ps {

frmMonitor::frmMonitor(int monitor, const Rect& area, float seconds)
    : frmMain(MeadowState{random, lastFlower, background}) {
  setMonitor(monitor, area);
  random.seedFromSingle(seconds, static_cast<std::uint64_t>(monitor));
  background = P().settings.Background;
}

void frmMonitor::Form_Unload(i16&) {}
void frmMonitor::Form_Terminate() {}

}  // namespace ps
