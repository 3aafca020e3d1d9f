#include "dialogs/frmInfo.h"

#include <cstdio>

#include "errors/ErrPtnr.h"
#include "errors/guard.h"
#include "generated/version.h"
#include "host/process.h"

namespace ps {

namespace {

constexpr const char* kModule = "frmInfo";
constexpr u32 kDarkBlue = 0x000080, kWhite = 0xFFFFFF, kDarkRed = 0x800000;
constexpr u32 kLinkBlue = 0x0000C0, kLightGrey = 0xC0C0C0;

Font boldFont(double points = 8.25) {
  Font f;
  f.points = points;
  f.weight = 700;
  return f;
}

void placeLabel(Control& c, float left, float top, float width, float height, Font font) {
  c.move(left, top, width, height);
  c.setFont(font);
  c.setAlignment(2);
}

}  // namespace

std::string versionText(int major, int minor, int revision) {
  char buf[48];
  std::snprintf(buf, sizeof buf, PETALSTREAM_VERSION_TEXT_FORMAT, major, minor, revision);
  return buf;
}

frmInfo::frmInfo()
    : Form("frmInfo"),
      image1_(makeControls<2>(*this, ControlKind::Image, "Image1")),
      label0_(*this, ControlKind::Label, "Label", 0),
      label1_(*this, ControlKind::Label, "Label", 1),
      label2_(*this, ControlKind::Label, "Label", 2),
      label4_(*this, ControlKind::Label, "Label", 4),
      Image2(*this, ControlKind::Image, "Image2"),
      lblHomepage(*this, ControlKind::Label, "lblHomepage"),
      ok(*this, ControlKind::CommandButton, "ok") {
  setDesign("", 5340, 4935, true, kDarkBlue, boldFont());

  Image2.move(0, 0, 5340, 4935);
  Image2.setPicture(ResourceKind::Bitmap, kBackgroundBitmap);
  Image2.setStretch(true);
  Image1(0).move(0, 0, 15, 15);
  Image1(1).move(3960, 2430, 480, 480);
  Image1(1).setPicture(ResourceKind::Bitmap, kPictureBitmap);

  placeLabel(Label(0), 840, 1200, 3732, 252, boldFont(12));
  Label(0).setBackColor(kWhite);
  Label(0).setBackOpaque(true);
  placeLabel(Label(1), 840, 1680, 3735, 255, boldFont());
  placeLabel(Label(2), 840, 1920, 3735, 375, boldFont(13.5));
  Label(2).setCaption("Freeware");
  Label(2).setForeColor(kDarkRed);
  Label(2).setBackColor(kWhite);
  Label(2).setBackOpaque(true);
  Font link = boldFont();
  link.underline = true;
  placeLabel(lblHomepage, 840, 2350, 3735, 255, link);
  lblHomepage.setCaption(PETALSTREAM_HOMEPAGE);
  lblHomepage.setForeColor(kLinkBlue);
  placeLabel(Label(4), 840, 2640, 3135, 255, Font{});
  Label(4).setCaption(PETALSTREAM_CATALOGUE);

  ok.move(3120, 3960, 615, 495);
  ok.setCaption("&OK");
  ok.setFont(boldFont());
  ok.setBackColor(kLightGrey);

  lblHomepage.onClick = [this] { lblHomepage_Click(); };
  ok.onClick = [this] { OK_Click(); };

  // The pictures first, the background lowest: the texts lie on top of them, so the small
  // picture, which reaches into the address and the catalogue line, hides none of their
  // characters.
  int tab = 0;
  for (Control* c : {&Image2, &Image1(0), &Image1(1), &Label(0), &Label(1), &Label(2), &lblHomepage,
                     &Label(4), &ok}) {
    c->setTabIndex(tab++);
    addControl(*c);
  }
}

Control& frmInfo::Label(int index) {
  switch (index) {
    case 0:
      return label0_;
    case 1:
      return label1_;
    case 2:
      return label2_;
    case 4:
      return label4_;
    default:
      raise(err::kSubscript);
  }
}

Control& frmInfo::Image1(int index) {
  checkIndex(index, 0, 1);
  return image1_[static_cast<size_t>(index)];
}

void frmInfo::Form_Load() {
  Guard g(kModule, "Form_Load");
  g([&] {
    Platform& os = platform();
    SizeF screen = os.screenSize();
    float tpp = os.twipsPerPixel();
    i32 dx = roundI32(static_cast<double>(screen.width) * tpp - width());
    i32 dy = roundI32(static_cast<double>(screen.height) * tpp - height());
    move(static_cast<float>(dx / 2), static_cast<float>(dy / 2), width(), height());
  });
  g([&] { Label(0).setCaption(kTitle); });
  g([&] {
    Label(1).setCaption(
        versionText(ProgramVersion::major, ProgramVersion::minor, ProgramVersion::revision));
  });
}

void frmInfo::lblHomepage_Click() {
  Guard g(kModule, "lblHomepage_Click");
  g([&] { platform().openAddress(hWnd(), lblHomepage.caption()); });
}

void frmInfo::OK_Click() {
  Guard g(kModule, "OK_Click");
  g([&] { P().forms.unload(*this); });
}

}  // namespace ps
