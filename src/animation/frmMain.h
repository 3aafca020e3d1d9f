// The animation window of the running mode.
#pragma once

#include "platform/forms.h"
#include "platform/surface.h"

namespace ps {

class frmMain : public Form {
 public:
  frmMain();

  void Form_Load() override;
  void Form_Resize() override;
  void Form_MouseMove(i16 button, i16 shift, float x, float y) override;
  void Form_MouseDown(i16 button, i16 shift, float x, float y) override;
  void Form_Click() override;
  void Form_DblClick() override;
  void Form_KeyDown(i16 keyCode, i16 shift) override;
  void Form_KeyPress(i16 keyAscii) override;
  void Form_Unload(i16& cancel) override;
  void Form_Terminate() override;
  void timerExpired() override;
  const Surface* windowSurface() const override { return &window_; }

  void tmrAnimation_Timer();

  Control tmrAnimation;
  float LastX = 0, LastY = 0;

 private:
  Surface window_;
};

}  // namespace ps
