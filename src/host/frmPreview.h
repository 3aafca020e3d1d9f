// The preview window: a still picture stretched over the control panel's preview area.
#pragma once

#include "platform/forms.h"
#include "platform/image.h"
#include "platform/surface.h"

namespace ps {

class frmPreview : public Form {
 public:
  frmPreview();

  void Form_Resize() override;
  void Form_Unload(i16& cancel) override;
  void Form_Paint() override;  // exposure: show the surface again
  const Surface* windowSurface() const override { return &surface_; }

  static constexpr int kPreviewResource = 301;

 private:
  const Image& picture();
  Image image1_;  // Image1: never shown, only the source of every painting
  Surface surface_;
};

}  // namespace ps
