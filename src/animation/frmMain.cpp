#include "animation/frmMain.h"

#include <cmath>

#include "errors/guard.h"
#include "host/process.h"
#include "host/saver.h"

namespace ps {

namespace {
// Every qualifying input ends the screensaver, under the event's own texts.
void endOnInput(const char* procedure) {
  Guard g("frmMain", procedure);
  g([] { Saver::exitScreensaver(); });
}
}  // namespace

frmMain::frmMain() : Form("frmMain"), tmrAnimation(*this, ControlKind::Timer, "tmrAnimation") {
  setDesign("", 0, 0, true, 0x000000, Font{"Comic Sans MS", 9.75, 700, false, false, false, 0});
  tmrAnimation.onTimer = [this] { tmrAnimation_Timer(); };
  addControl(tmrAnimation);
}

void frmMain::Form_Load() {}
void frmMain::Form_Resize() {}
void frmMain::tmrAnimation_Timer() {}
void frmMain::timerExpired() {
  tmrAnimation_Timer();
}

void frmMain::Form_MouseMove(i16, i16, float x, float y) {
  Guard g("frmMain", "Form_MouseMove");
  bool still = false;
  g([&] {
    still = (LastX == 0 && LastY == 0) || (std::fabs(LastX - x) < 3 && std::fabs(LastY - y) < 3);
  });
  if (still) {
    g([&] {
      LastX = x;
      LastY = y;
    });
    return;
  }
  g([] { Saver::exitScreensaver(); });
}

void frmMain::Form_MouseDown(i16, i16, float, float) {
  endOnInput("Form_MouseDown");
}
void frmMain::Form_Click() {
  endOnInput("Form_Click");
}
void frmMain::Form_DblClick() {
  endOnInput("Form_DblClick");
}
void frmMain::Form_KeyDown(i16, i16) {
  endOnInput("Form_KeyDown");
}
void frmMain::Form_KeyPress(i16) {
  endOnInput("Form_KeyPress");
}
void frmMain::Form_Unload(i16&) {
  endOnInput("Form_Unload");
}
void frmMain::Form_Terminate() {
  endOnInput("Form_Terminate");
}

}  // namespace ps
