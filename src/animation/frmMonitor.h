// The meadow on a monitor beyond the primary one: a frmMain of its own, with its own share of
// what is otherwise process-wide (the random sequence, the flower count, the background
// pick), so that the primary monitor draws exactly what it draws alone.
#pragma once

#include "animation/frmMain.h"
#include "host/random.h"

namespace ps {

class frmMonitor : public frmMain {
 public:
  // `seconds` seeds the random sequence as Main seeds the process's own; `monitor` picks a
  // stream of its own.
  frmMonitor(int monitor, const Rect& area, float seconds);

  void Form_Load() override;
  void Form_Resize() override;
  void timerExpired() override;
  // Unloading is part of the ending that the primary monitor's window leads; it starts none.
  void Form_Unload(i16& cancel) override;
  void Form_Terminate() override;

 private:
  // Runs fn with this window's share in place of the process's own.
  template <class F>
  void own(F fn);

  Random random_;
  i16 lastFlower_ = 0;
  i16 background_ = 0;
  bool owning_ = false;
};

}  // namespace ps
