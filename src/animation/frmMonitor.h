// The meadow on a monitor beyond the primary one: a frmMain that draws from a share of its own
// (the random sequence, the flower count, the background pick), so that the primary monitor
// draws exactly what it draws alone.
#pragma once

#include "animation/frmMain.h"
#include "host/random.h"

namespace ps {

// A monitor's own share, made before the frmMain that draws from it.
struct MonitorShare {
  Random random;
  i16 lastFlower = 0;
  i16 background = 0;
};

class frmMonitor : private MonitorShare, public frmMain {
 public:
  // `seconds` seeds the random sequence as Main seeds the process's own; `monitor` picks a
  // stream of its own.
  frmMonitor(int monitor, const Rect& area, float seconds);

  // Unloading is part of the ending that the primary monitor's window leads; it starts none.
  void Form_Unload(i16& cancel) override;
  void Form_Terminate() override;
};

}  // namespace ps
