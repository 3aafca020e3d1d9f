#include "host/frmPreview.h"

#include "errors/guard.h"
#include "host/process.h"
#include "host/saver.h"
#include "platform/pictures.h"

namespace ps {

frmPreview::frmPreview() : Form("frmPreview") {
  setDesign("", 4680, 3195, true, 0x000000, Font{});
}

const Image& frmPreview::picture() {
  if (image1_.empty()) image1_ = loadPicture(platform(), ResourceKind::Data, kPreviewResource);
  return image1_;
}

void frmPreview::Form_Resize() {
  Guard g("frmPreview", "Form_Resize");
  g([&] {
    SizeF c = platform().clientSize(*this);
    int w = roundI32(c.width), h = roundI32(c.height);
    surface_.resize(w, h);
    surface_.drawImage(picture(), 0, 0, w, h);
    platform().present(*this, surface_, surface_.bounds());
  });
}

void frmPreview::Form_Paint() {
  if (!surface_.empty()) platform().present(*this, surface_, surface_.bounds());
}

void frmPreview::Form_Unload(i16& cancel) {
  (void)cancel;
  Guard g("frmPreview", "Form_Unload");
  g([&] { Saver::exitScreensaver(); });
}

}  // namespace ps
